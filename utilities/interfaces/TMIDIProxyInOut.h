#pragma once
// One MIDI port pair as the memory model sees it: index 0 the instrument, 1 the
// control surface. The implementing bridge is also an IMIDIPortAccessor.
#include "vantrel_kxe21_utilities_export.h"
#include <QUuid>
#include <cstdint>

class VANTREL_UTILITIES_EXPORT TMIDIProxyInOut
{
public:
    // Pump thread, with the memory-API lock held for the whole batch. Hands one
    // received message to the memory API; length when taken, 0 when refused.
    virtual int32_t read(int length, const void* data, bool sysex, bool channel) = 0;
    virtual ~TMIDIProxyInOut() = default;
    // Any thread, no lock inside. Sends one message to the output port; 0 without
    // an output, 1 for a channel message that cannot be mapped.
    virtual int32_t write(int length, const void* data) = 0;
    // The selected input (0) or output (1) port; the null identifier otherwise.
    virtual QUuid portIdentity(int direction) = 0;
    // Selects ports[1] as output, then ports[0] as input, for the given pair.
    virtual int32_t selectPorts(const QUuid* ports, int pair) = 0;
    // Whether channel messages from the input are passed on.
    virtual void setReceiveChannelMessages(bool receive) = 0;
    virtual bool receiveChannelMessages() = 0;
};
