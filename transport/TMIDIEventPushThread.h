#pragma once
// Hands complete system-exclusive messages from the MIDI thread to the transport's
// observers, so that a long message never holds up the MIDI thread.
#include "utilities/CircularBuffer.h"
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>

class TMIDITransport;
struct TMIDIEvent;

class TMIDIEventPushThread : public QThread
{
public:
    explicit TMIDIEventPushThread(TMIDITransport* transport);
    // After the thread has ended: frees the messages still in the ring.
    ~TMIDIEventPushThread() override;

    // The one writer thread (the MIDI thread, under the transport's lock). Takes
    // ownership. A full ring drops and frees the message: false.
    bool pushEvent(TMIDIEvent* event);
    // Any thread. The thread ends after the message it is delivering, if any.
    void requestStop();

    // Pointers travel whole: one ring entry is exactly one pointer.
    static constexpr int64_t kEntrySize = int64_t(sizeof(TMIDIEvent*));
    static constexpr int64_t kRingSize = 16384;

protected:
    void run() override;

private:
    void freeQueued();

    TMIDITransport* m_transport;
    std::atomic<bool> m_stop{false};
    std::mutex m_wakeMutex; // only makes the wait and the wake-up safe against each other
    std::condition_variable m_wake;
    CircularBuffer m_ring;
};
