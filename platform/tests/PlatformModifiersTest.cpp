#include "platform/PlatformModifiers.h"
#include <gtest/gtest.h>

using NS_Platform::PlatformModifiers;

TEST(PlatformModifiers, ForcedStateWinsUntilCleared)
{
    PlatformModifiers::setForced(PlatformModifiers::Shift | PlatformModifiers::Command);
    EXPECT_EQ(PlatformModifiers::current(), uint32_t(PlatformModifiers::Shift | PlatformModifiers::Command));
    PlatformModifiers::setForced(0);
    EXPECT_EQ(PlatformModifiers::current(), 0u);
    PlatformModifiers::clearForced();
    // Offscreen: no key is held.
    EXPECT_EQ(PlatformModifiers::current(), 0u);
}
