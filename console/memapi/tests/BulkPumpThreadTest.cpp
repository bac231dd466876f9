// Bulk transfers started and stopped on the GUI thread while a pump thread hands the
// instrument's replies to the memory-API object, as the host's MIDI intake does: the
// instrument answers at full speed and every start or stop meets a reply being
// parsed. The bulk engine keeps its walk state under the memory-API lock; a start or
// stop that changed it without that lock corrupted the walk of the reply in progress.
#include "CommandsSimRig.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

using namespace CommandsTest;
using Companion = TovarIMemAPIQObject_VANTREL_KXE;

namespace {

// The host's pump: a thread of its own that feeds every message of the instrument to
// MAPI_readMIDIFromPort as soon as it arrives.
class ReplyPump
{
public:
    ReplyPump(SimulatedInstrument& sim, TovarIMemAPI* api) : m_sim(sim), m_api(api)
    {
        m_sim.stop();
        m_sim.setOutputSink([this](const uint8_t* b, size_t n) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_inbox.emplace_back(b, b + n);
            }
            m_wake.notify_one();
        });
        m_sim.start();
        m_thread = std::thread([this] { run(); });
    }
    ~ReplyPump()
    {
        m_sim.stop();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    int delivered() const { return m_delivered.load(); }
    // True once the instrument is idle and every message it sent has been parsed.
    bool drain(int ms)
    {
        if (!m_sim.waitIdle(ms))
            return false;
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_inbox.empty() && !m_busy; });
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || !m_inbox.empty(); });
            if (m_stop)
                return;
            std::deque<Bytes> packets;
            packets.swap(m_inbox);
            m_busy = true;
            lock.unlock();
            for (const Bytes& p : packets) {
                if (p.size() > 1 && p[0] == 0xF0)
                    m_api->MAPI_readMIDIFromPort(0, p.data() + 1, int(p.size() - 1), true, false);
                ++m_delivered;
            }
            lock.lock();
            m_busy = false;
            m_wake.notify_all();
        }
    }

    SimulatedInstrument& m_sim;
    TovarIMemAPI* m_api;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Bytes> m_inbox;
    bool m_stop = false;
    bool m_busy = false;
    std::atomic<int> m_delivered{0};
    std::thread m_thread;
};

struct StartStop
{
    const char* name;
    // Starts a transfer on the GUI thread; `round` varies the bank.
    std::function<void(SimRig&, RecordingProgress&, int round)> start;
    std::function<void(SimRig&)> stop;
};

void cancelReceive(SimRig& rig) { rig.companion()->cancelBulkReceive(); }
void stopRequests(SimRig& rig) { rig.companion()->stopBulkRequest(); }
void cancelRecall(SimRig& rig) { rig.api->MAPI_cancelRecall(); }

const StartStop kStartStops[] = {
    {"MultiRequestCancelled", [](SimRig& r, RecordingProgress&, int) { r.companion()->requestMultiBulk(); },
     cancelReceive},
    {"UserBankRequestCancelled",
     [](SimRig& r, RecordingProgress&, int round) { r.companion()->requestUserVoiceBulk(round % 4); }, cancelReceive},
    {"PresetRequestStopped", [](SimRig& r, RecordingProgress&, int) { r.companion()->requestPresetVoiceBulk(); },
     stopRequests},
    {"RequestAndItsRetryStopped",
     [](SimRig& r, RecordingProgress&, int round) {
         // The second call is the retry of the first: a plain walk over the running one.
         if (round % 2) {
             r.companion()->requestMultiBulk();
             r.companion()->requestMultiBulk();
         } else {
             r.companion()->requestUserVoiceBulk(round % 4);
             r.companion()->specialBulkRequestTimeOuted();
         }
     },
     stopRequests},
    {"MultiSendDuringReplies",
     [](SimRig& r, RecordingProgress&, int round) {
         // A send shares the engine with the receive the previous round left behind.
         if (round % 2)
             r.companion()->requestMultiBulk();
         r.companion()->sendMultiBulk();
         for (int i = 0; i < 4; ++i)
             r.companion()->bulkTimer();
     },
     stopRequests},
    {"UserBankSendAfterIdentity",
     [](SimRig& r, RecordingProgress&, int round) {
         r.companion()->requestUserVoiceBulk(round % 4);
         r.companion()->sendUserVoiceBulk(round % 4);
     },
     cancelReceive},
    {"RecallDownloadCancelled",
     [](SimRig& r, RecordingProgress& p, int round) {
         r.api->MAPI_totalRecall(nullptr, false, round % 2 ? 0x1u : 0x3u, &p, nullptr);
     },
     cancelRecall},
    {"RecallUploadCancelled",
     [](SimRig& r, RecordingProgress& p, int round) {
         // An upload while the replies of a receive are still arriving.
         r.companion()->requestMultiBulk();
         r.api->MAPI_totalRecall(nullptr, true, round % 2 ? 0x1u : 0x2u, &p, nullptr);
     },
     cancelRecall},
};

