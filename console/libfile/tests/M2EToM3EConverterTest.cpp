// .m2e document to the .m3e conversion buffer: the multi part's runs, the
// zeroed rest, the type clamps and the mask.
#include "ConverterTestImages.h"

#include "console/libfile/converters/CM2EToM3EConverter.h"
#include "console/libfile/converters/CW7EToW9EConverter.h"
#include "console/libfile/converters/TConvertInitData.h"

#include <gtest/gtest.h>

using namespace ConverterTest;

namespace {

constexpr int kOldMulti = 522624;
constexpr int kNewMulti = 551424;

Bytes patternedM2E(int size)
{
    Bytes src(size, 0);
    fillPattern(src.data(), kOldMulti, 4);
    fillPattern(src.data() + kOldMulti, size - kOldMulti, 9);
    unsigned char* m = src.data() + kOldMulti;
    m[532] = 14; m[533] = 0;     // 1792: cleared
    m[554] = 13; m[555] = 122;   // 1786: kept
    m[556] = 14; m[557] = 0;     // 1792: no type
    m[558] = 127; m[559] = 127;
    m[560] = 0; m[561] = 5;
    m[562] = 20; m[563] = 1;
    m[608] = 0x7F;
    return src;
}

// {first new byte, first old byte, count} of the multi part.
struct TRun {
    int to, from, count;
};
const TRun kRuns[] = {{512, 512, 174}, {686, 754, 55}, {741, 877, 928}, {1669, 1805, 60}};

Bytes expectedMulti(const Bytes& src)
{
    Bytes m(2048, 0);
    for (const TRun& r : kRuns)
        for (int i = 0; i < r.count; ++i)
            m[r.to + i] = src[kOldMulti + r.from + i];
    m[532] = m[533] = 0;
    m[556] = m[557] = 127;
    m[562] = m[563] = 127;
    m[608] = 0x74;
    return m;
}

} // namespace

TEST(M2EToM3EConverter, CopiesTheMultiRunsClampsAndMasks)
{
    const Bytes src = patternedM2E(524672);
    Bytes dst(553476, 0xAA);
    ASSERT_TRUE(CM2EToM3EConverter::create()->DataConv(src.data(), 524672, dst.data(), 553476));

    const Bytes want = expectedMulti(src);
    for (int b = 0; b < 2048; ++b)
        ASSERT_EQ(dst[kNewMulti + b], want[b]) << "multi byte " << b;
    for (int b = 0; b < 512; ++b)
        ASSERT_EQ(dst[kNewMulti + b], 0);
    for (int b = 1729; b < 2048 + 4; ++b)
        ASSERT_EQ(dst[kNewMulti + b], 0);
    EXPECT_EQ(dst[kNewMulti + 554], 13);
    EXPECT_EQ(dst[kNewMulti + 555], 122);
    EXPECT_EQ(dst[kNewMulti + 686], src[kOldMulti + 754]);
    EXPECT_EQ(dst[kNewMulti + 1668], src[kOldMulti + 1804]);
    EXPECT_EQ(dst[kNewMulti + 1728], src[kOldMulti + 1864]);

    // The voice image is the .w7e part converted to .w9e.
    Bytes voices(551424, 0);
    ASSERT_TRUE(CW7EToW9EConverter::create()->DataConv(src.data(), 522624, voices.data(), 551424));
    EXPECT_TRUE(std::equal(voices.begin(), voices.end(), dst.begin()));
}

TEST(M2EToM3EConverter, LongerSourcesConvertAlikeAndTheTrailerIsIgnored)
{
    const Bytes base = patternedM2E(524672);
    Bytes reference(553476, 0);
    ASSERT_TRUE(CM2EToM3EConverter::create()->DataConv(base.data(), 524672, reference.data(), 553476));
    for (int size : {524676, 524750}) {
        Bytes src = base;
        src.resize(size, 'M');
        Bytes dst(553476, 0x11);
        ASSERT_TRUE(CM2EToM3EConverter::create()->DataConv(src.data(), size, dst.data(), 553476)) << size;
        EXPECT_EQ(dst, reference) << size;
    }
}

TEST(M2EToM3EConverter, DeclinesOtherSizesWithoutTouchingTheBuffer)
{
    const Bytes src = patternedM2E(524750);
    Bytes dst(553476, 0x5A);
    const Bytes before = dst;
    CM2EToM3EConverter* conv = CM2EToM3EConverter::create();
    EXPECT_FALSE(conv->DataConv(src.data(), 524671, dst.data(), 553476));
    EXPECT_FALSE(conv->DataConv(src.data(), 524673, dst.data(), 553476));
    EXPECT_FALSE(conv->DataConv(src.data(), 524672, dst.data(), 553475));
    EXPECT_FALSE(conv->DataConv(src.data(), 524672, dst.data(), 553477));
    EXPECT_EQ(dst, before);
}

TEST(M2EToM3EConverter, UncarriedMultiBytesComeFromTheInitialMulti)
{
    const Bytes src = patternedM2E(524672);
    TConvertInitData init;
    init.multi = QByteArray(2048, char(0x33));
    TConvertContext context;
    context.init = &init;
    Bytes dst(553476, 0);
    ASSERT_TRUE(CM2EToM3EConverter::create()->DataConv(src.data(), 524672, dst.data(), 553476, context));
    EXPECT_EQ(dst[kNewMulti + 0], 0x33);
    EXPECT_EQ(dst[kNewMulti + 511], 0x33);
    EXPECT_EQ(dst[kNewMulti + 512], src[kOldMulti + 512]);
    EXPECT_EQ(dst[kNewMulti + 1729], 0x33);
    EXPECT_EQ(dst[kNewMulti + 2047], 0x33);
    EXPECT_EQ(dst[kNewMulti + 2048], 0);  // the 4 bytes after the multi

    init.multi = QByteArray(2047, char(0x33));  // wrong size: zeros
    ASSERT_TRUE(CM2EToM3EConverter::create()->DataConv(src.data(), 524672, dst.data(), 553476, context));
    EXPECT_EQ(dst[kNewMulti + 0], 0);
}

TEST(M2EToM3EConverter, BankSizes)
{
    const int want[] = {128, 128, 0, 32, 64, 64, 0};
    for (int b = 0; b < 7; ++b)
        EXPECT_EQ(CM2EToM3EConverter::create()->GetBankSize(b), want[b]) << b;
}
