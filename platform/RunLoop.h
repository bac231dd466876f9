#pragma once
// Stand-in for the host's main event loop: repeating timers and an application
// event hook. The substitute host runs it with run(); tests drive a FakeRunLoop
// one tick at a time.
#include "vantrel_platform_export.h"
#include <QPointer>
#include <QtGlobal>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace NS_Platform {

// A platform four-character code: fourCharCode("wind").
constexpr uint32_t fourCharCode(const char (&c)[5])
{
    return uint32_t(uint8_t(c[0])) << 24 | uint32_t(uint8_t(c[1])) << 16 | uint32_t(uint8_t(c[2])) << 8
           | uint32_t(uint8_t(c[3]));
}

class VANTREL_PLATFORM_EXPORT RunLoop
{
public:
    using TimerCallback = std::function<void()>;
    // Platform events by class and kind ('cmds', 'menu', 'wind', ...); true when handled.
    using EventHook = std::function<bool(uint32_t eventClass, uint32_t kind)>;

    RunLoop();
    virtual ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // The host's main run loop: the one installed with setMain, else a process-wide one.
    static RunLoop* main();
    // Installs a loop as the main one (tests: a FakeRunLoop); null restores the default.
    static void setMain(RunLoop* loop);

    // Any thread. A repeating timer; the first call after firstDelay seconds, then
    // every interval seconds (an interval of 0 fires once). Returns its id (> 0).
    int addTimer(double firstDelaySeconds, double intervalSeconds, TimerCallback callback);
    // Any thread; a timer may remove itself or others from inside its callback.
    bool removeTimer(int id);
    int timerCount() const;

    void setEventHook(EventHook hook);
    // Hands a platform event to the application's hook; false when there is none.
    bool dispatchEvent(uint32_t eventClass, uint32_t kind);

    // Loop thread. Fires every timer that is due now; callbacks may re-enter.
    // Returns the number fired.
    int fireDueTimers();
    // Runs until quit(): sleeps until the next due timer or a wake-up.
    void run();
    // Any thread.
    void quit();
    void wakeUp();

    // Loop thread, once the toolkit's application lives on it. From then on, while the
    // toolkit runs an event loop of its own on this thread (a modal dialog opened from
    // a timer callback), the loop's due timers fire inside it, as the platform's main
    // loop keeps running under a modal session. Once per application; true when the
    // loop follows the toolkit's loops now.
    bool followToolkitLoops();

    // Milliseconds on this loop's clock.
    virtual qint64 nowMs() const;

private:
    struct Timer
    {
        qint64 due = 0;
        qint64 intervalMs = 0;
        TimerCallback callback;
    };
    // Under m_mutex: the earliest due time of a timer, -1 without timers.
    qint64 nextDueLocked() const;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<int, Timer> m_timers;
    int m_nextId = 1;
    bool m_quit = false;
    bool m_woken = false;
    EventHook m_hook;
    // Loop thread only: the toolkit-side timer that fires this loop's timers while a
    // toolkit loop waits; a child of the application, so it ends with it.
    QPointer<QObject> m_toolkitFollower;
};

} // namespace NS_Platform
