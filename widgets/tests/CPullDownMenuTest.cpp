// The pull-down menu: entry texts, sorted entries and their ids, the value offset,
// check marks, what a choice writes, and how the menu opens.
#include "WidgetTestSupport.h"
#include "widgets/CMenuObject_VANTREL_KXE.h"
#include "widgets/CPullDownMenu_VANTREL_KXE.h"

#include <QAction>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace NS_WidgetTest;

namespace {

constexpr short kElement = 55, kParam = 9, kChannel = 1;

struct Bound
{
    RecordingMemAPI api;
    QWidget view;
    CPullDownMenu_VANTREL_KXE* menu;

    explicit Bound(int minimum = 0)
    {
        api.defineName(QStringLiteral("kRange"), kElement, kParam);
        api.setRange(kElement, kParam, minimum, 127);
        menu = new CPullDownMenu_VANTREL_KXE(&view, "range");
        menu->resize(50, 16);
        menu->setNamedAddress(QStringLiteral("FEkRange"));
    }
    void bind(int value)
    {
        api.poke(kElement, kParam, kChannel, value);
        api.MAPI_assignServer(&view, kChannel);
        EXPECT_TRUE(api.writes.isEmpty()) << "the value from memory was written back";
    }
    QStringList texts() const
    {
        QStringList out;
        for (QAction* a : menu->menu()->actions())
            out << a->text();
        return out;
    }
    int checked() const
    {
        const QList<QAction*> actions = menu->menu()->actions();
        for (int i = 0; i < actions.size(); ++i)
            if (actions.at(i)->isChecked())
                return i;
        return -1;
    }
    void choose(int row) { menu->menu()->actions().at(row)->trigger(); }
};

} // namespace

TEST(PullDownMenu, SortedEntriesListAscendingAndWriteTheirPositionGiven)
{
    Bound b(1);
    b.menu->setSorted(true);
    b.bind(2); // position 1 given: "3"
    b.menu->setMenuItemList(QStringLiteral("12;3;7"));
    EXPECT_EQ(b.texts(), (QStringList{"3", "7", "12"}));
    EXPECT_EQ(b.checked(), 0);
    b.choose(2); // "12", position 0 in the list given
    ASSERT_EQ(b.api.writes.size(), 1);
    EXPECT_EQ(b.api.writes.at(0).value, 1);
    EXPECT_EQ(b.checked(), 2);

    // Equal numbers and entries that are no plain number each get an id of their own.
    Bound dup;
    dup.menu->setSorted(true);
    dup.menu->setMenuItemList(QStringLiteral("5;x;5;007;1"));
    QSet<int> ids;
    for (QAction* a : dup.menu->menu()->actions())
        ids.insert(a->data().toInt());
    EXPECT_EQ(ids.size(), 5);
    EXPECT_EQ(dup.texts(), (QStringList{"x", "1", "5", "5", "007"}));
    dup.bind(0);
    dup.choose(3); // the second "5", given at position 2
    ASSERT_EQ(dup.api.writes.size(), 1);
    EXPECT_EQ(dup.api.writes.at(0).value, 2);
}

TEST(PullDownMenu, MinimumOffsetAmpersandsAndCheckMarks)
{
    Bound b(1);
    b.menu->setMenuItemList(QStringLiteral("A&B;C;D"));
    EXPECT_EQ(b.texts().at(0), QStringLiteral("A&&B"));
    b.bind(2);
    EXPECT_EQ(b.checked(), 1);
    EXPECT_EQ(b.menu->current(), 1);
    EXPECT_TRUE(b.api.writes.isEmpty());

    // The entry already shown: nothing written, nothing emitted.
    QSignalSpy changed(b.menu, &CPullDownMenu_VANTREL_KXE::valueChanged);
    b.choose(1);
    EXPECT_TRUE(b.api.writes.isEmpty());
    EXPECT_EQ(changed.count(), 0);
    b.choose(2);
    ASSERT_EQ(b.api.writes.size(), 1);
    EXPECT_EQ(b.api.writes.at(0).value, 3);
    EXPECT_EQ(changed.count(), 1);

    // A value outside the entries keeps what is shown.
    b.api.poke(kElement, kParam, kChannel, 90);
    b.api.alert(kElement, kParam, kChannel);
    EXPECT_EQ(b.menu->current(), 2);

    b.menu->setWantCheck(false);
    EXPECT_EQ(b.checked(), -1);

    // An empty list empties the menu.
    b.menu->setMenuItemList(QString());
    EXPECT_TRUE(b.menu->menu()->actions().isEmpty());
}

