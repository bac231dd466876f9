// Host MIDI goes through the ring to the bridges on the pump thread; no payload is
// lost or freed twice on the way.
#include "FakeHost.h"
#include "FakeMemAPI.h"
#include "genericeditor/MIDIIntake.h"
#include "genericeditor/MPEventBuffer.h"
#include "genericeditor/TInputOutput_VANTREL_KXE.h"
#include <gtest/gtest.h>
#include <memory>

namespace {

const QUuid kInstrumentIn(QStringLiteral("{30000000-0000-0000-0000-000000000001}"));
const QUuid kSurfaceIn(QStringLiteral("{30000000-0000-0000-0000-000000000002}"));
constexpr uint32_t kInstrumentPort = 11;
constexpr uint32_t kSurfacePort = 12;

class MIDIIntake : public ::testing::Test
{
protected:
    FakePortList portList;
    FakeHost host;
    FakeMemAPI api;
    std::unique_ptr<TInputOutput_VANTREL_KXE> instrument;
    std::unique_ptr<TInputOutput_VANTREL_KXE> surface;
    std::unique_ptr<TMIDIIntake_VANTREL_KXE> intake;

    void SetUp() override
    {
        TInputOutput_VANTREL_KXE::setPortListDelayMs(0);
        portList.ports[0] = {{int32_t(kInstrumentPort), kInstrumentIn, QStringLiteral("Synth")},
                             {int32_t(kSurfacePort), kSurfaceIn, QStringLiteral("Surface")}};
        host.portList = &portList;
        instrument = makeBridge(0, kInstrumentIn);
        surface = makeBridge(1, kSurfaceIn);
        surface->setReceiveChannelMessages(true);
        intake = std::make_unique<TMIDIIntake_VANTREL_KXE>();
        intake->setMemAPI(&api);
        intake->setBridges({instrument.get(), surface.get()});
        intake->setEnable(true);
    }
    void TearDown() override
    {
        api.openGate();
        intake.reset(); // before the bridges it delivers to
    }
    std::unique_ptr<TInputOutput_VANTREL_KXE> makeBridge(int pair, const QUuid& in)
    {
        auto b = std::make_unique<TInputOutput_VANTREL_KXE>(&host, &host, nullptr, pair);
        b->connect(api);
        const QUuid ports[2] = {in, QUuid()};
        b->selectPorts(ports, pair);
        return b;
    }
    static QByteArray numbered(int i)
    {
        QByteArray b(4, '\0');
        b[0] = char(0x43);
        b[1] = char(i & 0x7F);
        b[2] = char((i >> 7) & 0x7F);
        b[3] = char(0xF7);
        return b;
    }
};

} // namespace

TEST(MPEventBufferRing, FullRingDropsTheNewEventAndFreesItsPayload)
{
    MPEventBuffer ring(1024);
    for (int i = 0; i < 1024; ++i) {
        tagMPEVENT e = FakeEventQueue::sysex(1, QByteArray(1, char(i & 0x7F)));
        ASSERT_TRUE(ring.pushEvent(e));
    }
    EXPECT_TRUE(ring.isFull());
    tagMPEVENT last = FakeEventQueue::sysex(1, QByteArrayLiteral("\x01\x02"));
    EXPECT_FALSE(ring.pushEvent(last));
    EXPECT_EQ(last.kind, NS_MPEventKind::empty);
    EXPECT_EQ(last.data.sysex, nullptr) << "freed, not left dangling";
    EXPECT_EQ(ring.count(), 1024u);
    tagMPEVENT first = ring.popEvent();
    EXPECT_EQ(first.data.sysex[0], 0);
    MPEventBuffer::releaseEvent(first);
    EXPECT_EQ(ring.readPoint(), 1u);
    EXPECT_EQ(ring.writePoint(), 0u);
    tagMPEVENT second = ring.popEvent();
    EXPECT_EQ(second.kind, NS_MPEventKind::sysex);
    MPEventBuffer::releaseEvent(second);
    // The ring frees the payloads it still holds.
}

TEST(MPEventBufferRing, CapacityIsAtLeastSixteenAndEmptyPopsGiveEmptyRecords)
{
    MPEventBuffer ring(3);
    EXPECT_EQ(ring.capacity(), 16u);
    EXPECT_TRUE(ring.isEmpty());
    EXPECT_EQ(ring.popEvent().kind, NS_MPEventKind::empty);
}

TEST_F(MIDIIntake, ThousandAndTwentyFifthEventBeforeThePumpRunsIsDroppedAndFreed)
{
    api.shutGate(); // the pump waits for the memory-API lock before taking anything
    FakeEventQueue queue;
    for (int i = 0; i < 1025; ++i)
        queue.events.push_back(FakeEventQueue::sysex(kInstrumentPort, numbered(i)));
    EXPECT_EQ(intake->onEvents(&queue, eventsWaiting()), 0);
    EXPECT_EQ(queue.fetched, 1025);
    ASSERT_NE(intake->ring(), nullptr);
    EXPECT_EQ(intake->ring()->count(), 1024u);

    api.openGate();
    ASSERT_TRUE(api.waitForReceived(1024, 5000));
    const auto received = api.received();
    ASSERT_EQ(received.size(), 1024u);
    EXPECT_EQ(received.front().bytes, numbered(0));
    EXPECT_EQ(received.back().bytes, numbered(1023));
    EXPECT_TRUE(received.back().sysex);
    EXPECT_EQ(received.back().port, 0);
}

