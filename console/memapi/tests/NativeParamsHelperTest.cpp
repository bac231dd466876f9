// The registry of open native-parameter dialogs: one slot per board kind, at most
// one dialog closed per call, the kept dialog handed back as a widget.
#include "CommandsSimRig.h"
#include "console/memapi/NativeParamsHelper.h"

#include <QWidget>
#include <gtest/gtest.h>

using CommandsTest::FakeServices;

TEST(NativeParamsHelper, BoardNamesMapToTheirSlotsAndNoBoardIsNeverRegistered)
{
    for (int i = 0; i < NativeParamsHelper::kBoardCount; ++i)
        EXPECT_EQ(NativeParamsHelper::lookupIndex(NativeParamsHelper::boardName(i)), i);
    EXPECT_EQ(NativeParamsHelper::lookupIndex(QStringLiteral("----------")), -1);
    EXPECT_EQ(NativeParamsHelper::lookupIndex(QStringLiteral("vtb-an 71")), -1);

    NativeParamsHelper registry;
    EXPECT_FALSE(registry.anyPluginNativeParamsDialogsOpen());
    QWidget dialog;
    registry.setCurrentNativeParamsEditor(QStringLiteral("----------"), &dialog);
    EXPECT_FALSE(registry.anyPluginNativeParamsDialogsOpen());
    registry.setCurrentNativeParamsEditor(NativeParamsHelper::boardName(3), &dialog);
    EXPECT_TRUE(registry.anyPluginNativeParamsDialogsOpen());
    registry.editorClosing(QStringLiteral("----------"));
    EXPECT_TRUE(registry.anyPluginNativeParamsDialogsOpen());
    registry.editorClosing(NativeParamsHelper::boardName(3));
    EXPECT_FALSE(registry.anyPluginNativeParamsDialogsOpen());
}

TEST(NativeParamsHelper, ClosesOneOtherDialogPerCallAndThenHandsBackTheKeptOne)
{
    NativeParamsHelper registry;
    FakeServices services;
    QWidget one, four;
    registry.setCurrentNativeParamsEditor(NativeParamsHelper::boardName(1), &one);
    registry.setCurrentNativeParamsEditor(NativeParamsHelper::boardName(4), &four);

    EXPECT_EQ(registry.closeAllButOneNativeParamsDialog(NativeParamsHelper::boardName(4), false, &services), nullptr);
    ASSERT_EQ(services.closed.size(), 1);
    EXPECT_EQ(services.closed[0], &one);
    EXPECT_EQ(registry.dialog(1), nullptr);

    EXPECT_EQ(registry.closeAllButOneNativeParamsDialog(NativeParamsHelper::boardName(4), false, &services), &four);
    EXPECT_EQ(services.closed.size(), 1);
    EXPECT_EQ(registry.dialog(4), &four);
}

TEST(NativeParamsHelper, AllClosesOnlyTheLowestOpenDialog)
{
    NativeParamsHelper registry;
    FakeServices services;
    QWidget a, b;
    registry.setCurrentNativeParamsEditor(NativeParamsHelper::boardName(2), &a);
    registry.setCurrentNativeParamsEditor(NativeParamsHelper::boardName(6), &b);
    EXPECT_EQ(registry.closeAllButOneNativeParamsDialog(NativeParamsHelper::boardName(2), true, &services), nullptr);
    ASSERT_EQ(services.closed.size(), 1);
    EXPECT_EQ(services.closed[0], &a);
    EXPECT_EQ(registry.dialog(6), &b);
}

TEST(NativeParamsHelper, CompanionForwardsAndReturnsThePointerWhole)
{
    ApiHandle api;
    ITovarVoiceData* data = dynamic_cast<ITovarVoiceData*>(api->qself());
    ASSERT_NE(data, nullptr);
    FakeServices services;
    QWidget dialog;
    data->NP_setCurrentNativeParamsEditor(NativeParamsHelper::boardName(0), &dialog);
    EXPECT_TRUE(data->NP_anyPluginNativeParamsDialogsOpen());
    const intptr_t kept = data->NP_closeAllButOneNativeParamsDialog(NativeParamsHelper::boardName(0), false, &services);
    EXPECT_EQ(reinterpret_cast<QWidget*>(kept), &dialog);
    data->NP_editorClosing(NativeParamsHelper::boardName(0));
    EXPECT_FALSE(data->NP_anyPluginNativeParamsDialogsOpen());
}
