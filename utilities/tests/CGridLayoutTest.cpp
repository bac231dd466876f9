// Grid placement of factory-made widgets inside a new frame.
#include "utilities/CGridLayout_VANTREL_KXE.h"

#include <QFrame>
#include <QMetaType>
#include <QSignalSpy>
#include <QWidget>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

// The signal's argument is declared with QWidget incomplete, so its type is looked up
// by name when a spy connects: without this the spy records no arguments.
[[maybe_unused]] const int kWidgetPointerType = qRegisterMetaType<QWidget*>();

class Boxes : public NS_Utilities::CGridLayout_VANTREL_KXE
{
public:
    std::set<int> skip;

protected:
    QWidget* createGridWidget(QWidget* container, QPoint* position, int index, int) override
    {
        if (skip.count(index))
            return nullptr;
        auto* w = new QWidget(container);
        w->setGeometry(QRect(*position, QSize(10, 20)));
        return w;
    }
};

} // namespace

struct GridCase
{
    const char* name;
    int count;
    int perRow;
    bool rowWise;
    QPoint last; // position of the last widget
    QSize frame;
};

class GridLayout : public ::testing::TestWithParam<GridCase>
{
};

TEST_P(GridLayout, PlacesWidgetsLineByLineAndSizesTheFrame)
{
    QWidget parent;
    Boxes grid;
    QSignalSpy created(&grid, &Boxes::widgetCreated);
    const GridCase& c = GetParam();
    QFrame* frame = grid.createGroup(&parent, QPoint(5, 6), 0, c.count, c.perRow, 2, 3, c.rowWise, QPoint(1, 1));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->parentWidget(), &parent);
    EXPECT_EQ(frame->pos(), QPoint(5, 6));
    EXPECT_EQ(created.count(), c.count);
    const QList<QWidget*> widgets = frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(widgets.size(), c.count);
    EXPECT_EQ(created.last().at(0).value<QWidget*>(), widgets.last());
    EXPECT_EQ(widgets.last()->pos(), c.last);
    EXPECT_EQ(frame->size(), c.frame);
}

// Widgets are 10 x 20 with spacing 2 across and 3 down, starting at (1, 1).
INSTANTIATE_TEST_SUITE_P(
    Layouts, GridLayout,
    ::testing::Values(GridCase{"RowsOfThree", 7, 3, true, QPoint(1, 47), QSize(35, 67)},
                      GridCase{"OneShortRow", 2, 3, true, QPoint(13, 1), QSize(23, 21)},
                      GridCase{"ColumnsOfTwo", 5, 2, false, QPoint(25, 1), QSize(35, 44)},
                      GridCase{"PerRowZeroIsOneLine", 4, 0, true, QPoint(37, 1), QSize(47, 21)}),
    [](const ::testing::TestParamInfo<GridCase>& info) { return std::string(info.param.name); });

TEST(GridLayout, NullWidgetsAreAnnouncedAndTakeNoPlace)
{
    QWidget parent;
    Boxes grid;
    grid.skip = {2};
    QSignalSpy created(&grid, &Boxes::widgetCreated);
    grid.count = 3;
    grid.perRow = 3;
    grid.hSpace = 2;
    grid.setParent(&parent);
    QFrame* frame = grid.createGroup();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->parentWidget(), &parent);
    ASSERT_EQ(created.count(), 3);
    const QList<QWidget*> widgets = frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(widgets.size(), 2);
    // The skipped index is announced with no widget, the others with theirs.
    EXPECT_EQ(created.at(0).at(0).value<QWidget*>(), widgets.at(0));
    EXPECT_EQ(created.at(1).at(0).value<QWidget*>(), nullptr);
    EXPECT_EQ(created.at(2).at(0).value<QWidget*>(), widgets.at(1));
    EXPECT_EQ(widgets.at(1)->pos(), QPoint(12, 0));
    grid.setParent(nullptr);
}
