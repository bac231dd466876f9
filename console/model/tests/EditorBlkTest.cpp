#include "CapturePort.h"
#include "TestPaths.h"
#include "console/model/Mem.h"
#include "console/model/PrmCtrl.h"
#include "console/remote/RcParamInfo.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// The fixture's map template with `from` replaced by `to`, written to `path`; false
// when the fixture does not hold `from` or the file cannot be written.
bool writeChangedTemplate(const QString& path, const char* from, const char* to, QByteArray* written = nullptr)
{
    QFile in(fixturePath("memmap.tpm"));
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray text = in.readAll();
    if (!text.contains(from))
        return false;
    text.replace(from, to);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
        return false;
    if (written)
        *written = text;
    return true;
}

// Records what the map hands to the control surface.
class ObservedMap : public CPrmCtrl
{
public:
    int32_t ChangeParam(_RCPARAM_INFO* info) override
    {
        echoes.append(QByteArray(reinterpret_cast<const char*>(info->address), 3));
        values.append(info->value);
        kinds.append(int(info->kind));
        return CPrmCtrl::ChangeParam(info);
    }
    QList<QByteArray> echoes;
    QList<int> values;
    QList<int> kinds;
};

class EditorBlkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(map.CreatePrmCtrl(0, fixturePath("memmap.tpm"))) << map.ErrorText().toStdString();
        map.SetMIDI(&port, 0);
    }

    bool set(const char* adrs, const char* data, bool midi = true, bool link = true, bool fromSurface = false)
    {
        const QByteArray a = hexBytes(adrs), d = hexBytes(data);
        bool linked = false;
        return map.SetData(0, reinterpret_cast<const unsigned char*>(a.constData()),
                           reinterpret_cast<const unsigned char*>(d.constData()), linked,
                           link ? LINK_ON : LINK_OFF, midi ? MIDI_ON : MIDI_OFF, fromSurface, 0);
    }

    QByteArray get(const char* adrs)
    {
        const QByteArray a = hexBytes(adrs);
        unsigned char out[16];
        const short n = blk().GetData(0, reinterpret_cast<const unsigned char*>(a.constData()), out);
        return QByteArray(reinterpret_cast<const char*>(out), n);
    }

    PRMINFO info(const char* adrs)
    {
        const QByteArray a = hexBytes(adrs);
        PRMINFO i;
        EXPECT_TRUE(map.GetPrmInfo(0, reinterpret_cast<const unsigned char*>(a.constData()), i));
        return i;
    }

    CEditorBlk& blk() { return map.EditorBlk(); }

    ObservedMap map;
    CapturePort port;
};

} // namespace

TEST_F(EditorBlkTest, ReadsDefaultsIntoEveryInstance)
{
    // The repeating part block has a default at offset + 16 x part.
    const BLK parts = blk().GetBlkAt(1);
    for (int p = 0; p < 16; ++p) {
        EXPECT_EQ(parts.defImage[p * 16], 0x64);
        EXPECT_EQ(parts.curImage[p * 16 + 3], 0x0F);
        // Second byte of the two-byte parameter: default and current, not reference.
        EXPECT_EQ(parts.curImage[p * 16 + 5], 0x78);
        EXPECT_EQ(parts.refImage[p * 16 + 5], 0);
        EXPECT_EQ(parts.refImage[p * 16 + 4], 0);
    }
    EXPECT_EQ(get("370A04"), hexBytes("0078"));
    EXPECT_EQ(get("370A10"), QByteArray());  // parameter 10 is not in the block
    EXPECT_EQ(get("371000"), QByteArray());  // part 16 is outside the range
    unsigned char base[3];
    const unsigned char a[3] = {0x37, 0x05, 0x02};
    BLK b;
    ASSERT_TRUE(blk().GetBlk(0, a, base, b));
    EXPECT_EQ(base[1], 0x00);
    EXPECT_EQ(blk().GetBlkNumber(0, a), 1);
    unsigned char out[3];
    // Running parameter 23 of 5 per part: parameter 3 of part 4.
    ASSERT_TRUE(blk().GetParamAddress(1, 23, out));
    EXPECT_EQ(QByteArray((char*)out, 3), hexBytes("370403"));
}

