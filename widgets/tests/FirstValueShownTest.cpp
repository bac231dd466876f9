// The first value a control reads from memory is shown whatever it is: also when it is
// the value the control already holds (0, or the minimum of a range the form gave it),
// which runs no value change. Bound the way a view binds (MAPI_assignServer) and the
// way a single control is bound and then notified; then once on the real memory API.
#include "WidgetTestSupport.h"
#include "appserver/CAppServer.h"
#include "console/memapi/tests/MemApiTestSupport.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include "widgets/CFader_VANTREL_KXE.h"
#include "widgets/CLabelDisplay_VANTREL_KXE.h"
#include "widgets/COnOffButton_VANTREL_KXE.h"
#include "widgets/CPixmapSwitcher_VANTREL_KXE.h"
#include "widgets/CPopup_VANTREL_KXE.h"
#include "widgets/CPullDownMenu_VANTREL_KXE.h"
#include "widgets/CRadioButton_VANTREL_KXE.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"
#include "widgets/StateDisplayWidget_VANTREL_KXE.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <tuple>

using namespace NS_WidgetTest;

namespace {

constexpr short kElement = 55, kParam = 40, kChannel = 2;

// Display texts unlike the plain number a control shows while it is not bound.
class TextMemAPI : public RecordingMemAPI
{
public:
    int32_t MAPI_getDisplayStringForValue(short, int, QString* text, QPixmap*, int value, int, short,
                                          short) override
    {
        if (text)
            *text = QStringLiteral("#%1").arg(value);
        return 0;
    }
};

// A dial or a fader shows its value through a label display fed by its text signal,
// as the windows place them.
template <class Control>
void feedLabel(QWidget* parent, Control* control)
{
    auto* label = new CLabelDisplay_VANTREL_KXE(parent, "display");
    label->resize(40, 14);
    QObject::connect(control, &Control::textualValueChange, label, &CLabelDisplay_VANTREL_KXE::setText);
}

QString labelText(QWidget* parent)
{
    auto* label = parent->findChild<CLabelDisplay_VANTREL_KXE*>(QStringLiteral("display"));
    return label ? label->text() : QStringLiteral("<no label>");
}

enum class Kind { TextSlider, TextSliderTable, Dial, Fader, OnOff, Popup, PullDown, RadioOnZero, RadioOnOne, StateDisplay };

// Makes the control as a form would (with the form's range when it gives one).
QWidget* make(Kind kind, QWidget* parent, int formMinimum, int formMaximum)
{
    const bool ranged = formMinimum <= formMaximum;
    switch (kind) {
    case Kind::TextSlider:
    case Kind::TextSliderTable: {
        auto* slider = new CTextSlider_VANTREL_KXE(parent, "value");
        slider->resize(33, 14);
        slider->setUseTableId(kind == Kind::TextSliderTable);
        if (ranged)
            slider->setRange(formMinimum, formMaximum);
        return slider;
    }
    case Kind::Dial: {
        auto* dial = new CDial_VANTREL_KXE(parent, "knob");
        dial->resize(26, 26);
        if (ranged)
            dial->setRange(formMinimum, formMaximum);
        dial->setNumberToolTip(true);
        feedLabel(parent, dial);
        return dial;
    }
    case Kind::Fader: {
        auto* fader = new CFader_VANTREL_KXE(parent, "fader");
        fader->resize(20, 137);
        if (ranged)
            fader->setRange(formMinimum, formMaximum);
        feedLabel(parent, fader);
        return fader;
    }
    case Kind::OnOff:
        return new COnOffButton_VANTREL_KXE(parent, "switch");
    case Kind::Popup: {
        auto* popup = new CPopup_VANTREL_KXE(parent, "popup");
        popup->resize(40, 16);
        popup->setLabels(QStringLiteral("Mono;Poly;Legato"));
        return popup;
    }
    case Kind::PullDown: {
        auto* menu = new CPullDownMenu_VANTREL_KXE(parent, "menu");
        menu->resize(50, 16);
        menu->setMenuItemList(QStringLiteral("Main;Out A;Out B"));
        return menu;
    }
    case Kind::RadioOnZero:
    case Kind::RadioOnOne: {
        auto* radio = new CRadioButton_VANTREL_KXE(parent, "radio");
        radio->setOnValue(kind == Kind::RadioOnZero ? 0 : 1);
        return radio;
    }
    case Kind::StateDisplay:
        return new StateDisplayWidget_VANTREL_KXE(parent, "state");
    }
    return nullptr;
}

// What the user sees of the control.
QString shown(Kind kind, QWidget* control)
{
    switch (kind) {
    case Kind::TextSlider:
    case Kind::TextSliderTable:
        return static_cast<CTextSlider_VANTREL_KXE*>(control)->valueText();
    case Kind::Dial:
    case Kind::Fader:
        return labelText(control->parentWidget());
    case Kind::OnOff:
        return static_cast<COnOffButton_VANTREL_KXE*>(control)->isChecked() ? QStringLiteral("on")
                                                                             : QStringLiteral("off");
    case Kind::Popup:
        return static_cast<CPopup_VANTREL_KXE*>(control)->text();
    case Kind::PullDown: {
        auto* menu = static_cast<CPullDownMenu_VANTREL_KXE*>(control);
        const QStringList items = menu->menuItemList().split(QLatin1Char(';'));
        return items.value(menu->selectedItem(), QStringLiteral("<none>"));
    }
    case Kind::RadioOnZero:
    case Kind::RadioOnOne:
        return static_cast<CRadioButton_VANTREL_KXE*>(control)->isChecked() ? QStringLiteral("on")
                                                                           : QStringLiteral("off");
    case Kind::StateDisplay:
        return QString::number(static_cast<StateDisplayWidget_VANTREL_KXE*>(control)->value());
    }
    return QString();
}

struct FirstValueCase
{
    const char* name;
    Kind kind;
    int formMinimum, formMaximum; // the form's range; minimum above maximum: none
    int minimum, maximum, value;  // the parameter
    const char* expected;
};

// How the control comes to its first value.
enum class Binding { View, SingleControl };

class FirstValueShown : public ::testing::TestWithParam<std::tuple<FirstValueCase, Binding>>
{
};

} // namespace

