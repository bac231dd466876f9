#include "HostServices.h"
#include "HostGuid.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace NS_Host {

HostConnectionPoint::~HostConnectionPoint()
{
    for (auto& [cookie, sink] : m_sinks)
        sink->Release();
}

int32_t HostConnectionPoint::Advise(IUnknown* sink, uint32_t* cookie)
{
    if (!sink || !cookie)
        return NS_MPStatus::invalidArgument;
    std::lock_guard<std::mutex> lock(m_mutex);
    sink->AddRef();
    *cookie = m_next++;
    m_sinks[*cookie] = sink;
    return NS_MPStatus::ok;
}

int32_t HostConnectionPoint::Unadvise(uint32_t cookie)
{
    IUnknown* sink = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_sinks.find(cookie);
        if (it == m_sinks.end())
            return NS_MPStatus::failure;
        sink = it->second;
        m_sinks.erase(it);
    }
    sink->Release();
    return NS_MPStatus::ok;
}

void HostConnectionPoint::notifyAll(const tagMPMSG& message)
{
    std::vector<IUnknown*> sinks;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto& [cookie, sink] : m_sinks) {
            sink->AddRef();
            sinks.push_back(sink);
        }
    }
    for (IUnknown* sink : sinks) {
        void* object = nullptr;
        if (sink->QueryInterface(NS_HostIds::IID_IMPNotificationSink, &object) == 0 && object) {
            auto* notification = static_cast<IMPNotificationSink*>(object);
            notification->MPNotify(message);
            notification->Release();
        }
        sink->Release();
    }
}

int HostConnectionPoint::advisedCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_sinks.size());
}

int32_t HostPortList::MPGetPortList(bool output, tagMPPORTDATA* list)
{
    if (!list)
        return NS_MPStatus::invalidArgument;
    const std::vector<HostPort> ports = m_ports.ports(output);
    list->count = 0;
    list->entries = nullptr;
    if (ports.empty())
        return NS_MPStatus::ok;
    list->entries = static_cast<tagMPPORTENTRY*>(std::calloc(ports.size(), sizeof(tagMPPORTENTRY)));
    if (!list->entries)
        return NS_MPStatus::outOfMemory;
    for (size_t i = 0; i < ports.size(); ++i) {
        tagMPPORTENTRY& e = list->entries[i];
        e.portNumber = ports[i].number;
        e.portId = toGuid(ports[i].identity);
        const size_t units = size_t(ports[i].name.size()) + 1;
        e.portName = static_cast<unsigned short*>(std::malloc(units * sizeof(unsigned short)));
        if (e.portName)
            std::memcpy(e.portName, ports[i].name.utf16(), units * sizeof(unsigned short));
        list->count = int32_t(i + 1);
    }
    return NS_MPStatus::ok;
}

int32_t HostPortAssign::MPAssignPort(int32_t operation, const Y_GUID* port, const uint16_t* name,
                                     const Y_GUID*, IUnknown*, int32_t pair)
{
    // The name passes to the host with the call.
    const QString text = name ? QString::fromUtf16(reinterpret_cast<const char16_t*>(name)) : QString();
    std::free(const_cast<uint16_t*>(name));
    if (!port)
        return NS_MPStatus::invalidArgument;
    const QUuid id = toUuid(*port);
    std::lock_guard<std::mutex> lock(m_mutex);
    auto same = [&](const Assignment& a) { return a.port == id && a.pair == pair; };
    switch (operation) {
    case NS_MPPortAssign::add:
    case NS_MPPortAssign::change:
        if (std::find_if(m_assigned.begin(), m_assigned.end(), same) == m_assigned.end())
            m_assigned.push_back({id, text, pair});
        return NS_MPStatus::ok;
    case NS_MPPortAssign::remove:
        m_assigned.erase(std::remove_if(m_assigned.begin(), m_assigned.end(), same), m_assigned.end());
        return NS_MPStatus::ok;
    default:
        return NS_MPStatus::invalidArgument;
    }
}

std::vector<HostPortAssign::Assignment> HostPortAssign::assignments() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_assigned;
}

int32_t HostServices::Container::FindConnectionPoint(const Y_GUID& iid, IConnectionPoint** point)
{
    if (!point)
        return NS_MPStatus::invalidArgument;
    *point = nullptr;
    if (iid != NS_HostIds::IID_IMPNotificationSink)
        return NS_MPStatus::noInterface;
    m_owner.m_sinkPoint.AddRef();
    *point = &m_owner.m_sinkPoint;
    return NS_MPStatus::ok;
}

int32_t HostServices::QueryInterface(const Y_GUID& iid, void** object)
{
    if (!object)
        return NS_MPStatus::invalidArgument;
    IUnknown* answer = nullptr;
    if (iid == NS_HostIds::IID_IUnknown)
        answer = this;
    else if (iid == NS_HostIds::IID_IConnectionPointContainer)
        answer = &m_container;
    else if (iid == NS_HostIds::IID_IMPPortListService)
        answer = &m_portList;
    else if (iid == NS_HostIds::IID_IMPPortAssignService)
        answer = &m_portAssign;
    else if (iid == NS_HostIds::IID_IMPClientInfo)
        answer = &m_clientInfo;
    if (!answer) {
        *object = nullptr;
        return NS_MPStatus::noInterface;
    }
    answer->AddRef();
    *object = answer;
    return NS_MPStatus::ok;
}

int HostServices::outstandingReferences() const
{
    return references() + m_container.references() + m_sinkPoint.references()
           + m_portList.references() + m_portAssign.references() + m_clientInfo.references();
}

} // namespace NS_Host
