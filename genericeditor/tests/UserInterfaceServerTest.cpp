// The user-interface server with a connected component and an add-on of this process:
// menus, default editors at the first show, one window per key, kept windows, the UI
// state in stacking order, the memory-API lock held while a window is deleted, and the
// window that becomes active when the active one closes.
#include "ComponentFakes.h"
#include "FakeHost.h"
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/TCompIMPInitialisePrivate.h"
#include "genericeditor/TInputOutput_VANTREL_KXE.h"
#include <QBuffer>
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

FakeMemAPIFactory* g_uiFactory = nullptr;
IUnknown* uiFactory()
{
    g_uiFactory->AddRef();
    return g_uiFactory;
}

void pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

class UserInterfaceServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(m_empty.path());
        TInputOutput_VANTREL_KXE::setPortListDelayMs(0);
        m_factory.api = &m_api;
        g_uiFactory = &m_factory;
        CompIMPInitialise_VANTREL_KXE::setMemAPIFactory(&uiFactory);
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
        m_component = new CompIMPInitialise_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false);
        m_component->modules().add(std::make_unique<TAddOnDescriptor>(QDir(), nullptr, &m_addOn));
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
    QMenu* windowsMenu()
    {
        for (QAction* a : m_main->menuBar()->actions()) {
            if (a->menu() && a->text() == QStringLiteral("&Windows"))
                return a->menu();
        }
        return nullptr;
    }

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

QList<QVariant> readAll(QByteArray bytes)
{
    QList<QVariant> values;
    QDataStream in(bytes);
    while (!in.atEnd()) {
        QVariant v;
        in >> v;
        if (in.status() != QDataStream::Ok)
            break;
        values.append(v);
    }
    return values;
}

} // namespace

TEST_F(UserInterfaceServer, MenusHoldTheServersEntriesFirstThenTheAddOnsInPositionOrder)
{
    QMenu* menu = windowsMenu();
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Close"), QStringLiteral("Close All"), QStringLiteral("-"),
                                  QStringLiteral("View 1"), QStringLiteral("-"), QStringLiteral("View 2")}));
    EXPECT_EQ(m_addOn.informationOut, 0);
    EXPECT_EQ(m_component->modules().addOns().front()->moduleId, ViewAddOn::kModule);
    ASSERT_FALSE(m_addOn.events.empty());
    EXPECT_EQ(m_addOn.events.back(), 0u);

    // Nothing open: both items off.
    m_server->windowsMenuAboutToShow();
    EXPECT_FALSE(menu->actions().at(0)->isEnabled());
    EXPECT_FALSE(menu->actions().at(1)->isEnabled());

    // The menu entry opens its editor.
    menu->actions().at(5)->trigger();
    pump();
    EXPECT_NE(m_server->recordedEditor(CUserInterfaceServer_VANTREL_KXE::windowKey(2, ViewAddOn::kModule)),
              nullptr);
    m_server->windowsMenuAboutToShow();
    EXPECT_TRUE(menu->actions().at(0)->isEnabled());
}

TEST_F(UserInterfaceServer, FirstShowWithNothingSavedOpensTheDefaultEditorsOnly)
{
    EXPECT_TRUE(m_component->reopenPending());
    m_server->UI_loadUIState();
    pump();
    EXPECT_EQ(m_addOn.created, 1);
    QWidget* view = m_server->recordedEditor(CUserInterfaceServer_VANTREL_KXE::windowKey(1, ViewAddOn::kModule));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(static_cast<ViewWindow*>(view)->bound, &m_api);
    EXPECT_EQ(m_area->subWindowList().size(), 1);
    EXPECT_FALSE(m_component->reopenPending());
    EXPECT_FALSE(m_server->isReopening());
    EXPECT_EQ(m_server->pendingReopen(), 0);
    EXPECT_EQ(m_addOn.events.back(), 2u);
    ASSERT_FALSE(m_api.uiEvents.empty());
    EXPECT_EQ(m_api.uiEvents.back(), 2u);
    EXPECT_EQ(m_api.lockDepth(), 0);
}

