#include "LayerAddOn.h"
#include "LayerIEditorExtensions.h"
#include "addons/shell/AddOnMenu.h"
#include "addons/shell/TTovarScrollView.h"
#include "tools/imagegen/ImageTable.h"
#include "utilities/ImageRegistry.h"
#include <QCoreApplication>
#include <QPalette>

using NS_AddOnShell::setStatus;

const Y_GUID LayerAddOn::guid = NS_AddOnIds::LayerAddOn;

TTovarAddOn* NS_AddOnShell::makeAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration)
{
    return new LayerAddOn(outer, factoryId, registration);
}

LayerAddOn::LayerAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration)
    : TTovarAddOn(outer, factoryId, registration)
{
}

int LayerAddOn::GP_editorCount(int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    return 1;
}

TGP_Information* LayerAddOn::GP_inforamtion(int id, int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    if (id != 1) {
        setStatus(status, NS_MPStatus::failure);
        return nullptr;
    }
    TGP_Information* info = newInformation();
    info->name = new QString(QStringLiteral("Part Mixer"));
    NS_AddOnShell::describeMenuEntry(
        info, MenuEntry(NS_AddOnShell::windowsMenu(), 3, -1, QStringLiteral("Part Mixer"),
                        QCoreApplication::translate("@MacOSX", "Part Mixer"),
                        QCoreApplication::translate("@MacOSX", "Ctrl+1")));
    info->flags = NS_GPFlags::oneWindowPerKey | NS_GPFlags::defaultEditor;
    info->flags2 = NS_GPFlags2::hideOnClose;
    return info;
}

QWidget* LayerAddOn::GP_create(int, int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    if (m_window) {
        m_window->setFocus();
        return nullptr;
    }
    const QString caption = QCoreApplication::translate("@default", "Part Mixer");
    auto* frame = new TTovarScrollView(nullptr, nullptr, TTovarScrollView::kViewWindowFlags, this,
                                       caption, 0);
    // Closing the mixer only hides it: it dispatches the surface's page requests.
    frame->setCloseDestroys(false);
    auto* view = new LayerIEditorExtensions(
        link(), clientServices(), frame->viewport(),
        QCoreApplication::translate("@default", "Channels").toLatin1().constData(), Qt::WindowFlags(),
        LayerIEditorExtensions::kStrips, QCoreApplication::translate("@default", "Main Mixer Layer"), 1);
    view->setAttribute(Qt::WA_DeleteOnClose);
    const QPixmap background = NS_Utilities::ImageRegistry::pixmap(QLatin1String(NS_Images::kMixerViewVantrel));
    if (!background.isNull()) {
        QPalette palette = view->palette();
        palette.setBrush(QPalette::Window, background);
        view->setPalette(palette);
        view->setAutoFillBackground(true);
    }
    frame->setView(view, caption);
    m_window = frame;
    m_view = view;
    return frame;
}

int32_t LayerAddOn::GP_uiEvent(unsigned int event)
{
    constexpr unsigned int kSavedWindowsReopened = 2;
    if (event == kSavedWindowsReopened && m_view)
        m_view->lightDetailSwitchesOfOpenWindows();
    return TTovarAddOn::GP_uiEvent(event);
}

IEditorExtensions* LayerAddOn::extensionsOfView(QObject* view) const
{
    return dynamic_cast<LayerIEditorExtensions*>(view);
}
