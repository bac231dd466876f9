#include "TMIDIEventPushThread.h"
#include "TMIDIEvent.h"
#include "TMIDITransport.h"
#include "TransportLogging.h"
#include <cstring>

TMIDIEventPushThread::TMIDIEventPushThread(TMIDITransport* transport)
    : m_transport(transport), m_ring(kRingSize)
{
}

TMIDIEventPushThread::~TMIDIEventPushThread()
{
    requestStop();
    wait();
    freeQueued();
}

bool TMIDIEventPushThread::pushEvent(TMIDIEvent* event)
{
    if (!event)
        return false;
    // Space only grows behind the writer's back, so this test holds for the write.
    if (m_ring.space() < kEntrySize) {
        qCWarning(lcTransport) << "push ring full; system-exclusive message of"
                               << event->data.size() << "bytes dropped";
        delete event;
        return false;
    }
    unsigned char bytes[kEntrySize];
    std::memcpy(bytes, &event, sizeof event);
    m_ring.write(bytes, kEntrySize);
    {
        // Taking the mutex orders this wake-up after the reader's last look at the ring.
        std::lock_guard<std::mutex> lock(m_wakeMutex);
    }
    m_wake.notify_all();
    return true;
}

void TMIDIEventPushThread::requestStop()
{
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_stop = true;
    }
    m_wake.notify_all();
}

void TMIDIEventPushThread::run()
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_wakeMutex);
            m_wake.wait(lock, [this] { return m_stop.load() || m_ring.avail() >= kEntrySize; });
        }
        if (m_stop)
            return;
        while (!m_stop && m_ring.avail() >= kEntrySize) {
            TMIDIEvent* event = nullptr;
            unsigned char bytes[kEntrySize];
            m_ring.read(bytes, kEntrySize);
            std::memcpy(&event, bytes, sizeof event);
            if (!event)
                continue;
            if (!m_stop)
                m_transport->doEvent(*event);
            delete event;
        }
    }
}

void TMIDIEventPushThread::freeQueued()
{
    // The writer has been detached by now; this thread is the only reader left.
    while (m_ring.avail() >= kEntrySize) {
        TMIDIEvent* event = nullptr;
        unsigned char bytes[kEntrySize];
        m_ring.read(bytes, kEntrySize);
        std::memcpy(&event, bytes, sizeof event);
        delete event;
    }
}
