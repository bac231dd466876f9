// The knob: which frame a value shows, the circular and vertical drags, wheel, keys,
// the display texts and what is drawn.
#include "WidgetTestSupport.h"
#include "appserver/CAppServer.h"
#include "widgets/CDialTip.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include "widgets/TCacheServer.h"

#include <QEnterEvent>
#include <QPaintEngine>
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

// ---- attenuator frames, typed numbers, tip, pictures, signed texts, frequency pages

struct AttCase
{
    const char* name;
    int lo, hi, value, index;
};

class DialAttenuatorFrame : public ::testing::TestWithParam<AttCase>
{
};

TEST_P(DialAttenuatorFrame, PicksTheFrameOfTheLevel)
{
    const AttCase& c = GetParam();
    auto dial = rangedDial(c.lo, c.hi, c.lo);
    EXPECT_EQ(dial->getAttKnobIndex(c.value), c.index);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DialAttenuatorFrame,
    ::testing::Values(AttCase{"Bottom", -900, 600, -900, 0}, AttCase{"LowerMiddle", -900, 600, -600, 8},
                      AttCase{"JustBelowTheKnee", -900, 600, -301, 15}, AttCase{"TheKnee", -900, 600, -300, 15},
                      AttCase{"UpperCut", -900, 600, -150, 18}, AttCase{"JustBelowZero", -900, 600, -1, 22},
                      AttCase{"Zero", -900, 600, 0, 24}, AttCase{"Boost", -900, 600, 250, 26},
                      AttCase{"JustBelowTheTop", -900, 600, 599, 29}, AttCase{"Top", -900, 600, 600, 30},
                      AttCase{"SmallMaximumNoDivisionByZero", 0, 5, 3, 24}),
    [](const ::testing::TestParamInfo<AttCase>& info) { return std::string(info.param.name); });

namespace {

// Typed numbers through a table times ten, undo saves counted, and a picture for table 12.
class TableMemAPI : public NumberTableMemAPI
{
public:
    QVector<int> shownValues;

    int32_t MAPI_getDisplayStringForValue(short channel, int table, QString* text, QPixmap* picture, int value,
                                          int flag, short e, short p) override
    {
        shownValues.push_back(value);
        if (table == 12 && picture) {
            *picture = QPixmap(8, 8);
            picture->fill(Qt::red);
            return 0;
        }
        return NumberTableMemAPI::MAPI_getDisplayStringForValue(channel, table, text, picture, value, flag, e, p);
    }
};

struct TableDial
{
    CAppServer* server = CAppServer::Instance();
    TableMemAPI api;
    QWidget view;
    CDial_VANTREL_KXE* dial = nullptr;

    TableDial(int lo, int hi, int value)
    {
        api.defineName(QStringLiteral("kCutoff"), 55, 15);
        api.setRange(55, 15, lo, hi, 0);
        api.poke(55, 15, 3, value);
        dial = new CDial_VANTREL_KXE(&view);
        dial->resize(26, 26);
        dial->setNamedAddress(QStringLiteral("FEkCutoff"));
    }
    void bind()
    {
        api.MAPI_assignServer(&view, 3);
        EXPECT_TRUE(api.writes.isEmpty()) << "the value from memory was written back";
    }
    ~TableDial()
    {
        delete dial;
        QCoreApplication::sendPostedEvents();
        server->release();
    }
};

} // namespace

TEST(BoundDialTables, ATypedNumberGoesThroughTheTableAndIsSavedForUndoUnlessDisabled)
{
    TableDial t(0, 127, 10);
    t.bind();
    ASSERT_TRUE(t.dial->setProperty("tableId", 7));
    t.dial->acceptNum(3.3);
    EXPECT_EQ(t.dial->value(), 33);
    EXPECT_EQ(t.api.floatTables, QVector<int>{7});
    ASSERT_EQ(t.api.undoSaved.size(), 1);
    EXPECT_EQ(t.api.undoSaved[0], static_cast<TMemProxy_VANTREL_KXE*>(t.dial));
    ASSERT_FALSE(t.api.writes.isEmpty());
    EXPECT_EQ(t.api.writes.last().value, 33);

    ASSERT_TRUE(t.dial->setProperty("undoEnable", false));
    t.dial->acceptNum(4.0);
    EXPECT_EQ(t.dial->value(), 40);
    EXPECT_EQ(t.api.undoSaved.size(), 1);

    CDial_VANTREL_KXE unbound;
    unbound.setRange(0, 127);
    unbound.acceptNum(4.0);
    EXPECT_EQ(unbound.value(), 0);
}

TEST(BoundDialTables, ASignedParameterIsShownFromItsTablesFirstEntry)
{
    TableDial t(-64, 63, 0);
    QSignalSpy text(t.dial, &CDial_VANTREL_KXE::textualValueChange);
    QSignalSpy memory(t.dial, &CDial_VANTREL_KXE::memoryAPIValueChange);
    t.bind();
    ASSERT_GE(text.count(), 1);
    EXPECT_EQ(text.last().at(0).toString(), QStringLiteral("64"));
    QTest::keyClick(t.dial, Qt::Key_Down);
    EXPECT_EQ(text.last().at(0).toString(), QStringLiteral("63"));
    EXPECT_EQ(memory.last().at(0).toInt(), -1);
    // Without a table the value is shown as it is.
    t.dial->setTableId(-1);
    t.dial->handle_changeAltNamedValue(0);
    EXPECT_EQ(text.last().at(0).toString(), QStringLiteral("-1"));
}

