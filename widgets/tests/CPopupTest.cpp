// The popup selector: grid building, keyboard moves and choices, sorted lists, the
// value offset, removal of entries, confirmation and the disabled look.
#include "WidgetTestSupport.h"
#include "utilities/IConfirmUserAction.h"
#include "widgets/CPopupItem_VANTREL_KXE.h"
#include "widgets/CPopupLabel_VANTREL_KXE.h"
#include "widgets/CPopup_VANTREL_KXE.h"

#include <QSignalSpy>
#include <QEnterEvent>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace NS_WidgetTest;

namespace {

constexpr short kElement = 54, kParam = 20, kChannel = 0;

QString numbered(const char* prefix, int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << QString::fromLatin1(prefix) + QString::number(i);
    return out.join(QLatin1Char(';'));
}

// Labels per grid row (cells holding -1 not counted), and the label of each row's start.
std::vector<int> rowLengths(const CPopupItem_VANTREL_KXE::Grid& grid)
{
    std::vector<int> out;
    for (const auto& row : grid)
        out.push_back(int(std::count_if(row.begin(), row.end(), [](int k) { return k >= 0; })));
    return out;
}

struct GridCase
{
    const char* name;
    QString labels;
    bool grouping;
    int matchCount;
    const char* override;
    int columns;
    std::vector<int> rows;
};

class PopupGrid : public ::testing::TestWithParam<GridCase>
{
};

struct Bound
{
    RecordingMemAPI api;
    QWidget view;
    CPopup_VANTREL_KXE* popup;

    explicit Bound(int minimum = 0)
    {
        api.defineName(QStringLiteral("kChoice"), kElement, kParam);
        api.setRange(kElement, kParam, minimum, 127);
        popup = new CPopup_VANTREL_KXE(&view, "choice");
        popup->resize(40, 16);
        popup->setNamedAddress(QStringLiteral("00kChoice"));
    }
    void bind(int value)
    {
        api.poke(kElement, kParam, kChannel, value);
        api.MAPI_assignServer(&view, kChannel);
        EXPECT_TRUE(api.writes.isEmpty()) << "the value from memory was written back";
    }
};

class Refuser : public NS_Utilities::IConfirmUserAction
{
public:
    int32_t confirm(QWidget*, int oldPosition, int newPosition) override
    {
        asked.push_back({oldPosition, newPosition});
        return answer;
    }
    std::vector<std::pair<int, int>> asked;
    int32_t answer = 1;
};

} // namespace

TEST_P(PopupGrid, GroupsAndRowsFollowTheSettings)
{
    const GridCase& c = GetParam();
    CPopup_VANTREL_KXE popup;
    popup.setLabels(c.labels);
    popup.setGrouping(c.grouping);
    popup.setgroupMatchCnt(c.matchCount);
    popup.setGroupOverride(QString::fromLatin1(c.override));
    popup.setColumnsCount(c.columns);
    popup.dynamicPopup();
    ASSERT_NE(popup.PopupItem(), nullptr);
    EXPECT_EQ(rowLengths(popup.PopupItem()->grid()), c.rows);
    for (const auto& row : popup.PopupItem()->grid())
        EXPECT_EQ(int(row.size()), std::max(c.columns, 1));
    EXPECT_TRUE(popup.groupOverride().isEmpty());
    popup.cancel();
}

INSTANTIATE_TEST_SUITE_P(
    Table, PopupGrid,
    ::testing::Values(GridCase{"TwentyWithoutGroupingMakeTwoRowsOfTen", numbered("V", 20), false, 1, "", 12, {10, 10}},
                      GridCase{"PrefixGroups", QStringLiteral("A1;A2;B1;B2;B3"), true, 1, "", 12, {2, 3}},
                      GridCase{"OverrideLastSizeStays", numbered("X", 7), true, 1, "3;2", 12, {3, 2, 2}},
                      GridCase{"OverridePastTheEndIsCut", numbered("X", 7), true, 1, "5;9", 12, {5, 2}},
                      GridCase{"LongGroupFillsLongerRowsFirst", numbered("Q", 7), false, 1, "", 3, {3, 2, 2}},
                      GridCase{"ZeroColumnsCountAsOne", QStringLiteral("a;b;c"), false, 1, "", 0, {1, 1, 1}},
                      GridCase{"NoLabelsNoRows", QString(), false, 1, "", 12, {}}),
    [](const ::testing::TestParamInfo<GridCase>& info) { return std::string(info.param.name); });

