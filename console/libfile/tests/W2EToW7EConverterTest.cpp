// .w2e to .w7e: the stages on the entries that are known (element and key
// parts, voice parts, references, effect blocks) and the gating.
#include "ConverterTestImages.h"

#include "console/libfile/converters/CW2EToW7EConverter.h"
#include "console/libfile/converters/W2EEffectMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

using namespace ConverterTest;

namespace {

CW2EToW7EConverter* conv() { return CW2EToW7EConverter::create(); }

// Old voice-part positions of the four effect types (the type moves with the run it is in).
const int kNormalTypesOld[] = {19, 43, 68, 90};
const int kDrumTypesOld[] = {12, 36, 61, 83};
const int kPluginTypesOld[] = {13, 37, 62, 84};

void neutralTypes(unsigned char* part, const int* typePos)
{
    for (int b = 0; b < 4; ++b)
        part[typePos[b]] = part[typePos[b] + 1] = 5;
}

// Which new voice-part bytes come from which old byte (-1: inserted zero).
std::vector<int> runMap(int size, std::initializer_list<std::array<int, 3>> runs)
{
    std::vector<int> m(size, -1);
    for (const auto& r : runs)
        for (int i = r[1]; i <= r[2]; ++i)
            m[r[0] + i - r[1]] = i;
    return m;
}

bool inBlock(int i, const int* newTypes)
{
    for (int b = 0; b < 4; ++b)
        if (i >= newTypes[b] && i < newTypes[b] + 34)
            return true;
    return false;
}

} // namespace

TEST(W2EToW7EConverter, ElementPartsGetTheirNewBytes)
{
    Bytes src = w2eImage();
    unsigned char* s = src.data() + w2eNormal(7);
    fillPattern(s, 880, 2);
    neutralTypes(s + 66, kNormalTypesOld);
    const int elem0 = 66 + 191;
    s[elem0 + 92] = 30;              // 30 * 2 + 8 = 68
    s[elem0 + 152 + 92] = 60;        // 128: clamped
    s[elem0 + 304 + 92] = 0x7F;      // clamped
    Bytes dst(522624, 0);
    ASSERT_TRUE(conv()->DataConv(src.data(), 284544, dst.data(), 522624));

    for (int k = 0; k < 4; ++k) {
        const unsigned char* o = s + elem0 + 152 * k;
        const unsigned char* n = dst.data() + w7eNormal(0, 7) + 312 + 159 * k;
        std::vector<int> want(159);
        for (int i = 0; i <= 1; ++i) want[i] = o[i];
        want[2] = k;
        for (int i = 3; i <= 17; ++i) want[i] = o[i];
        want[18] = 0;
        for (int i = 19; i <= 27; ++i) want[i] = o[i];
        want[28] = 11;
        for (int i = 29; i <= 37; ++i) want[i] = o[i - 1];
        want[38] = 127;
        for (int i = 39; i <= 87; ++i) want[i] = o[i - 1];
        want[88] = 0x40;
        for (int i = 89; i <= 93; ++i) want[i] = o[i - 2];
        want[94] = std::min(o[92] * 2 + 8, 0x7F);
        for (int i = 95; i <= 148; ++i) want[i] = o[i - 2];
        want[149] = o[147];
        for (int i = 150; i <= 153; ++i) want[i] = o[i - 2];
        want[154] = o[147];
        want[155] = 0;
        want[156] = want[157] = want[158] = 127;
        for (int i = 0; i < 159; ++i)
            ASSERT_EQ(n[i], want[i]) << "element " << k << " byte " << i;
    }
    EXPECT_EQ(dst[w7eNormal(0, 7) + 312 + 94], 68);
    EXPECT_EQ(dst[w7eNormal(0, 7) + 312 + 159 + 94], 0x7F);
}

