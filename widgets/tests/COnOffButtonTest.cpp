// The on/off button: what a click writes, which image row shows, values from memory,
// image sharing through a cache, and state changes made while the signals are blocked.
#include "WidgetTestSupport.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "widgets/COnOffButton_VANTREL_KXE.h"
#include "widgets/TCacheServer.h"
#include "widgets/TCachedData.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

using namespace NS_WidgetTest;

namespace {

constexpr short kElement = 2, kParam = 9, kChannel = 4;

struct Bound
{
    RecordingMemAPI api;
    QWidget view;
    COnOffButton_VANTREL_KXE* button;

    Bound()
    {
        api.defineName(QStringLiteral("kSwitch"), kElement, kParam);
        api.setRange(kElement, kParam, 0, 127);
        button = new COnOffButton_VANTREL_KXE(&view, "switch");
        button->resize(30, 20);
        button->setNamedAddress(QStringLiteral("FEkSwitch"));
    }
    void bind(int value)
    {
        api.poke(kElement, kParam, kChannel, value);
        api.MAPI_assignServer(&view, kChannel);
        EXPECT_TRUE(api.writes.isEmpty()) << "the value from memory was written back";
        api.actions.clear();
    }
    std::optional<int> lastWrite() const
    {
        if (api.writes.isEmpty())
            return std::nullopt;
        return api.writes.last().value;
    }
};

QRgb pixelOf(QWidget* w) { return w->grab().toImage().pixel(w->width() / 2, w->height() / 2); }

struct WriteCase
{
    const char* name;
    int clip;
    bool hasOffState;
    bool inverted;
    int stored;              // the parameter's value before the click
    bool shownOn;            // what the button shows for it
    std::optional<int> written; // what the click writes, if anything
    bool onAfter;            // what the button shows after the click
};

class OnOffWrites : public ::testing::TestWithParam<WriteCase>
{
};

} // namespace

