#ifdef VANTREL_HAVE_ALSA
// The reader of the ALSA backend: one thread polls every client and does little per
// event. It gathers system-exclusive pieces into whole messages and decides, as it reads
// a message, which own port and which connection it is for; the delivery thread then
// only calls the procedures. A client's own queue brings the announcements too, in
// order with what it receives: what a program sent before it went is told apart from
// what one that took its address sends after, whatever the lists say meanwhile.
#include "AlsaBackendPrivate.h"
#include "AlsaClientPool.h"
#include "MidiSysExAssembler.h"
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <pthread.h>
#include <sched.h>
#include <tuple>
#include <unistd.h>

namespace NS_Platform {

using namespace AlsaBackend;

struct AlsaMidiBackend::Private::ReaderClient
{
    using StreamKey = std::tuple<int, int, int>; // own port, sender's client and port

    explicit ReaderClient(HandlePtr h) : handle(std::move(h)) {}

    HandlePtr handle;
    MidiCodec decoder{64};
    // The stream of one sender to one port. An address names one sender at each point of
    // the client's own queue, which brings a sender's exit before anything another sends
    // from its address: the streams are those of the sender, not of the address.
    std::map<StreamKey, MidiSysExAssembler> streams;
    std::vector<std::vector<uint8_t>> done; // reused: no allocation per event
    StreamKey lastKey{-1, -1, -1};
    MidiSysExAssembler* last = nullptr;
    bool pending = false; // the last drain stopped at its cap with events in alsa-lib's buffer
    // The queue overran and took exits with it: for this many readings of the watch, the
    // exits the watch brings end this client's streams and connections too.
    int exitsFromWatch = 0;

    // The stream of one sender to one port; a dump's pieces come one after the other.
    MidiSysExAssembler& stream(int port, int srcClient, int srcPort)
    {
        const StreamKey key{port, srcClient, srcPort};
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
            const bool gone = (fromClient == client && (port < 0 || fromPort == port)) || (own && (port < 0 || to == port));
            it = gone ? streams.erase(it) : std::next(it);
        }
        last = nullptr;
    }
};

void AlsaMidiBackend::Private::wakeReader()
{
    const char byte = 1;
    if (::write(wakePipe[1], &byte, 1) != 1)
        qCWarning(lcPlatformMidi) << "cannot wake the ALSA input thread";
}

void AlsaMidiBackend::Private::addHandle(const HandlePtr& h)
{
    {
        std::lock_guard<std::mutex> lock(handlesMutex);
        handles.push_back(h);
        ++handlesWanted;
    }
    wakeReader();
}

// Returns once the reader no longer reads from the handle.
void AlsaMidiBackend::Private::removeHandle(const HandlePtr& h)
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

