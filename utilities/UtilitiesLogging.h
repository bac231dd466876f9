#pragma once
// Logging category of the utilities library ("tovar.utilities"); internal to it.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcUtilities)
