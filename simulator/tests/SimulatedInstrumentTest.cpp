#include "SimCapture.h"
#include "simulator/SimulatedInstrument.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using namespace NS_Simulator;
using Fault = SimulatedInstrument::Fault;
using Kind = SimulatedInstrument::Kind;

namespace {

const Bytes kIdentityRequest = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
const Bytes kMultiRequest = {0xF0, 0x43, 0x20, 0x5C, 0x0E, 0x7F, 0x00, 0xF7};

class SimulatedInstrumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sim.setOutputSink(capture.sink());
        sim.start();
    }
    void TearDown() override { sim.stop(); }

    // Sends and waits until the instrument has handled it and sent all output.
    void send(const Bytes& bytes)
    {
        const size_t before = sim.received().size();
        sim.input(bytes);
        ASSERT_TRUE(sim.waitForReceived(before + 1, 3000));
        ASSERT_TRUE(sim.waitIdle(5000));
    }
    Bytes dump(const Bytes& address, const Bytes& data, uint8_t device = 0) const
    {
        return sim.memoryMap().categories[0].bulkDump.form(device, address, data);
    }
    Bytes prmChng(const Bytes& address, const Bytes& data) const
    {
        return sim.memoryMap().categories[0].parameterChange.form(0, address, data);
    }
    Kind lastKind() const { return sim.received().back().kind; }
    static Bytes addressOf(const Bytes& dumpMessage)
    {
        return Bytes(dumpMessage.begin() + 6, dumpMessage.begin() + 9);
    }

    SimCapture capture;
    SimulatedInstrument sim;
};

} // namespace

TEST_F(SimulatedInstrumentTest, AnswersIdentityForItsDeviceNumberOr7F)
{
    send(kIdentityRequest);
    ASSERT_TRUE(capture.waitForMessages(1));
    EXPECT_EQ(capture.messages()[0].bytes,
              (Bytes{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x43, 0x00, 0x41, 0x19, 0x06, 0x00, 0x00, 0x00, 0x7F, 0xF7}));

    sim.setDeviceNumber(5);
    capture.clear();
    send({0xF0, 0x7E, 0x04, 0x06, 0x01, 0xF7});
    EXPECT_EQ(lastKind(), Kind::Ignored);
    send({0xF0, 0x7E, 0x05, 0x06, 0x01, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(1));
    const auto replies = capture.messages();
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes[2], 0x05);
}

TEST_F(SimulatedInstrumentTest, StoresParameterChangesAndRefusesWhatNamesNoParameter)
{
    send(prmChng({0x37, 0x03, 0x0E}, {0x40}));
    EXPECT_EQ(lastKind(), Kind::ParameterChange);
    EXPECT_EQ(sim.multiBlock({0x37, 0x03, 0x00})[0x0E], 0x40);

    const Bytes before = sim.multiBlock({0x37, 0x03, 0x00});
    send(prmChng({0x37, 0x03, 0x3A}, {0x01})); // one past the part block
    EXPECT_EQ(lastKind(), Kind::ParameterRefused);
    send(prmChng({0x37, 0x03, 0x0E}, {0x01, 0x02})); // longer than the parameter
    EXPECT_EQ(lastKind(), Kind::ParameterRefused);
    send(prmChng({0x01, 0x00, 0x00}, {0x01})); // editor-side status: no memory
    EXPECT_EQ(lastKind(), Kind::ParameterRefused);
    EXPECT_EQ(sim.multiBlock({0x37, 0x03, 0x00}), before);

    send({0xF0, 0x43, 0x11, 0x5C, 0x37, 0x03, 0x0E, 0x22, 0xF7}); // device 1
    EXPECT_EQ(lastKind(), Kind::Ignored);
    EXPECT_EQ(sim.multiBlock({0x37, 0x03, 0x00}), before);
}

