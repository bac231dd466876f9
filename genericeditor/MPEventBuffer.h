#pragma once
// Ring of host MIDI events between the host's thread and the pump thread. A record in
// the ring owns its payload. Any thread; every operation takes the ring's lock.
#include "genericeditor/interfaces/HostInterfaces.h"
#include <QRecursiveMutex>
#include <cstdint>
#include <vector>

class MPEventBuffer
{
public:
    // At least 16 records.
    explicit MPEventBuffer(uint32_t capacity);
    // Frees every queued payload.
    ~MPEventBuffer();
    MPEventBuffer(const MPEventBuffer&) = delete;
    MPEventBuffer& operator=(const MPEventBuffer&) = delete;

    // Takes the record and its payload. When the ring is full the event is lost: its
    // payload is freed, `record` is marked empty and false is returned.
    bool pushEvent(tagMPEVENT& record);
    // The oldest record, now the caller's with its payload; an empty record (kind 1)
    // when there is none.
    tagMPEVENT popEvent();
    // Frees a record's payload and marks it empty.
    static void releaseEvent(tagMPEVENT& record);
    // Pops every record and frees its payload.
    void removeAll();

    bool isEmpty() const;
    bool isFull() const;
    uint32_t count() const;
    uint32_t capacity() const { return m_capacity; }
    uint32_t readPoint() const;
    uint32_t writePoint() const;

private:
    mutable QRecursiveMutex m_mutex;
    uint32_t m_read = 0;
    uint32_t m_count = 0;
    const uint32_t m_capacity;
    std::vector<tagMPEVENT> m_records;
};
