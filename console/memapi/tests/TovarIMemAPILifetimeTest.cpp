// Creation through the factory, reference counts, identity, associations and teardown.
#include "MemApiTestSupport.h"
#include "appserver/CAppServer.h"
#include "console/memapi/TovarMemAPITask.h"
#include "console/model/PrmCtrl.h"
#include "memapi/TMemProxyBasic.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

using namespace NS_TovarMemAPI;

namespace {
const Y_GUID kIUnknown(0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);

class MemApiLifetime : public ::testing::Test
{
protected:
    void SetUp() override { server = CAppServer::Instance(); }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents();
        server->release();
    }
    CAppServer* server = nullptr;
};
} // namespace

TEST_F(MemApiLifetime, FactoryIsOneCountedObjectAndEveryQueryMakesAMemoryApiOfItsOwn)
{
    IUnknown* factory = MemAPI_Factory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(MemAPI_Factory(), factory);
    EXPECT_EQ(factory->AddRef(), 3u);
    EXPECT_EQ(factory->Release(), 2u);

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->QueryInterface(kIUnknown, &out), int32_t(0x80000004));
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->QueryInterface(NS_MemAPI::iidIMemAPI(), nullptr), int32_t(0x80000004));

    // Two components each get an object of their own, counted once.
    void* a = nullptr;
    void* b = nullptr;
    ASSERT_EQ(factory->QueryInterface(NS_MemAPI::iidIMemAPI(), &a), 0);
    ASSERT_EQ(factory->QueryInterface(NS_MemAPI::iidIMemAPI(), &b), 0);
    auto* first = static_cast<TovarIMemAPI*>(static_cast<IMemAPI*>(a));
    auto* second = static_cast<TovarIMemAPI*>(static_cast<IMemAPI*>(b));
    ASSERT_NE(a, b);
    EXPECT_EQ(first->refCount(), 1);
    EXPECT_EQ(second->refCount(), 1);
    EXPECT_NE(first->MAPI_qself(), second->MAPI_qself());
    EXPECT_NE(first->memory(), second->memory());

    // Neither sees the other's image, document or bridges.
    FakeBridge bridge;
    first->MAPI_associate(&bridge, nullptr, 0, nullptr);
    EXPECT_EQ(second->MAPI_ioProxy(0), nullptr);
    const int before = second->MAPI_getIndParam(55, 14, 3, false, nullptr);
    first->MAPI_setIndParam(55, 14, 3, before ^ 0x10, 0, IMemAPI::PostNothing);
    EXPECT_EQ(first->MAPI_getIndParam(55, 14, 3, false, nullptr), before ^ 0x10);
    EXPECT_EQ(second->MAPI_getIndParam(55, 14, 3, false, nullptr), before);
    EXPECT_TRUE(first->qself()->isDocDirty());
    EXPECT_FALSE(second->qself()->isDocDirty());
    first->MAPI_associate(nullptr, nullptr, 0, nullptr);

    // The object answers IUnknown and IMemAPI with itself, counted; nothing else.
    void* unknown = nullptr;
    EXPECT_EQ(first->QueryInterface(kIUnknown, &unknown), 0);
    EXPECT_EQ(unknown, a);
    EXPECT_EQ(first->refCount(), 2);
    void* none = a;
    EXPECT_EQ(first->QueryInterface(Y_GUID(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11), &none), int32_t(0x80000004));
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(first->Release(), 1u);

    // One object's last release leaves the other in use.
    QPointer<QObject> firstCompanion = first->MAPI_qself();
    QPointer<QObject> secondCompanion = second->MAPI_qself();
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_TRUE(firstCompanion.isNull());
    EXPECT_FALSE(secondCompanion.isNull());
    EXPECT_EQ(second->MAPI_getIndParam(55, 14, 3, false, nullptr), before);

    // A factory made again makes new objects too, never the living one.
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(TovarMemAPIFactory::singleton(), nullptr);
    IUnknown* again = MemAPI_Factory();
    void* c = nullptr;
    ASSERT_EQ(again->QueryInterface(NS_MemAPI::iidIMemAPI(), &c), 0);
    EXPECT_NE(c, b);
    EXPECT_EQ(second->refCount(), 1);
    EXPECT_EQ(static_cast<TovarIMemAPI*>(static_cast<IMemAPI*>(c))->refCount(), 1);
    EXPECT_EQ(static_cast<IMemAPI*>(c)->Release(), 0u);
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_TRUE(secondCompanion.isNull());
    EXPECT_EQ(again->Release(), 0u);
}

