#include "AlsaMidiBackend.h"
#include <mutex>

namespace NS_Platform {

namespace {

std::mutex testingMutex;
AlsaReaderPoll testingPoll;
int testingEventsPerDrain = 0;

} // namespace

void setAlsaReaderForTesting(AlsaReaderPoll poll, int eventsPerDrain)
{
    std::lock_guard<std::mutex> lock(testingMutex);
    testingPoll = std::move(poll);
    testingEventsPerDrain = eventsPerDrain;
}

} // namespace NS_Platform

#ifdef VANTREL_HAVE_ALSA
#include "AlsaClientPool.h"
#include "AlsaSequencer.h"
#include "MidiCablePacer.h"
#include "MidiOutgoingCutter.h"
#include "MidiSysExAssembler.h"
#include <QLoggingCategory>
#include <alsa/asoundlib.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <iterator>
#include <map>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <unistd.h>

Q_DECLARE_LOGGING_CATEGORY(lcPlatformMidi)

namespace NS_Platform {

using namespace AlsaSeq;

namespace {

using Clock = std::chrono::steady_clock;

// How long a send waits for a receiver that does not read before it fails: within
// 100 ms in all, with the calls around the wait.
constexpr auto kStallBound = std::chrono::milliseconds(75);
// The kernel cannot say when another client reads: its room is looked at this often.
constexpr auto kRoomPoll = std::chrono::milliseconds(2);
// At most this many messages in one packet list: a receiver takes them in one call.
constexpr size_t kPacketsPerList = 64;
// Events read at most from one client before the others get their turn.
constexpr int kEventsPerDrain = 4096;

constexpr unsigned kReadable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
constexpr unsigned kWritable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
// Ports of this process: other programs may connect them, as with any port.
constexpr unsigned kOwnPortType = SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION;

int64_t addressKey(int client, int port) { return int64_t(client) << 16 | int64_t(port & 0xFFFF); }

// What one sender (an output port or a source) keeps for one destination.
struct Sender
{
    // The cutter and the encoder; taken before a handle's write mutex and before the
    // output thread's lock.
    std::mutex mutex;
    MidiOutgoingCutter cutter;
    MidiCodec encoder{16};
    // Receivers that failed the message in progress: they get none of the rest of it.
    std::vector<int64_t> failed;
};
using SenderPtr = std::shared_ptr<Sender>;

// One event ready for the sequencer: a system-exclusive piece or an encoded message.
struct OutEvent
{
    snd_seq_event_t ev{};
    std::vector<uint8_t> bytes; // a piece's bytes (ev points into them when written)
    bool sysex = false;
    bool begins = false; // the first piece of a system-exclusive message
    bool ends = true;    // the last event of its message
    size_t cost = 0;     // bytes on a cable
};

// Where one send goes.
struct Route
{
    HandlePtr handle;
    int fromPort = -1;
    bool toSubscribers = false;
    int destClient = -1;
    int destPort = -1;
    bool own = false; // the destination is an endpoint of this process
    bool paced = false;
    PortIdentity identity;
    MidiRef from = 0;
    MidiRef dest = 0;
    SenderPtr sender;
};

} // namespace

struct AlsaMidiBackend::Private
{
    enum class Kind { Client, InputPort, OutputPort, Source, Destination, Remote };
    struct Object
    {
        explicit Object(Kind k) : kind(k) {}
        Kind kind;
        MidiRef client = 0;
        QString name;
        HandlePtr handle; // a client's; its ports use their client's
        int port = -1;    // own sequencer port
        MidiReadProc proc;
        void* refCon = nullptr;
        std::map<MidiRef, void*> connections; // input port: source -> connection context
        MidiNotifyProc notify;                // client
        // Remote: another client's port.
        int remoteClient = -1, remotePort = -1;
        PortIdentity identity;
        unsigned caps = 0, type = 0;
        bool gone = false;
    };

    // What the reader hands to the delivery thread, in the order it read it.
    struct Arrival
    {
        bool announcement = false; // else a message
        bool rescan = false;       // announcements were lost
        int type = 0;              // announcement
        int client = 0, port = 0;  // receiving own port, or the announced address
        int srcClient = 0, srcPort = 0;
        MidiPacket packet;
    };

    // Messages to one cable, leaving at its pace.
    struct PacedLine
    {
        struct Item
        {
            Route route;
            OutEvent event;
        };
        std::deque<Item> items;
        MidiCablePacer pacer;
        bool failed = false;     // told to the next send
        bool midMessage = false; // the last event written does not end its message
        bool writing = false;
        MidiRef writingFrom = 0;
    };

    // ---- state guarded by `mutex`: objects, refs and lists; never held across a
    // write, a wait or a callback.
    std::mutex mutex;
    std::condition_variable progress; // a callback ended
    std::map<MidiRef, Object> objects;
    std::map<int64_t, MidiRef> ownByAddress;  // own ports of every handle
    std::map<int64_t, MidiRef> liveByAddress; // other clients' ports now there
    std::map<std::pair<MidiRef, MidiRef>, SenderPtr> senders;
    std::vector<MidiRef> goneLines; // endpoints gone whose paced lines are still there
    // The sender of one source and destination pair, made on first use; under `mutex`.
    SenderPtr senderFor(MidiRef from, MidiRef to)
    {
        SenderPtr& sender = senders[{from, to}];
        if (!sender)
            sender = std::make_shared<Sender>();
        return sender;
    }
    std::vector<MidiRef> sources, destinations;
    uint64_t generation = 0;
    uint64_t notified = 0;
    bool dirty = true;
    MidiRef nextRef = 1;
    MidiRef active = 0;
    std::mutex scanMutex; // one scan at a time; taken before `mutex`

    // ---- the watch handle: announcements and queries.
    HandlePtr watch;
    int watchPort = -1;

    // ---- the reader: polls every handle, does little per event.
    std::mutex handlesMutex;
    std::condition_variable handlesAck;
    std::vector<HandlePtr> handles;
    uint64_t handlesWanted = 0, handlesSeen = 0;
    int wakePipe[2] = {-1, -1};
    std::thread reader;
    std::atomic<bool> readerEnded{false}; // set under `handlesMutex`
    AlsaReaderPoll pollEvents;            // empty: poll()
    int eventsPerDrain = kEventsPerDrain;

    // ---- the delivery thread: calls read and notify procedures.
    std::mutex deliveryMutex;
    std::condition_variable deliveryWake;
    std::deque<Arrival> arrivals;
    bool deliveryStop = false;
    std::thread delivery;

