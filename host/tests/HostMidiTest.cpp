// The substitute host's MIDI and objects: bytes cut into messages as a cable delivers
// them, messages to host events and back, port assignments, the sink's connection
// point and the project stream.
#include "host/HostEventQueue.h"
#include "host/HostMemoryStream.h"
#include "host/HostMidiPorts.h"
#include "host/HostServices.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include "platform/MidiEndpointPair.h"
#include "platform/VirtualMidiBus.h"
#include <QTest>
#include <atomic>
#include <functional>
#include <mutex>
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>

using NS_Host::HostMidiPorts;
using NS_Host::MidiByteParser;
using Message = std::vector<uint8_t>;

TEST(HostMidiParser, DumpSplitOverPacketsWithRealTimeBytesInsideIsOneMessage)
{
    MidiByteParser parser;
    std::vector<Message> out;
    const uint8_t a[] = {0xF0, 0x43, 0x00};
    const uint8_t b[] = {0x5C, 0xF8, 0x01};
    const uint8_t c[] = {0x02, 0xF7, 0x90, 0x3C};
    parser.feed(a, sizeof a, out);
    parser.feed(b, sizeof b, out);
    EXPECT_TRUE(out.empty());
    parser.feed(c, sizeof c, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], (Message{0xF0, 0x43, 0x00, 0x5C, 0x01, 0x02, 0xF7}));
    // The note on waits for its velocity, then running status carries the next one.
    const uint8_t d[] = {0x64, 0x3E, 0x00, 0xC1, 0x05};
    parser.feed(d, sizeof d, out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[1], (Message{0x90, 0x3C, 0x64}));
    EXPECT_EQ(out[2], (Message{0x90, 0x3E, 0x00}));
    EXPECT_EQ(out[3], (Message{0xC1, 0x05}));
}

TEST(HostMidiParser, UnterminatedDumpAndDataWithoutStatusAreDropped)
{
    MidiByteParser parser;
    std::vector<Message> out;
    const uint8_t bytes[] = {0x12, 0x34, 0xF0, 0x01, 0x02, 0xB0, 0x07, 0x40};
    parser.feed(bytes, sizeof bytes, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], (Message{0xB0, 0x07, 0x40}));
}

TEST(HostMidiEvents, MessagesBecomeEventsAndEventsBecomeTheSameBytes)
{
    tagMPEVENT e;
    ASSERT_TRUE(HostMidiPorts::eventOfMessage({0xC3, 0x05}, 4, e));
    EXPECT_EQ(e.kind, NS_MPEventKind::programChange);
    EXPECT_EQ(e.channel, 3u);
    EXPECT_EQ(e.port, 4u);
    EXPECT_EQ(e.data.bytes[0], 0x05);
    EXPECT_EQ(HostMidiPorts::bytesOfEvent(e), (Message{0xC3, 0x05}));

    const Message dump{0xF0, 0x43, 0x10, 0x5C, 0xF7};
    ASSERT_TRUE(HostMidiPorts::eventOfMessage(dump, 1, e));
    EXPECT_EQ(e.kind, NS_MPEventKind::sysex);
    EXPECT_EQ(e.count, 4u);
    EXPECT_EQ(std::memcmp(e.data.sysex, dump.data() + 1, 4), 0);
    EXPECT_EQ(HostMidiPorts::bytesOfEvent(e), dump);
    std::free(e.data.sysex);

    EXPECT_FALSE(HostMidiPorts::eventOfMessage({0xF0}, 1, e));
    EXPECT_FALSE(HostMidiPorts::eventOfMessage({0xF2, 0x01, 0x02}, 1, e));
    EXPECT_FALSE(HostMidiPorts::eventOfMessage({}, 1, e));
}

TEST(HostMidiEvents, QueueHandsOutEventsOnceAndFreesWhatIsLeft)
{
    NS_Host::HostEventQueue queue;
    tagMPEVENT a, b;
    ASSERT_TRUE(HostMidiPorts::eventOfMessage({0xF0, 0x01, 0xF7}, 1, a));
    ASSERT_TRUE(HostMidiPorts::eventOfMessage({0x80, 0x3C, 0x00}, 1, b));
    queue.push(a);
    queue.push(b);
    uint32_t got = 0, more = 0;
    tagMPEVENT out;
    // Only system exclusive is asked for: the note off stays with the host.
    ASSERT_EQ(queue.MPGetFirstEvent(&got, &out, &more, NS_MPEventKind::sysex), 0);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(out.kind, NS_MPEventKind::sysex);
    std::free(out.data.sysex);
    ASSERT_EQ(queue.MPGetNextEvent(&got, &out, &more, NS_MPEventKind::sysex), 0);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(more, 0u);
    // A payload not taken is freed by the queue (the sanitizer checks).
    NS_Host::HostEventQueue left;
    tagMPEVENT c;
    ASSERT_TRUE(HostMidiPorts::eventOfMessage({0xF0, 0x02, 0xF7}, 1, c));
    left.push(c);
}

