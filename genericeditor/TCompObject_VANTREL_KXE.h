#pragma once
// A component object: one host interface on the shared reference-counting frame.
#include "TCompFrame_VANTREL_KXE.h"

template <class Interface>
class TCompObject_VANTREL_KXE : public Interface, public TCompFrame_VANTREL_KXE
{
public:
    TCompObject_VANTREL_KXE(const Y_GUID& iid, IUnknown* outer, const Y_GUID& factoryId,
                            bool registration)
        : TCompFrame_VANTREL_KXE(outer, factoryId, registration), m_iid(iid)
    {
    }

    int32_t QueryInterface(const Y_GUID& iid, void** out) override
    {
        return frameQueryInterface(iid, out);
    }
    uint32_t AddRef() override { return frameAddRef(); }
    uint32_t Release() override { return frameRelease(); }

    int32_t NonDelegatingQueryInterface(const Y_GUID& iid, void** out) override
    {
        if (!out)
            return NS_MPStatus::invalidArgument;
        if (iid == NS_HostIds::IID_IUnknown || iid == m_iid) {
            Interface* self = this;
            self->AddRef();
            *out = self;
            return NS_MPStatus::ok;
        }
        *out = nullptr;
        return NS_MPStatus::noInterface;
    }

    const Y_GUID& interfaceId() const { return m_iid; }

protected:
    ~TCompObject_VANTREL_KXE() override = default;

private:
    const Y_GUID m_iid;
};
