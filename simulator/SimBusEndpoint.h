// Puts a simulated instrument on a MIDI service as a named source and
// destination pair: what others send to the destination is the instrument's
// input, and its output leaves from the source.
#pragma once

#include "vantrel_simulator_export.h"

#include <QString>

#include <memory>

namespace NS_Platform {
class MidiService;
class MidiEndpointPair;
}

namespace NS_Simulator {

class SimulatedInstrument;

class VANTREL_SIMULATOR_EXPORT SimBusEndpoint
{
public:
    // The instrument must outlive this object; its output sink is replaced.
    SimBusEndpoint(SimulatedInstrument& instrument, NS_Platform::MidiService& service,
                   const QString& name);
    // No output reaches the service and no input reaches the instrument once
    // this has returned.
    ~SimBusEndpoint();

    SimBusEndpoint(const SimBusEndpoint&) = delete;
    SimBusEndpoint& operator=(const SimBusEndpoint&) = delete;

    bool isValid() const;
    NS_Platform::MidiEndpointPair& endpoints() const { return *m_pair; }

private:
    struct Link;
    SimulatedInstrument& m_instrument;
    std::shared_ptr<Link> m_link;
    std::unique_ptr<NS_Platform::MidiEndpointPair> m_pair;
};

} // namespace NS_Simulator
