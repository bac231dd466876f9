#include "HelpLauncher.h"
#include "DocuPrompter.h"
#include "ModuleLocation.h"
#include "ThreadUtilities.h"
#include "UtilitiesLogging.h"
#include "platform/PlatformLaunchService.h"
#include <QDir>
#include <QString>
#include <QUrl>

namespace NS_Utilities {

int32_t FinderLaunch(int32_t count, const QString* files)
{
    if (count <= 0 || !files)
        return NS_Platform::PlatformLaunchService::BadParameter;
    for (int32_t i = 0; i < count; ++i) {
        if (files[i].isEmpty())
            return NS_Platform::PlatformLaunchService::FileNotFound;
        const int32_t status = NS_Platform::PlatformLaunchService::open(QUrl::fromLocalFile(files[i]));
        if (status != 0)
            return status;
    }
    return 0;
}

bool LaunchHelpSystem(const QString& url, QWidget* parent)
{
    Q_UNUSED(parent);
    const QUrl target = url.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(url)
                                                         : QUrl(url, QUrl::TolerantMode);
    if (url.isEmpty() || !target.isValid())
        return false;
    // Help documents are files: a URL with no local file cannot be opened.
    const QString file = target.isLocalFile() ? target.toLocalFile() : QString();
    const int32_t status = file.isEmpty() ? NS_Platform::PlatformLaunchService::FileNotFound : FinderLaunch(1, &file);
    if (status != 0)
        qCWarning(lcUtilities) << "help document" << url << "not opened:" << status;
    return status == 0;
}

bool ShowHelpDocumentation(const QString& caption, QWidget* parent, const QString& file,
                           QString* bundleId, IDocuPrompter* prompter)
{
    Q_UNUSED(parent);
    const QString folder = moduleLocation(bundleId);
    const QString text = folder.isEmpty() || file.isEmpty()
        ? QString()
        : QUrl::fromLocalFile(QDir(folder).filePath(file)).toString();
    if (!text.isEmpty() && LaunchHelpSystem(text, nullptr))
        return true;
    const QString shown = text.isEmpty() ? file : text;
    if (mainThreadRunning()) {
        TDocuPrompter toolkit;
        (prompter ? prompter : &toolkit)
            ->warningMessage(nullptr, caption,
                             QStringLiteral("Failed to load \"%1\" help document.\r\n"
                                            "Please try re-installing the package.")
                                 .arg(shown));
    } else {
        qCWarning(lcUtilities) << "help document" << shown << "not opened";
    }
    return false;
}

} // namespace NS_Utilities
