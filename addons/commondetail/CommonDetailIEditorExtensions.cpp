#include "CommonDetailIEditorExtensions.h"
#include "addons/shell/TDetailGrid.h"
#include "memapi/IMemAPI.h"
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "utilities/interfaces/IClientServices.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"
#include <QApplication>
#include <QFrame>

CommonDetailIEditorExtensions::CommonDetailIEditorExtensions(const TAddOnLink& addOn,
                                                             IClientServices* services,
                                                             QWidget* parent)
    : CommonDetail(parent), TTovarEditorExtensions(addOn, services)
{
    connect(this, &CommonDetail::arpClick, this, &CommonDetailIEditorExtensions::openArpDialog);
}

uint32_t CommonDetailIEditorExtensions::addressKey(int element, int channel, int parameter)
{
    return (uint32_t(element) << 16) + ((uint32_t(channel) & 0xFFFFFFu) << 8) + uint32_t(parameter);
}

int32_t CommonDetailIEditorExtensions::EX_postInitialize(IMemAPI* api)
{
    if (!attachMemAPI(api) || !api)
        return NS_MPStatus::ok;
    api->MAPI_assignServer(this, 0);
    initComboBoxesFromMemAPI();
    for (int page = 0; page < kTabs; ++page)
        NS_DetailGrid::hideLabelsOfUnboundCells(pageFrame(page));
    m_controls.clear();
    for (QWidget* widget : findChildren<QWidget*>()) {
        // The value texts sit over their dials: a focus request goes to the dial.
        if (qobject_cast<CTextSlider_VANTREL_KXE*>(widget))
            continue;
        if (const TMemProxy_VANTREL_KXE* proxy = NS_DetailGrid::boundProxy(widget))
            m_controls.emplace(addressKey(proxy->element(), proxy->channel(), proxy->param()), widget);
    }
    return NS_MPStatus::ok;
}

QWidget* CommonDetailIEditorExtensions::findWidget(int element, int channel, int parameter) const
{
    const auto found = m_controls.find(addressKey(element, channel, parameter));
    return found == m_controls.end() ? nullptr : found->second.data();
}

void CommonDetailIEditorExtensions::openArpDialog()
{
    if (IClientServices* services = clientServices()) {
        QWidget* window = nullptr;
        services->CS_openEditor(Guid2QUuid(NS_AddOnIds::DialogsAddOn), kArpeggioDialogId, &window, nullptr, true);
    }
}

void CommonDetailIEditorExtensions::guiWindowChanged(int, int tab, int)
{
    selectTab(tab);
}

void CommonDetailIEditorExtensions::remoteFocusChanged(int element, int channel, int parameter)
{
    if (!clientServices())
        return;
    if (NS_DetailGrid::isBoundTo(QApplication::focusWidget(), element, channel, parameter))
        return;
    if (QWidget* control = findWidget(element, channel, parameter))
        control->setFocus(Qt::OtherFocusReason);
}
