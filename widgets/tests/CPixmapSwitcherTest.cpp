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

    // A frame count of 0 divides nothing: the strip counts as one frame, no index is
    // inside it, so a tab press chooses nothing and the frame shown stays.
    const int before = changed.count();
    switcher.setnSubImages(0);
    EXPECT_EQ(switcher.size(), QSize(80, 40));
    switcher.setTabArea(QRect(0, 0, 80, 10));
    press(&switcher, QPointF(45, 5));
    EXPECT_EQ(switcher.getCurrentImageID(), 3);
    EXPECT_EQ(changed.count(), before);
    EXPECT_EQ(switcher.grab().toImage().pixel(40, 20), frameColour(3));
}

TEST(PixmapSwitcher, ToggleVisibleShowsAndHidesAndFormPropertiesReachTheSwitcher)
{
    QWidget top;
    auto* switcher = new CPixmapSwitcher_VANTREL_KXE(&top, "lamp");
    EXPECT_EQ(switcher->objectName(), QStringLiteral("lamp"));
    const QPixmap strip = NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_switch4.png", {80, 10}, 4));
    ASSERT_TRUE(switcher->setProperty("combinedImage", strip));
    ASSERT_TRUE(switcher->setProperty("nSubImages", 4));
    ASSERT_TRUE(switcher->setProperty("nImageCategories", 1));
    ASSERT_TRUE(switcher->setProperty("usesPalleteBitmap", false));
    ASSERT_TRUE(switcher->setProperty("tabbed", false));
    ASSERT_TRUE(switcher->setProperty("tabArea", QRect(0, 0, 80, 10)));
    EXPECT_EQ(switcher->property("combinedImage").value<QPixmap>().cacheKey(), strip.cacheKey());
    EXPECT_EQ(switcher->property("nSubImages").toInt(), 4);
    EXPECT_EQ(switcher->property("nImageCategories").toInt(), 1);
    EXPECT_FALSE(switcher->property("usesPalleteBitmap").toBool());
    EXPECT_FALSE(switcher->property("tabbed").toBool());
    EXPECT_EQ(switcher->property("tabArea").toRect(), QRect(0, 0, 80, 10));
    EXPECT_EQ(switcher->size(), QSize(80, 10));
    top.show();
    EXPECT_TRUE(switcher->isVisible());
    switcher->toggleVisible();
    EXPECT_FALSE(switcher->isVisible());
    switcher->toggleVisible();
    EXPECT_TRUE(switcher->isVisible());
    // Not tabbed: a press chooses nothing.
    press(switcher, QPointF(45, 5));
    EXPECT_EQ(switcher->getCurrentImageID(), 0);
}
