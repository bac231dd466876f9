#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/IWithoutProtection.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct Call
{
    int count = 0;
    QObject* target = nullptr;
    QObject* object = nullptr;
    int a = 0, b = 0, c = 0;
    unsigned int u = 0;
    QString text;
    bool onGuiThread = false;
};
Call g_call;

void note(QObject* target)
{
    ++g_call.count;
    g_call.target = target;
    g_call.onGuiThread = QThread::currentThread() == qApp->thread();
}
void callFn(QObject* t) { note(t); }
void intFn(QObject* t, int v) { note(t); g_call.a = v; }
void uintFn(QObject* t, unsigned int v) { note(t); g_call.u = v; }
void objectFn(QObject* t, QObject* o) { note(t); g_call.object = o; }
void threeFn(QObject* t, int a, int b, int c) { note(t); g_call.a = a; g_call.b = b; g_call.c = c; }
void stringFn(QObject* t, QString* s) { note(t); g_call.text = s ? *s : QString(); }

class Unprotected : public QObject, public IWithoutProtection
{
};

class MarshalledCall : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_call = Call{};
        server = CAppServer::Instance();
        ASSERT_NE(CAppServer::MS(), nullptr);
    }
    void TearDown() override { server->release(); }

    // Posts from a worker thread, then lets the GUI thread deliver.
    void postFromWorker(std::function<TMarshallEvent_VANTREL_KXE*()> make)
    {
        std::thread worker([&] { QCoreApplication::postEvent(CAppServer::MS(), make()); });
        worker.join();
        EXPECT_EQ(g_call.count, 0); // nothing runs until the GUI thread delivers
        QCoreApplication::sendPostedEvents(CAppServer::MS());
    }
    CAppServer* server = nullptr;
    QObject target;
};

} // namespace

TEST_F(MarshalledCall, EveryTypeRunsOnTheGuiThreadWithItsArguments)
{
    QObject other;
    postFromWorker([&] { return new TMarshallEvent_VANTREL_KXE(&target, &callFn); });
    EXPECT_EQ(g_call.count, 1);
    EXPECT_EQ(g_call.target, &target);
    EXPECT_TRUE(g_call.onGuiThread);

    g_call = Call{};
    postFromWorker([&] { return new TMarshallEvent_VANTREL_KXE(&target, &intFn, -42); });
    EXPECT_EQ(g_call.count, 1);
    EXPECT_EQ(g_call.a, -42);
    EXPECT_TRUE(g_call.onGuiThread);

    g_call = Call{};
    postFromWorker([&] { return new TMarshallEvent_VANTREL_KXE(&target, &uintFn, 0xFFFFFFFFu); });
    EXPECT_EQ(g_call.u, 0xFFFFFFFFu);
    EXPECT_TRUE(g_call.onGuiThread);

    g_call = Call{};
    postFromWorker([&] { return new TMarshallEvent_VANTREL_KXE(&target, &objectFn, &other); });
    EXPECT_EQ(g_call.object, &other);
    EXPECT_EQ(g_call.target, &target);
    EXPECT_TRUE(g_call.onGuiThread);

    g_call = Call{};
    postFromWorker([&] { return new TMarshallEvent_VANTREL_KXE(&target, &threeFn, 1, -2, 3); });
    EXPECT_EQ(g_call.a, 1);
    EXPECT_EQ(g_call.b, -2);
    EXPECT_EQ(g_call.c, 3);
    EXPECT_TRUE(g_call.onGuiThread);

    g_call = Call{};
    postFromWorker([&] {
        return new TMarshallEvent_VANTREL_KXE(&target, &stringFn, new QString("Piano"));
    });
    EXPECT_EQ(g_call.text, "Piano");
    EXPECT_TRUE(g_call.onGuiThread);
}

TEST_F(MarshalledCall, TargetDeletedBeforeDeliveryReachesTheFunctionAsNull)
{
    auto* doomed = new QObject;
    auto* doomedArgument = new QObject;
    QCoreApplication::postEvent(CAppServer::MS(), new TMarshallEvent_VANTREL_KXE(doomed, &callFn));
    QCoreApplication::postEvent(CAppServer::MS(),
                                new TMarshallEvent_VANTREL_KXE(&target, &objectFn, doomedArgument));
    delete doomed;
    delete doomedArgument;
    QCoreApplication::sendPostedEvents(CAppServer::MS());
    EXPECT_EQ(g_call.count, 2); // called, not skipped
    EXPECT_EQ(g_call.object, nullptr);
}

TEST_F(MarshalledCall, NoTargetCallsWithNullAndUnprotectedTargetIsKeptRaw)
{
    QCoreApplication::postEvent(CAppServer::MS(), new TMarshallEvent_VANTREL_KXE(nullptr, &callFn));
    QCoreApplication::sendPostedEvents(CAppServer::MS());
    EXPECT_EQ(g_call.count, 1);
    EXPECT_EQ(g_call.target, nullptr);

    Unprotected raw;
    TMarshallEvent_VANTREL_KXE event(&raw, &callFn);
    EXPECT_EQ(event.target(), static_cast<QObject*>(&raw));
    event.process();
    EXPECT_EQ(g_call.target, static_cast<QObject*>(&raw));
}

TEST_F(MarshalledCall, UndeliveredStringEventStillDeletesItsString)
{
    QString shared = QStringLiteral("kept by the event");
    shared.detach();
    auto* copy = new QString(shared);
    EXPECT_FALSE(shared.isDetached());
    delete new TMarshallEvent_VANTREL_KXE(&target, &stringFn, copy);
    EXPECT_TRUE(shared.isDetached()); // the copy the event owned is gone
    EXPECT_EQ(g_call.count, 0);
}

TEST_F(MarshalledCall, DispatcherDropsOtherEvents)
{
    QEvent other(QEvent::Type(QEvent::User + 5));
    EXPECT_FALSE(QCoreApplication::sendEvent(CAppServer::MS(), &other));
    EXPECT_EQ(g_call.count, 0);
}
