#include "MidiEndpointPair.h"

namespace NS_Platform {

MidiEndpointPair::MidiEndpointPair(MidiService& service, const QString& name,
                                   MidiReadProc onReceive)
    : m_service(service)
{
    if (m_service.createClient(name, &m_client) != kMidiNoError)
        return;
    if (m_service.createSource(m_client, name, &m_source) != kMidiNoError)
        m_source = 0;
    if (!onReceive)
        onReceive = [](const MidiPacketList&, void*) {};
    if (m_service.createDestination(m_client, name, std::move(onReceive), this, &m_destination)
        != kMidiNoError)
        m_destination = 0;
}

MidiEndpointPair::~MidiEndpointPair()
{
    if (m_client)
        m_service.disposeClient(m_client);
}

int32_t MidiEndpointPair::send(const void* data, int length)
{
    if (!data || length <= 0)
        return kMidiInvalidArgument;
    MidiPacket packet;
    packet.timeStamp = MidiService::hostTime();
    packet.bytes.assign(static_cast<const uint8_t*>(data),
                        static_cast<const uint8_t*>(data) + length);
    return send(MidiPacketList{std::move(packet)});
}

int32_t MidiEndpointPair::send(const MidiPacketList& packets)
{
    if (!m_source)
        return kMidiFailure;
    return m_service.received(m_source, packets);
}

} // namespace NS_Platform
