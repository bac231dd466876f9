// Special functions of surface items: category stepping, voice stepping over banks and
// the sustain switch.
#include "console/model/VoiceBanks.h"
#include "console/remote/RcParamInfo.h"
#include "console/remote/RemoteFunctionItems.h"
#include "SurfaceRig.h"

#include <QFile>
#include <QTemporaryDir>
#include <array>
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

TEST(RemoteFunctionItems, VoiceStepsPassOverABankWithoutVoices)
{
    SurfaceRig rig;
    // The first two preset banks with a board bank between them whose table names no
    // voice at all.
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("parts.ini"));
    {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[VoiceSelectType0]\nCategoryNum=3\n1=0,Normal Preset 1,PRE1,6,0,0\n"
                   "2=0,Silent Board,SIL1,99,0,9\n3=0,Normal Preset 2,PRE2,7,0,1\n");
    }
    CVoiceBanks banks;
    banks.SetPresetNameMap(rig.map());
    ASSERT_TRUE(banks.InitSettings(rig.api->memory()->VoiceMap(), ini));
    ASSERT_EQ(banks.GetNumVoices(0, 9), 0);
    const int last = banks.GetNumVoices(0, 0) - 1;
    ASSERT_GT(last, 0);
    CRemoteFunctionItems special(rig.map(), &banks, nullptr);
    unsigned char part1[3][3] = {{0x37, 0x00, 0x00}, {0x37, 0x00, 0x01}, {0x37, 0x00, 0x02}};
    _RCPARAM_INFO p;
    p.kind = CRemoteFunctionItems::Voice << 16;
    p.address = part1[0];
    struct Case
    {
        const char* name;
        std::array<int, 3> from; // MSB, LSB, number
        int step;
        std::array<int, 3> to;
    };
    const Case cases[] = {
        {"up from the last voice before it", {0, 0, last}, 1, {0, 1, 0}},
        {"down from the first voice after it", {0, 1, 0}, -1, {0, 0, last}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int n = 0; n < 3; ++n)
            ASSERT_TRUE(CRemoteFunctionItems::WriteValue(rig.map(), 0, part1[n], c.from[size_t(n)]));
        CRemoteFunctionItems::Result r;
        EXPECT_TRUE(special.Change(p, CRemoteFunctionItems::Relative, c.step, false, r));
        std::array<int, 3> now{};
        for (int n = 0; n < 3; ++n) {
            int32_t v = -1;
            int size = 0;
            ASSERT_TRUE(CRemoteFunctionItems::ReadValue(rig.map(), 0, part1[n], v, size));
            now[size_t(n)] = v;
        }
        EXPECT_EQ(now, c.to);
        EXPECT_EQ(r.value, c.to[2]);
    }
}

