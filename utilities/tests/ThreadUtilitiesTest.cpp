#include "utilities/ThreadUtilities.h"
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <thread>

TEST(ThreadUtilities, AbortedOnlyForTheCancelCodes)
{
    EXPECT_TRUE(NS_Utilities::aborted(1223));
    EXPECT_TRUE(NS_Utilities::aborted(int32_t(0x80000007)));
    EXPECT_FALSE(NS_Utilities::aborted(int32_t(0x80000008)));
    EXPECT_FALSE(NS_Utilities::aborted(0));
    EXPECT_FALSE(NS_Utilities::aborted(1460));
}

TEST(ThreadUtilities, MainThreadRunningOnlyOnTheApplicationThread)
{
    EXPECT_TRUE(NS_Utilities::mainThreadRunning());
    bool onWorker = true;
    std::thread worker([&onWorker] { onWorker = NS_Utilities::mainThreadRunning(); });
    worker.join();
    EXPECT_FALSE(onWorker);
}

TEST(ThreadUtilities, DelayBlocksAtLeastTheGivenTime)
{
    QElapsedTimer timer;
    timer.start();
    NS_Utilities::milisecondDelay(30);
    EXPECT_GE(timer.elapsed(), 29);
    timer.restart();
    NS_Utilities::milisecondDelay(-1000);
    NS_Utilities::milisecondDelay(0);
    EXPECT_LT(timer.elapsed(), 500);
}