TEST_P(OnOffWrites, ClickWritesTheTableValueOnceWithTheEditArguments)
{
    const WriteCase& c = GetParam();
    Bound b;
    b.button->setBoolClipValue(c.clip);
    b.button->setHasOffState(c.hasOffState);
    b.button->setInvertedLogic(c.inverted);
    b.bind(c.stored);
    EXPECT_EQ(b.button->isChecked(), c.shownOn);
    EXPECT_TRUE(b.api.writes.isEmpty());

    QTest::mouseClick(b.button, Qt::LeftButton);
    EXPECT_EQ(b.lastWrite(), c.written);
    EXPECT_EQ(b.button->isChecked(), c.onAfter);
    if (c.written) {
        ASSERT_EQ(b.api.writes.size(), 1);
        EXPECT_EQ(b.api.writes.at(0).element, kElement);
        EXPECT_EQ(b.api.writes.at(0).parameter, kParam);
        EXPECT_EQ(b.api.writes.at(0).channel, kChannel);
        EXPECT_EQ(b.api.writes.at(0).flags, 0xFFFFFFFFu);
        EXPECT_EQ(b.api.actions.at(0), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, OnOffWrites,
    ::testing::Values(WriteCase{"PlainSwitchOn", 0, false, false, 0, false, 1, true},
                      WriteCase{"PlainSwitchOff", 0, false, false, 1, true, 0, false},
                      WriteCase{"SelectorSwitchesOn", 3, false, false, 0, false, 2, true},
                      WriteCase{"SelectorCannotBeClickedOff", 3, false, false, 2, true, std::nullopt, true},
                      WriteCase{"SelectorWithOffState", 3, true, false, 2, true, 0, false},
                      WriteCase{"InvertedShowsOnForZero", 0, false, true, 0, true, 1, false},
                      WriteCase{"InvertedSwitchedOnWritesZero", 0, false, true, 1, false, 0, true}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST(OnOffButton, PushTriggerWritesOnThePressAndMemoryValuesAreNotWrittenBack)
{
    Bound b;
    b.button->setOnStateTrigger(COnOffButton_VANTREL_KXE::buttonPush);
    b.bind(0);
    press(b.button, QPointF(5, 5));
    EXPECT_EQ(b.lastWrite(), 1);
    release(b.button, QPointF(5, 5));
    EXPECT_EQ(b.api.writes.size(), 1);
    EXPECT_TRUE(b.button->isChecked());
    EXPECT_FALSE(b.button->isClicked());

    // The instrument switches it off: shown, not written.
    b.api.poke(kElement, kParam, kChannel, 0);
    b.api.alert(kElement, kParam, kChannel);
    EXPECT_FALSE(b.button->isChecked());
    EXPECT_EQ(b.api.writes.size(), 1);

    // A value that is no boolean switches as if read, and what follows is written.
    b.button->setNonBoolValue(1);
    EXPECT_TRUE(b.button->isChecked());
    EXPECT_EQ(b.lastWrite(), 1);
}

TEST(OnOffButton, ImageRowsFollowStateClickAndEnabledLook)
{
    const QString strip = testStrip("tovar_test_onoff4.png", {24, 12}, 4);
    struct RowCase
    {
        bool swapped, checked, clicked, enabled;
        int row;
    };
    const RowCase cases[] = {
        {false, true, false, true, 0},  {false, false, false, true, 1}, {true, true, false, true, 1},
        {true, false, false, true, 0},  {false, false, true, true, 2},  {false, true, false, false, 3},
    };
    for (const RowCase& c : cases) {
        COnOffButton_VANTREL_KXE button;
        button.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(strip));
        button.setnSubImages(4);
        button.setimagesSwapped(c.swapped);
        button.setChecked(c.checked);
        button.setClicked(c.clicked);
        button.setEnabled(c.enabled);
        EXPECT_EQ(pixelOf(&button), frameColour(c.row))
            << "swapped " << c.swapped << " checked " << c.checked << " clicked " << c.clicked;
        EXPECT_EQ(button.size(), QSize(24, 12));
    }

    // Three rows with a disabled image: the last row is the disabled look.
    COnOffButton_VANTREL_KXE three;
    three.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_onoff3.png", {24, 12}, 3)));
    three.setnSubImages(3);
    three.setHasDisableImage(true);
    three.setEnabled(false);
    EXPECT_EQ(pixelOf(&three), frameColour(2));

    // A row count of 0 or a category count of 0 from a form divides nothing.
    COnOffButton_VANTREL_KXE broken;
    broken.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(strip));
    broken.setnImageCategories(0);
    broken.setnSubImages(4);
    EXPECT_EQ(pixelOf(&broken), frameColour(1));
    broken.setnSubImages(0);
    broken.grab();
}

namespace {
// A window that lets its buttons share images by name.
class CachingWindow : public QWidget, public TCacheServer
{
public:
    ~CachingWindow() override { qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)); }
};
} // namespace

TEST(OnOffButton, SameNamedButtonsShareImagesButNotBehaviour)
{
    const QPixmap strip = NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_onoff2.png", {20, 10}, 2));
    RecordingMemAPI api;
    api.defineName(QStringLiteral("kA"), kElement, 1);
    api.defineName(QStringLiteral("kB"), kElement, 2);
    CachingWindow window;
    auto* first = new COnOffButton_VANTREL_KXE(&window, "mute");
    // Named the way a form names it: after construction.
    auto* second = new COnOffButton_VANTREL_KXE(&window);
    second->setObjectName(QStringLiteral("mute"));
    for (auto* b : {first, second}) {
        b->setCombinedImage(strip);
        b->setnSubImages(2);
    }
    first->setNamedAddress(QStringLiteral("00kA"));
    second->setNamedAddress(QStringLiteral("00kB"));
    first->setInvertedLogic(true);
    second->setBoolClipValue(5);
    first->ensurePolished();
    second->ensurePolished();
    EXPECT_TRUE(first->isShared());
    EXPECT_EQ(first->images(), second->images());
    EXPECT_EQ(first->images()->m_refCount, 2);

    // Each keeps its own values and logic.
    api.MAPI_assignServer(&window, 0);
    QTest::mouseClick(first, Qt::LeftButton);
    QTest::mouseClick(second, Qt::LeftButton);
    ASSERT_EQ(api.writes.size(), 2);
    EXPECT_EQ(api.writes.at(0).parameter, 1);
    EXPECT_EQ(api.writes.at(0).value, 1); // inverted: switched off writes the on value
    EXPECT_EQ(api.writes.at(1).parameter, 2);
    EXPECT_EQ(api.writes.at(1).value, 4);

    // A button without a name never registers; without a cache nothing is shared.
    auto* unnamed = new COnOffButton_VANTREL_KXE(&window);
    unnamed->ensurePolished();
    EXPECT_FALSE(unnamed->isShared());
    QWidget plain;
    auto* a = new COnOffButton_VANTREL_KXE(&plain, "mute");
    auto* b = new COnOffButton_VANTREL_KXE(&plain, "mute");
    a->ensurePolished();
    b->ensurePolished();
    EXPECT_FALSE(a->isShared());
    EXPECT_NE(a->images(), b->images());
    EXPECT_TRUE(a->images()->m_name.isEmpty());
}

