// The arpeggio-switch rule: parts whose switch is on keep one match value.
#include "PrmCtrlTestSupport.h"
#include "console/model/SpPrmInfo.h"

#include <gtest/gtest.h>

namespace {

class ArpSwitchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(maps.multiOk) << maps.multi->ErrorText().toStdString();
        map = maps.multi.get();
        // Every part: switch byte without the arpeggio bit, match value 4.
        for (int p = 0; p < 16; ++p) {
            poke(p, kSwitch, 0x7C);
            poke(p, kMatch, 0x04);
        }
        drainChanges(*map);
    }
    static constexpr unsigned char kSwitch = 0x1F;
    static constexpr unsigned char kMatch = 0x03;
    // Straight into the image, past the rules.
    void poke(int part, unsigned char prm, unsigned char v)
    {
        const unsigned char a[3] = {0x37, (unsigned char)part, prm};
        bool linked = false;
        ASSERT_TRUE(map->EditorBlk().SetData(0, a, &v, linked, LINK_OFF, MIDI_OFF, false, 0));
    }
    // Through the map, which applies the rules.
    void write(int part, unsigned char prm, unsigned char v)
    {
        const unsigned char a[3] = {0x37, (unsigned char)part, prm};
        bool linked = false;
        ASSERT_TRUE(map->SetData(0, a, &v, linked, LINK_OFF, MIDI_OFF, false, 0));
    }
    int peek(int part, unsigned char prm)
    {
        const unsigned char a[3] = {0x37, (unsigned char)part, prm};
        unsigned char v[1] = {};
        return map->GetData(0, a, v) ? v[0] : -1;
    }

    RuleMaps maps{multiWithRules(), false};
    CPrmCtrl* map = nullptr;
};

} // namespace

TEST_F(ArpSwitchTest, RulesAreReadForEveryPart)
{
    ASSERT_EQ(map->SpecialPrmInfo().GetRuleCount(), 1);
    const SPECIAL_PRM_DATA* rule = map->SpecialPrmInfo().GetRule(0);
    ASSERT_EQ(rule->switches.size(), 16u);
    EXPECT_EQ(rule->funcType, CSpecialPrmInfo::kArpSwitch);
    EXPECT_EQ(rule->switches[3].address, hexBytes("37 03 1F"));
    EXPECT_EQ(rule->matches[15].address, hexBytes("37 0F 03"));
}

TEST_F(ArpSwitchTest, SwitchingOnClearsOnlyPartsWithAnotherMatchValue)
{
    poke(1, kSwitch, 0x7E);
    poke(5, kSwitch, 0x7E);
    write(3, kSwitch, 0x7E);
    EXPECT_EQ(peek(1, kSwitch), 0x7E);
    EXPECT_EQ(peek(5, kSwitch), 0x7E);
    EXPECT_TRUE(drainChanges(*map).empty());

    poke(5, kMatch, 0x07);
    write(3, kSwitch, 0x7E);
    EXPECT_EQ(peek(1, kSwitch), 0x7E);
    EXPECT_EQ(peek(5, kSwitch), 0x7C);  // only the arpeggio bit goes
    EXPECT_EQ(peek(3, kSwitch), 0x7E);
    EXPECT_EQ(drainChanges(*map), (std::vector<Change>{{0x37, 5, kSwitch}}));
}

TEST_F(ArpSwitchTest, ChangingTheMatchValueClearsTheWrittenPartsOwnSwitch)
{
    poke(1, kSwitch, 0x02);
    poke(3, kSwitch, 0x02);
    write(3, kMatch, 0x09);
    EXPECT_EQ(peek(3, kSwitch), 0x00);
    EXPECT_EQ(peek(1, kSwitch), 0x02);
    EXPECT_EQ(drainChanges(*map), (std::vector<Change>{{0x37, 3, kSwitch}}));
}

TEST_F(ArpSwitchTest, ASwitchWithoutTheArpeggioBitChangesNothing)
{
    poke(1, kSwitch, 0x02);
    poke(1, kMatch, 0x08);
    write(3, kSwitch, 0x7D);
    EXPECT_EQ(peek(1, kSwitch), 0x02);
    EXPECT_TRUE(drainChanges(*map).empty());
}

TEST(ArpSwitchRule, OtherFunctionTypesNeverAct)
{
    QByteArray text = multiWithRules();
    text.replace("func_type=100", "func_type=101");
    RuleMaps maps(text, false);
    ASSERT_TRUE(maps.multiOk);
    ASSERT_EQ(maps.multi->SpecialPrmInfo().GetRuleCount(), 1);
    CPrmCtrl& map = *maps.multi;
    bool linked = false;
    const unsigned char on[1] = {0x02}, value[1] = {0x09};
    for (int p : {1, 3}) {
        const unsigned char a[3] = {0x37, (unsigned char)p, 0x1F};
        ASSERT_TRUE(map.SetData(0, a, on, linked, LINK_OFF, MIDI_OFF, false, 0));
    }
    const unsigned char match[3] = {0x37, 0x03, 0x03};
    ASSERT_TRUE(map.SetData(0, match, value, linked, LINK_OFF, MIDI_OFF, false, 0));
    const unsigned char sw[3] = {0x37, 0x03, 0x1F};
    unsigned char out[1] = {};
    ASSERT_TRUE(map.GetData(0, sw, out));
    EXPECT_EQ(out[0], 0x02);
}

TEST(ArpSwitchRule, RuleSectionsThatCannotBeReadAreLeftOut)
{
    QByteArray text = multiWithRules();
    text.replace("[param_special_func]\nsize=1\n0=ArpSwitchRule",
                 "[param_special_func]\nsize=3\n0=ArpSwitchRule\n1=NoSuchRule\n2=BadStep");
    text += "\n[BadStep]\nfunc_type=100\nrepeat_cnt=16\nrepeat_address=0001,00010\nparam_size=1\n0=0,37001F,0,370003\n";
    RuleMaps maps(text, false);
    ASSERT_TRUE(maps.multiOk);
    EXPECT_EQ(maps.multi->SpecialPrmInfo().GetRuleCount(), 1);
}
