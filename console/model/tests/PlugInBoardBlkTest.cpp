#include "TestPaths.h"
#include "console/bulk/MidiFormat.h"
#include "console/model/EditorBlk.h"
#include "console/model/Mem.h"
#include "console/model/PlugInBoardBlk.h"
#include "console/model/VceMem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The board folder of the fixtures, with an editor block whose addresses the boards use.
class PlugInBoardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = fixturePath("voices/voicemap.tpm");
        ASSERT_TRUE(formats.MakeList(path)) << formats.ErrorText().toStdString();
        blk.InitSet(nullptr, &formats);
        ASSERT_TRUE(blk.MakeList(path)) << blk.ErrorText().toStdString();
        ASSERT_TRUE(boards.MakeList(fixturePath("voices/"), &blk));
    }
    CMidiFormat formats;
    CEditorBlk blk;
    CPlugInBoardBlk boards;
};

const unsigned char kBoardPart[3] = {0x34, 0x00, 0x00};

} // namespace

TEST_F(PlugInBoardTest, BoardsLoadLargestFirstAndEqualSizesInNameOrder)
{
    EXPECT_TRUE(boards.Folder().endsWith(QStringLiteral("/voices/PlugIn")));
    // Dune (no [vce_list]), Ember (a range above 127), Frost (sections naming each
    // other), Gale (no board section) and the folder Hollow.tpm are left out.
    ASSERT_EQ(boards.GetPlugInBoardNum(), 4);
    QStringList names;
    for (int i = 0; i < boards.GetPlugInBoardNum(); ++i)
        names << boards.GetBoard(i)->name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("AUREL-PLG1"), QStringLiteral("BRISK-PLG2"),
                                  QStringLiteral("COBALT-P3A"), QStringLiteral("COBALT-P3B")}));
    EXPECT_EQ(QFileInfo(boards.GetBoard(2)->path).size(), QFileInfo(boards.GetBoard(3)->path).size());
    EXPECT_GT(QFileInfo(boards.GetBoard(0)->path).size(), QFileInfo(boards.GetBoard(1)->path).size());
    EXPECT_EQ(boards.GetSelectedPlugInBoardNo(), -1);
}

TEST(PlugInBoardFolder, NoFolderMeansNoBoardsAndStillSucceeds)
{
    CPlugInBoardBlk boards;
    QTemporaryDir dir;
    EXPECT_TRUE(boards.MakeList(dir.path(), nullptr));
    EXPECT_EQ(boards.GetPlugInBoardNum(), 0);
    EXPECT_EQ(boards.GetTotalBlkSize(), 0);
    QByteArray buf;
    EXPECT_FALSE(boards.cacheEditBuffer(&buf));
    EXPECT_FALSE(boards.restoreEditBuffer(&buf));
}

TEST_F(PlugInBoardTest, IdentityNameAndPath)
{
    PLUGIN_BOARD_INFO info;
    ASSERT_TRUE(boards.GetPlugInBoardInfo(0, &info));
    EXPECT_EQ(info.name, QStringLiteral("AUREL-PLG1"));
    EXPECT_EQ(info.msb, 81);
    EXPECT_EQ(info.lsb, 0);
    EXPECT_EQ(info.product, 1);
    EXPECT_TRUE(info.path.endsWith(QStringLiteral("/PlugIn/Aurel.tpm")));
    EXPECT_EQ(info.voiceFile, QStringLiteral("Aurel_voice.ini"));
    EXPECT_FALSE(boards.GetPlugInBoardInfo(4, &info));
    EXPECT_FALSE(boards.GetPlugInBoardInfo(-1, &info));
    EXPECT_EQ(boards.GetPlugInBoardData(4), nullptr);
    EXPECT_EQ(boards.GetPlugInBoardBlk(-1), nullptr);
    EXPECT_EQ(boards.boardIdentifier2RTIdx(83 * 65536 + 0 * 256 + 4), 4);
    EXPECT_EQ(boards.boardIdentifier2RTIdx(81 * 65536 + 1), 1);
    EXPECT_EQ(boards.boardIdentifier2RTIdx(81 * 65536 + 2), 0);
}

