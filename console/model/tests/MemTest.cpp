#include "console/model/Mem.h"

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
