#include "platform/PlatformLaunchService.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using NS_Platform::PlatformLaunchService;

TEST(PlatformLaunchService, HookReceivesTheRequestAndItsResultIsReturned)
{
    QList<QUrl> seen;
    int32_t result = 0;
    PlatformLaunchService::setHook([&](const QUrl& url) {
        seen.append(url);
        return result;
    });
    QTemporaryDir tmp;
    const QString file = QDir(tmp.path()).filePath(QStringLiteral("doc.pdf"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    EXPECT_EQ(PlatformLaunchService::open(QUrl::fromLocalFile(file)), 0);
    EXPECT_EQ(PlatformLaunchService::open(QUrl(QStringLiteral("https://example.org/"))), 0);
    result = PlatformLaunchService::LaunchFailed;
    EXPECT_EQ(PlatformLaunchService::open(QUrl::fromLocalFile(file)), PlatformLaunchService::LaunchFailed);
    ASSERT_EQ(seen.size(), 3);
    EXPECT_EQ(seen[0].toLocalFile(), file);

    // Refused before the hook.
    EXPECT_EQ(PlatformLaunchService::open(QUrl()), PlatformLaunchService::BadParameter);
    EXPECT_EQ(PlatformLaunchService::open(QUrl::fromLocalFile(file + QStringLiteral(".gone"))),
              PlatformLaunchService::FileNotFound);
    EXPECT_EQ(seen.size(), 3);
    PlatformLaunchService::setHook({});
}
