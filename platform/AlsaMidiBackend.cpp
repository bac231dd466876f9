#ifdef VANTREL_HAVE_ALSA
#include "AlsaMidiBackend.h"
#include <QLoggingCategory>
#include <alsa/asoundlib.h>
#include <cerrno>
#include <condition_variable>
#include <map>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

Q_DECLARE_LOGGING_CATEGORY(lcPlatformMidi)

namespace NS_Platform {

namespace {

void silentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

void quietAlsa()
{
    // alsa-lib prints every failed open to stderr; failures are reported as statuses here.
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(silentAlsaErrors); });
}

int addressKey(int client, int port) { return client << 16 | port; }

// Largest system-exclusive piece in one sequencer event; receivers gather pieces.
constexpr size_t kSysExChunk = 256;

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
        int port = -1; // own sequencer port
        MidiReadProc proc;
        void* refCon = nullptr;
        std::map<MidiRef, void*> connections;
        snd_midi_event_t* decoder = nullptr;
        int remoteClient = -1, remotePort = -1; // Remote: another client's port
    };

    snd_seq_t* seq = nullptr;
    int clientId = -1;
    bool clientNamed = false;
    snd_midi_event_t* encoder = nullptr;
    std::map<int, bool> sysexOpen; // own emitting port -> inside a system-exclusive message
    int stopPipe[2] = {-1, -1};

    std::mutex alsaMutex; // every sequencer call; taken after `mutex`, never before it
    std::mutex mutex;     // objects and the running callback
    std::condition_variable progress;
    std::map<MidiRef, Object> objects;
    std::map<int, MidiRef> byAddress;
    MidiRef nextRef = 1;
    MidiRef active = 0;
    std::thread thread;

    MidiRef refForAddress(int client, int port)
    {
        if (client == clientId) {
            for (const auto& [ref, o] : objects)
                if ((o.kind == Kind::Source || o.kind == Kind::Destination) && o.port == port)
                    return ref;
        }
        auto it = byAddress.find(addressKey(client, port));
        if (it != byAddress.end())
            return it->second;
        Object o(Kind::Remote);
        o.remoteClient = client;
        o.remotePort = port;
        const MidiRef ref = nextRef++;
        objects.emplace(ref, std::move(o));
        byAddress[addressKey(client, port)] = ref;
        return ref;
    }

    bool addressOf(MidiRef ref, int& client, int& port)
    {
        auto it = objects.find(ref);
        if (it == objects.end())
            return false;
        const Object& o = it->second;
        if (o.kind == Kind::Remote) {
            client = o.remoteClient;
            port = o.remotePort;
            return true;
        }
        if (o.kind == Kind::Source || o.kind == Kind::Destination) {
            client = clientId;
            port = o.port;
            return true;
        }
        return false;
    }

    // Under `mutex`. Sources (readable) or destinations (writable) of the system.
    std::vector<MidiRef> endpoints(bool sources)
    {
        std::vector<std::pair<int, int>> found;
        {
            std::lock_guard<std::mutex> lock(alsaMutex);
            snd_seq_client_info_t* cinfo;
            snd_seq_port_info_t* pinfo;
            snd_seq_client_info_alloca(&cinfo);
            snd_seq_port_info_alloca(&pinfo);
            snd_seq_client_info_set_client(cinfo, -1);
            while (snd_seq_query_next_client(seq, cinfo) >= 0) {
                const int client = snd_seq_client_info_get_client(cinfo);
                if (client == SND_SEQ_CLIENT_SYSTEM)
                    continue;
                snd_seq_port_info_set_client(pinfo, client);
                snd_seq_port_info_set_port(pinfo, -1);
                while (snd_seq_query_next_port(seq, pinfo) >= 0) {
                    const unsigned caps = snd_seq_port_info_get_capability(pinfo);
                    if (caps & SND_SEQ_PORT_CAP_NO_EXPORT)
                        continue;
                    const unsigned wanted = sources
                        ? (SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ)
                        : (SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE);
                    if ((caps & wanted) == wanted)
                        found.emplace_back(client, snd_seq_port_info_get_port(pinfo));
                }
            }
        }
        std::vector<MidiRef> refs;
        for (const auto& [client, port] : found)
            refs.push_back(refForAddress(client, port));
        return refs;
    }

    void waitForCallback(MidiRef target, std::unique_lock<std::mutex>& lock)
    {
        if (std::this_thread::get_id() == thread.get_id())
            return;
        progress.wait(lock, [&] { return active != target; });
    }

    // Under `mutex`. Deletes an own port or endpoint and waits out its callback.
    void remove(MidiRef ref, std::unique_lock<std::mutex>& lock)
    {
        auto it = objects.find(ref);
        if (it == objects.end())
            return;
        Object& o = it->second;
        if (o.port >= 0) {
            std::lock_guard<std::mutex> alsa(alsaMutex);
            snd_seq_delete_simple_port(seq, o.port);
            sysexOpen.erase(o.port);
        }
        if (o.decoder)
            snd_midi_event_free(o.decoder);
        const bool endpoint = o.kind == Kind::Source;
        objects.erase(it);
        if (endpoint)
            for (auto& entry : objects)
                entry.second.connections.erase(ref);
        waitForCallback(ref, lock);
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
        Object o(kind);
        o.client = client;
        o.name = name;
        o.proc = std::move(proc);
        o.refCon = refCon;
        {
            std::lock_guard<std::mutex> alsa(alsaMutex);
            o.port = snd_seq_create_simple_port(
                seq, name.toUtf8().constData(), caps,
                SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        }
        if (o.port < 0)
            return kMidiFailure;
        if (o.proc && snd_midi_event_new(1024, &o.decoder) == 0)
            snd_midi_event_no_status(o.decoder, 1);
        const MidiRef ref = nextRef++;
        objects.emplace(ref, std::move(o));
        *out = ref;
        return kMidiNoError;
    }

    // Under `mutex`. Sends the packets from an own port, to one address or, with
    // toSubscribers, to every port subscribed to it.
    int32_t emitPackets(int fromPort, bool toSubscribers, int destClient, int destPort,
                 const MidiPacketList& packets)
    {
        std::lock_guard<std::mutex> alsa(alsaMutex);
        bool& inSysEx = sysexOpen[fromPort];
        int32_t status = kMidiNoError;
        auto output = [&](snd_seq_event_t& ev) {
            snd_seq_ev_set_source(&ev, fromPort);
            if (toSubscribers)
                snd_seq_ev_set_subs(&ev);
            else
                snd_seq_ev_set_dest(&ev, destClient, destPort);
            snd_seq_ev_set_direct(&ev);
            int r = snd_seq_event_output_direct(seq, &ev);
            // The kernel pool can be full for a moment while a peer is slow to read.
            for (int tries = 0; r == -EAGAIN && tries < 200; ++tries) {
                usleep(1000);
                r = snd_seq_event_output_direct(seq, &ev);
            }
            if (r < 0)
                status = kMidiFailure;
        };
        for (const MidiPacket& packet : packets) {
            const uint8_t* b = packet.bytes.data();
            const size_t n = packet.bytes.size();
            size_t i = 0;
            while (i < n) {
                if (inSysEx || b[i] == 0xF0) {
                    // A message split over packets continues with data bytes.
                    size_t j = b[i] == 0xF0 ? i + 1 : i;
                    while (j < n && b[j] != 0xF7 && (b[j] < 0x80 || b[j] >= 0xF8))
                        ++j;
                    const bool ended = j < n && b[j] == 0xF7;
                    if (ended)
                        ++j;
                    for (size_t at = i; at < j; at += kSysExChunk) {
                        snd_seq_event_t ev;
                        snd_seq_ev_clear(&ev);
                        snd_seq_ev_set_sysex(&ev, std::min(kSysExChunk, j - at),
                                             const_cast<uint8_t*>(b + at));
                        output(ev);
                    }
                    inSysEx = !ended && j == n;
                    i = j;
                    continue;
                }
                snd_seq_event_t ev;
                snd_seq_ev_clear(&ev);
                if (snd_midi_event_encode_byte(encoder, b[i++], &ev) == 1)
                    output(ev);
            }
        }
        return status;
    }

    void run()
    {
        std::vector<pollfd> fds;
        {
            std::lock_guard<std::mutex> alsa(alsaMutex);
            const int count = snd_seq_poll_descriptors_count(seq, POLLIN);
            fds.resize(size_t(count) + 1);
            snd_seq_poll_descriptors(seq, fds.data(), unsigned(count), POLLIN);
        }
        fds.back().fd = stopPipe[0];
        fds.back().events = POLLIN;
        for (;;) {
            if (poll(fds.data(), nfds_t(fds.size()), -1) < 0 && errno != EINTR)
                break;
            if (fds.back().revents & POLLIN)
                break;
            for (;;) {
                snd_seq_event_t copy;
                std::vector<uint8_t> sysex;
                {
                    std::lock_guard<std::mutex> alsa(alsaMutex);
                    snd_seq_event_t* ev = nullptr;
                    const int r = snd_seq_event_input(seq, &ev);
                    if (r == -ENOSPC) {
                        qCWarning(lcPlatformMidi) << "ALSA sequencer input overran";
                        continue;
                    }
                    if (r < 0 || !ev)
                        break;
                    copy = *ev;
                    if (ev->type == SND_SEQ_EVENT_SYSEX) {
                        const auto* p = static_cast<const uint8_t*>(ev->data.ext.ptr);
                        sysex.assign(p, p + ev->data.ext.len);
                    }
                }
                dispatch(copy, sysex);
            }
        }
    }

    void dispatch(snd_seq_event_t& ev, std::vector<uint8_t>& sysex)
    {
        std::unique_lock<std::mutex> lock(mutex);
        MidiRef target = 0;
        Object* o = nullptr;
        for (auto& [ref, obj] : objects)
            if ((obj.kind == Kind::InputPort || obj.kind == Kind::Destination)
                && obj.port == ev.dest.port) {
                target = ref;
                o = &obj;
                break;
            }
        if (!o)
            return;
        void* refCon = o->refCon;
        if (o->kind == Kind::InputPort) {
            const MidiRef from = refForAddress(ev.source.client, ev.source.port);
            auto conn = o->connections.find(from);
            if (conn == o->connections.end())
                return;
            refCon = conn->second;
        }
        MidiPacket packet;
        packet.timeStamp = MidiService::hostTime();
        if (ev.type == SND_SEQ_EVENT_SYSEX) {
            packet.bytes = std::move(sysex);
        } else {
            if (!o->decoder)
                return;
            unsigned char buf[16];
            const long n = snd_midi_event_decode(o->decoder, buf, sizeof buf, &ev);
            if (n <= 0)
                return; // not a MIDI event (announcements, subscriptions)
            packet.bytes.assign(buf, buf + n);
        }
        if (packet.bytes.empty())
            return;
        MidiReadProc proc = o->proc;
        active = target;
        lock.unlock();
        proc(MidiPacketList{std::move(packet)}, refCon);
        lock.lock();
        active = 0;
        progress.notify_all();
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
    if (snd_seq_open(&d->seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
        d->seq = nullptr;
        return;
    }
    if (pipe(d->stopPipe) != 0 || snd_midi_event_new(1024, &d->encoder) != 0) {
        snd_seq_close(d->seq);
        d->seq = nullptr;
        return;
    }
    d->clientId = snd_seq_client_id(d->seq);
    d->thread = std::thread([this] { d->run(); });
}

AlsaMidiBackend::~AlsaMidiBackend()
{
    if (d->thread.joinable()) {
        const char stop = 1;
        if (write(d->stopPipe[1], &stop, 1) != 1)
            qCWarning(lcPlatformMidi) << "cannot stop the ALSA input thread";
        d->thread.join();
    }
    for (auto& entry : d->objects)
        if (entry.second.decoder)
            snd_midi_event_free(entry.second.decoder);
    if (d->encoder)
        snd_midi_event_free(d->encoder);
    if (d->seq)
        snd_seq_close(d->seq);
    for (int fd : d->stopPipe)
        if (fd >= 0)
            close(fd);
}

bool AlsaMidiBackend::isOpen() const { return d->seq && d->thread.joinable(); }

QString AlsaMidiBackend::backendName() const { return QStringLiteral("alsa"); }

int32_t AlsaMidiBackend::createClient(const QString& name, MidiRef* client)
{
    if (!client)
        return kMidiInvalidArgument;
    *client = 0;
    if (!isOpen())
        return kMidiFailure;
    std::lock_guard<std::mutex> lock(d->mutex);
    if (!d->clientNamed) {
        std::lock_guard<std::mutex> alsa(d->alsaMutex);
        snd_seq_set_client_name(d->seq, name.toUtf8().constData());
        d->clientNamed = true;
    }
    Private::Object o(Private::Kind::Client);
    o.name = name;
    *client = d->nextRef++;
    d->objects.emplace(*client, std::move(o));
    return kMidiNoError;
}

int32_t AlsaMidiBackend::disposeClient(MidiRef client)
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
        d->remove(ref, lock);
    d->objects.erase(client);
    return kMidiNoError;
}

int32_t AlsaMidiBackend::createInputPort(MidiRef client, const QString& name, MidiReadProc proc,
                                         MidiRef* port)
{
    if (!proc)
        return kMidiInvalidArgument;
    return d->createPort(Private::Kind::InputPort, client, name, SND_SEQ_PORT_CAP_WRITE,
                         std::move(proc), nullptr, port);
}

int32_t AlsaMidiBackend::createOutputPort(MidiRef client, const QString& name, MidiRef* port)
{
    return d->createPort(Private::Kind::OutputPort, client, name, SND_SEQ_PORT_CAP_READ, {},
                         nullptr, port);
}

int32_t AlsaMidiBackend::disposePort(MidiRef port)
{
    std::unique_lock<std::mutex> lock(d->mutex);
    auto it = d->objects.find(port);
    if (it == d->objects.end()
        || (it->second.kind != Private::Kind::InputPort
            && it->second.kind != Private::Kind::OutputPort))
        return kMidiInvalidArgument;
    d->remove(port, lock);
    return kMidiNoError;
}

int32_t AlsaMidiBackend::connectSource(MidiRef inputPort, MidiRef source, void* connRefCon)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    auto it = d->objects.find(inputPort);
    int client = -1, port = -1;
    if (it == d->objects.end() || it->second.kind != Private::Kind::InputPort
        || !d->addressOf(source, client, port))
        return kMidiInvalidArgument;
    {
        std::lock_guard<std::mutex> alsa(d->alsaMutex);
        if (snd_seq_connect_from(d->seq, it->second.port, client, port) < 0)
            return kMidiFailure;
    }
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
    int client = -1, port = -1;
    if (d->addressOf(source, client, port)) {
        std::lock_guard<std::mutex> alsa(d->alsaMutex);
        snd_seq_disconnect_from(d->seq, it->second.port, client, port);
    }
    d->waitForCallback(inputPort, lock);
    return kMidiNoError;
}