TEST(PullDownMenu, ImageModeIgnoresFramesPastTheStripAndDrawsTheFrame)
{
    const QString strip = testStrip("tovar_test_pulldown3.png", {30, 10}, 3);
    CPullDownMenu_VANTREL_KXE menu;
    menu.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(strip));
    menu.setnSubImages(3);
    menu.setCurrentImage(2);
    EXPECT_EQ(menu.size(), QSize(30, 10));
    EXPECT_EQ(menu.grab().toImage().pixel(15, 5), frameColour(2));
    QSignalSpy changed(&menu, &CPullDownMenu_VANTREL_KXE::valueChanged);
    menu.setCurrentImage(3);
    menu.setCurrentImage(-1);
    EXPECT_EQ(menu.current(), 2);
    EXPECT_EQ(changed.count(), 0);
    menu.toggleImage();
    EXPECT_EQ(menu.current(), 0);
}

TEST(PullDownMenu, LeftPressOpensTheMenuAndOtherButtonsDoNot)
{
    QWidget view;
    auto* menu = new CPullDownMenu_VANTREL_KXE(&view);
    menu->setMenuItemList(QStringLiteral("One;Two"));
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    press(menu, QPointF(2, 2), Qt::RightButton);
    EXPECT_FALSE(menu->menu()->isVisible());
    press(menu, QPointF(2, 2), Qt::LeftButton);
    EXPECT_TRUE(menu->menu()->isVisible());
    EXPECT_EQ(menu->menu()->owner(), menu);
    menu->menu()->close();
    EXPECT_FALSE(menu->menu()->isVisible());

    // Space opens it only with the focus look switched on.
    menu->setFocus();
    QTest::keyClick(menu, Qt::Key_Space);
    EXPECT_FALSE(menu->menu()->isVisible());
    menu->setEnableFocusRect(true);
    menu->setFocus();
    QTest::keyClick(menu, Qt::Key_Space);
    EXPECT_TRUE(menu->menu()->isVisible());
    menu->menu()->close();
}

// ---- stepping through frames, padded numbers, the menu's own window, form properties

TEST(PullDownMenu, StepsThroughTheFramesWithinTheStripAndWritesEachStep)
{
    Bound b;
    b.menu->setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_pulldown3.png", {30, 10}, 3)));
    b.menu->setnSubImages(3);
    b.menu->setnSubImages(3); // unchanged: nothing to redo
    EXPECT_EQ(b.menu->nSubImages(), 3);
    b.menu->setMenuItemList(QStringLiteral("Low;Mid;High"));
    ASSERT_TRUE(b.menu->setProperty("wantCheck", true));
    b.bind(0);
    const struct
    {
        void (CPullDownMenu_VANTREL_KXE::*step)();
        int current;
    } steps[] = {{&CPullDownMenu_VANTREL_KXE::incMenu, 1},
                 {&CPullDownMenu_VANTREL_KXE::incMenu, 2},
                 {&CPullDownMenu_VANTREL_KXE::incMenu, 2}, // the last frame holds
                 {&CPullDownMenu_VANTREL_KXE::decMenu, 1},
                 {&CPullDownMenu_VANTREL_KXE::decMenu, 0},
                 {&CPullDownMenu_VANTREL_KXE::decMenu, 0}}; // the first frame holds
    for (const auto& s : steps) {
        (b.menu->*s.step)();
        EXPECT_EQ(b.menu->current(), s.current);
        EXPECT_EQ(b.checked(), s.current);
        EXPECT_EQ(b.menu->grab().toImage().pixel(15, 5), frameColour(s.current));
    }
    QVector<int> written;
    for (const auto& w : b.api.writes)
        written << w.value;
    EXPECT_EQ(written, (QVector<int>{1, 2, 1, 0}));

    b.menu->indexChanged(2);
    EXPECT_EQ(b.menu->current(), 2);
    EXPECT_EQ(b.checked(), 2);
    b.menu->indexChanged(3); // no such entry
    b.menu->indexChanged(-1);
    EXPECT_EQ(b.menu->current(), 2);
    EXPECT_EQ(b.api.writes.last().value, 2);
    b.menu->adjustParams(); // back to the first frame
    EXPECT_EQ(b.menu->current(), 0);
    EXPECT_EQ(b.api.writes.last().value, 0);
}

