// The user-interface server's client services as the add-ons call them: the main
// widget, an add-on's folder, add-on menus by name and id, reparenting a window, the
// Windows menu's close, close-all, cascade and tile, reopening the default editors,
// closing the page's window and opening the manual.
#include "ComponentFakes.h"
#include "FakeHost.h"
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/TCompIMPInitialisePrivate.h"
#include "genericeditor/TInputOutput_VANTREL_KXE.h"
#include "platform/PlatformLaunchService.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

FakeMemAPIFactory* g_servicesFactory = nullptr;
IUnknown* servicesFactory()
{
    g_servicesFactory->AddRef();
    return g_servicesFactory;
}

void pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

class ClientServices : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(m_empty.path());
        TInputOutput_VANTREL_KXE::setPortListDelayMs(0);
        m_factory.api = &m_api;
        g_servicesFactory = &m_factory;
        CompIMPInitialise_VANTREL_KXE::setMemAPIFactory(&servicesFactory);
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
        m_component = new CompIMPInitialise_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false);
        m_component->modules().add(std::make_unique<TAddOnDescriptor>(QDir(m_empty.path()), nullptr, &m_addOn));
        uint32_t flags = 0;
        ASSERT_EQ(m_component->MPConnect(&m_host, &m_output, MPINITIALISE_DEFAULT, 0, &flags), 0);
        m_server = m_component->uiServer();
        ASSERT_NE(m_server, nullptr);
        m_main = new QMainWindow;
        m_main->resize(900, 700);
        m_area = m_component->workspace(m_main);
        m_main->setCentralWidget(m_area);
        m_server->UI_assignContext(m_main->menuBar(), m_area);
        m_component->createUIElements(m_server);
        m_main->show();
    }
    void TearDown() override
    {
        m_server->doCloseAllWindows();
        m_server->UI_assignContext(nullptr, nullptr);
        m_component->workspace(nullptr);
        delete m_main;
        m_component->MPDisconnect();
        static_cast<IMPInitialise*>(m_component)->Release();
        QElapsedTimer clock;
        clock.start();
        while (CompIMPInitialise_VANTREL_KXE::liveCount() > m_live && clock.elapsed() < 5000)
            QCoreApplication::processEvents();
        CompIMPInitialise_VANTREL_KXE::setMemAPIFactory(nullptr);
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(QString());
        TInputOutput_VANTREL_KXE::setPortListDelayMs(50);
    }
    QWidget* open(int id)
    {
        QWidget* window = nullptr;
        EXPECT_EQ(m_server->CS_openEditor(ViewAddOn::kModule, id, &window, nullptr, true), 0);
        pump();
        return window;
    }
    int visibleWindows() const
    {
        int n = 0;
        for (QMdiSubWindow* w : m_area->subWindowList())
            n += w->isVisible() ? 1 : 0;
        return n;
    }

    static constexpr int32_t kFailure = int32_t(0x80000008);
    QTemporaryDir m_empty;
    ConnectableMemAPI m_api;
    FakeMemAPIFactory m_factory;
    FakeHost m_host;
    FakeAsyncOutput m_output;
    ViewAddOn m_addOn;
    CompIMPInitialise_VANTREL_KXE* m_component = nullptr;
    CUserInterfaceServer_VANTREL_KXE* m_server = nullptr;
    QMainWindow* m_main = nullptr;
    QMdiArea* m_area = nullptr;
    int m_live = 0;
};

} // namespace

TEST_F(ClientServices, AnswerTheWorkspaceAndTheAddOnsFolderAndRefuseNullOutputs)
{
    QWidget* main = nullptr;
    EXPECT_EQ(m_server->CS_mainWidget(&main), 0);
    EXPECT_EQ(main, m_area);
    EXPECT_EQ(m_server->CS_mainWidget(nullptr), kFailure);
    EXPECT_EQ(m_server->CS_compInitialize(), m_component);

    QString path;
    EXPECT_EQ(m_server->CS_modulePath(&m_addOn, path), 0);
    EXPECT_EQ(QDir(path), QDir(m_empty.path()));
    ViewAddOn stranger;
    QString untouched = QStringLiteral("kept");
    EXPECT_EQ(m_server->CS_modulePath(&stranger, untouched), kFailure);
    EXPECT_EQ(m_server->CS_modulePath(nullptr, untouched), kFailure);
    EXPECT_EQ(untouched, QStringLiteral("kept"));

    QWidget* active = reinterpret_cast<QWidget*>(this);
    EXPECT_EQ(m_server->CS_activeWindow(nullptr), kFailure);
    QMenu* menu = reinterpret_cast<QMenu*>(this);
    EXPECT_EQ(m_server->CS_menuObjectFromID(12345, &menu), kFailure);
    EXPECT_EQ(menu, nullptr);
    EXPECT_EQ(m_server->CS_menuObjectFromID(1, nullptr), kFailure);
    EXPECT_EQ(m_server->CS_menuObject(QStringLiteral("x"), nullptr), kFailure);
    Q_UNUSED(active);
}