TEST(W2EToW7EConverter, VoicePartRunsAndCommonPart)
{
    Bytes src = w2eImage();
    unsigned char* s = src.data() + w2eNormal(0);
    fillPattern(s, 880, 6);
    neutralTypes(s + 66, kNormalTypesOld);
    s[19] = 2; s[20] = 0x33;  // reference in bank 2
    Bytes dst(522624, 0);
    ASSERT_TRUE(conv()->DataConv(src.data(), 284544, dst.data(), 522624));
    const unsigned char* r = dst.data() + w7eNormal(0, 0);

    std::vector<int> want(82);
    for (int i = 0; i <= 19; ++i) want[i] = s[i];
    for (int i = 21; i <= 30; ++i) want[i] = s[i - 1];
    want[31] = 0; want[32] = 2; want[33] = 0;
    for (int i = 34; i <= 37; ++i) want[i] = s[i - 4];
    want[38] = 1; want[39] = 0;
    want[40] = s[34]; want[41] = s[35];
    for (int i = 42; i <= 51; ++i) want[i] = 0x7F;
    for (int i = 52; i <= 80; ++i) want[i] = s[i - 16];
    want[81] = s[65];
    want[19] = 0; want[20] = 0x40; want[21] = 0x33;
    for (int i = 0; i < 82; ++i)
        ASSERT_EQ(r[i], want[i]) << "common " << i;

    // Effect blocks of unknown types are no effect (all zero); the rest follows the runs.
    const std::vector<int> m = runMap(230, {{0, 0, 14}, {17, 15, 40}, {55, 41, 64}, {91, 65, 89}, {128, 90, 190}});
    const int newTypes[] = {21, 57, 94, 128};
    for (int i = 0; i < 230; ++i) {
        const int w = inBlock(i, newTypes) || m[i] < 0 ? 0 : s[66 + m[i]];
        ASSERT_EQ(r[82 + i], w) << "voice part " << i;
    }
    EXPECT_EQ(r[82 + 55], s[66 + 41]);
    EXPECT_EQ(r[82 + 228], s[66 + 190]);
    // Name entry: 10 name bytes and 4 zeros.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(dst[608 + i], s[i]);
    for (int i = 10; i < 14; ++i)
        EXPECT_EQ(dst[608 + i], 0);
}

TEST(W2EToW7EConverter, DrumVoiceKeyPartsAndPluginVoices)
{
    Bytes src = w2eImage();
    unsigned char* d = src.data() + w2eDrum(15);
    fillPattern(d, 5024, 8);
    neutralTypes(d + 66, kDrumTypesOld);
    const int key0 = 66 + 147;
    d[key0 + 38] = 10;               // 28
    d[key0 + 50 * 72 + 38] = 100;    // 208: clamped
    unsigned char* p = src.data() + w2ePlugin(2, 63);
    fillPattern(p, 304, 12);
    neutralTypes(p + 66, kPluginTypesOld);
    p[19] = 2; p[20] = 0x85;         // plug-in bank byte moves to 20
    Bytes dst(522624, 0xAA);
    ASSERT_TRUE(conv()->DataConv(src.data(), 284544, dst.data(), 522624));

    const unsigned char* rd = dst.data() + w7eDrum(15);
    for (int k = 0; k < 73; ++k)
        for (int i = 0; i < 50; ++i) {
            const int o = d[key0 + 50 * k + i];
            const int want = i == 38 ? std::min(o * 2 + 8, 0x7F) : o;
            ASSERT_EQ(rd[265 + 50 * k + i], want) << "key " << k << " byte " << i;
        }
    EXPECT_EQ(rd[265 + 38], 28);
    EXPECT_EQ(rd[265 + 50 * 72 + 38], 0x7F);
    const std::vector<int> dm = runMap(183, {{0, 0, 33}, {46, 34, 57}, {82, 58, 82}, {119, 83, 146}});
    const int drumTypes[] = {12, 48, 85, 119};
    for (int i = 0; i < 183; ++i)
        if (!inBlock(i, drumTypes)) {
            ASSERT_EQ(rd[82 + i], dm[i] < 0 ? 0 : d[66 + dm[i]]) << "drum part " << i;
        }
    EXPECT_EQ(rd[3915], 0xAA);                       // past the keys: untouched
    EXPECT_EQ(dst[w7eDrum(16)], 0xAA);               // only 16 drum voices
    EXPECT_EQ(dst[8832 + 32 * 15], d[0]);
    EXPECT_EQ(dst[8832 + 32 * 15 + 14], 0xAA);

    const unsigned char* rp = dst.data() + w7ePlugin(2, 63);
    EXPECT_EQ(rp[18], p[18]);
    EXPECT_EQ(rp[19], 0);
    EXPECT_EQ(rp[20], 0x41);
    EXPECT_EQ(rp[21], 0x05);
    EXPECT_EQ(rp[22], p[21]);
    const std::vector<int> pm = runMap(164, {{0, 0, 34}, {47, 35, 58}, {83, 59, 83}, {120, 84, 127}});
    const int pluginTypes[] = {13, 49, 86, 120};
    for (int i = 0; i < 164; ++i)
        if (!inBlock(i, pluginTypes)) {
            ASSERT_EQ(rp[82 + i], pm[i] < 0 ? 0 : p[66 + pm[i]]) << "plug-in part " << i;
        }
    for (int i = 0; i < 103; ++i)
        ASSERT_EQ(rp[246 + i], p[66 + 128 + i]) << "plug-in board part " << i;
    for (int i = 349; i < 352; ++i)
        EXPECT_EQ(rp[i], 0xAA);
    EXPECT_EQ(dst[9888 + 32 * (2 * 64 + 63)], p[0]);
    EXPECT_EQ(dst[w7eNormal(1, 0)], 0xAA);           // no second normal bank
}

