#include "DialogsLogging.h"

Q_LOGGING_CATEGORY(lcDialogs, "tovar.dialogs")
