// Voice files of the older formats opened for import: the import banks the older
// format leaves unfilled are completed with the bank's initial voice, and nothing
// the file does hold is overwritten. One table over the format codes, each file
// laid out from its format's own layout, also under the name of another format.
#include "CommandsSimRig.h"
#include "console/libfile/LibraryFile.h"
#include "console/libfile/converters/CTovarFileConverter.h"
#include "console/libfile/tests/ConverterTestImages.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

using namespace CommandsTest;
using namespace ConverterTest;

namespace {

using Voice = std::pair<int, int>; // import bank, voice

QByteArray bytesOf(const Bytes& img) { return QByteArray(reinterpret_cast<const char*>(img.data()), int(img.size())); }

// Every voice record and name of every bank the format has, from the format's layout.
QByteArray w2eFile()
{
    Bytes img = w2eImage();
    for (int i = 0; i < 128; ++i)
        fillPattern(img.data() + w2eNormal(i), 880, i + 1);
    for (int i = 0; i < 16; ++i)
        fillPattern(img.data() + w2eDrum(i), 5024, i + 200);
    for (int b = 0; b < 3; ++b)
        for (int i = 0; i < 64; ++i)
            fillPattern(img.data() + w2ePlugin(b, i), 304, b * 64 + i + 300);
    return bytesOf(img);
}

QByteArray w6eFile()
{
    Bytes img = w6eImage();
    for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 128; ++i)
            fillPattern(img.data() + w6eNormal(b, i), 918, b * 128 + i + 1);
    for (int i = 0; i < 32; ++i)
        fillPattern(img.data() + w6eDrum(i), 3903, i + 400);
    for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 64; ++i)
            fillPattern(img.data() + w6ePlugin(b, i), 337, b * 64 + i + 500);
    return bytesOf(img);
}

QByteArray w7eFile()
{
    Bytes img(522624, 0);
    for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 128; ++i)
            fillPattern(img.data() + w7eNormal(b, i), 960, b * 128 + i + 1);
    for (int i = 0; i < 32; ++i)
        fillPattern(img.data() + w7eDrum(i), 5072, i + 400);
    for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 64; ++i)
            fillPattern(img.data() + w7ePlugin(b, i), 352, b * 64 + i + 500);
    return bytesOf(img);
}

// A file of an older layout with one plug-in bank only (two normal banks, the drum
// bank, the first plug-in bank), read by a converter of the test's own: its banks are
// the ones the import table takes a format-2 file to hold.
class OnePluginBankConverter : public CTovarFileConverter
{
public:
    static constexpr int kFileSize = 4096;
    static QByteArray file()
    {
        QByteArray bytes(kFileSize, '\0');
        std::memcpy(bytes.data(), kSignature, sizeof(kSignature));
        return bytes;
    }
    bool DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                  TConvertContext& context) override
    {
        if (!src || !dst || srcLen != kFileSize || dstLen != 522624
            || std::memcmp(src, kSignature, sizeof(kSignature)) != 0)
            return false;
        for (int b = 0; b < 2; ++b)
            for (int i = 0; i < 128; ++i)
                fillPattern(dst + w7eNormal(b, i), 960, b * 128 + i + 1);
        for (int i = 0; i < 32; ++i)
            fillPattern(dst + w7eDrum(i), 5072, i + 400);
        for (int i = 0; i < 64; ++i)
            fillPattern(dst + w7ePlugin(0, i), 352, i + 500);
        context.written = {128, 128, 32, 64, 0, 0};
        return true;
    }
    int GetBankSize(int bank) const override
    {
        static const int sizes[] = {128, 128, 32, 64, 0, 0};
        return bank >= 0 && bank < 6 ? sizes[bank] : 0;
    }

private:
    static constexpr char kSignature[] = "LATTICE ONE PLUG-IN BANK";
};

std::set<Voice> range(int bank, int first, int end)
{
    std::set<Voice> s;
    for (int v = first; v < end; ++v)
        s.insert({bank, v});
    return s;
}

