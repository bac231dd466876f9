// Where the voice map keeps the preset voice cache across starts: the user's data
// folder, never the install's; and which copy a start reads when both exist.
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/tests/TestPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstring>
#include <memory>

namespace {

class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QString& value) : m_name(name), m_had(qEnvironmentVariableIsSet(name))
    {
        m_old = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

QStringList warnings;
void collect(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg && context.category && QLatin1String(context.category) == QLatin1String("tovar.model"))
        warnings.append(text);
}

// A folder that cannot be made, whoever runs the test: a file stands where it should be.
void block(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

std::unique_ptr<CPrmCtrl> startVoiceMap()
{
    auto map = std::make_unique<CPrmCtrl>();
    if (!map->CreatePrmCtrl(1, shippedVoiceTemplate()))
        return nullptr;
    return map;
}

int presetCategory(CPrmCtrl& map)
{
    for (int c = 0; c < map.VceMem()->GetVoiceMemCategoryNum(); ++c)
        if (map.VceMem()->IsPresetVoiceCategory(c))
            return c;
    return -1;
}

// The first preset voice filled with one byte, as a receive fills it.
void fill(CPrmCtrl& map, char mark)
{
    int size = 0;
    unsigned char* voice = map.VceMem()->GetVoiceMem(presetCategory(map), 0, &size);
    std::memset(voice, mark, size_t(size));
}

char markOf(CPrmCtrl& map)
{
    int size = 0;
    return char(*map.VceMem()->GetVoiceMem(presetCategory(map), 0, &size));
}

constexpr int kDamaged = -1;

struct CacheCase
{
    const char* name;
    bool programWritable;
    bool userWritable;
    int programCopy;  // mark of a copy already in the install's folder (0 none)
    int programAge;   // its age in seconds
    int userCopy;     // mark of a copy already in the user's folder (0 none)
    int userAge;
    char received;    // mark of a receive during the first start (0 none)
    char expected;    // mark the next start reads (0: nothing read)
    int warnings;     // failed writes logged
};

class PresetCacheFolder : public ::testing::TestWithParam<CacheCase>
{
};

std::string cacheCaseName(const ::testing::TestParamInfo<CacheCase>& info)
{
    return info.param.name;
}

const CacheCase kCacheCases[] = {
    {"WritableInstall", true, true, 0, 0, 0, 0, 0x11, 0x11, 0},
    {"ReadOnlyInstall", false, true, 0, 0, 0, 0, 0x22, 0x22, 0},
    {"NothingWritable", false, false, 0, 0, 0, 0, 0x33, 0, 1},
    {"UserCopyNewer", true, true, 0x44, 100, 0x55, 10, 0, 0x55, 0},
    {"UserCopyOverANewerInstalledCopy", true, true, 0x44, 10, 0x55, 100, 0, 0x55, 0},
    {"InstalledCopyWhereTheUserHasNone", true, true, 0x44, 10, 0, 0, 0, 0x44, 0},
    {"DamagedUserCopyLoadsNothing", true, true, 0x44, 100, kDamaged, 10, 0, 0, 0},
    {"ReceiveOverTheUsersCopy", true, true, 0x44, 0, 0x55, 100, 0x66, 0x66, 0},
};

} // namespace

TEST_P(PresetCacheFolder, NextStartReadsTheLastReceive)
{
    const CacheCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bundle = dir.filePath(QStringLiteral("bundle"));
    const QString home = dir.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(bundle + QStringLiteral("/Resources")));
    ASSERT_TRUE(QDir().mkpath(home));
    // The install's data folder holds the templates, so it is there when it can be written.
    if (c.programWritable)
        ASSERT_TRUE(QDir().mkpath(bundle + QStringLiteral("/VEXMOOR/TOVAR-VANTREL")));
    else
        block(bundle + QStringLiteral("/VEXMOOR"));
    if (!c.userWritable)
        block(home + QStringLiteral("/VEXMOOR"));
    const QString programFile = bundle + QStringLiteral("/VEXMOOR/TOVAR-VANTREL/TOVAR-VANTPRESETS");
    const QString userFile = home + QStringLiteral("/VEXMOOR/TOVAR-VANTREL/TOVAR-VANTPRESETS");

    ScopedEnv cache("VANTREL_PRESET_CACHE", QString());
    ScopedEnv root("VANTREL_BUNDLE_DIR", bundle);
    ScopedEnv data("XDG_DATA_HOME", home);

    const auto place = [](const QString& file, int mark, int age) {
        if (!mark)
            return;
        QDir().mkpath(QFileInfo(file).path());
        if (mark == kDamaged) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("not a cache");
        } else {
            const auto writer = startVoiceMap();
            ASSERT_TRUE(writer);
            fill(*writer, char(mark));
            ASSERT_TRUE(writer->StorePresetVoice(file));
        }
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-age), QFileDevice::FileModificationTime));
    };
    ASSERT_NO_FATAL_FAILURE(place(programFile, c.programCopy, c.programAge));
    ASSERT_NO_FATAL_FAILURE(place(userFile, c.userCopy, c.userAge));
    const auto installed = [&] {
        QFile f(programFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray installedBefore = installed();

    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(&collect);
    {
        const auto first = startVoiceMap();
        ASSERT_TRUE(first);
        if (c.received) {
            fill(*first, c.received);
            first->StorePresetVoice();
        }
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings.size(), c.warnings) << warnings.join(QLatin1Char('\n')).toStdString();
    // The install serves every user: nothing is written into it.
    EXPECT_EQ(installed(), installedBefore);

    const auto next = startVoiceMap();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->IsPresetVoiceLoaded(), c.expected != 0);
    if (c.expected)
        EXPECT_EQ(int(markOf(*next)), int(c.expected));
    else if (c.received)
        EXPECT_NE(int(markOf(*next)), int(c.received));
}

INSTANTIATE_TEST_SUITE_P(PresetCache, PresetCacheFolder, ::testing::ValuesIn(kCacheCases), cacheCaseName);
