#include "vantrel_kxe21_console_export.h"
VANTREL_CONSOLE_EXPORT int vantrel_console_version() { return 1; }
