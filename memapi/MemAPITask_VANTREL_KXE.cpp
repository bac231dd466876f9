#include "memapi/MemAPITask_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "memapi/TObserverProxy_VANTREL_KXE.h"
#include "utilities/Atomic.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

MemAPITask_VANTREL_KXE::MemAPITask_VANTREL_KXE(IMemAPI* api)
    : m_api(api)
{
}

MemAPITask_VANTREL_KXE::~MemAPITask_VANTREL_KXE() = default;

void MemAPITask_VANTREL_KXE::run() {}
void MemAPITask_VANTREL_KXE::processSingleElement(int) {}

void MemAPITask_VANTREL_KXE::alert()
{
    QMutexLocker locker(&m_mutex);
    InterlockedExchangeAdd(&m_wake, 1);
    m_condition.wakeAll();
}

bool MemAPITask_VANTREL_KXE::wakeRequest() const
{
    return InterlockedExchangeAdd(const_cast<int32_t*>(&m_wake), 0) > 0;
}

void MemAPITask_VANTREL_KXE::requestTermination()
{
    m_terminate = true;
    alert();
    alert();
}

bool MemAPITask_VANTREL_KXE::waitForWork(int timeoutMs)
{
    QMutexLocker locker(&m_mutex);
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    while (!m_terminate && m_wake <= 0) {
        if (!m_condition.wait(&m_mutex, deadline))
            break;
    }
    if (m_terminate)
        return false;
    m_wake = 0;
    return true;
}

bool MemAPITask_VANTREL_KXE::alertProxy(short element, short parameter, short channel)
{
    if (!m_api)
        return false;
    bool activated = false;
    m_api->MAPI_lock(true);
    const uint32_t key = uint32_t(element) << 22 | (uint32_t(parameter) & 0xFFFFFF) << 11
                         | uint32_t(channel);
    TObserverProxy_VANTREL_KXE* observer = m_api->MAPI_findObserver(key, nullptr);
    if (observer && m_api->MAPI_blocked() != 0) {
        observer->activate(nullptr);
        activated = true;
    }
    m_api->MAPI_lock(false);
    return activated;
}
