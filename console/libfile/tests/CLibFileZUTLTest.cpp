#include "ZutlTestFrame.h"
#include "console/libfile/CLibFileZUTL.h"

#include <QBuffer>
#include <QDataStream>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ZutlTest;

namespace {

class CLibFileZUTLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(writeFile(dir.filePath("Frame.zul"), frame()));
        ASSERT_TRUE(writeFile(dir.filePath("Frame.dup"), QByteArray("companion")));
    }
    QByteArray savedImage()
    {
        FakeMap source(dir.path(), 1);
        CLibFileZUTL file(&source, dir.filePath("Lib.zul"));
        EXPECT_TRUE(file.LibrarySaveAs());
        QFile f(dir.filePath("Lib.zul"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    static void expectSameVoices(const FakeMap& a, const FakeMap& b)
    {
        for (int bank = 0; bank < 2; ++bank)
            for (int v = 0; v < a.bankVoiceCount(bank); ++v)
                EXPECT_EQ(a.voice(bank, v), b.voice(bank, v)) << bank << "/" << v;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(CLibFileZUTLTest, SyntheticFrameRoundTripsThroughAFile)
{
    FakeMap source(dir.path(), 1);
    CLibFileZUTL out(&source, dir.filePath("Lib.one.zul"));
    ASSERT_TRUE(out.IsTemplateRead());
    EXPECT_EQ(out.GetFileSize(), kFrameSize);
    ASSERT_TRUE(out.LibrarySaveAs());
    EXPECT_EQ(QFileInfo(dir.filePath("Lib.one.zul")).size(), kFrameSize);
    // The companion file takes the library's base name up to its first '.'.
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("Lib.dup")));

    FakeMap target(dir.path(), 0);
    CLibFileZUTL in(&target, dir.filePath("Lib.one.zul"));
    ASSERT_TRUE(in.LibraryLoad());
    expectSameVoices(source, target);

    ASSERT_TRUE(in.OpenLibraryFile2());
    EXPECT_EQ(in.GetDirectorySize(0), 3);
    EXPECT_EQ(in.GetDirectryName(0, 2), QStringLiteral("Voice A2"));
    EXPECT_EQ(in.GetDirectryName(1, 1), QStringLiteral("Voice B1")); // id "NM1" ends at a zero byte
    unsigned char buffer[12];
    EXPECT_TRUE(in.CopyVoiceDataToBuff(0, 1, buffer, sizeof buffer));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), 12), source.voice(0, 1));
    EXPECT_FALSE(in.CopyVoiceDataToBuff(0, 1, buffer, 11));

    const QByteArray& image = in.image();
    // Root entries: item data at the root byte position, the name from byte 16.
    const int root4 = kRoot + 64 + 4 * 32; // bank 1 voice 1, after bank 0's three
    EXPECT_EQ(image.at(root4 + 3), char(11));
    EXPECT_EQ(image.mid(root4 + 16, 10), QByteArray("Voice B1  "));
    // Bytes nobody names come from the frame unchanged.
    EXPECT_EQ(image.at(root4 + 1), char(0xAA));
    EXPECT_EQ(image.mid(kDat0, 32), frame().mid(kDat0, 32));
    EXPECT_EQ(image.at(kNam0 + 32 + 20), char(0xAA));
}

TEST_F(CLibFileZUTLTest, StreamBlockOfTheImageSizeRoundTripsAndOthersAreRefused)
{
    FakeMap source(dir.path(), 1);
    CLibFileZUTL out(&source, QString());
    QByteArray streamBytes;
    {
        QDataStream s(&streamBytes, QIODevice::WriteOnly);
        ASSERT_TRUE(out.LibrarySave(&s));
    }
    EXPECT_EQ(streamBytes.size(), 4 + kFrameSize);

    FakeMap target(dir.path(), 0);
    CLibFileZUTL in(&target, QString());
    QByteArray image;
    {
        QDataStream s(streamBytes);
        ASSERT_TRUE(in.LibraryLoad(&s, &image));
    }
    EXPECT_EQ(target.voice(0, 0), FakeMap(dir.path(), 0).voice(0, 0)); // the stream form changes no voice
    ASSERT_TRUE(in.LibraryLoad(reinterpret_cast<const unsigned char*>(image.constData()), image.size()));
    expectSameVoices(source, target);

    QByteArray wrongLength = streamBytes;
    wrongLength[3] = char(wrongLength.at(3) + 1);
    QDataStream bad(wrongLength);
    EXPECT_FALSE(in.LibraryLoad(&bad, &image));
    QDataStream cut(streamBytes.left(100));
    EXPECT_FALSE(in.LibraryLoad(&cut, nullptr));
    EXPECT_FALSE(in.LibraryLoad(reinterpret_cast<const unsigned char*>(image.constData()), image.size() - 1));
}

TEST_F(CLibFileZUTLTest, OffsetsOutsideTheImageAreRefusedWithNothingChanged)
{
    const QByteArray good = savedImage();
    ASSERT_EQ(good.size(), kFrameSize);
    for (quint32 offset : {quint32(kFrameSize), quint32(kFrameSize - 128 - 8), 0x7FFFFFF0u, 0xFFFFFFF0u}) {
        QByteArray bad = good;
        put32(bad, kDat1 + 32 + 2 * 32 + 8, offset); // bank 1, voice 1
        FakeMap target(dir.path(), 0);
        const FakeMap untouched(dir.path(), 0);
        CLibFileZUTL in(&target, QString());
        EXPECT_FALSE(in.LibraryLoad(reinterpret_cast<const unsigned char*>(bad.constData()), bad.size()))
            << offset;
        expectSameVoices(untouched, target); // bank 0 was valid, and is unchanged too
        ASSERT_TRUE(writeFile(dir.filePath("Bad.zul"), bad));
        CLibFileZUTL file(&target, dir.filePath("Bad.zul"));
        EXPECT_FALSE(file.LibraryLoad());
        EXPECT_FALSE(file.OpenLibraryFile2());
        EXPECT_EQ(file.GetVoiceAddress(1, 1, nullptr), nullptr);
        expectSameVoices(untouched, target);
    }
}

