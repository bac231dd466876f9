#include "simulator/SimBusEndpoint.h"

#include "platform/MidiEndpointPair.h"
#include "simulator/SimulatedInstrument.h"

#include <mutex>

namespace NS_Simulator {

// Shared with the callbacks so that a delivery already under way when the
// endpoint goes away finds it gone instead of using a destroyed object.
struct SimBusEndpoint::Link
{
    std::mutex mutex;
    NS_Platform::MidiEndpointPair* pair = nullptr;
};

SimBusEndpoint::SimBusEndpoint(SimulatedInstrument& instrument, NS_Platform::MidiService& service,
                               const QString& name)
    : m_instrument(instrument), m_link(std::make_shared<Link>())
{
    SimulatedInstrument* target = &instrument;
    m_pair = std::make_unique<NS_Platform::MidiEndpointPair>(
        service, name, [target](const NS_Platform::MidiPacketList& packets, void*) {
            for (const NS_Platform::MidiPacket& p : packets)
                target->input(p.bytes.data(), p.bytes.size());
        });
    {
        std::lock_guard<std::mutex> lock(m_link->mutex);
        m_link->pair = m_pair.get();
    }
    std::shared_ptr<Link> link = m_link;
    m_instrument.setOutputSink([link](const uint8_t* bytes, size_t length) {
        std::lock_guard<std::mutex> lock(link->mutex);
        if (link->pair)
            link->pair->send(bytes, static_cast<int>(length));
    });
}

SimBusEndpoint::~SimBusEndpoint()
{
    m_instrument.setOutputSink(nullptr);
    {
        std::lock_guard<std::mutex> lock(m_link->mutex);
        m_link->pair = nullptr;
    }
    // The pair's destructor waits for a running receive callback.
    m_pair.reset();
}

bool SimBusEndpoint::isValid() const
{
    return m_pair && m_pair->isValid();
}

} // namespace NS_Simulator
