// Offsets and sizes of a map's library layout are checked against the image they
// index when the map is built: a bad one fails the build with the template fault's
// text. And a library file whose layout cannot hold what it must write refuses the
// save instead of writing an image without its directory.
#include "console/libfile/LibraryFile.h"
#include "console/model/IniFileJobCache.h"
#include "console/model/PrmCtrl.h"
#include "console/model/tests/TestPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The template with `key` of `section` set to `value`; line receives the key's line.
QByteArray withValue(QByteArray text, const char* section, const char* key, const QByteArray& value, int* line)
{
    QList<QByteArray> lines = text.split('\n');
    bool inside = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray t = lines[i].trimmed();
        if (t.startsWith('['))
            inside = t == QByteArray("[") + section + "]";
        else if (inside && t.startsWith(QByteArray(key) + '=')) {
            lines[i] = QByteArray(key) + '=' + value;
            *line = i + 1;
            return lines.join('\n');
        }
    }
    *line = 0;
    return text;
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

struct BadLayout
{
    const char* name;
    bool voiceMap;
    const char* section;
    const char* key;
    const char* value;
};

class LibraryTemplateCheck : public ::testing::TestWithParam<BadLayout>
{
protected:
    void TearDown() override { CIniFileJobCache::Forget(m_path); }
    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace

TEST_P(LibraryTemplateCheck, BadOffsetOrSizeFailsTheMapBuildAtItsLine)
{
    const BadLayout c = GetParam();
    const QString shipped = c.voiceMap ? shippedVoiceTemplate() : shippedMultiTemplate();
    m_path = m_dir.filePath(QFileInfo(shipped).fileName());
    int line = 0;
    ASSERT_TRUE(writeAll(m_path, withValue(readAll(shipped), c.section, c.key, c.value, &line)));
    ASSERT_GT(line, 0) << c.section << '/' << c.key;
    CPrmCtrl map;
    EXPECT_FALSE(map.CreatePrmCtrl(c.voiceMap ? 1 : 0, m_path));
    const QString expected = QStringLiteral("%1: [%2] line %3: ").arg(m_path, QLatin1String(c.section)).arg(line);
    EXPECT_TRUE(map.ErrorText().startsWith(expected))
        << map.ErrorText().toStdString() << "\nwanted " << expected.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, LibraryTemplateCheck,
    ::testing::Values(BadLayout{"DirectoryPastTheEnd", true, "libraryfile_Directory", "mem_offset", "551000"},
                      BadLayout{"DirectoryFarOut", true, "libraryfile_Directory", "mem_offset", "2147483000"},
                      BadLayout{"DirectoryNegative", true, "libraryfile_Directory", "mem_offset", "-100"},
                      BadLayout{"DirectoryItemOut", true, "libraryfile_Directory", "5", "5,64,551000"},
                      BadLayout{"DirectoryEntryEmpty", true, "libraryfile_Directory", "directorySize", "0"},
                      BadLayout{"VoicesPastTheEnd", true, "library_Voice_Data", "mem_offset", "9000"},
                      BadLayout{"VoiceItemNegative", true, "library_Voice_Data", "2", "2,128,-8,952,0"},
                      BadLayout{"VoiceTooSmallForItsBlocks", true, "library_Voice_Data", "3", "3,32,365568,100,1"},
                      BadLayout{"HeaderPastTheEnd", true, "libraryfile_Header", "mem_offset", "551420"},
                      BadLayout{"ImageSizeNegative", true, "libraryfile_Com", "fileSize", "-5"},
                      BadLayout{"MultiDirectoryOut", false, "libraryfile_Directory", "mem_offset", "2047"},
                      BadLayout{"MultiVoiceOut", false, "library_Voice_Data", "mem_offset", "1000"},
                      BadLayout{"MultiVoiceHeaderOut", false, "libraryfile_VoiceHeader", "mem_offset", "-1"}),
    [](const ::testing::TestParamInfo<BadLayout>& info) { return std::string(info.param.name); });

TEST(LibraryTemplateSave, LayoutThatCannotHoldTheDirectoryRefusesTheSaveAndWritesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VETOVAR-VANTREL.tpm"));
    const QByteArray good = readAll(shippedVoiceTemplate());
    ASSERT_TRUE(writeAll(path, good));
    CPrmCtrl map;
    ASSERT_TRUE(map.CreatePrmCtrl(1, path)) << map.ErrorText().toStdString();
    const QString out = dir.filePath(QStringLiteral("lib.w9e"));
    ASSERT_TRUE(CLibraryFile(&map, out).LibrarySaveAs());
    ASSERT_TRUE(QFile::remove(out));

    // The template changes under a built map: the file object reads it again.
    int line = 0;
    ASSERT_TRUE(writeAll(path, withValue(good, "libraryfile_Directory", "mem_offset", "551000", &line)));
    CIniFileJobCache::Forget(path);
    {
        CLibraryFile file(&map, out);
        EXPECT_FALSE(file.IsTemplateRead());
        EXPECT_FALSE(file.LibrarySaveAs());
        EXPECT_FALSE(file.LibrarySave(out));
        QByteArray buffer(file.GetFileSize() > 0 ? file.GetFileSize() : 1, '\0');
        EXPECT_FALSE(file.LibrarySave(reinterpret_cast<unsigned char*>(buffer.data()), buffer.size(), 0));
    }
    EXPECT_FALSE(QFileInfo::exists(out));
    CIniFileJobCache::Forget(path);
}
