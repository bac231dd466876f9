#include "TestPaths.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/VoiceBanks.h"
#include "console/model/Wait.h"

#include <QElapsedTimer>

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
