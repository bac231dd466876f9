// Toolbar icons, program icons and the about box's logos: the panel's graphite,
// cream and amber on small glyphs with a dark outline, so they read on light and
// dark tool bars alike.
#include "Artwork.h"
#include "ImageTable.h"
#include "PanelStyle.h"
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cmath>

namespace NS_ImageGen {

namespace {

using namespace NS_Images;

const QColor kOutline{0x1a, 0x1b, 0x1e};
const QColor kCream = Palette::band;

QPen outline(qreal width = 1.0)
{
    return QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Arrow along a vertical line, head at `to`.
void arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& fill)
{
    const qreal dir = to.y() > from.y() ? 1 : -1;
    QPainterPath a;
    const qreal shaft = 1.6, head = 3.6, headLen = 3.6;
    a.moveTo(from.x() - shaft, from.y());
    a.lineTo(from.x() + shaft, from.y());
    a.lineTo(to.x() + shaft, to.y() - dir * headLen);
    a.lineTo(to.x() + head, to.y() - dir * headLen);
    a.lineTo(to.x(), to.y());
    a.lineTo(to.x() - head, to.y() - dir * headLen);
    a.lineTo(to.x() - shaft, to.y() - dir * headLen);
    a.closeSubpath();
    p.setPen(outline(0.9));
    p.setBrush(fill);
    p.drawPath(a);
}

// The instrument as a small rack unit with two lamps, at the bottom of an icon.
void moduleUnit(QPainter& p, const QRectF& r, bool lit)
{
    p.setPen(outline());
    p.setBrush(Palette::panelLight);
    p.drawRoundedRect(r, 1.2, 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(lit ? Palette::accent : Palette::legendDim);
    p.drawRect(QRectF(r.left() + 2, r.center().y() - 0.75, 2.5, 1.5));
    p.setBrush(Palette::legendDim);
    p.drawRect(QRectF(r.left() + 5.5, r.center().y() - 0.75, 2.5, 1.5));
}

void iconOpen(QPainter& p, const QSizeF&)
{
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setPen(outline());
    p.setBrush(Palette::accentDeep);
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4, 7.5);
    front.lineTo(15.2, 7.5);
    front.lineTo(12.7, 13.5);
    front.closeSubpath();
    p.setBrush(Palette::accent);
    p.drawPath(front);
}

void iconSave(QPainter& p, const QSizeF& s)
{
    const QRectF card(1.5, 1.5, s.width() - 3, 13);
    p.setPen(outline());
    p.setBrush(Palette::panelLight);
    p.drawRoundedRect(card, 1.5, 1.5);
    p.setBrush(kCream);
    p.drawRect(QRectF(3.5, 8.5, s.width() - 7, 5));
    arrow(p, QPointF(s.width() / 2, 1.8), QPointF(s.width() / 2, 9.5), Palette::accent);
}

void iconSetup(QPainter& p, const QSizeF&)
{
    const QPointF c(8, 8);
    QPainterPath gear;
    constexpr int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal a = qDegreesToRadians(i * 180.0 / teeth - 11.25);
        const qreal r = (i % 2 == 0) ? 7.2 : 5.4;
        const qreal b = qDegreesToRadians(i * 180.0 / teeth + 11.25);
        const QPointF p1 = c + QPointF(r * qSin(a), -r * qCos(a));
        const QPointF p2 = c + QPointF(r * qSin(b), -r * qCos(b));
        if (i == 0)
            gear.moveTo(p1);
        else
            gear.lineTo(p1);
        gear.lineTo(p2);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, 2.3, 2.3);
    p.setPen(outline());
    p.setBrush(Palette::legendDim);
    p.drawPath(gear.subtracted(hole));
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::accent);
    p.drawEllipse(c, 1.2, 1.2);
}

void iconTransfer(QPainter& p, bool toInstrument)
{
    moduleUnit(p, QRectF(1.5, 10.5, 13, 4.5), true);
    if (toInstrument)
        arrow(p, QPointF(8, 0.8), QPointF(8, 9.6), Palette::accent);
    else
        arrow(p, QPointF(8, 9.6), QPointF(8, 0.8), Palette::accent);
}

