#include "TestPaths.h"
#include "console/model/AsgnStyle.h"
#include "console/model/PrmCtrl.h"

#include <QSet>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct SysCase
{
    short style;
    std::vector<unsigned char> midi;
    std::vector<unsigned char> data;
};

class BuiltInStyle : public ::testing::TestWithParam<SysCase>
{
};

} // namespace

TEST_P(BuiltInStyle, ConvertsBothWays)
{
    const SysCase& c = GetParam();
    CAsgnStyle s;
    const auto n = (unsigned char)c.midi.size();
    std::vector<unsigned char> d(n, 0xEE), m(n, 0xEE);
    ASSERT_TRUE(s.MidiToData(c.style, c.midi.data(), d.data(), n));
    EXPECT_EQ(d, c.data);
    ASSERT_TRUE(s.DataToMidi(c.style, c.data.data(), m.data(), n));
    EXPECT_EQ(m, c.midi);
}

INSTANTIATE_TEST_SUITE_P(Styles, BuiltInStyle, ::testing::Values(
    SysCase{8, {0x01, 0x02, 0x03, 0x04}, {0x00, 0x20, 0x81, 0x84}},
    SysCase{7, {0x0F, 0x7F, 0x7F}, {0x03, 0xFF, 0xFF}},
    SysCase{4, {0x7F, 0x7F}, {0x3F, 0xFF}},
    SysCase{4, {0x01, 0x2C}, {0x00, 0xAC}},
    SysCase{3, {0x07, 0x7F}, {0x07, 0x7F}},
    SysCase{5, {0x12, 0x34}, {0x12, 0x34}},
    // Nibble styles put their value into the last data bytes.
    SysCase{2, {0x0A, 0x05}, {0x00, 0xA5}},
    SysCase{1, {0x01, 0x02, 0x03, 0x04}, {0x00, 0x00, 0x12, 0x34}},
    SysCase{6, {0x01, 0x02, 0x0F, 0x0E}, {0x00, 0x00, 0x12, 0xFE}},
    SysCase{0, {0x55}, {0x55}}));

TEST(AsgnStyle, PackedStylesRefuseOtherSizes)
{
    CAsgnStyle s;
    unsigned char m[4] = {1, 2, 3, 4}, d[4];
    EXPECT_FALSE(s.MidiToData(4, m, d, 1));
    EXPECT_FALSE(s.DataToMidi(8, d, m, 2));
    EXPECT_FALSE(CAsgnStyle::SysStyleFitsSize(6, 3));
    EXPECT_TRUE(CAsgnStyle::SysStyleFitsSize(9, 3));
}

TEST(AsgnStyle, UserStyleMapsTableEntriesToIndexes)
{
    CAsgnStyle s;
    ASSERT_TRUE(s.MakeList(fixturePath("memmap.tpm"), nullptr)) << s.ErrorText().toStdString();
    unsigned char data[3] = {0x00, 0x02}, midi[3] = {};
    ASSERT_TRUE(s.DataToMidi(100, data, midi, 2));
    EXPECT_EQ(midi[0], 0x02);
    EXPECT_EQ(midi[1], 0x01);
    data[1] = 3;
    EXPECT_FALSE(s.DataToMidi(100, data, midi, 2));
    // A wider parameter gets zeros in front, and converts back to the same index.
    const unsigned char d3[3] = {0, 0, 1};
    unsigned char m3[3];
    ASSERT_TRUE(s.DataToMidi(100, d3, m3, 3));
    EXPECT_EQ(m3[0], 0x00);
    EXPECT_EQ(m3[1], 0x01);
    EXPECT_EQ(m3[2], 0x00);
    unsigned char back[3] = {9, 9, 9};
    ASSERT_TRUE(s.MidiToData(100, m3, back, 3));
    EXPECT_EQ(back[2], 1);
    // No matching entry: false and the data untouched.
    const unsigned char none[2] = {0x7F, 0x7F};
    unsigned char keep[2] = {0xAB, 0xCD};
    EXPECT_FALSE(s.MidiToData(100, none, keep, 2));
    EXPECT_EQ(keep[0], 0xAB);
    unsigned char mn[2], mx[2];
    ASSERT_TRUE(s.MidiToDataMax(100, none, mx, 2));
    ASSERT_TRUE(s.MidiToDataMin(100, none, mn, 2));
    EXPECT_EQ(mx[1], 2);
    EXPECT_EQ(mn[1], 0);
}

