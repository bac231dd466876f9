// Reading the parameter and block copy rules and answering their queries.
#include "PrmCtrlTestSupport.h"
#include "console/model/CopyBlkInfo.h"
#include "console/model/CopyPrmInfo.h"
#include "console/model/IniFileJobCache.h"
#include "console/model/VceMem.h"

#include <gtest/gtest.h>

namespace {

QByteArray adr(const unsigned char* a)
{
    return a ? QByteArray(reinterpret_cast<const char*>(a), 3) : QByteArray();
}

QByteArray withLine(const QByteArray& text, const QByteArray& from, const QByteArray& to)
{
    QByteArray t = text;
    EXPECT_TRUE(t.contains(from)) << from.constData();
    return t.replace(from, to);
}

// A preset line's leading hex bytes, as the bank lookup reads them: tokens between
// TABs and commas, trimmed, empty ones dropped.
struct HexLine
{
    const char* value;
    bool read;
    unsigned char bytes[3];
};

const HexLine kHexLines[] = {
    {"3F,00,7F", true, {0x3F, 0x00, 0x7F}},
    {" 3f , 0 ,\t7f\t", true, {0x3F, 0x00, 0x7F}},
    {"3F,,00,,,7F", true, {0x3F, 0x00, 0x7F}},
    {"3F\t00\t7F", true, {0x3F, 0x00, 0x7F}},
    {"3F,00,7F,not a byte", true, {0x3F, 0x00, 0x7F}},
    {"3F,00", false, {}},
    {"", false, {}},
    {",,\t, ,", false, {}},
    {"3F,00,100", false, {}},
    {"3F,00,7G", false, {}},
    {"3F,not a byte,7F", false, {}},
    {"3F 00,01,02", false, {}},
};

} // namespace

TEST(CopyRules, PresetLinesReadTheirLeadingHexBytes)
{
    for (const HexLine& line : kHexLines) {
        SCOPED_TRACE(line.value);
        unsigned char b[3] = {0xAA, 0xAA, 0xAA};
        ASSERT_EQ(CCopyPrmInfo::LeadingHexBytes(QByteArray(line.value), b, 3), line.read);
        if (line.read) {
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(b), 3), QByteArray(reinterpret_cast<const char*>(line.bytes), 3));
        }
    }
    const std::vector<QByteArray> t = CCopyPrmInfo::SplitTokens(" a b ,\t,c,, d\t");
    EXPECT_EQ(t, (std::vector<QByteArray>{"a b", "c", "d"}));
}

TEST(CopyRules, AddressStepsAddPerPartWithCarry)
{
    unsigned char a[3] = {0x37, 0xFF, 0xF0};
    const unsigned char step[3] = {0x00, 0x01, 0x20};
    CCopyPrmInfo::AddAddress(3, a, step);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(a), 3), hexBytes("38 01 10"));

    std::vector<QByteArray> out;
    const unsigned char part[3] = {0x00, 0x01, 0x00};
    ASSERT_TRUE(CCopyPrmInfo::SetAddress(3, "370002", 16, out, part));
    ASSERT_EQ(out.size(), 16u);
    EXPECT_EQ(out[0], hexBytes("37 00 02"));
    EXPECT_EQ(out[15], hexBytes("37 0F 02"));
    EXPECT_FALSE(CCopyPrmInfo::SetAddress(3, "3700", 2, out, part));
    EXPECT_FALSE(CCopyPrmInfo::SetAddress(3, "37XX02", 2, out, part));
}

