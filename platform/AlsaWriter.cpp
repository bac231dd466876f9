#ifdef VANTREL_HAVE_ALSA
// The writer of the ALSA backend: every event that leaves one of this process's ports,
// whichever it is, goes through here.
//
// Each receiving client has a gate: the room check and the write are one step, so that
// two senders of this process never fill a receiver beyond its pool between them (the
// kernel refuses what does not fit, and then clears the receiver's whole queue at its
// next read). A receiver that stands for a cable gets its events from the output thread
// at the cable's pace: its driver drops what does not fit in a few kilobytes and still
// reports success. What a port sends reaches the chosen destination and every port
// subscribed to it, each once; a subscription that asked for time stamps is served by
// the kernel's own delivery to subscribers, which stamps events as it was asked to.
#include "AlsaBackendPrivate.h"
#include "AlsaClientPool.h"
#include <algorithm>
#include <cerrno>

namespace NS_Platform {

using namespace AlsaBackend;

// ================= a send

// Events to receivers that read now are written at once, each receiver within the
// stall bound; events to cables wait for the output thread, whose failures the next
// send through the same sender reports. A receiver that fails a message gets none of
// the rest of it; the others get it whole.
int32_t AlsaMidiBackend::Private::sendThrough(Route& route, const MidiPacketList& packets)
{
    Sender& sender = *route.sender;
    std::lock_guard<std::mutex> lock(sender.mutex);
    if (sender.pacedFailed) {
        // What was waiting for a cable could not be delivered.
        sender.pacedFailed = false;
        return kMidiFailure;
    }
    std::vector<OutEvent> events = cut(route, packets);
    if (events.empty())
        return kMidiNoError;
    const std::vector<Target> targets = targetsOf(route);
    std::vector<bool> skipping(targets.size()), failed(targets.size()), unrouted(targets.size());
    for (size_t i = 0; i < targets.size(); ++i) {
        skipping[i] = std::count(sender.failed.begin(), sender.failed.end(), targets[i].key) > 0;
        // A cable's line looks at the route again before each of its events.
        unrouted[i] = targets[i].chosen && targets[i].paced && !checkRoute(route);
    }
    std::vector<PacedLine::Item> paced;
    for (OutEvent& e : events) {
        bool routed = true, checked = false;
        // One bound for the event, however many of its receivers are slow.
        const auto deadline = Clock::now() + kStallBound;
        for (size_t i = 0; i < targets.size(); ++i) {
            const Target& t = targets[i];
            // Other events (a real-time byte inside a dump) are no part of the message.
            if (e.sysex && !e.begins && skipping[i]) {
                skipping[i] = !e.ends;
                continue;
            }
            if (e.sysex)
                skipping[i] = false;
            bool ok = !unrouted[i];
            if (ok && t.paced) {
                paced.push_back(PacedLine::Item{route, t, e});
                continue;
            }
            if (ok && t.chosen && !checked) {
                routed = checkRoute(route);
                checked = true;
            }
            ok = ok && (!t.chosen || routed) && write(route, t, e, deadline);
            if (!ok) {
                failed[i] = true;
                if (e.sysex)
                    skipping[i] = !e.ends;
            }
        }
    }
    sender.failed.clear();
    for (size_t i = 0; i < targets.size(); ++i)
        if (skipping[i])
            sender.failed.push_back(targets[i].key);
    if (!sender.failed.empty() && sender.failed.size() == targets.size())
        sender.cutter.failMessage(); // the rest of it goes to nobody
    if (!paced.empty()) {
        {
            std::lock_guard<std::mutex> out(outMutex);
            for (PacedLine::Item& item : paced)
                lines[item.target.key].items.push_back(std::move(item));
        }
        outWake.notify_all();
    }
    int32_t status = kMidiNoError;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (!failed[i])
            continue;
        status = kMidiFailure;
        if (targets[i].subscribers)
            qCWarning(lcPlatformMidi).nospace() << "ALSA sequencer: a message to the subscribers of "
                                                << route.handle->client << ":" << route.fromPort
                                                << " could not be delivered";
        else
            qCWarning(lcPlatformMidi).nospace() << "ALSA sequencer: a message to " << targets[i].to.client << ":"
                                                << targets[i].to.port << " could not be delivered";
    }
    return status;
}

