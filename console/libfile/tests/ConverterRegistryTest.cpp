// The converter registry: order, one-time creation from many threads, which
// converter answers, and conversions that go through an intermediate format.
#include "ConverterTestImages.h"

#include "console/libfile/converters/CM2EToM3EConverter.h"
#include "console/libfile/converters/CW2EToW7EConverter.h"
#include "console/libfile/converters/CW6EToW7EConverter.h"
#include "console/libfile/converters/CW7EToW9EConverter.h"
#include "console/libfile/converters/TConvertInitData.h"

#include <gtest/gtest.h>

#include <thread>

using namespace ConverterTest;

TEST(ConverterRegistry, InitialiseFromManyThreadsCreatesEachConverterOnceInOrder)
{
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([] { CTovarFileConverter::initialise(); });
    for (std::thread& t : threads)
        t.join();
    CTovarFileConverter::initialise();
    const std::vector<CTovarFileConverter*> list = CTovarFileConverter::registry();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], CM2EToM3EConverter::create());
    EXPECT_EQ(list[1], CW7EToW9EConverter::create());
    EXPECT_EQ(list[2], CW2EToW7EConverter::create());
    EXPECT_EQ(list[3], CW6EToW7EConverter::create());
}

TEST(ConverterRegistry, NothingAcceptsAnUnknownImageAndTheBufferStays)
{
    Bytes src(1000, 0x12);
    Bytes dst(551424, 0x34);
    const Bytes before = dst;
    CTovarFileConverter* out = CW6EToW7EConverter::create();
    EXPECT_FALSE(CTovarFileConverter::ConvertFile(src.data(), 1000, dst.data(), 551424, out));
    EXPECT_EQ(out, nullptr);
    // One byte short of each known source size.
    for (int size : {524671, 522623, 284543, 409087}) {
        Bytes s(size, 0);
        EXPECT_FALSE(CTovarFileConverter::ConvertFile(s.data(), size, dst.data(), 551424, out)) << size;
        EXPECT_FALSE(CTovarFileConverter::ConvertFile(s.data(), size, dst.data(), 553476, out)) << size;
    }
    EXPECT_FALSE(CTovarFileConverter::ConvertFile(nullptr, 1000, dst.data(), 551424, out));
    EXPECT_FALSE(CTovarFileConverter::ConvertFile(src.data(), -5, dst.data(), 551424, out));
    EXPECT_EQ(dst, before);
}

TEST(ConverterRegistry, AWrongSignatureInAChainLeavesTheImageAlone)
{
    Bytes w2e = w2eImage();
    w2e[0] = 'B';
    Bytes w6e = w6eImage();
    w6e[5] = '9';
    Bytes dst(551424, 0x34);
    const Bytes before = dst;
    CTovarFileConverter* out = nullptr;
    EXPECT_FALSE(CTovarFileConverter::ConvertFile(w2e.data(), 284544, dst.data(), 551424, out));
    EXPECT_FALSE(CTovarFileConverter::ConvertFile(w6e.data(), 409088, dst.data(), 551424, out));
    EXPECT_EQ(dst, before);
}