TEST_F(CLibFileZUTLTest, TruncatedOrForeignFilesAreRefusedWithNothingChanged)
{
    const QByteArray good = savedImage();
    FakeMap target(dir.path(), 0);
    const FakeMap untouched(dir.path(), 0);
    const QByteArray cases[] = {good.left(kFrameSize - 1), good.left(10), QByteArray(),
                                QByteArray(kFrameSize, '\x11'), QByteArray("XUTL") + good.mid(4)};
    for (const QByteArray& bytes : cases) {
        ASSERT_TRUE(writeFile(dir.filePath("In.zul"), bytes));
        CLibFileZUTL in(&target, dir.filePath("In.zul"));
        EXPECT_FALSE(in.LibraryLoad()) << bytes.size();
        EXPECT_FALSE(in.OpenPluginLibFile(dir.filePath("In.zul")));
        EXPECT_FALSE(in.OpenLibraryFile2());
        EXPECT_FALSE(in.IsVoiceData());
        expectSameVoices(untouched, target);
    }
    CLibFileZUTL missing(&target, dir.filePath("None.zul"));
    EXPECT_FALSE(missing.LibraryLoad());
}

TEST_F(CLibFileZUTLTest, AbsentChunkIsNeitherWrittenNorRead)
{
    ASSERT_TRUE(writeFile(dir.filePath("Frame.zul"), frame(0xFFFFFFFFu)));
    FakeMap source(dir.path(), 1);
    CLibFileZUTL out(&source, dir.filePath("Lib.zul"));
    ASSERT_TRUE(out.LibrarySaveAs());
    QFile f(dir.filePath("Lib.zul"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray image = f.readAll();
    EXPECT_EQ(image.mid(kDat1 + 128, 18), frame(0xFFFFFFFFu).mid(kDat1 + 128, 18));

    FakeMap target(dir.path(), 0);
    CLibFileZUTL in(&target, dir.filePath("Lib.zul"));
    ASSERT_TRUE(in.LibraryLoad());
    EXPECT_EQ(target.voice(0, 2), source.voice(0, 2));
    EXPECT_EQ(target.voice(1, 0), FakeMap(dir.path(), 0).voice(1, 0));
}

TEST_F(CLibFileZUTLTest, SavingOverALongerFileLeavesNoTailAndAFailedSaveWritesNothing)
{
    ASSERT_TRUE(writeFile(dir.filePath("Lib.zul"), QByteArray(5000, 'x')));
    FakeMap source(dir.path(), 1);
    CLibFileZUTL out(&source, dir.filePath("Lib.zul"));
    ASSERT_TRUE(out.LibrarySaveAs());
    EXPECT_EQ(QFileInfo(dir.filePath("Lib.zul")).size(), kFrameSize);

    CLibFileZUTL nowhere(&source, dir.filePath("no/such/folder/Lib.zul"));
    EXPECT_FALSE(nowhere.LibrarySaveAs());

    // A template without its data file reads nothing and saves nothing.
    source.m_template[FakeMap::key("ZUTL_Format", "DataFile")] = QStringLiteral("Missing.zul");
    CLibFileZUTL broken(&source, dir.filePath("Other.zul"));
    EXPECT_FALSE(broken.IsTemplateRead());
    EXPECT_FALSE(broken.LibrarySaveAs());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Other.zul")));
}

TEST_F(CLibFileZUTLTest, TemplateChunkIndexOutsideTheChunkListIsRefused)
{
    FakeMap source(dir.path(), 1);
    source.m_template[FakeMap::key("ZUTL_DATA_INFO", "1")] = QStringLiteral("2,0");
    CLibFileZUTL file(&source, QString());
    EXPECT_FALSE(file.IsTemplateRead());
}

TEST_F(CLibFileZUTLTest, TemplateValuesOutsideTheFrameAreRefusedAtTheirKeyAndNothingIsSaved)
{
    const struct
    {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"ZUTL_CHUNK_INFO", "root", "RTE,ROOT,16"},     // would overwrite the name bytes
        {"ZUTL_CHUNK_INFO", "root", "RTE,ROOT,-2"},
        {"ZUTL_Format", "ChunkInformationSize", "2000"}, // table past the frame's end
        {"ZUTL_DATA_INFO", "1", "1,9"},                  // bank 1's entries past the frame
        {"ZUTL_DATA_INFO", "0", "0,-1"},
    };
    for (const auto& c : cases) {
        FakeMap source(dir.path(), 1);
        source.m_template[FakeMap::key(c.section, c.key)] = QLatin1String(c.value);
        CLibFileZUTL file(&source, dir.filePath("Out.zul"));
        EXPECT_FALSE(file.IsTemplateRead()) << c.key << '=' << c.value;
        EXPECT_EQ(file.templateFault().section, QLatin1String(c.section)) << c.key << '=' << c.value;
        EXPECT_FALSE(file.LibrarySaveAs()) << c.key << '=' << c.value;
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("Out.zul")));
    }
}
