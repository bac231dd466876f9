#include "AlsaMidiBackend.h"
#include <mutex>

namespace NS_Platform {

namespace {

std::mutex testingMutex;
AlsaReaderPoll testingPoll;
int testingEventsPerDrain = 0;
AlsaWriteHook testingBeforeWrite;

} // namespace

void setAlsaReaderForTesting(AlsaReaderPoll poll, int eventsPerDrain)
{
    std::lock_guard<std::mutex> lock(testingMutex);
    testingPoll = std::move(poll);
    testingEventsPerDrain = eventsPerDrain;
}

void setAlsaWriterForTesting(AlsaWriteHook beforeWrite)
{
    std::lock_guard<std::mutex> lock(testingMutex);
    testingBeforeWrite = std::move(beforeWrite);
}

} // namespace NS_Platform

#ifdef VANTREL_HAVE_ALSA
// The calls of the service, and the objects they make. The threads' own code is in
// AlsaClientReader.cpp, AlsaDelivery.cpp, AlsaWriter.cpp and AlsaPortLists.cpp.
#include "AlsaBackendPrivate.h"
#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace NS_Platform {

using namespace AlsaBackend;

// ================= objects

// The sender of one source and destination pair, made on first use; under `mutex`.
SenderPtr AlsaMidiBackend::Private::senderFor(MidiRef from, MidiRef to)
{
    SenderPtr& sender = senders[{from, to}];
    if (!sender)
        sender = std::make_shared<Sender>();
    return sender;
}

// Under `mutex`. A send under way keeps its own.
void AlsaMidiBackend::Private::eraseSenders(MidiRef ref)
{
    for (auto it = senders.begin(); it != senders.end();)
        it = it->first.first == ref || it->first.second == ref ? senders.erase(it) : std::next(it);
}

AlsaSeq::HandlePtr AlsaMidiBackend::Private::handleOf(const Object& o)
{
    auto it = objects.find(o.client);
    return it != objects.end() ? it->second.handle : nullptr;
}

// Under `mutex`: the address a source sends from; false for a source that has gone.
bool AlsaMidiBackend::Private::sourceAddress(const Object& source, int& client, int& port)
{
    if (source.kind == Kind::Remote && !source.gone) {
        client = source.remoteClient;
        port = source.remotePort;
        return true;
    }
    if (source.kind != Kind::Source)
        return false;
    HandlePtr own = handleOf(source);
    if (!own)
        return false;
    client = own->client;
    port = source.port;
    return true;
}

void AlsaMidiBackend::Private::waitForCallback(MidiRef target, std::unique_lock<std::mutex>& lock)
{
    // From inside a callback, waiting would never end; the running one is the last.
    if (std::this_thread::get_id() == delivery.get_id())
        return;
    progress.wait(lock, [&] { return active != target; });
}

int32_t AlsaMidiBackend::Private::createPort(Kind kind, MidiRef client, const QString& name, unsigned caps,
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
    const int port = snd_seq_create_simple_port(handle->seq, name.toUtf8().constData(), caps, kOwnPortType);
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
    const int64_t key = addressKey(handle->client, port);
    ownByAddress[key] = ref;
    if (kind == Kind::InputPort || kind == Kind::Destination) {
        std::lock_guard<std::mutex> routes(routesMutex);
        receiving[key] = Receiving{ref, kind == Kind::InputPort};
    }
    dirty = true;
    *out = ref;
    return kMidiNoError;
}

// Under `mutex`. Deletes an own port and waits out its callback. The connections of
// input ports to a source that goes end where the readers find its exit.
int32_t AlsaMidiBackend::Private::removePort(MidiRef ref, std::unique_lock<std::mutex>& lock)
{
    if (!objects.count(ref))
        return kMidiNoError;
    lock.unlock();
    finishPaced(ref);
    lock.lock();
    auto it = objects.find(ref);
    if (it == objects.end())
        return kMidiNoError;
    Object& o = it->second;
    int32_t status = kMidiNoError;
    if (HandlePtr handle = handleOf(o)) {
        const int64_t key = addressKey(handle->client, o.port);
        const int r = snd_seq_delete_simple_port(handle->seq, o.port);
        if (r < 0) {
            qCWarning(lcPlatformMidi).nospace() << "ALSA sequencer port " << handle->client << ":" << o.port
                                                << " stays: " << snd_strerror(r);
            status = kMidiFailure;
        }
        ownByAddress.erase(key);
        std::lock_guard<std::mutex> routes(routesMutex);
        receiving.erase(key);
        for (auto link = links.begin(); link != links.end();)
            link = link->first.first == key ? links.erase(link) : std::next(link);
        for (auto link = marked.begin(); link != marked.end();)
            link = link->second.to == key ? marked.erase(link) : std::next(link);
    }
    objects.erase(it);
    eraseSenders(ref);
    dirty = true;
    waitForCallback(ref, lock);
    return status;
}