TEST(HostObjects, AssignmentsFollowAddChangeAndRemovePerPair)
{
    NS_Host::HostPortAssign assign;
    const QUuid in = QUuid::createUuid();
    const QUuid other = QUuid::createUuid();
    auto guid = [](const QUuid& id) {
        Y_GUID g;
        std::memcpy(&g, id.toRfc4122().constData(), 16);
        return g;
    };
    const Y_GUID a = guid(in), b = guid(other);
    auto* name = static_cast<uint16_t*>(std::malloc(4 * sizeof(uint16_t)));
    const uint16_t text[] = {'R', 'e', 'm', 0};
    std::memcpy(name, text, sizeof text);
    EXPECT_EQ(assign.MPAssignPort(NS_MPPortAssign::add, &a, name, nullptr, nullptr, 0), 0);
    EXPECT_EQ(assign.MPAssignPort(NS_MPPortAssign::add, &a, nullptr, nullptr, nullptr, -1), 0);
    ASSERT_EQ(assign.assignments().size(), 2u);
    EXPECT_EQ(assign.assignments()[0].name, QStringLiteral("Rem"));
    EXPECT_EQ(assign.MPAssignPort(NS_MPPortAssign::change, &b, nullptr, nullptr, nullptr, -1), 0);
    EXPECT_EQ(assign.MPAssignPort(NS_MPPortAssign::remove, &a, nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(assign.assignments().size(), 2u);
    EXPECT_EQ(assign.MPAssignPort(7, &a, nullptr, nullptr, nullptr, 0), NS_MPStatus::invalidArgument);
    EXPECT_EQ(assign.MPAssignPort(NS_MPPortAssign::add, nullptr, nullptr, nullptr, nullptr, 0),
              NS_MPStatus::invalidArgument);
}

namespace {
class CountingSink : public NS_Host::HostCounted<IMPNotificationSink>
{
public:
    int notified = 0;
    int32_t QueryInterface(const Y_GUID& iid, void** object) override
    {
        if (iid == NS_HostIds::IID_IMPNotificationSink || iid == NS_HostIds::IID_IUnknown) {
            AddRef();
            *object = this;
            return 0;
        }
        *object = nullptr;
        return NS_MPStatus::noInterface;
    }
    int32_t MPNotify(const tagMPMSG&) override { return ++notified, 0; }
};
} // namespace

TEST(HostObjects, ConnectionPointHoldsTheSinkUntilUnadvisedAndNotifiesIt)
{
    NS_Host::HostConnectionPoint point;
    CountingSink sink;
    uint32_t cookie = 0;
    ASSERT_EQ(point.Advise(&sink, &cookie), 0);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(sink.references(), 1);
    point.notifyAll(tagMPMSG{NS_HostIds::MSG_MIDIPortsChanged});
    EXPECT_EQ(sink.notified, 1);
    EXPECT_EQ(sink.references(), 1);
    EXPECT_EQ(point.Unadvise(cookie), 0);
    EXPECT_EQ(sink.references(), 0);
    EXPECT_NE(point.Unadvise(cookie), 0);
}

TEST(HostObjects, ProjectStreamReadsWhatWasWrittenAndReportsShortReads)
{
    NS_Host::HostMemoryStream stream;
    uint32_t done = 0;
    ASSERT_EQ(stream.Write("abcdef", 6, &done), 0);
    EXPECT_EQ(done, 6u);
    stream.rewind();
    char buffer[8] = {};
    ASSERT_EQ(stream.Read(buffer, 4, &done), 0);
    EXPECT_EQ(QByteArray(buffer, 4), QByteArray("abcd"));
    ASSERT_EQ(stream.Read(buffer, 8, &done), 0);
    EXPECT_EQ(done, 2u);
    ASSERT_EQ(stream.Read(buffer, 8, &done), 0);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(stream.bytes(), QByteArray("abcdef"));
}

namespace {

// A named device on the bus whose destination keeps what reaches it.
struct BusDevice
{
    BusDevice(NS_Platform::MidiService& bus, const char* name)
        : pair(bus, QString::fromLatin1(name), [this](const NS_Platform::MidiPacketList& list, void*) {
              std::lock_guard<std::mutex> lock(mutex);
              for (const NS_Platform::MidiPacket& p : list)
                  got.insert(got.end(), p.bytes.begin(), p.bytes.end());
          })
    {
    }
    Message bytes()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return got;
    }
    std::mutex mutex;
    Message got;
    NS_Platform::MidiEndpointPair pair;
};

int32_t numberOf(const HostMidiPorts& ports, const char* name)
{
    for (const NS_Host::HostPort& p : ports.ports(true))
        if (p.name == QLatin1String(name))
            return p.number;
    return 0;
}

bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 5000); }

