#include "EventPusher.h"
#include "MIDIIntake.h"
#include <QMutexLocker>

EventPusher::EventPusher(TMIDIIntake_VANTREL_KXE& intake) : m_intake(intake)
{
}

void EventPusher::requestWakeup()
{
    QMutexLocker lock(&m_wakeMutex);
    m_woken = true;
    m_wake.wakeAll();
}

void EventPusher::requestTermination()
{
    QMutexLocker lock(&m_wakeMutex);
    m_terminate = true;
    m_wake.wakeAll();
}

void EventPusher::run()
{
    QMutexLocker lock(&m_wakeMutex);
    for (;;) {
        while (!m_woken && !m_terminate)
            m_wake.wait(&m_wakeMutex);
        if (m_terminate)
            return;
        // Cleared before the batch: a wake-up during it runs another batch.
        m_woken = false;
        lock.unlock();
        m_intake.pushEvents();
        lock.relock();
    }
}