TEST_F(SimulatedInstrumentTest, StoresDumpsAndRefusesBadChecksumOrCount)
{
    Bytes reverb(36);
    for (size_t i = 0; i < reverb.size(); ++i)
        reverb[i] = static_cast<uint8_t>(i + 1);
    send(dump({0x36, 0x01, 0x00}, reverb));
    EXPECT_EQ(lastKind(), Kind::Dump);
    EXPECT_EQ(sim.multiBlock({0x36, 0x01, 0x00}), reverb);

    Bytes other(36, 0x55);
    Bytes badSum = dump({0x36, 0x01, 0x00}, other);
    badSum[badSum.size() - 2] ^= 0x10;
    send(badSum);
    EXPECT_EQ(lastKind(), Kind::DumpBadChecksum);
    Bytes badCount = dump({0x36, 0x01, 0x00}, other);
    badCount[5] = 35;
    send(badCount);
    EXPECT_EQ(lastKind(), Kind::DumpBadCount);
    send(dump({0x36, 0x01, 0x20}, Bytes(8, 0x11))); // runs past the block
    EXPECT_EQ(lastKind(), Kind::DumpUnknownAddress);
    EXPECT_EQ(sim.multiBlock({0x36, 0x01, 0x00}), reverb);
}

TEST_F(SimulatedInstrumentTest, FramedVoiceDumpsGoToTheNamedUserVoiceAndPresetsAreIgnored)
{
    Bytes name(82, 0x20);
    name[0] = 'Q';
    send(dump({0x0E, 0x01, 0x07}, {}));
    EXPECT_EQ(lastKind(), Kind::Framing);
    send(dump({0x40, 0x00, 0x00}, name));
    EXPECT_EQ(lastKind(), Kind::Dump);
    send(dump({0x42, 0x00, 0x00}, {0x01, 0x02, 0x03, 0x04}));
    send(dump({0x0F, 0x01, 0x07}, {}));
    const Bytes voice = sim.image().voice(0x01, 7);
    ASSERT_EQ(voice.size(), 952u);
    EXPECT_EQ(voice[0], 'Q');
    EXPECT_EQ(Bytes(voice.begin() + 312, voice.begin() + 316), (Bytes{0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(sim.image().voice(0x01, 6)[0], 'I'); // untouched neighbour keeps "Init Voice"

    send(dump({0x0E, 0x40, 0x00}, {}));
    send(dump({0x40, 0x00, 0x00}, name));
    EXPECT_EQ(lastKind(), Kind::DumpIgnored);
    send(dump({0x0F, 0x40, 0x00}, {}));
    const Bytes preset = sim.image().voice(0x40, 0);
    EXPECT_EQ(std::string(preset.begin(), preset.begin() + 10), "Fenu Piano"); // keeps its documented name

    // Unframed voice blocks go to the edit buffer.
    send(dump({0x40, 0x00, 0x00}, name));
    EXPECT_EQ(lastKind(), Kind::Dump);
    EXPECT_EQ(sim.image().editRecord()[0], 'Q');
}

TEST_F(SimulatedInstrumentTest, AnswersASingleBlockRequest)
{
    send({0xF0, 0x43, 0x20, 0x5C, 0x36, 0x02, 0x00, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(1));
    const auto m = capture.messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].bytes, dump({0x36, 0x02, 0x00}, sim.multiBlock({0x36, 0x02, 0x00})));

    send({0xF0, 0x43, 0x20, 0x5C, 0x36, 0x02, 0x05, 0xF7}); // not a block's first byte
    send({0xF0, 0x43, 0x20, 0x5C, 0x0E, 0x06, 0x00, 0xF7}); // no such bank
    EXPECT_EQ(capture.messages().size(), 1u);
}

TEST_F(SimulatedInstrumentTest, AnswersAMultiRequestWithHeaderAll23BlocksAndFooter)
{
    send(kMultiRequest);
    ASSERT_TRUE(capture.waitForMessages(25));
    const auto m = capture.messages();
    ASSERT_EQ(m.size(), 25u);
    EXPECT_EQ(m.front().bytes, (Bytes{0xF0, 0x43, 0x00, 0x5C, 0x00, 0x00, 0x0E, 0x7F, 0x00, 0x73, 0xF7}));
    EXPECT_EQ(Bytes(m[1].bytes.begin(), m[1].bytes.begin() + 9),
              (Bytes{0xF0, 0x43, 0x00, 0x5C, 0x00, 0x65, 0x36, 0x00, 0x00}));
    EXPECT_EQ(addressOf(m[23].bytes), (Bytes{0x38, 0x01, 0x00}));
    EXPECT_EQ(m.back().bytes, (Bytes{0xF0, 0x43, 0x00, 0x5C, 0x00, 0x00, 0x0F, 0x7F, 0x00, 0x72, 0xF7}));
    const SimMemoryMap& map = sim.memoryMap();
    for (size_t i = 0; i < 23; ++i)
        EXPECT_EQ(addressOf(m[i + 1].bytes), map.multiBlocks[static_cast<size_t>(map.multiDump[i])].address);

    // The part form asks the same.
    capture.clear();
    send({0xF0, 0x43, 0x20, 0x5C, 0x12, 0x7F, 0x00, 0x03, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(25));
    EXPECT_EQ(capture.messages().size(), 25u);
}

TEST_F(SimulatedInstrumentTest, AnswersVoiceRequestsWithTheirTypesBlocks)
{
    struct Case { uint8_t bank, voice; size_t blocks; };
    for (const Case& c : {Case{0x00, 0x05, 12}, Case{0x03, 0x1F, 79}, Case{0x05, 0x3F, 5}, Case{0x48, 0x3F, 79},
                          Case{0x47, 0x7F, 12}}) {
        capture.clear();
        send({0xF0, 0x43, 0x20, 0x5C, 0x0E, c.bank, c.voice, 0xF7});
        ASSERT_TRUE(capture.waitForMessages(c.blocks + 2));
        const auto m = capture.messages();
        ASSERT_EQ(m.size(), c.blocks + 2) << int(c.bank);
        EXPECT_EQ(addressOf(m.front().bytes), (Bytes{0x0E, c.bank, c.voice}));
        EXPECT_EQ(addressOf(m[1].bytes), (Bytes{0x40, 0x00, 0x00}));
        EXPECT_EQ(addressOf(m.back().bytes), (Bytes{0x0F, c.bank, c.voice}));
    }
    capture.clear();
    send({0xF0, 0x43, 0x20, 0x5C, 0x0E, 0x03, 0x20, 0xF7}); // USER DR has 32 voices
    EXPECT_TRUE(capture.messages().empty());
}

TEST_F(SimulatedInstrumentTest, EditBufferRequestsAnswerOnlyTheTypeTheBufferHolds)
{
    // The editor sends all three, in this order, for part 2.
    for (uint8_t xx : {0x0F, 0x1F, 0x2F})
        send({0xF0, 0x43, 0x20, 0x5C, 0x12, xx, 0x00, 0x02, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(14));
    auto m = capture.messages();
    ASSERT_EQ(m.size(), 14u);
    EXPECT_EQ(addressOf(m.front().bytes), (Bytes{0x0E, 0x0F, 0x00}));
    EXPECT_EQ(addressOf(m.back().bytes), (Bytes{0x0F, 0x0F, 0x00}));

    sim.editImage([](SimMemoryImage& image) { image.selectEditType(VoiceType::Drum); });
    capture.clear();
    for (uint8_t xx : {0x0F, 0x1F, 0x2F})
        send({0xF0, 0x43, 0x20, 0x5C, 0x0E, xx, 0x00, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(81));
    m = capture.messages();
    ASSERT_EQ(m.size(), 81u);
    EXPECT_EQ(addressOf(m.front().bytes), (Bytes{0x0E, 0x2F, 0x00}));
}

TEST_F(SimulatedInstrumentTest, AnswersParameterRequestsAndLogsChannelMessages)
{
    send(prmChng({0x37, 0x00, 0x0D}, {0x55}));
    send({0xF0, 0x43, 0x30, 0x5C, 0x37, 0x00, 0x0D, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(1));
    EXPECT_EQ(capture.messages()[0].bytes, prmChng({0x37, 0x00, 0x0D}, {0x55}));

    send({0xB2, 0x07, 0x64});
    EXPECT_EQ(lastKind(), Kind::Channel);
    send({0xC2, 0x05});
    EXPECT_EQ(sim.received(Kind::Channel).size(), 2u);
    EXPECT_EQ(sim.received(Kind::Channel)[1].bytes, (Bytes{0xC2, 0x05}));

    send({0xF0, 0x43, 0x10, 0x5C, 0x11, 0x00, 0x05, 0x00, 0x6A, 0xF7});
    EXPECT_EQ(lastKind(), Kind::VoiceSelect);
    EXPECT_EQ(sim.voiceEditChannel(), 5);
}

TEST_F(SimulatedInstrumentTest, TimestampsWhatItReceives)
{
    const int64_t t0 = SimulatedInstrument::nowNs();
    sim.input(prmChng({0x37, 0x00, 0x0E}, {0x10}));
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    sim.input(prmChng({0x37, 0x00, 0x0E}, {0x11}));
    ASSERT_TRUE(sim.waitForReceived(2, 3000));
    const auto r = sim.received();
    EXPECT_GE(r[0].timeNs, t0);
    EXPECT_GE(r[1].timeNs - r[0].timeNs, 40 * 1000000LL);
}

TEST_F(SimulatedInstrumentTest, NoReplyAndLateReply)
{
    sim.setFault(Fault::NoReply);
    send(kIdentityRequest);
    send(kMultiRequest);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(capture.messages().empty());

    sim.setFault(Fault::LateReply, 150);
    const int64_t t0 = SimulatedInstrument::nowNs();
    sim.input(kIdentityRequest);
    ASSERT_TRUE(capture.waitForMessages(1));
    EXPECT_GE(capture.messages()[0].timeNs - t0, 150 * 1000000LL);
}

TEST_F(SimulatedInstrumentTest, WrongModelChangesTheIdentityAndTheDumps)
{
    sim.setFault(Fault::WrongModel);
    send(kIdentityRequest);
    send({0xF0, 0x43, 0x20, 0x5C, 0x00, 0x00, 0x00, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(2));
    const auto m = capture.messages();
    EXPECT_EQ(m[0].bytes[8], 0x19);
    EXPECT_EQ(m[0].bytes[9], 0x07);
    EXPECT_EQ(m[1].bytes[3], 0x5D);
}

TEST_F(SimulatedInstrumentTest, BadChecksumAndBadCountHitTheChosenMessage)
{
    Bytes address, data;
    const SimMessageLayout& layout = sim.memoryMap().categories[0].bulkDump;
    for (Fault f : {Fault::BadChecksum, Fault::BadCount}) {
        capture.clear();
        sim.setFault(f, 2);
        send(kMultiRequest);
        ASSERT_TRUE(capture.waitForMessages(25));
        const auto m = capture.messages();
        for (size_t i = 0; i < m.size(); ++i) {
            const auto match = layout.parse(m[i].bytes, 0, &address, &data);
            if (i == 2)
                EXPECT_EQ(match, f == Fault::BadChecksum ? SimMessageLayout::Match::BadChecksum
                                                         : SimMessageLayout::Match::BadCount);
            else
                EXPECT_EQ(match, SimMessageLayout::Match::Ok) << i;
        }
    }
}

TEST_F(SimulatedInstrumentTest, MissingBlockAndSilenceAfterBlocks)
{
    sim.setFault(Fault::MissingBlock, 4);
    send(kMultiRequest);
    ASSERT_TRUE(capture.waitForMessages(24));
    auto m = capture.messages();
    ASSERT_EQ(m.size(), 24u); // header, 22 blocks, footer
    EXPECT_EQ(addressOf(m[4].bytes), (Bytes{0x36, 0x10, 0x00}));
    EXPECT_EQ(addressOf(m[5].bytes), (Bytes{0x37, 0x00, 0x00})); // MASTER EF left out

    capture.clear();
    sim.setFault(Fault::SilenceAfterBlocks, 5);
    send(kMultiRequest);
    send(kMultiRequest);
    send(kIdentityRequest);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    m = capture.messages();
    ASSERT_EQ(m.size(), 6u); // header and five blocks, then nothing at all
    EXPECT_EQ(addressOf(m[5].bytes), (Bytes{0x36, 0x11, 0x00}));
}

TEST_F(SimulatedInstrumentTest, SplitsAndPacksItsOutput)
{
    send(kMultiRequest);
    ASSERT_TRUE(capture.waitForMessages(25));
    const auto whole = capture.messages();
    EXPECT_EQ(capture.packets().size(), 25u);

    capture.clear();
    sim.setTransport(SimulatedInstrument::Transport::Split, 5);
    send(kMultiRequest);
    ASSERT_TRUE(capture.waitForMessages(25));
    auto packets = capture.packets();
    EXPECT_GT(packets.size(), 250u);
    for (const Bytes& p : packets)
        EXPECT_LE(p.size(), 5u);
    auto split = capture.messages();
    ASSERT_EQ(split.size(), whole.size());
    for (size_t i = 0; i < split.size(); ++i)
        EXPECT_EQ(split[i].bytes, whole[i].bytes);

    capture.clear();
    sim.setTransport(SimulatedInstrument::Transport::Pack);
    send(kMultiRequest);
    ASSERT_TRUE(capture.waitForMessages(25));
    EXPECT_EQ(capture.packets().size(), 1u);
    EXPECT_EQ(capture.messages().size(), 25u);
}

TEST_F(SimulatedInstrumentTest, DeliversOneMessageOf64KilobytesInOnePacket)
{
    sim.sendLargeMessage(64 * 1024);
    ASSERT_TRUE(capture.waitForMessages(1));
    ASSERT_EQ(capture.packets().size(), 1u);
    const Bytes big = capture.messages()[0].bytes;
    EXPECT_EQ(big.size(), 64u * 1024u);
    EXPECT_EQ(big[1], 0x7D);

    // And takes one whole as input, then ignores it.
    send(big);
    EXPECT_EQ(lastKind(), Kind::Ignored);
    EXPECT_EQ(sim.received().back().bytes.size(), 64u * 1024u);
}

TEST_F(SimulatedInstrumentTest, MultiDumpAtCableSpeedTakesTheTimeItsBytesNeed)
{
    sim.setCableSpeed(true);
    const int64_t t0 = SimulatedInstrument::nowNs();
    sim.input(kMultiRequest);
    ASSERT_TRUE(capture.waitForMessages(25, 5000));
    const auto m = capture.messages();
    size_t bytes = 0;
    for (const auto& msg : m)
        bytes += msg.bytes.size();
    EXPECT_EQ(bytes, 1217u + 25u * 11u);
    const double expected = double(bytes) / SimulatedInstrument::kCableBytesPerSecond;
    const double took = double(m.back().timeNs - t0) / 1e9;
    EXPECT_GE(took, expected * 0.98);
    EXPECT_LT(took, expected + 0.4);
    // No message arrives before all the bytes up to its end could have crossed
    // the cable.
    size_t sofar = 0;
    for (size_t i = 0; i < m.size(); ++i) {
        sofar += m[i].bytes.size();
        const double at = double(m[i].timeNs - t0) / 1e9;
        EXPECT_GE(at, double(sofar) / SimulatedInstrument::kCableBytesPerSecond * 0.98) << i;
    }
}

TEST_F(SimulatedInstrumentTest, StartsWithTheDocumentedDefaultsAndKnowsWideParameters)
{
    const Bytes common = sim.multiBlock({0x36, 0x00, 0x00});
    EXPECT_EQ(Bytes(common.begin(), common.begin() + 10), Bytes({'I', 'n', 'i', 't', ' ', 'M', 'u', 'l', 't', 'i'}));
    EXPECT_EQ(common[0x2A], 0x7F); // SF1 type: none
    EXPECT_EQ(sim.multiBlock({0x00, 0x00, 0x00}), Bytes{0x7F});
    EXPECT_EQ(sim.multiBlock({0x37, 0x0F, 0x00})[0x03], 0x0F); // part 16 receives on channel 16
    EXPECT_EQ(sim.multiBlock({0x37, 0x0F, 0x00})[0x0D], 0x64);
    const Bytes voice = sim.image().voice(0x03, 0);
    EXPECT_EQ(voice[269 + 50 * 72 + 3], 0x64); // last drum key's level
    EXPECT_EQ(voice[269 + 50 * 72 + 4], 0x40); // and pan
    EXPECT_EQ(sim.image().voice(0x00, 0)[316], 0x01);       // element 1 on
    EXPECT_EQ(sim.image().voice(0x00, 0)[316 + 159], 0x00); // element 2 off

    send(prmChng({0x36, 0x00, 0x14}, {0x01, 0x02})); // arpeggio type, 14 bits
    EXPECT_EQ(lastKind(), Kind::ParameterChange);
    send(prmChng({0x36, 0x00, 0x14}, {0x05}));
    EXPECT_EQ(lastKind(), Kind::ParameterRefused);
    send(prmChng({0x36, 0x00, 0x15}, {0x05})); // inside the type: names no parameter
    EXPECT_EQ(lastKind(), Kind::ParameterRefused);
    send(prmChng({0x36, 0x00, 0x60}, {0x00, 0x01, 0x03})); // insertion switches
    EXPECT_EQ(lastKind(), Kind::ParameterChange);
    const Bytes after = sim.multiBlock({0x36, 0x00, 0x00});
    EXPECT_EQ(Bytes(after.begin() + 0x14, after.begin() + 0x16), (Bytes{0x01, 0x02}));
    EXPECT_EQ(Bytes(after.begin() + 0x60, after.begin() + 0x63), (Bytes{0x00, 0x01, 0x03}));

    send({0xF0, 0x43, 0x30, 0x5C, 0x36, 0x00, 0x14, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(1));
    EXPECT_EQ(capture.messages()[0].bytes, prmChng({0x36, 0x00, 0x14}, {0x01, 0x02}));

    // Wave numbers of the voice edit buffer are 14-bit, two bytes.
    sim.editImage([](NS_Simulator::SimMemoryImage& image) { image.selectEditType(NS_Simulator::VoiceType::Drum); });
    send(prmChng({0x4A, 0x05, 0x01}, {0x04, 0x57})); // drum key 6: wave 599
    EXPECT_EQ(lastKind(), Kind::ParameterChange);
    EXPECT_EQ(sim.image().editRecord()[269 + 50 * 5 + 2], 0x57);
    send(prmChng({0x4A, 0x05, 0x01}, {0x04}));
    EXPECT_EQ(lastKind(), Kind::ParameterRefused);
    send(prmChng({0x4A, 0x05, 0x02}, {0x04})); // inside the wave number
    EXPECT_EQ(lastKind(), Kind::ParameterRefused);
    sim.editImage([](NS_Simulator::SimMemoryImage& image) { image.selectEditType(NS_Simulator::VoiceType::Normal); });
    send(prmChng({0x44, 0x03, 0x02}, {0x01, 0x00})); // element 4: wave 128
    EXPECT_EQ(lastKind(), Kind::ParameterChange);
    EXPECT_EQ(sim.image().editRecord()[316 + 159 * 3 + 2], 0x01);
}

TEST_F(SimulatedInstrumentTest, ChangingAnEffectTypeSetsItsParameterDefaults)
{
    send(prmChng({0x36, 0x02, 0x04}, {0x00, 0x33})); // chorus parameter 2 by hand
    send(prmChng({0x36, 0x02, 0x00}, {0x45, 0x00})); // Delay L/R
    Bytes chorus = sim.multiBlock({0x36, 0x02, 0x00});
    EXPECT_EQ(Bytes(chorus.begin(), chorus.begin() + 10),
              (Bytes{0x45, 0x00, 0x13, 0x44, 0x1D, 0x26, 0x00, 0x50, 0x00, 0x00})); // 2500, 3750, 80
    EXPECT_EQ(chorus[0x22], 0x40); // the return is no effect parameter

    send(prmChng({0x36, 0x02, 0x02}, {0x00, 0x01}));
    send(prmChng({0x36, 0x02, 0x00}, {0x45, 0x00})); // the same type: nothing reset
    EXPECT_EQ(sim.multiBlock({0x36, 0x02, 0x00})[0x03], 0x01);

    send(prmChng({0x36, 0x02, 0x00}, {0x7E, 0x00})); // not a type: stored, all parameters 0
    chorus = sim.multiBlock({0x36, 0x02, 0x00});
    EXPECT_EQ(chorus[0], 0x7E);
    EXPECT_EQ(Bytes(chorus.begin() + 2, chorus.begin() + 0x22), Bytes(32, 0));
}

TEST_F(SimulatedInstrumentTest, FramedEditBufferDumpSwitchesTheBufferToItsType)
{
    Bytes key(50, 0x22);
    send(dump({0x0E, 0x2F, 0x00}, {}));
    send(dump({0x4A, 0x05, 0x00}, key));
    EXPECT_EQ(lastKind(), Kind::Dump);
    send(dump({0x0F, 0x2F, 0x00}, {}));
    const SimMemoryImage image = sim.image();
    EXPECT_EQ(image.editType(), VoiceType::Drum);
    EXPECT_EQ(Bytes(image.editRecord().begin() + 269 + 250, image.editRecord().begin() + 269 + 300), key);

    // A normal voice's element block names nothing in a drum voice.
    send(dump({0x44, 0x00, 0x00}, Bytes(80, 0x01)));
    EXPECT_EQ(lastKind(), Kind::DumpUnknownAddress);
    // And the edit buffer now answers as a drum voice.
    send({0xF0, 0x43, 0x20, 0x5C, 0x4A, 0x05, 0x00, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(1));
    EXPECT_EQ(capture.messages()[0].bytes, dump({0x4A, 0x05, 0x00}, key));
}
