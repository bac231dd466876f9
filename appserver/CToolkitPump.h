#pragma once
// Drives the toolkit from a 1 ms timer of the host's run loop: posted events on
// every callback, due toolkit timers and deferred deletes only when the callback is
// not nested inside another one. Host's main thread only.
#include "vantrel_kxe21_qtplxserver_export.h"

namespace NS_Platform {
class RunLoop;
}

class VANTREL_APPSERVER_EXPORT CToolkitPump
{
public:
    // Installs the timer (first delay 0 s, interval 1 ms) on the loop.
    explicit CToolkitPump(NS_Platform::RunLoop* loop);
    // Removes the timer.
    ~CToolkitPump();
    CToolkitPump(const CToolkitPump&) = delete;
    CToolkitPump& operator=(const CToolkitPump&) = delete;

    // The timer callback. May delete the application that owns this pump (quit
    // requested), so nothing of the pump is touched after that.
    void tick();

    // The toolkit's due timers, then its deferred deletes (not run outside a loop).
    static void y_activateTimers();
    // Callbacks currently running (nesting depth).
    static int s_timer_activated();

    NS_Platform::RunLoop* loop() const { return m_loop; }
    int timerId() const { return m_timerId; }

private:
    NS_Platform::RunLoop* m_loop;
    int m_timerId = 0;
};
