// GoogleTest main for every test executable: offscreen toolkit platform, one
// QApplication, and a private settings folder (with the preset voice cache) so tests
// never touch the user's or one another's.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Tests find the repository and the build's bundle through these.
    setenv("VANTREL_SOURCE_DIR", VANTREL_DEFAULT_SOURCE_DIR, 0);
    setenv("VANTREL_BUNDLE_DIR", VANTREL_DEFAULT_BUNDLE_DIR, 0);
    QTemporaryDir config;
    if (config.isValid()) {
        setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
        // The preset voice cache too: a receive in one test process must not change
        // what another finds in the shared build's data folder.
        const QByteArray cache = (config.path() + QStringLiteral("/TOVAR-VANTPRESETS")).toLocal8Bit();
        setenv("VANTREL_PRESET_CACHE", cache.constData(), 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
