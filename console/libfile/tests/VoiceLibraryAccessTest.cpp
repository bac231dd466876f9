// A saved voice library (.w9e) read back the other ways the editor reads one: opened
// as a plug-in library by its path (the extension decides), read from a device, taken
// from an image at an offset, and one voice copied out to a buffer in block order.
// Whatever does not fit is refused and the banks stay as they were.
#include "console/libfile/LibraryFile.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/tests/TestPaths.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes pattern(size_t n, int seed)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t((i * 11 + size_t(seed) * 5 + 3) % 0x5E + 0x20);
    return b;
}

class VoiceLibraryAccess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(multi.CreatePrmCtrl(0, shippedMultiTemplate())) << multi.ErrorText().toStdString();
        ASSERT_TRUE(voice.CreatePrmCtrl(1, shippedVoiceTemplate())) << voice.ErrorText().toStdString();
        voice.SetMaster(&multi);
        multi.SetVoiceMap(&voice);
    }
    Bytes stored(int cat, int v)
    {
        int size = 0;
        const unsigned char* p = voice.VceMem()->GetVoiceMem(cat, v, &size);
        return p ? Bytes(p, p + size) : Bytes();
    }
    void setStored(int cat, int v, const Bytes& b)
    {
        int size = 0;
        unsigned char* p = voice.VceMem()->GetVoiceMem(cat, v, &size);
        ASSERT_TRUE(p);
        ASSERT_EQ(size_t(size), b.size());
        std::copy(b.begin(), b.end(), p);
    }
    // Saves a library whose voice 2 of bank 0 holds a pattern; then the bank is changed.
    Bytes saveLibrary(const QString& file)
    {
        const Bytes saved = pattern(stored(0, 2).size(), 4);
        setStored(0, 2, saved);
        EXPECT_TRUE(CLibraryFile(&voice, file).LibrarySaveAs());
        setStored(0, 2, pattern(saved.size(), 9));
        return saved;
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    CPrmCtrl multi;
    CPrmCtrl voice;
    QTemporaryDir dir;
};

} // namespace

TEST_F(VoiceLibraryAccess, APlugInLibraryOpensByItsExtensionAndFillsTheBanks)
{
    const Bytes saved = saveLibrary(path("bank.w9e"));
    CLibraryFile file(&voice, QString());
    ASSERT_TRUE(file.OpenPluginLibFile(path("bank.w9e")));
    EXPECT_EQ(stored(0, 2), saved);
    EXPECT_EQ(file.GetFileTitle(), QStringLiteral("bank.w9e"));
    EXPECT_EQ(file.GetLibFilePathName(), path("bank.w9e"));
    file.CloseLibraryFile();
    EXPECT_FALSE(file.IsVoiceData());

    // Another extension, or no file behind the name: refused, the bank unchanged.
    QFile::copy(path("bank.w9e"), path("bank.txt"));
    setStored(0, 2, pattern(saved.size(), 12));
    const Bytes before = stored(0, 2);
    EXPECT_FALSE(CLibraryFile(&voice, QString()).OpenPluginLibFile(path("bank.txt")));
    EXPECT_FALSE(CLibraryFile(&voice, QString()).OpenPluginLibFile(path("none.w9e")));
    EXPECT_FALSE(CLibraryFile(&voice, QString()).OpenPluginLibFile(path("noextension")));
    EXPECT_EQ(stored(0, 2), before);
}

TEST_F(VoiceLibraryAccess, ALibraryReadFromADeviceOrAnImageAtAnOffsetFillsTheBanks)
{
    const Bytes saved = saveLibrary(path("bank.w9e"));
    QFile f(path("bank.w9e"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray image = f.readAll();

    QBuffer device;
    device.setData(image);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    ASSERT_TRUE(CLibraryFile(&voice, QString()).ReadFile(&device));
    EXPECT_EQ(stored(0, 2), saved);

    // Half a file from a device: refused.
    setStored(0, 2, pattern(saved.size(), 21));
    const Bytes before = stored(0, 2);
    QBuffer half;
    half.setData(image.left(image.size() / 2));
    ASSERT_TRUE(half.open(QIODevice::ReadOnly));
    EXPECT_FALSE(CLibraryFile(&voice, QString()).ReadFile(&half));
    EXPECT_EQ(stored(0, 2), before);

    // The image inside a larger buffer, found by its offset; offsets outside refused.
    QByteArray framed(64, '\x11');
    framed += image;
    const auto* base = reinterpret_cast<const unsigned char*>(framed.constData());
    EXPECT_FALSE(CLibraryFile(&voice, QString()).LibraryLoad(base, framed.size(), -1));
    EXPECT_FALSE(CLibraryFile(&voice, QString()).LibraryLoad(base, framed.size(), framed.size() + 1));
    EXPECT_FALSE(CLibraryFile(&voice, QString()).LibraryLoad(nullptr, framed.size(), 64));
    EXPECT_EQ(stored(0, 2), before);
    ASSERT_TRUE(CLibraryFile(&voice, QString()).LibraryLoad(base, framed.size(), 64));
    EXPECT_EQ(stored(0, 2), saved);
}

TEST_F(VoiceLibraryAccess, OneVoiceOfAnOpenedLibraryCopiesOutWhenTheBufferHoldsIt)
{
    const Bytes saved = saveLibrary(path("bank.w9e"));
    CLibraryFile file(&voice, path("bank.w9e"));
    ASSERT_TRUE(file.OpenLibraryFile2());
    Bytes buffer(saved.size() + 16, 0xEE);
    ASSERT_TRUE(file.CopyVoiceDataToBuff(0, 2, buffer.data(), qint64(buffer.size())));
    // The voice's blocks, one after another: as many bytes as the stored voice holds,
    // and the bytes after them untouched.
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + qint64(saved.size())), saved);
    EXPECT_EQ(buffer.back(), 0xEE);
    Bytes small(saved.size() - 1, 0);
    EXPECT_FALSE(file.CopyVoiceDataToBuff(0, 2, small.data(), qint64(small.size())));
    EXPECT_FALSE(file.CopyVoiceDataToBuff(0, 2, nullptr, 100));
    EXPECT_FALSE(file.CopyVoiceDataToBuff(0, 5000, buffer.data(), qint64(buffer.size())));
}
