#pragma once
// Component objects made through the platform plug-in service. Any thread.
#include "utilities/YGuid.h"
#include "vantrel_kxe21_utilities_export.h"

class IUnknown;

// The object of that type from that factory, with one count, or null. An object that
// offers IPlugInInstance is set up first and dropped when the set-up fails.
VANTREL_UTILITIES_EXPORT IUnknown* CreateIUnknown(const Y_GUID& type, const Y_GUID& factory);
