// The range class of the controls: limits, steps and pixel mapping, also for empty
// and placeholder ranges.
#include "widgets/TRangeControl_VANTREL_KXE.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace {
class Counting : public TRangeControl_VANTREL_KXE
{
public:
    using TRangeControl_VANTREL_KXE::TRangeControl_VANTREL_KXE;
    int values = 0, ranges = 0;

protected:
    void valueChange() override { ++values; }
    void rangeChange() override { ++ranges; }
};
} // namespace

struct RangeCase
{
    const char* name;
    int lo, hi, value;
    int boundMin, boundMax, bounded;
};

class RangeControl : public ::testing::TestWithParam<RangeCase>
{
};

TEST_P(RangeControl, KeepsTheValueInsideAndStepsWithoutOverflow)
{
    const RangeCase& c = GetParam();
    Counting r;
    r.setRange(c.lo, c.hi);
    r.setValue(c.value);
    EXPECT_EQ(r.minValue(), c.boundMin);
    EXPECT_EQ(r.maxValue(), c.boundMax);
    EXPECT_EQ(r.value(), c.bounded);
    r.setSteps(1, INT_MAX);
    r.addPage();
    EXPECT_EQ(r.value(), c.boundMax);
    for (int i = 0; i < 3; ++i)
        r.subtractPage();
    EXPECT_EQ(r.value(), c.boundMin);
    // Positions are defined for every range, even an empty one.
    EXPECT_GE(r.positionFromValue(c.value, 100), 0);
    EXPECT_LE(r.positionFromValue(c.value, 100), 100);
    const int v = r.valueFromPosition(50, 100);
    EXPECT_GE(v, c.boundMin);
    EXPECT_LE(v, c.boundMax);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, RangeControl,
    ::testing::Values(RangeCase{"Ordinary", 0, 127, 200, 0, 127, 127},
                      RangeCase{"Signed", -64, 63, -100, -64, 63, -64},
                      RangeCase{"EmptyAtZero", 0, 0, 5, 0, 0, 0},
                      RangeCase{"MinimumAboveMaximum", 10, 3, 7, 10, 10, 10},
                      RangeCase{"Placeholder", int(0xDEADBEAF), int(0x7EADBEEF), 0, int(0xDEADBEAF),
                                int(0x7EADBEEF), 0},
                      RangeCase{"WholeInt", INT_MIN, INT_MAX, 0, INT_MIN, INT_MAX, 0}),
    [](const ::testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.name); });

TEST(RangeControl, PixelMappingRoundsAndHooksRunOnChangesOnly)
{
    Counting r(0, 1023, 1, 10, 0);
    EXPECT_EQ(r.positionFromValue(512, 100), 50);
    EXPECT_EQ(r.valueFromPosition(50, 100), 512);
    EXPECT_EQ(r.positionFromValue(1023, 100), 100);
    EXPECT_EQ(r.valueFromPosition(-5, 100), 0);
    EXPECT_EQ(r.valueFromPosition(500, 100), 1023);
    EXPECT_EQ(r.positionFromValue(5, 0), 0);

    r.setValue(0);
    EXPECT_EQ(r.values, 0);
    r.setValue(700);
    EXPECT_EQ(r.values, 1);
    r.setRange(0, 1023);
    EXPECT_EQ(r.ranges, 0);
    // A narrower range moves the value: range hook, then value hook.
    r.setRange(0, 500);
    EXPECT_EQ(r.ranges, 1);
    EXPECT_EQ(r.values, 2);
    EXPECT_EQ(r.value(), 500);
    EXPECT_EQ(r.prevValue(), 700);
}
