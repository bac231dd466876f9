#include "vantrel_kxe21_memapi_export.h"
VANTREL_MEMAPI_EXPORT int vantrel_memapi_version() { return 1; }
