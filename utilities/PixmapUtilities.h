#pragma once
// Image helpers of the custom controls: grey and faded looks, the focus mark, one cell
// of an image strip, loading an image by name, and covering a widget with its faded
// look. GUI thread.
#include "vantrel_kxe21_utilities_export.h"
#include <QImage>
#include <QPixmap>

class QColor;
class QPainter;
class QPoint;
class QSize;
class QString;
class QWidget;

namespace NS_Utilities {

// Each 32-bit pixel becomes grey c = max(50, (56 R + 33 G + 11 B) / 100), alpha kept;
// an image of any other depth comes back unchanged.
VANTREL_UTILITIES_EXPORT QImage applyGreyTransformation(const QPixmap& pixmap);
// The widget's look, faded in HSV (saturation down by 85 %, value up by 65 % of what
// is left), into *out. Nothing when either argument is null.
VANTREL_UTILITIES_EXPORT void createDisabledImage(QWidget* widget, QPixmap* out);
// Black: a copy with a double frame (outer in the default pen, inner grey 60). Any
// other colour recolours each pixel to the colour's hue, keeping its value.
VANTREL_UTILITIES_EXPORT QImage applyFocusHilite(const QColor& color, const QPixmap& pixmap);
// Draws cell (column cell.x(), row cell.y()) of a pixmap cut into grid.width()
// columns by grid.height() rows, at `at` (or the origin). Nothing for a cell outside
// the grid, an empty grid or an empty pixmap.
VANTREL_UTILITIES_EXPORT void drawPartialPixmap(QPainter& painter, const QPoint& cell,
                                                const QPixmap& pixmap, const QSize& grid,
                                                const QPoint* at = nullptr);
// The registered image of that name; failing that, the file "./images/" + name.
VANTREL_UTILITIES_EXPORT QPixmap loadPixmap(const QString& name);
// Covers (hide) or uncovers a widget with its faded look; with `remove`, the cover
// is dropped and the widget itself deleted (hide) or shown (show).
VANTREL_UTILITIES_EXPORT void hideShowWidgets(bool hide, QWidget* widget, bool remove);

// Object name of the cover that hideShowWidgets puts over a widget.
VANTREL_UTILITIES_EXPORT extern const char* const kDisabledCoverName;

} // namespace NS_Utilities
