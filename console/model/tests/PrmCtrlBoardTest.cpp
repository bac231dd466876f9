// Plug-in board selection: the selected board's blocks stand in for the map's blocks of
// the same name, leaving selection caches the edit buffer in the board, and the voice
// map's requests reach the multi map, where the boards live.
#include "PrmCtrlTestSupport.h"

#include <gtest/gtest.h>

namespace {

const unsigned char kNative[3] = {0x39, 0x00, 0x01};

class BoardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(maps.multiOk) << maps.multi->ErrorText().toStdString();
        multi = maps.multi.get();
        ASSERT_GE(multi->PlugInBoards().GetPlugInBoardNum(), 2);
    }
    PLUGIN_BOARD_BLOCK* boardBlock(int board)
    {
        auto* blocks = multi->PlugInBoards().GetPlugInBoardBlk(board);
        return blocks && !blocks->empty() ? blocks->front().get() : nullptr;
    }
    RuleMaps maps{readAll(shippedMultiTemplate())};
    CPrmCtrl* multi = nullptr;
};

} // namespace

TEST_F(BoardTest, SelectionSubstitutesTheBoardsBlocks)
{
    BLK own;
    BLKPRM prm;
    ASSERT_TRUE(multi->EditorBlk().GetBlkPrm(0, kNative, own, prm));
    multi->SelectPlugInBoard(0, true);
    EXPECT_TRUE(multi->IsPlugInBoardSelecting());
    EXPECT_EQ(multi->PlugInBoards().GetSelectedPlugInBoardNo(), 0);
    PLUGIN_BOARD_BLOCK* b = boardBlock(0);
    ASSERT_NE(b, nullptr);
    BLK seen;
    ASSERT_TRUE(multi->EditorBlk().GetBlkPrm(0, kNative, seen, prm));
    EXPECT_EQ(seen.name, own.name);
    EXPECT_EQ(seen.curImage, b->cur.data());
    EXPECT_NE(seen.curImage, own.curImage);
}

TEST_F(BoardTest, LeavingSelectionCachesTheEditBufferInTheBoard)
{
    PLUGIN_BOARD_BLOCK* b = boardBlock(1);
    ASSERT_NE(b, nullptr);
    multi->SelectPlugInBoard(1, true);
    const unsigned char v[1] = {0x55};
    bool linked = false;
    ASSERT_TRUE(multi->SetData(0, kNative, v, linked, LINK_OFF, MIDI_OFF, false, 0));
    EXPECT_NE(b->cur[1], 0x55);  // the edit stays in the map's own image meanwhile
    multi->SelectPlugInBoard(1, false);
    EXPECT_FALSE(multi->IsPlugInBoardSelecting());
    EXPECT_EQ(b->cur[1], 0x55);
    EXPECT_EQ(multi->PlugInBoards().GetSelectedPlugInBoardNo(), 1);

    // Without selection in force, or with no board, nothing is copied.
    const unsigned char w[1] = {0x11};
    ASSERT_TRUE(multi->SetData(0, kNative, w, linked, LINK_OFF, MIDI_OFF, false, 0));
    multi->SelectPlugInBoard(1, false);
    EXPECT_EQ(b->cur[1], 0x55);
    multi->SelectPlugInBoard(1, true);
    multi->SelectPlugInBoard(-1, false);
    EXPECT_EQ(b->cur[1], 0x55);
    EXPECT_EQ(multi->PlugInBoards().GetSelectedPlugInBoardNo(), -1);
}

TEST_F(BoardTest, TheVoiceMapsRequestsGoToTheMultiMap)
{
    ASSERT_TRUE(maps.voiceOk);
    CPrmCtrl& voice = *maps.voice;
    voice.SelectPlugInBoard(1, true);
    EXPECT_EQ(multi->PlugInBoards().GetSelectedPlugInBoardNo(), 1);
    EXPECT_TRUE(multi->IsPlugInBoardSelecting());
    EXPECT_FALSE(voice.IsPlugInBoardSelecting());

    PLUGIN_BOARD_BLOCK* b = boardBlock(0);
    ASSERT_NE(b, nullptr);
    b->cur[1] = 0x66;
    voice.InitPlugInBoardData();
    EXPECT_EQ(b->cur, b->def);
}

TEST_F(BoardTest, TheBoardsEditBufferRoundTrips)
{
    QByteArray cache;
    ASSERT_TRUE(multi->PlugInBoards().cacheEditBuffer(&cache));
    PLUGIN_BOARD_BLOCK* b = boardBlock(0);
    ASSERT_NE(b, nullptr);
    const unsigned char was = b->cur[1];
    b->cur[1] = (unsigned char)(was ^ 0x3F);
    ASSERT_TRUE(multi->PlugInBoards().restoreEditBuffer(&cache));
    EXPECT_EQ(b->cur[1], was);
}
