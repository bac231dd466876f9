// Platform stand-ins: version tag until the services are filled in.
#include "vantrel_platform_export.h"
VANTREL_PLATFORM_EXPORT int vantrel_platform_version() { return 1; }