void iconMixer(QPainter& p, const QSizeF& s)
{
    p.fillRect(QRectF(0, 0, s.width(), s.height()), Palette::panel);
    p.setPen(QPen(Palette::edgeLight, 1));
    p.drawRect(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1));
    const qreal caps[] = {5, 10, 7};
    for (int i = 0; i < 3; ++i) {
        const qreal x = 3.5 + i * 4.5;
        p.setPen(QPen(Palette::well, 1.4));
        p.drawLine(QPointF(x, 2.5), QPointF(x, 13.5));
        p.setPen(QPen(kOutline, 0.8));
        p.setBrush(i == 1 ? Palette::accent : Palette::legend);
        p.drawRect(QRectF(x - 1.8, caps[i] - 1.3, 3.6, 2.6));
    }
}

void iconEdit(QPainter& p, const QSizeF&)
{
    p.save();
    p.translate(8, 8);
    p.rotate(45);
    p.setPen(outline());
    p.setBrush(Palette::accent);
    p.drawRect(QRectF(-2.2, -7, 4.4, 9.5));
    p.setBrush(Palette::legendDim);
    p.drawRect(QRectF(-2.2, -7.5, 4.4, 2));
    QPainterPath tip;
    tip.moveTo(-2.2, 2.5);
    tip.lineTo(2.2, 2.5);
    tip.lineTo(0, 7);
    tip.closeSubpath();
    p.setBrush(kCream);
    p.drawPath(tip);
    p.restore();
}

void iconStore(QPainter& p, const QSizeF&)
{
    QPainterPath tray;
    tray.addRect(QRectF(1.5, 8.5, 13, 6));
    QPainterPath inside;
    inside.addRect(QRectF(3.5, 7.5, 9, 5));
    p.setPen(outline());
    p.setBrush(Palette::legendDim);
    p.drawPath(tray.subtracted(inside));
    arrow(p, QPointF(8, 0.8), QPointF(8, 11.5), Palette::accent);
}

void iconCompare(QPainter& p, const QSizeF&)
{
    // Two settings side by side: A in cream, B lit.
    p.setPen(outline());
    p.setBrush(kCream);
    p.drawRoundedRect(QRectF(0.5, 2.5, 7.5, 11), 1, 1);
    p.setBrush(Palette::accent);
    p.drawRoundedRect(QRectF(8, 2.5, 7.5, 11), 1, 1);
    drawLegend(p, QRectF(0.5, 2.5, 7.5, 11), QStringLiteral("A"), 8, kOutline);
    drawLegend(p, QRectF(8, 2.5, 7.5, 11), QStringLiteral("B"), 8, kOutline);
}

void iconMonitor(QPainter& p, const QSizeF&)
{
    QPainterPath cone;
    cone.moveTo(1.5, 5.5);
    cone.lineTo(4.5, 5.5);
    cone.lineTo(8.5, 2);
    cone.lineTo(8.5, 14);
    cone.lineTo(4.5, 10.5);
    cone.lineTo(1.5, 10.5);
    cone.closeSubpath();
    p.setPen(outline());
    p.setBrush(Palette::legendDim);
    p.drawPath(cone);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::accent, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(6, 4.5, 5, 7), -50 * 16, 100 * 16);
    p.drawArc(QRectF(5, 2, 9, 12), -55 * 16, 110 * 16);
}

void iconLibrary(QPainter& p, const QSizeF&)
{
    const struct {
        qreal x, top;
        QColor fill;
    } spines[] = {{1.5, 3.5, Palette::legendDim}, {5.5, 1.5, kCream}, {9.5, 4.5, Palette::accent}};
    p.setPen(outline());
    for (const auto& s : spines) {
        p.setBrush(s.fill);
        p.drawRect(QRectF(s.x, s.top, 4, 14.5 - s.top));
    }
    p.setPen(QPen(kOutline, 0.8));
    for (const auto& s : spines)
        p.drawLine(QPointF(s.x + 0.8, s.top + 2.5), QPointF(s.x + 3.2, s.top + 2.5));
}

