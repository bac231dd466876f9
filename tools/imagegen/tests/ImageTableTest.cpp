// The images the controls and views look up by name: each owning library, once
// loaded, has registered every image of the table at the table's size and frame
// division; each image loads at that size (and its twin at twice it), every frame is
// drawn and differs from the next, dials point where their frame says, lit keys are
// plainly lit, and the text slider's cursors are the pixels they must be.
#include "ImageLibraries.h"
#include "tools/imagegen/ImageTable.h"
#include "utilities/ImageRegistry.h"
#include <QColor>
#include <QImage>
#include <QLibrary>
#include <QPixmap>
#include <QtMath>
#include <gtest/gtest.h>
#include <cctype>
#include <cmath>
#include <ostream>

namespace NS_Images {
// Test names and failure messages show the image's name, not its bytes.
void PrintTo(const ImageEntry& entry, std::ostream* os)
{
    *os << entry.name;
}
} // namespace NS_Images

using namespace NS_Images;
using NS_Utilities::ImageRegistry;

namespace {

// Loads each owning library once, as the component loads the add-ons; they stay
// loaded, so their registrations stay in place for every test.
void loadOwners()
{
    static const bool loaded = [] {
        for (const ImageLibrary& library : kImageLibraries) {
            QLibrary lib(QString::fromLocal8Bit(library.path));
            lib.setLoadHints(QLibrary::ExportExternalSymbolsHint);
            if (!lib.load())
                ADD_FAILURE() << library.owner << ": " << qPrintable(lib.errorString());
        }
        return true;
    }();
    Q_UNUSED(loaded);
}

QString twinPath(const QString& path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return path.left(dot) + QLatin1String("@2x") + path.mid(dot);
}

QImage loadRegistered(const char* name, int ratio = 1)
{
    const QString path = ImageRegistry::info(QString::fromLatin1(name)).resourcePath;
    return QImage(ratio == 1 ? path : twinPath(path)).convertToFormat(QImage::Format_ARGB32);
}

QImage frameOf(const QImage& image, const ImageEntry& entry, int row, int column = 0)
{
    const int w = image.width() / entry.columns, h = image.height() / entry.rows;
    return image.copy(column * w, row * h, w, h);
}

bool uniform(const QImage& image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}

bool isAccent(QRgb c)
{
    return qAlpha(c) > 128 && qRed(c) > 170 && qBlue(c) < 150 && qRed(c) - qBlue(c) > 90 && qGreen(c) > 70;
}

int accentCount(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += isAccent(image.pixel(x, y)) ? 1 : 0;
    return n;
}

// Direction of a dial's pointer, in degrees clockwise from twelve o'clock: the
// centroid of its near-white pixels seen from the frame's centre.
double pointerAngle(const QImage& frame)
{
    double sx = 0, sy = 0;
    int n = 0;
    const QPointF centre(frame.width() / 2.0, frame.height() / 2.0);
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb c = frame.pixel(x, y);
            const int lo = qMin(qRed(c), qMin(qGreen(c), qBlue(c)));
            const int hi = qMax(qRed(c), qMax(qGreen(c), qBlue(c)));
            if (qAlpha(c) > 200 && lo > 190 && hi - lo < 45) {
                sx += x + 0.5 - centre.x();
                sy += y + 0.5 - centre.y();
                ++n;
            }
        }
    }
    if (n == 0)
        return qQNaN();
    return qRadiansToDegrees(std::atan2(sx, -sy));
}

std::string paramName(const char* name)
{
    std::string out;
    for (const char* c = name; *c; ++c)
        out += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return out;
}

class ImageTableTest : public ::testing::TestWithParam<ImageEntry>
{
protected:
    void SetUp() override { loadOwners(); }
};

TEST_P(ImageTableTest, IsRegisteredByItsOwnerWithTheTableSizeAndFrames)
{
    const ImageEntry& entry = GetParam();
    const QString name = QString::fromLatin1(entry.name);
    EXPECT_TRUE(name.startsWith(QLatin1String("tovar_")) && name.endsWith(QLatin1String(".png")));
    ASSERT_TRUE(ImageRegistry::contains(name)) << entry.name;
    const NS_Utilities::ImageInfo info = ImageRegistry::info(name);
    EXPECT_EQ(info.size, QSize(entry.width, entry.height));
    EXPECT_EQ(info.rows, entry.rows);
    EXPECT_EQ(info.columns, entry.columns);
    EXPECT_EQ(info.resourcePath,
              QLatin1String(kResourceRoot) + QLatin1String(ownerName(entry.owner)) + QLatin1Char('/') + name);
}

