// Puts a simulated instrument or control surface on a MIDI service as a named
// source and destination pair: what others send to the destination is the
// device's input, and its output leaves from the source.
#pragma once

#include "vantrel_simulator_export.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace NS_Platform {
class MidiService;
class MidiEndpointPair;
}

namespace NS_Simulator {

class SimulatedInstrument;
class SimulatedSurface;

class VANTREL_SIMULATOR_EXPORT SimBusEndpoint
{
public:
    // The device must outlive this object; its output sink is replaced.
    SimBusEndpoint(SimulatedInstrument& instrument, NS_Platform::MidiService& service,
                   const QString& name);
    SimBusEndpoint(SimulatedSurface& surface, NS_Platform::MidiService& service, const QString& name);
    // No output reaches the service and no input reaches the device once this
    // has returned.
    ~SimBusEndpoint();

    SimBusEndpoint(const SimBusEndpoint&) = delete;
    SimBusEndpoint& operator=(const SimBusEndpoint&) = delete;

    bool isValid() const;
    NS_Platform::MidiEndpointPair& endpoints() const { return *m_pair; }

private:
    using ByteSink = std::function<void(const uint8_t* bytes, size_t length)>;
    SimBusEndpoint(ByteSink input, std::function<void(ByteSink)> setOutputSink,
                   NS_Platform::MidiService& service, const QString& name);

    struct Link;
    std::function<void(ByteSink)> m_setOutputSink;
    std::shared_ptr<Link> m_link;
    std::unique_ptr<NS_Platform::MidiEndpointPair> m_pair;
};

} // namespace NS_Simulator