TEST(W2EToW7EConverter, ReferenceRemapCases)
{
    struct Case {
        int bank, number;
        int want19, want20, want21;
    };
    // Initial reference (0, 0x3C, 0x0A) stands for "no value of the old format".
    const Case cases[] = {
        {2, 0x85, 0, 0x41, 0x05}, {2, 0x10, 0, 0x40, 0x10}, {0, 5, 0, 0, 5},
        {0, 24, 0, 0, 24},        {0, 25, 0, 0x01, 0x0E},   {1, 0, 0, 0x03, 0x22},
        {1, 127, 0, 0x0B, 0x44},  {0, 26, 0, 0x01, 0x10},   {1, 1, 0, 0x03, 0x2A},
        {0, 127, 0, 0x02, 0x5A},  {3, 0, 0, 0x3C, 0x0A},
        {0xFF, 0xFF, 0, 0x3C, 0x0A},
    };
    Bytes src = w2eImage();
    Bytes dst(522624, 0);
    int i = 0;
    for (const Case& c : cases) {
        unsigned char* s = src.data() + w2eNormal(i);
        s[19] = static_cast<unsigned char>(c.bank);
        s[20] = static_cast<unsigned char>(c.number);
        unsigned char* d = dst.data() + w7eNormal(0, i);
        d[19] = 0; d[20] = 0x3C; d[21] = 0x0A;
        ++i;
    }
    unsigned char* p = src.data() + w2ePlugin(0, 0);
    p[19] = 1; p[20] = 0;  // index 128 through the plug-in bank byte
    ASSERT_TRUE(conv()->DataConv(src.data(), 284544, dst.data(), 522624));
    i = 0;
    for (const Case& c : cases) {
        const unsigned char* d = dst.data() + w7eNormal(0, i++);
        EXPECT_EQ(d[19], c.want19) << c.bank << "/" << c.number;
        EXPECT_EQ(d[20], c.want20) << c.bank << "/" << c.number;
        EXPECT_EQ(d[21], c.want21) << c.bank << "/" << c.number;
    }
    const unsigned char* q = dst.data() + w7ePlugin(0, 0);
    EXPECT_EQ(q[19], 0); EXPECT_EQ(q[20], 0x03); EXPECT_EQ(q[21], 0x22);
}

