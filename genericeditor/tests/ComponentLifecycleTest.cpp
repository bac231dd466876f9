// Connect, reconnect, disconnect and release of the component with a fake memory API:
// bridges are made and associated on every connect and go under the memory-API lock,
// add-ons are initialised once the memory API exists, and a full lifecycle ends in
// deletion, also when the last release comes from a host thread.
#include "ComponentFakes.h"
#include "FakeHost.h"
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPEventFilter.h"
#include "genericeditor/EventPusher.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/CompIPersistStream.h"
#include "genericeditor/TCompIMPInitialisePrivate.h"
#include "genericeditor/TInputOutput_VANTREL_KXE.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLibrary>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

FakeMemAPIFactory* g_factory = nullptr;
IUnknown* fakeFactory()
{
    if (!g_factory)
        return nullptr;
    g_factory->AddRef();
    return g_factory;
}
IUnknown* noFactory()
{
    return nullptr;
}

// An IStream over bytes, counted.
class BytesStream : public FakeCounted<IStream>
{
public:
    QByteArray bytes;
    qsizetype position = 0;
    int32_t Read(void* buffer, uint32_t length, uint32_t* done) override
    {
        const qsizetype n = std::min<qsizetype>(length, bytes.size() - position);
        std::memcpy(buffer, bytes.constData() + position, size_t(n));
        position += n;
        if (done)
            *done = uint32_t(n);
        return 0;
    }
    int32_t Write(const void* buffer, uint32_t length, uint32_t* done) override
    {
        bytes.append(static_cast<const char*>(buffer), qsizetype(length));
        if (done)
            *done = length;
        return 0;
    }
};

QByteArray framed(const QByteArray& payload)
{
    const uint32_t n = uint32_t(payload.size());
    QByteArray out;
    out.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    return out + payload;
}

class ComponentLifecycle : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(m_empty.path());
        TInputOutput_VANTREL_KXE::setPortListDelayMs(0);
        m_factory.api = &m_api;
        g_factory = &m_factory;
        CompIMPInitialise_VANTREL_KXE::setMemAPIFactory(&fakeFactory);
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
        m_portList.ports[0] = {{1, QUuid::createUuid(), QStringLiteral("in")}};
        m_portList.ports[1] = {{1, QUuid::createUuid(), QStringLiteral("out")}};
        m_host.portList = &m_portList;
        m_host.portAssign = &m_assign;
        m_component = new CompIMPInitialise_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false);
        m_component->modules().add(std::make_unique<TAddOnDescriptor>(QDir(), nullptr, &m_addOn));
    }
    void TearDown() override
    {
        if (m_component)
            release();
        CompIMPInitialise_VANTREL_KXE::setMemAPIFactory(nullptr);
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(QString());
        TInputOutput_VANTREL_KXE::setPortListDelayMs(50);
        g_factory = nullptr;
    }
    // The last release, then the GUI thread's part of the deletion.
    void release()
    {
        static_cast<IMPInitialise*>(m_component)->Release();
        m_component = nullptr;
        waitUntilDeleted();
    }
    bool waitUntilDeleted()
    {
        QElapsedTimer clock;
        clock.start();
        while (CompIMPInitialise_VANTREL_KXE::liveCount() > m_live && clock.elapsed() < 5000)
            QCoreApplication::processEvents();
        // Components of earlier tests may finish their deletion meanwhile.
        return CompIMPInitialise_VANTREL_KXE::liveCount() <= m_live;
    }
    int32_t connect()
    {
        uint32_t flags = 0xFF;
        const int32_t r = m_component->MPConnect(&m_host, &m_output, MPINITIALISE_DEFAULT, 0, &flags);
        EXPECT_EQ(flags, MPCONNECT_FLAG_KEPT);
        return r;
    }

    QTemporaryDir m_empty;
    ConnectableMemAPI m_api;
    FakeMemAPIFactory m_factory;
    FakePortList m_portList;
    FakePortAssign m_assign;
    FakeHost m_host;
    FakeAsyncOutput m_output;
    ViewAddOn m_addOn;
    CompIMPInitialise_VANTREL_KXE* m_component = nullptr;
    int m_live = 0;
};

} // namespace

