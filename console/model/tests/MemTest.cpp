#include "console/model/Mem.h"

#include <QByteArray>
#include <cstring>
#include <gtest/gtest.h>

TEST(Mem, SetByteReadsPairsAndStopsAtTheTextEnd)
{
    unsigned char out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(CMem::SetByte("7f0A", out, 2), 2);
    EXPECT_EQ(out[0], 0x7F);
    EXPECT_EQ(out[1], 0x0A);
    // Asked for more bytes than the text holds: the rest are 0, nothing past the text is read.
    EXPECT_EQ(CMem::SetByte("12", out, 4), 1);
    EXPECT_EQ(out[0], 0x12);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[3], 0);
}

TEST(Mem, NewBuffersAreZeroFilled)
{
    unsigned char* p = nullptr;
    ASSERT_TRUE(CMem::NewByte(&p, 64));
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(p[i], 0);
    CMem::DeleteByte(p);
    EXPECT_FALSE(CMem::NewByte(&p, -1));
}

TEST(Mem, ByteTextIsUpperCaseHex)
{
    const unsigned char b[2] = {0x0A, 0xF0};
    EXPECT_EQ(CMem::GetByteToStr(b, 2, false), QStringLiteral("0AF0"));
    EXPECT_EQ(CMem::GetByteToStr(b, 2, true), QStringLiteral("0A F0 "));
    char dst[4];
    CMem::SetChar("abcdef", dst, 4);
    EXPECT_STREQ(dst, "abc");
}

namespace {

struct HexCase
{
    const char* text;
    int n;
    int read;
    const char* bytes;  // the n bytes written, as hex
};

} // namespace

TEST(Mem, SetByteReadsTemplateHexOfEveryShape)
{
    const HexCase cases[] = {
        {"00017F", 3, 3, "00017F"},
        {"abCD", 2, 2, "ABCD"},
        {"123", 2, 2, "1203"},       // a lone last digit is one-digit hex
        {"12G", 2, 2, "1200"},       // ... and 0 when it is not hex
        {"7G41", 2, 2, "0741"},      // a pair with a bad low digit keeps its high digit
        {"GG41", 2, 2, "0041"},      // a pair that is not hex at all is 0
        {"", 3, 0, "000000"},
        {nullptr, 2, 0, "0000"},
        {"0102030405", 2, 2, "0102"},  // never more than asked for
    };
    for (const HexCase& c : cases) {
        unsigned char out[8];
        std::memset(out, 0xAA, sizeof out);
        EXPECT_EQ(CMem::SetByte(c.text, out, c.n), c.read) << (c.text ? c.text : "(null)");
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(out), c.n).toHex().toUpper(), QByteArray(c.bytes))
            << (c.text ? c.text : "(null)");
        // The byte after the n asked for is left alone.
        EXPECT_EQ(out[c.n], 0xAA) << (c.text ? c.text : "(null)");
    }
    unsigned char out[2] = {1, 2};
    EXPECT_EQ(CMem::SetByte("7F", nullptr, 1), 0);
    EXPECT_EQ(CMem::SetByte("7F", out, 0), 0);
    EXPECT_EQ(out[0], 1);
}

TEST(Mem, NewSetBuffersHoldTheTextAndRefuseBadSizes)
{
    unsigned char* bytes = nullptr;
    ASSERT_TRUE(CMem::NewSetByte("F043", &bytes, 3));
    EXPECT_EQ(bytes[0], 0xF0);
    EXPECT_EQ(bytes[1], 0x43);
    EXPECT_EQ(bytes[2], 0x00);
    CMem::DeleteByte(bytes);

    char* name = nullptr;
    ASSERT_TRUE(CMem::NewSetChar("Strings 1", &name, 6));
    EXPECT_STREQ(name, "Strin");
    CMem::DeleteChar(name);
    ASSERT_TRUE(CMem::NewSetChar(nullptr, &name, 4));
    EXPECT_STREQ(name, "");
    CMem::DeleteChar(name);
    // A zero size still gives a buffer that can be freed.
    ASSERT_TRUE(CMem::NewChar(&name, 0));
    EXPECT_EQ(name[0], 0);
    CMem::DeleteChar(name);

    unsigned char** table = nullptr;
    ASSERT_TRUE(CMem::NewBytePtr(&table, 4));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(table[i], nullptr);
    CMem::DeleteBytePtr(table);

    // Refused sizes and missing targets leave the pointer as it was.
    unsigned char* keep = reinterpret_cast<unsigned char*>(&table);
    EXPECT_FALSE(CMem::NewSetByte("00", &keep, -1));
    EXPECT_EQ(keep, reinterpret_cast<unsigned char*>(&table));
    char* keepChar = nullptr;
    EXPECT_FALSE(CMem::NewSetChar("a", &keepChar, -2));
    EXPECT_EQ(keepChar, nullptr);
    EXPECT_FALSE(CMem::NewChar(nullptr, 4));
    EXPECT_FALSE(CMem::NewByte(nullptr, 4));
    EXPECT_FALSE(CMem::NewBytePtr(nullptr, 4));
    EXPECT_FALSE(CMem::NewBytePtr(&table, -1));
    EXPECT_TRUE(CMem::GetByteToStr(nullptr, 4, true).isEmpty());
    // A copy into no buffer or a zero size writes nothing.
    char dst[2] = {'x', 'y'};
    CMem::SetChar("ab", dst, 0);
    CMem::SetChar("ab", nullptr, 2);
    EXPECT_EQ(dst[0], 'x');
}
