// Strips that the controls cut into frames: dials, fader thumbs, switch keys,
// and the text slider's arrow cursors.
#include "Artwork.h"
#include "ControlArt.h"
#include "ImageTable.h"
#include "PanelStyle.h"
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace NS_ImageGen {

namespace {

using namespace NS_Images;

void arc(QPainter& p, const QPointF& c, qreal radius, qreal fromDeg, qreal toDeg)
{
    // Our angles run clockwise from twelve o'clock; the toolkit's run
    // counter-clockwise from three o'clock in sixteenths of a degree.
    const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    p.drawArc(box, qRound((90.0 - fromDeg) * 16), -qRound((toDeg - fromDeg) * 16));
}

QPointF polar(const QPointF& c, qreal radius, qreal deg)
{
    const qreal a = qDegreesToRadians(deg);
    return c + QPointF(radius * qSin(a), -radius * qCos(a));
}

// A dial frame: dark track over the whole sweep, the value lit in amber from the
// left stop (or from twelve o'clock for a centred dial), a bright head at the value,
// and a graphite cap with an off-white pointer. The track is drawn in every frame so
// that a mask taken from frame 0 covers every frame.
void paintKnob(QPainter& p, const QSizeF& frame, int row, bool fromCentre)
{
    const qreal s = qMin(frame.width(), frame.height());
    const bool large = s > 30;
    const QPointF c(frame.width() / 2, frame.height() / 2);
    const qreal ringWidth = large ? 2.8 : 2.3;
    const qreal ringRadius = s / 2 - ringWidth / 2 - 0.6;
    const qreal bodyRadius = large ? s * 0.315 : s * 0.30;
    const qreal angle = knobAngle(row);
    const qreal start = fromCentre ? 0.0 : -kKnobSweep / 2;

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::well, ringWidth + 1.2, Qt::SolidLine, Qt::FlatCap));
    arc(p, c, ringRadius, -kKnobSweep / 2, kKnobSweep / 2);
    p.setPen(QPen(QColor(0x3a, 0x2c, 0x20), ringWidth * 0.55, Qt::SolidLine, Qt::FlatCap));
    arc(p, c, ringRadius, -kKnobSweep / 2, kKnobSweep / 2);

    if (qAbs(angle - start) > 0.01) {
        p.setPen(QPen(Palette::accent, ringWidth, Qt::SolidLine, Qt::FlatCap));
        arc(p, c, ringRadius, qMin(start, angle), qMax(start, angle));
    }
    if (fromCentre) {
        // Centre detent mark, so the middle frame still shows where zero is.
        p.setPen(QPen(Palette::legendDim, 1.0, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(polar(c, ringRadius - ringWidth / 2 - 0.3, 0), polar(c, ringRadius + ringWidth / 2 + 0.3, 0));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::accentBright);
    p.drawEllipse(polar(c, ringRadius, angle), ringWidth * 0.62, ringWidth * 0.62);

    // Cap: shadow, knurled skirt, top face.
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawEllipse(c + QPointF(0, 0.9), bodyRadius + 0.7, bodyRadius + 0.7);
    QRadialGradient skirt(c + QPointF(-bodyRadius * 0.35, -bodyRadius * 0.45), bodyRadius * 1.6);
    skirt.setColorAt(0, QColor(0x5c, 0x60, 0x68));
    skirt.setColorAt(0.55, QColor(0x33, 0x36, 0x3b));
    skirt.setColorAt(1, QColor(0x1b, 0x1c, 0x1f));
    p.setPen(QPen(Palette::edgeDark, 0.8));
    p.setBrush(skirt);
    p.drawEllipse(c, bodyRadius, bodyRadius);
    if (large) {
        p.setPen(QPen(QColor(0, 0, 0, 90), 0.6));
        for (int i = 0; i < 36; ++i) {
            const qreal a = i * 10.0;
            p.drawLine(polar(c, bodyRadius * 0.82, a), polar(c, bodyRadius - 0.3, a));
        }
    }
    QLinearGradient top(c - QPointF(0, bodyRadius), c + QPointF(0, bodyRadius));
    top.setColorAt(0, QColor(0x4a, 0x4e, 0x55));
    top.setColorAt(1, QColor(0x26, 0x28, 0x2c));
    p.setPen(QPen(QColor(0x14, 0x15, 0x17), 0.6));
    p.setBrush(top);
    p.drawEllipse(c, bodyRadius * 0.76, bodyRadius * 0.76);

    p.setPen(QPen(Palette::pointer, large ? 2.3 : 1.9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(polar(c, bodyRadius * 0.12, angle), polar(c, bodyRadius * 0.95, angle));
}

// Fader cap: a ridged graphite block with a centre line, off-white on the channel
// faders and amber on the master fader so the two read apart at a glance.
void paintThumb(QPainter& p, const QSizeF& frame, const QColor& line)
{
    const QRectF body(1.5, 0.5, frame.width() - 3, frame.height() - 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawRoundedRect(body.translated(1, 1), 2, 2);
    QLinearGradient across(body.topLeft(), body.topRight());
    across.setColorAt(0, QColor(0x3b, 0x3e, 0x44));
    across.setColorAt(0.45, QColor(0x5b, 0x5f, 0x67));
    across.setColorAt(1, QColor(0x26, 0x28, 0x2c));
    p.setPen(QPen(Palette::edgeDark, 1));
    p.setBrush(across);
    p.drawRoundedRect(body, 2, 2);

    const qreal mid = body.center().y();
    for (qreal dy : {-12.0, -9.0, -6.0, 6.0, 9.0, 12.0}) {
        const qreal y = qRound(mid + dy) + 0.5;
        p.setPen(QPen(QColor(0x16, 0x17, 0x19), 1));
        p.drawLine(QPointF(body.left() + 1.5, y), QPointF(body.right() - 1.5, y));
        p.setPen(QPen(QColor(0x70, 0x74, 0x7c), 1));
        p.drawLine(QPointF(body.left() + 1.5, y + 1), QPointF(body.right() - 1.5, y + 1));
    }
    p.setPen(QPen(line, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(body.left() + 0.5, mid), QPointF(body.right() - 0.5, mid));
}

struct KeyFace
{
    QColor top, bottom, text;
    bool sunk;
};

KeyFace keyFace(KeyLook look)
{
    switch (look) {
    case KeyLook::Lit: return {Palette::accentBright, Palette::accent, Palette::ink, false};
    case KeyLook::Pressed: return {Palette::accentDeep.darker(130), Palette::accentDeep, Palette::accentBright, true};
    case KeyLook::Blink: return {QColor(0xd0, 0x80, 0x34), QColor(0xa8, 0x5e, 0x1c), Palette::ink, false};
    case KeyLook::LitDisabled: return {Palette::accentMuted.lighter(110), Palette::accentMuted, QColor(0x2e, 0x2a, 0x25), false};
    case KeyLook::Disabled: return {QColor(0x2c, 0x2d, 0x30), QColor(0x26, 0x27, 0x2a), Palette::legendOff, false};
    case KeyLook::Unlit: break;
    }
    return {QColor(0x48, 0x4b, 0x52), QColor(0x2c, 0x2e, 0x33), Palette::legend, false};
}

} // namespace

qreal knobAngle(int row)
{
    return -kKnobSweep / 2 + row * kKnobSweep / (kKnobFrames - 1);
}

void paintKey(QPainter& p, const QSizeF& frame, KeyLook look, const QString& text)
{
    const KeyFace face = keyFace(look);
    const QRectF key(0.5, 0.5, frame.width() - 1, frame.height() - 1);
    QLinearGradient g(key.topLeft(), key.bottomLeft());
    g.setColorAt(0, face.top);
    g.setColorAt(1, face.bottom);
    p.setPen(QPen(Palette::edgeDark, 1));
    p.setBrush(g);
    p.drawRoundedRect(key, 2, 2);
    if (face.sunk) {
        p.setPen(QPen(QColor(0, 0, 0, 130), 1));
        p.drawLine(QPointF(2, 1.5), QPointF(frame.width() - 2, 1.5));
    } else if (look != KeyLook::Disabled) {
        p.setPen(QPen(QColor(255, 255, 255, look == KeyLook::Unlit ? 40 : 90), 1));
        p.drawLine(QPointF(2, 1.5), QPointF(frame.width() - 2, 1.5));
    }
    const qreal dy = face.sunk ? 0.5 : 0;
    drawLegend(p, QRectF(1.5, dy, frame.width() - 3, frame.height()), text, 7, face.text);
}

void paintArrowCursor(QPainter& p, bool up)
{
    // Pixel-exact: each row of the triangle is an outline pixel at both ends with
    // white between; the base row and the apex row are all outline.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < 5; ++i) {
        const int row = 3 + i;              // rows 3..7, apex first
        const int first = 7 - i, last = 8 + i; // base row 7 spans columns 3..12
        const int y = up ? row : 15 - row;
        for (int x = first; x <= last; ++x) {
            const bool edge = x == first || x == last || i == 0 || i == 4;
            p.fillRect(QRectF(x, y, 1, 1), edge ? QColor(Qt::black) : QColor(Qt::white));
        }
    }
}

void addControlArt(ArtworkMap& art)
{
    art.insert(kKnobSmall, [](QPainter& p, const QSizeF& f, int row, int) { paintKnob(p, f, row, false); });
    art.insert(kKnobLarge, [](QPainter& p, const QSizeF& f, int row, int) { paintKnob(p, f, row, true); });
    art.insert(kFaderThumb, [](QPainter& p, const QSizeF& f, int, int) { paintThumb(p, f, Palette::pointer); });
    art.insert(kMasterFaderThumb, [](QPainter& p, const QSizeF& f, int, int) { paintThumb(p, f, Palette::accent); });

    // Inverted switches: unlit first, lit second.
    static const KeyLook inverted6[] = {KeyLook::Unlit, KeyLook::Lit, KeyLook::Pressed,
                                        KeyLook::Blink, KeyLook::LitDisabled, KeyLook::Disabled};
    static const KeyLook inverted5[] = {KeyLook::Unlit, KeyLook::Lit, KeyLook::Pressed,
                                        KeyLook::LitDisabled, KeyLook::Disabled};
    static const KeyLook plain6[] = {KeyLook::Lit, KeyLook::Unlit, KeyLook::Pressed,
                                     KeyLook::Blink, KeyLook::LitDisabled, KeyLook::Disabled};
    auto key = [](const KeyLook* looks, int count, QString text) {
        return [looks, count, text](QPainter& p, const QSizeF& f, int row, int) {
            paintKey(p, f, looks[qBound(0, row, count - 1)], text);
        };
    };
    art.insert(kMuteButton, key(inverted6, 6, QStringLiteral("MUTE")));
    art.insert(kSoloButton, key(inverted6, 6, QStringLiteral("SOLO")));
    art.insert(kDetailButton, key(plain6, 6, QStringLiteral("DETAIL")));
    art.insert(kInsertionButton, key(inverted5, 5, QStringLiteral("INS EF")));
    art.insert(kOnOffSwitch, [](QPainter& p, const QSizeF& f, int row, int) {
        const KeyLook look = inverted5[qBound(0, row, 4)];
        const bool on = look == KeyLook::Lit || look == KeyLook::LitDisabled || look == KeyLook::Pressed;
        paintKey(p, f, look, on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    });
    art.insert(kCursorArrowUp, [](QPainter& p, const QSizeF&, int, int) { paintArrowCursor(p, true); });
    art.insert(kCursorArrowDown, [](QPainter& p, const QSizeF&, int, int) { paintArrowCursor(p, false); });
}

} // namespace NS_ImageGen
