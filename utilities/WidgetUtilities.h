#pragma once
// Widget and keyboard helpers.
#include "vantrel_kxe21_utilities_export.h"

class QWidget;

namespace NS_Utilities {

// GUI thread. The current modifier keys as button-state bits: Shift 0x100,
// Control 0x200, Alt 0x400; Command and the others give nothing.
VANTREL_UTILITIES_EXPORT int modifierState();
// Closes the active popup widget, on the GUI thread only; elsewhere only tests.
// True when no popup widget is active afterwards.
VANTREL_UTILITIES_EXPORT bool cancelPopupWidgets();
// GUI thread. Widgets below `widget` plus one for itself; with null, all widgets
// of the application.
VANTREL_UTILITIES_EXPORT int numberOfWidgets(QWidget* widget);
// Returns the widget unchanged: the platform has no window limit to check.
VANTREL_UTILITIES_EXPORT QWidget* checkForSystemLimit(QWidget* widget, const char* name, bool flag);

} // namespace NS_Utilities
