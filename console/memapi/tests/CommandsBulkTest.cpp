// The companion's bulk commands end to end against the simulated instrument:
// receive the multi, a user bank (one retry after silence) and the preset voices;
// transmit the multi and a user bank after the identity check, with its pacing.
#include "CommandsSimRig.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace CommandsTest;

namespace {

Bytes pattern(size_t n, int seed)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t((i * 7 + size_t(seed) * 13 + 5) % 0x60 + 0x10);
    return b;
}

class CommandsBulk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldBundle = qgetenv("VANTREL_BUNDLE_DIR");
        rig = std::make_unique<SimRig>();
        // The preset cache a preset walk writes stays out of the shared bundle.
        qputenv("VANTREL_BUNDLE_DIR", m_bundle.path().toLocal8Bit());
        companion = rig->companion();
    }
    void TearDown() override
    {
        rig.reset();
        qputenv("VANTREL_BUNDLE_DIR", m_oldBundle);
    }
    // Every multi block of the instrument gets a pattern; returns them.
    std::vector<std::pair<Bytes, Bytes>> patternMulti()
    {
        std::vector<std::pair<Bytes, Bytes>> blocks;
        int seed = 3;
        for (const Bytes& a : rig->multiAddresses()) {
            const Bytes current = rig->sim.multiBlock(a);
            if (current.empty())
                continue;
            Bytes data = pattern(current.size(), seed++);
            if (a[0] == 0x37)
                data[0] = data[1] = data[2] = 0;
            blocks.emplace_back(a, data);
        }
        rig->sim.editImage([&](NS_Simulator::SimMemoryImage& img) {
            for (const auto& b : blocks)
                img.setMultiBlock(b.first, b.second);
        });
        return blocks;
    }
    bool reached100(const QSignalSpy& spy) const
    {
        for (const auto& args : spy)
            if (args.at(0).toInt() >= 100)
                return true;
        return false;
    }

    QTemporaryDir m_bundle;
    QByteArray m_oldBundle;
    std::unique_ptr<SimRig> rig;
    TovarIMemAPIQObject_VANTREL_KXE* companion = nullptr;
};

} // namespace

TEST_F(CommandsBulk, ReceivedMultiEqualsTheInstrumentsAndMarksTheDocument)
{
    const auto blocks = patternMulti();
    ASSERT_FALSE(blocks.empty());
    QSignalSpy progress(companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkProgressChanged);
    QSignalSpy errors(companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkRcvErrorOccurred);
    QSignalSpy dirty(companion, &TovarIMemAPIQObject_VANTREL_KXE::onDirty);

    companion->requestMultiBulk();
    ASSERT_TRUE(rig->pumpUntil([&] { return reached100(progress); }, 8000));
    // The completion follows the report of 100 through the GUI thread.
    rig->pumpUntil([&] { return companion->isDocDirty(); }, 3000);
    rig->pumpFor(50);
    EXPECT_EQ(errors.count(), 0);
    for (const auto& b : blocks)
        EXPECT_EQ(rig->editorBlock(rig->multi(), b.first), b.second) << int(b.first[0]) << ' ' << int(b.first[1]);
    EXPECT_TRUE(companion->isDocDirty());
    EXPECT_TRUE(companion->m_dirty);
    EXPECT_EQ(companion->m_requestStateNow.load(), 0);
    EXPECT_FALSE(companion->m_requestTimer->isActive());
    // The reply came in time: no retry.
    EXPECT_EQ(rig->requestsSent(), 1u);
}

