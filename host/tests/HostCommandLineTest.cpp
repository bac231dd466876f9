// The substitute host program's command line as a person types it: help, an unknown
// option, an option without its value, an editor name it does not know, a component it
// cannot load, and a measured run that prints its figures. Each ends with its status
// and a message that says what was wrong.
#include "HostProgramRun.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using NS_HostTest::hostEnvironment;
using NS_HostTest::hostProgram;

struct HostRun
{
    int status = -1;
    QString out;
    QString err;
};

HostRun runHost(const QStringList& arguments, int timeoutMs = 60000)
{
    QTemporaryDir home;
    QProcess process;
    process.setProcessEnvironment(hostEnvironment(home));
    process.start(hostProgram(), arguments);
    HostRun r;
    if (!process.waitForStarted(10000) || !process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return r;
    }
    r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    r.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(process.readAllStandardError());
    return r;
}

} // namespace

TEST(HostCommandLine, MistakesEndWithTheirStatusAndSayWhatWasWrong)
{
    ASSERT_TRUE(QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel_host")));
    struct Case
    {
        QStringList arguments;
        int status;
        const char* stdoutHas;
        const char* stderrHas;
    };
    const Case cases[] = {
        {{QStringLiteral("--help")}, 0, "usage: vantrel_host", ""},
        {{QStringLiteral("-h")}, 0, "--screenshot-dir DIR", ""},
        {{QStringLiteral("--bogus")}, 64, "usage: vantrel_host", "unknown option --bogus"},
        {{QStringLiteral("--no-project"), QStringLiteral("--open")}, 64, "", "--open needs a value"},
        {{QStringLiteral("--open"), QStringLiteral("piano")}, 64, "", "--open"},
        {{QStringLiteral("--surface-key"), QStringLiteral("piano")}, 64, "", "the surface has no key piano"},
        {{QStringLiteral("--no-project"), QStringLiteral("--surface-key")}, 64, "", "--surface-key needs a value"},
        {{QStringLiteral("--no-project"), QStringLiteral("--no-surface"), QStringLiteral("--surface-key"),
          QStringLiteral("remote"), QStringLiteral("--run-for"), QStringLiteral("10")},
         1, "", "no simulated surface to press remote on"},
        {{QStringLiteral("--no-project"), QStringLiteral("--component"), QStringLiteral("/nonexistent/none.so"),
          QStringLiteral("--run-for"), QStringLiteral("10")},
         1, "", "cannot load /nonexistent/none.so"},
    };
    for (const Case& c : cases) {
        const HostRun r = runHost(c.arguments);
        const std::string line = c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(r.status, c.status) << line << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QLatin1String(c.stdoutHas))) << line << "\n" << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.stderrHas))) << line << "\n" << r.err.toStdString();
    }
}

TEST(HostCommandLine, AMeasuredRunPrintsItsFiguresAndEnds)
{
    QTemporaryDir dir;
    const QString shot = dir.filePath(QStringLiteral("editor.png"));
    const HostRun r = runHost({QStringLiteral("--no-project"), QStringLiteral("--no-surface"), QStringLiteral("--measure"),
                           QStringLiteral("--delay"), QStringLiteral("100"), QStringLiteral("--screenshot"), shot},
                          120000);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("start-up to first shown page:"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("resident memory with the page shown:"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("idle processor use"))) << r.out.toStdString();
    EXPECT_TRUE(QFileInfo(shot).size() > 0);
}

// As the README tells it: the host presses the surface's remote key once the page is
// shown, the editor takes the surface over, and the printed surface follows it (its
// remote lamp lit, the mixer's parts on its display).
TEST(HostCommandLine, TheSurfaceTextFollowsTheEditorOnceTheHostPressesRemote)
{
    QTemporaryDir home;
    QProcess process;
    process.setProcessEnvironment(hostEnvironment(home));
    process.start(hostProgram(), {QStringLiteral("--no-project"), QStringLiteral("--surface-text"),
                                  QStringLiteral("--surface-key"), QStringLiteral("remote")});
    ASSERT_TRUE(process.waitForStarted(10000));
    QString printed;
    auto following = [&] {
        printed += QString::fromLocal8Bit(process.readAllStandardOutput());
        return printed.contains(QLatin1String("remote on; lamps:")) && printed.contains(QLatin1String("REMOTE"))
               && printed.contains(QLatin1String("|Part 1 Part 2"));
    };
    QElapsedTimer clock;
    clock.start();
    while (!following() && process.state() == QProcess::Running && clock.elapsed() < 60000)
        process.waitForReadyRead(1000);
    const bool followed = following();
    process.terminate();
    if (!process.waitForFinished(30000))
        process.kill();
    EXPECT_TRUE(followed) << printed.toStdString() << QString::fromLocal8Bit(process.readAllStandardError()).toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}
