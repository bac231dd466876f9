#pragma once
// Logging category of the memory-API object and its companion ("tovar.memapi").
#include "vantrel_kxe21_console_export.h"
#include <QLoggingCategory>

VANTREL_CONSOLE_EXPORT const QLoggingCategory& lcMemApi();
