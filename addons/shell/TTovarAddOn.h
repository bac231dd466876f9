#pragma once
// The add-on object every view add-on builds on: reference counting with aggregation,
// the client services kept at initialisation, the description records and the window
// lookup the view add-ons share. Each view library derives its one add-on class from it
// (LayerAddOn, CommonDetailAddOn, PartDetailAddOn) and gives the editor table and the
// windows.
//
// AddRef, Release and QueryInterface may be called on any thread; everything else runs
// on the GUI thread.
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include <QUuid>
#include <atomic>
#include <memory>

class IClientServices;
class QObject;
class TTovarAddOn;

// What a window keeps of the add-on that made it. Windows may outlive their add-on
// object (the component releases its add-ons while hidden windows still exist), so a
// window asks here each time and gets null once the add-on is gone.
class TAddOnLink
{
public:
    TAddOnLink() = default;
    explicit TAddOnLink(std::shared_ptr<std::atomic<TTovarAddOn*>> state) : m_state(std::move(state)) {}

    // GUI thread: the add-on is deleted there, so the answer holds until the next
    // turn of the event loop.
    TTovarAddOn* get() const { return m_state ? m_state->load() : nullptr; }

private:
    std::shared_ptr<std::atomic<TTovarAddOn*>> m_state;
};

class TTovarAddOn : public IGenericEditorPluginInterface
{
public:
    // Count 1. outer: the object that aggregates this one, or null. With `registration`
    // the object counts itself as an instance of the factory until its count reaches 0.
    TTovarAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration);
    TTovarAddOn(const TTovarAddOn&) = delete;
    TTovarAddOn& operator=(const TTovarAddOn&) = delete;

    // Forwarded to the outer object when there is one, whatever state it is in: the
    // outer's memory is never read here.
    int32_t QueryInterface(const Y_GUID& iid, void** out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    // This object's own answer and count. An outer that aggregates this object keeps
    // its reference through these, so that its own count is not touched.
    int32_t NonDelegatingQueryInterface(const Y_GUID& iid, void** out);
    uint32_t NonDelegatingAddRef();
    uint32_t NonDelegatingRelease();

    // Keeps the client services (not counted). The memory API is handed to each window
    // by EX_postInitialize instead.
    int32_t GP_initialize(IMemAPI* api, IClientServices* services) override;
    int32_t GP_terminate() override;
    int32_t GP_uiEvent(unsigned int event) override;
    // 0x80000008 for null.
    int32_t GP_releaseInformation(TGP_Information* info) override;
    // The editor extensions of a window frame made by this add-on; null for any other
    // widget.
    IEditorExtensions* GP_extension(QWidget* window, int32_t* status) override;

    IClientServices* clientServices() const { return m_services; }
    // Handed to every window this add-on makes.
    TAddOnLink link() const { return TAddOnLink(m_alive); }
    // The identifier of this library's add-on, as the client services expect it.
    QUuid moduleId() const;
    virtual Y_GUID moduleGuid() const = 0;
    // Class name in reference-count traces, e.g. "LayerAddOn".
    virtual const char* traceName() const = 0;

protected:
    ~TTovarAddOn() override;

    // The library's window class inside a view frame, or null: a dynamic cast to it.
    virtual IEditorExtensions* extensionsOfView(QObject* view) const = 0;
    // A record with this add-on's module identifier and the construction values.
    TGP_Information* newInformation() const;

private:
    int32_t m_refs = 1; // changed by interlocked adds only
    IUnknown* const m_outer;
    QUuid m_factoryId; // null unless registered
    IClientServices* m_services = nullptr;
    std::shared_ptr<std::atomic<TTovarAddOn*>> m_alive;
};

namespace NS_AddOnShell {
// Writes a status through a pointer that may be null.
inline void setStatus(int32_t* status, int32_t value)
{
    if (status)
        *status = value;
}

// Made by each view library: its add-on object with count 1.
TTovarAddOn* makeAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration);
} // namespace NS_AddOnShell
