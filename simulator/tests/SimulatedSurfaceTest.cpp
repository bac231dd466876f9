// The simulated R5T surface: what its hand sends, what it shows, what it refuses.
#include "simulator/SimulatedSurface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using NS_Simulator::SimulatedSurface;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes hex(const char* text)
{
    Bytes out;
    for (const char* p = text; *p;) {
        while (*p == ' ')
            ++p;
        if (!p[0] || !p[1])
            break;
        out.push_back(uint8_t(std::stoi(std::string(p, 2), nullptr, 16)));
        p += 2;
    }
    return out;
}

Bytes display(uint8_t address, const std::string& text)
{
    Bytes m = hex("F0 43 10 3E 0E 60");
    m.push_back(address);
    m.insert(m.end(), text.begin(), text.end());
    m.push_back(0xF7);
    return m;
}

void feed(SimulatedSurface& s, const Bytes& b)
{
    s.input(b.data(), b.size());
}

} // namespace

TEST(SimulatedSurface, HandSendsKeysFadersAndEncodersInTheDocumentedForm)
{
    SimulatedSurface s;
    std::vector<Bytes> out;
    s.setOutputSink([&](const uint8_t* b, size_t n) { out.emplace_back(b, b + n); });
    s.tapKey(41);
    s.moveFader(3, 1023);
    s.moveFader(8, 7);
    s.turnEncoder(2, 20);
    s.turnEncoder(7, -5);
    s.pushEncoder(0);
    const std::vector<Bytes> expected = {hex("90 49 7F"), hex("90 49 00"), hex("E3 70 7F"), hex("E8 70 00"),
                                         hex("B0 12 0F"), hex("B0 12 04"), hex("B0 12 01"), hex("B0 17 44"),
                                         hex("B0 17 41"), hex("90 32 7F"), hex("90 32 00")};
    EXPECT_EQ(out, expected);
}

TEST(SimulatedSurface, KeysAreFoundByTheNamesTheTextShows)
{
    const std::pair<const char*, int> cases[] = {
        {"REMOTE", 41}, {"remote", 41},  {"page-right", 51}, {"Sel_3", 2},  {"SEL MASTER", 8},
        {"COMMON 8", 59}, {"KEY 60", 60}, {"piano", -1},      {"", -1},      {"REMOTE ", -1},
        {"SEL", -1},
    };
    for (const auto& [name, key] : cases) {
        EXPECT_EQ(SimulatedSurface::keyNumber(name), key) << name;
        if (key >= 0) {
            EXPECT_EQ(SimulatedSurface::keyNumber(SimulatedSurface::keyName(key)), key) << name;
        }
    }
}

TEST(SimulatedSurface, ShowsLampsFadersAndDisplayText)
{
    SimulatedSurface s;
    feed(s, hex("90 49 7F"));
    feed(s, hex("E0 06 32"));
    feed(s, hex("E8 7F 7F F0 43 10 3E 0E 61 01 F7"));   // two messages in one packet
    feed(s, display(0x00, std::string(55, '-')));
    feed(s, hex("F0 43 10 3E 0E 60 46 20 50 61"));        // a field message in two packets
    feed(s, hex("6E F7"));
    EXPECT_TRUE(s.lamp(41));
    EXPECT_EQ(s.faderPosition(0), 400);
    EXPECT_EQ(s.faderPosition(8), 1023);
    EXPECT_TRUE(s.remoteMode());
    EXPECT_EQ(s.line(0), std::string(55, '-'));
    EXPECT_EQ(s.line(1).substr(6, 4), " Pan");
    EXPECT_TRUE(s.faults().empty());
    EXPECT_NE(s.renderText().find("REMOTE"), std::string::npos);
}

TEST(SimulatedSurface, RefusesEveryMalformedMessage)
{
    const struct {
        const char* name;
        Bytes message;
        size_t faults = 1;
    } cases[] = {
        {"lamp of no key", hex("90 5D 7F")},
        {"lamp state 40", hex("90 49 40")},
        {"another channel", hex("91 49 7F")},
        {"fader above the master", hex("E9 00 00")},
        {"encoder message to the surface", hex("B0 10 01")},
        // The 80 ends the display message and starts a note-off that the F7 cuts off.
        {"data byte 80 in a display message", hex("F0 43 10 3E 0E 60 40 41 80 F7"), 2},
        {"another header", hex("F0 43 10 5C 37 00 0D 7F F7")},
        {"display without text", hex("F0 43 10 3E 0E 60 40 F7")},
        {"display leaves its line", display(0x30, "1234567890")},
        {"address between the lines", display(0x38, "x")},
        {"line message one cell late", display(0x01, std::string(55, 'x'))},
        {"remote mode 02", hex("F0 43 10 3E 0E 61 02 F7")},
        {"lamp cut off by a lamp", hex("90 49 90 4A 7F"), 1},
        {"fader cut off by a display message", hex("E0 06 F0 43 10 3E 0E 60 00 41 F7"), 1},
        {"lamp cut off by the end of a display message", hex("F0 43 10 3E 0E 60 40 90 49 F7"), 2},
        {"data bytes before any status", hex("49 7F"), 2},
        {"data bytes after a display message", hex("F0 43 10 3E 0E 61 01 F7 49 7F"), 2},
        {"data bytes after a real-time byte", hex("F8 49"), 1},
    };
    for (const auto& c : cases) {
        SimulatedSurface s;
        feed(s, c.message);
        EXPECT_EQ(s.faults().size(), c.faults) << c.name;
        EXPECT_EQ(s.line(1), std::string(55, ' ')) << c.name;
        EXPECT_FALSE(s.lamp(41)) << c.name;
    }
}
