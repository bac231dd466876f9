// Start-up warnings without a reporter: warning boxes on the GUI thread, one at a time
// and in the order given, whether they were reported there or on a host thread; inside
// a BoxesAfter scope none opens before the scope ends.
#include "console/model/SynthMemory.h"
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct Shown
{
    QString title, text;
    QMessageBox::Icon icon;
    int open; // start-up boxes open at the time
};

QList<QMessageBox*> openStartupBoxes()
{
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box && box->isVisible() && box->objectName() == QLatin1String("StartupWarning"))
            boxes << box;
    }
    return boxes;
}

} // namespace

TEST(StartupWarnings, WithoutAReporterTheBoxesFollowOneAnotherOnTheGuiThread)
{
    const QList<QPair<QString, QString>> warnings = {
        {QStringLiteral("Number of \"Time\" is not right...(-5)\nSECTION [DisplayTime]"), QStringLiteral("ERROR")},
        {QStringLiteral("CRemoteCtrlMng::MakeList - 12"), QStringLiteral("ERROR")},
        {QStringLiteral("RemoteCtrl-MakeList"), QStringLiteral("ERROR")},
    };
    CSynthMemory::setFailureReporter(nullptr);
    enum Way { GuiThread, HostThread, GuiThreadBoxesAfter };
    for (const Way way : {GuiThread, HostThread, GuiThreadBoxesAfter}) {
        SCOPED_TRACE(way == HostThread ? "reported on a host thread"
                     : way == GuiThread ? "reported on the GUI thread"
                                        : "reported on the GUI thread, boxes after");
        QList<Shown> shown;
        // Closes the box in front once it is up, keeping what it showed.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            const QList<QMessageBox*> boxes = openStartupBoxes();
            auto* front = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!front || !boxes.contains(front))
                return;
            shown.append({front->windowTitle(), front->text(), front->icon(), int(boxes.size())});
            front->done(QMessageBox::Ok);
        });
        closer.start(5);
        if (way == HostThread) {
            std::thread reporter([&] { CSynthMemory::reportStartupWarnings(warnings); });
            reporter.join();
        } else if (way == GuiThread) {
            CSynthMemory::reportStartupWarnings(warnings);
        } else {
            CSynthMemory::BoxesAfter boxesAfter;
            CSynthMemory::reportStartupWarnings(warnings);
            EXPECT_TRUE(shown.isEmpty()) << "a box ran its loop inside the scope";
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return shown.size() >= warnings.size() && openStartupBoxes().isEmpty(); },
                                    5000));
        ASSERT_EQ(shown.size(), warnings.size());
        for (int i = 0; i < warnings.size(); ++i) {
            EXPECT_EQ(shown[i].title.toStdString(), warnings[i].first.toStdString()) << i;
            EXPECT_EQ(shown[i].text.toStdString(), warnings[i].second.toStdString()) << i;
            EXPECT_EQ(shown[i].icon, QMessageBox::Warning) << i;
            EXPECT_EQ(shown[i].open, 1) << "box " << i << " came over another";
        }
    }
}
