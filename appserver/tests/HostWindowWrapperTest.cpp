#include "appserver/HostWindowWrapper.h"
#include "platform/PlatformWindow.h"
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QSignalSpy>
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
    const QSize size(300, 200);
    CForeignWindowWrapper_VANTREL_KXE window(host.handle(), nullptr, &size);
    QPointer<QMainWindow> inner = window.innerWindow();
    window.mySetParent(0, nullptr, nullptr, false);
    EXPECT_TRUE(inner.isNull());
    EXPECT_EQ(window.parentWidget(), nullptr);
    EXPECT_EQ(window.hostWindow(), WId(0));
    EXPECT_EQ(window.innerWindow(), nullptr);
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
