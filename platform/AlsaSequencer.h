#pragma once
// What the ALSA backend asks of the sequencer itself: one client's handle, who is at
// an address, and the ports the kernel lists. Inside the platform library only; the
// sequencer's headers go no further.
#ifdef VANTREL_HAVE_ALSA
#include <QString>
#include <alsa/asoundlib.h>
#include <memory>
#include <mutex>
#include <vector>

namespace NS_Platform::AlsaSeq {

// alsa-lib prints every failed open to stderr; failures are reported as statuses here.
void quietAlsa();

// A port that stands for a MIDI cable: the kernel's drivers mark their ports so, and
// an application may mark its own ports as such.
bool isCable(unsigned type);
// The announcements of clients and ports that come, go or change.
bool isAnnouncement(int type);
// The announcements of a port or a client that goes.
bool isExit(int type);

// Who is at an address: a program that takes the address of one that has gone is
// another endpoint, even with the same names.
struct PortIdentity
{
    QString client;
    QString port;
    int pid = -1;  // user clients
    int card = -1; // the kernel's clients
    bool operator==(const PortIdentity& o) const
    {
        return client == o.client && port == o.port && pid == o.pid && card == o.card;
    }
};

struct ScannedPort
{
    int client = 0;
    int port = 0;
    unsigned caps = 0;
    unsigned type = 0;
    PortIdentity identity;
};

// The number of each client's own port, hidden from other programs. It hears the
// sequencer's announcements and the client's own marks, in the client's own queue and so
// in order with what the client receives; and the client's subscriptions that open the
// kernel's ports for its writes go from it, so that the ports that send have only the
// subscribers other programs gave them. The highest number a client may give: clear of
// the numbers the kernel hands out from 0.
constexpr int kClientPort = 252;

// One sequencer client: each client of the service is a client of the kernel's own.
struct Handle
{
    snd_seq_t* seq = nullptr;
    int client = -1;
    int fd = -1; // the sequencer's descriptor: polled for input, and asked for other clients' room
    // alsa-lib's output buffer, held for the write of one event only. The reader of this
    // handle uses alsa-lib's input buffer and never takes it.
    std::mutex writeMutex;

    ~Handle();
};
using HandlePtr = std::shared_ptr<Handle>;

// alsa-lib's converter between MIDI bytes and sequencer events, with a status byte in
// every message it makes; null inside when alsa-lib has no memory for it.
class MidiCodec
{
public:
    explicit MidiCodec(size_t buffer);
    ~MidiCodec();
    MidiCodec(const MidiCodec&) = delete;
    MidiCodec& operator=(const MidiCodec&) = delete;
    snd_midi_event_t* get() const { return m_codec; }

private:
    snd_midi_event_t* m_codec = nullptr;
};

// A new client of that name with the kernel's largest input pool and its own port
// (kClientPort) subscribed to the announcements; null when the sequencer does not open
// or does not give all of that.
HandlePtr openHandle(const QString& name);
// Whether the endpoint of that identity is at client:port now: false when nobody is, or
// when another program has taken the address.
bool isAt(snd_seq_t* seq, int client, int port, const PortIdentity& identity);
// Every port of every client but the system's.
std::vector<ScannedPort> scanKernel(snd_seq_t* seq);

} // namespace NS_Platform::AlsaSeq
#endif