int AlsaMidiBackend::numberOfSources()
{
    if (!isOpen())
        return 0;
    std::lock_guard<std::mutex> lock(d->mutex);
    return int(d->endpoints(true).size());
}

MidiRef AlsaMidiBackend::source(int index)
{
    if (!isOpen() || index < 0)
        return 0;
    std::lock_guard<std::mutex> lock(d->mutex);
    const auto refs = d->endpoints(true);
    return size_t(index) < refs.size() ? refs[size_t(index)] : 0;
}

int AlsaMidiBackend::numberOfDestinations()
{
    if (!isOpen())
        return 0;
    std::lock_guard<std::mutex> lock(d->mutex);
    return int(d->endpoints(false).size());
}

MidiRef AlsaMidiBackend::destination(int index)
{
    if (!isOpen() || index < 0)
        return 0;
    std::lock_guard<std::mutex> lock(d->mutex);
    const auto refs = d->endpoints(false);
    return size_t(index) < refs.size() ? refs[size_t(index)] : 0;
}

QString AlsaMidiBackend::endpointName(MidiRef endpoint)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    auto it = d->objects.find(endpoint);
    if (it == d->objects.end())
        return QString();
    if (it->second.kind == Private::Kind::Source || it->second.kind == Private::Kind::Destination)
        return it->second.name;
    if (it->second.kind != Private::Kind::Remote)
        return QString();
    std::lock_guard<std::mutex> alsa(d->alsaMutex);
    snd_seq_port_info_t* pinfo;
    snd_seq_port_info_alloca(&pinfo);
    if (snd_seq_get_any_port_info(d->seq, it->second.remoteClient, it->second.remotePort, pinfo) < 0)
        return QString();
    return QString::fromUtf8(snd_seq_port_info_get_name(pinfo));
}

