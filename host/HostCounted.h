#pragma once
// Reference counting of the host's own objects. They are members of the host and
// outlive every reference the component takes; the count is kept so that the host
// can tell, at the end, that the component gave back everything it took.
#include "genericeditor/interfaces/HostInterfaces.h"
#include <atomic>

namespace NS_Host {

template <class Interface>
class HostCounted : public Interface
{
public:
    uint32_t AddRef() override { return uint32_t(++m_refs); }
    uint32_t Release() override { return uint32_t(--m_refs); }
    int32_t QueryInterface(const Y_GUID& iid, void** object) override
    {
        if (!object)
            return NS_MPStatus::invalidArgument;
        if (iid == NS_HostIds::IID_IUnknown) {
            AddRef();
            *object = static_cast<IUnknown*>(this);
            return NS_MPStatus::ok;
        }
        *object = nullptr;
        return NS_MPStatus::noInterface;
    }
    // References the component holds now.
    int references() const { return m_refs.load(); }

protected:
    ~HostCounted() = default;

private:
    std::atomic<int> m_refs{0};
};

} // namespace NS_Host
