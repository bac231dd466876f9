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

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
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

// A component of this library with no add-ons, made through the factory.
class PropertyPageHostThread : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(m_empty.path());
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
        component = MacLoaderFactory(nullptr, &NS_HostIds::IID_IMPInitialise);
        ASSERT_NE(component, nullptr);
        initialise = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(component);
        ASSERT_NE(initialise, nullptr);
    }
    void TearDown() override
    {
        if (component)
            component->Release();
        QElapsedTimer clock;
        clock.start();
        while (CompIMPInitialise_VANTREL_KXE::liveCount() > m_live && clock.elapsed() < 5000)
            QCoreApplication::processEvents();
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(QString());
    }

    IUnknown* component = nullptr;
    CompIMPInitialise_VANTREL_KXE* initialise = nullptr;

private:
    QTemporaryDir m_empty;
    int m_live = 0;
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
