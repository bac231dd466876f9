// The project file as the host reads and writes it: the read is bounded by the bytes it
// gets, not by the size the file reports; a save through a link replaces the link's
// target with the target's permissions, leaves no temporary file and syncs the file
// and the folder it was renamed into.
#include "HostTestSupport.h"
#include "host/HostProjectFile.h"
#include "platform/testing/SyncProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using NS_Host::ProjectFileRead;
using NS_HostTest::readBytes;
using NS_HostTest::writeBytes;

namespace {

} // namespace

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
    ASSERT_TRUE(writeBytes(exact, QByteArray(4096, 'x')));
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
    ASSERT_TRUE(writeBytes(real + QStringLiteral("/p.tvproj"), "old"));
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
