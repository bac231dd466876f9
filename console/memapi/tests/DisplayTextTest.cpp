// Display texts as the views ask for them: the effect-type lists, converted multi-byte
// values, every converted parameter of the multi map, and the name tables of arpeggio
// types, waves, audition phrases, equaliser frequencies and board voices.
#include "MemApiTestSupport.h"
#include "console/model/PrmCtrl.h"

#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

constexpr int kCommon = 54, kPart = 55;

class DisplayText : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { handle = new ApiHandle; }
    static void TearDownTestSuite()
    {
        delete handle;
        handle = nullptr;
    }
    void SetUp() override
    {
        memory = (*handle)->memory();
        ASSERT_TRUE(memory && memory->MultiMap() && memory->VoiceMap());
    }
    // What a control with table id 0 shows; empty when the model has no text.
    QString text(int element, int channel, int parameter, int value) const
    {
        QString t;
        return memory->GetDisplayString(element, channel, parameter, t, value) ? t : QString();
    }

    static inline ApiHandle* handle = nullptr;
    CSynthMemory* memory = nullptr;
};

} // namespace

TEST_F(DisplayText, EffectTypeListsShowTheirNames)
{
    struct List
    {
        int channel;
        QStringList names;
    };
    const List lists[] = {
        {1, {"No Effect", "Hall Bright", "Hall Dark", "Room Small", "Room Large", "Stage Wide", "Plate Steel",
             "Spring Tank"}},
        {2, {"No Effect", "Chorus Soft", "Chorus Deep", "Flanger Jet", "Phaser Slow", "Ensemble", "Delay L/R",
             "Echo Tape"}},
        {17, {"Thru", "Compressor", "Limiter", "Lo-Fi Grit", "Ring Mod", "Slicer", "Tape Warmth"}},
    };
    for (const List& l : lists) {
        EXPECT_EQ(memory->GetIndParamMax(kCommon, l.channel, 0), l.names.size() - 1) << l.channel;
        for (int i = 0; i < l.names.size(); ++i)
            EXPECT_EQ(text(kCommon, l.channel, 0, i).toStdString(), l.names.at(i).toStdString()) << l.channel << " type " << i;
    }
}

TEST_F(DisplayText, LargeConvertedValuesShowTheirOwnNumbers)
{
    // Chorus type Delay L/R: delay times 1..7000 in tenths of a millisecond.
    ASSERT_TRUE(memory->SetIndParamAndDirty(kCommon, 2, 0, 6, 0));
    EXPECT_EQ(memory->GetIndParamMax(kCommon, 2, 2), 7000);
    struct Case
    {
        int channel, parameter, value;
        const char* shown;
    };
    const Case cases[] = {
        {2, 2, 7000, "700.0"}, {2, 2, 1, "0.1"}, {2, 2, 128, "12.8"}, {2, 4, 3750, "375.0"}, // delay times
        {0, 20, 1786, "Tarn Roll 4"}, {0, 50, 16383, "No Type"},                              // arpeggio types
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(kCommon, c.channel, c.parameter, c.value).toStdString(), c.shown)
            << c.channel << '/' << c.parameter << " = " << c.value;
    ASSERT_TRUE(memory->SetIndParamAndDirty(kCommon, 2, 0, 0, 0));
}