TEST(Popup, KeyboardWrapsAndReturnChoosesAndWritesOnce)
{
    Bound b;
    b.popup->setLabels(numbered("C", 24)); // two full rows of 12
    b.popup->setGrouping(false);
    b.bind(23);
    ASSERT_EQ(b.popup->currentSelection(), 23);
    b.popup->dynamicPopup();
    CPopupItem_VANTREL_KXE* window = b.popup->PopupItem();
    ASSERT_NE(window, nullptr);
    QSignalSpy chosen(b.popup, qOverload<int>(&CPopup_VANTREL_KXE::selectionChanged));

    // Down from the last row of the last column: row 0 of column 0.
    QTest::keyClick(window, Qt::Key_Down);
    EXPECT_EQ(window->highlighted(), 0);
    EXPECT_EQ(window->cell(0)->look(), CPopupLabel_VANTREL_KXE::Hover);
    // Left from label 0 wraps to the last, Right from the last back to 0.
    QTest::keyClick(window, Qt::Key_Left);
    EXPECT_EQ(window->highlighted(), 23);
    QTest::keyClick(window, Qt::Key_Right);
    EXPECT_EQ(window->highlighted(), 0);
    EXPECT_EQ(window->cell(23)->look(), CPopupLabel_VANTREL_KXE::Selected);
    // Up from row 0 of column 0: the last row of the last column.
    QTest::keyClick(window, Qt::Key_Up);
    EXPECT_EQ(window->highlighted(), 23);
    QTest::keyClick(window, Qt::Key_Up);
    EXPECT_EQ(window->highlighted(), 11);
    EXPECT_TRUE(b.api.writes.isEmpty());

    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(b.popup->currentSelection(), 11);
    ASSERT_EQ(b.api.writes.size(), 1);
    EXPECT_EQ(b.api.writes.at(0).value, 11);
    EXPECT_EQ(b.api.writes.at(0).flags, 0xFFFFFFFFu);
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_EQ(b.popup->text(), QStringLiteral("C12"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.popup->PopupItem() == nullptr; }));
}

TEST(Popup, WithoutAChoiceUpAndDownStartFromTheFirstCellOfAGridWithEmptyCells)
{
    // Three columns, grouped by prefix: a row ending in an empty cell.
    struct Case
    {
        const char* labels;
        Qt::Key key;
        int highlighted;
    };
    const Case cases[] = {
        {"A1;A2;B1;B2;B3", Qt::Key_Down, 2}, // rows A1 A2 -, B1 B2 B3
        {"A1;A2;A3;B1;B2", Qt::Key_Down, 3}, // rows A1 A2 A3, B1 B2 -
        {"A1;A2;A3;B1;B2", Qt::Key_Up, 2},   // up from the first cell: the last row of the last column
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.labels);
        CPopup_VANTREL_KXE popup;
        popup.setLabels(QString::fromLatin1(c.labels));
        popup.setColumnsCount(3);
        ASSERT_EQ(popup.currentSelection(), -1);
        popup.dynamicPopup();
        CPopupItem_VANTREL_KXE* window = popup.PopupItem();
        ASSERT_NE(window, nullptr);
        QTest::keyClick(window, c.key);
        EXPECT_EQ(window->highlighted(), c.highlighted);
        popup.cancel();
    }
}

TEST(Popup, EscapeClosesWithoutAChoiceAndAClickChoosesTheCellItself)
{
    Bound b;
    // Two choices of the same text stay apart.
    b.popup->setLabels(QStringLiteral("Off;On;Off"));
    b.bind(0);
    b.popup->dynamicPopup();
    QTest::keyClick(b.popup->PopupItem(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.popup->PopupItem() == nullptr; }));
    EXPECT_TRUE(b.api.writes.isEmpty());

    b.popup->dynamicPopup();
    QTest::mouseClick(b.popup->PopupItem()->cell(2), Qt::LeftButton);
    EXPECT_EQ(b.popup->currentSelection(), 2);
    ASSERT_EQ(b.api.writes.size(), 1);
    EXPECT_EQ(b.api.writes.at(0).value, 2);
}