void iconImport(QPainter& p, const QSizeF&)
{
    QPainterPath page;
    page.moveTo(5.5, 1.5);
    page.lineTo(11.5, 1.5);
    page.lineTo(14.5, 4.5);
    page.lineTo(14.5, 14.5);
    page.lineTo(5.5, 14.5);
    page.closeSubpath();
    p.setPen(outline());
    p.setBrush(kCream);
    p.drawPath(page);
    p.setPen(QPen(Palette::legendDim, 1));
    for (qreal y : {7.5, 9.5, 11.5})
        p.drawLine(QPointF(9, y), QPointF(12.5, y));
    // Arrow from the left into the page.
    QPainterPath a;
    a.moveTo(0.8, 7.2);
    a.lineTo(4.5, 7.2);
    a.lineTo(4.5, 4.8);
    a.lineTo(8.5, 8.5);
    a.lineTo(4.5, 12.2);
    a.lineTo(4.5, 9.8);
    a.lineTo(0.8, 9.8);
    a.closeSubpath();
    p.setPen(outline(0.9));
    p.setBrush(Palette::accent);
    p.drawPath(a);
}

// Program icons are opaque squares: a small panel with a dial (the editor) or a
// waveform (the voice editor); the about box's pair is the same on a cream plate.
void programFace(QPainter& p, const QSizeF& s, bool cream)
{
    const QRectF all(0, 0, s.width(), s.height());
    p.fillRect(all, cream ? kCream : Palette::chassis);
    const qreal m = s.width() > 20 ? 1.5 : 0.5;
    const QRectF face = all.adjusted(m, m, -m, -m);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, cream ? kCream.lighter(106) : Palette::panelLight);
    g.setColorAt(1, cream ? kCream.darker(110) : Palette::panel);
    p.setPen(QPen(cream ? Palette::bandEdge : Palette::edgeLight, 1));
    p.setBrush(g);
    p.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), s.width() / 8, s.width() / 8);
}

void programDial(QPainter& p, const QSizeF& s, bool cream)
{
    programFace(p, s, cream);
    const qreal w = s.width();
    const QPointF c(w / 2, w / 2 + w * 0.03);
    const qreal ring = w * 0.34;
    const QRectF box(c.x() - ring, c.y() - ring, 2 * ring, 2 * ring);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::well, w * 0.11, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(box, 225 * 16, -270 * 16);
    p.setPen(QPen(Palette::accent, w * 0.09, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(box, 225 * 16, -190 * 16);
    p.setPen(QPen(kOutline, 0.8));
    p.setBrush(cream ? Palette::panel : Palette::panelLight.lighter(120));
    p.drawEllipse(c, w * 0.2, w * 0.2);
    const qreal a = qDegreesToRadians(55.0);
    p.setPen(QPen(Palette::pointer, qMax<qreal>(1.2, w * 0.07), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(w * 0.18 * qSin(a), -w * 0.18 * qCos(a)));
}

void programWave(QPainter& p, const QSizeF& s, bool cream)
{
    programFace(p, s, cream);
    const qreal w = s.width();
    const QRectF screen(w * 0.14, w * 0.22, w * 0.72, w * 0.56);
    p.setPen(QPen(Palette::edgeDark, 1));
    p.setBrush(Palette::well);
    p.drawRoundedRect(screen, w / 16, w / 16);
    QPainterPath wave;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        const qreal x = screen.left() + w * 0.05 + t * (screen.width() - w * 0.1);
        // A saw blended into a sine: a voice, not a test tone.
        const qreal y = screen.center().y() - screen.height() * 0.33 * (0.6 * qSin(t * 4 * M_PI) + 0.4 * (2 * std::fmod(t * 2, 1.0) - 1));
        if (i == 0)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::accent, qMax<qreal>(1.0, w * 0.06), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
}

// About box logos: generic words only, on a graphite badge with an off-white rim.
void badge(QPainter& p, const QSizeF& s)
{
    const QRectF r(1, 1, s.width() - 2, s.height() - 2);
    p.setPen(QPen(Palette::legend, 1.2));
    p.setBrush(Palette::panel);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
}

void logoPlug(QPainter& p, const QSizeF& s)
{
    badge(p, s);
    // Plug: body with two prongs and a cable.
    p.setPen(outline());
    p.setBrush(Palette::legendDim);
    p.drawRect(QRectF(9, 9, 2.5, 6));
    p.drawRect(QRectF(14.5, 9, 2.5, 6));
    p.setBrush(Palette::accent);
    p.drawRoundedRect(QRectF(6.5, 14.5, 13, 10), 2, 2);
    p.setPen(QPen(Palette::accent, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 25), QPointF(13, 31));
    drawLegend(p, QRectF(23, 8, 37, 13), QStringLiteral("PLUG-IN"), 9, Palette::legend);
    drawLegend(p, QRectF(23, 21, 37, 10), QStringLiteral("FORMAT"), 7, Palette::legendDim);
}

void logoHost(QPainter& p, const QSizeF& s)
{
    badge(p, s);
    // Socket: a rounded face with two slots.
    p.setPen(outline());
    p.setBrush(Palette::accent);
    p.drawRoundedRect(QRectF(6, 9, 15, 19), 3, 3);
    p.setBrush(Palette::well);
    p.drawRect(QRectF(9.5, 14, 2.2, 6));
    p.drawRect(QRectF(15.3, 14, 2.2, 6));
    drawLegend(p, QRectF(23, 8, 37, 13), QStringLiteral("HOST"), 10, Palette::legend);
    drawLegend(p, QRectF(23, 21, 37, 10), QStringLiteral("SUPPORT"), 7, Palette::legendDim);
}

void logoStudio(QPainter& p, const QSizeF& s)
{
    badge(p, s);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::legend, 2.2));
    p.drawEllipse(QPointF(11, 18.5), 5.5, 5.5);
    p.setPen(QPen(Palette::accent, 2.2));
    p.drawEllipse(QPointF(18, 18.5), 5.5, 5.5);
    drawLegend(p, QRectF(26, 7, 34, 13), QStringLiteral("STUDIO"), 9, Palette::legend);
    drawLegend(p, QRectF(26, 20, 34, 10), QStringLiteral("INTEGRATION"), 6, Palette::legendDim);
}

} // namespace

