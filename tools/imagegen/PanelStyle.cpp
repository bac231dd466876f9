#include "PanelStyle.h"
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

namespace NS_ImageGen {

QString legendFamily()
{
    static const QString family = [] {
        const QStringList available = QFontDatabase::families();
        for (const char* wanted : {"DejaVu Sans", "Liberation Sans", "FreeSans", "Noto Sans", "Arial"}) {
            const QString name = QString::fromLatin1(wanted);
            if (available.contains(name, Qt::CaseInsensitive))
                return name;
        }
        return QFont().family();
    }();
    return family;
}

QFont legendFont(int pixelSize, bool bold)
{
    QFont f(legendFamily());
    f.setPixelSize(pixelSize < 1 ? 1 : pixelSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferVerticalHinting);
    return f;
}

void drawLegend(QPainter& p, const QRectF& box, const QString& text, int pixelSize,
                const QColor& colour, Qt::Alignment align, bool bold, qreal letterSpacing)
{
    if (text.isEmpty() || box.width() <= 0)
        return;
    QFont f = legendFont(pixelSize, bold);
    if (letterSpacing != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    const QFontMetricsF fm(f);
    const qreal natural = fm.horizontalAdvance(text);
    const qreal squeeze = natural > box.width() ? qMax<qreal>(0.6, box.width() / natural) : 1.0;
    const qreal width = natural * squeeze;

    qreal x = box.left() + (box.width() - width) / 2;
    if (align & Qt::AlignLeft)
        x = box.left();
    else if (align & Qt::AlignRight)
        x = box.right() - width;
    // Cap height centred, which is what the eye takes as the middle of a legend.
    qreal baseline = box.top() + (box.height() + fm.capHeight()) / 2;
    if (align & Qt::AlignTop)
        baseline = box.top() + fm.ascent();
    else if (align & Qt::AlignBottom)
        baseline = box.bottom() - fm.descent();

    p.save();
    p.setFont(f);
    p.setPen(colour);
    p.translate(x, baseline);
    p.scale(squeeze, 1.0);
    p.drawText(QPointF(0, 0), text);
    p.restore();
}

void drawPanelFace(QPainter& p, const QRectF& r, const QColor& base, int grainSeed)
{
    QLinearGradient fall(r.topLeft(), r.bottomLeft());
    fall.setColorAt(0, base.lighter(112));
    fall.setColorAt(0.5, base);
    fall.setColorAt(1, base.darker(112));
    p.fillRect(r, fall);

    // Brushed grain: faint horizontal strokes from a fixed sequence, so every build
    // draws the same picture.
    quint32 state = 2166136261u ^ quint32(grainSeed);
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    p.save();
    p.setClipRect(r);
    const int lines = int(r.height());
    for (int i = 0; i < lines; ++i) {
        const int shade = int(next() % 9) - 4;
        if (shade == 0)
            continue;
        const QColor c = shade > 0 ? QColor(255, 255, 255, 2 * shade) : QColor(0, 0, 0, -3 * shade);
        p.setPen(QPen(c, 1));
        const qreal y = r.top() + i + 0.5;
        const qreal x0 = r.left() + (next() % 97) / 97.0 * r.width() * 0.3;
        const qreal x1 = r.right() - (next() % 89) / 89.0 * r.width() * 0.3;
        p.drawLine(QPointF(x0, y), QPointF(x1, y));
    }
    p.restore();
}

void drawBevel(QPainter& p, const QRectF& r, bool raised, qreal radius)
{
    const QColor first = raised ? Palette::edgeLight : Palette::edgeDark;
    const QColor second = raised ? Palette::edgeDark : Palette::edgeLight;
    const QRectF in = r.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal k = qMin(radius, qMin(in.width(), in.height()) / 2);
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(first, 1));
    p.drawLine(QPointF(in.left() + k, in.top()), QPointF(in.right() - k, in.top()));
    p.drawLine(QPointF(in.left(), in.top() + k), QPointF(in.left(), in.bottom() - k));
    p.setPen(QPen(second, 1));
    p.drawLine(QPointF(in.left() + k, in.bottom()), QPointF(in.right() - k, in.bottom()));
    p.drawLine(QPointF(in.right(), in.top() + k), QPointF(in.right(), in.bottom() - k));
    p.restore();
}

void drawWell(QPainter& p, const QRectF& r, qreal radius)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::edgeDark);
    p.drawRoundedRect(r, radius, radius);
    p.setBrush(Palette::well);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
    drawBevel(p, r.adjusted(-1, -1, 1, 1), false, radius + 1);
}

void drawBand(QPainter& p, const QRectF& r)
{
    p.save();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, Palette::band.lighter(104));
    g.setColorAt(1, Palette::band.darker(106));
    p.setPen(QPen(Palette::bandEdge, 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 1.5, 1.5);
    p.restore();
}

void drawScrew(QPainter& p, const QPointF& c, qreal radius)
{
    p.save();
    QRadialGradient g(c - QPointF(radius * 0.3, radius * 0.3), radius * 1.4);
    g.setColorAt(0, QColor(0x9a, 0x9d, 0xa3));
    g.setColorAt(1, QColor(0x3c, 0x3e, 0x43));
    p.setPen(QPen(Palette::edgeDark, 0.8));
    p.setBrush(g);
    p.drawEllipse(c, radius, radius);
    p.setPen(QPen(QColor(0x24, 0x25, 0x28), radius * 0.35, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-radius * 0.6, radius * 0.25), c + QPointF(radius * 0.6, -radius * 0.25));
    p.restore();
}

void drawRule(QPainter& p, const QPointF& from, const QPointF& to)
{
    p.save();
    p.setPen(QPen(Palette::edgeDark, 1));
    p.drawLine(from, to);
    p.setPen(QPen(QColor(255, 255, 255, 28), 1));
    p.drawLine(from + QPointF(0, 1), to + QPointF(0, 1));
    p.restore();
}

} // namespace NS_ImageGen
