// Documents (.m3e) and voice libraries (.w9e) through CLibraryFile on the shipped
// maps: round trips, the mute/solo trailer, files that are replaced whole, stream
// blocks, loads that fail without touching the banks, and imports of older files
// through the converters.
#include "console/libfile/LibraryFile.h"
#include "console/libfile/LibraryZutlMap.h"
#include "console/libfile/converters/CM2EToM3EConverter.h"
#include "console/libfile/converters/CW2EToW7EConverter.h"
#include "console/libfile/converters/CW6EToW7EConverter.h"
#include "console/libfile/tests/ConverterTestImages.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/tests/TestPaths.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kVoiceImage = 551424;
constexpr int kMultiImage = 2048;
constexpr int kDocument = 553550;

Bytes pattern(size_t n, int seed)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t((i * 13 + size_t(seed) * 7 + 1) % 0x5E + 0x20);
    return b;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

class LibraryFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(multi.CreatePrmCtrl(0, shippedMultiTemplate())) << multi.ErrorText().toStdString();
        ASSERT_TRUE(voice.CreatePrmCtrl(1, shippedVoiceTemplate())) << voice.ErrorText().toStdString();
        voice.SetMaster(&multi);
        multi.SetVoiceMap(&voice);
    }

    Bytes stored(CPrmCtrl& map, int cat, int v)
    {
        int size = 0;
        const unsigned char* p = map.VceMem()->GetVoiceMem(cat, v, &size);
        return p ? Bytes(p, p + size) : Bytes();
    }
    void setStored(CPrmCtrl& map, int cat, int v, const Bytes& b)
    {
        int size = 0;
        unsigned char* p = map.VceMem()->GetVoiceMem(cat, v, &size);
        ASSERT_TRUE(p);
        ASSERT_EQ(size_t(size), b.size());
        std::copy(b.begin(), b.end(), p);
    }
    // Patterns a voice of every user bank and the stored multi; returns a snapshot.
    std::vector<Bytes> patternEverything(int seed)
    {
        std::vector<Bytes> snap;
        for (int cat = 0; cat < 6; ++cat)
            for (int v : {0, 1, 31}) {
                setStored(voice, cat, v, pattern(stored(voice, cat, v).size(), seed + cat * 3 + v));
                snap.push_back(stored(voice, cat, v));
            }
        setStored(multi, 0, 0, pattern(stored(multi, 0, 0).size(), seed + 99));
        snap.push_back(stored(multi, 0, 0));
        return snap;
    }
    std::vector<Bytes> snapshot()
    {
        std::vector<Bytes> snap;
        for (int cat = 0; cat < 6; ++cat)
            for (int v : {0, 1, 31})
                snap.push_back(stored(voice, cat, v));
        snap.push_back(stored(multi, 0, 0));
        return snap;
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    // Where the voice memory keeps a stored voice's name, from the voice's start.
    int nameOffset(int cat, int v)
    {
        int size = 0;
        const unsigned char* start = voice.VceMem()->GetVoiceMem(cat, v, &size);
        const unsigned char* name = nullptr;
        voice.VceMem()->VoiceNameBytes(cat, v, name);
        return start && name ? int(name - start) : -1;
    }
    // The 14 bytes of a stored voice from its name on.
    QByteArray nameField(int cat, int v)
    {
        const Bytes b = stored(voice, cat, v);
        const int at = nameOffset(cat, v);
        return at < 0 ? QByteArray() : QByteArray(reinterpret_cast<const char*>(b.data()) + at, 14);
    }

    CPrmCtrl multi;
    CPrmCtrl voice;
    QTemporaryDir dir;
};

