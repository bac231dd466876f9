#pragma once
// What the threads of the ALSA backend share. Inside the platform library only.
//
// The calls of the service run in AlsaMidiBackend.cpp. Each thread's code has a file of
// its own: the reader of every client (AlsaClientReader.cpp), the delivery to the read
// and notify procedures (AlsaDelivery.cpp), the writer that owns every write to another
// client with its room check and pacing (AlsaWriter.cpp), and the endpoint lists
// (AlsaPortLists.cpp), which the callers and the delivery thread keep current.
//
// Lock order: a sender's mutex, then the gates of the receiving clients (by client
// number), then a handle's write mutex; a sender's mutex before `outMutex`; `scanMutex`,
// then `mutex`, then `routesMutex`. The reader's and the delivery's own locks are taken
// alone. `mutex` is never held across a wait or a callback, nor across a write to
// another client; `outMutex` never across a write.
#ifdef VANTREL_HAVE_ALSA
#include "AlsaMidiBackend.h"
#include "AlsaSequencer.h"
#include "MidiCablePacer.h"
#include "MidiOutgoingCutter.h"
#include <QLoggingCategory>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcPlatformMidi)

namespace NS_Platform {

namespace AlsaBackend {

using Clock = std::chrono::steady_clock;
using namespace AlsaSeq;

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

inline int64_t addressKey(int client, int port) { return int64_t(client) << 16 | int64_t(port & 0xFFFF); }
inline int keyClient(int64_t key) { return int(key >> 16); }
inline int keyPort(int64_t key) { return int(key & 0xFFFF); }
// The line and the memory of a failed message of the kernel's delivery to every
// subscriber of one port: apart from any one receiver's.
inline int64_t subscribersKey(int client, int port) { return int64_t(1) << 40 | addressKey(client, port); }

// What one sender (an output port or a source) keeps for one destination.
struct Sender
{
    // The cutter and the encoder; taken before the receivers' gates and the output
    // thread's lock.
    std::mutex mutex;
    MidiOutgoingCutter cutter;
    MidiCodec encoder{16};
    // Receivers (targets' keys) that failed the message in progress: they get none of
    // the rest of it.
    std::vector<int64_t> failed;
    // Events waiting for a cable could not be delivered: told to the next send.
    bool pacedFailed = false;
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

// Where one send goes from: the port, and for an output port the chosen destination.
struct Route
{
    HandlePtr handle;
    int fromPort = -1;
    MidiRef from = 0;
    MidiRef dest = 0; // 0: a source's send, to its subscribers only
    int destClient = -1;
    int destPort = -1;
    bool own = false;   // the destination is an endpoint of this process
    bool cable = false; // the destination stands for a MIDI cable
    PortIdentity identity;
    SenderPtr sender;
};

// What one event of a send is written to: one receiver, or every subscriber of the
// sending port at once through the kernel's delivery to subscribers, which stamps each
// event with the time its subscription asked for.
struct Target
{
    bool subscribers = false;
    snd_seq_addr_t to{};
    bool chosen = false;      // the destination of send(): looked at before each event
    bool paced = false;       // a cable is among the receivers
    std::vector<int> clients; // the receiving clients, once per receiving port
    int64_t key = 0;          // its paced line, and its memory of a failed message
};

// What the reader hands to the delivery thread, in the order it read it.
struct Arrival
{
    enum class What { Message, Announcement, AnnouncementsLost, ConnectionEnded };
    What what = What::Message;
    int type = 0;             // an announcement
    int client = 0, port = 0; // the announced address; port -1: a client that went
    MidiRef target = 0;       // a message: the own port it is for; a connection: its input port
    MidiRef source = 0;       // the source of a message to an input port, or of the connection
    uint64_t connection = 0;
    MidiPacket packet;
};

} // namespace AlsaBackend

struct AlsaMidiBackend::Private
{
    using Arrival = AlsaBackend::Arrival;
    using Clock = AlsaBackend::Clock;
    using HandlePtr = AlsaSeq::HandlePtr;

