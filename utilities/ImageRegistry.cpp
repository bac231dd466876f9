#include "ImageRegistry.h"
#include "UtilitiesLogging.h"
#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPixmapCache>

namespace NS_Utilities {

namespace {

struct Registry
{
    QMutex mutex;
    QHash<QString, ImageInfo> images;
};

Registry& registry()
{
    static Registry r;
    return r;
}

QString twinPath(const QString& path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? path + QLatin1String("@2x") : path.left(dot) + QLatin1String("@2x") + path.mid(dot);
}

} // namespace

void ImageRegistry::add(const QString& name, const QString& resourcePath, const QSize& size,
                        int rows, int columns)
{
    if (name.isEmpty())
        return;
    ImageInfo info;
    info.name = name;
    info.resourcePath = resourcePath;
    info.size = size;
    info.rows = rows < 1 ? 1 : rows;
    info.columns = columns < 1 ? 1 : columns;
    QMutexLocker lock(&registry().mutex);
    registry().images.insert(name, info);
}

void ImageRegistry::removeUnder(const QString& prefix)
{
    QMutexLocker lock(&registry().mutex);
    auto& images = registry().images;
    for (auto it = images.begin(); it != images.end();) {
        if (it->resourcePath.startsWith(prefix))
            it = images.erase(it);
        else
            ++it;
    }
}

bool ImageRegistry::contains(const QString& name)
{
    QMutexLocker lock(&registry().mutex);
    return registry().images.contains(name);
}

ImageInfo ImageRegistry::info(const QString& name)
{
    QMutexLocker lock(&registry().mutex);
    return registry().images.value(name);
}

QStringList ImageRegistry::names()
{
    QMutexLocker lock(&registry().mutex);
    QStringList out = registry().images.keys();
    out.sort();
    return out;
}

QPixmap ImageRegistry::pixmap(const QString& name)
{
    const ImageInfo found = info(name);
    if (!found.isValid())
        return QPixmap();
    qreal ratio = 1.0;
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        ratio = app->devicePixelRatio();
    const bool hiDpi = ratio > 1.0;
    const QString key = QLatin1String("tovar-image:") + name + (hiDpi ? QLatin1String("@2x") : QString());
    QPixmap pm;
    if (QPixmapCache::find(key, &pm))
        return pm;
    if (hiDpi && pm.load(twinPath(found.resourcePath)))
        pm.setDevicePixelRatio(2.0);
    else if (!pm.load(found.resourcePath))
        qCWarning(lcUtilities) << "image" << name << "registered but not loadable from" << found.resourcePath;
    if (!pm.isNull())
        QPixmapCache::insert(key, pm);
    return pm;
}

} // namespace NS_Utilities
