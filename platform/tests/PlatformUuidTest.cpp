#include "platform/PlatformUuid.h"
#include <gtest/gtest.h>
#include <cstring>
#include <set>

using NS_Platform::PlatformUuid;

TEST(PlatformUuid, BytesAreInTextOrder)
{
    const uint8_t bytes[16] = {0x54, 0x21, 0xCA, 0x1A, 0xFA, 0x5E, 0x54, 0x41,
                               0x8C, 0xF4, 0x10, 0xA8, 0xB1, 0xB8, 0x72, 0x0F};
    const QUuid id = PlatformUuid::fromBytes(bytes);
    EXPECT_EQ(id, QUuid(QStringLiteral("{5421ca1a-fa5e-5441-8cf4-10a8b1b8720f}")));
    uint8_t back[16] = {};
    PlatformUuid::toBytes(id, back);
    EXPECT_EQ(std::memcmp(back, bytes, 16), 0);
}

TEST(PlatformUuid, NewIdentifiersAreDistinct)
{
    std::set<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QUuid id = PlatformUuid::newIdentifier();
        ASSERT_FALSE(id.isNull());
        ASSERT_TRUE(seen.insert(id.toString()).second);
    }
}
