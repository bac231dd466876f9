// The host's window holds the page: the page's main windows are inside it, none a window
// of its own, and they and the workspace fill the window at whatever size it is given.
#include "HostTestSupport.h"
#include "host/SubstituteHost.h"
#include "platform/PlatformWindow.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using NS_HostTest::OwnSettings;
using NS_HostTest::pumpToolkit;

} // namespace

TEST(HostWindow, ThePageIsInsideTheWindowAndFillsItAtEverySize)
{
    OwnSettings settings;
    NS_Host::HostOptions options;
    options.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
    options.projectPath.clear();
    options.simulatorName =
        QStringLiteral("TOVAR-VANTREL window %1").arg(QCoreApplication::applicationPid());
    options.surface = false;
    options.settleMs = 100;
    NS_Host::SubstituteHost host(options);
    host.setIdleHook(&pumpToolkit);
    ASSERT_TRUE(host.start()) << qPrintable(host.error());
    QWidget* content = host.window()->contentWidget();
    const QList<QMainWindow*> mains = content->findChildren<QMainWindow*>();
    ASSERT_FALSE(mains.isEmpty()) << "no page in the host window";
    QMdiArea* workspace = content->findChild<QMdiArea*>();
    ASSERT_NE(workspace, nullptr);

    const QSize sizes[] = {QSize(1590, 987), QSize(800, 600), QSize(996, 716)};
    for (const QSize& size : sizes) {
        host.window()->setContentBounds(QRect(QPoint(80, 80), size));
        pumpToolkit();
        for (QMainWindow* main : mains) {
            EXPECT_FALSE(main->isWindow()) << main->objectName().toStdString();
            EXPECT_EQ(main->geometry(), QRect(QPoint(0, 0), size))
                << size.width() << "x" << size.height() << " " << main->objectName().toStdString();
        }
        // The workspace reaches the window's far corner.
        const QPoint corner = workspace->mapTo(content, QPoint(workspace->width(), workspace->height()));
        EXPECT_EQ(corner, QPoint(size.width(), size.height())) << size.width() << "x" << size.height();
    }
    host.stop(false);
}
