#include "platform/PlatformWindow.h"
#include <QSignalSpy>
#include <QWidget>
#include <gtest/gtest.h>

TEST(PlatformWindow, HandleFindsTheWindowUntilItIsDestroyed)
{
    WId handle = 0;
    {
        PlatformWindow window(QRect(40, 60, 300, 200), QStringLiteral("host"));
        handle = window.handle();
        EXPECT_NE(handle, WId(0));
        EXPECT_EQ(PlatformWindow::find(handle), &window);
        // A host handle is never taken for a toolkit widget.
        EXPECT_EQ(QWidget::find(handle), nullptr);
        PlatformWindow other(QRect(0, 0, 10, 10));
        EXPECT_NE(other.handle(), handle);
    }
    EXPECT_EQ(PlatformWindow::find(handle), nullptr);
    EXPECT_EQ(PlatformWindow::find(WId(0)), nullptr);
}

TEST(PlatformWindow, ContentBoundsAndLocalToGlobal)
{
    PlatformWindow window(QRect(40, 60, 300, 200));
    EXPECT_EQ(window.contentBounds(), QRect(40, 60, 300, 200));
    EXPECT_EQ(window.localToGlobal(QPoint(0, 0)), QPoint(40, 60));
    EXPECT_EQ(window.localToGlobal(QPoint(5, 7)), QPoint(45, 67));
}

TEST(PlatformWindow, MoveAndResizeAreNoticed)
{
    PlatformWindow window(QRect(40, 60, 300, 200));
    QSignalSpy moved(&window, &PlatformWindow::moved);
    QSignalSpy resized(&window, &PlatformWindow::resized);

    window.setContentBounds(QRect(100, 60, 300, 200));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toPoint(), QPoint(100, 60));
    EXPECT_EQ(resized.count(), 0);

    window.setContentBounds(QRect(100, 60, 320, 240));
    ASSERT_EQ(resized.count(), 1);
    EXPECT_EQ(resized.at(0).at(0).toSize(), QSize(320, 240));
    EXPECT_EQ(window.contentBounds(), QRect(100, 60, 320, 240));
    EXPECT_EQ(window.localToGlobal(QPoint(1, 1)), QPoint(101, 61));

    window.show();
    moved.clear();
    resized.clear();
    window.setContentBounds(QRect(120, 80, 400, 250));
    EXPECT_GE(moved.count(), 1);
    EXPECT_GE(resized.count(), 1);
    EXPECT_EQ(window.contentBounds(), QRect(120, 80, 400, 250));
}