TEST(PullDownMenu, PaddedNumbersHaveTenDigits)
{
    const struct
    {
        const char* given;
        const char* padded;
    } cases[] = {{"7", "0000000007"}, {" 42 ", "0000000042"}, {"1234567890", "1234567890"},
                 {"12345678901", "12345678901"}, {"", "0000000000"}};
    for (const auto& c : cases)
        EXPECT_EQ(CPullDownMenu_VANTREL_KXE::padWithZeros(QString::fromLatin1(c.given)), QString::fromLatin1(c.padded))
            << c.given;
}

TEST(PullDownMenu, NothingIsDrawnBeforeAnEntryIsChosenAndFormPropertiesReachTheMenu)
{
    CPullDownMenu_VANTREL_KXE menu;
    menu.resize(40, 14);
    QPalette p = menu.palette();
    p.setColor(menu.backgroundRole(), Qt::black);
    p.setColor(menu.foregroundRole(), Qt::white);
    menu.setPalette(p);
    menu.setAutoFillBackground(true);
    ASSERT_TRUE(menu.setProperty("menuItemList", QStringLiteral("A;B")));
    EXPECT_EQ(menu.property("menuItemList").toString(), QStringLiteral("A;B"));
    EXPECT_EQ(menu.items(), 2);
    EXPECT_EQ(menu.selectedItem(), 0);
    ASSERT_TRUE(menu.setProperty("enableFocusRect", true));
    EXPECT_TRUE(menu.property("enableFocusRect").toBool());
    EXPECT_FALSE(menu.property("sorted").toBool());
    EXPECT_TRUE(menu.property("combinedImage").value<QPixmap>().isNull());
    ASSERT_TRUE(menu.setProperty("undoEnable", true));
    EXPECT_TRUE(menu.isUndoEnable());
    ASSERT_TRUE(menu.setProperty("numDefaultKind", 3));
    EXPECT_EQ(menu.numDefaultKind(), 3);

    // An empty list leaves no entry to show: only the background.
    menu.setMenuItemList(QString());
    menu.setCurrentImage(1);
    const QImage empty = menu.grab().toImage();
    for (int x = 0; x < empty.width(); x += 2)
        ASSERT_EQ(empty.pixel(x, 7), qRgb(0, 0, 0)) << x;
}

TEST(MenuObject, AMenuWithoutAnOwnerOpensWhereItIsAndTheOpeningReleaseKeepsItOpen)
{
    CMenuObject_VANTREL_KXE menu;
    QAction* first = menu.addAction(QStringLiteral("First"));
    QSignalSpy triggered(first, &QAction::triggered);
    menu.popup(nullptr);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.owner(), nullptr);
    // The release of the opening click, outside the menu: it stays open.
    const QPoint outside(menu.width() + 20, menu.height() + 20);
    QMouseEvent away(QEvent::MouseButtonRelease, QPointF(outside), QPointF(menu.mapToGlobal(outside)), Qt::LeftButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&menu, &away);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(triggered.count(), 0);
    // A click on an entry chooses it.
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(first).center());
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_FALSE(menu.isVisible());
}
