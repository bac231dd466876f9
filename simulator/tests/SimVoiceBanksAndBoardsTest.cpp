// The instrument's voice banks, plug-in boards and cross-part rules as its memory-map
// document describes them: preset names, bank select to voice type, the native
// parameters of a plug-in edit voice at 39 00 nn, the arpeggio switch rule.
#include "SimCapture.h"
#include "simulator/SimulatedInstrument.h"

#include <gtest/gtest.h>

#include <string>

using namespace NS_Simulator;
using Kind = SimulatedInstrument::Kind;

namespace {

class SimVoiceBanksAndBoards : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sim.setOutputSink(capture.sink());
        sim.start();
    }
    void TearDown() override { sim.stop(); }

    void send(const Bytes& bytes)
    {
        const size_t before = sim.received().size();
        sim.input(bytes);
        ASSERT_TRUE(sim.waitForReceived(before + 1, 3000));
        ASSERT_TRUE(sim.waitIdle(5000));
    }
    Bytes prmChng(const Bytes& address, const Bytes& data) const
    {
        return sim.memoryMap().categories[0].parameterChange.form(0, address, data);
    }
    Kind lastKind() const { return sim.received().back().kind; }
    uint8_t partByte(int part, int offset) const
    {
        return sim.multiBlock({0x37, static_cast<uint8_t>(part), 0x00})[static_cast<size_t>(offset)];
    }
    static std::string nameOf(const Bytes& record) { return std::string(record.begin(), record.begin() + 10); }
    // Address of a dump message (F0 43 0n 5C bh bl a0 a1 a2 ..).
    static Bytes addressOf(const Bytes& m) { return Bytes(m.begin() + 6, m.begin() + 9); }

    SimCapture capture;
    SimulatedInstrument sim;
};

} // namespace