TEST_F(ComponentLifecycle, EveryConnectMakesAndAssociatesFreshBridgesAndAddOnsStartOnceTheApiExists)
{
    // Before any connect there is no memory API: the add-ons must wait for it.
    m_component->initializeAddOnModules(m_component->uiServer());
    EXPECT_TRUE(m_addOn.initialised.empty());

    ASSERT_EQ(connect(), NS_MPStatus::ok);
    EXPECT_EQ(m_component->bridgeCount(), 2);
    ASSERT_EQ(m_api.associations.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(m_api.associations[size_t(i)].index, i);
        EXPECT_EQ(m_api.associations[size_t(i)].proxy, m_component->inputOutput(i));
        EXPECT_EQ(m_api.associations[size_t(i)].prefs, m_component->preferences());
        EXPECT_EQ(m_api.associations[size_t(i)].cs, m_component->uiServer());
    }
    ASSERT_EQ(m_addOn.initialised.size(), 1u);
    EXPECT_EQ(m_addOn.initialised[0], &m_api);
    EXPECT_TRUE(m_component->eventFilter()->intake().isEnable());

    // A second connect disconnects first and associates new bridges again.
    ASSERT_EQ(connect(), NS_MPStatus::ok);
    EXPECT_EQ(m_component->bridgeCount(), 2);
    EXPECT_EQ(m_api.attached(), 2);
    EXPECT_NE(m_component->inputOutput(0), nullptr);
    EXPECT_EQ(m_addOn.initialised.size(), 1u);

    EXPECT_EQ(m_component->MPDisconnect(), NS_MPStatus::ok);
    EXPECT_EQ(m_component->bridgeCount(), 0);
    EXPECT_EQ(m_api.attached(), 0);
    EXPECT_FALSE(m_component->eventFilter()->intake().isEnable());
    EXPECT_TRUE(m_component->eventFilter()->intake().bridges().empty());
    for (const auto& a : m_api.associations) {
        if (!a.proxy)
            EXPECT_GE(a.lockDepth, 1) << "bridge detached without the memory-API lock";
    }
    EXPECT_EQ(m_host.refs(), 0);
    EXPECT_EQ(m_output.refs(), 0);
    // The bridges withdrew their ports and gave the services back.
    EXPECT_EQ(m_portList.refs(), 0);
    EXPECT_EQ(m_assign.refs(), 0);

    release();
    EXPECT_EQ(m_api.refs.load(), 0);
    EXPECT_EQ(m_factory.refs.load(), 0);
    EXPECT_EQ(m_addOn.refs.load(), 0);
    EXPECT_TRUE(m_api.closing);
}

TEST_F(ComponentLifecycle, ConnectRefusesMissingArgumentsAndFailsWithoutFactory)
{
    uint32_t flags = 0;
    EXPECT_EQ(m_component->MPConnect(nullptr, &m_output, MPINITIALISE_DEFAULT, 0, &flags),
              NS_MPStatus::invalidArgument);
    EXPECT_EQ(m_component->MPConnect(&m_host, &m_output, MPINITIALISE_DEFAULT, 0, nullptr),
              NS_MPStatus::invalidArgument);
    EXPECT_EQ(m_host.refs(), 0);

    release();
    CompIMPInitialise_VANTREL_KXE::setMemAPIFactory(&noFactory);
    m_component = new CompIMPInitialise_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false);
    EXPECT_EQ(connect(), NS_MPStatus::unexpected);
    EXPECT_EQ(m_component->bridgeCount(), 0);
    EXPECT_FALSE(m_component->eventFilter()->intake().isEnable());
    // The host stays held until the disconnect.
    EXPECT_EQ(m_host.refs(), 1);
    m_component->MPDisconnect();
    EXPECT_EQ(m_host.refs(), 0);
}

TEST_F(ComponentLifecycle, ProjectLoadedBeforeConnectIsKeptAndAppliedByTheConnect)
{
    auto* persist = m_component->persistStream();
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out << QStringLiteral("doc") << qint32(42);
    }
    BytesStream stream;
    stream.bytes = framed(payload);
    EXPECT_EQ(persist->Load(&stream), NS_MPStatus::ok);
    EXPECT_TRUE(persist->hasPendingLoad());
    EXPECT_EQ(stream.refs(), 1);
    EXPECT_EQ(m_api.loads, 0);

    ASSERT_EQ(connect(), NS_MPStatus::ok);
    EXPECT_FALSE(persist->hasPendingLoad());
    EXPECT_EQ(m_api.loads, 1);
    EXPECT_EQ(m_api.document, 42);
    EXPECT_EQ(stream.refs(), 0);
}