int32_t sendTo(HostMidiPorts& ports, int32_t number, const Message& message)
{
    tagMPEVENT e;
    EXPECT_TRUE(HostMidiPorts::eventOfMessage(message, uint32_t(number), e));
    const int32_t r = ports.MPOutputEvents(&e, 1);
    std::free(e.data.sysex);
    return r;
}

} // namespace

// The ports follow the service's endpoints by themselves: a port keeps its number while
// it is away and gets it back when it comes again; what was sent to its number in the
// meantime goes nowhere else.
TEST(HostMidiPorts, PortsFollowTheServiceAndKeepTheirNumbersByName)
{
    NS_Platform::VirtualMidiBus bus;
    auto a = std::make_unique<BusDevice>(bus, "Vantrel A");
    BusDevice b(bus, "Vantrel B");
    HostMidiPorts ports(bus);
    std::atomic<int> changes{0};
    ports.setPortsChangedHandler([&] { ++changes; });
    ASSERT_TRUE(ports.open());
    const int32_t numberA = numberOf(ports, "Vantrel A"), numberB = numberOf(ports, "Vantrel B");
    ASSERT_NE(numberA, 0);
    ASSERT_NE(numberB, 0);
    const Message edit{0xF0, 0x43, 0x10, 0x5C, 0x37, 0x00, 0x0D, 0x40, 0xF7};

    a.reset();
    ASSERT_TRUE(waitUntil([&] { return numberOf(ports, "Vantrel A") == 0; })) << "a port that went is still listed";
    EXPECT_GT(changes.load(), 0);
    EXPECT_EQ(numberOf(ports, "Vantrel B"), numberB);
    BusDevice c(bus, "Vantrel C");
    ASSERT_TRUE(waitUntil([&] { return numberOf(ports, "Vantrel C") != 0; }));
    EXPECT_NE(numberOf(ports, "Vantrel C"), numberA) << "a new name took the number of one that is away";
    // A's number names nobody while A is away.
    EXPECT_NE(sendTo(ports, numberA, edit), 0);

    BusDevice back(bus, "Vantrel A");
    ASSERT_TRUE(waitUntil([&] { return numberOf(ports, "Vantrel A") != 0; }));
    EXPECT_EQ(numberOf(ports, "Vantrel A"), numberA);
    ASSERT_EQ(sendTo(ports, numberA, edit), 0);
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_EQ(back.bytes(), edit);
    EXPECT_TRUE(c.bytes().empty());
    EXPECT_TRUE(b.bytes().empty());
}

TEST(HostMidiPorts, EqualNamesGetNumbersOfTheirOwnThatStay)
{
    NS_Platform::VirtualMidiBus bus;
    BusDevice first(bus, "Vantrel Twin");
    auto second = std::make_unique<BusDevice>(bus, "Vantrel Twin");
    HostMidiPorts ports(bus);
    ASSERT_TRUE(ports.open());
    std::vector<int32_t> numbers;
    for (const NS_Host::HostPort& p : ports.ports(true))
        numbers.push_back(p.number);
    ASSERT_EQ(numbers.size(), 2u);
    EXPECT_NE(numbers[0], numbers[1]);
    second.reset();
    ASSERT_TRUE(waitUntil([&] { return ports.ports(true).size() == 1; }));
    EXPECT_EQ(ports.ports(true).front().number, numbers[0]);
}
