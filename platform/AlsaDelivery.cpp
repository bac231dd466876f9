#ifdef VANTREL_HAVE_ALSA
// The delivery thread of the ALSA backend: calls the read procedures with what the
// reader read, in its order, and the notify procedures once the lists have changed.
// Which port and connection a message is for was decided when it was read; here it is
// only checked that the port and the connection are still there (a dispose or a
// disconnect ends them at once).
#include "AlsaBackendPrivate.h"

namespace NS_Platform {

using namespace AlsaBackend;

void AlsaMidiBackend::Private::deliveryRun()
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

void AlsaMidiBackend::Private::deliver(std::deque<Arrival>& batch)
{
    bool changed = false, lost = false;
    MidiPacketList list;
    const Arrival* head = nullptr;
    auto flush = [&] {
        if (head && !list.empty())
            dispatch(*head, list);
        list.clear();
        head = nullptr;
    };
    for (const Arrival& a : batch) {
        switch (a.what) {
        case Arrival::What::Announcement:
        case Arrival::What::AnnouncementsLost:
            flush();
            changed = true;
            lost = lost || a.what == Arrival::What::AnnouncementsLost;
            if (a.what == Arrival::What::Announcement && isExit(a.type))
                leave(a.client, a.port);
            continue;
        case Arrival::What::ConnectionEnded:
            flush();
            endConnection(a);
            continue;
        case Arrival::What::Message:
            break;
        }
        if (head
            && (head->target != a.target || head->source != a.source || head->connection != a.connection
                || list.size() >= kPacketsPerList))
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
        rescan(lost);
    }
    notifyIfChanged();
}

void AlsaMidiBackend::Private::dispatch(const Arrival& head, const MidiPacketList& list)
{
    std::unique_lock<std::mutex> lock(mutex);
    auto it = objects.find(head.target);
    if (it == objects.end())
        return; // disposed since
    Object& o = it->second;
    void* refCon = o.refCon;
    if (o.kind == Kind::InputPort) {
        auto conn = o.connections.find(head.source);
        if (conn == o.connections.end() || conn->second.id != head.connection)
            return; // disconnected since
        refCon = conn->second.refCon;
    } else if (o.kind != Kind::Destination) {
        return;
    }
    MidiReadProc proc = o.proc;
    active = head.target;
    lock.unlock();
    proc(list, refCon);
    lock.lock();
    active = 0;
    progress.notify_all();
}

// The source went: what it sent before has been delivered.
void AlsaMidiBackend::Private::endConnection(const Arrival& a)
{
    std::lock_guard<std::mutex> lock(mutex);
    auto it = objects.find(a.target);
    if (it == objects.end())
        return;
    auto conn = it->second.connections.find(a.source);
    if (conn != it->second.connections.end() && conn->second.id == a.connection)
        it->second.connections.erase(conn);
}

void AlsaMidiBackend::Private::notifyIfChanged()
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

} // namespace NS_Platform
#endif