TEST_F(ComponentLifecycle, AKeptProjectThatCannotBeLoadedIsToldInTheConnectFlags)
{
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out << QStringLiteral("doc") << qint32(42);
    }
    struct Case
    {
        const char* what;
        QByteArray bytes;
        bool loads;
    };
    const Case cases[] = {
        {"a whole document", framed(payload), true},
        {"cut by one byte", framed(payload).chopped(1), false},
        {"cut in its length", framed(payload).left(3), false},
        {"a length beyond any document", QByteArray::fromHex("7fffffff") + payload, false},
        {"a payload the memory API refuses", framed(QByteArray(payload).replace("d", "x")), false},
        {"nothing at all", QByteArray(), false},
    };
    for (const Case& c : cases) {
        if (!m_component) {
            m_component = new CompIMPInitialise_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false);
            m_component->modules().add(std::make_unique<TAddOnDescriptor>(QDir(), nullptr, &m_addOn));
        }
        BytesStream stream;
        stream.bytes = c.bytes;
        // Kept for the connect: nothing can be told yet.
        EXPECT_EQ(m_component->persistStream()->Load(&stream), NS_MPStatus::ok) << c.what;
        uint32_t flags = MPCONNECT_FLAG_KEPT;
        ASSERT_EQ(m_component->MPConnect(&m_host, &m_output, MPINITIALISE_DEFAULT, 0, &flags), NS_MPStatus::ok)
            << c.what;
        EXPECT_EQ(flags & MPCONNECT_FLAG_KEPT_LOAD_FAILED, c.loads ? 0u : MPCONNECT_FLAG_KEPT_LOAD_FAILED) << c.what;
        EXPECT_EQ(flags & MPCONNECT_FLAG_KEPT, MPCONNECT_FLAG_KEPT) << c.what;
        // A connect with nothing kept tells nothing.
        flags = MPCONNECT_FLAG_KEPT;
        ASSERT_EQ(m_component->MPConnect(&m_host, &m_output, MPINITIALISE_DEFAULT, 0, &flags), NS_MPStatus::ok);
        EXPECT_EQ(flags, MPCONNECT_FLAG_KEPT) << c.what;
        m_component->MPDisconnect();
        release();
    }
}

TEST_F(ComponentLifecycle, SaveFramesThePayloadAndLoadRefusesBadFrames)
{
    ASSERT_EQ(connect(), NS_MPStatus::ok);
    auto* persist = m_component->persistStream();
    m_api.companion.m_dirty = true;
    EXPECT_EQ(persist->IsDirty(), NS_MPStatus::ok);

    BytesStream saved;
    ASSERT_EQ(persist->Save(&saved, true), NS_MPStatus::ok);
    ASSERT_GE(saved.bytes.size(), 4);
    const auto* b = reinterpret_cast<const uint8_t*>(saved.bytes.constData());
    const uint32_t length = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
    EXPECT_EQ(qsizetype(length), saved.bytes.size() - 4);
    EXPECT_FALSE(m_api.companion.m_dirty);
    EXPECT_EQ(persist->IsDirty(), NS_MPStatus::failure);

    m_api.document = 0;
    saved.position = 0;
    EXPECT_EQ(persist->Load(&saved), NS_MPStatus::ok);
    EXPECT_EQ(m_api.document, 7);

    // A length from outside bytes beyond what the component writes, and a frame cut
    // short, reach nothing.
    BytesStream huge;
    huge.bytes = QByteArray::fromHex("7fffffff") + QByteArray(16, 'x');
    BytesStream cut;
    cut.bytes = framed(QByteArray(32, 'x')).left(20);
    const int loads = m_api.loads;
    EXPECT_EQ(persist->Load(&huge), NS_MPStatus::failure);
    EXPECT_NE(persist->Load(&cut), NS_MPStatus::ok);
    EXPECT_EQ(m_api.loads, loads);

    ULARGE_INTEGER size{0};
    EXPECT_EQ(persist->GetSizeMax(&size), NS_MPStatus::ok);
    EXPECT_EQ(size.QuadPart, 0x1000000u);
    EXPECT_EQ(persist->GetSizeMax(nullptr), NS_MPStatus::failure);
}