TEST(W2EToW7EConverter, EffectBlocksGoThroughTheirMapsAndUnknownTypesBecomeNoEffect)
{
    Bytes src = w2eImage();
    const auto setParams = [](unsigned char* type, std::initializer_list<int> values) {
        int p = 0;
        for (int v : values) {
            type[2 + 2 * p] = static_cast<unsigned char>(v >> 7);
            type[3 + 2 * p++] = static_cast<unsigned char>(v & 0x7F);
        }
    };
    unsigned char* s = src.data() + w2eNormal(0) + 66;
    fillPattern(s, 191, 1);
    s[19] = 1; s[20] = 0;    // first block: Hall Bright
    setParams(s + 19, {40, 5, 9, 2, 50, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 87});
    s[43] = 2; s[44] = 16;   // second block 528: read as 536, Chorus Bright
    setParams(s + 43, {10, 50, 40, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    s[68] = 9; s[69] = 9;    // third block: no type of the old format
    s[90] = 9; s[91] = 0;    // fourth block: Auto Wah, all 16 parameters moved
    setParams(s + 90, {64, 20, 30, 45, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    unsigned char* s1 = src.data() + w2eNormal(1) + 66;
    s1[43] = 2; s1[44] = 64; // 576: Chorus Quad, its parameters moved up seven slots
    setParams(s1 + 43, {10, 50, 40, 1000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    unsigned char* s2 = src.data() + w2eNormal(2) + 66;
    s2[43] = 2; s2[44] = 72; // 584 becomes (2, 32)
    unsigned char* d = src.data() + w2eDrum(0) + 66;
    d[36] = 2; d[37] = 64;   // a drum voice's 576 too
    Bytes dst(522624, 0);
    for (int v = 0; v < 3; ++v)
        for (int i = 0; i < 230; ++i)
            dst[w7eNormal(0, v) + 82 + i] = static_cast<unsigned char>(0x20 + (i & 0x0F));
    ASSERT_TRUE(conv()->DataConv(src.data(), 284544, dst.data(), 522624));

    // The 16 parameters of a converted block: the type's defaults, the old parameters
    // at the slots their row names, value table 1 (2 x v) and 2 (64 + 2 x (v - 32)).
    const auto params = [](const unsigned char* type) {
        std::vector<int> v(16);
        for (int p = 0; p < 16; ++p)
            v[p] = type[2 + 2 * p] * 128 + type[3 + 2 * p];
        return v;
    };
    const unsigned char* r = dst.data() + w7eNormal(0, 0) + 82;
    EXPECT_EQ(r[21], 1); EXPECT_EQ(r[22], 0);
    EXPECT_EQ(params(r + 21), std::vector<int>({40, 9, 5, 2, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r[57], 2); EXPECT_EQ(r[58], 24);
    EXPECT_EQ(params(r + 57), std::vector<int>({20, 50, 80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    for (int i = 94; i <= 127; ++i)
        ASSERT_EQ(r[i], 0) << "no effect " << i;
    EXPECT_EQ(r[128], 9); EXPECT_EQ(r[129], 0);
    EXPECT_EQ(params(r + 128), std::vector<int>({64, 45, 20, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r[55], s[41]);  // between blocks: carried over
    EXPECT_EQ(r[162], s[124]);

    const unsigned char* r1 = dst.data() + w7eNormal(0, 1) + 82;
    EXPECT_EQ(r1[57], 2); EXPECT_EQ(r1[58], 16);
    EXPECT_EQ(params(r1 + 57), std::vector<int>({0, 0, 0, 0, 0, 0, 0, 20, 50, 80, 1000, 20, 20, 20, 0, 0}));
    const unsigned char* r2 = dst.data() + w7eNormal(0, 2) + 82;
    EXPECT_EQ(r2[57], 2); EXPECT_EQ(r2[58], 32);
    EXPECT_EQ(params(r2 + 57), std::vector<int>({0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}));
    const unsigned char* rd = dst.data() + w7eDrum(0) + 82;
    EXPECT_EQ(rd[48], 2); EXPECT_EQ(rd[49], 16);
}

TEST(W2EToW7EConverter, ParameterMapMovesDefaultsDropsAndCodes)
{
    using namespace NS_W2EEffects;
    const TTypeRow types[] = {{536, 1}};
    TMapRow rows[2] = {};
    for (int s = 0; s < 16; ++s) {
        rows[1].defaults[s] = static_cast<uint16_t>(100 + s);
        rows[1].positions[s] = static_cast<uint8_t>(15 - s);
    }
    rows[1].positions[3] = 16;   // dropped
    rows[1].codes[15] = kValueTable1;
    rows[1].codes[14] = kValueTable2;
    rows[1].codes[13] = kValueTable1;
    const uint16_t table1[] = {7, 8, 9};
    const uint16_t table2[] = {50, 51};
    const TParamMap chorus = {types, 1, rows, 2, 10, true, table1, 3, table2, 2};

    int in[16];
    for (int i = 0; i < 16; ++i)
        in[i] = i == 0 ? 2 : i == 1 ? 1 : 1000 + i;
    in[2] = 500;  // past table 1 in slot 13: the default instead
    int out[16];
    ASSERT_TRUE(mapParams(chorus, 536, in, out));
    EXPECT_EQ(out[15], 9);           // old 0 -> slot 15 -> table1[2]
    EXPECT_EQ(out[14], 51);          // old 1 -> slot 14 -> table2[1]
    EXPECT_EQ(out[13], 113);         // old 2 -> slot 13: 500 is past table 1
    EXPECT_EQ(out[12], 100 + 12);    // old 3 dropped: default
    EXPECT_EQ(out[6], 1009);         // old 9 -> slot 6
    EXPECT_EQ(out[5], 105);          // old 10 is not moved (10 moved)
    EXPECT_EQ(out[0], 100);
    EXPECT_EQ(rowOf(chorus, 999), 0);
    EXPECT_FALSE(mapParams(TParamMap{types, 1, rows, 1, 10, false, nullptr, 0, nullptr, 0}, 536, in, out));

    // All 16 old parameters move in the second insertion map; results are 7-bit pairs.
    TMapRow ins[1] = {};
    for (int s = 0; s < 16; ++s)
        ins[0].positions[s] = static_cast<uint8_t>(s);
    const TParamMap insertion = {nullptr, 0, ins, 1, 16, false, nullptr, 0, nullptr, 0};
    unsigned char part[40] = {};
    part[0] = 8; part[1] = 0;   // an old insertion type
    for (int i = 0; i < 16; ++i) {
        part[2 + 2 * i] = static_cast<unsigned char>(i);
        part[3 + 2 * i] = 0x7F;
    }
    part[2 + 30] = 0xC0;  // a high byte past 7 bits comes out clamped
    EXPECT_TRUE(convertBlock(part, 0, kInsertion2, insertion));
    EXPECT_EQ(part[2 + 2 * 5], 5);
    EXPECT_EQ(part[3 + 2 * 5], 0x7F);
    EXPECT_EQ(part[2 + 30], 0x7F);
    EXPECT_TRUE(isOldEffectType(576));
    EXPECT_FALSE(isOldEffectType(528));  // the chorus block reads it as 536
    EXPECT_FALSE(isOldEffectType(0x0909));
}

TEST(W2EToW7EConverter, DeclinesWrongSizeOrSignatureWithoutTouchingTheBuffer)
{
    const Bytes good = w2eImage();
    Bytes dst(522624, 0x66);
    const Bytes before = dst;
    EXPECT_FALSE(conv()->DataConv(good.data(), 284543, dst.data(), 522624));
    EXPECT_FALSE(conv()->DataConv(good.data(), 284544, dst.data(), 522623));
    EXPECT_FALSE(conv()->DataConv(good.data(), 284544, dst.data(), 522625));
    for (int at : {0, 25, 31, 32, 47, 49, 51, 127}) {
        Bytes bad = good;
        bad[at] ^= 0x01;
        EXPECT_FALSE(conv()->DataConv(bad.data(), 284544, dst.data(), 522624)) << at;
    }
    EXPECT_EQ(dst, before);
    EXPECT_TRUE(conv()->DataConv(good.data(), 284544, dst.data(), 522624));
}

TEST(W2EToW7EConverter, BankSizes)
{
    const int want[] = {128, 0, 16, 64, 64, 64, 0};
    for (int b = 0; b < 7; ++b)
        EXPECT_EQ(conv()->GetBankSize(b), want[b]) << b;
}
