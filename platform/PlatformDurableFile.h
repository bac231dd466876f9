#pragma once
// Saves that outlive a crash or a power cut. A save written whole to a temporary file
// and renamed over the old one is complete once the data is synced; the rename itself
// is an entry of the folder, lost with it until the folder is synced too.
#include "vantrel_platform_export.h"
#include <QString>

class QSaveFile;

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT PlatformDurableFile
{
public:
    // The file a save to `path` replaces: symbolic links followed as QSaveFile follows
    // them (the link stays, its target is replaced).
    static QString finalPath(const QString& path);
    // Syncs the folder holding the file saved to `path`; false when it cannot.
    static bool syncFolderOf(const QString& path);
    // QSaveFile::commit(), then the folder synced; false when either fails.
    static bool commit(QSaveFile& file);
};

} // namespace NS_Platform