// Every value of every parameter whose bytes are converted (an assign style, or more
// than one byte) shows what its display style gives for that value's data bytes.
TEST_F(DisplayText, EveryConvertedValueOfTheMultiMapShowsItsDisplayStyle)
{
    // The effect parameters take their styles from the type: the whole map under the
    // neutral types, then each effect block again under every type it can take.
    struct Pass
    {
        int channel; // 0: the whole map, effect types neutral
        int type;
    };
    std::vector<Pass> passes{{0, 0}};
    // Reverb, chorus and master effect: a type is its place in the block's type list.
    for (int channel : {1, 2, 0x11}) {
        const int last = memory->GetIndParamMax(kCommon, channel, 0);
        EXPECT_GE(last, 6) << "channel " << channel;
        for (int type = 1; type <= last; ++type)
            passes.push_back({channel, type});
    }
    const CPrmCtrl& multi = *memory->MultiMap();
    const CEditorBlk& blk = multi.EditorBlk();
    for (const Pass& pass : passes) {
        if (pass.channel != 0)
            ASSERT_TRUE(memory->SetIndParamAndDirty(kCommon, pass.channel, 0, pass.type, 0));
        int checked = 0;
        for (int b = 0; b < blk.GetBlkCount(); ++b) {
            const BLK block = blk.GetBlkAt(b);
            if (pass.channel != 0
                && !(block.params[0].address[0] == kCommon && block.params[0].address[1] == pass.channel))
                continue;
            for (int p = 0; p < block.prmCount; ++p) {
                const unsigned char* a = block.params[p].address;
                PRMINFO info;
                ASSERT_TRUE(multi.GetPrmInfo(0, a, info));
                if ((info.assignStyle == 0 && info.size == 1) || info.dispStyle == 0 || info.dispStyle == 0xFFFF)
                    continue;
                const int lo = memory->GetIndParamMin(a[0], a[1], a[2]);
                const int hi = memory->GetIndParamMax(a[0], a[1], a[2]);
                ASSERT_LE(lo, hi) << info.name.toStdString();
                for (int v = lo; v <= hi; ++v) {
                    unsigned char data[16] = {};
                    CPrmCtrl::GetData(v, data, info.size);
                    QString expected;
                    if (!multi.DispStyle().GetDispStyle(short(info.dispStyle), data, info.size, expected, &blk))
                        expected.clear();
                    ASSERT_EQ(text(a[0], a[1], a[2], v).toStdString(), expected.toStdString())
                        << info.name.toStdString() << " at " << int(a[0]) << '/' << int(a[1]) << '/' << int(a[2])
                        << " value " << v << " under type " << pass.type;
                    ++checked;
                }
            }
        }
        // Every type has a text for each of its own values, parameters or not.
        EXPECT_GT(checked, pass.channel == 0 ? 100000 : 0) << "channel " << pass.channel << " type " << pass.type;
        if (pass.channel != 0)
            ASSERT_TRUE(memory->SetIndParamAndDirty(kCommon, pass.channel, 0, 0, 0));
    }
}

TEST_F(DisplayText, ArpeggioTypesHaveANameForEveryPresetAndUserNumber)
{
    // The arpeggio type and its five sub-function types share the list.
    for (int parameter : {20, 42, 44, 46, 48, 50}) {
        std::set<QString> names;
        for (int v = 0; v <= 1786; ++v) {
            const QString t = text(kCommon, 0, parameter, v);
            ASSERT_FALSE(t.isEmpty()) << parameter << " preset " << v;
            ASSERT_NE(t, QString::number(v));
            names.insert(t);
        }
        EXPECT_EQ(names.size(), 1787u) << "preset names repeat";
        EXPECT_EQ(text(kCommon, 0, parameter, 8192).toStdString(), "User 1");
        EXPECT_EQ(text(kCommon, 0, parameter, 8447).toStdString(), "User 256");
        EXPECT_EQ(text(kCommon, 0, parameter, 16383).toStdString(), "No Type");
    }
}

TEST_F(DisplayText, WavesAndAuditionPhrasesHaveNames)
{
    struct List
    {
        const char* what;
        int element, channel, parameter;
    };
    const List lists[] = {
        {"element 1 wave", 0x44, 0, 2}, {"element 4 wave", 0x44, 3, 2}, {"drum key 1 wave", 0x4A, 0, 1},
        {"drum key 73 wave", 0x4A, 72, 1}, {"audition phrase", 0x40, 0, 13},
    };
    for (const List& l : lists) {
        const int lo = memory->GetIndParamMin(l.element, l.channel, l.parameter);
        const int hi = memory->GetIndParamMax(l.element, l.channel, l.parameter);
        EXPECT_EQ(lo, 0) << l.what;
        EXPECT_GT(hi, 64) << l.what;
        std::set<QString> names;
        for (int v = lo; v <= hi; ++v) {
            const QString t = text(l.element, l.channel, l.parameter, v);
            ASSERT_FALSE(t.isEmpty()) << l.what << ' ' << v;
            ASSERT_NE(t, QString::number(v)) << l.what;
            names.insert(t);
        }
        EXPECT_EQ(int(names.size()), hi - lo + 1) << l.what << ": names repeat";
    }
}