    enum class Kind { Client, InputPort, OutputPort, Source, Destination, Remote };
    // An input port's connection to a source: its context, and an identity of its own,
    // so that what was read for a connection that has ended goes to no later one.
    struct Connection
    {
        uint64_t id = 0;
        void* refCon = nullptr;
    };
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
        std::map<MidiRef, Connection> connections; // input port: source -> connection
        MidiNotifyProc notify;                     // client
        // Remote: another client's port.
        int remoteClient = -1, remotePort = -1;
        AlsaSeq::PortIdentity identity;
        unsigned caps = 0, type = 0;
        bool gone = false;
    };

    // ================= objects (AlsaMidiBackend.cpp): under `mutex`

    std::mutex mutex;
    std::condition_variable progress; // a callback ended
    std::map<MidiRef, Object> objects;
    std::map<int64_t, MidiRef> ownByAddress; // own ports of every handle
    std::map<std::pair<MidiRef, MidiRef>, AlsaBackend::SenderPtr> senders;
    MidiRef nextRef = 1;
    MidiRef active = 0; // the port or client whose callback runs
    uint64_t nextConnection = 1;

    AlsaBackend::SenderPtr senderFor(MidiRef from, MidiRef to);
    void eraseSenders(MidiRef ref);
    HandlePtr handleOf(const Object& o);
    bool sourceAddress(const Object& source, int& client, int& port);
    int32_t createPort(Kind kind, MidiRef client, const QString& name, unsigned caps, MidiReadProc proc,
                       void* refCon, MidiRef* out);
    int32_t removePort(MidiRef ref, std::unique_lock<std::mutex>& lock);
    void waitForCallback(MidiRef target, std::unique_lock<std::mutex>& lock);

    // ================= what the reader reads messages for: under `routesMutex`

    // An own input port's connection to a source, by the source's address. It begins
    // where the client's own queue brings the mark connectSource wrote there, after the
    // exit of whoever had the address before; it ends where the queue brings the source's
    // exit, or with a disconnect; never with a reading of the lists.
    struct Link
    {
        MidiRef port = 0;
        MidiRef source = 0;
        uint64_t connection = 0;
        int64_t to = 0, from = 0; // the addresses of the input port and the source
    };
    struct Receiving
    {
        MidiRef ref = 0;
        bool input = false; // an input port: only what its connections bring
    };
    std::mutex routesMutex;
    std::map<int64_t, Receiving> receiving;                  // own input ports and destinations
    std::map<std::pair<int64_t, int64_t>, Link> links;       // (own input port, source) addresses
    std::map<uint64_t, Link> marked;                         // by connection: waiting for their mark

    bool markLink(const HandlePtr& handle, uint64_t connection);
    void beginLink(uint64_t connection); // under `routesMutex`

    // ================= the endpoint lists (AlsaPortLists.cpp): under `mutex`

    std::map<int64_t, MidiRef> liveByAddress; // other clients' ports listed now
    std::vector<MidiRef> sources, destinations;
    std::vector<MidiRef> goneLines; // destinations gone whose paced events are still there
    uint64_t generation = 0;
    uint64_t notified = 0;
    bool dirty = true;
    // Exits applied so far, and the count when the last one at an address (or at a whole
    // client: port 0xFFFF) was: a scan begun before it may have seen the one that went.
    uint64_t exitsApplied = 0;
    std::map<int64_t, uint64_t> lastExit;
    std::mutex scanMutex; // one scan at a time; taken before `mutex`
    HandlePtr watch;      // listens to the announcements and asks the kernel

    void markGone(MidiRef ref);
    void apply(const std::vector<AlsaSeq::ScannedPort>& scan, uint64_t begunAt, bool announcementsLost);
    bool exitedSince(uint64_t begunAt, int client, int port) const;
    bool handleOwns(int client);
    void rescan(bool announcementsLost = false);
    void ensureCurrent();
    void leave(int client, int port);

