// How many voices of each bank an opened voice file itself holds, counted in the
// library's own banks: a converted older file holds what its converter read from it
// (the drum bank of the older layouts is the fourth bank here, the third normal bank
// comes from no older file), a current file holds every voice.
#include "console/libfile/LibraryFile.h"
#include "console/libfile/tests/ConverterTestImages.h"
#include "console/model/PrmCtrl.h"
#include "console/model/tests/TestPaths.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>

namespace {

using Counts = std::array<int, 6>;

enum class Source { W2E, W6E, W7E, Current };

struct HeldCase
{
    const char* name;
    const char* file;
    Source source;
    bool converted;
    Counts held;
};

class HeldVoiceCount : public ::testing::TestWithParam<HeldCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(multi.CreatePrmCtrl(0, shippedMultiTemplate())) << multi.ErrorText().toStdString();
        ASSERT_TRUE(voice.CreatePrmCtrl(1, shippedVoiceTemplate())) << voice.ErrorText().toStdString();
        voice.SetMaster(&multi);
        multi.SetVoiceMap(&voice);
    }
    bool make(Source source, const QString& path)
    {
        ConverterTest::Bytes image;
        switch (source) {
        case Source::W2E:
            image = ConverterTest::w2eImage();
            break;
        case Source::W6E:
            image = ConverterTest::w6eImage();
            break;
        case Source::W7E:
            image.assign(522624, 0);
            break;
        case Source::Current:
            return CLibraryFile(&voice, path).LibrarySave(path);
        }
        QFile f(path);
        return f.open(QIODevice::WriteOnly)
               && f.write(reinterpret_cast<const char*>(image.data()), qint64(image.size())) == qint64(image.size());
    }

    CPrmCtrl multi;
    CPrmCtrl voice;
    QTemporaryDir dir;
};

} // namespace

TEST_P(HeldVoiceCount, CountsWhatTheFileGaveEachBank)
{
    const HeldCase c = GetParam();
    const QString path = dir.filePath(QLatin1String(c.file));
    ASSERT_TRUE(make(c.source, path));
    CLibraryFile import(&voice, path);
    ASSERT_TRUE(import.OpenLibraryFile2());
    EXPECT_EQ(import.IsConvertModule(), c.converted);
    Counts held{};
    for (int bank = 0; bank < 6; ++bank)
        held[size_t(bank)] = import.GetHeldVoiceCount(bank);
    EXPECT_EQ(held, c.held);
    EXPECT_EQ(import.GetHeldVoiceCount(-1), 0);
    EXPECT_EQ(import.GetHeldVoiceCount(6), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, HeldVoiceCount,
    ::testing::Values(HeldCase{"W2E", "old.w2e", Source::W2E, true, {128, 0, 0, 16, 64, 64}},
                      HeldCase{"W6E", "old.w6e", Source::W6E, true, {128, 128, 0, 32, 64, 64}},
                      HeldCase{"W7E", "old.w7e", Source::W7E, true, {128, 128, 0, 32, 64, 64}},
                      // The content decides, not the name.
                      HeldCase{"W6EUnderOldestName", "old.w2e", Source::W6E, true, {128, 128, 0, 32, 64, 64}},
                      HeldCase{"CurrentUnderOlderName", "old.w6e", Source::Current, false,
                               {128, 128, 128, 32, 64, 64}}),
    [](const ::testing::TestParamInfo<HeldCase>& info) { return std::string(info.param.name); });
