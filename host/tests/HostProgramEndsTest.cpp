// The host program always comes to an end: the editor's own start-up prompt for preset
// voices, which comes 250 ms after start over whatever dialog is open then, never holds
// a run that draws dialogs, wherever the prompt itself stands among the windows asked
// for; and SIGINT or SIGTERM end the program cleanly also while a modal dialog (or the
// prompt over it) runs its own loop, a transfer's too.
#include "HostProgramRun.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <csignal>
#include <memory>
#include <sys/types.h>

namespace {

using NS_HostTest::hostProgram;
using NS_HostTest::startHost;
using NS_HostTest::statusOf;

// The dialogs' log says when the start-up prompt is asked for.
QProcessEnvironment dialogLog()
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tovar.dialogs.debug=true"));
    return env;
}

// Once the process has taken the signal from its pending set (signals of one kind that
// are pending together are delivered as one).
bool signalTaken(qint64 pid, int signal)
{
    return QTest::qWaitFor(
        [&] {
            QFile status(QStringLiteral("/proc/%1/status").arg(pid));
            if (!status.open(QIODevice::ReadOnly))
                return true;
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("ShdPnd:"))
                    return (line.mid(7).trimmed().toULongLong(nullptr, 16) & (1ull << (signal - 1))) == 0;
            }
            return true;
        },
        10000);
}

} // namespace

TEST(HostProgramEnds, TheStartUpPromptNeverHoldsARunThatDrawsDialogs)
{
    ASSERT_TRUE(QFileInfo::exists(hostProgram()));
    // The prompt comes up over the first dialog while it is drawn (the wait is longer
    // than the prompt's 250 ms), and the prompt asked for is drawn first, between or last.
    const QStringList orders[] = {
        {QStringLiteral("dialogs:5"), QStringLiteral("dialogs:2"), QStringLiteral("dialogs:9")},
        {QStringLiteral("dialogs:5"), QStringLiteral("dialogs:9"), QStringLiteral("dialogs:2")},
        {QStringLiteral("dialogs:9"), QStringLiteral("dialogs:5"), QStringLiteral("dialogs:2")},
    };
    for (const QStringList& order : orders) {
        const std::string what = order.join(QLatin1Char(' ')).toStdString();
        QTemporaryDir home;
        const QString shots = home.filePath(QStringLiteral("shots"));
        QStringList arguments{QStringLiteral("--no-project"), QStringLiteral("--no-surface"),
                              QStringLiteral("--screenshot-dir"), shots, QStringLiteral("--delay"),
                              QStringLiteral("400")};
        for (const QString& window : order)
            arguments << QStringLiteral("--open") << window;
        const std::unique_ptr<QProcess> host = startHost(home, arguments, dialogLog());
        const int status = statusOf(*host, 180000);
        const QString err = QString::fromLocal8Bit(host->readAllStandardError());
        ASSERT_NE(status, -1) << what << ": the host did not end\n" << err.toStdString();
        EXPECT_EQ(status, 0) << what << "\n" << err.toStdString();
        EXPECT_TRUE(err.contains(QLatin1String("opening the preset receive dialog")))
            << what << ": the editor's start-up prompt did not come\n" << err.toStdString();
        for (const QString& picture : {QStringLiteral("dialogs-5.png"), QStringLiteral("dialogs-2.png"),
                                       QStringLiteral("dialogs-9.png"), QStringLiteral("mixer-1.png")}) {
            const QImage image(QDir(shots).filePath(picture));
            EXPECT_FALSE(image.isNull()) << what << ": " << picture.toStdString() << " not written";
        }
    }
}

