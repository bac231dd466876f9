#pragma once
// The editor-window side every view window shares: the second base of each view class
// (the toolkit widget comes first). It answers EX_module through the add-on link, so a
// window that outlives its add-on reports that it has none instead of handing out a
// deleted object, keeps the client services and the memory API it was bound to, and
// has no private state to save. GUI thread.
#include "TTovarAddOn.h"

class IClientServices;
class IMemAPI;

class TTovarEditorExtensions : public IEditorExtensions
{
public:
    TTovarEditorExtensions(const TAddOnLink& addOn, IClientServices* services);
    TTovarEditorExtensions(const TTovarEditorExtensions&) = delete;
    TTovarEditorExtensions& operator=(const TTovarEditorExtensions&) = delete;

    int32_t ppd_save(QVariant* out) override;
    int32_t ppd_load(const QVariant* in) override;
    // 0x80000008 without an out-pointer or once the add-on is gone (*out null).
    int32_t EX_module(IGenericEditorPluginInterface** out) override;

    // The add-on that made this window; null once it has been released.
    TTovarAddOn* addOn() const { return m_addOn.get(); }
    IClientServices* clientServices() const { return m_services; }
    IMemAPI* memapi() const { return m_memAPI; }

protected:
    ~TTovarEditorExtensions() = default;
    // Keeps the memory API; false when it is the one already kept (bind only once).
    bool attachMemAPI(IMemAPI* api);

private:
    TAddOnLink m_addOn;
    IClientServices* m_services;
    IMemAPI* m_memAPI = nullptr;
};
