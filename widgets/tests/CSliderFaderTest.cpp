// Slider and fader: value-to-position mappings with and without flip, wheel,
// clicks beside the handle, and the fader's look.
#include "WidgetTestSupport.h"
#include "appserver/CAppServer.h"
#include "widgets/CFaderTip.h"
#include "widgets/CFader_VANTREL_KXE.h"
#include "widgets/CSlider_VANTREL_KXE.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace NS_WidgetTest;

namespace {

class PlainSlider : public CSlider_VANTREL_KXE
{
public:
    using CSlider_VANTREL_KXE::CSlider_VANTREL_KXE;
    int applyFlipedTransformation(int value, int, int) const override { return value; }
    int tableId() const override { return 0; }
};

// A fader whose thumb is 10 pixels long: `travel` pixels of handle movement.
std::unique_ptr<CFader_VANTREL_KXE> fader(int lo, int hi, int travel, bool flip)
{
    auto f = std::make_unique<CFader_VANTREL_KXE>();
    f->setThumbImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_thumb.png", {20, 10}, 2)));
    f->setnSubImages(2);
    f->resize(20, travel + 10);
    f->setRange(lo, hi);
    f->setFlipValues(flip);
    return f;
}

// A fader in a window, 137 pixels long with a 10-pixel thumb: values 0 to 127.
CFader_VANTREL_KXE* drawnFader(QWidget* top)
{
    auto* f = new CFader_VANTREL_KXE(top);
    f->setThumbImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_thumb.png", {20, 10}, 2)));
    f->setnSubImages(2);
    f->setGeometry(0, 0, 20, 137);
    f->setRange(0, 127);
    return f;
}

} // namespace

struct MappingCase
{
    const char* name;
    int lo, hi, travel;
    bool flip;
    int value;
    int position;
};

class FaderMapping : public ::testing::TestWithParam<MappingCase>
{
};

TEST_P(FaderMapping, ValuesAndPositionsMapBothWays)
{
    const MappingCase& c = GetParam();
    auto f = fader(c.lo, c.hi, c.travel, c.flip);
    EXPECT_EQ(f->available(), c.travel);
    EXPECT_EQ(f->positionFromValue(c.value), c.position);
    EXPECT_EQ(f->valueFromPosition(c.position), c.value);
    f->setValue(c.value);
    EXPECT_EQ(f->sliderRect().top(), c.position);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FaderMapping,
    ::testing::Values(MappingCase{"MinimumAtTheTop", 0, 127, 127, false, 0, 0},
                      MappingCase{"MaximumAtTheBottom", 0, 127, 127, false, 127, 127},
                      MappingCase{"FlippedMaximumAtTheTop", 0, 127, 127, true, 127, 0},
                      MappingCase{"FlippedMinimumAtTheBottom", 0, 127, 127, true, 0, 127},
                      MappingCase{"FlippedNegativeRangeTop", -96, 0, 96, true, 0, 0},
                      MappingCase{"FlippedNegativeRangeBottom", -96, 0, 96, true, -96, 96},
                      MappingCase{"FlippedSignedRangeTop", -64, 63, 127, true, 63, 0},
                      MappingCase{"FlippedSignedRangeBottom", -64, 63, 127, true, -64, 127},
                      MappingCase{"FlippedRangeFromOne", 1, 127, 126, true, 1, 126},
                      MappingCase{"ScaledTravel", 0, 1023, 100, false, 512, 50},
                      MappingCase{"FlippedScaledTravel", 0, 1023, 100, true, 1023, 0}),
    [](const ::testing::TestParamInfo<MappingCase>& info) { return std::string(info.param.name); });

struct FlipCase
{
    const char* name;
    int lo, hi, value, flipped;
};

class FaderFlip : public ::testing::TestWithParam<FlipCase>
{
};