TEST_F(UserInterfaceServer, EmptyWorkspaceSavesFourNullValues)
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        EXPECT_EQ(m_server->CS_saveViaStream(out), 0);
    }
    const QList<QVariant> values = readAll(bytes);
    ASSERT_EQ(values.size(), 4);
    for (const QVariant& v : values)
        EXPECT_FALSE(v.isValid());
    QDataStream in(bytes);
    EXPECT_EQ(m_server->CS_loadViaStream(in), 0);
    EXPECT_EQ(m_server->savedGroupCount(), 0);
}

TEST_F(UserInterfaceServer, StateIsWrittenInStackingOrderAndReopensEveryWindowWithItsData)
{
    QWidget* first = open(1);
    QWidget* second = open(2);
    ASSERT_TRUE(first && second);
    first->parentWidget()->move(10, 20);
    second->parentWidget()->move(200, 100);
    // The first window comes to the top: it is written last.
    m_area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    pump();

    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        ASSERT_EQ(m_server->CS_saveViaStream(out), 0);
    }
    const QList<QVariant> values = readAll(bytes);
    ASSERT_EQ(values.size(), 12);
    EXPECT_EQ(values[0].toString(), CUserInterfaceServer_VANTREL_KXE::windowKey(2, ViewAddOn::kModule));
    EXPECT_EQ(values[1].toRect(), QRect(QPoint(200, 100), second->size()));
    EXPECT_EQ(values[2].toString(), QStringLiteral("state-2"));
    EXPECT_EQ(values[4].toString(), QStringLiteral("1;%1").arg(ViewAddOn::kModule.toString()));
    EXPECT_EQ(values[5].toRect().topLeft(), QPoint(10, 20));
    for (int i = 8; i < 12; ++i)
        EXPECT_FALSE(values[i].isValid());
    EXPECT_EQ(m_addOn.informationOut, 0);

    m_server->CS_closeEditor(nullptr);
    pump();
    EXPECT_EQ(m_server->recordedEditor(CUserInterfaceServer_VANTREL_KXE::windowKey(1, ViewAddOn::kModule)),
              nullptr);

    QDataStream in(bytes);
    ASSERT_EQ(m_server->CS_loadViaStream(in), 0);
    EXPECT_EQ(m_server->savedGroupCount(), 2);
    EXPECT_TRUE(m_server->UI_reopenSavedEditorWindows());
    pump();
    auto* again1 = static_cast<ViewWindow*>(
        m_server->recordedEditor(CUserInterfaceServer_VANTREL_KXE::windowKey(1, ViewAddOn::kModule)));
    auto* again2 = static_cast<ViewWindow*>(
        m_server->recordedEditor(CUserInterfaceServer_VANTREL_KXE::windowKey(2, ViewAddOn::kModule)));
    ASSERT_TRUE(again1 && again2);
    EXPECT_EQ(again1->loaded, QStringLiteral("state-1"));
    EXPECT_EQ(again2->loaded, QStringLiteral("state-2"));
    EXPECT_EQ(again1->parentWidget()->pos(), QPoint(10, 20));
    EXPECT_EQ(m_server->savedGroupCount(), 0);
    EXPECT_EQ(m_api.lockDepth(), 0);
}