    // ---- the output thread: paced lines.
    std::mutex outMutex;
    std::condition_variable outWake;
    std::map<MidiRef, PacedLine> lines; // by destination
    Handle* outWriting = nullptr;       // the handle the output thread writes on
    bool outStop = false;
    std::thread output;

    // ---- timed waits for a receiver's room (no lock of the others).
    std::mutex stallMutex;
    std::condition_variable stallWake;
    std::atomic<bool> stopping{false};

    // ================= objects and lists

    MidiRef sourceRefAt(int client, int port)
    {
        const int64_t key = addressKey(client, port);
        auto own = ownByAddress.find(key);
        if (own != ownByAddress.end())
            return objects.at(own->second).kind == Kind::Source ? own->second : 0;
        auto live = liveByAddress.find(key);
        return live != liveByAddress.end() ? live->second : 0;
    }

    // Under `mutex`.
    void markGone(MidiRef ref)
    {
        auto it = objects.find(ref);
        if (it == objects.end() || it->second.kind != Kind::Remote || it->second.gone)
            return;
        it->second.gone = true;
        auto live = liveByAddress.find(addressKey(it->second.remoteClient, it->second.remotePort));
        if (live != liveByAddress.end() && live->second == ref)
            liveByAddress.erase(live);
        for (auto& entry : objects)
            entry.second.connections.erase(ref);
        sources.erase(std::remove(sources.begin(), sources.end(), ref), sources.end());
        destinations.erase(std::remove(destinations.begin(), destinations.end(), ref), destinations.end());
        eraseSenders(ref);
        goneLines.push_back(ref);
        ++generation;
    }

    // Under `mutex`. A send under way keeps its own.
    void eraseSenders(MidiRef ref)
    {
        for (auto it = senders.begin(); it != senders.end();)
            it = it->first.first == ref || it->first.second == ref ? senders.erase(it) : std::next(it);
    }

    // Without `mutex`: the paced lines to endpoints that have gone. What waited there can
    // no longer be delivered; a write under way finds its line gone and goes on.
    void eraseGoneLines()
    {
        std::vector<MidiRef> gone;
        {
            std::lock_guard<std::mutex> lock(mutex);
            gone.swap(goneLines);
        }
        if (gone.empty())
            return;
        std::lock_guard<std::mutex> out(outMutex);
        for (MidiRef ref : gone)
            lines.erase(ref);
    }

    // Under `mutex`: the scan becomes the lists.
    void apply(const std::vector<ScannedPort>& scan)
    {
        std::map<int64_t, MidiRef> live;
        std::vector<MidiRef> src, dst;
        for (const ScannedPort& p : scan) {
            const int64_t key = addressKey(p.client, p.port);
            if (p.caps & SND_SEQ_PORT_CAP_NO_EXPORT)
                continue;
            auto own = ownByAddress.find(key);
            if (own != ownByAddress.end()) {
                // Own input and output ports are the service's, not endpoints.
                const Kind kind = objects.at(own->second).kind;
                if (kind == Kind::Source)
                    src.push_back(own->second);
                else if (kind == Kind::Destination)
                    dst.push_back(own->second);
                continue;
            }
            if (handleOwns(p.client))
                continue; // an own port made a moment ago, not yet an object
            MidiRef ref = 0;
            auto was = liveByAddress.find(key);
            if (was != liveByAddress.end()) {
                Object& o = objects.at(was->second);
                if (o.identity == p.identity) {
                    ref = was->second;
                    o.caps = p.caps;
                    o.type = p.type;
                } else {
                    markGone(was->second);
                }
            }
            if (!ref) {
                Object o(Kind::Remote);
                o.remoteClient = p.client;
                o.remotePort = p.port;
                o.identity = p.identity;
                o.name = p.identity.port;
                o.caps = p.caps;
                o.type = p.type;
                ref = nextRef++;
                objects.emplace(ref, std::move(o));
            }
            live[key] = ref;
            if ((p.caps & kReadable) == kReadable)
                src.push_back(ref);
            if ((p.caps & kWritable) == kWritable)
                dst.push_back(ref);
        }
        std::vector<MidiRef> left;
        for (const auto& [key, ref] : liveByAddress)
            if (!live.count(key))
                left.push_back(ref);
        for (MidiRef ref : left)
            markGone(ref);
        liveByAddress = std::move(live);
        if (src != sources || dst != destinations) {
            sources = std::move(src);
            destinations = std::move(dst);
            ++generation;
        }
    }

    bool handleOwns(int client)
    {
        for (const auto& entry : objects)
            if (entry.second.kind == Kind::Client && entry.second.handle
                && entry.second.handle->client == client)
                return true;
        return false;
    }

    // Any thread, without `mutex`.
    void rescan()
    {
        {
            std::lock_guard<std::mutex> scanning(scanMutex);
            {
                std::lock_guard<std::mutex> lock(mutex);
                dirty = false; // a change from here on makes the lists dirty again
            }
            const std::vector<ScannedPort> scan = scanKernel(watch->seq);
            std::lock_guard<std::mutex> lock(mutex);
            apply(scan);
        }
        eraseGoneLines();
    }

    void ensureCurrent()
    {
        bool stale;
        {
            std::lock_guard<std::mutex> lock(mutex);
            stale = dirty;
        }
        if (stale)
            rescan();
    }

    void waitForCallback(MidiRef target, std::unique_lock<std::mutex>& lock)
    {
        // From inside a callback, waiting would never end; the running one is the last.
        if (std::this_thread::get_id() == delivery.get_id())
            return;
        progress.wait(lock, [&] { return active != target; });
    }

    int32_t createPort(Kind kind, MidiRef client, const QString& name, unsigned caps,
                       MidiReadProc proc, void* refCon, MidiRef* out)
    {
        if (!out)
            return kMidiInvalidArgument;
        *out = 0;
        std::lock_guard<std::mutex> lock(mutex);
        auto owner = objects.find(client);
        if (owner == objects.end() || owner->second.kind != Kind::Client)
            return kMidiInvalidArgument;
        HandlePtr handle = owner->second.handle;
        const int port = snd_seq_create_simple_port(handle->seq, name.toUtf8().constData(), caps,
                                                    kOwnPortType);
        if (port < 0)
            return kMidiFailure;
        Object o(kind);
        o.client = client;
        o.name = name;
        o.port = port;
        o.proc = std::move(proc);
        o.refCon = refCon;
        const MidiRef ref = nextRef++;
        objects.emplace(ref, std::move(o));
        ownByAddress[addressKey(handle->client, port)] = ref;
        dirty = true;
        *out = ref;
        return kMidiNoError;
    }

