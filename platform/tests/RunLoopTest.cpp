#include "platform/FakeRunLoop.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

using NS_Platform::FakeRunLoop;
using NS_Platform::RunLoop;

TEST(RunLoop, FakeInstallsItselfAsMainForItsLifetime)
{
    RunLoop* before = RunLoop::main();
    {
        FakeRunLoop fake;
        EXPECT_EQ(RunLoop::main(), &fake);
    }
    EXPECT_EQ(RunLoop::main(), before);
}

TEST(RunLoop, RepeatingTimerFiresEachPeriodAfterItsFirstDelay)
{
    FakeRunLoop loop;
    int calls = 0;
    const int id = loop.addTimer(0.003, 0.002, [&] { ++calls; });
    loop.tick(2);
    EXPECT_EQ(calls, 0);
    loop.tick(1);
    EXPECT_EQ(calls, 1);
    loop.tick(1);
    EXPECT_EQ(calls, 1);
    loop.tick(1);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(loop.removeTimer(id));
    EXPECT_FALSE(loop.removeTimer(id));
    loop.tick(10);
    EXPECT_EQ(calls, 2);
}

TEST(RunLoop, TimerMayRemoveItselfAndRecurseIntoTheLoop)
{
    FakeRunLoop loop;
    int depth = 0, maxDepth = 0, calls = 0;
    int id = 0;
    id = loop.addTimer(0, 0.001, [&] {
        ++calls;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (depth == 1)
            loop.tick(); // a nested host loop fires the same timer again
        else
            loop.removeTimer(id);
        --depth;
    });
    loop.tick();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(maxDepth, 2);
    EXPECT_EQ(loop.timerCount(), 0);
}

TEST(RunLoop, OneShotTimerAndEventHook)
{
    FakeRunLoop loop;
    int calls = 0;
    loop.addTimer(0, 0, [&] { ++calls; });
    loop.tick();
    loop.tick();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(loop.dispatchEvent(NS_Platform::fourCharCode("wind"), 6));
    loop.setEventHook([](uint32_t cls, uint32_t kind) { return cls == NS_Platform::fourCharCode("cmds") && kind == 1; });
    EXPECT_TRUE(loop.dispatchEvent(NS_Platform::fourCharCode("cmds"), 1));
    EXPECT_FALSE(loop.dispatchEvent(NS_Platform::fourCharCode("wind"), 6));
}

TEST(RunLoop, RealLoopRunsTimersUntilQuit)
{
    RunLoop loop;
    int calls = 0;
    loop.addTimer(0, 0.001, [&] {
        if (++calls == 5)
            loop.quit();
    });
    loop.run();
    EXPECT_EQ(calls, 5);

    std::thread stopper([&] { loop.quit(); });
    stopper.join();
    loop.run(); // a quit from another thread before run() ends it at once
    EXPECT_GE(calls, 5);
}

// A timer callback that runs a toolkit loop of its own (a modal dialog) does not stop
// the loop's other timers: they fire inside it, those added from another thread while
// it waits included.
TEST(RunLoop, TimersFireWhileAToolkitLoopRunsInsideACallback)
{
    RunLoop loop;
    ASSERT_TRUE(loop.followToolkitLoops());
    EXPECT_TRUE(loop.followToolkitLoops());
    QEventLoop modal;
    bool guardEnded = false;
    int ticks = 0;
    bool added = false;
    loop.addTimer(0, 0, [&] {
        const int repeating = loop.addTimer(0.005, 0.002, [&] {
            if (++ticks >= 3 && added)
                modal.quit();
        });
        // Only the end of a run that went wrong: the loop's own timers end it.
        QTimer::singleShot(20000, &modal, [&] {
            guardEnded = true;
            modal.quit();
        });
        QTimer::singleShot(0, &modal, [&] {
            std::thread([&] {
                loop.addTimer(0.01, 0, [&] { added = true; });
            }).join();
        });
        modal.exec();
        loop.removeTimer(repeating);
        loop.quit();
    });
    loop.run();
    EXPECT_FALSE(guardEnded);
    EXPECT_TRUE(added);
    EXPECT_GE(ticks, 3);
}
