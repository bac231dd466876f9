#pragma once
// A named source and destination of this process on a MIDI service: how a test or
// the simulated instrument shows up as a device.
#include "platform/MidiService.h"

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT MidiEndpointPair
{
public:
    // onReceive gets what others send to the destination, on the service's thread.
    MidiEndpointPair(MidiService& service, const QString& name, MidiReadProc onReceive);
    // No onReceive call runs once the destructor has returned.
    ~MidiEndpointPair();
    MidiEndpointPair(const MidiEndpointPair&) = delete;
    MidiEndpointPair& operator=(const MidiEndpointPair&) = delete;

    bool isValid() const { return m_source && m_destination; }
    // Any thread. Emits the bytes as one packet from the source.
    int32_t send(const void* data, int length);
    int32_t send(const MidiPacketList& packets);

    MidiRef source() const { return m_source; }
    MidiRef destination() const { return m_destination; }
    MidiService& service() const { return m_service; }

private:
    MidiService& m_service;
    MidiRef m_client = 0;
    MidiRef m_source = 0;
    MidiRef m_destination = 0;
};

} // namespace NS_Platform
