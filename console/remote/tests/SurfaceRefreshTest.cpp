// The surface manager's refresh requests one bit at a time, as the editor and the
// timer send them: the remote lamp off (with and without giving the surface back), the
// plug-in mode re-read, the initial messages, the status lamps, the faders, and the
// display values; and the timer's pending refresh, also when run at once, under the
// memory-API lock.
#include "SurfaceRig.h"

#include <QTest>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

enum Keys { kStatus1 = 9, kStatusMaster = 17, kRemote = 41, kModifier = 44 };

// Messages the surface port received since the last clear that start with `head`.
int countStartingWith(const QList<QByteArray>& sent, const QByteArray& head)
{
    int n = 0;
    for (const QByteArray& m : sent)
        n += m.startsWith(head) ? 1 : 0;
    return n;
}

} // namespace

TEST(SurfaceRefresh, EachBitDoesItsOwnPart)
{
    SurfaceRig rig;
    ASSERT_TRUE(rig.mng().isActive());
    ASSERT_TRUE(rig.surface.lamp(kRemote));
    const QByteArray initial = hexBytes("F0 43 10 3E 0E 61 01 F7");
    const QByteArray lowerLine = hexBytes("F0 43 10 3E 0E 60");

    // 8: the initial messages again.
    rig.clear();
    rig.mng().Refresh(8);
    EXPECT_EQ(countStartingWith(rig.surfacePort.sent, initial), 1);

    // 4: faders re-read from the memory and moved; a changed volume moves its fader.
    const unsigned char volume1[3] = {0x37, 0x00, 0x0D};
    unsigned char loud = 127;
    bool linked = false;
    ASSERT_TRUE(rig.map()->SetData(0, volume1, &loud, linked, LINK_OFF, MIDI_OFF, false, 0));
    rig.mng().Refresh(4);
    EXPECT_EQ(rig.surface.faderPosition(0), 1023);

    // 2: status lamps from the memory's mute states.
    rig.map()->SetMuteStatus(1, true, false);
    rig.clear();
    rig.mng().Refresh(2);
    EXPECT_FALSE(rig.surfacePort.sent.isEmpty());
    EXPECT_FALSE(rig.surface.lamp(kStatus1 + 1));
    EXPECT_TRUE(rig.surface.lamp(kStatus1));

    // 1 and 128: the page and its values go out again.
    rig.clear();
    rig.mng().Refresh(1);
    EXPECT_GE(countStartingWith(rig.surfacePort.sent, lowerLine), 1);
    rig.clear();
    rig.mng().Refresh(128);
    EXPECT_GE(countStartingWith(rig.surfacePort.sent, lowerLine), 1);

    // 16: the remote lamp goes off, the surface stays in use.
    rig.mng().Refresh(16);
    EXPECT_FALSE(rig.surface.lamp(kRemote));
    EXPECT_TRUE(rig.mng().isActive());

    // 32 outside plug-in mode keeps the surface; 64 gives it back.
    rig.mng().Refresh(32);
    EXPECT_TRUE(rig.mng().isActive());
    EXPECT_FALSE(rig.mng().isPlugInMode());
    rig.mng().Refresh(64);
    EXPECT_FALSE(rig.mng().isActive());
    rig.clear();
    rig.mng().Refresh(15);
    rig.mng().Refresh(8);
    EXPECT_TRUE(rig.surfacePort.sent.isEmpty()) << "nothing is sent while the surface is given back";
    EXPECT_TRUE(rig.surface.faults().empty());
}

TEST(SurfaceRefresh, PlugInModeReadAgainGivesTheSurfaceBackUntilTheRemoteKey)
{
    SurfaceRig rig(true);
    rig.surface.pressKey(kRemote);
    rig.surface.releaseKey(kRemote);
    ASSERT_TRUE(rig.mng().isActive());
    rig.mng().Refresh(32);
    EXPECT_TRUE(rig.mng().isPlugInMode());
    EXPECT_FALSE(rig.mng().isActive());
    EXPECT_FALSE(rig.surface.lamp(kRemote));
    rig.surface.pressKey(kRemote);
    rig.surface.releaseKey(kRemote);
    EXPECT_TRUE(rig.mng().isActive());
}

TEST(SurfaceRefresh, APendingRefreshRunsOnceOnTheTimerOrAtOnce)
{
    SurfaceRig rig;
    const QByteArray lowerLine = hexBytes("F0 43 10 3E 0E 60");
    // A fader touched shows its value; the page comes back after the display time.
    rig.surface.moveFader(0, 600);
    rig.clear();
    rig.mng().OnTimer();
    EXPECT_GE(countStartingWith(rig.surfacePort.sent, lowerLine), 1) << "the pending page redraw runs at once";
    rig.clear();
    rig.ticks(20);
    EXPECT_EQ(countStartingWith(rig.surfacePort.sent, lowerLine), 0) << "and only once";
    // Nothing pending: the timer sends nothing.
    rig.mng().OnTimer();
    EXPECT_TRUE(rig.surfacePort.sent.isEmpty());
    EXPECT_TRUE(rig.surface.faults().empty());
}

TEST(SurfaceRefresh, TheMasterStatusKeyLightsItsLamp)
{
    const struct {
        bool modifier;
        bool lit;
    } cases[] = {{false, true}, {true, false}};
    const QByteArray lampOff = hexBytes("90 31 00");
    for (const auto& c : cases) {
        SurfaceRig rig;
        // The surface lost its lamp (switched off and on again).
        rig.surface.input(reinterpret_cast<const uint8_t*>(lampOff.constData()), size_t(lampOff.size()));
        ASSERT_FALSE(rig.surface.lamp(kStatusMaster));
        if (c.modifier)
            rig.surface.pressKey(kModifier);
        rig.surface.tapKey(kStatusMaster);
        EXPECT_EQ(rig.surface.lamp(kStatusMaster), c.lit) << c.modifier;
        EXPECT_TRUE(rig.surface.faults().empty());
    }
}

TEST(SurfaceRefresh, TheTimerWorksUnderTheMemoryApiLock)
{
    // Every message the timer's refresh sends is asked whether another thread could
    // take the memory-API lock at that moment.
    const struct {
        const char* name;
        std::function<void(SurfaceRig&)> run;
    } cases[] = {
        {"ticks", [](SurfaceRig& rig) { rig.ticks(10); }},
        {"at once", [](SurfaceRig& rig) { rig.mng().OnTimer(); }},
        {"the toolkit's timer",
         [](SurfaceRig& rig) { (void)QTest::qWaitFor([&] { return rig.mng().pendingRefresh() == 0; }, 5000); }},
    };
    for (const auto& c : cases) {
        SurfaceRig rig;
        // A fader readout leaves a page redraw pending for the display time.
        rig.surface.moveFader(0, 600);
        ASSERT_NE(rig.mng().pendingRefresh(), 0u) << c.name;
        std::atomic<int> probed{0}, unlocked{0};
        const auto forward = rig.surfacePort.onWrite;
        rig.surfacePort.onWrite = [&](const QByteArray& bytes) {
            ++probed;
            std::thread other([&] {
                if (rig.api->MAPI_tryLock() == 0) {
                    ++unlocked;
                    rig.api->MAPI_lock(false);
                }
            });
            other.join();
            forward(bytes);
        };
        c.run(rig);
        EXPECT_EQ(rig.mng().pendingRefresh(), 0u) << c.name;
        EXPECT_GT(probed.load(), 0) << c.name;
        EXPECT_EQ(unlocked.load(), 0) << c.name;
        rig.surfacePort.onWrite = forward;
    }
}