    HandlePtr handleOf(const Object& o)
    {
        auto it = objects.find(o.client);
        return it != objects.end() ? it->second.handle : nullptr;
    }

    // Under `mutex`. Deletes an own port and waits out its callback.
    void removePort(MidiRef ref, std::unique_lock<std::mutex>& lock)
    {
        if (!objects.count(ref))
            return;
        lock.unlock();
        finishPaced(ref);
        lock.lock();
        auto it = objects.find(ref);
        if (it == objects.end())
            return;
        Object& o = it->second;
        HandlePtr handle = handleOf(o);
        if (handle) {
            snd_seq_delete_simple_port(handle->seq, o.port);
            ownByAddress.erase(addressKey(handle->client, o.port));
        }
        const bool source = o.kind == Kind::Source;
        objects.erase(it);
        if (source)
            for (auto& entry : objects)
                entry.second.connections.erase(ref);
        eraseSenders(ref);
        dirty = true;
        waitForCallback(ref, lock);
    }

    // ================= reader

    void wakeReader()
    {
        const char byte = 1;
        if (write(wakePipe[1], &byte, 1) != 1)
            qCWarning(lcPlatformMidi) << "cannot wake the ALSA input thread";
    }

    void addHandle(const HandlePtr& h)
    {
        {
            std::lock_guard<std::mutex> lock(handlesMutex);
            handles.push_back(h);
            ++handlesWanted;
        }
        wakeReader();
    }

    // Returns once the reader no longer reads from the handle.
    void removeHandle(const HandlePtr& h)
    {
        std::unique_lock<std::mutex> lock(handlesMutex);
        handles.erase(std::remove(handles.begin(), handles.end(), h), handles.end());
        const uint64_t wanted = ++handlesWanted;
        lock.unlock();
        wakeReader();
        lock.lock();
        // A reader that has ended reads from no handle.
        handlesAck.wait(lock, [&] { return handlesSeen >= wanted || stopping.load() || readerEnded.load(); });
    }

    struct ReaderClient
    {
        HandlePtr handle;
        MidiCodec decoder{64};
        std::map<std::tuple<int, int, int>, MidiSysExAssembler> streams;
        std::vector<std::vector<uint8_t>> done; // reused: no allocation per event
        std::tuple<int, int, int> lastKey{-1, -1, -1};
        MidiSysExAssembler* last = nullptr;
        bool pending = false; // the last drain stopped at its cap with events in alsa-lib's buffer

        // The stream of one sender to one port; a dump's pieces come one after the other.
        MidiSysExAssembler& stream(int port, int srcClient, int srcPort)
        {
            const auto key = std::make_tuple(port, srcClient, srcPort);
            if (!last || key != lastKey) {
                last = &streams[key];
                lastKey = key;
            }
            return *last;
        }

        // The streams from or to a port that has gone (port -1: every port of the client).
        void forget(int client, int port)
        {
            const bool own = client == handle->client;
            for (auto it = streams.begin(); it != streams.end();) {
                const auto& [to, fromClient, fromPort] = it->first;
                const bool gone = (fromClient == client && (port < 0 || fromPort == port))
                                  || (own && (port < 0 || to == port));
                it = gone ? streams.erase(it) : std::next(it);
            }
            last = nullptr;
        }

        explicit ReaderClient(HandlePtr h) : handle(std::move(h)) {}
    };

    int pollHandles(std::vector<pollfd>& fds, int timeoutMs)
    {
        return pollEvents ? pollEvents(fds.data(), nfds_t(fds.size()), timeoutMs)
                          : poll(fds.data(), nfds_t(fds.size()), timeoutMs);
    }

    void readerRun()
    {
        // Where the system allows it, the reader runs before the threads that use what it
        // reads: the kernel's queue holds only so much of a dump. Elsewhere it runs as
        // any thread does.
        sched_param realTime{};
        realTime.sched_priority = 10;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &realTime);
        std::vector<std::unique_ptr<ReaderClient>> clients;
        std::vector<pollfd> fds;
        std::vector<size_t> owner; // fds[i] belongs to clients[owner[i]]
        std::vector<Arrival> found;
        auto rebuild = [&] {
            std::vector<HandlePtr> now;
            {
                std::lock_guard<std::mutex> lock(handlesMutex);
                now = handles;
                handlesSeen = handlesWanted;
            }
            handlesAck.notify_all();
            std::vector<std::unique_ptr<ReaderClient>> kept;
            for (const HandlePtr& h : now) {
                auto it = std::find_if(clients.begin(), clients.end(),
                                       [&](const std::unique_ptr<ReaderClient>& c) { return c && c->handle == h; });
                kept.push_back(it != clients.end() ? std::move(*it) : std::make_unique<ReaderClient>(h));
            }
            clients = std::move(kept);
            fds.assign(1, pollfd{wakePipe[0], POLLIN, 0});
            owner.assign(1, 0);
            for (size_t i = 0; i < clients.size(); ++i) {
                snd_seq_t* seq = clients[i]->handle->seq;
                const int count = snd_seq_poll_descriptors_count(seq, POLLIN);
                std::vector<pollfd> own(size_t(std::max(count, 0)));
                snd_seq_poll_descriptors(seq, own.data(), unsigned(own.size()), POLLIN);
                for (const pollfd& p : own) {
                    fds.push_back(p);
                    owner.push_back(i);
                }
            }
        };
        rebuild();
        // Announcements wait until the clients' queues are read to their end: what a
        // program sent before it quit is delivered before its port is forgotten.
        std::vector<Arrival> announced;
        std::vector<bool> due;
        while (!stopping.load()) {
            // poll() sees the kernel's queues only: while alsa-lib holds events of a
            // client, it looks and does not wait.
            const bool holding = std::any_of(clients.begin(), clients.end(),
                                             [](const std::unique_ptr<ReaderClient>& c) { return c->pending; });
            if (pollHandles(fds, holding ? 0 : -1) < 0) {
                if (errno == EINTR)
                    continue;
                const int error = errno;
                qCCritical(lcPlatformMidi).nospace() << "ALSA sequencer input thread ended: poll() failed ("
                                                     << strerror(error) << "); no MIDI input arrives from now on";
                break;
            }
            if (fds[0].revents & POLLIN) {
                char buffer[64];
                while (read(wakePipe[0], buffer, sizeof buffer) > 0) {
                }
                if (stopping.load())
                    break;
                rebuild();
                continue;
            }
            due.assign(clients.size(), false);
            for (size_t i = 1; i < fds.size(); ++i)
                if (fds[i].revents & (POLLIN | POLLERR))
                    due[owner[i]] = true;
            // The watch comes first: what the other queues hold once it has been read
            // came before the announcements it brought.
            bool behind = false;
            for (size_t i = 0; i < clients.size(); ++i) {
                ReaderClient& c = *clients[i];
                const bool watching = c.handle == watch;
                if (due[i] || c.pending || (!watching && !announced.empty()))
                    c.pending = drain(c, watching ? announced : found);
                behind = behind || (!watching && c.pending);
            }
            if (!behind && !announced.empty()) {
                for (const Arrival& a : announced)
                    if (a.announcement && (a.type == SND_SEQ_EVENT_PORT_EXIT || a.type == SND_SEQ_EVENT_CLIENT_EXIT))
                        for (auto& c : clients)
                            c->forget(a.client, a.type == SND_SEQ_EVENT_PORT_EXIT ? a.port : -1);
                std::move(announced.begin(), announced.end(), std::back_inserter(found));
                announced.clear();
            }
            if (!found.empty()) {
                {
                    std::lock_guard<std::mutex> lock(deliveryMutex);
                    for (Arrival& a : found)
                        arrivals.push_back(std::move(a));
                }
                found.clear();
                deliveryWake.notify_one();
            }
        }
        // Disposing no longer waits for this thread, and sends fail from now on.
        std::lock_guard<std::mutex> lock(handlesMutex);
        handlesSeen = handlesWanted;
        readerEnded = true;
        handlesAck.notify_all();
    }

