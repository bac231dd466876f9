#pragma once
// The dialogs add-on's logging category.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDialogs)