// Cuts the packets into sequencer events, under the sender's lock.
std::vector<OutEvent> AlsaMidiBackend::Private::cut(Route& route, const MidiPacketList& packets)
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

// The chosen destination, unless it is subscribed to the sending port, and the port's
// subscribers: each written to at its own address, so that one that refuses fails alone
// and no other gets an event twice; or, when a subscription asked for time stamps, all
// subscribers through the kernel's delivery at once.
std::vector<Target> AlsaMidiBackend::Private::targetsOf(const Route& route)
{
    struct Subscriber
    {
        snd_seq_addr_t addr;
        bool stamps;
        bool cable;
    };
    std::vector<Subscriber> subscribers;
    snd_seq_query_subscribe_t* query;
    snd_seq_query_subscribe_alloca(&query);
    snd_seq_port_info_t* info;
    snd_seq_port_info_alloca(&info);
    const snd_seq_addr_t root{uint8_t(route.handle->client), uint8_t(route.fromPort)};
    snd_seq_query_subscribe_set_root(query, &root);
    snd_seq_query_subscribe_set_type(query, SND_SEQ_QUERY_SUBS_READ);
    snd_seq_query_subscribe_set_index(query, 0);
    while (snd_seq_query_port_subscribers(route.handle->seq, query) >= 0) {
        Subscriber s{*snd_seq_query_subscribe_get_addr(query), snd_seq_query_subscribe_get_time_update(query) != 0,
                     false};
        s.cable = snd_seq_get_any_port_info(route.handle->seq, s.addr.client, s.addr.port, info) >= 0
                  && isCable(snd_seq_port_info_get_type(info));
        subscribers.push_back(s);
        snd_seq_query_subscribe_set_index(query, snd_seq_query_subscribe_get_index(query) + 1);
    }
    std::vector<Target> targets;
    const bool chosenSubscribed = std::any_of(subscribers.begin(), subscribers.end(), [&](const Subscriber& s) {
        return s.addr.client == route.destClient && s.addr.port == route.destPort;
    });
    if (route.dest && !chosenSubscribed) {
        Target t;
        t.to = snd_seq_addr_t{uint8_t(route.destClient), uint8_t(route.destPort)};
        t.chosen = true;
        t.paced = route.cable;
        t.clients.push_back(route.destClient);
        t.key = addressKey(route.destClient, route.destPort);
        targets.push_back(t);
    }
    const bool stamps = std::any_of(subscribers.begin(), subscribers.end(), [](const Subscriber& s) { return s.stamps; });
    if (stamps) {
        // Then every subscriber waits for the slowest of them.
        Target t;
        t.subscribers = true;
        t.key = subscribersKey(route.handle->client, route.fromPort);
        for (const Subscriber& s : subscribers) {
            t.clients.push_back(s.addr.client);
            t.paced = t.paced || s.cable;
        }
        targets.push_back(t);
        return targets;
    }
    for (const Subscriber& s : subscribers) {
        Target t;
        t.to = s.addr;
        t.paced = s.cable;
        t.clients.push_back(s.addr.client);
        t.key = addressKey(s.addr.client, s.addr.port);
        targets.push_back(t);
    }
    return targets;
}

// The chosen destination is still the one the ref names, and the client's own port is
// subscribed to it: the kernel's ports take events only while a port is subscribed to
// them. A program that took the address of one that has gone is never written to.
bool AlsaMidiBackend::Private::checkRoute(const Route& route)
{
    snd_seq_port_subscribe_t* sub;
    snd_seq_port_subscribe_alloca(&sub);
    const snd_seq_addr_t from{uint8_t(route.handle->client), uint8_t(kClientPort)};
    const snd_seq_addr_t to{uint8_t(route.destClient), uint8_t(route.destPort)};
    snd_seq_port_subscribe_set_sender(sub, &from);
    snd_seq_port_subscribe_set_dest(sub, &to);
    if (snd_seq_get_port_subscription(route.handle->seq, sub) == 0)
        return true;
    if (!route.own && !isAt(route.handle->seq, route.destClient, route.destPort, route.identity))
        return false; // it leaves the lists once its exit has been read
    const int r = snd_seq_subscribe_port(route.handle->seq, sub);
    return r == 0 || r == -EBUSY;
}

// ================= one write

