#pragma once
// The host's queue of incoming events for one MPOnEvents call. A payload handed out
// belongs to the component; what it leaves is freed with the queue.
#include "HostCounted.h"
#include <deque>

namespace NS_Host {

class HostEventQueue : public HostCounted<IMPEventQueue>
{
public:
    HostEventQueue() = default;
    ~HostEventQueue();
    HostEventQueue(const HostEventQueue&) = delete;
    HostEventQueue& operator=(const HostEventQueue&) = delete;

    void push(const tagMPEVENT& event) { m_events.push_back(event); }
    bool empty() const { return m_events.empty(); }
    size_t size() const { return m_events.size(); }
    static tagMPQSTATUS eventsWaiting();

    int32_t MPReserved3() override { return NS_MPStatus::notImplemented; }
    int32_t MPGetFirstEvent(uint32_t* got, tagMPEVENT* event, uint32_t* more, uint32_t mask) override;
    int32_t MPGetNextEvent(uint32_t* got, tagMPEVENT* event, uint32_t* more, uint32_t mask) override;

private:
    int32_t next(uint32_t* got, tagMPEVENT* event, uint32_t* more, uint32_t mask);
    std::deque<tagMPEVENT> m_events;
};

} // namespace NS_Host
