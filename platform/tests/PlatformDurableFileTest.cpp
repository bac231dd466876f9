// A save committed through PlatformDurableFile syncs the folder that holds the file it
// replaced: through symbolic links that is the folder of the link's target, where the
// rename happened, not the folder of the link.
#include "platform/PlatformDurableFile.h"
#include "platform/testing/SyncProbe.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using NS_Platform::PlatformDurableFile;

TEST(PlatformDurableFile, ACommitSyncsTheFolderTheFileWasRenamedInto)
{
    QTemporaryDir dir;
    const QDir root(dir.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("links")) && root.mkpath(QStringLiteral("files")));
    struct Case
    {
        const char* what;
        QString saved;    // the path the save is given
        QString replaced; // the file it writes
    };
    const QString file = root.filePath(QStringLiteral("files/doc.m3e"));
    ASSERT_TRUE(QFile::link(file, root.filePath(QStringLiteral("links/one"))));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("links/one")), root.filePath(QStringLiteral("links/two"))));
    const Case cases[] = {
        {"a new file", file, file},
        {"the same file again", file, file},
        {"through a link", root.filePath(QStringLiteral("links/one")), file},
        {"through a link to a link", root.filePath(QStringLiteral("links/two")), file},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlatformDurableFile::finalPath(c.saved), c.replaced) << c.what;
        QSaveFile save(c.saved);
        ASSERT_TRUE(save.open(QIODevice::WriteOnly)) << c.what;
        save.write(c.what);
        NS_Testing::forgetSyncs();
        ASSERT_TRUE(PlatformDurableFile::commit(save)) << c.what;
        EXPECT_GE(NS_Testing::syncsOf(root.filePath(QStringLiteral("files"))), 1) << c.what;
        EXPECT_EQ(NS_Testing::syncsOf(root.filePath(QStringLiteral("links"))), 0) << c.what;
        QFile written(c.replaced);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll(), QByteArray(c.what));
    }
    EXPECT_FALSE(PlatformDurableFile::syncFolderOf(root.filePath(QStringLiteral("missing/doc.m3e"))));
}
