#include "platform/PlatformFileCodes.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using NS_Platform::PlatformFileCodes;

TEST(PlatformFileCodes, CodesAreAcceptedForExistingFilesOnly)
{
    static_assert(PlatformFileCodes::code("M3E_") == 0x4D33455Fu, "four-character code");
    QTemporaryDir tmp;
    const QString file = QDir(tmp.path()).filePath(QStringLiteral("a.m3e"));
    EXPECT_FALSE(PlatformFileCodes::setTypeAndCreator(file, PlatformFileCodes::code("M3E_"), PlatformFileCodes::code("!QH4")));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    EXPECT_TRUE(PlatformFileCodes::setTypeAndCreator(file, PlatformFileCodes::code("M3E_"), PlatformFileCodes::code("!QH4")));
    EXPECT_TRUE(PlatformFileCodes::setCreator(file, PlatformFileCodes::code("!QH4")));
    EXPECT_EQ(QFile(file).size(), 1);
}