TEST_F(LibraryFile, DocumentRoundTripsWithItsMuteSoloTrailer)
{
    const std::vector<Bytes> saved = patternEverything(1);
    multi.SetMuteStatus(0, true, false);
    multi.SetSoloStatus(3, true, false);
    ASSERT_TRUE(CLibraryFile(&multi, path("doc.m3e")).LibrarySaveAs());
    const QByteArray file = readAll(path("doc.m3e"));
    ASSERT_EQ(file.size(), kDocument);
    EXPECT_TRUE(file.startsWith("TOVAR-VANTREL VOICE 9"));
    EXPECT_EQ(file.mid(kVoiceImage, 21), QByteArray("TOVAR-VANTREL MULTI 3"));
    EXPECT_EQ(file.right(78), QByteArray("mutesolo:A7C5FEA3-5949-49e4-A822-822B7F0AC2BF|") + "M......S" + QByteArray(24, '.'))
        << file.right(32).toStdString();

    patternEverything(50);
    multi.SetMuteStatus(0, false, false);
    multi.SetSoloStatus(3, false, false);
    CLibraryFile load(&multi, path("doc.m3e"));
    ASSERT_TRUE(load.LibraryLoad());
    EXPECT_FALSE(load.IsConvertModule());
    EXPECT_TRUE(load.IsMuteSoloApplied());
    EXPECT_EQ(snapshot(), saved);
    EXPECT_TRUE(multi.IsMuteStatus(0));
    EXPECT_TRUE(multi.IsSoloStatus(3));
    EXPECT_FALSE(multi.IsMuteStatus(1));
}

TEST_F(LibraryFile, SavingOverALongerFileLeavesNoTail)
{
    writeAll(path("doc.m3e"), QByteArray(kDocument + 5000, 'x'));
    ASSERT_TRUE(CLibraryFile(&multi, path("doc.m3e")).LibrarySaveAs());
    EXPECT_EQ(QFileInfo(path("doc.m3e")).size(), kDocument);
}

TEST_F(LibraryFile, FailedSaveKeepsTheOldFile)
{
    const QByteArray old(4000, 'o');
    writeAll(path("doc.m3e"), old);
    // A file-size limit makes the write fail part way, even for root.
    struct rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit low = was;
    low.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
    const bool saved = CLibraryFile(&multi, path("doc.m3e")).LibrarySaveAs();
    setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readAll(path("doc.m3e")), old);
}

TEST_F(LibraryFile, VoiceLibraryRoundTripsWithItsDirectory)
{
    const std::vector<Bytes> saved = patternEverything(3);
    ASSERT_TRUE(voice.VceMem()->SetVoiceName(0, 1, QStringLiteral("Brassglow")));
    CLibraryFile save(&voice, path("bank.w9e"));
    ASSERT_EQ(save.GetFileSize(), kVoiceImage);
    ASSERT_TRUE(save.LibrarySaveAs());
    const QByteArray file = readAll(path("bank.w9e"));
    ASSERT_EQ(file.size(), kVoiceImage);
    EXPECT_EQ(file.mid(64, 10), QByteArray("VOICE DATA"));
    const Bytes brass = stored(voice, 0, 1);
    // The entry holds the voice's bytes from its name on: the name, then the category
    // code and the bytes after it.
    EXPECT_EQ(file.mid(128 + 14, 14), nameField(0, 1));
    EXPECT_EQ(file.mid(128 + 14, 9), QByteArray("Brassglow"));

    patternEverything(70);
    CLibraryFile load(&voice, path("bank.w9e"));
    ASSERT_TRUE(load.OpenLibraryFile2());
    EXPECT_EQ(load.GetDirectryName(0, 1), QStringLiteral("Brassglow"));
    EXPECT_EQ(load.GetDirectorySize(3), 32);
    ASSERT_TRUE(load.CopyAllBankToLibrary());
    std::vector<Bytes> now = snapshot();
    now.pop_back();
    std::vector<Bytes> want = saved;
    want.pop_back();
    want[1] = brass;
    EXPECT_EQ(now, want);
}

