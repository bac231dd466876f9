#pragma once
// The grid the two detail views build their pages on: each page is a frame of cells,
// eight to a row, 76 x 68 pixels each, and each cell holds the controls of one
// parameter with its label under them. The views keep their own page tables and cell
// kinds; the controls a cell holds, their looks and the test for a control that is
// really bound are the same in both, and live here. GUI thread.
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>

class CDial_VANTREL_KXE;
class COnOffButton_VANTREL_KXE;
class CHotspotLabel_VANTREL_KXE;
class CTextSlider_VANTREL_KXE;
class QFrame;
class QLabel;
class QObject;
class QStackedWidget;
class QWidget;
class TMemProxy_VANTREL_KXE;

// One cell of a page table: what the view makes there (each view numbers its own
// kinds), the label under it (null: none), the named address of its parameter (null:
// none) and one number of the view's own use.
struct TDetailCell
{
    int32_t kind;
    const char* label;
    const char* address;
    int32_t extra;
};

namespace NS_DetailGrid {

constexpr int kColumns = 8;
constexpr int kCellWidth = 76;
constexpr int kCellHeight = 68;
// Object name of a cell label that is never retitled.
inline constexpr char kUnnamedLabel[] = "unnamed";

// The cell's top left corner inside its page frame.
QPoint cellOrigin(int index);

// The displays' lit text on black.
QColor displayColour();
// Black behind lit text, for a display-like control (text slider, popup, labels, editor).
void setDisplayColours(QWidget* widget);

// The pages' lettering: Arial at 10 pixels, or the narrowest near match on a system
// without it, so that every cell label fits its 76 pixels.
QFont panelFont();

// Shows a drawn image behind the widget (a page, a header).
void setBackground(QWidget* widget, const char* imageName);

// A page of the stack: a page widget named `pageName` holding one frame named
// `frameName` of the page's size, with the background drawn in it. The frame is where
// the cells go.
QFrame* addPage(QStackedWidget* stack, const char* pageName, const char* frameName, const char* background);

// A tab button of a header: three frames of the image (selected, unselected,
// pressed), 56 x 17 at (x, 3).
COnOffButton_VANTREL_KXE* addTabButton(QWidget* parent, const char* name, const char* image, int x);

// The value text over its dial: slider at (14, 27) 56 x 11 in the cell, dial at
// (29, 38) 27 x 27, both bound to the address with the table id given.
struct TValueCell
{
    CTextSlider_VANTREL_KXE* slider;
    CDial_VANTREL_KXE* dial;
};
TValueCell addValueCell(QWidget* frame, int index, const char* address, int tableId);

// An ON/OFF key at (26, 46) 31 x 10 in the cell, bound to the address.
COnOffButton_VANTREL_KXE* addSwitchCell(QWidget* frame, int index, const char* address);

// A lit name display at `geometry` (inside the frame) that reacts to a click in
// `hotSpot` (its own coordinates).
CHotspotLabel_VANTREL_KXE* addDisplayCell(QWidget* frame, const QRect& geometry, const QRect& hotSpot);

// The hidden button that closes a table: it takes no focus and edits nothing.
COnOffButton_VANTREL_KXE* addDummyButton(QWidget* frame);

// The cell's label under its controls, at (5, 69) 76 x 15: the text and its tool tip,
// centred on the page's own background.
QLabel* addCellLabel(QWidget* frame, int index, const char* text, const QString& objectName);

// The widget as a bound control: a control with a named address that resolved to a
// parameter of the instrument. Null for any other widget, and for a control whose
// address named nothing (such a control stays hidden and edits nothing).
TMemProxy_VANTREL_KXE* boundProxy(QObject* object);
// A bound control of exactly that parameter.
bool isBoundTo(QObject* object, int element, int channel, int parameter);

// Hides the label of every cell of the page frame whose controls all carry a named
// address that resolved to nothing: such a cell edits nothing, so it shows nothing.
void hideLabelsOfUnboundCells(QWidget* frame);
// A label under a cell's controls (a plain QLabel, not a display control).
bool isCellLabel(QObject* object);

} // namespace NS_DetailGrid
