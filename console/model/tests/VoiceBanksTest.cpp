#include "TestPaths.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/VoiceBanks.h"
#include "console/model/Wait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString partsIni(const char* name = "parts.ini")
{
    return fixturePath("voices/banks/") + QLatin1String(name);
}

} // namespace

TEST(VoiceBanks, LinesGiveKindSecondNameNameTableMsbLsbInThatOrder)
{
    CVoiceBanks banks;
    ASSERT_TRUE(banks.InitSettings(nullptr, partsIni()));
    // Key 4 has too few fields and key 7 is missing: both skipped.
    ASSERT_EQ(banks.GetBankCount(), 5);
    int kind = 0, msb = 0, lsb = 0, table = -1;
    QString name, second;
    ASSERT_TRUE(banks.GetBankByID(0, kind, msb, lsb, name, second, &table));
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(second, QStringLiteral("User"));
    EXPECT_EQ(name, QStringLiteral("USER 1"));
    EXPECT_EQ(table, 0);
    EXPECT_EQ(msb, 63);
    EXPECT_EQ(lsb, 0);
    // Empty fields are dropped, text where a number belongs counts as 0, and fields
    // beyond the sixth are ignored.
    ASSERT_TRUE(banks.GetBankByID(3, kind, msb, lsb, name, second, nullptr));
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(second, QStringLiteral("Odd"));
    EXPECT_EQ(name, QStringLiteral("Fields"));
    EXPECT_EQ(msb, 0);
    EXPECT_EQ(lsb, 0);
    EXPECT_FALSE(banks.GetBankByID(5, kind, msb, lsb, name, second, nullptr));
    EXPECT_TRUE(name.isEmpty());
    EXPECT_FALSE(banks.GetBankByID(-1, kind, msb, lsb, name, second, nullptr));
}

TEST(VoiceBanks, TheFirstBankOfARepeatedPairAnswers)
{
    CVoiceBanks banks;
    ASSERT_TRUE(banks.InitSettings(nullptr, partsIni()));
    QString name;
    int index = -1, table = -1;
    ASSERT_TRUE(banks.GetBankNameID(63, 0, name, index));
    EXPECT_EQ(name, QStringLiteral("USER 1"));
    EXPECT_EQ(index, 0);
    ASSERT_TRUE(banks.GetBankTableID(63, 0, table));
    EXPECT_EQ(table, 0);
    ASSERT_TRUE(banks.GetBankNameID(63, 32, name, index));
    EXPECT_EQ(index, 4);
    EXPECT_FALSE(banks.GetBankNameID(1, 1, name, index));
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(index, 5);
    EXPECT_FALSE(banks.GetBankTableID(1, 1, table));
    EXPECT_EQ(banks.GetNumVoices(63, 0), 0);  // no voice map
    QString text;
    EXPECT_FALSE(banks.GetVoiceName(1, 1, 0, text));
    EXPECT_FALSE(banks.GetVoiceNameShort(63, 0, 0, text));
}

TEST(VoiceBanks, AMissingFileOrCountKeepsTheTable)
{
    CVoiceBanks banks;
    ASSERT_TRUE(banks.InitSettings(nullptr, partsIni()));
    EXPECT_FALSE(banks.InitSettings(nullptr, partsIni("absent.ini")));
    EXPECT_EQ(banks.GetBankCount(), 5);
    EXPECT_FALSE(banks.InitSettings(nullptr, partsIni("nocount.ini")));
    EXPECT_EQ(banks.GetBankCount(), 5);
    EXPECT_FALSE(banks.InitSettings(nullptr, fixturePath("reader.ini")));  // no [VoiceSelectType0]
    EXPECT_EQ(banks.GetBankCount(), 5);
}

TEST(VoiceBanks, PresetNamesComeFromTheMultiMapWhenTheVoiceMapHasNone)
{
    CPrmCtrl multi, voice;
    ASSERT_TRUE(multi.CreatePrmCtrl(0, fixturePath("memmap.tpm"))) << multi.ErrorText().toStdString();
    ASSERT_TRUE(voice.CreatePrmCtrl(1, fixturePath("memmap.tpm"))) << voice.ErrorText().toStdString();
    CVoiceBanks banks;
    ASSERT_TRUE(banks.InitSettings(&voice, partsIni()));
    QString text;
    // The voice map is its own master here and keeps no tables: without the multi map
    // every preset name would be empty.
    ASSERT_TRUE(banks.GetVoiceName(0, 0, 2, text));
    EXPECT_EQ(text, QStringLiteral("  3 "));
    banks.SetPresetNameMap(&multi);
    ASSERT_TRUE(banks.GetVoiceName(0, 0, 2, text));
    EXPECT_EQ(text, QStringLiteral("  3 Room"));
    ASSERT_TRUE(banks.GetVoiceName(0, 0, 0, text));
    EXPECT_EQ(text, QStringLiteral("  1 Off"));
    EXPECT_FALSE(banks.GetVoiceName(0, 0, -1, text));
    // Linked as the synth memory links them, the master answers first.
    voice.SetMaster(&multi);
    banks.SetPresetNameMap(nullptr);
    ASSERT_TRUE(banks.GetVoiceName(0, 0, 1, text));
    EXPECT_EQ(text, QStringLiteral("  2 Hall"));
}

