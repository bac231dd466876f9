// Total recall end to end against the simulated instrument: download and upload by
// mask with the host's progress texts and statuses, the receive watchdog, the
// identity time-out, cancel, and a caller off the GUI thread.
#include "CommandsSimRig.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <iterator>
#include <thread>

using namespace CommandsTest;

namespace {

class TotalRecall : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldBundle = qgetenv("VANTREL_BUNDLE_DIR");
        rig = std::make_unique<SimRig>();
        qputenv("VANTREL_BUNDLE_DIR", m_bundle.path().toLocal8Bit());
        recall = rig->api->recallLogic();
        ASSERT_NE(recall, nullptr);
    }
    void TearDown() override
    {
        rig.reset();
        qputenv("VANTREL_BUNDLE_DIR", m_oldBundle);
        RecallLogic::setTimeScale(1.0);
    }
    bool finished(QSignalSpy& spy, int ms) { return rig->pumpUntil([&] { return spy.count() > 0; }, ms); }

    QTemporaryDir m_bundle;
    QByteArray m_oldBundle;
    std::unique_ptr<SimRig> rig;
    RecallLogic* recall = nullptr;
    RecordingProgress progress;
};

} // namespace

TEST_F(TotalRecall, CatalogueHoldsTheFixedFeaturesAndTheBanksOfTheBulkTemplates)
{
    EXPECT_NE(recall->find_feature("Multi"), nullptr);
    EXPECT_NE(recall->find_feature("Current"), nullptr);
    EXPECT_NE(recall->find_feature("Normal User 1"), nullptr);
    EXPECT_NE(recall->find_feature("Drum User"), nullptr);
    EXPECT_NE(recall->find_feature("multiple_includefeature"), nullptr);
    EXPECT_EQ(recall->find_feature(nullptr), nullptr);
    EXPECT_EQ(recall->description_string(),
              QStringLiteral("All;Multi;Normal User 1;Normal User 2;Normal User 3;Drum User"));
}

TEST_F(TotalRecall, DownloadOfMultiAndUserOneReportsItsStepsAndEndsWithTheDoneText)
{
    rig->sim.editImage([](NS_Simulator::SimMemoryImage& img) {
        Bytes common = img.multiBlock(Bytes{0x36, 0x00, 0x00});
        if (!common.empty())
            common[common.size() - 1] = 0x21;
        img.setMultiBlock(Bytes{0x36, 0x00, 0x00}, common);
    });
    QSignalSpy complete(recall, &RecallLogic::recallComplete);
    int32_t status = -1;
    ASSERT_EQ(rig->api->MAPI_totalRecall(nullptr, false, 3, &progress, &status), 0);
    EXPECT_EQ(recall->totalCount(), 2);
    EXPECT_EQ(recall->doneText(), QStringLiteral("Completed download of Multi, Normal User 1"));
    ASSERT_TRUE(finished(complete, 20000));
    EXPECT_FALSE(complete.at(0).at(0).toBool());
    EXPECT_TRUE(complete.at(0).at(1).toBool());
    EXPECT_FALSE(complete.at(0).at(2).toBool());
    QMutexLocker locker(&progress.mutex);
    ASSERT_FALSE(progress.texts.isEmpty());
    EXPECT_EQ(progress.texts.last(), QStringLiteral("Completed download of Multi, Normal User 1"));
    EXPECT_EQ(progress.values.last(), 100);
    EXPECT_TRUE(progress.texts.contains(QStringLiteral("Downloading Multi")));
    EXPECT_TRUE(progress.texts.contains(QStringLiteral("Downloading Normal User 1")));
    EXPECT_TRUE(progress.statuses.isEmpty());
    for (int v : progress.values)
        EXPECT_LE(v, 100);
    locker.unlock();
    EXPECT_FALSE(recall->isRunning());
    // The images agree and the companion took the document as modified.
    EXPECT_EQ(rig->editorBlock(rig->multi(), Bytes{0x36, 0x00, 0x00}), rig->sim.multiBlock(Bytes{0x36, 0x00, 0x00}));
    rig->pumpUntil([&] { return rig->companion()->isDocDirty(); }, 3000);
    EXPECT_TRUE(rig->companion()->isDocDirty());
}