void PrintTo(const StartStop& row, std::ostream* os) { *os << row.name; }

class BulkPumpThread : public ::testing::TestWithParam<StartStop>
{
protected:
    void SetUp() override
    {
        m_oldBundle = qgetenv("VANTREL_BUNDLE_DIR");
        rig = std::make_unique<SimRig>();
        // The preset cache a preset walk writes stays out of the shared bundle.
        qputenv("VANTREL_BUNDLE_DIR", m_bundle.path().toLocal8Bit());
        RecallLogic::setTimeScale(0.05);
    }
    void TearDown() override
    {
        rig.reset();
        qputenv("VANTREL_BUNDLE_DIR", m_oldBundle);
        RecallLogic::setTimeScale(1.0);
    }
    // Runs the GUI thread's events until the pump has parsed `count` more messages
    // (the start and the stop then overlap replies being parsed) or a little while passed.
    void runWhileReplying(ReplyPump& pump, int count)
    {
        const int target = pump.delivered() + count;
        QElapsedTimer clock;
        clock.start();
        while (pump.delivered() < target && clock.elapsed() < 20)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }

    QTemporaryDir m_bundle;
    QByteArray m_oldBundle;
    std::unique_ptr<SimRig> rig;
    RecordingProgress progress;
};

} // namespace

