// Outgoing MIDI bytes become host events field by field; incoming channel events
// become bytes again.
#include "FakeHost.h"
#include "FakeMemAPI.h"
#include "genericeditor/MPEventMapping.h"
#include "genericeditor/TInputOutput_VANTREL_KXE.h"
#include <gtest/gtest.h>
#include <memory>

namespace {

const QUuid kIn(QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
const QUuid kOut(QStringLiteral("{66666666-7777-8888-9999-AAAAAAAAAAAA}"));

// A bridge connected to a memory API with port 7 selected as its output.
struct ConnectedBridge
{
    FakePortList portList;
    FakeHost host;
    FakeAsyncOutput output;
    FakeMemAPI api;
    std::unique_ptr<TInputOutput_VANTREL_KXE> bridge;

    ConnectedBridge()
    {
        TInputOutput_VANTREL_KXE::setPortListDelayMs(0);
        portList.ports[0] = {{3, kIn, QStringLiteral("In")}};
        portList.ports[1] = {{7, kOut, QStringLiteral("Out")}};
        host.portList = &portList;
        bridge = std::make_unique<TInputOutput_VANTREL_KXE>(&host, &host, &output, 0);
        bridge->connect(api);
        const QUuid ports[2] = {kIn, kOut};
        bridge->selectPorts(ports, 0);
    }
    int32_t write(std::initializer_list<uint8_t> bytes)
    {
        const std::vector<uint8_t> v(bytes);
        return bridge->write(int(v.size()), v.data());
    }
};

struct ChannelCase
{
    std::vector<uint8_t> bytes;
    uint32_t kind;
    uint32_t channel;
    uint8_t data[4];
};

// Stable case names: the default printer dumps the object's bytes, pointers included.
void PrintTo(const ChannelCase& c, std::ostream* os)
{
    *os << "bytes" << std::hex;
    for (uint8_t b : c.bytes)
        *os << '_' << int(b);
}

class ChannelMessageMapping : public ::testing::TestWithParam<ChannelCase>
{
};

} // namespace

TEST_P(ChannelMessageMapping, BecomesOneHostEvent)
{
    ConnectedBridge b;
    const ChannelCase& c = GetParam();
    ASSERT_EQ(b.bridge->write(int(c.bytes.size()), c.bytes.data()), 1);
    ASSERT_EQ(b.output.sent.size(), 1u);
    const tagMPEVENT& e = b.output.sent[0].event;
    EXPECT_EQ(e.kind, c.kind);
    EXPECT_EQ(e.channel, c.channel);
    EXPECT_EQ(e.port, 7u);
    EXPECT_EQ(e.one, 1u);
    EXPECT_EQ(e.count, 0u);
    EXPECT_EQ(e.reserved0[0] | e.reserved0[1] | e.reserved1 | e.reserved2[0] | e.reserved2[1], 0u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(e.data.bytes[i], c.data[i]) << "data byte " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ChannelMessageMapping,
    ::testing::Values(ChannelCase{{0x80, 60, 0}, 0x20, 0, {60, 0, 0, 0}},
                      ChannelCase{{0x9F, 60, 100}, 0x40, 15, {60, 100, 0, 0}},
                      ChannelCase{{0xA1, 61, 5}, 0x80, 1, {61, 5, 0, 0}},
                      ChannelCase{{0xB2, 7, 99}, 0x100, 2, {7, 99, 0, 0}},
                      ChannelCase{{0xC3, 0x05}, 0x200, 3, {5, 0, 0, 0}},
                      ChannelCase{{0xD4, 0x40}, 0x400, 4, {0x40, 0, 0, 0}},
                      ChannelCase{{0xE5, 0x00, 0x40}, 0x800, 5, {0, 0x40, 0, 0}},
                      // Byte 4 only with five bytes.
                      ChannelCase{{0xB0, 1, 2, 3, 4}, 0x100, 0, {1, 2, 3, 4}}));

TEST(HostEventMapping, SystemExclusiveCarriesCountAndPointerPastF0)
{
    ConnectedBridge b;
    const uint8_t message[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    ASSERT_EQ(b.bridge->write(int(sizeof message), message), 1);
    ASSERT_EQ(b.output.sent.size(), 1u);
    const tagMPEVENT& e = b.output.sent[0].event;
    EXPECT_EQ(e.kind, NS_MPEventKind::sysex);
    EXPECT_EQ(e.count, sizeof message - 1);
    EXPECT_EQ(e.data.sysex, message + 1);
    EXPECT_EQ(e.channel, 0u);
    EXPECT_EQ(b.output.sent[0].sysex,
              QByteArray(reinterpret_cast<const char*>(message + 1), int(sizeof message - 1)));
}

TEST(HostEventMapping, UnmappableMessagesAreDroppedWithResultOne)
{
    ConnectedBridge b;
    EXPECT_EQ(b.write({0x90, 1, 2, 3, 4, 5}), 1) << "six bytes";
    EXPECT_EQ(b.write({0xF8}), 1) << "system real-time";
    EXPECT_EQ(b.write({0x7F, 1}), 1) << "no status";
    EXPECT_TRUE(b.output.sent.empty());
}

TEST(HostEventMapping, EmptyWritesAreRefused)
{
    ConnectedBridge b;
    const uint8_t f0 = 0xF0;
    EXPECT_EQ(b.bridge->write(0, &f0), 0);
    EXPECT_EQ(b.bridge->write(-3, &f0), 0);
    EXPECT_EQ(b.bridge->write(1, &f0), 0) << "nothing after 0xF0";
    EXPECT_EQ(b.bridge->write(3, nullptr), 0);
    EXPECT_TRUE(b.output.sent.empty());
}

TEST(HostEventMapping, NotConnectedOrRefusedByTheHostGivesZero)
{
    {
        FakeHost host;
        FakeAsyncOutput output;
        TInputOutput_VANTREL_KXE::setPortListDelayMs(0);
        TInputOutput_VANTREL_KXE bridge(&host, &host, &output, 0);
        const uint8_t pc[] = {0xC0, 1};
        EXPECT_EQ(bridge.write(2, pc), 0) << "no memory API, no output port";
        EXPECT_TRUE(output.sent.empty());
    }
    ConnectedBridge b;
    b.output.answer = NS_MPStatus::failure;
    EXPECT_EQ(b.write({0xC0, 1}), 0);
}

TEST(HostEventMapping, EveryWrittenEventTakesTheNextSequenceNumber)
{
    ConnectedBridge b;
    ASSERT_EQ(b.write({0xC0, 1}), 1);
    ASSERT_EQ(b.write({0xC0, 2}), 1);
    ASSERT_EQ(b.output.sent.size(), 2u);
    EXPECT_EQ(b.output.sent[1].event.sequence, b.output.sent[0].event.sequence + 1);
}

TEST(HostEventMapping, ReceivedChannelEventsBecomeBytes)
{
    const struct
    {
        uint32_t kind;
        int length;
        uint8_t status;
    } table[] = {{0x20, 3, 0x80}, {0x40, 3, 0x90}, {0x80, 3, 0xA0}, {0x100, 3, 0xB0},
                 {0x200, 2, 0xC0}, {0x400, 2, 0xD0}, {0x800, 3, 0xE0}};
    for (const auto& row : table) {
        const tagMPEVENT e = FakeEventQueue::channelEvent(1, row.kind, 19, 0x12, 0x34);
        uint8_t bytes[3] = {};
        ASSERT_EQ(NS_MPEvent::channelMessage(e, bytes), row.length) << row.kind;
        EXPECT_EQ(bytes[0], row.status + 3) << "channel modulo 16";
        EXPECT_EQ(bytes[1], 0x12);
        if (row.length == 3) {
            EXPECT_EQ(bytes[2], 0x34);
        }
    }
    uint8_t bytes[3];
    EXPECT_EQ(NS_MPEvent::channelMessage(FakeEventQueue::channelEvent(1, 0x1000, 0, 0, 0), bytes), 0);
}
