// Bulk request and receive against the simulated instrument: the request walks,
// the stored images, progress pacing, the latched error codes, the edit-buffer
// requests and the request messages themselves.
#include "SimLink.h"
#include "console/bulk/MidiCtrl.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace BulkTest;

namespace {

// A 7-bit pattern that differs from block to block.
Bytes pattern(size_t n, int seed)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t((i * 7 + size_t(seed) * 13 + 5) % 0x60 + 0x10);
    return b;
}

std::vector<Bytes> multiBlockAddresses(CPrmCtrl& map)
{
    std::vector<Bytes> out;
    for (int i = 0; i < map.BlkAdrs().GetBlkAdrsSize(0); ++i) {
        const LIBVCEDATA_ADRS a = map.BlkAdrs().GetVceDataFileBlk(0, i);
        out.push_back(Bytes(a.address, a.address + 3));
    }
    return out;
}

// Keeps the preset cache file that a preset walk writes out of the bundle.
class BulkReceive : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldBundle = qgetenv("VANTREL_BUNDLE_DIR");
        qputenv("VANTREL_BUNDLE_DIR", m_bundle.path().toLocal8Bit());
        rig = std::make_unique<Rig>();
        ASSERT_TRUE(rig->built) << rig->multi.ErrorText().toStdString() << rig->voice.ErrorText().toStdString();
    }
    void TearDown() override
    {
        rig.reset();
        qputenv("VANTREL_BUNDLE_DIR", m_oldBundle);
    }

    // Fills every multi block of the instrument with a pattern; returns them.
    std::vector<std::pair<Bytes, Bytes>> patternMulti()
    {
        std::vector<std::pair<Bytes, Bytes>> blocks;
        int seed = 1;
        for (const Bytes& a : multiBlockAddresses(rig->multi)) {
            const Bytes current = rig->sim.multiBlock(a);
            EXPECT_FALSE(current.empty());
            Bytes data = pattern(current.size(), seed++);
            // Each part plays a voice of a bank the instrument has, so that the end of
            // the multi walk keeps the part as received.
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

    std::unique_ptr<Rig> rig;
    QTemporaryDir m_bundle;
    QByteArray m_oldBundle;
};

TEST_F(BulkReceive, MultiReceiveStoresExactlyTheTemplatesBlocksAndEndsWith100)
{
    const auto blocks = patternMulti();
    CBulk& bulk = rig->multiBulk();
    QSignalSpy progress(&bulk, &CBulk::bulkRcvProgressChanged);
    QSignalSpy errors(&bulk, &CBulk::bulkRcvErrorOccurred);

    bulk.MultiReq(0);
    EXPECT_EQ(bulk.GetState(), CBulk::kMultiReq);
    rig->pumpUntilIdle(bulk);

    ASSERT_EQ(bulk.GetState(), CBulk::kIdle);
    EXPECT_EQ(errors.count(), 0);
    ASSERT_GE(progress.count(), 1);
    EXPECT_EQ(progress.last().at(0).toInt(), 100);
    for (const auto& b : blocks)
        EXPECT_EQ(editorBlock(rig->multi, b.first), b.second) << int(b.first[0]) << ' ' << int(b.first[1]);
    // Exactly one request went out, for the framed multi, in the part form.
    const auto requests = rig->sim.received(SimulatedInstrument::Kind::BulkRequest);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].bytes, (Bytes{0xF0, 0x43, 0x20, 0x5C, 0x12, 0x7F, 0x00, 0x00, 0xF7}));
}

TEST_F(BulkReceive, ProgressAtCableSpeedComesAtMostEvery500msAndNeverReaches100Early)
{
    // A plug-in bank: 64 voices, one request each, some nine seconds on a cable.
    rig->sim.setCableSpeed(true);
    CBulk& bulk = rig->voiceBulk();
    ASSERT_EQ(bulk.GetBulkReqTotalNum(4), 64);
    std::vector<std::pair<int, int64_t>> reports;
    QObject::connect(&bulk, &CBulk::bulkRcvProgressChanged,
                     [&](int p) { reports.emplace_back(p, nowNs()); });
    const int64_t start = nowNs();
    bulk.BulkReq(4, -1);
    // No time-out fires while replies are still arriving at 3125 bytes/s.
    rig->pumpUntilIdle(bulk, 3000);
    ASSERT_EQ(bulk.GetState(), CBulk::kIdle);
    ASSERT_EQ(rig->sim.received(SimulatedInstrument::Kind::BulkRequest).size(), 64u);
    // One report every half second or so, then 100.
    ASSERT_GE(reports.size(), 12u);
    EXPECT_EQ(reports.back().first, 100);
    int64_t previous = start;
    int last = 0;
    for (size_t i = 0; i + 1 < reports.size(); ++i) {
        EXPECT_GE(reports[i].first, last) << i;
        EXPECT_LE(reports[i].first, 99) << i;
        EXPECT_GE(reports[i].second - previous, 500 * 1000000LL) << i;
        last = reports[i].first;
        previous = reports[i].second;
    }
    EXPECT_GT(last, 80);
}

