// Voice files of the older formats opened for import: the voices the older format
// does not hold are completed with the bank's initial voice, and nothing the file
// does hold is overwritten (the second plug-in bank of a .w6e file above all). One
// file per format code, laid out from the old formats' own layouts.
#include "CommandsSimRig.h"
#include "console/libfile/LibraryFile.h"
#include "console/libfile/tests/ConverterTestImages.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace CommandsTest;
using namespace ConverterTest;

namespace {

using Voice = std::pair<int, int>; // import bank, voice

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
    return QByteArray(reinterpret_cast<const char*>(img.data()), int(img.size()));
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
    return QByteArray(reinterpret_cast<const char*>(img.data()), int(img.size()));
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
    return QByteArray(reinterpret_cast<const char*>(img.data()), int(img.size()));
}

std::set<Voice> range(int bank, int first, int end)
{
    std::set<Voice> s;
    for (int v = first; v < end; ++v)
        s.insert({bank, v});
    return s;
}

struct ImportCase
{
    const char* name;
    int code;
    const char* file;
    QByteArray (*bytes)();
    std::set<Voice> initial; // the voices that become the bank's initial voice
};

class ImportFill : public ::testing::TestWithParam<ImportCase>
{
protected:
    SimRig rig;
    QTemporaryDir dir;
};

} // namespace

TEST_P(ImportFill, CompletesOnlyTheVoicesTheOlderFormatLacks)
{
    const ImportCase c = GetParam();
    ITovarVoiceData* data = dynamic_cast<ITovarVoiceData*>(rig.companion());
    ASSERT_NE(data, nullptr);
    const QString path = dir.filePath(QLatin1String(c.file));
    ASSERT_EQ(CLibraryFile::GetFormatCode(path), c.code);
    {
        QFile f(path);
        const QByteArray bytes = c.bytes();
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    void* handle = data->loadImportFile(path);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(rig.prompter.messages.isEmpty());
    auto* library = static_cast<CLibraryFile*>(handle);

    std::set<Voice> initial, named, empty;
    for (int bank = 0; bank < 6; ++bank) {
        unsigned long size = 0;
        const unsigned char* init = rig.memory()->GetInitVoiceData(bank, size);
        ASSERT_NE(init, nullptr) << bank;
        for (int v = 0; v < library->GetDirectorySize(bank); ++v) {
            int element = 0;
            const unsigned char* voice = library->GetVoiceAddress(bank, v, &element);
            ASSERT_NE(voice, nullptr) << bank << '/' << v;
            const int n = std::min<int>(int(size), library->voiceDataInfo().items.at(bank).voiceSize);
            if (std::memcmp(voice, init, size_t(n)) == 0)
                initial.insert({bank, v});
            if (std::all_of(voice, voice + n, [](unsigned char b) { return b == 0; }))
                empty.insert({bank, v});
            if (data->importVoiceName(handle, short(bank), short(v)) == QLatin1String("Init Voice"))
                named.insert({bank, v});
        }
    }
    EXPECT_EQ(initial, c.initial);
    EXPECT_EQ(named, c.initial);
    // Every other voice holds what the file gave it, except the third normal bank,
    // which no older format has and which is left empty.
    EXPECT_EQ(empty, range(2, 0, 128));
    data->closeImportFile(handle);
}

namespace {
std::set<Voice> olderThanDrumKits()
{
    std::set<Voice> s = range(1, 0, 128);
    const std::set<Voice> drums = range(3, 16, 32);
    s.insert(drums.begin(), drums.end());
    return s;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Codes, ImportFill,
    ::testing::Values(ImportCase{"Code0", 0, "old.w2e", &w2eFile, olderThanDrumKits()},
                      ImportCase{"Code1", 1, "old.w4e", &w2eFile, olderThanDrumKits()},
                      ImportCase{"Code2", 2, "old.w6e", &w6eFile, {}},
                      ImportCase{"Code3", 3, "old.w7e", &w7eFile, {}}),
    [](const ::testing::TestParamInfo<ImportCase>& info) { return std::string(info.param.name); });
