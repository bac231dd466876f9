#pragma once
// The host's MIDI: every source and destination of the platform MIDI service is a
// host port with a number and a stable identity. Incoming bytes become host MIDI
// events handed to the component's event filter on the service's delivery thread;
// the component's outgoing events become bytes sent to the destinations.
#include "HostCounted.h"
#include "platform/MidiService.h"
#include <QString>
#include <QUuid>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

class IMPEventFilter;

namespace NS_Host {

struct HostPort
{
    int32_t number = 0; // 1-based within its direction
    QUuid identity;
    QString name;
    NS_Platform::MidiRef endpoint = 0;
};

// Cuts a byte stream into MIDI messages: system exclusive across packets, running
// status, real-time bytes dropped. One per source.
class MidiByteParser
{
public:
    static constexpr size_t kMaxSysEx = 1 << 20;
    // Appends every message the bytes complete.
    void feed(const uint8_t* bytes, size_t length, std::vector<std::vector<uint8_t>>& out);

private:
    std::vector<uint8_t> m_message;
    uint8_t m_running = 0;
    size_t m_expected = 0;
    bool m_inSysEx = false;
    bool m_overflow = false;
};

class HostMidiPorts : public HostCounted<IMPAsyncOutput>
{
public:
    explicit HostMidiPorts(NS_Platform::MidiService& service);
    // No delivery runs once this has returned.
    ~HostMidiPorts();
    HostMidiPorts(const HostMidiPorts&) = delete;
    HostMidiPorts& operator=(const HostMidiPorts&) = delete;

    // Makes the client and its ports and connects every source. False on failure.
    // From then on the lists follow the service's endpoints as they come and go.
    bool open();
    // Reads the service's endpoints again and connects new sources. A port keeps its
    // number while it is away, and gets it back when a port of its name comes again;
    // a new name gets the next free number. Any thread; the service's thread calls it
    // when its endpoints changed.
    void refresh();
    // Called after a refresh that changed the lists, on the thread that refreshed.
    // Setting another (or none) waits for one that is running.
    void setPortsChangedHandler(std::function<void()> handler);
    std::vector<HostPort> ports(bool output) const;
    // The identity of the port with that name, null when there is none.
    QUuid identityOf(bool output, const QString& name) const;
    static QUuid portIdentity(bool output, const QString& name);

    // Any thread. Incoming events go to this filter; null stops the delivery (and
    // waits for one under way).
    void setEventFilter(IMPEventFilter* filter);

    // IMPAsyncOutput. Any thread.
    int32_t MPOutputEvents(tagMPEVENT* events, uint32_t count) override;

    // The MIDI bytes of one host event; empty for a kind that has none.
    static std::vector<uint8_t> bytesOfEvent(const tagMPEVENT& event);
    // A host event for one message from a port; false for a message that has no
    // event (real-time, system common). A system-exclusive payload is malloc'd.
    static bool eventOfMessage(const std::vector<uint8_t>& message, uint32_t port, tagMPEVENT& event);

    uint64_t messagesIn() const { return m_messagesIn.load(); }
    uint64_t messagesOut() const { return m_messagesOut.load(); }

private:
    void onPackets(const NS_Platform::MidiPacketList& packets, void* connRefCon);
    std::vector<HostPort> readPorts(bool output);

    NS_Platform::MidiService& m_service;
    NS_Platform::MidiRef m_client = 0;
    NS_Platform::MidiRef m_inPort = 0;
    NS_Platform::MidiRef m_outPort = 0;
    std::mutex m_refreshMutex; // one refresh at a time; taken before m_portsMutex
    mutable std::mutex m_portsMutex;
    std::vector<HostPort> m_ports[2];
    // Every name seen, with its number: "name" and its occurrence among equal names.
    std::map<std::pair<QString, int>, int32_t> m_numbers[2];
    std::mutex m_handlerMutex;
    std::function<void()> m_changed;
    std::map<NS_Platform::MidiRef, MidiByteParser> m_parsers; // by source
    std::mutex m_filterMutex;
    IMPEventFilter* m_filter = nullptr;
    std::atomic<uint64_t> m_messagesIn{0};
    std::atomic<uint64_t> m_messagesOut{0};
};

} // namespace NS_Host
