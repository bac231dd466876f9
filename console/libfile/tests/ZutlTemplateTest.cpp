// The container template's keys, each missing or wrong, and what the container then
// does: it reads no template and saves nothing. With a good template: the image goes
// through a buffer, a device and a copy between banks as it goes through a file.
#include "ZutlTestFrame.h"
#include "console/libfile/CLibFileZUTL.h"

#include <QBuffer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ZutlTest;

namespace {

struct KeyFault
{
    const char* name;
    const char* section;
    const char* key;
    const char* value; // null: the key is removed
    const char* what;
};

class ZutlTemplateFault : public ::testing::TestWithParam<KeyFault>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(writeFile(dir.filePath("Frame.zul"), frame()));
        ASSERT_TRUE(writeFile(dir.filePath("Frame.dup"), QByteArray("companion")));
    }
    QTemporaryDir dir;
};

} // namespace

TEST_P(ZutlTemplateFault, LeavesTheTemplateUnreadAndSavesNothing)
{
    const KeyFault& c = GetParam();
    FakeMap source(dir.path(), 1);
    const QString key = FakeMap::key(c.section, c.key);
    if (c.value)
        source.m_template[key] = QLatin1String(c.value);
    else
        source.m_template.remove(key);
    CLibFileZUTL file(&source, dir.filePath("Out.zul"));
    EXPECT_FALSE(file.IsTemplateRead());
    EXPECT_EQ(file.templateFault().section, QLatin1String(c.section));
    EXPECT_TRUE(file.templateFault().what.contains(QLatin1String(c.what))) << file.templateFault().what.toStdString();
    EXPECT_FALSE(file.LibrarySaveAs());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Out.zul")));
    QBuffer device;
    ASSERT_TRUE(device.open(QIODevice::ReadWrite));
    EXPECT_FALSE(file.WriteZUTLFile(&device));
    EXPECT_EQ(device.size(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Container, ZutlTemplateFault,
    ::testing::Values(
        KeyFault{"NoExtension", "libraryfile_Com", "file_extension", nullptr, "missing key file_extension"},
        KeyFault{"NoReadFilter", "libraryfile_Com", "file_filter_r", nullptr, "missing key file_filter_r"},
        KeyFault{"NoDataFile", "ZUTL_Format", "DataFile", nullptr, "missing key DataFile"},
        KeyFault{"NoHeaderSize", "ZUTL_Format", "FileHeaderSize", nullptr, "missing key FileHeaderSize"},
        KeyFault{"HeaderSizeNotANumber", "ZUTL_Format", "FileHeaderSize", "thirty", "FileHeaderSize is not a number"},
        KeyFault{"NegativeHeader", "ZUTL_Format", "FileHeaderSize", "-1", "negative header size"},
        KeyFault{"NegativeChunkTable", "ZUTL_Format", "ChunkInformationSize", "-40", "negative chunk table size"},
        KeyFault{"RootWithOneId", "ZUTL_CHUNK_INFO", "root", "RTE", "root needs two ids and a byte position"},
        KeyFault{"NoChunkCount", "ZUTL_CHUNK_INFO", "size", nullptr, "missing key size"},
        KeyFault{"NegativeChunkCount", "ZUTL_CHUNK_INFO", "size", "-2", "negative size"},
        KeyFault{"ChunkWithOneId", "ZUTL_CHUNK_INFO", "1", "NM1", "chunk 1 needs two ids"},
        KeyFault{"NegativeBankCount", "ZUTL_DATA_INFO", "size", "-1", "negative size"},
        KeyFault{"BankWithoutEntry", "ZUTL_DATA_INFO", "1", "1", "bank 1 needs a chunk and an entry"},
        KeyFault{"DataFileNotThere", "ZUTL_Format", "DataFile", "Missing.zul", "data file Missing.zul not readable"}),
    [](const ::testing::TestParamInfo<KeyFault>& info) { return std::string(info.param.name); });

namespace {

class ZutlImage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(writeFile(dir.filePath("Frame.zul"), frame()));
        ASSERT_TRUE(writeFile(dir.filePath("Frame.dup"), QByteArray("companion")));
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ZutlImage, ABufferAndADeviceCarryTheSameImageAsAFile)
{
    FakeMap source(dir.path(), 1);
    CLibFileZUTL out(&source, dir.filePath("Lib.zul"));
    ASSERT_TRUE(out.IsTemplateRead());
    ASSERT_TRUE(out.LibrarySave(dir.filePath("Lib.zul")));
    QFile saved(dir.filePath("Lib.zul"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray image = saved.readAll();
    ASSERT_EQ(image.size(), kFrameSize);

    // Into a larger buffer at an offset; a buffer too small is refused untouched.
    QByteArray buffer(kFrameSize + 16, char(0x55));
    ASSERT_TRUE(out.LibrarySave(reinterpret_cast<unsigned char*>(buffer.data()), buffer.size(), 16));
    EXPECT_EQ(buffer.mid(16), image);
    EXPECT_EQ(buffer.left(16), QByteArray(16, char(0x55)));
    QByteArray small(kFrameSize - 1, char(0x55));
    EXPECT_FALSE(out.LibrarySave(reinterpret_cast<unsigned char*>(small.data()), small.size(), 0));
    EXPECT_EQ(small, QByteArray(kFrameSize - 1, char(0x55)));
    EXPECT_FALSE(out.LibrarySave(nullptr, kFrameSize, 0));
    EXPECT_FALSE(out.LibrarySave(reinterpret_cast<unsigned char*>(buffer.data()), buffer.size(), -1));

    // Through a device, and back into another map.
    QBuffer device;
    ASSERT_TRUE(device.open(QIODevice::ReadWrite));
    ASSERT_TRUE(out.WriteZUTLFile(&device));
    EXPECT_EQ(device.data(), image);
    FakeMap target(dir.path(), 0);
    CLibFileZUTL in(&target, QString());
    device.seek(0);
    ASSERT_TRUE(in.ReadZUTLFile(&device));
    for (int bank = 0; bank < 2; ++bank)
        for (int v = 0; v < source.bankVoiceCount(bank); ++v)
            EXPECT_EQ(target.voice(bank, v), source.voice(bank, v)) << bank << "/" << v;
    // The header is the frame's; another header is not.
    EXPECT_TRUE(in.CheckFileHeader(reinterpret_cast<const unsigned char*>(image.constData()), image.size()));
    const QByteArray foreign = QByteArray("FOREIGN") + image.mid(7);
    EXPECT_FALSE(in.CheckFileHeader(reinterpret_cast<const unsigned char*>(foreign.constData()), foreign.size()));
    // A device that ends early gives nothing.
    QBuffer shortDevice;
    shortDevice.setData(image.left(kFrameSize / 2));
    ASSERT_TRUE(shortDevice.open(QIODevice::ReadOnly));
    EXPECT_FALSE(in.ReadZUTLFile(&shortDevice));
    EXPECT_FALSE(in.ReadZUTLFile(nullptr));
    EXPECT_FALSE(out.WriteZUTLFile(nullptr));
}

TEST_F(ZutlImage, AVoiceCopiedBetweenBanksKeepsItsBytesAndBadNumbersAreRefused)
{
    FakeMap source(dir.path(), 1);
    CLibFileZUTL out(&source, dir.filePath("Lib.zul"));
    ASSERT_TRUE(out.LibrarySaveAs());
    FakeMap target(dir.path(), 0);
    CLibFileZUTL in(&target, dir.filePath("Lib.zul"));
    ASSERT_TRUE(in.OpenLibraryFile2());
    EXPECT_EQ(in.GetConvertDirectorySize(0), 3);
    EXPECT_EQ(in.GetVceDataFileBlk(1, 2), QByteArray::fromHex("40000102"));
    // Voice 2 of bank 0 into voice 0 of the same bank of the target map.
    ASSERT_TRUE(in.CopyVoiceDataToLibrary(0, 2, 0, 0));
    EXPECT_EQ(target.voice(0, 0), source.voice(0, 2));
    EXPECT_FALSE(in.CopyVoiceDataToLibrary(0, 3, 0, 0));
    EXPECT_FALSE(in.CopyVoiceDataToLibrary(0, -1, 0, 0));
    EXPECT_FALSE(in.CopyVoiceDataToLibrary(5, 0, 0, 0));
}
