#include "CommonDetailAddOn.h"
#include "CommonDetailIEditorExtensions.h"
#include "addons/shell/AddOnMenu.h"
#include "addons/shell/TTovarScrollView.h"
#include <QCoreApplication>

using NS_AddOnShell::setStatus;

const Y_GUID CommonDetailAddOn::guid = NS_AddOnIds::CommonDetailAddOn;

TTovarAddOn* NS_AddOnShell::makeAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration)
{
    return new CommonDetailAddOn(outer, factoryId, registration);
}

CommonDetailAddOn::CommonDetailAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration)
    : TTovarAddOn(outer, factoryId, registration)
{
}

int CommonDetailAddOn::GP_editorCount(int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    return 1;
}

TGP_Information* CommonDetailAddOn::GP_inforamtion(int, int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    TGP_Information* info = newInformation();
    info->name = new QString(QStringLiteral("Common Detail"));
    NS_AddOnShell::describeMenuEntry(
        info, MenuEntry(NS_AddOnShell::windowsMenu(), 4, -1, QStringLiteral("Common Detail"),
                        QCoreApplication::translate("@MacOSX", "Common Detail"),
                        QCoreApplication::translate("@MacOSX", "Ctrl+2")));
    info->flags2 = NS_GPFlags2::hideOnClose;
    return info;
}

QWidget* CommonDetailAddOn::GP_create(int, int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    if (m_window) {
        m_window->setFocus();
        return nullptr;
    }
    auto* frame = new TTovarScrollView(nullptr, "CommonDetail", TTovarScrollView::kViewWindowFlags,
                                       this, QString(), 0);
    auto* view = new CommonDetailIEditorExtensions(link(), clientServices(), nullptr);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->setWindowTitle(QStringLiteral("Common Detail"));
    frame->setView(view, QCoreApplication::translate("@default", "Common Detail "));
    m_window = frame;
    return frame;
}

IEditorExtensions* CommonDetailAddOn::extensionsOfView(QObject* view) const
{
    return dynamic_cast<CommonDetailIEditorExtensions*>(view);
}
