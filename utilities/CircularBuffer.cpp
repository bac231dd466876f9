#include "CircularBuffer.h"
#include <algorithm>
#include <cstring>

CircularBuffer::CircularBuffer(int64_t size)
    : m_data(new unsigned char[size > 0 ? size : 1]()), m_size(size > 0 ? size : 0)
{
}

CircularBuffer::~CircularBuffer() = default;

int64_t CircularBuffer::write(const unsigned char* src, int64_t n)
{
    if (n <= 0 || !src)
        return 0;
    n = std::min(n, space());
    int64_t head = m_head.load(std::memory_order_relaxed);
    int64_t remaining = n;
    while (remaining > 0) {
        const int64_t piece = std::min(remaining, m_size - head);
        std::memcpy(m_data.get() + head, src, size_t(piece));
        head += piece;
        if (head == m_size)
            head = 0;
        remaining -= piece;
        src += piece;
    }
    m_head.store(head, std::memory_order_relaxed);
    // The count moves last, so the reader never sees bytes that are not in place.
    m_count.fetch_add(n, std::memory_order_release);
    return n;
}

int64_t CircularBuffer::read(unsigned char* dst, int64_t n)
{
    if (n <= 0)
        return 0;
    n = std::min(n, avail());
    int64_t tail = m_tail.load(std::memory_order_relaxed);
    int64_t remaining = n;
    while (remaining > 0) {
        const int64_t piece = std::min(remaining, m_size - tail);
        if (dst) {
            std::memcpy(dst, m_data.get() + tail, size_t(piece));
            dst += piece;
        }
        tail += piece;
        if (tail == m_size)
            tail = 0;
        remaining -= piece;
    }
    m_tail.store(tail, std::memory_order_relaxed);
    // Space is given back only after the copy out is done.
    m_count.fetch_sub(n, std::memory_order_release);
    return n;
}

int64_t CircularBuffer::avail() const { return m_count.load(std::memory_order_acquire); }
int64_t CircularBuffer::space() const { return m_size - avail(); }
int64_t CircularBuffer::head() const { return m_head.load(std::memory_order_relaxed); }
int64_t CircularBuffer::tail() const { return m_tail.load(std::memory_order_relaxed); }

const void* CircularBuffer::contiguous(int64_t n) const
{
    const int64_t tail = m_tail.load(std::memory_order_relaxed);
    if (n <= 0 || avail() < n || tail + n > m_size)
        return nullptr;
    return m_data.get() + tail;
}