namespace {

struct NameEntry
{
    const char* name;
    int bank;   // directory item and voice-memory category
    int voice;
    const char* bytes;  // the voice's 14 bytes from its name on: name, category code, more
    const char* shown;  // the name the entry gives back
};

void PrintTo(const NameEntry& e, std::ostream* out)
{
    *out << e.name;
}

const NameEntry kNameEntries[] = {
    {"NormalFirst", 0, 0, "Tovik Reed\x0C\x64\x40\x05", "Tovik Reed"},
    {"NormalLast", 1, 127, "Amber Pad \x0A\x50\x3A\x63", "Amber Pad"},
    {"StoredNameEndsAtZero", 2, 9, "Glint\0\0\0\0\0\x03\x7F\x7F\x00", "Glint"},
    {"Drum", 3, 31, "Kit Dust  \x0D\x6E\x40\x10", "Kit Dust"},
    {"PlugIn", 4, 63, "Sintra Bow\x06\x01\x02\x03", "Sintra Bow"},
    {"SecondPlugIn", 5, 0, "Coro Air  \x10\x00\x40\x00", "Coro Air"},
};

class LibraryDirectory : public LibraryFile, public ::testing::WithParamInterface<NameEntry>
{
protected:
    QByteArray entryBytes() const { return QByteArray(GetParam().bytes, 14); }
    // Puts the case's bytes into the stored voice at its name.
    void storeEntryBytes()
    {
        const NameEntry& e = GetParam();
        Bytes b = stored(voice, e.bank, e.voice);
        const int at = nameOffset(e.bank, e.voice);
        ASSERT_GE(at, 0);
        ASSERT_LE(size_t(at) + 14, b.size());
        std::memcpy(b.data() + at, e.bytes, 14);
        setStored(voice, e.bank, e.voice, b);
    }
    qint64 entryPosition(const CLibraryFile& file) const
    {
        const CLibraryFile::DIRCTORY_INFO& dir = file.directoryInfo();
        const CLibraryFile::DIRECTORY_ITEM& item = dir.items.at(GetParam().bank);
        return dir.mem_offset + item.offset + qint64(GetParam().voice) * dir.directorySize;
    }
};

} // namespace

TEST_P(LibraryDirectory, EntryHoldsTheVoicesBytesFromItsNameOn)
{
    const NameEntry& e = GetParam();
    storeEntryBytes();
    CLibraryFile save(&voice, path("bank.w9e"));
    ASSERT_EQ(save.directoryInfo().directorySize, 14);
    ASSERT_TRUE(save.LibrarySaveAs());
    const QByteArray file = readAll(path("bank.w9e"));
    ASSERT_EQ(file.size(), kVoiceImage);
    EXPECT_EQ(file.mid(entryPosition(save), 14).toHex(' '), entryBytes().toHex(' '));

    CLibraryFile load(&voice, path("bank.w9e"));
    ASSERT_TRUE(load.OpenLibraryFile2());
    EXPECT_EQ(load.GetDirectryName(e.bank, e.voice), QLatin1String(e.shown));
}

// Files written with entries of the name, blanks and four zeros still give their names,
// and their voices come whole from the voice data.
TEST_P(LibraryDirectory, EntryOfAnEarlierFileStillGivesItsNameAndVoice)
{
    const NameEntry& e = GetParam();
    storeEntryBytes();
    const Bytes held = stored(voice, e.bank, e.voice);
    CLibraryFile save(&voice, path("old.w9e"));
    ASSERT_TRUE(save.LibrarySaveAs());
    QByteArray file = readAll(path("old.w9e"));
    QByteArray earlier = QByteArray(e.shown).leftJustified(10, ' ');
    earlier.append(QByteArray(4, '\0'));
    file.replace(int(entryPosition(save)), 14, earlier);
    writeAll(path("old.w9e"), file);

    setStored(voice, e.bank, e.voice, pattern(held.size(), 61));
    CLibraryFile load(&voice, path("old.w9e"));
    ASSERT_TRUE(load.OpenLibraryFile2());
    EXPECT_EQ(load.GetDirectryName(e.bank, e.voice), QLatin1String(e.shown));
    ASSERT_TRUE(load.CopyAllBankToLibrary());
    EXPECT_EQ(stored(voice, e.bank, e.voice), held);
}