TEST_P(FaderFlip, MirrorsWithinTheRangeAndClamps)
{
    CFader_VANTREL_KXE f;
    f.setFlipValues(true);
    const FlipCase& c = GetParam();
    EXPECT_EQ(f.applyFlipedTransformation(c.value, c.lo, c.hi), c.flipped);
    f.setFlipValues(false);
    EXPECT_EQ(f.applyFlipedTransformation(c.value, c.lo, c.hi), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FaderFlip,
    ::testing::Values(FlipCase{"FromZero", 0, 127, 27, 100}, FlipCase{"Negative", -96, 0, -10, -86},
                      FlipCase{"SignedLowEnd", -64, 63, -64, 63}, FlipCase{"SignedHighEnd", -64, 63, 63, -64},
                      FlipCase{"FromOne", 1, 127, 1, 127}, FlipCase{"OutsideIsClamped", 0, 127, 200, 0},
                      FlipCase{"WideRangeNoOverflow", INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX},
                      FlipCase{"EmptyRange", 5, 5, 5, 5}),
    [](const ::testing::TestParamInfo<FlipCase>& info) { return std::string(info.param.name); });

TEST(SliderMapping, PlainSliderHasNoFlipAndMirrorsRightToLeft)
{
    PlainSlider slider(0, 100, 10, 0, Qt::Horizontal);
    slider.resize(100 + slider.getSlideLength(), 20);
    const int a = slider.available();
    ASSERT_GT(a, 0);
    EXPECT_EQ(slider.positionFromValue(0), 0);
    EXPECT_EQ(slider.positionFromValue(100), a);
    slider.setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(slider.positionFromValue(0), a);
    EXPECT_EQ(slider.positionFromValue(100), 0);
    EXPECT_EQ(slider.valueFromPosition(0), 100);
}

struct WheelCase
{
    const char* name;
    bool flip;
    bool horDir;
    int lineStep, pageStep;
    std::vector<int> deltas;
    int change;
};

class FaderWheel : public ::testing::TestWithParam<WheelCase>
{
};

TEST_P(FaderWheel, StepsByTheLargerStepAndAccumulatesParts)
{
    const WheelCase& c = GetParam();
    auto f = fader(0, 127, 127, c.flip);
    f->setHorDir(c.horDir);
    f->setSteps(c.lineStep, c.pageStep);
    f->setValue(64);
    for (int delta : c.deltas)
        wheel(f.get(), delta);
    EXPECT_EQ(f->value(), 64 + c.change);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FaderWheel,
    ::testing::Values(WheelCase{"NotchDown", false, false, 1, 10, {120}, -10},
                      WheelCase{"NotchFlippedUp", true, false, 1, 10, {120}, 10},
                      WheelCase{"HorizontalDirection", false, true, 1, 10, {120}, 10},
                      WheelCase{"ThirdsOfANotch", false, false, 1, 10, {40, 40, 40}, -10},
                      WheelCase{"SmallStepsAddUp", false, false, 1, 1, {40, 40}, 0},
                      WheelCase{"SmallStepsReachOne", false, false, 1, 1, {40, 40, 40}, -1},
                      WheelCase{"BackAndForthCancel", false, false, 1, 1, {60, -60, 60}, 0}),
    [](const ::testing::TestParamInfo<WheelCase>& info) { return std::string(info.param.name); });

TEST(Slider, ClickBesideTheHandlePagesThenRepeatsWhileTheFaderDoesNot)
{
    PlainSlider slider(0, 1000, 10, 0, Qt::Vertical);
    slider.resize(20, 200);
    QSignalSpy begin(&slider, &CSlider_VANTREL_KXE::alternativeDisplayBegin);
    QSignalSpy end(&slider, &CSlider_VANTREL_KXE::alternativeDisplayEnd);
    press(&slider, QPointF(10, 190));
    EXPECT_EQ(slider.value(), 10);
    EXPECT_EQ(slider.state(), CSlider_VANTREL_KXE::TimingUp);
    ASSERT_TRUE(QTest::qWaitFor([&] { return slider.value() >= 30; })); // after 300 ms, then every 100 ms
    release(&slider, QPointF(10, 190));
    const int stopped = slider.value();
    QTest::qWait(250);
    EXPECT_EQ(slider.value(), stopped);
    EXPECT_EQ(begin.count(), 1);
    EXPECT_EQ(end.count(), 1);

    auto f = fader(0, 1000, 190, false);
    press(f.get(), QPointF(10, 190));
    EXPECT_EQ(f->value(), 0);
    EXPECT_EQ(f->state(), CSlider_VANTREL_KXE::Idle);
    release(f.get(), QPointF(10, 190));
}

TEST(Slider, RightPressChangesNothingAndSignalsNothing)
{
    PlainSlider slider(0, 100, 10, 50, Qt::Vertical);
    slider.resize(20, 120);
    QSignalSpy begin(&slider, &CSlider_VANTREL_KXE::alternativeDisplayBegin);
    QSignalSpy changed(&slider, &CSlider_VANTREL_KXE::valueChanged);
    press(&slider, QPointF(10, 110), Qt::RightButton);
    release(&slider, QPointF(10, 110), Qt::RightButton);
    EXPECT_EQ(slider.value(), 50);
    EXPECT_EQ(begin.count(), 0);
    EXPECT_EQ(changed.count(), 0);
}

TEST(Fader, DraggingTheThumbFollowsTheMouseAndNeverSnapsBack)
{
    auto f = fader(0, 127, 127, true);
    f->setValue(127); // flipped: at the top
    QSignalSpy moved(f.get(), &CSlider_VANTREL_KXE::sliderMoved);
    press(f.get(), QPointF(10, 5));
    EXPECT_EQ(f->state(), CSlider_VANTREL_KXE::Dragging);
    drag(f.get(), QPointF(10, 45));
    EXPECT_EQ(f->value(), 87);
    drag(f.get(), QPointF(500, 65)); // far outside: a fader keeps following
    EXPECT_EQ(f->value(), 67);
    drag(f.get(), QPointF(10, 900));
    EXPECT_EQ(f->value(), 0);
    release(f.get(), QPointF(10, 900));
    EXPECT_EQ(f->state(), CSlider_VANTREL_KXE::Idle);
    EXPECT_EQ(moved.count(), 3);
}

TEST(Fader, BoundTextFollowsTheValueAndARetryWaitsForBlockedSignals)
{
    CAppServer* server = CAppServer::Instance();
    {
        RecordingMemAPI api;
        api.defineName(QStringLiteral("kVolume"), 55, 13);
        api.setRange(55, 13, 0, 127, 100);
        api.poke(55, 13, 2, 90);
        QWidget view;
        auto* f = new CFader_VANTREL_KXE(&view);
        f->setNamedAddress(QStringLiteral("FEkVolume"));
        QSignalSpy text(f, &CFader_VANTREL_KXE::textualValueChange);
        api.MAPI_assignServer(&view, 2);
        EXPECT_EQ(f->value(), 90);
        EXPECT_TRUE(api.writes.isEmpty());

        f->blockSignals(true);
        QTest::keyClick(f, Qt::Key_Up);
        ASSERT_EQ(api.writes.size(), 1);
        EXPECT_EQ(api.writes[0].value, 91);
        EXPECT_EQ(api.writes[0].flags, 0xFFFFFFFFu);
        EXPECT_EQ(api.actions.value(0), int(IMemAPI::PostSetDirtyFlags));
        const int before = text.count();
        f->blockSignals(false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return text.count() == before + 1; })) << "text.count()";
        EXPECT_EQ(text.last().at(0).toString(), QStringLiteral("91"));

        // Still blocked after the one retry: the text is dropped, not retried forever.
        f->blockSignals(true);
        QTest::keyClick(f, Qt::Key_Up);
        QTest::qWait(2 * CFader_VANTREL_KXE::kTextRetryMs);
        f->blockSignals(false);
        QTest::qWait(2 * CFader_VANTREL_KXE::kTextRetryMs);
        EXPECT_EQ(text.count(), before + 1);
        delete f;
    }
    QCoreApplication::sendPostedEvents();
    server->release();
}

