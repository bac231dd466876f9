#include "platform/RunLoop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QtMath>
#include <atomic>
#include <chrono>
#include <vector>

namespace NS_Platform {

namespace {
std::atomic<RunLoop*> s_installed{nullptr};

QElapsedTimer& monotonicClock()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock;
}
} // namespace

RunLoop::RunLoop()
{
    monotonicClock();
}

RunLoop::~RunLoop()
{
    if (QObject* follower = m_toolkitFollower.data()) {
        if (follower->thread() == QThread::currentThread())
            delete follower;
        else
            follower->deleteLater();
    }
    RunLoop* self = this;
    s_installed.compare_exchange_strong(self, nullptr);
}

RunLoop* RunLoop::main()
{
    if (RunLoop* loop = s_installed.load())
        return loop;
    static RunLoop* process = new RunLoop; // lives as long as the process
    return process;
}

void RunLoop::setMain(RunLoop* loop)
{
    s_installed.store(loop);
}

qint64 RunLoop::nowMs() const
{
    return monotonicClock().elapsed();
}

int RunLoop::addTimer(double firstDelaySeconds, double intervalSeconds, TimerCallback callback)
{
    Timer timer;
    timer.due = nowMs() + qMax<qint64>(0, qRound64(firstDelaySeconds * 1000.0));
    timer.intervalMs = qMax<qint64>(0, qRound64(intervalSeconds * 1000.0));
    if (intervalSeconds > 0 && timer.intervalMs == 0)
        timer.intervalMs = 1;
    timer.callback = std::move(callback);
    int id;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        id = m_nextId++;
        m_timers.emplace(id, std::move(timer));
        m_woken = true;
    }
    m_wake.notify_all();
    return id;
}

bool RunLoop::removeTimer(int id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timers.erase(id) > 0;
}

int RunLoop::timerCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_timers.size());
}

void RunLoop::setEventHook(EventHook hook)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hook = std::move(hook);
}

bool RunLoop::dispatchEvent(uint32_t eventClass, uint32_t kind)
{
    EventHook hook;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        hook = m_hook;
    }
    return hook ? hook(eventClass, kind) : false;
}

int RunLoop::fireDueTimers()
{
    const qint64 now = nowMs();
    std::vector<int> due;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& [id, timer] : m_timers)
            if (timer.due <= now)
                due.push_back(id);
    }
    int fired = 0;
    for (int id : due) {
        TimerCallback callback;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            auto it = m_timers.find(id);
            if (it == m_timers.end() || it->second.due > now)
                continue; // removed or already fired by a nested pass
            // Copied, so that the callback may remove its own timer.
            callback = it->second.callback;
            if (it->second.intervalMs > 0)
                it->second.due = now + it->second.intervalMs;
            else
                m_timers.erase(it);
        }
        ++fired;
        if (callback)
            callback();
    }
    return fired;
}

qint64 RunLoop::nextDueLocked() const
{
    qint64 next = -1;
    for (const auto& entry : m_timers)
        if (next < 0 || entry.second.due < next)
            next = entry.second.due;
    return next;
}

void RunLoop::run()
{
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_quit) {
                m_quit = false;
                return;
            }
        }
        fireDueTimers();
        std::unique_lock<std::mutex> lock(m_mutex);
        const qint64 next = nextDueLocked();
        const qint64 waitMs = next < 0 ? 100 : qMax<qint64>(0, next - nowMs());
        if (waitMs > 0)
            m_wake.wait_for(lock, std::chrono::milliseconds(waitMs),
                            [this] { return m_woken || m_quit; });
        m_woken = false;
    }
}

bool RunLoop::followToolkitLoops()
{
    if (m_toolkitFollower)
        return true;
    QCoreApplication* app = QCoreApplication::instance();
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!app || !dispatcher || QThread::currentThread() != app->thread())
        return false;
    auto* timer = new QTimer(app);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [this] { fireDueTimers(); });
    // A toolkit loop is about to wait for its next event: it wakes when the loop's
    // next timer is due. processEvents() without waiting (the toolkit pump of a timer
    // callback) never gets here.
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, timer, [this, timer] {
        qint64 next;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            next = nextDueLocked();
        }
        // Without timers it looks again as run() does: one added meanwhile is due.
        timer->start(int(next < 0 ? 100 : qBound(qint64(0), next - nowMs(), qint64(100))));
    });
    m_toolkitFollower = timer;
    return true;
}

void RunLoop::quit()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
}

void RunLoop::wakeUp()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_woken = true;
    }
    m_wake.notify_all();
}

} // namespace NS_Platform