// However the last reference goes, the next query makes a fresh object: the one being
// destroyed is never handed out again.
TEST_F(MemApiLifetime, QueryAfterTheLastReleaseMakesANewObjectAndNeverRevivesTheOldOne)
{
    IUnknown* factory = MemAPI_Factory();
    auto query = [factory]() -> TovarIMemAPI* {
        void* out = nullptr;
        if (factory->QueryInterface(NS_MemAPI::iidIMemAPI(), &out) != 0)
            return nullptr;
        return static_cast<TovarIMemAPI*>(static_cast<IMemAPI*>(out));
    };
    struct Case
    {
        const char* name;
        bool releasedOnHostThread; // the last Release waits there for the GUI thread
    };
    const Case cases[] = {{"released on the GUI thread", false}, {"released on a host thread", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TovarIMemAPI* old = query();
        ASSERT_NE(old, nullptr);
        ASSERT_EQ(old->refCount(), 1);
        QPointer<QObject> oldCompanion = old->MAPI_qself();
        TovarIMemAPI* next = nullptr;
        if (!c.releasedOnHostThread) {
            EXPECT_EQ(old->Release(), 0u);
            EXPECT_TRUE(oldCompanion.isNull());
            next = query();
        } else {
            std::atomic<bool> released{false};
            std::thread closer([&] {
                old->Release();
                released = true;
            });
            // The destruction waits for this thread's events: the count is 0 and the
            // object still there when the query comes.
            QElapsedTimer clock;
            clock.start();
            while (old->refCount() != 0 && clock.elapsed() < 10000)
                std::this_thread::yield();
            ASSERT_EQ(old->refCount(), 0);
            next = query();
            EXPECT_NE(next, old) << "an object whose last reference went was handed out again";
            EXPECT_FALSE(oldCompanion.isNull());
            EXPECT_TRUE(QTest::qWaitFor([&] { return released.load(); }, 10000));
            closer.join();
            EXPECT_TRUE(oldCompanion.isNull());
        }
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(next->refCount(), 1);
        QPointer<QObject> nextCompanion = next->MAPI_qself();
        EXPECT_FALSE(nextCompanion.isNull());
        EXPECT_EQ(next->Release(), 0u);
        EXPECT_TRUE(nextCompanion.isNull());
    }
    EXPECT_EQ(factory->Release(), 0u);
}

TEST_F(MemApiLifetime, ObjectAskedForOnAnotherThreadIsBuiltAndOwnedByTheGuiThread)
{
    IUnknown* factory = MemAPI_Factory();
    std::atomic<IMemAPI*> made{nullptr};
    std::atomic<bool> done{false};
    std::thread host([&] {
        void* out = nullptr;
        factory->QueryInterface(NS_MemAPI::iidIMemAPI(), &out);
        made = static_cast<IMemAPI*>(out);
        done = true;
    });
    QElapsedTimer t;
    t.start();
    while (!done && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    host.join();
    ASSERT_NE(made.load(), nullptr);
    QObject* companion = made.load()->MAPI_qself();
    ASSERT_NE(companion, nullptr);
    EXPECT_EQ(companion->thread(), QCoreApplication::instance()->thread());
    auto* tovar = static_cast<TovarIMemAPI*>(made.load());
    EXPECT_EQ(tovar->memory()->MultiMap()->RemoteCtrl().thread(), QCoreApplication::instance()->thread());

    // Released on the host thread: destroyed on the GUI thread all the same.
    QPointer<QObject> watch = companion;
    std::atomic<bool> released{false};
    std::thread closer([&] {
        made.load()->Release();
        released = true;
    });
    t.restart();
    while (!released && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    closer.join();
    EXPECT_TRUE(watch.isNull());
    factory->Release();
}

// The object the factory makes for the host component runs inside a host: the surface
// bridge is associated in plug-in mode and nothing goes to the surface until its remote
// key. An object made directly keeps the map's own flag.
TEST_F(MemApiLifetime, SurfaceOfTheFactorysObjectWaitsForItsRemoteKey)
{
    struct Case
    {
        const char* name;
        bool fromFactory;
    };
    const Case cases[] = {{"made by the factory", true}, {"made directly", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IUnknown* factory = nullptr;
        TovarIMemAPI* api = nullptr;
        if (c.fromFactory) {
            factory = MemAPI_Factory();
            void* out = nullptr;
            ASSERT_EQ(factory->QueryInterface(NS_MemAPI::iidIMemAPI(), &out), 0);
            api = static_cast<TovarIMemAPI*>(static_cast<IMemAPI*>(out));
        } else {
            api = new TovarIMemAPI(nullptr, Y_GUID(), false);
        }
        CPrmCtrl* multi = api->memory()->MultiMap();
        ASSERT_NE(multi, nullptr);
        CRemoteCtrlMng& surface = multi->RemoteCtrl();
        ASSERT_FALSE(surface.isFailed()) << "no surface template in the bundle";
        FakeBridge instrument, surfacePort;
        api->MAPI_associate(&instrument, nullptr, 0, nullptr);
        api->MAPI_associate(&surfacePort, nullptr, 1, nullptr);
        EXPECT_EQ(multi->IsRunningAsPlugIn(), c.fromFactory);
        EXPECT_TRUE(multi->IsRemotePortsAssigned());
        EXPECT_EQ(surface.isPlugInMode(), c.fromFactory);
        EXPECT_EQ(surface.isActive(), !c.fromFactory);
        if (c.fromFactory)
            EXPECT_EQ(surfacePort.writes, 0) << "the surface was set up without its remote key";
        else
            EXPECT_GT(surfacePort.writes, 0);
        api->MAPI_associate(nullptr, nullptr, 1, nullptr);
        EXPECT_FALSE(multi->IsRemotePortsAssigned());
        api->MAPI_associate(nullptr, nullptr, 0, nullptr);
        EXPECT_EQ(api->Release(), 0u);
        if (factory)
            factory->Release();
    }
}

TEST_F(MemApiLifetime, AssociationMatrix)
{
    ApiHandle api;
    FakePrefs prefs;
    prefs.setProperty(0, 9);
    FakeBridge instrument, surface, other;
    CPrmCtrl* multi = api->memory()->MultiMap();
    CPrmCtrl* voice = api->memory()->VoiceMap();

    EXPECT_EQ(api->MAPI_associate(&instrument, &prefs, 0, nullptr), 0);
    EXPECT_EQ(api->MAPI_ioProxy(0), &instrument);
    EXPECT_EQ(api->MAPI_prefs(), &prefs);
    EXPECT_EQ(multi->MIDI(0), &instrument);
    EXPECT_EQ(voice->MIDI(0), &instrument);
    // Preset flag written, device number taken unclamped into both maps.
    EXPECT_TRUE(prefs.props.contains(518));
    EXPECT_EQ(prefs.props.value(518).toInt(), api->memory()->presetVoicesLoaded());
    EXPECT_EQ(multi->GetDeviceID(), 9);
    EXPECT_EQ(voice->GetDeviceID(), 9);

    EXPECT_EQ(api->MAPI_associate(&surface, &prefs, 1, nullptr), 0);
    EXPECT_EQ(api->MAPI_ioProxy(1), &surface);
    EXPECT_TRUE(surface.channelMessages);
    EXPECT_EQ(multi->MIDI(1), &surface);

    EXPECT_EQ(api->MAPI_associate(&other, &prefs, 2, nullptr), int32_t(0x80000003));
    EXPECT_EQ(api->MAPI_ioProxy(2), nullptr);
    EXPECT_EQ(api->MAPI_ioProxy(-1), nullptr);

    // Null detaches; a null user-interface server leaves the stored one.
    EXPECT_EQ(api->MAPI_associate(nullptr, &prefs, 1, nullptr), 0);
    EXPECT_EQ(api->MAPI_ioProxy(1), nullptr);
    EXPECT_EQ(multi->MIDI(1), nullptr);
    EXPECT_EQ(api->MAPI_associate(nullptr, nullptr, 0, nullptr), 0);
    EXPECT_EQ(api->MAPI_ioProxy(0), nullptr);
    EXPECT_EQ(multi->MIDI(0), nullptr);
}

TEST_F(MemApiLifetime, NothingReachesADetachedBridgeOnceTheDetachReturns)
{
    ApiHandle api;
    FakePrefs prefs;
    FakeBridge bridge;
    api->MAPI_associate(&bridge, &prefs, 0, nullptr);
    std::atomic<bool> stop{false};
    std::thread editor([&] {
        int v = 0;
        while (!stop)
            api->MAPI_setIndParam(55, 14, 9, (v++) & 0x7F, 0, IMemAPI::PostNothing);
    });
    // The detach comes while the edits are reaching the bridge.
    EXPECT_TRUE(QTest::qWaitFor([&] { return bridge.writes > 0; }, 10000));
    api->MAPI_associate(nullptr, &prefs, 0, nullptr);
    const int writes = bridge.writes;
    QThread::msleep(50);
    stop = true;
    editor.join();
    EXPECT_GT(writes, 0);
    EXPECT_EQ(bridge.writes.load(), writes);
}

TEST_F(MemApiLifetime, NoWorkerIsCreatedWhileClosingDown)
{
    ApiHandle api;
    api->MAPI_closingDown(true);
    EXPECT_EQ(api->MAPI_memApiTaskObject(nullptr), nullptr);
    // An edit while closing still stores, and starts nothing.
    api->MAPI_setIndParam(55, 14, 1, 0x33, 0, IMemAPI::PostNothing);
    EXPECT_EQ(api->MAPI_memApiTaskObject(nullptr), nullptr);
}

TEST_F(MemApiLifetime, ReleaseStopsAWaitingWorkerWellWithinTheBound)
{
    auto* api = new TovarIMemAPI(nullptr, Y_GUID(), false, shippedMultiTemplate(), shippedVoiceTemplate());
    MemAPITask_VANTREL_KXE* worker = api->MAPI_memApiTaskObject(nullptr);
    ASSERT_NE(worker, nullptr);
    QThread::msleep(20); // let it reach its wait
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(api->Release(), 0u);
    EXPECT_LT(t.elapsed(), 2000);
}

TEST_F(MemApiLifetime, PortsComeFromPreferencesThenFromSettings)
{
    const QUuid in = QUuid::createUuid();
    const QUuid out = QUuid::createUuid();
    {
        QSettings settings(settingsOrganization(), settingsApplication());
        settings.clear();
        settings.setValue(QLatin1String(kKeyInGuid), in.toString());
        settings.setValue(QLatin1String(kKeyConsoleID), 3);
        settings.setValue(QLatin1String(kKeyDumpTransmitInterval), 25);
    }
    ApiHandle api;
    FakePrefs prefs;
    FakeBridge bridge;
    bridge.ins.insert(in, QStringLiteral("1;Tovar In"));
    bridge.outs.insert(out, QStringLiteral("1;Tovar Out"));
    prefs.setProperty(9, out.toString()); // the output comes from the preferences
    prefs.setProperty(11, QStringLiteral("kept"));
    api->MAPI_associate(&bridge, &prefs, 0, nullptr);

    EXPECT_EQ(api->MAPI_setPortsFromPreferences(), 0);
    EXPECT_EQ(QUuid::fromString(prefs.getProperty(8).toString()), in);
    EXPECT_EQ(QUuid::fromString(prefs.getProperty(9).toString()), out);
    EXPECT_EQ(prefs.getProperty(0).toInt(), 3);
    EXPECT_EQ(prefs.getProperty(516).toInt(), 25);
    EXPECT_EQ(api->memory()->MultiMap()->GetDeviceID(), 3);
    EXPECT_EQ(bridge.selected[0], in);
    EXPECT_EQ(bridge.selected[1], out);
    EXPECT_EQ(bridge.selectedPair, 0);
    EXPECT_TRUE(prefs.getProperty(11).toString().contains(QStringLiteral("Tovar In")));
    EXPECT_TRUE(prefs.getProperty(12).toString().contains(QStringLiteral("Tovar Out")));

    // Not in the settings either: the null identifier is written and still passed on;
    // a port the bridge does not list keeps the name properties.
    QSettings(settingsOrganization(), settingsApplication()).clear();
    FakePrefs fresh;
    fresh.setProperty(8, QUuid::createUuid().toString());
    fresh.setProperty(11, QStringLiteral("old name"));
    api->MAPI_associate(&bridge, &fresh, 0, nullptr);
    api->MAPI_setPortsFromPreferences();
    EXPECT_EQ(QUuid::fromString(fresh.getProperty(9).toString()), QUuid());
    EXPECT_EQ(fresh.getProperty(11).toString(), QStringLiteral("old name"));
    EXPECT_TRUE(bridge.selected[1].isNull());
}

// Device 1 is stored as 0, and so is the 0 ms interval: a project that holds them keeps
// them, and the settings fill in only what the project does not hold.
TEST_F(MemApiLifetime, TheProjectsDeviceAndIntervalStandZeroIncluded)
{
    constexpr int kNone = -1; // the project holds no value
    struct Case
    {
        const char* name;
        int device, interval;               // held by the project
        int deviceUsed, intervalAfter;      // with "ConsoleID" 3 and 50 ms in the settings
    };
    const Case cases[] = {
        {"device 1 and 0 ms", 0, 0, 0, 0},
        {"nothing held", kNone, kNone, 3, 50},
        {"device 5 and 20 ms", 4, 20, 4, 20},
        {"device 1, no interval", 0, kNone, 0, 50},
        {"0 ms, no device", kNone, 0, 3, 0},
    };
    {
        QSettings settings(settingsOrganization(), settingsApplication());
        settings.clear();
        settings.setValue(QLatin1String(kKeyConsoleID), 3);
        settings.setValue(QLatin1String(kKeyDumpTransmitInterval), 50);
    }
    ApiHandle api;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePrefs prefs;
        prefs.defaults.insert(kPrefDeviceNumber, 0); // as the host's preferences
        FakeBridge bridge;
        if (c.device != kNone)
            prefs.setProperty(kPrefDeviceNumber, c.device);
        if (c.interval != kNone)
            prefs.setProperty(kPrefDumpInterval, c.interval);
        api->MAPI_associate(&bridge, &prefs, 0, nullptr);
        api->MAPI_setPortsFromPreferences();
        EXPECT_EQ(prefs.props.value(kPrefDeviceNumber).toInt(), c.deviceUsed);
        EXPECT_EQ(prefs.props.value(kPrefDumpInterval).toInt(), c.intervalAfter);
        EXPECT_EQ(api->memory()->MultiMap()->GetDeviceID(), c.deviceUsed);
        // An edit reaches the instrument under that device number.
        const int pan = api->MAPI_getIndParam(55, 14, 3, false, nullptr);
        api->MAPI_setIndParam(55, 14, 3, pan == 0x30 ? 0x31 : 0x30, 0, IMemAPI::PostNothing);
        ASSERT_FALSE(bridge.messages().isEmpty());
        const QByteArray sent = bridge.messages().last();
        ASSERT_GE(sent.size(), 3);
        EXPECT_EQ(uint8_t(sent.at(2)), 0x10 | c.deviceUsed);
        api->MAPI_associate(nullptr, nullptr, 0, nullptr);
    }
    QSettings(settingsOrganization(), settingsApplication()).clear();
}

TEST_F(MemApiLifetime, TotalRecallWithoutPortsReportsTheTextAndFails)
{
    QSettings(settingsOrganization(), settingsApplication()).clear();
    ApiHandle api;
    FakePrefs prefs;
    FakeBridge bridge;
    api->MAPI_associate(&bridge, &prefs, 0, nullptr);
    struct Progress : IMPClientProgressHandler
    {
        int32_t QueryInterface(const Y_GUID&, void**) override { return int32_t(0x80000004); }
        uint32_t AddRef() override { return 1; }
        uint32_t Release() override { return 1; }
        int32_t MPProgress(uint32_t, uint32_t v, uint32_t m, const uint16_t* t) override
        {
            value = int(v);
            maximum = int(m);
            text = QString::fromUtf16(reinterpret_cast<const char16_t*>(t));
            return 0;
        }
        int32_t MPFinished(uint32_t, int32_t) override { return 0; }
        int value = -1, maximum = -1;
        QString text;
    } progress;
    EXPECT_EQ(api->MAPI_totalRecall(nullptr, true, 1, &progress, nullptr), int32_t(0x80000008));
    EXPECT_EQ(progress.text, QStringLiteral("TOVAR-VANTREL Editor ports are not setup!"));
    EXPECT_EQ(progress.maximum, 100);
}

TEST_F(MemApiLifetime, ResetSettingsRebuildsTheMemoryAndKeepsPortsAndDevice)
{
    ApiHandle api;
    FakePrefs prefs;
    prefs.setProperty(0, 6);
    FakeBridge bridge;
    api->MAPI_associate(&bridge, &prefs, 0, nullptr);
    const int initial = api->MAPI_getIndParam(55, 14, 2, false, nullptr);
    api->MAPI_setIndParam(55, 14, 2, initial ^ 0x10, 0, IMemAPI::PostNothing);
    CPrmCtrl* before = api->memory()->MultiMap();
    QPointer<QObject> oldSurface = &before->RemoteCtrl();

    api->resetSettings();
    EXPECT_TRUE(oldSurface.isNull());
    EXPECT_EQ(api->MAPI_getIndParam(55, 14, 2, false, nullptr), initial);
    EXPECT_EQ(api->memory()->MultiMap()->MIDI(0), &bridge);
    EXPECT_EQ(api->memory()->VoiceMap()->GetDeviceID(), 6);
    // The surface manager of the new map still asks the companion for windows.
    QSignalSpy open(api->qself(), &TovarIMemAPIQObject_VANTREL_KXE::openGuiWindow);
    emit api->memory()->MultiMap()->RemoteCtrl().openGuiWindow(17, 0, -1);
    EXPECT_EQ(open.count(), 1);
    bridge.clear();
    api->MAPI_setIndParam(55, 14, 2, initial ^ 0x08, 0, IMemAPI::PostNothing);
    EXPECT_EQ(bridge.messages().size(), 1);
}

namespace {
// An observer that keeps the worker busy for a while when it is alerted there.
class SlowObserver : public QObject, public TMemProxyBasic
{
public:
    void process(const uint8_t*, int, uint32_t) override
    {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            return;
        entered = true;
        QThread::msleep(300);
        finished = true;
    }
    std::atomic<bool> entered{false};
    std::atomic<bool> finished{false};
};
} // namespace

TEST_F(MemApiLifetime, ReleaseWaitsForABusyWorkerInsteadOfKillingIt)
{
    auto* api = new TovarIMemAPI(nullptr, Y_GUID(), false, shippedMultiTemplate(), shippedVoiceTemplate());
    SlowObserver observer;
    api->MAPI_registerObserver(&observer, NS_MemAPI::observerKey(55, 14, 8), nullptr);
    ASSERT_NE(api->MAPI_memApiTaskObject(nullptr), nullptr);
    api->MAPI_lock(true);
    api->memory()->MultiMap()->EditorAddressChanged({55, 8, 14});
    api->MAPI_lock(false);
    QElapsedTimer t;
    t.start();
    while (!observer.entered && t.elapsed() < 3000)
        QThread::msleep(1);
    ASSERT_TRUE(observer.entered);
    api->MAPI_unregisterObserver(&observer, NS_MemAPI::observerKey(55, 14, 8));
    EXPECT_EQ(api->Release(), 0u);
    // The worker ran its observer to the end before the object went.
    EXPECT_TRUE(observer.finished);
}