    // Reader thread: what is queued on one handle, a little work per event, up to the
    // cap. True when it stopped there with events left in alsa-lib's buffer.
    bool drain(ReaderClient& c, std::vector<Arrival>& found)
    {
        const bool watching = c.handle == watch;
        // One time for what one read brings: the events came together.
        const uint64_t now = MidiService::hostTime();
        for (int n = 0; n < eventsPerDrain; ++n) {
            snd_seq_event_t* ev = nullptr;
            const int r = snd_seq_event_input(c.handle->seq, &ev);
            if (r == -ENOSPC) {
                overran(c, found, watching);
                continue;
            }
            if (r < 0 || !ev)
                break;
            if (watching) {
                if (isAnnouncement(ev->type)) {
                    Arrival a;
                    a.announcement = true;
                    a.type = ev->type;
                    a.client = ev->data.addr.client;
                    a.port = ev->data.addr.port;
                    found.push_back(std::move(a));
                }
                continue;
            }
            if (ev->type == SND_SEQ_EVENT_SYSEX) {
                if ((ev->flags & SND_SEQ_EVENT_LENGTH_MASK) != SND_SEQ_EVENT_LENGTH_VARIABLE)
                    continue;
                c.done.clear();
                c.stream(ev->dest.port, ev->source.client, ev->source.port)
                    .feed(static_cast<const uint8_t*>(ev->data.ext.ptr), ev->data.ext.len, c.done);
                for (std::vector<uint8_t>& message : c.done)
                    found.push_back(arrival(*ev, std::move(message), now));
                continue;
            }
            if (!c.decoder.get())
                continue;
            unsigned char buf[16];
            const long length = snd_midi_event_decode(c.decoder.get(), buf, sizeof buf, ev);
            if (length > 0) // else no MIDI message (subscriptions and the like)
                found.push_back(arrival(*ev, std::vector<uint8_t>(buf, buf + length), now));
        }
        return snd_seq_event_input_pending(c.handle->seq, 0) > 0;
    }

    static Arrival arrival(const snd_seq_event_t& ev, std::vector<uint8_t> bytes, uint64_t time)
    {
        Arrival a;
        a.client = ev.dest.client;
        a.port = ev.dest.port;
        a.srcClient = ev.source.client;
        a.srcPort = ev.source.port;
        a.packet.timeStamp = time;
        a.packet.bytes = std::move(bytes);
        return a;
    }

    // The kernel found the client's queue full and emptied it: pieces are lost.
    void overran(ReaderClient& c, std::vector<Arrival>& found, bool watching)
    {
        if (watching) {
            qCWarning(lcPlatformMidi) << "ALSA sequencer announcements overran; the ports are read again";
            Arrival a;
            a.rescan = true;
            found.push_back(std::move(a));
            return;
        }
        int dropped = 0;
        for (auto& entry : c.streams)
            dropped += entry.second.interrupt() ? 1 : 0;
        qCWarning(lcPlatformMidi).nospace()
            << "ALSA sequencer input overran (client " << c.handle->client << "): " << dropped
            << " system-exclusive message(s) in progress dropped";
    }

    // ================= delivery

    void deliveryRun()
    {
        std::unique_lock<std::mutex> lock(deliveryMutex);
        for (;;) {
            deliveryWake.wait(lock, [this] { return deliveryStop || !arrivals.empty(); });
            if (deliveryStop)
                break;
            std::deque<Arrival> batch;
            batch.swap(arrivals);
            lock.unlock();
            deliver(batch);
            lock.lock();
        }
    }