TEST(BoundDialTables, APictureFromTheTableIsShownInsteadOfAText)
{
    TableDial t(0, 127, 5);
    t.dial->setTableId(12);
    QSignalSpy text(t.dial, &CDial_VANTREL_KXE::textualValueChange);
    QSignalSpy picture(t.dial, &CDial_VANTREL_KXE::pixmapValueChange);
    t.bind();
    ASSERT_GE(picture.count(), 1);
    EXPECT_EQ(picture.last().at(0).value<QPixmap>().size(), QSize(8, 8));
    EXPECT_EQ(text.count(), 0);
}

TEST(BoundDialTables, TheNumberTipShowsTheValueWhileTheMouseIsOver)
{
    TableDial t(0, 127, 90);
    t.bind();
    ASSERT_TRUE(t.dial->setProperty("numberToolTip", true));
    EXPECT_TRUE(t.dial->property("numberToolTip").toBool());
    auto* tip = t.view.findChild<CDialTip*>();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->text(), QStringLiteral("90"));
    t.view.show();
    tip->hide();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(t.dial->mapToGlobal(QPoint(5, 5))));
    QApplication::sendEvent(t.dial, &enter);
    EXPECT_FALSE(tip->isHidden());
    QTest::keyClick(t.dial, Qt::Key_Up);
    EXPECT_EQ(tip->text(), QStringLiteral("91"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(t.dial, &leave);
    EXPECT_TRUE(tip->isHidden());
    t.dial->setNumberToolTip(false);
    EXPECT_EQ(t.view.findChild<CDialTip*>(), nullptr);
    QApplication::sendEvent(t.dial, &enter);
    QApplication::sendEvent(t.dial, &leave);
}

TEST_F(BoundDial, FrequencyTablePagesInRateUnitsAndWithoutAMemoryDoesNotStep)
{
    api.setRange(55, 14, 0, 100000, 0);
    api.poke(55, 14, 3, 24000);
    bind();
    dial->setTableId(CDial_VANTREL_KXE::kFrequencyTable);
    dial->addPage();
    // ((24000 * 10000 / 480000 + 50) / 100 + 10) * 48000000 / 10000
    EXPECT_EQ(dial->value(), 72000);
    dial->subtractPage();
    EXPECT_EQ(dial->value(), 24000);

    CDial_VANTREL_KXE unbound;
    unbound.setRange(0, 100000);
    unbound.setValue(24000);
    unbound.setTableId(CDial_VANTREL_KXE::kFrequencyTable);
    unbound.addLine();
    unbound.addPage();
    EXPECT_EQ(unbound.value(), 24000);
}

namespace {
// A paint device that keeps the cache key of every pixmap painted on it, so that a
// test sees which pixmap a widget drew, not only its colours.
class PixmapLog : public QPaintDevice
{
public:
    QVector<qint64> keys() const { return m_engine.keys; }
    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 64;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

private:
    class Engine : public QPaintEngine
    {
    public:
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap& pixmap, const QRectF&) override
        {
            keys.push_back(pixmap.cacheKey());
        }
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        Type type() const override { return User; }
        QVector<qint64> keys;
    };
    mutable Engine m_engine;
};
} // namespace

TEST(DialDrawing, TwinDialsOfACachingWindowShareOneFace)
{
    CachingWindow window;
    window.setWindowTitle(QStringLiteral("Voices"));
    CDial_VANTREL_KXE* dials[2];
    for (auto*& dial : dials) {
        dial = new CDial_VANTREL_KXE(&window);
        dial->setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_knob29.png", {26, 26}, 29)));
        dial->setnSubImages(29);
        dial->setRange(0, 127);
        dial->setValue(127);
    }
    window.show();
    EXPECT_EQ(dials[0]->grab().toImage().pixel(13, 13), frameColour(28));
    EXPECT_EQ(dials[1]->grab().toImage().pixel(13, 13), frameColour(28));
    // Both paint the one face the first of them drew.
    const auto facesPainted = [&] {
        PixmapLog log;
        for (CDial_VANTREL_KXE* dial : dials)
            dial->render(&log, QPoint(), QRegion(), QWidget::DrawChildren);
        return log.keys();
    };
    const QVector<qint64> top = facesPainted();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0], top[1]);
    dials[1]->setValue(0);
    EXPECT_EQ(dials[1]->grab().toImage().pixel(13, 13), frameColour(0));
    dials[0]->setValue(0); // the face the other dial left in the cache
    EXPECT_EQ(dials[0]->grab().toImage().pixel(13, 13), frameColour(0));
    const QVector<qint64> bottom = facesPainted();
    ASSERT_EQ(bottom.size(), 2);
    EXPECT_EQ(bottom[0], bottom[1]);
    EXPECT_NE(bottom[0], top[0]);
}
