#include "platform/PlatformBundle.h"
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>

using NS_Platform::PlatformBundle;

namespace {

// Sets or clears VANTREL_BUNDLE_DIR for one test.
class BundleEnv
{
public:
    explicit BundleEnv(const char* value)
    {
        if (const char* old = std::getenv("VANTREL_BUNDLE_DIR")) {
            m_had = true;
            m_old = old;
        }
        if (value)
            setenv("VANTREL_BUNDLE_DIR", value, 1);
        else
            unsetenv("VANTREL_BUNDLE_DIR");
    }
    ~BundleEnv()
    {
        if (m_had)
            setenv("VANTREL_BUNDLE_DIR", m_old.constData(), 1);
        else
            unsetenv("VANTREL_BUNDLE_DIR");
    }

private:
    bool m_had = false;
    QByteArray m_old;
};

int localFunction()
{
    return 1;
}

} // namespace

TEST(PlatformBundle, MainBundleIsTheFolderAboveTheServicesLib)
{
    BundleEnv env(nullptr);
    const QString root = PlatformBundle::mainBundleRoot();
    ASSERT_FALSE(root.isEmpty());
    // The service's own library sits in <root>/lib.
    const QString ownLib = PlatformBundle::rootOfAddress(reinterpret_cast<const void*>(&PlatformBundle::mainBundleRoot));
    EXPECT_EQ(root, ownLib);
    EXPECT_TRUE(QFileInfo(QDir(root).filePath(QStringLiteral("lib"))).isDir());
}

TEST(PlatformBundle, ProgramOutsideLibGivesItsFoldersParent)
{
    BundleEnv env(nullptr);
    const QString root = PlatformBundle::rootOfAddress(reinterpret_cast<const void*>(&localFunction));
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    QDir expected = QFileInfo(program).dir();
    if (program.contains(QStringLiteral("/lib/")))
        GTEST_SKIP() << "test program lies below a lib folder";
    expected.cdUp();
    EXPECT_EQ(root, expected.absolutePath());
    EXPECT_TRUE(PlatformBundle::rootOfAddress(nullptr).isEmpty());
}

TEST(PlatformBundle, EnvironmentOverridesEveryBundle)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("Resources")));
    BundleEnv env(tmp.path().toLocal8Bit().constData());
    const QString id = QStringLiteral("org.example.vantrel.test");
    PlatformBundle::registerBundle(id, QStringLiteral("/somewhere/else"));
    EXPECT_EQ(PlatformBundle::mainBundleRoot(), tmp.path());
    EXPECT_EQ(PlatformBundle::bundleRoot(&id), tmp.path());
    EXPECT_EQ(PlatformBundle::resourcesFolder(&id), tmp.path() + QStringLiteral("/Resources"));
    PlatformBundle::registerBundle(id, QString());
}

TEST(PlatformBundle, NamedBundlesAndUnknownNamesFallBackToMain)
{
    BundleEnv env(nullptr);
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString id = QStringLiteral("org.example.vantrel.named");
    PlatformBundle::registerBundle(id, tmp.path());
    EXPECT_EQ(PlatformBundle::bundleRoot(&id), tmp.path());
    // No Resources folder yet.
    EXPECT_TRUE(PlatformBundle::resourcesFolder(&id).isEmpty());
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("Resources")));
    EXPECT_EQ(PlatformBundle::resourcesFolder(&id), tmp.path() + QStringLiteral("/Resources"));

    const QString unknown = QStringLiteral("org.example.unknown");
    const QString empty;
    EXPECT_EQ(PlatformBundle::bundleRoot(&unknown), PlatformBundle::mainBundleRoot());
    EXPECT_EQ(PlatformBundle::bundleRoot(&empty), PlatformBundle::mainBundleRoot());
    EXPECT_EQ(PlatformBundle::bundleRoot(nullptr), PlatformBundle::mainBundleRoot());

    PlatformBundle::registerBundle(id, QString());
    EXPECT_EQ(PlatformBundle::bundleRoot(&id), PlatformBundle::mainBundleRoot());
}

TEST(PlatformBundle, RootIsAboveTheNearestLibFolder)
{
    EXPECT_EQ(PlatformBundle::rootOfLibraryPath(QStringLiteral("/opt/vantrel-missing/lib/libvantrel_kxe21_console.so")),
              QStringLiteral("/opt/vantrel-missing"));
    EXPECT_EQ(PlatformBundle::rootOfLibraryPath(QStringLiteral("/opt/vantrel-missing/lib/addons/mixer/libmixer.so")),
              QStringLiteral("/opt/vantrel-missing"));
    EXPECT_EQ(PlatformBundle::rootOfLibraryPath(QStringLiteral("/opt/vantrel-missing/bin/vantrel_host")),
              QStringLiteral("/opt/vantrel-missing"));
    EXPECT_TRUE(PlatformBundle::rootOfLibraryPath(QString()).isEmpty());
}

TEST(PlatformBundle, RegisteringByAddressNamesThatLibrarysBundle)
{
    BundleEnv env(nullptr);
    const QString id = QStringLiteral("org.example.vantrel.own");
    PlatformBundle::registerBundleOfAddress(id, reinterpret_cast<const void*>(&PlatformBundle::bundleRoot));
    EXPECT_EQ(PlatformBundle::bundleRoot(&id), PlatformBundle::mainBundleRoot());
    PlatformBundle::registerBundle(id, QString());
}
