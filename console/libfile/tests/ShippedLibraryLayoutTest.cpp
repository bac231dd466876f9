// The library layouts of the shipped maps say what their entries take: the directory's
// size is the span of its banks' entries (one per voice the voice memory holds), the
// voice data's size the span of its banks' voices, the two regions and the headers lie
// apart inside the file.
#include "console/libfile/LibraryFile.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/tests/TestPaths.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ShippedMap
{
    const char* name;
    bool voiceMap;
    int banks;
    qint64 directorySpan;
};

void PrintTo(const ShippedMap& m, std::ostream* os) { *os << m.name; }

class ShippedLibraryLayout : public ::testing::TestWithParam<ShippedMap>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(multi.CreatePrmCtrl(0, shippedMultiTemplate())) << multi.ErrorText().toStdString();
        ASSERT_TRUE(voice.CreatePrmCtrl(1, shippedVoiceTemplate())) << voice.ErrorText().toStdString();
        voice.SetMaster(&multi);
        multi.SetVoiceMap(&voice);
    }
    CPrmCtrl multi;
    CPrmCtrl voice;
};

} // namespace

TEST_P(ShippedLibraryLayout, SizesAreTheSpansOfTheirEntriesAndTheRegionsLieApart)
{
    const ShippedMap m = GetParam();
    CPrmCtrl& map = m.voiceMap ? voice : multi;
    CLibraryFile file(&map, QString());
    ASSERT_TRUE(file.IsTemplateRead()) << m.name;
    const CLibraryFile::DIRCTORY_INFO& dir = file.directoryInfo();
    const CLibraryFile::VOICEDATA_INFO& data = file.voiceDataInfo();
    ASSERT_EQ(dir.items.size(), m.banks) << m.name;
    ASSERT_EQ(data.items.size(), m.banks) << m.name;

    qint64 directoryEnd = 0, dataEnd = 0;
    for (int i = 0; i < m.banks; ++i) {
        const CLibraryFile::DIRECTORY_ITEM& d = dir.items[i];
        const CLibraryFile::VOICEDATA_ITEM& v = data.items[i];
        EXPECT_EQ(d.count, v.count) << m.name << " bank " << i << ": one name per voice";
        if (m.voiceMap) {
            // As many entries as the voice memory keeps voices in the bank.
            EXPECT_EQ(d.count, voice.VceMem()->GetVoiceMemCategoryInfo(d.bank).voiceNum) << m.name << " bank " << i;
        }
        // Entries follow each other without gaps or overlaps.
        EXPECT_EQ(d.offset, directoryEnd) << m.name << " bank " << i;
        EXPECT_EQ(v.offset, dataEnd) << m.name << " bank " << i;
        directoryEnd = d.offset + qint64(d.count) * dir.directorySize;
        dataEnd = v.offset + qint64(v.count) * v.voiceSize;
    }
    EXPECT_EQ(directoryEnd, m.directorySpan) << m.name;
    EXPECT_EQ(dir.mem_size, directoryEnd) << m.name << ": the directory's size is what its entries span";
    EXPECT_EQ(data.mem_size, dataEnd) << m.name << ": the voice data's size is what its voices span";
    // The header, the directory and the voice data lie apart, in that order.
    EXPECT_LE(file.fileHeaderInfo().mem_offset + file.fileHeaderInfo().mem_size, dir.mem_offset) << m.name;
    EXPECT_LE(qint64(dir.mem_offset) + dir.mem_size, data.mem_offset) << m.name;
    EXPECT_LE(qint64(data.mem_offset) + data.mem_size, file.GetFileSize()) << m.name;
}

INSTANTIATE_TEST_SUITE_P(Maps, ShippedLibraryLayout,
                         ::testing::Values(ShippedMap{"Multi", false, 1, 10},
                                           // 3 x 128 normal, 32 drum, 2 x 64 plug-in voices.
                                           ShippedMap{"Voices", true, 6, (3 * 128 + 32 + 2 * 64) * 14}),
                         [](const ::testing::TestParamInfo<ShippedMap>& info) { return std::string(info.param.name); });