TEST(Popup, SortedNumbersAndTheMinimumGiveTheWrittenValue)
{
    Bound b(1);
    b.popup->setSorted(true);
    b.popup->setLabels(QStringLiteral("10;2;33"));
    EXPECT_EQ(b.popup->labels(), QStringLiteral("2;10;33"));
    b.bind(3); // position 2 of the list given plus the minimum: "33"
    EXPECT_EQ(b.popup->currentSelection(), 2);
    b.popup->setSelectionConfirm(1); // "10", position 0 in the list given
    ASSERT_EQ(b.api.writes.size(), 1);
    EXPECT_EQ(b.api.writes.at(0).value, 1);

    Bound plain(1);
    plain.popup->setLabels(numbered("P", 8));
    plain.bind(5);
    EXPECT_EQ(plain.popup->currentSelection(), 4);
    EXPECT_TRUE(plain.api.writes.isEmpty());
}

TEST(Popup, RemovedEntriesTakeTheirOwnLabels)
{
    Bound b;
    b.popup->setLabels(QStringLiteral("A;B;C;D;E"));
    b.bind(0);
    b.popup->removeMenuEntry(1);
    b.popup->removeMenuEntry(3);
    EXPECT_EQ(b.popup->labels(), QStringLiteral("A;C;E"));
    ASSERT_NE(b.popup->mappings(), nullptr);
    EXPECT_EQ(*b.popup->mappings(), (std::vector<int>{0, 2, 4}));
    b.popup->removeMenuEntry(3); // gone already
    b.popup->removeMenuEntry(-1);
    EXPECT_EQ(b.popup->labels(), QStringLiteral("A;C;E"));

    b.popup->setSelectionConfirm(2);
    ASSERT_EQ(b.api.writes.size(), 1);
    EXPECT_EQ(b.api.writes.at(0).value, 4);
    EXPECT_EQ(b.popup->text(), QStringLiteral("E"));

    // A value read from memory finds its entry through the mapping.
    b.api.poke(kElement, kParam, kChannel, 2);
    b.api.alert(kElement, kParam, kChannel);
    EXPECT_EQ(b.popup->currentSelection(), 1);
    b.popup->removeMenuRange(0, 1);
    EXPECT_EQ(b.popup->labels(), QStringLiteral("C;E"));
}

TEST(Popup, ConfirmActionAndDisabledLook)
{
    Bound b;
    b.popup->setLabels(QStringLiteral("A;B;C"));
    Refuser refuser;
    b.popup->setUserConfirmAction(&refuser);
    b.popup->setSelectionConfirm(1); // no current selection: nothing is asked
    EXPECT_TRUE(refuser.asked.empty());
    b.bind(0);
    b.popup->setSelectionConfirm(2);
    ASSERT_EQ(refuser.asked.size(), 1u);
    EXPECT_EQ(refuser.asked.at(0), std::make_pair(0, 2));
    EXPECT_EQ(b.popup->currentSelection(), 0);
    EXPECT_TRUE(b.api.writes.isEmpty());
    refuser.answer = 0;
    b.popup->setSelectionConfirm(2);
    EXPECT_EQ(b.popup->currentSelection(), 2);
    EXPECT_EQ(b.api.writes.size(), 1);

    b.popup->setEnabled(false);
    EXPECT_EQ(b.popup->text(), QStringLiteral("---"));
    b.popup->setSelection(1);
    EXPECT_EQ(b.popup->currentSelection(), 2);
    b.popup->setGreyOnDisable(true);
    b.popup->setSelection(1);
    EXPECT_EQ(b.popup->currentSelection(), 1);
}

TEST(Popup, DrawsItsTextFromTheCachedLook)
{
    CPopup_VANTREL_KXE popup;
    QPalette dark = popup.palette();
    dark.setColor(QPalette::Button, QColor(30, 32, 38));
    popup.setPalette(dark);
    popup.resize(60, 18);
    popup.setLabels(QStringLiteral("Wide;Narrow"));
    popup.setSelectText(0);
    const QImage drawn = popup.grab().toImage();
    int lit = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            lit += drawn.pixelColor(x, y).lightness() > 100;
    EXPECT_GT(lit, 10); // the label in the light button text colour
    EXPECT_EQ(drawn.pixelColor(1, 1), QColor(30, 32, 38));

    popup.setEnabled(false);
    const QImage off = popup.grab().toImage();
    EXPECT_EQ(off.pixelColor(30, 9), QColor(30, 32, 38)); // fill only, no text
}

// ---- lists from the memory's tables, mapped texts, the window, images, form properties

namespace {

// String tables kept by the memory: table 21 holds the waveforms.
class TableMemAPI : public RecordingMemAPI
{
public:
    QStringList waves{QStringLiteral("Saw"), QStringLiteral("Square"), QStringLiteral("Pulse")};
    QVector<int> asked;
    int32_t MAPI_stringList(int table, QStringList* list) override
    {
        asked.push_back(table);
        if (table != 21 || !list)
            return NS_MemAPI::kFailure;
        *list = waves;
        return 0;
    }
};

} // namespace

