#include "console/memapi/NS_LookupUtility.h"
#include <gtest/gtest.h>

using namespace NS_LookupUtility;

TEST(NS_LookupUtility, GroupsHaveTheirRowCountsAndEnds)
{
    const std::pair<const char*, int> groups[] = {
        {"kEditorSwitches", 20}, {"kMixPart", 46}, {"kCommon", 50}, {"kCommonReverb", 19},
        {"kCommonChorus", 20}, {"kCommonEQ", 17}, {"kCommonMasterEF", 18}};
    for (const auto& [name, rows] : groups) {
        const valentry* row = lookupRow(name, nullptr);
        ASSERT_NE(row, nullptr) << name;
        int n = 0;
        for (; row[n].name; ++n)
            EXPECT_EQ(row[n].kind, 1);
        EXPECT_EQ(n, rows) << name;
        EXPECT_EQ(row[n].element, -1);
        EXPECT_EQ(row[n].parameter, -1);
        EXPECT_EQ(row[n].kind, 255);
    }
}

TEST(NS_LookupUtility, RowsStayInsideTheMemoryMapBlocks)
{
    // Parameter ranges of the multi's blocks: 37 pp 00-38, 36 00 00-64, 36 01 00-23,
    // 36 02 00-24, 36 10 00-13, 36 11 00-22.
    const std::tuple<const char*, int, int> limits[] = {
        {"kMixPart", 55, 56},       {"kCommonReverb", 13825, 35}, {"kCommonChorus", 13826, 36},
        {"kCommonEQ", 13840, 19},   {"kCommonMasterEF", 13841, 34}};
    for (const auto& [name, element, maxParam] : limits)
        for (const valentry* row = lookupRow(name, nullptr); row->name; ++row) {
            EXPECT_EQ(row->element, element) << row->name;
            EXPECT_GE(row->parameter, 0) << row->name;
            EXPECT_LE(row->parameter, maxParam) << row->name;
        }
    for (const valentry* row = lookupRow("kCommon", "kCommMultiName1"); row->name; ++row) {
        EXPECT_EQ(row->element, 13824) << row->name;
        EXPECT_LE(row->parameter, 96) << row->name;
    }
    const valentry* master = lookupRow("kCommon", "kCommMasterVol");
    ASSERT_NE(master, nullptr);
    EXPECT_EQ(master->element, 0);
    EXPECT_EQ(master->parameter, 0);
}

