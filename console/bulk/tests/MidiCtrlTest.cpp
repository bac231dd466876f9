#include "console/bulk/MidiCtrl.h"
#include "console/model/PrmCtrl.h"
#include "console/model/tests/CapturePort.h"
#include "console/model/tests/TestPaths.h"

#include <gtest/gtest.h>

// Message vectors written from data/TOVAR-VANTREL-memory-map.md, sections 1 and 2.
namespace {

enum Kind { kChange, kRequest, kBulkRequest, kBulkOut, kRule };

struct Vector
{
    const char* name;
    Kind kind;
    short category;
    const char* address;
    const char* data;
    unsigned char device;
    unsigned char channel;
    const char* expected;
};

class MessageFormation : public ::testing::TestWithParam<Vector>
{
protected:
    static CPrmCtrl& map()
    {
        static CPrmCtrl* m = [] {
            auto* p = new CPrmCtrl;
            EXPECT_TRUE(p->CreatePrmCtrl(0, shippedMultiTemplate())) << p->ErrorText().toStdString();
            return p;
        }();
        return *m;
    }
};

} // namespace

TEST_P(MessageFormation, MatchesTheDocument)
{
    const Vector& v = GetParam();
    CapturePort port;
    map().SetMIDI(&port, 0);
    map().setDeviceID(v.device);
    map().SetMidiCh(v.channel);
    const QByteArray a = hexBytes(v.address), d = hexBytes(v.data);
    const auto* ap = reinterpret_cast<const unsigned char*>(a.constData());
    const auto* dp = reinterpret_cast<const unsigned char*>(d.constData());
    CMidiCtrl ctrl(&map(), 0);
    switch (v.kind) {
    case kChange: ctrl.ParamChange(v.category, ap, dp, short(d.size()), -1); break;
    case kRequest: ctrl.ParamRequest(v.category, ap, dp, short(d.size())); break;
    case kBulkRequest: ctrl.BulkRequest(v.category, ap, dp, short(d.size())); break;
    case kBulkOut: ctrl.BulkOut(v.category, ap, dp, short(d.size())); break;
    case kRule: ctrl.ParamChange(v.category, ap, dp, short(d.size()), 0); break;
    }
    map().SetMIDI(nullptr, 0);
    ASSERT_EQ(port.sent.size(), 1);
    EXPECT_EQ(port.sent[0].toHex(' ').toUpper(), hexBytes(v.expected).toHex(' ').toUpper());
}

INSTANTIATE_TEST_SUITE_P(Document, MessageFormation, ::testing::Values(
    Vector{"pan", kChange, 0, "37 03 0E", "40", 0, 0, "F0 43 10 5C 37 03 0E 40 F7"},
    Vector{"device", kChange, 0, "37 03 0E", "40", 3, 0, "F0 43 13 5C 37 03 0E 40 F7"},
    Vector{"clamped", kChange, 0, "00 00 00", "7F", 0x10, 0, "F0 43 1F 5C 00 00 00 7F F7"},
    Vector{"twobytes", kChange, 0, "36 00 14", "7F 7F", 0, 0, "F0 43 10 5C 36 00 14 7F 7F F7"},
    Vector{"request", kRequest, 0, "37 00 0D", "", 0, 0, "F0 43 30 5C 37 00 0D F7"},
    Vector{"bulkreq", kBulkRequest, 0, "0E 7F 00", "", 2, 0, "F0 43 22 5C 0E 7F 00 F7"},
    Vector{"partreq", kBulkRequest, 0, "12 0F 00", "05", 0, 0, "F0 43 20 5C 12 0F 00 05 F7"},
    Vector{"system", kBulkOut, 0, "00 00 00", "7F", 0, 0, "F0 43 00 5C 00 01 00 00 00 7F 00 F7"},
    Vector{"header", kBulkOut, 0, "0E 7F 00", "", 0, 0, "F0 43 00 5C 00 00 0E 7F 00 73 F7"},
    Vector{"footer", kBulkOut, 0, "0F 7F 00", "", 0, 0, "F0 43 00 5C 00 00 0F 7F 00 72 F7"},
    Vector{"abc", kBulkOut, 0, "00 00 00", "41 42 43", 1, 0, "F0 43 01 5C 00 03 00 00 00 41 42 43 37 F7"},
    Vector{"rule", kRule, 3, "11 00 00", "00", 0, 5, "F0 43 10 5C 11 00 05 00 6A F7"},
    Vector{"rulech0", kRule, 3, "11 00 00", "00", 0, 0, "F0 43 10 5C 11 00 00 00 6F F7"},
    Vector{"program", kChange, 2, "07", "10", 0, 5, "C5 10"},
    Vector{"programhigh", kChange, 2, "07", "85", 0, 5, "C5 07"},
    Vector{"control", kChange, 1, "07", "64", 0, 9, "B9 07 64"}),
    [](const ::testing::TestParamInfo<Vector>& info) { return std::string(info.param.name); });

