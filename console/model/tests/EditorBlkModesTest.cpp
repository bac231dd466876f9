// The map-wide settings a memory template may switch on (voice mode, part mode,
// voice-name rules, disabled commands) and the error a broken template gives: the
// template names its file, section and line, and the map is not built.
#include "CapturePort.h"
#include "TemplateVariantFixture.h"
#include "TestPaths.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace {

using Edit = TemplateEdit;

const char kModes[] = R"(
[voice_mode]
midi_format=9,F043105C00000000F7
data_pos=7
mode_on=1
mode_off=0

[voice_name_info]
terminator=0
invalid_num=2
0=92
1=126
invalid_head_num=1
head0=32

[part_mode]
part_max=16
board_max=2
automatic_midi_ch=1
data_pos=3
data_status=4
waitTime=50
size=2
0=0,370000,1,64,
1=0,000001,1,41,

[disable_cmd]
size=2
0=5
1=9
)";

using TemplateVariant = TemplateVariantTest;

} // namespace

TEST_F(TemplateVariant, VoiceAndPartModesAreReadAndServed)
{
    CPrmCtrl map;
    CapturePort port;
    ASSERT_TRUE(build(map, {{"voice_mode=0", "voice_mode=1\npart_mode=1"}}, kModes)) << map.ErrorText().toStdString();
    map.SetMIDI(&port, 0);
    CEditorBlk& blk = map.EditorBlk();

    ASSERT_TRUE(blk.IsVoiceMode());
    int size = 0;
    const unsigned char* on = blk.GetVoiceModeData(true, size);
    ASSERT_NE(on, nullptr);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(on), size), hexBytes("F0 43 10 5C 00 00 00 01 F7"));
    EXPECT_EQ(size, 9);
    EXPECT_EQ(on[7], 1);
    const unsigned char* off = blk.GetVoiceModeData(false, size);
    ASSERT_NE(off, nullptr);
    EXPECT_EQ(off[7], 0);

    EXPECT_EQ(blk.GetVoiceNameTerminator(), 0);
    const char backslash = 92, tilde = 126, space = 32, letter = 'A';
    EXPECT_TRUE(blk.IsInvalidChar(&backslash, false));
    EXPECT_TRUE(blk.IsInvalidChar(&tilde, false));
    EXPECT_FALSE(blk.IsInvalidChar(&letter, false));
    EXPECT_TRUE(blk.IsInvalidChar(&space, true));
    EXPECT_FALSE(blk.IsInvalidChar(&space, false));
    EXPECT_FALSE(blk.IsInvalidChar(nullptr, true));

    EXPECT_EQ(blk.DisabledCommands(), (std::vector<int32_t>{5, 9}));

    // The part-assign list goes out in its order, one parameter change each.
    port.sent.clear();
    blk.SendPartAssignPrmChng();
    ASSERT_EQ(port.sent.size(), 2);
    EXPECT_EQ(port.sent[0], hexBytes("F0 43 10 5C 37 00 00 64 F7"));
    EXPECT_EQ(port.sent[1], hexBytes("F0 43 10 5C 00 00 01 41 F7"));
}

TEST_F(TemplateVariant, WithoutTheModesNothingIsServedOrSent)
{
    CPrmCtrl map;
    CapturePort port;
    // The sections are there, but common_info leaves both modes off.
    ASSERT_TRUE(build(map, {}, kModes)) << map.ErrorText().toStdString();
    map.SetMIDI(&port, 0);
    int size = -1;
    EXPECT_FALSE(map.EditorBlk().IsVoiceMode());
    EXPECT_EQ(map.EditorBlk().GetVoiceModeData(true, size), nullptr);
    map.EditorBlk().SendPartAssignPrmChng();
    EXPECT_TRUE(port.sent.isEmpty());
}