TEST(ConverterRegistry, W6EGoesThroughW7EToW9E)
{
    Bytes src = w6eImage();
    unsigned char* s = src.data() + w6eNormal(1, 2);
    fillPattern(s, 918, 3);
    s[66 + 55] = s[66 + 56] = 5;
    s[66 + 92] = s[66 + 93] = 5;
    s[66 + 126] = s[66 + 127] = 5;
    s[19] = 2; s[20] = 0x22;
    s[66 + 228 + 4 + 1] = 1;  // element 0 mode byte (new 317): retired setting
    unsigned char* p = src.data() + w6ePlugin(0, 9);
    fillPattern(p, 337, 4);
    p[66 + 86] = 10; p[66 + 87] = 8;  // 2568

    Bytes dst(551424, 0x77);
    CTovarFileConverter* out = nullptr;
    TConvertContext context;
    ASSERT_TRUE(CTovarFileConverter::ConvertFile(src.data(), 409088, dst.data(), 551424, out, context));
    EXPECT_EQ(out, CW7EToW9EConverter::create());
    EXPECT_EQ(context.origin, CW6EToW7EConverter::create());

    const unsigned char* r = dst.data() + 130048 + 952 * 2;
    EXPECT_EQ(r[0], s[0]);
    // The bank-2 reference (0, 0x40, 0x22) reads as 14-bit 8226 at bytes 20/21,
    // which the .w9e clean-up clears as an out-of-range type.
    EXPECT_EQ(r[19], 0); EXPECT_EQ(r[20], 0); EXPECT_EQ(r[21], 0);
    EXPECT_EQ(r[26], s[25]);               // common: old 25 -> new 26
    EXPECT_EQ(r[82 + 102], s[66 + 100]);   // voice part: old 100 -> new 102
    EXPECT_EQ(r[312], 0); EXPECT_EQ(r[313], 0);
    EXPECT_EQ(r[314], 0x40); EXPECT_EQ(r[315], 0x40);
    EXPECT_EQ(r[316], s[66 + 228 + 4]);    // element 0 byte 0
    EXPECT_EQ(r[317], 0);                  // cleared with 319 and 320
    EXPECT_EQ(r[319], 0); EXPECT_EQ(r[320], 0);
    EXPECT_EQ(r[316 + 159 + 155], 0);
    EXPECT_EQ(r[316 + 159 + 156], 127);
    EXPECT_EQ(r[316 + 159 * 3 + 154], s[66 + 228 + 4 + 155 * 3 + 154]);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(dst[1920 + 14 * 2 + i], r[i]);
    const unsigned char* q = dst.data() + 506176 + 353 * 9;
    EXPECT_EQ(q[82 + 86], 10); EXPECT_EQ(q[82 + 87], 0);
    EXPECT_EQ(q[250], p[66 + 164 + 4]);    // board part after the inserted 4 bytes
    EXPECT_EQ(dst[0], 0);                  // nothing writes the header area
    EXPECT_EQ(dst[251904], 0);             // bank 2 stays empty
}

TEST(ConverterRegistry, W2EGoesThroughW7EToW9EWithInitialVoices)
{
    Bytes src = w2eImage();
    unsigned char* s = src.data() + w2eNormal(5);
    fillPattern(s, 880, 9);
    s[19] = 0; s[20] = 25;                 // table entry 25 = 0x008E
    unsigned char* d = src.data() + w2eDrum(3);
    fillPattern(d, 5024, 10);
    d[19] = 1; d[20] = 0;                  // table entry 128 = 0x01A2
    for (int k = 0; k < 73; ++k) {         // keep the retired-setting bytes neutral
        d[66 + 147 + 50 * k + 1] = 0;
        d[66 + 147 + 50 * k + 8] = 0;
    }
    d[66 + 147 + 38] = 20;                 // key 0 byte 38: 48

    TConvertInitData init;
    init.normalVoice = QByteArray(952, char(0x0B));
    init.drumVoice = QByteArray(4138, char(0x0C));
    init.pluginVoice = QByteArray(353, char(0x0D));
    TConvertContext context;
    context.init = &init;
    Bytes dst(551424, 0x77);
    CTovarFileConverter* out = nullptr;
    ASSERT_TRUE(CTovarFileConverter::ConvertFile(src.data(), 284544, dst.data(), 551424, out, context));
    EXPECT_EQ(out, CW7EToW9EConverter::create());
    EXPECT_EQ(context.origin, CW2EToW7EConverter::create());

    const unsigned char* r = dst.data() + 8192 + 952 * 5;
    EXPECT_EQ(r[19], 0); EXPECT_EQ(r[20], 0x01); EXPECT_EQ(r[21], 0x0E);
    EXPECT_EQ(r[316 + 2], 0);              // element 0 number
    EXPECT_EQ(r[316 + 159 * 3 + 2], 3);
    EXPECT_EQ(r[316 + 28], 11);
    EXPECT_EQ(r[316 + 88], 0x40);
    EXPECT_EQ(r[82 + 21], 0);              // effect block of no old type: no effect
    EXPECT_EQ(r[82 + 54], 0);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(dst[128 + 14 * 5 + i], s[i]);
    // A bank the old format lacks holds the initial voice (with its inserted bytes).
    const unsigned char* n1 = dst.data() + 130048;
    EXPECT_EQ(n1[0], 0x0B);
    EXPECT_EQ(n1[312], 0); EXPECT_EQ(n1[314], 0x40);
    EXPECT_EQ(n1[951], 0x0B);

    const unsigned char* dr = dst.data() + 373760 + 4138 * 3;
    EXPECT_EQ(dr[19], 0); EXPECT_EQ(dr[20], 0x03); EXPECT_EQ(dr[21], 0x22);
    EXPECT_EQ(dr[269 + 38], 48);
    EXPECT_EQ(dr[4137], 0x0C);             // tail after the keys: initial data
    EXPECT_EQ(dst[373760 + 4138 * 16], 0x0C);  // drum voices 16-31 are initial voices
    EXPECT_EQ(dst[506176 + 82 + 13], 0);   // plug-in voice 0 of the file: its first block, no effect
}

