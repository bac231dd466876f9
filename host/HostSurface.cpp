#include "HostSurface.h"
#include "platform/RunLoop.h"
#include "simulator/SimBusEndpoint.h"
#include "simulator/SimulatedSurface.h"
#include <QSettings>

namespace NS_Host {

namespace {

// The editor's settings keys of the surface's input and output port.
const char kSettingsSurfaceIn[] = "InRGuid";
const char kSettingsSurfaceOut[] = "OutRGuid";
constexpr double kPrintInterval = 0.2;

} // namespace

HostSurface::HostSurface(NS_Platform::MidiService& service, const QString& name, bool printText, FILE* out)
    : m_surface(std::make_unique<NS_Simulator::SimulatedSurface>())
    , m_changed(std::make_shared<std::atomic<bool>>(true))
    , m_out(out)
{
    // The surface changes on the service's delivery thread; the flag is read on the main thread.
    std::shared_ptr<std::atomic<bool>> changed = m_changed;
    m_surface->setChangeHandler([changed] { changed->store(true); });
    m_endpoint = std::make_unique<NS_Simulator::SimBusEndpoint>(*m_surface, service, name);
    if (printText && m_out)
        m_timer = NS_Platform::RunLoop::main()->addTimer(kPrintInterval, kPrintInterval, [this] { printIfChanged(); });
}

HostSurface::~HostSurface()
{
    if (m_timer)
        NS_Platform::RunLoop::main()->removeTimer(m_timer);
    m_endpoint.reset();
    m_surface->setChangeHandler(nullptr);
}

bool HostSurface::isValid() const
{
    return m_endpoint && m_endpoint->isValid();
}

std::string HostSurface::text() const
{
    return m_surface->renderText();
}

bool HostSurface::printIfChanged()
{
    if (!m_changed->exchange(false) || !m_out)
        return false;
    std::fputs(("R5T surface\n" + text()).c_str(), m_out);
    std::fflush(m_out);
    return true;
}

void HostSurface::seedSettings(const QString& organization, const QString& application, const QUuid& in,
                               const QUuid& out)
{
    QSettings settings{organization, application};
    auto seed = [&](const char* key, const QUuid& id) {
        if (id.isNull())
            return;
        if (QUuid::fromString(settings.value(QLatin1String(key)).toString()).isNull())
            settings.setValue(QLatin1String(key), id.toString());
    };
    seed(kSettingsSurfaceIn, in);
    seed(kSettingsSurfaceOut, out);
    settings.sync();
}

} // namespace NS_Host
