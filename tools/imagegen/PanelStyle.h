#pragma once
// One palette and a few drawing primitives shared by every image, so that all of
// them read as the front panel of one instrument: graphite panels, warm off-white
// legends, black display windows, one amber accent for everything that is lit.
#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;

namespace NS_ImageGen {

namespace Palette {
inline const QColor chassis{0x17, 0x18, 0x1b};   // behind the modules
inline const QColor panel{0x2b, 0x2d, 0x32};     // module face
inline const QColor panelLight{0x3a, 0x3d, 0x43}; // raised plates, selected tabs
inline const QColor panelDark{0x20, 0x22, 0x26};  // recessed rails
inline const QColor edgeLight{0x55, 0x59, 0x61};  // bevel, lit side
inline const QColor edgeDark{0x0c, 0x0d, 0x0f};   // bevel, shadow side
inline const QColor well{0x05, 0x06, 0x07};       // display windows
inline const QColor legend{0xec, 0xe6, 0xd6};     // silkscreen text
inline const QColor legendDim{0x9c, 0x97, 0x8b};  // unselected, secondary text
inline const QColor legendOff{0x62, 0x60, 0x5b};  // disabled text
inline const QColor accent{0xff, 0x9a, 0x2e};     // lit lamps, value arcs
inline const QColor accentBright{0xff, 0xc8, 0x7a};
inline const QColor accentDeep{0x9a, 0x52, 0x12}; // pressed, half-lit
inline const QColor accentMuted{0x6f, 0x5c, 0x48}; // lit but disabled
inline const QColor band{0xe2, 0xdb, 0xc8};       // scribble strips under cells
inline const QColor bandEdge{0x8f, 0x88, 0x76};
inline const QColor ink{0x1a, 0x1a, 0x1c};        // text on light bands and lit keys
inline const QColor pointer{0xf4, 0xef, 0xe2};    // knob pointers
} // namespace Palette

// The family used for every legend: a sans face that a fresh Debian machine has,
// else the toolkit's default.
QString legendFamily();
QFont legendFont(int pixelSize, bool bold = true);

// Draws text centred (or aligned) in box; squeezes it horizontally, down to 60 %, when
// it is wider than the box, so a long legend stays on its key instead of being cut.
void drawLegend(QPainter& p, const QRectF& box, const QString& text, int pixelSize,
                const QColor& colour, Qt::Alignment align = Qt::AlignCenter, bool bold = true,
                qreal letterSpacing = 0);

// Module face: graphite with a faint brushed grain (deterministic) and a soft
// top-to-bottom falloff.
void drawPanelFace(QPainter& p, const QRectF& r, const QColor& base, int grainSeed = 1);
// One-pixel bevel: light on the top and left edges when raised, the other way when sunk.
void drawBevel(QPainter& p, const QRectF& r, bool raised, qreal radius = 0);
// Black display window with an inner shadow and a thin lit lower rim.
void drawWell(QPainter& p, const QRectF& r, qreal radius = 1.5);
// Light scribble strip on which dark label text reads.
void drawBand(QPainter& p, const QRectF& r);
void drawScrew(QPainter& p, const QPointF& centre, qreal radius);
// Thin engraved rule (dark line with a light line under it).
void drawRule(QPainter& p, const QPointF& from, const QPointF& to);

} // namespace NS_ImageGen
