// The property page activated and removed by a host that calls from its own thread:
// the page's window appears only once the GUI thread turns, and a deactivation from that thread takes it away again. The page's fixed
// answers (site, dirty, apply, help, accelerators) never fail the host.
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/CompIPropertyPage_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include "FakeHost.h"
#include "platform/PlatformWindow.h"
#include "appserver/CAppServer.h"
#include "appserver/HostWindowWrapper.h"
#include "memapi/IMemAPI.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>
#include <atomic>
#include <functional>
#include <thread>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

// The page's main window in the host's window, when it shows one.
QMainWindow* pageWindow()
{
    for (QWidget* w : QApplication::allWidgets())
        if (auto* main = qobject_cast<QMainWindow*>(w); main && main->isVisible())
            return main;
    return nullptr;
}

void turn()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A component of this library with no add-ons, made through the factory, and the host
// objects a connect is given.
class PropertyPageHostThread : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(m_empty.path());
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
        m_portList.ports[0] = {{1, QUuid::createUuid(), QStringLiteral("in")}};
        m_portList.ports[1] = {{1, QUuid::createUuid(), QStringLiteral("out")}};
        m_host.portList = &m_portList;
        remakeComponent();
    }
    void TearDown() override
    {
        remakeComponent(false);
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(QString());
    }
    // The component held goes; a new one takes its place (with the add-ons of the folder set).
    void remakeComponent(bool make = true)
    {
        if (component)
            component->Release();
        QElapsedTimer clock;
        clock.start();
        while (CompIMPInitialise_VANTREL_KXE::liveCount() > m_live && clock.elapsed() < 5000)
            QCoreApplication::processEvents();
        component = make ? MacLoaderFactory(nullptr, &NS_HostIds::IID_IMPInitialise) : nullptr;
        initialise = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(component);
        ASSERT_EQ(initialise != nullptr, make);
    }
    int32_t connect()
    {
        uint32_t flags = 0;
        return initialise->MPConnect(&m_host, &m_output, MPINITIALISE_DEFAULT, 0, &flags);
    }

    IUnknown* component = nullptr;
    CompIMPInitialise_VANTREL_KXE* initialise = nullptr;

private:
    QTemporaryDir m_empty;
    int m_live = 0;
    // Outlive the component, which holds them until its release.
    FakePortList m_portList;
    FakeHost m_host;
    FakeAsyncOutput m_output;
};

// Runs `call` on the GUI thread before each queued call to the application is
// delivered: the memory-API factory builds through such a call while it waits.
class BeforeQueuedCalls : public QObject
{
public:
    std::function<void()> call;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::MetaCall)
            call();
        return false;
    }
};

} // namespace

