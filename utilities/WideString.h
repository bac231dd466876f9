#pragma once
// Zero-terminated UTF-16 strings handed across library boundaries. Copies are
// allocated with malloc; the receiver frees them with free. Any thread.
#include "vantrel_kxe21_utilities_export.h"
#include <cstddef>

class QString;

namespace NS_Utilities {
// Units before the terminating zero; 0 for null.
VANTREL_UTILITIES_EXPORT size_t wideStrLen(const unsigned short* text);
} // namespace NS_Utilities

// A new copy (length + 1 units); null input gives an empty string; null when out of memory.
VANTREL_UTILITIES_EXPORT unsigned short* CreateOLEString(const unsigned short* text);
VANTREL_UTILITIES_EXPORT unsigned short* CreateOLEString(const QString& text);
