// Stepping through a page tree with uneven levels and a shift number.
#include "console/remote/RemotePageTree.h"

#include <gtest/gtest.h>

namespace {

windowTreeStruct page(int window)
{
    windowTreeStruct n;
    n.window = window;
    return n;
}

windowTreeStruct inner(std::vector<windowTreeStruct> children, int shift = -1)
{
    windowTreeStruct n;
    n.inner = true;
    n.children = std::move(children);
    n.shift = shift;
    return n;
}

// Top 0: pages 0 1 [2a 2b] 3 4 5 with shift 3; top 1: a single page.
NS_RemotePageTree::Tops tree()
{
    NS_RemotePageTree::Tops tops(2);
    tops[0].node = inner({page(0), page(1), inner({page(2), page(3)}), page(4), page(5), page(6)}, 3);
    tops[1].node = page(7);
    return tops;
}

QByteArray route(const uint8_t* r)
{
    QByteArray out;
    for (int i = 0; i < NS_RemotePageTree::routeLength(r); ++i)
        out += (i ? "-" : "") + QByteArray::number(r[i]);
    return out;
}

} // namespace

TEST(RemotePageTree, StepsVisitEveryPageOfTheTopEntryAndWrap)
{
    const NS_RemotePageTree::Tops tops = tree();
    const struct {
        const char* from;
        bool next, shift;
        const char* to;
    } cases[] = {{"0-1", true, false, "0-2-0"},  {"0-2-0", true, false, "0-2-1"}, {"0-2-1", true, false, "0-3"},
                 {"0-5", true, false, "0-0"},    {"0-0", false, false, "0-5"},   {"0-3", false, false, "0-2-1"},
                 {"0-2-0", false, false, "0-1"}, {"0-1", true, true, "0-3"},     {"0-4", true, true, "0-0"},
                 {"0-5", false, true, "0-3"},    {"0-3", false, true, "0-0"},     {"0-1", false, true, "0-3"}};
    for (const auto& c : cases) {
        uint8_t r[16];
        ASSERT_TRUE(NS_RemotePageTree::parse(c.from, r)) << c.from;
        EXPECT_TRUE(NS_RemotePageTree::step(tops, r, c.next, c.shift)) << c.from;
        EXPECT_EQ(route(r), QByteArray(c.to)) << c.from << (c.next ? " next" : " previous") << (c.shift ? " shift" : "");
        EXPECT_GE(NS_RemotePageTree::windowOf(tops, r), 0);
    }
    // A route of one byte, or one that names no page, does not step.
    uint8_t one[16];
    ASSERT_TRUE(NS_RemotePageTree::parse("1", one));
    EXPECT_FALSE(NS_RemotePageTree::step(tops, one, true, false));
    uint8_t inside[16];
    ASSERT_TRUE(NS_RemotePageTree::parse("0-2", inside));
    EXPECT_FALSE(NS_RemotePageTree::step(tops, inside, true, false));
}

TEST(RemotePageTree, RoutesParseAndNormaliseToAPage)
{
    uint8_t r[16];
    const char* bad[] = {"", "0--x", "1-255", "0-1-2-3-4-5-6-7-8-9-0-1-2-3-4-5", "a"};
    for (const char* text : bad)
        EXPECT_FALSE(NS_RemotePageTree::parse(text, r)) << text;
    const NS_RemotePageTree::Tops tops = tree();
    ASSERT_TRUE(NS_RemotePageTree::parse("0-2-9", r));
    EXPECT_EQ(NS_RemotePageTree::windowOf(tops, r), -1);
    EXPECT_TRUE(NS_RemotePageTree::normalise(tops, r));
    EXPECT_EQ(route(r), QByteArray("0-2-0"));
    ASSERT_TRUE(NS_RemotePageTree::parse("7", r));
    EXPECT_FALSE(NS_RemotePageTree::normalise(tops, r));
}

TEST(RemotePageTree, ShiftedStepsInsideAGroupJumpToTheShiftNumberOfTheNeighbouringGroup)
{
    // Top 0 holds three groups: [0 1 2 3] shift 2, [4 5 6] shift 1, [7 8] without one.
    NS_RemotePageTree::Tops tops(1);
    tops[0].node = inner({inner({page(0), page(1), page(2), page(3)}, 2), inner({page(4), page(5), page(6)}, 1),
                          inner({page(7), page(8)})});
    const struct {
        const char* from;
        bool next;
        const char* to;
        int window;
    } cases[] = {{"0-0-0", true, "0-0-2", 2},   // before the shift number: onto it
                 {"0-0-2", true, "0-1-1", 5},   // at it: the next group's shift number
                 {"0-1-1", true, "0-2-0", 7},   // a group without one: its first page
                 {"0-1-2", false, "0-1-1", 5},  // past it: back onto it
                 {"0-1-1", false, "0-0-2", 2},  // at it: the previous group's shift number
                 {"0-0-0", false, "0-2-1", 8},  // a group without one: its last page, wrapping
                 {"0-2-1", true, "0-0-0", 0}};  // no shift number: an ordinary step
    for (const auto& c : cases) {
        uint8_t r[16];
        ASSERT_TRUE(NS_RemotePageTree::parse(c.from, r)) << c.from;
        EXPECT_TRUE(NS_RemotePageTree::step(tops, r, c.next, true)) << c.from;
        EXPECT_EQ(route(r), QByteArray(c.to)) << c.from << (c.next ? " next" : " previous");
        EXPECT_EQ(NS_RemotePageTree::windowOf(tops, r), c.window) << c.from;
    }
}
