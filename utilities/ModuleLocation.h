#pragma once
// Bundle resource folders and directory listing. Any thread.
#include "vantrel_kxe21_utilities_export.h"
#include <QString>
#include <QStringList>

class QDir;

namespace NS_Utilities {

// Absolute path of the Resources folder of the bundle with that identifier; a null
// or unknown identifier gives the main bundle's. Empty when there is no such folder.
VANTREL_UTILITIES_EXPORT QString moduleLocation(QString* bundleId);
// Appends the absolute paths of the directory's files (no symbolic links) to the
// list; with `recursive`, those of every subfolder too, names sorted ignoring case.
VANTREL_UTILITIES_EXPORT void enumDirectory(QDir& dir, QStringList& list, bool recursive);

} // namespace NS_Utilities
