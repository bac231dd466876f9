// The text slider: drag scaling, the texts it shows, typed numbers, click stepping and
// the wheel.
#include "WidgetTestSupport.h"
#include "tools/imagegen/ImageTable.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>

using namespace NS_WidgetTest;

namespace {

constexpr short kElement = 55, kParam = 22, kChannel = 2;

struct Bound
{
    RecordingMemAPI api;
    QWidget view;
    CTextSlider_VANTREL_KXE* slider;

    Bound(int minimum, int maximum, int value)
    {
        api.defineName(QStringLiteral("kShift"), kElement, kParam);
        api.setRange(kElement, kParam, minimum, maximum);
        api.poke(kElement, kParam, kChannel, value);
        slider = new CTextSlider_VANTREL_KXE(&view, "shift");
        slider->resize(40, 20);
        slider->setNamedAddress(QStringLiteral("FEkShift"));
        api.MAPI_assignServer(&view, kChannel);
        EXPECT_TRUE(api.writes.isEmpty()) << "the value from memory was written back";
    }
};

struct DragCase
{
    const char* name;
    int minimum, maximum, start;
    Qt::KeyboardModifiers modifiers;
    int up; // pixels moved up
    int expected;
};

class TextSliderDrag : public ::testing::TestWithParam<DragCase>
{
};

struct TextCase
{
    const char* name;
    int rangeDiv;
    const char* format;
    const char* unit;
    int value;
    const char* expected;
};

class TextSliderText : public ::testing::TestWithParam<TextCase>
{
};

} // namespace