TEST(FaderDrawing, ThumbRowFollowsValueAndEnabledState)
{
    QWidget top;
    top.resize(40, 160);
    auto* f = drawnFader(&top);
    f->setFlipValues(true);
    f->setValue(100);
    top.show();
    QImage look = f->grab().toImage();
    // Flipped: value 100 sits at position 27.
    EXPECT_EQ(look.pixel(10, 27 + 5), frameColour(0));
    EXPECT_NE(look.pixel(10, 5), frameColour(0));
    f->setEnabled(false);
    look = f->grab().toImage();
    EXPECT_EQ(look.pixel(10, 27 + 5), frameColour(1));
    f->setEnabled(true);
    f->useDisabledImage(true);
    EXPECT_EQ(f->grab().toImage().pixel(10, 32), frameColour(1));
    EXPECT_EQ(f->sizeHint(), QSize(20, 40));
}

TEST(FaderDrawing, TheFocusColourMarksTheThumbOnlyWhileTheFaderHasTheFocus)
{
    const QColor orange(255, 170, 40);
    enum Look { Plain, Tinted, Framed };
    struct Case
    {
        const char* name;
        QColor colour;
        bool focused;
        Look look;
    };
    const Case cases[] = {
        {"no focus colour", QColor(), true, Plain},
        {"not focused", orange, false, Plain},
        {"focused", orange, true, Tinted},
        {"black, focused", Qt::black, true, Framed},
    };
    const QColor thumb = QColor(frameColour(0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget top;
        top.resize(40, 160);
        auto* f = drawnFader(&top);
        f->setValue(60);
        f->setFocusColor(c.colour);
        top.show();
        top.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
        // A shown window hands its focus to the fader itself: taken away again.
        if (c.focused)
            f->setFocus(Qt::TabFocusReason);
        else
            f->clearFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return f->hasFocus() == c.focused; }));
        const QImage look = f->grab().toImage();
        const QRect handle = f->sliderRect();
        const QColor middle = look.pixelColor(handle.center());
        const QColor corner = look.pixelColor(handle.topLeft());
        switch (c.look) {
        case Plain:
            EXPECT_EQ(middle, thumb);
            EXPECT_EQ(corner, thumb);
            break;
        case Tinted:
            // The focus colour's hue at the thumb's own brightness.
            EXPECT_NEAR(middle.hsvHue(), orange.hsvHue(), 2);
            EXPECT_NEAR(middle.value(), thumb.value(), 2);
            EXPECT_EQ(corner, middle);
            break;
        case Framed:
            EXPECT_EQ(middle, thumb);
            EXPECT_EQ(corner, QColor(Qt::black));
            break;
        }
    }
}

