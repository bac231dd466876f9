#include "utilities/WidgetUtilities.h"
#include "platform/PlatformModifiers.h"
#include <QApplication>
#include <QMenu>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

using NS_Platform::PlatformModifiers;

struct ModifierCase
{
    const char* name;
    uint32_t platform;
    int state;
};

class ModifierState : public ::testing::TestWithParam<ModifierCase>
{
protected:
    void TearDown() override { PlatformModifiers::clearForced(); }
};

TEST_P(ModifierState, MapsPlatformKeysToButtonState)
{
    PlatformModifiers::setForced(GetParam().platform);
    EXPECT_EQ(NS_Utilities::modifierState(), GetParam().state);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ModifierState,
    ::testing::Values(ModifierCase{"None", 0, 0}, ModifierCase{"Shift", PlatformModifiers::Shift, 0x100},
                      ModifierCase{"Control", PlatformModifiers::Control, 0x200},
                      ModifierCase{"Alt", PlatformModifiers::Option, 0x400},
                      ModifierCase{"ShiftAlt", PlatformModifiers::Shift | PlatformModifiers::Option, 0x500},
                      ModifierCase{"CommandAlone", PlatformModifiers::Command, 0},
                      ModifierCase{"CapsLock", PlatformModifiers::AlphaLock, 0},
                      ModifierCase{"AllBits", 0xFFFFFFFFu, 0x700}),
    [](const ::testing::TestParamInfo<ModifierCase>& info) { return std::string(info.param.name); });

TEST(WidgetUtilities, NumberOfWidgetsCountsTheTreeAndItself)
{
    auto root = std::make_unique<QWidget>();
    auto* child = new QWidget(root.get());
    new QWidget(child);
    new QWidget(root.get());
    EXPECT_EQ(NS_Utilities::numberOfWidgets(root.get()), 4);
    EXPECT_EQ(NS_Utilities::numberOfWidgets(child), 2);
    EXPECT_GE(NS_Utilities::numberOfWidgets(nullptr), 4);
}

TEST(WidgetUtilities, CheckForSystemLimitReturnsTheWidget)
{
    QWidget w;
    EXPECT_EQ(NS_Utilities::checkForSystemLimit(&w, "name", true), &w);
    EXPECT_EQ(NS_Utilities::checkForSystemLimit(nullptr, nullptr, false), nullptr);
}

TEST(WidgetUtilities, CancelPopupWidgetsClosesTheOpenPopupOnTheGuiThread)
{
    EXPECT_TRUE(NS_Utilities::cancelPopupWidgets());
    QMenu menu;
    menu.addAction(QStringLiteral("Entry"));
    menu.popup(QPoint(10, 10));
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activePopupWidget(), &menu);

    // Another thread only asks.
    bool fromWorker = true;
    std::thread worker([&fromWorker] { fromWorker = NS_Utilities::cancelPopupWidgets(); });
    worker.join();
    EXPECT_FALSE(fromWorker);
    EXPECT_TRUE(menu.isVisible());

    EXPECT_TRUE(NS_Utilities::cancelPopupWidgets());
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}
