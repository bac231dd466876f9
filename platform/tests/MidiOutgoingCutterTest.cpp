#include "platform/MidiOutgoingCutter.h"
#include <gtest/gtest.h>

using NS_Platform::MidiOutgoingCutter;
using Bytes = std::vector<uint8_t>;
using Unit = MidiOutgoingCutter::Unit;

namespace NS_Platform {
// Found beside the unit for the comparisons and failure messages below.
bool operator==(const MidiOutgoingCutter::Unit& a, const MidiOutgoingCutter::Unit& b)
{
    return a.sysex == b.sysex && a.begins == b.begins && a.ends == b.ends && a.bytes == b.bytes;
}
void PrintTo(const MidiOutgoingCutter::Unit& u, std::ostream* os)
{
    *os << (u.sysex ? "piece" : "bytes") << (u.begins ? " begins" : "") << (u.ends ? " ends" : "") << " of "
        << u.bytes.size();
}
} // namespace NS_Platform

namespace {

Unit piece(Bytes bytes, bool begins, bool ends)
{
    Unit u;
    u.sysex = true;
    u.begins = begins;
    u.ends = ends;
    u.bytes = std::move(bytes);
    return u;
}

Unit other(Bytes bytes)
{
    Unit u;
    u.bytes = std::move(bytes);
    return u;
}

Bytes dump(size_t size)
{
    Bytes m(size, 0x11);
    m.front() = 0xF0;
    m.back() = 0xF7;
    return m;
}

Bytes part(const Bytes& b, size_t from, size_t to) { return Bytes(b.begin() + long(from), b.begin() + long(to)); }

// One send after another; `fail` after a send: its message in progress failed.
struct Send
{
    Bytes bytes;
    bool fail = false;
};

struct CutCase
{
    const char* name;
    std::vector<Send> sends;
    std::vector<Unit> units;
};

class Cutting : public ::testing::TestWithParam<CutCase>
{
};

} // namespace

TEST_P(Cutting, GivesWholeMessagesOrStopsAtTheFailureNeverAHole)
{
    MidiOutgoingCutter cutter;
    std::vector<Unit> out;
    for (const Send& s : GetParam().sends) {
        cutter.cut(s.bytes.data(), s.bytes.size(), out);
        if (s.fail)
            cutter.failMessage();
    }
    EXPECT_EQ(out, GetParam().units);
}

const Bytes kLong = dump(600);

INSTANTIATE_TEST_SUITE_P(
    Sends, Cutting,
    ::testing::Values(
        CutCase{"ShortMessagesAroundADump",
                {{{0x90, 0x3C, 0x64, 0xF0, 0x01, 0xF7, 0xC0, 0x05}}},
                {other({0x90, 0x3C, 0x64}), piece({0xF0, 0x01, 0xF7}, true, true), other({0xC0, 0x05})}},
        CutCase{"LongDumpInCablePieces",
                {{kLong}},
                {piece(part(kLong, 0, 256), true, false), piece(part(kLong, 256, 512), false, false),
                 piece(part(kLong, 512, 600), false, true)}},
        CutCase{"DumpOverTwoSendsContinues",
                {{{0xF0, 0x01, 0x02}}, {{0x03, 0xF7}}},
                {piece({0xF0, 0x01, 0x02}, true, false), piece({0x03, 0xF7}, false, true)}},
        CutCase{"AFailedDumpIsNotContinuedButTheNextGoes",
                {{{0xF0, 0x01, 0x02}, true}, {{0x03, 0x04, 0xF7, 0xF0, 0x05, 0xF7}}},
                {piece({0xF0, 0x01, 0x02}, true, false), piece({0xF0, 0x05, 0xF7}, true, true)}},
        CutCase{"AFailureAfterTheEndLeavesTheNextAlone",
                {{{0xF0, 0x01, 0xF7}, true}, {{0xF0, 0x02, 0xF7}}},
                {piece({0xF0, 0x01, 0xF7}, true, true), piece({0xF0, 0x02, 0xF7}, true, true)}},
        CutCase{"RealTimeInsideADumpLeavesOnItsOwn",
                {{{0xF0, 0x01, 0xF8, 0x02, 0xF7}}},
                {piece({0xF0, 0x01}, true, false), other({0xF8}), piece({0x02, 0xF7}, false, true)}},
        CutCase{"StatusByteEndsAnUnterminatedDump",
                {{{0xF0, 0x01, 0x90, 0x3C, 0x64}}},
                {piece({0xF0, 0x01}, true, false), other({0x90, 0x3C, 0x64})}}),
    [](const ::testing::TestParamInfo<CutCase>& info) { return info.param.name; });
