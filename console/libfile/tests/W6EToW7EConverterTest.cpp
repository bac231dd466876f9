// .w6e to .w7e: record layouts, the renumbered types, the references and what
// keeps the destination's initial data.
#include "ConverterTestImages.h"

#include "console/libfile/converters/CW6EToW7EConverter.h"

#include <gtest/gtest.h>

using namespace ConverterTest;

namespace {

CW6EToW7EConverter* conv() { return CW6EToW7EConverter::create(); }

// The 82-byte common part the format table makes of a 66-byte one.
Bytes expectedCommon(const unsigned char* o, bool plugin)
{
    Bytes n(82, 0);
    if (plugin) {
        for (int i = 0; i <= 18; ++i) n[i] = o[i];
        n[19] = 0;
        for (int i = 20; i <= 30; ++i) n[i] = o[i - 1];
    } else {
        for (int i = 0; i <= 19; ++i) n[i] = o[i];
        n[20] = 0;
        for (int i = 21; i <= 30; ++i) n[i] = o[i - 1];
    }
    n[31] = 0; n[32] = 2; n[33] = 0;
    for (int i = 34; i <= 37; ++i) n[i] = o[i - 4];
    n[38] = 1; n[39] = 0;
    n[40] = o[34]; n[41] = o[35];
    for (int i = 42; i <= 51; ++i) n[i] = 0x7F;
    for (int i = 52; i <= 80; ++i) n[i] = o[i - 16];
    n[81] = o[65];
    return n;
}

// Voice part byte i of a converted record from the old voice part: byte 0 splits into
// the mode (bits 0-2) and, at 11, the layer count; bytes 1 and 2 are curves, renumbered
// (11 - 3 x old) mod 13 below 13.
int voicePartByte(const unsigned char* old, int i)
{
    const auto curve = [](int v) { return v < 13 ? ((11 - 3 * v) % 13 + 13) % 13 : v; };
    return i == 0 ? old[0] % 8 : i == 11 ? old[0] / 8 : i == 1 || i == 2 ? curve(old[i]) : old[i];
}

// Keeps a patterned record away from the type codes that get renumbered.
void neutralTypes(unsigned char* part, const int* typePos)
{
    for (int b = 0; b < 4; ++b)
        part[typePos[b]] = part[typePos[b] + 1] = 5;
}

const int kNormalTypesOld[] = {19, 55, 92, 126};  // in the 228-byte part
const int kDrumTypes[] = {12, 48, 85, 119};
const int kPluginTypes[] = {13, 49, 86, 120};

} // namespace

TEST(W6EToW7EConverter, NormalRecordLayoutAndDirectory)
{
    Bytes src = w6eImage();
    unsigned char* s = src.data() + w6eNormal(1, 2);
    fillPattern(s, 918, 7);
    neutralTypes(s + 66, kNormalTypesOld);
    s[19] = 2;     // reference in bank 2
    s[20] = 0x10;
    Bytes dst(522624, 0xAA);
    ASSERT_TRUE(conv()->DataConv(src.data(), 409088, dst.data(), 522624));

    const unsigned char* r = dst.data() + w7eNormal(1, 2);
    Bytes common = expectedCommon(s, false);
    common[19] = 0; common[20] = 0x40; common[21] = 0x10;
    for (int i = 0; i < 82; ++i)
        ASSERT_EQ(r[i], common[i]) << "common " << i;
    for (int i = 0; i < 230; ++i) {
        const int want = i < 15 ? voicePartByte(s + 66, i) : i < 17 ? 0 : s[66 + i - 2];
        ASSERT_EQ(r[82 + i], want) << "voice part " << i;
    }
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 159; ++i) {
            // Elements follow the 4-byte part, which the .w7e record drops.
            const int want = i < 155 ? s[66 + 228 + 4 + 155 * k + i] : i == 155 ? 0 : 127;
            ASSERT_EQ(r[312 + 159 * k + i], want) << "element " << k << " byte " << i;
        }
    for (int i = 948; i < 960; ++i)
        EXPECT_EQ(r[i], 0xAA) << "unwritten tail " << i;

    // Directory: one 32-byte entry per voice from 608 in bank order.
    const unsigned char* e = dst.data() + 608 + 32 * (128 + 2);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(e[i], s[i]);
    for (int i = 10; i < 14; ++i)
        EXPECT_EQ(e[i], 0);
    for (int i = 14; i < 32; ++i)
        EXPECT_EQ(e[i], 0xAA);
    EXPECT_EQ(dst[607], 0xAA);
    EXPECT_EQ(dst[608 + 32 * 416], 0xAA);  // after the last entry
}

