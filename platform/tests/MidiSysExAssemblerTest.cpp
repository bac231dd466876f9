#include "platform/MidiSysExAssembler.h"
#include <gtest/gtest.h>

using NS_Platform::MidiSysExAssembler;
using Bytes = std::vector<uint8_t>;

namespace {

// A dump of `size` bytes in all.
Bytes dump(size_t size, uint8_t seed)
{
    Bytes m(size, 0);
    m.front() = 0xF0;
    for (size_t i = 1; i + 1 < size; ++i)
        m[i] = uint8_t((seed + i) & 0x7F);
    m.back() = 0xF7;
    return m;
}

// The message cut as a cable's sequencer driver cuts it: 256 bytes an event.
std::vector<Bytes> cablePieces(const Bytes& m)
{
    std::vector<Bytes> pieces;
    for (size_t at = 0; at < m.size(); at += 256)
        pieces.emplace_back(m.begin() + long(at), m.begin() + long(std::min(m.size(), at + 256)));
    return pieces;
}

const Bytes kInterrupt; // an empty piece: the input queue overran here

struct AssemblyCase
{
    const char* name;
    std::vector<Bytes> pieces;
    std::vector<Bytes> messages;
};

std::vector<Bytes> concat(std::vector<Bytes> a, const std::vector<Bytes>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Assembly : public ::testing::TestWithParam<AssemblyCase>
{
};

} // namespace

TEST_P(Assembly, GivesWholeMessagesAndNeverPiecesGluedTogether)
{
    MidiSysExAssembler assembler;
    std::vector<Bytes> out;
    for (const Bytes& p : GetParam().pieces) {
        if (p.empty())
            assembler.interrupt();
        else
            assembler.feed(p.data(), p.size(), out);
    }
    EXPECT_EQ(out, GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, Assembly,
    ::testing::Values(
        AssemblyCase{"WholeInOnePiece", {{0xF0, 0x43, 0x01, 0xF7}}, {{0xF0, 0x43, 0x01, 0xF7}}},
        AssemblyCase{"LongDumpInCablePieces", cablePieces(dump(5000, 1)), {dump(5000, 1)}},
        AssemblyCase{"TwoMessagesInOnePiece", {{0xF0, 0x01, 0xF7, 0xF0, 0x02, 0xF7}},
                     {{0xF0, 0x01, 0xF7}, {0xF0, 0x02, 0xF7}}},
        AssemblyCase{"PieceThatContinuesNothingIsDropped", {{0x01, 0x02, 0xF7}, {0xF0, 0x03, 0xF7}},
                     {{0xF0, 0x03, 0xF7}}},
        AssemblyCase{"NewStartDropsTheUnfinishedMessage", {{0xF0, 0x01, 0x02}, {0xF0, 0x03, 0xF7}},
                     {{0xF0, 0x03, 0xF7}}},
        AssemblyCase{"StatusByteEndsAnUnterminatedMessage", {{0xF0, 0x01, 0x90}, {0x02, 0xF7}}, {}},
        AssemblyCase{"RealTimeInsideIsLeftOut", {{0xF0, 0x01, 0xF8, 0x02, 0xFE, 0xF7}}, {{0xF0, 0x01, 0x02, 0xF7}}},
        // An overrun took pieces out of the middle: the rest of that dump is not glued
        // to its beginning; the next dump comes whole.
        AssemblyCase{"OverrunDropsTheDumpInProgressAndItsRest",
                     concat(concat({cablePieces(dump(1000, 2))[0], kInterrupt}, {cablePieces(dump(1000, 2))[3]}),
                            cablePieces(dump(600, 3))),
                     {dump(600, 3)}},
        AssemblyCase{"OverrunBetweenMessagesLosesNothing",
                     concat(concat({{0xF0, 0x01, 0xF7}}, {kInterrupt}), {{0xF0, 0x02, 0xF7}}),
                     {{0xF0, 0x01, 0xF7}, {0xF0, 0x02, 0xF7}}},
        AssemblyCase{"TooLongIsDroppedWholeAndTheNextComes",
                     concat(cablePieces(dump(MidiSysExAssembler::kMaxMessage + 10, 4)), {{0xF0, 0x05, 0xF7}}),
                     {{0xF0, 0x05, 0xF7}}}),
    [](const ::testing::TestParamInfo<AssemblyCase>& info) { return info.param.name; });

TEST(MidiSysExAssembler, AnInterruptSaysWhetherAMessageWasInProgressAndCountsWhatWasDropped)
{
    MidiSysExAssembler assembler;
    std::vector<Bytes> out;
    EXPECT_FALSE(assembler.interrupt());
    const Bytes begin{0xF0, 0x01, 0x02};
    assembler.feed(begin.data(), begin.size(), out);
    EXPECT_TRUE(assembler.gathering());
    EXPECT_TRUE(assembler.interrupt());
    EXPECT_FALSE(assembler.gathering());
    const Bytes rest{0x03, 0xF7};
    assembler.feed(rest.data(), rest.size(), out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(assembler.dropped(), 2u);
}