TEST_P(ImageTableTest, LoadsAtTheTableSizeAndItsTwinAtTwiceIt)
{
    const ImageEntry& entry = GetParam();
    const QImage one = loadRegistered(entry.name);
    const QImage two = loadRegistered(entry.name, 2);
    ASSERT_FALSE(one.isNull());
    ASSERT_FALSE(two.isNull());
    EXPECT_EQ(one.size(), QSize(entry.width, entry.height));
    EXPECT_EQ(two.size(), QSize(2 * entry.width, 2 * entry.height));
    EXPECT_EQ(entry.height % entry.rows, 0);
    EXPECT_EQ(entry.width % entry.columns, 0);
    const QPixmap shown = ImageRegistry::pixmap(QString::fromLatin1(entry.name));
    EXPECT_EQ(shown.size() / shown.devicePixelRatio(), QSize(entry.width, entry.height));
}

TEST_P(ImageTableTest, EveryFrameIsDrawnAndDiffersFromTheNext)
{
    const ImageEntry& entry = GetParam();
    for (int ratio : {1, 2}) {
        const QImage image = loadRegistered(entry.name, ratio);
        ASSERT_FALSE(image.isNull());
        for (int column = 0; column < entry.columns; ++column) {
            for (int row = 0; row < entry.rows; ++row) {
                const QImage frame = frameOf(image, entry, row, column);
                EXPECT_FALSE(uniform(frame)) << entry.name << " row " << row << " at " << ratio << "x";
                if (row + 1 < entry.rows) {
                    EXPECT_NE(frame, frameOf(image, entry, row + 1, column))
                        << entry.name << " rows " << row << " and " << row + 1 << " at " << ratio << "x";
                }
            }
        }
        if (entry.opaque) {
            bool solid = true;
            for (int y = 0; y < image.height() && solid; ++y)
                for (int x = 0; x < image.width() && solid; ++x)
                    solid = qAlpha(image.pixel(x, y)) == 255;
            EXPECT_TRUE(solid) << entry.name << " has transparent pixels";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllImages, ImageTableTest, ::testing::ValuesIn(kImageTable),
                         [](const ::testing::TestParamInfo<ImageEntry>& info) { return paramName(info.param.name); });

TEST(ImageTable, NamesAreUniqueAndEveryOwnerIsLoaded)
{
    loadOwners();
    for (std::size_t i = 0; i < kImageCount; ++i)
        for (std::size_t j = i + 1; j < kImageCount; ++j)
            EXPECT_STRNE(kImageTable[i].name, kImageTable[j].name);
    for (ImageOwner owner : {ImageOwner::Widgets, ImageOwner::MainLayer, ImageOwner::CommonDetail,
                             ImageOwner::PartDetail, ImageOwner::Dialogs}) {
        bool found = false;
        for (const ImageLibrary& library : kImageLibraries)
            found = found || qstrcmp(library.owner, ownerName(owner)) == 0;
        EXPECT_TRUE(found) << "no library embeds the images of " << ownerName(owner);
    }
    EXPECT_EQ(findImage("tovar_knob1states.png"), &kImageTable[0]);
    EXPECT_EQ(findImage("tovar_knob1"), nullptr);
}

struct DialFrame
{
    const char* name;
    int row;
    double degrees;
};

void PrintTo(const DialFrame& dial, std::ostream* os)
{
    *os << dial.name << " row " << dial.row;
}

class DialFrameTest : public ::testing::TestWithParam<DialFrame>
{
protected:
    void SetUp() override { loadOwners(); }
};

TEST_P(DialFrameTest, PointerPointsAtTheFramesAngle)
{
    const DialFrame& dial = GetParam();
    const ImageEntry& entry = *findImage(dial.name);
    for (int ratio : {1, 2}) {
        const double angle = pointerAngle(frameOf(loadRegistered(dial.name, ratio), entry, dial.row));
        ASSERT_FALSE(qIsNaN(angle)) << "no pointer in row " << dial.row;
        EXPECT_NEAR(angle, dial.degrees, 12.0) << dial.name << " row " << dial.row << " at " << ratio << "x";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dials, DialFrameTest,
    ::testing::Values(DialFrame{kKnobSmall, 0, -135}, DialFrame{kKnobSmall, 7, -67.5}, DialFrame{kKnobSmall, 14, 0},
                      DialFrame{kKnobSmall, 21, 67.5}, DialFrame{kKnobSmall, 28, 135},
                      DialFrame{kKnobLarge, 0, -135}, DialFrame{kKnobLarge, 14, 0}, DialFrame{kKnobLarge, 28, 135}),
    [](const ::testing::TestParamInfo<DialFrame>& info) {
        return paramName(info.param.name) + "_row" + std::to_string(info.param.row);
    });

TEST(DialStrips, FirstAndLastFramesPointAcrossTheSweepAndTheArcFollowsTheValue)
{
    loadOwners();
    for (const char* name : {kKnobSmall, kKnobLarge}) {
        const ImageEntry& entry = *findImage(name);
        const QImage strip = loadRegistered(name);
        const double first = pointerAngle(frameOf(strip, entry, 0));
        const double last = pointerAngle(frameOf(strip, entry, entry.rows - 1));
        EXPECT_LT(first, -90) << name;
        EXPECT_GT(last, 90) << name;
        const int low = accentCount(frameOf(strip, entry, 0));
        const int mid = accentCount(frameOf(strip, entry, entry.rows / 2));
        const int high = accentCount(frameOf(strip, entry, entry.rows - 1));
        if (qstrcmp(name, kKnobSmall) == 0) {
            // Lit from the left stop: more arc with every step.
            EXPECT_LT(low, mid) << name;
            EXPECT_LT(mid, high) << name;
        } else {
            // Lit from the centre: least arc in the middle, as much at either end.
            EXPECT_LT(mid, low) << name;
            EXPECT_LT(mid, high) << name;
            EXPECT_NEAR(low, high, high / 5) << name;
        }
    }
}

struct LitRows
{
    const char* name;
    int lit;
    int unlit;
};

void PrintTo(const LitRows& rows, std::ostream* os)
{
    *os << rows.name << " lit " << rows.lit << " unlit " << rows.unlit;
}

class LitRowTest : public ::testing::TestWithParam<LitRows>
{
protected:
    void SetUp() override { loadOwners(); }
};

TEST_P(LitRowTest, LitRowShowsPlainlyMoreAccentThanUnlitRow)
{
    const LitRows& rows = GetParam();
    const ImageEntry& entry = *findImage(rows.name);
    const QImage image = loadRegistered(rows.name);
    const QImage lit = frameOf(image, entry, rows.lit), unlit = frameOf(image, entry, rows.unlit);
    const int area = lit.width() * lit.height();
    EXPECT_GE(accentCount(lit) - accentCount(unlit), area / 12) << rows.name;
}

INSTANTIATE_TEST_SUITE_P(
    Switches, LitRowTest,
    ::testing::Values(LitRows{kMuteButton, 1, 0}, LitRows{kSoloButton, 1, 0}, LitRows{kInsertionButton, 1, 0},
                      LitRows{kOnOffSwitch, 1, 0}, LitRows{kDetailButton, 0, 1}, LitRows{kComTab0, 0, 1},
                      LitRows{kComTab7, 0, 1}, LitRows{kPrtTab0, 0, 1}, LitRows{kPrtTab6, 0, 1}),
    [](const ::testing::TestParamInfo<LitRows>& info) { return paramName(info.param.name); });

// Backgrounds must fit the forms: each display window sits under the display the
// form puts there, each label band under a cell label, and nothing where a cell is
// empty. Rectangles are the controls' own geometry in the image's coordinates.
struct Placement
{
    const char* name;
    int row;
    QRect rect;
    enum Look { Dark, NotDark, Light, NotLight } look;
};

void PrintTo(const Placement& place, std::ostream* os)
{
    *os << place.name << " row " << place.row << " at " << place.rect.x() << "," << place.rect.y();
}

class PlacementTest : public ::testing::TestWithParam<Placement>
{
protected:
    void SetUp() override { loadOwners(); }
};

double meanLightness(const QImage& image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += QColor(image.pixel(x, y)).lightness();
    return sum / (image.width() * image.height());
}

TEST_P(PlacementTest, WindowsAndBandsSitUnderTheControlsTheyFrame)
{
    const Placement& place = GetParam();
    const ImageEntry& entry = *findImage(place.name);
    const QImage frame = frameOf(loadRegistered(place.name), entry, place.row);
    // The inner part only: edges may carry a bevel.
    const double light = meanLightness(frame.copy(place.rect.adjusted(1, 1, -1, -1)));
    switch (place.look) {
    case Placement::Dark: EXPECT_LT(light, 25) << place.name; break;
    case Placement::NotDark: EXPECT_GT(light, 30) << place.name; break;
    case Placement::Light: EXPECT_GT(light, 170) << place.name; break;
    case Placement::NotLight: EXPECT_LT(light, 120) << place.name; break;
    }
}

// Detail pages: cell j is at (76 * (j % 8), 68 * (j / 8)); its label at +5, +69.
QRect cellLabel(int cell)
{
    return QRect(76 * (cell % 8) + 5, 68 * (cell / 8) + 69, 76, 15).adjusted(4, 0, -4, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Backgrounds, PlacementTest,
    ::testing::Values(
        // Channel header frames: part number, bank, own voice row, the neighbour's row.
        Placement{kChannelHeaders, 0, {7, 4, 31, 11}, Placement::Dark},
        Placement{kChannelHeaders, 0, {5, 22, 31, 11}, Placement::Dark},
        Placement{kChannelHeaders, 0, {1, 39, 42, 11}, Placement::Dark},
        Placement{kChannelHeaders, 0, {1, 55, 26, 11}, Placement::NotDark},
        Placement{kChannelHeaders, 1, {1, 55, 42, 11}, Placement::Dark},
        Placement{kChannelHeaders, 1, {0, 39, 26, 11}, Placement::Dark},
        Placement{kChannelHeaders, 2, {1, 39, 42, 11}, Placement::Dark},
        Placement{kChannelHeaders, 2, {0, 55, 26, 11}, Placement::Dark},
        // Master strip: the three effect-type displays.
        Placement{kMasterStrip, 0, {9, 149, 71, 11}, Placement::Dark},
        Placement{kMasterStrip, 0, {9, 173, 71, 11}, Placement::Dark},
        Placement{kMasterStrip, 0, {9, 208, 71, 11}, Placement::Dark},
        // Common pages: type display, value window, labels, and none on empty cells.
        Placement{kComArpeggiatorVant, 0, {6, 45, 89, 11}, Placement::Dark},
        Placement{kComArpeggiatorVant, 0, {76 * 3 + 14, 27, 56, 11}, Placement::Dark},
        Placement{kComArpeggiatorVant, 0, cellLabel(0), Placement::Light},
        Placement{kComArpeggiatorVant, 0, cellLabel(1), Placement::NotLight},
        Placement{kComArpeggiatorVant, 0, cellLabel(19), Placement::Light},
        Placement{kComArpeggiatorVant, 0, cellLabel(20), Placement::NotLight},
        Placement{kComReverb, 0, cellLabel(38), Placement::Light},
        Placement{kComReverb, 0, cellLabel(39), Placement::NotLight},
        Placement{kComInsertionSwVant, 0, cellLabel(17), Placement::Light},
        Placement{kComInsertionSw, 0, cellLabel(17), Placement::NotLight},
        Placement{kComName, 0, {6, 45, 89, 11}, Placement::Dark},
        // Part pages: bank and voice displays, labels.
        Placement{kPrtGeneral, 0, {14, 44, 54, 11}, Placement::Dark},
        Placement{kPrtGeneral, 0, {76 + 6, 44, 86, 11}, Placement::Dark},
        Placement{kPrtGeneral, 0, cellLabel(2), Placement::NotLight},
        Placement{kPrtRcvSw, 0, cellLabel(16), Placement::Light},
        Placement{kPrtRcvSw, 0, cellLabel(17), Placement::NotLight},
        // The part number of the part header reads dark on light.
        Placement{kPrtHeaderVantrel, 0, {174, 11, 20, 16}, Placement::Light}),
    [](const ::testing::TestParamInfo<Placement>& info) {
        return paramName(info.param.name) + "_" + std::to_string(info.index);
    });

TEST(ArrowCursors, AreTheTriangleOfOutlineAndFillAtTheGivenRows)
{
    loadOwners();
    for (bool up : {true, false}) {
        const QImage cursor = loadRegistered(up ? kCursorArrowUp : kCursorArrowDown);
        ASSERT_EQ(cursor.size(), QSize(16, 16));
        for (int y = 0; y < 16; ++y) {
            const int row = up ? y : 15 - y; // the down arrow is the up arrow mirrored
            for (int x = 0; x < 16; ++x) {
                const QRgb c = cursor.pixel(x, y);
                const int i = row - 3; // 0 at the apex, 4 at the base
                const bool inside = i >= 0 && i <= 4 && x >= 7 - i && x <= 8 + i;
                if (!inside) {
                    EXPECT_EQ(qAlpha(c), 0) << (up ? "up" : "down") << " at " << x << "," << y;
                    continue;
                }
                const bool edge = x == 7 - i || x == 8 + i || i == 0 || i == 4;
                EXPECT_EQ(c, edge ? qRgb(0, 0, 0) : qRgb(255, 255, 255))
                    << (up ? "up" : "down") << " at " << x << "," << y;
            }
        }
    }
}

} // namespace
