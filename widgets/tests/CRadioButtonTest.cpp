// The radio button: a group of buttons over one parameter, resets, and its pictures.
#include "WidgetTestSupport.h"
#include "widgets/CRadioButton_VANTREL_KXE.h"

#include <QButtonGroup>
#include <QMouseEvent>
#include <QTest>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace NS_WidgetTest;

namespace {

constexpr short kElement = 55, kParam = 28, kChannel = 6;

struct Group
{
    RecordingMemAPI api;
    QWidget view;
    QButtonGroup group;
    CRadioButton_VANTREL_KXE* buttons[3];

    Group()
    {
        api.defineName(QStringLiteral("kMode"), kElement, kParam);
        api.setRange(kElement, kParam, 0, 2, 1);
        for (int i = 0; i < 3; ++i) {
            buttons[i] = new CRadioButton_VANTREL_KXE(&view);
            buttons[i]->setOnValue(i);
            buttons[i]->setNamedAddress(QStringLiteral("FEkMode"));
            buttons[i]->setGeometry(30 * i, 0, 20, 20);
            group.addButton(buttons[i]);
        }
    }
    void bind(int value)
    {
        api.poke(kElement, kParam, kChannel, value);
        api.MAPI_assignServer(&view, kChannel);
        EXPECT_TRUE(api.writes.isEmpty()) << "the value from memory was written back";
    }
    int checked() const
    {
        for (int i = 0; i < 3; ++i)
            if (buttons[i]->isChecked())
                return i;
        return -1;
    }
};

} // namespace

TEST(RadioButton, GroupFollowsMemoryAndAClickWritesItsValue)
{
    Group g;
    EXPECT_FALSE(g.buttons[0]->autoExclusive());
    g.bind(2);
    EXPECT_EQ(g.checked(), 2);
    EXPECT_EQ(g.buttons[2]->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(g.buttons[0]->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(g.api.writes.isEmpty());

    QTest::mouseClick(g.buttons[0], Qt::LeftButton);
    EXPECT_EQ(g.checked(), 0);
    ASSERT_EQ(g.api.writes.size(), 1);
    EXPECT_EQ(g.api.writes.at(0).value, 0);
    EXPECT_EQ(g.api.writes.at(0).flags, 0xFFFFFFFFu);
    EXPECT_EQ(g.api.actions.at(0), 1);

    g.api.poke(kElement, kParam, kChannel, 1);
    g.api.alert(kElement, kParam, kChannel);
    EXPECT_EQ(g.checked(), 1);
    EXPECT_EQ(g.api.writes.size(), 1);

    // A reset of every button writes the default once: the button that stands for it.
    for (auto* b : g.buttons)
        b->reset2defaults(0);
    EXPECT_EQ(g.api.writes.size(), 1);
    g.api.poke(kElement, kParam, kChannel, 2);
    g.api.alert(kElement, kParam, kChannel);
    for (auto* b : g.buttons)
        b->reset2defaults(0);
    EXPECT_EQ(g.checked(), 1);
    ASSERT_EQ(g.api.writes.size(), 2);
    EXPECT_EQ(g.api.writes.at(1).value, 1);
}

TEST(RadioButton, ClickWhileSignalsAreBlockedIsWrittenOnceTheyAreNot)
{
    Group g;
    g.bind(2);
    g.buttons[0]->blockSignals(true);
    QTest::mouseClick(g.buttons[0], Qt::LeftButton);
    EXPECT_TRUE(g.api.writes.isEmpty());
    g.buttons[0]->blockSignals(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.api.writes.size() == 1; })) << g.api.writes.size();
    EXPECT_EQ(g.api.writes.at(0).value, 0);
}

