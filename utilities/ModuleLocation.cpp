#include "ModuleLocation.h"
#include "platform/PlatformBundle.h"
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace NS_Utilities {

QString moduleLocation(QString* bundleId)
{
    // The whole path: cutting it at a fixed length would point at another folder.
    return NS_Platform::PlatformBundle::resourcesFolder(bundleId);
}

void enumDirectory(QDir& dir, QStringList& list, bool recursive)
{
    dir.setFilter(QDir::Dirs | QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    const QString own = QDir::cleanPath(dir.absolutePath());
    const QFileInfoList entries = dir.entryInfoList();
    for (const QFileInfo& entry : entries) {
        if (entry.isFile()) {
            list.append(entry.absoluteFilePath());
            continue;
        }
        if (!recursive || !entry.isDir())
            continue;
        const QString path = QDir::cleanPath(entry.absoluteFilePath());
        // Never walk the folder itself or upwards.
        if (path.size() <= own.size() || path == own)
            continue;
        QDir sub(path + QLatin1Char('/'));
        sub.setSorting(QDir::Name | QDir::IgnoreCase);
        enumDirectory(sub, list, true);
    }
}

} // namespace NS_Utilities