TEST_F(TotalRecall, UploadOfTheFourBanksRunsAsOneFramedStep)
{
    QSignalSpy complete(recall, &RecallLogic::recallComplete);
    ASSERT_EQ(rig->api->MAPI_totalRecall(nullptr, true, 30, &progress, nullptr), 0);
    EXPECT_EQ(recall->queuedCount(), 1);
    EXPECT_EQ(recall->doneText(),
              QStringLiteral("Completed upload of Normal User 1, Normal User 2, Normal User 3, Drum User"));
    ASSERT_TRUE(finished(complete, 60000));
    EXPECT_TRUE(complete.at(0).at(0).toBool());
    ASSERT_TRUE(rig->sim.waitIdle(3000));
    EXPECT_FALSE(rig->sim.received(SimulatedInstrument::Kind::Dump).empty());
    EXPECT_FALSE(rig->sim.received(SimulatedInstrument::Kind::Framing).empty());
    QMutexLocker locker(&progress.mutex);
    EXPECT_TRUE(progress.texts.last().startsWith(QStringLiteral("Completed upload of Normal User 1")));
    EXPECT_TRUE(progress.texts.contains(QStringLiteral("Uploading Normal User 1")));
    EXPECT_EQ(progress.values.last(), 100);
}

// Each bank of a gathered upload is named while it goes out, and measured in its own
// quarter of the whole.
TEST_F(TotalRecall, UploadOfTheFourBanksNamesEachBankInItsQuarter)
{
    struct Quarter
    {
        const char* text;
        int first;
        int last;
    };
    const Quarter quarters[] = {{"Uploading Normal User 1", 0, 24},
                                {"Uploading Normal User 2", 25, 49},
                                {"Uploading Normal User 3", 50, 74},
                                {"Uploading Drum User", 75, 99}};
    QSignalSpy complete(recall, &RecallLogic::recallComplete);
    ASSERT_EQ(rig->api->MAPI_totalRecall(nullptr, true, 30, &progress, nullptr), 0);
    ASSERT_TRUE(finished(complete, 60000));
    QMutexLocker locker(&progress.mutex);
    const QString done = QStringLiteral("Completed upload of Normal User 1, Normal User 2, Normal User 3, Drum User");
    ASSERT_FALSE(progress.texts.isEmpty());
    EXPECT_EQ(progress.texts.last(), done);
    EXPECT_EQ(progress.values.last(), 100);
    int previous = -1;
    for (int i = 0; i < progress.texts.size(); ++i) {
        const QString& text = progress.texts.at(i);
        const int value = progress.values.at(i);
        SCOPED_TRACE(qPrintable(QStringLiteral("%1 %2").arg(value).arg(text)));
        EXPECT_GE(value, previous);
        previous = value;
        if (text == done)
            continue;
        const Quarter* q = std::find_if(std::begin(quarters), std::end(quarters),
                                        [&](const Quarter& c) { return text == QLatin1String(c.text); });
        ASSERT_NE(q, std::end(quarters)) << "a text that names no bank";
        // The end of the send reports 100 under the last bank's name.
        if (value == 100 && q == std::end(quarters) - 1)
            continue;
        EXPECT_GE(value, q->first);
        EXPECT_LE(value, q->last);
    }
    for (const Quarter& q : quarters) {
        SCOPED_TRACE(q.text);
        QList<int> shown;
        for (int i = 0; i < progress.texts.size(); ++i)
            if (progress.texts.at(i) == QLatin1String(q.text) && progress.values.at(i) <= q.last)
                shown.append(progress.values.at(i));
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(shown.first(), q.first);
        EXPECT_EQ(shown.last(), q.last);
    }
}

TEST_F(TotalRecall, UploadOfTheMultiAloneSendsItUnframedAndTheImagesAgree)
{
    QSignalSpy complete(recall, &RecallLogic::recallComplete);
    rig->sim.editImage([](NS_Simulator::SimMemoryImage& img) {
        Bytes common = img.multiBlock(Bytes{0x36, 0x00, 0x00});
        if (!common.empty())
            common[0] = common[0] == 0x10 ? 0x11 : 0x10;
        img.setMultiBlock(Bytes{0x36, 0x00, 0x00}, common);
    });
    ASSERT_EQ(rig->api->MAPI_totalRecall(nullptr, true, 1, &progress, nullptr), 0);
    EXPECT_EQ(recall->doneText(), QStringLiteral("Completed upload of Multi"));
    ASSERT_TRUE(finished(complete, 20000));
    ASSERT_TRUE(rig->sim.waitIdle(3000));
    EXPECT_EQ(rig->sim.multiBlock(Bytes{0x36, 0x00, 0x00}), rig->editorBlock(rig->multi(), Bytes{0x36, 0x00, 0x00}));
}

