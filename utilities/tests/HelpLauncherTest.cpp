#include "utilities/HelpLauncher.h"
#include "ScopedBundleDir.h"
#include "ScriptedPrompter.h"
#include "platform/PlatformLaunchService.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>

using NS_Platform::PlatformLaunchService;

namespace {

class HelpLauncher : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PlatformLaunchService::setHook([this](const QUrl& url) {
            opened.append(url);
            return status;
        });
    }
    void TearDown() override { PlatformLaunchService::setHook({}); }

    QString makeFile(const QString& name)
    {
        const QString path = QDir(tmp.path()).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return path;
    }

    QTemporaryDir tmp;
    QList<QUrl> opened;
    int32_t status = 0;
};

} // namespace

TEST_F(HelpLauncher, FinderLaunchWithoutFilesIsABadParameter)
{
    const QString file = makeFile(QStringLiteral("a.pdf"));
    EXPECT_EQ(NS_Utilities::FinderLaunch(0, &file), -50);
    EXPECT_EQ(NS_Utilities::FinderLaunch(1, nullptr), -50);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(HelpLauncher, FinderLaunchOpensInOrderAndStopsAtTheFirstFailure)
{
    const QString files[3] = {makeFile(QStringLiteral("a.pdf")), QDir(tmp.path()).filePath(QStringLiteral("gone.pdf")),
                              makeFile(QStringLiteral("c.pdf"))};
    EXPECT_EQ(NS_Utilities::FinderLaunch(3, files), -43);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(files[0]));

    opened.clear();
    const QString good[2] = {files[0], files[2]};
    EXPECT_EQ(NS_Utilities::FinderLaunch(2, good), 0);
    EXPECT_EQ(opened.size(), 2);

    opened.clear();
    status = -10810;
    EXPECT_EQ(NS_Utilities::FinderLaunch(2, good), -10810);
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(HelpLauncher, LaunchHelpSystemReportsTheLaunchResult)
{
    const QString file = makeFile(QStringLiteral("manual with space.pdf"));
    EXPECT_TRUE(NS_Utilities::LaunchHelpSystem(QUrl::fromLocalFile(file).toString(), nullptr));
    EXPECT_TRUE(NS_Utilities::LaunchHelpSystem(file, nullptr));
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0].toLocalFile(), file);

    // A failed open is a failure, never a success with a message.
    EXPECT_FALSE(NS_Utilities::LaunchHelpSystem(QUrl::fromLocalFile(file + QStringLiteral(".x")).toString(), nullptr));
    EXPECT_FALSE(NS_Utilities::LaunchHelpSystem(QString(), nullptr));
    EXPECT_FALSE(NS_Utilities::LaunchHelpSystem(QStringLiteral("https://example.org/manual.pdf"), nullptr));
    status = -10810;
    EXPECT_FALSE(NS_Utilities::LaunchHelpSystem(file, nullptr));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(HelpLauncher, ShowHelpDocumentationOpensTheFileInResources)
{
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("Resources")));
    const QString manual = makeFile(QStringLiteral("Resources/TOVAR-VANTREL.pdf"));
    ScopedBundleDir bundle(tmp.path());
    EXPECT_TRUE(NS_Utilities::ShowHelpDocumentation(QStringLiteral("Caption"), nullptr,
                                                    QStringLiteral("TOVAR-VANTREL.pdf"), nullptr));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toLocalFile(), manual);
}

TEST_F(HelpLauncher, ShowHelpDocumentationWarnsWhenTheFileIsMissing)
{
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("Resources")));
    ScopedBundleDir bundle(tmp.path());
    ScriptedPrompter prompter;
    // A box of the toolkit's own would bypass the prompter: it is closed and counted.
    int boxes = 0;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            ++boxes;
            box->close();
        }
    });
    guard.start(10);
    EXPECT_FALSE(NS_Utilities::ShowHelpDocumentation(QStringLiteral("TOVAR-VANTREL (Multi)"), nullptr,
                                                     QStringLiteral("missing.pdf"), nullptr, &prompter));
    const QString url = QUrl::fromLocalFile(QDir(tmp.path()).filePath(QStringLiteral("Resources/missing.pdf"))).toString();
    EXPECT_EQ(prompter.warnings, QStringList(QStringLiteral("TOVAR-VANTREL (Multi)|Failed to load \"%1\" help document.\r\n"
                                                            "Please try re-installing the package.")
                                                 .arg(url)));
    EXPECT_EQ(boxes, 0);
    EXPECT_TRUE(opened.isEmpty());
}
