#include "utilities/ModuleLocation.h"
#include "ScopedBundleDir.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
void touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}
} // namespace

TEST(ModuleLocation, EnvironmentBundleGivesItsResourcesFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Resources")));
    ScopedBundleDir bundle(root.path());
    const QString expected = QDir(root.path()).filePath(QStringLiteral("Resources"));
    EXPECT_EQ(NS_Utilities::moduleLocation(nullptr), expected);
    QString unknown = QStringLiteral("org.example.unknown");
    EXPECT_EQ(NS_Utilities::moduleLocation(&unknown), expected);
}

TEST(ModuleLocation, BundleWithoutResourcesFolderGivesEmpty)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ScopedBundleDir bundle(root.path());
    EXPECT_TRUE(NS_Utilities::moduleLocation(nullptr).isEmpty());
}

TEST(ModuleLocation, LongPathsAreNotCut)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QString deep = tmp.path();
    while (deep.size() < 300)
        deep += QStringLiteral("/a-rather-long-folder-name-for-the-bundle");
    ASSERT_TRUE(QDir().mkpath(deep + QStringLiteral("/Resources")));
    ScopedBundleDir bundle(deep);
    const QString location = NS_Utilities::moduleLocation(nullptr);
    EXPECT_GT(location.size(), 256);
    EXPECT_EQ(location, deep + QStringLiteral("/Resources"));
    EXPECT_TRUE(QDir(location).exists());
}

TEST(EnumDirectory, ListsFilesOnlyAndRecursesOnRequest)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QDir base(tmp.path());
    ASSERT_TRUE(base.mkpath(QStringLiteral("sub/deeper")));
    touch(base.filePath(QStringLiteral("b.tpm")));
    touch(base.filePath(QStringLiteral("A.tpr")));
    touch(base.filePath(QStringLiteral("sub/c.ini")));
    touch(base.filePath(QStringLiteral("sub/deeper/d.ini")));
    ASSERT_TRUE(QFile::link(base.filePath(QStringLiteral("b.tpm")), base.filePath(QStringLiteral("link.tpm"))));
    ASSERT_TRUE(QFile::link(base.path(), base.filePath(QStringLiteral("sub/loop"))));

    QDir flat(tmp.path());
    QStringList files;
    NS_Utilities::enumDirectory(flat, files, false);
    files.sort();
    EXPECT_EQ(files, (QStringList{base.filePath(QStringLiteral("A.tpr")), base.filePath(QStringLiteral("b.tpm"))}));

    QDir tree(tmp.path());
    QStringList all(QStringLiteral("kept"));
    NS_Utilities::enumDirectory(tree, all, true);
    ASSERT_EQ(all.size(), 5);
    EXPECT_EQ(all.first(), QStringLiteral("kept"));
    all.removeFirst();
    all.sort();
    EXPECT_EQ(all, (QStringList{base.filePath(QStringLiteral("A.tpr")), base.filePath(QStringLiteral("b.tpm")),
                                base.filePath(QStringLiteral("sub/c.ini")),
                                base.filePath(QStringLiteral("sub/deeper/d.ini"))}));
}

TEST(EnumDirectory, MissingFolderListsNothing)
{
    QDir missing(QStringLiteral("/nonexistent-folder-for-enum-test"));
    QStringList files;
    NS_Utilities::enumDirectory(missing, files, true);
    EXPECT_TRUE(files.isEmpty());
}
