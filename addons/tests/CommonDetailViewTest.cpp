// The common detail window bound to the shipped data folder: effect pages retitled by
// their effect type, the multi name as a user types it, the arpeggio type display, the
// control surface's focus requests, and controls whose address names nothing.
#include "DetailViewRig.h"
#include "memapi/tests/fakes/FakeMemAPI.h"

using namespace DetailTest;

namespace {

constexpr int kCommonElement = 54; // the multi common block 36 00, channel 0
constexpr int kNameFirstParameter = 0;
constexpr int kArpTypeParameter = 20;
constexpr int kArpTempoParameter = 40;

class CommonDetailView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        companion()->DSL_setPrompter(&prompter);
        window = std::make_unique<DetailWindow>(commonLibrary(), api.api);
        ASSERT_TRUE(window->ready());
    }
    void TearDown() override
    {
        window.reset();
        companion()->DSL_setPrompter(nullptr);
    }
    NS_Utilities::TDocuSaveLoad* companion() { return dynamic_cast<NS_Utilities::TDocuSaveLoad*>(api->MAPI_qself()); }
    void set(int element, int parameter, int value, int channel = 0)
    {
        api->MAPI_setIndParam(short(element), short(parameter), short(channel), value,
                              api->MAPI_dirtyAllFlags(nullptr), IMemAPI::PostSetDirtyFlags);
    }
    int get(int element, int parameter, int channel = 0)
    {
        return api->MAPI_getIndParam(short(element), short(parameter), short(channel), false, nullptr);
    }
    QString storedName()
    {
        QString name;
        for (int i = 0; i < 10; ++i)
            name += QChar(get(kCommonElement, kNameFirstParameter + i));
        return name;
    }

    ApiHandle api;
    RecordingPrompter prompter;
    std::unique_ptr<DetailWindow> window;
};

} // namespace

TEST_F(CommonDetailView, EffectParameterLabelsFollowTheTypeAndUnnamedParametersHideTheirControls)
{
    struct Case
    {
        int page;
        const char* typeAddress;
        const char* parameterStem; // + 1..16
        const char* type;
        std::vector<const char*> names;
    };
    const Case cases[] = {
        {1, "FCkCommonReverb/kRevType", "FCkCommonReverb/kRevParam", "Hall Bright",
         {"Reverb Time", "Diffusion", "Initial Delay", "HPF Cutoff", "LPF Cutoff"}},
        {1, "FCkCommonReverb/kRevType", "FCkCommonReverb/kRevParam", "Spring Tank", {"Decay", "Drip"}},
        {2, "FCkCommonChorus/kChoType", "FCkCommonChorus/kChoParam", "Flanger Jet",
         {"LFO Frequency", "LFO Depth", "Feedback", "Delay Offset"}},
        {4, "FCkCommonMasterEF/kMasterEFType", "FCkCommonMasterEF/kMasterEFParam", "Compressor",
         {"Threshold", "Ratio", "Attack", "Release", "Output Level"}},
        // A type without parameters: every parameter cell goes.
        {4, "FCkCommonMasterEF/kMasterEFType", "FCkCommonMasterEF/kMasterEFParam", "Thru", {}},
        {1, "FCkCommonReverb/kRevType", "FCkCommonReverb/kRevParam", "No Effect", {}},
    };
    for (const Case& c : cases) {
        auto* popup = window->control<CPopup_VANTREL_KXE>(c.page, c.typeAddress);
        ASSERT_NE(popup, nullptr) << c.typeAddress;
        const int index = popup->labelList().indexOf(QLatin1String(c.type));
        ASSERT_GE(index, 0) << c.type << " is not among " << qPrintable(popup->labels().left(200));
        popup->setSelection(index);
        for (int p = 0; p < 16; ++p) {
            const QByteArray address = c.parameterStem + QByteArray::number(p + 1);
            auto* slider = window->control<CTextSlider_VANTREL_KXE>(c.page, address.constData());
            auto* dial = window->control<CDial_VANTREL_KXE>(c.page, address.constData());
            ASSERT_TRUE(slider && dial) << address.constData();
            QLabel* label = window->labelAfter(dial);
            ASSERT_NE(label, nullptr) << address.constData();
            const bool named = size_t(p) < c.names.size();
            const QString expected = named ? QLatin1String(c.names[size_t(p)]) : QString();
            EXPECT_EQ(label->text(), expected) << c.type << " parameter " << p + 1;
            EXPECT_EQ(label->toolTip(), expected) << c.type << " parameter " << p + 1;
            EXPECT_EQ(!dial->isHidden(), named) << c.type << " parameter " << p + 1;
            EXPECT_EQ(!slider->isHidden(), named) << c.type << " parameter " << p + 1;
            // A shown parameter takes its range from the type.
            if (named)
                EXPECT_GT(dial->maxValue(), dial->minValue()) << c.type << " parameter " << p + 1;
        }
    }
}

