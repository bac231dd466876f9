#include "transport/MacIMIDIPortAccessor.h"
#include "transport/TMacMIDI.h"
#include "platform/MidiEndpointPair.h"
#include "platform/VirtualMidiBus.h"
#include <gtest/gtest.h>
#include <QByteArray>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Records every call: its bytes (whole remaining buffer for channel input).
class Recorder : public TMIDIReaderRefConInterface
{
public:
    int read(int length, const void* data, bool, bool) override
    {
        if (delay.count())
            std::this_thread::sleep_for(delay);
        while (hold)
            std::this_thread::sleep_for(1ms);
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(QByteArray(static_cast<const char*>(data), length));
        threads.push_back(std::this_thread::get_id());
        cv.notify_all();
        return length;
    }
    bool waitFor(size_t n, std::chrono::milliseconds timeout = 5000ms)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return cv.wait_for(lock, timeout, [&] { return calls.size() >= n; });
    }
    size_t count()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return calls.size();
    }

    std::mutex mutex;
    std::condition_variable cv;
    std::vector<QByteArray> calls;
    std::vector<std::thread::id> threads;
    std::chrono::milliseconds delay{0};
    std::atomic<bool> hold{false};
};

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(char(v));
    return b;
}

int feed(TMIDITransport& t, const QByteArray& b, bool sysexExpected = true)
{
    return t.read(int(b.size()), b.constData(), sysexExpected, false);
}

// A transport on its own bus, with the push thread running and one recorder.
struct Fixture : ::testing::Test
{
    NS_Platform::VirtualMidiBus bus;
    TMacMIDI* transport = new TMacMIDI(nullptr, &bus);
    Recorder recorder;
    void SetUp() override
    {
        transport->registerMIDIobserver(&recorder);
        transport->startPusherThread();
    }
    void TearDown() override { EXPECT_EQ(transport->Release(), 0); }
};

using TMIDITransportRead = Fixture;

} // namespace

TEST_F(TMIDITransportRead, WholeSysExIsPushedOnceFromThePushThread)
{
    const QByteArray msg = bytes({0xF0, 0x43, 0x10, 0x5C, 0x00, 0x00, 0x01, 0xF7});
    EXPECT_EQ(feed(*transport, msg), msg.size());
    ASSERT_TRUE(recorder.waitFor(1));
    std::this_thread::sleep_for(20ms);
    ASSERT_EQ(recorder.count(), 1u);
    EXPECT_EQ(recorder.calls[0], msg);
    EXPECT_NE(recorder.threads[0], std::this_thread::get_id());
}

TEST_F(TMIDITransportRead, MessageSplitOverThreeCallsArrivesAfterTheThird)
{
    feed(*transport, bytes({0xF0, 0x43, 0x10}));
    feed(*transport, bytes({0x5C, 0x01}));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(recorder.count(), 0u);
    feed(*transport, bytes({0x02, 0xF7}));
    ASSERT_TRUE(recorder.waitFor(1));
    EXPECT_EQ(recorder.calls[0], bytes({0xF0, 0x43, 0x10, 0x5C, 0x01, 0x02, 0xF7}));
}

TEST_F(TMIDITransportRead, StrayDataIsDroppedWhenSysExIsExpected)
{
    feed(*transport, bytes({0x10, 0x20, 0xF7, 0xF0, 0x01, 0xF7}));
    ASSERT_TRUE(recorder.waitFor(1));
    std::this_thread::sleep_for(20ms);
    ASSERT_EQ(recorder.count(), 1u);
    EXPECT_EQ(recorder.calls[0], bytes({0xF0, 0x01, 0xF7}));
}

