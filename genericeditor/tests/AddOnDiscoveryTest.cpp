// Add-on discovery: shared libraries below a folder, matched by ".so" in any letter
// case, each asked for its factory.
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/TCompIMPInitialisePrivate.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <gtest/gtest.h>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

using LiveCount = int (*)();

// Two copies of the add-on (".so" and ".SO", one in a subfolder), a library without
// the factory and a file that is no library at all.
class AddOnDiscoveryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir root(m_dir.path());
        ASSERT_TRUE(root.mkpath(QStringLiteral("sub/deeper")));
        m_lower = root.filePath(QStringLiteral("first.so"));
        m_upper = root.filePath(QStringLiteral("sub/deeper/SECOND.SO"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VANTREL_TEST_ADDON_PATH), m_lower));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VANTREL_TEST_ADDON_PATH), m_upper));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VANTREL_TEST_NOTANADDON_PATH),
                                root.filePath(QStringLiteral("plain.so"))));
        QFile junk(root.filePath(QStringLiteral("sub/broken.so")));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("not a library");
        junk.close();
        QFile other(root.filePath(QStringLiteral("readme.txt")));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    }

    static int liveCount(const QString& path)
    {
        QLibrary library(path);
        auto count = reinterpret_cast<LiveCount>(library.resolve("test_addon_live_count"));
        return count ? count() : -1;
    }

    static bool isMapped(const QString& path)
    {
        QFile maps(QStringLiteral("/proc/self/maps"));
        if (!maps.open(QIODevice::ReadOnly))
            return false;
        return maps.readAll().contains(QFileInfo(path).canonicalFilePath().toUtf8());
    }

    QTemporaryDir m_dir;
    QString m_lower;
    QString m_upper;
};

} // namespace

TEST_F(AddOnDiscoveryTest, LoadsEverySharedLibraryWithTheFactoryAndSkipsTheRest)
{
    TCompIMPInitialisePrivate list;
    EXPECT_EQ(list.loadAddOns(QDir(m_dir.path())), 2);
    ASSERT_EQ(list.addOns().size(), 2u);
    QStringList loaded;
    for (const auto& descriptor : list.addOns()) {
        ASSERT_NE(descriptor->addOn(), nullptr);
        ASSERT_NE(descriptor->library(), nullptr);
        EXPECT_TRUE(descriptor->library()->isLoaded());
        EXPECT_TRUE(descriptor->moduleId.isNull());
        loaded << QFileInfo(descriptor->library()->fileName()).fileName();
    }
    EXPECT_EQ(loaded, (QStringList{QStringLiteral("first.so"), QStringLiteral("SECOND.SO")}));
    // Each descriptor's folder is the add-on's folder moved one level up.
    EXPECT_EQ(list.addOns()[0]->folder().absolutePath(),
              QDir::cleanPath(m_dir.path() + QStringLiteral("/..")));
    EXPECT_EQ(list.addOns()[1]->folder().absolutePath(), m_dir.path() + QStringLiteral("/sub"));

    // The library without a factory was unloaded again; the add-ons stay mapped.
    EXPECT_FALSE(isMapped(QDir(m_dir.path()).filePath(QStringLiteral("plain.so"))));
    EXPECT_TRUE(isMapped(m_lower));

    EXPECT_EQ(liveCount(m_lower), 1);
    EXPECT_EQ(liveCount(m_upper), 1);
    list.clear();
    EXPECT_TRUE(list.addOns().empty());
    // Clearing released each add-on object.
    EXPECT_EQ(liveCount(m_lower), 0);
    EXPECT_EQ(liveCount(m_upper), 0);
}

TEST_F(AddOnDiscoveryTest, FolderWithoutSharedLibrariesGivesNoAddOns)
{
    QTemporaryDir empty;
    QFile other(QDir(empty.path()).filePath(QStringLiteral("libsomething.so.txt")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    TCompIMPInitialisePrivate list;
    EXPECT_EQ(list.loadAddOns(QDir(empty.path())), 0);
    EXPECT_TRUE(list.addOns().empty());
}

TEST_F(AddOnDiscoveryTest, ComponentLoadsTheAddOnsOfItsFolderAndReleasesThemAtTheEnd)
{
    CompIMPInitialise_VANTREL_KXE::setAddOnFolder(m_dir.path());
    IUnknown* component = MacLoaderFactory(nullptr, &NS_HostIds::IID_IMPInitialise);
    CompIMPInitialise_VANTREL_KXE::setAddOnFolder(QString());
    ASSERT_NE(component, nullptr);
    auto* init = static_cast<CompIMPInitialise_VANTREL_KXE*>(
        static_cast<IMPInitialise*>(component));
    EXPECT_EQ(init->modules().addOns().size(), 2u);
    EXPECT_EQ(liveCount(m_lower), 1);
    EXPECT_EQ(component->Release(), 0u);
    EXPECT_EQ(liveCount(m_lower), 0);
    EXPECT_EQ(liveCount(m_upper), 0);
}
