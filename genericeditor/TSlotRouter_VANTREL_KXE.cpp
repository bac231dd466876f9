#include "TSlotRouter_VANTREL_KXE.h"
#include "CUserInterfaceServer_VANTREL_KXE.h"
#include "utilities/WidgetUtilities.h"

TSlotRouter_VANTREL_KXE::TSlotRouter_VANTREL_KXE(quint32 editorId, TAddOnDescriptor* descriptor,
                                                 CUserInterfaceServer_VANTREL_KXE* server)
    : QObject(server), m_descriptor(descriptor), m_editorId(editorId)
{
    using Slot = void (CUserInterfaceServer_VANTREL_KXE::*)(quint32, TAddOnDescriptor*, quint32);
    connect(this, &TSlotRouter_VANTREL_KXE::trigger_editor_helper, server,
            static_cast<Slot>(&CUserInterfaceServer_VANTREL_KXE::editor_helper));
}

void TSlotRouter_VANTREL_KXE::menuActionRouter()
{
    emit trigger_editor_helper(m_editorId, m_descriptor, quint32(NS_Utilities::modifierState()));
}