TEST(CopyRules, PartsBanksAndSharedCopySetsFromTheTemplate)
{
    RuleMaps maps(multiWithRules(), false);
    ASSERT_TRUE(maps.multiOk) << maps.multi->ErrorText().toStdString();
    const CCopyPrmInfo& rules = maps.multi->CopyPrmInfo();
    ASSERT_EQ(rules.GetPartCount(), 16);
    EXPECT_EQ(adr(rules.GetBankMSB(15)), hexBytes("37 0F 00"));
    EXPECT_EQ(adr(rules.GetBankLSB(4)), hexBytes("37 04 01"));
    EXPECT_EQ(rules.GetBankMSB(16), nullptr);
    EXPECT_EQ(rules.GetBankLSB(-1), nullptr);

    const unsigned char trigger[3] = {0x37, 0x05, 0x02}, other[3] = {0x37, 0x05, 0x03};
    EXPECT_EQ(rules.CheckTriggerAddres(0, trigger, 3), 5);
    EXPECT_EQ(rules.CheckTriggerAddres(1, trigger, 3), -1);
    EXPECT_EQ(rules.CheckTriggerAddres(0, other, 3), -1);

    // Two bank names: "Norm" on three lines shares one set.
    EXPECT_EQ(rules.GetCopySetCount(), 2);
    const int norm = rules.GetCopyParamInfoIndex(0x3F, 0x00);
    EXPECT_GE(norm, 0);
    EXPECT_EQ(rules.GetCopyParamInfoIndex(0x3F, 0x01), norm);
    EXPECT_EQ(rules.GetCopyParamInfoIndex(0x00, 0x00), norm);
    EXPECT_NE(rules.GetCopyParamInfoIndex(0x3F, 0x0A), norm);
    EXPECT_EQ(rules.GetCopyParamInfoIndex(0x12, 0x34), -1);
    EXPECT_EQ(rules.GetCategoryNo(0x3F, 0x01), 1);
    EXPECT_EQ(rules.GetCategoryNo(0x12, 0x34), -1);
    EXPECT_EQ(rules.GetBankInfo(2).name, QStringLiteral("Drum"));
    EXPECT_EQ(rules.GetBankInfo(9).category, -1);

    std::vector<PRM_ADDRESS> src, dst;
    ASSERT_TRUE(rules.GetPrmCopyAddress(norm, 3, 3, &src, &dst));
    ASSERT_EQ(dst.size(), 3u);
    EXPECT_EQ(src[0].address, hexBytes("40 00 0C"));  // the voice side has no step
    EXPECT_EQ(dst[0].address, hexBytes("37 03 0E"));
    EXPECT_EQ(dst[2].address, hexBytes("37 03 18"));
    EXPECT_FALSE(rules.GetPrmCopyAddress(7, 0, 3, &src, &dst));
    EXPECT_FALSE(rules.GetPrmCopyAddress(norm, -1, 3, &src, &dst));
}

TEST(CopyRules, AnIncompleteBankListLeavesNoTriggersButKeepsTheBanksRead)
{
    for (const auto& [from, to] : {std::pair<QByteArray, QByteArray>{"1=3F,01,1,Norm\n", "\n"},
                                   std::pair<QByteArray, QByteArray>{"[InfoDrum]", "[InfoDrumX]"},
                                   std::pair<QByteArray, QByteArray>{"2=0,410001,0,370018", "2=0,4100,0,370018"}}) {
        RuleMaps maps(withLine(multiWithRules(), from, to), false);
        ASSERT_TRUE(maps.multiOk) << maps.multi->ErrorText().toStdString();
        const CCopyPrmInfo& rules = maps.multi->CopyPrmInfo();
        const unsigned char trigger[3] = {0x37, 0x00, 0x02};
        EXPECT_EQ(rules.CheckTriggerAddres(0, trigger, 3), -1) << from.constData();
        EXPECT_EQ(rules.GetCopySetCount(), 0);
        EXPECT_GE(rules.GetBankCount(), 1);
    }
}

