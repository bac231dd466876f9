// .w7e to .w9e: every bank's record layout, the inserted bytes, the directory
// and the clean-up of retired settings.
#include "ConverterTestImages.h"

#include "console/libfile/converters/CW7EToW9EConverter.h"

#include <gtest/gtest.h>

using namespace ConverterTest;

namespace {

struct TGroup {
    int w9eBank;
    int count;
    int w7eSize;
    int w9eSize;
    int insertAt;  // the 4-byte part of the .w9e record
    int (*w7e)(int);
};

int normal0(int i) { return w7eNormal(0, i); }
int normal1(int i) { return w7eNormal(1, i); }
int plugin0(int i) { return w7ePlugin(0, i); }
int plugin1(int i) { return w7ePlugin(1, i); }

const TGroup kGroups[] = {
    {0, 128, 960, 952, 312, normal0},
    {1, 128, 960, 952, 312, normal1},
    {3, 32, 5072, 4138, 265, w7eDrum},
    {4, 64, 352, 353, 246, plugin0},
    {5, 64, 352, 353, 246, plugin1},
};

// A source whose every record carries its own pattern, with the bytes that
// the clean-up looks at set to values it leaves alone.
Bytes patternedW7E()
{
    Bytes src(522624, 0);
    fillPattern(src.data(), 39712, 99);  // header area: not carried over
    int seed = 1;
    for (const TGroup& g : kGroups) {
        for (int i = 0; i < g.count; ++i, ++seed) {
            unsigned char* r = src.data() + g.w7e(i);
            fillPattern(r, g.w7eSize, seed);
            r[20] = 1;
            r[21] = 2;
            for (int p = 42; p <= 51; ++p)
                r[p] = 3;
            if (g.w9eBank < 3)
                for (int k = 0; k < 4; ++k)
                    r[313 + 159 * k] = 5;
            if (g.w9eBank == 3)
                for (int k = 0; k < 73; ++k) {
                    r[266 + 50 * k] = 5;
                    r[273 + 50 * k] = 0;
                }
        }
    }
    return src;
}

// The .w9e image the format layout gives for a source without triggers.
Bytes expectedW9E(const Bytes& src)
{
    Bytes out(551424, 0);
    for (const TGroup& g : kGroups) {
        for (int i = 0; i < g.count; ++i) {
            const unsigned char* s = src.data() + g.w7e(i);
            unsigned char* d = out.data() + w9eRecord(g.w9eBank, i);
            std::memcpy(out.data() + w9eDir(g.w9eBank, i), s, 14);
            for (int b = 0; b < g.insertAt; ++b)
                d[b] = s[b];
            d[g.insertAt] = 0;
            d[g.insertAt + 1] = 0;
            d[g.insertAt + 2] = 0x40;
            d[g.insertAt + 3] = 0x40;
            for (int b = g.insertAt + 4; b < g.w9eSize; ++b)
                d[b] = s[b - 4];
        }
    }
    return out;
}

} // namespace

TEST(W7EToW9EConverter, EveryBankRecordDirectoryAndInsertedBytes)
{
    const Bytes src = patternedW7E();
    Bytes dst(551424, 0xAA);
    ASSERT_TRUE(CW7EToW9EConverter::create()->DataConv(src.data(), 522624, dst.data(), 551424));
    const Bytes want = expectedW9E(src);
    for (size_t b = 0; b < want.size(); ++b)
        ASSERT_EQ(dst[b], want[b]) << "byte " << b;
    // Spot checks against the layout, independent of the expected builder.
    EXPECT_EQ(dst[8192 + 952 * 5 + 312], 0);
    EXPECT_EQ(dst[8192 + 952 * 5 + 315], 0x40);
    EXPECT_EQ(dst[8192 + 952 * 5 + 316], src[39712 + 960 * 5 + 312]);
    EXPECT_EQ(dst[373760 + 4138 * 31 + 4137], src[286528 + 5072 * 31 + 4133]);
    EXPECT_EQ(dst[528768 + 353 * 63 + 352], src[477536 + 352 * 63 + 348]);
    EXPECT_EQ(dst[6848 + 14 * 63 + 13], src[477536 + 352 * 63 + 13]);
    for (int b = 3712; b < 3712 + 128 * 14; ++b)
        ASSERT_EQ(dst[b], 0) << "bank 2 directory stays empty";
    for (int b = 251904; b < 373760; ++b)
        ASSERT_EQ(dst[b], 0) << "bank 2 stays empty";
}

