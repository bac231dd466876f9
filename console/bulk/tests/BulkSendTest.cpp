// Bulk transmit against the simulated instrument: multi and user-bank sends leave
// the instrument's image equal to the editor's, paced, with mute and solo re-sent
// after a multi; the progress table; refused indexes; the queue under its mutex.
#include "SimLink.h"
#include "console/libfile/LibraryFile.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace BulkTest;

namespace {

Bytes pattern(size_t n, int seed)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t((i * 11 + size_t(seed) * 5 + 3) % 0x70 + 0x08);
    return b;
}

class BulkSend : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldBundle = qgetenv("VANTREL_BUNDLE_DIR");
        qputenv("VANTREL_BUNDLE_DIR", m_bundle.path().toLocal8Bit());
        rig = std::make_unique<Rig>();
        ASSERT_TRUE(rig->built);
    }
    void TearDown() override
    {
        rig.reset();
        qputenv("VANTREL_BUNDLE_DIR", m_oldBundle);
    }

    // Sends the queue at one message per interval, as the companion's timer does.
    int sendPaced(CBulk& bulk, int intervalMs)
    {
        int n = 1;  // the builder sent the first message itself
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
            if (!bulk.ContinueSend())
                break;
            ++n;
        }
        EXPECT_TRUE(rig->sim.waitIdle(30000)) << "the instrument did not take in what was sent";
        return n;
    }

    std::unique_ptr<Rig> rig;
    QTemporaryDir m_bundle;
    QByteArray m_oldBundle;
};

TEST_F(BulkSend, MultiSendMatchesTheEditorPacedAndResendsMuteAndSolo)
{
    CPrmCtrl& multi = rig->multi;
    std::vector<Bytes> addresses;
    int seed = 0;
    for (int i = 0; i < multi.BlkAdrs().GetBlkAdrsSize(0); ++i) {
        const LIBVCEDATA_ADRS a = multi.BlkAdrs().GetVceDataFileBlk(0, i);
        const Bytes adr(a.address, a.address + 3);
        Bytes data = pattern(editorBlock(multi, adr).size(), ++seed);
        ASSERT_TRUE(multi.SetBlkData(0, adr.data(), data.data()));
        addresses.push_back(adr);
    }
    multi.SetMuteStatus(2, true, false);
    ASSERT_TRUE(multi.CopyFromEditBuff(0, 0));
    rig->port.clear();

    CBulk& bulk = rig->multiBulk();
    QSignalSpy progress(&bulk, &CBulk::bulkSendProgressChanged);
    ASSERT_TRUE(bulk.BulkOutMulti());
    EXPECT_EQ(bulk.GetState(), CBulk::kMultiSend);
    const int interval = 15;
    sendPaced(bulk, interval);
    EXPECT_EQ(bulk.GetState(), CBulk::kIdle);

    for (const Bytes& adr : addresses) {
        Bytes want = editorBlock(multi, adr);
        // The muted part's volume is silent on the instrument; the editor keeps it.
        if (adr == Bytes{0x37, 0x02, 0x00}) {
            ASSERT_GT(want.size(), 0x0Du);
            want[0x0D] = 0;
        }
        EXPECT_EQ(rig->sim.multiBlock(adr), want) << int(adr[0]) << ' ' << int(adr[1]);
    }
    // Header, 23 blocks, footer; the instrument stored every block.
    EXPECT_EQ(rig->sim.received(SimulatedInstrument::Kind::Dump).size(), 23u);
    EXPECT_EQ(rig->sim.received(SimulatedInstrument::Kind::Framing).size(), 2u);
    const QList<QByteArray> sent = rig->port.sentCopy();
    ASSERT_GE(sent.size(), 25);
    for (int i = 1; i < 25; ++i)
        EXPECT_GE(rig->port.times[size_t(i)] - rig->port.times[size_t(i - 1)], int64_t(interval) * 1000000 - 200000);
    // After the footer the mute state of every part goes out again: part 3 is silent.
    EXPECT_EQ(sent[24], QByteArray::fromHex("F043005C00000F7F0072F7"));
    bool muteResent = false;
    for (int i = 25; i < sent.size(); ++i)
        muteResent = muteResent || sent[i].startsWith(QByteArray::fromHex("F043105C37020D"));
    EXPECT_TRUE(muteResent);
    ASSERT_GE(progress.count(), 1);
    EXPECT_EQ(progress.last().at(0).toInt(), 100);
}

