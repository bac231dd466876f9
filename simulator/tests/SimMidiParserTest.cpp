#include "simulator/SimMidiParser.h"

#include <gtest/gtest.h>

using NS_Simulator::Bytes;
using NS_Simulator::SimMidiParser;

namespace {

struct Collected
{
    std::vector<Bytes> messages;
    SimMidiParser parser{[this](const Bytes& m) { messages.push_back(m); }};
};

const Bytes kDump = {0xF0, 0x43, 0x00, 0x5C, 0x00, 0x01, 0x00, 0x00, 0x00, 0x7F, 0x00, 0xF7};

} // namespace

TEST(SimMidiParser, ReassemblesOneMessageSplitOverManyChunks)
{
    for (size_t chunk = 1; chunk <= kDump.size(); ++chunk) {
        Collected c;
        for (size_t pos = 0; pos < kDump.size(); pos += chunk)
            c.parser.feed(kDump.data() + pos, std::min(chunk, kDump.size() - pos));
        ASSERT_EQ(c.messages.size(), 1u) << "chunk " << chunk;
        EXPECT_EQ(c.messages[0], kDump);
    }
}

TEST(SimMidiParser, SeparatesSeveralMessagesInOnePacket)
{
    Collected c;
    Bytes packet = kDump;
    packet.insert(packet.end(), {0xB0, 0x07, 0x64, 0x0A, 0x40}); // running status
    packet.insert(packet.end(), kDump.begin(), kDump.end());
    packet.insert(packet.end(), {0xC3, 0x05});
    c.parser.feed(packet.data(), packet.size());
    ASSERT_EQ(c.messages.size(), 5u);
    EXPECT_EQ(c.messages[0], kDump);
    EXPECT_EQ(c.messages[1], (Bytes{0xB0, 0x07, 0x64}));
    EXPECT_EQ(c.messages[2], (Bytes{0xB0, 0x0A, 0x40}));
    EXPECT_EQ(c.messages[3], kDump);
    EXPECT_EQ(c.messages[4], (Bytes{0xC3, 0x05}));
}

TEST(SimMidiParser, TakesOneMessageOf64KilobytesWhole)
{
    Collected c;
    Bytes big(64 * 1024, 0x11);
    big.front() = 0xF0;
    big.back() = 0xF7;
    c.parser.feed(big.data(), big.size());
    ASSERT_EQ(c.messages.size(), 1u);
    EXPECT_EQ(c.messages[0], big);
}

TEST(SimMidiParser, SkipsRealTimeBytesInsideAMessage)
{
    Collected c;
    Bytes withClock = kDump;
    withClock.insert(withClock.begin() + 5, 0xF8);
    withClock.insert(withClock.begin() + 8, 0xFE);
    c.parser.feed(withClock.data(), withClock.size());
    ASSERT_EQ(c.messages.size(), 1u);
    EXPECT_EQ(c.messages[0], kDump);
}

TEST(SimMidiParser, AbandonsAMessageCutShortAndDropsOversizedOnes)
{
    Collected c;
    const Bytes cut = {0xF0, 0x43, 0x00, 0x5C, 0x00};
    c.parser.feed(cut.data(), cut.size());
    c.parser.feed(kDump.data(), kDump.size());
    ASSERT_EQ(c.messages.size(), 1u);
    EXPECT_EQ(c.messages[0], kDump);
    EXPECT_EQ(c.parser.droppedCount(), 1);

    Collected small;
    SimMidiParser limited([&](const Bytes& m) { small.messages.push_back(m); }, 8);
    limited.feed(kDump.data(), kDump.size());
    const Bytes shortOne = {0xF0, 0x01, 0x02, 0xF7};
    limited.feed(shortOne.data(), shortOne.size());
    ASSERT_EQ(small.messages.size(), 1u);
    EXPECT_EQ(small.messages[0], shortOne);
    EXPECT_EQ(limited.droppedCount(), 1);
}
