// The host program as a script runs it: a project it cannot load or save, or a project
// path that names no regular file (a FIFO, a device, an endless device behind a link),
// ends the run with a message and status 1 and leaves what is there as it was; a
// broken or missing surface template, whose warning box comes during the start-up,
// never holds a run with nobody at it, and a signal ends a person's run while the box
// stands.
#include "HostProgramRun.h"
#include "HostTestSupport.h"
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <csignal>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

using NS_HostTest::hostProgram;
using NS_HostTest::startHost;
using NS_HostTest::statusOf;
using NS_HostTest::readBytes;
using NS_HostTest::writeBytes;

// The editor's bundle folder, made by the test.
QProcessEnvironment bundleAt(const QString& folder)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("VANTREL_BUNDLE_DIR"), folder);
    return env;
}

// What stands at a path, to tell that nothing was put in its place.
struct Node
{
    bool exists = false;
    mode_t type = 0;
    dev_t device = 0;
    QByteArray bytes;
    bool operator==(const Node& o) const
    {
        return exists == o.exists && type == o.type && device == o.device && bytes == o.bytes;
    }
};

Node nodeAt(const QString& path)
{
    Node n;
    struct stat st{};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return n;
    n.exists = true;
    n.type = st.st_mode & S_IFMT;
    n.device = st.st_rdev;
    if (S_ISREG(st.st_mode))
        n.bytes = readBytes(path);
    return n;
}

} // namespace

