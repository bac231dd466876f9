#include "TransmitProgressIEditorExtensions.h"
#include "DialogsEditorRegistry.h"

TransmitProgressIEditorExtensions::TransmitProgressIEditorExtensions(const TDialogsAddOnLink& addOn,
                                                                     IClientServices* services,
                                                                     ITransmitAction* action, QWidget* parent,
                                                                     const char* name, const QString& caption)
    : DialogsIEditorExtensions<TransmittingDialog>(addOn, services, parent, name, caption), m_action(action)
{
}

int32_t TransmitProgressIEditorExtensions::EX_execute()
{
    transmit();
    return NS_MPStatus::ok;
}

void TransmitProgressIEditorExtensions::startTransmit()
{
    if (m_action)
        m_action->Transmit(memapi());
}

namespace {

QWidget* createMonitorEditVoice(const TDialogsCreateContext& c)
{
    return new TransmitProgressIEditorExtensions(c.addOn, c.services, new MonitorEditVoiceAction, c.parent, nullptr,
                                                 QStringLiteral("Transmitting"));
}

QWidget* createMonitorVoice(const TDialogsCreateContext& c)
{
    return new TransmitProgressIEditorExtensions(c.addOn, c.services, new MonitorVoiceAction, c.parent, nullptr,
                                                 QStringLiteral("Transmitting"));
}

const DialogsEditorRegistration editVoice(NS_DialogsIds::kMonitorEditVoice, NS_DialogsIds::kMonitorEditVoice,
                                          &createMonitorEditVoice);
const DialogsEditorRegistration voice(NS_DialogsIds::kMonitorVoice, NS_DialogsIds::kMonitorVoice,
                                      &createMonitorVoice);

} // namespace
