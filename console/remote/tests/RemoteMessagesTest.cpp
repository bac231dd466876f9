// Bytes of lamps, motor faders, display messages and template message strings.
#include "console/remote/RemoteMessages.h"
#include "SurfaceRig.h"

#include <gtest/gtest.h>

TEST(RemoteMessages, FaderPositionsGoOutAsSevenBitPitchBends)
{
    const struct {
        int channel, position;
        const char* bytes;
    } cases[] = {{0, 1023, "E0 7F 7F"}, {0, 0, "E0 00 00"}, {0, 400, "E0 06 32"}, {8, 508, "E8 47 3F"},
                 {3, -5, "E3 00 00"}, {2, 5000, "E2 7F 7F"}, {7, 1, "E7 10 00"}};
    for (const auto& c : cases)
        EXPECT_EQ(NS_RemoteMsg::fader(c.channel, c.position), hexBytes(c.bytes)) << c.position;
    // Every position survives the way back from the surface.
    for (int v = 0; v <= 1023; ++v) {
        const QByteArray m = NS_RemoteMsg::fader(0, v);
        const int w = uint8_t(m[2]) * 128 + uint8_t(m[1]);
        EXPECT_EQ((w * 1023 + 8191) / 16383, v);
    }
}

TEST(RemoteMessages, FaderPositionsFromTheSurfaceAndTheirValues)
{
    const struct {
        uint8_t d1, d2;
        int position;
    } in[] = {{0x7F, 0x7F, 1023}, {0x70, 0x00, 7}, {0x00, 0x00, 0}, {0x10, 0x40, 513}, {0xFF, 0xFF, 1023}};
    for (const auto& c : in)
        EXPECT_EQ(NS_RemoteMsg::faderPosition(c.d1, c.d2), c.position);
    const struct {
        int position, value;
    } values[] = {{1023, 127}, {0, 0}, {512, 64}, {-3, 0}, {4000, 127}};
    for (const auto& c : values)
        EXPECT_EQ(NS_RemoteMsg::faderToValue(c.position), c.value) << c.position;
    EXPECT_EQ(NS_RemoteMsg::valueToFader(127), 1023);
    EXPECT_EQ(NS_RemoteMsg::valueToFader(300), 1023);
    EXPECT_EQ(NS_RemoteMsg::valueToFader(-1), 0);
}

TEST(RemoteMessages, LampsAndDisplayTextAreSevenBit)
{
    EXPECT_EQ(NS_RemoteMsg::lamp(0x49, true), hexBytes("90 49 7F"));
    EXPECT_EQ(NS_RemoteMsg::lamp(0xC9, false), hexBytes("90 49 00"));
    EXPECT_EQ(NS_RemoteMsg::display(0x06, true, "Pan"), hexBytes("F0 43 10 3E 0E 60 06 20 50 61 6E F7"));
    EXPECT_EQ(NS_RemoteMsg::display(0x40, false, QByteArray("\xE9t\x01", 3)), hexBytes("F0 43 10 3E 0E 60 40 3F 74 3F F7"));
    EXPECT_TRUE(NS_RemoteMsg::display(0x40, true, QByteArray()).isEmpty());
}

TEST(RemoteMessages, TemplateMessageStrings)
{
    // Each message of a string comes out on its own, as the port sends it.
    const struct {
        const char* text;
        bool ok;
        QList<const char*> messages;
    } cases[] = {
        {"3,90497F", true, {"90 49 7F"}},
        {"8,F043103E0E6101F7", true, {"F0 43 10 3E 0E 61 01 F7"}},
        {"4,F0437EF7", true, {"F0 43 7E F7"}},
        {"6,90497F904A00", true, {"90 49 7F", "90 4A 00"}},
        {"5,C005E07F7F", true, {"C0 05", "E0 7F 7F"}},
        {"11,90497FF043103E0E6100F7", true, {"90 49 7F", "F0 43 10 3E 0E 61 00 F7"}},
        {"8,F04301F7F04302F7", true, {"F0 43 01 F7", "F0 43 02 F7"}},
        {"2,9049", true, {}},            // below 3 bytes: nothing to send
        {"0", true, {}},
        {"3,9049", false, {}},           // too few digits would send a cut message
        {"8,F043103E0E61", false, {}},
        {"3,49497F", false, {}},         // no status byte
        {"3,F0497F", false, {}},
        {"4,49497F7F", false, {}},       // a run that starts with a data byte
        {"6,90497F497F00", false, {}},   // a data byte where a status belongs
        {"4,90497F90", false, {}},       // the last message cut off by the end
        {"6,9049904A7F00", false, {}},   // a message cut off by the next status
        {"5,C0E07F7F00", false, {}},
        {"6,90497FF04301", false, {}},   // no F7
        {"4,F0438FF7", false, {}},       // data byte above 7F inside
        {"7,F043904A7FF7", false, {}},   // a status byte inside F0 .. F7
        {"4,F04301F0", false, {}},       // not ended by F7
        {"5,F7F04301F7", false, {}},     // F7 opens nothing
        {"4,F8904A7F", false, {}},
        {"3,9G497F", false, {}},
        {"x,90497F", false, {}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        QList<QByteArray> out{"stale"};
        EXPECT_EQ(NS_RemoteMsg::parseMessageString(c.text, out), c.ok) << c.text;
        // The template's check of a string answers as the parse.
        EXPECT_EQ(NS_RemoteMsg::isMessageString(QByteArray(c.text)), c.ok) << c.text;
        QList<QByteArray> expected;
        for (const char* m : c.messages)
            expected.append(hexBytes(m));
        EXPECT_EQ(out, expected) << c.text;
    }
}