    // ================= the reader (AlsaClientReader.cpp)

    struct ReaderClient;
    std::mutex handlesMutex;
    std::condition_variable handlesAck;
    std::vector<HandlePtr> handles;
    uint64_t handlesWanted = 0, handlesSeen = 0;
    int wakePipe[2] = {-1, -1};
    std::thread reader;
    std::atomic<bool> readerEnded{false}; // set under `handlesMutex`
    AlsaReaderPoll pollEvents;            // empty: poll()
    int eventsPerDrain = AlsaBackend::kEventsPerDrain;

    void wakeReader();
    void addHandle(const HandlePtr& h);
    void removeHandle(const HandlePtr& h);
    void readerRun();
    bool drain(ReaderClient& c, std::vector<Arrival>& found);
    bool readFor(const snd_seq_event_t& ev, Arrival& a);
    void leftInBand(ReaderClient& c, int client, int port, std::vector<Arrival>& found);
    void overran(ReaderClient& c, std::vector<Arrival>& found);

    // ================= the delivery (AlsaDelivery.cpp)

    std::mutex deliveryMutex;
    std::condition_variable deliveryWake;
    std::deque<Arrival> arrivals;
    bool deliveryStop = false;
    std::thread delivery;

    void deliveryRun();
    void deliver(std::deque<Arrival>& batch);
    void dispatch(const Arrival& head, const MidiPacketList& list);
    void endConnection(const Arrival& a);
    void notifyIfChanged();

    // ================= the writer (AlsaWriter.cpp)

    // Events to one cable (or to a port's subscribers among which is a cable), leaving
    // at its pace.
    struct PacedLine
    {
        struct Item
        {
            AlsaBackend::Route route;
            AlsaBackend::Target target;
            AlsaBackend::OutEvent event;
        };
        std::deque<Item> items;
        MidiCablePacer pacer;
        bool midMessage = false; // the last event written does not end its message
        MidiRef midFrom = 0;     // the port it came from
        bool writing = false;
        MidiRef writingFrom = 0, writingTo = 0;
    };
    std::mutex outMutex;
    std::condition_variable outWake;
    std::map<int64_t, PacedLine> lines; // by target
    AlsaSeq::Handle* outWriting = nullptr; // the handle the output thread writes on
    bool outStop = false;
    std::thread output;

    // One writer at a time per receiving client: its room check and its write are one step.
    std::mutex gatesMutex;
    std::map<int, std::shared_ptr<std::timed_mutex>> gates;
    AlsaWriteHook beforeWrite; // tests only

    // Timed waits for a receiver's room (no lock of the others).
    std::mutex stallMutex;
    std::condition_variable stallWake;
    std::atomic<bool> stopping{false};

    int32_t sendThrough(AlsaBackend::Route& route, const MidiPacketList& packets);
    std::vector<AlsaBackend::OutEvent> cut(AlsaBackend::Route& route, const MidiPacketList& packets);
    std::vector<AlsaBackend::Target> targetsOf(const AlsaBackend::Route& route);
    bool checkRoute(const AlsaBackend::Route& route);
    bool write(const AlsaBackend::Route& route, const AlsaBackend::Target& target, AlsaBackend::OutEvent& e,
               Clock::time_point deadline);
    std::shared_ptr<std::timed_mutex> gateOf(int client);
    bool waitForRoom(const AlsaBackend::Route& route, int client, int cells, Clock::time_point deadline);
    bool pauseUntil(Clock::time_point deadline);
    void outputRun();
    void failPaced(PacedLine& line, const PacedLine::Item& item, std::unique_lock<std::mutex>& lock);
    void finishPaced(MidiRef ref);
    void eraseGoneLines();
};

} // namespace NS_Platform
#endif