TEST(ConverterRegistry, M2EAnswersForADocument)
{
    Bytes src(524672, 0);
    Bytes dst(553476, 0x01);
    CTovarFileConverter* out = nullptr;
    TConvertContext context;
    ASSERT_TRUE(CTovarFileConverter::ConvertFile(src.data(), 524672, dst.data(), 553476, out, context));
    EXPECT_EQ(out, CM2EToM3EConverter::create());
    EXPECT_EQ(context.origin, CM2EToM3EConverter::create());
    EXPECT_EQ(dst[553475], 0);
}

TEST(ConverterRegistry, ConversionsOnSeveralThreadsDoNotShareState)
{
    Bytes w6e = w6eImage();
    fillPattern(w6e.data() + 128, 409088 - 128, 5);
    Bytes w2e = w2eImage();
    fillPattern(w2e.data() + 128, 284544 - 128, 6);
    Bytes want6(551424, 0), want2(551424, 0);
    CTovarFileConverter* out = nullptr;
    ASSERT_TRUE(CTovarFileConverter::ConvertFile(w6e.data(), 409088, want6.data(), 551424, out));
    ASSERT_TRUE(CTovarFileConverter::ConvertFile(w2e.data(), 284544, want2.data(), 551424, out));

    std::vector<Bytes> results(6, Bytes(551424, 0));
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&, t] {
            CTovarFileConverter* o = nullptr;
            const Bytes& src = t % 2 ? w2e : w6e;
            CTovarFileConverter::ConvertFile(src.data(), int(src.size()), results[t].data(), 551424, o);
        });
    for (std::thread& t : threads)
        t.join();
    for (int t = 0; t < 6; ++t)
        EXPECT_TRUE(results[t] == (t % 2 ? want2 : want6)) << t;
}

namespace {

// A source image of a format with a pattern of its seed behind its signature.
struct ConversionPath
{
    const char* name;
    Bytes (*image)();
    int signature;  // bytes kept from the image's own start
    int target;
};

Bytes w7eImage() { return Bytes(522624, 0); }
Bytes m2eImage() { return Bytes(524672, 0); }

const ConversionPath kPaths[] = {
    {"W2EToW7E", w2eImage, 128, 522624},
    {"W6EToW7E", w6eImage, 16, 522624},
    {"W2EToW9E", w2eImage, 128, 551424},
    {"W6EToW9E", w6eImage, 16, 551424},
    {"W7EToW9E", w7eImage, 0, 551424},
    {"M2EToM3E", m2eImage, 0, 553476},
};

class ConversionPaths : public ::testing::TestWithParam<ConversionPath>
{
};

std::string pathName(const ::testing::TestParamInfo<ConversionPath>& info)
{
    return info.param.name;
}

Bytes convert(const ConversionPath& path, int seed)
{
    Bytes src = path.image();
    fillPattern(src.data() + path.signature, int(src.size()) - path.signature, seed);
    Bytes dst(size_t(path.target), 0x34);
    CTovarFileConverter* out = nullptr;
    if (!CTovarFileConverter::ConvertFile(src.data(), int(src.size()), dst.data(), path.target, out))
        return Bytes();
    return dst;
}

} // namespace

// Converters build their images aside in buffers they keep: what ran before, on this
// thread or beside it on another, must not show in an image.
TEST_P(ConversionPaths, AnImageIsTheSameWhateverRanBefore)
{
    const ConversionPath& path = GetParam();
    const Bytes first = convert(path, 1);
    ASSERT_FALSE(first.empty()) << "the source was not accepted";
    const Bytes second = convert(path, 2);
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(convert(path, 1), first);

    Bytes beside;
    std::thread other([&] {
        for (int i = 0; i < 3; ++i)
            beside = convert(path, 2);
    });
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(convert(path, 1), first);
    other.join();
    EXPECT_EQ(beside, second);
}

INSTANTIATE_TEST_SUITE_P(ConverterRegistry, ConversionPaths, ::testing::ValuesIn(kPaths), pathName);
