#include "TestPaths.h"
#include "console/model/PrmCtrl.h"

#include <gtest/gtest.h>

namespace {

struct Taken
{
    int element, channel, parameter;
    bool operator==(const Taken& o) const
    {
        return element == o.element && channel == o.channel && parameter == o.parameter;
    }
};

std::vector<Taken> drain(CPrmCtrl& map)
{
    std::vector<Taken> out;
    int e = 0, c = 0, p = 0;
    while (map.GetEditorAddressChange(e, c, p))
        out.push_back({e, c, p});
    return out;
}

} // namespace

TEST(PrmCtrl, ChangedAddressesAreDeliveredOnceInRoundRobinOrder)
{
    CPrmCtrl map;
    int wakes = 0;
    map.SetChangeWaker([&] { ++wakes; });
    map.EditorAddressChanged({55, 3, 14});
    map.EditorAddressChanged({55, 3, 14});  // already pending
    map.EditorAddressChanged({1, 2, 0});
    map.EditorAddressChanged({54, 0, 96});
    EXPECT_EQ(wakes, 3);
    const auto first = drain(map);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_TRUE((first[0] == Taken{1, 2, 0}));
    EXPECT_TRUE((first[1] == Taken{54, 0, 96}));
    EXPECT_TRUE((first[2] == Taken{55, 3, 14}));
    // The walk continues after the key taken last (55/3/14) and wraps to the start; a
    // key queued behind the position waits for the next round.
    map.EditorAddressChanged({54, 0, 96});
    map.EditorAddressChanged({1, 2, 0});
    int e = 0, c = 0, p = 0;
    ASSERT_TRUE(map.GetEditorAddressChange(e, c, p));
    EXPECT_EQ(e, 1);
    map.EditorAddressChanged({55, 3, 14});
    ASSERT_TRUE(map.GetEditorAddressChange(e, c, p));
    EXPECT_EQ(e, 54);
    ASSERT_TRUE(map.GetEditorAddressChange(e, c, p));
    EXPECT_EQ(e, 55);
    EXPECT_FALSE(map.GetEditorAddressChange(e, c, p));
}

TEST(PrmCtrl, BuildFailureLeavesLaterPartsEmpty)
{
    CPrmCtrl map;
    EXPECT_FALSE(map.CreatePrmCtrl(0, fixturePath("reader.ini")));
    EXPECT_FALSE(map.ErrorText().isEmpty());
    EXPECT_EQ(map.GetBlkCount(), 0);
    EXPECT_EQ(map.MidiFormat().GetMidiTypeSize(), 0);
}

TEST(PrmCtrl, ValueTextsAndDirtyQueries)
{
    CPrmCtrl map;
    ASSERT_TRUE(map.CreatePrmCtrl(0, fixturePath("memmap.tpm"))) << map.ErrorText().toStdString();
    const unsigned char mode[3] = {0x37, 0x01, 0x02}, dual[1] = {0x01};
    char text[4];
    ASSERT_TRUE(map.GetValToStr(0, mode, dual, text, int(sizeof text)));
    EXPECT_STREQ(text, "Lay");  // cut to the buffer
    EXPECT_EQ(map.GetStrTblNum(), 2);
    EXPECT_EQ(map.GetStrTblKeyData(1, 2), QStringLiteral("Room"));
    EXPECT_EQ(map.GetBlkParamCount(1), 0);
    EXPECT_EQ(map.GetParamDirtyFlag(1, 5), 0);
    EXPECT_EQ(map.GetParamDirtyFlag(9, 0), 0);
    EXPECT_TRUE(map.SetParamDirtyFlag(0, mode, 1));
    QString s = QStringLiteral("Name \t ");
    StringTrimRight(s);
    EXPECT_EQ(s, QStringLiteral("Name"));
}
