#include "ShippedMapsFixture.h"
#include "console/model/VceMem.h"
#include "console/model/VoiceBanks.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString shippedDataFolder()
{
    return sourceDir() + QStringLiteral("/data/VEXMOOR/TOVAR-VANTREL");
}

class ShippedVoices : public ShippedMapsFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(voiceOk) << voice->ErrorText().toStdString();
        ASSERT_TRUE(multiOk) << multi->ErrorText().toStdString();
        ASSERT_NE(voice->VceMem(), nullptr);
    }
};

} // namespace

TEST_F(ShippedVoices, FixedUserCategoriesHoldTheVoiceSizesOfTheFiles)
{
    const CVceMem& m = *voice->VceMem();
    ASSERT_GE(m.GetVoiceMemCategoryNum(), 7);
    const struct
    {
        int voices, size, templateNo;
    } fixed[6] = {{128, 952, 0}, {128, 952, 0}, {128, 952, 0}, {32, 4138, 1}, {64, 353, 2}, {64, 353, 2}};
    for (int c = 0; c < 6; ++c) {
        const VCEMEM_INFO* info = m.GetCategory(c);
        ASSERT_NE(info, nullptr);
        EXPECT_FALSE(info->current) << c;
        EXPECT_EQ(info->voiceNum, fixed[c].voices) << c;
        EXPECT_EQ(info->voiceSize, fixed[c].size) << c;
        EXPECT_EQ(info->templateNo, fixed[c].templateNo) << c;
        EXPECT_EQ(info->nameLength, 10) << c;
        EXPECT_EQ(info->blocks.front().offset, 0) << c;
    }
    // Presets from category 6 on, each with at least 128 voices for the preset dialogs.
    for (int c = 6; c < m.GetVoiceMemCategoryNum(); ++c) {
        const VCEMEM_INFO* info = m.GetCategory(c);
        if (!info->presetVoice)
            continue;
        EXPECT_GE(info->voiceNum, 128) << c;
    }
    EXPECT_TRUE(m.IsPresetVoiceCategory(6));
}

TEST_F(ShippedVoices, BoardsOfTheDataFolderLoadWithTheirVoiceLists)
{
    const CPlugInBoardBlk& boards = multi->PlugInBoards();
    ASSERT_GE(boards.GetPlugInBoardNum(), 2);
    for (int b = 0; b < boards.GetPlugInBoardNum(); ++b) {
        const PLUGIN_BOARD_DATA* d = boards.GetBoard(b);
        EXPECT_FALSE(d->name.isEmpty());
        EXPECT_FALSE(d->blocks.empty()) << d->name.toStdString();
        ASSERT_GT(boards.GetMSBCount(b), 0) << d->name.toStdString();
        const int msb = boards.GetMSB(b, 0);
        ASSERT_GT(boards.GetLSBCount(b, msb), 0);
        const int lsb = boards.GetLSB(b, msb, 0);
        EXPECT_NE(boards.GetVoiceName(b, msb, lsb, 0), QStringLiteral("Silent"));
        if (b > 0) {
            EXPECT_GE(QFileInfo(boards.GetBoard(b - 1)->path).size(), QFileInfo(d->path).size());
        }
    }
    EXPECT_GT(boards.GetTotalBlkSize(), 0);
}

TEST_F(ShippedVoices, EveryBankOfPartsIniNamesItsVoices)
{
    CVoiceBanks banks;
    banks.SetPresetNameMap(multi);
    ASSERT_TRUE(banks.InitSettings(voice, shippedDataFolder() + QStringLiteral("/parts.ini")));
    ASSERT_GT(banks.GetBankCount(), 0);
    bool normal = false, drum = false;
    for (int i = 0; i < banks.GetBankCount(); ++i) {
        int kind = 0, msb = 0, lsb = 0, table = 0;
        QString name, second;
        ASSERT_TRUE(banks.GetBankByID(i, kind, msb, lsb, name, second, &table));
        normal = normal || second.contains(QStringLiteral("Norm")) || name.contains(QStringLiteral("Norm"));
        drum = drum || second.contains(QStringLiteral("Drum")) || name.contains(QStringLiteral("Drum"));
        const int count = banks.GetNumVoices(msb, lsb);
        EXPECT_GT(count, 0) << name.toStdString();
        QString text;
        if (kind == 1) {
            EXPECT_TRUE(banks.GetVoiceName(msb, lsb, count - 1, text)) << name.toStdString();
            EXPECT_FALSE(banks.GetVoiceName(msb, lsb, count, text));
            continue;
        }
        // Preset banks hold 128 voices; a board bank as many as its board names.
        EXPECT_GE(count, 64) << name.toStdString();
        for (int v = 0; v < count; ++v) {
            ASSERT_TRUE(banks.GetVoiceName(msb, lsb, v, text));
            EXPECT_GT(text.size(), 4) << name.toStdString() << " voice " << v;  // "%3d " and a name
        }
    }
    EXPECT_TRUE(normal);
    EXPECT_TRUE(drum);
}

TEST_F(ShippedVoices, PresetCacheOfTheShippedMapRoundTrips)
{
    CVceMem& m = *voice->VceMem();
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/TOVAR-VANTPRESETS");
    unsigned char* v = m.GetVoiceMem(6, 127, nullptr);
    ASSERT_NE(v, nullptr);
    const unsigned char was = v[20];
    v[20] = 0x5D;
    ASSERT_TRUE(m.StorePresetVoiceData(file));
    v[20] = was;
    ASSERT_TRUE(m.LoadPresetVoiceData(file));
    EXPECT_EQ(m.GetVoiceMem(6, 127, nullptr)[20], 0x5D);
    m.GetVoiceMem(6, 127, nullptr)[20] = was;
}

TEST_F(ShippedVoices, CompareCacheFollowsTheEditBufferOriginAndCarriesTheBoards)
{
    CVceMem& m = *voice->VceMem();
    QByteArray cache;
    voice->SetEditBufferOrigin(0, 5);
    ASSERT_TRUE(m.cacheEditBuffer(&cache, false));
    EXPECT_EQ(cache.size(), 952);
    // Through the multi map, whose boards ride along after the voice.
    CVceMem& mm = *multi->VceMem();
    CPlugInBoardBlk& boards = multi->PlugInBoards();
    const int voiceSize = mm.GetCategory(0)->voiceSize;
    multi->SetEditBufferOrigin(0, 0);
    QByteArray withBoards;
    ASSERT_TRUE(mm.cacheEditBuffer(&withBoards, true));
    ASSERT_EQ(withBoards.size(), voiceSize + boards.GetTotalBlkSize());
    std::vector<unsigned char>& board0 = boards.GetPlugInBoardData(0)->blocks[0]->cur;
    const unsigned char was = board0[1];
    board0[1] = (unsigned char)(was ^ 0x01);
    QByteArray shorter = withBoards.left(withBoards.size() - 1);
    EXPECT_FALSE(mm.restoreEditBuffer(&shorter, true));
    EXPECT_NE(board0[1], was);
    ASSERT_TRUE(mm.restoreEditBuffer(&withBoards, true));
    EXPECT_EQ(boards.GetPlugInBoardData(0)->blocks[0]->cur[1], was);
    EXPECT_EQ(boards.GetSelectedPlugInBoardNo(), -1);
    multi->SetEditBufferOrigin(short(0xFFFF), 0);
    voice->SetEditBufferOrigin(short(0xFFFF), 0);
}