std::shared_ptr<std::timed_mutex> AlsaMidiBackend::Private::gateOf(int client)
{
    std::lock_guard<std::mutex> lock(gatesMutex);
    std::shared_ptr<std::timed_mutex>& gate = gates[client];
    if (!gate)
        gate = std::make_shared<std::timed_mutex>();
    return gate;
}

// Writes one event to its receivers, waiting for one that is slow to read; false when it
// cannot be delivered within the stall bound. Nothing is written that a receiver has no
// room for, and a refused write is never repeated: a user client's queue is cleared at
// its next read after a refusal, and a kernel port may have passed on part of the event
// (a raw MIDI write, a port's own subscribers) before it refused.
bool AlsaMidiBackend::Private::write(const Route& route, const Target& target, OutEvent& e,
                                     Clock::time_point deadline)
{
    snd_seq_event_t ev = e.ev;
    if (e.sysex) {
        snd_seq_ev_clear(&ev);
        snd_seq_ev_set_sysex(&ev, unsigned(e.bytes.size()), e.bytes.data());
    }
    snd_seq_ev_set_source(&ev, route.fromPort);
    if (target.subscribers)
        snd_seq_ev_set_subs(&ev);
    else
        snd_seq_ev_set_dest(&ev, target.to.client, target.to.port);
    snd_seq_ev_set_direct(&ev);
    const int cells = alsaEventCells(e.sysex ? int(e.bytes.size()) : 0);
    // The gates in the order of the client numbers, so that no two writers wait for
    // each other; a client with several receiving ports takes a copy for each.
    std::vector<int> clients = target.clients;
    std::sort(clients.begin(), clients.end());
    std::vector<std::shared_ptr<std::timed_mutex>> gatesHeld;
    std::vector<std::unique_lock<std::timed_mutex>> held;
    for (size_t i = 0; i < clients.size();) {
        const int client = clients[i];
        int copies = 0;
        for (; i < clients.size() && clients[i] == client; ++i)
            ++copies;
        gatesHeld.push_back(gateOf(client));
        std::unique_lock<std::timed_mutex> gate(*gatesHeld.back(), std::defer_lock);
        if (!gate.try_lock_until(deadline))
            return false;
        held.push_back(std::move(gate));
        if (!waitForRoom(route, client, copies * cells, deadline))
            return false;
    }
    if (beforeWrite)
        for (size_t i = 0; i < clients.size(); ++i)
            if (i == 0 || clients[i] != clients[i - 1])
                beforeWrite(clients[i]);
    std::lock_guard<std::mutex> writing(route.handle->writeMutex);
    return snd_seq_event_output_direct(route.handle->seq, &ev) >= 0;
}

// Under the client's gate: waits, for at most the stall bound, until the client has room
// for the cells; false at once when its pool can never hold them, or when the kernel
// does not answer for it.
bool AlsaMidiBackend::Private::waitForRoom(const Route& route, int client, int cells, Clock::time_point deadline)
{
    for (;;) {
        AlsaClientRoom r;
        if (!alsaClientRoom(route.handle->fd, client, r))
            return false; // gone, or no answer: nothing is written blind
        if (r.pool == 0 || r.free >= cells)
            return true; // the kernel's own clients have no pool
        if (r.pool < cells || !pauseUntil(deadline))
            return false;
    }
}

// A short timed wait; false once the deadline has passed or the service stops.
bool AlsaMidiBackend::Private::pauseUntil(Clock::time_point deadline)
{
    const auto now = Clock::now();
    if (now >= deadline || stopping.load())
        return false;
    std::unique_lock<std::mutex> lock(stallMutex);
    stallWake.wait_until(lock, std::min(deadline, now + kRoomPoll), [this] { return stopping.load(); });
    return !stopping.load();
}

// ================= the output thread: cables at their pace