    void deliver(std::deque<Arrival>& batch)
    {
        bool changed = false;
        MidiPacketList list;
        const Arrival* head = nullptr;
        auto flush = [&] {
            if (head && !list.empty())
                dispatch(*head, list);
            list.clear();
            head = nullptr;
        };
        for (const Arrival& a : batch) {
            if (a.announcement || a.rescan) {
                flush();
                changed = true;
                if (a.announcement
                    && (a.type == SND_SEQ_EVENT_PORT_EXIT || a.type == SND_SEQ_EVENT_CLIENT_EXIT))
                    leave(a.client, a.type == SND_SEQ_EVENT_PORT_EXIT ? a.port : -1);
                continue;
            }
            if (head && (head->client != a.client || head->port != a.port || head->srcClient != a.srcClient
                         || head->srcPort != a.srcPort || list.size() >= kPacketsPerList))
                flush();
            if (!head)
                head = &a;
            list.push_back(a.packet);
        }
        flush();
        if (changed) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                dirty = true;
            }
            rescan();
        }
        notifyIfChanged();
    }

    // An endpoint that has gone is gone at once, before the ports are read again.
    void leave(int client, int port)
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<MidiRef> refs;
        for (const auto& [key, ref] : liveByAddress)
            if (int(key >> 16) == client && (port < 0 || int(key & 0xFFFF) == port))
                refs.push_back(ref);
        for (MidiRef ref : refs)
            markGone(ref);
    }

    void dispatch(const Arrival& head, const MidiPacketList& list)
    {
        std::unique_lock<std::mutex> lock(mutex);
        auto own = ownByAddress.find(addressKey(head.client, head.port));
        if (own == ownByAddress.end())
            return;
        const MidiRef target = own->second;
        Object& o = objects.at(target);
        void* refCon = o.refCon;
        if (o.kind == Kind::InputPort) {
            auto conn = o.connections.find(sourceRefAt(head.srcClient, head.srcPort));
            if (conn == o.connections.end())
                return;
            refCon = conn->second;
        } else if (o.kind != Kind::Destination) {
            return;
        }
        MidiReadProc proc = o.proc;
        active = target;
        lock.unlock();
        proc(list, refCon);
        lock.lock();
        active = 0;
        progress.notify_all();
    }

    void notifyIfChanged()
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (generation == notified)
            return;
        notified = generation;
        std::vector<MidiRef> clients;
        for (const auto& [ref, o] : objects)
            if (o.kind == Kind::Client && o.notify)
                clients.push_back(ref);
        for (MidiRef client : clients) {
            auto it = objects.find(client);
            if (it == objects.end() || !it->second.notify)
                continue;
            MidiNotifyProc proc = it->second.notify;
            active = client;
            lock.unlock();
            proc();
            lock.lock();
            active = 0;
            progress.notify_all();
        }
    }

    // ================= output

    // Cuts the packets into sequencer events for one route, under the sender's lock.
    std::vector<OutEvent> cut(Route& route, const MidiPacketList& packets)
    {
        std::vector<MidiOutgoingCutter::Unit> units;
        for (const MidiPacket& p : packets)
            route.sender->cutter.cut(p.bytes.data(), p.bytes.size(), units);
        std::vector<OutEvent> events;
        for (MidiOutgoingCutter::Unit& u : units) {
            if (u.sysex) {
                OutEvent e;
                e.sysex = true;
                e.begins = u.begins;
                e.ends = u.ends;
                e.cost = u.bytes.size();
                e.bytes = std::move(u.bytes);
                events.push_back(std::move(e));
                continue;
            }
            if (!route.sender->encoder.get())
                continue;
            size_t taken = 0;
            for (uint8_t b : u.bytes) {
                ++taken;
                OutEvent e;
                snd_seq_ev_clear(&e.ev);
                if (snd_midi_event_encode_byte(route.sender->encoder.get(), b, &e.ev) != 1
                    || e.ev.type == SND_SEQ_EVENT_NONE)
                    continue;
                e.cost = taken;
                taken = 0;
                events.push_back(std::move(e));
            }
        }
        return events;
    }

    // The destination is still the one the ref names, and the sender is subscribed to
    // it: the kernel's ports take events only from a subscribed sender. A program that
    // took the address of one that has gone is never written to.
    bool checkRoute(const Route& route)
    {
        if (route.toSubscribers)
            return true;
        snd_seq_port_subscribe_t* sub;
        snd_seq_port_subscribe_alloca(&sub);
        snd_seq_addr_t from{uint8_t(route.handle->client), uint8_t(route.fromPort)};
        snd_seq_addr_t to{uint8_t(route.destClient), uint8_t(route.destPort)};
        snd_seq_port_subscribe_set_sender(sub, &from);
        snd_seq_port_subscribe_set_dest(sub, &to);
        if (snd_seq_get_port_subscription(route.handle->seq, sub) == 0)
            return true;
        if (!route.own) {
            bool found = false;
            const PortIdentity now = identityAt(route.handle->seq, route.destClient, route.destPort, &found);
            if (!found || !(now == route.identity)) {
                std::lock_guard<std::mutex> lock(mutex);
                markGone(route.dest);
                return false;
            }
        }
        const int r = snd_seq_subscribe_port(route.handle->seq, sub);
        return r == 0 || r == -EBUSY;
    }

    // Waits, for at most the stall bound, until the receiver has room for the event; false
    // at once when its pool can never hold it. The kernel refuses what does not fit and
    // then clears the receiver's whole queue at its next read: nothing is written that
    // would not fit.
    bool waitForRoom(const Route& route, int client, int cells, Clock::time_point deadline)
    {
        for (;;) {
            AlsaClientRoom r;
            if (!alsaClientRoom(route.handle->fd, client, r) || r.pool == 0 || r.free >= cells)
                return true; // the kernel's own clients have no pool
            if (r.pool < cells || !pauseUntil(deadline))
                return false;
        }
    }

    // A short timed wait; false once the deadline has passed or the service stops.
    bool pauseUntil(Clock::time_point deadline)
    {
        const auto now = Clock::now();
        if (now >= deadline || stopping.load())
            return false;
        std::unique_lock<std::mutex> lock(stallMutex);
        stallWake.wait_until(lock, std::min(deadline, now + kRoomPoll), [this] { return stopping.load(); });
        return !stopping.load();
    }

    // The destination, or each port subscribed to the sending port: each is written to
    // at its own address, so that one that refuses fails alone, and no other gets a
    // piece twice.
    std::vector<snd_seq_addr_t> receiversOf(const Route& route)
    {
        std::vector<snd_seq_addr_t> found;
        if (!route.toSubscribers) {
            found.push_back(snd_seq_addr_t{uint8_t(route.destClient), uint8_t(route.destPort)});
            return found;
        }
        snd_seq_query_subscribe_t* query;
        snd_seq_query_subscribe_alloca(&query);
        snd_seq_addr_t root{uint8_t(route.handle->client), uint8_t(route.fromPort)};
        snd_seq_query_subscribe_set_root(query, &root);
        snd_seq_query_subscribe_set_type(query, SND_SEQ_QUERY_SUBS_READ);
        snd_seq_query_subscribe_set_index(query, 0);
        while (snd_seq_query_port_subscribers(route.handle->seq, query) >= 0) {
            found.push_back(*snd_seq_query_subscribe_get_addr(query));
            snd_seq_query_subscribe_set_index(query, snd_seq_query_subscribe_get_index(query) + 1);
        }
        return found;
    }

    // Writes one event to one receiver, waiting for one that is slow to read; false when
    // it cannot be delivered within the stall bound. A refused write is never repeated:
    // a user client's queue is cleared at its next read after a refusal, and a kernel
    // port may have passed on part of the event (a raw MIDI write, a port's own
    // subscribers) before it refused.
    bool writeEvent(const Route& route, OutEvent& e, const snd_seq_addr_t& to, Clock::time_point deadline)
    {
        snd_seq_event_t ev = e.ev;
        if (e.sysex) {
            snd_seq_ev_clear(&ev);
            snd_seq_ev_set_sysex(&ev, unsigned(e.bytes.size()), e.bytes.data());
        }
        snd_seq_ev_set_source(&ev, route.fromPort);
        snd_seq_ev_set_dest(&ev, to.client, to.port);
        snd_seq_ev_set_direct(&ev);
        const int cells = alsaEventCells(e.sysex ? int(e.bytes.size()) : 0);
        if (!waitForRoom(route, to.client, cells, deadline))
            return false;
        std::lock_guard<std::mutex> writing(route.handle->writeMutex);
        return snd_seq_event_output_direct(route.handle->seq, &ev) >= 0;
    }

    // The caller's thread: everything goes now, or fails within the stall bound for each
    // receiver. A receiver that fails a message gets none of the rest of it; the others
    // get it whole.
    int32_t sendNow(Route& route, const MidiPacketList& packets)
    {
        Sender& sender = *route.sender;
        std::lock_guard<std::mutex> lock(sender.mutex);
        std::vector<OutEvent> events = cut(route, packets);
        if (events.empty())
            return kMidiNoError;
        const std::vector<snd_seq_addr_t> receivers = receiversOf(route);
        std::vector<bool> skipping(receivers.size()), failed(receivers.size());
        for (size_t i = 0; i < receivers.size(); ++i)
            skipping[i] = std::count(sender.failed.begin(), sender.failed.end(),
                                     addressKey(receivers[i].client, receivers[i].port))
                          > 0;
        for (OutEvent& e : events) {
            const bool routed = checkRoute(route);
            // One bound for the event, however many of its receivers are slow.
            const auto deadline = Clock::now() + kStallBound;
            for (size_t i = 0; i < receivers.size(); ++i) {
                // Other events (a real-time byte inside a dump) are no part of the message.
                if (e.sysex && !e.begins && skipping[i]) {
                    skipping[i] = !e.ends;
                    continue;
                }
                if (e.sysex)
                    skipping[i] = false;
                if (!routed || !writeEvent(route, e, receivers[i], deadline)) {
                    failed[i] = true;
                    if (e.sysex)
                        skipping[i] = !e.ends;
                }
            }
        }
        sender.failed.clear();
        for (size_t i = 0; i < receivers.size(); ++i)
            if (skipping[i])
                sender.failed.push_back(addressKey(receivers[i].client, receivers[i].port));
        if (!sender.failed.empty() && sender.failed.size() == receivers.size())
            sender.cutter.failMessage(); // the rest of it goes to nobody
        int32_t status = kMidiNoError;
        for (size_t i = 0; i < receivers.size(); ++i) {
            if (!failed[i])
                continue;
            status = kMidiFailure;
            qCWarning(lcPlatformMidi).nospace() << "ALSA sequencer: a message to " << receivers[i].client << ":"
                                                << receivers[i].port << " could not be delivered";
        }
        return status;
    }

    // The output thread takes it at the cable's pace; the caller does not wait.
    int32_t sendPaced(Route& route, const MidiPacketList& packets)
    {
        std::lock_guard<std::mutex> lock(route.sender->mutex);
        {
            std::lock_guard<std::mutex> out(outMutex);
            PacedLine& line = lines[route.dest];
            if (line.failed) {
                // What was waiting for this cable could not be delivered.
                line.failed = false;
                return kMidiFailure;
            }
        }
        if (!checkRoute(route))
            return kMidiFailure;
        std::vector<OutEvent> events = cut(route, packets);
        if (events.empty())
            return kMidiNoError;
        {
            std::lock_guard<std::mutex> out(outMutex);
            PacedLine& line = lines[route.dest];
            for (OutEvent& e : events)
                line.items.push_back(PacedLine::Item{route, std::move(e)});
        }
        outWake.notify_all();
        return kMidiNoError;
    }

    void outputRun()
    {
        std::unique_lock<std::mutex> lock(outMutex);
        while (!outStop) {
            const auto now = Clock::now();
            PacedLine* next = nullptr;
            Clock::time_point due{};
            for (auto& entry : lines) {
                PacedLine& line = entry.second;
                if (line.items.empty())
                    continue;
                const auto when = line.pacer.due(now);
                if (!next || when < due) {
                    next = &line;
                    due = when;
                }
            }
            if (!next) {
                outWake.wait(lock);
                continue;
            }
            if (due > now) {
                outWake.wait_until(lock, due);
                continue;
            }
            PacedLine::Item item = std::move(next->items.front());
            next->items.pop_front();
            next->writing = true;
            next->writingFrom = item.route.from;
            outWriting = item.route.handle.get();
            lock.unlock();
            // A paced line goes to one destination.
            const snd_seq_addr_t to = receiversOf(item.route).front();
            const bool ok = checkRoute(item.route) && writeEvent(item.route, item.event, to, Clock::now() + kStallBound);
            const auto sentAt = Clock::now();
            lock.lock();
            outWriting = nullptr;
            outWake.notify_all();
            auto line = lines.find(item.route.dest);
            if (line == lines.end())
                continue;
            line->second.writing = false;
            line->second.writingFrom = 0;
            line->second.pacer.sent(item.event.cost, sentAt);
            line->second.midMessage = ok && !item.event.ends;
            if (!ok) {
                qCWarning(lcPlatformMidi).nospace()
                    << "ALSA sequencer: a message to " << item.route.destClient << ":" << item.route.destPort
                    << " could not be delivered; " << line->second.items.size() << " waiting events dropped";
                line->second.items.clear();
                line->second.failed = true;
                const SenderPtr sender = item.route.sender;
                lock.unlock();
                {
                    // Its bytes still to come are not sent after a hole.
                    std::lock_guard<std::mutex> cutting(sender->mutex);
                    sender->cutter.failMessage();
                }
                lock.lock();
            }
        }
    }

    // Drops what waits for a cable from or to an endpoint that goes, and returns once
    // the message under way has left: no receiver gets a message with its end missing.
    void finishPaced(MidiRef ref)
    {
        std::unique_lock<std::mutex> lock(outMutex);
        auto mine = [ref](MidiRef dest, const PacedLine::Item& item) { return dest == ref || item.route.from == ref; };
        for (auto& [dest, line] : lines) {
            std::deque<PacedLine::Item> kept;
            bool finishing = line.midMessage;
            for (PacedLine::Item& item : line.items) {
                if (!mine(dest, item)) {
                    kept.push_back(std::move(item));
                } else if (finishing) {
                    finishing = !item.event.ends;
                    kept.push_back(std::move(item));
                }
            }
            line.items = std::move(kept);
        }
        outWake.notify_all();
        outWake.wait(lock, [&] {
            if (outStop)
                return true;
            for (const auto& [dest, line] : lines) {
                if (line.writing && (dest == ref || line.writingFrom == ref))
                    return false;
                for (const PacedLine::Item& item : line.items)
                    if (mine(dest, item))
                        return false;
            }
            return true;
        });
    }
};

