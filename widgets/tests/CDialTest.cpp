// The knob: which frame a value shows, the circular and vertical drags, wheel, keys,
// the display texts and what is drawn.
#include "WidgetTestSupport.h"
#include "appserver/CAppServer.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include "widgets/TCacheServer.h"

#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace NS_WidgetTest;

namespace {

constexpr double kPi = 3.14159265358979323846;

std::unique_ptr<CDial_VANTREL_KXE> rangedDial(int lo, int hi, int value)
{
    auto dial = std::make_unique<CDial_VANTREL_KXE>();
    dial->resize(26, 26);
    dial->setRange(lo, hi);
    dial->setValue(value);
    return dial;
}

// A point at `degrees` (clockwise from straight up) on a circle around the dial's centre.
QPointF around(const QWidget& dial, double degrees, double radius = 40)
{
    const double a = degrees * kPi / 180.0;
    return QPointF(dial.width() / 2 + radius * std::sin(a), dial.height() / 2 - radius * std::cos(a));
}

} // namespace

struct FrameCase
{
    const char* name;
    int lo, hi, subImages, disabledIndex;
    bool inverted;
    int value;
    int row;
};

class DialFrameIndex : public ::testing::TestWithParam<FrameCase>
{
};

TEST_P(DialFrameIndex, MapsTheValueToAStripRow)
{
    const FrameCase& c = GetParam();
    CDial_VANTREL_KXE dial;
    if (c.lo <= c.hi)
        dial.setRange(c.lo, c.hi);
    dial.setValue(c.value);
    dial.setnSubImages(c.subImages);
    dial.setdisabledImageIndex(c.disabledIndex);
    dial.setInverted(c.inverted);
    EXPECT_EQ(dial.currentIndex(), c.row);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DialFrameIndex,
    ::testing::Values(FrameCase{"MinimumFirstRow", 0, 127, 10, -1, false, 0, 0},
                      FrameCase{"MaximumLastRow", 0, 127, 10, -1, false, 127, 9},
                      FrameCase{"Middle", 0, 127, 10, -1, false, 64, 5},
                      FrameCase{"KnobOf29", 0, 127, 29, -1, false, 64, 14},
                      FrameCase{"NegativeRange", -64, 63, 29, -1, false, 0, 14},
                      FrameCase{"DisabledFrameFirstMinimum", 0, 127, 10, 0, false, 0, 1},
                      FrameCase{"DisabledFrameFirstMaximum", 0, 127, 10, 0, false, 127, 9},
                      FrameCase{"DisabledFrameLast", 0, 127, 10, 9, false, 127, 8},
                      FrameCase{"InvertedMinimum", 0, 127, 10, -1, true, 0, 9},
                      FrameCase{"InvertedMaximum", 0, 127, 10, -1, true, 127, 0},
                      // Placeholder, empty and frame-less set-ups never divide by zero.
                      FrameCase{"PlaceholderRange", 1, 0, 29, -1, false, 0, 6},
                      FrameCase{"EmptyRange", 5, 5, 29, -1, false, 5, 0},
                      FrameCase{"NoFrames", 0, 127, 0, -1, false, 64, 0},
                      FrameCase{"OnlyTheDisabledFrame", 0, 127, 1, 0, false, 64, 0}),
    [](const ::testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

TEST(Dial, ClockwiseDragRaisesCounterClockwiseLowersAndTheSweepClamps)
{
    auto dial = rangedDial(0, 127, 64);
    QSignalSpy moved(dial.get(), &CDial_VANTREL_KXE::dialMoved);
    double at = dial->GetAngle();
    press(dial.get(), around(*dial, at));
    int last = dial->value();
    for (int step = 0; step < 20; ++step) {
        at += 10;
        drag(dial.get(), around(*dial, at));
        EXPECT_GE(dial->value(), last) << "step " << step;
        last = dial->value();
    }
    EXPECT_EQ(dial->value(), 127);
    EXPECT_DOUBLE_EQ(dial->GetAngle(), 135.0);
    EXPECT_EQ(moved.count(), 20);
    for (int step = 0; step < 40; ++step) {
        at -= 10;
        drag(dial.get(), around(*dial, at));
        EXPECT_LE(dial->value(), last) << "back step " << step;
        last = dial->value();
    }
    EXPECT_EQ(dial->value(), 0);
    EXPECT_DOUBLE_EQ(dial->GetAngle(), -135.0);
    release(dial.get(), around(*dial, at));
}

TEST(Dial, AJumpOfMoreThan135DegreesIsIgnored)
{
    auto dial = rangedDial(0, 127, 64);
    const double at = dial->GetAngle();
    press(dial.get(), around(*dial, at));
    drag(dial.get(), around(*dial, at + 5));
    const int before = dial->value();
    drag(dial.get(), around(*dial, at + 5 + 170));
    EXPECT_EQ(dial->value(), before);
    release(dial.get(), around(*dial, at + 175));
}

TEST(Dial, PressWithoutMoveChangesNothingAndShiftOrControlPressesAreIgnored)
{
    auto dial = rangedDial(0, 127, 40);
    QSignalSpy pressed(dial.get(), &CDial_VANTREL_KXE::dialPressed);
    QSignalSpy released(dial.get(), &CDial_VANTREL_KXE::dialReleased);
    press(dial.get(), around(*dial, 90));
    release(dial.get(), around(*dial, 90));
    EXPECT_EQ(dial->value(), 40);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(released.count(), 1);

    for (Qt::KeyboardModifier held : {Qt::ShiftModifier, Qt::ControlModifier}) {
        press(dial.get(), around(*dial, 0), Qt::LeftButton, held);
        drag(dial.get(), around(*dial, 60));
        release(dial.get(), around(*dial, 60));
    }
    press(dial.get(), around(*dial, 0), Qt::RightButton);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(dial->value(), 40);
}

struct VerticalCase
{
    const char* name;
    int hi;
    QPoint move;
    int change;
};

class DialVerticalMode : public ::testing::TestWithParam<VerticalCase>
{
protected:
    void TearDown() override { CDial_VANTREL_KXE::setVerticalMode(false); }
};

TEST_P(DialVerticalMode, LinearDragStepsScaleWithWideRanges)
{
    CDial_VANTREL_KXE::setVerticalMode(true);
    auto dial = rangedDial(0, GetParam().hi, GetParam().hi / 2);
    const int start = dial->value();
    const QPointF from(13, 13);
    press(dial.get(), from);
    drag(dial.get(), from); // the first move only starts the drag
    EXPECT_EQ(dial->value(), start);
    drag(dial.get(), from + GetParam().move);
    EXPECT_EQ(dial->value(), start + GetParam().change);
    release(dial.get(), from + GetParam().move);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DialVerticalMode,
    ::testing::Values(VerticalCase{"UpTenOn127", 127, QPoint(0, -10), 10},
                      VerticalCase{"DownTenOn127", 127, QPoint(0, 10), -10},
                      VerticalCase{"RightCountsAsUp", 127, QPoint(4, -3), 7},
                      VerticalCase{"UpTenOn1023", 1023, QPoint(0, -10), 79},
                      VerticalCase{"DownTenOn1023", 1023, QPoint(0, 10), -79}),
    [](const ::testing::TestParamInfo<VerticalCase>& info) { return std::string(info.param.name); });

TEST(Dial, WheelNotchesAreStepsAndPartsOfANotchAddUp)
{
    auto dial = rangedDial(0, 127, 64);
    wheel(dial.get(), 240);
    EXPECT_EQ(dial->value(), 66);
    wheel(dial.get(), -120);
    EXPECT_EQ(dial->value(), 65);
    for (int i = 0; i < 7; ++i)
        wheel(dial.get(), 15);
    EXPECT_EQ(dial->value(), 65);
    wheel(dial.get(), 15);
    EXPECT_EQ(dial->value(), 66);
    wheel(dial.get(), 120, QPointF(40, 40)); // outside the dial
    EXPECT_EQ(dial->value(), 66);
}

TEST(Dial, KeysStepByLinesAndPages)
{
    auto dial = rangedDial(0, 127, 64);
    struct Key
    {
        Qt::Key key;
        int value;
    } keys[] = {{Qt::Key_Right, 65}, {Qt::Key_Up, 66},       {Qt::Key_Left, 65},  {Qt::Key_Down, 64},
                {Qt::Key_PageUp, 74}, {Qt::Key_PageDown, 64}, {Qt::Key_End, 127}, {Qt::Key_Home, 0}};
    for (const Key& k : keys) {
        QTest::keyClick(dial.get(), k.key);
        EXPECT_EQ(dial->value(), k.value) << k.key;
    }
}

TEST(Dial, PlaceholderRangeStepsWithoutOverflow)
{
    CDial_VANTREL_KXE dial;
    EXPECT_EQ(dial.value(), dial.minValue());
    dial.subtractPage();
    EXPECT_EQ(dial.value(), dial.minValue());
    dial.setValue(dial.maxValue());
    dial.addPage();
    EXPECT_EQ(dial.value(), dial.maxValue());
    EXPECT_EQ(dial.currentIndex(), 0);
    wheel(&dial, 120);
    EXPECT_EQ(dial.value(), dial.maxValue());
}

TEST(Dial, SizeHintIsTheImageOrFortyByThirty)
{
    CDial_VANTREL_KXE dial;
    EXPECT_EQ(dial.sizeHint(), QSize(40, 30));
    dial.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_knob29.png", {26, 26}, 29)));
    EXPECT_EQ(dial.sizeHint(), QSize(26, 26 * 29));
    dial.setnSubImages(29);
    dial.ensurePolished();
    EXPECT_EQ(dial.size(), QSize(26, 26));
}

// ---- bound to the recording fake

class BoundDial : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = CAppServer::Instance();
        api.defineName(QStringLiteral("kPan"), 55, 14);
        api.setRange(55, 14, 0, 127, 64);
        api.poke(55, 14, 3, 40);
        dial = new CDial_VANTREL_KXE(&view);
        dial->resize(26, 26);
        dial->setNamedAddress(QStringLiteral("FEkPan"));
    }
    void TearDown() override
    {
        delete dial;
        QCoreApplication::sendPostedEvents();
        server->release();
    }
    void bind() { api.MAPI_assignServer(&view, 3); }

    CAppServer* server = nullptr;
    RecordingMemAPI api;
    QWidget view;
    CDial_VANTREL_KXE* dial = nullptr;
};

