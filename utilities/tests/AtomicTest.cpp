#include "utilities/Atomic.h"
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

template <typename T>
struct Guarded
{
    T before;
    T value;
    T after;
};

constexpr int kThreads = 8;
constexpr int kAdds = 50000;

} // namespace

TEST(InterlockedExchangeAdd, ReadAndResetOf32BitField)
{
    int32_t v = 42;
    EXPECT_EQ(InterlockedExchangeAdd(&v, 0), 42);
    EXPECT_EQ(v, 42);
    EXPECT_EQ(InterlockedExchangeAdd(&v, -v), 42);
    EXPECT_EQ(v, 0);
    int32_t pending = -1;
    EXPECT_EQ(InterlockedExchangeAdd(&pending, 1), -1);
    EXPECT_EQ(pending, 0);
}

TEST(InterlockedExchangeAdd, SixtyFourBitFieldKeepsItsHighHalf)
{
    int64_t v = 0xFFFFFFFFLL;
    EXPECT_EQ(InterlockedExchangeAdd(&v, 1), 0xFFFFFFFFLL);
    EXPECT_EQ(v, 0x100000000LL);
    EXPECT_EQ(InterlockedExchangeAdd(&v, int64_t(3) << 40), 0x100000000LL);
    EXPECT_EQ(v, (int64_t(3) << 40) + 0x100000000LL);
    EXPECT_EQ(InterlockedExchangeAdd(&v, -v), (int64_t(3) << 40) + 0x100000000LL);
    EXPECT_EQ(v, 0);
}

TEST(InterlockedExchangeAdd, ConcurrentAddsOn32BitFieldAreExactAndLeaveNeighbours)
{
    Guarded<int32_t> g{0x11111111, 0, 0x22222222};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&g, t] {
            // Half the threads add 2, the other half subtract 1: the total moves both ways.
            for (int i = 0; i < kAdds; ++i)
                InterlockedExchangeAdd(&g.value, (t & 1) ? -1 : 2);
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(g.value, kAdds * (kThreads / 2) * 2 - kAdds * (kThreads / 2));
    EXPECT_EQ(g.before, 0x11111111);
    EXPECT_EQ(g.after, 0x22222222);
}

TEST(InterlockedExchangeAdd, ConcurrentAddsOn64BitFieldAreExactAndLeaveNeighbours)
{
    Guarded<int64_t> g{0x1111111111111111LL, 0, 0x2222222222222222LL};
    const int64_t step = (int64_t(1) << 32) + 1; // carries into the high half
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&g, step] {
            for (int i = 0; i < kAdds; ++i)
                InterlockedExchangeAdd(&g.value, step);
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(g.value, step * kAdds * kThreads);
    EXPECT_EQ(g.before, 0x1111111111111111LL);
    EXPECT_EQ(g.after, 0x2222222222222222LL);
}

TEST(InterlockedExchangeAdd, ReturnedValuesAreDistinctUnderContention)
{
    int32_t counter = 0;
    std::vector<std::vector<int32_t>> seen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&counter, &seen, t] {
            for (int i = 0; i < 10000; ++i)
                seen[t].push_back(InterlockedExchangeAdd(&counter, 1));
        });
    for (auto& th : threads)
        th.join();
    std::vector<bool> hit(size_t(kThreads) * 10000, false);
    for (const auto& list : seen)
        for (int32_t v : list) {
            ASSERT_GE(v, 0);
            ASSERT_LT(size_t(v), hit.size());
            ASSERT_FALSE(hit[size_t(v)]) << v;
            hit[size_t(v)] = true;
        }
}
