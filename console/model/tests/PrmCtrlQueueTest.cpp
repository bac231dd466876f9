// The changed-address queue: coalescing, round-robin order, waking the memory API's
// worker outside the queue lock, and concurrent producers.
#include "PrmCtrlTestSupport.h"
#include "memapi/tests/fakes/FakeMemAPI.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>

namespace {

// A memory API that checks, when the map asks it for its worker, that the map's queue
// lock is free: another thread must be able to take it at once.
class LockCheckingMemAPI : public FakeMemAPI
{
public:
    MemAPITask_VANTREL_KXE* MAPI_memApiTaskObject(int32_t* s) override
    {
        ++asked;
        if (map && !probe.joinable()) {
            // Joined by the test once the map has returned, so a held lock shows as a
            // failure instead of a hang.
            auto done = std::make_shared<std::atomic<bool>>(false);
            probe = std::thread([this, done] {
                map->PendingChangeCount();
                done->store(true);
            });
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (!done->load() && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            queueLockHeld = !done->load();
        }
        return FakeMemAPI::MAPI_memApiTaskObject(s);
    }
    std::thread probe;
    CPrmCtrl* map = nullptr;
    int asked = 0;
    bool queueLockHeld = false;
};

} // namespace

TEST(PrmCtrlQueue, ARepeatedAddressIsPendingOnceAndWakesTheWorkerOnce)
{
    LockCheckingMemAPI api;
    MemAPITask_VANTREL_KXE* worker = api.enableWorker();
    CPrmCtrl map(&api);
    api.map = &map;
    map.EditorAddressChanged({1, 3, 0});
    map.EditorAddressChanged({1, 3, 0});
    if (api.probe.joinable())
        api.probe.join();
    EXPECT_EQ(api.asked, 1);
    EXPECT_FALSE(api.queueLockHeld);
    EXPECT_TRUE(worker->wakeRequest());
    EXPECT_EQ(map.PendingChangeCount(), 1);
    EXPECT_EQ(drainChanges(map), (std::vector<Change>{{1, 3, 0}}));
    EXPECT_EQ(map.PendingChangeCount(), 0);
}

TEST(PrmCtrlQueue, WithoutAWorkerQueueingStillRecords)
{
    FakeMemAPI api;  // hands out no worker
    CPrmCtrl map(&api);
    map.EditorAddressChanged({55, 15, 0x39});
    EXPECT_EQ(drainChanges(map), (std::vector<Change>{{55, 15, 0x39}}));
    int e = -1, c = -1, p = -1;
    EXPECT_FALSE(map.GetEditorAddressChange(e, c, p));
    EXPECT_EQ(e, -1);
}

TEST(PrmCtrlQueue, AKeyQueuedAgainAfterItsTakeWaitsForTheOthers)
{
    CPrmCtrl map;
    const Change k1{1, 0, 0}, k2{1, 1, 0}, k3{2, 0, 0};
    for (Change k : {k3, k1, k2})
        map.EditorAddressChanged({k.element, k.channel, k.parameter});
    int e = 0, c = 0, p = 0;
    ASSERT_TRUE(map.GetEditorAddressChange(e, c, p));
    EXPECT_TRUE((Change{e, c, p} == k1));
    map.EditorAddressChanged({k1.element, k1.channel, k1.parameter});
    EXPECT_EQ(drainChanges(map), (std::vector<Change>{k2, k3, k1}));
}

TEST(PrmCtrlQueue, TwoProducersAndOneConsumerLoseNoAddress)
{
    CPrmCtrl map;
    std::atomic<int> wakes{0};
    map.SetChangeWaker([&] { ++wakes; });
    constexpr int kPerProducer = 3000;
    std::atomic<int> producing{2};
    std::multiset<unsigned> taken;
    std::thread consumer([&] {
        int e = 0, c = 0, p = 0;
        for (;;) {
            const bool done = producing.load() == 0;
            bool any = false;
            while (map.GetEditorAddressChange(e, c, p)) {
                taken.insert(unsigned(e) << 20 | unsigned(p) << 8 | unsigned(c));
                any = true;
            }
            if (done && !any)
                break;
            std::this_thread::yield();
        }
    });
    auto produce = [&](int element) {
        for (int i = 0; i < kPerProducer; ++i) {
            // Each address twice: the second is either coalesced or re-queued after a take.
            map.EditorAddressChanged({element, i % 256, i / 256});
            map.EditorAddressChanged({element, i % 256, i / 256});
        }
        --producing;
    };
    std::thread a(produce, 0x36), b(produce, 0x37);
    a.join();
    b.join();
    consumer.join();
    EXPECT_EQ(map.PendingChangeCount(), 0);
    for (int element : {0x36, 0x37}) {
        for (int i = 0; i < kPerProducer; ++i) {
            const unsigned key = unsigned(element) << 20 | unsigned(i / 256) << 8 | unsigned(i % 256);
            const size_t n = taken.count(key);
            ASSERT_GE(n, 1u) << "lost " << element << "/" << i;
            ASSERT_LE(n, 2u);
        }
    }
    // One wake per address that became pending, never more.
    EXPECT_EQ(size_t(wakes.load()), taken.size());
}