bool AlsaMidiBackend::available()
{
    quietAlsa();
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0)
        return false;
    snd_seq_close(seq);
    return true;
}

AlsaMidiBackend::AlsaMidiBackend() : d(new Private)
{
    quietAlsa();
    {
        std::lock_guard<std::mutex> lock(testingMutex);
        d->pollEvents = testingPoll;
        if (testingEventsPerDrain > 0)
            d->eventsPerDrain = testingEventsPerDrain;
    }
    // A client of its own that only listens to the announcements and asks the
    // kernel; its port is not offered to other programs.
    d->watch = openHandle(QStringLiteral("TOVAR-VANTREL port watch"));
    if (!d->watch)
        return;
    d->watchPort = snd_seq_create_simple_port(d->watch->seq, "announcements",
                                              SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                              SND_SEQ_PORT_TYPE_APPLICATION);
    if (d->watchPort < 0
        || snd_seq_connect_from(d->watch->seq, d->watchPort, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE) < 0
        || pipe2(d->wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) {
        d->watch.reset();
        return;
    }
    d->handles.push_back(d->watch);
    d->rescan();
    d->reader = std::thread([this] { d->readerRun(); });
    d->delivery = std::thread([this] { d->deliveryRun(); });
    d->output = std::thread([this] { d->outputRun(); });
}

AlsaMidiBackend::~AlsaMidiBackend()
{
    d->stopping = true;
    d->stallWake.notify_all();
    if (d->reader.joinable()) {
        d->wakeReader();
        d->reader.join();
    }
    {
        std::lock_guard<std::mutex> lock(d->deliveryMutex);
        d->deliveryStop = true;
    }
    d->deliveryWake.notify_all();
    if (d->delivery.joinable())
        d->delivery.join();
    {
        std::lock_guard<std::mutex> lock(d->outMutex);
        d->outStop = true;
        d->lines.clear();
    }
    d->outWake.notify_all();
    if (d->output.joinable())
        d->output.join();
    d->senders.clear();
    d->objects.clear();
    d->handles.clear();
    d->watch.reset();
    for (int fd : d->wakePipe)
        if (fd >= 0)
            close(fd);
}

bool AlsaMidiBackend::isOpen() const { return d->watch && d->reader.joinable(); }

QString AlsaMidiBackend::backendName() const { return QStringLiteral("alsa"); }

int32_t AlsaMidiBackend::createClient(const QString& name, MidiRef* client)
{
    if (!client)
        return kMidiInvalidArgument;
    *client = 0;
    if (!isOpen() || d->readerEnded)
        return kMidiFailure;
    HandlePtr handle = openHandle(name);
    if (!handle)
        return kMidiFailure;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        Private::Object o(Private::Kind::Client);
        o.name = name;
        o.handle = handle;
        *client = d->nextRef++;
        d->objects.emplace(*client, std::move(o));
    }
    d->addHandle(handle);
    return kMidiNoError;
}