TEST_F(DisplayText, EqualiserFrequenciesShowHertzAndRise)
{
    // A part's equaliser reads in hertz, the master equaliser in kilohertz: the units
    // the detail pages' labels give, so the numbers carry none of their own.
    struct Eq
    {
        int element, channel, parameter;
        double hertzPerUnit;
    };
    const Eq eqs[] = {
        {kPart, 0, 0x2E, 1}, {kPart, 15, 0x32, 1}, {kPart, 7, 0x36, 1},             // part low, mid, high
        {kCommon, 16, 1, 1000}, {kCommon, 16, 5, 1000}, {kCommon, 16, 9, 1000}, // master
        {kCommon, 16, 13, 1000}, {kCommon, 16, 17, 1000},
    };
    const QRegularExpression hertz(QStringLiteral("^\\d+$"));
    const QRegularExpression kilohertz(QStringLiteral("^\\d+\\.\\d{1,3}$"));
    for (const Eq& e : eqs) {
        const int lo = memory->GetIndParamMin(e.element, e.channel, e.parameter);
        const int hi = memory->GetIndParamMax(e.element, e.channel, e.parameter);
        ASSERT_LT(lo, hi);
        double last = 0;
        for (int v = lo; v <= hi; ++v) {
            const QString t = text(e.element, e.channel, e.parameter, v);
            ASSERT_TRUE((e.hertzPerUnit == 1 ? hertz : kilohertz).match(t).hasMatch())
                << e.element << '/' << e.parameter << " value " << v << ": \"" << t.toStdString() << '"';
            const double hz = t.toDouble() * e.hertzPerUnit;
            EXPECT_GT(hz, last) << t.toStdString();
            EXPECT_NEAR(hz, 20.0 * std::pow(2.0, v / 6.0), hz * 0.06) << t.toStdString();
            last = hz;
        }
    }
}

TEST_F(DisplayText, PartsPlayingBoardVoicesShowTheBoardsBankAndVoiceNames)
{
    auto* companion = (*handle)->qself();
    ASSERT_NE(companion, nullptr);
    const CPlugInBoardBlk& boards = memory->MultiMap()->PlugInBoards();
    ASSERT_EQ(boards.GetPlugInBoardNum(), 2);
    const int part = 3;
    auto select = [&](int msb, int lsb) {
        ASSERT_TRUE(memory->SetIndParamAndDirty(kPart, part, 0, msb, 0));
        ASSERT_TRUE(memory->SetIndParamAndDirty(kPart, part, 1, lsb, 0));
    };
    std::set<int> tables;
    std::set<QString> bankNames;
    int banks = 0;
    for (int board = 0; board < boards.GetPlugInBoardNum(); ++board) {
        for (int m = 0; m < boards.GetMSBCount(board); ++m) {
            const int msb = boards.GetMSB(board, m);
            for (int l = 0; l < boards.GetLSBCount(board, msb); ++l) {
                const int lsb = boards.GetLSB(board, msb, l);
                ++banks;
                select(msb, lsb);
                const int table = companion->bankTableID(part);
                EXPECT_NE(table, 0) << msb << '/' << lsb << " shows Normal User 1";
                tables.insert(table);
                QString bank;
                EXPECT_TRUE(memory->GetBankNameString(part, bank)) << msb << '/' << lsb;
                bankNames.insert(bank);
                for (int program : {0, 1, 63}) {
                    const QString name = boards.GetVoiceName(board, msb, lsb, program);
                    ASSERT_FALSE(name.isEmpty());
                    QString shown, shortName, category;
                    EXPECT_TRUE(memory->GetVoiceNameString(part, program, shown));
                    EXPECT_EQ(shown.toStdString(), (QString::asprintf("%3d ", program + 1) + name).toStdString());
                    EXPECT_TRUE(memory->GetVoiceShortNameString(part, program, shortName));
                    EXPECT_EQ(shortName.toStdString(), name.toStdString());
                    EXPECT_EQ(companion->voiceNameCategory(short(table), short(program), category).toStdString(),
                              name.toStdString());
                    EXPECT_EQ(category.toStdString(), "--");
                }
            }
        }
    }
    EXPECT_EQ(banks, 3);
    EXPECT_EQ(int(tables.size()), banks) << "two board banks share a table";
    EXPECT_EQ(int(bankNames.size()), banks) << "two board banks share a name";

    // A pair the instrument does not know plays its first preset bank.
    select(0, 0);
    const int firstPreset = companion->bankTableID(part);
    select(0x10, 0x33);
    EXPECT_EQ(companion->bankTableID(part), firstPreset);
    select(0, 0);
}
