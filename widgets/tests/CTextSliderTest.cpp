// The text slider: drag scaling, the texts it shows, typed numbers, click stepping and
// the wheel.
#include "WidgetTestSupport.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"

#include <QSignalSpy>
#include <QTest>
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
        api.writes.clear();
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