TEST(W7EToW9EConverter, FixVoiceClampsTypesAndClearsRetiredSettings)
{
    Bytes src = patternedW7E();
    unsigned char* n3 = src.data() + w7eNormal(0, 3);
    n3[20] = 14; n3[21] = 0;     // 1792: cleared
    n3[42] = 13; n3[43] = 122;   // 1786: kept
    n3[44] = 14; n3[45] = 0;     // 1792: no type
    n3[50] = 127; n3[51] = 127;  // already no type
    n3[313 + 159 * 2] = 1;       // element 2 mode 1
    unsigned char* n4 = src.data() + w7eNormal(1, 4);
    n4[20] = 13; n4[21] = 122;   // 1786: kept
    unsigned char* d5 = src.data() + w7eDrum(5);
    d5[266 + 50 * 10] = 2;              // key 10
    d5[273 + 50 * 11] = 0x3F;           // key 11
    d5[274 + 50 * 11] = 16;
    d5[273 + 50 * 12] = 0x3F;           // key 12: second byte differs
    d5[274 + 50 * 12] = 15;
    unsigned char* p7 = src.data() + w7ePlugin(1, 7);
    p7[46] = 20; p7[47] = 0;

    Bytes dst(551424, 0);
    ASSERT_TRUE(CW7EToW9EConverter::create()->DataConv(src.data(), 522624, dst.data(), 551424));
    Bytes want = expectedW9E(src);
    unsigned char* w = want.data() + w9eRecord(0, 3);
    w[20] = w[21] = 0;
    w[44] = w[45] = 127;
    w[317 + 318] = w[319 + 318] = w[320 + 318] = 0;
    unsigned char* wd = want.data() + w9eRecord(3, 5);
    wd[270 + 500] = wd[275 + 500] = wd[276 + 500] = 0;
    wd[277 + 550] = wd[278 + 550] = 0;
    unsigned char* wp = want.data() + w9eRecord(5, 7);
    wp[46] = wp[47] = 127;
    for (size_t b = 0; b < want.size(); ++b)
        ASSERT_EQ(dst[b], want[b]) << "byte " << b;
    EXPECT_EQ(dst[w9eRecord(0, 3) + 42], 13);
    EXPECT_EQ(dst[w9eRecord(1, 4) + 20], 13);
    EXPECT_EQ(dst[w9eRecord(3, 5) + 277 + 600], 0x3F);
}

TEST(W7EToW9EConverter, AcceptsAnySignatureButOnlyExactSizes)
{
    Bytes src(522624, 0x7E);
    Bytes dst(551424, 0x55);
    const Bytes before = dst;
    CW7EToW9EConverter* conv = CW7EToW9EConverter::create();
    EXPECT_FALSE(conv->DataConv(src.data(), 522624, dst.data(), 551423));
    EXPECT_FALSE(conv->DataConv(src.data(), 522623, dst.data(), 551424));  // no converter for it
    EXPECT_EQ(dst, before);
    EXPECT_TRUE(conv->DataConv(src.data(), 522624, dst.data(), 551424));
    EXPECT_EQ(dst[0], 0);
    EXPECT_EQ(dst[8192], 0x7E);
}

TEST(W7EToW9EConverter, BankSizes)
{
    const int want[] = {128, 128, 0, 32, 64, 64, 0};
    CW7EToW9EConverter* conv = CW7EToW9EConverter::create();
    for (int b = 0; b < 7; ++b)
        EXPECT_EQ(conv->GetBankSize(b), want[b]) << b;
    EXPECT_EQ(conv->GetBankSize(-1), 0);
}