TEST_F(EditorBlkTest, KeepsRulesAndPartVolumesInPlace)
{
    const ASSIGN_RULE_DATA* gap = blk().GetAssignRuleData(1);
    ASSERT_NE(gap, nullptr);
    ASSERT_EQ(gap->pairs.size(), 3u);
    EXPECT_EQ(gap->pairs[1], gap->pairs[0]);
    EXPECT_EQ(gap->pairs[2], std::make_pair(2, 3));
    EXPECT_EQ(blk().GetAssignRuleData(2), nullptr);
    // Part 4 has no volume key; the later parts keep their own places.
    EXPECT_EQ(blk().GetVolumeNum(), 16);
    int cat = -1;
    EXPECT_EQ(blk().GetVolumeAddress(3, cat), nullptr);
    const unsigned char* v4 = blk().GetVolumeAddress(4, cat);
    ASSERT_NE(v4, nullptr);
    EXPECT_EQ(QByteArray((const char*)v4, 3), hexBytes("370400"));
    const unsigned char a5[3] = {0x37, 0x05, 0x00};
    EXPECT_EQ(blk().CheckVolumeAddress(0, a5, 3), 5);
}

TEST_F(EditorBlkTest, SetDataStoresAndSendsTheDocumentedMessage)
{
    ASSERT_TRUE(set("370301", "50"));
    EXPECT_EQ(get("370301"), hexBytes("50"));
    ASSERT_EQ(port.sent.size(), 1);
    EXPECT_EQ(port.sent[0], hexBytes("F0 43 10 5C 37 03 01 50 F7"));
    map.setDeviceID(5);
    ASSERT_TRUE(set("370A04", "0178"));
    EXPECT_EQ(port.sent.last(), hexBytes("F0 43 15 5C 37 0A 04 01 78 F7"));
    // A data value goes through the parameter's assign style first: 300 in 14 bits.
    const unsigned char tempo[3] = {0x37, 0x0A, 0x04}, value[2] = {0x01, 0x2C};
    unsigned char midi[2];
    ASSERT_TRUE(map.DataToMidi(0, tempo, value, midi));
    bool linked = false;
    ASSERT_TRUE(map.SetData(0, tempo, midi, linked, LINK_ON, MIDI_ON, false, 0));
    EXPECT_EQ(port.sent.last(), hexBytes("F0 43 15 5C 37 0A 04 02 2C F7"));
    unsigned char back[2];
    ASSERT_TRUE(map.MidiToData(0, tempo, midi, back));
    EXPECT_EQ(CPrmCtrl::GetCnvData(2, back), 300);
    // A device number above 15 never reaches the model nibble.
    map.setDeviceID(0x1F);
    ASSERT_TRUE(set("000001", "41"));
    EXPECT_EQ(port.sent.last(), hexBytes("F0 43 1F 5C 00 00 01 41 F7"));
    // Stored but not sent without the MIDI flag; refused without a parameter.
    port.sent.clear();
    ASSERT_TRUE(set("370301", "22", false));
    EXPECT_TRUE(port.sent.isEmpty());
    EXPECT_FALSE(set("370310", "22"));
    map.SetMidiSuppressed(true);
    ASSERT_TRUE(set("370301", "23"));
    EXPECT_TRUE(port.sent.isEmpty());
}

