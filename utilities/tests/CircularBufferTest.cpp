#include "utilities/CircularBuffer.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

namespace {
std::vector<unsigned char> bytes(int from, int n)
{
    std::vector<unsigned char> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = static_cast<unsigned char>(from + i);
    return v;
}
} // namespace

TEST(CircularBuffer, WriteTakesAtMostTheFreeSpace)
{
    CircularBuffer ring(8);
    const auto src = bytes(0, 10);
    EXPECT_EQ(ring.write(src.data(), 10), 8);
    EXPECT_EQ(ring.avail(), 8);
    EXPECT_EQ(ring.space(), 0);
    EXPECT_EQ(ring.write(src.data(), 1), 0);
    unsigned char out[8] = {};
    EXPECT_EQ(ring.read(out, 1), 1);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(ring.write(src.data() + 8, 2), 1);
    EXPECT_EQ(ring.read(out, 8), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i], i + 1);
}

TEST(CircularBuffer, WriteReachingTheEndLeavesHeadAtZero)
{
    CircularBuffer ring(8);
    const auto src = bytes(0, 8);
    EXPECT_EQ(ring.write(src.data(), 5), 5);
    EXPECT_EQ(ring.head(), 5);
    EXPECT_EQ(ring.write(src.data(), 3), 3);
    EXPECT_EQ(ring.head(), 0);
    unsigned char out[8];
    EXPECT_EQ(ring.read(out, 8), 8);
    EXPECT_EQ(ring.tail(), 0);
}

TEST(CircularBuffer, NullTargetDiscards)
{
    CircularBuffer ring(8);
    const auto src = bytes(10, 5);
    ring.write(src.data(), 5);
    EXPECT_EQ(ring.read(nullptr, 3), 3);
    EXPECT_EQ(ring.avail(), 2);
    unsigned char out[4] = {};
    EXPECT_EQ(ring.read(out, 4), 2);
    EXPECT_EQ(out[0], 13);
    EXPECT_EQ(out[1], 14);
}

TEST(CircularBuffer, ContiguousOnlyForUnwrappedReadyBytes)
{
    CircularBuffer ring(8);
    const auto src = bytes(0, 8);
    ring.write(src.data(), 6);
    ring.read(nullptr, 6); // tail 6
    EXPECT_EQ(ring.write(src.data(), 4), 4);
    EXPECT_EQ(ring.contiguous(4), nullptr);
    const auto* two = static_cast<const unsigned char*>(ring.contiguous(2));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two[0], 0);
    EXPECT_EQ(two[1], 1);
    EXPECT_EQ(ring.avail(), 4); // contiguous moves nothing
    ring.read(nullptr, 4);
    EXPECT_EQ(ring.contiguous(4), nullptr);
    EXPECT_EQ(ring.contiguous(1), nullptr);
}

TEST(CircularBuffer, NonPositiveCountsTakeNothing)
{
    CircularBuffer ring(4);
    const auto src = bytes(0, 4);
    unsigned char out[4];
    EXPECT_EQ(ring.write(src.data(), 0), 0);
    EXPECT_EQ(ring.write(src.data(), -3), 0);
    EXPECT_EQ(ring.write(nullptr, 2), 0);
    EXPECT_EQ(ring.avail(), 0);
    ring.write(src.data(), 2);
    EXPECT_EQ(ring.read(out, 0), 0);
    EXPECT_EQ(ring.read(out, -1), 0);
    EXPECT_EQ(ring.contiguous(-1), nullptr);
    EXPECT_EQ(ring.avail(), 2);
    EXPECT_EQ(ring.head(), 2);
    EXPECT_EQ(ring.tail(), 0);
}

TEST(CircularBuffer, EmptyRingTakesNothing)
{
    CircularBuffer ring(0);
    const unsigned char b = 1;
    EXPECT_EQ(ring.size(), 0);
    EXPECT_EQ(ring.write(&b, 1), 0);
    EXPECT_EQ(ring.read(nullptr, 1), 0);
    CircularBuffer negative(-5);
    EXPECT_EQ(negative.size(), 0);
    EXPECT_EQ(negative.space(), 0);
}

TEST(CircularBuffer, NumberedStreamThroughSevenByteRingArrivesWholeAndInOrder)
{
    CircularBuffer ring(7);
    constexpr uint32_t kTotal = 2000000;
    std::atomic<bool> failed{false};
    std::thread writer([&] {
        uint32_t next = 0;
        unsigned chunk = 1;
        unsigned char buf[9];
        while (next < kTotal && !failed.load(std::memory_order_relaxed)) {
            const unsigned n = std::min<unsigned>(chunk, kTotal - next);
            for (unsigned i = 0; i < n; ++i)
                buf[i] = static_cast<unsigned char>((next + i) % 251);
            const int64_t taken = ring.write(buf, n);
            if (taken < 0 || taken > int64_t(n)) {
                failed = true;
                break;
            }
            next += uint32_t(taken);
            chunk = chunk % 9 + 1;
            if (taken == 0)
                std::this_thread::yield();
        }
    });
    uint32_t expected = 0;
    unsigned want = 3;
    unsigned char buf[9];
    while (expected < kTotal && !failed.load()) {
        const int64_t got = ring.read(buf, want);
        if (got < 0 || got > int64_t(want)) {
            failed = true;
            break;
        }
        for (int64_t i = 0; i < got; ++i) {
            if (buf[i] != static_cast<unsigned char>(expected % 251)) {
                failed = true;
                break;
            }
            ++expected;
        }
        want = want % 8 + 1;
        if (got == 0)
            std::this_thread::yield();
    }
    failed = failed.load() || expected != kTotal;
    writer.join();
    EXPECT_FALSE(failed.load());
    EXPECT_EQ(expected, kTotal);
    EXPECT_EQ(ring.avail(), 0);
}