void AlsaMidiBackend::Private::readerRun()
{
    // Where the system allows it, the reader runs before the threads that use what it
    // reads: the kernel's queue holds only so much of a dump. Elsewhere it runs as any
    // thread does.
    sched_param realTime{};
    realTime.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realTime);
    std::vector<std::unique_ptr<ReaderClient>> clients;
    std::vector<pollfd> fds;
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
        // fds[i + 1] is clients[i]'s: each handle has its one descriptor.
        fds.assign(1, pollfd{wakePipe[0], POLLIN, 0});
        for (const auto& c : clients)
            fds.push_back(pollfd{c->handle->fd, POLLIN, 0});
    };
    rebuild();
    // The watch's announcements wait until the clients' queues are read to their end:
    // the lists change only after what came before.
    std::vector<Arrival> announced;
    while (!stopping.load()) {
        // poll() sees the kernel's queues only: while alsa-lib holds events of a client,
        // it looks and does not wait.
        const bool holding = std::any_of(clients.begin(), clients.end(),
                                         [](const std::unique_ptr<ReaderClient>& c) { return c->pending; });
        const int polled = pollEvents ? pollEvents(fds.data(), nfds_t(fds.size()), holding ? 0 : -1)
                                      : ::poll(fds.data(), nfds_t(fds.size()), holding ? 0 : -1);
        if (polled < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            qCCritical(lcPlatformMidi).nospace() << "ALSA sequencer input thread ended: poll() failed ("
                                                 << strerror(error) << "); no MIDI input arrives from now on";
            break;
        }
        if (fds[0].revents & POLLIN) {
            char buffer[64];
            while (::read(wakePipe[0], buffer, sizeof buffer) > 0) {
            }
            if (stopping.load())
                break;
            rebuild();
            continue;
        }
        // The watch comes first: what the other queues hold once it has been read came
        // before the announcements it brought.
        bool behind = false;
        for (size_t i = 0; i < clients.size(); ++i) {
            ReaderClient& c = *clients[i];
            const bool watching = c.handle == watch;
            const bool due = fds[i + 1].revents & (POLLIN | POLLERR);
            if (due || c.pending || (!watching && !announced.empty()))
                c.pending = drain(c, watching ? announced : found);
            behind = behind || (!watching && c.pending);
        }
        if (!behind && !announced.empty()) {
            for (auto& c : clients) {
                if (c->exitsFromWatch <= 0)
                    continue;
                for (const Arrival& a : announced)
                    if (a.what == Arrival::What::Announcement && isExit(a.type))
                        leftInBand(*c, a.client, a.port, found);
                --c->exitsFromWatch;
            }
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

// What is queued on one handle, a little work per event, up to the cap. True when it
// stopped there with events left in alsa-lib's buffer.
bool AlsaMidiBackend::Private::drain(ReaderClient& c, std::vector<Arrival>& found)
{
    const bool watching = c.handle == watch;
    // One time for what one read brings: the events came together.
    const uint64_t now = MidiService::hostTime();
    for (int n = 0; n < eventsPerDrain; ++n) {
        snd_seq_event_t* ev = nullptr;
        const int r = snd_seq_event_input(c.handle->seq, &ev);
        if (r == -ENOSPC) {
            overran(c, found);
            continue;
        }
        if (r < 0 || !ev)
            break;
        if (ev->source.client == SND_SEQ_CLIENT_SYSTEM) {
            // The kernel's own: announcements to the client's own port, and notices of
            // subscriptions. Only the kernel sends from its client.
            const int port = ev->type == SND_SEQ_EVENT_CLIENT_EXIT ? -1 : ev->data.addr.port;
            if (watching && isAnnouncement(ev->type)) {
                Arrival a;
                a.what = Arrival::What::Announcement;
                a.type = ev->type;
                a.client = ev->data.addr.client;
                a.port = port;
                found.push_back(std::move(a));
            } else if (!watching && ev->dest.port == kClientPort && isExit(ev->type)) {
                leftInBand(c, ev->data.addr.client, port, found);
            }
            continue;
        }
        if (!watching && ev->source.client == c.handle->client && ev->dest.port == kClientPort) {
            // A mark of connectSource: the connection begins here.
            if (ev->type == SND_SEQ_EVENT_USR0) {
                std::lock_guard<std::mutex> lock(routesMutex);
                beginLink(uint64_t(ev->data.raw32.d[0]) | uint64_t(ev->data.raw32.d[1]) << 32);
            }
            continue;
        }
        Arrival a;
        if (watching || !readFor(*ev, a))
            continue; // for no port of this process, or from no source connected to it
        a.packet.timeStamp = now;
        if (ev->type == SND_SEQ_EVENT_SYSEX) {
            if ((ev->flags & SND_SEQ_EVENT_LENGTH_MASK) != SND_SEQ_EVENT_LENGTH_VARIABLE)
                continue;
            c.done.clear();
            c.stream(ev->dest.port, ev->source.client, ev->source.port)
                .feed(static_cast<const uint8_t*>(ev->data.ext.ptr), ev->data.ext.len, c.done);
            for (std::vector<uint8_t>& message : c.done) {
                found.push_back(a);
                found.back().packet.bytes = std::move(message);
            }
            continue;
        }
        if (!c.decoder.get())
            continue;
        unsigned char buf[16];
        const long length = snd_midi_event_decode(c.decoder.get(), buf, sizeof buf, ev);
        if (length > 0) { // else no MIDI message
            a.packet.bytes.assign(buf, buf + length);
            found.push_back(std::move(a));
        }
    }
    return snd_seq_event_input_pending(c.handle->seq, 0) > 0;
}

// Which own port and connection an event is for, as of now in the client's queue.
bool AlsaMidiBackend::Private::readFor(const snd_seq_event_t& ev, Arrival& a)
{
    const int64_t to = addressKey(ev.dest.client, ev.dest.port);
    std::lock_guard<std::mutex> lock(routesMutex);
    auto port = receiving.find(to);
    if (port == receiving.end())
        return false;
    a.target = port->second.ref;
    if (!port->second.input)
        return true;
    auto link = links.find({to, addressKey(ev.source.client, ev.source.port)});
    if (link == links.end())
        return false;
    a.source = link->second.source;
    a.connection = link->second.connection;
    return true;
}

// Under `routesMutex`: a connection whose mark has come (or never will) begins.
void AlsaMidiBackend::Private::beginLink(uint64_t connection)
{
    auto it = marked.find(connection);
    if (it == marked.end())
        return; // disconnected since
    links[{it->second.to, it->second.from}] = it->second;
    marked.erase(it);
}

// Any thread, under `mutex`: writes the mark of a connection into the client's own queue,
// where the reader finds it after everything that came before. It neither waits nor
// takes room another sender found: false when it cannot be written at once.
bool AlsaMidiBackend::Private::markLink(const HandlePtr& handle, uint64_t connection)
{
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    ev.type = SND_SEQ_EVENT_USR0;
    ev.data.raw32.d[0] = uint32_t(connection);
    ev.data.raw32.d[1] = uint32_t(connection >> 32);
    snd_seq_ev_set_source(&ev, kClientPort);
    snd_seq_ev_set_dest(&ev, handle->client, kClientPort);
    snd_seq_ev_set_direct(&ev);
    const std::shared_ptr<std::timed_mutex> gate = gateOf(handle->client);
    std::unique_lock<std::timed_mutex> held(*gate, std::try_to_lock);
    AlsaClientRoom room;
    if (!held.owns_lock() || !alsaClientRoom(handle->fd, handle->client, room) || room.free < alsaEventCells(0))
        return false;
    std::lock_guard<std::mutex> writing(handle->writeMutex);
    return snd_seq_event_output_direct(handle->seq, &ev) >= 0;
}

// A port or a client (port -1) went, at this point of the client's queue: its streams
// end here, and so do the connections of the client's input ports to it, once what
// was read before has been delivered.
void AlsaMidiBackend::Private::leftInBand(ReaderClient& c, int client, int port, std::vector<Arrival>& found)
{
    c.forget(client, port);
    std::lock_guard<std::mutex> lock(routesMutex);
    for (auto it = links.begin(); it != links.end();) {
        const int64_t to = it->first.first, from = it->first.second;
        if (keyClient(to) != c.handle->client || keyClient(from) != client || (port >= 0 && keyPort(from) != port)) {
            ++it;
            continue;
        }
        Arrival a;
        a.what = Arrival::What::ConnectionEnded;
        a.target = it->second.port;
        a.source = it->second.source;
        a.connection = it->second.connection;
        found.push_back(a);
        it = links.erase(it);
    }
}

// The kernel found the client's queue full and emptied it: pieces are lost, and
// announcements with them.
void AlsaMidiBackend::Private::overran(ReaderClient& c, std::vector<Arrival>& found)
{
    if (c.handle == watch) {
        qCWarning(lcPlatformMidi) << "ALSA sequencer announcements overran; the ports are read again";
        Arrival a;
        a.what = Arrival::What::AnnouncementsLost;
        found.push_back(std::move(a));
        return;
    }
    int dropped = 0;
    for (auto& entry : c.streams)
        dropped += entry.second.interrupt() ? 1 : 0;
    {
        // The marks went too: the connections waiting for them begin now.
        std::lock_guard<std::mutex> lock(routesMutex);
        std::vector<uint64_t> waiting;
        for (const auto& [connection, link] : marked)
            if (keyClient(link.to) == c.handle->client)
                waiting.push_back(connection);
        for (uint64_t connection : waiting)
            beginLink(connection);
    }
    // The exits it lost reach the watch in this reading of it or the next.
    c.exitsFromWatch = 2;
    qCWarning(lcPlatformMidi).nospace() << "ALSA sequencer input overran (client " << c.handle->client
                                        << "): " << dropped << " system-exclusive message(s) in progress dropped";
}

} // namespace NS_Platform
#endif
