// The surface's sustain items against the memory model's answer for the detail views:
// a part's sustain receive switch is inactive on the surface, and its change refused
// without a message to the instrument, exactly while the model hides the switch.
#include "console/remote/RcParamInfo.h"
#include "console/remote/RemoteFunctionItems.h"
#include "console/remote/RemoteTemplate.h"
#include "SurfaceRig.h"

#include <gtest/gtest.h>

namespace {

constexpr int kPartElement = 55;
constexpr int kSwitchElement = 2;
constexpr int kSustainSwitch = 11;

const PARAM_STR_INFO* sustainItem(const CRemoteTemplate& tpl, int part)
{
    for (const WINDOW_INFO& window : tpl.windows)
        for (const PARAM_STR_INFO& item : window.edit.items)
            if (CRemoteFunctionItems::CodeOf(item.kind) == CRemoteFunctionItems::Sustain && item.address.size() == 3
                && uint8_t(item.address[1]) == part)
                return &item;
    return nullptr;
}

} // namespace

TEST(SustainGate, SurfaceItemIsInactiveExactlyWhileTheModelHidesThePartsSustainSwitch)
{
    SurfaceRig rig;
    const CRemoteTemplate* tpl = rig.mng().surfaceTemplate();
    ASSERT_NE(tpl, nullptr);
    CRemoteFunctionItems special(rig.map(), rig.mng().m_pVoiceBanks, nullptr);
    const struct
    {
        int part, msb, lsb;
        bool applies;
    } cases[] = {{0, 0x00, 0x00, true},  {0, 0x7F, 0x00, false}, {5, 0x3F, 0x20, false}, {5, 0x3F, 0x01, true},
                 {15, 0x7F, 0x00, false}, {15, 0x00, 0x03, true}, {9, 0x3F, 0x41, true}};
    for (const auto& c : cases) {
        rig.api->MAPI_setIndParam(kPartElement, 0, short(c.part), c.msb, 0, IMemAPI::PostSetDirtyFlags);
        rig.api->MAPI_setIndParam(kPartElement, 1, short(c.part), c.lsb, 0, IMemAPI::PostSetDirtyFlags);
        bool shown = false, second = false;
        rig.api->MAPI_getIndParamEditState(kSwitchElement, kSustainSwitch, short(c.part), shown, second);
        EXPECT_EQ(shown, c.applies) << c.part << " " << c.msb << "/" << c.lsb << ": the model";

        const PARAM_STR_INFO* item = sustainItem(*tpl, c.part);
        ASSERT_NE(item, nullptr) << c.part;
        QByteArray address = item->address;
        _RCPARAM_INFO p;
        p.category = item->format;
        p.address = reinterpret_cast<unsigned char*>(address.data());
        p.kind = item->kind;
        CRemoteFunctionItems::Result r;
        const bool handled = special.Read(p, true, r);
        EXPECT_EQ(handled && !r.valid, !c.applies) << c.part << " " << c.msb << "/" << c.lsb << ": the surface";
        rig.clear();
        const int before = rig.value(0x37, c.part, 0x20);
        EXPECT_EQ(special.Change(p, CRemoteFunctionItems::Relative, 1, true, r), !c.applies) << c.part;
        if (!c.applies) {
            EXPECT_TRUE(rig.instrumentMessages().isEmpty()) << c.part;
            EXPECT_EQ(rig.value(0x37, c.part, 0x20), before) << c.part;
        }
    }
}