TEST_F(MIDIIntake, SharedInputPortQueuesEachEventOnceAndDeliversItToBothBridges)
{
    auto second = makeBridge(1, kInstrumentIn);
    intake->setBridges({instrument.get(), second.get()});
    api.shutGate();
    FakeEventQueue queue;
    queue.events.push_back(FakeEventQueue::sysex(kInstrumentPort, numbered(5)));
    intake->onEvents(&queue, eventsWaiting());
    EXPECT_EQ(intake->ring()->count(), 1u);
    api.openGate();
    ASSERT_TRUE(api.waitForReceived(2, 5000));
    const auto received = api.received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].port, 0);
    EXPECT_EQ(received[1].port, 1);
    EXPECT_EQ(received[0].bytes, numbered(5));
    EXPECT_EQ(received[1].bytes, numbered(5));
    intake.reset();
}

TEST_F(MIDIIntake, ChannelMessagesReachOnlyBridgesThatTakeThem)
{
    FakeEventQueue queue;
    queue.events.push_back(
        FakeEventQueue::channelEvent(kInstrumentPort, NS_MPEventKind::noteOn, 0, 60, 100));
    queue.events.push_back(
        FakeEventQueue::channelEvent(kSurfacePort, NS_MPEventKind::programChange, 4, 0x21, 0x55));
    queue.events.push_back(FakeEventQueue::sysex(kInstrumentPort, numbered(1)));
    intake->onEvents(&queue, eventsWaiting());
    ASSERT_TRUE(api.waitForReceived(2, 5000));
    const auto received = api.received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].port, 1);
    EXPECT_EQ(received[0].bytes, QByteArray("\xC4\x21", 2)) << "program change: two bytes";
    EXPECT_TRUE(received[0].channel);
    EXPECT_FALSE(received[0].sysex);
    EXPECT_EQ(received[1].port, 0);
    EXPECT_TRUE(received[1].sysex);
}

TEST_F(MIDIIntake, NothingIsReadWithoutTheEventsWaitingFlag)
{
    FakeEventQueue queue;
    queue.events.push_back(FakeEventQueue::sysex(kInstrumentPort, numbered(1)));
    tagMPQSTATUS status = eventsWaiting();
    status.flags = 0x3F;
    EXPECT_EQ(intake->onEvents(&queue, status), 0);
    EXPECT_EQ(queue.fetched, 0);
    EXPECT_EQ(intake->ring(), nullptr);
}

TEST_F(MIDIIntake, WithoutMemoryApiTheCallFails)
{
    TMIDIIntake_VANTREL_KXE bare;
    FakeEventQueue queue;
    EXPECT_EQ(bare.onEvents(&queue, eventsWaiting()), NS_MPStatus::failure);
}

TEST_F(MIDIIntake, EventsForPortsNoBridgeUsesAreDroppedAndFreed)
{
    FakeEventQueue queue;
    queue.events.push_back(FakeEventQueue::sysex(99, numbered(1)));
    queue.events.push_back(FakeEventQueue::sysex(0, numbered(2)));
    intake->onEvents(&queue, eventsWaiting());
    EXPECT_EQ(queue.fetched, 2);
    EXPECT_EQ(intake->ring()->count(), 0u);
}

TEST_F(MIDIIntake, DisablingFreesEveryQueuedPayload)
{
    api.shutGate();
    FakeEventQueue queue;
    for (int i = 0; i < 10; ++i)
        queue.events.push_back(FakeEventQueue::sysex(kInstrumentPort, numbered(i)));
    intake->onEvents(&queue, eventsWaiting());
    EXPECT_EQ(intake->ring()->count(), 10u);
    intake->setEnable(false);
    EXPECT_EQ(intake->ring()->count(), 0u);
    api.openGate();
    intake->stopPump();
    EXPECT_TRUE(api.received().empty());
}

namespace {

// Disables the intake while the host thread is still fetching.
class DisablingQueue : public FakeEventQueue
{
public:
    TMIDIIntake_VANTREL_KXE* intake = nullptr;
    int32_t MPGetNextEvent(uint32_t* got, tagMPEVENT* event, uint32_t* more, uint32_t mask) override
    {
        intake->setEnable(false);
        return FakeEventQueue::MPGetNextEvent(got, event, more, mask);
    }
};

} // namespace

TEST_F(MIDIIntake, EventFetchedAfterTheFilterIsDisabledIsFreed)
{
    api.shutGate();
    DisablingQueue queue;
    queue.intake = intake.get();
    for (int i = 0; i < 3; ++i)
        queue.events.push_back(FakeEventQueue::sysex(kInstrumentPort, numbered(i)));
    intake->onEvents(&queue, eventsWaiting());
    EXPECT_EQ(queue.fetched, 2) << "fetching stops at the first event after the disable";
    EXPECT_EQ(intake->ring()->count(), 0u);
    // The sanitizer's leak check proves the second event's payload was freed.
}
