// A part's sustain receive switch as the part detail window and the control surface
// see it, over the part's voices: both follow the one parameter the switch depends on,
// so the window hides the switch exactly while the surface shows its item inactive and
// refuses to change it; with a voice that holds notes by the pedal both offer it.
#include "DetailViewRig.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "console/remote/RcParamInfo.h"
#include "console/remote/RemoteCtrlMng.h"
#include "console/remote/RemoteFunctionItems.h"
#include "console/remote/RemoteTemplate.h"
#include <QFileInfo>

using namespace DetailTest;

namespace {

constexpr int kPartElement = 55;
constexpr int kSwitchElement = 2;
constexpr int kSustainSwitch = 11;
constexpr int kFilterPage = 4;
constexpr int kReceiveSwitchPage = 6;
constexpr int kBankMsb = 0, kBankLsb = 1, kProgram = 2;

// The surface template's item of a part's sustain receive switch.
const PARAM_STR_INFO* sustainItem(const CRemoteTemplate& tpl, int part)
{
    for (const WINDOW_INFO& window : tpl.windows) {
        for (const PARAM_STR_INFO& item : window.edit.items) {
            if (CRemoteFunctionItems::CodeOf(item.kind) == CRemoteFunctionItems::Sustain && item.address.size() == 3
                && uint8_t(item.address[0]) == 0x37 && uint8_t(item.address[1]) == part)
                return &item;
        }
    }
    return nullptr;
}

struct Voice
{
    const char* name;
    int msb, lsb, program;
    bool holdsBySustain;
};

const Voice kVoices[] = {
    {"PRESET 1", 0x00, 0x00, 3, true},
    {"PRESET DR", 0x7F, 0x00, 0, false},
    {"USER 1", 0x3F, 0x00, 2, true},
    {"USER DR", 0x3F, 0x20, 5, false},
    {"PLUG-IN USER 1", 0x3F, 0x40, 1, true},
    // A bank select that names no bank plays PRESET 1.
    {"no such bank", 0x12, 0x20, 0, true},
    {"PRESET 8 after a drum voice", 0x00, 0x07, 9, true},
};

class SustainSwitchState : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        part = GetParam();
        window = std::make_unique<DetailWindow>(partLibrary(), api.api, part + 1);
        ASSERT_TRUE(window->ready());
        CPrmCtrl* multi = api->memory()->MultiMap();
        tpl = multi->RemoteCtrl().surfaceTemplate();
        if (!tpl) {
            // No surface attached: the template the editor would read for it.
            m_ownTemplate = std::make_unique<CRemoteTemplate>();
            ASSERT_TRUE(m_ownTemplate->MakeList(QFileInfo(shippedMultiTemplate()).absolutePath(), QStringLiteral("R5T")));
            tpl = m_ownTemplate.get();
        }
    }
    void TearDown() override { window.reset(); }
    void set(int element, int parameter, int value)
    {
        api->MAPI_setIndParam(short(element), short(parameter), short(part), value, api->MAPI_dirtyAllFlags(nullptr),
                              IMemAPI::PostSetDirtyFlags);
    }
    int get(int element, int parameter)
    {
        return api->MAPI_getIndParam(short(element), short(parameter), short(part), false, nullptr);
    }

    ApiHandle api;
    std::unique_ptr<DetailWindow> window;
    const CRemoteTemplate* tpl = nullptr;
    int part = 0;

private:
    std::unique_ptr<CRemoteTemplate> m_ownTemplate;
};

} // namespace

TEST_P(SustainSwitchState, WindowAndSurfaceAgreeOnTheSustainSwitchOverThePartsVoices)
{
    auto* button = window->control<COnOffButton_VANTREL_KXE>(kReceiveSwitchPage, "FEkEditorSwitches/kPartSustnSw");
    ASSERT_NE(button, nullptr);
    QLabel* label = window->labelAfter(button);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Sustn/Sostnt"));
    auto* feg = window->control<CDial_VANTREL_KXE>(kFilterPage, "FEkMixPart/kPartFEGDecay2Lvl");
    auto* pan = window->control<COnOffButton_VANTREL_KXE>(kReceiveSwitchPage, "FEkEditorSwitches/kPartPanSw");
    ASSERT_TRUE(feg && pan);
    const PARAM_STR_INFO* item = sustainItem(*tpl, part);
    ASSERT_NE(item, nullptr) << "the surface template has no sustain item for part " << part + 1;
    EXPECT_EQ(item->bitMask, kSustainSwitch % 8) << "the item names receive switch 11";

    CPrmCtrl* multi = api->memory()->MultiMap();
    CRemoteFunctionItems surface(multi, api->memory()->VoiceBanks(), nullptr);
    for (const Voice& v : kVoices) {
        set(kPartElement, kBankMsb, v.msb);
        set(kPartElement, kBankLsb, v.lsb);
        set(kPartElement, kProgram, v.program);

        bool shown = false, second = false;
        api->MAPI_getIndParamEditState(kSwitchElement, kSustainSwitch, short(part), shown, second);
        EXPECT_EQ(shown, v.holdsBySustain) << v.name << ": the memory model";
        EXPECT_EQ(!button->isHidden(), v.holdsBySustain) << v.name << ": the window's switch";
        EXPECT_EQ(!label->isHidden(), v.holdsBySustain) << v.name << ": its label";
        EXPECT_EQ(!feg->isHidden(), v.holdsBySustain) << v.name << ": the filter envelope's sustain level";
        EXPECT_FALSE(pan->isHidden()) << v.name << ": the other receive switches stay";

        // The surface's reading of the same switch: declined (the ordinary reading shows
        // the bit) while the switch applies, handled as inactive while it does not.
        QByteArray address = item->address;
        _RCPARAM_INFO p;
        p.category = item->format;
        p.address = reinterpret_cast<unsigned char*>(address.data());
        p.kind = item->kind;
        CRemoteFunctionItems::Result r;
        const bool handled = surface.Read(p, true, r);
        const bool surfaceActive = !handled || r.valid;
        EXPECT_EQ(surfaceActive, !button->isHidden()) << v.name << ": the surface sees what the window shows";

        // A turn of the surface's encoder changes the switch only where the window offers it.
        const int before = get(kSwitchElement, kSustainSwitch);
        CRemoteFunctionItems::Result changed;
        const bool refused = surface.Change(p, CRemoteFunctionItems::Relative, before ? -1 : 1, true, changed);
        EXPECT_EQ(refused, !v.holdsBySustain) << v.name;
        EXPECT_EQ(get(kSwitchElement, kSustainSwitch), before) << v.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Parts, SustainSwitchState, ::testing::Values(0, 3, 15),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Part" + std::to_string(info.param + 1);
                         });
