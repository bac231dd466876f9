// Journey 1: the first start of the editor, with no settings and no project. The
// toolbar and the part mixer appear, the prompt for the preset voices receives them
// from the instrument, and a receive from the toolbar brings the instrument's multi
// into the mixer: every strip's pan, volume and voice as the instrument holds them.
#include "JourneyRig.h"
#include <QFileInfo>
#include <set>

using namespace Journeys;

namespace {

constexpr uint8_t kPartBlock = 0x37;
constexpr uint8_t kProgram = 0x02;
constexpr uint8_t kVolume = 0x0D;
constexpr uint8_t kPan = 0x0E;

// The instrument's multi for the receive: every part its own pan, volume and preset
// voice (bank PRESET 1..8, LSB 00..07).
int panOf(int part) { return (part * 9 + 5) % 128; }
int volumeOf(int part) { return 127 - part * 6; }
int bankOf(int part) { return part % 8; }
int programOf(int part) { return 10 + part * 7; }

class FirstStartJourney : public JourneyRig
{
protected:
    // The name of a preset voice as the instrument stores it (PRESET 1..8 framed 40..47).
    QString presetName(int bank, int program) const
    {
        const Bytes record = instrument().image().voice(uint8_t(0x40 + bank), program);
        return record.size() >= 10 ? QString::fromLatin1(reinterpret_cast<const char*>(record.data()), 10).trimmed()
                                   : QString();
    }
};

} // namespace

TEST_F(FirstStartJourney, ToolbarMixerPresetVoicesAndTheInstrumentsMulti)
{
    step("the editor starts with no settings and no project");
    ASSERT_FALSE(QFileInfo::exists(m_options.projectPath)) << at() << "a project is there before the first start";
    ASSERT_TRUE(startHost({receivePresets()})) << at() << m_failure;

    step("the toolbar and the part mixer appear");
    ASSERT_TRUE(waitFor([&] { return toolbar() && toolbar()->isVisible(); })) << at() << "no toolbar";
    for (const char* button :
         {"OpenButton", "SaveButton", "SetupButton", "TransmitButton", "ReceiveButton", "MixerButton"}) {
        ASSERT_NE(toolbarButton(button), nullptr) << at() << "the toolbar has no " << button;
        EXPECT_TRUE(toolbarButton(button)->isVisible()) << at() << button << " is hidden";
    }
    EXPECT_EQ(documentLabel().toStdString(), "Untitled") << at();
    ASSERT_TRUE(waitFor([&] { return mixerView() && mixerView()->isVisible(); })) << at() << "the mixer did not open";
    EXPECT_EQ(editorWindow(mixerModule(), 1)->windowTitle().toStdString(), "Part Mixer") << at();
    ASSERT_EQ(strips().size(), kStrips) << at();

    step("the preset prompt receives the instrument's preset voices");
    ASSERT_TRUE(waitAnswered(60000)) << at() << dialogFailure();
    // A request names its bank's framing byte after the address's first byte:
    // F0 43 2n 5C aa 4b vv .. F7, the preset banks framed 40..48.
    std::set<int> presetBanks;
    for (const Instrument::Received& r : instrument().received(Kind::BulkRequest))
        if (r.bytes.size() > 7 && r.bytes[5] >= 0x40 && r.bytes[5] <= 0x48)
            presetBanks.insert(r.bytes[5]);
    EXPECT_EQ(presetBanks.size(), 9u) << at() << "only " << presetBanks.size() << " of the 9 preset banks were asked for";

    // Every part plays PRESET 1's first voice: its name comes from the received data.
    ASSERT_TRUE(waitFor([&] {
        return NS_MixerTest::voiceNameOf(mixerView(), 0)->text().trimmed() == presetName(0, 0);
    })) << at() << "part 1 shows \"" << NS_MixerTest::voiceNameOf(mixerView(), 0)->text().toStdString()
        << "\", not the first preset voice's name";

    step("the instrument holds another multi; Receive on the toolbar brings it in");
    bool written = true;
    instrument().editImage([&](NS_Simulator::SimMemoryImage& image) {
        for (int p = 0; p < kStrips; ++p) {
            const uint8_t pp = uint8_t(p);
            written &= image.writeEdit({kPartBlock, pp, 0x00}, {0x00, uint8_t(bankOf(p)), uint8_t(programOf(p))});
            written &= image.writeEdit({kPartBlock, pp, kVolume}, {uint8_t(volumeOf(p))});
            written &= image.writeEdit({kPartBlock, pp, kPan}, {uint8_t(panOf(p))});
        }
    });
    ASSERT_TRUE(written) << at() << "the instrument's image took no pattern";
    ASSERT_NE(toolbarButton("ReceiveButton"), nullptr) << at();
    answer({{QStringLiteral("ReceivingDialog"), [](QWidget*) { return false; }, true}});
    press(toolbarButton("ReceiveButton"));
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();

    step("the mixer shows the instrument's multi on every strip");
    const QList<QWidget*> all = strips();
    const auto shown = [&](int p) {
        return control<CDial_VANTREL_KXE>(all[p], "ChPan")->value() == panOf(p)
               && NS_MixerTest::voiceNameOf(mixerView(), p)->text().trimmed() == presetName(bankOf(p), programOf(p));
    };
    ASSERT_TRUE(waitFor([&] {
        for (int p = 0; p < kStrips; ++p)
            if (!shown(p))
                return false;
        return true;
    })) << at() << "not every strip shows its part";
    for (int p = 0; p < kStrips; ++p) {
        auto* fader = control<CFader_VANTREL_KXE>(all[p], "ChannelFader");
        EXPECT_EQ(fader->value(), volumeOf(p)) << at() << "part " << p + 1 << "'s fader";
    }
}
