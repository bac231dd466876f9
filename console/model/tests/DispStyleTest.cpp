#include "TestPaths.h"
#include "console/model/DispStyle.h"

#include <gtest/gtest.h>

namespace {

struct DispCase
{
    short style;
    std::vector<unsigned char> bytes;
    const char* text;  // null: no text
};

class BuiltInDisplay : public ::testing::TestWithParam<DispCase>
{
};

} // namespace

TEST_P(BuiltInDisplay, ShowsTheNumber)
{
    const DispCase& c = GetParam();
    CDispStyle s;
    QString out;
    const bool ok = s.GetDispStyle(c.style, c.bytes.data(), (unsigned char)c.bytes.size(), out, nullptr);
    if (!c.text) {
        EXPECT_FALSE(ok);
        return;
    }
    ASSERT_TRUE(ok);
    EXPECT_EQ(out, QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(Styles, BuiltInDisplay, ::testing::Values(
    // Style 1 joins four nibbles and shows the distance from 1024.
    DispCase{1, {0x00, 0x03, 0x0E, 0x08}, "24"},
    DispCase{1, {0x00, 0x04, 0x01, 0x08}, "24"},
    DispCase{1, {0x00, 0x04, 0x00, 0x00}, "0"},
    DispCase{2, {0x07, 0x0F}, "1"},
    DispCase{3, {4}, "  5"},
    DispCase{4, {127}, "127"},
    DispCase{6, {5}, "0.5"},
    DispCase{7, {123}, "1.23"},
    DispCase{8, {0x40}, "0"},
    DispCase{8, {0x34}, "-12"},
    DispCase{9, {0x00, 0x7F}, "-1"},
    DispCase{11, {0x41}, "3"},
    DispCase{23, {0}, "0"},
    DispCase{23, {5}, "-5"},
    DispCase{36, {0x01, 0x00}, "2560"},
    DispCase{0, {1}, nullptr},
    DispCase{32, {1}, nullptr},
    DispCase{38, {1}, nullptr},
    DispCase{99, {1}, nullptr}));

TEST(DispStyle, ShortDataReadsMissingBytesAsZero)
{
    CDispStyle s;
    const unsigned char one[1] = {0x08};
    QString out;
    // Style 2 reads two bytes; a one-byte value is 08 00, that is 128.
    ASSERT_TRUE(s.DispStyleSys(2, one, 1, out));
    EXPECT_EQ(out, QStringLiteral("0"));
}

TEST(DispStyle, UserTablesLookUpUpperCaseKeys)
{
    CDispStyle s;
    ASSERT_TRUE(s.MakeList(fixturePath("memmap.tpm"), nullptr)) << s.ErrorText().toStdString();
    ASSERT_EQ(s.TableCount(), 2);
    QString out;
    const unsigned char two[2] = {0x01, 0x02};
    ASSERT_TRUE(s.GetDispStyle(101, two, 2, out, nullptr));  // key length 1: "02"
    EXPECT_EQ(out, QStringLiteral("Room"));
    const unsigned char dual[1] = {0x01};
    ASSERT_TRUE(s.GetDispStyle(100, dual, 1, out, nullptr));
    EXPECT_EQ(out, QStringLiteral("Layer"));  // the later row with the same key wins
    const unsigned char none[1] = {0x05};
    EXPECT_FALSE(s.GetDispStyle(100, none, 1, out, nullptr));
    EXPECT_FALSE(s.GetDispStyle(102, none, 1, out, nullptr));
    EXPECT_FALSE(s.GetDispStyle(500, none, 1, out, nullptr));
}

TEST(DispStyle, ShippedBoardTablesHoldRowZero)
{
    CDispStyle s;
    ASSERT_TRUE(s.MakeList(shippedMultiTemplate(), nullptr)) << s.ErrorText().toStdString();
    bool foundName = false;
    for (int i = 0; i < s.TableCount(); ++i) {
        if (s.Table(i)->name == QStringLiteral("PlugInBoardName")) {
            foundName = true;
            EXPECT_EQ(s.TableText(i, QStringLiteral("0")), QStringLiteral("----------"));
        }
    }
    EXPECT_TRUE(foundName);
}
