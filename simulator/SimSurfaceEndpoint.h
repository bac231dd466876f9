// Puts a simulated control surface on a MIDI service as a named source and
// destination pair: what others send to the destination reaches the surface, and
// the surface's keys, faders and encoders leave from the source.
#pragma once

#include "vantrel_simulator_export.h"

#include <QString>

#include <memory>

namespace NS_Platform {
class MidiService;
class MidiEndpointPair;
}

namespace NS_Simulator {

class SimulatedSurface;

class VANTREL_SIMULATOR_EXPORT SimSurfaceEndpoint
{
public:
    // The surface must outlive this object; its output sink is replaced.
    SimSurfaceEndpoint(SimulatedSurface& surface, NS_Platform::MidiService& service, const QString& name);
    // No output reaches the service and no input reaches the surface once this has returned.
    ~SimSurfaceEndpoint();

    SimSurfaceEndpoint(const SimSurfaceEndpoint&) = delete;
    SimSurfaceEndpoint& operator=(const SimSurfaceEndpoint&) = delete;

    bool isValid() const;
    NS_Platform::MidiEndpointPair& endpoints() const { return *m_pair; }

private:
    struct Link;
    SimulatedSurface& m_surface;
    std::shared_ptr<Link> m_link;
    std::unique_ptr<NS_Platform::MidiEndpointPair> m_pair;
};

} // namespace NS_Simulator
