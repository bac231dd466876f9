#pragma once
// The platform MIDI service: clients, input ports whose read procedure runs on a
// thread the service owns, output ports, named sources and destinations, and the
// host clock. One interface over an in-process virtual bus (always there) and the
// ALSA sequencer (where it was built and /dev/snd/seq opens).
#include "vantrel_platform_export.h"
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace NS_Platform {

// Handle of a client, port or endpoint; 0 is none.
using MidiRef = uint32_t;

struct MidiPacket
{
    uint64_t timeStamp = 0; // host time, nanoseconds
    std::vector<uint8_t> bytes;
};
using MidiPacketList = std::vector<MidiPacket>;

// Runs on the service's delivery thread, never on the caller's. connRefCon is the
// value given to connectSource (or createDestination).
using MidiReadProc = std::function<void(const MidiPacketList& packets, void* connRefCon)>;
// Runs on the service's delivery thread after the system's sources or destinations
// changed: an endpoint came or went, in this process or in another.
using MidiNotifyProc = std::function<void()>;

enum : int32_t {
    kMidiNoError = 0,
    kMidiInvalidArgument = int32_t(0x80000003),
    kMidiFailure = int32_t(0x80000008),
};

class VANTREL_PLATFORM_EXPORT MidiService
{
public:
    virtual ~MidiService();

    virtual QString backendName() const = 0;

    // Any thread; each call takes the service's own lock. A dispose or disconnect
    // waits for a read procedure of that port that is running on the delivery
    // thread, so no callback of it runs once the call has returned (called from
    // inside that callback, it returns at once and the callback is the last one).
    virtual int32_t createClient(const QString& name, MidiRef* client) = 0;
    virtual int32_t disposeClient(MidiRef client) = 0;
    // The client's procedure for changes of the endpoint lists (empty: none). A
    // dispose of the client waits for one that is running, as for a read procedure.
    virtual int32_t setNotifyProc(MidiRef client, MidiNotifyProc proc) = 0;
    virtual int32_t createInputPort(MidiRef client, const QString& name, MidiReadProc proc,
                                    MidiRef* port) = 0;
    virtual int32_t createOutputPort(MidiRef client, const QString& name, MidiRef* port) = 0;
    virtual int32_t disposePort(MidiRef port) = 0;
    virtual int32_t connectSource(MidiRef inputPort, MidiRef source, void* connRefCon) = 0;
    virtual int32_t disconnectSource(MidiRef inputPort, MidiRef source) = 0;

    // The endpoints of the system, in a stable order; 0 past the end. A ref stands for
    // one endpoint only: an endpoint that goes keeps its ref, which then names nothing,
    // and one that comes in its place gets a new ref.
    virtual int numberOfSources() = 0;
    virtual MidiRef source(int index) = 0;
    virtual int numberOfDestinations() = 0;
    virtual MidiRef destination(int index) = 0;
    // Empty for an unknown endpoint or one without a name.
    virtual QString endpointName(MidiRef endpoint) = 0;

    // Delivers the packets to the destination, later, on the delivery thread. A message
    // arrives whole or not at all; a failure is reported by this call, or, for bytes
    // still waiting for a slow cable, by the next send to that destination. Returns
    // within the service's bound for a receiver that stopped reading.
    virtual int32_t send(MidiRef outputPort, MidiRef destination, const MidiPacketList& packets) = 0;

    // Endpoints published by this process: a source it feeds with received(), and a
    // destination whose procedure gets what others send to it.
    virtual int32_t createSource(MidiRef client, const QString& name, MidiRef* source) = 0;
    virtual int32_t createDestination(MidiRef client, const QString& name, MidiReadProc proc,
                                      void* refCon, MidiRef* destination) = 0;
    virtual int32_t received(MidiRef source, const MidiPacketList& packets) = 0;
    virtual int32_t disposeEndpoint(MidiRef endpoint) = 0;

    // Any thread. Nanoseconds of CLOCK_MONOTONIC.
    static uint64_t hostTime();

    // The process-wide service. VANTREL_MIDI_BACKEND=virtual|alsa chooses; without
    // it the ALSA sequencer is used when it opens, else the virtual bus. Created on
    // first use and kept to the end of the process.
    static MidiService& system();
    // A new service of that backend ("virtual" or "alsa"); null when unavailable.
    static std::unique_ptr<MidiService> create(const QString& backend);
    // Whether the ALSA backend is built and /dev/snd/seq opens.
    static bool alsaAvailable();
};

} // namespace NS_Platform