TEST_F(BulkReceive, UserBankWalkRequestsEveryVoiceOnePerReplyAndStoresThem)
{
    std::vector<Bytes> voices;
    rig->sim.editImage([&](NS_Simulator::SimMemoryImage& img) {
        for (int v = 0; v < 128; ++v) {
            Bytes r = img.voice(0x01, v);
            ASSERT_FALSE(r.empty());
            r = pattern(r.size(), v);
            ASSERT_TRUE(img.setVoice(0x01, v, r));
            voices.push_back(r);
        }
    });
    CBulk& bulk = rig->voiceBulk();
    EXPECT_EQ(bulk.GetBulkReqTotalNum(1), 128);
    bulk.SetProgressInterval(0);
    QSignalSpy progress(&bulk, &CBulk::bulkRcvProgressChanged);
    bulk.BulkReq(1, -1);
    rig->pumpUntilIdle(bulk);
    ASSERT_EQ(bulk.GetState(), CBulk::kIdle);
    for (int v = 0; v < 128; ++v)
        EXPECT_EQ(storedVoice(rig->voice, 1, v), voices[size_t(v)]) << v;
    const auto requests = rig->sim.received(SimulatedInstrument::Kind::BulkRequest);
    ASSERT_EQ(requests.size(), 128u);
    for (int v = 0; v < 128; ++v)
        EXPECT_EQ(requests[size_t(v)].bytes, (Bytes{0xF0, 0x43, 0x20, 0x5C, 0x0E, 0x01, uint8_t(v), 0xF7}));
    // Intermediate reports rise and stay below 100 until the walk has ended.
    int last = -1;
    for (int i = 0; i < progress.count() - 1; ++i) {
        const int p = progress.at(i).at(0).toInt();
        EXPECT_GE(p, last);
        EXPECT_LE(p, 99);
        last = p;
    }
    EXPECT_GT(last, 50);
    EXPECT_EQ(progress.last().at(0).toInt(), 100);
}

TEST_F(BulkReceive, PresetVoicesAreReceivedIntoThePresetCategory)
{
    CBulk& bulk = rig->voiceBulk();
    ASSERT_GE(bulk.GetPresetVoiceBulkReqCategorySize(), 1);
    std::vector<Bytes> voices;
    rig->sim.editImage([&](NS_Simulator::SimMemoryImage& img) {
        for (int v = 0; v < 128; ++v) {
            Bytes r = pattern(img.voice(0x40, v).size(), v + 3);
            ASSERT_TRUE(img.setVoice(0x40, v, r));
            voices.push_back(r);
        }
    });
    bulk.PresetBulkReq(0, -1);
    rig->pumpUntilIdle(bulk);
    ASSERT_EQ(bulk.GetState(), CBulk::kIdle);
    for (int v = 0; v < 128; ++v)
        EXPECT_EQ(storedVoice(rig->voice, 6, v), voices[size_t(v)]) << v;
}

