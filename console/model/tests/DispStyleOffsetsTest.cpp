// The built-in display styles that shift or scale a value, each at a value that shows
// its offset: a wrong sign or offset shows a wrong number on every control that uses
// the style.
#include "console/model/DispStyle.h"

#include <QString>
#include <gtest/gtest.h>

#include <vector>

TEST(DispStyleOffsets, EachStyleShowsItsShiftedOrScaledValue)
{
    struct Case
    {
        short style;
        std::vector<unsigned char> bytes;
        const char* text;
    };
    const Case cases[] = {
        {10, {0x01, 0x00}, "0"},          {10, {0x00, 0x10}, "-240"},
        {12, {100}, "0"},                 {12, {0}, "-100"},
        {13, {0x00, 0xC8}, "0"},          {13, {5}, "-195"},
        {14, {21}, "42"},                 {15, {21}, "63"},
        {16, {1}, "65"},                  {17, {1}, "129"},
        {18, {1}, "257"},                 {19, {2}, "198"},
        {20, {7}, "107"},                 {21, {7}, "207"},
        {22, {0}, "1"},                   {22, {127}, "128"},
        {24, {0x02, 0x00}, "0"},          {24, {0x00, 0x00}, "-512"},
        {25, {0x04, 0x01}, "1"},          {26, {0x08, 0x00}, "0"},
        {27, {0x10, 0x02}, "2"},          {28, {0x20, 0x00}, "0"},
        {29, {0x3F, 0xFF}, "-1"},         {30, {0x80, 0x00}, "0"},
        {31, {0x01, 0x00, 0x00}, "0"},    {31, {0x00, 0xFF, 0xFF}, "-1"},
        {33, {0x04, 0x00, 0x01}, "1"},    {34, {0x08, 0x00, 0x00}, "0"},
        {35, {0x10, 0x00, 0x00}, "0"},    {35, {0x00, 0x00, 0x00}, "-1048576"},
        {37, {3}, "300"},
    };
    CDispStyle styles;
    for (const Case& c : cases) {
        QString out;
        ASSERT_TRUE(styles.GetDispStyle(c.style, c.bytes.data(), (unsigned char)c.bytes.size(), out, nullptr))
            << c.style;
        EXPECT_EQ(out, QLatin1String(c.text)) << "style " << c.style;
    }
}