TEST_F(TotalRecall, SilentInstrumentTimesOutWithItsTextAndStatus)
{
    RecallLogic::setTimeScale(0.01); // watchdog 80 ms, paced request 40 ms
    rig->sim.setFault(SimulatedInstrument::Fault::NoReply);
    ASSERT_EQ(rig->api->MAPI_totalRecall(nullptr, false, 1, &progress, nullptr), 0);
    ASSERT_TRUE(rig->pumpUntil([&] {
        QMutexLocker locker(&progress.mutex);
        return !progress.statuses.isEmpty();
    }, 3000));
    QMutexLocker locker(&progress.mutex);
    EXPECT_EQ(progress.statuses.last(), 1460);
    EXPECT_TRUE(progress.texts.contains(QStringLiteral("Receiving timed out!")));
    locker.unlock();
    EXPECT_FALSE(recall->isRunning());
    // The paced request went unanswered: later requests are plain ones.
    EXPECT_FALSE(recall_feature::m_usingSpecialBulkRequest.load());
    recall_feature::m_usingSpecialBulkRequest = true;
}

TEST_F(TotalRecall, UnansweredIdentityRaisesTheUploadPacingTo15ms)
{
    RecallLogic::setTimeScale(0.01);
    rig->sim.setFault(SimulatedInstrument::Fault::NoReply);
    QSignalSpy complete(recall, &RecallLogic::recallComplete);
    ASSERT_EQ(rig->api->MAPI_totalRecall(nullptr, true, 1, &progress, nullptr), 0);
    ASSERT_TRUE(rig->pumpUntil([&] { return recall->interval() >= 15 || complete.count() > 0; }, 3000));
    EXPECT_GE(recall->interval(), 15);
    ASSERT_TRUE(finished(complete, 20000));
}

TEST_F(TotalRecall, CancelEndsTheRunAndReportsOnlyStartedRuns)
{
    QSignalSpy complete(recall, &RecallLogic::recallComplete);
    recall->cancel();
    EXPECT_EQ(complete.count(), 0) << "nothing had started";

    rig->sim.setCableSpeed(true);
    ASSERT_EQ(rig->api->MAPI_totalRecall(nullptr, false, 3, &progress, nullptr), 0);
    rig->pumpFor(100);
    rig->api->MAPI_cancelRecall();
    EXPECT_EQ(complete.count(), 1);
    EXPECT_FALSE(recall->isRunning());
    EXPECT_EQ(recall->queuedCount(), 0);
}

TEST_F(TotalRecall, CallerOffTheGuiThreadReturnsWhenTheRunEnds)
{
    // A run whose queue is empty ends before the caller would wait.
    rig->api->MAPI_associate(&rig->bridge, &rig->prefs, 0, &rig->services);
    std::atomic<bool> returned{false};
    std::thread host([&] {
        rig->api->MAPI_totalRecall(nullptr, false, 0x40, &progress, nullptr);
        returned = true;
    });
    EXPECT_TRUE(rig->pumpUntil([&] { return returned.load(); }, 3000));
    host.join();

    // A real download from the host's thread: the caller is released by the end of the run.
    returned = false;
    QSignalSpy complete(recall, &RecallLogic::recallComplete);
    std::thread second([&] {
        rig->api->MAPI_totalRecall(nullptr, false, 1, &progress, nullptr);
        returned = true;
    });
    EXPECT_TRUE(rig->pumpUntil([&] { return returned.load(); }, 20000));
    second.join();
    EXPECT_EQ(complete.count(), 1);
}

