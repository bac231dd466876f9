#include "utilities/YGuid.h"
#include <gtest/gtest.h>

TEST(YGuid, FieldValuesGiveTextInMemoryOrder)
{
    const Y_GUID g(0x5421CA1A, 0xFA5E, 0x5441, 0x8C, 0xF4, 0x10, 0xA8, 0xB1, 0xB8, 0x72, 0x0F);
    EXPECT_EQ(Guid2QUuid(g).toString(), QStringLiteral("{1aca2154-5efa-4154-8cf4-10a8b1b8720f}"));
    EXPECT_EQ(QUuid2Guid(Guid2QUuid(g)), g);
}