TEST(RadioButton, CombinedImageFramesAndPictures)
{
    const QPixmap strip = NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_radio3.png", {16, 16}, 3));
    CRadioButton_VANTREL_KXE radio;
    radio.resize(16, 16);
    radio.setCombinedImage(strip);
    radio.setnSubImages(3);
    auto centre = [&radio] { return radio.grab().toImage().pixel(8, 8); };
    EXPECT_EQ(centre(), frameColour(1));
    radio.setChecked(true);
    EXPECT_EQ(centre(), frameColour(0));
    press(&radio, QPointF(8, 8));
    EXPECT_EQ(centre(), frameColour(2));
    release(&radio, QPointF(8, 8));
    EXPECT_FALSE(radio.isClicked());
    radio.setEnabled(false);
    EXPECT_EQ(qRed(centre()), qGreen(centre())); // grey

    // Separate pictures: the off picture fixes the size; the pressed one stays a while.
    CRadioButton_VANTREL_KXE pictures;
    QPixmap off(12, 10), on(12, 10), tracking(12, 10);
    off.fill(Qt::red);
    on.fill(Qt::green);
    tracking.fill(Qt::blue);
    pictures.setOffState(off);
    pictures.setOnState(on);
    pictures.setTrackingState(tracking);
    pictures.setClickDelay(1);
    EXPECT_EQ(pictures.size(), QSize(12, 10));
    EXPECT_EQ(pictures.grab().toImage().pixelColor(6, 5), QColor(Qt::red));
    press(&pictures, QPointF(6, 5));
    release(&pictures, QPointF(6, 5));
    EXPECT_TRUE(pictures.isClicked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pictures.isClicked(); }));
    EXPECT_EQ(pictures.grab().toImage().pixelColor(6, 5), QColor(Qt::green));
}

TEST(RadioButton, TabbingOntoAButtonChoosesItAndAMouseFocusDoesNot)
{
    Group g;
    g.bind(0);
    g.view.show();
    g.view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&g.view));
    g.buttons[1]->setFocusPolicy(Qt::StrongFocus);
    g.buttons[1]->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(g.checked(), 0);
    EXPECT_TRUE(g.api.writes.isEmpty());
    g.buttons[1]->clearFocus();
    g.buttons[1]->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.buttons[1]->hasFocus(); }));
    EXPECT_EQ(g.checked(), 1);
    ASSERT_EQ(g.api.writes.size(), 1);
    EXPECT_EQ(g.api.writes[0].value, 1);
}

TEST(RadioButton, ThePressedPictureShowsWhileHeldAndASecondPressIsIgnored)
{
    CRadioButton_VANTREL_KXE radio(nullptr, "held");
    EXPECT_EQ(radio.objectName(), QStringLiteral("held"));
    QPixmap off(12, 10), on(12, 10), tracking(12, 10);
    off.fill(Qt::red);
    on.fill(Qt::green);
    tracking.fill(Qt::blue);
    ASSERT_TRUE(radio.setProperty("offState", off));
    ASSERT_TRUE(radio.setProperty("onState", on));
    ASSERT_TRUE(radio.setProperty("trackingState", tracking));
    ASSERT_TRUE(radio.setProperty("clickDelay", 10000)); // held for the whole test
    ASSERT_TRUE(radio.setProperty("onValue", 3));
    EXPECT_EQ(radio.property("onValue").toInt(), 3);
    EXPECT_EQ(radio.property("clickDelay").toInt(), 10000);
    EXPECT_EQ(radio.property("trackingState").value<QPixmap>().cacheKey(), tracking.cacheKey());
    EXPECT_EQ(radio.onState().cacheKey(), on.cacheKey());
    EXPECT_EQ(radio.offState().cacheKey(), off.cacheKey());
    // No combined image by default: no frames in it.
    EXPECT_EQ(radio.property("nSubImages").toInt(), 0);
    EXPECT_TRUE(radio.property("combinedImage").value<QPixmap>().isNull());
    press(&radio, QPointF(6, 5));
    release(&radio, QPointF(6, 5));
    ASSERT_TRUE(radio.isClicked());
    EXPECT_TRUE(radio.isChecked());
    EXPECT_EQ(radio.grab().toImage().pixelColor(6, 5), QColor(Qt::blue));
    // Pressed again before the pressed look is over: ignored.
    QMouseEvent again(QEvent::MouseButtonPress, QPointF(6, 5), QPointF(radio.mapToGlobal(QPoint(6, 5))), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&radio, &again);
    EXPECT_FALSE(again.isAccepted());
    EXPECT_TRUE(radio.isChecked());

    // Without any picture the toolkit draws the button, as it draws its own radio
    // button, on and off.
    CRadioButton_VANTREL_KXE bare;
    QRadioButton plain;
    for (QRadioButton* b : {static_cast<QRadioButton*>(&bare), &plain}) {
        b->setText(QStringLiteral("Poly"));
        b->resize(60, 20);
    }
    for (const bool on : {false, true}) {
        bare.setChecked(on);
        plain.setChecked(on);
        EXPECT_EQ(bare.grab().toImage(), plain.grab().toImage()) << on;
    }
}
