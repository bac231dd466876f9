#include "fakes/FakeMemAPI.h"
#include "memapi/TMemSilentHelper.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {
class BoundWidget : public QWidget, public TMemProxy_VANTREL_KXE
{
public:
    void process(const uint8_t*, int operation, uint32_t) override { operations.push_back(operation); }
    void connectMemAPI() override { ++connects; }
    bool disableAutoHide() override { return keepShown; }
    std::vector<int> operations;
    int connects = 0;
    bool keepShown = false;
};
} // namespace

TEST(TMemProxy, BindingShowsAndConnectsOrHidesTheWidget)
{
    FakeMemAPI api;
    api.defineName("kPartPan", 55, 14);
    BoundWidget found;
    found.setNamedAddress("FEkPartPan");
    api.MAPI_assignServerChannel(&found, 5);
    EXPECT_EQ(found.connects, 1);
    EXPECT_FALSE(found.isHidden());
    EXPECT_EQ(found.channel(), 5);

    BoundWidget missing;
    missing.setNamedAddress("FEkNoSuchParameter");
    api.MAPI_assignServerChannel(&missing, 5);
    EXPECT_EQ(missing.connects, 0);
    EXPECT_TRUE(missing.isHidden());

    BoundWidget kept;
    kept.keepShown = true;
    kept.show();
    kept.setNamedAddress("FEkNoSuchParameter");
    api.MAPI_assignServerChannel(&kept, 5);
    EXPECT_FALSE(kept.isHidden());
}

TEST(TMemProxy, CommandOperationsAndSilentHelper)
{
    BoundWidget w;
    w.reset2defaults(0);
    w.reset2AltDefaults(0);
    EXPECT_EQ(w.operations, (std::vector<int>{1, 4}));
    unsigned char silent = 0;
    {
        TMemSilentHelper quiet(silent, 0);
        EXPECT_EQ(silent, 1);
        TMemSilentHelper loud(silent, 1);
        EXPECT_EQ(silent, 1);
    }
    EXPECT_EQ(silent, 0);
    EXPECT_EQ(w.numDefaultKind(), 1);
    EXPECT_TRUE(w.isUndoEnable());
}
