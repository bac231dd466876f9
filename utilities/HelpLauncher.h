#pragma once
// Opening documents and the help manual with the desktop's launch service.
// GUI thread (the failure messages are message boxes).
#include "vantrel_kxe21_utilities_export.h"
#include <cstdint>

class QString;
class QWidget;

namespace NS_Utilities {

class IDocuPrompter;

// Opens each file in order; the first non-zero launch result ends the walk and is
// returned. -50 for no files, -43 for a file that cannot be reached, 0 when all opened.
VANTREL_UTILITIES_EXPORT int32_t FinderLaunch(int32_t count, const QString* files);
// Opens the help document at the file URL (or absolute path). True when opened.
VANTREL_UTILITIES_EXPORT bool LaunchHelpSystem(const QString& url, QWidget* parent);
// Opens `file` from the Resources folder of the bundle; on failure shows a warning box
// titled `caption` through `prompter` (null: the toolkit's boxes). True when opened.
VANTREL_UTILITIES_EXPORT bool ShowHelpDocumentation(const QString& caption, QWidget* parent,
                                                    const QString& file, QString* bundleId,
                                                    IDocuPrompter* prompter = nullptr);

} // namespace NS_Utilities
