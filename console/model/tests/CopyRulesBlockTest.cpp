// Block copies by the block copy rules: the empty voice brings the category's init
// data, a preset bank brings the stored voice, and both stay inside their blocks.
#include "PrmCtrlTestSupport.h"
#include "console/model/VceMem.h"

#include <gtest/gtest.h>

namespace {

class BlockCopyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(maps.multiOk) << maps.multi->ErrorText().toStdString();
        map = maps.multi.get();
        ASSERT_EQ(map->CopyBlkInfo().GetRuleCount(), 2);
        maps.port.sent.clear();
    }
    void poke(int part, unsigned char prm, unsigned char v)
    {
        const unsigned char a[3] = {0x37, (unsigned char)part, prm};
        bool linked = false;
        ASSERT_TRUE(map->EditorBlk().SetData(0, a, &v, linked, LINK_OFF, MIDI_OFF, false, 0));
    }
    int peek(int part, unsigned char prm)
    {
        const unsigned char a[3] = {0x37, (unsigned char)part, prm};
        unsigned char v[1] = {};
        return map->GetData(0, a, v) ? v[0] : -1;
    }
    int def(int part, unsigned char prm)
    {
        const unsigned char a[3] = {0x37, (unsigned char)part, prm};
        unsigned char* d = nullptr;
        unsigned char size = 0;
        return map->GetDef(0, a, d, size) ? d[0] : -1;
    }

    RuleMaps maps{multiWithRules(), false};
    CPrmCtrl* map = nullptr;
};

} // namespace

TEST_F(BlockCopyTest, TheEmptyVoiceBringsTheInitDataOfTheCategory)
{
    poke(0, 0x0D, 0x01);
    poke(1, 0x0D, 0x02);
    poke(2, 0x0D, 0x03);
    map->CopyBlkData(0, COPY_BLKADRINFO(), 0, 0, 1, fixturePath(""));
    EXPECT_EQ(peek(0, 0x0D), def(0, 0x0D));
    EXPECT_EQ(peek(1, 0x0D), def(1, 0x0D));
    EXPECT_EQ(peek(2, 0x0D), 0x03);  // not in the rule's block list
    EXPECT_EQ(peek(2, 0x14), 4);    // the budget: no other instance plus the offset
    EXPECT_TRUE(maps.port.sent.isEmpty());
    EXPECT_TRUE(drainChanges(*map).empty());
}

TEST_F(BlockCopyTest, APresetBankBringsTheStoredVoice)
{
    int count = 0, size = 0;
    const unsigned char volume[3] = {0x37, 0x00, 0x0D}, value = 0x2A;
    ASSERT_TRUE(map->VceMem()->SetData(0, 0, volume, &value, count, size));
    poke(0, 0x02, 0x05);
    poke(0, 0x0D, 0x01);
    map->CopyBlkData(0, COPY_BLKADRINFO(), 0, 0, 1, fixturePath(""));
    EXPECT_EQ(peek(0, 0x0D), 0x2A);
    EXPECT_EQ(peek(2, 0x14), 4);
    EXPECT_TRUE(maps.port.sent.isEmpty());
}

TEST_F(BlockCopyTest, UnknownTriggersBanksAndRulesChangeNothing)
{
    poke(0, 0x0D, 0x01);
    map->CopyBlkData(0, COPY_BLKADRINFO(), 0, 7, 1, fixturePath(""));  // no entry of value 7
    map->CopyBlkData(5, COPY_BLKADRINFO(), 0, 0, 1, fixturePath(""));  // no rule 5
    map->CopyBlkData(0, COPY_BLKADRINFO(), 9, 0, 1, fixturePath(""));  // no entry 9
    map->CopyBlkData(0, COPY_BLKADRINFO(), -1, 0, 1, fixturePath(""));
    poke(0, 0x02, 0x06);  // a program the preset file does not list
    map->CopyBlkData(0, COPY_BLKADRINFO(), 0, 0, 1, fixturePath(""));
    EXPECT_EQ(peek(0, 0x0D), 0x01);
}