TEST_P(TextSliderDrag, StepsScaleWithTheRangeUnlessShiftIsHeld)
{
    const DragCase& c = GetParam();
    Bound b(c.minimum, c.maximum, c.start);
    QSignalSpy moved(b.slider, &CTextSlider_VANTREL_KXE::dialMoved);
    press(b.slider, QPointF(10, 10), Qt::LeftButton, c.modifiers);
    drag(b.slider, QPointF(10, 10 - c.up));
    EXPECT_EQ(b.slider->value(), c.expected);
    EXPECT_EQ(moved.count(), 1);
    release(b.slider, QPointF(10, 10 - c.up));
    EXPECT_EQ(b.slider->value(), c.expected);
    ASSERT_FALSE(b.api.writes.isEmpty());
    EXPECT_EQ(b.api.writes.last().value, c.expected);
    EXPECT_EQ(b.api.writes.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextSliderDrag,
    ::testing::Values(DragCase{"Range127TimesTen", 0, 127, 50, Qt::NoModifier, 2, 60},
                      DragCase{"ShiftGivesSingleSteps", 0, 127, 50, Qt::ShiftModifier, 2, 51},
                      DragCase{"Range1000TimesHundred", 0, 1000, 500, Qt::NoModifier, 2, 600},
                      DragCase{"Range126SingleSteps", 0, 126, 50, Qt::NoModifier, 2, 51},
                      DragCase{"DownwardsAndClamped", 0, 127, 5, Qt::NoModifier, -4, 0},
                      DragCase{"OddPixelRoundsTowardsZero", 40, 88, 60, Qt::ShiftModifier, 3, 61}),
    [](const ::testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST_P(TextSliderText, FormatDividesAndTheUnitStaysText)
{
    const TextCase& c = GetParam();
    Bound b(0, 10000, 0);
    b.slider->setRangeDiv(c.rangeDiv);
    b.slider->setFormatLabel(QString::fromLatin1(c.format));
    b.slider->setValueLabel(QString::fromLatin1(c.unit));
    QString text;
    b.slider->stringForValue(c.value, text);
    EXPECT_EQ(text, QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextSliderText,
    ::testing::Values(TextCase{"Tenths", 10, "%0.1f", "", 125, "12.5"},
                      TextCase{"UnitWithPercentSign", 10, "%0.1f", "%", 125, "12.5%"},
                      TextCase{"UnitWithConversion", 1, "%0.0f", " %s%n", 7, "7 %s%n"},
                      TextCase{"FormatThatIsNoNumberConversion", 1, "%s", "", 7, "7.0"},
                      TextCase{"DivisorBelowOneIsTheSampleRate", 0, "%0.1f", "kHz", 24000, "0.5kHz"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST(TextSlider, MatchLabelTableTextAndLookupTakeOverTheText)
{
    Bound b(0, 127, 64);
    b.slider->setMatchValue(64);
    b.slider->setMatchLabel(QStringLiteral("C"));
    QString text;
    b.slider->stringForValue(64, text);
    EXPECT_EQ(text, QStringLiteral("C"));
    b.slider->setUseTableId(true);
    b.slider->stringForValue(64, text);
    EXPECT_EQ(text, QStringLiteral("C"));
    b.slider->stringForValue(3, text);
    EXPECT_EQ(text, QStringLiteral("3")); // the fake's display string

    b.slider->setLookupFunc([](QString& out, int value) {
        out = QStringLiteral("L%1").arg(value);
        return value != 0;
    });
    b.slider->stringForValue(5, text);
    EXPECT_EQ(text, QStringLiteral("L5"));

    // Unbound and without a lookup the text stays as it was.
    CTextSlider_VANTREL_KXE unbound;
    text = QStringLiteral("kept");
    unbound.stringForValue(5, text);
    EXPECT_EQ(text, QStringLiteral("kept"));
}

TEST(TextSlider, TypedNumberClickSteppingWheelAndKeys)
{
    Bound b(0, 127, 10);
    b.slider->acceptNum(3.45);
    EXPECT_EQ(b.slider->value(), 34);
    EXPECT_EQ(b.slider->valueText(), QStringLiteral("3.4"));
    b.slider->acceptNum(99999.0); // limited to the range
    EXPECT_EQ(b.slider->value(), 127);

    b.slider->setClickStepping(true);
    b.slider->setValue(20);
    QTest::mouseClick(b.slider, Qt::LeftButton, {}, QPoint(10, 2));
    EXPECT_EQ(b.slider->value(), 21);
    QTest::mouseClick(b.slider, Qt::LeftButton, {}, QPoint(10, 18));
    EXPECT_EQ(b.slider->value(), 20);

    wheel(b.slider, 240);
    EXPECT_EQ(b.slider->value(), 22);
    // Fine wheel steps add up instead of being lost.
    for (int i = 0; i < 8; ++i)
        wheel(b.slider, 15);
    EXPECT_EQ(b.slider->value(), 23);

    QTest::keyClick(b.slider, Qt::Key_End);
    EXPECT_EQ(b.slider->value(), 127);
    QTest::keyClick(b.slider, Qt::Key_PageDown);
    EXPECT_EQ(b.slider->value(), 117);
    QTest::keyClick(b.slider, Qt::Key_Home);
    EXPECT_EQ(b.slider->value(), 0);
    QTest::keyClick(b.slider, Qt::Key_Left);
    EXPECT_EQ(b.slider->value(), 0);
}

TEST(TextSlider, ValueFromMemoryIsNotWrittenBackAndAnEmptyRangeHolds)
{
    Bound b(0, 127, 10);
    QSignalSpy changed(b.slider, &CTextSlider_VANTREL_KXE::valueChanged);
    b.api.poke(kElement, kParam, kChannel, 99);
    b.api.alert(kElement, kParam, kChannel);
    EXPECT_EQ(b.slider->value(), 99);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(b.api.writes.isEmpty());

    // A placeholder range (maximum below the minimum) is one value, without overflow.
    Bound empty(0x7FFFFFF0, -0x7FFFFFF0, 0);
    EXPECT_EQ(empty.slider->minValue(), empty.slider->maxValue());
    press(empty.slider, QPointF(10, 10));
    drag(empty.slider, QPointF(10, -2000));
    release(empty.slider, QPointF(10, -2000));
    EXPECT_EQ(empty.slider->value(), 0x7FFFFFF0);
}

// ---- keys, the cursors of click stepping, tracking, numeric entry, forced updates

namespace {

struct KeyCase
{
    const char* name;
    Qt::Key key;
    int expected; // from 50 in 0 .. 127, page step 10
    bool accepted;
};

class TextSliderKeys : public ::testing::TestWithParam<KeyCase>
{
};

// Typed numbers through a table times ten.
class TableMemAPI : public RecordingMemAPI
{
public:
    QVector<int> floatTables;
    float MAPI_getIndFloatParam(int table, float number, int) override
    {
        floatTables.push_back(table);
        return number * 10;
    }
};

QImage cursorImage(const QWidget& w)
{
    return w.cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage arrowImage(bool up)
{
    return NS_Utilities::loadPixmap(QString::fromLatin1(up ? NS_Images::kCursorArrowUp : NS_Images::kCursorArrowDown))
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST_P(TextSliderKeys, StepOrAreLeftToTheParent)
{
    const KeyCase& c = GetParam();
    Bound b(0, 127, 50);
    QKeyEvent event(QEvent::KeyPress, c.key, Qt::NoModifier);
    event.setAccepted(false);
    QApplication::sendEvent(b.slider, &event);
    EXPECT_EQ(b.slider->value(), c.expected);
    EXPECT_EQ(event.isAccepted(), c.accepted);
    if (c.expected != 50) {
        ASSERT_EQ(b.api.writes.size(), 1);
        EXPECT_EQ(b.api.writes[0].value, c.expected);
    } else {
        EXPECT_TRUE(b.api.writes.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextSliderKeys,
    ::testing::Values(KeyCase{"Up", Qt::Key_Up, 51, true}, KeyCase{"Down", Qt::Key_Down, 49, true},
                      KeyCase{"PageUp", Qt::Key_PageUp, 60, true}, KeyCase{"PageDown", Qt::Key_PageDown, 40, true},
                      KeyCase{"Home", Qt::Key_Home, 0, true}, KeyCase{"End", Qt::Key_End, 127, true},
                      KeyCase{"Left", Qt::Key_Left, 50, false}, KeyCase{"Right", Qt::Key_Right, 50, false},
                      KeyCase{"Letter", Qt::Key_A, 50, false}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST(TextSlider, ClickSteppingShowsTheArrowOfTheHalfAndOfTheDragDirection)
{
    Bound b(0, 127, 50);
    ASSERT_TRUE(b.slider->setProperty("clickStepping", true));
    EXPECT_TRUE(b.slider->clickStepping());
    EXPECT_TRUE(b.slider->hasMouseTracking());
    const QImage up = arrowImage(true), down = arrowImage(false);
    auto hover = [&](int y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(10, y), QPointF(b.slider->mapToGlobal(QPoint(10, y))),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(b.slider, &move);
    };
    auto shows = [&](bool wantUp) {
        if (up.isNull())
            return b.slider->cursor().shape() == Qt::SizeVerCursor;
        return cursorImage(*b.slider) == (wantUp ? up : down);
    };
    hover(3);
    EXPECT_TRUE(shows(true));
    hover(17);
    EXPECT_TRUE(shows(false));
    EXPECT_EQ(b.slider->value(), 50); // hovering changes nothing

    press(b.slider, QPointF(10, 10), Qt::LeftButton, Qt::ShiftModifier);
    drag(b.slider, QPointF(10, 6));
    EXPECT_TRUE(shows(true));
    EXPECT_EQ(b.slider->value(), 52);
    drag(b.slider, QPointF(10, 8));
    EXPECT_TRUE(shows(false));
    EXPECT_EQ(b.slider->value(), 51);
    release(b.slider, QPointF(10, 8));
    EXPECT_EQ(b.slider->value(), 51); // moved: no extra click step
    release(b.slider, QPointF(10, 8)); // a second release changes nothing
    EXPECT_EQ(b.slider->value(), 51);
}

TEST(TextSlider, WithoutTrackingADragTakesEffectAtTheRelease)
{
    Bound b(0, 127, 50);
    ASSERT_TRUE(b.slider->setProperty("tracking", false));
    EXPECT_FALSE(b.slider->tracking());
    QSignalSpy moved(b.slider, &CTextSlider_VANTREL_KXE::dialMoved);
    press(b.slider, QPointF(10, 10), Qt::LeftButton, Qt::ShiftModifier);
    drag(b.slider, QPointF(10, 2));
    EXPECT_EQ(b.slider->value(), 50);
    EXPECT_EQ(moved.count(), 0);
    EXPECT_TRUE(b.api.writes.isEmpty());
    release(b.slider, QPointF(10, 2));
    EXPECT_EQ(b.slider->value(), 54);
    ASSERT_EQ(b.api.writes.size(), 1);
    EXPECT_EQ(b.api.writes[0].value, 54);
}

TEST(TextSlider, ADoubleClickOpensTheNumberEntryOnlyWhenEditable)
{
    Bound b(0, 1270, 125);
    b.view.show();
    QTest::mouseDClick(b.slider, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(b.slider->findChild<QLineEdit*>(), nullptr);

    ASSERT_TRUE(b.slider->setProperty("editable", true));
    ASSERT_TRUE(b.slider->setProperty("editFormat", QStringLiteral("%.2f")));
    EXPECT_EQ(b.slider->editFormat(), QStringLiteral("%.2f"));
    QTest::mouseDClick(b.slider, Qt::LeftButton, {}, QPoint(10, 10));
    auto* box = b.slider->findChild<QLineEdit*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), QStringLiteral("12.50"));
    box->setText(QStringLiteral("33.3"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(b.slider->value(), 333);
    EXPECT_EQ(b.slider->valueText(), QStringLiteral("33.3"));
    EXPECT_EQ(b.api.writes.last().value, 333);

    // Without a format of its own the entry shows one decimal.
    b.slider->setEditFormat(QString());
    QTest::mouseDClick(b.slider, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(box->text(), QStringLiteral("33.3"));
}

TEST(TextSlider, TypedNumbersGoThroughTheTableAndNeedAMemory)
{
    TableMemAPI api;
    QWidget view;
    api.defineName(QStringLiteral("kShift"), kElement, kParam);
    api.setRange(kElement, kParam, 0, 127);
    auto* slider = new CTextSlider_VANTREL_KXE(0, 127, 10, 0, &view, "table");
    EXPECT_EQ(slider->objectName(), QStringLiteral("table"));
    slider->acceptNum(5.0); // unbound: ignored
    EXPECT_EQ(slider->value(), 0);
    slider->setNamedAddress(QStringLiteral("FEkShift"));
    api.MAPI_assignServer(&view, kChannel);
    ASSERT_TRUE(slider->setProperty("useTableId", true));
    ASSERT_TRUE(slider->setProperty("tableId", 8));
    slider->acceptNum(4.4);
    EXPECT_EQ(slider->value(), 44);
    EXPECT_EQ(api.floatTables, QVector<int>{8});
    ASSERT_FALSE(api.writes.isEmpty());
    EXPECT_EQ(api.writes.last().value, 44);
}

TEST(TextSlider, AForcedUpdateShowsTheMemorysValueWithoutWritingIt)
{
    Bound b(0, 127, 10);
    EXPECT_EQ(b.slider->valueText(), QStringLiteral("1.0"));
    b.api.poke(kElement, kParam, kChannel, 77); // no alert
    b.slider->forceUpdate();
    EXPECT_EQ(b.slider->value(), 77);
    EXPECT_EQ(b.slider->valueText(), QStringLiteral("7.7"));
    EXPECT_TRUE(b.api.writes.isEmpty());

    CTextSlider_VANTREL_KXE unbound;
    unbound.setValueText(QStringLiteral("kept"));
    unbound.forceUpdate();
    EXPECT_EQ(unbound.valueText(), QStringLiteral("kept"));
}

TEST(TextSlider, TheDefaultLookupIsABlankAndAZeroRateDividesByOne)
{
    CTextSlider_VANTREL_KXE unbound;
    QString text = QStringLiteral("x");
    EXPECT_TRUE(unbound.valueLookup(text, 5));
    EXPECT_EQ(text, QStringLiteral(" "));
    unbound.setLookupFunc([](QString& out, int value) {
        out = QString::number(value * 2);
        return true;
    });
    EXPECT_TRUE(unbound.valueLookup(text, 5));
    EXPECT_EQ(text, QStringLiteral("10"));

    struct NoRate : RecordingMemAPI
    {
        int32_t MAPI_frequency(int32_t* s) override
        {
            if (s)
                *s = 0;
            return 0;
        }
    };
    NoRate api;
    QWidget view;
    api.defineName(QStringLiteral("kShift"), kElement, kParam);
    api.setRange(kElement, kParam, 0, 127);
    api.poke(kElement, kParam, kChannel, 12);
    auto* slider = new CTextSlider_VANTREL_KXE(&view);
    slider->setNamedAddress(QStringLiteral("FEkShift"));
    slider->setRangeDiv(0);
    api.MAPI_assignServer(&view, kChannel);
    EXPECT_EQ(slider->valueText(), QStringLiteral("12.0"));
}

TEST(TextSlider, FormPropertiesReachTheSliderAndGreyTextWhenDisabled)
{
    Bound b(0, 127, 50);
    struct Prop
    {
        const char* name;
        QVariant value;
    } props[] = {{"minValue", 10},
                 {"maxValue", 90},
                 {"lineStep", 4},
                 {"pageStep", 20},
                 {"value", 60},
                 {"valueLabel", QStringLiteral("ms")},
                 {"rangeDiv", 1},
                 {"formatLabel", QStringLiteral("%0.0f")},
                 {"matchValue", 0},
                 {"matchLabel", QStringLiteral("Off")},
                 {"enableFocusRect", true},
                 {"greyOnDisable", true},
                 {"numDefaultKind", 2}};
    for (const Prop& p : props) {
        ASSERT_TRUE(b.slider->setProperty(p.name, p.value)) << p.name;
        EXPECT_EQ(b.slider->property(p.name), p.value) << p.name;
    }
    EXPECT_EQ(b.slider->sizeHint(), QSize(33, 14));
    EXPECT_EQ(b.slider->minimumSizeHint(), QSize(33, 14));
    QTest::keyClick(b.slider, Qt::Key_Up);
    EXPECT_EQ(b.slider->valueText(), QStringLiteral("64ms"));
    QTest::keyClick(b.slider, Qt::Key_PageDown);
    EXPECT_EQ(b.slider->valueText(), QStringLiteral("44ms"));
    QTest::keyClick(b.slider, Qt::Key_Home); // the parameter's range, not the form's
    EXPECT_EQ(b.slider->value(), 0);
    EXPECT_EQ(b.slider->valueText(), QStringLiteral("Off"));

    // Disabled with greyOnDisable: the text turns grey.
    b.view.show();
    // The brightest pixel of the text, white on black.
    auto brightest = [](const QImage& image) {
        int most = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                most = std::max(most, qGreen(image.pixel(x, y)));
        return most;
    };
    b.slider->setValueText(QStringLiteral("WWW"));
    QPalette palette = b.slider->palette();
    palette.setColor(b.slider->foregroundRole(), Qt::white);
    palette.setColor(b.slider->backgroundRole(), Qt::black);
    b.slider->setPalette(palette);
    b.slider->setEnabled(false);
    b.slider->setGreyOnDisable(true);
    const QImage grey = b.slider->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(brightest(grey), 128);
    b.slider->setGreyOnDisable(false);
    EXPECT_GT(brightest(b.slider->grab().toImage().convertToFormat(QImage::Format_RGB32)), 200);
}