TEST(RecallIncludeFeature, WalksItsIncludedNamesBySectionAndFramesTheQueue)
{
    recall_header header;
    recall_footer footer;
    recall_voice_bank one(QStringLiteral("Normal User 1"), 0), drum(QStringLiteral("Drum User"), 3);
    recall_includefeature include(&header, &footer);
    QQueue<recall_feature*> empty;
    include.Attach(empty);
    EXPECT_EQ(include.count(), 0);
    EXPECT_TRUE(include.queue().isEmpty());
    EXPECT_FALSE(include.IsThereRemainingFeature());

    QQueue<recall_feature*> framed;
    framed << &one << &drum;
    include.Attach(framed);
    ASSERT_EQ(include.queue().size(), 4);
    EXPECT_EQ(include.queue().first(), &header);
    EXPECT_EQ(include.queue().last(), &footer);
    EXPECT_EQ(include.GetIncludedName(), QStringLiteral("Normal User 1"));
    EXPECT_FALSE(include.CheckUpdateItem(0));
    EXPECT_TRUE(include.CheckUpdateItem(1));
    EXPECT_EQ(include.GetIncludedName(), QStringLiteral("Drum User"));
    EXPECT_TRUE(include.IsThereRemainingFeature());
    EXPECT_TRUE(include.CheckUpdateItem(2));
    EXPECT_FALSE(include.IsThereRemainingFeature());
    EXPECT_TRUE(include.GetIncludedName().isEmpty());
    // Without a memory model nothing is sent and the queue stays.
    EXPECT_TRUE(include.recall(nullptr, true, nullptr, 5));
    EXPECT_EQ(include.queue().size(), 4);
}

TEST_F(TotalRecall, MaskZeroQueuesWhatTheCatalogueHoldsAndSaysAll)
{
    QSignalSpy complete(recall, &RecallLogic::recallComplete);
    ASSERT_EQ(rig->api->MAPI_totalRecall(nullptr, false, 0, &progress, nullptr), 0);
    EXPECT_EQ(recall->doneText(), QStringLiteral("Completed download of All"));
    const int expected = recall->find_feature("Normal User 1 + 2 + 3 + Drum User") ? 2 : 1;
    EXPECT_EQ(recall->totalCount(), expected);
    ASSERT_TRUE(finished(complete, 20000));
    QMutexLocker locker(&progress.mutex);
    EXPECT_EQ(progress.texts.last(), QStringLiteral("Completed download of All"));
}

namespace {

struct RefusedUploadCase
{
    const char* name;
    unsigned mask;
    int refuseFrom; // the port's first refused write, a message of a dump
};

class TotalRecallRefused : public TotalRecall, public ::testing::WithParamInterface<RefusedUploadCase>
{
};

} // namespace

TEST_P(TotalRecallRefused, AnUploadThatThePortRefusesEndsWithItsFailureAndSendsNothingAfterTheGap)
{
    const RefusedUploadCase& c = GetParam();
    RecallLogic::setTimeScale(0.01);
    rig->bridge.refuseFrom = c.refuseFrom;
    QSignalSpy complete(recall, &RecallLogic::recallComplete);
    ASSERT_EQ(rig->api->MAPI_totalRecall(nullptr, true, c.mask, &progress, nullptr), 0);
    ASSERT_TRUE(rig->pumpUntil([&] {
        QMutexLocker locker(&progress.mutex);
        return !progress.statuses.isEmpty() || !recall->isRunning();
    }, 20000));
    ASSERT_TRUE(rig->sim.waitIdle(3000));
    QMutexLocker locker(&progress.mutex);
    ASSERT_FALSE(progress.statuses.isEmpty()) << "the refused upload was reported as done";
    EXPECT_EQ(progress.statuses.last(), int32_t(0x80000008));
    EXPECT_TRUE(progress.texts.contains(QStringLiteral("Transmitting failed!")));
    EXPECT_FALSE(progress.texts.last().startsWith(QStringLiteral("Completed")));
    locker.unlock();
    // Nothing after the refused message: the instrument never gets a dump with a gap.
    EXPECT_EQ(rig->bridge.writes.load(), c.refuseFrom - 1);
    EXPECT_EQ(rig->bridge.attempts.load(), c.refuseFrom);
    EXPECT_FALSE(recall->isRunning());
}

INSTANTIATE_TEST_SUITE_P(
    Ports, TotalRecallRefused,
    ::testing::Values(RefusedUploadCase{"MultiRefusedEarly", 1, 5}, RefusedUploadCase{"AllRefusedInTheBanks", 0, 1000}),
    [](const ::testing::TestParamInfo<RefusedUploadCase>& info) { return info.param.name; });