TEST_F(CommandsBulk, SilentInstrumentGetsExactlyOneRetryOfTheUserBankRequest)
{
    TovarIMemAPIQObject_VANTREL_KXE::setCommandTimeScale(0.01); // 4000 ms -> 40 ms
    rig->sim.setFault(SimulatedInstrument::Fault::NoReply);
    companion->requestUserVoiceBulk(0);
    EXPECT_EQ(companion->m_requestStateNow.load(), 1);
    ASSERT_TRUE(rig->pumpUntil([&] { return rig->requestsSent() >= 2; }, 2000));
    // The retry's own time-out ends the request; then nothing more goes out.
    rig->pumpUntil([&] { return companion->m_requestStateNow.load() == 0; }, 3000);
    rig->pumpFor(300);
    EXPECT_EQ(rig->requestsSent(), 2u) << "one request and one retry, no more";
    EXPECT_EQ(companion->m_requestStateNow.load(), 0);

    // Asked again after a stop: the retry is connected once, so one more retry only.
    rig->sim.clearLogs();
    companion->requestUserVoiceBulk(1);
    companion->stopBulkRequest();
    companion->requestUserVoiceBulk(1);
    rig->pumpUntil([&] { return rig->requestsSent() >= 3 && companion->m_requestStateNow.load() == 0; }, 3000);
    rig->pumpFor(400);
    EXPECT_EQ(rig->requestsSent(), 3u);
}

TEST_F(CommandsBulk, ReceivedUserBankAnswersWithinTheRetryTime)
{
    TovarIMemAPIQObject_VANTREL_KXE::setCommandTimeScale(0.5);
    QSignalSpy progress(companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkProgressChanged);
    companion->requestUserVoiceBulk(0);
    ASSERT_TRUE(rig->pumpUntil([&] { return reached100(progress); }, 15000));
    rig->pumpUntil([&] { return companion->isDocDirty() && companion->m_requestStateNow.load() == 0; }, 3000);
    EXPECT_TRUE(companion->isDocDirty());
    EXPECT_EQ(companion->m_requestStateNow.load(), 0);
}

TEST_F(CommandsBulk, ReceivedPresetVoicesAreRecordedInThePreferences)
{
    QSignalSpy progress(companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkProgressChanged);
    rig->prefs.setProperty(NS_TovarMemAPI::kPrefPresetVoices, 0);
    companion->requestPresetVoiceBulk();
    ASSERT_TRUE(rig->pumpUntil([&] { return reached100(progress); }, 60000));
    rig->pumpUntil([&] { return companion->isDocDirty(); }, 3000);
    EXPECT_EQ(rig->prefs.getProperty(NS_TovarMemAPI::kPrefPresetVoices).toInt(), rig->memory()->presetVoicesLoaded());
    EXPECT_TRUE(companion->isDocDirty());
}

TEST_F(CommandsBulk, TransmittedMultiEqualsTheEditorsAndEndsAt100)
{
    const auto blocks = patternMulti(); // the instrument now differs from the editor
    QSignalSpy progress(companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkProgressChanged);
    companion->sendMultiBulk();
    EXPECT_EQ(companion->bulkPacing(), 0);
    ASSERT_TRUE(rig->pumpUntil([&] { return reached100(progress); }, 8000));
    ASSERT_TRUE(rig->sim.waitIdle(3000));
    rig->pumpFor(20);
    for (const auto& b : blocks) {
        if (b.first[0] == 0x00)
            continue; // the system block is not part of the multi dump
        EXPECT_EQ(rig->sim.multiBlock(b.first), rig->editorBlock(rig->multi(), b.first))
            << int(b.first[0]) << ' ' << int(b.first[1]);
    }
}

