#include "utilities/YGuid.h"
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <cstring>

TEST(YGuid, FieldValuesGiveTextInMemoryOrder)
{
    const Y_GUID g(0x5421CA1A, 0xFA5E, 0x5441, 0x8C, 0xF4, 0x10, 0xA8, 0xB1, 0xB8, 0x72, 0x0F);
    EXPECT_EQ(Guid2QUuid(g).toString(), QStringLiteral("{1aca2154-5efa-4154-8cf4-10a8b1b8720f}"));
    EXPECT_EQ(QUuid2Guid(Guid2QUuid(g)), g);
}

TEST(YGuid, TextSpellingGivesSwappedFieldValues)
{
    const QUuid text(QStringLiteral("5421CA1A-FA5E-5441-8CF4-10A8B1B8720F"));
    const Y_GUID g = QUuid2Guid(text);
    EXPECT_EQ(g.Data1, 0x1ACA2154u);
    EXPECT_EQ(g.Data2, 0x5EFA);
    EXPECT_EQ(g.Data3, 0x4154);
    const uint8_t tail[8] = {0x8C, 0xF4, 0x10, 0xA8, 0xB1, 0xB8, 0x72, 0x0F};
    EXPECT_EQ(std::memcmp(g.Data4, tail, 8), 0);
    EXPECT_EQ(Guid2QUuid(g), text);
}

TEST(YGuid, MemoryBytesAreTheTextOrderBytes)
{
    const QUuid id(QStringLiteral("{17cd5afa-0e92-8543-b8a7-2aebee9fdd63}"));
    const Y_GUID g = QUuid2Guid(id);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&g), 16), id.toRfc4122());
}

TEST(YGuid, RoundTripsEveryIdentifier)
{
    EXPECT_TRUE(Guid2QUuid(Y_GUID()).isNull());
    EXPECT_EQ(QUuid2Guid(QUuid()), Y_GUID());
    QRandomGenerator rng(7);
    for (int i = 0; i < 1000; ++i) {
        Y_GUID g;
        auto* bytes = reinterpret_cast<uint8_t*>(&g);
        for (int k = 0; k < 16; ++k)
            bytes[k] = uint8_t(rng.bounded(256));
        const QUuid u = Guid2QUuid(g);
        ASSERT_EQ(QUuid2Guid(u), g);
        ASSERT_EQ(Guid2QUuid(QUuid2Guid(u)), u);
        ASSERT_EQ(QUuid(u.toString()), u);
    }
}

TEST(YGuid, EqualityComparesAllBytes)
{
    const Y_GUID a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
    Y_GUID b = a;
    EXPECT_EQ(a, b);
    b.Data4[7] = 12;
    EXPECT_NE(a, b);
}
