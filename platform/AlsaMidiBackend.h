#pragma once
// The MIDI service over the ALSA sequencer. Built only with VANTREL_HAVE_ALSA (but for
// the test hooks at the end); the sequencer's own headers stay inside the platform library.
//
// Each client is a sequencer client of its own, named as given, with a hidden port that
// hears the sequencer's announcements in order with what the client receives. One thread
// reads every client and does little per event: it gathers system-exclusive pieces into
// whole messages and decides, as it reads a message, which port and connection it is
// for; one delivers to the read and notify procedures; one sends to cables at a cable's
// pace. Every write to another client goes through that client's gate, which checks its
// room and writes as one step, whichever of this process's ports the event comes from.
// What a port sends reaches the chosen destination (for an output port) and every port
// subscribed to it, each once; a subscription that asked for time stamps gets them. The
// endpoint lists follow the sequencer's announcements: an endpoint leaves them once what
// it sent before it went has been read. An endpoint that goes is never written to again,
// not even when another program takes its address. A receiver that stops reading makes
// a send fail within 100 ms.
#include "platform/MidiService.h"
#include <functional>
#include <memory>
#include <poll.h>

namespace NS_Platform {

class AlsaMidiBackend : public MidiService
{
public:
    AlsaMidiBackend();
    ~AlsaMidiBackend() override;

    // Whether a sequencer handle opens (/dev/snd/seq is there and usable).
    static bool available();
    bool isOpen() const;

    QString backendName() const override;
    int32_t createClient(const QString& name, MidiRef* client) override;
    int32_t disposeClient(MidiRef client) override;
    int32_t setNotifyProc(MidiRef client, MidiNotifyProc proc) override;
    int32_t createInputPort(MidiRef client, const QString& name, MidiReadProc proc,
                            MidiRef* port) override;
    int32_t createOutputPort(MidiRef client, const QString& name, MidiRef* port) override;
    int32_t disposePort(MidiRef port) override;
    int32_t connectSource(MidiRef inputPort, MidiRef source, void* connRefCon) override;
    int32_t disconnectSource(MidiRef inputPort, MidiRef source) override;
    int numberOfSources() override;
    MidiRef source(int index) override;
    int numberOfDestinations() override;
    MidiRef destination(int index) override;
    QString endpointName(MidiRef endpoint) override;
    int32_t send(MidiRef outputPort, MidiRef destination, const MidiPacketList& packets) override;
    int32_t createSource(MidiRef client, const QString& name, MidiRef* source) override;
    int32_t createDestination(MidiRef client, const QString& name, MidiReadProc proc,
                              void* refCon, MidiRef* destination) override;
    int32_t received(MidiRef source, const MidiPacketList& packets) override;
    int32_t disposeEndpoint(MidiRef endpoint) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Tests only: what the reader calls in place of poll() (empty: poll()), and how many
// events it reads from one client before the others get their turn (0: its own
// number). Taken by the backends made from then on; any thread.
using AlsaReaderPoll = std::function<int(pollfd* fds, nfds_t count, int timeoutMs)>;
VANTREL_PLATFORM_EXPORT void setAlsaReaderForTesting(AlsaReaderPoll poll, int eventsPerDrain);
// Tests only: what a write calls once it has found room at the receiving client, just
// before it writes (empty: nothing). Taken by the backends made from then on; called on
// the writing thread.
using AlsaWriteHook = std::function<void(int receivingClient)>;
VANTREL_PLATFORM_EXPORT void setAlsaWriterForTesting(AlsaWriteHook beforeWrite);

} // namespace NS_Platform
