// Building both memory maps: the shipped data folder, the building order, and what a
// missing required section leaves behind.
#include "PrmCtrlTestSupport.h"
#include "console/bulk/Bulk.h"
#include "console/model/VceMem.h"

#include <gtest/gtest.h>

namespace {

// How far the building sequence got: the number of leading required parts that hold
// data (7 when all do); -1 when a part after the first empty one holds data. The rule
// parts come last and may be empty in a complete map, but never after a failure.
int builtParts(CPrmCtrl& map)
{
    const bool parts[] = {
        map.Hdr().GetHdrCount() > 0,
        map.MidiFormat().GetMidiTypeSize() > 0,
        map.GetBlkCount() > 0,
        map.BlkAdrs().GetListCount() > 0,
        map.VceMem() && map.VceMem()->GetVoiceMemCategoryNum() > 0,
        map.Bulk() && map.Bulk()->GetBulkReqCategorySize() > 0,
        map.DispStyle().TableCount() > 0 && map.AsgnStyle().StyleCount() > 0,
    };
    const bool rules = map.CopyBlkInfo().GetRuleCount() > 0 || map.CopyPrmInfo().GetBankCount() > 0
        || map.SpecialPrmInfo().GetRuleCount() > 0;
    constexpr int kRequired = int(sizeof parts);
    int n = 0;
    while (n < kRequired && parts[n])
        ++n;
    for (int i = n; i < kRequired; ++i)
        if (parts[i])
            return -1;
    return n < kRequired && rules ? -1 : n;
}

struct Removal
{
    const char* section;
    int withData;  // leading parts that hold data: those built and the one that failed, if it kept any
};

class RequiredSection : public ::testing::TestWithParam<Removal>
{
};

std::string removalName(const ::testing::TestParamInfo<Removal>& info)
{
    return info.param.section;
}

} // namespace

TEST(MapBuild, TheFullFixtureBuildsEveryPart)
{
    RuleMaps maps(multiWithRules(), false);
    ASSERT_TRUE(maps.multiOk) << maps.multi->ErrorText().toStdString();
    EXPECT_EQ(builtParts(*maps.multi), 7);
    EXPECT_EQ(maps.multi->CopyBlkInfo().GetRuleCount(), 2);
    EXPECT_EQ(maps.multi->CopyPrmInfo().GetPartCount(), 16);
    EXPECT_EQ(maps.multi->SpecialPrmInfo().GetRuleCount(), 1);
    EXPECT_TRUE(maps.multi->ErrorText().isEmpty());
}