TEST(OnOffButton, ToggleWhileSignalsAreBlockedIsWrittenOnceTheyAreNot)
{
    Bound b;
    b.bind(0);
    b.button->blockSignals(true);
    QTest::mouseClick(b.button, Qt::LeftButton);
    EXPECT_TRUE(b.button->isChecked());
    EXPECT_TRUE(b.api.writes.isEmpty());
    EXPECT_TRUE(b.button->stateChangePending());
    b.button->blockSignals(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.api.writes.size() == 1; })) << b.api.writes.size();
    EXPECT_EQ(b.api.writes.at(0).value, 1);

    // A value from memory while blocked is shown and never written back.
    b.button->blockSignals(true);
    b.api.poke(kElement, kParam, kChannel, 0);
    b.api.alert(kElement, kParam, kChannel);
    EXPECT_FALSE(b.button->isChecked());
    b.button->blockSignals(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !b.button->stateChangePending(); }));
    EXPECT_EQ(b.api.writes.size(), 1);
}

// ---- a selection object, the user-interface lock, the off trigger, keys, own pixmap,
// the grey look, categories

TEST(OnOffButton, AButtonWithoutAnAddressMirrorsItsSelectionObject)
{
    RecordingMemAPI api;
    api.defineName(QStringLiteral("kSelect"), kElement, 11);
    api.setRange(kElement, 11, 0, 127);
    api.poke(kElement, 11, kChannel, 0);
    QWidget view;
    auto* selection = new CSimpleNotifier_VANTREL_KXE(&view, "selection");
    selection->setNamedAddress(QStringLiteral("FEkSelect"));
    auto* button = new COnOffButton_VANTREL_KXE(&view, "mirror");
    button->resize(30, 20);
    button->setSelectionObject(selection);
    api.MAPI_assignServer(&view, kChannel);
    EXPECT_TRUE(api.writes.isEmpty()) << "the value from memory was written back";
    EXPECT_FALSE(button->isChecked());

    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(button->isChecked());
    ASSERT_EQ(api.writes.size(), 1);
    EXPECT_EQ(api.writes[0].parameter, 11);
    EXPECT_EQ(api.writes[0].value, 1);
    EXPECT_EQ(selection->getValue(), 1);

    // The instrument switches the selection off: the button follows, nothing is written.
    api.poke(kElement, 11, kChannel, 0);
    button->process(nullptr, 0, 0);
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(api.writes.size(), 1);
}

TEST(OnOffButton, ALockedUserInterfaceIgnoresClicks)
{
    Bound b;
    b.bind(0);
    ASSERT_TRUE(b.button->setProperty("disabledUI", true));
    EXPECT_TRUE(b.button->disabledUI());
    QTest::mouseClick(b.button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(b.button->isChecked());
    EXPECT_TRUE(b.api.writes.isEmpty());
    b.button->setDisabledUI(false);
    QTest::mouseClick(b.button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b.button->isChecked());
    EXPECT_EQ(b.lastWrite(), 1);
}

TEST(OnOffButton, AnOffTriggerOnPushSwitchesOffOnThePress)
{
    Bound b;
    ASSERT_TRUE(b.button->setProperty("offStateTrigger", QVariant::fromValue(COnOffButton_VANTREL_KXE::buttonPush)));
    EXPECT_EQ(b.button->offStateTrigger(), COnOffButton_VANTREL_KXE::buttonPush);
    EXPECT_EQ(b.button->onStateTrigger(), COnOffButton_VANTREL_KXE::buttonRelease);
    b.bind(1);
    ASSERT_TRUE(b.button->isChecked());
    press(b.button, QPointF(5, 5));
    EXPECT_FALSE(b.button->isChecked());
    EXPECT_EQ(b.lastWrite(), 0);
    release(b.button, QPointF(5, 5));
    EXPECT_EQ(b.api.writes.size(), 1);
    // Switching on still waits for the release.
    press(b.button, QPointF(5, 5));
    EXPECT_FALSE(b.button->isChecked());
    release(b.button, QPointF(5, 5));
    EXPECT_TRUE(b.button->isChecked());
    EXPECT_EQ(b.lastWrite(), 1);
}

TEST(OnOffButton, ArrowKeysToggleAButtonWithAFocusColourOnly)
{
    Bound b;
    b.bind(0);
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Left}) {
        QTest::keyClick(b.button, key);
        EXPECT_FALSE(b.button->isChecked()) << key;
    }
    EXPECT_TRUE(b.api.writes.isEmpty());
    ASSERT_TRUE(b.button->setProperty("focusColor", QColor(Qt::yellow)));
    EXPECT_EQ(b.button->focusPolicy(), Qt::StrongFocus);
    const struct
    {
        Qt::Key key;
        bool on;
    } keys[] = {{Qt::Key_Up, true}, {Qt::Key_Down, false}, {Qt::Key_Left, true}, {Qt::Key_Right, false}};
    for (const auto& k : keys) {
        QTest::keyClick(b.button, k.key);
        EXPECT_EQ(b.button->isChecked(), k.on) << k.key;
        EXPECT_EQ(b.lastWrite(), k.on ? 1 : 0) << k.key;
    }
    EXPECT_EQ(b.api.writes.size(), 4);
}