INSTANTIATE_TEST_SUITE_P(, LibraryDirectory, ::testing::ValuesIn(kNameEntries),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LibraryFile, StreamFormCarriesVoiceMultiAndTrailerBlocks)
{
    const std::vector<Bytes> saved = patternEverything(5);
    multi.SetMuteStatus(7, true, false);
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        ASSERT_TRUE(CLibraryFile(&voice, QStringLiteral("saveViaStream")).LibrarySave(&out));
        ASSERT_TRUE(CLibraryFile(&multi, QStringLiteral("saveViaStream")).LibrarySave(&out));
    }
    ASSERT_EQ(payload.size(), 4 + kVoiceImage + 4 + kMultiImage + 4 + 78);

    patternEverything(80);
    multi.SetMuteStatus(7, false, false);
    QDataStream in(payload);
    QByteArray voiceImage, multiImage;
    ASSERT_TRUE(CLibraryFile(&voice, QString()).LibraryLoad(&in, &voiceImage));
    ASSERT_TRUE(CLibraryFile(&multi, QString()).LibraryLoad(&in, &multiImage));
    EXPECT_TRUE(in.atEnd());
    EXPECT_TRUE(multi.IsMuteStatus(7));
    // The stream form copies no voice: the caller loads the images.
    EXPECT_NE(snapshot(), saved);
    ASSERT_TRUE(CLibraryFile(&voice, QString()).LibraryLoad(reinterpret_cast<const uchar*>(voiceImage.constData()),
                                                            voiceImage.size()));
    ASSERT_TRUE(CLibraryFile(&multi, QString()).LibraryLoad(reinterpret_cast<const uchar*>(multiImage.constData()),
                                                            multiImage.size()));
    EXPECT_EQ(snapshot(), saved);
    // A short image is refused before anything is copied.
    EXPECT_FALSE(CLibraryFile(&multi, QString()).LibraryLoad(reinterpret_cast<const uchar*>(multiImage.constData()),
                                                             multiImage.size() - 1));
}

TEST_F(LibraryFile, StreamBlockOfAnotherLengthIsConsumedWholeAndRefused)
{
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        const QByteArray longer(kMultiImage + 10, 'L');
        out.writeBytes(longer.constData(), uint(longer.size()));
        out << quint32(0xC0FFEE);
    }
    QDataStream in(payload);
    EXPECT_FALSE(CLibraryFile(&multi, QString()).LibraryLoad(&in, nullptr));
    quint32 next = 0;
    in >> next;
    EXPECT_EQ(next, 0xC0FFEEu);
    // A forged length longer than the stream fails without a large allocation.
    QByteArray forged;
    {
        QDataStream out(&forged, QIODevice::WriteOnly);
        out << quint32(0x7FFFFFF0);
    }
    QDataStream in2(forged);
    EXPECT_FALSE(CLibraryFile(&multi, QString()).LibraryLoad(&in2, nullptr));
}

TEST_F(LibraryFile, BlockAfterTheImageThatIsNotATrailerLeavesMuteAndSoloOff)
{
    multi.SetMuteStatus(2, true, false);
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        CLibraryFile f(&multi, QString());
        QByteArray image(kMultiImage, '\0');
        ASSERT_TRUE(f.LibrarySave(reinterpret_cast<uchar*>(image.data()), image.size(), 0));
        out.writeBytes(image.constData(), uint(image.size()));
        out.writeBytes("other", 5);
    }
    QDataStream in(payload);
    EXPECT_TRUE(CLibraryFile(&multi, QString()).LibraryLoad(&in, nullptr));
    EXPECT_FALSE(multi.IsMuteStatus(2));
    // The other block stays in the stream for its own reader.
    QByteArray rest(9, '\0');
    EXPECT_EQ(in.readRawData(rest.data(), 9), 9);
}

TEST_F(LibraryFile, DocumentWithoutTrailerLoadsItsVoicePartAndReportsIt)
{
    const std::vector<Bytes> saved = patternEverything(7);
    ASSERT_TRUE(CLibraryFile(&multi, path("doc.m3e")).LibrarySaveAs());
    writeAll(path("old.m3e"), readAll(path("doc.m3e")).left(kDocument - 78));
    patternEverything(90);
    CLibraryFile load(&multi, QString());
    EXPECT_FALSE(load.OpenLibraryFile(path("old.m3e")));
    EXPECT_TRUE(load.IsLibraryLoad());
    std::vector<Bytes> now = snapshot();
    std::vector<Bytes> want = saved;
    // The voices are loaded; the multi part is not.
    EXPECT_NE(now.back(), want.back());
    now.pop_back();
    want.pop_back();
    EXPECT_EQ(now, want);
}

