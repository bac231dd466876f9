#pragma once
// The transmitting dialog running a transmit action (a voice monitor transmission)
// instead of the multi dump. Owns the action. GUI thread.
#include "DialogsIEditorExtensions.h"
#include "ITransmitAction.h"
#include "TransmittingDialog.h"
#include <memory>

class TransmitProgressIEditorExtensions : public DialogsIEditorExtensions<TransmittingDialog>
{
public:
    // Takes over the action.
    TransmitProgressIEditorExtensions(const TDialogsAddOnLink& addOn, IClientServices* services,
                                      ITransmitAction* action, QWidget* parent, const char* name,
                                      const QString& caption);

    // transmit() instead of execute().
    int32_t EX_execute() override;
    // Runs the action with the memory API.
    void startTransmit() override;

private:
    std::unique_ptr<ITransmitAction> m_action;
};