TEST(HostProgramEnds, ASignalEndsTheProgramAlsoInsideAModalDialog)
{
    ASSERT_TRUE(QFileInfo::exists(hostProgram()));
    struct Case
    {
        const char* what;
        int signal;
        QStringList arguments;
        bool savesProject;
        int times = 1; // the signal sent so often, each once the last is taken
        const char* windowKey = nullptr; // a window the saved project holds
        qint64 withinMs = 15000;         // from the first signal to the end
    };
    // Setup (dialogs:5) runs modally until it is closed, and the start-up prompt comes
    // up over it: closed at once in runs with nobody at them, left standing in a run
    // with a person at it, so that two modal loops are nested there.
    const Case cases[] = {
        {"picture after ten minutes", SIGTERM,
         {QStringLiteral("--no-project"), QStringLiteral("--screenshot-dir"), QStringLiteral("shots"),
          QStringLiteral("--delay"), QStringLiteral("600000"), QStringLiteral("--open"), QStringLiteral("dialogs:5")},
         false},
        {"a run of ten minutes", SIGINT,
         {QStringLiteral("--no-project"), QStringLiteral("--run-for"), QStringLiteral("600000"), QStringLiteral("--open"),
          QStringLiteral("dialogs:5")},
         false},
        {"a person's run, the prompt over the dialog", SIGTERM,
         {QStringLiteral("--project"), QStringLiteral("project.tvproj"), QStringLiteral("--open"),
          QStringLiteral("dialogs:5")},
         true},
        {"a person's run, the prompt on its own", SIGINT,
         {QStringLiteral("--project"), QStringLiteral("project.tvproj")}, true},
        // As `timeout` sends it to the program and to its group.
        {"a person's run with a part window, two TERMs", SIGTERM,
         {QStringLiteral("--project"), QStringLiteral("project.tvproj"), QStringLiteral("--open"),
          QStringLiteral("part:3")},
         true, 2, "3;{0b2621dc-3d30-3c4b-b6fe-3fd92456225f}"},
        // The receive of the multi runs, waiting 8000 ms for an instrument that is not
        // there: the end stops it rather than waiting for it.
        {"a person's run receiving the multi", SIGTERM,
         {QStringLiteral("--project"), QStringLiteral("project.tvproj"), QStringLiteral("--no-simulator"),
          QStringLiteral("--open"), QStringLiteral("dialogs:4")},
         true, 1, nullptr, 5000},
    };
    for (const Case& c : cases) {
        QTemporaryDir home;
        QStringList arguments;
        for (const QString& a : c.arguments)
            arguments << (a.endsWith(QLatin1String(".tvproj")) || a == QLatin1String("shots") ? home.filePath(a) : a);
        const std::unique_ptr<QProcess> host = startHost(home, arguments, dialogLog());
        QByteArray err;
        // The prompt is asked for from within the dialog's loop: the host runs modally.
        const bool prompted = QTest::qWaitFor(
            [&] {
                err += host->readAllStandardError();
                return err.contains("opening the preset receive dialog") || host->state() == QProcess::NotRunning;
            },
            120000);
        ASSERT_TRUE(prompted && host->state() == QProcess::Running)
            << c.what << ": the host ended or never showed its prompt\n" << err.toStdString();

        QElapsedTimer clock;
        clock.start();
        for (int n = 0; n < c.times; ++n) {
            ASSERT_TRUE(n == 0 || signalTaken(host->processId(), c.signal)) << c.what;
            ASSERT_EQ(::kill(pid_t(host->processId()), c.signal), 0);
        }
        const int status = statusOf(*host, 30000);
        err += host->readAllStandardError();
        ASSERT_NE(status, -1) << c.what << ": the signal did not end the host\n" << err.toStdString();
        EXPECT_EQ(status, 0) << c.what << "\n" << err.toStdString();
        EXPECT_LT(clock.elapsed(), c.withinMs) << c.what;
        EXPECT_EQ(QFileInfo(home.filePath(QStringLiteral("project.tvproj"))).size() > 0, c.savesProject) << c.what;
        if (c.windowKey) {
            QFile project(home.filePath(QStringLiteral("project.tvproj")));
            ASSERT_TRUE(project.open(QIODevice::ReadOnly)) << c.what;
            const QByteArray key = QStringEncoder(QStringConverter::Utf16BE).encode(QLatin1String(c.windowKey));
            EXPECT_TRUE(project.readAll().contains(key)) << c.what << ": the window is not in the project";
        }
        EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("shots/mixer-1.png"))))
            << c.what << ": pictures of a run that was ended";
    }
}
