#include "ConnectionAdvise.h"
#include "genericeditor/interfaces/HostInterfaces.h"

namespace {
IConnectionPoint* findPoint(IUnknown* host, const Y_GUID& iid)
{
    if (!host)
        return nullptr;
    void* object = nullptr;
    if (host->QueryInterface(NS_HostIds::IID_IConnectionPointContainer, &object) < 0 || !object)
        return nullptr;
    auto* container = static_cast<IConnectionPointContainer*>(object);
    IConnectionPoint* point = nullptr;
    if (container->FindConnectionPoint(iid, &point) < 0)
        point = nullptr;
    container->Release();
    return point;
}
} // namespace

namespace NS_Connection {

bool ConnectionAdvise(IUnknown* host, const Y_GUID& iid, IUnknown* sink, bool keepReference,
                      uint32_t* cookie)
{
    if (!sink || !cookie)
        return false;
    *cookie = 0;
    IConnectionPoint* point = findPoint(host, iid);
    if (!point)
        return false;
    const bool advised = point->Advise(sink, cookie) >= 0 && *cookie != 0;
    if (advised && !keepReference)
        sink->Release();
    point->Release();
    return advised;
}

bool ConnectionUnadvise(IUnknown* host, const Y_GUID& iid, IUnknown* sink, bool keepReference,
                        uint32_t cookie)
{
    IConnectionPoint* point = findPoint(host, iid);
    if (!point)
        return false;
    // Unadvise drops the point's reference; one given back at Advise is restored first.
    if (!keepReference && sink)
        sink->AddRef();
    const bool done = point->Unadvise(cookie) >= 0;
    point->Release();
    return done;
}

} // namespace NS_Connection
