#ifdef VANTREL_HAVE_ALSA
#include "AlsaSequencer.h"
#include <QLoggingCategory>
#include <poll.h>

Q_DECLARE_LOGGING_CATEGORY(lcPlatformMidi)

namespace NS_Platform::AlsaSeq {

namespace {

// The kernel's largest input pool for one client: about 180 cable pieces of 256 bytes.
constexpr int kInputPool = 2000;
// Room in alsa-lib for many events per read, so that one read empties the kernel queue.
constexpr size_t kInputBuffer = 256 * 1024;

void silentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

} // namespace

Handle::~Handle()
{
    if (seq)
        snd_seq_close(seq);
}

MidiCodec::MidiCodec(size_t buffer)
{
    if (snd_midi_event_new(buffer, &m_codec) == 0)
        snd_midi_event_no_status(m_codec, 1);
    else
        m_codec = nullptr;
}

MidiCodec::~MidiCodec()
{
    if (m_codec)
        snd_midi_event_free(m_codec);
}

void quietAlsa()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(silentAlsaErrors); });
}

bool isCable(unsigned type)
{
    return (type & SND_SEQ_PORT_TYPE_MIDI_GENERIC) && !(type & SND_SEQ_PORT_TYPE_APPLICATION);
}

bool isAnnouncement(int type)
{
    switch (type) {
    case SND_SEQ_EVENT_CLIENT_START:
    case SND_SEQ_EVENT_CLIENT_EXIT:
    case SND_SEQ_EVENT_CLIENT_CHANGE:
    case SND_SEQ_EVENT_PORT_START:
    case SND_SEQ_EVENT_PORT_EXIT:
    case SND_SEQ_EVENT_PORT_CHANGE:
        return true;
    default:
        return false;
    }
}

bool isExit(int type) { return type == SND_SEQ_EVENT_PORT_EXIT || type == SND_SEQ_EVENT_CLIENT_EXIT; }

HandlePtr openHandle(const QString& name)
{
    auto h = std::make_shared<Handle>();
    if (snd_seq_open(&h->seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
        h->seq = nullptr;
        return nullptr;
    }
    snd_seq_set_client_name(h->seq, name.toUtf8().constData());
    // A long dump arrives faster than a busy reader may read: the queue holds as much
    // of it as the kernel allows.
    if (snd_seq_set_client_pool_input(h->seq, kInputPool) < 0)
        qCWarning(lcPlatformMidi) << "ALSA sequencer input pool stays at its default size";
    if (snd_seq_set_input_buffer_size(h->seq, kInputBuffer) < 0)
        qCWarning(lcPlatformMidi) << "ALSA sequencer input buffer stays at its default size";
    h->client = snd_seq_client_id(h->seq);
    // The reader polls this descriptor and the room checks ask the kernel through it:
    // without it neither works, and nothing is done half.
    pollfd pfd{};
    if (h->client < 0 || snd_seq_poll_descriptors(h->seq, &pfd, 1, POLLIN) != 1 || pfd.fd < 0) {
        qCWarning(lcPlatformMidi) << "ALSA sequencer client" << name << "has no number or descriptor";
        return nullptr;
    }
    h->fd = pfd.fd;
    snd_seq_port_info_t* info;
    snd_seq_port_info_alloca(&info);
    snd_seq_port_info_set_name(info, "announcements");
    snd_seq_port_info_set_capability(info, SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT);
    snd_seq_port_info_set_type(info, SND_SEQ_PORT_TYPE_APPLICATION);
    snd_seq_port_info_set_port_specified(info, 1);
    snd_seq_port_info_set_port(info, kClientPort);
    if (snd_seq_create_port(h->seq, info) < 0
        || snd_seq_connect_from(h->seq, kClientPort, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE) < 0) {
        qCWarning(lcPlatformMidi) << "ALSA sequencer client" << name << "cannot hear the announcements";
        return nullptr;
    }
    return h;
}

bool isAt(snd_seq_t* seq, int client, int port, const PortIdentity& identity)
{
    snd_seq_client_info_t* cinfo;
    snd_seq_port_info_t* pinfo;
    snd_seq_client_info_alloca(&cinfo);
    snd_seq_port_info_alloca(&pinfo);
    if (snd_seq_get_any_client_info(seq, client, cinfo) < 0 || snd_seq_get_any_port_info(seq, client, port, pinfo) < 0)
        return false;
    PortIdentity now;
    now.client = QString::fromUtf8(snd_seq_client_info_get_name(cinfo));
    now.port = QString::fromUtf8(snd_seq_port_info_get_name(pinfo));
    now.pid = snd_seq_client_info_get_pid(cinfo);
    now.card = snd_seq_client_info_get_card(cinfo);
    return now == identity;
}

std::vector<ScannedPort> scanKernel(snd_seq_t* seq)
{
    std::vector<ScannedPort> found;
    snd_seq_client_info_t* cinfo;
    snd_seq_port_info_t* pinfo;
    snd_seq_client_info_alloca(&cinfo);
    snd_seq_port_info_alloca(&pinfo);
    snd_seq_client_info_set_client(cinfo, -1);
    while (snd_seq_query_next_client(seq, cinfo) >= 0) {
        const int client = snd_seq_client_info_get_client(cinfo);
        if (client == SND_SEQ_CLIENT_SYSTEM)
            continue;
        PortIdentity base;
        base.client = QString::fromUtf8(snd_seq_client_info_get_name(cinfo));
        base.pid = snd_seq_client_info_get_pid(cinfo);
        base.card = snd_seq_client_info_get_card(cinfo);
        snd_seq_port_info_set_client(pinfo, client);
        snd_seq_port_info_set_port(pinfo, -1);
        while (snd_seq_query_next_port(seq, pinfo) >= 0) {
            ScannedPort p;
            p.client = client;
            p.port = snd_seq_port_info_get_port(pinfo);
            p.caps = snd_seq_port_info_get_capability(pinfo);
            p.type = snd_seq_port_info_get_type(pinfo);
            p.identity = base;
            p.identity.port = QString::fromUtf8(snd_seq_port_info_get_name(pinfo));
            found.push_back(std::move(p));
        }
    }
    return found;
}

} // namespace NS_Platform::AlsaSeq
#endif