TEST(W6EToW7EConverter, DrumAndPluginRecordLayouts)
{
    Bytes src = w6eImage();
    unsigned char* d = src.data() + w6eDrum(31);
    fillPattern(d, 3903, 3);
    neutralTypes(d + 66, kDrumTypes);
    d[19] = 2; d[20] = 0x91;
    unsigned char* p = src.data() + w6ePlugin(1, 63);
    fillPattern(p, 337, 5);
    neutralTypes(p + 66, kPluginTypes);
    p[19] = 2; p[20] = 0x01;  // plug-in bank byte is old 19, now at 20
    Bytes dst(522624, 0xAA);
    ASSERT_TRUE(conv()->DataConv(src.data(), 409088, dst.data(), 522624));

    const unsigned char* rd = dst.data() + w7eDrum(31);
    Bytes common = expectedCommon(d, false);
    common[19] = 0; common[20] = 0x41; common[21] = 0x11;
    for (int i = 0; i < 82; ++i)
        ASSERT_EQ(rd[i], common[i]) << "drum common " << i;
    for (int i = 0; i < 183; ++i)
        ASSERT_EQ(rd[82 + i], voicePartByte(d + 66, i)) << "drum part " << i;
    for (int i = 0; i < 73 * 50; ++i)
        ASSERT_EQ(rd[265 + i], d[66 + 183 + 4 + i]) << "drum key byte " << i;
    EXPECT_EQ(rd[3915], 0xAA);
    EXPECT_EQ(dst[608 + 32 * (256 + 31)], d[0]);

    const unsigned char* rp = dst.data() + w7ePlugin(1, 63);
    common = expectedCommon(p, true);
    common[19] = 0; common[20] = 0x40; common[21] = 0x01;
    for (int i = 0; i < 82; ++i)
        ASSERT_EQ(rp[i], common[i]) << "plug-in common " << i;
    for (int i = 0; i < 164; ++i)
        ASSERT_EQ(rp[82 + i], voicePartByte(p + 66, i)) << "plug-in part " << i;
    for (int i = 0; i < 103; ++i)
        ASSERT_EQ(rp[246 + i], p[66 + 164 + 4 + i]) << "plug-in board part " << i;
    EXPECT_EQ(rp[349], 0xAA);
    EXPECT_EQ(dst[608 + 32 * (352 + 63) + 9], p[9]);
}

TEST(W6EToW7EConverter, RenumbersTypesAndTheirParameters)
{
    Bytes src = w6eImage();
    // Normal voice: second block 576, insertion blocks 2568 and 3864, 3664 rule.
    unsigned char* n = src.data() + w6eNormal(0, 0) + 66;
    n[55] = 2; n[56] = 64;             // new 57/58: 576
    for (int i = 0; i < 32; ++i)
        n[57 + i] = static_cast<unsigned char>(0x10 + i);  // its parameters, new 59-90
    n[0] = 0x1D;                       // mode 5, layer count 3
    n[1] = 3; n[2] = 12; n[11] = 0x44;
    n[92] = 10; n[93] = 8;             // new 94/95: 2568
    n[126] = 14; n[127] = 80;          // new 128/129: 3664
    n[129] = 1;                        // new 131
    unsigned char* n1 = src.data() + w6eNormal(0, 1) + 66;
    n1[55] = 2; n1[56] = 72;           // 584
    n1[126] = 15; n1[127] = 24;        // 3864
    n1[129] = 0;
    unsigned char* n2 = src.data() + w6eNormal(0, 2) + 66;
    n2[126] = 14; n2[127] = 80; n2[129] = 2;
    unsigned char* n3 = src.data() + w6eNormal(0, 3) + 66;
    n3[126] = 14; n3[127] = 80; n3[129] = 3;  // 3 becomes 2
    unsigned char* dr = src.data() + w6eDrum(0) + 66;
    dr[119] = 14; dr[120] = 80; dr[122] = 0;
    dr[48] = 2; dr[49] = 64;
    unsigned char* pl = src.data() + w6ePlugin(0, 0) + 66;
    pl[86] = 10; pl[87] = 8;
    pl[120] = 14; pl[121] = 80; pl[123] = 1;
    unsigned char* pl1 = src.data() + w6ePlugin(0, 1) + 66;
    pl1[86] = 15; pl1[87] = 24;

    Bytes dst(522624, 0);
    unsigned char* initPart = dst.data() + w7eNormal(0, 0) + 82;
    for (int i = 59; i <= 90; ++i)
        initPart[i] = 0x21;            // initial parameters of the chorus block
    ASSERT_TRUE(conv()->DataConv(src.data(), 409088, dst.data(), 522624));

    const unsigned char* a = dst.data() + w7eNormal(0, 0) + 82;
    EXPECT_EQ(a[57], 2); EXPECT_EQ(a[58], 16);
    // Parameters 0-3 move up 14 bytes to 7-10, their bytes are cleared, parameter 7
    // is repeated in 11-13, and 4-6, 14 and 15 stay.
    for (int p = 0; p < 16; ++p) {
        const int from = p < 4 ? -1 : p < 7 ? p : p < 11 ? p - 7 : p < 14 ? 0 : p;
        for (int b = 0; b < 2; ++b)
            ASSERT_EQ(a[59 + 2 * p + b], from < 0 ? 0 : 0x10 + 2 * from + b) << "chorus parameter " << p;
    }
    EXPECT_EQ(a[0], 5); EXPECT_EQ(a[11], 3);  // pair table
    EXPECT_EQ(a[1], 2); EXPECT_EQ(a[2], 1);   // curve table
    EXPECT_EQ(a[94], 10); EXPECT_EQ(a[95], 0);
    EXPECT_EQ(a[128], 14); EXPECT_EQ(a[129], 80); EXPECT_EQ(a[131], 8);
    const unsigned char* b = dst.data() + w7eNormal(0, 1) + 82;
    EXPECT_EQ(b[57], 2); EXPECT_EQ(b[58], 32);
    EXPECT_EQ(b[128], 15); EXPECT_EQ(b[129], 16);
    EXPECT_EQ(b[131], 0);  // 3664 rule does not apply to 3864
    EXPECT_EQ(dst[w7eNormal(0, 2) + 82 + 131], 5);
    EXPECT_EQ(dst[w7eNormal(0, 3) + 82 + 131], 2);
    const unsigned char* c = dst.data() + w7eDrum(0) + 82;
    EXPECT_EQ(c[122], 11);
    EXPECT_EQ(c[48], 2); EXPECT_EQ(c[49], 16);
    const unsigned char* q = dst.data() + w7ePlugin(0, 0) + 82;
    EXPECT_EQ(q[86], 10); EXPECT_EQ(q[87], 0);
    EXPECT_EQ(q[123], 8);
    const unsigned char* q1 = dst.data() + w7ePlugin(0, 1) + 82;
    EXPECT_EQ(q1[86], 15); EXPECT_EQ(q1[87], 16);
}

