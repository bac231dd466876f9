// The voices of a board's banks, as the voice list and the part's name ask for them:
// a board bank holds the programs its name table names; a program past them is named by
// its number alone, has no short name, and is no voice of the bank's voice list.
#include "MemApiTestSupport.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/VoiceBanks.h"

#include <QPixmap>
#include <gtest/gtest.h>
#include <set>

namespace {

struct BoardBank
{
    const char* shortName;
    int msb;
    int lsb;
    int voices;
};

void PrintTo(const BoardBank& b, std::ostream* out)
{
    *out << b.shortName;
}

// The board banks of the shipped bank table and how many voices each holds.
const BoardBank kBoardBanks[] = {
    {"COR1", 64, 0, 128},
    {"SIN1", 65, 0, 128},
    {"SIN2", 65, 1, 64},
};

class BoardBankVoices : public ::testing::TestWithParam<BoardBank>
{
protected:
    static void SetUpTestSuite()
    {
        (void)StartupFailures::installed;
        handle = new ApiHandle;
        memory = (*handle)->memory();
    }
    static void TearDownTestSuite()
    {
        delete handle;
        handle = nullptr;
        memory = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(memory && memory->MultiMap() && memory->VoiceMap() && memory->VoiceBanks());
    }
    // What the voice list shows for a program of a bank; empty for no voice.
    static QString listEntry(int program, int msb, int lsb)
    {
        QString text;
        QPixmap picture;
        (*handle)->MAPI_getDisplayStringForValue(0, 7, &text, &picture, program, 0, short(lsb), short(msb));
        return text;
    }
    static inline ApiHandle* handle = nullptr;
    static inline CSynthMemory* memory = nullptr;
};

} // namespace

TEST_P(BoardBankVoices, ProgramsPastTheBoardsNamesAnswerTheirNumberAndAreNotListed)
{
    const BoardBank bank = GetParam();
    CVoiceBanks* banks = memory->VoiceBanks();
    QString shortName;
    ASSERT_TRUE(memory->GetShortBankName(bank.msb, bank.lsb, shortName));
    ASSERT_EQ(shortName, QLatin1String(bank.shortName));
    EXPECT_EQ(banks->GetNumVoices(bank.msb, bank.lsb), bank.voices);
    for (int program = 0; program < 128; ++program) {
        SCOPED_TRACE(program);
        QString text, name, listed;
        const bool named = banks->GetVoiceName(bank.msb, bank.lsb, program, text);
        const bool shortNamed = banks->GetVoiceNameShort(bank.msb, bank.lsb, program, name);
        const bool shown = memory->GetVoiceNameString(0, program, bank.msb, bank.lsb, listed);
        if (program < bank.voices) {
            EXPECT_TRUE(named);
            EXPECT_TRUE(shortNamed);
            EXPECT_FALSE(name.isEmpty());
            EXPECT_EQ(text, QString::asprintf("%3d ", program + 1) + name);
            EXPECT_TRUE(shown);
            EXPECT_EQ(listed, text);
            EXPECT_EQ(listEntry(program, bank.msb, bank.lsb), text);
        } else {
            EXPECT_TRUE(named);
            EXPECT_EQ(text, QString::asprintf("%3d ", program + 1));
            EXPECT_FALSE(shortNamed);
            EXPECT_TRUE(name.isEmpty());
            EXPECT_TRUE(shown);
            EXPECT_EQ(listed, text);
            EXPECT_TRUE(listEntry(program, bank.msb, bank.lsb).isEmpty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, BoardBankVoices, ::testing::ValuesIn(kBoardBanks),
                         [](const auto& info) { return std::string(info.param.shortName); });

// Every bank of the table that names no voice-memory category is a board bank of the
// table above, and the preset and user banks keep their voices to the last program.
TEST_F(BoardBankVoices, TheTableListsEveryBoardBankAndOtherBanksKeepTheirVoices)
{
    CVoiceBanks* banks = memory->VoiceBanks();
    const int categories = memory->VoiceMap()->VceMem()->GetVoiceMemCategoryNum();
    std::set<std::pair<int, int>> boards;
    for (const BoardBank& b : kBoardBanks)
        boards.insert({b.msb, b.lsb});
    int seen = 0;
    for (int index = 0; index < banks->GetBankCount(); ++index) {
        int kind = 0, msb = 0, lsb = 0, table = 0;
        QString name, second;
        ASSERT_TRUE(banks->GetBankByID(index, kind, msb, lsb, name, second, &table));
        SCOPED_TRACE(qPrintable(name));
        if (kind != 1 && (table < 0 || table >= categories)) {
            EXPECT_EQ(boards.count({msb, lsb}), 1u);
            ++seen;
            continue;
        }
        const int count = banks->GetNumVoices(msb, lsb);
        ASSERT_GT(count, 0);
        QString text;
        EXPECT_TRUE(banks->GetVoiceName(msb, lsb, count - 1, text));
        EXPECT_TRUE(text.startsWith(QString::asprintf("%3d ", count))) << qPrintable(text);
        EXPECT_EQ(listEntry(count - 1, msb, lsb), text);
        // Past the last voice a user bank has no voice; a preset bank names the
        // program by its number.
        EXPECT_EQ(banks->GetVoiceName(msb, lsb, count, text), kind != 1);
        EXPECT_EQ(text, kind != 1 ? QString::asprintf("%3d ", count + 1) : QString());
        EXPECT_TRUE(listEntry(count, msb, lsb).isEmpty());
    }
    EXPECT_EQ(seen, int(std::size(kBoardBanks)));
}
