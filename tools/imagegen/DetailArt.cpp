// Detail views: page backgrounds fitted to the views' 8-column cell grids, the
// headers behind the tab rows, and the tab buttons.
#include "Artwork.h"
#include "ImageTable.h"
#include "PanelStyle.h"
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace NS_ImageGen {

namespace {

using namespace NS_Images;

constexpr int kCellW = 76, kCellH = 68, kColumns = 8;
constexpr int kTitleBand = 19;

// What a page shows in each cell, in cell order (row by row, 8 to a row):
//   D  value slider over a dial     S  switch key
//   W  wide display (type, name)    B  bank display
//   .  nothing
// A wide display runs on into the following empty cell.
struct PageLayout
{
    const char* name;
    const char* title;
    const char* cells;
};

const PageLayout kCommonPages[] = {
    {kComArpeggiator, "ARPEGGIATOR", "W.SDDDSD" "DDDDDDDD" "DDDD"},
    {kComReverb, "REVERB", "W.D.D..." "D.D.D.D." "D.D.D.D." "D.D.D.D." "D.D.D.D."},
    {kComChorus, "CHORUS", "W.D.D.D." "D.D.D.D." "D.D.D.D." "D.D.D.D." "D.D.D.D."},
    {kComMasterEq, "MASTER EQ", "DDDDDDD." "DDD.DDD." "DDDD"},
    {kComMasterEffect, "MASTER EFFECT", "W.S....." "D.D.D.D." "D.D.D.D." "D.D.D.D." "D.D.D.D."},
    {kComInsertionSw, "INSERTION EFFECT SWITCH", "SSSSSSSS" "SSSSSSSS"},
    {kComControlNumber, "CONTROLLER NUMBERS", "DDDDDD"},
    {kComName, "MULTI NAME", "W."},
    {kComArpeggiatorVant, "ARPEGGIATOR", "W.SDDDSD" "DDDDDDDD" "DDDD"},
    {kComInsertionSwVant, "INSERTION EFFECT SWITCH", "SSSSSSSS" "SSSSSSSS" ".SS"},
    {kComControlNumberVant, "CONTROLLER NUMBERS", "DDDDDD"},
};

const PageLayout kPartPages[] = {
    {kPrtGeneral, "GENERAL", "BW.DDDSD"},
    {kPrtNoteVelo, "NOTE / VELOCITY", "DDDDDD"},
    {kPrtPitch, "PITCH", "DDDDSDD"},
    {kPrtAeg, "AMPLITUDE EG", "DDDD"},
    {kPrtFeg, "FILTER", "DDD.DDDD"},
    {kPrtPartEq, "PART EQ", "DDDDDDD"},
    {kPrtRcvSw, "RECEIVE SWITCHES", "SSSSSSSS" "SSSSSSSS" "S"},
};

struct TabSet
{
    const char* name;
    const char* text;
};

const TabSet kTabs[] = {
    {kComTab0, "ARP"}, {kComTab1, "REVERB"}, {kComTab2, "CHORUS"}, {kComTab3, "M.EQ"},
    {kComTab4, "M.EFFECT"}, {kComTab5, "INS SW"}, {kComTab6, "CTRL NO"}, {kComTab7, "NAME"},
    {kPrtTab0, "GENERAL"}, {kPrtTab1, "NOTE/VEL"}, {kPrtTab2, "PITCH"}, {kPrtTab3, "AMP EG"},
    {kPrtTab4, "FILTER"}, {kPrtTab5, "PART EQ"}, {kPrtTab6, "RCV SW"},
};

// Where the tab rows start, and the part number label of the part header.
constexpr int kCommonRailX = 134, kPartRailX = 195, kRailRight = 611;
constexpr QRect kPartNumberLabel{174, 11, 20, 16};

bool occupied(char c)
{
    return c != '.' && c != '\0';
}

// Cell kind, treating the empty cell after a wide display as part of it.
char cellAt(const char* cells, int count, int index)
{
    if (index < 0 || index >= count)
        return '.';
    if (cells[index] == '.' && index % kColumns != 0 && index > 0 && cells[index - 1] == 'W')
        return 'w';
    return cells[index];
}

QPointF polar(const QPointF& c, qreal radius, qreal deg)
{
    const qreal a = qDegreesToRadians(deg);
    return c + QPointF(radius * qSin(a), -radius * qCos(a));
}

void paintCell(QPainter& p, char kind, qreal x, qreal y)
{
    switch (kind) {
    case 'D': {
        drawWell(p, QRectF(x + 13, y + 26, 58, 13));
        // Scale dots around the dial, leaving the top free for the value window.
        const QPointF c(x + 42, y + 51);
        p.setPen(Qt::NoPen);
        for (qreal a : {-135.0, -90.0, -45.0, 45.0, 90.0, 135.0}) {
            p.setBrush(qAbs(a) == 135.0 ? Palette::legend : Palette::legendDim);
            p.drawEllipse(polar(c, 15.5, a), 0.9, 0.9);
        }
        break;
    }
    case 'S': {
        const QRectF bezel(x + 24.5, y + 44.5, 34, 13);
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::panelDark);
        p.drawRoundedRect(bezel, 2.5, 2.5);
        drawBevel(p, bezel, false, 2.5);
        break;
    }
    case 'W':
        drawWell(p, QRectF(x + 5, y + 43, 91, 13));
        break;
    case 'B':
        drawWell(p, QRectF(x + 13, y + 43, 56, 13));
        break;
    default:
        break;
    }
}

void paintPage(QPainter& p, const QSizeF& size, const PageLayout& page)
{
    const QRectF all(0, 0, size.width(), size.height());
    // Each page its own grain, the same in every build (the toolkit's hash is seeded
    // per process, so it would not do).
    quint32 seed = 0;
    for (const char* c = page.name; *c; ++c)
        seed = seed * 31u + quint32(static_cast<unsigned char>(*c));
    drawPanelFace(p, all, Palette::panel, int(seed & 0xffff));

    // Title band.
    p.fillRect(QRectF(8, 6, 3, 9), Palette::accent);
    drawLegend(p, QRectF(15, 2, 400, kTitleBand - 2), QString::fromLatin1(page.title), 10, Palette::legend,
               Qt::AlignLeft | Qt::AlignVCenter, true, 0.8);

    const int count = int(qstrlen(page.cells));
    const int rows = (count + kColumns - 1) / kColumns;
    for (int row = 0; row < rows; ++row) {
        const qreal y = row * kCellH;
        const qreal plateTop = y + 20, plateBottom = qMin(y + 86, size.height() - 2);
        int col = 0;
        while (col < kColumns) {
            const int first = row * kColumns + col;
            if (!occupied(cellAt(page.cells, count, first))) {
                ++col;
                continue;
            }
            int last = col;
            while (last + 1 < kColumns && occupied(cellAt(page.cells, count, row * kColumns + last + 1)))
                ++last;
            const QRectF plate(col * kCellW + 2, plateTop, (last - col) * kCellW + 80, plateBottom - plateTop);
            p.setPen(QPen(Palette::edgeDark, 1));
            p.setBrush(Palette::panelLight);
            p.drawRoundedRect(plate.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
            drawBevel(p, plate.adjusted(1, 1, -1, -1), true, 3);
            for (int c = col; c <= last; ++c) {
                const int index = row * kColumns + c;
                const char kind = cellAt(page.cells, count, index);
                const qreal x = c * kCellW;
                if (c > col && kind != 'w')
                    drawRule(p, QPointF(x + 2.5, plateTop + 5), QPointF(x + 2.5, plateBottom - 5));
                paintCell(p, kind, x, y);
                if (kind != 'w')
                    drawBand(p, QRectF(x + 6, y + 70, 74, 14));
            }
            col = last + 1;
        }
    }
}

void paintHeader(QPainter& p, const QSizeF& size, bool part, bool withModel)
{
    const QRectF all(0, 0, size.width(), size.height());
    QLinearGradient g(all.topLeft(), all.bottomLeft());
    g.setColorAt(0, Palette::panelDark);
    g.setColorAt(1, Palette::chassis);
    p.fillRect(all, g);
    p.fillRect(QRectF(0, size.height() - 2, size.width(), 1), Palette::accentDeep);
    p.fillRect(QRectF(0, size.height() - 1, size.width(), 1), Palette::edgeDark);

    const int railX = part ? kPartRailX : kCommonRailX;
    const QRectF rail(railX, 1, kRailRight - railX + 2, 21);
    p.fillRect(rail, Palette::chassis);
    drawBevel(p, rail, false, 0);
    drawRule(p, QPointF(railX, 29), QPointF(kRailRight + 2, 29));

    const QString title = part ? QStringLiteral("PART EDIT") : QStringLiteral("COMMON EDIT");
    if (withModel) {
        drawLegend(p, QRectF(10, 3, 120, 16), title, 12, Palette::legend, Qt::AlignLeft | Qt::AlignVCenter,
                   true, 0.8);
        drawLegend(p, QRectF(10, 21, 120, 12), QStringLiteral("TOVAR-VANTREL"), 9, Palette::accent,
                   Qt::AlignLeft | Qt::AlignVCenter, true, 0.6);
    } else {
        drawLegend(p, QRectF(10, 8, 120, 20), title, 12, Palette::legend, Qt::AlignLeft | Qt::AlignVCenter,
                   true, 0.8);
    }
    if (part) {
        drawLegend(p, QRectF(136, kPartNumberLabel.top(), 35, kPartNumberLabel.height()), QStringLiteral("PART"),
                   9, Palette::legend, Qt::AlignRight | Qt::AlignVCenter);
        drawBand(p, QRectF(kPartNumberLabel).adjusted(-1, -1, 1, 1));
    }
}

enum class TabLook { Selected, Unselected, Pressed };

void paintTab(QPainter& p, const QSizeF& frame, TabLook look, const QString& text)
{
    const QRectF r(0.5, 0.5, frame.width() - 1, frame.height() + 3);
    QPainterPath shape;
    shape.addRoundedRect(r, 3, 3);
    QColor top = Palette::panelDark.lighter(115), bottom = Palette::panelDark, ink = Palette::legendDim;
    if (look == TabLook::Selected) {
        top = Palette::panelLight.lighter(125);
        bottom = Palette::panelLight;
        ink = Palette::legend;
    } else if (look == TabLook::Pressed) {
        top = Palette::chassis;
        bottom = Palette::panelDark;
        ink = Palette::accentBright;
    }
    QLinearGradient g(0, 0, 0, frame.height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(Palette::edgeDark, 1));
    p.setBrush(g);
    p.drawPath(shape);
    if (look == TabLook::Selected) {
        // The lamp strip of the selected page: as plain as a lit key.
        p.fillRect(QRectF(3, 1.5, frame.width() - 6, 3), Palette::accent);
        p.setPen(QPen(QColor(255, 255, 255, 60), 1));
        p.drawLine(QPointF(1.5, 4), QPointF(1.5, frame.height()));
    } else if (look == TabLook::Pressed) {
        p.fillRect(QRectF(3, 1.5, frame.width() - 6, 3), Palette::accentDeep);
    }
    drawLegend(p, QRectF(3, 4, frame.width() - 6, frame.height() - 4), text, 8, ink);
}

} // namespace

void addDetailArt(ArtworkMap& art)
{
    for (const PageLayout& page : kCommonPages)
        art.insert(page.name, [&page](QPainter& p, const QSizeF& f, int, int) { paintPage(p, f, page); });
    for (const PageLayout& page : kPartPages)
        art.insert(page.name, [&page](QPainter& p, const QSizeF& f, int, int) { paintPage(p, f, page); });
    art.insert(kComHeader, [](QPainter& p, const QSizeF& f, int, int) { paintHeader(p, f, false, false); });
    art.insert(kComHeaderVant, [](QPainter& p, const QSizeF& f, int, int) { paintHeader(p, f, false, true); });
    art.insert(kPrtHeader, [](QPainter& p, const QSizeF& f, int, int) { paintHeader(p, f, true, false); });
    art.insert(kPrtHeaderVantrel, [](QPainter& p, const QSizeF& f, int, int) { paintHeader(p, f, true, true); });
    for (const TabSet& tab : kTabs) {
        const QString text = QString::fromLatin1(tab.text);
        art.insert(tab.name, [text](QPainter& p, const QSizeF& f, int row, int) {
            static const TabLook looks[] = {TabLook::Selected, TabLook::Unselected, TabLook::Pressed};
            paintTab(p, f, looks[qBound(0, row, 2)], text);
        });
    }
}

} // namespace NS_ImageGen
