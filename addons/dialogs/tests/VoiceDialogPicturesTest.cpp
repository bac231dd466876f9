// The substitute host's screenshot mode draws the voice dialogs while they run: the
// voice and preset receive dialogs, the voice lists, the value selectors and the store
// dialog. Each picture is checked to be really drawn: the window's size, and ink where
// its controls stand.
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
    QSize minimum;                // the window's size at least
    bool exact;                   // and exactly
    std::vector<QRect> controls;  // where controls stand, in the window
};

// The list dialogs: the list's first lines, and the buttons below.
std::vector<QRect> listAndButtons(const QSize& size)
{
    return {{15, 15, 120, 60}, {size.width() - 180, size.height() - 40, 170, 30}};
}

class VoiceDialogPictures : public DialogsRig
{
};

} // namespace

TEST_F(VoiceDialogPictures, EachVoiceDialogIsDrawnWithItsControls)
{
    m_options.screenshotDir = m_dir.filePath(QStringLiteral("pictures"));
    m_options.screenshotDelayMs = 300;
    // The preset receive dialog is pictured, not closed by the host.
    m_options.closePresetPrompt = false;
    startHost();
    m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefPresetVoices, 0);
    const Picture pictures[] = {
        {3, {313, 212}, true, {{80, 20, 210, 20}, {20, 80, 261, 31}, {100, 120, 101, 31}, {190, 170, 101, 31}}},
        {9, {303, 237}, true, {{20, 20, 150, 110}, {205, 20, 85, 100}, {12, 172, 282, 22}, {112, 201, 82, 25}}},
        {8, {492, 352}, false, {{15, 60, 140, 100}, {175, 60, 140, 100}, {330, 60, 140, 40}, {310, 315, 170, 30}}},
        {17, {273, 313}, false, {{11, 11, 250, 20}, {15, 45, 120, 80}, {100, 270, 170, 30}}},
        {10, {274, 328}, false, listAndButtons({274, 328})},
        {39, {274, 328}, false, listAndButtons({274, 328})},
        {46, {274, 328}, false, listAndButtons({274, 328})},
        {38, {263, 344}, false, listAndButtons({263, 344})},
        {42, {263, 344}, false, listAndButtons({263, 344})},
        {37, {294, 373}, false, {{20, 20, 250, 60}, {15, 100, 150, 100}, {110, 335, 170, 30}}},
    };
    for (const Picture& p : pictures)
        EXPECT_EQ(m_host->openEditor({dialogsModule(), p.id}), 0) << p.id;

    for (const Picture& p : pictures) {
        const QString file = QStringLiteral("dialogs-%1.png").arg(p.id);
        SCOPED_TRACE(qPrintable(file));
        const QImage image(QDir(m_options.screenshotDir).filePath(file));
        ASSERT_FALSE(image.isNull());
        if (p.exact)
            EXPECT_EQ(image.size(), p.minimum);
        EXPECT_GE(image.width(), p.minimum.width());
        EXPECT_GE(image.height(), p.minimum.height());
        EXPECT_GT(inkShare(image, image.rect()), 0.03) << "a blank window";
        for (const QRect& control : p.controls)
            EXPECT_GT(inkShare(image, control), 0.02) << control.x() << ',' << control.y();
    }
}