TEST(RemoteFunctionItems, CategorySelectStepsTheParameterAndSendsIt)
{
    SurfaceRig rig;
    std::vector<PARAM_SELECT_CATEGORY_DATA> lists[NS_Remote::kSelectLists];
    lists[2] = {{"Low ", "L", 0, 15, -1}, {"High ", "H", 16, 31, -1}};
    CRemoteFunctionItems special(rig.map(), rig.mng().m_pVoiceBanks, lists);
    unsigned char pan[3] = {0x37, 0x03, 0x0E};
    _RCPARAM_INFO p;
    p.kind = (CRemoteFunctionItems::CategorySelect << 16) | 2;
    p.address = pan;
    const struct {
        const char* name;
        int from, mode, step;
        bool handled;
        int to;            // -1: not changed
        const char* text;  // short text after the change
    } cases[] = {
        {"up into the next category", 14, CRemoteFunctionItems::Relative, 5, true, 16, "H16"},
        {"down inside a category", 20, CRemoteFunctionItems::Relative, -3, true, 17, "H17"},
        {"down out of the first", 2, CRemoteFunctionItems::Relative, -5, true, 0, "L0"},
        {"default is the first minimum", 25, CRemoteFunctionItems::Default, 0, true, 0, "L0"},
        {"absolute is left to the item", 5, CRemoteFunctionItems::Absolute, 9, false, -1, nullptr},
        {"outside every category", 40, CRemoteFunctionItems::Relative, 1, false, -1, nullptr},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(CRemoteFunctionItems::WriteValue(rig.map(), 0, pan, c.from)) << c.name;
        rig.clear();
        CRemoteFunctionItems::Result r;
        EXPECT_EQ(special.Change(p, c.mode, c.step, false, r), c.handled) << c.name;
        int32_t now = -1;
        int size = 0;
        ASSERT_TRUE(CRemoteFunctionItems::ReadValue(rig.map(), 0, pan, now, size)) << c.name;
        if (c.to < 0) {
            EXPECT_EQ(now, c.from) << c.name;
            EXPECT_TRUE(rig.instrumentMessages().isEmpty()) << c.name;
            continue;
        }
        EXPECT_EQ(now, c.to) << c.name;
        EXPECT_EQ(r.value, c.to) << c.name;
        EXPECT_EQ(r.text, QByteArray(c.text)) << c.name;
        ASSERT_EQ(rig.instrumentMessages().size(), 1) << c.name;
        EXPECT_EQ(rig.instrumentMessages().at(0).mid(4, 3), QByteArray(reinterpret_cast<const char*>(pan), 3)) << c.name;
        // Read back through the same item: the category's long name and the value.
        CRemoteFunctionItems::Result shown;
        ASSERT_TRUE(special.Read(p, true, shown)) << c.name;
        EXPECT_EQ(shown.text, QByteArray(c.to < 16 ? "Low " : "High ") + QByteArray::number(c.to)) << c.name;
    }
    // A list that is not there leaves the item to the ordinary handling.
    p.kind = (CRemoteFunctionItems::CategorySelect << 16) | 5;
    CRemoteFunctionItems::Result r;
    EXPECT_FALSE(special.Change(p, CRemoteFunctionItems::Relative, 1, false, r));
    EXPECT_FALSE(special.Read(p, false, r));
}

TEST(RemoteFunctionItems, InsertionSlotsNameThePartsWhoseSwitchIsOn)
{
    SurfaceRig rig;
    CRemoteFunctionItems special(rig.map(), rig.mng().m_pVoiceBanks, nullptr);
    // Four slots in a row, from the item's address on, hold 5, 3, 1 and 0.
    unsigned char slot[3] = {0x37, 0x02, 0x07};
    const int32_t values[4] = {5, 3, 1, 0};
    for (int n = 0; n < 4; ++n) {
        unsigned char a[3] = {slot[0], slot[1], (unsigned char)(slot[2] + n)};
        ASSERT_TRUE(CRemoteFunctionItems::WriteValue(rig.map(), 0, a, values[n]));
        int32_t back = -1;
        int size = 0;
        ASSERT_TRUE(CRemoteFunctionItems::ReadValue(rig.map(), 0, a, back, size));
        ASSERT_EQ(back, values[n]);
    }
    const struct {
        int part;
        bool reads;  // the slots name the part
    } cases[] = {{3, true}, {0, true} /* the fourth slot */, {5, true} /* the first */, {2, false}, {4, false}};
    for (const auto& c : cases) {
        _RCPARAM_INFO p;
        p.kind = (CRemoteFunctionItems::InsertSlots << 16) | uint32_t(c.part);
        p.address = slot;
        // Whatever the map's own switch says, a push toggles what the slots say.
        for (const bool before : {false, true}) {
            rig.map()->SetInsertStatus(c.part, before);
            ASSERT_EQ(rig.map()->IsInsertStatus(c.part), before) << c.part;
            CRemoteFunctionItems::Result r;
            ASSERT_TRUE(special.Read(p, true, r)) << c.part;
            EXPECT_EQ(r.value, c.reads ? 1 : 0) << c.part << " " << before;
            EXPECT_EQ(r.text, QByteArray(c.reads ? "1" : "0")) << c.part << " " << before;
            ASSERT_TRUE(special.Change(p, CRemoteFunctionItems::Absolute, 0, true, r)) << c.part;
            EXPECT_EQ(rig.map()->IsInsertStatus(c.part), !c.reads) << c.part << " " << before;
            EXPECT_EQ(r.value, c.reads ? 0 : 1) << c.part << " " << before;
        }
        rig.map()->SetInsertStatus(c.part, false);
    }
}
