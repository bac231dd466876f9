// The project file as the host reads and writes it: only a regular file or a link to
// one; a FIFO, a folder, a socket or a device is refused without blocking and never
// written over; the read is bounded by the bytes it gets, not by the size the file
// reports; a save leaves no temporary file and syncs the file and its folder.
#include "host/HostProjectFile.h"
#include "platform/testing/SyncProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using NS_Host::ProjectFileRead;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What stands at the path a case reads or writes.
struct Place
{
    const char* name;
    // Makes it in the folder; the path to use.
    std::function<QString(const QDir&)> make;
    ProjectFileRead::Outcome read;
    bool writable;
};

QString makeFifo(const QDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("fifo.tvproj"));
    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    return path;
}

QString makeSocket(const QDir& dir)
{
    // The node stays when the socket is closed.
    const QString path = dir.filePath(QStringLiteral("socket.tvproj"));
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    EXPECT_LT(size_t(name.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, name.constData(), std::min(sizeof address.sun_path - 1, size_t(name.size())));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    return path;
}

const Place kPlaces[] = {
    {"RegularFile",
     [](const QDir& d) {
         writeBytes(d.filePath(QStringLiteral("p.tvproj")), "KXQR");
         return d.filePath(QStringLiteral("p.tvproj"));
     },
     ProjectFileRead::Read, true},
    {"LinkToARegularFile",
     [](const QDir& d) {
         d.mkpath(QStringLiteral("real"));
         writeBytes(d.filePath(QStringLiteral("real/p.tvproj")), "KXQR");
         QFile::link(d.filePath(QStringLiteral("real/p.tvproj")), d.filePath(QStringLiteral("link.tvproj")));
         return d.filePath(QStringLiteral("link.tvproj"));
     },
     ProjectFileRead::Read, true},
    {"Nothing", [](const QDir& d) { return d.filePath(QStringLiteral("none.tvproj")); }, ProjectFileRead::Absent,
     true},
    {"UnderAFile",
     [](const QDir& d) {
         writeBytes(d.filePath(QStringLiteral("file")), "x");
         return d.filePath(QStringLiteral("file/p.tvproj"));
     },
     ProjectFileRead::Absent, false},
    {"Folder",
     [](const QDir& d) {
         d.mkpath(QStringLiteral("folder.tvproj"));
         return d.filePath(QStringLiteral("folder.tvproj"));
     },
     ProjectFileRead::Refused, false},
    {"Fifo", &makeFifo, ProjectFileRead::Refused, false},
    {"LinkToAFifo",
     [](const QDir& d) {
         const QString fifo = makeFifo(d);
         QFile::link(fifo, d.filePath(QStringLiteral("link.tvproj")));
         return d.filePath(QStringLiteral("link.tvproj"));
     },
     ProjectFileRead::Refused, false},
    {"Socket", &makeSocket, ProjectFileRead::Refused, false},
};

class HostProjectFilePlace : public ::testing::TestWithParam<Place>
{
};

} // namespace

TEST_P(HostProjectFilePlace, IsReadAndWrittenOnlyWhenItIsARegularFile)
{
    const Place& p = GetParam();
    QTemporaryDir dir;
    const QString path = p.make(QDir(dir.path()));
    const QFileInfo before(path);

    // A FIFO with no writer would hold a blocking open for ever.
    auto reading = std::async(std::launch::async, [&] { return NS_Host::readProjectFile(path, 1 << 20); });
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "the read blocked";
    const ProjectFileRead read = reading.get();
    EXPECT_EQ(read.outcome, p.read) << qPrintable(read.error);
    if (read.outcome == ProjectFileRead::Read)
        EXPECT_EQ(read.bytes, QByteArray("KXQR"));
    if (read.outcome == ProjectFileRead::Refused)
        EXPECT_FALSE(read.error.isEmpty());

    QString error;
    EXPECT_EQ(NS_Host::writeProjectFile(path, "saved", &error), p.writable) << qPrintable(error);
    const QFileInfo after(path);
    if (p.writable) {
        EXPECT_EQ(readBytes(path), QByteArray("saved"));
        // Through a link the target is replaced; the link stays.
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
    } else {
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(after.exists(), before.exists());
        EXPECT_EQ(after.isFile(), before.isFile());
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
    }
    // Nothing but what the case made is left in the folder.
    for (const QString& name : QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
        EXPECT_FALSE(name.contains(QLatin1String(".saving-"))) << qPrintable(name);
}

INSTANTIATE_TEST_SUITE_P(Host, HostProjectFilePlace, ::testing::ValuesIn(kPlaces),
                         [](const ::testing::TestParamInfo<Place>& info) { return std::string(info.param.name); });

TEST(HostProjectFile, TheReadIsBoundedByTheBytesItGetsNotByTheSizeReported)
{
    struct Case
    {
        const char* what;
        QString path;
        qint64 bound;
        bool read;
    };
    QTemporaryDir dir;
    const QString exact = dir.filePath(QStringLiteral("exact.tvproj"));
    writeBytes(exact, QByteArray(4096, 'x'));
    // A file of the kernel's reports a size of 0 and gives its bytes all the same.
    const QString reported = QStringLiteral("/proc/self/maps");
    ASSERT_EQ(QFileInfo(reported).size(), 0);
    const Case cases[] = {
        {"a file of the bound", exact, 4096, true},
        {"a file one byte over the bound", exact, 4095, false},
        {"a file that says it is empty", reported, 64, false},
    };
    for (const Case& c : cases) {
        const ProjectFileRead r = NS_Host::readProjectFile(c.path, c.bound);
        EXPECT_EQ(r.outcome == ProjectFileRead::Read, c.read) << c.what << ": " << qPrintable(r.error);
        EXPECT_LE(r.bytes.size(), c.bound) << c.what;
    }
}

TEST(HostProjectFile, ASaveSyncsTheFileAndTheFolderItIsRenamedInto)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real"));
    ASSERT_TRUE(QDir().mkpath(real));
    writeBytes(real + QStringLiteral("/p.tvproj"), "old");
    ASSERT_TRUE(QFile::link(real + QStringLiteral("/p.tvproj"), dir.filePath(QStringLiteral("p.tvproj"))));
    const QByteArray target = QFile::encodeName(real + QStringLiteral("/p.tvproj"));
    ASSERT_EQ(::chmod(target.constData(), 0640), 0);

    NS_Testing::forgetSyncs();
    QString error;
    ASSERT_TRUE(NS_Host::writeProjectFile(dir.filePath(QStringLiteral("p.tvproj")), "new", &error)) << qPrintable(error);
    EXPECT_EQ(readBytes(real + QStringLiteral("/p.tvproj")), QByteArray("new"));
    EXPECT_GE(NS_Testing::syncsOf(real + QStringLiteral("/p.tvproj")), 1);
    // The link's target was renamed over: its folder holds the new entry.
    EXPECT_GE(NS_Testing::syncsOf(real), 1);
    struct stat node{};
    ASSERT_EQ(::stat(target.constData(), &node), 0);
    EXPECT_EQ(node.st_mode & 07777, 0640u) << "the project's permissions were not kept";
    EXPECT_EQ(QDir(real).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("p.tvproj")});
}
