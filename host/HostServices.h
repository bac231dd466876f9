#pragma once
// The host IUnknown handed to MPConnect, with the services the component asks it
// for: the connection point of its notification sink, the port list, the port
// assignments and the client information.
#include "HostCounted.h"
#include "HostMidiPorts.h"
#include <QString>
#include <QUuid>
#include <map>
#include <mutex>
#include <vector>

namespace NS_Host {

class HostConnectionPoint : public HostCounted<IConnectionPoint>
{
public:
    ~HostConnectionPoint();
    int32_t Advise(IUnknown* sink, uint32_t* cookie) override;
    int32_t Unadvise(uint32_t cookie) override;
    // Every advised sink that answers the interface gets the message.
    void notifyAll(const tagMPMSG& message);
    int advisedCount() const;

private:
    mutable std::mutex m_mutex;
    std::map<uint32_t, IUnknown*> m_sinks;
    uint32_t m_next = 1;
};

class HostPortList : public HostCounted<IMPPortListService>
{
public:
    explicit HostPortList(HostMidiPorts& ports) : m_ports(ports) {}
    int32_t MPGetPortList(bool output, tagMPPORTDATA* list) override;

private:
    HostMidiPorts& m_ports;
};

class HostPortAssign : public HostCounted<IMPPortAssignService>
{
public:
    struct Assignment
    {
        QUuid port;
        QString name;
        int32_t pair;
    };
    int32_t MPReserved3() override { return NS_MPStatus::notImplemented; }
    int32_t MPReserved4() override { return NS_MPStatus::notImplemented; }
    int32_t MPReserved5() override { return NS_MPStatus::notImplemented; }
    int32_t MPReserved6() override { return NS_MPStatus::notImplemented; }
    int32_t MPAssignPort(int32_t operation, const Y_GUID* port, const uint16_t* name,
                         const Y_GUID* classId, IUnknown* component, int32_t pair) override;
    // The ports the editor uses now.
    std::vector<Assignment> assignments() const;

private:
    mutable std::mutex m_mutex;
    std::vector<Assignment> m_assigned;
};

class HostClientInfo : public HostCounted<IMPClientInfo>
{
};

class HostServices : public HostCounted<IUnknown>
{
public:
    explicit HostServices(HostMidiPorts& ports) : m_portList(ports) {}
    int32_t QueryInterface(const Y_GUID& iid, void** object) override;

    HostConnectionPoint& sinkPoint() { return m_sinkPoint; }
    HostPortAssign& portAssign() { return m_portAssign; }
    // References the component still holds on any of these objects.
    int outstandingReferences() const;

private:
    class Container : public HostCounted<IConnectionPointContainer>
    {
    public:
        explicit Container(HostServices& owner) : m_owner(owner) {}
        int32_t FindConnectionPoint(const Y_GUID& iid, IConnectionPoint** point) override;

    private:
        HostServices& m_owner;
    };

    Container m_container{*this};
    HostConnectionPoint m_sinkPoint;
    HostPortList m_portList;
    HostPortAssign m_portAssign;
    HostClientInfo m_clientInfo;
};

} // namespace NS_Host