TEST(FaderDrawing, WithoutAThumbImageTheStyleDrawsTheHandle)
{
    CFader_VANTREL_KXE f;
    f.resize(30, 120);
    EXPECT_FALSE(f.sliderRect().isEmpty());
    EXPECT_GT(f.available(), 0);
    EXPECT_LT(f.available(), 120);
    const QImage look = f.grab().toImage();
    bool drawn = false;
    for (int y = 0; y < look.height() && !drawn; ++y)
        for (int x = 0; x < look.width() && !drawn; ++x)
            drawn = qAlpha(look.pixel(x, y)) != 0;
    EXPECT_TRUE(drawn);
}

TEST(FaderDrawing, GeneratedThumbIsDrawnAtTheSliderPosition)
{
    const QPixmap thumb = NS_Utilities::loadPixmap(QStringLiteral("tovar_SliderKnob.png"));
    if (thumb.isNull())
        GTEST_SKIP() << "the drawn fader thumb is not registered";
    QWidget top;
    auto* f = new CFader_VANTREL_KXE(&top);
    f->setThumbImage(thumb);
    f->setnSubImages(NS_Utilities::ImageRegistry::info(QStringLiteral("tovar_SliderKnob.png")).rows);
    const QSize cell = f->sliderRect().size();
    f->setGeometry(0, 0, cell.width(), cell.height() + 100);
    f->setRange(0, 100);
    f->setFlipValues(true);
    f->setValue(25);
    top.show();
    const QImage look = f->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage art = thumb.toImage().convertToFormat(QImage::Format_ARGB32);
    // Flipped: 25 of 0..100 sits 75 pixels down.
    int compared = 0;
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x)
            if (qAlpha(art.pixel(x, y)) == 255) {
                ++compared;
                ASSERT_EQ(look.pixel(x, 75 + y), art.pixel(x, y)) << x << "," << y;
            }
    EXPECT_GT(compared, 0);
}

// ---- keys, paging down, middle button, snap-back, tracking, right-to-left, hints

namespace {

bool sloppyKeys(const CSlider_VANTREL_KXE& slider)
{
    QStyleOptionSlider option;
    option.initFrom(&slider);
    return slider.style()->styleHint(QStyle::SH_Slider_SloppyKeyEvents, &option, &slider) != 0;
}

// A plain slider whose handle travels exactly `travel` pixels.
std::unique_ptr<PlainSlider> plainSlider(int lo, int hi, int value, Qt::Orientation orientation, int travel)
{
    auto s = std::make_unique<PlainSlider>(lo, hi, 10, lo, orientation);
    const int across = 20;
    if (orientation == Qt::Vertical)
        s->resize(across, travel + s->getSlideLength());
    else
        s->resize(travel + s->getSlideLength(), across);
    s->setValue(value); // hidden: the resize is not delivered before the show
    return s;
}

} // namespace

struct SliderKeyCase
{
    const char* name;
    Qt::Orientation orientation;
    bool horDir;
    Qt::Key key;
    int change;    // from 50, within 0 .. 100, line step 2, page step 10
    bool acrossKey; // a key across the slide: handled only with sloppy key events
};

class SliderKeys : public ::testing::TestWithParam<SliderKeyCase>
{
};

TEST_P(SliderKeys, MoveByLinesPagesAndToTheEnds)
{
    const SliderKeyCase& c = GetParam();
    auto s = plainSlider(0, 100, 50, c.orientation, 100);
    s->setLineStep(2);
    s->setHorDir(c.horDir);
    const bool handled = !c.acrossKey || sloppyKeys(*s);
    QKeyEvent event(QEvent::KeyPress, c.key, Qt::NoModifier);
    event.setAccepted(false);
    QApplication::sendEvent(s.get(), &event);
    EXPECT_EQ(s->value(), handled ? 50 + c.change : 50);
    EXPECT_EQ(event.isAccepted(), handled);
    EXPECT_EQ(s->state(), CSlider_VANTREL_KXE::Idle);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SliderKeys,
    ::testing::Values(SliderKeyCase{"HomeIsTheMaximum", Qt::Vertical, false, Qt::Key_Home, 50, false},
                      SliderKeyCase{"EndIsTheMinimum", Qt::Vertical, false, Qt::Key_End, -50, false},
                      SliderKeyCase{"HomeWithHorDirIsTheMinimum", Qt::Horizontal, true, Qt::Key_Home, -50, false},
                      SliderKeyCase{"EndWithHorDirIsTheMaximum", Qt::Horizontal, true, Qt::Key_End, 50, false},
                      SliderKeyCase{"UpOnAVerticalSlider", Qt::Vertical, false, Qt::Key_Up, 2, false},
                      SliderKeyCase{"DownOnAVerticalSlider", Qt::Vertical, false, Qt::Key_Down, -2, false},
                      SliderKeyCase{"RightOnAHorizontalSlider", Qt::Horizontal, false, Qt::Key_Right, 2, false},
                      SliderKeyCase{"LeftOnAHorizontalSlider", Qt::Horizontal, false, Qt::Key_Left, -2, false},
                      SliderKeyCase{"LeftOnAVerticalSlider", Qt::Vertical, false, Qt::Key_Left, -2, true},
                      SliderKeyCase{"RightOnAVerticalSlider", Qt::Vertical, false, Qt::Key_Right, 2, true},
                      SliderKeyCase{"UpOnAHorizontalSlider", Qt::Horizontal, false, Qt::Key_Up, 2, true},
                      SliderKeyCase{"DownOnAHorizontalSlider", Qt::Horizontal, false, Qt::Key_Down, -2, true},
                      SliderKeyCase{"PageUp", Qt::Vertical, false, Qt::Key_PageUp, 10, false},
                      SliderKeyCase{"PageDown", Qt::Horizontal, false, Qt::Key_PageDown, -10, false}),
    [](const ::testing::TestParamInfo<SliderKeyCase>& info) { return std::string(info.param.name); });

