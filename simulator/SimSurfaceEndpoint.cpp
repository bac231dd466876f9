#include "simulator/SimSurfaceEndpoint.h"

#include "platform/MidiEndpointPair.h"
#include "simulator/SimulatedSurface.h"

#include <mutex>

namespace NS_Simulator {

// Shared with the sink so that a key pressed while the endpoint goes away finds it
// gone instead of using a destroyed pair.
struct SimSurfaceEndpoint::Link
{
    std::mutex mutex;
    NS_Platform::MidiEndpointPair* pair = nullptr;
};

SimSurfaceEndpoint::SimSurfaceEndpoint(SimulatedSurface& surface, NS_Platform::MidiService& service,
                                       const QString& name)
    : m_surface(surface), m_link(std::make_shared<Link>())
{
    SimulatedSurface* target = &surface;
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
    m_surface.setOutputSink([link](const uint8_t* bytes, size_t length) {
        std::lock_guard<std::mutex> lock(link->mutex);
        if (link->pair)
            link->pair->send(bytes, static_cast<int>(length));
    });
}

SimSurfaceEndpoint::~SimSurfaceEndpoint()
{
    m_surface.setOutputSink(nullptr);
    {
        std::lock_guard<std::mutex> lock(m_link->mutex);
        m_link->pair = nullptr;
    }
    // The pair's destructor waits for a running receive callback.
    m_pair.reset();
}

bool SimSurfaceEndpoint::isValid() const
{
    return m_pair && m_pair->isValid();
}

} // namespace NS_Simulator
