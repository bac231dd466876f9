#include "VirtualMidiBus.h"
#include <chrono>

namespace NS_Platform {

VirtualMidiBus::VirtualMidiBus() : m_thread([this] { run(); }) {}

VirtualMidiBus::~VirtualMidiBus()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

QString VirtualMidiBus::backendName() const { return QStringLiteral("virtual"); }

int32_t VirtualMidiBus::add(Object object, MidiRef* out)
{
    if (!out)
        return kMidiInvalidArgument;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (object.kind != Kind::Client) {
        auto owner = m_objects.find(object.client);
        if (owner == m_objects.end() || owner->second.kind != Kind::Client) {
            *out = 0;
            return kMidiInvalidArgument;
        }
    }
    const MidiRef ref = m_nextRef++;
    const bool endpoint = object.kind == Kind::Source || object.kind == Kind::Destination;
    m_objects.emplace(ref, std::move(object));
    *out = ref;
    if (endpoint)
        endpointsChangedLocked();
    return kMidiNoError;
}

int32_t VirtualMidiBus::createClient(const QString& name, MidiRef* client)
{
    Object o(Kind::Client);
    o.name = name;
    return add(std::move(o), client);
}

int32_t VirtualMidiBus::disposeClient(MidiRef client)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto it = m_objects.find(client);
    if (it == m_objects.end() || it->second.kind != Kind::Client)
        return kMidiInvalidArgument;
    std::vector<MidiRef> owned;
    for (const auto& [ref, o] : m_objects)
        if (o.kind != Kind::Client && o.client == client)
            owned.push_back(ref);
    for (MidiRef ref : owned)
        removeLocked(ref, lock);
    m_objects.erase(client);
    waitForCallbackLocked(client, lock);
    return kMidiNoError;
}

int32_t VirtualMidiBus::setNotifyProc(MidiRef client, MidiNotifyProc proc)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_objects.find(client);
    if (it == m_objects.end() || it->second.kind != Kind::Client)
        return kMidiInvalidArgument;
    it->second.notify = std::move(proc);
    return kMidiNoError;
}

void VirtualMidiBus::endpointsChangedLocked()
{
    if (m_notifyQueued)
        return;
    bool anyone = false;
    for (const auto& entry : m_objects)
        anyone = anyone || (entry.second.kind == Kind::Client && entry.second.notify);
    if (!anyone)
        return;
    Job job{false, 0, {}};
    job.endpointsChanged = true;
    m_jobs.push_back(std::move(job));
    m_notifyQueued = true;
    m_wake.notify_one();
}

void VirtualMidiBus::notifyClients(std::unique_lock<std::mutex>& lock)
{
    m_notifyQueued = false;
    std::vector<MidiRef> clients;
    for (const auto& [ref, o] : m_objects)
        if (o.kind == Kind::Client && o.notify)
            clients.push_back(ref);
    for (MidiRef client : clients) {
        // Looked up again: the client may have gone while another one was told.
        auto it = m_objects.find(client);
        if (it == m_objects.end() || !it->second.notify)
            continue;
        MidiNotifyProc proc = it->second.notify;
        m_active = client;
        lock.unlock();
        proc();
        lock.lock();
        m_active = 0;
        m_progress.notify_all();
    }
}

int32_t VirtualMidiBus::createInputPort(MidiRef client, const QString& name, MidiReadProc proc,
                                        MidiRef* port)
{
    if (!proc)
        return kMidiInvalidArgument;
    Object o(Kind::InputPort, client, name, std::move(proc));
    return add(std::move(o), port);
}

int32_t VirtualMidiBus::createOutputPort(MidiRef client, const QString& name, MidiRef* port)
{
    Object o(Kind::OutputPort, client, name);
    return add(std::move(o), port);
}

int32_t VirtualMidiBus::disposePort(MidiRef port)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto it = m_objects.find(port);
    if (it == m_objects.end()
        || (it->second.kind != Kind::InputPort && it->second.kind != Kind::OutputPort))
        return kMidiInvalidArgument;
    removeLocked(port, lock);
    return kMidiNoError;
}

int32_t VirtualMidiBus::connectSource(MidiRef inputPort, MidiRef source, void* connRefCon)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto port = m_objects.find(inputPort);
    auto src = m_objects.find(source);
    if (port == m_objects.end() || port->second.kind != Kind::InputPort || src == m_objects.end()
        || src->second.kind != Kind::Source)
        return kMidiInvalidArgument;
    port->second.connections[source] = connRefCon;
    return kMidiNoError;
}

int32_t VirtualMidiBus::disconnectSource(MidiRef inputPort, MidiRef source)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto port = m_objects.find(inputPort);
    if (port == m_objects.end() || port->second.kind != Kind::InputPort
        || port->second.connections.erase(source) == 0)
        return kMidiInvalidArgument;
    waitForCallbackLocked(inputPort, lock);
    return kMidiNoError;
}

int VirtualMidiBus::numberOfSources()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int n = 0;
    for (const auto& entry : m_objects)
        n += entry.second.kind == Kind::Source;
    return n;
}

MidiRef VirtualMidiBus::source(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [ref, o] : m_objects)
        if (o.kind == Kind::Source && index-- == 0)
            return ref;
    return 0;
}

int VirtualMidiBus::numberOfDestinations()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int n = 0;
    for (const auto& entry : m_objects)
        n += entry.second.kind == Kind::Destination;
    return n;
}