int32_t AlsaMidiBackend::disposeClient(MidiRef client)
{
    HandlePtr handle;
    {
        std::unique_lock<std::mutex> lock(d->mutex);
        auto it = d->objects.find(client);
        if (it == d->objects.end() || it->second.kind != Private::Kind::Client)
            return kMidiInvalidArgument;
        std::vector<MidiRef> owned;
        for (const auto& [ref, o] : d->objects)
            if (o.kind != Private::Kind::Client && o.kind != Private::Kind::Remote && o.client == client)
                owned.push_back(ref);
        for (MidiRef ref : owned)
            d->removePort(ref, lock);
        it = d->objects.find(client);
        if (it == d->objects.end())
            return kMidiNoError;
        handle = it->second.handle;
        d->objects.erase(it);
        d->waitForCallback(client, lock);
    }
    if (handle) {
        d->removeHandle(handle);
        {
            std::unique_lock<std::mutex> out(d->outMutex);
            d->outWake.wait(out, [&] { return d->outWriting != handle.get() || d->outStop; });
        }
        // Closed here unless a send under way still holds it; then when that ends.
        handle.reset();
    }
    return kMidiNoError;
}

int32_t AlsaMidiBackend::setNotifyProc(MidiRef client, MidiNotifyProc proc)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    auto it = d->objects.find(client);
    if (it == d->objects.end() || it->second.kind != Private::Kind::Client)
        return kMidiInvalidArgument;
    it->second.notify = std::move(proc);
    return kMidiNoError;
}

int32_t AlsaMidiBackend::createInputPort(MidiRef client, const QString& name, MidiReadProc proc,
                                         MidiRef* port)
{
    if (!proc)
        return kMidiInvalidArgument;
    return d->createPort(Private::Kind::InputPort, client, name, kWritable, std::move(proc), nullptr, port);
}

int32_t AlsaMidiBackend::createOutputPort(MidiRef client, const QString& name, MidiRef* port)
{
    return d->createPort(Private::Kind::OutputPort, client, name, kReadable, {}, nullptr, port);
}

int32_t AlsaMidiBackend::disposePort(MidiRef port)
{
    std::unique_lock<std::mutex> lock(d->mutex);
    auto it = d->objects.find(port);
    if (it == d->objects.end()
        || (it->second.kind != Private::Kind::InputPort && it->second.kind != Private::Kind::OutputPort))
        return kMidiInvalidArgument;
    d->removePort(port, lock);
    return kMidiNoError;
}

