// The image switcher: tabs, indexes outside the strip, and what it draws.
#include "WidgetTestSupport.h"
#include "widgets/CPixmapSwitcher_VANTREL_KXE.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace NS_WidgetTest;

TEST(PixmapSwitcher, TabPressesChooseFramesAndOutOfRangeIndexesAreIgnored)
{
    CPixmapSwitcher_VANTREL_KXE switcher;
    switcher.setCombinedImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_switch4.png", {80, 10}, 4)));
    switcher.setnSubImages(4);
    switcher.setTabbed(true);
    switcher.setTabArea(QRect(0, 0, 80, 10));
    EXPECT_EQ(switcher.size(), QSize(80, 10));
    QSignalSpy changed(&switcher, &CPixmapSwitcher_VANTREL_KXE::indexChanged);

    press(&switcher, QPointF(45, 5));
    EXPECT_EQ(switcher.getCurrentImageID(), 2);
    EXPECT_EQ(switcher.grab().toImage().pixel(40, 5), frameColour(2));
    press(&switcher, QPointF(0, 5)); // on the border: no tab
    EXPECT_EQ(switcher.getCurrentImageID(), 2);
    switcher.setCurrentImage(2);
    switcher.setCurrentImage(4);
    switcher.setCurrentImage(-1);
    EXPECT_EQ(changed.count(), 1);
    switcher.toggleImage();
    switcher.toggleImage();
    EXPECT_EQ(switcher.getCurrentImageID(), 0);

    switcher.setUsesPalleteBitmap(true);
    switcher.setCurrentImage(3);
    EXPECT_EQ(switcher.grab().toImage().pixel(40, 5), frameColour(3));

    // A frame count of 0 divides nothing.
    switcher.setnSubImages(0);
    switcher.setTabArea(QRect(0, 0, 80, 10));
    press(&switcher, QPointF(45, 5));
    switcher.grab();
}