TEST_P(RequiredSection, RemovingItFailsTheBuildWithAMessageAndLeavesLaterPartsEmpty)
{
    const Removal& r = GetParam();
    const QByteArray full = multiWithRules();
    ASSERT_TRUE(sectionNames(full).contains(r.section));
    RuleMaps maps(removeSection(full, r.section), false);
    EXPECT_FALSE(maps.multiOk);
    const QString err = maps.multi->ErrorText();
    EXPECT_TRUE(err.contains(maps.path)) << err.toStdString();
    EXPECT_TRUE(err.contains(QLatin1String(r.section))) << err.toStdString();
    EXPECT_EQ(builtParts(*maps.multi), r.withData) << err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(MapBuild, RequiredSection,
                         ::testing::Values(Removal{"LibHdrTplList", 0}, Removal{"midi_format", 1},
                                           Removal{"block_list", 2}, Removal{"bank_block_adrs_list", 3},
                                           Removal{"voice_memory_category", 4}, Removal{"bulk_req_list", 5},
                                           Removal{"bulk_out_list", 6}, Removal{"DispStyleList", 6},
                                           Removal{"AssignStyleList", 6}),
                         removalName);

TEST(MapBuild, OptionalRuleSectionsDoNotFailTheMap)
{
    QByteArray text = multiWithRules();
    for (const char* s : {"PrmCopyInfo", "PrmCopyInfo0", "param_special_func"})
        text = removeSection(text, s);
    RuleMaps maps(text, false);
    ASSERT_TRUE(maps.multiOk) << maps.multi->ErrorText().toStdString();
    EXPECT_EQ(maps.multi->CopyPrmInfo().GetPartCount(), 0);
    EXPECT_EQ(maps.multi->CopyBlkInfo().GetRuleCount(), 0);  // the list ends at the first gap
    EXPECT_EQ(maps.multi->SpecialPrmInfo().GetRuleCount(), 0);
}

TEST(MapBuild, AFailedRebuildLeavesNoStaleParts)
{
    RuleMaps maps(multiWithRules(), false);
    ASSERT_TRUE(maps.multiOk);
    CPrmCtrl& map = *maps.multi;
    ASSERT_FALSE(map.CreatePrmCtrl(0, fixturePath("reader.ini")));
    EXPECT_EQ(builtParts(map), 0);
}

TEST(MapBuild, BothShippedMapsBuildAndLink)
{
    RuleMaps maps(readAll(shippedMultiTemplate()));
    ASSERT_TRUE(maps.multiOk) << maps.multi->ErrorText().toStdString();
    ASSERT_TRUE(maps.voiceOk) << maps.voice->ErrorText().toStdString();
    CPrmCtrl& multi = *maps.multi;
    CPrmCtrl& voice = *maps.voice;
    EXPECT_TRUE(multi.IsRemoteCtrlMode());
    EXPECT_FALSE(voice.IsRemoteCtrlMode());
    EXPECT_EQ(multi.GetMode(), 0);
    EXPECT_EQ(voice.GetMode(), 1);
    EXPECT_EQ(builtParts(multi), 7);
    // The shipped copy and special-parameter rules: 16 parts each.
    EXPECT_EQ(multi.CopyPrmInfo().GetPartCount(), 16);
    EXPECT_GT(multi.CopyPrmInfo().GetCopySetCount(), 0);
    ASSERT_EQ(multi.SpecialPrmInfo().GetRuleCount(), 1);
    EXPECT_EQ(multi.SpecialPrmInfo().GetRule(0)->switches.size(), 16u);
    EXPECT_GE(multi.PlugInBoards().GetPlugInBoardNum(), 2);
    EXPECT_GT(voice.GetLibCateNum(), 6);
    // The voice map keeps no boards and no styles of its own.
    EXPECT_EQ(voice.DispStyle().TableCount(), 0);
    EXPECT_EQ(voice.AsgnStyle().StyleCount(), 0);
    EXPECT_EQ(voice.PlugInBoards().GetPlugInBoardNum(), 0);
    EXPECT_EQ(multi.RemoteCtrl().map(), &multi);
    EXPECT_EQ(voice.RemoteCtrl().map(), nullptr);

    // The voice category's display style exists only in the multi map.
    const unsigned char category[3] = {0x40, 0x00, 0x0A};
    const unsigned char value[1] = {0x01};
    PRMINFO info;
    ASSERT_TRUE(voice.GetPrmInfo(0, category, info));
    QString viaVoice, viaMulti;
    ASSERT_TRUE(voice.GetValToStr(0, category, value, viaVoice));
    ASSERT_TRUE(multi.DispStyle().GetDispStyle(short(info.dispStyle), value, 1, viaMulti, &multi.EditorBlk()));
    EXPECT_EQ(viaVoice, viaMulti);
    EXPECT_FALSE(viaVoice.isEmpty());
}

TEST(MapBuild, TheModesFindTheirTemplatesInTheBundle)
{
    if (bundleDir().isEmpty())
        GTEST_SKIP() << "no bundle folder";
    CPrmCtrl multi, voice;
    ASSERT_TRUE(multi.CreatePrmCtrl(0)) << multi.ErrorText().toStdString();
    ASSERT_TRUE(voice.CreatePrmCtrl(1)) << voice.ErrorText().toStdString();
    EXPECT_TRUE(multi.TemplatePath().endsWith(QStringLiteral("/VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm")));
    EXPECT_TRUE(voice.TemplatePath().endsWith(
        QStringLiteral("/Vexmoor/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm")));
    EXPECT_EQ(voice.BaseName(), QStringLiteral("VETOVAR-VANTREL"));
    EXPECT_FALSE(voice.IsPlugInBoardsFlag());
    EXPECT_TRUE(multi.IsPlugInBoardsFlag());
}

TEST(MapBuild, AMissingPresetCacheIsReportedAsNotLoaded)
{
    RuleMaps maps(readAll(shippedMultiTemplate()));
    ASSERT_TRUE(maps.voiceOk);
    EXPECT_FALSE(maps.voice->LoadPresetVoice(maps.dir.path() + QStringLiteral("/no-such-cache")));
    // A stored cache loads back.
    const QString file = maps.dir.path() + QStringLiteral("/TOVAR-VANTPRESETS");
    maps.voice->StorePresetVoice(file);
    EXPECT_TRUE(maps.voice->IsPresetVoiceLoaded());
    EXPECT_TRUE(maps.voice->LoadPresetVoice(file));
}