TEST(SliderKeys, OtherKeysArePassedOn)
{
    auto s = plainSlider(0, 100, 50, Qt::Vertical, 100);
    QKeyEvent event(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(s.get(), &event);
    EXPECT_FALSE(event.isAccepted());
    EXPECT_EQ(s->value(), 50);
}

TEST(Slider, ClickBeforeTheHandlePagesDownThenRepeatsDown)
{
    auto s = plainSlider(0, 1000, 1000, Qt::Vertical, 190);
    press(s.get(), QPointF(10, 2));
    EXPECT_EQ(s->value(), 990);
    EXPECT_EQ(s->state(), CSlider_VANTREL_KXE::TimingDown);
    ASSERT_TRUE(QTest::qWaitFor([&] { return s->value() <= 970; }));
    release(s.get(), QPointF(10, 2));
    EXPECT_EQ(s->state(), CSlider_VANTREL_KXE::Idle);
    const int stopped = s->value();
    QTest::qWait(150);
    EXPECT_EQ(s->value(), stopped);
}

TEST(Slider, RightToLeftClickLeftOfTheHandleRaisesTheValue)
{
    auto s = plainSlider(0, 100, 0, Qt::Horizontal, 100);
    s->setLayoutDirection(Qt::RightToLeft);
    ASSERT_EQ(s->sliderPosition(), 100); // the minimum at the right
    press(s.get(), QPointF(2, 10));
    EXPECT_EQ(s->value(), 10);
    EXPECT_EQ(s->state(), CSlider_VANTREL_KXE::TimingUp);
    release(s.get(), QPointF(2, 10));
}

TEST(Slider, MiddleButtonCentresTheHandleUnderTheMouseAndDrags)
{
    auto s = plainSlider(0, 100, 0, Qt::Vertical, 100);
    const int half = s->getSlideLength() / 2;
    QSignalSpy moved(s.get(), &CSlider_VANTREL_KXE::sliderMoved);
    QSignalSpy released(s.get(), &CSlider_VANTREL_KXE::sliderReleased);
    press(s.get(), QPointF(10, 60 + half), Qt::MiddleButton);
    EXPECT_EQ(s->value(), 60);
    EXPECT_EQ(s->sliderPosition(), 60);
    EXPECT_EQ(s->state(), CSlider_VANTREL_KXE::Dragging);
    drag(s.get(), QPointF(10, 80 + half));
    EXPECT_EQ(s->value(), 80);
    release(s.get(), QPointF(10, 80 + half), Qt::MiddleButton);
    EXPECT_EQ(s->value(), 80);
    EXPECT_EQ(moved.count(), 2);
    EXPECT_EQ(released.count(), 1);
    EXPECT_EQ(s->state(), CSlider_VANTREL_KXE::Idle);
}

TEST(Slider, WithoutTrackingTheValueChangesOnlyAtTheRelease)
{
    auto s = plainSlider(0, 100, 0, Qt::Vertical, 100);
    s->setTracking(false);
    QSignalSpy changed(s.get(), &CSlider_VANTREL_KXE::valueChanged);
    QSignalSpy moved(s.get(), &CSlider_VANTREL_KXE::sliderMoved);
    press(s.get(), QPointF(10, 2)); // on the handle at the top
    ASSERT_EQ(s->state(), CSlider_VANTREL_KXE::Dragging);
    const int pressChanges = changed.count();
    drag(s.get(), QPointF(10, 42));
    EXPECT_EQ(s->value(), 0);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.last().at(0).toInt(), 40);
    EXPECT_EQ(s->sliderPosition(), 40);
    EXPECT_EQ(changed.count(), pressChanges);
    release(s.get(), QPointF(10, 42));
    EXPECT_EQ(s->value(), 40);
    EXPECT_EQ(changed.last().at(0).toInt(), 40);
}

