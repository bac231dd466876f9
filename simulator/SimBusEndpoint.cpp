#include "simulator/SimBusEndpoint.h"

#include "platform/MidiEndpointPair.h"
#include "simulator/SimulatedInstrument.h"
#include "simulator/SimulatedSurface.h"

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
    : SimBusEndpoint([&instrument](const uint8_t* bytes, size_t length) { instrument.input(bytes, length); },
                     [&instrument](ByteSink sink) { instrument.setOutputSink(std::move(sink)); }, service, name)
{
}

SimBusEndpoint::SimBusEndpoint(SimulatedSurface& surface, NS_Platform::MidiService& service, const QString& name)
    : SimBusEndpoint([&surface](const uint8_t* bytes, size_t length) { surface.input(bytes, length); },
                     [&surface](ByteSink sink) { surface.setOutputSink(std::move(sink)); }, service, name)
{
}

SimBusEndpoint::SimBusEndpoint(ByteSink input, std::function<void(ByteSink)> setOutputSink,
                               NS_Platform::MidiService& service, const QString& name)
    : m_setOutputSink(std::move(setOutputSink)), m_link(std::make_shared<Link>())
{
    m_pair = std::make_unique<NS_Platform::MidiEndpointPair>(
        service, name, [input = std::move(input)](const NS_Platform::MidiPacketList& packets, void*) {
            for (const NS_Platform::MidiPacket& p : packets)
                input(p.bytes.data(), p.bytes.size());
        });
    {
        std::lock_guard<std::mutex> lock(m_link->mutex);
        m_link->pair = m_pair.get();
    }
    std::shared_ptr<Link> link = m_link;
    m_setOutputSink([link](const uint8_t* bytes, size_t length) {
        std::lock_guard<std::mutex> lock(link->mutex);
        if (link->pair)
            link->pair->send(bytes, static_cast<int>(length));
    });
}

SimBusEndpoint::~SimBusEndpoint()
{
    m_setOutputSink(nullptr);
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
