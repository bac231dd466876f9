#include "HostEventQueue.h"
#include <cstdlib>
#include <cstring>

namespace NS_Host {

HostEventQueue::~HostEventQueue()
{
    for (tagMPEVENT& e : m_events) {
        if (e.kind & NS_MPEventKind::payloadMask)
            std::free(e.data.sysex);
    }
}

tagMPQSTATUS HostEventQueue::eventsWaiting()
{
    tagMPQSTATUS s;
    std::memset(&s, 0, sizeof s);
    s.flags = MPQSTATUS_EVENTS_WAITING;
    return s;
}

int32_t HostEventQueue::MPGetFirstEvent(uint32_t* got, tagMPEVENT* event, uint32_t* more, uint32_t mask)
{
    return next(got, event, more, mask);
}

int32_t HostEventQueue::MPGetNextEvent(uint32_t* got, tagMPEVENT* event, uint32_t* more, uint32_t mask)
{
    return next(got, event, more, mask);
}

int32_t HostEventQueue::next(uint32_t* got, tagMPEVENT* event, uint32_t* more, uint32_t mask)
{
    if (!got || !event || !more)
        return NS_MPStatus::invalidArgument;
    // Events of kinds outside the mask stay with the host.
    while (!m_events.empty() && !(m_events.front().kind & mask)) {
        tagMPEVENT& e = m_events.front();
        if (e.kind & NS_MPEventKind::payloadMask)
            std::free(e.data.sysex);
        m_events.pop_front();
    }
    if (m_events.empty()) {
        *got = 0;
        *more = 0;
        return NS_MPStatus::ok;
    }
    *event = m_events.front();
    m_events.pop_front();
    *got = 1;
    *more = m_events.empty() ? 0 : 1;
    return NS_MPStatus::ok;
}

} // namespace NS_Host