TEST(CopyRules, BlockRulesEndAtTheFirstMissingOrFaultySection)
{
    RuleMaps maps(multiWithRules(), false);
    ASSERT_TRUE(maps.multiOk);
    const CCopyBlkInfo& blocks = maps.multi->CopyBlkInfo();
    ASSERT_EQ(blocks.GetRuleCount(), 2);
    ASSERT_EQ(blocks.GetCopyBlkAdrsNum(0), 2);
    EXPECT_EQ(blocks.GetCopyBlkAdrs(0, 1)->value, 1);
    ASSERT_EQ(blocks.GetCopyBlkAdrs(0, 1)->blocks.size(), 2u);
    EXPECT_EQ(blocks.GetCopyBlkAdrs(0, 1)->blocks[1].address, hexBytes("37 01 00"));
    EXPECT_EQ(blocks.GetCopyBlkAdrs(0, 2), nullptr);
    EXPECT_EQ(blocks.GetCopyBlkAdrs(1, 0)->value, 5);
    EXPECT_EQ(blocks.GetBankAdrsInfo(1, CCopyBlkInfo::kVoicePC)->low, hexBytes("37 01 02"));
    EXPECT_EQ(blocks.GetBankAdrsInfo(1, 4), nullptr);
    EXPECT_TRUE(blocks.IsParamUpdate(0));
    EXPECT_FALSE(blocks.IsParamUpdate(1));
    EXPECT_EQ(blocks.GetMemoryOffsetSize(0), 4);
    EXPECT_TRUE(blocks.IsEmptyVoice(0, 0));
    EXPECT_FALSE(blocks.IsEmptyVoice(0, 0x000100));
    EXPECT_FALSE(blocks.IsMemoryFull(0, 100));
    EXPECT_TRUE(blocks.IsMemoryFull(0, 101));
    ASSERT_NE(blocks.GetMemoryBlk(0), nullptr);
    EXPECT_EQ(*blocks.GetMemoryBlk(0), hexBytes("37 00 00"));

    RuleMaps faulty(withLine(multiWithRules(), "VoiceMSB=370100,370100,000000,000000,0", "VoiceMSB=3701,370100"),
                    false);
    ASSERT_TRUE(faulty.multiOk);
    EXPECT_EQ(faulty.multi->CopyBlkInfo().GetRuleCount(), 1);
}

TEST(CopyRules, TheMemoryBudgetSumsAndWritesItsParameters)
{
    RuleMaps maps(multiWithRules(), false);
    ASSERT_TRUE(maps.multiOk);
    CPrmCtrl& map = *maps.multi;
    const unsigned char check[3] = {0x37, 0x00, 0x11}, size[3] = {0x37, 0x02, 0x14};
    const unsigned char ten[1] = {10};
    bool linked = false;
    ASSERT_TRUE(map.EditorBlk().SetData(0, check, ten, linked, LINK_OFF, MIDI_OFF, false, 0));
    CCopyBlkInfo& blocks = const_cast<CCopyBlkInfo&>(map.CopyBlkInfo());
    bool valid = false;
    EXPECT_EQ(blocks.GetMemorySize(0, -1, valid), 10);
    EXPECT_TRUE(valid);
    EXPECT_EQ(blocks.GetMemorySize(0, 0, valid), 0);  // its only instance excluded
    EXPECT_EQ(blocks.GetMemorySize(1, -1, valid), 0);
    EXPECT_FALSE(valid);

    maps.port.sent.clear();
    ASSERT_TRUE(blocks.SetMemorySize(0, 0, 0x21));
    unsigned char out[1] = {};
    ASSERT_TRUE(map.GetData(0, size, out));
    EXPECT_EQ(out[0], 0x21);
    EXPECT_TRUE(maps.port.sent.isEmpty());
    EXPECT_FALSE(blocks.SetMemorySize(1, 0, 1));
}

TEST(CopyRules, PresetBanksAreLookedUpByBankAndProgram)
{
    RuleMaps maps(readAll(shippedMultiTemplate()));
    ASSERT_TRUE(maps.voiceOk);
    const QString folder = fixturePath("");
    BANK_DATA d;
    d.msb = 0x00, d.lsb = 0x00, d.program = 0x7F;
    ASSERT_TRUE(maps.voice->CopyBlkInfo().GetBankData(folder, d));
    EXPECT_EQ(d.category, 6);
    EXPECT_EQ(d.voice, 2);
    d.lsb = 0x01, d.program = 0x05;
    ASSERT_TRUE(maps.voice->CopyBlkInfo().GetBankData(folder, d));
    EXPECT_EQ(d.category, 7);
    EXPECT_EQ(d.voice, 0);
    BANK_DATA none;
    none.msb = 0x00, none.lsb = 0x00, none.program = 0x06;
    EXPECT_FALSE(maps.voice->CopyBlkInfo().GetBankData(folder, none));
    EXPECT_FALSE(maps.voice->CopyBlkInfo().GetBankData(maps.dir.path() + QStringLiteral("/none/"), d));
}