TEST_F(BulkSend, UserBankSendLeavesTheInstrumentsBankEqualToTheEditors)
{
    CPrmCtrl& voice = rig->voice;
    for (int v = 0; v < 128; ++v) {
        int size = 0;
        unsigned char* p = voice.VceMem()->GetVoiceMem(0, v, &size);
        ASSERT_NE(p, nullptr);
        const Bytes b = pattern(size_t(size), v);
        std::copy(b.begin(), b.end(), p);
    }
    CBulk& bulk = rig->voiceBulk();
    EXPECT_EQ(bulk.GetBulkOutTotalNum(0), 128 * 14);
    ASSERT_TRUE(bulk.BulkOutCategory(0));
    EXPECT_EQ(bulk.GetSendQueueSize(), 128 * 14);
    sendPaced(bulk, 0);
    const NS_Simulator::SimMemoryImage image = rig->sim.image();
    for (int v = 0; v < 128; ++v)
        EXPECT_EQ(image.voice(0x00, v), storedVoice(voice, 0, v)) << v;
}

TEST_F(BulkSend, ProgressOfFourMessagesAndTheEnd)
{
    CBulk& bulk = rig->voiceBulk();
    QSignalSpy progress(&bulk, &CBulk::bulkSendProgressChanged);
    const unsigned char adr[3] = {0x0E, 0x00, 0x00};
    bulk.BulkOutMultipleBulkHeader();
    for (int i = 0; i < 4; ++i)
        bulk.SetBulkOutMidiHeaderFooter(adr);
    bulk.BulkOutMultipleBulkFooter();  // sends the first
    EXPECT_TRUE(bulk.ContinueSend());
    EXPECT_TRUE(bulk.ContinueSend());
    EXPECT_TRUE(bulk.ContinueSend());
    EXPECT_FALSE(bulk.ContinueSend());
    ASSERT_EQ(progress.count(), 4);
    const int want[4][2] = {{25, 0}, {50, 0}, {75, 0}, {100, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(progress.at(i).at(0).toInt(), want[i][0]);
        EXPECT_EQ(progress.at(i).at(1).toInt(), want[i][1]);
    }
    EXPECT_EQ(bulk.GetState(), CBulk::kIdle);
    EXPECT_EQ(bulk.GetSendQueueSize(), 0);
    // Idle: (0, 0) and nothing sent.
    EXPECT_FALSE(bulk.ContinueSend());
    EXPECT_EQ(progress.last().at(0).toInt(), 0);
    EXPECT_EQ(progress.last().at(1).toInt(), 0);
}

TEST_F(BulkSend, NegativeAndOutOfRangeIndexesAreRefused)
{
    CBulk& bulk = rig->voiceBulk();
    EXPECT_FALSE(bulk.BulkOutCategory(-1));
    EXPECT_FALSE(bulk.BulkOutCategory(bulk.GetBulkOutCategorySize()));
    EXPECT_FALSE(bulk.BulkOutLibVce(-1, 0));
    EXPECT_FALSE(bulk.BulkOutLibVce(0, -1));
    EXPECT_FALSE(bulk.BulkOutLibVce(0, 128));
    EXPECT_FALSE(bulk.BulkOutEditBufVce(-1, 0, 0, 0));
    EXPECT_EQ(bulk.GetBulkOutItemInfo(-1, 0), nullptr);
    EXPECT_EQ(bulk.GetBulkOutItemInfo(0, -1), nullptr);
    EXPECT_EQ(bulk.GetBulkOutEditBuffItemInfo(-1), nullptr);
    EXPECT_EQ(bulk.GetBulkOutItemNum(-1), 0);
    EXPECT_TRUE(bulk.GetBulkReqCategoryName(-1).isEmpty());
    EXPECT_EQ(bulk.GetBulkReqTotalNum(-1), 0);
    EXPECT_FALSE(bulk.IsBulkStrageHeader(-1));
    EXPECT_EQ(bulk.GetSendQueueSize(), 0);
    rig->port.clear();
    bulk.BulkReq(-1, 0);
    bulk.BulkReq(99, 0);
    EXPECT_EQ(bulk.GetState(), CBulk::kIdle);
    EXPECT_TRUE(rig->port.sentCopy().isEmpty());
}

TEST_F(BulkSend, SendingWhileAnotherThreadBuildsReadsTheQueueSafely)
{
    CBulk& bulk = rig->voiceBulk();
    rig->multi.SetMIDI(nullptr, 0);
    rig->voice.SetMIDI(nullptr, 0);
    std::atomic<bool> done{false};
    std::thread builder([&] {
        for (int i = 0; i < 6; ++i)
            bulk.BulkOutCategory(i % 3);
        done = true;
    });
    int sent = 0;
    for (;;) {
        const bool finished = done.load();
        if (bulk.ContinueSend())
            ++sent;
        else if (finished)
            break;
    }
    builder.join();
    // Each build starts its send with one message on the builder's thread, so how many
    // this thread sends depends on timing; what counts is a safe queue and an idle end.
    EXPECT_GE(sent, 0);
    EXPECT_EQ(bulk.GetState(), CBulk::kIdle);
}

TEST_F(BulkSend, OneLibraryVoiceGoesOutWithItsHeaderBlocksAndFooter)
{
    CBulk& bulk = rig->voiceBulk();
    rig->port.clear();
    ASSERT_TRUE(bulk.BulkOutLibVce(3, 5));  // a drum voice: 79 blocks
    sendPaced(bulk, 0);
    const QList<QByteArray> sent = rig->port.sentCopy();
    ASSERT_EQ(sent.size(), 81);
    EXPECT_EQ(sent.first(), QByteArray::fromHex("F043005C00000E2F0043F7"));
    EXPECT_EQ(sent.last(), QByteArray::fromHex("F043005C00000F2F0042F7"));
}

TEST_F(BulkSend, EditBufferSendFillsTheInstrumentsEditBuffer)
{
    CPrmCtrl& voice = rig->voice;
    const VCEMEM_INFO* cat = voice.VceMem()->GetCategory(15);
    ASSERT_NE(cat, nullptr);
    Bytes want;
    int seed = 0;
    for (const VCEMEM_ADRS& b : cat->blocks) {
        const Bytes data = pattern(size_t(b.size), ++seed);
        ASSERT_TRUE(voice.SetBlkData(0, b.address, data.data()));
        want.insert(want.end(), data.begin(), data.end());
    }
    CBulk& bulk = rig->voiceBulk();
    ASSERT_TRUE(bulk.BulkOutEditBufVce(0, 0, 0, 0));
    EXPECT_EQ(bulk.GetEditBuffCategory(), 0);
    sendPaced(bulk, 0);
    EXPECT_EQ(rig->sim.image().editRecord(), want);
}

TEST_F(BulkSend, LibraryDrumVoiceGoesOutWithTheDrumBlocks)
{
    CPrmCtrl& voice = rig->voice;
    int size = 0;
    unsigned char* drum = voice.VceMem()->GetVoiceMem(3, 2, &size);
    ASSERT_NE(drum, nullptr);
    const Bytes want = pattern(size_t(size), 17);
    std::copy(want.begin(), want.end(), drum);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.w9e"));
    ASSERT_TRUE(CLibraryFile(&voice, path).LibrarySaveAs());
    CLibraryFile library(&voice, path);
    ASSERT_TRUE(library.OpenLibraryFile2());
    std::fill(drum, drum + size, 0x00);

    CBulk& bulk = rig->voiceBulk();
    rig->port.clear();
    ASSERT_TRUE(bulk.BulkOutLibFileVce(&library, 3, 2));
    sendPaced(bulk, 0);
    EXPECT_EQ(rig->port.sentCopy().size(), 81);
    EXPECT_EQ(rig->sim.image().editType(), NS_Simulator::VoiceType::Drum);
    EXPECT_EQ(rig->sim.image().editRecord(), want);
}

} // namespace

