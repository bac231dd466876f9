// Host MIDI event records (the host's 56-byte event, as its queue hands them out)
// taken by the component's event filter into the intake, handed by the pump thread to
// the port bridges and by them to the editor's memory-API object: the instrument's
// port takes system exclusive, the control surface's takes channel messages too.
//
// Input: the queue's status byte (bit 6: events are waiting), then records of 56
// bytes in the machine's order. The port field is taken modulo 4 (1: the instrument's
// input, 2: the control surface's, 0 and 3: no bridge's). A record of a kind with a
// payload is followed by its payload: `count` bytes, as many as the input still has,
// in a buffer of its own as the host allocates it. Every event of a bridge's port must
// be delivered once.
#include "ComponentRig.h"
#include "genericeditor/MPEventBuffer.h"
#include "genericeditor/MPEventMapping.h"

#include <QThread>
#include <cstring>

namespace {

using FuzzRig::Rig;

constexpr size_t kRecord = sizeof(tagMPEVENT);
constexpr size_t kMaxRecords = 256;
constexpr uint32_t kMaxPayload = 65536;

TMIDIIntake_VANTREL_KXE& intake()
{
    return FuzzRig::rig().component->eventFilter()->intake();
}

// Until the pump has handed every queued event on and left its batch.
void drain(Rig& r)
{
    while (MPEventBuffer* ring = intake().ring()) {
        if (ring->isEmpty())
            break;
        QCoreApplication::processEvents();
        QThread::yieldCurrentThread();
    }
    r.api()->MAPI_lock(true);
    r.api()->MAPI_lock(false);
    r.settle();
}

QByteArray record(const tagMPEVENT& e)
{
    return QByteArray(reinterpret_cast<const char*>(&e), int(kRecord));
}

tagMPEVENT blank(uint32_t port, uint32_t kind)
{
    tagMPEVENT e;
    std::memset(&e, 0, sizeof e);
    e.kind = kind;
    e.port = port;
    e.one = 1;
    return e;
}

void writeSeeds(const QString& folder);

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzRig::rig();
    const QString seeds = FuzzSupport::seedFolder("midi_intake");
    if (!seeds.isEmpty()) {
        writeSeeds(seeds);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    Rig& r = FuzzRig::rig();
    tagMPQSTATUS status;
    std::memset(&status, 0, sizeof status);
    status.flags = data[0];

    FakeEventQueue queue;
    uint64_t expected = 0;
    size_t at = 1;
    while (at + kRecord <= size && queue.events.size() < kMaxRecords) {
        tagMPEVENT e;
        std::memcpy(&e, data + at, kRecord);
        at += kRecord;
        e.port %= 4;
        if (e.kind & NS_MPEventKind::payloadMask) {
            const uint32_t count = uint32_t(std::min<size_t>({size_t(e.count), size - at, size_t(kMaxPayload)}));
            auto* payload = static_cast<uint8_t*>(std::malloc(count ? count : 1));
            if (count)
                std::memcpy(payload, data + at, count);
            at += count;
            e.count = count;
            e.data.sysex = payload;
        }
        if (e.port == FuzzRig::kInstrumentPort || e.port == FuzzRig::kSurfacePort)
            ++expected;
        queue.events.push_back(e);
    }
    if (queue.events.empty() || !(status.flags & MPQSTATUS_EVENTS_WAITING))
        expected = 0;

    const uint64_t before = intake().delivered();
    IMPEventFilter* filter = r.component->eventFilter();
    if (filter->MPOnEvents(&queue, status) != 0)
        Rig::fail("the event filter refused the host's queue");
    drain(r);
    if (intake().delivered() - before != expected) {
        fprintf(stderr, "midi intake: %llu of %llu events delivered\n",
                (unsigned long long)(intake().delivered() - before), (unsigned long long)expected);
        std::abort();
    }
    return 0;
}

namespace {

void writeSeeds(const QString& folder)
{
    using FuzzSupport::writeSeed;
    const char waiting = char(MPQSTATUS_EVENTS_WAITING);

    // Events as the component's own bridge writes them for the host: each outgoing
    // message the editor sends, turned back into an incoming record on a port.
    auto outgoing = [](const QByteArray& message, uint32_t port) {
        tagMPEVENT e = blank(port, 0);
        QByteArray bytes = message;
        if (!NS_MPEvent::buildOutgoing(int(bytes.size()), reinterpret_cast<const uint8_t*>(bytes.constData()),
                                       port, 7, e))
            Rig::fail("a seed message has no event");
        QByteArray out;
        if (e.kind == NS_MPEventKind::sysex) {
            e.data.sysex = nullptr;
            out = record(e) + bytes.mid(1);
        } else {
            out = record(e);
        }
        return out;
    };
    const QByteArray parameterChange("\xF0\x43\x10\x7F\x00\x37\x03\x0E\x40\xF7", 10);
    // The simulated instrument's answer to the identity request.
    const QByteArray identityReply("\xF0\x7E\x10\x06\x02\x43\x00\x41\x19\x06\x00\x00\x00\x7F\xF7", 15);
    writeSeed(folder, "instrument_dump", QByteArray(1, waiting) + outgoing(parameterChange, 1));
    writeSeed(folder, "identity_reply", QByteArray(1, waiting) + outgoing(identityReply, 1));
    writeSeed(folder, "surface_controls",
              QByteArray(1, waiting) + outgoing(QByteArray("\xB0\x07\x64", 3), 2)
                  + outgoing(QByteArray("\xC3\x05", 2), 2) + outgoing(QByteArray("\xE0\x00\x40", 3), 2));
    writeSeed(folder, "channel_on_instrument",
              QByteArray(1, waiting) + outgoing(QByteArray("\x90\x3C\x64", 3), 1) + outgoing(parameterChange, 3));
    writeSeed(folder, "not_waiting", QByteArray(1, '\0') + outgoing(parameterChange, 1));
}

} // namespace