int32_t AlsaMidiBackend::connectSource(MidiRef inputPort, MidiRef source, void* connRefCon)
{
    if (d->readerEnded)
        return kMidiFailure; // nothing would read what comes
    std::lock_guard<std::mutex> lock(d->mutex);
    auto it = d->objects.find(inputPort);
    auto src = d->objects.find(source);
    if (it == d->objects.end() || it->second.kind != Private::Kind::InputPort || src == d->objects.end())
        return kMidiInvalidArgument;
    int client = -1, port = -1;
    if (src->second.kind == Private::Kind::Remote && !src->second.gone) {
        client = src->second.remoteClient;
        port = src->second.remotePort;
    } else if (src->second.kind == Private::Kind::Source) {
        HandlePtr h = d->handleOf(src->second);
        client = h ? h->client : -1;
        port = src->second.port;
    }
    HandlePtr handle = d->handleOf(it->second);
    if (client < 0 || !handle)
        return kMidiInvalidArgument;
    const int r = snd_seq_connect_from(handle->seq, it->second.port, client, port);
    if (r < 0 && r != -EBUSY)
        return kMidiFailure;
    it->second.connections[source] = connRefCon;
    return kMidiNoError;
}

int32_t AlsaMidiBackend::disconnectSource(MidiRef inputPort, MidiRef source)
{
    std::unique_lock<std::mutex> lock(d->mutex);
    auto it = d->objects.find(inputPort);
    if (it == d->objects.end() || it->second.kind != Private::Kind::InputPort
        || it->second.connections.erase(source) == 0)
        return kMidiInvalidArgument;
    auto src = d->objects.find(source);
    HandlePtr handle = d->handleOf(it->second);
    if (handle && src != d->objects.end() && src->second.kind == Private::Kind::Remote && !src->second.gone)
        snd_seq_disconnect_from(handle->seq, it->second.port, src->second.remoteClient, src->second.remotePort);
    else if (handle && src != d->objects.end() && src->second.kind == Private::Kind::Source)
        if (HandlePtr own = d->handleOf(src->second))
            snd_seq_disconnect_from(handle->seq, it->second.port, own->client, src->second.port);
    d->waitForCallback(inputPort, lock);
    return kMidiNoError;
}

int AlsaMidiBackend::numberOfSources()
{
    if (!isOpen())
        return 0;
    d->ensureCurrent();
    std::lock_guard<std::mutex> lock(d->mutex);
    return int(d->sources.size());
}

MidiRef AlsaMidiBackend::source(int index)
{
    if (!isOpen() || index < 0)
        return 0;
    d->ensureCurrent();
    std::lock_guard<std::mutex> lock(d->mutex);
    return size_t(index) < d->sources.size() ? d->sources[size_t(index)] : 0;
}

int AlsaMidiBackend::numberOfDestinations()
{
    if (!isOpen())
        return 0;
    d->ensureCurrent();
    std::lock_guard<std::mutex> lock(d->mutex);
    return int(d->destinations.size());
}

MidiRef AlsaMidiBackend::destination(int index)
{
    if (!isOpen() || index < 0)
        return 0;
    d->ensureCurrent();
    std::lock_guard<std::mutex> lock(d->mutex);
    return size_t(index) < d->destinations.size() ? d->destinations[size_t(index)] : 0;
}

QString AlsaMidiBackend::endpointName(MidiRef endpoint)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    auto it = d->objects.find(endpoint);
    if (it == d->objects.end())
        return QString();
    const Private::Object& o = it->second;
    if (o.kind == Private::Kind::Source || o.kind == Private::Kind::Destination)
        return o.name;
    if (o.kind == Private::Kind::Remote && !o.gone)
        return o.name;
    return QString();
}

int32_t AlsaMidiBackend::send(MidiRef outputPort, MidiRef destination, const MidiPacketList& packets)
{
    // Without the reader, no receiver of this process reads and no port's going is seen.
    if (d->readerEnded)
        return kMidiFailure;
    Route route;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        auto it = d->objects.find(outputPort);
        if (it == d->objects.end() || it->second.kind != Private::Kind::OutputPort)
            return kMidiInvalidArgument;
        auto dest = d->objects.find(destination);
        if (dest == d->objects.end())
            return kMidiInvalidArgument;
        const Private::Object& o = dest->second;
        if (o.kind == Private::Kind::Remote) {
            if (o.gone || (o.caps & kWritable) != kWritable)
                return kMidiInvalidArgument;
            route.destClient = o.remoteClient;
            route.destPort = o.remotePort;
            route.identity = o.identity;
            route.paced = isCable(o.type);
        } else if (o.kind == Private::Kind::Destination) {
            HandlePtr h = d->handleOf(o);
            if (!h)
                return kMidiInvalidArgument;
            route.destClient = h->client;
            route.destPort = o.port;
            route.own = true;
        } else {
            return kMidiInvalidArgument;
        }
        route.handle = d->handleOf(it->second);
        if (!route.handle)
            return kMidiInvalidArgument;
        route.fromPort = it->second.port;
        route.from = outputPort;
        route.dest = destination;
        route.sender = d->senderFor(outputPort, destination);
    }
    return route.paced ? d->sendPaced(route, packets) : d->sendNow(route, packets);
}

int32_t AlsaMidiBackend::createSource(MidiRef client, const QString& name, MidiRef* source)
{
    return d->createPort(Private::Kind::Source, client, name, kReadable, {}, nullptr, source);
}

int32_t AlsaMidiBackend::createDestination(MidiRef client, const QString& name, MidiReadProc proc,
                                           void* refCon, MidiRef* destination)
{
    if (!proc)
        return kMidiInvalidArgument;
    return d->createPort(Private::Kind::Destination, client, name, kWritable, std::move(proc), refCon,
                         destination);
}

int32_t AlsaMidiBackend::received(MidiRef source, const MidiPacketList& packets)
{
    if (d->readerEnded)
        return kMidiFailure;
    Route route;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        auto it = d->objects.find(source);
        if (it == d->objects.end() || it->second.kind != Private::Kind::Source)
            return kMidiInvalidArgument;
        route.handle = d->handleOf(it->second);
        if (!route.handle)
            return kMidiInvalidArgument;
        route.fromPort = it->second.port;
        route.toSubscribers = true;
        route.from = source;
        route.sender = d->senderFor(source, 0);
    }
    return d->sendNow(route, packets);
}

int32_t AlsaMidiBackend::disposeEndpoint(MidiRef endpoint)
{
    std::unique_lock<std::mutex> lock(d->mutex);
    auto it = d->objects.find(endpoint);
    if (it == d->objects.end()
        || (it->second.kind != Private::Kind::Source && it->second.kind != Private::Kind::Destination))
        return kMidiInvalidArgument;
    d->removePort(endpoint, lock);
    return kMidiNoError;
}

} // namespace NS_Platform
#endif
