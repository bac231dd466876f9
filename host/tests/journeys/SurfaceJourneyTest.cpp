// Journey 6: the control surface. The host offers the simulated surface on its second
// port pair; the editor, a plug-in here, takes it over at its remote key, which the host
// presses as its --surface-key option asks once the page is shown. A fader and
// an encoder moved on the surface move part 1's fader and part 3's pan knob in the
// mixer, and the surface's page keys open the common window and part 4's window at the
// pages they name.
#include "JourneyRig.h"
#include <QStackedWidget>

using namespace Journeys;

namespace {

// Keys of the surface by their number in its key list.
constexpr int kSelect1 = 0;  // strip select keys 0-7
constexpr int kEdit = 26;    // the part pages of the selected strip
constexpr int kRemote = 41;  // hands the surface to the editor
constexpr int kPageRight = 51; // the next page of the shown pages
constexpr int kCommon1 = 52;   // the first common page; the others follow it
constexpr int kPart4 = 3;

class SurfaceJourney : public JourneyRig
{
protected:
    // The part window the surface asked for, under either of its part's ids.
    QWidget* partWindow(int part) const
    {
        for (int id : {part + 1, part + 17})
            if (QWidget* w = editorWindow(partModule(), id); w && w->isVisible())
                return w;
        return nullptr;
    }
    // The page a detail window shows, or -1.
    static int shownPage(QWidget* window)
    {
        auto* pages = window ? window->findChild<QStackedWidget*>(QStringLiteral("TabPages")) : nullptr;
        return pages ? pages->currentIndex() : -1;
    }
    bool received(const Bytes& expected) const
    {
        for (const Instrument::Received& r : instrument().received(Kind::ParameterChange))
            if (r.bytes == expected)
                return true;
        return false;
    }
};

} // namespace

TEST_F(SurfaceJourney, FaderEncoderAndPageKeysMoveTheMixerAndOpenTheDetailWindows)
{
    step("the editor starts as a plug-in with the surface on the host's second port pair, and the "
         "host presses the surface's remote key once the page is shown (--surface-key remote)");
    m_options.surfaceKeys = {QStringLiteral("remote")};
    ASSERT_TRUE(startHost({closePresetPrompt()})) << at() << m_failure;
    ASSERT_EQ(strips().size(), kStrips) << at() << "the mixer did not open";
    ASSERT_NE(m_host->surface(), nullptr) << at() << "the host offers no surface";

    step("the remote key hands the surface to the editor: its lamp, the mixer page on the display");
    ASSERT_TRUE(waitFor([&] { return surface().lamp(kRemote) && surface().line(0).rfind("Part 1", 0) == 0; }))
        << at() << "the surface shows:\n" << surface().renderText();
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    EXPECT_TRUE(surface().remoteMode()) << at();

    step("fader 1 on the surface moved to the middle: part 1's fader in the mixer follows");
    auto* fader = control<CFader_VANTREL_KXE>(strips()[0], "ChannelFader");
    ASSERT_NE(fader, nullptr) << at();
    instrument().clearLogs();
    // 512 of 1023 is volume 64.
    surface().moveFader(0, 512);
    ASSERT_TRUE(waitFor([&] { return fader->value() == 64; }))
        << at() << "part 1's fader shows " << fader->value() << ", not 64";
    EXPECT_TRUE(waitFor([&] { return received(parameterChange({0x37, 0x00, 0x0D}, {64})); }))
        << at() << "the instrument did not receive part 1's volume 64";

    step("encoder 3 on the mixer's pan page turned four steps right: part 3's pan knob follows");
    auto* pan = control<CDial_VANTREL_KXE>(strips()[2], "ChPan");
    ASSERT_NE(pan, nullptr) << at();
    const int before = pan->value();
    surface().turnEncoder(2, 4);
    ASSERT_TRUE(waitFor([&] { return pan->value() == before + 4; }))
        << at() << "part 3's pan knob shows " << pan->value() << ", not " << before + 4;
    EXPECT_TRUE(waitFor([&] { return received(parameterChange({0x37, 0x02, 0x0E}, {uint8_t(before + 4)})); }))
        << at() << "the instrument did not receive part 3's pan";
    EXPECT_EQ(control<CDial_VANTREL_KXE>(strips()[1], "ChPan")->value(), before) << at() << "part 2's pan moved too";

    step("the first common page key on the surface opens the common window");
    ASSERT_EQ(editorWindow(commonModule(), 1), nullptr) << at() << "the common window is open before";
    surface().tapKey(kCommon1);
    ASSERT_TRUE(waitFor([&] { return editorWindow(commonModule(), 1) && editorWindow(commonModule(), 1)->isVisible(); }))
        << at() << "no common window; the surface shows:\n" << surface().renderText();
    EXPECT_TRUE(waitFor([&] { return shownPage(editorWindow(commonModule(), 1)) == 0; }))
        << at() << "the common window shows page " << shownPage(editorWindow(commonModule(), 1));

    step("the third common page key on the surface turns the common window to the chorus page");
    surface().tapKey(kCommon1 + 2);
    EXPECT_TRUE(waitFor([&] { return shownPage(editorWindow(commonModule(), 1)) == 2; }))
        << at() << "the common window shows page " << shownPage(editorWindow(commonModule(), 1));

    step("strip 4 selected and the part pages key on the surface open part 4's window");
    ASSERT_EQ(partWindow(kPart4), nullptr) << at() << "part 4's window is open before";
    surface().tapKey(kSelect1 + kPart4);
    surface().tapKey(kEdit);
    ASSERT_TRUE(waitFor([&] { return partWindow(kPart4) != nullptr; }))
        << at() << "no window of part 4; the surface shows:\n" << surface().renderText();
    auto* number = partWindow(kPart4)->findChild<QLabel*>(QStringLiteral("PartNumber"));
    ASSERT_NE(number, nullptr) << at();
    EXPECT_EQ(number->text().toStdString(), "4") << at() << "the window is not part 4's";

    step("the surface's page key steps part 4's window to its next page");
    const int first = shownPage(partWindow(kPart4));
    ASSERT_GE(first, 0) << at() << "part 4's window shows no page";
    surface().tapKey(kPageRight);
    EXPECT_TRUE(waitFor([&] { return shownPage(partWindow(kPart4)) == first + 1; }))
        << at() << "part 4's window shows page " << shownPage(partWindow(kPart4)) << ", not " << first + 1;
    EXPECT_TRUE(surface().faults().empty()) << at() << "the surface refused " << surface().faults().front();
}