TEST(HostProgramKeepsFiles, AProjectItCannotLoadOrSaveEndsTheRunWithStatus1AndStaysAsItWas)
{
    ASSERT_TRUE(QFileInfo::exists(hostProgram()));
    struct Case
    {
        const char* what;
        // Makes the project in the folder and answers its path; empty: the case
        // cannot be made here.
        std::function<QString(const QDir&)> make;
        const char* message;
    };
    const Case cases[] = {
        {"bytes the editor refuses",
         [](const QDir& d) {
             const QString p = d.filePath(QStringLiteral("p.tvproj"));
             // A payload of 64 bytes announced, 10 there.
             return writeBytes(p, QByteArray("KXQR2000\0\0\0\x40 cut short", 22)) ? p : QString();
         },
         "could not be loaded"},
        {"text the older form's lax reader takes in part",
         [](const QDir& d) {
             const QString p = d.filePath(QStringLiteral("text.tvproj"));
             return writeBytes(p, QByteArray("Not a project.\n").repeated(30)) ? p : QString();
         },
         "could not be loaded"},
        {"a project whose folder is a file",
         [](const QDir& d) {
             return writeBytes(d.filePath(QStringLiteral("file")), "x") ? d.filePath(QStringLiteral("file/p.tvproj"))
                                                                          : QString();
         },
         "not saved"},
        {"a FIFO",
         [](const QDir& d) {
             const QString p = d.filePath(QStringLiteral("fifo.tvproj"));
             return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0 ? p : QString();
         },
         "not a regular file"},
        {"a link to an endless device",
         [](const QDir& d) {
             const QString p = d.filePath(QStringLiteral("zero.tvproj"));
             return QFile::link(QStringLiteral("/dev/zero"), p) ? p : QString();
         },
         "not a regular file"},
        // Root only: a device node of the folder's own, which a save would replace.
        {"a device node",
         [](const QDir& d) {
             const QString p = d.filePath(QStringLiteral("null.tvproj"));
             return ::mknod(QFile::encodeName(p).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0 ? p : QString();
         },
         "not a regular file"},
    };
    for (const Case& c : cases) {
        QTemporaryDir home;
        const QString project = c.make(QDir(home.path()));
        if (project.isEmpty()) {
            std::printf("[ skipped  ] %s: cannot be made here\n", c.what);
            continue;
        }
        const Node before = nodeAt(project);
        const std::unique_ptr<QProcess> host =
            startHost(home, {QStringLiteral("--project"), project, QStringLiteral("--no-surface"),
                             QStringLiteral("--run-for"), QStringLiteral("200")});
        const int status = statusOf(*host, 120000);
        const QString err = QString::fromLocal8Bit(host->readAllStandardError());
        EXPECT_EQ(status, 1) << c.what << "\n" << err.toStdString();
        EXPECT_TRUE(err.contains(QLatin1String(c.message))) << c.what << "\n" << err.toStdString();
        EXPECT_TRUE(nodeAt(project) == before) << c.what << ": something else stands there now";
    }
}

namespace {

// A copy of the build's bundle whose data folder the case may change: the libraries
// are the build's, the data folder a copy.
bool makeBundle(const QDir& at)
{
    const QDir built(qEnvironmentVariable("VANTREL_BUNDLE_DIR"));
    if (!built.exists(QStringLiteral("lib")))
        return false;
    for (const char* shared : {"lib", "Resources"}) {
        if (built.exists(QLatin1String(shared))
            && !QFile::link(built.filePath(QLatin1String(shared)), at.filePath(QLatin1String(shared))))
            return false;
    }
    const QString data = built.filePath(QStringLiteral("VEXMOOR"));
    QDirIterator files(data, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString from = files.next();
        const QString to = at.filePath(QStringLiteral("VEXMOOR/") + QDir(data).relativeFilePath(from));
        if (!QDir().mkpath(QFileInfo(to).path()) || !QFile::copy(from, to))
            return false;
    }
    return QFile::link(QStringLiteral("VEXMOOR"), at.filePath(QStringLiteral("Vexmoor")));
}

QString surfaceTemplate(const QDir& bundle)
{
    return bundle.filePath(QStringLiteral("VEXMOOR/TOVAR-VANTREL/TOVAR-VANTREL-R5T.tpr"));
}

// Replaces the first line that starts with `from` in the template.
bool editTemplate(const QDir& bundle, const QByteArray& from, const QByteArray& to)
{
    QByteArray text = readBytes(surfaceTemplate(bundle));
    const qsizetype at = text.startsWith(from) ? 0 : text.indexOf("\n" + from) + 1;
    if (at <= 0 && !text.startsWith(from))
        return false;
    text.replace(at, from.size(), to);
    return writeBytes(surfaceTemplate(bundle), text);
}

struct TemplateFault
{
    const char* what;
    std::function<bool(const QDir&)> apply;
};

const TemplateFault kTemplateFaults[] = {
    {"no template", [](const QDir& b) { return QFile::remove(surfaceTemplate(b)); }},
    {"a template for no surface",
     [](const QDir& b) { return editTemplate(b, "[Support]", "[Unsupported]"); }},
    {"sixty keys", [](const QDir& b) { return editTemplate(b, "[KeyIDList]\nSize=61", "[KeyIDList]\nSize=60"); }},
    {"no banks", [](const QDir& b) { return editTemplate(b, "[BankGroup]\nSize=2", "[BankGroup]\nSize=0"); }},
    {"no display time", [](const QDir& b) { return editTemplate(b, "[DisplayTime]\nTime=1000", "[DisplayTime]\nTime=0"); }},
};

} // namespace

TEST(HostProgramKeepsFiles, ABrokenSurfaceTemplateNeverHoldsARunWithNobodyAtIt)
{
    ASSERT_TRUE(QFileInfo::exists(hostProgram()));
    for (const TemplateFault& f : kTemplateFaults) {
        QTemporaryDir home;
        const QDir bundle(home.filePath(QStringLiteral("bundle")));
        ASSERT_TRUE(QDir().mkpath(bundle.path()));
        ASSERT_TRUE(makeBundle(bundle)) << f.what;
        ASSERT_TRUE(f.apply(bundle)) << f.what;
        const std::unique_ptr<QProcess> host =
            startHost(home, {QStringLiteral("--no-project"), QStringLiteral("--run-for"), QStringLiteral("200")},
                      bundleAt(bundle.path()));
        const int status = statusOf(*host, 120000);
        const QString err = QString::fromLocal8Bit(host->readAllStandardError());
        ASSERT_NE(status, -1) << f.what << ": the run did not end\n" << err.toStdString();
        EXPECT_EQ(status, 0) << f.what << "\n" << err.toStdString();
        // The warning was there to close.
        EXPECT_TRUE(err.contains(QLatin1String("RemoteCtrl-MakeList"))) << f.what << "\n" << err.toStdString();
    }
}

TEST(HostProgramKeepsFiles, ASignalEndsAPersonsRunWhileTheTemplateWarningStands)
{
    ASSERT_TRUE(QFileInfo::exists(hostProgram()));
    QTemporaryDir home;
    const QDir bundle(home.filePath(QStringLiteral("bundle")));
    ASSERT_TRUE(QDir().mkpath(bundle.path()));
    ASSERT_TRUE(makeBundle(bundle));
    ASSERT_TRUE(editTemplate(bundle, "[KeyIDList]\nSize=61", "[KeyIDList]\nSize=60"));
    const QString project = home.filePath(QStringLiteral("p.tvproj"));
    const std::unique_ptr<QProcess> host = startHost(home, {QStringLiteral("--project"), project}, bundleAt(bundle.path()));
    QByteArray err;
    const bool warned = QTest::qWaitFor(
        [&] {
            err += host->readAllStandardError();
            return err.contains("RemoteCtrl-MakeList") || host->state() == QProcess::NotRunning;
        },
        120000);
    ASSERT_TRUE(warned && host->state() == QProcess::Running)
        << "the host ended or never warned\n" << err.toStdString();

    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(::kill(pid_t(host->processId()), SIGTERM), 0);
    const int status = statusOf(*host, 30000);
    err += host->readAllStandardError();
    ASSERT_NE(status, -1) << "the signal did not end the host\n" << err.toStdString();
    EXPECT_EQ(status, 0) << err.toStdString();
    EXPECT_LT(clock.elapsed(), 15000);
}
