#pragma once
// Lock-free byte ring for exactly one writer thread and one reader thread.
#include "vantrel_kxe21_utilities_export.h"
#include <atomic>
#include <cstdint>
#include <memory>

class VANTREL_UTILITIES_EXPORT CircularBuffer
{
public:
    explicit CircularBuffer(int64_t size);
    ~CircularBuffer();
    CircularBuffer(const CircularBuffer&) = delete;
    CircularBuffer& operator=(const CircularBuffer&) = delete;

    // Writer thread only. Copies at most the free space; n <= 0 takes nothing.
    int64_t write(const unsigned char* src, int64_t n);
    // Reader thread only. Copies out at most avail() bytes; a null dst discards them.
    int64_t read(unsigned char* dst, int64_t n);

    int64_t avail() const;
    int64_t space() const;
    int64_t head() const;
    int64_t tail() const;
    int64_t size() const { return m_size; }
    // Reader thread: the next n readable bytes when they lie unwrapped in the block, else null.
    const void* contiguous(int64_t n) const;

private:
    std::atomic<int64_t> m_head{0};
    std::atomic<int64_t> m_tail{0};
    std::atomic<int64_t> m_count{0};
    std::unique_ptr<unsigned char[]> m_data;
    int64_t m_size;
};