TEST_F(PlugInBoardTest, VoiceListsFollowTheirSectionsAndRanges)
{
    EXPECT_EQ(boards.GetMSBCount(0), 2);
    EXPECT_EQ(boards.GetMSB(0, 1), 64);
    EXPECT_EQ(boards.GetMSB(0, 2), 0);
    EXPECT_EQ(boards.GetMSB(0, -1), 0);
    EXPECT_EQ(boards.GetMSBIndex(0, 64), 1);
    EXPECT_EQ(boards.GetMSBIndex(0, 99), 0);
    EXPECT_EQ(boards.GetLSBCount(0, 63), 2);
    EXPECT_EQ(boards.GetLSB(0, 63, 1), 1);
    EXPECT_EQ(boards.GetLSBIndex(0, 63, 1), 1);
    EXPECT_EQ(boards.GetLSBCount(7, 63), 0);
    EXPECT_EQ(boards.GetVoiceName(0, 63, 0, 0), QStringLiteral("Alpha Pad"));
    EXPECT_EQ(boards.GetVoiceName(0, 63, 0, 64), QStringLiteral("Beta Lead"));
    // Program 70 lies outside the 0..63 range its section was loaded for; 130 is no program.
    EXPECT_EQ(boards.GetVoiceName(0, 63, 0, 70), QStringLiteral("Silence"));
    EXPECT_EQ(boards.GetVoiceName(0, 63, 0, 127), QStringLiteral("Silence"));
    // A new LSB starts with 128 "Silence" names, even when its own line is out of range.
    EXPECT_EQ(boards.GetVoiceName(0, 63, 1, 5), QStringLiteral("Silence"));
    EXPECT_EQ(boards.GetVoiceName(0, 64, 0, 0), QStringLiteral("Gamma Bell"));
    EXPECT_EQ(boards.GetVoiceName(0, 99, 0, 0), QStringLiteral("Silent"));
    EXPECT_EQ(boards.GetVoiceName(0, 63, 7, 0), QStringLiteral("Silent"));
    EXPECT_EQ(boards.GetVoiceName(0, 63, 0, 128), QStringLiteral("Silent"));
    EXPECT_EQ(boards.GetVoiceName(0, 63, 0, -1), QStringLiteral("Silent"));
    EXPECT_EQ(boards.GetVoiceName(9, 63, 0, 0), QStringLiteral("Silent"));
}

TEST_F(PlugInBoardTest, SelectionSubstitutesBlocksAndTables)
{
    BLK b;
    BLKPRM p;
    DSOBJ table;
    // Nothing selected: the map's own 4-byte block, no board tables.
    ASSERT_TRUE(blk.GetBlkPrm(0, kBoardPart, b, p));
    EXPECT_EQ(b.memSize, 4);
    BLK copy = b;
    boards.CheckPlugInBoardBlk(copy);
    EXPECT_EQ(copy.curImage, b.curImage);
    EXPECT_FALSE(boards.GetPlugInBoardDispStyle(0, table));
    EXPECT_EQ(boards.GetPlugInBoardBlkList(), nullptr);
    EXPECT_EQ(boards.GetPlugInBoardAssignDataList(), nullptr);

    blk.SetPlugInBoards(&boards);
    boards.SetSelectedPlugInBoardNo(1);
    ASSERT_TRUE(blk.GetBlkPrm(0, kBoardPart, b, p));
    EXPECT_EQ(b.memSize, 6);
    EXPECT_EQ(b.curImage, boards.GetPlugInBoardData(1)->blocks[0]->cur.data());
    ASSERT_TRUE(boards.GetPlugInBoardDispStyle(0, table));
    EXPECT_EQ(table.rows.value(QStringLiteral("00")), QStringLiteral("Glass"));  // the first of two rows "00"
    EXPECT_EQ(table.rows.value(QStringLiteral("01")), QStringLiteral("Reed"));
    EXPECT_FALSE(boards.GetPlugInBoardDispStyle(1, table));
    ASSERT_NE(boards.GetPlugInBoardAssignStyleList(), nullptr);
    EXPECT_EQ(boards.GetPlugInBoardAssignStyleList()->at(0).maximum, 1);
    ASSERT_NE(boards.GetPlugInBoardAssignDataList(), nullptr);
    EXPECT_EQ(boards.GetPlugInBoardAssignDataList()->at(0).bytes,
              (std::vector<unsigned char>{0x00, 0x00, 0x01, 0x01}));

    boards.SetSelectedPlugInBoardNo(9);  // beyond the list selects none
    EXPECT_EQ(boards.GetSelectedPlugInBoardNo(), -1);
    ASSERT_TRUE(blk.GetBlkPrm(0, kBoardPart, b, p));
    EXPECT_EQ(b.memSize, 4);
}