TEST_F(ComponentLifecycle, LastReleaseOnAHostThreadReturnsOnceTheGuiThreadDeletedIt)
{
    // Also while a command's modal dialog runs: the dialog is cancelled, and the release
    // waits until the command is done with it; a dialog slow to go is asked again at a
    // pace, not over and over.
    struct Case
    {
        const char* name;
        bool duringCommand;
        qint64 refuseMs; // the dialog refuses reject() for so long after the first
    };
    const Case cases[] = {
        {"nothing open", false, 0},
        {"while a command runs", true, 0},
        {"while a command's dialog refuses to go for 300 ms", true, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool duringCommand = c.duringCommand;
        QElapsedTimer refusing;
        m_addOn.rejects = 0;
        m_addOn.refuseReject = [&] {
            if (!refusing.isValid())
                refusing.start();
            return refusing.elapsed() < c.refuseMs;
        };
        if (!m_component) {
            m_component = new CompIMPInitialise_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false);
            m_component->modules().add(std::make_unique<TAddOnDescriptor>(QDir(), nullptr, &m_addOn));
        }
        ASSERT_EQ(connect(), NS_MPStatus::ok);
        CompIMPInitialise_VANTREL_KXE* component = m_component;
        m_component = nullptr;
        std::atomic<bool> returned{false};
        std::thread host;
        const auto releaseOnHostThread = [&] {
            host = std::thread([&] {
                static_cast<IMPInitialise*>(component)->Release();
                returned = true;
            });
        };
        QElapsedTimer clock;
        clock.start();
        if (duringCommand) {
            QPointer<CUserInterfaceServer_VANTREL_KXE> server(component->uiServer());
            server->UI_assignContext(nullptr, component->workspace(nullptr));
            m_addOn.duringCommand = releaseOnHostThread;
            server->editor_helper(true, ViewAddOn::kCommand, component->modules().addOns()[0].get(), nullptr,
                                  nullptr, 0);
            EXPECT_FALSE(server.isNull()) << "released while the command ran";
        } else {
            releaseOnHostThread();
        }
        while (!returned && clock.elapsed() < 10000)
            QCoreApplication::processEvents();
        host.join();
        EXPECT_LT(clock.elapsed(), 4000);
        EXPECT_TRUE(waitUntilDeleted());
        EXPECT_EQ(m_api.refs.load(), 0);
        EXPECT_EQ(m_host.refs(), 0);
        EXPECT_LT(m_addOn.rejects, 2 + c.refuseMs / 10) << "the release spun on the refusing dialog";
    }
    m_addOn.refuseReject = nullptr;
}

// The pump may have taken the memory API and not yet locked it when the last release
// comes: the memory API goes only once the pump has let go of it.
TEST_F(ComponentLifecycle, TheMemoryApiIsReleasedOnlyOnceThePumpLetGoOfIt)
{
    ASSERT_EQ(connect(), NS_MPStatus::ok);
    const QUuid ports[2] = {m_portList.ports[0][0].id, QUuid()};
    m_component->inputOutput(0)->selectPorts(ports, 0);
    TMIDIIntake_VANTREL_KXE& intake = m_component->eventFilter()->intake();
    std::atomic<bool> pumpWaits{false}, releasedUnderThePump{false};
    m_api.beforeLock = [&] {
        if (QThread::currentThread() != intake.pump())
            return;
        pumpWaits = true;
        while (m_api.refs > 0 && intake.memAPI())
            QThread::yieldCurrentThread();
        releasedUnderThePump = m_api.refs == 0;
    };
    FakeEventQueue queue;
    queue.events.push_back(FakeEventQueue::sysex(1, QByteArrayLiteral("\x43\xF7")));
    ASSERT_EQ(m_component->eventFilter()->MPOnEvents(&queue, eventsWaiting()), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pumpWaits.load(); }));
    release(); // the pump has ended once the component is deleted
    EXPECT_FALSE(releasedUnderThePump) << "the memory API went while the pump was about to lock it";
    m_api.beforeLock = nullptr;
}

