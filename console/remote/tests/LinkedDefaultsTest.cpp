// A reopened document re-evaluates the effect links: the dependent parameter takes the
// name, range and default of its effect type, and the surface's default key (modifier
// and encoder push) writes that default, inside the new range.
#include "SurfaceRig.h"

#include <QDataStream>
#include <QIODevice>
#include <gtest/gtest.h>
#include <memory>

namespace {

enum Keys { kModifier = 44, kCommon1 = 52 };
constexpr int kReverbPage = kCommon1 + 1;  // reverb page A: encoder 5 is parameter 1
constexpr int kParameter1Encoder = 5;

const unsigned char kReverbType[3] = {0x36, 0x01, 0x00};
const unsigned char kReverbParameter1[3] = {0x36, 0x01, 0x02};

struct ReverbDefault
{
    const char* name;
    unsigned char type[2];
    const char* parameter;
    unsigned char minimum[2];
    unsigned char byDefault[2];
};

void PrintTo(const ReverbDefault& c, std::ostream* out)
{
    *out << c.name;
}

// From the instrument's reverb table: parameter 1 of each type, its minimum and default.
const ReverbDefault kReverbDefaults[] = {
    {"HallBright", {0x01, 0x00}, "Reverb Time", {0x00, 0x03}, {0x00, 0x23}},
    {"HallDark", {0x01, 0x01}, "Reverb Time", {0x00, 0x03}, {0x00, 0x2D}},
    {"RoomSmall", {0x02, 0x00}, "Reverb Time", {0x00, 0x03}, {0x00, 0x0A}},
    {"SpringTank", {0x05, 0x00}, "Decay", {0x00, 0x00}, {0x00, 0x3C}},
};

QByteArray bytes(const unsigned char* b, int n)
{
    return QByteArray(reinterpret_cast<const char*>(b), n);
}

// A project saved with the reverb type set, as the host keeps it.
QByteArray documentWithReverbType(const unsigned char type[2])
{
    SurfaceRig saving;
    bool linked = false;
    EXPECT_TRUE(saving.map()->SetData(0, kReverbType, type, linked, LINK_ON, MIDI_OFF, false, 0));
    QByteArray document;
    QDataStream out(&document, QIODevice::WriteOnly);
    EXPECT_TRUE(saving.api->memory()->saveViaStream(out));
    return document;
}

class LinkedDefaults : public ::testing::TestWithParam<ReverbDefault>
{
};

} // namespace

TEST_P(LinkedDefaults, AReopenedDocumentKeepsTheEffectTypesDefaultForTheDefaultKey)
{
    const ReverbDefault& c = GetParam();
    const QByteArray document = documentWithReverbType(c.type);

    SurfaceRig rig;
    CPrmCtrl* map = rig.map();
    QDataStream in(document);
    ASSERT_TRUE(rig.api->memory()->loadViaStream(in));
    unsigned char type[2] = {};
    ASSERT_EQ(map->GetData(0, kReverbType, type), 2);
    ASSERT_EQ(bytes(type, 2), bytes(c.type, 2));

    PRMINFO info;
    ASSERT_TRUE(map->GetPrmInfo(0, kReverbParameter1, info));
    EXPECT_EQ(info.name.trimmed(), QLatin1String(c.parameter));
    ASSERT_EQ(info.size, 2);
    EXPECT_EQ(bytes(info.minimum, 2), bytes(c.minimum, 2));
    unsigned char* def = nullptr;
    unsigned char size = 0;
    ASSERT_TRUE(map->GetDef(0, kReverbParameter1, def, size));
    ASSERT_EQ(size, 2);
    EXPECT_EQ(bytes(def, 2), bytes(c.byDefault, 2));

    rig.surface.tapKey(kReverbPage);
    rig.clear();
    rig.surface.pressKey(kModifier);
    rig.surface.pushEncoder(kParameter1Encoder);
    rig.surface.releaseKey(kModifier);
    ASSERT_FALSE(rig.instrumentMessages().isEmpty());
    QByteArray change = hexBytes("F0 43 10 5C 36 01 02");
    change.append(bytes(c.byDefault, 2)).append(char(0xF7));
    EXPECT_EQ(rig.instrumentMessages().last(), change);
    unsigned char now[2] = {};
    ASSERT_EQ(map->GetData(0, kReverbParameter1, now), 2);
    EXPECT_EQ(bytes(now, 2), bytes(c.byDefault, 2));
    EXPECT_TRUE(rig.surface.faults().empty());
}

INSTANTIATE_TEST_SUITE_P(Reverb, LinkedDefaults, ::testing::ValuesIn(kReverbDefaults),
                         [](const auto& info) { return std::string(info.param.name); });
