#include "appserver/CAppServer.h"
#include "appserver/CApplication.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/CToolkitPump.h"
#include "platform/FakeRunLoop.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

using NS_Platform::FakeRunLoop;
using NS_Platform::fourCharCode;

namespace {

// Stands in for the application the server creates when the host has none: the
// process already has its QApplication, so only the pump is made.
class PumpOnlyApplication : public QObject
{
public:
    PumpOnlyApplication() : pump(NS_Platform::RunLoop::main()) { ++alive; }
    ~PumpOnlyApplication() override { --alive; }
    CToolkitPump pump;
    static int alive;
};
int PumpOnlyApplication::alive = 0;

bool noApplication() { return false; }
QObject* createPumpOnly() { return new PumpOnlyApplication; }

class Recorder : public QObject
{
public:
    std::function<void(QEvent*)> onEvent;
    int received = 0;
    bool event(QEvent* e) override
    {
        if (e->type() < QEvent::User)
            return QObject::event(e);
        ++received;
        if (onEvent)
            onEvent(e);
        return true;
    }
};

const QEvent::Type kProbe = QEvent::Type(QEvent::User + 77);

class NoApplicationHost : public ::testing::Test
{
protected:
    void SetUp() override { CAppServer::setToolkitHooks(noApplication, createPumpOnly); }
    void TearDown() override { CAppServer::setToolkitHooks(nullptr, nullptr); }
    FakeRunLoop loop;
};

} // namespace

TEST_F(NoApplicationHost, ServerInstallsOnePumpTimerAndEndsItsApplicationOnLastRelease)
{
    CAppServer* server = CAppServer::Instance();
    EXPECT_TRUE(CAppServer::runningAsPlugin());
    EXPECT_EQ(loop.timerCount(), 1);
    EXPECT_EQ(PumpOnlyApplication::alive, 1);
    ASSERT_NE(CAppServer::MS(), nullptr);
    EXPECT_EQ(CAppServer::MS()->thread(), qApp->thread());

    CAppServer* again = CAppServer::Instance();
    EXPECT_EQ(again, server);
    EXPECT_EQ(server->usageCount(), 2);
    again->release();
    EXPECT_EQ(CAppServer::quitState(), 0);

    CAppServer::release(server); // last use, on the GUI thread
    EXPECT_EQ(CAppServer::quitState(), 1);
    EXPECT_EQ(PumpOnlyApplication::alive, 1); // ended by the next callback
    loop.tick();
    EXPECT_EQ(CAppServer::quitState(), 2);
    EXPECT_EQ(PumpOnlyApplication::alive, 0);
    EXPECT_EQ(loop.timerCount(), 0);
}

TEST_F(NoApplicationHost, TickDeliversPostedEventsDueTimersAndDeferredDeletes)
{
    CAppServer* server = CAppServer::Instance();
    Recorder target;
    QCoreApplication::postEvent(&target, new QEvent(kProbe));
    bool timerFired = false;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, [&] { timerFired = true; });
    timer.start();
    QPointer<QObject> doomed = new QObject;
    doomed->deleteLater();
    QThread::msleep(5);

    loop.tick();
    EXPECT_EQ(target.received, 1);
    EXPECT_TRUE(timerFired);
    EXPECT_TRUE(doomed.isNull());

    server->release();
    loop.tick();
    EXPECT_EQ(loop.timerCount(), 0);
}

TEST_F(NoApplicationHost, NestedTickDeliversPostedEventsOnly)
{
    CAppServer* server = CAppServer::Instance();
    Recorder inner;
    Recorder outer;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setInterval(1);
    bool timerFired = false;
    QObject::connect(&timer, &QTimer::timeout, [&] { timerFired = true; });
    bool innerSeenInNestedTick = false, timerFiredInNestedTick = true;
    int depthInNestedTick = 0;
    QPointer<QObject> doomed;

    outer.onEvent = [&](QEvent*) {
        // Inside the callback: the host's loop runs again (a nested callback).
        QCoreApplication::postEvent(&inner, new QEvent(kProbe));
        timer.start();
        doomed = new QObject;
        doomed->deleteLater();
        QThread::msleep(5);
        inner.onEvent = [&](QEvent*) { depthInNestedTick = CToolkitPump::s_timer_activated(); };
        loop.tick();
        innerSeenInNestedTick = inner.received == 1;
        timerFiredInNestedTick = timerFired;
        EXPECT_FALSE(doomed.isNull());
    };
    QCoreApplication::postEvent(&outer, new QEvent(kProbe));
    loop.tick();

    EXPECT_TRUE(innerSeenInNestedTick);
    EXPECT_EQ(depthInNestedTick, 2);
    EXPECT_FALSE(timerFiredInNestedTick);
    EXPECT_TRUE(timerFired); // the outer callback ran the due timers afterwards
    EXPECT_TRUE(doomed.isNull());
    server->release();
    loop.tick();
}