TEST(Slider, APlainSliderSnapsBackWhenTheMouseLeavesItsNeighbourhood)
{
    std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("Windows")));
    if (!windows)
        GTEST_SKIP() << "no style with a snap-back distance";
    auto s = plainSlider(0, 100, 0, Qt::Vertical, 100);
    s->setStyle(windows.get());
    s->resize(20, 100 + s->getSlideLength());
    QStyleOptionSlider option;
    option.initFrom(s.get());
    const int distance = windows->pixelMetric(QStyle::PM_MaximumDragDistance, &option, s.get());
    if (distance < 0)
        GTEST_SKIP() << "the style never snaps back";
    press(s.get(), QPointF(10, 2));
    ASSERT_EQ(s->state(), CSlider_VANTREL_KXE::Dragging);
    drag(s.get(), QPointF(10, 52));
    EXPECT_EQ(s->value(), 50);
    drag(s.get(), QPointF(20 + distance + 5, 52)); // far beside the slider
    EXPECT_EQ(s->value(), 0);
    drag(s.get(), QPointF(10, 32)); // back: follows again
    EXPECT_EQ(s->value(), 30);
    release(s.get(), QPointF(10, 32));
    EXPECT_EQ(s->value(), 30);
    s->setStyle(nullptr);
}

TEST(Slider, MovesWithoutAPressAndWheelsOutsideAreIgnored)
{
    auto s = plainSlider(0, 100, 50, Qt::Vertical, 100);
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 90), QPointF(s->mapToGlobal(QPoint(10, 90))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.get(), &move);
    EXPECT_FALSE(move.isAccepted());
    EXPECT_EQ(s->value(), 50);
    wheel(s.get(), 120, QPointF(500, 500));
    EXPECT_EQ(s->value(), 50);
    wheel(s.get(), 120);
    EXPECT_EQ(s->value(), 40);
}

