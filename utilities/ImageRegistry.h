#pragma once
// One name-to-image registry shared by the controls, the views and the dialogs.
// Libraries that embed images register them by name when they are loaded; every
// control and view looks its images up here by name (names begin "tovar_").
#include "vantrel_kxe21_utilities_export.h"
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

namespace NS_Utilities {

// What is known of one registered image. `size` is the whole image in logical pixels;
// frames are stacked vertically (`rows`), variants side by side (`columns`).
struct ImageInfo
{
    QString name;
    QString resourcePath; // e.g. ":/tovar/images/tovar_knob26.png"; a "@2x" twin may sit beside it
    QSize size;
    int rows = 1;
    int columns = 1;
    bool isValid() const { return !name.isEmpty(); }
};

class VANTREL_UTILITIES_EXPORT ImageRegistry
{
public:
    // Any thread; takes the registry's mutex. A second registration of a name replaces
    // the first (a reloaded library registers again). rows and columns below 1 count as 1.
    static void add(const QString& name, const QString& resourcePath, const QSize& size,
                    int rows = 1, int columns = 1);
    // Removes every name registered with a resource path under `prefix` (a library
    // that unloads its resources calls this first).
    static void removeUnder(const QString& prefix);
    static bool contains(const QString& name);
    static ImageInfo info(const QString& name);
    static QStringList names();
    // GUI thread. The image of that name at the screen's device pixel ratio (the "@2x"
    // twin where one is registered beside it and the ratio is above 1), cached in the
    // toolkit's pixmap cache; a null pixmap for an unknown name.
    static QPixmap pixmap(const QString& name);
};

} // namespace NS_Utilities