TEST_F(NoApplicationHost, LastReleaseOffTheGuiThreadIsFinishedOnTheGuiThread)
{
    CAppServer* server = CAppServer::Instance();
    std::thread worker([server] { server->release(); });
    worker.join();
    EXPECT_EQ(server->usageCount(), 0);
    EXPECT_EQ(CAppServer::quitState(), 0); // still alive

    loop.tick(); // delivers the posted deletion, which ends the application
    EXPECT_EQ(CAppServer::quitState(), 2);
    EXPECT_EQ(PumpOnlyApplication::alive, 0);
}

TEST_F(NoApplicationHost, UseComingBackBeforeTheDeferredDeletionKeepsTheServer)
{
    CAppServer* server = CAppServer::Instance();
    std::thread worker([server] { server->release(); });
    worker.join();
    CAppServer* again = CAppServer::Instance();
    EXPECT_EQ(again, server);
    EXPECT_EQ(again->usageCount(), 1);
    loop.tick();
    EXPECT_EQ(CAppServer::quitState(), 0);
    again->release();
    loop.tick();
    EXPECT_EQ(PumpOnlyApplication::alive, 0);
}

TEST(CAppServer, HostWithApplicationGetsNoTimerAndKeepsItsApplication)
{
    FakeRunLoop loop;
    CAppServer* server = CAppServer::Instance();
    EXPECT_FALSE(CAppServer::runningAsPlugin());
    EXPECT_EQ(loop.timerCount(), 0);
    EXPECT_EQ(server->app(), qApp);
    server->release();
    EXPECT_EQ(CAppServer::quitState(), 0);
    EXPECT_NE(QCoreApplication::instance(), nullptr);
}

TEST(CAppServer, RacingFirstInstancesShareOneServer)
{
    for (int round = 0; round < 20; ++round) {
        CAppServer* a = nullptr;
        CAppServer* b = nullptr;
        std::thread t1([&] { a = CAppServer::Instance(); });
        std::thread t2([&] { b = CAppServer::Instance(); });
        t1.join();
        t2.join();
        ASSERT_EQ(a, b);
        EXPECT_EQ(a->usageCount(), 2);
        a->release();
        b->release();
    }
}

TEST(CAppServer, BusyCursorIsRestoredWhenPostedEventsRunAndIgnoredOffTheGuiThread)
{
    CAppServer* server = CAppServer::Instance();
    std::thread worker([] { CAppServer::PrepareForBusyAction(); });
    worker.join();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    CAppServer::PrepareForBusyAction();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    server->release();
}

TEST(CApplication, EventFilterFollowsThePlatformEventTable)
{
    auto handled = [] { return int32_t(0); };
    auto notHandled = [] { return CApplication::kEventNotHandled; };
    EXPECT_TRUE(CApplication::macEventFilter(fourCharCode("appl"), 3, handled));
    EXPECT_FALSE(CApplication::macEventFilter(fourCharCode("appl"), 3, notHandled));
    EXPECT_TRUE(CApplication::macEventFilter(1, 0, handled));
    EXPECT_FALSE(CApplication::macEventFilter(fourCharCode("cmds"), 1, notHandled));
    EXPECT_FALSE(CApplication::macEventFilter(fourCharCode("keyb"), 1, handled));

    QMenu menu;
    menu.addAction("one");
    menu.popup(QPoint(10, 10));
    if (!QApplication::activePopupWidget())
        GTEST_SKIP() << "no popup on this platform";
    EXPECT_TRUE(CApplication::macEventFilter(fourCharCode("cmds"), 1, notHandled));
    EXPECT_FALSE(CApplication::macEventFilter(fourCharCode("wind"), 6, handled));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}