// A damaged preset-bank file whose voice count is far beyond the category: a lookup
// of a program it does not list scanned every count up to 2^31 and hung the editor.
TEST(CopyRules, PresetBankFileIsReadOnlyAsFarAsTheCategoryHoldsVoices)
{
    RuleMaps maps(readAll(shippedMultiTemplate()));
    ASSERT_TRUE(maps.voiceOk);
    const int held = maps.voice->GetLibCateInfo(6).voiceNum;
    ASSERT_GT(held, 0);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("PresetBankInfo.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("[CategoryNo6]\nVoiceNum=2147483647\nVoice0=00,00,01\nVoice%1=00,00,02\n")
                   .arg(held)
                   .toLatin1());
    file.close();
    const QString folder = dir.path() + QLatin1Char('/');

    struct Case
    {
        unsigned char program;
        bool found;
    };
    const Case cases[] = {{0x01, true}, {0x02, false}, {0x03, false}};
    for (const Case& c : cases) {
        BANK_DATA d;
        d.msb = 0x00, d.lsb = 0x00, d.program = c.program;
        EXPECT_EQ(maps.voice->CopyBlkInfo().GetBankData(folder, d), c.found) << int(c.program);
        if (c.found) {
            EXPECT_EQ(d.category, 6);
            EXPECT_EQ(d.voice, 0);
        }
    }
}

// Lookups answer from the file as it reads now: the preset voices read for one file
// are not kept past a change of that file or a lookup in another folder.
TEST(CopyRules, PresetLookupsFollowTheFileAsItReadsNow)
{
    RuleMaps maps(readAll(shippedMultiTemplate()));
    ASSERT_TRUE(maps.voiceOk);
    ASSERT_GE(maps.voice->GetLibCateNum(), 9);
    ASSERT_GE(maps.voice->GetLibCateInfo(6).voiceNum, 4);
    const QString folders[2] = {maps.dir.path() + QStringLiteral("/first/"),
                                maps.dir.path() + QStringLiteral("/second/")};
    struct Step
    {
        int folder;
        const char* text;  // null: the file as the step before left it
        unsigned char program;
        int category;  // -1: not found
        int voice;
    };
    const Step steps[] = {
        {0, "[CategoryNo6]\nVoiceNum=4\nVoice0=00,00,01\nVoice1=00,00,02\n", 0x02, 6, 1},
        {0, nullptr, 0x01, 6, 0},
        {0, "[CategoryNo7]\nVoiceNum=4\nVoice3=00,00,02\n", 0x02, 7, 3},
        {0, nullptr, 0x01, -1, -1},
        {1, "[CategoryNo8]\nVoiceNum=4\nVoice0=00,00,01\n", 0x02, -1, -1},
        {0, nullptr, 0x02, 7, 3},
        {1, nullptr, 0x01, 8, 0},
        // Listed twice: the lower category answers, wherever the file puts it.
        {0, "[CategoryNo8]\nVoiceNum=4\nVoice2=00,00,02\n[CategoryNo6]\nVoiceNum=4\nVoice3=00,00,02\n", 0x02, 6, 3},
        {0, "[CategoryNo6]\nVoiceNum=1\nVoice3=00,00,02\n", 0x02, -1, -1},
        {0, "", 0x02, -1, -1},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(n++);
        const QString path = folders[s.folder] + QStringLiteral("PresetBankInfo.ini");
        if (s.text)
            CIniFileJobCache::Set(path, QByteArray(s.text));
        BANK_DATA d;
        d.msb = 0x00, d.lsb = 0x00, d.program = s.program;
        EXPECT_EQ(maps.voice->CopyBlkInfo().GetBankData(folders[s.folder], d), s.category >= 0);
        EXPECT_EQ(d.category, s.category);
        EXPECT_EQ(d.voice, s.voice);
    }
    for (const QString& folder : folders)
        CIniFileJobCache::Forget(folder + QStringLiteral("PresetBankInfo.ini"));
}
