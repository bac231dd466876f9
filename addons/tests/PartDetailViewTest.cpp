// The part detail window bound to the shipped data folder: it serves the part of its
// id, names the part's bank and voice, hides the controls of parameters the voice
// lacks, answers only its own part's focus requests and opens its part's voice dialog.
#include "DetailViewRig.h"

using namespace DetailTest;

namespace {

constexpr int kPartElement = 55;
constexpr int kPart4 = 3;
constexpr int kBankMsb = 0, kBankLsb = 1, kProgram = 2;
constexpr int kFilterPage = 4;

class PartDetailView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Id 20 names part 4 without a menu entry.
        window = std::make_unique<DetailWindow>(partLibrary(), api.api, 20);
        ASSERT_TRUE(window->ready());
    }
    void TearDown() override { window.reset(); }
    void set(int parameter, int value, int part = kPart4)
    {
        api->MAPI_setIndParam(kPartElement, short(parameter), short(part), value, api->MAPI_dirtyAllFlags(nullptr),
                              IMemAPI::PostSetDirtyFlags);
    }
    // The bank as the voice list chooses it: MSB, then LSB, then the program.
    void selectVoice(int msb, int lsb, int program)
    {
        set(kBankMsb, msb);
        set(kBankLsb, lsb);
        set(kProgram, program);
    }
    QString shown(const char* name) const
    {
        auto* display = window->view->findChild<CHotspotLabel_VANTREL_KXE*>(QLatin1String(name));
        return display ? display->text() : QStringLiteral("<none>");
    }

    ApiHandle api;
    std::unique_ptr<DetailWindow> window;
};

} // namespace

TEST_F(PartDetailView, TheWindowServesThePartOfItsIdAndShowsItsNumber)
{
    auto* number = window->view->findChild<QLabel*>(QStringLiteral("PartNumber"));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->text(), QStringLiteral("4"));
    EXPECT_EQ(window->frame->windowTitle(), QStringLiteral("Part Detail 4"));
    for (QWidget* control : window->view->findChildren<QWidget*>()) {
        if (const TMemProxy_VANTREL_KXE* proxy = NS_DetailGrid::boundProxy(control))
            EXPECT_EQ(proxy->channel(), kPart4) << qPrintable(proxy->namedAddress());
    }
    // A value written for part 4 reaches part 4's dial, not another part's.
    auto* cutoff = window->control<CDial_VANTREL_KXE>(kFilterPage, "FEkMixPart/kPartCutoff");
    ASSERT_NE(cutoff, nullptr);
    set(23, 17, kPart4 + 1);
    set(23, 99);
    EXPECT_EQ(cutoff->value(), 99);
}

TEST_F(PartDetailView, BankAndVoiceNamesFollowThePartsVoice)
{
    struct Case
    {
        int msb, lsb, program;
        const char* bank;
    };
    for (const Case& c : {Case{0x00, 0x00, 0, "PRE1"}, Case{0x00, 0x01, 5, "PRE2"}, Case{0x7F, 0x00, 0, "PDR"},
                          Case{0x3F, 0x00, 1, "USR1"}, Case{0x3F, 0x20, 1, "UDR"}}) {
        selectVoice(c.msb, c.lsb, c.program);
        EXPECT_EQ(shown("BankName"), QLatin1String(c.bank)) << c.msb << "/" << c.lsb;
        EXPECT_FALSE(shown("VoiceName").isEmpty()) << c.msb << "/" << c.lsb << "/" << c.program;
    }
    // Another part's voice leaves this window's names alone.
    set(kBankLsb, 0x02, kPart4 + 2);
    EXPECT_EQ(shown("BankName"), QStringLiteral("UDR"));

    // A click on either name asks for this part's voice list.
    for (const char* name : {"BankName", "VoiceName"}) {
        auto* display = window->view->findChild<CHotspotLabel_VANTREL_KXE*>(QLatin1String(name));
        ASSERT_NE(display, nullptr);
        QTest::mouseClick(display, Qt::LeftButton, {}, QPoint(3, 3));
    }
    ASSERT_EQ(window->services.opened.size(), 2u);
    for (const RecordingServices::Opened& opened : window->services.opened) {
        EXPECT_EQ(opened.module, Guid2QUuid(NS_AddOnIds::DialogsAddOn));
        EXPECT_EQ(opened.index, kPart4 + 17);
    }
}