void addIconArt(ArtworkMap& art)
{
    auto whole = [](void (*paint)(QPainter&, const QSizeF&)) {
        return [paint](QPainter& p, const QSizeF& f, int, int) { paint(p, f); };
    };
    art.insert(kToolbarOpen, whole(iconOpen));
    art.insert(kToolbarSave, whole(iconSave));
    art.insert(kToolbarSetup, whole(iconSetup));
    art.insert(kToolbarTransmitMulti, [](QPainter& p, const QSizeF&, int, int) { iconTransfer(p, true); });
    art.insert(kToolbarReceiveMulti, [](QPainter& p, const QSizeF&, int, int) { iconTransfer(p, false); });
    art.insert(kToolbarMixer, whole(iconMixer));
    art.insert(kToolbarEdit, whole(iconEdit));
    art.insert(kToolbarStore, whole(iconStore));
    art.insert(kToolbarCompare, whole(iconCompare));
    art.insert(kToolbarMonitor, whole(iconMonitor));
    art.insert(kToolbarLibrary, whole(iconLibrary));
    art.insert(kToolbarImport, whole(iconImport));

    art.insert(kProgramIcon32, [](QPainter& p, const QSizeF& f, int, int) { programDial(p, f, false); });
    art.insert(kProgramIcon16, [](QPainter& p, const QSizeF& f, int, int) { programDial(p, f, false); });
    art.insert(kVoiceEditorIcon32, [](QPainter& p, const QSizeF& f, int, int) { programWave(p, f, false); });
    art.insert(kVoiceEditorIcon16, [](QPainter& p, const QSizeF& f, int, int) { programWave(p, f, false); });
    art.insert(kAboutProgramIcon32, [](QPainter& p, const QSizeF& f, int, int) { programDial(p, f, true); });
    art.insert(kAboutProgramIcon16, [](QPainter& p, const QSizeF& f, int, int) { programDial(p, f, true); });
    art.insert(kAboutVoiceEditorIcon32, [](QPainter& p, const QSizeF& f, int, int) { programWave(p, f, true); });
    art.insert(kAboutVoiceEditorIcon16, [](QPainter& p, const QSizeF& f, int, int) { programWave(p, f, true); });

    art.insert(kPluginHostLogo, whole(logoPlug));
    art.insert(kPluginHostLogo2, whole(logoHost));
    art.insert(kStudioIntegrationLogo, whole(logoStudio));
}

} // namespace NS_ImageGen