TEST(OnOffButton, TheButtonsOwnPixmapFramesTheImageAndTheDisabledLookAndCategories)
{
    // Own pixmap of 40 x 20 around frames of 24 x 12: the frame sits centred on it.
    COnOffButton_VANTREL_KXE framed;
    const QPixmap back = NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_onoff_back.png", {40, 20}, 1, 1));
    framed.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_onoff2x2.png", {24, 12}, 2, 2)));
    framed.setnImageCategories(2);
    framed.setnSubImages(2);
    ASSERT_TRUE(framed.setProperty("pixmap", back));
    EXPECT_EQ(framed.pixmap().cacheKey(), back.cacheKey());
    framed.setChecked(true);
    QImage look = framed.grab().toImage();
    EXPECT_EQ(framed.size(), QSize(40, 20));
    EXPECT_EQ(look.pixel(20, 10), frameColour(0, 0));
    EXPECT_EQ(look.pixel(2, 2), frameColour(0, 0)); // the pixmap's own colour
    framed.setCurrentImage(1);
    EXPECT_EQ(framed.currentImage(), 1);
    look = framed.grab().toImage();
    EXPECT_EQ(look.pixel(20, 10), frameColour(0, 1));
    EXPECT_EQ(look.pixel(2, 2), frameColour(0, 0));
    framed.setCurrentImage(2); // no such category: kept
    EXPECT_EQ(framed.currentImage(), 1);

    // Two rows and no disabled image: disabled shows row 0 whatever the state.
    COnOffButton_VANTREL_KXE plain;
    plain.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_onoff2rows.png", {24, 12}, 2)));
    plain.setnSubImages(2);
    plain.setChecked(false);
    EXPECT_EQ(pixelOf(&plain), frameColour(1));
    plain.setEnabled(false);
    EXPECT_EQ(pixelOf(&plain), frameColour(0));
    plain.setChecked(true);
    plain.updateErasePixmapSlot();
    EXPECT_EQ(pixelOf(&plain), frameColour(0));

    // Without a pressed row in use, a held click shows the state's row.
    COnOffButton_VANTREL_KXE untracked;
    untracked.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_onoff4.png", {24, 12}, 4)));
    untracked.setnSubImages(4);
    ASSERT_TRUE(untracked.setProperty("useTrackingImage", false));
    untracked.setClicked(true);
    EXPECT_EQ(pixelOf(&untracked), frameColour(1));

    // Without images the toolkit draws a push button, up and down.
    COnOffButton_VANTREL_KXE bare;
    QPushButton toolkit;
    for (QPushButton* b : {static_cast<QPushButton*>(&bare), &toolkit}) {
        b->setText(QStringLiteral("Mute"));
        b->resize(40, 20);
        b->setCheckable(true);
    }
    for (const bool on : {false, true}) {
        bare.setChecked(on);
        toolkit.setChecked(on);
        EXPECT_EQ(bare.grab().toImage(), toolkit.grab().toImage()) << on;
    }
}
