// The simulated TOVAR-VANTREL: the instrument's side of the protocol on a thread
// of its own, speaking bytes. Input arrives through input(); output leaves
// through the byte sink, called on the instrument's thread.
#pragma once

#include "simulator/SimMemoryImage.h"
#include "simulator/SimMemoryMap.h"
#include "simulator/SimMidiParser.h"
#include "vantrel_simulator_export.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace NS_Simulator {

class VANTREL_SIMULATOR_EXPORT SimulatedInstrument
{
public:
    using ByteSink = std::function<void(const uint8_t* bytes, size_t length)>;

    enum class Fault {
        None,
        NoReply,           // requests go unanswered
        LateReply,         // replies leave param milliseconds late
        WrongModel,        // identity reply and dumps carry another model
        BadChecksum,       // message param of every reply has a wrong checksum
        BadCount,          // message param of every reply has a wrong byte count
        MissingBlock,      // data block param is left out of every framed dump
        SilenceAfterBlocks // nothing more is sent after param data blocks
    };

    enum class Transport {
        Whole, // one message per packet
        Split, // every message cut into packets of the chunk size
        Pack   // all messages of one reply in one packet
    };

    enum class Kind {
        Identity,
        ParameterChange,
        ParameterRefused,   // names no parameter, or data of the wrong size
        VoiceSelect,        // the voice edit buffer follows a MIDI channel
        Dump,               // stored
        DumpBadChecksum,    // refused
        DumpBadCount,       // refused
        DumpUnknownAddress, // refused: no block there
        DumpIgnored,        // well-formed, but framed for a preset bank
        Framing,            // a dump's header or footer
        BulkRequest,
        ParameterRequest,
        Channel,
        Ignored             // another device, another model, or not understood
    };

    struct Received
    {
        Bytes bytes;
        int64_t timeNs = 0; // steady clock, when the bytes that completed it arrived
        Kind kind = Kind::Ignored;
    };

    struct Sent
    {
        Bytes bytes;        // one packet
        int64_t timeNs = 0; // steady clock, when the sink was called
    };

    explicit SimulatedInstrument(SimMemoryMap map = SimMemoryMap::standard());
    ~SimulatedInstrument();

    SimulatedInstrument(const SimulatedInstrument&) = delete;
    SimulatedInstrument& operator=(const SimulatedInstrument&) = delete;

    // Set before start() or while stopped.
    void setOutputSink(ByteSink sink);

    void start();
    // Stops the thread; output not yet delivered is dropped.
    void stop();
    bool isRunning() const { return m_running.load(); }

    // Any thread: takes a copy of the bytes and returns at once.
    void input(const uint8_t* bytes, size_t length);
    void input(const Bytes& bytes) { input(bytes.data(), bytes.size()); }

    // Settings, any thread.
    void setDeviceNumber(int device);
    int deviceNumber() const;
    void setFault(Fault fault, int param = 0);
    // Paces output at bytesPerSecond (a MIDI cable carries 3125).
    void setCableSpeed(bool on, int bytesPerSecond = kCableBytesPerSecond);
    void setTransport(Transport transport, size_t chunkSize = 3);

    // Sends one well-formed system-exclusive message of totalSize bytes (F0 7D
    // .. F7, a message nobody claims) in a single packet.
    void sendLargeMessage(size_t totalSize = 64 * 1024);

    // Inspection, any thread.
    std::vector<Received> received() const;
    std::vector<Received> received(Kind kind) const;
    std::vector<Sent> sent() const;
    void clearLogs();
    // Waits until at least count messages were received.
    bool waitForReceived(size_t count, int timeoutMs) const;
    // Waits until all input is handled and all output delivered.
    bool waitIdle(int timeoutMs) const;

    // The memory image, any thread: a copy, or an edit made under the
    // instrument's lock.
    SimMemoryImage image() const;
    void editImage(const std::function<void(SimMemoryImage&)>& edit);
    Bytes multiBlock(const Bytes& address) const;
    void resetToDefaults();
    // MIDI channel named by the last voice edit select message, -1 = none.
    int voiceEditChannel() const;
    const SimMemoryMap& memoryMap() const { return *m_map; }

    static constexpr int kCableBytesPerSecond = 3125;
    static int64_t nowNs();

private:
    struct Chunk
    {
        Bytes bytes;
        int64_t timeNs;
    };
    struct Packet
    {
        Bytes bytes;
        int64_t dueNs;
    };

    void run();
    void handleMessage(const Bytes& msg);
    Kind handleSysEx(const Bytes& msg);
    void answerIdentity(uint8_t requestDevice);
    Kind storeDump(const Bytes& address, const Bytes& data);
    Kind storeParameter(const Bytes& address, const Bytes& data);
    void applyArpRule(int part, bool switchWritten); // under m_stateMutex
    void answerBulkRequest(const Bytes& address, const Bytes& data);
    void answerParameterRequest(const Bytes& address);
    void sendReply(std::vector<Bytes> messages, const std::vector<bool>& isBlock);
    void schedule(const std::vector<Bytes>& messages, int64_t readyNs);
    void log(const Bytes& msg, Kind kind);
    bool namesParameter(const Bytes& address) const;

    std::shared_ptr<const SimMemoryMap> m_map;
    SimMemoryImage m_image;      // under m_stateMutex
    bool m_rxFramed = false;     // between a received header and its footer
    uint8_t m_rxFrame[2] = {0, 0};
    int m_voiceEditChannel = -1;

    mutable std::mutex m_stateMutex; // image, settings, logs
    Fault m_fault = Fault::None;
    int m_faultParam = 0;
    int m_blocksSent = 0; // data blocks since the fault was set
    uint8_t m_device = 0;
    bool m_cableSpeed = false;
    int m_bytesPerSecond = kCableBytesPerSecond;
    Transport m_transport = Transport::Whole;
    size_t m_chunkSize = 3;
    std::vector<Received> m_received;
    std::vector<Sent> m_sent;
    mutable std::condition_variable m_logChanged;

    ByteSink m_sink;

    // Work queues, under m_queueMutex.
    mutable std::mutex m_queueMutex;
    std::condition_variable m_wake;
    std::deque<Chunk> m_input;
    std::deque<Packet> m_output; // in due order
    int64_t m_lineFreeNs = 0;    // when the paced line is free again
    bool m_busy = false;         // the thread is handling input or delivering
    mutable std::condition_variable m_idle;

    SimMidiParser m_parser;
    int64_t m_currentChunkNs = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::thread m_thread;
};

} // namespace NS_Simulator