TEST_F(TMIDITransportRead, ChannelMessageGoesToObserversAtOnceWithTheRest)
{
    const QByteArray buf = bytes({0x90, 0x3C, 0x64, 0xF0, 0x01, 0xF7});
    // The rest belongs to the observers, so the call reports it as unprocessed.
    EXPECT_EQ(feed(*transport, buf), buf.size());
    ASSERT_EQ(recorder.count(), 1u);
    EXPECT_EQ(recorder.calls[0], buf);
    EXPECT_EQ(recorder.threads[0], std::this_thread::get_id());
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(recorder.count(), 1u);
    // After a finished message, the channel message's offset is reported.
    EXPECT_EQ(feed(*transport, bytes({0xF0, 0x01, 0xF7, 0xB0, 0x07, 0x64})), 3);
}

TEST_F(TMIDITransportRead, RealTimeBytesAreNeverPartOfAMessage)
{
    feed(*transport, bytes({0xF8, 0xF0, 0x43, 0xF8, 0xFE, 0x10}));
    feed(*transport, bytes({0xFA, 0x01, 0xF7, 0xFC}));
    ASSERT_TRUE(recorder.waitFor(1));
    EXPECT_EQ(recorder.calls[0], bytes({0xF0, 0x43, 0x10, 0x01, 0xF7}));
}

TEST_F(TMIDITransportRead, NewStartByteRestartsAnUnterminatedMessage)
{
    feed(*transport, bytes({0xF0, 0x43, 0x10, 0x01}));
    feed(*transport, bytes({0xF0, 0x43, 0x20, 0xF7}));
    feed(*transport, bytes({0xF0, 0x01, 0xF0, 0x02, 0xF7}));
    ASSERT_TRUE(recorder.waitFor(2));
    std::this_thread::sleep_for(20ms);
    ASSERT_EQ(recorder.count(), 2u);
    EXPECT_EQ(recorder.calls[0], bytes({0xF0, 0x43, 0x20, 0xF7}));
    EXPECT_EQ(recorder.calls[1], bytes({0xF0, 0x02, 0xF7}));
}

TEST_F(TMIDITransportRead, OverLongMessageIsCappedAndTheNextOneArrives)
{
    QByteArray chunk(64 * 1024, char(0x11));
    feed(*transport, bytes({0xF0}));
    for (int i = 0; i < TMIDITransport::kMaxSysExLength / chunk.size() + 2; ++i)
        feed(*transport, chunk);
    feed(*transport, bytes({0x22, 0xF7})); // the end of the dropped message
    const QByteArray next = bytes({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});
    feed(*transport, next);
    ASSERT_TRUE(recorder.waitFor(1));
    std::this_thread::sleep_for(20ms);
    ASSERT_EQ(recorder.count(), 1u);
    EXPECT_EQ(recorder.calls[0], next);
}

TEST_F(TMIDITransportRead, TenThousandMessagesArriveInOrder)
{
    // Fed from another thread, as the MIDI thread does, in bursts the ring can hold.
    std::thread midi([&] {
        for (int i = 0; i < 10000; ++i) {
            const QByteArray msg = bytes({0xF0, 0x43, (i >> 7) & 0x7F, i & 0x7F, 0xF7});
            feed(*transport, msg);
            if (i % 1000 == 999)
                recorder.waitFor(size_t(i) + 1);
        }
    });
    midi.join();
    ASSERT_TRUE(recorder.waitFor(10000));
    ASSERT_EQ(recorder.calls.size(), 10000u);
    for (int i = 0; i < 10000; ++i) {
        const QByteArray& m = recorder.calls[size_t(i)];
        ASSERT_EQ(m.size(), 5);
        ASSERT_EQ((uchar(m[2]) << 7) | uchar(m[3]), i);
    }
}

