#include "widgets/EditorOpener_VANTREL_KXE.h"
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "utilities/WidgetUtilities.h"
#include "utilities/interfaces/IClientServices.h"

#include <QUuid>
#include <QVariant>
#include <QWidget>

EditorOpener_VANTREL_KXE::EditorOpener_VANTREL_KXE(CHotspotLabel_VANTREL_KXE* label,
                                                   TMemProxy_VANTREL_KXE* proxy, const Y_GUID& component,
                                                   int subId, ButtonState modifiers, int channelOffset)
    : QObject(label), m_component(component), m_subId(subId), m_modifiers(modifiers), m_proxy(proxy),
      m_channelOffset(channelOffset)
{
    if (auto* object = dynamic_cast<QObject*>(proxy)) {
        m_proxyObject = object;
        m_proxyIsObject = true;
    }
    if (label && proxy)
        connect(label, qOverload<ButtonState>(&CHotspotLabel_VANTREL_KXE::hotspotDoubleClicked), this,
                qOverload<ButtonState>(&EditorOpener_VANTREL_KXE::openAnEditor));
}

TMemProxy_VANTREL_KXE* EditorOpener_VANTREL_KXE::proxy() const
{
    if (m_proxyIsObject && !m_proxyObject)
        return nullptr;
    return m_proxy;
}

void EditorOpener_VANTREL_KXE::openAnEditor()
{
    openAnEditor(NS_Utilities::modifierState());
}

void EditorOpener_VANTREL_KXE::openAnEditor(ButtonState state)
{
    if (m_modifiers != kAnyModifiers && m_modifiers != state)
        return;
    TMemProxy_VANTREL_KXE* bound = proxy();
    if (!bound || !bound->m_memAPI)
        return;
    IClientServices* services = bound->m_memAPI->MAPI_cs();
    if (!services)
        return;
    QWidget* window = nullptr;
    if (services->CS_openEditor(Guid2QUuid(m_component), m_subId, &window, nullptr, false) != 0 || !window)
        return;
    window->setProperty("channel", int(bound->channel()) + m_channelOffset);
    window->show();
    window->setFocus(Qt::OtherFocusReason);
}