TEST_F(BulkReceive, EditBufferRequestRunsOnTheVoiceEngineOnly)
{
    Bytes record;
    rig->sim.editImage([&](NS_Simulator::SimMemoryImage& img) {
        record = pattern(img.editRecord().size(), 9);
        ASSERT_TRUE(img.setEditVoice(img.editType(), record));
    });
    // The edit buffer's blocks are the normal voice's: category 15 of the voice map.
    const VCEMEM_INFO* cat = rig->voice.VceMem()->GetCategory(15);
    ASSERT_NE(cat, nullptr);
    ASSERT_EQ(cat->voiceSize, int(record.size()));
    auto editBuffer = [&] {
        Bytes out;
        for (const VCEMEM_ADRS& b : cat->blocks) {
            const Bytes blk = editorBlock(rig->voice, Bytes(b.address, b.address + 3));
            out.insert(out.end(), blk.begin(), blk.end());
        }
        return out;
    };
    const Bytes before = editBuffer();

    // On the multi engine the voices' headers are unknown: nothing is stored.
    rig->multiBulk().TovarEditBuffBulkReq(0);
    rig->pump(nullptr, 500);
    EXPECT_EQ(rig->multiBulk().GetState(), CBulk::kEditBufReq);
    EXPECT_EQ(editBuffer(), before);
    rig->multiBulk().StopRequests();
    // The instrument may still be working on the multi engine's request.
    ASSERT_TRUE(rig->sim.waitIdle(5000));
    rig->pump(nullptr, 200);

    CBulk& bulk = rig->voiceBulk();
    rig->sim.clearLogs();
    bulk.TovarEditBuffBulkReq(0);
    rig->pumpUntilIdle(bulk);
    ASSERT_EQ(bulk.GetState(), CBulk::kIdle);
    EXPECT_EQ(editBuffer(), record);
    EXPECT_EQ(bulk.GetEditBuffCategory(), 0);
    short type = -1, category = -1, voice = -1;
    EXPECT_EQ(rig->voice.GetEditBufferInfo(type, category, voice), 1);
    EXPECT_EQ(type, 0);
    // Three requests in the order 0F, 1F, 2F, each for part 0. They go out at once and
    // the first reply ends the request: the instrument may not have read the others yet.
    ASSERT_TRUE(rig->sim.waitIdle(5000));
    const auto requests = rig->sim.received(SimulatedInstrument::Kind::BulkRequest);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].bytes, (Bytes{0xF0, 0x43, 0x20, 0x5C, 0x12, 0x0F, 0x00, 0x00, 0xF7}));
    EXPECT_EQ(requests[1].bytes, (Bytes{0xF0, 0x43, 0x20, 0x5C, 0x12, 0x1F, 0x00, 0x00, 0xF7}));
    EXPECT_EQ(requests[2].bytes, (Bytes{0xF0, 0x43, 0x20, 0x5C, 0x12, 0x2F, 0x00, 0x00, 0xF7}));
}

struct FaultCase
{
    SimulatedInstrument::Fault fault;
    int param;
    int code;
};

class BulkReceiveFault : public BulkReceive, public ::testing::WithParamInterface<FaultCase>
{
};

TEST_P(BulkReceiveFault, ReportsItsCodeOnceAndStaysLatchedUntilCleared)
{
    const FaultCase c = GetParam();
    const Bytes before = editorBlock(rig->multi, Bytes{0x37, 0x05, 0x00});
    patternMulti();
    rig->sim.setFault(c.fault, c.param);
    if (c.code == 2) {
        // The instrument miscounts but checksums what it sends: the count is what fails.
        rig->transform = [](Bytes& m) {
            if (m.size() > 8 && m[2] == 0x00)
                m[m.size() - 2] = CMidiCtrl::GetCheckSum(m.data() + 4, int(m.size()) - 6);
        };
    }
    CBulk& bulk = rig->multiBulk();
    QSignalSpy errors(&bulk, &CBulk::bulkRcvErrorOccurred);
    QSignalSpy progress(&bulk, &CBulk::bulkRcvProgressChanged);
    bulk.MultiReq(0);
    rig->pump(nullptr, 500);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.at(0).at(0).toInt(), c.code);
    EXPECT_TRUE(bulk.IsBulkReceiveError());
    EXPECT_EQ(bulk.GetState(), CBulk::kMultiReq);
    for (int i = 0; i < progress.count(); ++i)
        EXPECT_NE(progress.at(i).at(0).toInt(), 100);
    // Later messages are not examined while the error is latched.
    const Bytes good = {0xF0, 0x43, 0x00, 0x5C, 0x00, 0x00, 0x0F, 0x7F, 0x00, 0x72, 0xF7};
    bulk.MidiRecieve(good.data(), int(good.size()));
    EXPECT_EQ(errors.count(), 1);
    // The multi is not copied into the edit buffer: the walk never ended.
    EXPECT_EQ(editorBlock(rig->multi, Bytes{0x37, 0x05, 0x00}), before);
    bulk.ClearRxStatusAll();
    EXPECT_FALSE(bulk.IsBulkReceiveError());
}