TEST_F(EditorBlkTest, SetDataTellsTheSurfaceUnlessTheEditCameFromIt)
{
    ASSERT_TRUE(set("370A04", "0178"));
    ASSERT_EQ(map.echoes.size(), 1);
    EXPECT_EQ(map.echoes[0], hexBytes("370A04"));
    EXPECT_EQ(map.values[0], 0x0178);
    EXPECT_EQ(map.kinds[0], 1);
    ASSERT_TRUE(set("370A04", "0100", true, true, true));
    EXPECT_EQ(map.echoes.size(), 1);
}

TEST_F(EditorBlkTest, MuteAndSoloDecideWhetherAVolumeIsSent)
{
    ASSERT_TRUE(blk().SetMuteStatus(5, true));
    ASSERT_TRUE(set("370500", "33"));
    EXPECT_EQ(get("370500"), hexBytes("33"));
    EXPECT_TRUE(port.sent.isEmpty());
    ASSERT_TRUE(blk().SetSoloStatus(5, true));
    ASSERT_TRUE(set("370500", "34"));
    ASSERT_EQ(port.sent.size(), 1);
    // Another part soloed: part 6 (not soloed) is held back, part 5 still goes out.
    ASSERT_TRUE(set("370600", "35"));
    EXPECT_EQ(port.sent.size(), 1);
    // Part 4's volume is not in the list: always sent; so is a non-volume parameter.
    ASSERT_TRUE(set("370300", "36"));
    ASSERT_TRUE(set("370601", "10"));
    EXPECT_EQ(port.sent.size(), 3);
    // Silencing a part sends zero; restoring sends the stored volume.
    port.sent.clear();
    blk().SendVolumeParam(5, true);
    blk().SendVolumeParam(5, false);
    blk().SendVolumeParam(3, false);
    ASSERT_EQ(port.sent.size(), 2);
    EXPECT_EQ(port.sent[0], hexBytes("F0 43 10 5C 37 05 00 00 F7"));
    EXPECT_EQ(port.sent[1], hexBytes("F0 43 10 5C 37 05 00 34 F7"));
}

TEST_F(EditorBlkTest, LinksClampWriteAndSend)
{
    // Mode 00: the depth's range becomes 10..20 and its value 0F is raised to 10, not sent.
    ASSERT_TRUE(set("370202", "00"));
    EXPECT_EQ(get("370203"), hexBytes("10"));
    PRMINFO d = info("370203");
    EXPECT_EQ(d.name, QStringLiteral("Depth Clamped"));
    EXPECT_EQ(d.minimum[0], 0x10);
    EXPECT_EQ(d.maximum[0], 0x20);
    EXPECT_EQ(port.sent.size(), 1);
    // Other parts keep their own description.
    EXPECT_EQ(info("370303").name, QStringLiteral("Depth"));
    // Mode 01: the data set writes 05 into current and default and sends it.
    ASSERT_TRUE(set("370202", "01"));
    EXPECT_EQ(get("370203"), hexBytes("05"));
    unsigned char* def = nullptr;
    unsigned char size = 0;
    const unsigned char a[3] = {0x37, 0x02, 0x03};
    ASSERT_TRUE(blk().GetDef(0, a, def, size));
    EXPECT_EQ(def[0], 0x05);
    ASSERT_EQ(port.sent.size(), 3);
    EXPECT_EQ(port.sent[2], hexBytes("F0 43 10 5C 37 02 03 05 F7"));
    // Key 2: mode 05 after a pan of 40 finds row 4005.
    ASSERT_TRUE(set("370402", "05"));
    EXPECT_EQ(get("370403"), hexBytes("05"));
    // No row for the value: nothing changes.
    ASSERT_TRUE(set("370502", "7F"));
    EXPECT_EQ(get("370503"), hexBytes("0F"));
    EXPECT_EQ(info("370503").name, QStringLiteral("Depth"));
}

