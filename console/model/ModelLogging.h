#pragma once
// Logging category of the instrument memory model ("tovar.model").
#include "vantrel_kxe21_console_export.h"
#include <QLoggingCategory>

VANTREL_CONSOLE_EXPORT const QLoggingCategory& lcModel();
