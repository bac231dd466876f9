// The mixer: channel strip and its header frames, master strip, view background.
// Every legend, window and slot sits where the strip forms place their controls.
#include "Artwork.h"
#include "ImageTable.h"
#include "PanelStyle.h"
#include <QLinearGradient>
#include <QPainter>

namespace NS_ImageGen {

namespace {

using namespace NS_Images;

// Strip controls (strip coordinates).
constexpr int kKnobX = 8, kKnobSize = 26;
constexpr int kEqHiY = 89, kEqMidY = 120, kEqLowY = 151;
constexpr int kRevY = 206, kChoY = 237;
constexpr QRect kInsKey{6, 192, 31, 10};
constexpr QRect kMuteKey{6, 280, 31, 10};
constexpr QRect kSoloKey{6, 293, 31, 10};
constexpr QRect kPanDial{3, 306, 36, 36};
constexpr QRect kChannelFader{13, 350, 20, 132};
constexpr QRect kStripDetailKey{6, 486, 31, 10};
constexpr int kThumbHeight = 33;

// Header switcher (its own coordinates: the strip's less one pixel).
constexpr QRect kPartNumberLabel{7, 4, 31, 11};
constexpr QRect kBankLabel{5, 22, 31, 11};
constexpr int kVoiceRowOdd = 39, kVoiceRowEven = 55, kVoiceRowHeight = 11;
// The voice name of the strip to the left runs 28 pixels into this strip.
constexpr int kVoiceOverhang = 28;

// Master strip controls.
constexpr int kMasterKnobX = 31;
constexpr int kMasterEqY[] = {16, 47, 78, 109};
constexpr QRect kReverbPopup{9, 149, 71, 11};
constexpr QRect kChorusPopup{9, 173, 71, 11};
constexpr QRect kEffectPopup{9, 208, 71, 11};
constexpr QRect kEffectKey{29, 245, 31, 10};
constexpr QRect kMasterFader{37, 276, 20, 132};
constexpr QRect kMasterDetailKey{51, 413, 31, 10};

// Mixer view.
constexpr int kStrips = 16, kStripX0 = 6, kStripPitch = 46, kStripY = 4, kStripW = 43, kStripH = 501;
constexpr QRect kMasterBay{744, 78, 91, 428};

QRectF around(const QRect& r, qreal margin)
{
    return QRectF(r).adjusted(-margin, -margin, margin, margin);
}

void keyBezel(QPainter& p, const QRect& key)
{
    const QRectF r = around(key, 1.5);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::panelDark);
    p.drawRoundedRect(r, 2.5, 2.5);
    p.restore();
    drawBevel(p, r, false, 2.5);
}

// Rotated legend reading upwards, centred on a vertical span of a margin column.
void sideLegend(QPainter& p, qreal x, qreal width, qreal top, qreal height, const QString& text,
                int pixels, const QColor& colour = Palette::legend)
{
    p.save();
    p.translate(x, top + height);
    p.rotate(-90);
    drawLegend(p, QRectF(0, 0, height, width), text, pixels, colour);
    p.restore();
}

// Fader slot with its scale: a black groove over the thumb's travel and ticks on
// both sides, longer at the ends and in the middle.
void faderScale(QPainter& p, const QRect& fader, qreal tickLeft, qreal tickRight, qreal tickWidth)
{
    const qreal cx = fader.x() + fader.width() / 2.0;
    const qreal top = fader.top() + kThumbHeight / 2.0;
    const qreal bottom = fader.top() + fader.height() - kThumbHeight / 2.0;
    drawWell(p, QRectF(cx - 2, top - 8, 4, bottom - top + 16), 2);
    constexpr int ticks = 11;
    for (int i = 0; i < ticks; ++i) {
        const qreal y = qRound(top + (bottom - top) * i / (ticks - 1)) + 0.5;
        const bool major = i == 0 || i == ticks / 2 || i == ticks - 1;
        const qreal w = major ? tickWidth : tickWidth * 0.6;
        p.setPen(QPen(major ? Palette::legend : Palette::legendDim, 1));
        p.drawLine(QPointF(tickLeft + tickWidth - w, y), QPointF(tickLeft + tickWidth, y));
        p.drawLine(QPointF(tickRight, y), QPointF(tickRight + w, y));
    }
}

void sectionLegend(QPainter& p, const QRectF& r, const QString& text, int pixels = 7)
{
    drawLegend(p, r, text, pixels, Palette::legend);
}

void paintChannelStrip(QPainter& p, const QSizeF& size)
{
    const QRectF all(0, 0, size.width(), size.height());
    drawPanelFace(p, all, Palette::panel, 11);
    drawBevel(p, all, true, 0);

    sectionLegend(p, QRectF(0, 73, size.width(), 14), QStringLiteral("EQ"));
    drawRule(p, QPointF(4, 80), QPointF(13, 80));
    drawRule(p, QPointF(30, 80), QPointF(39, 80));
    const struct {
        int y;
        const char* text;
    } knobs[] = {{kEqHiY, "HI"}, {kEqMidY, "MID"}, {kEqLowY, "LO"}, {kRevY, "REV"}, {kChoY, "CHO"}};
    for (const auto& k : knobs)
        sideLegend(p, 0.5, kKnobX - 0.5, k.y, kKnobSize, QString::fromLatin1(k.text), 7);

    drawRule(p, QPointF(3, 184), QPointF(size.width() - 3, 184));
    keyBezel(p, kInsKey);
    drawRule(p, QPointF(3, 271), QPointF(size.width() - 3, 271));
    keyBezel(p, kMuteKey);
    keyBezel(p, kSoloKey);
    drawLegend(p, QRectF(0, kPanDial.bottom() + 1, size.width(), 8), QStringLiteral("PAN"), 6,
               Palette::legend);
    drawLegend(p, QRectF(0.5, kPanDial.bottom() - 6, 6, 8), QStringLiteral("L"), 6, Palette::legendDim);
    drawLegend(p, QRectF(size.width() - 6.5, kPanDial.bottom() - 6, 6, 8), QStringLiteral("R"), 6,
               Palette::legendDim);
    faderScale(p, kChannelFader, 4, 35, 5);
    keyBezel(p, kStripDetailKey);
}

// Header frames: 0 for part 1, 1 for even parts, 2 for odd parts from 3. Each frame
// has the windows of its part number, bank and voice name row, and the end of the
// neighbouring strip's voice name that crosses into it.
void paintChannelHeader(QPainter& p, const QSizeF& frame, int row)
{
    const QRectF all(0, 0, frame.width(), frame.height());
    QLinearGradient g(all.topLeft(), all.bottomLeft());
    g.setColorAt(0, Palette::panelLight);
    g.setColorAt(1, Palette::panel);
    p.fillRect(all, g);
    p.fillRect(QRectF(0, 0, frame.width(), 1.5), row == 0 ? Palette::accent : Palette::accentDeep);

    drawWell(p, around(kPartNumberLabel, 1));
    drawWell(p, around(kBankLabel, 1));
    const bool even = row == 1;
    const int own = even ? kVoiceRowEven : kVoiceRowOdd;
    drawWell(p, QRectF(0, own - 1, frame.width(), kVoiceRowHeight + 2), 1);
    if (row != 0) {
        const int crossing = even ? kVoiceRowOdd : kVoiceRowEven;
        drawWell(p, QRectF(-2, crossing - 1, kVoiceOverhang + 1, kVoiceRowHeight + 2), 1);
    }
}

void paintMasterStrip(QPainter& p, const QSizeF& size)
{
    const QRectF all(0, 0, size.width(), size.height());
    drawPanelFace(p, all, Palette::panel, 23);
    drawBevel(p, all, true, 0);

    sectionLegend(p, QRectF(0, 2, size.width(), 12), QStringLiteral("MASTER EQ"));
    const char* bands[] = {"HIGH", "HI MID", "LO MID", "LOW"};
    for (int i = 0; i < 4; ++i)
        drawLegend(p, QRectF(2, kMasterEqY[i], kMasterKnobX - 4, 26), QString::fromLatin1(bands[i]), 7,
                   Palette::legend, Qt::AlignRight | Qt::AlignVCenter);
    drawRule(p, QPointF(64, 22), QPointF(64, 130));
    sideLegend(p, 68, 12, 22, 108, QStringLiteral("GAIN"), 7, Palette::legendDim);

    drawRule(p, QPointF(4, 139), QPointF(size.width() - 4, 139));
    const struct {
        QRect popup;
        const char* text;
    } popups[] = {{kReverbPopup, "REVERB"}, {kChorusPopup, "CHORUS"}, {kEffectPopup, "MASTER EFFECT"}};
    for (const auto& pop : popups) {
        sectionLegend(p, QRectF(0, pop.popup.top() - 12, size.width(), 11), QString::fromLatin1(pop.text));
        drawWell(p, around(pop.popup, 1));
    }
    drawLegend(p, QRectF(3, kEffectKey.top(), kEffectKey.left() - 6, kEffectKey.height()),
               QStringLiteral("EF SW"), 6, Palette::legendDim, Qt::AlignRight | Qt::AlignVCenter);
    keyBezel(p, kEffectKey);
    drawRule(p, QPointF(4, 262), QPointF(size.width() - 4, 262));
    sectionLegend(p, QRectF(0, 263, size.width(), 12), QStringLiteral("MASTER"));
    faderScale(p, kMasterFader, 25, 61, 7);
    sideLegend(p, 73, 12, 290, 104, QStringLiteral("VOLUME"), 7, Palette::legendDim);
    drawLegend(p, QRectF(3, kMasterDetailKey.top(), kMasterDetailKey.left() - 6, kMasterDetailKey.height()),
               QStringLiteral("COMMON"), 6, Palette::legendDim, Qt::AlignRight | Qt::AlignVCenter);
    keyBezel(p, kMasterDetailKey);
}

void modelPlate(QPainter& p, const QRectF& r, bool withModel)
{
    drawPanelFace(p, r, Palette::panelLight, 31);
    drawBevel(p, r, true, 0);
    for (const QPointF& c : {r.topLeft() + QPointF(5, 5), r.topRight() + QPointF(-5, 5),
                             r.bottomLeft() + QPointF(5, -5), r.bottomRight() + QPointF(-5, -5)})
        drawScrew(p, c, 2.2);
    if (withModel) {
        drawLegend(p, QRectF(r.left(), r.top() + 4, r.width(), 17), QStringLiteral("TOVAR"), 14,
                   Palette::legend, Qt::AlignCenter, true, 1.5);
        drawLegend(p, QRectF(r.left(), r.top() + 20, r.width(), 14), QStringLiteral("VANTREL"), 11,
                   Palette::accent, Qt::AlignCenter, true, 1.0);
        drawRule(p, QPointF(r.left() + 12, r.top() + 36), QPointF(r.right() - 12, r.top() + 36));
        drawLegend(p, QRectF(r.left() + 8, r.top() + 39, r.width() - 16, 10), QStringLiteral("MULTI PART MIXER"), 7,
                   Palette::legendDim);
    } else {
        drawLegend(p, QRectF(r.left(), r.top() + 16, r.width(), 16), QStringLiteral("PART MIXER"), 10,
                   Palette::legend);
    }
}

void paintMixerView(QPainter& p, const QSizeF& size, bool withModel)
{
    const QRectF all(0, 0, size.width(), size.height());
    drawPanelFace(p, all, Palette::chassis, 41);
    for (int i = 0; i < kStrips; ++i) {
        const QRectF bay(kStripX0 + kStripPitch * i - 1, kStripY - 1, kStripW + 2, kStripH + 2);
        p.fillRect(bay, Palette::edgeDark);
        drawBevel(p, bay, false, 0);
    }
    const QRectF masterBay = QRectF(kMasterBay).adjusted(-1, -1, 1, 1);
    p.fillRect(masterBay, Palette::edgeDark);
    drawBevel(p, masterBay, false, 0);
    // Above the master strip, clear of the last voice name (which runs to y 71).
    modelPlate(p, QRectF(kMasterBay.left(), 4, kMasterBay.width(), 53), withModel);
}

} // namespace

void addMixerArt(ArtworkMap& art)
{
    art.insert(kChannelStrip, [](QPainter& p, const QSizeF& f, int, int) { paintChannelStrip(p, f); });
    art.insert(kChannelHeaders, [](QPainter& p, const QSizeF& f, int row, int) { paintChannelHeader(p, f, row); });
    art.insert(kMasterStrip, [](QPainter& p, const QSizeF& f, int, int) { paintMasterStrip(p, f); });
    art.insert(kMixerView, [](QPainter& p, const QSizeF& f, int, int) { paintMixerView(p, f, false); });
    art.insert(kMixerViewVantrel, [](QPainter& p, const QSizeF& f, int, int) { paintMixerView(p, f, true); });
}

} // namespace NS_ImageGen
