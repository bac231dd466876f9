#pragma once
// The toolkit application the server creates when the host has none: pumped from
// the host's run loop, with the host's platform events filtered first.
#include "vantrel_kxe21_qtplxserver_export.h"
#include <QApplication>
#include <cstdint>
#include <functional>
#include <memory>

class CToolkitPump;

class VANTREL_APPSERVER_EXPORT CApplication : public QApplication
{
    Q_OBJECT
public:
    // Installs the 1 ms pump timer and the event hook on the host's main run loop.
    CApplication(int& argc, char** argv);
    ~CApplication() override;

    // Platform event result of the next handler when it does not handle the event.
    static constexpr int32_t kEventNotHandled = -9874;
    // The application's filter of host events; true keeps the toolkit from
    // processing the event. nextHandler passes it on to the host.
    static bool macEventFilter(uint32_t eventClass, uint32_t kind,
                               const std::function<int32_t()>& nextHandler);

private:
    std::unique_ptr<CToolkitPump> m_pump;
};
