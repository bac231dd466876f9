#include "UtilitiesLogging.h"

Q_LOGGING_CATEGORY(lcUtilities, "tovar.utilities")