TEST_F(BoundDial, UserChangeWritesTheEditArgumentsAndShowsTheValueReadBack)
{
    bind();
    QSignalSpy text(dial, &CDial_VANTREL_KXE::textualValueChange);
    QSignalSpy memory(dial, &CDial_VANTREL_KXE::memoryAPIValueChange);
    QTest::keyClick(dial, Qt::Key_Up);
    ASSERT_EQ(api.writes.size(), 1);
    EXPECT_EQ(api.writes[0].element, 55);
    EXPECT_EQ(api.writes[0].parameter, 14);
    EXPECT_EQ(api.writes[0].channel, 3);
    EXPECT_EQ(api.writes[0].value, 41);
    EXPECT_EQ(api.writes[0].flags, 0xFFFFFFFFu);
    EXPECT_EQ(api.actions.value(0), int(IMemAPI::PostSetDirtyFlags));
    ASSERT_GE(text.count(), 1);
    EXPECT_EQ(text.last().at(0).toString(), QStringLiteral("41"));
    EXPECT_EQ(memory.last().at(0).toInt(), 41);
}

TEST_F(BoundDial, AlternativeAddressModeShowsOnAndOff)
{
    bind();
    dial->changeAltAddressMode(true);
    QSignalSpy text(dial, &CDial_VANTREL_KXE::textualValueChange);
    QSignalSpy atMinimum(dial, &CDial_VANTREL_KXE::altAddressMode);
    dial->handle_changeAltNamedValue(0);
    EXPECT_EQ(text.last().at(0).toString(), QStringLiteral("ON"));
    EXPECT_FALSE(atMinimum.last().at(0).toBool());
    QTest::keyClick(dial, Qt::Key_Home);
    EXPECT_EQ(text.last().at(0).toString(), QStringLiteral("OFF"));
    EXPECT_TRUE(atMinimum.last().at(0).toBool());
}

