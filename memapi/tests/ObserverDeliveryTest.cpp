#include "fakes/FakeMemAPI.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "memapi/MAPI_postObserverEvent.h"
#include "memapi/TResponseHandler_VANTREL_KXE.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <thread>

using namespace NS_MemAPI;

namespace {
class ObserverDelivery : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = CAppServer::Instance();
        api.defineName("kPartPan", 55, 14);
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents();
        server->release();
    }
    CSimpleNotifier_VANTREL_KXE* bind(int channel, QObject* parent = nullptr)
    {
        auto* n = CSimpleNotifier_VANTREL_KXE::Create(api, parent, "FEkPartPan", channel, nullptr,
                                                      new CSimpleNotifier_VANTREL_KXE(parent));
        n->setAlwaysUpdate(true);
        return n;
    }
    CAppServer* server = nullptr;
    FakeMemAPI api;
};
} // namespace

TEST_F(ObserverDelivery, OneAlertProcessesEveryProxyOfTheKeyOnce)
{
    std::unique_ptr<CSimpleNotifier_VANTREL_KXE> a(bind(3)), b(bind(3)), other(bind(4));
    QSignalSpy spyA(a.get(), &CSimpleNotifier_VANTREL_KXE::valueChanged);
    QSignalSpy spyB(b.get(), &CSimpleNotifier_VANTREL_KXE::valueChanged);
    QSignalSpy spyOther(other.get(), &CSimpleNotifier_VANTREL_KXE::valueChanged);
    EXPECT_TRUE(api.alert(55, 14, 3));
    EXPECT_EQ(spyA.count(), 1);
    EXPECT_EQ(spyB.count(), 1);
    EXPECT_EQ(spyOther.count(), 0);
    EXPECT_FALSE(api.alert(55, 14, 9)); // nobody observes it

    api.MAPI_suspendNotifications(true);
    EXPECT_FALSE(api.alert(55, 14, 3));
    api.MAPI_suspendNotifications(false);
    EXPECT_EQ(spyA.count(), 1);

    a->disconnectMemAPI();
    api.alert(55, 14, 3);
    EXPECT_EQ(spyA.count(), 1);
    EXPECT_EQ(spyB.count(), 2);
}

TEST_F(ObserverDelivery, HundredAlertsFromAWorkerPostOneEventPerControl)
{
    std::unique_ptr<CSimpleNotifier_VANTREL_KXE> a(bind(3)), b(bind(3));
    QSignalSpy spyA(a.get(), &CSimpleNotifier_VANTREL_KXE::valueChanged);
    QSignalSpy spyB(b.get(), &CSimpleNotifier_VANTREL_KXE::valueChanged);
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            api.alert(55, 14, 3);
    });
    worker.join();
    EXPECT_EQ(spyA.count(), 0); // nothing ran off the GUI thread
    EXPECT_EQ(a->m_pending, 1);
    EXPECT_EQ(b->m_pending, 1);
    QCoreApplication::sendPostedEvents(CAppServer::MS());
    EXPECT_EQ(spyA.count(), 1);
    EXPECT_EQ(spyB.count(), 1);
    EXPECT_EQ(a->m_pending, 0);

    std::thread again([&] { api.alert(55, 14, 3); });
    again.join();
    EXPECT_EQ(a->m_pending, 1);
    QCoreApplication::sendPostedEvents(CAppServer::MS());
    EXPECT_EQ(spyA.count(), 2);
}

TEST_F(ObserverDelivery, ProxyDeletedWhileItsEventIsInFlightIsSkipped)
{
    // Counts its callbacks where the count outlives it.
    class CountingNotifier : public CSimpleNotifier_VANTREL_KXE
    {
    public:
        explicit CountingNotifier(int* calls) : m_calls(calls) {}
        void process(const uint8_t* rawData, int operation, uint32_t flags) override
        {
            ++*m_calls;
            CSimpleNotifier_VANTREL_KXE::process(rawData, operation, flags);
        }

    private:
        int* m_calls;
    };
    auto bindCounting = [&](int channel, int* calls) {
        auto* n = CSimpleNotifier_VANTREL_KXE::Create(api, nullptr, "FEkPartPan", channel, nullptr,
                                                      new CountingNotifier(calls));
        n->setAlwaysUpdate(true);
        return n;
    };
    int doomedCalls = 0, keptCalls = 0;
    auto* doomed = bindCounting(3, &doomedCalls);
    std::unique_ptr<CSimpleNotifier_VANTREL_KXE> kept(bindCounting(4, &keptCalls));
    std::thread worker([&] {
        api.alert(55, 14, 3);
        api.alert(55, 14, 4);
    });
    worker.join();
    EXPECT_EQ(doomed->m_pending, 1);
    EXPECT_EQ(kept->m_pending, 1);
    const int doomedBefore = doomedCalls, keptBefore = keptCalls;
    delete doomed;
    QCoreApplication::sendPostedEvents(CAppServer::MS()); // no call into freed memory (ASan)
    EXPECT_EQ(doomedCalls, doomedBefore);
    // The events were delivered: the proxy still there got its callback.
    EXPECT_EQ(keptCalls, keptBefore + 1);
    EXPECT_EQ(kept->m_pending, 0);
}