TEST_F(EditorBlkTest, LinkKeyTwoIsSkippedAtTheStartOfAnImage)
{
    // The system block's first parameter has a link whose only row needs a byte before it.
    bool linked = false;
    const unsigned char a[3] = {0, 0, 0}, v[1] = {1};
    ASSERT_TRUE(blk().SetData(0, a, v, linked, LINK_ON, MIDI_OFF, false, 0));
    EXPECT_TRUE(linked);
    unsigned char prev = 0;
    EXPECT_FALSE(blk().GetPrecedingByte(0, a, prev));
}

TEST_F(EditorBlkTest, TwoByteTypeLinkRewritesItsParameter)
{
    ASSERT_TRUE(set("360100", "0100"));
    PRMINFO p = info("360102");
    EXPECT_EQ(p.name, QStringLiteral("Time"));
    EXPECT_EQ(p.dispStyle, 6);
    EXPECT_EQ(p.maximum[0], 0x01);
    EXPECT_EQ(get("360102"), hexBytes("0040"));
}

TEST_F(EditorBlkTest, ResetLinkReEvaluatesDescriptionsOnly)
{
    blk().ResetLink();
    for (int part = 0; part < 16; ++part) {
        const unsigned char a[3] = {0x37, (unsigned char)part, 0x03};
        PRMINFO i;
        ASSERT_TRUE(blk().GetPrmInfo(0, a, i));
        EXPECT_EQ(i.name, QStringLiteral("Depth Clamped"));
        unsigned char v[1];
        ASSERT_EQ(blk().GetData(0, a, v), 1);
        EXPECT_EQ(v[0], 0x0F);
    }
    EXPECT_TRUE(port.sent.isEmpty());
}

// ------------------------------------------------------------------ bad templates

namespace {

struct BadCase
{
    const char* name;
    const char* from;
    const char* to;
    const char* section;  // the section the message names
    bool line;            // the message names a line of the changed text
};

class BadTemplate : public ::testing::TestWithParam<BadCase>
{
};

std::string badName(const ::testing::TestParamInfo<BadCase>& info)
{
    return info.param.name;
}

} // namespace