TEST_F(BoundDial, BlockedSignalsRetryFromATimerUntilUnblocked)
{
    bind();
    QSignalSpy text(dial, &CDial_VANTREL_KXE::textualValueChange);
    dial->blockSignals(true);
    QTest::keyClick(dial, Qt::Key_Up);
    EXPECT_EQ(api.writes.size(), 1); // the write does not wait for the signals
    // While blocked, turns of the event loop deliver nothing and do not spin.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(text.count(), 0);
    dial->blockSignals(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return text.count() == 1; })) << "text.count()";
    EXPECT_EQ(text.at(0).at(0).toString(), QStringLiteral("41"));
    EXPECT_EQ(api.writes.size(), 1);
}

TEST_F(BoundDial, FrequencyTableStepsInRateUnits)
{
    api.setRange(55, 14, 0, 100000, 0);
    api.poke(55, 14, 3, 24000);
    bind();
    dial->setTableId(CDial_VANTREL_KXE::kFrequencyTable);
    dial->addLine();
    // ((24000 * 10000 / 480000 + 50) / 100 + 1) * 48000000 / 10000
    EXPECT_EQ(dial->value(), 28800);
    dial->subtractLine();
    EXPECT_EQ(dial->value(), 24000);
}

// ---- drawing

TEST(DialDrawing, ShowsTheFrameOfTheValueGreyWhenDisabledAndMarkedWhenFocused)
{
    QWidget top;
    auto* dial = new CDial_VANTREL_KXE(&top);
    dial->setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_knob29.png", {26, 26}, 29)));
    dial->setnSubImages(29);
    dial->setRange(0, 127);
    dial->setValue(127);
    top.show();
    EXPECT_EQ(dial->size(), QSize(26, 26));
    EXPECT_EQ(dial->grab().toImage().pixel(13, 13), frameColour(28));
    dial->setValue(0);
    EXPECT_EQ(dial->grab().toImage().pixel(13, 13), frameColour(0));

    dial->setEnabled(false);
    const QRgb grey = dial->grab().toImage().pixel(13, 13);
    EXPECT_EQ(qRed(grey), qGreen(grey));
    EXPECT_EQ(qGreen(grey), qBlue(grey));

    dial->setEnabled(true);
    dial->setFocusColor(Qt::black);
    top.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
    dial->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dial->hasFocus(); }));
    const QImage focused = dial->grab().toImage();
    EXPECT_EQ(focused.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(focused.pixel(1, 1), qRgb(60, 60, 60));
    EXPECT_EQ(focused.pixel(13, 13), frameColour(0));
}