TEST_F(CommonDetailView, TheMultiNameTakesPrintableAsciiOnlyAndAnythingElseRestoresTheOldName)
{
    auto* editor = window->view->findChild<QLineEdit*>(QStringLiteral("MultiName"));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->maxLength(), 10);
    EXPECT_EQ(editor->text(), QStringLiteral("Init Multi")) << "the shipped default name";

    struct Case
    {
        QString typed;
        QString stored;   // the ten character parameters afterwards, 0 as '\0'
        QString shown;    // the editor afterwards
        bool warned;
    };
    const QString nul(QChar(0));
    const Case cases[] = {
        {QStringLiteral("Strings 8"), QStringLiteral("Strings 8") + nul, QStringLiteral("Strings 8"), false},
        {QStringLiteral("Pad"), QStringLiteral("Pad") + nul.repeated(7), QStringLiteral("Pad"), false},
        {QStringLiteral("0123456789"), QStringLiteral("0123456789"), QStringLiteral("0123456789"), false},
        // The yen sign is the instrument's backslash.
        {QStringLiteral("Yen\u00A5Name"), QStringLiteral("Yen\\Name") + nul.repeated(2), QStringLiteral("Yen\\Name"),
         false},
        {QStringLiteral("Caf\u00E9"), QStringLiteral("Yen\\Name") + nul.repeated(2), QStringLiteral("Yen\\Name"), true},
        {QStringLiteral("Tab\tName"), QStringLiteral("Yen\\Name") + nul.repeated(2), QStringLiteral("Yen\\Name"), true},
        {QStringLiteral("Ω Omega"), QStringLiteral("Yen\\Name") + nul.repeated(2), QStringLiteral("Yen\\Name"), true},
        {QStringLiteral("Del\u007F"), QStringLiteral("Yen\\Name") + nul.repeated(2), QStringLiteral("Yen\\Name"), true},
        // An empty name ends at its first character.
        {QString(), nul.repeated(10), QString(), false},
    };
    for (const Case& c : cases) {
        prompter.messages.clear();
        editor->setText(c.typed);
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_EQ(storedName(), c.stored) << qPrintable(c.typed);
        EXPECT_EQ(editor->text(), c.shown) << qPrintable(c.typed);
        EXPECT_EQ(prompter.messages.size(), c.warned ? 1 : 0) << qPrintable(c.typed);
        if (c.warned && !prompter.messages.isEmpty())
            EXPECT_EQ(prompter.messages.first(),
                      QStringLiteral("warning|TOVAR-VANTREL Editor|Use the ASCII characters only"));
    }
}

TEST_F(CommonDetailView, TheNameShownIsTheCharactersUpToTheFirstZero)
{
    auto* editor = window->view->findChild<QLineEdit*>(QStringLiteral("MultiName"));
    ASSERT_NE(editor, nullptr);
    const char* text = "Brass\0Left";
    for (int i = 0; i < 10; ++i)
        set(kCommonElement, kNameFirstParameter + i, uchar(text[i]));
    EXPECT_EQ(editor->text(), QStringLiteral("Brass"));
    set(kCommonElement, kNameFirstParameter + 5, '!');
    EXPECT_EQ(editor->text(), QStringLiteral("Brass!Left"));
}

