#include "AddOnMenu.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include <QCoreApplication>
#include <QKeySequence>

namespace NS_AddOnShell {

Menu windowsMenu()
{
    return Menu(QCoreApplication::translate("@MacOSX", "&Windows"), 4, 80);
}

void describeMenuEntry(TGP_Information* info, const MenuEntry& entry, const QStringList& submenus)
{
    QStringList parts{entry.menu.title};
    parts << submenus << entry.translatedText;
    delete info->menuPath;
    info->menuPath = new QString(parts.join(menuPathSeparator()));
    info->menuPosition = uint16_t(entry.menu.position);
    info->entryPosition = uint16_t(entry.position);
    delete info->accelerator;
    info->accelerator = entry.accelerator.isEmpty() ? nullptr : new QKeySequence(entry.accelerator);
}

} // namespace NS_AddOnShell
