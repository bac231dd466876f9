#include "appserver/HostWindowWrapper.h"
#include "platform/PlatformWindow.h"
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

int widgetCount()
{
    return QApplication::allWidgets().size();
}

} // namespace

TEST(HostWindowWrapper, CreatesItsInnerWindowOnTheHostWindowAndDeletesItWithItself)
{
    PlatformWindow host(QRect(50, 50, 640, 480));
    const int before = widgetCount();
    QPointer<QMainWindow> inner;
    {
        const QPoint pos(0, 0);
        const QSize size(600, 400);
        auto* window = new CForeignWindowWrapper_VANTREL_KXE(host.handle(), &pos, &size);
        EXPECT_EQ(window->hostWindow(), host.handle());
        inner = window->innerWindow();
        ASSERT_FALSE(inner.isNull());
        EXPECT_EQ(inner->parentWidget(), host.contentWidget());
        EXPECT_EQ(window->parentWidget(), inner.data());
        EXPECT_EQ(window->size(), size);
        EXPECT_EQ(inner->size(), size);
        delete window;
    }
    EXPECT_TRUE(inner.isNull());
    EXPECT_EQ(widgetCount(), before);
}

TEST(HostWindowWrapper, ClosingTheWindowDeletesTheInnerWindowToo)
{
    PlatformWindow host(QRect(50, 50, 640, 480));
    host.show();
    const int before = widgetCount();
    const QSize size(300, 200);
    QPointer<CForeignWindowWrapper_VANTREL_KXE> window =
        new CForeignWindowWrapper_VANTREL_KXE(host.handle(), nullptr, &size);
    QPointer<QMainWindow> inner = window->innerWindow();
    window->close(); // destructive close
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(inner.isNull());
    EXPECT_EQ(widgetCount(), before);
}

TEST(HostWindowWrapper, SameHostWindowAgainDoesNotMoveOrResize)
{
    PlatformWindow host(QRect(50, 50, 640, 480));
    const QPoint pos(10, 20);
    const QSize size(300, 200);
    CForeignWindowWrapper_VANTREL_KXE window(host.handle(), &pos, &size);
    QMainWindow* inner = window.innerWindow();
    const QPoint otherPos(30, 40);
    const QSize otherSize(100, 100);
    window.mySetParent(host.handle(), &otherPos, &otherSize, true);
    EXPECT_EQ(window.geometry(), QRect(pos, size));
    EXPECT_EQ(window.innerWindow(), inner);
}

TEST(HostWindowWrapper, MovingToAnotherHostWindowReplacesTheInnerWindow)
{
    PlatformWindow first(QRect(0, 0, 640, 480));
    PlatformWindow second(QRect(700, 0, 640, 480));
    const QSize size(300, 200);
    CForeignWindowWrapper_VANTREL_KXE window(first.handle(), nullptr, &size);
    QPointer<QMainWindow> firstInner = window.innerWindow();
    window.mySetParent(second.handle(), nullptr, &size, true);
    EXPECT_TRUE(firstInner.isNull());
    ASSERT_NE(window.innerWindow(), nullptr);
    EXPECT_EQ(window.innerWindow()->parentWidget(), second.contentWidget());
    EXPECT_EQ(window.hostWindow(), second.handle());
}

TEST(HostWindowWrapper, DetachingLeavesNoParentAndNoInnerWindow)
{
    PlatformWindow host(QRect(0, 0, 640, 480));
    host.show();
    const QSize size(300, 200);
    CForeignWindowWrapper_VANTREL_KXE window(host.handle(), nullptr, &size);
    QPointer<QMainWindow> inner = window.innerWindow();
    // The host window's focus in the page goes with the page.
    auto* field = new QLineEdit(&window);
    window.setCentralWidget(field);
    QWidget* hostWindow = host.contentWidget()->window();
    hostWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(hostWindow));
    field->setFocus();
    ASSERT_EQ(hostWindow->focusWidget(), field);
    window.mySetParent(0, nullptr, nullptr, false);
    EXPECT_TRUE(inner.isNull());
    EXPECT_EQ(window.parentWidget(), nullptr);
    EXPECT_EQ(window.hostWindow(), WId(0));
    EXPECT_EQ(window.innerWindow(), nullptr);
    EXPECT_EQ(hostWindow->focusWidget(), nullptr) << "the host window keeps a focus it no longer holds";
}

