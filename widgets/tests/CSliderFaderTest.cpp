// Slider and fader: value-to-position mappings with and without flip, wheel,
// clicks beside the handle, and the fader's look.
#include "WidgetTestSupport.h"
#include "appserver/CAppServer.h"
#include "widgets/CFader_VANTREL_KXE.h"
#include "widgets/CSlider_VANTREL_KXE.h"

#include <QSignalSpy>
#include <QTest>
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
    auto* f = new CFader_VANTREL_KXE(&top);
    f->setThumbImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_thumb.png", {20, 10}, 2)));
    f->setnSubImages(2);
    f->setGeometry(0, 0, 20, 137);
    f->setRange(0, 127);
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
