#include "PartDetailAddOn.h"
#include "PartDetailIEditorExtensions.h"
#include "addons/shell/AddOnMenu.h"
#include "addons/shell/TTovarScrollView.h"
#include <QCoreApplication>

using NS_AddOnShell::setStatus;

const Y_GUID PartDetailAddOn::guid = NS_AddOnIds::PartDetailAddOn;

namespace {
// The part windows sort after the other entries of the Windows menu.
constexpr int kMenuPosition = 100;
constexpr int kFirstEntryPosition = 3;
} // namespace

TTovarAddOn* NS_AddOnShell::makeAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration)
{
    return new PartDetailAddOn(outer, factoryId, registration);
}

PartDetailAddOn::PartDetailAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration)
    : TTovarAddOn(outer, factoryId, registration)
{
}

int PartDetailAddOn::partOf(int id)
{
    if (id < 1 || id > 2 * kParts)
        return 0;
    return id > kParts ? id - kParts : id;
}

int PartDetailAddOn::GP_editorCount(int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    return 2 * kParts;
}

TGP_Information* PartDetailAddOn::GP_inforamtion(int id, int32_t* status)
{
    const int part = partOf(id);
    if (part == 0) {
        setStatus(status, NS_MPStatus::failure);
        return nullptr;
    }
    setStatus(status, NS_MPStatus::ok);
    TGP_Information* info = newInformation();
    const QString title = QCoreApplication::translate("@default", "Part Detail ");
    info->name = new QString(title + QString::number(part));
    if (id <= kParts) {
        const Menu menu(NS_AddOnShell::windowsMenu().title, kMenuPosition, -1);
        const QString entry = QCoreApplication::translate("@MacOSX", "Part ") + QString::number(id);
        NS_AddOnShell::describeMenuEntry(
            info, MenuEntry(menu, id + kFirstEntryPosition, -1, entry, entry, QString()),
            QStringList{QCoreApplication::translate("@MacOSX", "Part Detail ")});
    } else {
        // The same window as the part's own id, reached without a menu entry.
        info->createId = part;
        info->menuPosition = 0;
        info->entryPosition = 0;
        info->flags |= NS_GPFlags::separatorBefore;
    }
    return info;
}

QWidget* PartDetailAddOn::GP_create(int id, int32_t* status)
{
    const int part = partOf(id);
    if (part == 0) {
        setStatus(status, NS_MPStatus::failure);
        return nullptr;
    }
    setStatus(status, NS_MPStatus::ok);
    const QString title = QCoreApplication::translate("@default", "Part Detail ");
    auto* frame = new TTovarScrollView(nullptr, "PartDetail", TTovarScrollView::kViewWindowFlags,
                                       this, QString(), 0);
    auto* view = new PartDetailIEditorExtensions(link(), clientServices(), frame->viewport());
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->setWindowTitle(title + QString::number(id));
    frame->setView(view, title + QString::number(part));
    view->setLayerNumber(part - 1);
    return frame;
}

IEditorExtensions* PartDetailAddOn::extensionsOfView(QObject* view) const
{
    return dynamic_cast<PartDetailIEditorExtensions*>(view);
}