namespace {

struct RefusedSendCase
{
    const char* name;
    bool chosen;    // the user chose the port that refuses
    bool ends;      // the send ends at the refused message, reported
};

class BulkSendRefused : public BulkSend, public ::testing::WithParamInterface<RefusedSendCase>
{
};

} // namespace

TEST_P(BulkSendRefused, AMessageThePortRefusesEndsTheSendWithItsFailure)
{
    const RefusedSendCase& c = GetParam();
    if (c.chosen)
        rig->port.chosen = QUuid::createUuid();
    rig->port.refuseFrom = 3;
    CBulk& bulk = rig->voiceBulk();
    QSignalSpy failed(&bulk, &CBulk::bulkSendFailed);
    QSignalSpy progress(&bulk, &CBulk::bulkSendProgressChanged);
    const unsigned char adr[3] = {0x0E, 0x00, 0x00};
    bulk.BulkOutMultipleBulkHeader();
    for (int i = 0; i < 6; ++i)
        bulk.SetBulkOutMidiHeaderFooter(adr);
    bulk.BulkOutMultipleBulkFooter(); // sends the first
    int calls = 0;
    while (bulk.ContinueSend() && calls < 20)
        ++calls;
    EXPECT_EQ(bulk.GetState(), CBulk::kIdle);
    EXPECT_EQ(bulk.GetSendQueueSize(), 0);
    if (c.ends) {
        // The third message was refused: nothing after it went, and no end of 100 came.
        EXPECT_EQ(failed.count(), 1);
        EXPECT_EQ(rig->port.attempts, 3);
        EXPECT_EQ(rig->port.sentCopy().size(), 2);
        ASSERT_FALSE(progress.isEmpty());
        EXPECT_LT(progress.last().at(0).toInt(), 100);
    } else {
        // Without a chosen port nothing is reported and the send runs to its end.
        EXPECT_EQ(failed.count(), 0);
        EXPECT_EQ(rig->port.attempts, 6); // every message of the queue
        ASSERT_FALSE(progress.isEmpty());
        EXPECT_EQ(progress.last().at(0).toInt(), 100);
    }
}

INSTANTIATE_TEST_SUITE_P(Ports, BulkSendRefused,
                         ::testing::Values(RefusedSendCase{"ChosenPortRefuses", true, true},
                                           RefusedSendCase{"NoPortChosen", false, false}),
                         [](const ::testing::TestParamInfo<RefusedSendCase>& info) { return info.param.name; });
