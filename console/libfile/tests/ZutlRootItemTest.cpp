// The chunked container written from a real voice map: each root-chunk entry carries
// the voice's library item data at the root byte position, as the map gives it.
#include "console/libfile/LibraryFile.h"
#include "console/libfile/LibraryZutlMap.h"
#include "console/model/IniFileJobCache.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/tests/TestPaths.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Frame: 32-byte header, a 16-byte chunk table from byte 33 (the root chunk at 64 and
// the bank's two chunks absent), the root chunk's header and then one entry per voice
// of bank 0.
constexpr int kRoot = 64;
constexpr int kRootBytePos = 3;
constexpr int kVoices = 128;

QByteArray frame()
{
    QByteArray f(kRoot + 64 + kVoices * 32, char(0x55));
    f.replace(0, 10, "ZUTL voice");
    f.replace(32, 17, QByteArray(17, '\0'));
    f.replace(33, 8, QByteArray("ROOT\0\0\0\x40", 8));
    f.replace(41, 8, QByteArray("NAM0\xFF\xFF\xFF\xFF", 8));
    return f;
}

} // namespace

TEST(ZutlRootItem, RootEntriesCarryTheMapsItemDataOfEachVoice)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VETOVAR-VANTREL.tpm"));
    QByteArray text = readAll(shippedVoiceTemplate());
    text.replace("[libraryfile_Com]\n", "[libraryfile_Com]\nfileFormat=ZUTL\n");
    text += "\n[ZUTL_Format]\nDataFile=Frame.zvl\nDuplicateFile=\nFileHeaderSize=32\nChunkInformationSize=16\n"
            "\n[ZUTL_CHUNK_INFO]\nroot=RTE,ROOT," + QByteArray::number(kRootBytePos) + "\nsize=1\n0=NAM0,DAT0\n"
            "\n[ZUTL_DATA_INFO]\nsize=1\n0=0,0\n";
    ASSERT_TRUE(writeAll(path, text));
    ASSERT_TRUE(writeAll(dir.filePath(QStringLiteral("Frame.zvl")), frame()));
    CPrmCtrl map;
    ASSERT_TRUE(map.CreatePrmCtrl(1, path)) << map.ErrorText().toStdString();

    const QString out = dir.filePath(QStringLiteral("lib.zvl"));
    {
        CLibraryFile file(&map, out);
        ASSERT_TRUE(file.IsZUTLFormat());
        ASSERT_TRUE(file.LibrarySaveAs());
    }
    const QByteArray image = readAll(out);
    ASSERT_EQ(image.size(), frame().size());
    CLibraryZutlMap zutl(&map);
    const int header = map.VceMem()->GetCategory(0)->templateNo;
    for (int v = 0; v < kVoices; ++v) {
        // The map's own value: the list's kind column of the voice.
        QByteArray item;
        ASSERT_TRUE(map.GetLibItemData(header, 0, 2, v, item)) << v;
        ASSERT_FALSE(item.isEmpty());
        EXPECT_EQ(zutl.libItemData(0, v), uint8_t(item.back())) << v;
        EXPECT_EQ(uint8_t(image.at(kRoot + 64 + v * 32 + kRootBytePos)), uint8_t(item.back())) << v;
    }
    CIniFileJobCache::Forget(path);
}