TEST(Slider, HintsFollowOrientationAndTickMarks)
{
    PlainSlider s(Qt::Vertical);
    const int thickness = s.getSlideThickness();
    const int length = s.getSlideLength();
    EXPECT_EQ(s.sizeHint(), QSize(thickness, 84));
    EXPECT_EQ(s.minimumSizeHint(), QSize(thickness, length));
    EXPECT_EQ(s.sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    EXPECT_EQ(s.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);

    // As a form sets them.
    ASSERT_TRUE(s.setProperty("tickmarks", QVariant::fromValue(CSlider_VANTREL_KXE::Both)));
    EXPECT_EQ(s.tickmarks(), CSlider_VANTREL_KXE::Both);
    EXPECT_EQ(s.sizeHint(), QSize(s.getSlideThickness() + 10, 84));
    s.setTickmarks(CSlider_VANTREL_KXE::Right);
    EXPECT_EQ(s.sizeHint(), QSize(s.getSlideThickness() + 5, 84));
    ASSERT_TRUE(s.setProperty("orientation", QVariant::fromValue(Qt::Horizontal)));
    EXPECT_EQ(s.orientation(), Qt::Horizontal);
    EXPECT_EQ(s.sizeHint(), QSize(84, s.getSlideThickness() + 5));
    EXPECT_EQ(s.minimumSizeHint().width(), s.getSlideLength());
    EXPECT_EQ(s.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    EXPECT_EQ(s.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);

    // A size policy of the user's own is kept.
    s.setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    s.setOrientation(Qt::Vertical);
    EXPECT_EQ(s.sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
    EXPECT_EQ(s.sizePolicy().verticalPolicy(), QSizePolicy::Minimum);

    s.setTickInterval(-5);
    EXPECT_EQ(s.tickInterval(), 0);
    ASSERT_TRUE(s.setProperty("tickInterval", 7));
    EXPECT_EQ(s.tickInterval(), 7);
}

TEST(Slider, PropertiesAFormSetsReachTheSlider)
{
    PlainSlider s(nullptr, "level");
    EXPECT_EQ(s.objectName(), QStringLiteral("level"));
    s.resize(20, 120);
    ASSERT_TRUE(s.setProperty("minValue", -20));
    ASSERT_TRUE(s.setProperty("maxValue", 20));
    ASSERT_TRUE(s.setProperty("lineStep", 3));
    ASSERT_TRUE(s.setProperty("pageStep", 7));
    ASSERT_TRUE(s.setProperty("value", 0));
    ASSERT_TRUE(s.setProperty("tracking", false));
    ASSERT_TRUE(s.setProperty("horDir", true));
    EXPECT_EQ(s.property("minValue").toInt(), -20);
    EXPECT_EQ(s.property("maxValue").toInt(), 20);
    EXPECT_FALSE(s.property("tracking").toBool());
    EXPECT_TRUE(s.property("horDir").toBool());
    QTest::keyClick(&s, Qt::Key_Up);
    EXPECT_EQ(s.value(), 3);
    QTest::keyClick(&s, Qt::Key_PageDown);
    EXPECT_EQ(s.value(), -4);
    QTest::keyClick(&s, Qt::Key_Home); // horDir: Home is the minimum
    EXPECT_EQ(s.property("value").toInt(), -20);
}

TEST(SliderDrawing, TickMarksAreDrawnAndTheHandleMoves)
{
    auto s = plainSlider(0, 100, 0, Qt::Horizontal, 100);
    s->resize(s->width(), 40);
    const QImage plain = s->grab().toImage();
    s->setTickmarks(CSlider_VANTREL_KXE::Both);
    s->setTickInterval(10);
    const QImage ticked = s->grab().toImage();
    EXPECT_NE(plain, ticked);
    s->setValue(100);
    EXPECT_NE(s->grab().toImage(), ticked);
}

// ---- the fader bound to a parameter with a curve, typed numbers, tip, background

namespace {

// A memory whose faders follow a square curve: position = travel x (value / 127)^2.
class CurvedMemAPI : public NumberTableMemAPI
{
public:
    bool curved = true;

    int32_t MAPI_faderConvertNonLinearToLinear(int& position, short, short, int value) override
    {
        if (!curved)
            return NS_MemAPI::kNotImplemented;
        position = int(int64_t(position) * value * value / (127 * 127));
        return 0;
    }
    int32_t MAPI_faderConvertLinearToNonLinear(int& value, short, short, int position) override
    {
        if (!curved)
            return NS_MemAPI::kNotImplemented;
        const int travel = value;
        value = int(std::lround(127.0 * std::sqrt(double(position) / travel)));
        return 0;
    }
};

struct BoundFader
{
    CAppServer* server = CAppServer::Instance();
    CurvedMemAPI api;
    QWidget view;
    CFader_VANTREL_KXE* f = nullptr;

    explicit BoundFader(int value, bool curved = true)
    {
        api.curved = curved;
        api.defineName(QStringLiteral("kLevel"), 55, 13);
        api.setRange(55, 13, 0, 127, 100);
        api.poke(55, 13, 2, value);
        f = new CFader_VANTREL_KXE(&view);
        f->setThumbImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_thumb.png", {20, 10}, 2)));
        f->setnSubImages(2);
        f->resize(20, 137); // 127 pixels of travel
        f->setNamedAddress(QStringLiteral("FEkLevel"));
        api.MAPI_assignServer(&view, 2);
        EXPECT_TRUE(api.writes.isEmpty()) << "the value from memory was written back";
        api.actions.clear();
    }
    ~BoundFader()
    {
        delete f;
        QCoreApplication::sendPostedEvents();
        server->release();
    }
};

} // namespace

TEST(BoundFaderCurve, ValuesSitWhereTheParametersCurvePutsThemAndDragsWriteItsValues)
{
    BoundFader b(64);
    EXPECT_EQ(b.f->value(), 64);
    EXPECT_EQ(b.f->positionFromValue(64), 127 * 64 * 64 / (127 * 127));
    EXPECT_EQ(b.f->sliderRect().top(), 32);
    EXPECT_EQ(b.f->valueFromPosition(127), 127);
    EXPECT_EQ(b.f->valueFromPosition(32), 64);

    // Dragging the thumb from 32 to 8 pixels: sqrt(8 / 127) of the range.
    press(b.f, QPointF(10, 35));
    drag(b.f, QPointF(10, 11));
    release(b.f, QPointF(10, 11));
    ASSERT_FALSE(b.api.writes.isEmpty());
    EXPECT_EQ(b.api.writes.last().value, 32);
    EXPECT_EQ(b.api.peek(55, 13, 2), 32);

    // Flipped, the curve runs from the bottom.
    b.f->setFlipValues(true);
    b.f->setValue(127);
    EXPECT_EQ(b.f->sliderRect().top(), 0);
    EXPECT_EQ(b.f->valueFromPosition(0), 127);
}

TEST(BoundFaderCurve, WithoutACurveTheFaderMapsLinearly)
{
    BoundFader b(64, false);
    EXPECT_EQ(b.f->sliderRect().top(), 64);
    EXPECT_EQ(b.f->valueFromPosition(100), 100);
}

TEST(BoundFaderCurve, ATypedNumberGoesThroughTheTableAndIsSavedForUndoUnlessDisabled)
{
    BoundFader b(10, false);
    b.f->setTableId(9);
    b.f->acceptNum(4.2);
    EXPECT_EQ(b.f->value(), 42);
    EXPECT_EQ(b.api.floatTables, QVector<int>{9});
    ASSERT_EQ(b.api.undoSaved.size(), 1);
    EXPECT_EQ(b.api.undoSaved[0], static_cast<TMemProxy_VANTREL_KXE*>(b.f));
    ASSERT_FALSE(b.api.writes.isEmpty());
    EXPECT_EQ(b.api.writes.last().value, 42);

    ASSERT_TRUE(b.f->setProperty("undoEnable", false));
    EXPECT_FALSE(b.f->isUndoEnable());
    b.f->acceptNum(5.0);
    EXPECT_EQ(b.f->value(), 50);
    EXPECT_EQ(b.api.undoSaved.size(), 1);
    EXPECT_EQ(b.api.writes.last().value, 50);

    // Unbound: nothing is typed in.
    CFader_VANTREL_KXE unbound;
    unbound.acceptNum(3.0);
    EXPECT_EQ(unbound.value(), 0);
}

TEST(BoundFaderCurve, TheNumberTipShowsTheValueWhileTheMouseIsOver)
{
    BoundFader b(90, false);
    ASSERT_TRUE(b.f->setProperty("numberToolTip", true));
    EXPECT_TRUE(b.f->numberToolTip());
    auto* tip = b.view.findChild<CFaderTip*>();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->text(), QStringLiteral("90"));
    EXPECT_TRUE(tip->isHidden());
    b.view.show();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(b.f->mapToGlobal(QPoint(5, 5))));
    QApplication::sendEvent(b.f, &enter);
    EXPECT_FALSE(tip->isHidden());
    QTest::keyClick(b.f, Qt::Key_Up);
    EXPECT_EQ(tip->text(), QStringLiteral("91"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b.f, &leave);
    EXPECT_TRUE(tip->isHidden());
    b.f->setNumberToolTip(false);
    EXPECT_FALSE(b.f->numberToolTip());
    EXPECT_EQ(b.view.findChild<CFaderTip*>(), nullptr);
    QApplication::sendEvent(b.f, &enter); // no tip: nothing to show
}

TEST(FaderDrawing, TheBackgroundImageShowsBesideTheThumbAndADoubleClickChangesNothing)
{
    QWidget top;
    auto* f = drawnFader(&top);
    // Two columns of 10 pixels: the right one has a colour of its own.
    const QPixmap back = NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_fader_back.png", {10, 137}, 1, 2));
    ASSERT_TRUE(f->setProperty("pixmap", back));
    EXPECT_EQ(f->pixmap().cacheKey(), back.cacheKey());
    f->setValue(0);
    top.show();
    QImage look = f->grab().toImage();
    EXPECT_EQ(look.pixel(10, 5), frameColour(0)); // the thumb
    EXPECT_EQ(look.pixel(15, 80), frameColour(0, 1));
    f->setPixmap(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_fader_back3.png", {7, 137}, 1, 3)));
    look = f->grab().toImage();
    EXPECT_EQ(look.pixel(15, 80), frameColour(0, 2));
    EXPECT_EQ(look.pixel(10, 5), frameColour(0));
    f->setPixmap(QPixmap());
    EXPECT_NE(f->grab().toImage().pixel(15, 80), frameColour(0, 2));

    QTest::mouseDClick(f, Qt::LeftButton, {}, QPoint(10, 100));
    EXPECT_EQ(f->value(), 0);
    EXPECT_EQ(f->state(), CSlider_VANTREL_KXE::Idle);
}

TEST(FaderDrawing, AHorizontalThumbMovesAlongXAndWithoutRowsTheStyleHandleIsUsed)
{
    CFader_VANTREL_KXE f;
    // Two rows of 10 x 20: a thumb 10 long along a horizontal slide, 20 across.
    f.setThumbImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_thumb_h.png", {10, 20}, 2)));
    f.setnSubImages(2);
    f.setOrientation(Qt::Horizontal);
    f.resize(110, 20);
    f.setRange(0, 100);
    f.setValue(40);
    EXPECT_EQ(f.getSlideLength(), 10);
    EXPECT_EQ(f.getSlideThickness(), 20);
    EXPECT_EQ(f.available(), 100);
    EXPECT_EQ(f.sliderRect(), QRect(40, 0, 10, 20));
    EXPECT_EQ(f.sizeHint(), QSize(40, 20));
    const QImage look = f.grab().toImage();
    EXPECT_EQ(look.pixel(45, 5), frameColour(0));
    EXPECT_NE(look.pixel(5, 5), frameColour(0));

    // Right to left: the minimum at the right.
    f.setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(f.positionFromValue(0), 100);
    EXPECT_EQ(f.valueFromPosition(100), 0);
    EXPECT_EQ(f.valueFromPosition(0), 100);

    // A form giving no rows: the style's handle, never a division by zero; it moves
    // with the value.
    ASSERT_TRUE(f.setProperty("nSubImages", 0));
    EXPECT_EQ(f.nSubImages(), 0);
    EXPECT_FALSE(f.sliderRect().isEmpty());
    const QImage at40 = f.grab().toImage();
    f.setValue(90);
    EXPECT_NE(f.grab().toImage(), at40);
}
