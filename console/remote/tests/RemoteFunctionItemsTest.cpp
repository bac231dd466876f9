// Special functions of surface items: category stepping and the sustain switch.
#include "console/remote/RcParamInfo.h"
#include "console/remote/RemoteFunctionItems.h"
#include "SurfaceRig.h"

#include <gtest/gtest.h>

TEST(RemoteFunctionItems, CategoryStepsLandOnTheNearestEndOfTheNeighbour)
{
    const std::vector<PARAM_SELECT_CATEGORY_DATA> lists = {{"Low", "L", 0, 15, -1}, {"High", "H", 16, 31, -1}};
    const struct {
        int from, step;
        bool ok;
        int to;
    } cases[] = {{14, 5, true, 16},   {16, -1, true, 15}, {20, 100, true, 31}, {3, -10, true, 0},
                 {0, -1, true, 0},    {31, 1, true, 31},  {10, 3, true, 13},   {40, 1, false, 0},
                 {15, 1, true, 16},   {-1, 1, false, 0}};
    for (const auto& c : cases) {
        int out = -99;
        EXPECT_EQ(CRemoteFunctionItems::CategoryStep(lists, c.from, c.step, out), c.ok) << c.from << " " << c.step;
        if (c.ok)
            EXPECT_EQ(out, c.to) << c.from << " " << c.step;
    }
}

TEST(RemoteFunctionItems, SustainSwitchIsInactiveOnlyWhileItsControlIs)
{
    SurfaceRig rig;
    CRemoteFunctionItems special(rig.map(), rig.mng().m_pVoiceBanks, nullptr);
    // Effect parameter 16 of the reverb has no control under "No Effect": an item of
    // code 35 on it shows as inactive and changes nothing.
    unsigned char inactive[3] = {0x36, 0x01, 0x20};
    unsigned char sustain[3] = {0x37, 0x00, 0x20};
    PRMINFO info;
    ASSERT_TRUE(rig.map()->GetPrmInfo(0, inactive, info));
    ASSERT_GE(info.dispStyle, 65535);
    _RCPARAM_INFO p;
    p.kind = CRemoteFunctionItems::Sustain << 16;
    p.address = inactive;
    CRemoteFunctionItems::Result r;
    EXPECT_TRUE(special.Read(p, true, r));
    EXPECT_FALSE(r.valid);
    rig.clear();
    EXPECT_TRUE(special.Change(p, CRemoteFunctionItems::Relative, 1, true, r));
    EXPECT_TRUE(rig.instrumentMessages().isEmpty());
    // The part's receive-switch byte holding the sustain switch is active: the
    // ordinary handling takes it.
    p.address = sustain;
    EXPECT_FALSE(special.Read(p, true, r));
    EXPECT_FALSE(special.Change(p, CRemoteFunctionItems::Absolute, 0, true, r));
}