TEST_P(BulkPumpThread, StartsAndStopsMeetTheRepliesAndAFullReceiveStillComes)
{
    const StartStop& row = GetParam();
    constexpr int kRounds = 150;
    ReplyPump pump(rig->sim, rig->api.api);
    for (int round = 0; round < kRounds; ++round) {
        row.start(*rig, progress, round);
        runWhileReplying(pump, round % 7);
        row.stop(*rig);
        runWhileReplying(pump, round % 3);
    }
    rig->api->MAPI_cancelRecall();
    rig->companion()->stopBulkRequest();
    ASSERT_TRUE(pump.drain(10000));
    // The rounds must have met replies, or they prove nothing.
    EXPECT_GE(pump.delivered(), kRounds) << row.name;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();

    // What is left of the rounds is stopped: a whole multi then arrives unchanged.
    rig->sim.editImage([](NS_Simulator::SimMemoryImage& img) {
        Bytes common = img.multiBlock(Bytes{0x36, 0x00, 0x00});
        ASSERT_FALSE(common.empty());
        common[common.size() - 1] = uint8_t((common[common.size() - 1] + 1) & 0x3F);
        img.setMultiBlock(Bytes{0x36, 0x00, 0x00}, common);
    });
    std::atomic<bool> complete{false};
    std::atomic<int> errors{0};
    Companion* companion = rig->companion();
    const QMetaObject::Connection progressed = QObject::connect(
        companion, &Companion::bulkProgressChanged, companion,
        [&](int percent) { complete = complete || percent >= 100; }, Qt::DirectConnection);
    const QMetaObject::Connection failed = QObject::connect(
        companion, &Companion::bulkRcvErrorOccurred, companion, [&](int) { ++errors; }, Qt::DirectConnection);
    companion->requestMultiBulk();
    ASSERT_TRUE(QTest::qWaitFor([&] { return complete.load(); }, 20000)) << row.name;
    ASSERT_TRUE(pump.drain(5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(errors.load(), 0) << row.name;
    for (const Bytes& a : rig->multiAddresses()) {
        const Bytes instrument = rig->sim.multiBlock(a);
        if (instrument.empty())
            continue;
        EXPECT_EQ(rig->editorBlock(rig->multi(), a), instrument) << row.name << ' ' << int(a[0]) << ' ' << int(a[1]);
    }
    QObject::disconnect(progressed);
    QObject::disconnect(failed);
}

INSTANTIATE_TEST_SUITE_P(Rounds, BulkPumpThread, ::testing::ValuesIn(kStartStops),
                         [](const ::testing::TestParamInfo<StartStop>& info) { return std::string(info.param.name); });

namespace {

// The instrument's port, asking at every message whether another thread could take
// the memory-API lock at that moment: a bulk engine writes from inside its walk, so a
// message sent while the lock is free is a walk changed beside the pump's receive.
class LockProbeBridge : public SimBridge
{
public:
    int32_t write(int length, const void* data) override
    {
        if (api && probed < 16) {
            ++probed;
            std::thread other([this] {
                if (api->MAPI_tryLock() == 0) {
                    ++unlocked;
                    api->MAPI_lock(false);
                }
            });
            other.join();
        }
        return SimBridge::write(length, data);
    }
    IMemAPI* api = nullptr;
    std::atomic<int> probed{0};
    std::atomic<int> unlocked{0};
};

struct Command
{
    const char* name;
    // Issues the command on the GUI thread; the rig then pumps until something was sent.
    std::function<void(SimRig&, RecordingProgress&)> issue;
};

const Command kCommands[] = {
    {"MultiRequest", [](SimRig& r, RecordingProgress&) { r.companion()->requestMultiBulk(); }},
    {"UserBankRequest", [](SimRig& r, RecordingProgress&) { r.companion()->requestUserVoiceBulk(2); }},
    {"PresetRequest", [](SimRig& r, RecordingProgress&) { r.companion()->requestPresetVoiceBulk(); }},
    {"RetryOfARequest",
     [](SimRig& r, RecordingProgress&) {
         r.companion()->m_requestStateNow = 1; // as if the first request went unanswered
         r.companion()->requestMultiBulk();
     }},
    {"IdentityCheckBeforeAUserBank", [](SimRig& r, RecordingProgress&) { r.companion()->sendUserVoiceBulk(1); }},
    {"StepOfAMultiSend",
     [](SimRig& r, RecordingProgress&) {
         r.companion()->sendMultiBulk();
         r.companion()->bulkTimer();
     }},
    {"AuditionOfAVoice",
     [](SimRig& r, RecordingProgress&) {
         r.companion()->monitorVoice(0, 5);
         r.companion()->bulkTimer();
     }},
    {"RecallDownload",
     [](SimRig& r, RecordingProgress& p) { r.api->MAPI_totalRecall(nullptr, false, 0x1u, &p, nullptr); }},
    {"RecallUpload",
     [](SimRig& r, RecordingProgress& p) { r.api->MAPI_totalRecall(nullptr, true, 0x1u, &p, nullptr); }},
};

void PrintTo(const Command& row, std::ostream* os) { *os << row.name; }

class BulkCommandLock : public ::testing::TestWithParam<Command>
{
protected:
    void SetUp() override
    {
        m_oldBundle = qgetenv("VANTREL_BUNDLE_DIR");
        rig = std::make_unique<SimRig>();
        qputenv("VANTREL_BUNDLE_DIR", m_bundle.path().toLocal8Bit());
        probe.sim = &rig->sim;
        probe.input = rig->bridge.input;
        probe.output = rig->bridge.output;
        rig->api->MAPI_associate(&probe, &rig->prefs, 0, &rig->services);
    }
    void TearDown() override
    {
        rig->api->MAPI_cancelRecall();
        rig->companion()->stopBulkRequest();
        probe.api = nullptr;
        rig->api->MAPI_associate(&rig->bridge, &rig->prefs, 0, &rig->services);
        rig.reset();
        qputenv("VANTREL_BUNDLE_DIR", m_oldBundle);
    }

    QTemporaryDir m_bundle;
    QByteArray m_oldBundle;
    LockProbeBridge probe;
    std::unique_ptr<SimRig> rig;
    RecordingProgress progress;
};

} // namespace

TEST_P(BulkCommandLock, WhatTheBulkEngineSendsForACommandLeavesWithTheMemApiLockHeld)
{
    const Command& row = GetParam();
    probe.api = rig->api.api;
    row.issue(*rig, progress);
    ASSERT_TRUE(rig->pumpUntil([&] { return probe.probed.load() > 0; }, 3000)) << row.name << ": nothing was sent";
    EXPECT_EQ(probe.unlocked.load(), 0) << row.name << ": " << probe.unlocked.load() << " of " << probe.probed.load()
                                        << " messages left while another thread could take the lock";
}

INSTANTIATE_TEST_SUITE_P(Commands, BulkCommandLock, ::testing::ValuesIn(kCommands),
                         [](const ::testing::TestParamInfo<Command>& info) { return std::string(info.param.name); });