TEST_F(SimVoiceBanksAndBoards, PresetVoicesCarryTheDocumentedNamesAndCategories)
{
    // Rows of the document's table of preset voice names.
    struct Case { uint8_t bank; int program; const char* name; uint8_t category; };
    for (const Case& c : {Case{0x40, 0x00, "Fenu Piano", 0x01}, Case{0x40, 0x20, "Tovik Fret", 0x05},
                          Case{0x40, 0x7F, "Kael Grand", 0x01}, Case{0x47, 0x3F, "Cass Layer", 0x10},
                          Case{0x48, 0x00, "Fenu Kit  ", 0x0D}, Case{0x48, 0x62, "Oma Room  ", 0x0D}}) {
        const Bytes voice = sim.image().voice(c.bank, c.program);
        ASSERT_GE(voice.size(), 11u);
        EXPECT_EQ(nameOf(voice), c.name) << int(c.bank) << " " << c.program;
        EXPECT_EQ(voice[10], c.category) << int(c.bank) << " " << c.program;
    }
    // User voices start as the initial voice.
    EXPECT_EQ(nameOf(sim.image().voice(0x00, 5)), "Init Voice");

    // The preset drum bank holds 128 kits; the last one answers with its name.
    send({0xF0, 0x43, 0x20, 0x5C, 0x0E, 0x48, 0x7F, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(81));
    const auto m = capture.messages();
    ASSERT_EQ(m.size(), 81u);
    EXPECT_EQ(addressOf(m[1].bytes), (Bytes{0x40, 0x00, 0x00}));
    EXPECT_EQ(std::string(m[1].bytes.begin() + 9, m[1].bytes.begin() + 19), nameOf(sim.image().voice(0x48, 0x7F)));
    EXPECT_NE(nameOf(sim.image().voice(0x48, 0x7F)), "Init Voice");
}

TEST_F(SimVoiceBanksAndBoards, VoiceCommonHoldsWhatAPartTakesOver)
{
    // 40 00 0E-12 and 16: poly, portamento off / 0 / 0, bend +2 and -2, as a part's
    // defaults; 13-15 (the arpeggio reference) stay 0.
    const Bytes voice = sim.image().voice(0x00, 0);
    EXPECT_EQ(Bytes(voice.begin() + 0x0E, voice.begin() + 0x17),
              (Bytes{0x01, 0x00, 0x00, 0x00, 0x42, 0x00, 0x00, 0x00, 0x3E}));
    EXPECT_EQ(partByte(0, 0x0F), 0x01);
    EXPECT_EQ(partByte(0, 0x09), 0x42);
    EXPECT_EQ(partByte(0, 0x0A), 0x3E);
    EXPECT_EQ(partByte(0, 0x11), 0x00); // arpeggio key channel
}

TEST_F(SimVoiceBanksAndBoards, EditBufferRequestForAPartAnswersTheTypeItsBankPlays)
{
    struct Case { uint8_t msb, lsb, answering; };
    // USER DR, PLG USER 2, board banks 40 00 and 41 01, an unknown pair (plays PRESET 1).
    for (const Case& c : {Case{0x3F, 0x20, 0x2F}, Case{0x3F, 0x41, 0x1F}, Case{0x40, 0x00, 0x1F},
                          Case{0x41, 0x01, 0x1F}, Case{0x7F, 0x00, 0x2F}, Case{0x12, 0x34, 0x0F}}) {
        send(prmChng({0x37, 0x04, 0x00}, {c.msb}));
        send(prmChng({0x37, 0x04, 0x01}, {c.lsb}));
        capture.clear();
        for (uint8_t xx : {0x0F, 0x1F, 0x2F})
            send({0xF0, 0x43, 0x20, 0x5C, 0x12, xx, 0x00, 0x04, 0xF7});
        const auto m = capture.messages();
        ASSERT_FALSE(m.empty()) << int(c.msb) << " " << int(c.lsb);
        EXPECT_EQ(addressOf(m.front().bytes), (Bytes{0x0E, c.answering, 0x00})) << int(c.msb) << " " << int(c.lsb);
        EXPECT_EQ(addressOf(m.back().bytes), (Bytes{0x0F, c.answering, 0x00}));
    }
}

TEST_F(SimVoiceBanksAndBoards, NativeParametersShowThePluginEditVoice)
{
    // While the edit buffer holds a normal voice, 39 00 nn names nothing.
    send(prmChng({0x39, 0x00, 0x05}, {0x22}));
    EXPECT_EQ(lastKind(), Kind::ParameterRefused);

    sim.editImage([](SimMemoryImage& image) { image.selectEditType(VoiceType::Plugin); });
    send(prmChng({0x39, 0x00, 0x05}, {0x22}));
    EXPECT_EQ(lastKind(), Kind::ParameterChange);
    send(prmChng({0x39, 0x00, 0x46}, {0x11})); // the last native byte, 48 00 66
    EXPECT_EQ(lastKind(), Kind::ParameterChange);
    send(prmChng({0x39, 0x00, 0x47}, {0x11})); // one past the block
    EXPECT_EQ(lastKind(), Kind::ParameterRefused);
    const Bytes record = sim.image().editRecord();
    ASSERT_EQ(record.size(), 353u);
    EXPECT_EQ(record[250 + 0x25], 0x22); // PLG BOARD PART at 250, 48 00 25
    EXPECT_EQ(record[250 + 0x66], 0x11);

    // The same byte through its own address, and a request of the alias.
    send(prmChng({0x48, 0x00, 0x25}, {0x33}));
    capture.clear();
    send({0xF0, 0x43, 0x30, 0x5C, 0x39, 0x00, 0x05, 0xF7});
    ASSERT_TRUE(capture.waitForMessages(1));
    EXPECT_EQ(capture.messages()[0].bytes, prmChng({0x39, 0x00, 0x05}, {0x33}));
    // The native block is no multi block: a multi dump does not carry it.
    EXPECT_TRUE(sim.multiBlock({0x39, 0x00, 0x00}).empty());
}

TEST_F(SimVoiceBanksAndBoards, ArpeggioPartsShareTheirKeyChannel)
{
    // Every part starts with its arpeggio on (bit 02 of 37 pp 1F) and key channel 0.
    for (int p = 0; p < 16; ++p)
        ASSERT_EQ(partByte(p, 0x1F) & 0x02, 0x02) << p;

    // A part whose key channel now differs switches its own arpeggio off.
    send(prmChng({0x37, 0x03, 0x11}, {0x05}));
    EXPECT_EQ(partByte(3, 0x11), 0x05);
    EXPECT_EQ(partByte(3, 0x1F), 0x7C);
    EXPECT_EQ(partByte(1, 0x1F) & 0x02, 0x02);

    // Switching it on again turns off every other part that disagrees, and nothing else.
    send(prmChng({0x37, 0x03, 0x1F}, {0x7E}));
    EXPECT_EQ(partByte(3, 0x1F), 0x7E);
    for (int p = 0; p < 16; ++p) {
        if (p != 3)
            EXPECT_EQ(partByte(p, 0x1F), 0x7C) << p; // AND 7D keeps the other switches
    }
    // A part switched off may change its key channel freely; one that agrees stays on.
    send(prmChng({0x37, 0x08, 0x11}, {0x05}));
    send(prmChng({0x37, 0x08, 0x1F}, {0x7E}));
    EXPECT_EQ(partByte(8, 0x1F), 0x7E);
    EXPECT_EQ(partByte(3, 0x1F), 0x7E);
    // Writing a switch byte with the arpeggio bit clear changes nobody else.
    send(prmChng({0x37, 0x00, 0x1F}, {0x7C}));
    EXPECT_EQ(partByte(3, 0x1F), 0x7E);
    EXPECT_EQ(partByte(8, 0x1F), 0x7E);
}

TEST_F(SimVoiceBanksAndBoards, KnowsItsTwoBoards)
{
    const auto& boards = sim.memoryMap().boards;
    ASSERT_EQ(boards.size(), 2u);
    EXPECT_EQ(boards[0].name, "VTB-Corvan");
    EXPECT_EQ((Bytes{boards[0].msb, boards[0].lsb, boards[0].product}), (Bytes{0x40, 0x00, 0x01}));
    EXPECT_EQ(boards[1].name, "VTB-Sintra");
    EXPECT_EQ((Bytes{boards[1].msb, boards[1].lsb, boards[1].product}), (Bytes{0x41, 0x00, 0x04}));
}