std::set<Voice> join(std::set<Voice> a, const std::set<Voice>& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

// How each case's file is made.
enum class Source { W2E, W6E, W7E, OnePluginBank, CurrentFromW6E };

struct ImportCase
{
    const char* name;
    const char* file; // its extension gives the format code
    int code;
    Source source;
    std::set<Voice> initial;              // the voices completed with their bank's initial voice
    std::vector<std::pair<int, int>> held; // (import bank, voice count) the file itself holds
};

class ImportFill : public ::testing::TestWithParam<ImportCase>
{
protected:
    QByteArray make(Source source)
    {
        switch (source) {
        case Source::W2E:
            return w2eFile();
        case Source::W6E:
            return w6eFile();
        case Source::W7E:
            return w7eFile();
        case Source::OnePluginBank:
            return OnePluginBankConverter::file();
        case Source::CurrentFromW6E: {
            // The current format as the project's converter writes it, under an older name.
            const QString from = dir.filePath(QStringLiteral("source.w6e"));
            if (!write(from, w6eFile()))
                return QByteArray();
            std::unique_ptr<CLibraryFile> library(rig.memory()->GetVoiceImportLibrary(from));
            return library ? library->image() : QByteArray();
        }
        }
        return QByteArray();
    }
    static bool write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        return !bytes.isEmpty() && f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    SimRig rig;
    QTemporaryDir dir;
    OnePluginBankConverter onePluginBank; // registered for the life of the test only
};

} // namespace

TEST_P(ImportFill, CompletesOnlyTheVoicesTheFileLacks)
{
    const ImportCase c = GetParam();
    ITovarVoiceData* data = dynamic_cast<ITovarVoiceData*>(rig.companion());
    ASSERT_NE(data, nullptr);
    const QString path = dir.filePath(QLatin1String(c.file));
    ASSERT_EQ(CLibraryFile::GetFormatCode(path), c.code);
    ASSERT_TRUE(write(path, make(c.source)));

    // The same file opened without the completion: what the file alone gives.
    std::unique_ptr<CLibraryFile> plain(rig.memory()->GetVoiceImportLibrary(path));
    ASSERT_NE(plain, nullptr);
    void* handle = data->loadImportFile(path);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(rig.prompter.messages.isEmpty());
    auto* library = static_cast<CLibraryFile*>(handle);

    std::set<Voice> initial, named, changed, empty;
    ASSERT_EQ(library->voiceDataInfo().items.size(), 6);
    const int entrySize = library->directoryInfo().directorySize;
    for (int bank = 0; bank < 6; ++bank) {
        unsigned long size = 0;
        const unsigned char* init = rig.memory()->GetInitVoiceData(bank, size);
        ASSERT_NE(init, nullptr) << bank;
        const int n = std::min<int>(int(size), library->voiceDataInfo().items.at(bank).voiceSize);
        CLibraryFile::DIRECTORY_ITEM item;
        qint64 entries = 0, plainEntries = 0;
        ASSERT_TRUE(library->GetDirBankData(bank, item, entries));
        ASSERT_TRUE(plain->GetDirBankData(bank, item, plainEntries));
        for (int v = 0; v < library->GetDirectorySize(bank); ++v) {
            int element = 0;
            const unsigned char* voice = library->GetVoiceAddress(bank, v, &element);
            const unsigned char* before = plain->GetVoiceAddress(bank, v, &element);
            ASSERT_NE(voice, nullptr) << bank << '/' << v;
            ASSERT_NE(before, nullptr) << bank << '/' << v;
            if (std::memcmp(voice, init, size_t(n)) == 0)
                initial.insert({bank, v});
            if (data->importVoiceName(handle, short(bank), short(v)) == QLatin1String("Init Voice"))
                named.insert({bank, v});
            const QByteArray entry = library->image().mid(int(entries + qint64(v) * entrySize), entrySize);
            const QByteArray plainEntry = plain->image().mid(int(plainEntries + qint64(v) * entrySize), entrySize);
            if (std::memcmp(voice, before, size_t(n)) != 0 || entry != plainEntry)
                changed.insert({bank, v});
            if (std::all_of(voice, voice + n, [](unsigned char b) { return b == 0; }))
                empty.insert({bank, v});
        }
    }
    // The completed voices are the bank's initial voice under its name ...
    for (const Voice& v : c.initial) {
        EXPECT_TRUE(initial.count(v)) << v.first << '/' << v.second;
        EXPECT_TRUE(named.count(v)) << v.first << '/' << v.second;
    }
    // ... and no other voice differs from what the file alone gives.
    std::set<Voice> beyond;
    std::set_difference(changed.begin(), changed.end(), c.initial.begin(), c.initial.end(),
                        std::inserter(beyond, beyond.end()));
    EXPECT_TRUE(beyond.empty()) << beyond.size() << " voices changed, first " << beyond.begin()->first << '/'
                                << beyond.begin()->second;
    // The voices the file holds keep the file's data.
    for (const auto& [bank, count] : c.held)
        for (int v = 0; v < count; ++v) {
            EXPECT_FALSE(initial.count({bank, v})) << bank << '/' << v;
            EXPECT_FALSE(empty.count({bank, v})) << bank << '/' << v;
        }
    // No older format has the third normal bank: what is not completed there stays empty.
    std::set<Voice> third;
    const std::set<Voice> wholeThird = range(2, 0, 128);
    std::set_difference(wholeThird.begin(), wholeThird.end(), c.initial.begin(), c.initial.end(),
                        std::inserter(third, third.end()));
    std::set<Voice> emptyThird;
    std::copy_if(empty.begin(), empty.end(), std::inserter(emptyThird, emptyThird.end()),
                 [](const Voice& v) { return v.first == 2; });
    EXPECT_EQ(emptyThird, third);
    data->closeImportFile(handle);
}