// A project's saved window places are any four numbers when the project is damaged or
// crafted: a place whose size does not fit the widget coordinates overflowed the
// rectangle's width and height; the window opens at its own place and size instead.
TEST_F(UserInterfaceServer, SavedPlacesBeyondWidgetCoordinatesReopenTheWindowAtItsOwnPlace)
{
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    struct Case
    {
        QRect saved;
        bool placed;
    };
    const Case cases[] = {
        {QRect(QPoint(30, 40), QSize(220, 130)), true},
        {QRect(QPoint(-800653312, 10), QPoint(1614807059, 300)), false},
        {QRect(QPoint(10, kMin), QPoint(300, kMax)), false},
        {QRect(QPoint(5, kMax), QPoint(40, kMax)), false},
    };
    const QString key = CUserInterfaceServer_VANTREL_KXE::windowKey(1, ViewAddOn::kModule);
    // The size the window has when opened without a saved place.
    QWidget* plain = open(1);
    ASSERT_NE(plain, nullptr);
    const QSize own = plain->size();
    m_server->doCloseAllWindows();
    pump();
    for (const Case& c : cases) {
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out << QVariant(key) << QVariant(c.saved) << QVariant(QStringLiteral("kept")) << QVariant(uint(0));
            out << QVariant() << QVariant() << QVariant() << QVariant();
        }
        QDataStream in(bytes);
        ASSERT_EQ(m_server->CS_loadViaStream(in), 0);
        EXPECT_TRUE(m_server->UI_reopenSavedEditorWindows());
        pump();
        auto* window = static_cast<ViewWindow*>(m_server->recordedEditor(key));
        ASSERT_NE(window, nullptr) << c.saved.left() << "," << c.saved.top();
        EXPECT_EQ(window->loaded, QStringLiteral("kept"));
        if (c.placed) {
            EXPECT_EQ(window->parentWidget()->pos(), c.saved.topLeft());
            EXPECT_EQ(window->size(), c.saved.size());
        } else {
            EXPECT_EQ(window->size(), own) << c.saved.left() << "," << c.saved.top();
        }
        m_server->doCloseAllWindows();
        pump();
        ASSERT_EQ(m_server->recordedEditor(key), nullptr);
    }
}