TEST_F(TemplateVariant, ADataPositionBeyondTheVoiceModeMessageGivesNoMessage)
{
    CPrmCtrl map;
    ASSERT_TRUE(build(map, {{"voice_mode=0", "voice_mode=1"}}, R"(
[voice_mode]
midi_format=9,F043105C00000000F7
data_pos=9
mode_on=1
mode_off=0
)")) << map.ErrorText().toStdString();
    int size = -1;
    EXPECT_EQ(map.EditorBlk().GetVoiceModeData(true, size), nullptr);
    EXPECT_EQ(size, -1);
}

namespace {

// Each broken template: what is changed, and the section and fault its error names.
struct BrokenCase
{
    const char* name;
    std::vector<Edit> edits;
    const char* extra;
    const char* section;
    const char* fault;
};

class BrokenTemplate : public TemplateVariant, public ::testing::WithParamInterface<BrokenCase>
{
};

} // namespace

TEST_P(BrokenTemplate, IsRefusedWithItsSectionAndFault)
{
    const BrokenCase& f = GetParam();
    CPrmCtrl map;
    ASSERT_FALSE(build(map, f.edits, f.extra));
    const QString error = map.ErrorText();
    EXPECT_TRUE(error.contains(QStringLiteral("variant.tpm"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("[%1]").arg(QLatin1String(f.section)))) << error.toStdString();
    EXPECT_TRUE(error.contains(QLatin1String(f.fault))) << error.toStdString();
}

const char kVoiceModeOn[] = "voice_mode=1";
const char kPartModeOn[] = "voice_mode=0\npart_mode=1";

INSTANTIATE_TEST_SUITE_P(
    EditorBlk, BrokenTemplate,
    ::testing::Values(
        BrokenCase{"NoEditMode", {{"edit_mode=1\n", ""}}, "", "common_info", "missing edit_mode"},
        BrokenCase{"VoiceModeWithoutSection", {{"voice_mode=0", kVoiceModeOn}}, "", "voice_mode", "missing section"},
        BrokenCase{"VoiceModeWithoutMessage", {{"voice_mode=0", kVoiceModeOn}},
                      "\n[voice_mode]\ndata_pos=1\nmode_on=1\nmode_off=0\n", "voice_mode", "missing midi_format"},
        BrokenCase{"VoiceModeEmptyMessage", {{"voice_mode=0", kVoiceModeOn}},
                      "\n[voice_mode]\nmidi_format=0,F0\ndata_pos=1\nmode_on=1\nmode_off=0\n", "voice_mode",
                      "bad message length"},
        BrokenCase{"VoiceModeShortMessage", {{"voice_mode=0", kVoiceModeOn}},
                      "\n[voice_mode]\nmidi_format=9,F0431F\ndata_pos=1\nmode_on=1\nmode_off=0\n", "voice_mode",
                      "message is not 9 bytes"},
        BrokenCase{"VoiceModeWithoutOnByte", {{"voice_mode=0", kVoiceModeOn}},
                      "\n[voice_mode]\nmidi_format=2,F0F7\ndata_pos=1\nmode_off=0\n", "voice_mode",
                      "missing data_pos, mode_on or mode_off"},
        BrokenCase{"PartModeWithoutSection", {{"voice_mode=0", kPartModeOn}}, "", "part_mode", "missing section"},
        BrokenCase{"PartModeWithoutBoardMax", {{"voice_mode=0", kPartModeOn}}, "\n[part_mode]\npart_max=16\nsize=0\n",
                      "part_mode", "missing part_max or board_max"},
        BrokenCase{"PartModeWithoutSize", {{"voice_mode=0", kPartModeOn}}, "\n[part_mode]\npart_max=16\nboard_max=2\n",
                      "part_mode", "missing or bad size"},
        BrokenCase{"PartModeMissingEntry", {{"voice_mode=0", kPartModeOn}},
                      "\n[part_mode]\npart_max=16\nboard_max=2\nsize=2\n0=0,370000,1,64,\n", "part_mode", "missing key 1"},
        BrokenCase{"PartModeUnknownCategory", {{"voice_mode=0", kPartModeOn}},
                      "\n[part_mode]\npart_max=16\nboard_max=2\nsize=1\n0=9,370000,1,64,\n", "part_mode",
                      "address category 9 has no address length"},
        BrokenCase{"PartModeShortAddress", {{"voice_mode=0", kPartModeOn}},
                      "\n[part_mode]\npart_max=16\nboard_max=2\nsize=1\n0=0,37,1,64,\n", "part_mode",
                      "address is not 3 bytes"},
        BrokenCase{"PartModeHugeData", {{"voice_mode=0", kPartModeOn}},
                      "\n[part_mode]\npart_max=16\nboard_max=2\nsize=1\n0=0,370000,200,64,\n", "part_mode", "bad data size"},
        BrokenCase{"PartModeShortData", {{"voice_mode=0", kPartModeOn}},
                      "\n[part_mode]\npart_max=16\nboard_max=2\nsize=1\n0=0,370000,2,64,\n", "part_mode",
                      "data is not 2 bytes"},
        BrokenCase{"DisabledWithoutSize", {}, "\n[disable_cmd]\n0=1\n", "disable_cmd", "missing size"},
        BrokenCase{"DisabledMissingKey", {}, "\n[disable_cmd]\nsize=2\n0=1\n", "disable_cmd", "missing key 1"},
        BrokenCase{"RulesWithoutSize", {{"[AssignRule]\nsize=2\n", "[AssignRule]\n"}}, "", "AssignRule", "missing size"},
        BrokenCase{"RulesMissingName", {{"1=GapRule\n", ""}}, "", "AssignRule", "missing key 1"},
        BrokenCase{"RuleWithoutSize", {{"[ChannelRule]\nsize=1\n", "[ChannelRule]\n"}}, "", "ChannelRule",
                      "missing size"},
        BrokenCase{"BlockListWithoutSize", {{"[block_list]\nsize=3\n", "[block_list]\n"}}, "", "block_list",
                      "missing or bad size"},
        BrokenCase{"BlockListMissingName", {{"2=FX\n\n", "\n"}}, "", "block_list", "missing key 2"},
        BrokenCase{"BlockSectionAbsent", {{"[FX]\n", "[FX-gone]\n"}}, "", "FX", "missing block section"},
        BrokenCase{"BlockWithoutMidi", {{"Name=FX\nMemSize=4\nmidi=0\n", "Name=FX\nMemSize=4\n"}}, "", "FX",
                      "missing midi"},
        BrokenCase{"BlockOfUnknownCategory", {{"Name=FX\nMemSize=4\nmidi=0\n", "Name=FX\nMemSize=4\nmidi=9\n"}}, "",
                      "FX", "address category 9 has no address length"},
        BrokenCase{"BlockWithoutRanges", {{"midi=0\nadrsInfoSize=1\ninfo0=360100", "midi=0\ninfo0=360100"}}, "", "FX",
                      "missing adrsInfoSize"},
        BrokenCase{"BlockWithBadRangeCount", {{"midi=0\nadrsInfoSize=1\ninfo0=360100", "midi=0\nadrsInfoSize=-1\ninfo0=360100"}},
                      "", "FX", "bad range count"},
        BrokenCase{"RangeShortLow", {{"info0=360100,360103", "info0=36,360103"}}, "", "FX",
                      "range 0: low address is not 3 bytes"},
        BrokenCase{"RangeShortHigh", {{"info0=360100,360103", "info0=360100,36"}}, "", "FX",
                      "range 0: addresses are not 3 bytes"},
        BrokenCase{"RangeWithoutStride", {{"info0=360100,360103,000000,000000,0", "info0=360100,360103,000000,000000"}},
                      "", "FX", "range 0: bad stride"},
        BrokenCase{"RangeLowAboveHigh", {{"info0=360100,360103", "info0=360104,360103"}}, "", "FX",
                      "range 0: low above high"},
        BrokenCase{"BlockWithoutName", {{"Name=FX\n", ""}}, "", "FX", "missing Name"},
        BrokenCase{"BlockWithoutParameterCount", {{"BlkPrmSize=2\nsize=4\n0=360100", "size=4\n0=360100"}}, "", "FX",
                      "missing BlkPrmSize"},
        BrokenCase{"BlockWithoutLineCount", {{"BlkPrmSize=2\nsize=4\n0=360100", "BlkPrmSize=2\n0=360100"}}, "", "FX",
                      "missing size"},
        BrokenCase{"BlockWithBadLineCount", {{"BlkPrmSize=2\nsize=4\n0=360100", "BlkPrmSize=2\nsize=-4\n0=360100"}}, "",
                      "FX", "bad line count"},
        BrokenCase{"BlockMissingLine", {{"2=360102,0,2,2,00,7F,00,4,0,65535,Param\n", ""}}, "", "FX",
                      "missing parameter line 2"},
        BrokenCase{"ParameterLineShort", {{"2=360102,0,2,2,00,7F,00,4,0,65535,Param", "2=360102,0,2,2,00,7F,00,4"}}, "",
                      "FX", "a parameter line has eleven fields"},
        BrokenCase{"ParameterStyleTooLarge", {{"2=360102,0,2,2,00,7F,00,4,0,65535,Param", "2=360102,0,2,2,00,7F,00,4,70000,65535,Param"}},
                      "", "FX", "style or link number outside 0..65535"},
        BrokenCase{"TwoByteParameterAtTheEnd", {{"size=4\n0=360100", "size=3\n0=360100"}}, "", "FX",
                      "a 2-byte parameter needs 2 lines"},
        BrokenCase{"ContinuationLineMissing", {{"3=360102,0,2,2,00,7F,00\n", "4=360102,0,2,2,00,7F,00\n"}}, "", "FX",
                      "missing continuation line 3"},
        BrokenCase{"ContinuationLineShort", {{"3=360102,0,2,2,00,7F,00\n", "3=360102,0,2,2,00,7F\n"}}, "", "FX",
                      "a continuation line has seven fields"},
        BrokenCase{"SoloMuteWithoutMuteMode", {{"solo_mode=1\nmute_mode=1\n", "solo_mode=1\n"}}, "", "solo_mute_info",
                      "needs solo_mode, mute_mode, midi_format and size"},
        BrokenCase{"SoloMuteUnknownCategory", {{"mute_mode=1\nmidi_format=0\n", "mute_mode=1\nmidi_format=9\n"}}, "",
                      "solo_mute_info", "address category 9 has no address length"},
        BrokenCase{"VoiceCategoryWithoutNameLength", {{"voice_name_adrs=0,360100,4,0", "voice_name_adrs=0,360100"}}, "",
                   "FixVoice", "voice_name_adrs: missing or bad name length"},
        BrokenCase{"VoiceCategoryWithoutCount", {{"voice_num=1\n", ""}}, "", "FixVoice", "voice_num"},
        BrokenCase{"VoiceCategoryTemplateTooLarge", {{"voice_num=1\ntemplate=0\n", "voice_num=1\ntemplate=300\n"}}, "",
                   "FixVoice", "template 300 outside 0..255"},
        BrokenCase{"VoiceCategoryWithoutEdit", {{"template=0\nedit=1\n", "template=0\n"}}, "", "FixVoice", "edit"},
        BrokenCase{"VoiceCategoryWithoutBlocks", {{"edit=1\nsize=2\n0=0,360100", "edit=1\n0=0,360100"}}, "", "FixVoice",
                   "size"},
        BrokenCase{"VoiceCategoryNegativeBlocks", {{"edit=1\nsize=2\n0=0,360100", "edit=1\nsize=-2\n0=0,360100"}}, "",
                   "FixVoice", "bad block count -2"},
        BrokenCase{"VoiceBlockShortAddress", {{"edit=1\nsize=2\n0=0,360100", "edit=1\nsize=2\n0=0,3601"}}, "", "FixVoice",
                   "block address is not 3 bytes"},
        BrokenCase{"VoiceTemplatesWithoutSize", {{"[voice_memory_template]\nsize=0", "[voice_memory_template]\n"}}, "",
                   "voice_memory_template", "missing size"},
        BrokenCase{"VoiceTemplateMissingName", {{"[voice_memory_template]\nsize=0", "[voice_memory_template]\nsize=1"}}, "",
                   "voice_memory_template", "missing key 0"},
        BrokenCase{"VoiceTemplateWithoutSize", {{"[voice_memory_template]\nsize=0", "[voice_memory_template]\nsize=1\n0=VoiceTpl\n\n[VoiceTpl]\n0=1,360100,360103,000000,000000,0"}},
                   "", "VoiceTpl", "missing or bad size"},
        BrokenCase{"VoiceTemplateMissingLine", {{"[voice_memory_template]\nsize=0", "[voice_memory_template]\nsize=1\n0=VoiceTpl\n\n[VoiceTpl]\nsize=2\n0=1,360100,360103,000000,000000,0"}},
                   "", "VoiceTpl", "missing line 1"},
        BrokenCase{"VoiceTemplateShortAddress", {{"[voice_memory_template]\nsize=0", "[voice_memory_template]\nsize=1\n0=VoiceTpl\n\n[VoiceTpl]\nsize=1\n0=1,3601,360103,000000,000000,0"}},
                   "", "VoiceTpl", "addresses are not 3 bytes"},
        BrokenCase{"VoiceTemplateWithoutStride", {{"[voice_memory_template]\nsize=0", "[voice_memory_template]\nsize=1\n0=VoiceTpl\n\n[VoiceTpl]\nsize=1\n0=1,360100,360103,000000,000000"}},
                   "", "VoiceTpl", "missing stride"},
        BrokenCase{"DuplicatesWithoutSize", {}, "\n[duplicate_blk]\n0=0,360100,000000\n", "duplicate_blk", "missing size"},
        BrokenCase{"DuplicatesMissingLine", {}, "\n[duplicate_blk]\nsize=2\n0=0,360100,000000\n", "duplicate_blk",
                   "missing line 1"},
        BrokenCase{"DuplicateShortAddress", {}, "\n[duplicate_blk]\nsize=1\n0=0,3601,000000\n", "duplicate_blk",
                   "addresses are not 3 bytes"},
        BrokenCase{"AssignStylesWithoutSize", {{"[AssignStyleList]\nsize=1\n", "[AssignStyleList]\n"}}, "", "AssignStyleList",
                   "missing or bad size"},
        BrokenCase{"AssignStyleMissingKey", {{"[AssignStyleList]\nsize=1\n", "[AssignStyleList]\nsize=2\n"}}, "",
                   "AssignStyleList", "missing key 1"},
        BrokenCase{"AssignStyleWithoutTable", {{"[AssignStyleList]\nsize=1\n0=0,2,0", "[AssignStyleList]\nsize=1\n0=0,2"}}, "",
                   "AssignStyleList", "needs minimum, maximum and table"},
        BrokenCase{"AssignTableAbsent", {{"[AssignStyleDataList]\nsize=1\n0=FxTypeTbl", "[AssignStyleDataList]\nsize=1\n0=NoTbl"}},
                   "", "NoTbl", "missing table section"},
        BrokenCase{"AssignTableWithoutWidth", {{"[FxTypeTbl]\nprmSize=2\n", "[FxTypeTbl]\n"}}, "", "FxTypeTbl",
                   "missing or bad prmSize"},
        BrokenCase{"AssignTableWithoutSize", {{"[FxTypeTbl]\nprmSize=2\nsize=3\n", "[FxTypeTbl]\nprmSize=2\n"}}, "",
                   "FxTypeTbl", "missing or bad size"},
        BrokenCase{"AssignTableMissingRow", {{"[FxTypeTbl]\nprmSize=2\nsize=3\n", "[FxTypeTbl]\nprmSize=2\nsize=4\n"}}, "",
                   "FxTypeTbl", "missing row 3"},
        BrokenCase{"AssignTableShortRow", {{"1=0100\n2=0201", "1=01\n2=0201"}}, "", "FxTypeTbl", "row 1 is not 2 bytes"},
        BrokenCase{"LinksWithoutSize", {{"[InitLinkList]\nsize=3\n", "[InitLinkList]\n"}}, "", "InitLinkList",
                   "missing or bad size"},
        BrokenCase{"LinksMissingKey", {{"[InitLinkList]\nsize=3\n", "[InitLinkList]\nsize=4\n"}}, "", "InitLinkList",
                   "missing key 3"},
        BrokenCase{"LinkWithoutDataMap", {{"2=0,2\n\n[Init adrs]", "2=0\n\n[Init adrs]"}}, "", "InitLinkList",
                   "needs an address set and a data map"},
        BrokenCase{"AddressSetsWithoutSize", {{"[Init adrs]\nsize=2\n", "[Init adrs]\n"}}, "", "Init adrs",
                   "missing or bad size"},
        BrokenCase{"AddressSetsMissingName", {{"[Init adrs]\nsize=2\n", "[Init adrs]\nsize=3\n"}}, "", "Init adrs",
                   "missing key 2"},
        BrokenCase{"AddressSetAbsent", {{"0=DepthAdrs\n1=FxAdrs", "0=DepthAdrs\n1=NoAdrs"}}, "", "NoAdrs",
                   "missing address set"},
        BrokenCase{"AddressSetWithoutSize", {{"[DepthAdrs]\nsize=1\n", "[DepthAdrs]\n"}}, "", "DepthAdrs",
                   "missing or bad size"},
        BrokenCase{"AddressSetMissingKey", {{"[DepthAdrs]\nsize=1\n", "[DepthAdrs]\nsize=2\n"}}, "", "DepthAdrs",
                   "missing key 1"},
        BrokenCase{"AddressSetUnknownCategory", {{"0=0,000003,FFFF00", "0=9,000003,FFFF00"}}, "", "DepthAdrs",
                   "address category 9 has no address length"},
        BrokenCase{"AddressSetShortPattern", {{"0=0,000003,FFFF00", "0=0,0003,FFFF00"}}, "", "DepthAdrs",
                   "pattern is not 3 bytes"},
        BrokenCase{"AddressSetShortMask", {{"0=0,000003,FFFF00", "0=0,000003,FFFF"}}, "", "DepthAdrs",
                   "mask is not 3 bytes"},
        BrokenCase{"DataSetAbsent", {{"1=DepthSet\n2=FxParam", "1=DepthSet\n2=NoData"}}, "", "NoData", "missing data set"},
        BrokenCase{"DataSetWithoutWidth", {{"[DepthClamp]\nprmSize=1\n", "[DepthClamp]\n"}}, "", "DepthClamp",
                   "missing prmSize"},
        BrokenCase{"DataSetWithoutSize", {{"[DepthClamp]\nprmSize=1\nsize=1\n", "[DepthClamp]\nprmSize=1\n"}}, "",
                   "DepthClamp", "missing or bad size"},
        BrokenCase{"DataSetMissingLine", {{"[DepthClamp]\nprmSize=1\nsize=1\n0=", "[DepthClamp]\nprmSize=1\nsize=1\n5="}},
                   "", "DepthClamp", "missing line 0"},
        BrokenCase{"DataItemOfNoBytes", {{"0=1,10,20,FF,0,0,Depth Clamped", "0=0,10,20,FF,0,0,Depth Clamped"}}, "",
                   "DepthClamp", "bad byte count 0"},
        BrokenCase{"DataItemWithoutCodes", {{"0=1,10,20,FF,0,0,Depth Clamped", "0=1,10,20,FF"}}, "", "DepthClamp",
                   "item needs its bytes and codes"},
        BrokenCase{"DataItemMissingSecondLine", {{"1=2,00,7F,40\n", ""}}, "", "FxParam", "missing line 1"},
        BrokenCase{"DataItemShortSecondLine", {{"1=2,00,7F,40\n", "1=2,00,7F\n"}}, "", "FxParam", "needs three bytes"},
        BrokenCase{"DataSetWithTooFewItems", {{"[DepthClamp]\nprmSize=1\n", "[DepthClamp]\nprmSize=2\n"}}, "", "DepthClamp",
                   "1 lines hold fewer than 2 items"},
        BrokenCase{"DataMapAbsent", {{"1=FxMap\n2=SysMap", "1=FxMap\n2=NoMap"}}, "", "NoMap", "missing data map"},
        BrokenCase{"DataMapWithoutSize", {{"[SysMap]\nsize=1\n", "[SysMap]\n"}}, "", "SysMap", "missing or bad size"},
        BrokenCase{"DataMapMissingKey", {{"[SysMap]\nsize=1\n", "[SysMap]\nsize=2\n"}}, "", "SysMap", "missing key 1"},
        BrokenCase{"DataMapWithoutNumber", {{"[SysMap]\nsize=1\n0=0001,0", "[SysMap]\nsize=1\n0=0001"}}, "", "SysMap",
                   "needs a key and a data-set number"},
        BrokenCase{"DisplayTableAbsent", {{"0=Modes\n1=FxTypes", "0=Modes\n1=NoTable"}}, "", "NoTable",
                   "missing table section"},
        BrokenCase{"DisplayTableWithoutKeyLength", {{"[Modes]\nszPrm=1\n", "[Modes]\n"}}, "", "Modes",
                   "missing or bad szPrm"},
        BrokenCase{"DisplayTableWithoutSize", {{"[Modes]\nszPrm=1\nsize=3\n", "[Modes]\nszPrm=1\n"}}, "", "Modes",
                   "missing or bad size"},
        BrokenCase{"DisplayTableMissingRow", {{"2=01,Layer\n", ""}}, "", "Modes", "missing row 2"},
        BrokenCase{"SoloMuteNegativeParts", {{"midi_format=0\nsize=16\n0=370000", "midi_format=0\nsize=-1\n0=370000"}},
                      "", "solo_mute_info", "bad part count"}),
    [](const ::testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });

TEST_F(TemplateVariant, ASoloMuteSectionWithoutPartsKeepsEveryPartAudible)
{
    CPrmCtrl map;
    ASSERT_TRUE(build(map, {{"midi_format=0\nsize=16\n0=370000", "midi_format=0\nsize=0\n0=370000"}}))
        << map.ErrorText().toStdString();
    CEditorBlk& blk = map.EditorBlk();
    EXPECT_EQ(blk.GetVolumeNum(), 0);
    EXPECT_FALSE(blk.SetMuteStatus(0, true));
    const unsigned char volume[3] = {0x37, 0x00, 0x00};
    EXPECT_TRUE(blk.CheckSoloMuteStatus(0, volume, 3));
}