TEST_F(ClientServices, AddOnMenusAreMadeOnceByNameAndFoundByTheirId)
{
    QMenu* windows = nullptr;
    ASSERT_EQ(m_server->CS_menuObjectFromID(CUserInterfaceServer_VANTREL_KXE::kWindowsMenuId, &windows), 0);
    ASSERT_NE(windows, nullptr);
    QMenu* byName = nullptr;
    ASSERT_EQ(m_server->CS_menuObject(QStringLiteral("&Windows"), &byName), 0);
    EXPECT_EQ(byName, windows);

    // A name the server has not seen makes a menu of its own, the same one next time.
    QMenu* extra = nullptr;
    ASSERT_EQ(m_server->CS_menuObject(QStringLiteral("&Extras"), &extra), 0);
    ASSERT_NE(extra, nullptr);
    EXPECT_NE(extra, windows);
    QMenu* again = nullptr;
    ASSERT_EQ(m_server->CS_menuObject(QStringLiteral("&Extras"), &again), 0);
    EXPECT_EQ(again, extra);
    TMenuMapInfo* info = m_server->UI_menuObjectFromID(QStringLiteral("&Extras"), 90);
    ASSERT_NE(info, nullptr);
    QMenu* found = nullptr;
    ASSERT_EQ(m_server->CS_menuObjectFromID(90, &found), 0);
    EXPECT_EQ(found, extra);
}

TEST_F(ClientServices, WindowsMenuCommandsCloseArrangeAndReopenTheEditors)
{
    QWidget* first = open(1);
    QWidget* second = open(2);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(visibleWindows(), 2);

    // Cascade and tile place the two windows apart.
    m_server->doCascadeWindows();
    pump();
    const QList<QMdiSubWindow*> frames = m_area->subWindowList();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_NE(frames[0]->pos(), frames[1]->pos());
    m_server->doTileWindows();
    pump();
    EXPECT_FALSE(frames[0]->geometry().intersects(frames[1]->geometry()));

    // Close closes the active window only; Close All the rest.
    m_area->setActiveSubWindow(frames[0]);
    QWidget* active = nullptr;
    ASSERT_EQ(m_server->CS_activeWindow(&active), 0);
    ASSERT_NE(active, nullptr);
    m_server->window_close(0);
    pump();
    EXPECT_EQ(visibleWindows(), 1);
    m_server->window_closeAll(0);
    pump();
    EXPECT_EQ(visibleWindows(), 0);
    // Nothing active: Close does nothing.
    m_server->window_close(0);
    pump();

    // The default editors come back on request.
    EXPECT_EQ(m_server->CS_reopenDefaultEditors(false), 0);
    pump();
    QElapsedTimer clock;
    clock.start();
    QWidget* reopened = nullptr;
    while (clock.elapsed() < 3000) {
        pump();
        if (m_server->CS_isEditorOpened(ViewAddOn::kModule, 1, &reopened) == 0 && reopened && reopened->isVisible())
            break;
    }
    EXPECT_NE(reopened, nullptr);
}

TEST_F(ClientServices, AReparentedWindowMovesIntoItsNewParentAndBack)
{
    QWidget* window = open(2);
    ASSERT_NE(window, nullptr);
    QWidget holder;
    holder.resize(400, 300);
    EXPECT_EQ(m_server->CS_reparent(window, &holder, QPoint(7, 9), true), 0);
    EXPECT_EQ(window->parentWidget(), &holder);
    EXPECT_EQ(window->pos(), QPoint(7, 9));
    EXPECT_EQ(m_server->CS_reparent(nullptr, &holder, QPoint(), true), kFailure);
    // Back to no parent before the holder goes away.
    EXPECT_EQ(m_server->CS_reparent(window, nullptr, QPoint(0, 0), false), 0);
    EXPECT_EQ(window->parentWidget(), nullptr);
    delete window;
    pump();
}

TEST_F(ClientServices, ClosingTheParentClosesThePagesWindowAndTheManualOpensFromTheBundle)
{
    ASSERT_TRUE(m_main->isVisible());
    EXPECT_EQ(m_server->CS_closeParent(), 0);
    pump();
    EXPECT_FALSE(m_main->isVisible());

    QList<QUrl> opened;
    NS_Platform::PlatformLaunchService::setHook([&](const QUrl& url) {
        opened.append(url);
        return int32_t(0);
    });
    // Should the bundle lack its resources, the warning box is closed, not waited for.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer.start(50);
    EXPECT_EQ(m_server->CS_showHelp(QStringLiteral("Manual")), 0);
    NS_Platform::PlatformLaunchService::setHook({});
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.first().toString().endsWith(QStringLiteral("Manual.pdf"))) << opened.first().toString().toStdString();
}
