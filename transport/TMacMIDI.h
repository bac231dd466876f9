#pragma once
// The transport over the platform's MIDI service.
#include "transport/TMIDITransport.h"

namespace NS_Platform {
class MidiService;
}
struct TMacMIDIRefs;

class VANTREL_TRANSPORT_EXPORT TMacMIDI : public TMIDITransport
{
    Q_OBJECT
public:
    // Creates the client "MIDI Client"; without a service, the process-wide one.
    explicit TMacMIDI(IMIDIPortAccessor* accessor, NS_Platform::MidiService* service = nullptr);
    // Closes both ports; no read runs once it has returned.
    ~TMacMIDI() override;

    int numberOfInputs() override;
    int numberOfOutputs() override;
    QUuid getInpPortDescriptor(int portNumber) override;
    QUuid getOutPortDescriptor(int portNumber) override;
    // Any thread but the MIDI thread. Returns the connected source, 0 when none.
    uint32_t openInput(int portNumber) override;
    // Any thread. No read of this transport runs once it has returned.
    int32_t closeInput() override;
    uint32_t openOutput(int portNumber) override;
    int32_t closeOutput() override;
    // Any thread. 1 sent (or nothing to send), 0 not sent.
    int outputData(int length, const void* data) override;

private:
    QUuid portDescriptor(int portNumber, bool output);

    NS_Platform::MidiService* m_service;
    std::unique_ptr<TMacMIDIRefs> m_refs;
};

// A new transport over the platform's MIDI service; Release() it.
VANTREL_TRANSPORT_EXPORT TMIDITransport* MIDITransportInstance(IMIDIPortAccessor* accessor);