TEST_F(CommonDetailView, TheArpeggioTypeDisplayNamesPresetTypesOnly)
{
    auto* display = window->view->findChild<CHotspotLabel_VANTREL_KXE*>(QStringLiteral("ArpType"));
    ASSERT_NE(display, nullptr);
    struct Case
    {
        int value;
        bool named;
    };
    for (const Case& c : {Case{0, true}, Case{1786, true}, Case{8192, false}, Case{16383, false}, Case{17, true}}) {
        set(kCommonElement, kArpTypeParameter, c.value);
        ASSERT_EQ(get(kCommonElement, kArpTypeParameter), c.value);
        EXPECT_EQ(!display->text().isEmpty(), c.named) << c.value << ": " << qPrintable(display->text());
    }
    // A click on it asks for the arpeggio type dialog.
    QTest::mouseClick(display, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(window->services.opened.size(), 1u);
    EXPECT_EQ(window->services.opened[0].module, Guid2QUuid(NS_AddOnIds::DialogsAddOn));
    EXPECT_EQ(window->services.opened[0].index, 10);
}

TEST_F(CommonDetailView, SurfaceFocusRequestsFocusTheBoundControlOfTheirParameter)
{
    window->frame->show();
    QApplication::setActiveWindow(window->frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->frame));
    window->showPage(0);
    auto* tempo = window->control<CDial_VANTREL_KXE>(0, "00kCommon/kCommARPTempo");
    auto* arpSwitch = window->control<COnOffButton_VANTREL_KXE>(0, "00kCommon/kCommARPSw");
    ASSERT_TRUE(tempo && arpSwitch);
    struct Case
    {
        int element, channel, parameter;
        QWidget* focused; // afterwards; null: as before
    };
    const Case cases[] = {
        {kCommonElement, 0, kArpTempoParameter, tempo},
        {kCommonElement, 0, 22, arpSwitch},
        // Not a parameter of this window: the focus stays.
        {kCommonElement, 1, kArpTempoParameter, nullptr},
        {55, 3, 14, nullptr},
        {kCommonElement, 0, 99, nullptr},
        // Already on the control of that parameter.
        {kCommonElement, 0, 22, arpSwitch},
    };
    for (const Case& c : cases) {
        QWidget* before = QApplication::focusWidget();
        QMetaObject::invokeMethod(window->view, "remoteFocusChanged", Q_ARG(int, c.element), Q_ARG(int, c.channel),
                                  Q_ARG(int, c.parameter));
        QWidget* expected = c.focused ? c.focused : before;
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == expected; }, 2000))
            << c.element << "/" << c.channel << "/" << c.parameter;
    }
}

// The tab buttons are toolkit buttons in the view's Tab chain: Tab or Shift+Tab
// reaches each from the controls of the page on show, and Space turns to its page.
TEST_F(CommonDetailView, TabReachesEachTabButtonAndSpaceTurnsToItsPage)
{
    window->frame->show();
    QApplication::setActiveWindow(window->frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->frame));
    window->showPage(7);
    auto* name = window->frameOfPage(7)->findChild<QLineEdit*>();
    ASSERT_NE(name, nullptr);
    name->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return name->hasFocus(); }));
    struct Case
    {
        int tab;
        bool backwards;
    };
    const Case cases[] = {{3, false}, {0, true}, {7, false}, {5, true}, {1, false}, {2, false}, {6, true}, {4, false}};
    for (const Case& c : cases) {
        ASSERT_TRUE(window->tabAndSpace(c.tab, c.backwards)) << "Tab" << c.tab << " is not in the Tab chain";
        EXPECT_EQ(window->currentPage(), c.tab);
        EXPECT_EQ(window->tabsOn(8), std::vector<int>{c.tab});
    }
}

TEST(CommonDetailUnresolved, ControlsWhoseAddressNamesNothingStayHiddenAndAreNeverFocused)
{
    // A memory API that knows only the arpeggiator's tempo and switch.
    FakeMemAPI api;
    api.defineName(QStringLiteral("kCommon/kCommARPTempo"), 54, 40);
    api.defineName(QStringLiteral("kCommon/kCommARPSw"), 54, 22);
    {
        DetailWindow window(commonLibrary(), &api);
        ASSERT_TRUE(window.ready());
        for (int page = 0; page < 8; ++page) {
            for (QWidget* control : window.frameOfPage(page)->findChildren<QWidget*>()) {
                auto* proxy = dynamic_cast<TMemProxy_VANTREL_KXE*>(control);
                if (!proxy || proxy->namedAddress().isEmpty())
                    continue;
                const bool known = proxy->namedAddress().endsWith(QLatin1String("kCommARPTempo"))
                                   || proxy->namedAddress().endsWith(QLatin1String("kCommARPSw"));
                EXPECT_EQ(!control->isHidden(), known) << qPrintable(proxy->namedAddress());
                if (QLabel* label = window.labelAfter(control); label && !known
                    && control->metaObject() != &CTextSlider_VANTREL_KXE::staticMetaObject)
                    EXPECT_FALSE(!label->isHidden()) << qPrintable(proxy->namedAddress());
            }
        }
        // Nothing unbound answers a focus request, nor writes anything.
        window.frame->show();
        QApplication::setActiveWindow(window.frame);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.frame));
        QWidget* before = QApplication::focusWidget();
        QMetaObject::invokeMethod(window.view, "remoteFocusChanged", Q_ARG(int, -1), Q_ARG(int, -1), Q_ARG(int, -1));
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), before);
        EXPECT_TRUE(api.writes.isEmpty());
    }
}