TEST_P(BadTemplate, FailsWithAMessageNamingFileSectionAndLine)
{
    const BadCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/bad_") + QLatin1String(c.name) + QStringLiteral(".tpm");
    QByteArray text;
    ASSERT_TRUE(writeChangedTemplate(path, c.from, c.to, &text)) << c.from;
    const int at = int(text.left(text.indexOf(c.to)).count('\n')) + 1;
    CPrmCtrl map;
    EXPECT_FALSE(map.CreatePrmCtrl(0, path));
    const QString err = map.ErrorText();
    EXPECT_TRUE(err.contains(path)) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("[%1]").arg(QLatin1String(c.section)))) << err.toStdString();
    if (c.line) {
        EXPECT_TRUE(err.contains(QStringLiteral("line %1:").arg(at))) << err.toStdString() << " want line " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(Geometry, BadTemplate, ::testing::Values(
    BadCase{"offset", "4=370004,0,4,2,", "4=370004,0,15,2,", "PARTS", true},
    BadCase{"stride", "000F00,16", "000F00,17", "PARTS", false},
    BadCase{"range", "1=370001,0,1,1,", "1=370001,1,1,1,", "PARTS", true},
    BadCase{"size", "3=370003,0,3,1,", "3=370003,0,3,0,", "PARTS", true},
    BadCase{"style", "3=370003,0,3,1,00,7F,0F,0,", "3=370003,0,3,1,00,7F,0F,4,", "PARTS", true},
    BadCase{"prmcount", "BlkPrmSize=5", "BlkPrmSize=300", "PARTS", true},
    BadCase{"memsize", "MemSize=4\n", "MemSize=0\n", "FX", true},
    BadCase{"outside", "1=370001,0,1,1,", "1=380001,0,1,1,", "PARTS", true},
    BadCase{"volume", "5=370500", "5=3705", "solo_mute_info", true},
    BadCase{"linkset", "2=0,2\n", "2=5,2\n", "InitLinkList", false},
    BadCase{"datamap", "1=0201,2", "1=0201,9", "InitDataMapList", false},
    BadCase{"items", "prmSize=1\nsize=2", "prmSize=2\nsize=2", "FxParam", false}),
    badName);

INSTANTIATE_TEST_SUITE_P(Layouts, BadTemplate, ::testing::Values(
    BadCase{"gap", "adrs_pos=4\nchecksum=65535,0\nheader=0\nadrsLen=3\nmodify_flag=0\n\n[PrmReq]",
            "adrs_pos=6\nchecksum=65535,0\nheader=0\nadrsLen=3\nmodify_flag=0\n\n[PrmReq]", "PrmChng", false},
    BadCase{"device", "midi_format=4,F043005C\ndevice_num_pos=2", "midi_format=4,F043005C\ndevice_num_pos=7",
            "BulkOut", false},
    BadCase{"adrslen", "adrsLen=3\nmodify_flag=0\n\n[CtrlChng]", "adrsLen=9\nmodify_flag=0\n\n[CtrlChng]",
            "BulkOut", false},
    BadCase{"header", "midi_format=4,F043305C", "midi_format=4,F143305C", "PrmReq", true},
    BadCase{"short", "midi_format=4,F043205C", "midi_format=5,F043205C", "BulkReq", true},
    BadCase{"missing", "3=6,6,6,6", "3=6,6,6,9", "midi_format", false},
    BadCase{"checksum", "adrs_pos=6\nchecksum=4,0", "adrs_pos=6\nchecksum=40,0", "BulkOut", false}),
    badName);

TEST_F(EditorBlkTest, ANarrowedRangeBringsTheValueBackInsideFromAbove)
{
    ASSERT_TRUE(set("370703", "70"));
    ASSERT_TRUE(set("370702", "00"));  // the depth's range becomes 10..20
    EXPECT_EQ(get("370703"), hexBytes("20"));
    ASSERT_TRUE(set("370803", "18"));
    ASSERT_TRUE(set("370802", "00"));
    EXPECT_EQ(get("370803"), hexBytes("18"));  // already inside: kept
}

TEST_F(EditorBlkTest, ParameterChangeBufferIsTheMessageTheMapSends)
{
    struct Case
    {
        const char* adrs;
        const char* data;
        int device;
        const char* message;  // nullptr: no parameter at the address
    };
    const Case cases[] = {
        {"370301", "50", 0, "F0 43 10 5C 37 03 01 50 F7"},
        {"370A04", "0178", 5, "F0 43 15 5C 37 0A 04 01 78 F7"},
        {"000001", "41", 0x1F, "F0 43 1F 5C 00 00 01 41 F7"},
        {"370310", "22", 0, nullptr},
        {"371000", "22", 0, nullptr},
    };
    for (const Case& c : cases) {
        map.setDeviceID(c.device);
        const QByteArray a = hexBytes(c.adrs), d = hexBytes(c.data);
        const auto* adrs = reinterpret_cast<const unsigned char*>(a.constData());
        unsigned char out[32];
        std::memset(out, 0xEE, sizeof out);
        const int n = map.FormPrmChngBuffer(0, adrs, reinterpret_cast<const unsigned char*>(d.constData()),
                                            short(d.size()), out);
        if (!c.message) {
            EXPECT_EQ(n, -1) << c.adrs;
            EXPECT_EQ(map.GetPrmChngSize(0, adrs), 0) << c.adrs;
            continue;
        }
        // The answer is where the closing F7 lies.
        const QByteArray want = hexBytes(c.message);
        ASSERT_EQ(n, int(want.size()) - 1) << c.adrs;
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(out), n + 1).toHex(' '), want.toHex(' ')) << c.adrs;
        EXPECT_EQ(out[n + 1], 0xEE) << c.adrs;  // nothing written past the message
        EXPECT_EQ(map.GetPrmChngSize(0, adrs), want.size()) << c.adrs;
    }
    // Forming a buffer sends nothing.
    EXPECT_TRUE(port.sent.isEmpty());
}