// A maximised window has no frame decoration of its own (its title goes into the menu
// bar), so its saved size is the workspace's. Whether saved by this editor or held by an
// older project, a window saved maximised reopens maximised, and returns to a place
// inside the workspace when the user restores it; other windows reopen where they stood.
TEST_F(UserInterfaceServer, AWindowSavedMaximisedReopensMaximised)
{
    const QString key = CUserInterfaceServer_VANTREL_KXE::windowKey(1, ViewAddOn::kModule);
    const QSize workspace = m_area->viewport()->size();
    QWidget* plain = open(1);
    ASSERT_NE(plain, nullptr);
    QMdiSubWindow* frame = qobject_cast<QMdiSubWindow*>(plain->parentWidget());
    ASSERT_NE(frame, nullptr);
    const QSize decoration = frame->size() - plain->size();
    ASSERT_FALSE(decoration.isEmpty());
    frame->showMaximized();
    pump();
    ASSERT_TRUE(frame->isMaximized());
    QByteArray saved;
    {
        QDataStream out(&saved, QIODevice::WriteOnly);
        ASSERT_EQ(m_server->CS_saveViaStream(out), 0);
    }
    m_server->doCloseAllWindows();
    pump();
    ASSERT_EQ(m_server->recordedEditor(key), nullptr);

    const auto group = [&](const QRect& rect, uint state) {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << QVariant(key) << QVariant(rect) << QVariant(QStringLiteral("kept")) << QVariant(state);
        out << QVariant() << QVariant() << QVariant() << QVariant();
        return bytes;
    };
    const QRect place(QPoint(30, 40), QSize(220, 130));
    struct Case
    {
        const char* name;
        QByteArray bytes;
        bool maximised;
    };
    const Case cases[] = {
        {"saved maximised here", saved, true},
        {"older project, maximised", group(QRect(QPoint(0, 0), workspace), uint(Qt::WindowMaximized | Qt::WindowActive)),
         true},
        {"older project, state not set, size and decoration fill the workspace",
         group(QRect(QPoint(0, 0), workspace - decoration), 0), true},
        {"placed window", group(place, uint(Qt::WindowActive)), false},
        {"minimised is not applied", group(place, uint(Qt::WindowMinimized)), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDataStream in(c.bytes);
        ASSERT_EQ(m_server->CS_loadViaStream(in), 0);
        EXPECT_TRUE(m_server->UI_reopenSavedEditorWindows());
        pump();
        QWidget* window = m_server->recordedEditor(key);
        ASSERT_NE(window, nullptr);
        QMdiSubWindow* reopened = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        ASSERT_NE(reopened, nullptr);
        EXPECT_EQ(reopened->isMaximized(), c.maximised);
        if (c.maximised) {
            EXPECT_EQ(reopened->size(), workspace);
            reopened->showNormal();
            pump();
            EXPECT_TRUE(QRect(QPoint(0, 0), workspace).contains(reopened->geometry()))
                << reopened->geometry().width() << "x" << reopened->geometry().height();
        } else {
            EXPECT_EQ(reopened->pos(), place.topLeft());
            EXPECT_EQ(window->size(), place.size());
        }
        m_server->doCloseAllWindows();
        pump();
        ASSERT_EQ(m_server->recordedEditor(key), nullptr);
    }
}

TEST_F(UserInterfaceServer, OneWindowPerKeyIsRaisedAndAKeptWindowReturnsWhereItWasClosed)
{
    QWidget* kept = open(2);
    ASSERT_NE(kept, nullptr);
    kept->parentWidget()->move(30, 40);
    kept->resize(220, 130);
    EXPECT_EQ(m_server->doCloseWindow(kept), 0);
    pump();
    const QString key = CUserInterfaceServer_VANTREL_KXE::windowKey(2, ViewAddOn::kModule);
    ASSERT_EQ(m_server->recordedEditor(key), kept) << "a kept window is hidden, not deleted";
    EXPECT_TRUE(kept->isHidden() || kept->parentWidget()->isHidden());
    EXPECT_EQ(m_server->closedGeometry(key), QRect(30, 40, 220, 130));

    kept->resize(50, 50);
    QWidget* again = open(2);
    EXPECT_EQ(again, kept);
    EXPECT_EQ(m_addOn.created, 1);
    EXPECT_FALSE(kept->isHidden());
    EXPECT_EQ(kept->size(), QSize(220, 130));
    EXPECT_EQ(kept->parentWidget()->pos(), QPoint(30, 40));

    QWidget* none = reinterpret_cast<QWidget*>(1);
    EXPECT_NE(m_server->CS_isEditorOpened(ViewAddOn::kModule, 0, &none), 0);
    EXPECT_EQ(none, nullptr);
}

TEST_F(UserInterfaceServer, DeletedWindowHoldsTheLockUntilItsHandlerAndReleasesItOnce)
{
    QWidget* view = open(1);
    ASSERT_NE(view, nullptr);
    QPointer<QWidget> guard(view);
    auto* frame = qobject_cast<QMdiSubWindow*>(view->parentWidget());
    ASSERT_NE(frame, nullptr);
    int depthInside = -1;
    static_cast<ViewWindow*>(view)->depthAtDestruction = &depthInside;
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    pump();
    EXPECT_FALSE(guard);
    EXPECT_GE(depthInside, 1) << "the window went without the memory-API lock";
    EXPECT_EQ(m_api.lockDepth(), 0);
    EXPECT_EQ(m_server->locksHeldForDeletion(), 0);
    QWidget* found = nullptr;
    EXPECT_EQ(m_server->CS_isEditorOpened(ViewAddOn::kModule, 1, &found), 0);
    EXPECT_EQ(found, nullptr);
}

// The Windows menu's keys, pressed in an editor window of the page, do what its items
// do: each key belongs to one action of the page, none to the windows' frames.
TEST_F(UserInterfaceServer, WindowsMenuKeysPressedInAnEditorWindowCloseAsTheMenuDoes)
{
    struct Case
    {
        const char* what;
        QKeyCombination key;
        bool firstOpen, secondOpen;
    };
    const Case cases[] = {
        {"Ctrl+W closes the active window only", Qt::CTRL | Qt::Key_W, true, false},
        {"Ctrl+Alt+W closes every window", Qt::CTRL | Qt::ALT | Qt::Key_W, false, false},
    };
    const auto isOpen = [this](int id) {
        QWidget* window = m_server->recordedEditor(CUserInterfaceServer_VANTREL_KXE::windowKey(id, ViewAddOn::kModule));
        return window && window->isVisible();
    };
    m_main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_main));
    for (const Case& c : cases) {
        QWidget* first = open(1);
        QWidget* second = open(2);
        ASSERT_TRUE(first && second) << c.what;
        m_area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(second->parentWidget()));
        second->setFocus();
        pump();
        QTest::keyClick(second, c.key.key(), c.key.keyboardModifiers());
        pump();
        EXPECT_EQ(isOpen(1), c.firstOpen) << c.what;
        EXPECT_EQ(isOpen(2), c.secondOpen) << c.what;
        m_server->doCloseAllWindows();
        pump();
    }
}