TEST_F(PropertyPageHostThread, ActivationAndRemovalFromAHostThreadRunOnTheGuiThread)
{
    // The component finishes its start on the GUI thread.
    ASSERT_TRUE(QTest::qWaitFor([&] { return initialise->uiServer() != nullptr; }));
    IUnknown* unknown = MacLoaderFactory(nullptr, &NS_HostIds::IID_IPropertyPage);
    ASSERT_NE(unknown, nullptr);
    void* answer = nullptr;
    ASSERT_EQ(unknown->QueryInterface(NS_HostIds::IID_IPropertyPage, &answer), 0);
    unknown->Release();
    auto* page = static_cast<CompIPropertyPage_VANTREL_KXE*>(static_cast<IPropertyPage*>(answer));
    IUnknown* objects[1] = {component};
    ASSERT_EQ(page->SetObjects(1, objects), NS_MPStatus::ok);
    // No objects, or not exactly one, changes nothing.
    EXPECT_EQ(page->SetObjects(0, objects), NS_MPStatus::ok);
    EXPECT_EQ(page->SetObjects(1, nullptr), NS_MPStatus::ok);

    EXPECT_EQ(page->SetPageSite(nullptr), NS_MPStatus::ok);
    EXPECT_EQ(page->IsPageDirty(), NS_MPStatus::ok);
    EXPECT_EQ(page->Apply(), NS_MPStatus::ok);
    EXPECT_EQ(page->Help(nullptr), NS_MPStatus::ok);
    EXPECT_EQ(page->TranslateAccelerator(nullptr), NS_MPStatus::notImplemented);

    // Shown, as a host shows the window it hands the page: the page is seen inside it.
    PlatformWindow window(QRect(10, 10, 640, 480));
    window.show();
    const tagRECT rect{0, 0, 640, 480};
    int32_t activated = -1, withoutRect = -1;
    std::thread host([&] {
        withoutRect = page->Activate(window.handle(), nullptr, false);
        activated = page->Activate(window.handle(), &rect, false);
    });
    host.join();
    EXPECT_EQ(withoutRect, NS_MPStatus::ok);
    EXPECT_EQ(activated, NS_MPStatus::ok);
    EXPECT_EQ(pageWindow(), nullptr) << "nothing is made on the host's thread";
    turn();
    ASSERT_TRUE(QTest::qWaitFor([] { return pageWindow() != nullptr; }));

    int32_t deactivated = -1;
    std::thread leave([&] { deactivated = page->Deactivate(); });
    leave.join();
    EXPECT_EQ(deactivated, NS_MPStatus::ok);
    EXPECT_TRUE(QTest::qWaitFor([] { return pageWindow() == nullptr; }));

    // Activated and removed before the GUI thread turns: the activation lets the event
    // loop run, and the removal waits until it is done.
    ASSERT_EQ(page->SetObjects(1, objects), NS_MPStatus::ok);
    std::thread again([&] {
        page->Activate(window.handle(), &rect, false);
        page->Deactivate();
    });
    again.join();
    turn();
    EXPECT_TRUE(QTest::qWaitFor([&] { return pageWindow() == nullptr && !page->component(); }));

    static_cast<IPropertyPage*>(page)->Release();
}

