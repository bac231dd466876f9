#include "TransportLogging.h"

Q_LOGGING_CATEGORY(lcTransport, "tovar.midi")