TEST(DialDrawing, CategoriesAndTheDisabledFrameComeFromTheirCells)
{
    auto dial = rangedDial(0, 127, 127);
    dial->setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_knob10x2.png", {20, 20}, 10, 2)));
    dial->setnSubImages(10);
    dial->setnImageCategories(2);
    dial->setdisabledImageIndex(0);
    dial->show();
    EXPECT_EQ(dial->size(), QSize(20, 20));
    dial->setCurrentImage(1);
    EXPECT_EQ(dial->grab().toImage().pixel(10, 10), frameColour(9, 1));
    dial->setCurrentImage(5); // no such category: kept
    EXPECT_EQ(dial->currentImage(), 1);
    dial->setEnabled(false);
    EXPECT_EQ(dial->grab().toImage().pixel(10, 10), frameColour(0, 1));
}

namespace {
class CachingWindow : public QWidget, public TCacheServer
{
};
} // namespace

TEST(DialDrawing, DialsOfOneCachingWindowNeverShareFacesOfOtherImagesOrStates)
{
    CachingWindow window;
    window.setWindowTitle(QStringLiteral("Mixer"));
    auto* plain = new CDial_VANTREL_KXE(&window);
    auto* twoTone = new CDial_VANTREL_KXE(&window);
    plain->setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_knob29.png", {26, 26}, 29)));
    twoTone->setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_knob29b.png", {26, 26}, 29, 2)));
    for (CDial_VANTREL_KXE* dial : {plain, twoTone}) {
        dial->setnSubImages(29);
        dial->setRange(0, 127);
        dial->setValue(64);
    }
    twoTone->setnImageCategories(2);
    twoTone->setCurrentImage(1);
    window.show();
    EXPECT_EQ(plain->grab().toImage().pixel(13, 13), frameColour(14, 0));
    EXPECT_EQ(twoTone->grab().toImage().pixel(13, 13), frameColour(14, 1));
    // The same image in another state is not taken from the cache either.
    twoTone->setCombinedImage(plain->combinedImage());
    twoTone->setnImageCategories(1);
    twoTone->setEnabled(false);
    const QRgb grey = twoTone->grab().toImage().pixel(13, 13);
    EXPECT_EQ(qRed(grey), qBlue(grey));
    EXPECT_EQ(plain->grab().toImage().pixel(13, 13), frameColour(14, 0));
}

namespace {
// Whether every opaque pixel of `cell` is the same in `shown` (transparent parts show
// whatever lies beneath).
bool showsCell(const QImage& shown, const QImage& cell)
{
    const QImage a = shown.convertToFormat(QImage::Format_ARGB32);
    const QImage b = cell.convertToFormat(QImage::Format_ARGB32);
    if (a.size() != b.size())
        return false;
    int opaque = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (qAlpha(b.pixel(x, y)) == 255) {
                ++opaque;
                if (a.pixel(x, y) != b.pixel(x, y))
                    return false;
            }
    return opaque > 0;
}
} // namespace

TEST(DialDrawing, GeneratedKnobStripShowsOneFramePerValue)
{
    const QPixmap knob = NS_Utilities::loadPixmap(QStringLiteral("tovar_knob1states.png"));
    if (knob.isNull())
        GTEST_SKIP() << "the drawn knob strip is not registered";
    const NS_Utilities::ImageInfo info = NS_Utilities::ImageRegistry::info(QStringLiteral("tovar_knob1states.png"));
    auto dial = rangedDial(0, 127, 0);
    dial->setCombinedImage(knob);
    dial->setnSubImages(info.rows);
    dial->show();
    const QImage strip = knob.toImage();
    const int h = strip.height() / info.rows;
    for (int value : {0, 64, 127}) {
        dial->setValue(value);
        const int row = dial->currentIndex();
        EXPECT_TRUE(showsCell(dial->grab().toImage(), strip.copy(0, row * h, strip.width(), h))) << value;
    }
    // The first and last frames differ: the pointer and arc move.
    EXPECT_NE(strip.copy(0, 0, strip.width(), h), strip.copy(0, (info.rows - 1) * h, strip.width(), h));
}
