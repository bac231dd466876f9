#pragma once
// Reading of list sections: a "size" key, then names under "0" .. "size-1".
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QString>
#include <vector>

class CIniFileJob;

// Where a template read failed: section, line (0 when unknown) and what was wrong.
struct TemplateFault
{
    QString section;
    int line = 0;
    QString what;
};

// The message of a failed template read, "path: [section] line N: what", logged once.
VANTREL_CONSOLE_EXPORT QString TemplateFaultText(const QString& path, const QString& section, int line,
                                                 const QString& what);

// Reads the names listed in `section`, trimmed, at most maxSize of them; false with
// the fault filled in when the section, its size or one of its keys is missing.
VANTREL_CONSOLE_EXPORT bool ReadTemplateList(CIniFileJob& ini, const char* section, int maxSize,
                                             std::vector<QByteArray>& names, TemplateFault& fault);
