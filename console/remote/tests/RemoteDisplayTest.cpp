// Placing texts on the display's fields: addresses, blanks and spill-over.
#include "console/remote/RemoteDisplay.h"
#include "SurfaceRig.h"

#include <gtest/gtest.h>

namespace {

std::vector<LCD_ADDR_LIST> surfaceFields()
{
    std::vector<LCD_ADDR_LIST> f;
    for (int i = 0; i < 8; ++i)
        f.push_back(LCD_ADDR_LIST{uint8_t(7 * i), uint8_t(0x40 + 7 * i), 0, 0});
    return f;
}

} // namespace

TEST(RemoteDisplay, FieldTextsSpillOverAndStayOnTheLine)
{
    const struct {
        const char* name;
        int field, width;
        QByteArray text;
        const char* message;
        int overCount;
    } cases[] = {
        {"FieldZeroHasNoBlank", 0, 1, "64", "F0 43 10 3E 0E 60 40 36 34 20 20 20 20 F7", 0},
        {"OtherFieldsStartWithTheBlank", 3, 1, "Ch12", "F0 43 10 3E 0E 60 54 20 43 68 31 32 20 20 F7", 0},
        {"ThirteenCharactersSpanTwoFields", 2, 1, "Hall:Hall Bri",
         "F0 43 10 3E 0E 60 4D 20 48 61 6C 6C 3A 48 61 6C 6C 20 42 72 69 F7", 2},
        {"AtTheLineEndTheTextMovesLeft", 7, 1, "Hall:Hall Bri",
         "F0 43 10 3E 0E 60 69 20 48 61 6C 6C 3A 48 61 6C 6C 20 42 72 69 F7", 2},
        {"WideItemKeepsItsWidth", 1, 2, "Init Voice", "F0 43 10 3E 0E 60 46 20 49 6E 69 74 20 56 6F 69 63 65 20 20 20 F7",
         0},
    };
    for (const auto& c : cases) {
        std::vector<LCD_ADDR_LIST> fields = surfaceFields();
        CRemoteDisplay d;
        d.setFields(&fields);
        const QByteArray m = d.fieldText(CRemoteDisplay::Lower, c.field, c.width, c.text);
        EXPECT_EQ(m, hexBytes(c.message)) << c.name;
        EXPECT_EQ(fields[size_t(c.field)].lowerOver, c.overCount) << c.name;
        EXPECT_EQ(d.text(CRemoteDisplay::Lower).size(), 55) << c.name;
        d.clearOverCounts();
        EXPECT_EQ(fields[size_t(c.field)].lowerOver, 0) << c.name;
    }
}

TEST(RemoteDisplay, LineMessagesAreAlwaysSixtyThreeBytes)
{
    std::vector<LCD_ADDR_LIST> fields = surfaceFields();
    CRemoteDisplay d;
    d.setFields(&fields);
    d.place(CRemoteDisplay::Upper, 6, 8, QByteArray(80, 'x'));    // cut at the line's end
    d.place(CRemoteDisplay::Upper, 0, 1, "Part 1 too long");       // cut at its width
    const QByteArray m = d.lineMessage(CRemoteDisplay::Upper);
    ASSERT_EQ(m.size(), 63);
    EXPECT_EQ(m.left(7), hexBytes("F0 43 10 3E 0E 60 00"));
    EXPECT_EQ(m.mid(7, 55), QByteArray("Part 1") + QByteArray(36, ' ') + QByteArray(13, 'x'));
    EXPECT_EQ(uint8_t(m.at(62)), 0xF7);
    d.clear(CRemoteDisplay::Lower);
    EXPECT_EQ(d.lineMessage(CRemoteDisplay::Lower).mid(6, 1), hexBytes("40"));
    EXPECT_TRUE(d.fieldMessage(CRemoteDisplay::Lower, 8, "x").isEmpty());
    EXPECT_TRUE(d.fieldMessage(CRemoteDisplay::Lower, 2, QByteArray()).isEmpty());
}
