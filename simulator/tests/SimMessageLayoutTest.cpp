#include "simulator/SimMemoryMap.h"

#include <gtest/gtest.h>

using namespace NS_Simulator;

namespace {
const SimMemoryMap& map()
{
    static const SimMemoryMap m = SimMemoryMap::standard();
    return m;
}
} // namespace

// The examples of the instrument's memory-map document.
TEST(SimMessageLayout, FormsTheDocumentedMessages)
{
    const SimCategory& edit = map().categories[0];
    EXPECT_EQ(edit.bulkDump.form(0, {0x00, 0x00, 0x00}, {0x7F}),
              (Bytes{0xF0, 0x43, 0x00, 0x5C, 0x00, 0x01, 0x00, 0x00, 0x00, 0x7F, 0x00, 0xF7}));
    EXPECT_EQ(edit.bulkDump.form(0, {0x0E, 0x7F, 0x00}, {}),
              (Bytes{0xF0, 0x43, 0x00, 0x5C, 0x00, 0x00, 0x0E, 0x7F, 0x00, 0x73, 0xF7}));
    EXPECT_EQ(edit.bulkDump.form(0, {0x0F, 0x7F, 0x00}, {}),
              (Bytes{0xF0, 0x43, 0x00, 0x5C, 0x00, 0x00, 0x0F, 0x7F, 0x00, 0x72, 0xF7}));
    EXPECT_EQ(edit.parameterChange.form(0, {0x37, 0x03, 0x0E}, {0x40}),
              (Bytes{0xF0, 0x43, 0x10, 0x5C, 0x37, 0x03, 0x0E, 0x40, 0xF7}));
    EXPECT_EQ(map().categories[3].parameterChange.form(0, {0x11, 0x00, 0x05}, {0x00}),
              (Bytes{0xF0, 0x43, 0x10, 0x5C, 0x11, 0x00, 0x05, 0x00, 0x6A, 0xF7}));
    // Covered bytes plus checksum make a multiple of 128.
    const Bytes abc = {0x41, 0x42, 0x43};
    EXPECT_EQ(sysExChecksum(abc.data(), abc.size()), 0x3A);

    Bytes data(300, 0);
    const Bytes big = edit.bulkDump.form(3, {0x36, 0x00, 0x00}, data);
    EXPECT_EQ(big[2], 0x03);
    EXPECT_EQ(big[4], 0x01);
    EXPECT_EQ(big[5], 0x2C);
}

TEST(SimMessageLayout, ParseChecksDeviceCountAndChecksum)
{
    const SimMessageLayout& dump = map().categories[0].bulkDump;
    const Bytes good = dump.form(5, {0x36, 0x01, 0x00}, {0x01, 0x02, 0x03});
    Bytes address, data;
    EXPECT_EQ(dump.parse(good, 5, &address, &data), SimMessageLayout::Match::Ok);
    EXPECT_EQ(address, (Bytes{0x36, 0x01, 0x00}));
    EXPECT_EQ(data, (Bytes{0x01, 0x02, 0x03}));
    EXPECT_EQ(dump.parse(good, 4, &address, &data), SimMessageLayout::Match::OtherDevice);

    Bytes badSum = good;
    badSum[badSum.size() - 2] ^= 0x01;
    EXPECT_EQ(dump.parse(badSum, 5, &address, &data), SimMessageLayout::Match::BadChecksum);
    Bytes badCount = good;
    badCount[5] = 0x04;
    EXPECT_EQ(dump.parse(badCount, 5, &address, &data), SimMessageLayout::Match::BadCount);
    Bytes otherModel = good;
    otherModel[3] = 0x5D;
    EXPECT_EQ(dump.parse(otherModel, 5, &address, &data), SimMessageLayout::Match::NoMatch);
    const Bytes tooShort = {0xF0, 0x43, 0x05, 0x5C, 0x00, 0xF7};
    EXPECT_EQ(dump.parse(tooShort, 5, &address, &data), SimMessageLayout::Match::NoMatch);
}

TEST(SimMemoryMap, SizesMatchTheDocument)
{
    const SimMemoryMap& m = map();
    ASSERT_EQ(m.multiDump.size(), 23u);
    int multiBytes = 0;
    for (int i : m.multiDump)
        multiBytes += m.multiBlocks[static_cast<size_t>(i)].size;
    EXPECT_EQ(multiBytes, 1217);
    const int sizes[3] = {952, 4138, 353};
    const size_t counts[3] = {12, 79, 5};
    for (int t = 0; t < 3; ++t) {
        const SimVoiceTypeDef& def = m.voiceTypes[t];
        EXPECT_EQ(def.blocks.size(), counts[t]) << def.name;
        int next = 0;
        for (const SimBlockDef& b : def.blocks) {
            EXPECT_EQ(b.offset, next) << def.name << " " << b.name; // back to back
            EXPECT_LT(b.size, 128);
            next = b.offset + b.size;
        }
        EXPECT_EQ(next, sizes[t]) << def.name;
    }
}