TEST_F(TMIDITransportRead, FullRingDropsWholeMessagesAndKeepsOrder)
{
    recorder.hold = true; // the observer is stuck in the first message
    for (int i = 0; i < 5000; ++i)
        feed(*transport, bytes({0xF0, (i >> 7) & 0x7F, i & 0x7F, 0xF7}));
    recorder.hold = false;
    // The ring delivered; then nothing more comes.
    const size_t ring = 16384 / sizeof(void*);
    ASSERT_TRUE(recorder.waitFor(ring));
    std::this_thread::sleep_for(200ms);
    std::lock_guard<std::mutex> lock(recorder.mutex);
    const size_t got = recorder.calls.size();
    EXPECT_GT(got, 0u);
    // The one being delivered plus a ring of whole pointers.
    EXPECT_LE(got, ring + 1);
    EXPECT_GE(got, ring);
    int last = -1;
    for (const QByteArray& m : recorder.calls) {
        ASSERT_EQ(m.size(), 4);
        const int n = (uchar(m[1]) << 7) | uchar(m[2]);
        EXPECT_GT(n, last);
        last = n;
    }
}

TEST_F(TMIDITransportRead, StopWhileBusyReturnsAndFreesTheQueue)
{
    recorder.delay = 5ms;
    for (int i = 0; i < 1000; ++i)
        feed(*transport, bytes({0xF0, 0x01, 0x02, 0xF7}));
    ASSERT_TRUE(recorder.waitFor(1));
    const auto start = std::chrono::steady_clock::now();
    transport->stopPusherThread();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    const size_t delivered = recorder.count();
    EXPECT_LT(delivered, 1000u);
    // Without a push thread, complete messages are discarded.
    feed(*transport, bytes({0xF0, 0x01, 0xF7}));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(recorder.count(), delivered);
    // Messages still queued are freed (the sanitizer build reports any leak).
}

TEST(TMIDITransport, MessageLengthFromStatus)
{
    EXPECT_EQ(TMIDITransport::midi_msg_length(0xF2), 3);
    EXPECT_EQ(TMIDITransport::midi_msg_length(0xC5), 2);
    EXPECT_EQ(TMIDITransport::midi_msg_length(0xD0), 2);
    EXPECT_EQ(TMIDITransport::midi_msg_length(0x90), 3);
    EXPECT_EQ(TMIDITransport::midi_msg_length(0xE3), 3);
    EXPECT_EQ(TMIDITransport::midi_msg_length(0xF3), 2);
    EXPECT_EQ(TMIDITransport::midi_msg_length(0xF8), 1);
    EXPECT_EQ(TMIDITransport::midi_msg_length(0x40), 1);
}

TEST(TMacMIDI, SendsAndReceivesThroughAnEndpointPair)
{
    NS_Platform::VirtualMidiBus bus;
    bus.setSplitPackets(3); // a slow cable: gathering spans several reads
    std::mutex mutex;
    std::condition_variable cv;
    QByteArray atInstrument;
    NS_Platform::MidiEndpointPair sim(bus, "Vantrel Sim", [&](const NS_Platform::MidiPacketList& l, void*) {
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& p : l)
            atInstrument.append(reinterpret_cast<const char*>(p.bytes.data()), int(p.bytes.size()));
        cv.notify_all();
    });
    MacIMIDIPortAccessor accessor("halvorsk-test", "TMacMIDI", &bus);
    accessor.init();
    TMacMIDI transport(&accessor, &bus);
    Recorder recorder;
    transport.registerMIDIobserver(&recorder);
    EXPECT_EQ(transport.numberOfInputs(), 1);
    EXPECT_EQ(transport.getInpPortDescriptor(1), accessor.portIdentity("Vantrel Sim<[Inp]>", false));
    EXPECT_TRUE(transport.getInpPortDescriptor(2).isNull());
    EXPECT_EQ(transport.friendlyName(transport.getOutPortDescriptor(1)), "Vantrel Sim");
    EXPECT_EQ(transport.getOutDescriptorPort(transport.getOutPortDescriptor(1)), 1);

    EXPECT_EQ(transport.outputData(3, "abc"), 0); // no output yet
    EXPECT_EQ(transport.outputData(0, nullptr), 1);
    ASSERT_NE(transport.openOutput(1), 0u);
    ASSERT_NE(transport.openInput(1), 0u);
    const QByteArray request = bytes({0xF0, 0x43, 0x20, 0x5C, 0x00, 0x00, 0xF7});
    EXPECT_EQ(transport.outputData(int(request.size()), request.constData()), 1);
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(cv.wait_for(lock, 5s, [&] { return atInstrument.size() >= request.size(); }));
        EXPECT_EQ(atInstrument, request);
    }
    const QByteArray dump = bytes({0xF0, 0x43, 0x00, 0x5C, 0x00, 0x02, 0x01, 0x02, 0x7D, 0xF7});
    sim.send(dump.constData(), int(dump.size()));
    ASSERT_TRUE(recorder.waitFor(1));
    EXPECT_EQ(recorder.calls[0], dump);
    EXPECT_EQ(transport.closeInput(), 0);
    EXPECT_EQ(transport.closeOutput(), 0);
}

