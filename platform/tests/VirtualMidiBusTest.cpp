#include "platform/MidiEndpointPair.h"
#include "platform/VirtualMidiBus.h"
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace NS_Platform;

namespace {

struct Capture
{
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::vector<uint8_t>> lists; // each packet list's bytes joined
    std::vector<std::thread::id> threads;

    MidiReadProc proc()
    {
        return [this](const MidiPacketList& packets, void*) {
            std::vector<uint8_t> joined;
            for (const MidiPacket& p : packets)
                joined.insert(joined.end(), p.bytes.begin(), p.bytes.end());
            std::lock_guard<std::mutex> lock(mutex);
            lists.push_back(joined);
            threads.push_back(std::this_thread::get_id());
            cv.notify_all();
        };
    }
    bool waitFor(size_t n)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(5), [&] { return lists.size() >= n; });
    }
};

struct Listener
{
    VirtualMidiBus& bus;
    MidiRef client = 0, port = 0;
    Listener(VirtualMidiBus& b, MidiReadProc proc) : bus(b)
    {
        EXPECT_EQ(bus.createClient("MIDI Client", &client), kMidiNoError);
        EXPECT_EQ(bus.createInputPort(client, "Input port", std::move(proc), &port), kMidiNoError);
    }
    ~Listener() { bus.disposeClient(client); }
};

} // namespace

TEST(VirtualMidiBus, EndpointPairIsListedByNameInBothDirections)
{
    VirtualMidiBus bus;
    MidiEndpointPair pair(bus, "Vantrel Sim", {});
    ASSERT_TRUE(pair.isValid());
    ASSERT_EQ(bus.numberOfSources(), 1);
    ASSERT_EQ(bus.numberOfDestinations(), 1);
    EXPECT_EQ(bus.source(0), pair.source());
    EXPECT_EQ(bus.destination(0), pair.destination());
    EXPECT_EQ(bus.endpointName(bus.source(0)), "Vantrel Sim");
    EXPECT_EQ(bus.endpointName(bus.destination(0)), "Vantrel Sim");
    EXPECT_EQ(bus.source(1), 0u);
    EXPECT_EQ(bus.source(-1), 0u);
    EXPECT_TRUE(bus.endpointName(12345).isEmpty());
}

TEST(VirtualMidiBus, DeliversOnItsOwnThreadAfterTheSenderReturns)
{
    VirtualMidiBus bus;
    std::mutex gate;
    gate.lock(); // the callback blocks here until the sender has returned
    Capture capture;
    MidiReadProc inner = capture.proc();
    Listener in(bus, [&](const MidiPacketList& packets, void* refCon) {
        std::lock_guard<std::mutex> wait(gate);
        EXPECT_EQ(refCon, &capture);
        inner(packets, refCon);
    });
    MidiEndpointPair pair(bus, "Sim", {});
    ASSERT_EQ(bus.connectSource(in.port, pair.source(), &capture), kMidiNoError);
    const uint8_t msg[] = {0x90, 0x3C, 0x64};
    ASSERT_EQ(pair.send(msg, 3), kMidiNoError); // returns although the callback cannot run yet
    EXPECT_TRUE(capture.lists.empty());
    gate.unlock();
    ASSERT_TRUE(capture.waitFor(1));
    EXPECT_EQ(capture.lists[0], std::vector<uint8_t>(msg, msg + 3));
    EXPECT_NE(capture.threads[0], std::this_thread::get_id());
}