// ================= the service

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
        d->beforeWrite = testingBeforeWrite;
    }
    // A client of its own that only listens to the announcements and asks the kernel;
    // it has no port other programs see.
    d->watch = openHandle(QStringLiteral("TOVAR-VANTREL port watch"));
    if (!d->watch)
        return;
    if (pipe2(d->wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) {
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
            d->removePort(ref, lock); // a port that stays goes with the handle below
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
    return d->removePort(port, lock);
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
    HandlePtr handle = d->handleOf(it->second);
    int client = -1, port = -1;
    if (!handle || !d->sourceAddress(src->second, client, port))
        return kMidiInvalidArgument;
    // Never a program that took the address of one that has gone.
    if (src->second.kind == Private::Kind::Remote && !isAt(handle->seq, client, port, src->second.identity))
        return kMidiInvalidArgument;
    const bool known = it->second.connections.count(source) > 0;
    Private::Connection& connection = it->second.connections[source];
    if (!known)
        connection.id = d->nextConnection++;
    connection.refCon = connRefCon;
    // The reader takes the connection up at the mark, before the first message can come
    // and after the exit of a program that had the source's address before.
    const Private::Link link{inputPort, source, connection.id, addressKey(handle->client, it->second.port),
                             addressKey(client, port)};
    {
        std::lock_guard<std::mutex> routes(d->routesMutex);
        d->marked[link.connection] = link;
    }
    if (!d->markLink(handle, link.connection)) {
        std::lock_guard<std::mutex> routes(d->routesMutex);
        d->beginLink(link.connection);
    }
    const int r = snd_seq_connect_from(handle->seq, it->second.port, client, port);
    if (r < 0 && r != -EBUSY && !known) {
        it->second.connections.erase(source);
        std::lock_guard<std::mutex> routes(d->routesMutex);
        d->marked.erase(link.connection);
        auto begun = d->links.find({link.to, link.from});
        if (begun != d->links.end() && begun->second.connection == link.connection)
            d->links.erase(begun);
    }
    return r < 0 && r != -EBUSY ? kMidiFailure : kMidiNoError;
}

int32_t AlsaMidiBackend::disconnectSource(MidiRef inputPort, MidiRef source)
{
    std::unique_lock<std::mutex> lock(d->mutex);
    auto it = d->objects.find(inputPort);
    if (it == d->objects.end() || it->second.kind != Private::Kind::InputPort
        || it->second.connections.erase(source) == 0)
        return kMidiInvalidArgument;
    {
        std::lock_guard<std::mutex> routes(d->routesMutex);
        auto ours = [&](const Private::Link& l) { return l.port == inputPort && l.source == source; };
        for (auto link = d->links.begin(); link != d->links.end();)
            link = ours(link->second) ? d->links.erase(link) : std::next(link);
        for (auto link = d->marked.begin(); link != d->marked.end();)
            link = ours(link->second) ? d->marked.erase(link) : std::next(link);
    }
    auto src = d->objects.find(source);
    HandlePtr handle = d->handleOf(it->second);
    int client = -1, port = -1;
    int32_t status = kMidiNoError;
    if (handle && src != d->objects.end() && d->sourceAddress(src->second, client, port)) {
        const int r = snd_seq_disconnect_from(handle->seq, it->second.port, client, port);
        // A subscription that is no longer there (another program took it apart, or the
        // source went) is what was asked for.
        if (r < 0 && r != -ENOENT && r != -ENXIO) {
            qCWarning(lcPlatformMidi).nospace() << "ALSA sequencer: " << client << ":" << port
                                                << " stays connected: " << snd_strerror(r);
            status = kMidiFailure;
        }
    }
    d->waitForCallback(inputPort, lock);
    return status;
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
            route.cable = isCable(o.type);
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
    return d->sendThrough(route, packets);
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
        route.from = source;
        route.sender = d->senderFor(source, 0);
    }
    return d->sendThrough(route, packets);
}

int32_t AlsaMidiBackend::disposeEndpoint(MidiRef endpoint)
{
    std::unique_lock<std::mutex> lock(d->mutex);
    auto it = d->objects.find(endpoint);
    if (it == d->objects.end()
        || (it->second.kind != Private::Kind::Source && it->second.kind != Private::Kind::Destination))
        return kMidiInvalidArgument;
    return d->removePort(endpoint, lock);
}

} // namespace NS_Platform
#endif
