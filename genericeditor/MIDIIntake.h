#pragma once
// Incoming host MIDI: the host thread takes the events for the bridges' input ports
// from the host's queue into a ring of 1024 records; a pump thread of the highest
// priority hands them, as MIDI bytes, to the bridges and so to the memory API, which
// it holds locked for each batch. The host thread never calls the memory API.
//
// Locks: the intake's own mutex is taken after the memory-API lock, never before it;
// then the ring's. The pump snapshots the bridges once per batch under the memory-API
// lock: the component must clear and delete bridges with that lock held. The pump
// holds no reference to the memory API: the component takes it away (which waits for
// a batch in progress) before it releases the memory API.
#include "genericeditor/interfaces/HostInterfaces.h"
#include <QRecursiveMutex>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

class EventPusher;
class IMemAPI;
class MPEventBuffer;
class TInputOutput_VANTREL_KXE;

class TMIDIIntake_VANTREL_KXE
{
public:
    static constexpr uint32_t kRingSize = 1024;

    TMIDIIntake_VANTREL_KXE();
    // Disables, ends the pump and frees every queued payload.
    ~TMIDIIntake_VANTREL_KXE();
    TMIDIIntake_VANTREL_KXE(const TMIDIIntake_VANTREL_KXE&) = delete;
    TMIDIIntake_VANTREL_KXE& operator=(const TMIDIIntake_VANTREL_KXE&) = delete;

    // Any thread, with neither the memory-API lock nor anything the pump waits for
    // held. Null returns once the pump has let go of the old memory API: a batch in
    // progress has ended, and none starts with it.
    void setMemAPI(IMemAPI* api);
    IMemAPI* memAPI() const { return m_memAPI.load(); }

    // Any thread, under the intake's mutex. Null entries are skipped.
    void setBridges(const std::vector<TInputOutput_VANTREL_KXE*>& bridges);
    void clearBridges();
    std::vector<TInputOutput_VANTREL_KXE*> bridges() const;

    // Host thread. Takes the waiting events of the queue: each event on a bridge's
    // input port is queued once, the others are dropped and their payloads freed.
    // 0, or 0x80000008 without a memory API.
    int32_t onEvents(IMPEventQueue* queue, const tagMPQSTATUS& status);

    // Any thread, under the intake's mutex. Disabling frees every queued event.
    void setEnable(bool enable);
    bool isEnable() const;

    // Pump thread. Delivers the queued events while enabled, memory API locked.
    void pushEvents();
    // Pump thread. Hands one event to every bridge whose input port it came from.
    static void pushEvent(const tagMPEVENT& record,
                          const std::vector<TInputOutput_VANTREL_KXE*>& bridges);

    // Ends the pump: two bounded waits, then, logged, as long as it takes (the pump
    // is never deleted while it runs).
    void stopPump();

    // Events handed to the bridges so far. Any thread.
    uint64_t delivered() const { return m_delivered.load(); }

    // Null until the first accepted onEvents.
    MPEventBuffer* ring() const { return m_ring.get(); }
    EventPusher* pump() const { return m_pump.get(); }

private:
    void startOnce();
    // Pump thread: the memory API for one batch (null: no batch), given back by
    // endBatch.
    IMemAPI* beginBatch();
    void endBatch();

    std::vector<TInputOutput_VANTREL_KXE*> m_bridges;
    std::atomic<IMemAPI*> m_memAPI{nullptr};
    // Guards the pump's use of the memory API against its removal; held only briefly,
    // never with the memory-API lock or the intake's mutex.
    std::mutex m_batchMutex;
    std::condition_variable m_batchEnded;
    bool m_inBatch = false;
    bool m_enabled = false;
    mutable QRecursiveMutex m_mutex;
    std::unique_ptr<MPEventBuffer> m_ring;
    std::unique_ptr<EventPusher> m_pump;
    std::atomic<uint64_t> m_delivered{0};
};
