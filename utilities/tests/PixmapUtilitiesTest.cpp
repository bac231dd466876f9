// Image helpers: the grey and faded looks a disabled control shows, the focus mark,
// the strip cell a control draws, and name lookup.
#include "utilities/ImageRegistry.h"
#include "utilities/PixmapUtilities.h"

#include <QBitmap>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace NS_Utilities;

namespace {

QPixmap filled(const QColor& color, int w = 4, int h = 4)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    return QPixmap::fromImage(image);
}

// A strip of `columns` x `rows` cells, each filled with a colour that names it.
QPixmap strip(int columns, int rows, int cell)
{
    QImage image(columns * cell, rows * cell, QImage::Format_ARGB32);
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < rows; ++r)
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < cell; ++x)
                    image.setPixel(c * cell + x, r * cell + y, qRgb(10 * c + 1, 10 * r + 1, 200));
    return QPixmap::fromImage(image);
}

} // namespace

struct GreyCase
{
    const char* name;
    QRgb in;
    QRgb out;
};

class GreyTransformation : public ::testing::TestWithParam<GreyCase>
{
};

TEST_P(GreyTransformation, WeighsChannelsWithAFloorOfFifty)
{
    const QImage grey = applyGreyTransformation(filled(QColor::fromRgba(GetParam().in)));
    EXPECT_EQ(grey.pixel(1, 1), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, GreyTransformation,
    ::testing::Values(GreyCase{"Black", qRgb(0, 0, 0), qRgb(50, 50, 50)},
                      GreyCase{"White", qRgb(255, 255, 255), qRgb(255, 255, 255)},
                      GreyCase{"Red", qRgb(255, 0, 0), qRgb(142, 142, 142)},
                      GreyCase{"Green", qRgb(0, 255, 0), qRgb(84, 84, 84)},
                      GreyCase{"DarkBlueFloors", qRgb(0, 0, 255), qRgb(50, 50, 50)},
                      GreyCase{"AlphaKept", qRgba(255, 255, 255, 128), qRgba(255, 255, 255, 128)}),
    [](const ::testing::TestParamInfo<GreyCase>& info) { return std::string(info.param.name); });

TEST(PixmapUtilities, GreyLeavesImagesThatAreNot32BitAlone)
{
    QImage mono(8, 8, QImage::Format_Mono);
    mono.fill(1);
    const QImage out = applyGreyTransformation(QBitmap::fromImage(mono));
    EXPECT_NE(out.depth(), 32);
    EXPECT_TRUE(applyGreyTransformation(QPixmap()).isNull());
}

TEST(PixmapUtilities, DisabledImageFadesTowardsPaleAndIsOpaque)
{
    QLabel label;
    label.resize(6, 6);
    label.setAutoFillBackground(true);
    QPalette p = label.palette();
    p.setColor(QPalette::Window, QColor(255, 0, 0));
    label.setPalette(p);
    QPixmap out;
    createDisabledImage(&label, &out);
    ASSERT_FALSE(out.isNull());
    const QColor c = QColor::fromRgba(out.toImage().pixel(3, 3));
    // Saturation 255 -> 255 - 216 = 39; value stays 255; hue kept.
    EXPECT_EQ(c.hsvSaturation(), 39);
    EXPECT_EQ(c.value(), 255);
    EXPECT_EQ(c.hsvHue(), 0);
    EXPECT_EQ(c.alpha(), 255);
    createDisabledImage(nullptr, &out);
    createDisabledImage(&label, nullptr);
}

TEST(PixmapUtilities, BlackFocusMarkIsADoubleFrameAndOtherColoursTakeTheirHue)
{
    const QImage framed = applyFocusHilite(Qt::black, filled(Qt::white, 8, 8));
    EXPECT_EQ(framed.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(framed.pixel(7, 7), qRgb(0, 0, 0));
    EXPECT_EQ(framed.pixel(1, 1), qRgb(60, 60, 60));
    EXPECT_EQ(framed.pixel(6, 4), qRgb(60, 60, 60));
    EXPECT_EQ(framed.pixel(3, 3), qRgb(255, 255, 255));

    // A grey pixel (saturation 0) takes the colour's hue and saturation, keeping its value.
    const QImage tinted = applyFocusHilite(QColor::fromHsv(120, 100, 255), filled(QColor(128, 128, 128)));
    const QColor c = QColor::fromRgb(tinted.pixel(2, 2));
    EXPECT_NEAR(c.hsvHue(), 120, 2);
    EXPECT_NEAR(c.hsvSaturation(), 100, 1);
    EXPECT_EQ(c.value(), 128);
}

struct CellCase
{
    const char* name;
    QPoint cell;
    QSize grid;
    bool drawn;
};

class PartialPixmap : public ::testing::TestWithParam<CellCase>
{
};

TEST_P(PartialPixmap, DrawsOnlyCellsInsideTheGrid)
{
    const QPixmap source = strip(3, 4, 5);
    QImage target(5, 5, QImage::Format_ARGB32);
    target.fill(Qt::transparent);
    {
        QPainter painter(&target);
        drawPartialPixmap(painter, GetParam().cell, source, GetParam().grid);
    }
    if (GetParam().drawn)
        EXPECT_EQ(target.pixel(2, 2), qRgb(10 * GetParam().cell.x() + 1, 10 * GetParam().cell.y() + 1, 200));
    else
        EXPECT_EQ(qAlpha(target.pixel(2, 2)), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, PartialPixmap,
    ::testing::Values(CellCase{"FirstCell", {0, 0}, {3, 4}, true},
                      CellCase{"LastCell", {2, 3}, {3, 4}, true},
                      CellCase{"MiddleCell", {1, 2}, {3, 4}, true},
                      CellCase{"RowEqualToRowCount", {0, 4}, {3, 4}, false},
                      CellCase{"NegativeRow", {0, -1}, {3, 4}, false},
                      CellCase{"ColumnPastTheGrid", {3, 0}, {3, 4}, false},
                      CellCase{"NoRows", {0, 0}, {3, 0}, false},
                      CellCase{"NoColumns", {0, 0}, {0, 4}, false}),
    [](const ::testing::TestParamInfo<CellCase>& info) { return std::string(info.param.name); });

TEST(PixmapUtilities, PartialPixmapDrawsAtTheGivenPoint)
{
    QImage target(20, 20, QImage::Format_ARGB32);
    target.fill(Qt::transparent);
    const QPoint at(10, 12);
    {
        QPainter painter(&target);
        drawPartialPixmap(painter, {1, 1}, strip(2, 2, 5), {2, 2}, &at);
        drawPartialPixmap(painter, {0, 0}, QPixmap(), {2, 2}, &at);
    }
    EXPECT_EQ(target.pixel(12, 14), qRgb(11, 11, 200));
    EXPECT_EQ(qAlpha(target.pixel(2, 2)), 0);
}

TEST(PixmapUtilities, LoadPixmapPrefersTheRegistryThenTheImagesFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("images")));
    ASSERT_TRUE(filled(Qt::red, 3, 3).save(dir.filePath(QStringLiteral("images/tovar_test_file.png"))));
    ASSERT_TRUE(filled(Qt::blue, 7, 2).save(dir.filePath(QStringLiteral("registered.png"))));
    ImageRegistry::add(QStringLiteral("tovar_test_registered"), dir.filePath(QStringLiteral("registered.png")),
                       QSize(7, 2));

    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QPixmap fromFile = loadPixmap(QStringLiteral("tovar_test_file.png"));
    const QPixmap fromRegistry = loadPixmap(QStringLiteral("tovar_test_registered"));
    const QPixmap missing = loadPixmap(QStringLiteral("tovar_test_missing"));
    QDir::setCurrent(before);
    ImageRegistry::removeUnder(dir.path());

    EXPECT_EQ(fromFile.size(), QSize(3, 3));
    EXPECT_EQ(fromRegistry.size(), QSize(7, 2));
    EXPECT_TRUE(missing.isNull());
}

TEST(PixmapUtilities, HideShowCoversAndUncoversTheWidget)
{
    QWidget w;
    w.resize(30, 20);
    auto* child = new QLabel(QStringLiteral("x"), &w);
    w.show();

    hideShowWidgets(true, &w, false);
    auto* cover = w.findChild<QLabel*>(QLatin1String(kDisabledCoverName));
    ASSERT_NE(cover, nullptr);
    EXPECT_TRUE(cover->isVisible());
    EXPECT_EQ(cover->geometry(), w.rect());
    EXPECT_FALSE(child->isVisible());

    hideShowWidgets(false, &w, false);
    EXPECT_FALSE(cover->isVisible());
    EXPECT_TRUE(child->isVisible());

    // Removing the cover while showing drops it and shows the widget.
    hideShowWidgets(false, &w, true);
    EXPECT_EQ(w.findChild<QLabel*>(QLatin1String(kDisabledCoverName)), nullptr);
    EXPECT_TRUE(w.isVisible());
    hideShowWidgets(true, nullptr, false);
}