TEST(VirtualMidiBus, SplitsPacketsIntoListsOfTheGivenSize)
{
    VirtualMidiBus bus;
    bus.setSplitPackets(4);
    Capture capture;
    MidiRef client = 0, out = 0, dest = 0;
    ASSERT_EQ(bus.createClient("c", &client), kMidiNoError);
    ASSERT_EQ(bus.createOutputPort(client, "out", &out), kMidiNoError);
    ASSERT_EQ(bus.createDestination(client, "Sim", capture.proc(), nullptr, &dest), kMidiNoError);
    MidiPacket p;
    p.bytes = {0xF0, 0x43, 0x10, 0x5C, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF7};
    ASSERT_EQ(bus.send(out, dest, {p}), kMidiNoError);
    ASSERT_TRUE(capture.waitFor(3));
    ASSERT_EQ(capture.lists.size(), 3u);
    EXPECT_EQ(capture.lists[0], std::vector<uint8_t>({0xF0, 0x43, 0x10, 0x5C}));
    EXPECT_EQ(capture.lists[1], std::vector<uint8_t>({0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(capture.lists[2], std::vector<uint8_t>({0x05, 0xF7}));

    bus.setSplitPackets(0);
    ASSERT_EQ(bus.send(out, dest, {p}), kMidiNoError);
    ASSERT_TRUE(capture.waitFor(4));
    EXPECT_EQ(capture.lists[3], p.bytes);
    bus.disposeClient(client);
}

TEST(VirtualMidiBus, KeepsTheOrderOfManyMessages)
{
    VirtualMidiBus bus;
    Capture capture;
    Listener in(bus, capture.proc());
    MidiEndpointPair pair(bus, "Sim", {});
    ASSERT_EQ(bus.connectSource(in.port, pair.source(), nullptr), kMidiNoError);
    for (int i = 0; i < 1000; ++i) {
        const uint8_t msg[] = {0xB0, uint8_t(i & 0x7F), uint8_t(i >> 7)};
        ASSERT_EQ(pair.send(msg, 3), kMidiNoError);
    }
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    ASSERT_EQ(capture.lists.size(), 1000u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(capture.lists[size_t(i)][1] | capture.lists[size_t(i)][2] << 7, i);
}

TEST(VirtualMidiBus, NoCallbackRunsAfterDisconnectReturns)
{
    VirtualMidiBus bus;
    std::atomic<int> entered{0}, left{0};
    std::atomic<bool> disconnected{false}, lateCall{false};
    Listener in(bus, [&](const MidiPacketList&, void*) {
        if (disconnected)
            lateCall = true;
        ++entered;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (disconnected)
            lateCall = true;
        ++left;
    });
    MidiEndpointPair pair(bus, "Sim", {});
    ASSERT_EQ(bus.connectSource(in.port, pair.source(), nullptr), kMidiNoError);
    const uint8_t msg[] = {0xF8};
    for (int i = 0; i < 20; ++i)
        pair.send(msg, 1);
    while (entered == 0)
        std::this_thread::yield();
    ASSERT_EQ(bus.disconnectSource(in.port, pair.source()), kMidiNoError);
    disconnected = true;
    EXPECT_EQ(entered.load(), left.load());
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_FALSE(lateCall);
    EXPECT_LT(entered.load(), 20);
    EXPECT_EQ(bus.disconnectSource(in.port, pair.source()), kMidiInvalidArgument);
}

TEST(VirtualMidiBus, DisposingFromInsideTheCallbackDoesNotHang)
{
    VirtualMidiBus bus;
    MidiRef client = 0, dest = 0, out = 0;
    std::atomic<int> calls{0};
    ASSERT_EQ(bus.createClient("c", &client), kMidiNoError);
    ASSERT_EQ(bus.createOutputPort(client, "out", &out), kMidiNoError);
    ASSERT_EQ(bus.createDestination(client, "d", [&](const MidiPacketList&, void*) {
        ++calls;
        bus.disposeEndpoint(dest);
    }, nullptr, &dest), kMidiNoError);
    MidiPacket p;
    p.bytes = {0xFE};
    bus.send(out, dest, {p});
    bus.send(out, dest, {p});
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_EQ(calls.load(), 1);
    bus.disposeClient(client);
}

TEST(VirtualMidiBus, RefusesWrongHandles)
{
    VirtualMidiBus bus;
    MidiRef client = 0, port = 0;
    EXPECT_EQ(bus.createInputPort(99, "x", [](const MidiPacketList&, void*) {}, &port),
              kMidiInvalidArgument);
    ASSERT_EQ(bus.createClient("c", &client), kMidiNoError);
    EXPECT_EQ(bus.createInputPort(client, "x", {}, &port), kMidiInvalidArgument);
    ASSERT_EQ(bus.createOutputPort(client, "o", &port), kMidiNoError);
    EXPECT_EQ(bus.send(port, 777, {}), kMidiInvalidArgument);
    EXPECT_EQ(bus.connectSource(port, 777, nullptr), kMidiInvalidArgument);
    EXPECT_EQ(bus.received(port, {}), kMidiInvalidArgument);
    EXPECT_EQ(bus.disposeEndpoint(port), kMidiInvalidArgument);
    EXPECT_EQ(bus.disposePort(port), kMidiNoError);
    EXPECT_EQ(bus.disposePort(port), kMidiInvalidArgument);
}

TEST(MidiService, HostTimeIsMonotonicNanoseconds)
{
    const uint64_t a = MidiService::hostTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const uint64_t b = MidiService::hostTime();
    EXPECT_GE(b - a, 2000000u);
}

TEST(MidiService, CreatesTheVirtualBusByName)
{
    auto bus = MidiService::create("virtual");
    ASSERT_TRUE(bus);
    EXPECT_EQ(bus->backendName(), "virtual");
    EXPECT_FALSE(MidiService::create("nonsense"));
}

TEST(VirtualMidiBus, NotifyProcHearsEndpointsComeAndGoOnTheBusThreadAndNotAfterItsClientWent)
{
    VirtualMidiBus bus;
    std::mutex mutex;
    std::condition_variable cv;
    int heard = 0;
    std::thread::id on;
    MidiRef client = 0;
    ASSERT_EQ(bus.createClient("MIDI Client", &client), kMidiNoError);
    ASSERT_EQ(bus.setNotifyProc(client, [&] {
        std::lock_guard<std::mutex> lock(mutex);
        ++heard;
        on = std::this_thread::get_id();
        cv.notify_all();
    }), kMidiNoError);
    auto heardAtLeast = [&](int n) {
        std::unique_lock<std::mutex> lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(5), [&] { return heard >= n; });
    };
    auto pair = std::make_unique<MidiEndpointPair>(bus, "Vantrel Came", MidiReadProc{});
    ASSERT_TRUE(heardAtLeast(1)) << "an endpoint came and nobody was told";
    EXPECT_NE(on, std::this_thread::get_id());
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    int before;
    {
        std::lock_guard<std::mutex> lock(mutex);
        before = heard;
    }
    pair.reset();
    ASSERT_TRUE(heardAtLeast(before + 1)) << "an endpoint went and nobody was told";
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_EQ(bus.setNotifyProc(12345, {}), kMidiInvalidArgument);
    ASSERT_EQ(bus.disposeClient(client), kMidiNoError);
    {
        std::lock_guard<std::mutex> lock(mutex);
        before = heard;
    }
    MidiEndpointPair later(bus, "Vantrel Later", {});
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(heard, before);
}
