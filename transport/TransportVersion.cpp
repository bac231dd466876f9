#include "vantrel_kxe21_transport_export.h"
VANTREL_TRANSPORT_EXPORT int vantrel_transport_version() { return 1; }
