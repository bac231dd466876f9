#include "TCompIMPInitialisePrivate.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "utilities/ModuleLocation.h"
#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>
#include <QStringList>

namespace {
Q_LOGGING_CATEGORY(lcAddOns, "tovar.addons")

bool isSharedLibraryName(const QString& path)
{
    return path.size() >= 3 && path.right(3).toLower() == QLatin1String(".so");
}
} // namespace

int TCompIMPInitialisePrivate::loadAddOns(const QDir& folder)
{
    QDir dir(folder);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    QStringList paths;
    NS_Utilities::enumDirectory(dir, paths, true);

    int added = 0;
    for (const QString& path : paths) {
        if (!isSharedLibraryName(path))
            continue;
        auto library = std::make_unique<QLibrary>(path);
        if (!library->load()) {
            qCWarning(lcAddOns) << "cannot load" << path << library->errorString();
            continue;
        }
        auto factory = reinterpret_cast<TAddOnFactoryFunction>(library->resolve(kAddOnFactoryName));
        IGenericEditorPluginInterface* addOn = factory ? factory() : nullptr;
        if (!addOn) {
            qCDebug(lcAddOns) << "not an add-on:" << path;
            library->unload();
            continue;
        }
        QDir parent = QFileInfo(path).dir();
        parent.cdUp();
        m_addOns.push_back(std::make_unique<TAddOnDescriptor>(parent, library.release(), addOn));
        ++added;
    }
    return added;
}

void TCompIMPInitialisePrivate::clear()
{
    for (auto& descriptor : m_addOns)
        descriptor.reset();
    m_addOns.clear();
    initialised = false;
}