int32_t AlsaMidiBackend::send(MidiRef outputPort, MidiRef destination, const MidiPacketList& packets)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    auto it = d->objects.find(outputPort);
    int client = -1, port = -1;
    if (it == d->objects.end() || it->second.kind != Private::Kind::OutputPort)
        return kMidiInvalidArgument;
    auto dest = d->objects.find(destination);
    if (dest == d->objects.end() || dest->second.kind == Private::Kind::Source
        || !d->addressOf(destination, client, port))
        return kMidiInvalidArgument;
    return d->emitPackets(it->second.port, false, client, port, packets);
}

int32_t AlsaMidiBackend::createSource(MidiRef client, const QString& name, MidiRef* source)
{
    return d->createPort(Private::Kind::Source, client, name,
                         SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ, {}, nullptr, source);
}

int32_t AlsaMidiBackend::createDestination(MidiRef client, const QString& name, MidiReadProc proc,
                                           void* refCon, MidiRef* destination)
{
    if (!proc)
        return kMidiInvalidArgument;
    return d->createPort(Private::Kind::Destination, client, name,
                         SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE, std::move(proc),
                         refCon, destination);
}

int32_t AlsaMidiBackend::received(MidiRef source, const MidiPacketList& packets)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    auto it = d->objects.find(source);
    if (it == d->objects.end() || it->second.kind != Private::Kind::Source)
        return kMidiInvalidArgument;
    return d->emitPackets(it->second.port, true, 0, 0, packets);
}

int32_t AlsaMidiBackend::disposeEndpoint(MidiRef endpoint)
{
    std::unique_lock<std::mutex> lock(d->mutex);
    auto it = d->objects.find(endpoint);
    if (it == d->objects.end()
        || (it->second.kind != Private::Kind::Source
            && it->second.kind != Private::Kind::Destination))
        return kMidiInvalidArgument;
    d->remove(endpoint, lock);
    return kMidiNoError;
}

} // namespace NS_Platform
#endif
