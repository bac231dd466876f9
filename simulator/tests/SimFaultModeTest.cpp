// Each fault mode spoils exactly what it names in a multi dump: a bad checksum leaves
// the byte count right, a bad byte count is checksummed correctly, a missing block
// leaves every message whole; and whatever the fault hits, every byte between F0 and
// F7 stays 7-bit, also when the spoiled block holds the most a block may (127 bytes).
#include "SimCapture.h"
#include "simulator/SimulatedInstrument.h"

#include <gtest/gtest.h>

using namespace NS_Simulator;
using Fault = SimulatedInstrument::Fault;

namespace {

const Bytes kMultiRequest = {0xF0, 0x43, 0x20, 0x5C, 0x0E, 0x7F, 0x00, 0xF7};
constexpr int kMessages = 25; // header, 23 blocks, footer

// The standard instrument with its multi common block at the largest block size.
SimMemoryMap widestBlockMap()
{
    SimMemoryMap map = SimMemoryMap::standard();
    for (SimBlockDef& b : map.multiBlocks) {
        if (b.address == Bytes{0x36, 0x00, 0x00}) {
            b.size = 127;
            b.defaults.resize(127, 0x7F);
        }
    }
    return map;
}

struct Verdict
{
    bool countOk;
    bool checksumOk;
};

Verdict check(const SimMessageLayout& layout, const Bytes& m)
{
    const size_t fixed = size_t(layout.adrsPos + layout.adrsLen) + 2;
    const size_t count = size_t(m[layout.countPos]) * 256 + m[layout.countPos + 1];
    const size_t cs = m.size() - 2;
    return {m.size() >= fixed && count == m.size() - fixed,
            sysExChecksum(m.data() + layout.checksumStart, cs - size_t(layout.checksumStart)) == m[cs]};
}

} // namespace

TEST(SimFaultModes, EachFaultSpoilsOnlyWhatItNamesAndSendsOnly7BitData)
{
    SimulatedInstrument sim(widestBlockMap());
    SimCapture capture;
    sim.setOutputSink(capture.sink());
    sim.start();
    const SimMessageLayout& layout = sim.memoryMap().categories[0].bulkDump;
    for (Fault fault : {Fault::BadChecksum, Fault::BadCount, Fault::MissingBlock}) {
        for (int target = 0; target < kMessages; ++target) {
            SCOPED_TRACE(testing::Message() << "fault " << int(fault) << ", message " << target);
            capture.clear();
            sim.setFault(fault, target);
            const size_t before = sim.received().size();
            sim.input(kMultiRequest);
            ASSERT_TRUE(sim.waitForReceived(before + 1, 3000));
            ASSERT_TRUE(sim.waitIdle(5000));
            // The missing block is counted among the 23 data blocks, from 0.
            const bool missing = fault == Fault::MissingBlock && target < 23;
            const size_t expected = missing ? kMessages - 1 : kMessages;
            ASSERT_TRUE(capture.waitForMessages(expected));
            for (const Bytes& packet : capture.packets())
                for (uint8_t b : packet)
                    EXPECT_TRUE(b < 0x80 || b == 0xF0 || b == 0xF7) << int(b);
            const auto messages = capture.messages();
            ASSERT_EQ(messages.size(), expected);
            for (size_t i = 0; i < messages.size(); ++i) {
                const Verdict v = check(layout, messages[i].bytes);
                const bool hit = int(i) == target;
                EXPECT_EQ(v.countOk, !(hit && fault == Fault::BadCount)) << i;
                EXPECT_EQ(v.checksumOk, !(hit && fault == Fault::BadChecksum)) << i;
            }
        }
    }
    sim.stop();
}
