// The manager driven end to end by the simulated surface on the memory-API object.
#include "SurfaceRig.h"
#include "console/remote/RemoteMessages.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using NS_Simulator::SimulatedSurface;

namespace {

enum Keys {
    kSel1 = 0, kSelMaster = 8, kStatus1 = 9, kStatusMaster = 17, kPush1 = 18, kEdit = 26, kMix1 = 27,
    kInsert = 35, kDisplay = 38, kApp1 = 39, kRemote = 41, kModifier = 44, kSolo = 45, kBankDown = 47,
    kBankUp = 48, kShift = 49, kPageLeft = 50, kPageRight = 51, kCommon1 = 52
};

QByteArray change(int a0, int a1, int a2, int value)
{
    QByteArray m = hexBytes("F0 43 10 5C");
    m.append(char(a0)).append(char(a1)).append(char(a2)).append(char(value)).append(char(0xF7));
    return m;
}

using Triple = QList<int>;

QList<Triple> triples(const QSignalSpy& spy)
{
    QList<Triple> out;
    for (const QList<QVariant>& args : spy)
        out.append({args.at(0).toInt(), args.at(1).toInt(), args.at(2).toInt()});
    return out;
}

} // namespace

TEST(SurfaceRemote, PlugInModeWaitsForTheRemoteKeyAndHandsTheSurfaceBack)
{
    SurfaceRig rig(true);
    EXPECT_TRUE(rig.mng().isPlugInMode());
    EXPECT_FALSE(rig.mng().isActive());
    EXPECT_EQ(rig.surface.messagesReceived(), 0);

    // Nothing but the remote key counts while the surface belongs to another program.
    rig.surface.moveFader(0, 1023);
    rig.surface.tapKey(kSel1 + 2);
    rig.surface.pressKey(kRemote);
    rig.surface.releaseKey(kRemote);
    EXPECT_TRUE(rig.instrumentMessages().isEmpty());
    EXPECT_TRUE(rig.mng().isActive());
    EXPECT_TRUE(rig.surface.remoteMode());
    EXPECT_TRUE(rig.surface.lamp(kRemote));
    EXPECT_EQ(rig.surface.faderPosition(0), 805);   // volume 100
    EXPECT_EQ(rig.surface.faderPosition(8), 1023);  // master 127
    EXPECT_EQ(rig.upper().substr(0, 13), "Part 1 Part 2");

    rig.surface.tapKey(kApp1);
    EXPECT_FALSE(rig.mng().isActive());
    EXPECT_FALSE(rig.surface.lamp(kRemote));
    rig.clear();
    rig.surface.moveFader(0, 0);
    EXPECT_TRUE(rig.instrumentMessages().isEmpty());
    EXPECT_TRUE(rig.surface.faults().empty());
}

TEST(SurfaceRemote, StandaloneSurfaceIsSetUpAtOnceWithByteExactMessages)
{
    SurfaceRig rig;
    const QList<QByteArray>& sent = rig.surfacePort.sent;
    ASSERT_GE(sent.size(), 4);
    EXPECT_EQ(sent.at(0), hexBytes("F0 43 10 3E 0E 61 01 F7"));
    EXPECT_EQ(sent.at(1), hexBytes("90 49 7F"));
    // Fader positions come from the memory (volume 100), not from the start-up value 400.
    EXPECT_FALSE(sent.contains(hexBytes("E0 06 32")));
    EXPECT_TRUE(sent.contains(hexBytes("E8 7F 7F")));
    // Volume 100 of part 1: position 805.
    EXPECT_TRUE(sent.contains(NS_RemoteMsg::fader(0, 805)));
    int lines = 0;
    for (const QByteArray& m : sent) {
        if (m.startsWith(hexBytes("F0 43 10 3E 0E 60"))) {
            EXPECT_EQ(m.size(), 63);
            ++lines;
        }
    }
    EXPECT_GE(lines, 2);
    EXPECT_TRUE(rig.surface.faults().empty());
}

struct FaderCase
{
    const char* name;
    int banksUp;
    int fader;
    int position;
    QByteArray expected;  // the one message at the instrument port
};

class SurfaceFaders : public ::testing::TestWithParam<FaderCase>
{
};