TEST(VoiceBanks, UserBanksCountAndNameTheVoiceMemoryVoices)
{
    CPrmCtrl voice;
    ASSERT_TRUE(voice.CreatePrmCtrl(1, fixturePath("memmap.tpm"))) << voice.ErrorText().toStdString();
    ASSERT_NE(voice.VceMem(), nullptr);
    CVoiceBanks banks;
    ASSERT_TRUE(banks.InitSettings(&voice, partsIni()));
    const int count = voice.VceMem()->GetVoiceMemCategoryInfo(0).voiceNum;
    ASSERT_GT(count, 0);
    EXPECT_EQ(banks.GetNumVoices(63, 0), count);
    EXPECT_EQ(banks.GetNumVoices(63, 32), 0);  // category 1 does not exist
    QString text;
    EXPECT_TRUE(banks.GetVoiceNameShort(63, 0, 0, text));
    EXPECT_FALSE(banks.GetVoiceNameShort(63, 0, count, text));
    EXPECT_FALSE(banks.GetVoiceNameShort(63, 0, -1, text));
    EXPECT_FALSE(banks.GetVoiceNameShort(63, 32, 0, text));
    EXPECT_TRUE(banks.GetVoiceName(63, 0, 0, text));
    EXPECT_TRUE(text.endsWith(QLatin1Char(' ')));
    EXPECT_FALSE(banks.GetVoiceName(63, 0, count, text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_FALSE(banks.GetVoiceName(63, 32, 0, text));
}

// A table read again answers for its own banks only: no bank select or board table of
// the table read before it still answers.
TEST(VoiceBanks, ATableReadAgainAnswersForItsOwnBanksOnly)
{
    CPrmCtrl multi, voice;
    ASSERT_TRUE(multi.CreatePrmCtrl(0, fixturePath("memmap.tpm"))) << multi.ErrorText().toStdString();
    ASSERT_TRUE(voice.CreatePrmCtrl(1, fixturePath("memmap.tpm"))) << voice.ErrorText().toStdString();
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("parts.ini"));
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // Table 1 is a user bank's here, a board bank's in the fixture.
    file.write("[VoiceSelectType0]\nCategoryNum=3\n1=1,User,OTHER,0,10,20\n2=1,Usr,SECOND,1,0,0\n"
               "3=0,Pre,LAST,0,10,20\n");
    file.close();
    CVoiceBanks banks;
    banks.SetPresetNameMap(&multi);
    struct Ask
    {
        int file;  // 0 the fixture, 1 the other table
        int msb, lsb;
        int index;  // of the first bank with that pair; -1 none
        const char* name;
        int table;
        const char* boardVoice;  // the table's voice 2 as a board bank names it; null none
    };
    const Ask asks[] = {
        {0, 63, 0, 0, "USER 1", 0, nullptr},
        {0, 0, 0, 1, "PRESET A", 1, "Room"},
        {0, 10, 20, -1, "", 0, nullptr},
        {1, 63, 0, -1, "", 1, nullptr},
        {1, 0, 0, 1, "SECOND", 1, nullptr},
        {1, 10, 20, 0, "OTHER", 0, nullptr},
        {0, 10, 20, -1, "", 1, "Room"},
        {0, 63, 32, 4, "DRUM USER", 1, "Room"},
    };
    int n = 0;
    for (const Ask& a : asks) {
        SCOPED_TRACE(n++);
        ASSERT_TRUE(banks.InitSettings(&voice, a.file == 0 ? partsIni() : other));
        QString name;
        int index = -1, table = -1;
        EXPECT_EQ(banks.GetBankNameID(a.msb, a.lsb, name, index), a.index >= 0);
        EXPECT_EQ(index, a.index >= 0 ? a.index : banks.GetBankCount());
        EXPECT_EQ(name, QLatin1String(a.name));
        EXPECT_EQ(banks.GetBankTableID(a.msb, a.lsb, table), a.index >= 0);
        QString voiceName;
        EXPECT_EQ(banks.GetTableVoiceName(a.table, 2, voiceName), a.boardVoice != nullptr);
        EXPECT_EQ(voiceName, QLatin1String(a.boardVoice ? a.boardVoice : ""));
    }
}

TEST(Wait, SimulateModeOnlyRecordsAndARealWaitUsesTheSteadyClock)
{
    CWait wait;
    CWait::c_bSimulateMode = true;
    QElapsedTimer t;
    t.start();
    wait.SetWait3(30);
    EXPECT_EQ(CWait::c_dwWaitTime, 30u);
    EXPECT_LT(t.elapsed(), 1000);
    CWait::c_bSimulateMode = false;
    t.restart();
    wait.SetWait3(1);
    EXPECT_GE(t.elapsed(), 1000);
    EXPECT_LT(t.elapsed(), 5000);
    t.restart();
    wait.SetWait3(-5);
    EXPECT_LT(t.elapsed(), 100);
}
