// The substitute host's screenshot mode draws the dialogs add-on's windows: the
// toolbar, and each dialog while it runs (or as it closes when it ends first). Each
// picture is checked to be really drawn: the window's size, and ink where its controls
// stand.
#include "DialogsRig.h"
#include <QDir>
#include <QImage>
#include <map>

using namespace DialogsTest;

namespace {

// The share of the area's pixels that differ from its most common colour: 0 for a
// blank area.
double inkShare(const QImage& image, const QRect& area)
{
    const QRect r = area.intersected(image.rect());
    if (r.isEmpty())
        return 0;
    std::map<QRgb, int> counts;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[image.pixel(x, y)];
    int most = 0;
    for (const auto& c : counts)
        most = std::max(most, c.second);
    const int all = r.width() * r.height();
    return double(all - most) / all;
}

struct Picture
{
    int id;
    const char* file;
    QSize minimum;             // the window's size at least
    bool exact;                // and exactly
    std::vector<QRect> controls; // where controls stand, in the window
};

class DialogPictures : public DialogsRig
{
};

} // namespace

TEST_F(DialogPictures, ToolbarAndDialogsAreDrawnWithTheirControls)
{
    m_options.screenshotDir = m_dir.filePath(QStringLiteral("pictures"));
    m_options.screenshotDelayMs = 300;
    startHost();
    // A slow line keeps the receive dialog open for its picture.
    instrument().setCableSpeed(true, 1000);
    const Picture dialogs[] = {
        {2, "dialogs-2.png", {379, 228}, false, {{11, 11, 32, 32}}},
        {5, "dialogs-5.png", {397, 255}, false, {{20, 20, 150, 200}}},
        {4, "dialogs-4.png", {332, 108}, true, {{20, 40, 290, 31}, {10, 10, 311, 81}}},
        {7, "dialogs-7.png", {340, 77}, true, {{30, 30, 300, 31}}},
        {6, "dialogs-6.png", {313, 214}, true, {{80, 20, 210, 20}, {100, 120, 101, 31}, {190, 170, 101, 31}, {10, 10, 65, 41}}},
    };
    for (const Picture& p : dialogs)
        EXPECT_EQ(m_host->openEditor({dialogsModule(), p.id}), 0) << p.id;
    ASSERT_TRUE(m_host->saveEditorScreenshots(m_options.screenshotDir));

    for (const Picture& p : dialogs) {
        SCOPED_TRACE(p.file);
        const QImage image(QDir(m_options.screenshotDir).filePath(QLatin1String(p.file)));
        ASSERT_FALSE(image.isNull());
        if (p.exact)
            EXPECT_EQ(image.size(), p.minimum);
        EXPECT_GE(image.width(), p.minimum.width());
        EXPECT_GE(image.height(), p.minimum.height());
        EXPECT_GT(inkShare(image, image.rect()), 0.03) << "a blank window";
        for (const QRect& control : p.controls)
            EXPECT_GT(inkShare(image, control), 0.02) << control.x() << ',' << control.y();
    }
    const QImage bar(QDir(m_options.screenshotDir).filePath(QStringLiteral("dialogs-11.png")));
    ASSERT_FALSE(bar.isNull());
    EXPECT_GE(bar.height(), 34);
    EXPECT_GE(bar.width(), 300);
    // The buttons and the document's name, left to right.
    for (int x = 0; x < 300; x += 50)
        EXPECT_GT(inkShare(bar, QRect(x, 0, 50, bar.height())), 0.02) << x;
}