TEST(W6EToW7EConverter, ReferencesInBankTwoMoveAndOthersGoThroughTheTable)
{
    struct Case {
        int bank, number;
        int want19, want20, want21;
    };
    // Initial reference (0, 0x3C, 0x0A) stands for "no value of the old format".
    const Case cases[] = {
        {2, 0x85, 0, 0x41, 0x05}, {0, 5, 0, 0x00, 0x23}, {1, 72, 0, 0x0A, 0x78},
        {1, 127, 0, 0x0D, 0x79},  {200, 200, 0, 0x3C, 0x0A},
    };
    Bytes src = w6eImage();
    Bytes dst(522624, 0);
    int i = 0;
    for (const Case& c : cases) {
        unsigned char* s = src.data() + w6eNormal(0, i);
        s[19] = static_cast<unsigned char>(c.bank);
        s[20] = static_cast<unsigned char>(c.number);
        unsigned char* d = dst.data() + w7eNormal(0, i++);
        d[19] = 0; d[20] = 0x3C; d[21] = 0x0A;  // initial reference
    }
    ASSERT_TRUE(conv()->DataConv(src.data(), 409088, dst.data(), 522624));
    i = 0;
    for (const Case& c : cases) {
        const unsigned char* d = dst.data() + w7eNormal(0, i++);
        EXPECT_EQ(d[19], c.want19) << c.bank << "/" << c.number;
        EXPECT_EQ(d[20], c.want20) << c.bank << "/" << c.number;
        EXPECT_EQ(d[21], c.want21) << c.bank << "/" << c.number;
    }
}

TEST(W6EToW7EConverter, DeclinesWrongSizeOrSignatureWithoutTouchingTheBuffer)
{
    Bytes good = w6eImage();
    Bytes dst(522624, 0x66);
    const Bytes before = dst;
    EXPECT_FALSE(conv()->DataConv(good.data(), 409087, dst.data(), 522624));
    EXPECT_FALSE(conv()->DataConv(good.data(), 409088, dst.data(), 522623));
    Bytes bad = good;
    bad[0] = 'B';
    EXPECT_FALSE(conv()->DataConv(bad.data(), 409088, dst.data(), 522624));
    bad = good;
    bad[15] = 'X';  // text runs on past the signature
    EXPECT_FALSE(conv()->DataConv(bad.data(), 409088, dst.data(), 522624));
    EXPECT_EQ(dst, before);
    Bytes tail = good;
    tail[16] = 'Z';  // after the terminator: still the signature as a text
    EXPECT_TRUE(conv()->DataConv(tail.data(), 409088, dst.data(), 522624));
}

TEST(W6EToW7EConverter, BankSizes)
{
    const int want[] = {128, 128, 32, 64, 64, 0, 0};
    for (int b = 0; b < 7; ++b)
        EXPECT_EQ(conv()->GetBankSize(b), want[b]) << b;
}