// However the active window closes, the window active before it becomes active, so that
// each further close takes one more; explicitly hidden windows are passed over.
TEST_F(UserInterfaceServer, ClosingTheActiveWindowActivatesTheOneActiveBeforeIt)
{
    struct Case
    {
        const char* how;
        std::function<void()> close;
    };
    const Case cases[] = {
        {"Windows > Close", [this] { windowsMenu()->actions().at(0)->trigger(); }},
        {"Ctrl+W", [] { QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_W, Qt::ControlModifier); }},
        {"the frame's close",
         [this] {
             if (QMdiSubWindow* frame = m_area->activeSubWindow())
                 frame->close();
         }},
        {"CS_closeEditor",
         [this] {
             if (QMdiSubWindow* frame = m_area->activeSubWindow())
                 m_server->CS_closeEditor(frame->widget());
         }},
    };
    m_addOn.editorCount = 5;
    m_main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_main));
    const auto active = [this] {
        QMdiSubWindow* frame = m_area->activeSubWindow();
        return frame ? frame->widget()->objectName().toStdString() : std::string("none");
    };
    const auto shown = [this] {
        std::vector<std::string> names;
        for (QMdiSubWindow* frame : m_area->subWindowList())
            if (frame->isVisible())
                names.push_back(frame->widget()->objectName().toStdString());
        return names;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        QMdiSubWindow* frames[6] = {};
        for (int id = 1; id <= 5; ++id) {
            QWidget* window = open(id);
            ASSERT_NE(window, nullptr);
            frames[id] = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        }
        // Last active first: 4, 2, 5, 3, 1, where the creation order goes on from a
        // closed window to the one made after it. 5 is hidden, as by its view.
        m_area->setActiveSubWindow(frames[2]);
        m_area->setActiveSubWindow(frames[4]);
        frames[5]->hide();
        pump();
        // 2 is kept: its close only hides it.
        for (const char* expected : {"view2", "view3", "view1", "none"}) {
            const std::string closing = active();
            std::vector<std::string> left = shown();
            left.erase(std::remove(left.begin(), left.end(), closing), left.end());
            c.close();
            pump();
            EXPECT_EQ(shown(), left) << "closing " << closing;
            EXPECT_EQ(active(), expected) << "after " << closing;
            if (QMdiSubWindow* now = m_area->activeSubWindow()) {
                EXPECT_TRUE(now == QApplication::focusWidget() || now->isAncestorOf(QApplication::focusWidget()))
                    << "the focus stayed behind";
            }
        }
        m_server->doCloseAllWindows();
        pump();
    }
}

TEST(UserInterfaceServerKey, MixerWindowKeyIsItsCreateIdAndItsIdentifierAsText)
{
    EXPECT_EQ(CUserInterfaceServer_VANTREL_KXE::windowKey(1, Guid2QUuid(NS_AddOnIds::LayerAddOn)),
              QStringLiteral("1;{17cd5afa-0e92-8543-b8a7-2aebee9fdd63}"));
    EXPECT_EQ(CUserInterfaceServer_VANTREL_KXE::windowKey(3, Guid2QUuid(NS_AddOnIds::DialogsAddOn)),
              QStringLiteral("3;{5421ca1a-fa5e-5441-8cf4-10a8b1b8720f}"));
}