// The page's last release, activated or not, on the GUI thread or a host thread: the
// page goes exactly once, on the GUI thread, after its user interface, and gives back
// the component it was handed.
TEST_F(PropertyPageHostThread, LastReleaseFreesThePageOnceAndGivesTheComponentBack)
{
    // Every page holds one use of the application server until it is deleted.
    CAppServer* server = CAppServer::Instance();
    const int32_t uses = server->usageCount();
    const int32_t references = initialise->useCount();

    struct Case
    {
        const char* name;
        bool activated;
        bool releasedOnHostThread;
    };
    const Case cases[] = {
        {"never activated, released on a host thread", false, true},
        {"never activated, released on the GUI thread", false, false},
        {"activated, released on a host thread", true, true},
        {"activated, released on the GUI thread", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IUnknown* made = MacLoaderFactory(nullptr, &NS_HostIds::IID_IPropertyPage);
        ASSERT_NE(made, nullptr);
        auto* page = static_cast<IPropertyPage*>(made);
        EXPECT_EQ(server->usageCount(), uses + 1);
        IUnknown* objects[1] = {component};
        ASSERT_EQ(page->SetObjects(1, objects), NS_MPStatus::ok);
        EXPECT_EQ(initialise->useCount(), references + 1);

        PlatformWindow window(QRect(10, 10, 640, 480));
        window.show();
        if (c.activated) {
            const tagRECT rect{0, 0, 640, 480};
            ASSERT_EQ(page->Activate(window.handle(), &rect, false), NS_MPStatus::ok);
            ASSERT_TRUE(QTest::qWaitFor([] { return pageWindow() != nullptr; }));
        }
        if (c.releasedOnHostThread) {
            std::thread host([&] { page->Release(); });
            host.join();
        } else {
            page->Release();
        }
        EXPECT_TRUE(QTest::qWaitFor([&] {
            turn();
            return server->usageCount() == uses && initialise->useCount() == references;
        })) << "page uses " << server->usageCount() - uses << ", component references "
            << initialise->useCount() - references;
        EXPECT_EQ(pageWindow(), nullptr);
        // Nothing of the page is left to run.
        turn();
        EXPECT_EQ(server->usageCount(), uses);
        EXPECT_EQ(initialise->useCount(), references);
    }

    server->release();
}

// Whatever the order of the page's activation and the first connect, and whatever the
// GUI thread asks of the component while a host thread connects: the connect succeeds,
// the toolbar sits in the host's window, the preset prompt of the shown page is a
// window of the page's, and the focus is in the editor windows.
TEST_F(PropertyPageHostThread, APageActivatedBeforeTheFirstConnectEndsUpAsOneActivatedAfterIt)
{
    CompIMPInitialise_VANTREL_KXE::setAddOnFolder(QString());
    PlatformWindow window(QRect(10, 10, 800, 600));
    window.show();
    const tagRECT rect{0, 0, 800, 600};
    CompIPropertyPage_VANTREL_KXE* page = nullptr;
    struct Case
    {
        const char* name;
        bool activatedFirst;
        // Without: the connect is made on the GUI thread.
        std::function<void()> whileAHostThreadConnects;
    };
    const Case cases[] = {
        {"connected, then activated", false, nullptr},
        {"activated, then connected", true, nullptr},
        {"activated, then connected on a host thread", true, [] {}},
        {"activated while a host thread connects", false, [&] { page->Activate(window.handle(), &rect, false); }},
        {"the dirty flag asked while a host thread connects", false, [&] { initialise->documentDirty(); }},
        {"ports changed while a host thread connects", false, [&] { initialise->reselectPortsForAll(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        remakeComponent();
        ASSERT_TRUE(QTest::qWaitFor([&] { return initialise->uiServer() != nullptr; }));
        void* answer = nullptr;
        IUnknown* made = MacLoaderFactory(nullptr, &NS_HostIds::IID_IPropertyPage);
        ASSERT_EQ(made->QueryInterface(NS_HostIds::IID_IPropertyPage, &answer), 0);
        made->Release();
        page = static_cast<CompIPropertyPage_VANTREL_KXE*>(static_cast<IPropertyPage*>(answer));
        IUnknown* objects[1] = {component};
        page->SetObjects(1, objects);
        // Nobody at the test answers the prompt: it is closed once seen.
        QPointer<QWidget> promptParent;
        bool prompted = false;
        QTimer closer;
        closer.callOnTimeout([&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                prompted = true;
                promptParent = dialog->parentWidget();
                dialog->reject();
            }
        });
        closer.start(10);

        if (c.activatedFirst)
            page->Activate(window.handle(), &rect, false);
        int32_t connected = -1;
        if (c.whileAHostThreadConnects) {
            int asked = 0;
            BeforeQueuedCalls filter;
            filter.call = [&] {
                ++asked;
                c.whileAHostThreadConnects();
            };
            QCoreApplication::instance()->installEventFilter(&filter);
            std::atomic<bool> done{false};
            std::thread host([&] {
                connected = connect();
                done = true;
            });
            // Far beyond a pass: only a connect that waits for the GUI thread in vain takes long.
            EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 30000));
            host.join();
            QCoreApplication::instance()->removeEventFilter(&filter);
            EXPECT_GT(asked, 0) << "the memory API was not built on the GUI thread";
        } else {
            connected = connect();
        }
        EXPECT_EQ(connected, NS_MPStatus::ok);
        page->Activate(window.handle(), &rect, false);
        page->Show(1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return prompted; }));

        QMainWindow* main = page->wrapper();
        ASSERT_NE(main, nullptr);
        auto* toolbar = main->findChild<QToolBar*>();
        EXPECT_TRUE(toolbar && main->toolBarArea(toolbar) == Qt::TopToolBarArea) << "no toolbar in the host's window";
        IMemAPI* api = initialise->memAPI();
        EXPECT_TRUE(api && api->MAPI_workspace(nullptr) == main->centralWidget());
        EXPECT_EQ(promptParent.data(), main) << "the prompt has no parent in the host's window";
        // The windows the page opened come after the toolbar: the focus is theirs.
        QWidget* focus = main->window()->focusWidget();
        EXPECT_TRUE(focus && main->centralWidget()->isAncestorOf(focus)) << "the focus is not in the editor windows";
        page->Deactivate();
        static_cast<IPropertyPage*>(page)->Release();
        turn();
    }
}