// Every value of every parameter instance of the shipped maps survives MIDI -> data
// -> MIDI with the parameter's own assign style.
TEST(AsgnStyle, EveryShippedStyleRoundTrips)
{
    for (const QString& path : {shippedMultiTemplate(), shippedVoiceTemplate()}) {
        CPrmCtrl map;
        const int mode = path == shippedMultiTemplate() ? 0 : 1;
        ASSERT_TRUE(map.CreatePrmCtrl(mode, path)) << map.ErrorText().toStdString();
        CPrmCtrl multi;
        if (mode == 1) {
            ASSERT_TRUE(multi.CreatePrmCtrl(0, shippedMultiTemplate()));
            map.SetMaster(&multi);
        }
        const CEditorBlk& blk = map.EditorBlk();
        int checked = 0;
        QSet<QByteArray> seen;
        for (int b = 0; b < blk.GetBlkCount(); ++b) {
            const BLK v = blk.GetBlkAt(b);
            for (int p = 0; p < v.prmCount; ++p) {
                const BLKPRM& prm = v.params[p];
                const int size = prm.size;
                // One walk per distinct style, size and range is enough.
                const QByteArray sig = QByteArray::number(prm.assignStyle[0]) + ':'
                    + QByteArray((const char*)prm.minimum.data(), size) + QByteArray((const char*)prm.maximum.data(), size);
                if (seen.contains(sig))
                    continue;
                seen.insert(sig);
                // Walk the MIDI range byte by byte pattern: first byte from min to max,
                // the others at min, max and a middle value.
                if (prm.assignStyle[0] >= 100) {
                    const CAsgnStyle::Style* st = map.AsgnStyle().GetStyle(prm.assignStyle[0] - 100);
                    ASSERT_NE(st, nullptr);
                    for (int i = st->minimum; i <= st->maximum; ++i) {
                        unsigned char data[16] = {}, midi[16] = {}, back[16] = {};
                        CAsgnStyle::IntToByte(unsigned(i), data, (unsigned char)size);
                        ASSERT_TRUE(map.DataToMidi(v.category, prm.address, data, midi));
                        ASSERT_TRUE(map.MidiToData(v.category, prm.address, midi, back));
                        ASSERT_EQ(CPrmCtrl::GetCnvData(size, back), i) << v.name.toStdString();
                        ++checked;
                    }
                    continue;
                }
                const unsigned char* mn = prm.minimum.data();
                const unsigned char* mx = prm.maximum.data();
                for (int first = mn[0]; first <= mx[0]; ++first) {
                    unsigned char midi[16] = {}, data[16] = {}, back[16] = {};
                    midi[0] = (unsigned char)first;
                    for (int j = 1; j < size; ++j)
                        midi[j] = (unsigned char)((mn[j] + mx[j]) / 2);
                    ASSERT_TRUE(map.MidiToData(v.category, prm.address, midi, data)) << v.name.toStdString() << " " << p;
                    ASSERT_TRUE(map.DataToMidi(v.category, prm.address, data, back));
                    ASSERT_EQ(QByteArray((char*)midi, size), QByteArray((char*)back, size))
                        << v.name.toStdString() << " parameter " << p << " style " << prm.assignStyle[0];
                    ++checked;
                }
            }
        }
        EXPECT_GT(checked, 100);
    }
}
