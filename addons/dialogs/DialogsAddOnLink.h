#pragma once
// What a window keeps of the dialogs add-on that made it. A dialog or the toolbar may
// outlive the add-on object (the component releases its add-ons while windows still
// exist), so a window asks here each time and gets null once the add-on has gone.
#include <atomic>
#include <memory>

class DialogsAddOn;
class IGenericEditorPluginInterface;

class TDialogsAddOnLink
{
public:
    TDialogsAddOnLink() = default;
    explicit TDialogsAddOnLink(std::shared_ptr<std::atomic<DialogsAddOn*>> state) : m_state(std::move(state)) {}

    // GUI thread: the add-on is deleted there, so the answer holds until the next turn
    // of the event loop.
    DialogsAddOn* get() const { return m_state ? m_state->load() : nullptr; }
    IGenericEditorPluginInterface* addOn() const;

private:
    std::shared_ptr<std::atomic<DialogsAddOn*>> m_state;
};