INSTANTIATE_TEST_SUITE_P(Codes, BulkReceiveFault,
                         ::testing::Values(FaultCase{SimulatedInstrument::Fault::BadChecksum, 3, 1},
                                           FaultCase{SimulatedInstrument::Fault::BadCount, 5, 2},
                                           FaultCase{SimulatedInstrument::Fault::MissingBlock, 7, 3}));

// The receive is asked for again at once after an error, as from the dialog, while the
// rest of the damaged dump is still on its way: that rest comes before the new reply and
// is none of the new request's business. Each fault reports its own code, and a good
// dump after them completes, however the instrument cuts its dumps into packets.
TEST_F(BulkReceive, RequestAskedAgainWhileTheDamagedDumpStillArrivesReportsOnlyItsOwnFault)
{
    using Fault = SimulatedInstrument::Fault;
    using Transport = SimulatedInstrument::Transport;
    const auto blocks = patternMulti();
    struct Step
    {
        const char* name;
        Fault fault;
        int param;
        int code; // 0: the receive completes
    };
    const Step steps[] = {
        {"checksum", Fault::BadChecksum, 3, 1},
        {"byte count", Fault::BadCount, 5, 2},
        {"byte count of the first block", Fault::BadCount, 1, 2},
        {"missing block", Fault::MissingBlock, 7, 3},
        {"checksum of the first block", Fault::BadChecksum, 1, 1},
        {"good dump", Fault::None, 0, 0},
    };
    struct Packets
    {
        const char* name;
        Transport transport;
        size_t chunk;
    };
    const Packets modes[] = {
        {"whole", Transport::Whole, 3},
        {"split by 1", Transport::Split, 1},
        {"split by 7", Transport::Split, 7},
        {"packed", Transport::Pack, 3},
    };
    CBulk& bulk = rig->multiBulk();
    for (const Packets& mode : modes) {
        SCOPED_TRACE(mode.name);
        rig->sim.setTransport(mode.transport, mode.chunk);
        for (const Step& step : steps) {
            SCOPED_TRACE(step.name);
            // The companion stops the engine on an error before the user asks again.
            bulk.StopRequests();
            QSignalSpy errors(&bulk, &CBulk::bulkRcvErrorOccurred);
            QSignalSpy progress(&bulk, &CBulk::bulkRcvProgressChanged);
            rig->sim.setFault(step.fault, step.param);
            bulk.MultiReq(0);
            rig->pump([&] { return errors.count() > 0 || bulk.GetState() == CBulk::kIdle; });
            std::vector<int> codes;
            for (const QList<QVariant>& e : errors)
                codes.push_back(e.at(0).toInt());
            EXPECT_EQ(codes, step.code ? std::vector<int>{step.code} : std::vector<int>{});
            if (step.code == 0) {
                EXPECT_EQ(bulk.GetState(), CBulk::kIdle);
                ASSERT_GE(progress.count(), 1);
                EXPECT_EQ(progress.last().at(0).toInt(), 100);
                for (const auto& b : blocks)
                    EXPECT_EQ(editorBlock(rig->multi, b.first), b.second) << int(b.first[0]) << ' ' << int(b.first[1]);
            }
        }
        rig->drop();
    }
}

TEST_F(BulkReceive, IdentityReplyIsAcceptedForTheDeviceOr7FOnly)
{
    CBulk& bulk = rig->voiceBulk();
    QSignalSpy identity(&bulk, &CBulk::identityReplyRecieved);
    QSignalSpy received(&bulk, &CBulk::bulkRecieved);
    bulk.IdentityReq();
    rig->pump([&] { return identity.count() > 0; }, 1000);
    EXPECT_EQ(identity.count(), 1);
    Bytes reply = {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x43, 0x00, 0x41, 0x19, 0x06, 0x00, 0x00, 0x00, 0x7F, 0xF7};
    bulk.MidiRecieve(reply.data(), int(reply.size()));
    EXPECT_EQ(identity.count(), 2);
    reply[2] = 0x05;
    bulk.MidiRecieve(reply.data(), int(reply.size()));
    reply[2] = 0x00;
    reply[9] = 0x07;  // another model
    bulk.MidiRecieve(reply.data(), int(reply.size()));
    // One byte short: never read past the message.
    bulk.MidiRecieve(reply.data(), 14);
    EXPECT_EQ(identity.count(), 2);
    EXPECT_EQ(received.count(), 0);
}

} // namespace