TEST_F(CommandsBulk, UserBankGoesOutAfterTheIdentityReplyWithThePreferredPacing)
{
    rig->prefs.setProperty(NS_TovarMemAPI::kPrefDumpInterval, -5);
    EXPECT_EQ(companion->getTransmitInterval(), 0);
    rig->companion()->setVoiceName(0, 7, QStringLiteral("Emberline"));
    QSignalSpy checked(companion, &TovarIMemAPIQObject_VANTREL_KXE::identityReplyChecked);
    QSignalSpy progress(companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkProgressChanged);
    companion->sendUserVoiceBulk(0);
    EXPECT_TRUE(rig->sim.received(SimulatedInstrument::Kind::Dump).empty()) << "nothing before the check";
    ASSERT_TRUE(rig->pumpUntil([&] { return reached100(progress); }, 20000));
    ASSERT_EQ(checked.count(), 1);
    EXPECT_EQ(companion->bulkPacing(), 0);
    ASSERT_TRUE(rig->sim.waitIdle(3000));
    const Bytes sent = rig->sim.image().voice(0, 7);
    const Bytes mine = rig->storedVoice(0, 7);
    ASSERT_FALSE(sent.empty());
    if (sent.size() == mine.size()) {
        EXPECT_EQ(sent, mine);
    }
    const std::string name(sent.begin(), sent.begin() + std::min<size_t>(9, sent.size()));
    EXPECT_NE(name.find("Emberline"), std::string::npos);
}

TEST_F(CommandsBulk, UnansweredIdentityForcesAtLeast15msPacing)
{
    TovarIMemAPIQObject_VANTREL_KXE::setCommandTimeScale(0.01);
    rig->prefs.setProperty(NS_TovarMemAPI::kPrefDumpInterval, -5);
    rig->sim.setFault(SimulatedInstrument::Fault::NoReply);
    QSignalSpy checked(companion, &TovarIMemAPIQObject_VANTREL_KXE::identityReplyChecked);
    companion->sendUserVoiceBulk(3);
    ASSERT_TRUE(rig->pumpUntil([&] { return checked.count() >= 1; }, 2000));
    EXPECT_EQ(companion->bulkPacing(), 15);
    companion->stopBulkRequest();
    EXPECT_EQ(companion->m_identityStateNow.load(), 0);

    // Without preferences the pacing is 30.
    rig->api->MAPI_associate(&rig->bridge, nullptr, 0, nullptr);
    EXPECT_EQ(companion->getTransmitInterval(), 30);
}

TEST_F(CommandsBulk, SendProgressRepeatsAreDroppedAndStopOnceAt100)
{
    QSignalSpy progress(companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkProgressChanged);
    companion->onSendProgressChanged(40, 0);
    companion->onSendProgressChanged(40, 0);
    companion->onSendProgressChanged(100, 0);
    ASSERT_EQ(progress.count(), 2);
    EXPECT_EQ(progress.at(1).at(0).toInt(), 100);
}

TEST_F(CommandsBulk, ReceiveProgressFromThePumpThreadCompletesOnTheGuiThread)
{
    QSignalSpy progress(companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkProgressChanged);
    std::thread pump([&] {
        companion->onRcvProgressChanged(99);
        companion->onRcvBulk();
    });
    pump.join();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(progress.count(), 1);
    EXPECT_FALSE(companion->isDocDirty());
    std::thread last([&] { companion->onRcvProgressChanged(100); });
    last.join();
    EXPECT_FALSE(companion->isDocDirty()) << "completion runs on the GUI thread";
    rig->pumpFor(20);
    EXPECT_TRUE(companion->isDocDirty());
}

TEST_F(CommandsBulk, IdentityReplyFromThePumpThreadContinuesOnTheGuiThread)
{
    rig->sim.setFault(SimulatedInstrument::Fault::NoReply);
    rig->prefs.setProperty(NS_TovarMemAPI::kPrefDumpInterval, 7);
    QSignalSpy checked(companion, &TovarIMemAPIQObject_VANTREL_KXE::identityReplyChecked);
    companion->sendUserVoiceBulk(0);
    std::thread pump([&] { companion->onRcvIdentityReply(); });
    pump.join();
    EXPECT_EQ(checked.count(), 0) << "nothing runs on the pump thread";
    ASSERT_TRUE(rig->pumpUntil([&] { return checked.count() == 1; }, 2000));
    EXPECT_EQ(companion->bulkPacing(), 7) << "a reply keeps the preferred interval";
    EXPECT_FALSE(companion->m_identityTimer->isActive());
    companion->stopBulkRequest();
}