// A host may make the component on a thread of its own: the user-interface server is
// then made, and the add-ons loaded, on the GUI thread all the same, and the connect
// hands the server to the memory API.
TEST_F(ComponentLifecycle, TheUserInterfaceServerLivesOnTheGuiThreadWhereverTheComponentIsMade)
{
    const QString addOn = m_empty.filePath(QStringLiteral("probe.so"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VANTREL_TEST_ADDON_PATH), addOn));
    struct Case
    {
        const char* name;
        bool madeOnHostThread;
    };
    const Case cases[] = {{"made on the GUI thread", false}, {"made on a host thread", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (m_component)
            release();
        m_api.associations.clear();
        if (c.madeOnHostThread) {
            std::atomic<CompIMPInitialise_VANTREL_KXE*> made{nullptr};
            std::thread host(
                [&] { made = new CompIMPInitialise_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false); });
            // The component's start waits for the GUI thread to make the server.
            EXPECT_TRUE(QTest::qWaitFor([&] { return made.load() != nullptr; }, 20000));
            host.join();
            m_component = made;
        } else {
            m_component = new CompIMPInitialise_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false);
        }
        ASSERT_NE(m_component, nullptr);
        CUserInterfaceServer_VANTREL_KXE* server = m_component->uiServer();
        ASSERT_NE(server, nullptr) << "no user interface";
        EXPECT_EQ(server->thread(), QCoreApplication::instance()->thread());
        QLibrary library(addOn);
        const auto madeOn = reinterpret_cast<QThread* (*)()>(library.resolve("test_addon_made_on"));
        ASSERT_NE(madeOn, nullptr);
        EXPECT_EQ(madeOn(), QCoreApplication::instance()->thread()) << "add-on made off the GUI thread";

        ASSERT_EQ(connect(), NS_MPStatus::ok);
        ASSERT_FALSE(m_api.associations.empty());
        for (const auto& a : m_api.associations)
            EXPECT_EQ(a.cs, server);
        m_component->MPDisconnect();
    }
}

// The host tells of new ports on the GUI thread while one of its own threads
// disconnects: the disconnect must wait until the bridges have read the ports and
// selected their own again, never delete a bridge that is being read.
TEST_F(ComponentLifecycle, PortsChangedOnTheGuiThreadNeverMeetsABridgeADisconnectDeleted)
{
    ASSERT_EQ(connect(), NS_MPStatus::ok);
    auto* sink = static_cast<IMPNotificationSink*>(nullptr);
    {
        void* out = nullptr;
        ASSERT_GE(static_cast<IMPInitialise*>(m_component)->QueryInterface(NS_HostIds::IID_IMPNotificationSink, &out), 0);
        sink = static_cast<IMPNotificationSink*>(out);
    }
    std::mutex mutex;
    std::condition_variable changed;
    bool inside = false, disconnected = false, finishedInside = false;
    QThread* gui = QCoreApplication::instance()->thread();
    m_portList.onList = [&] {
        if (QThread::currentThread() != gui)
            return;
        std::unique_lock<std::mutex> lock(mutex);
        if (inside)
            return;
        inside = true;
        changed.notify_all();
        // A disconnect that does not wait finishes within this window.
        finishedInside = changed.wait_for(lock, std::chrono::milliseconds(300), [&] { return disconnected; });
    };
    std::thread host([&] {
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return inside; });
        }
        m_component->MPDisconnect();
        std::lock_guard<std::mutex> lock(mutex);
        disconnected = true;
        changed.notify_all();
    });
    EXPECT_EQ(sink->MPNotify(tagMPMSG{NS_HostIds::MSG_MIDIPortsChanged}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        std::lock_guard<std::mutex> lock(mutex);
        return disconnected;
    }, 10000));
    host.join();
    m_portList.onList = nullptr;
    EXPECT_FALSE(finishedInside) << "the bridge was deleted while it read the host's ports";
    EXPECT_EQ(m_component->bridgeCount(), 0);
    sink->Release();
}

// A release posted while the saved windows are reopened runs in the reopening's event
// loop, with the server's take of the memory-API lock let go: the server it deletes
// lets go of nothing a second time, and nothing is taken again afterwards.
TEST_F(ComponentLifecycle, AReleaseRunWhileTheSavedWindowsAreReopenedLeavesTheLockAsItWas)
{
    ASSERT_EQ(connect(), NS_MPStatus::ok);
    QPointer<CUserInterfaceServer_VANTREL_KXE> server(m_component->uiServer());
    server->UI_assignContext(nullptr, m_component->workspace(nullptr));
    CompIMPInitialise_VANTREL_KXE* component = m_component;
    m_component = nullptr;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [component] { static_cast<IMPInitialise*>(component)->Release(); },
        Qt::QueuedConnection);
    server->UI_triggerSavedUILoading(true);
    EXPECT_TRUE(server.isNull()) << "the release did not run during the reopening";
    EXPECT_TRUE(waitUntilDeleted());
    EXPECT_EQ(m_api.lockDepth(), 0);
    EXPECT_EQ(m_api.refs.load(), 0);
}