TEST_F(LibraryFile, FailedDocumentLoadLeavesTheBanksAsTheyWere)
{
    patternEverything(9);
    ASSERT_TRUE(CLibraryFile(&multi, path("doc.m3e")).LibrarySaveAs());
    QByteArray bytes = readAll(path("doc.m3e"));
    const std::vector<Bytes> before = patternEverything(33);

    // The multi header is broken: nothing of the document may be taken.
    bytes[kVoiceImage + 3] = 'X';
    writeAll(path("bad.m3e"), bytes);
    EXPECT_FALSE(CLibraryFile(&multi, path("bad.m3e")).LibraryLoad());
    EXPECT_EQ(snapshot(), before);
    // Too short for the voice image.
    writeAll(path("short.m3e"), bytes.left(kVoiceImage - 1));
    EXPECT_FALSE(CLibraryFile(&multi, path("short.m3e")).LibraryLoad());
    EXPECT_EQ(snapshot(), before);
    // A voice file one byte short of an older format is declined.
    writeAll(path("short.w7e"), QByteArray(522624 - 1, '\x11'));
    CLibraryFile import(&voice, path("short.w7e"));
    EXPECT_FALSE(import.OpenLibraryFile2());
    EXPECT_FALSE(import.IsConvertModule());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(LibraryFile, TrailerTagAndLengthAreChecked)
{
    QByteArray t = CLibraryFile(&multi, QString()).GetMuteSoloStatus();
    ASSERT_EQ(t.size(), 78);
    t[46] = 'M';
    CLibraryFile f(&multi, QString());
    QByteArray wrong = t;
    wrong[10] = 'b';
    EXPECT_TRUE(CLibraryFile::ExtractMuteSoloStatus(reinterpret_cast<const uchar*>(wrong.constData()), 78).isEmpty());
    EXPECT_TRUE(CLibraryFile::ExtractMuteSoloStatus(reinterpret_cast<const uchar*>(t.constData()), 77).isEmpty());
    f.SetMuteSoloStatus(t.left(46 + 31));
    EXPECT_FALSE(multi.IsMuteStatus(0));
    EXPECT_FALSE(f.IsMuteSoloApplied());
    f.SetMuteSoloStatus(t);
    EXPECT_TRUE(multi.IsMuteStatus(0));
    EXPECT_TRUE(f.IsMuteSoloApplied());
}

TEST_F(LibraryFile, FormatCodesFromTheExtension)
{
    const std::pair<const char*, int> cases[] = {{"a.w2e", 0}, {"a.W4E", 1}, {"a.m5e", 2}, {"x/y.m2e", 3},
                                                 {"a.m3e", 4}, {"a.s7e", 5}, {"a.txt", -1}, {"e", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(CLibraryFile::GetFormatCode(QLatin1String(c.first)), c.second) << c.first;
    EXPECT_FALSE(CLibraryFile(nullptr, path("none.m3e")).LibrarySaveAs());
    EXPECT_FALSE(QFile::exists(path("none.m3e")));
}

TEST_F(LibraryFile, ImportedOldDocumentOpensAndItsMultiShowsInTheMemoryModel)
{
    // An .m2e: an older voice image, then the multi with its blocks from 512.
    Bytes src(524672, 0);
    ConverterTest::fillPattern(src.data(), 522624, 4);
    ConverterTest::fillPattern(src.data() + 522624, 2048, 9);
    writeAll(path("old.m2e"), QByteArray(reinterpret_cast<const char*>(src.data()), int(src.size())));

    CLibraryFile load(&multi, path("old.m2e"));
    ASSERT_TRUE(load.LibraryLoad());
    EXPECT_TRUE(load.IsConvertModule());
    EXPECT_EQ(load.GetConvertModule(), CM2EToM3EConverter::create());
    ASSERT_TRUE(multi.CopyToEditBuff(0, 0, false));
    // The common block (36 00 00) came over from the old multi's bytes 512 on.
    BLK blk;
    const unsigned char common[3] = {0x36, 0x00, 0x00};
    ASSERT_TRUE(multi.EditorBlk().GetBlk(0, common, blk));
    const unsigned char* old = src.data() + 522624 + 512;
    EXPECT_TRUE(std::equal(blk.curImage, blk.curImage + 20, old));
    EXPECT_TRUE(std::equal(blk.curImage + 52, blk.curImage + 96, old + 52));
}

TEST_F(LibraryFile, ChainedVoiceImportsReportTheConverterThatReadTheSource)
{
    const Bytes before = stored(voice, 0, 0);
    struct Case
    {
        const char* name;
        Bytes image;
        CTovarFileConverter* converter;
    };
    Case cases[] = {{"old.w6e", ConverterTest::w6eImage(), CW6EToW7EConverter::create()},
                    {"old.w2e", ConverterTest::w2eImage(), CW2EToW7EConverter::create()}};
    for (Case& c : cases) {
        writeAll(path(c.name), QByteArray(reinterpret_cast<const char*>(c.image.data()), int(c.image.size())));
        CLibraryFile import(&voice, path(c.name));
        ASSERT_TRUE(import.OpenLibraryFile2()) << c.name;
        EXPECT_TRUE(import.IsConvertModule());
        EXPECT_EQ(import.GetConvertModule(), c.converter) << c.name;
        EXPECT_EQ(import.GetConvertDirectorySize(0), c.converter->GetBankSize(0));
        EXPECT_TRUE(import.CheckFileHeader());
        // Opening an import copies nothing into the banks.
        EXPECT_EQ(stored(voice, 0, 0), before);
        int element = -1;
        EXPECT_NE(import.GetVoiceAddress(0, 0, &element), nullptr);
        EXPECT_EQ(element, 0);
    }
}

TEST_F(LibraryFile, ContainerAdapterAnswersFromTheMapsVoiceMemory)
{
    CLibraryZutlMap voices(&voice);
    CLibraryZutlMap document(&multi);
    EXPECT_FALSE(voices.hasLinkedMap());
    EXPECT_TRUE(document.hasLinkedMap());
    EXPECT_EQ(voices.bankVoiceCount(3), 32);
    EXPECT_EQ(voices.bankVoiceCount(-1), 0);
    EXPECT_EQ(voices.bankNameLength(0), 10);
    EXPECT_EQ(voices.elementBlockCount(1), 79);
    EXPECT_EQ(voices.elementBlockSize(0, 0), 82);
    EXPECT_EQ(voices.elementBlockSize(0, 99), -1);
    EXPECT_EQ(voices.elementBlockAddress(0, 1), QByteArray::fromHex("410000"));
    QString value;
    EXPECT_TRUE(voices.libraryTemplateValue(QStringLiteral("libraryfile_Com"), QStringLiteral("fileSize"), &value));
    EXPECT_EQ(value, QStringLiteral("551424"));
    EXPECT_FALSE(voices.dataFolder().endsWith(QLatin1Char('/')));
    // A block written through the adapter lands at its place in the stored voice.
    const QByteArray block(115, '\x21');
    ASSERT_TRUE(voices.writeVoiceBlock(2, 5, 0, 1, block.constData(), block.size()));
    EXPECT_FALSE(voices.writeVoiceBlock(2, 5, 0, 1, block.constData(), 10));
    QByteArray back(115, '\0');
    ASSERT_TRUE(voices.readVoiceBlock(2, 5, 0, 1, back.data(), back.size()));
    EXPECT_EQ(back, block);
    const Bytes v = stored(voice, 2, 5);
    EXPECT_TRUE(std::all_of(v.begin() + 82, v.begin() + 82 + 115, [](unsigned char c) { return c == 0x21; }));
    EXPECT_FALSE(voices.readVoiceBlock(2, 5, 0, 1, back.data(), 114));
}

} // namespace
