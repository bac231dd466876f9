#pragma once
// The MIDI pump thread: woken by the host thread after it queued events, it hands
// them to the port bridges in batches (TMIDIIntake_VANTREL_KXE::pushEvents).
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <atomic>

class TMIDIIntake_VANTREL_KXE;

class EventPusher : public QThread
{
    Q_OBJECT
public:
    explicit EventPusher(TMIDIIntake_VANTREL_KXE& intake);

    // Any thread. The wake mutex is held only to set the flag, never while a batch is
    // delivered, so the host thread does not wait for the memory API.
    void requestWakeup();
    void requestTermination();
    bool isTerminate() const { return m_terminate.load(); }

protected:
    void run() override;

private:
    TMIDIIntake_VANTREL_KXE& m_intake;
    std::atomic<bool> m_terminate{false};
    QMutex m_wakeMutex;
    QWaitCondition m_wake;
    bool m_woken = false;
};