TEST(TMacMIDI, NoObserverCallAfterCloseInputReturns)
{
    NS_Platform::VirtualMidiBus bus;
    NS_Platform::MidiEndpointPair sim(bus, "Sim", {});
    MacIMIDIPortAccessor accessor("halvorsk-test", "Close", &bus);
    accessor.init();
    TMacMIDI transport(&accessor, &bus);
    std::atomic<bool> closed{false}, late{false};
    struct Flagging : TMIDIReaderRefConInterface
    {
        std::atomic<bool>* closed;
        std::atomic<bool>* late;
        std::atomic<int> calls{0};
        int read(int length, const void*, bool, bool) override
        {
            ++calls;
            std::this_thread::sleep_for(1ms);
            if (*closed)
                *late = true;
            return length;
        }
    } observer;
    observer.closed = &closed;
    observer.late = &late;
    transport.registerMIDIobserver(&observer);
    ASSERT_NE(transport.openInput(1), 0u);
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        const unsigned char note[] = {0x90, 0x3C, 0x64};
        const unsigned char sx[] = {0xF0, 0x01, 0xF7};
        while (!stop) {
            sim.send(note, 3);
            sim.send(sx, 3);
            std::this_thread::sleep_for(100us);
        }
    });
    while (observer.calls < 20)
        std::this_thread::sleep_for(1ms);
    transport.closeInput();
    closed = true;
    std::this_thread::sleep_for(50ms);
    stop = true;
    feeder.join();
    EXPECT_FALSE(late);
}

TEST(TMacMIDI, OutputPortsAreNumberedAcrossTheProcess)
{
    // Keeps the name of every output port made on it.
    struct NamingBus : NS_Platform::VirtualMidiBus
    {
        int32_t createOutputPort(NS_Platform::MidiRef client, const QString& name, NS_Platform::MidiRef* port) override
        {
            names << name;
            return VirtualMidiBus::createOutputPort(client, name, port);
        }
        QStringList names;
    } bus;
    TMacMIDI a(nullptr, &bus), b(nullptr, &bus);
    EXPECT_NE(a.openOutput(1), 0u); // no destination on this bus, but the port exists
    EXPECT_NE(a.openOutput(2), 0u); // the same port again
    EXPECT_NE(b.openOutput(1), 0u);
    // Other tests of this program may have made ports before: the two are consecutive.
    ASSERT_EQ(bus.names.size(), 2);
    const QString prefix = QStringLiteral("Ferunit Palodex #");
    ASSERT_TRUE(bus.names[0].startsWith(prefix)) << bus.names[0].toStdString();
    bool ok = false;
    const int first = bus.names[0].mid(prefix.size()).toInt(&ok);
    ASSERT_TRUE(ok && first >= 1) << bus.names[0].toStdString();
    EXPECT_EQ(bus.names[1], prefix + QString::number(first + 1));
    EXPECT_EQ(a.outputData(1, "\xF8"), 0);
    EXPECT_EQ(a.numberOfInputs(), 0);
    EXPECT_TRUE(a.getOutPortDescriptor(1).isNull());
}