TEST(Popup, AListFromTheMemorysTableIsLoadedOnceAndRebuiltOnRequest)
{
    TableMemAPI api;
    api.defineName(QStringLiteral("kWave"), kElement, kParam);
    api.setRange(kElement, kParam, 0, 127);
    api.poke(kElement, kParam, kChannel, 1);
    QWidget view;
    auto* popup = new CPopup_VANTREL_KXE(&view, "wave");
    popup->resize(50, 16);
    popup->setNamedAddress(QStringLiteral("00kWave"));
    ASSERT_TRUE(popup->setProperty("tableId", 21));
    QSignalSpy created(popup, &CPopup_VANTREL_KXE::dynamicListCreated);
    QSignalSpy table(popup, &CPopup_VANTREL_KXE::updateTableId);
    api.MAPI_assignServer(&view, kChannel);
    EXPECT_TRUE(api.writes.isEmpty()) << "the value from memory was written back";
    EXPECT_EQ(popup->labels(), QStringLiteral("Saw;Square;Pulse"));
    EXPECT_EQ(popup->currentSelection(), 1);
    EXPECT_EQ(popup->text(), QStringLiteral("Square"));
    EXPECT_EQ(api.asked, QVector<int>{21});
    EXPECT_EQ(created.count(), 1);
    ASSERT_GE(table.count(), 1);
    EXPECT_EQ(table.first().at(0).toInt(), 21);

    popup->setSelection(2); // the list is not asked for again
    EXPECT_EQ(api.asked.size(), 1);
    ASSERT_EQ(api.writes.size(), 1);
    EXPECT_EQ(api.writes[0].value, 2);

    // The memory's list changed: rebuilt, and the selection applied again in full.
    api.waves = QStringList{QStringLiteral("Sine"), QStringLiteral("Tri"), QStringLiteral("Noise")};
    QSignalSpy chosen(popup, qOverload<int>(&CPopup_VANTREL_KXE::selectionChanged));
    popup->forceDynamicListRecreation();
    EXPECT_EQ(api.asked.size(), 2);
    EXPECT_EQ(popup->labels(), QStringLiteral("Sine;Tri;Noise"));
    EXPECT_EQ(popup->text(), QStringLiteral("Noise"));
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_EQ(created.count(), 2);
}

TEST(Popup, ShownTextsFindTheirEntryThroughTheMappingUnlessToldNot)
{
    CPopup_VANTREL_KXE popup;
    popup.resize(40, 16);
    popup.setSorted(true);
    EXPECT_TRUE(popup.sorted());
    popup.setLabels(QStringLiteral("10;2;33"));
    popup.setLabels(QStringLiteral("33;10;2")); // the same entries in another order: kept
    EXPECT_EQ(*popup.mappings(), (std::vector<int>{1, 0, 2}));
    popup.setSelectText(0); // position 0 of the list given: "10"
    EXPECT_EQ(popup.currentSelection(), 1);
    EXPECT_EQ(popup.text(), QStringLiteral("10"));
    popup.setSelectText(0, false);
    EXPECT_EQ(popup.text(), QStringLiteral("2"));
    popup.setSelectText(7); // in no entry: the first label
    EXPECT_EQ(popup.currentSelection(), -1);
    EXPECT_EQ(popup.text(), QStringLiteral("2"));

    popup.setSelectText(1); // "2"
    EXPECT_EQ(popup.currentSelection(), 0);
    popup.setEnabled(false);
    popup.setSelectText(0); // disabled, not grey: ignored
    EXPECT_EQ(popup.currentSelection(), 0);
}

TEST(Popup, TheChoiceWindowOpensOnTheSelectionAndCancelLeavesIt)
{
    Bound b;
    b.popup->setLabels(QStringLiteral("A;B;C"));
    b.bind(1);
    b.view.show();
    EXPECT_FALSE(b.popup->cancel()); // no window yet
    b.popup->dynamicPopup();
    CPopupItem_VANTREL_KXE* window = b.popup->PopupItem();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(b.popup->cancel());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(b.popup->currentSelection(), 1);
    EXPECT_TRUE(b.api.writes.isEmpty());
}

