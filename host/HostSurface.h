#pragma once
// The simulated R5T control surface offered by the substitute host as a second MIDI
// port pair beside the simulated instrument, and its display and lamps as text on
// request. Main thread only, except where said.
#include <QString>
#include <QUuid>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

namespace NS_Platform {
class MidiService;
}

namespace NS_Simulator {
class SimBusEndpoint;
class SimulatedSurface;
} // namespace NS_Simulator

namespace NS_Host {

class HostSurface
{
public:
    // Puts the surface on the service under this name. With printText the surface is
    // printed to `out` each time it has changed, at most five times a second, from
    // the platform run loop.
    HostSurface(NS_Platform::MidiService& service, const QString& name, bool printText, FILE* out = stdout);
    ~HostSurface();
    HostSurface(const HostSurface&) = delete;
    HostSurface& operator=(const HostSurface&) = delete;

    bool isValid() const;
    NS_Simulator::SimulatedSurface& surface() const { return *m_surface; }
    // The display in a frame, the lit lamps and the fader positions.
    std::string text() const;
    // Prints the text when the surface changed since the last print; false when it did not.
    bool printIfChanged();

    // Writes the surface's ports into the editor's settings store as its fallback for
    // the second port pair, unless ports are recorded there already.
    static void seedSettings(const QString& organization, const QString& application, const QUuid& in,
                             const QUuid& out);

private:
    std::unique_ptr<NS_Simulator::SimulatedSurface> m_surface;
    std::unique_ptr<NS_Simulator::SimBusEndpoint> m_endpoint;
    std::shared_ptr<std::atomic<bool>> m_changed;
    FILE* m_out;
    int m_timer = 0;
};

} // namespace NS_Host
