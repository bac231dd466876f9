#include "MPEventBuffer.h"
#include "MPEventMapping.h"
#include <QMutexLocker>
#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kMinimumCapacity = 16;

tagMPEVENT emptyRecord()
{
    tagMPEVENT e;
    std::memset(&e, 0, sizeof e);
    e.kind = NS_MPEventKind::empty;
    return e;
}

} // namespace

MPEventBuffer::MPEventBuffer(uint32_t capacity)
    : m_capacity(std::max(capacity, kMinimumCapacity)), m_records(m_capacity, emptyRecord())
{
}

MPEventBuffer::~MPEventBuffer()
{
    removeAll();
}

bool MPEventBuffer::pushEvent(tagMPEVENT& record)
{
    QMutexLocker lock(&m_mutex);
    if (m_count >= m_capacity) {
        releaseEvent(record);
        return false;
    }
    m_records[(m_read + m_count) % m_capacity] = record;
    ++m_count;
    return true;
}

tagMPEVENT MPEventBuffer::popEvent()
{
    QMutexLocker lock(&m_mutex);
    if (m_count == 0)
        return emptyRecord();
    tagMPEVENT& slot = m_records[m_read];
    const tagMPEVENT record = slot;
    // The payload now belongs to the caller; the slot keeps no pointer to it.
    slot = emptyRecord();
    m_read = (m_read + 1) % m_capacity;
    --m_count;
    return record;
}

void MPEventBuffer::releaseEvent(tagMPEVENT& record)
{
    NS_MPEvent::release(record);
}

void MPEventBuffer::removeAll()
{
    QMutexLocker lock(&m_mutex);
    while (m_count > 0) {
        tagMPEVENT record = popEvent();
        releaseEvent(record);
    }
}

bool MPEventBuffer::isEmpty() const
{
    QMutexLocker lock(&m_mutex);
    return m_count == 0;
}

bool MPEventBuffer::isFull() const
{
    QMutexLocker lock(&m_mutex);
    return m_count >= m_capacity;
}

uint32_t MPEventBuffer::count() const
{
    QMutexLocker lock(&m_mutex);
    return m_count;
}

uint32_t MPEventBuffer::readPoint() const
{
    QMutexLocker lock(&m_mutex);
    return m_read;
}

uint32_t MPEventBuffer::writePoint() const
{
    QMutexLocker lock(&m_mutex);
    return (m_read + m_count) % m_capacity;
}