TEST_F(PartDetailView, ControlsOfParametersTheVoiceLacksAreHiddenWithTheirLabels)
{
    auto* depthDial = window->control<CDial_VANTREL_KXE>(kFilterPage, "FEkMixPart/kPartFEGDepth");
    auto* depthSlider = window->control<CTextSlider_VANTREL_KXE>(kFilterPage, "FEkMixPart/kPartFEGDepth");
    auto* cutoffDial = window->control<CDial_VANTREL_KXE>(kFilterPage, "FEkMixPart/kPartCutoff");
    ASSERT_TRUE(depthDial && depthSlider && cutoffDial);
    QLabel* depthLabel = window->labelAfter(depthDial);
    QLabel* cutoffLabel = window->labelAfter(cutoffDial);
    ASSERT_TRUE(depthLabel && cutoffLabel);
    EXPECT_EQ(depthLabel->text(), QStringLiteral("Depth"));

    struct Case
    {
        const char* voice;
        int msb, lsb, program;
        bool hasDepth;
    };
    const Case cases[] = {
        {"PRESET 1", 0x00, 0x00, 3, true},
        {"PRESET DR", 0x7F, 0x00, 0, false},
        {"PRESET 2", 0x00, 0x01, 9, true},
        {"USER DR", 0x3F, 0x20, 2, false},
        {"USER 1", 0x3F, 0x00, 2, true},
        // A bank select that names no bank plays PRESET 1.
        {"no such bank", 0x12, 0x20, 0, true},
    };
    for (const Case& c : cases) {
        selectVoice(c.msb, c.lsb, c.program);
        bool shownState = true, second = true;
        ASSERT_EQ(api->MAPI_getIndParamEditState(kPartElement, 44, kPart4, shownState, second), 0);
        EXPECT_EQ(shownState, c.hasDepth) << c.voice << ": the memory model";
        EXPECT_EQ(!depthDial->isHidden(), c.hasDepth) << c.voice;
        EXPECT_EQ(!depthSlider->isHidden(), c.hasDepth) << c.voice;
        EXPECT_EQ(!depthLabel->isHidden(), c.hasDepth) << c.voice;
        // The rest of the filter stays, whatever the voice.
        EXPECT_FALSE(cutoffDial->isHidden()) << c.voice;
        EXPECT_FALSE(cutoffLabel->isHidden()) << c.voice;
    }
}

TEST_F(PartDetailView, SurfaceFocusRequestsForAnotherPartDoNothing)
{
    window->frame->show();
    QApplication::setActiveWindow(window->frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->frame));
    window->showPage(kFilterPage);
    auto* cutoff = window->control<CDial_VANTREL_KXE>(kFilterPage, "FEkMixPart/kPartCutoff");
    auto* resonance = window->control<CDial_VANTREL_KXE>(kFilterPage, "FEkMixPart/kPartResonance");
    auto* attack = window->control<CDial_VANTREL_KXE>(kFilterPage, "FEkMixPart/kPartFEGAttackTime");
    auto* cutoffText = window->control<CTextSlider_VANTREL_KXE>(kFilterPage, "FEkMixPart/kPartCutoff");
    ASSERT_TRUE(cutoff && resonance && attack && cutoffText);
    attack->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return attack->hasFocus(); }, 2000));
    struct Case
    {
        int channel, parameter;
        QWidget* focused; // afterwards; null: as before
    };
    const Case cases[] = {
        {kPart4, 23, cutoff},
        {kPart4 + 1, 24, nullptr}, // part 5's resonance
        {0, 24, nullptr},
        {15, 24, nullptr},
        {kPart4, 24, resonance},
        {kPart4 - 1, 23, nullptr},
        {kPart4, 99, nullptr},
    };
    for (const Case& c : cases) {
        QWidget* before = QApplication::focusWidget();
        QMetaObject::invokeMethod(window->view, "remoteFocusChanged", Q_ARG(int, kPartElement), Q_ARG(int, c.channel),
                                  Q_ARG(int, c.parameter));
        QWidget* expected = c.focused ? c.focused : before;
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == expected; }, 2000))
            << "part " << c.channel + 1 << " parameter " << c.parameter;
    }
    // The value text of the cutoff has the focus already: it keeps it.
    cutoffText->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cutoffText->hasFocus(); }, 2000));
    QMetaObject::invokeMethod(window->view, "remoteFocusChanged", Q_ARG(int, kPartElement), Q_ARG(int, kPart4),
                              Q_ARG(int, 23));
    QCoreApplication::processEvents();
    EXPECT_TRUE(cutoffText->hasFocus());
}

// As in the common detail window: Tab reaches each tab button, and Space turns to its page.
TEST_F(PartDetailView, TabReachesEachTabButtonAndSpaceTurnsToItsPage)
{
    window->frame->show();
    QApplication::setActiveWindow(window->frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->frame));
    window->tab(0)->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->tab(0)->hasFocus(); }));
    struct Case
    {
        int tab;
        bool backwards;
    };
    const Case cases[] = {{2, false}, {6, false}, {0, true}, {4, true}, {5, false}, {1, true}, {3, false}};
    for (const Case& c : cases) {
        ASSERT_TRUE(window->tabAndSpace(c.tab, c.backwards)) << "Tab" << c.tab << " is not in the Tab chain";
        EXPECT_EQ(window->currentPage(), c.tab);
        EXPECT_EQ(window->tabsOn(7), std::vector<int>{c.tab});
    }
}
