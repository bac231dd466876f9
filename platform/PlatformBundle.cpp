#include "PlatformBundle.h"
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <dlfcn.h>
#include <cstdlib>

namespace NS_Platform {

namespace {

struct Bundles
{
    QMutex mutex;
    QHash<QString, QString> roots;
};

Bundles& bundles()
{
    static Bundles b;
    return b;
}

QString overrideRoot()
{
    const char* env = std::getenv("VANTREL_BUNDLE_DIR");
    if (!env || !*env)
        return QString();
    return QDir::cleanPath(QFileInfo(QString::fromLocal8Bit(env)).absoluteFilePath());
}

} // namespace

QString PlatformBundle::rootOfAddress(const void* address)
{
    Dl_info info{};
    if (!address || dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname)
        return QString();
    return rootOfLibraryPath(QString::fromLocal8Bit(info.dli_fname));
}

QString PlatformBundle::rootOfLibraryPath(const QString& path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo file(path);
    // canonicalPath() of a missing file is ".", not empty.
    const QString canonical = file.canonicalFilePath().isEmpty() ? QString() : file.canonicalPath();
    // Worked on the text: the folders need not exist (QDir::cdUp refuses then).
    QStringList parts = QDir::cleanPath(canonical.isEmpty() ? file.absolutePath() : canonical)
                            .split(QLatin1Char('/'));
    // Add-ons live below lib/ in folders of their own: climb to lib/ itself.
    const int lib = int(parts.lastIndexOf(QStringLiteral("lib")));
    const int keep = lib > 0 ? lib : int(parts.size()) - 1;
    parts = parts.mid(0, qMax(keep, 1));
    const QString root = parts.join(QLatin1Char('/'));
    return root.isEmpty() ? QStringLiteral("/") : root;
}

QString PlatformBundle::mainBundleRoot()
{
    const QString forced = overrideRoot();
    if (!forced.isEmpty())
        return forced;
    static const QString own = rootOfAddress(reinterpret_cast<const void*>(&PlatformBundle::mainBundleRoot));
    return own;
}

void PlatformBundle::registerBundle(const QString& identifier, const QString& root)
{
    if (identifier.isEmpty())
        return;
    Bundles& b = bundles();
    QMutexLocker lock(&b.mutex);
    if (root.isEmpty())
        b.roots.remove(identifier);
    else
        b.roots.insert(identifier, QDir::cleanPath(QFileInfo(root).absoluteFilePath()));
}

void PlatformBundle::registerBundleOfAddress(const QString& identifier, const void* address)
{
    registerBundle(identifier, rootOfAddress(address));
}

QString PlatformBundle::bundleRoot(const QString* identifier)
{
    const QString forced = overrideRoot();
    if (!forced.isEmpty())
        return forced;
    if (identifier && !identifier->isEmpty()) {
        Bundles& b = bundles();
        QMutexLocker lock(&b.mutex);
        const auto it = b.roots.constFind(*identifier);
        if (it != b.roots.constEnd())
            return *it;
    }
    return mainBundleRoot();
}

QString PlatformBundle::resourcesFolder(const QString* identifier)
{
    const QString root = bundleRoot(identifier);
    if (root.isEmpty())
        return QString();
    const QFileInfo resources(QDir(root).filePath(QStringLiteral("Resources")));
    if (!resources.isDir())
        return QString();
    return QDir::cleanPath(resources.absoluteFilePath());
}

} // namespace NS_Platform