namespace {
// What the oldest formats lack: the second normal bank, and voices 16 to 31 of import bank 2.
const std::set<Voice> kOldestLack = join(range(1, 0, 128), range(2, 16, 32));
const std::vector<std::pair<int, int>> kW2EHolds = {{0, 128}, {3, 16}, {4, 64}, {5, 64}};
const std::vector<std::pair<int, int>> kW6EHolds = {{0, 128}, {1, 128}, {3, 32}, {4, 64}, {5, 64}};
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Codes, ImportFill,
    ::testing::Values(
        // The file holds what its format code says: the table's banks are completed exactly.
        ImportCase{"Code0", "old.w2e", 0, Source::W2E, kOldestLack, kW2EHolds},
        ImportCase{"Code1", "old.w4e", 1, Source::W2E, kOldestLack, kW2EHolds},
        ImportCase{"Code2OnePluginBank", "old.w6e", 2, Source::OnePluginBank, range(5, 0, 64),
                   {{0, 128}, {1, 128}, {3, 32}, {4, 64}}},
        ImportCase{"Code3", "old.w7e", 3, Source::W7E, {}, kW6EHolds},
        // The file holds banks the table would complete: they keep the file's voices.
        ImportCase{"Code2BothPluginBanks", "old.w6e", 2, Source::W6E, {}, kW6EHolds},
        ImportCase{"Code0HoldingW6E", "old.w2e", 0, Source::W6E, range(2, 16, 32), kW6EHolds},
        ImportCase{"Code1HoldingW7E", "old.w4e", 1, Source::W7E, range(2, 16, 32), kW6EHolds},
        ImportCase{"Code0HoldingCurrent", "old.w2e", 0, Source::CurrentFromW6E, {}, kW6EHolds},
        ImportCase{"Code2HoldingCurrent", "old.w6e", 2, Source::CurrentFromW6E, {}, kW6EHolds}),
    [](const ::testing::TestParamInfo<ImportCase>& info) { return std::string(info.param.name); });
