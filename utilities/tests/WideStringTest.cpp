#include "utilities/WideString.h"
#include <QString>
#include <gtest/gtest.h>
#include <cstdlib>

namespace {
struct FreeDeleter
{
    void operator()(unsigned short* p) const { std::free(p); }
};
using Owned = std::unique_ptr<unsigned short, FreeDeleter>;
} // namespace

TEST(WideString, LengthCountsUnitsBeforeTheZero)
{
    EXPECT_EQ(NS_Utilities::wideStrLen(nullptr), 0u);
    const unsigned short empty[] = {0};
    EXPECT_EQ(NS_Utilities::wideStrLen(empty), 0u);
    const unsigned short text[] = {'a', 0xD83C, 0xDFB9, 'b', 0, 'c', 0};
    EXPECT_EQ(NS_Utilities::wideStrLen(text), 4u);
}

TEST(WideString, CopiesAreZeroTerminatedAndIndependent)
{
    unsigned short text[] = {'T', 'o', 'v', 0};
    Owned copy(CreateOLEString(text));
    ASSERT_TRUE(copy);
    text[0] = 'X';
    EXPECT_EQ(copy.get()[0], 'T');
    EXPECT_EQ(copy.get()[3], 0);
    EXPECT_EQ(NS_Utilities::wideStrLen(copy.get()), 3u);
}

TEST(WideString, NullAndEmptyGiveOneZeroUnit)
{
    Owned fromNull(CreateOLEString(static_cast<const unsigned short*>(nullptr)));
    ASSERT_TRUE(fromNull);
    EXPECT_EQ(fromNull.get()[0], 0);
    Owned fromEmpty(CreateOLEString(QString()));
    ASSERT_TRUE(fromEmpty);
    EXPECT_EQ(fromEmpty.get()[0], 0);
}

TEST(WideString, QStringCopyKeepsEveryUtf16Unit)
{
    const QString text = QStringLiteral("Port \u00e9 ") + QString::fromUcs4(U"\U0001F3B9");
    Owned copy(CreateOLEString(text));
    ASSERT_TRUE(copy);
    ASSERT_EQ(NS_Utilities::wideStrLen(copy.get()), size_t(text.size()));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(copy.get())), text);
}
