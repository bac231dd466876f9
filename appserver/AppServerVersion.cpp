#include "vantrel_kxe21_qtplxserver_export.h"
VANTREL_APPSERVER_EXPORT int vantrel_appserver_version() { return 1; }