TEST_P(SurfaceFaders, FaderMoveWritesOneVolume)
{
    const FaderCase& c = GetParam();
    SurfaceRig rig;
    for (int i = 0; i < c.banksUp; ++i)
        rig.surface.tapKey(kBankUp);
    rig.clear();
    rig.surface.moveFader(c.fader, c.position);
    EXPECT_EQ(rig.instrumentMessages(), QList<QByteArray>{c.expected});
    EXPECT_TRUE(rig.surface.faults().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Moves, SurfaceFaders,
    ::testing::Values(FaderCase{"TopGives127", 0, 0, 1023, change(0x37, 0x00, 0x0D, 0x7F)},
                      FaderCase{"BottomGives0", 0, 3, 0, change(0x37, 0x03, 0x0D, 0x00)},
                      FaderCase{"MiddleGives64", 0, 7, 512, change(0x37, 0x07, 0x0D, 0x40)},
                      FaderCase{"MasterTouchesOnlyTheMaster", 0, 8, 1023, change(0x00, 0x00, 0x00, 0x7F)},
                      FaderCase{"SecondBankMovesPart10", 1, 1, 1023, change(0x37, 0x09, 0x0D, 0x7F)}),
    [](const ::testing::TestParamInfo<FaderCase>& info) { return std::string(info.param.name); });

TEST(SurfaceRemote, FaderReadoutTimesOutToThePage)
{
    SurfaceRig rig;
    const std::string page = rig.upper();
    rig.surface.moveFader(2, 1023);
    EXPECT_EQ(rig.upper().substr(0, 5), "FADER");
    EXPECT_EQ(rig.lower().substr(14, 6), "127   ");
    EXPECT_EQ(rig.lower().substr(0, 3), "100");
    // While the readout shows, another strip rewrites only its field.
    rig.clear();
    rig.surface.moveFader(4, 0);
    ASSERT_FALSE(rig.surfacePort.sent.isEmpty());
    EXPECT_EQ(rig.surfacePort.sent.last(), hexBytes("F0 43 10 3E 0E 60 5B 20 30 20 20 20 20 20 F7"));
    EXPECT_EQ(rig.mng().countdown(), 10);
    rig.ticks(9);
    EXPECT_EQ(rig.upper().substr(0, 5), "FADER");
    rig.ticks(1);
    EXPECT_EQ(rig.upper(), page);
    EXPECT_EQ(rig.mng().pendingRefresh(), 0u);
    rig.ticks(1);
    EXPECT_EQ(rig.mng().countdown(), -1);
    EXPECT_TRUE(rig.surface.faults().empty());
}

TEST(SurfaceRemote, FadersFollowEditorEditsAndDocumentLoads)
{
    SurfaceRig rig;
    CSynthMemory* memory = rig.api->memory();
    ASSERT_TRUE(memory->SetIndParamAndDirty(55, 2, 13, 127, 0));
    EXPECT_EQ(rig.surface.faderPosition(2), 1023);
    EXPECT_EQ(rig.upper().substr(0, 5), "FADER");
    ASSERT_TRUE(memory->SetIndParamAndDirty(0, 0, 0, 0, 0));
    EXPECT_EQ(rig.surface.faderPosition(8), 0);
    // A part on the other bank moves nothing shown.
    ASSERT_TRUE(memory->SetIndParamAndDirty(55, 12, 13, 0, 0));
    EXPECT_EQ(rig.surface.faderPosition(4), 805);

    QByteArray saved;
    {
        QDataStream out(&saved, QIODevice::WriteOnly);
        ASSERT_TRUE(memory->saveViaStream(out));
    }
    ASSERT_TRUE(memory->SetIndParamAndDirty(55, 2, 13, 10, 0));
    ASSERT_TRUE(memory->SetIndParamAndDirty(0, 0, 0, 64, 0));
    QDataStream in(saved);
    ASSERT_TRUE(memory->loadViaStream(in));
    EXPECT_EQ(rig.surface.faderPosition(2), 1023);
    // The master volume is no part of the document: the fader keeps the last edit.
    EXPECT_EQ(rig.surface.faderPosition(8), 515);
    EXPECT_TRUE(rig.surface.faults().empty());
}

struct EncoderCase
{
    const char* name;
    bool modifier;
    int steps;        // turned on encoder 2 (part 3's pan, 40)
    bool push;
    int expected;
    const char* shown;  // on strip 3's field
};

class SurfaceEncoders : public ::testing::TestWithParam<EncoderCase>
{
};

TEST_P(SurfaceEncoders, TurnsAndPushesChangeThePan)
{
    const EncoderCase& c = GetParam();
    SurfaceRig rig;
    QSignalSpy dirty(rig.companion(), &TovarIMemAPIQObject_VANTREL_KXE::onDirty);
    if (c.modifier)
        rig.surface.pressKey(kModifier);
    if (c.push) {
        rig.surface.turnEncoder(2, 5);
        rig.surface.pushEncoder(2);
    } else {
        rig.surface.turnEncoder(2, c.steps);
    }
    EXPECT_EQ(rig.value(0x37, 0x02, 0x0E), c.expected);
    EXPECT_EQ(rig.instrumentMessages().last(), change(0x37, 0x02, 0x0E, c.expected));
    // The changed value shows on strip 3's field until the page returns.
    EXPECT_EQ(rig.lower().substr(14, 6), c.shown);
    EXPECT_GE(dirty.count(), 1);
    EXPECT_TRUE(rig.surface.faults().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Pan, SurfaceEncoders,
    ::testing::Values(EncoderCase{"OneStepRight", false, 1, false, 0x41, "1     "},
                      EncoderCase{"FifteenLeft", false, -15, false, 0x31, "-15   "},
                      EncoderCase{"ModifierTimesTen", true, 2, false, 0x54, "20    "},
                      EncoderCase{"LimitedAtTheTop", true, 15, false, 0x7F, "63    "},
                      EncoderCase{"PushTogglesToZero", false, 0, true, 0x00, "-64   "},
                      EncoderCase{"ModifierPushRestoresTheDefault", true, 0, true, 0x40, "0     "}),
    [](const ::testing::TestParamInfo<EncoderCase>& info) { return std::string(info.param.name); });

TEST(SurfaceRemote, StatusKeysMuteAndSoloWithLampsAndTheCopyToAllLatch)
{
    SurfaceRig rig;
    CPrmCtrl* map = rig.map();
    rig.surface.tapKey(kStatus1 + 2);
    EXPECT_TRUE(map->IsMuteStatus(2));
    EXPECT_FALSE(rig.surface.lamp(kStatus1 + 2));
    rig.surface.tapKey(kStatus1 + 2);
    EXPECT_FALSE(map->IsMuteStatus(2));
    EXPECT_TRUE(rig.surface.lamp(kStatus1 + 2));

    rig.surface.tapKey(kSolo);
    EXPECT_TRUE(rig.surface.lamp(kSolo));
    EXPECT_FALSE(rig.surface.lamp(kStatus1));  // no part soloed
    rig.surface.tapKey(kStatus1);
    EXPECT_TRUE(map->IsSoloStatus(0));
    EXPECT_TRUE(rig.surface.lamp(kStatus1));

    // Under the modifier the first press copies part 1's solo to every part...
    rig.surface.pressKey(kModifier);
    rig.surface.tapKey(kStatus1);
    for (int p = 0; p < 16; ++p)
        EXPECT_TRUE(map->IsSoloStatus(p)) << p;
    EXPECT_TRUE(rig.surface.lamp(kStatus1 + 7));
    EXPECT_TRUE(rig.surface.lamp(kStatusMaster));
    // ...later presses toggle it for all.
    rig.surface.tapKey(kStatus1 + 4);
    for (int p = 0; p < 16; ++p)
        EXPECT_FALSE(map->IsSoloStatus(p)) << p;
    // Releasing the modifier ends the latch: the next press copies again.
    rig.surface.releaseKey(kModifier);
    rig.surface.pressKey(kModifier);
    rig.surface.tapKey(kStatus1 + 1);
    EXPECT_FALSE(map->IsSoloStatus(1));
    // An editor change of a part's mute lights the strip's lamp in mute mode.
    rig.surface.releaseKey(kModifier);
    rig.surface.tapKey(kSolo);
    map->SetMuteStatus(5, true, true);
    EXPECT_FALSE(rig.surface.lamp(kStatus1 + 5));
    EXPECT_TRUE(rig.surface.faults().empty());
}

TEST(SurfaceRemote, BankKeysSwitchTheStripsBetweenPartsOneToEightAndNineToSixteen)
{
    SurfaceRig rig;
    ASSERT_TRUE(rig.api->memory()->SetIndParamAndDirty(55, 9, 13, 0, 0));
    rig.map()->SetMuteStatus(10, true, true);
    rig.clear();
    rig.surface.tapKey(kBankDown);
    EXPECT_TRUE(rig.surfacePort.sent.isEmpty());  // already on bank 0: nothing at all

    rig.surface.tapKey(kBankUp);
    EXPECT_EQ(rig.mng().shownBank(), 1);
    EXPECT_EQ(rig.upper().substr(0, 6), "Part 9");
    EXPECT_EQ(rig.surface.faderPosition(1), 0);
    EXPECT_FALSE(rig.surface.lamp(kStatus1 + 2));
    EXPECT_FALSE(rig.surface.lamp(kSel1));  // part 1 is selected, not shown

    rig.clear();
    rig.surface.tapKey(kBankUp);
    EXPECT_TRUE(rig.surfacePort.sent.isEmpty());

    rig.surface.tapKey(kBankDown);
    EXPECT_EQ(rig.upper().substr(0, 6), "Part 1");
    EXPECT_EQ(rig.surface.faderPosition(1), 805);
    EXPECT_TRUE(rig.surface.lamp(kSel1));
    EXPECT_TRUE(rig.surface.faults().empty());
}

TEST(SurfaceRemote, DisplayShowsPageNamesValuesAndTheVoiceLayout)
{
    SurfaceRig rig;
    EXPECT_EQ(rig.upper(), "Part 1 Part 2 Part 3 Part 4 Part 5 Part 6 Part 7 Part 8");
    rig.api->memory()->SetIndParamAndDirty(55, 0, 14, 0x7F, 0);
    EXPECT_EQ(rig.lower().substr(0, 7), "63     ");
    rig.surface.tapKey(kDisplay);
    EXPECT_TRUE(rig.mng().displayMode());
    // The name layout shows the parts' voices, cut to a field.
    QString voice;
    rig.mng().m_pVoiceBanks->GetVoiceNameShort(0, 0, 0, voice);
    EXPECT_EQ(QString::fromStdString(rig.lower().substr(0, 6)).trimmed(), voice.left(6).trimmed());

    // A category select on one field names its category short, turned or not.
    rig.surface.tapKey(kDisplay);
    rig.surface.tapKey(kMix1 + 7);
    EXPECT_EQ(rig.lower().substr(0, 7), "Ch1    ");
    rig.surface.turnEncoder(0, 1);
    EXPECT_EQ(rig.lower().substr(0, 7), "Ch2    ");

    // Common pages: names on the upper line, values below.
    rig.surface.tapKey(kCommon1 + 6);
    EXPECT_EQ(rig.upper().substr(0, 20), "Asgn1  Asgn2  FC1   ");
    EXPECT_EQ(rig.lower().substr(0, 2), "16");
    EXPECT_TRUE(rig.surface.lamp(kEdit));
    EXPECT_TRUE(rig.surface.faults().empty());
}

TEST(SurfaceRemote, PageChangesAskForTheWindowAndTabWithExactTriples)
{
    SurfaceRig rig;
    QSignalSpy windows(rig.companion(), &TovarIMemAPIQObject_VANTREL_KXE::openGuiWindow);
    rig.surface.tapKey(kEdit);                 // part 1's pages: its detail window, tab 0
    rig.surface.tapKey(kPageRight);            // tab 1
    rig.surface.tapKey(kPageLeft);             // tab 0
    rig.surface.tapKey(kPageLeft);             // wraps to the receive switches, tab 6
    rig.surface.tapKey(kSel1 + 2);             // part 3, same page kind: its tab 6
    rig.surface.tapKey(kSelMaster);            // the common window, tab 0
    rig.surface.pressKey(kShift);
    rig.surface.tapKey(kPageRight);            // tab 1 (shift steps the tab's groups)
    rig.surface.releaseKey(kShift);
    rig.surface.pressKey(kModifier);
    rig.surface.tapKey(kSel1);                 // under the modifier: no previous window
    rig.surface.releaseKey(kModifier);
    rig.surface.tapKey(kMix1 + 3);             // a jump to mixer page 4
    rig.surface.tapKey(kEdit);                 // back to part 1's saved page
    const QList<Triple> expected = {{1, 0, 0}, {1, 1, -1}, {1, 0, -1}, {1, 6, -1}, {3, 6, 1},
                                    {17, 0, 3}, {17, 0, -1}, {1, 6, -1}, {0, 3, 1}, {1, 6, 0}};
    EXPECT_EQ(triples(windows), expected);
    EXPECT_FALSE(rig.surface.lamp(kMix1 + 3) && rig.surface.lamp(kEdit));
    EXPECT_TRUE(rig.surface.faults().empty());
}

TEST(SurfaceRemote, SpecialItemsSwitchInsertionAndStepVoicesAndBanks)
{
    SurfaceRig rig;
    // Insertion of part 5 on the common page, kept in the map's 21-bit switch field.
    rig.surface.tapKey(kCommon1 + 5);
    rig.surface.turnEncoder(4, 1);
    EXPECT_TRUE(rig.map()->IsInsertStatus(4));
    EXPECT_EQ(rig.instrumentMessages().last(), hexBytes("F0 43 10 5C 36 00 60 00 00 10 F7"));
    EXPECT_EQ(rig.lower().substr(28, 2), "On");
    rig.surface.pushEncoder(4);
    EXPECT_FALSE(rig.map()->IsInsertStatus(4));

    // Voices by name on part 1's general page: stepping left from the first voice of
    // the first bank changes nothing; from bank 2 it lands on bank 1's last voice.
    rig.surface.tapKey(kSel1);  // the EDIT lamp is on since the jump
    rig.clear();
    rig.surface.turnEncoder(1, -1);
    EXPECT_TRUE(rig.instrumentMessages().isEmpty());
    rig.surface.turnEncoder(0, 1);             // bank: PRESET 2
    EXPECT_EQ(rig.value(0x37, 0x00, 0x01), 1);
    rig.surface.turnEncoder(1, -1);
    EXPECT_EQ(rig.value(0x37, 0x00, 0x00), 0);
    EXPECT_EQ(rig.value(0x37, 0x00, 0x01), 0);
    EXPECT_EQ(rig.value(0x37, 0x00, 0x02), 127);
    rig.surface.turnEncoder(1, 1);
    EXPECT_EQ(rig.value(0x37, 0x00, 0x01), 1);
    EXPECT_EQ(rig.value(0x37, 0x00, 0x02), 0);
    // A bank step past the last bank stays there and, once there, writes nothing.
    rig.surface.turnEncoder(0, 100);
    rig.clear();
    rig.surface.turnEncoder(0, 1);
    EXPECT_TRUE(rig.instrumentMessages().isEmpty());
    EXPECT_TRUE(rig.surface.faults().empty());
}

TEST(SurfaceRemote, MalformedSurfaceMessagesChangeNothing)
{
    SurfaceRig rig;
    const char* messages[] = {"90 C9 7F", "90 49 FF", "E0 80 7F", "E9 70 7F", "EF 70 7F", "B0 12 22",
                              "B0 12 02", "B0 18 01", "B1 12 01", "90 7F 7F", "A0 10 10", "C0 01"};
    rig.clear();
    for (const char* text : messages) {
        const QByteArray m = hexBytes(text);
        rig.api->MAPI_readMIDIFromPort(1, m.constData(), int(m.size()), false, true);
    }
    EXPECT_TRUE(rig.instrumentMessages().isEmpty());
    EXPECT_TRUE(rig.surfacePort.sent.isEmpty());
    EXPECT_EQ(rig.mng().part(0).fader, 805u);
    EXPECT_EQ(rig.mng().masterFader(), 1023u);
}

struct InsertEchoCase
{
    const char* name;
    int bank;   // shown on the strips
    int part;   // 0-15, switched on in the editor
};

class SurfaceInsertEcho : public ::testing::TestWithParam<InsertEchoCase>
{
};

TEST_P(SurfaceInsertEcho, EditorSwitchShowsOnTheInsertionMixerPage)
{
    const InsertEchoCase& c = GetParam();
    SurfaceRig rig;
    rig.surface.tapKey(kMix1 + 6);  // the mixer's insertion page
    for (int i = 0; i < c.bank; ++i)
        rig.surface.tapKey(kBankUp);
    std::string expected;
    for (int s = 0; s < 8; ++s)
        expected += "Off    ";
    expected.resize(55);
    ASSERT_EQ(rig.lower(), expected);
    // Every part's switch lives at 36 00 60: the address names no part.
    ASSERT_TRUE(rig.api->memory()->SetIndParamAndDirty(CPrmCtrl::kPartStatusElement, c.part, 2, 1, 0));
    ASSERT_TRUE(rig.map()->IsInsertStatus(c.part));
    expected.replace(size_t(c.part % 8) * 7, 3, "On ");
    EXPECT_EQ(rig.lower(), expected);
    EXPECT_TRUE(rig.surface.faults().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Parts, SurfaceInsertEcho,
    ::testing::Values(InsertEchoCase{"Part3OnTheFirstBank", 0, 2}, InsertEchoCase{"Part10OnTheSecondBank", 1, 9},
                      InsertEchoCase{"Part16OnTheSecondBank", 1, 15}),
    [](const ::testing::TestParamInfo<InsertEchoCase>& info) { return std::string(info.param.name); });

TEST(SurfaceRemote, ARedrawnPageForgetsWhereAValueSpilledOver)
{
    // A voice name turned on the pan page's name layout spans two fields; once the
    // page is drawn again, a short value on that field keeps to its own field.
    for (const int knob : {0, 2, 6}) {
        SurfaceRig rig;
        rig.surface.tapKey(kDisplay);
        rig.surface.turnEncoder(knob, 1);
        ASSERT_EQ(rig.lower().substr(size_t(knob) * 7, 13), "Init Voice   ") << knob;
        rig.surface.tapKey(kDisplay);
        const size_t next = size_t(knob + 1) * 7;
        ASSERT_EQ(rig.lower().substr(next, 6), "0     ") << knob << ": the next strip's pan";
        rig.surface.turnEncoder(knob, 1);
        EXPECT_EQ(rig.lower().substr(next, 6), "0     ") << knob;
        EXPECT_TRUE(rig.surface.faults().empty()) << knob;
    }
}

TEST(SurfaceRemote, TakingTheSurfaceOverAgainSetsItsRemoteModeAgain)
{
    const struct {
        const char* name;
        std::function<void(SurfaceRig&)> handBack;
    } cases[] = {
        {"APP 1", [](SurfaceRig& rig) { rig.surface.tapKey(kApp1); }},
        {"APP 2", [](SurfaceRig& rig) { rig.surface.tapKey(kApp1 + 1); }},
        {"APP 3", [](SurfaceRig& rig) { rig.surface.tapKey(kRemote + 1); }},
        {"APP 4", [](SurfaceRig& rig) { rig.surface.tapKey(kRemote + 2); }},
        {"plug-in mode read again", [](SurfaceRig& rig) { rig.mng().Refresh(32); }},
    };
    const QByteArray remoteOff = hexBytes("F0 43 10 3E 0E 61 00 F7");
    for (const auto& c : cases) {
        SurfaceRig rig(true);
        rig.surface.tapKey(kRemote);
        ASSERT_TRUE(rig.surface.remoteMode()) << c.name;
        c.handBack(rig);
        ASSERT_FALSE(rig.mng().isActive()) << c.name;
        // The program the surface was handed to switches its remote mode off.
        rig.surface.input(reinterpret_cast<const uint8_t*>(remoteOff.constData()), size_t(remoteOff.size()));
        ASSERT_FALSE(rig.surface.remoteMode()) << c.name;
        rig.surface.tapKey(kRemote);
        EXPECT_TRUE(rig.mng().isActive()) << c.name;
        EXPECT_TRUE(rig.surface.remoteMode()) << c.name;
        EXPECT_TRUE(rig.surface.faults().empty()) << c.name;
    }
}

TEST(SurfaceRemote, AMessageStringOfSeveralMessagesGoesOutOneByOne)
{
    QFile shipped(surfaceDataFolder() + QStringLiteral("/TOVAR-VANTREL-R5T.tpr"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    QByteArray text = shipped.readAll();
    const QByteArray from = "[InitStandalone]\nSize=2\n0=8,F043103E0E6101F7\n1=3,90497F\n";
    ASSERT_TRUE(text.contains(from));
    // The remote lamp and the master selection lamp from one string.
    text.replace(from, "[InitStandalone]\nSize=2\n0=8,F043103E0E6101F7\n1=6,90497F90287F\n");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile tpr(dir.filePath(QStringLiteral("TOVAR-VANTREL-R5T.tpr")));
    ASSERT_TRUE(tpr.open(QIODevice::WriteOnly) && tpr.write(text) == text.size());
    tpr.close();
    ASSERT_TRUE(QFile::copy(surfaceDataFolder() + QStringLiteral("/parts.ini"), dir.filePath(QStringLiteral("parts.ini"))));

    SurfaceRig rig;
    rig.clear();
    rig.mng().InitSet(rig.map(), 1, dir.path());
    ASSERT_FALSE(rig.mng().isFailed()) << rig.mng().templateReports().join(QLatin1Char('|')).toStdString();
    const QList<QByteArray>& sent = rig.surfacePort.sent;
    ASSERT_GE(sent.size(), 3);
    EXPECT_EQ(sent.mid(0, 3), (QList<QByteArray>{hexBytes("F0 43 10 3E 0E 61 01 F7"), hexBytes("90 49 7F"),
                                                 hexBytes("90 28 7F")}));
    EXPECT_EQ(rig.mng().lampState(kSelMaster), 127);
    EXPECT_TRUE(rig.surface.lamp(kSelMaster));
    EXPECT_TRUE(rig.surface.faults().empty());
}