void AlsaMidiBackend::Private::outputRun()
{
    std::unique_lock<std::mutex> lock(outMutex);
    while (!outStop) {
        const auto now = Clock::now();
        auto next = lines.end();
        Clock::time_point due{};
        for (auto it = lines.begin(); it != lines.end(); ++it) {
            if (it->second.items.empty())
                continue;
            const auto when = it->second.pacer.due(now);
            if (next == lines.end() || when < due) {
                next = it;
                due = when;
            }
        }
        if (next == lines.end()) {
            outWake.wait(lock);
            continue;
        }
        if (due > now) {
            outWake.wait_until(lock, due);
            continue;
        }
        const int64_t key = next->first;
        PacedLine& line = next->second;
        PacedLine::Item item = std::move(line.items.front());
        line.items.pop_front();
        line.writing = true;
        line.writingFrom = item.route.from;
        line.writingTo = item.target.chosen ? item.route.dest : 0;
        outWriting = item.route.handle.get();
        lock.unlock();
        const bool ok = (!item.target.chosen || checkRoute(item.route))
                        && write(item.route, item.target, item.event, Clock::now() + kStallBound);
        const auto sentAt = Clock::now();
        lock.lock();
        outWriting = nullptr;
        outWake.notify_all();
        auto written = lines.find(key);
        if (written == lines.end())
            continue;
        written->second.writing = false;
        written->second.writingFrom = written->second.writingTo = 0;
        written->second.pacer.sent(item.event.cost, sentAt);
        written->second.midMessage = ok && !item.event.ends;
        written->second.midFrom = item.route.from;
        if (!ok)
            failPaced(written->second, item, lock);
    }
}

// Under `outMutex`, which it lets go for the sender's lock: the sender's events waiting
// on the line go too, since they would follow a hole, and its next send reports it.
void AlsaMidiBackend::Private::failPaced(PacedLine& line, const PacedLine::Item& item,
                                         std::unique_lock<std::mutex>& lock)
{
    std::deque<PacedLine::Item> kept;
    size_t dropped = 0;
    for (PacedLine::Item& waiting : line.items) {
        if (waiting.route.sender == item.route.sender)
            ++dropped;
        else
            kept.push_back(std::move(waiting));
    }
    line.items = std::move(kept);
    if (item.target.subscribers)
        qCWarning(lcPlatformMidi).nospace() << "ALSA sequencer: a message to the subscribers of "
                                            << item.route.handle->client << ":" << item.route.fromPort
                                            << " could not be delivered; " << dropped << " waiting events dropped";
    else
        qCWarning(lcPlatformMidi).nospace() << "ALSA sequencer: a message to " << item.target.to.client << ":"
                                            << item.target.to.port << " could not be delivered; " << dropped
                                            << " waiting events dropped";
    const SenderPtr sender = item.route.sender;
    lock.unlock();
    {
        std::lock_guard<std::mutex> cutting(sender->mutex);
        sender->pacedFailed = true;
        // The rest of the message under way does not follow the hole.
        if (sender->cutter.inSysEx()
            && std::count(sender->failed.begin(), sender->failed.end(), item.target.key) == 0)
            sender->failed.push_back(item.target.key);
    }
    lock.lock();
}

// Drops what waits for a cable from a port that goes, and returns once the message under
// way from it has left: no receiver gets a message with its end missing.
void AlsaMidiBackend::Private::finishPaced(MidiRef ref)
{
    std::unique_lock<std::mutex> lock(outMutex);
    for (auto& [key, line] : lines) {
        std::deque<PacedLine::Item> kept;
        bool finishing = line.midMessage && line.midFrom == ref;
        for (PacedLine::Item& item : line.items) {
            if (item.route.from != ref) {
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
        for (const auto& [key, line] : lines) {
            if (line.writing && (line.writingFrom == ref || line.writingTo == ref))
                return false;
            for (const PacedLine::Item& item : line.items)
                if (item.route.from == ref)
                    return false;
        }
        return true;
    });
}

// Without `mutex`: what waits for destinations that have gone can no longer be
// delivered; a write under way finds its route gone and fails.
void AlsaMidiBackend::Private::eraseGoneLines()
{
    std::vector<MidiRef> gone;
    {
        std::lock_guard<std::mutex> lock(mutex);
        gone.swap(goneLines);
    }
    if (gone.empty())
        return;
    std::lock_guard<std::mutex> out(outMutex);
    for (auto& [key, line] : lines) {
        auto toGone = [&](const PacedLine::Item& item) {
            return item.target.chosen && std::count(gone.begin(), gone.end(), item.route.dest) > 0;
        };
        line.items.erase(std::remove_if(line.items.begin(), line.items.end(), toGone), line.items.end());
    }
}

} // namespace NS_Platform
#endif