TEST_F(ObserverDelivery, ClosingDownStopsRegistrationAndPosting)
{
    std::unique_ptr<CSimpleNotifier_VANTREL_KXE> a(bind(3));
    api.MAPI_closingDown(true);
    std::thread worker([&] { MAPI_postObserverEvent(&api, a.get()); });
    worker.join();
    EXPECT_EQ(a->m_pending, 0);
    const int before = api.registeredObservers();
    std::unique_ptr<CSimpleNotifier_VANTREL_KXE> late(new CSimpleNotifier_VANTREL_KXE);
    late->setMemAPIaddress(55, 14, 20);
    late->m_memAPI = &api;
    late->connectMemAPI();
    EXPECT_EQ(api.registeredObservers(), before);
}

TEST_F(ObserverDelivery, RemovableKeyLeavesTheDictionaryAndOtherKeysStay)
{
    TObserverProxy_VANTREL_KXE own;
    std::unique_ptr<CSimpleNotifier_VANTREL_KXE> a(new CSimpleNotifier_VANTREL_KXE);
    api.MAPI_registerObserver(a.get(), kRemovableObserverKey, &own);
    EXPECT_EQ(api.MAPI_findObserver(kRemovableObserverKey, nullptr), &own);
    EXPECT_EQ(own.proxyCount(), 1);
    api.MAPI_unregisterObserver(a.get(), kRemovableObserverKey);
    EXPECT_EQ(api.MAPI_findObserver(kRemovableObserverKey, nullptr), nullptr);
    EXPECT_EQ(own.proxyCount(), 0);

    const uint32_t key = observerKey(55, 14, 3);
    api.MAPI_registerObserver(a.get(), key, nullptr);
    api.MAPI_unregisterObserver(a.get(), key);
    EXPECT_NE(api.MAPI_findObserver(key, nullptr), nullptr);
}

TEST(ResponseHandler, ReplyBeforeOrDuringTheWaitIsNotLostAndSilenceTimesOut)
{
    FakeMemAPI api;
    {
        TResponseHandler_VANTREL_KXE handler(api);
        EXPECT_EQ(api.handler, &handler);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(handler.wait(nullptr, 0, 30), kTimeout);
        EXPECT_GE(clock.elapsed(), 25);
        EXPECT_EQ(api.handler, nullptr);
    }
    {
        TResponseHandler_VANTREL_KXE handler(api);
        handler.msgReceived(0); // before the wait starts
        const unsigned char request[] = {0xF0, 0x43, 0xF7};
        EXPECT_EQ(handler.wait(request, 3, 5000), 0);
        EXPECT_EQ(api.sentMidi.size(), 1);
    }
    {
        TResponseHandler_VANTREL_KXE handler(api);
        std::thread replier([&] {
            QThread::msleep(10);
            handler.msgReceived(0);
        });
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(handler.wait(nullptr, 0, 5000), 0);
        EXPECT_LT(clock.elapsed(), 4000);
        replier.join();
    }
    {
        TResponseHandler_VANTREL_KXE handler(api);
        api.writeResult = kFailure;
        const unsigned char request[] = {0xF0, 0xF7};
        EXPECT_EQ(handler.wait(request, 2, 5000), kFailure);
    }
}

TEST(MemAPITask, TerminationWakesAWaitingWorkerAndAlertsAreNotLost)
{
    FakeMemAPI api;
    MemAPITask_VANTREL_KXE task(&api);
    task.alert(); // before anyone waits
    EXPECT_TRUE(task.wakeRequest());
    EXPECT_TRUE(task.waitForWork(5000));
    EXPECT_FALSE(task.wakeRequest());

    std::atomic<bool> ended{false};
    std::thread worker([&] {
        while (task.waitForWork())
            ;
        ended = true;
    });
    QThread::msleep(10);
    task.requestTermination();
    worker.join();
    EXPECT_TRUE(ended);
}