TEST(HostWindowWrapper, IntoAToolkitWidgetKeepsTheInnerWindow)
{
    PlatformWindow host(QRect(0, 0, 640, 480));
    QWidget toolkitParent;
    const WId toolkitId = toolkitParent.winId();
    const QSize size(300, 200);
    CForeignWindowWrapper_VANTREL_KXE window(host.handle(), nullptr, &size);
    QMainWindow* inner = window.innerWindow();
    window.mySetParent(toolkitId, nullptr, nullptr, false);
    EXPECT_EQ(window.parentWidget(), &toolkitParent);
    EXPECT_EQ(window.hostWindow(), WId(0));
    EXPECT_EQ(window.innerWindow(), inner);
    window.setParent(nullptr);
}

TEST(HostWindowWrapper, UnknownHandleIsRefused)
{
    const QSize size(300, 200);
    CForeignWindowWrapper_VANTREL_KXE window(WId(0x5650000000fffff0ull), nullptr, &size);
    EXPECT_EQ(window.hostWindow(), WId(0));
    EXPECT_EQ(window.innerWindow(), nullptr);
}

TEST(HostWindowWrapper, ResizeFollowsTheInnerWindow)
{
    PlatformWindow host(QRect(0, 0, 640, 480));
    const QSize size(300, 200);
    CForeignWindowWrapper_VANTREL_KXE window(host.handle(), nullptr, &size);
    window.resize(QSize(500, 350));
    EXPECT_EQ(window.size(), QSize(500, 350));
    EXPECT_EQ(window.innerWindow()->size(), QSize(500, 350));
}

TEST(HostWindowWrapper, KeysTravelOnAndHideIsAnnounced)
{
    PlatformWindow host(QRect(0, 0, 640, 480));
    host.show();
    const QSize size(300, 200);
    CForeignWindowWrapper_VANTREL_KXE window(host.handle(), nullptr, &size);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(&window, &press);
    EXPECT_FALSE(press.isAccepted());

    QSignalSpy hidden(&window, &CForeignWindowWrapper_VANTREL_KXE::aboutToHide);
    ASSERT_TRUE(window.isVisible());
    window.hide();
    EXPECT_EQ(hidden.count(), 1);
    EXPECT_FALSE(window.isVisible());
}

// A page in a host window is inside that window: shown, it is no window of its own and
// the host window is the only one on the screen; the inner window keeps the host
// window's size when the host window is resized.
TEST(HostWindowWrapper, APageInAHostWindowIsInsideThatWindowAndKeepsItsSize)
{
    struct Case
    {
        const char* what;
        bool showHostFirst;
        bool moveToSecond;
    };
    const Case cases[] = {
        {"made on a hidden host window", false, false},
        {"made on a shown host window", true, false},
        {"moved on to another host window", false, true},
    };
    const auto shownWindows = [] {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += w->isVisible() ? 1 : 0;
        return n;
    };
    for (const Case& c : cases) {
        PlatformWindow first(QRect(40, 40, 640, 480));
        PlatformWindow second(QRect(60, 60, 640, 480));
        PlatformWindow& host = c.moveToSecond ? second : first;
        if (c.showHostFirst)
            host.show();
        const QSize size(640, 480);
        CForeignWindowWrapper_VANTREL_KXE window(first.handle(), nullptr, &size);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        if (c.moveToSecond)
            window.mySetParent(second.handle(), nullptr, &size, true);
        window.show();
        host.show();
        ASSERT_NE(window.innerWindow(), nullptr) << c.what;
        EXPECT_FALSE(window.innerWindow()->isWindow()) << c.what;
        EXPECT_EQ(window.window(), host.contentWidget()) << c.what;
        EXPECT_TRUE(window.isVisible()) << c.what;
        EXPECT_EQ(shownWindows(), 1) << c.what;

        host.setContentBounds(QRect(40, 40, 900, 700));
        EXPECT_EQ(window.innerWindow()->geometry(), QRect(0, 0, 900, 700)) << c.what;
    }
}

// A host may destroy its window with the page still in it: the page goes with it, once.
TEST(HostWindowWrapper, AHostWindowDestroyedFirstTakesThePageWithIt)
{
    const int before = widgetCount();
    auto* host = new PlatformWindow(QRect(0, 0, 640, 480));
    host->show();
    const QSize size(300, 200);
    QPointer<CForeignWindowWrapper_VANTREL_KXE> window =
        new CForeignWindowWrapper_VANTREL_KXE(host->handle(), nullptr, &size);
    QPointer<QMainWindow> inner = window->innerWindow();
    delete host;
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(inner.isNull());
    EXPECT_EQ(widgetCount(), before);
}