TEST(Popup, WithImageFramesThePopupDrawsTheFrameAndNoText)
{
    QWidget top;
    auto* popup = new CPopup_VANTREL_KXE(&top);
    popup->setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_popup2.png", {30, 14}, 2)));
    popup->setnSubImages(2);
    popup->setLabels(QStringLiteral("One;Two"));
    popup->setSelectText(1);
    top.show();
    const QImage look = popup->grab().toImage();
    EXPECT_EQ(popup->size(), QSize(30, 14));
    for (int x = 0; x < 30; x += 3)
        EXPECT_EQ(look.pixel(x, 7), frameColour(1)) << x; // the off row, no text over it
}

TEST(Popup, FormPropertiesReachThePopup)
{
    CPopup_VANTREL_KXE popup;
    struct Prop
    {
        const char* name;
        QVariant value;
    } props[] = {{"columnsCount", 3},
                 {"labelSize", QSize(30, 12)},
                 {"cellMargin", 2},
                 {"cellSpacing", 1},
                 {"buttonTextColor", QColor(Qt::cyan)},
                 {"grouping", true},
                 {"labelSizeToContents", false},
                 {"groupMatchCnt", 2},
                 {"focusColor", QColor(Qt::yellow)},
                 {"alignment", QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter))},
                 {"enableFocusRect", true},
                 {"greyOnDisable", true},
                 {"undoEnable", false},
                 {"numDefaultKind", 1}};
    for (const Prop& p : props) {
        ASSERT_TRUE(popup.setProperty(p.name, p.value)) << p.name;
        EXPECT_EQ(popup.property(p.name), p.value) << p.name;
    }
    popup.setRefCon(0xC0FFEEu);
    EXPECT_EQ(popup.refCon(), 0xC0FFEEu);
    EXPECT_EQ(popup.focusPolicy(), Qt::StrongFocus);
}

TEST(Popup, TheWindowsCellsShowTheSelectionAndFollowTheMouse)
{
    Bound b;
    b.popup->setLabels(QStringLiteral("A;B;C"));
    b.bind(1);
    b.view.show();
    b.popup->dynamicPopup();
    CPopupItem_VANTREL_KXE* window = b.popup->PopupItem();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const QPalette normal = window->cell(0)->palette();
    auto fill = [](CPopupLabel_VANTREL_KXE* cell) { return cell->grab().toImage().pixelColor(1, 1); };
    EXPECT_EQ(fill(window->cell(0)), normal.color(QPalette::Active, QPalette::Button));
    EXPECT_EQ(fill(window->cell(1)), normal.color(QPalette::Active, QPalette::Highlight).darker(200));

    // The mouse over a cell lights it; moving on restores the one it leaves.
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(window->cell(2)->mapToGlobal(QPoint(2, 2))));
    QApplication::sendEvent(window->cell(2), &enter);
    EXPECT_EQ(window->highlighted(), 2);
    EXPECT_EQ(fill(window->cell(2)), normal.color(QPalette::Active, QPalette::Highlight));
    QApplication::sendEvent(window->cell(1), &enter);
    EXPECT_EQ(window->cell(2)->look(), CPopupLabel_VANTREL_KXE::Normal);
    EXPECT_EQ(window->cell(1)->look(), CPopupLabel_VANTREL_KXE::Hover);
    QApplication::sendEvent(window->cell(0), &enter);
    EXPECT_EQ(window->cell(1)->look(), CPopupLabel_VANTREL_KXE::Selected);
    EXPECT_TRUE(b.api.writes.isEmpty());
    window->cancelClose();
}

TEST(Popup, TheWindowStaysOnTheScreenNearItsEdges)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect area = screen->availableGeometry();
    for (const QPoint corner : {area.bottomRight() - QPoint(30, 10), area.topLeft() + QPoint(-60, 0)}) {
        Bound b;
        b.popup->setLabels(numbered("V", 24));
        b.view.setWindowFlags(Qt::FramelessWindowHint);
        b.view.setGeometry(QRect(corner, QSize(60, 20)));
        b.view.show();
        b.bind(0);
        b.popup->dynamicPopup();
        CPopupItem_VANTREL_KXE* window = b.popup->PopupItem();
        ASSERT_NE(window, nullptr);
        // The test platform may shift a shown window by a pixel or two of fake frame.
        const QRect f = window->frameGeometry();
        EXPECT_TRUE(area.adjusted(-3, -3, 3, 3).contains(f)) << f.x() << "," << f.y() << " " << f.width() << "x"
                                                             << f.height();
        EXPECT_GT(f.width(), 100); // a whole row of cells, not a window squeezed to fit
        window->cancelClose();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
