// The state display's frame for a value.
#include "WidgetTestSupport.h"
#include "widgets/StateDisplayWidget_VANTREL_KXE.h"

#include <gtest/gtest.h>

using namespace NS_WidgetTest;

TEST(StateDisplay, FrameForEachValue)
{
    struct Case
    {
        bool booleanLogic;
        int cmpValue, frames, value, frame;
    };
    const Case cases[] = {
        {true, 5, 2, 5, 1},  {true, 5, 2, 4, 0},   {false, 0, 4, 9, 3}, {false, 0, 4, -1, 0},
        {false, 0, 4, 2, 2}, {false, 0, 0, 7, 0},  {true, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        StateDisplayWidget_VANTREL_KXE display;
        display.setBooleanLogic(c.booleanLogic);
        display.setCmpValue(c.cmpValue);
        display.setnSubImages(c.frames);
        EXPECT_EQ(display.pixmapId(c.value), c.frame) << c.booleanLogic << " " << c.frames << " " << c.value;
    }
}

TEST(StateDisplay, DrawsTheFrameOfItsValueAtTheFrameSize)
{
    StateDisplayWidget_VANTREL_KXE display;
    display.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_state4.png", {18, 9}, 4)));
    display.setnSubImages(4);
    display.ensurePolished();
    EXPECT_EQ(display.size(), QSize(18, 9));
    EXPECT_EQ(display.value(), StateDisplayWidget_VANTREL_KXE::kNoValue);
    EXPECT_EQ(display.grab().toImage().pixel(9, 4), frameColour(0));
    display.setValue(2);
    EXPECT_EQ(display.grab().toImage().pixel(9, 4), frameColour(2));
    display.setValue(40);
    EXPECT_EQ(display.grab().toImage().pixel(9, 4), frameColour(3));
}
