// Each view library registers its own images by name as it loads, before anything of
// it is called, so that its views find them.
#include "ViewLibraries.h"
#include "tools/imagegen/ImageTable.h"
#include "utilities/ImageRegistry.h"
#include <QPixmap>
#include <gtest/gtest.h>

TEST(AddOnImages, EachViewLibraryRegistersItsImagesByNameWhenItLoads)
{
    using NS_Utilities::ImageRegistry;
    struct Expected
    {
        const ViewLibrary& library;
        const char* name;
        QSize size;
        int rows;
    };
    const Expected expected[] = {
        {kViewLibraries[0], NS_Images::kMixerViewVantrel, {841, 511}, 1},
        {kViewLibraries[0], NS_Images::kChannelHeaders, {43, 210}, 3},
        {kViewLibraries[1], NS_Images::kComHeaderVant, {616, 40}, 1},
        {kViewLibraries[2], NS_Images::kPrtTab6, {56, 51}, 3},
    };
    for (const Expected& e : expected) {
        QLibrary library(viewLibraryPath(e.library));
        ASSERT_TRUE(library.load()) << qPrintable(library.errorString());
        const QString name = QString::fromLatin1(e.name);
        ASSERT_TRUE(ImageRegistry::contains(name)) << e.name;
        EXPECT_EQ(ImageRegistry::info(name).size, e.size) << e.name;
        EXPECT_EQ(ImageRegistry::info(name).rows, e.rows) << e.name;
        const QPixmap picture = ImageRegistry::pixmap(name);
        EXPECT_EQ(picture.size() / picture.devicePixelRatio(), e.size) << e.name;
    }
}
