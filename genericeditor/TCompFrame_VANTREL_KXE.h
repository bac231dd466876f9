#pragma once
// The reference-counting frame every component object shares: its count, the object
// that aggregates it and, when registered, its factory in the plug-in service.
//
// An aggregated object forwards QueryInterface, AddRef and Release to its outer object,
// so that every reference the host holds counts on the outer. The outer keeps its own
// references to the aggregated objects through the non-delegating pair, which does not
// count on the outer: its last host reference therefore destroys it.
#include "genericeditor/interfaces/HostInterfaces.h"
#include <QUuid>
#include <atomic>

class TCompFrame_VANTREL_KXE
{
public:
    // Count 1. With `registration` the object counts itself as an instance of the
    // factory until it is destroyed.
    TCompFrame_VANTREL_KXE(IUnknown* outer, const Y_GUID& factoryId, bool registration);
    TCompFrame_VANTREL_KXE(const TCompFrame_VANTREL_KXE&) = delete;
    TCompFrame_VANTREL_KXE& operator=(const TCompFrame_VANTREL_KXE&) = delete;

    // The object's own answer: IUnknown and its own interface, counted; null and
    // 0x80000004 otherwise.
    virtual int32_t NonDelegatingQueryInterface(const Y_GUID& iid, void** out) = 0;
    // Any thread, atomic. Count on this object only, whatever the outer.
    uint32_t NonDelegatingAddRef();
    uint32_t NonDelegatingRelease();

    IUnknown* outer() const { return m_outer; }
    int32_t useCount() const { return m_refs.load(); }

protected:
    virtual ~TCompFrame_VANTREL_KXE();

    // Forwarded to the outer when there is one.
    int32_t frameQueryInterface(const Y_GUID& iid, void** out);
    uint32_t frameAddRef();
    uint32_t frameRelease();

    // Runs once at the count's zero; deletes the object unless the class defers it.
    virtual void destroy();

private:
    std::atomic<int32_t> m_refs{1};
    IUnknown* const m_outer;
    QUuid m_factoryId; // null unless registered
};
