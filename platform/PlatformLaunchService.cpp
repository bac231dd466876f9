#include "PlatformLaunchService.h"
#include <QDesktopServices>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace NS_Platform {

namespace {
QMutex g_mutex;
PlatformLaunchService::Hook g_hook;
} // namespace

int32_t PlatformLaunchService::open(const QUrl& url)
{
    if (url.isEmpty() || !url.isValid())
        return BadParameter;
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return FileNotFound;
    Hook hook;
    {
        QMutexLocker lock(&g_mutex);
        hook = g_hook;
    }
    if (hook)
        return hook(url);
    return QDesktopServices::openUrl(url) ? NoError : LaunchFailed;
}

void PlatformLaunchService::setHook(Hook hook)
{
    QMutexLocker lock(&g_mutex);
    g_hook = std::move(hook);
}

} // namespace NS_Platform