TEST_F(PlugInBoardTest, EditBufferOfAllBoardsRoundTripsOnlyAtItsSize)
{
    ASSERT_EQ(boards.GetTotalBlkSize(), 4 * 6);
    QByteArray buf;
    ASSERT_TRUE(boards.cacheEditBuffer(&buf));
    ASSERT_EQ(buf.size(), 24);
    EXPECT_EQ(buf.at(6 + 5), 5);  // board 1's block, defaults 0..5
    boards.GetPlugInBoardData(1)->blocks[0]->cur[5] = 0x70;
    const QByteArray shorter = buf.left(23);
    EXPECT_FALSE(boards.restoreEditBuffer(&shorter));
    EXPECT_EQ(boards.GetPlugInBoardData(1)->blocks[0]->cur[5], 0x70);
    ASSERT_TRUE(boards.restoreEditBuffer(&buf));
    EXPECT_EQ(boards.GetPlugInBoardData(1)->blocks[0]->cur[5], 5);

    boards.GetPlugInBoardData(3)->blocks[0]->cur[0] = 0x33;
    boards.GetPlugInBoardData(3)->blocks[0]->ref[1] = 0x34;
    boards.InitPlugInBoardData();
    EXPECT_EQ(boards.GetPlugInBoardData(3)->blocks[0]->cur[0], 0);
    EXPECT_EQ(boards.GetPlugInBoardData(3)->blocks[0]->ref[1], 1);
}

TEST_F(PlugInBoardTest, VoiceCopiesGoIntoTheSelectedBoardsBlockWithinBothSizes)
{
    CVceMem mem;
    mem.InitSet(&blk, &formats, nullptr);
    ASSERT_TRUE(mem.MakeList(fixturePath("voices/voicemap.tpm"))) << mem.ErrorText().toStdString();
    blk.SetPlugInBoards(&boards);
    boards.SetSelectedPlugInBoardNo(0);
    unsigned char* v = mem.GetVoiceMem(0, 0, nullptr);
    for (int i = 18; i < 22; ++i)
        v[i] = (unsigned char)(0x60 + i);
    ASSERT_TRUE(mem.CopyToEditBuff(0, 0, false));
    const std::vector<unsigned char>& cur = boards.GetPlugInBoardData(0)->blocks[0]->cur;
    // The voice keeps 4 bytes for the block: the board's last two bytes stay.
    EXPECT_EQ(cur, (std::vector<unsigned char>{0x72, 0x73, 0x74, 0x75, 4, 5}));
}

TEST(PlugInBoardFiles, ABoardWithAMissingKeyOrBadBlockIsLeftOut)
{
    const QString src = fixturePath("voices/PlugIn/");
    QFile in(src + QStringLiteral("Brisk.tpm"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray good = in.readAll();
    const struct
    {
        const char* from;
        const char* to;
    } cases[] = {{"", ""},  // unchanged: the board loads
                 {"ProductNo=2\n", ""},
                 {"MemSize=6", "MemSize=0"},
                 {"0=340000,0,0,1", "0=3400,0,0,1"},
                 {"[BRD_ASSIGN]", "[BRD_ASSIGNS]"},
                 {"0=0,1,0\n", "0=0,1,4\n"},
                 {"VoiceFile=Brisk_voice.ini", "VoiceFile=Absent.ini"}};
    const QString path = fixturePath("voices/voicemap.tpm");
    CMidiFormat formats;
    CEditorBlk blk;
    ASSERT_TRUE(formats.MakeList(path));
    blk.InitSet(nullptr, &formats);
    ASSERT_TRUE(blk.MakeList(path));
    for (const auto& c : cases) {
        // A folder of its own each time: parsed templates are cached by path.
        QTemporaryDir dir;
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("PlugIn")));
        ASSERT_TRUE(QFile::copy(src + QStringLiteral("Brisk_voice.ini"),
                                dir.path() + QStringLiteral("/PlugIn/Brisk_voice.ini")));
        QByteArray text = good;
        ASSERT_TRUE(text.contains(c.from)) << c.from;
        if (*c.from)
            text.replace(c.from, c.to);
        QFile out(dir.path() + QStringLiteral("/PlugIn/Brisk.tpm"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
        out.close();
        CPlugInBoardBlk boards;
        EXPECT_TRUE(boards.MakeList(dir.path(), &blk));
        EXPECT_EQ(boards.GetPlugInBoardNum(), *c.from ? 0 : 1) << c.from;
        EXPECT_EQ(boards.LastDropReason().isEmpty(), !*c.from) << boards.LastDropReason().toStdString();
    }
}
