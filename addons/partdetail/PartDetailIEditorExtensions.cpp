#include "PartDetailIEditorExtensions.h"
#include "addons/shell/TDetailGrid.h"
#include "memapi/IMemAPI.h"
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "utilities/interfaces/IClientServices.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"
#include <QApplication>

PartDetailIEditorExtensions::PartDetailIEditorExtensions(const TAddOnLink& addOn, IClientServices* services,
                                                         QWidget* parent)
    : PartDetail(parent), TTovarEditorExtensions(addOn, services)
{
    connect(this, &PartDetail::voiceClick, this, &PartDetailIEditorExtensions::openVoiceDialog);
}

uint32_t PartDetailIEditorExtensions::addressKey(int element, int parameter)
{
    return (uint32_t(element) << 16) + uint32_t(parameter);
}

int32_t PartDetailIEditorExtensions::EX_postInitialize(IMemAPI* api)
{
    if (!attachMemAPI(api) || !api)
        return NS_MPStatus::ok;
    connectMemAPI(api);
    api->MAPI_assignServer(this, m_part);
    collectControls();
    // Now that every control is bound, the voice decides once more what is shown.
    voicesChanged(0);
    return NS_MPStatus::ok;
}

void PartDetailIEditorExtensions::collectControls()
{
    m_controls.clear();
    for (QWidget* widget : findChildren<QWidget*>()) {
        // The value texts sit over their dials: a focus request goes to the dial.
        if (qobject_cast<CTextSlider_VANTREL_KXE*>(widget))
            continue;
        if (const TMemProxy_VANTREL_KXE* proxy = NS_DetailGrid::boundProxy(widget))
            m_controls.emplace(addressKey(proxy->element(), proxy->param()), widget);
    }
}

void PartDetailIEditorExtensions::setLayerNumber(int part)
{
    if (unsigned(part) > 15u)
        return;
    PartDetail::setLayerNumber(part);
    if (IMemAPI* api = memapi()) {
        api->MAPI_assignServer(this, part);
        collectControls();
        voicesChanged(0);
    }
}

QWidget* PartDetailIEditorExtensions::findWidget(int element, int channel, int parameter) const
{
    if (channel != m_part)
        return nullptr;
    const auto found = m_controls.find(addressKey(element, parameter));
    return found == m_controls.end() ? nullptr : found->second.data();
}

void PartDetailIEditorExtensions::openVoiceDialog()
{
    if (IClientServices* services = clientServices()) {
        QWidget* window = nullptr;
        services->CS_openEditor(Guid2QUuid(NS_AddOnIds::DialogsAddOn), m_part + kFirstVoiceDialogId, &window,
                                nullptr, true);
    }
}

void PartDetailIEditorExtensions::guiWindowChanged(int, int tab, int)
{
    selectTab(tab);
}

void PartDetailIEditorExtensions::remoteFocusChanged(int element, int channel, int parameter)
{
    if (!clientServices())
        return;
    if (NS_DetailGrid::isBoundTo(QApplication::focusWidget(), element, channel, parameter))
        return;
    if (QWidget* control = findWidget(element, channel, parameter))
        control->setFocus(Qt::OtherFocusReason);
}