TEST_P(FirstValueShown, EvenWhenItIsTheValueTheControlHolds)
{
    const auto& [c, binding] = GetParam();
    TextMemAPI api;
    api.defineName(QStringLiteral("kThing"), kElement, kParam);
    api.setRange(kElement, kParam, c.minimum, c.maximum);
    api.poke(kElement, kParam, kChannel, c.value);
    QWidget view;
    QWidget* control = make(c.kind, &view, c.formMinimum, c.formMaximum);
    auto* proxy = dynamic_cast<TMemProxy_VANTREL_KXE*>(control);
    ASSERT_NE(proxy, nullptr);
    proxy->setNamedAddress(QStringLiteral("FEkThing"));
    // A window is made and polished before it is bound.
    for (QWidget* widget : view.findChildren<QWidget*>())
        widget->ensurePolished();

    if (binding == Binding::View) {
        ASSERT_EQ(api.MAPI_assignServer(&view, kChannel), 0);
    } else {
        ASSERT_EQ(api.MAPI_assignServerChannel(proxy, kChannel), 0);
        // The controls that wait for the first notification get it now.
        api.alert(kElement, kParam, kChannel);
    }
    ASSERT_TRUE(proxy->memAPIReady());
    EXPECT_EQ(shown(c.kind, control), QString::fromLatin1(c.expected));
    // Showing a value read from memory writes nothing back.
    EXPECT_TRUE(api.writes.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Controls, FirstValueShown,
    ::testing::Combine(
        ::testing::Values(
            // The text slider's default format shows tenths.
            FirstValueCase{"TextSliderAtZero", Kind::TextSlider, 1, 0, 0, 127, 0, "0.0"},
            FirstValueCase{"TextSliderAtItsFormMinimum", Kind::TextSlider, 40, 88, 40, 88, 40, "4.0"},
            FirstValueCase{"TextSliderTableAtZero", Kind::TextSliderTable, 1, 0, 0, 127, 0, "#0"},
            FirstValueCase{"DialAtZero", Kind::Dial, 0, 127, 0, 127, 0, "#0"},
            FirstValueCase{"DialAtItsFormMinimum", Kind::Dial, 40, 88, 40, 88, 40, "#40"},
            FirstValueCase{"FaderAtZero", Kind::Fader, 1, 0, 0, 1023, 0, "#0"},
            FirstValueCase{"FaderAtItsFormMinimum", Kind::Fader, 40, 88, 40, 88, 40, "#40"},
            FirstValueCase{"OnOffAtZero", Kind::OnOff, 1, 0, 0, 1, 0, "off"},
            FirstValueCase{"PopupAtZero", Kind::Popup, 1, 0, 0, 2, 0, "Mono"},
            FirstValueCase{"PullDownAtZero", Kind::PullDown, 1, 0, 0, 2, 0, "Main"},
            FirstValueCase{"RadioForZeroAtZero", Kind::RadioOnZero, 1, 0, 0, 2, 0, "on"},
            FirstValueCase{"RadioForOneAtZero", Kind::RadioOnOne, 1, 0, 0, 2, 0, "off"},
            FirstValueCase{"StateDisplayAtZero", Kind::StateDisplay, 1, 0, 0, 3, 0, "0"}),
        ::testing::Values(Binding::View, Binding::SingleControl)),
    [](const ::testing::TestParamInfo<std::tuple<FirstValueCase, Binding>>& info) {
        return std::string(std::get<0>(info.param).name)
               + (std::get<1>(info.param) == Binding::View ? "_View" : "_SingleControl");
    });

// The value texts on the real memory-API object: its binding blocks the controls'
// signals while it assigns them, and its display tables give the text.
struct RealCase
{
    const char* name;
    const char* address;
    short param;
    bool table; // the text slider shows the display table's text
};

class FirstValueShownOnTheInstrument : public ::testing::TestWithParam<RealCase>
{
protected:
    void SetUp() override
    {
        server = CAppServer::Instance();
        api->MAPI_associate(&bridge, &prefs, 0, nullptr);
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents();
        server->release();
    }

    CAppServer* server = nullptr;
    ApiHandle api;
    FakePrefs prefs;
    FakeBridge bridge;
};

TEST_P(FirstValueShownOnTheInstrument, ZeroShowsItsTextAtOnce)
{
    const RealCase& c = GetParam();
    constexpr short kPart = 3, kPartElement = 55;
    const int zero = api->MAPI_getIndParamMin(kPartElement, c.param, kPart, nullptr);
    api->MAPI_setIndParam(kPartElement, c.param, kPart, zero, 0, IMemAPI::PostNothing);
    QCoreApplication::processEvents();
    bridge.clear();

    auto view = std::make_unique<QWidget>();
    auto* slider = new CTextSlider_VANTREL_KXE(view.get(), "value");
    slider->resize(33, 14);
    slider->setUseTableId(c.table);
    slider->setNamedAddress(QString::fromLatin1(c.address));
    auto* fader = new CFader_VANTREL_KXE(view.get(), "fader");
    fader->resize(20, 137);
    fader->setNamedAddress(QString::fromLatin1(c.address));
    feedLabel(view.get(), fader);
    // Laid out and polished before binding, as a window is made before it is bound.
    view->ensurePolished();
    slider->ensurePolished();
    fader->ensurePolished();
    ASSERT_EQ(api->MAPI_assignServer(view.get(), kPart), 0);

    ASSERT_EQ(slider->value(), zero);
    QString expected;
    if (c.table)
        api->MAPI_getDisplayStringForValue(kPart, slider->tableId(), &expected, nullptr, zero, 0, kPartElement,
                                           c.param);
    else
        expected = QString::asprintf("%0.1f", zero / 10.0);
    EXPECT_FALSE(expected.trimmed().isEmpty());
    EXPECT_EQ(slider->valueText(), expected);

    // The label holds the fader's own text of the value, not the number it was given
    // before the fader was bound.
    QString faderText;
    QObject::connect(fader, &CFader_VANTREL_KXE::textualValueChange, [&](const QString& text) { faderText = text; });
    ASSERT_EQ(fader->value(), zero);
    const QString shownAfterBinding = labelText(view.get());
    fader->emit_textualValueChange();
    EXPECT_EQ(shownAfterBinding, faderText);
    EXPECT_TRUE(bridge.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    PartParameters, FirstValueShownOnTheInstrument,
    ::testing::Values(RealCase{"PanAtItsMinimumAsATableText", "FEkMixPart/kPartPan", 14, true},
                      RealCase{"VolumeAtZeroAsANumber", "FEkMixPart/kPartVolume", 13, false}),
    [](const ::testing::TestParamInfo<RealCase>& info) { return std::string(info.param.name); });

TEST(FirstFrameShown, ImageSwitcherInLabelPictureModeShowsFrameZeroFromTheStart)
{
    CPixmapSwitcher_VANTREL_KXE switcher;
    switcher.setUsesPalleteBitmap(true);
    switcher.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_first3.png", {30, 10}, 3)));
    switcher.setnSubImages(3);
    EXPECT_EQ(switcher.getCurrentImageID(), 0);
    EXPECT_EQ(switcher.grab().toImage().pixel(15, 5), frameColour(0));
    // Choosing the frame already shown stays silent and keeps it.
    switcher.setCurrentImage(0);
    EXPECT_EQ(switcher.grab().toImage().pixel(15, 5), frameColour(0));
    switcher.setCurrentImage(2);
    EXPECT_EQ(switcher.grab().toImage().pixel(15, 5), frameColour(2));
}