TEST(NS_LookupUtility, NamesTheGroupsOtherPartsBindTo)
{
    for (int i = 1; i <= 10; ++i)
        for (const char* type : {"Nrm", "Drm", "Plg"}) {
            const QByteArray param = QByteArray("k") + type + "ComVoiceName" + QByteArray::number(i);
            const char* group = type[0] == 'N' ? "kNormalCommonExtra"
                                : type[0] == 'D' ? "kDrumCommonExtra" : "kPluginCommonExtra";
            const valentry* row = lookupRow(group, param.constData());
            ASSERT_NE(row, nullptr) << param.constData();
            EXPECT_EQ(row->element, 0x40 << 8);
            EXPECT_EQ(row->parameter, i - 1);
        }
    // The linked sections: every one exists with its first row first.
    const std::pair<const char*, const char*> sections[] = {
        {"kNormalCommonExtra", "kNrmComVoiceName1"}, {"kNormalCommon", "kNrmComVolume"},
        {"kNormalCommonReverb", "kNrmRevType"}, {"kNormalCommonChorus", "kNrmChoType"},
        {"kNormalCommonInsA", "kNrmInsAType"}, {"kNormalCommonInsB", "kNrmInsBType"},
        {"kNormalCommonController", "kNrmComCtrlSrc1"}, {"kNormalCommonLFO", "kNrmComLFOPhase"},
        {"kNormalElement", "kNrmElmAssign"}, {"kNormalElementAmplitude", "kNrmElmLevel"},
        {"kNormalElementPitch", "kNrmElmCoarseTune"}, {"kNormalElementFilter", "kNrmElmFilterType"},
        {"kNormalElementEQ", "kNrmElmEQType"}, {"kNormalElementLFO", "kNrmElmLFOWave"},
        {"kDrumCommonExtra", "kDrmComVoiceName1"}, {"kDrumCommon", "kDrmComVolume"},
        {"kDrumCommonReverb", "kDrmRevType"}, {"kDrumCommonChorus", "kDrmChoType"},
        {"kDrumCommonInsA", "kDrmInsAType"}, {"kDrumCommonInsB", "kDrmInsBType"},
        {"kDrumCommonController", "kDrmComCtrlSrc1"}, {"kDrumKey", "kDrmKeyAssign"},
        {"kDrumKeyAmplitude", "kDrmKeyLevel"}, {"kDrumKeyPitch", "kDrmKeyCoarseTune"},
        {"kDrumKeyFilter", "kDrmKeyFilterCutoffFreq"}, {"kDrumKeyEQ", "kDrmKeyEQType"},
        {"kPluginCommonExtra", "kPlgComVoiceName1"}, {"kPluginCommon", "kPlgComVolume"},
        {"kPluginCommonReverb", "kPlgRevType"}, {"kPluginCommonChorus", "kPlgChoType"},
        {"kPluginCommonInsA", "kPlgInsAType"}, {"kPluginCommonInsB", "kPlgInsBType"},
        {"kPluginCommonController", "kPlgComCtrlSrc1"}, {"kPluginElement", "kPlgElmBankMSB"},
        {"kPluginNative", "kPlgNtvPluginBoardType"}, {"kPluginNativeAN", "kPlgNtvANUnisonSw"},
        {"kPluginNativeAP", "kPlgNtvAPPFMode"}, {"kPluginNativeDR", "kPlgNtvDRNoteSel1"},
        {"kPluginNativeDX", "kPlgNtvDXCarrier1"}, {"kPluginNativePC", "kPlgNtvPCNoteSel1"},
        {"kPluginNativePF", "kPlgNtvPFMode"}, {"kPluginNativeVL", "kPlgNtvVLFilterEQDepth"},
        {"kNormalAudition", "kNrmAudPhraseNumber"}, {"kDrumAudition", "kDrmAudPhraseNumber"},
        {"kPluginAudition", "kPlgAudPhraseNumber"}};
    for (const auto& [group, first] : sections) {
        const valentry* row = lookupRow(group, nullptr);
        ASSERT_NE(row, nullptr) << group;
        EXPECT_STREQ(row->name, first) << group;
    }
    EXPECT_NE(lookupRow("kNormalElement", "kNrmElmWaveNumber"), nullptr);
    EXPECT_NE(lookupRow("kDrumKey", "kDrmKeyWaveNumber"), nullptr);
}

TEST(NS_LookupUtility, LookupAndReverseLookup)
{
    element_s e;
    EXPECT_TRUE(lookup(e, "kMixPart", "kPartPan"));
    EXPECT_EQ(e.element, 55);
    EXPECT_EQ(e.parameter, 14);
    EXPECT_EQ(e.kind, 1);
    EXPECT_TRUE(lookup(e, "kMixPart", nullptr));
    EXPECT_EQ(e.parameter, 0);
    EXPECT_FALSE(lookup(e, "kMixPart", "kPartPanX"));
    EXPECT_FALSE(lookup(e, "kNope", nullptr));
    EXPECT_FALSE(lookup(e, nullptr, "kPartPan"));

    // Row positions, not parameter numbers: position 15 of kMixPart is kPartDetune (16).
    element_s in;
    in.element = 55;
    in.parameter = 15;
    in.kind = 1;
    QString group, param;
    ASSERT_TRUE(reverselookup(in, group, param));
    EXPECT_EQ(group, "kMixPart");
    EXPECT_EQ(param, "kPartDetune");
    in.parameter = 200;
    EXPECT_FALSE(reverselookup(in, group, param));
    in.element = 99;
    EXPECT_FALSE(reverselookup(in, group, param));
}

TEST(NS_LookupUtility, CountsItsUsers)
{
    terminateLookup();
    EXPECT_FALSE(inUse());
    AddRef();
    AddRef();
    EXPECT_TRUE(inUse());
    Release();
    EXPECT_TRUE(inUse());
    Release();
    EXPECT_FALSE(inUse());
    Release(); // one too many changes nothing
    EXPECT_FALSE(inUse());
    initializeLookup();
    EXPECT_TRUE(inUse());
    terminateLookup();
}