MidiRef VirtualMidiBus::destination(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [ref, o] : m_objects)
        if (o.kind == Kind::Destination && index-- == 0)
            return ref;
    return 0;
}

QString VirtualMidiBus::endpointName(MidiRef endpoint)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_objects.find(endpoint);
    if (it == m_objects.end()
        || (it->second.kind != Kind::Source && it->second.kind != Kind::Destination))
        return QString();
    return it->second.name;
}

int32_t VirtualMidiBus::send(MidiRef outputPort, MidiRef destination, const MidiPacketList& packets)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto port = m_objects.find(outputPort);
        if (port == m_objects.end() || port->second.kind != Kind::OutputPort)
            return kMidiInvalidArgument;
    }
    return enqueue(true, destination, packets);
}

int32_t VirtualMidiBus::createSource(MidiRef client, const QString& name, MidiRef* source)
{
    Object o(Kind::Source, client, name);
    return add(std::move(o), source);
}

int32_t VirtualMidiBus::createDestination(MidiRef client, const QString& name, MidiReadProc proc,
                                          void* refCon, MidiRef* destination)
{
    if (!proc)
        return kMidiInvalidArgument;
    Object o(Kind::Destination, client, name, std::move(proc), refCon);
    return add(std::move(o), destination);
}

int32_t VirtualMidiBus::received(MidiRef source, const MidiPacketList& packets)
{
    return enqueue(false, source, packets);
}

int32_t VirtualMidiBus::disposeEndpoint(MidiRef endpoint)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto it = m_objects.find(endpoint);
    if (it == m_objects.end()
        || (it->second.kind != Kind::Source && it->second.kind != Kind::Destination))
        return kMidiInvalidArgument;
    removeLocked(endpoint, lock);
    return kMidiNoError;
}

void VirtualMidiBus::setSplitPackets(int n)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_split = n > 0 ? n : 0;
}

int VirtualMidiBus::splitPackets() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_split;
}

bool VirtualMidiBus::waitUntilIdle(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_progress.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this] { return m_jobs.empty() && !m_busy; });
}

int32_t VirtualMidiBus::enqueue(bool toDestination, MidiRef endpoint, const MidiPacketList& packets)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_objects.find(endpoint);
        const Kind wanted = toDestination ? Kind::Destination : Kind::Source;
        if (it == m_objects.end() || it->second.kind != wanted)
            return kMidiInvalidArgument;
        m_jobs.push_back(Job{toDestination, endpoint, packets});
    }
    m_wake.notify_one();
    return kMidiNoError;
}

void VirtualMidiBus::removeLocked(MidiRef ref, std::unique_lock<std::mutex>& lock)
{
    auto it = m_objects.find(ref);
    if (it == m_objects.end())
        return;
    const bool isSource = it->second.kind == Kind::Source;
    const bool endpoint = isSource || it->second.kind == Kind::Destination;
    m_objects.erase(it);
    if (isSource)
        for (auto& entry : m_objects)
            entry.second.connections.erase(ref);
    if (endpoint)
        endpointsChangedLocked();
    waitForCallbackLocked(ref, lock);
}

void VirtualMidiBus::waitForCallbackLocked(MidiRef target, std::unique_lock<std::mutex>& lock)
{
    // From inside the callback itself, waiting would never end; the callback that
    // is running is then the last one.
    if (std::this_thread::get_id() == m_thread.get_id())
        return;
    m_progress.wait(lock, [&] { return m_active != target; });
}

void VirtualMidiBus::deliver(MidiRef target, MidiRef viaSource, const MidiPacketList& packets,
                             std::unique_lock<std::mutex>& lock)
{
    // Looked up again for every list: the target may have gone meanwhile.
    auto it = m_objects.find(target);
    if (it == m_objects.end())
        return;
    void* refCon = it->second.refCon;
    if (viaSource) {
        auto conn = it->second.connections.find(viaSource);
        if (conn == it->second.connections.end())
            return;
        refCon = conn->second;
    }
    MidiReadProc proc = it->second.proc;
    m_active = target;
    lock.unlock();
    proc(packets, refCon);
    lock.lock();
    m_active = 0;
    m_progress.notify_all();
}

void VirtualMidiBus::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        if (m_stop)
            break;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        if (job.endpointsChanged) {
            notifyClients(lock);
            m_busy = false;
            m_progress.notify_all();
            continue;
        }

        std::vector<MidiPacketList> lists;
        if (m_split > 0) {
            for (const MidiPacket& p : job.packets)
                for (size_t at = 0; at < p.bytes.size(); at += size_t(m_split)) {
                    const size_t end = std::min(p.bytes.size(), at + size_t(m_split));
                    MidiPacket piece;
                    piece.timeStamp = p.timeStamp;
                    piece.bytes.assign(p.bytes.begin() + long(at), p.bytes.begin() + long(end));
                    lists.push_back(MidiPacketList{std::move(piece)});
                }
        } else {
            lists.push_back(std::move(job.packets));
        }

        std::vector<MidiRef> targets;
        if (job.toDestination) {
            targets.push_back(job.endpoint);
        } else {
            for (const auto& [ref, o] : m_objects)
                if (o.kind == Kind::InputPort && o.connections.count(job.endpoint))
                    targets.push_back(ref);
        }
        for (const MidiPacketList& list : lists)
            for (MidiRef target : targets)
                deliver(target, job.toDestination ? 0 : job.endpoint, list, lock);

        m_busy = false;
        m_progress.notify_all();
    }
}

} // namespace NS_Platform