TEST(MidiCtrl, ByteCountOf300Is012C)
{
    CPrmCtrl map;
    ASSERT_TRUE(map.CreatePrmCtrl(0, shippedMultiTemplate())) << map.ErrorText().toStdString();
    const unsigned char adr[3] = {0x36, 0x00, 0x00};
    QByteArray data(300, '\x11');
    CMidiCtrl ctrl(&map, 0);
    const QByteArray msg = ctrl.PreProcessBulkOut(0, adr, reinterpret_cast<const unsigned char*>(data.constData()), 300);
    ASSERT_EQ(msg.size(), 11 + 300);
    EXPECT_EQ((unsigned char)msg[4], 0x01);
    EXPECT_EQ((unsigned char)msg[5], 0x2C);
    EXPECT_EQ((unsigned char)msg.back(), 0xF7);
    unsigned sum = 0;
    for (int i = 4; i < msg.size() - 1; ++i)
        sum += (unsigned char)msg[i];
    EXPECT_EQ(sum % 128, 0u);  // count, address, data and checksum add up to a multiple of 128
}

TEST(MidiCtrl, ChecksumAndBufferSizes)
{
    const unsigned char abc[3] = {0x41, 0x42, 0x43};
    EXPECT_EQ(CMidiCtrl::GetCheckSum(abc, 3), 0x3A);  // (-0xC6) AND 0x7F
    CPrmCtrl map;
    ASSERT_TRUE(map.CreatePrmCtrl(0, shippedMultiTemplate()));
    CMidiCtrl ctrl(&map, 0);
    EXPECT_EQ(ctrl.GetPrmChngSize(0, 1), 9);
    EXPECT_EQ(ctrl.GetPrmChngSize(0, 2), 10);
    EXPECT_EQ(ctrl.GetPrmChngSize(9, 1), 0);
    const unsigned char adr[3] = {0x37, 0x03, 0x0E}, v[1] = {0x40};
    unsigned char out[16];
    EXPECT_EQ(ctrl.FormPrmChngBuffer(0, adr, v, out, 1), 8);
    EXPECT_EQ(out[8 - 1], 0x40);
    EXPECT_EQ(out[8], 0xF7);
    EXPECT_EQ(ctrl.FormPrmChngBuffer(0, adr, v, out, -1), -1);
}

TEST(MidiCtrl, CaptureTakesExactlyOneMessage)
{
    CPrmCtrl map;
    ASSERT_TRUE(map.CreatePrmCtrl(0, shippedMultiTemplate()));
    CapturePort port;
    map.SetMIDI(&port, 0);
    CMidiCtrl ctrl(&map, 0);
    ctrl.PreProcessNextMessage();
    ctrl.IdentityRequest(0x7F);
    ctrl.IdentityRequest(0x7F);
    EXPECT_EQ(ctrl.GetPreProcessedMessage(), hexBytes("F0 7E 7F 06 01 F7"));
    EXPECT_TRUE(ctrl.GetPreProcessedMessage().isEmpty());
    ASSERT_EQ(port.sent.size(), 1);
    EXPECT_EQ(port.sent[0], hexBytes("F0 7E 7F 06 01 F7"));
    // An unknown category sends nothing.
    const unsigned char adr[3] = {0, 0, 0};
    ctrl.BulkOut(12, adr, nullptr, 0);
    ctrl.ParamChange(12, adr, adr, 1, -1);
    EXPECT_EQ(port.sent.size(), 1);
    // No port: dropped without a report.
    map.SetMIDI(nullptr, 0);
    CMidiCtrl quiet(&map, 0);
    quiet.PrmChng(0, adr, adr, 1);
    EXPECT_EQ(port.sent.size(), 1);
}

TEST(MidiCtrl, AssignRuleNeverTouchesChecksumOrEnd)
{
    // A rule pointing past the data must not reach the checksum or F7.
    MIDI_FRMT f;
    f.headerLen = 4;
    f.checksumStart = 4;
    CPrmCtrl map;
    ASSERT_TRUE(map.CreatePrmCtrl(0, shippedMultiTemplate()));
    map.SetMidiCh(9);
    CMidiCtrl ctrl(&map, 0);
    unsigned char msg[10] = {0xF0, 0x43, 0x10, 0x5C, 0x11, 0x00, 0x00, 0x00, 0x6F, 0xF7};
    ctrl.ChangeDataAssignRule(msg, 10, f, 0);  // rule 0: offset 2, MIDI channel
    EXPECT_EQ(msg[6], 0x09);
    EXPECT_EQ(msg[8], 0x66);
    EXPECT_EQ(msg[9], 0xF7);
}