TEST_F(EditorBlkTest, AddressOfTheNthParameterOfTheBlock)
{
    struct Case
    {
        const char* adrs;
        int n;
        const char* want;  // nullptr: refused
    };
    const Case cases[] = {
        {"370000", 0, "370000"},
        {"370503", 1, "370001"},  // any instance names the block
        {"370F04", 4, "370004"},
        {"000001", 0, "000000"},
        {"370000", 5, nullptr},   // beyond the block's parameters
        {"370000", -1, nullptr},
        {"370010", 0, nullptr},   // no parameter there
    };
    for (const Case& c : cases) {
        const QByteArray a = hexBytes(c.adrs);
        unsigned char* out = nullptr;
        const bool ok = map.GetAddress(0, reinterpret_cast<const unsigned char*>(a.constData()), c.n, out);
        EXPECT_EQ(ok, c.want != nullptr) << c.adrs << " " << c.n;
        if (ok && out) {
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(out), 3), hexBytes(c.want)) << c.adrs << " " << c.n;
            CMem::DeleteByte(out);
        }
    }
}

namespace {

// A template whose blocks lie otherwise, and an address that the fixture answers with
// `before` and the changed template with `after` (empty: no such parameter).
struct ReReadCase
{
    const char* name;
    const char* from;
    const char* to;
    const char* address;
    const char* before;
    const char* after;
};

const ReReadCase kReReadCases[] = {
    {"ReorderedParameters", "0=000000,0,0,1,00,7F,7F,0,0,2,Master Volume\n1=000001,0,1,1,00,7F,40,0,8,65535,Master Tune",
     "0=000001,0,1,1,00,7F,40,0,8,65535,Master Tune\n1=000000,0,0,1,00,7F,7F,0,0,2,Master Volume", "000001", "40",
     "40"},
    {"NarrowedRange", "info0=370000,370F0F,000000,000F00,16", "info0=370000,37070F,000000,000700,16", "370800",
     "64", ""},
    {"MovedParameter", "2=360102,0,2,2,00,7F,00,4,0,65535,Param\n3=360102",
     "2=360103,0,2,2,00,7F,00,4,0,65535,Param\n3=360103", "360103", "", "0000"},
};

class BlocksReadAgain : public ::testing::TestWithParam<ReReadCase>
{
};

std::string reReadName(const ::testing::TestParamInfo<ReReadCase>& info)
{
    return info.param.name;
}

QByteArray dataAt(CPrmCtrl& map, const char* adrs)
{
    const QByteArray a = hexBytes(adrs);
    unsigned char out[16];
    const short n = map.EditorBlk().GetData(0, reinterpret_cast<const unsigned char*>(a.constData()), out);
    return QByteArray(reinterpret_cast<const char*>(out), n > 0 ? n : 0);
}

} // namespace

// A map made again from another template answers every address from its new blocks,
// whatever the earlier blocks answered for it.
TEST_P(BlocksReadAgain, AnswerFromTheNewBlocks)
{
    const ReReadCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/memmap.tpm");
    ASSERT_TRUE(writeChangedTemplate(path, c.from, c.to)) << c.from;

    CPrmCtrl map;
    ASSERT_TRUE(map.CreatePrmCtrl(0, fixturePath("memmap.tpm"))) << map.ErrorText().toStdString();
    EXPECT_EQ(dataAt(map, c.address), hexBytes(c.before));
    ASSERT_TRUE(map.CreatePrmCtrl(0, path)) << map.ErrorText().toStdString();
    EXPECT_EQ(dataAt(map, c.address), hexBytes(c.after));
}

INSTANTIATE_TEST_SUITE_P(EditorBlk, BlocksReadAgain, ::testing::ValuesIn(kReReadCases), reReadName);
