// What the base memory API answers for the operations a concrete memory model may
// leave alone: an add-on that asks for undo, meters, a time code or a stream the model
// does not have must read "not implemented" (or the documented failure), never a
// success, and the base's own flags (online, intermediate changes) keep what is set.
#include "fakes/FakeMemAPI.h"

#include <QBuffer>
#include <QDataStream>
#include <gtest/gtest.h>

#include <functional>

using namespace NS_MemAPI;

namespace {

constexpr int32_t kNotImplementedStatus = int32_t(0x80000001);
constexpr int32_t kFailureStatus = int32_t(0x80000008);

struct BaseAnswer
{
    const char* operation;
    std::function<int32_t(StdIMemAPI&)> call;
    int32_t answer;
};

} // namespace

TEST(StdIMemAPIBase, OperationsTheModelLeavesAloneAnswerAsDocumented)
{
    FakeMemAPI fake;
    StdIMemAPI& api = fake;
    QBuffer buffer;
    QDataStream stream(&buffer);
    const BaseAnswer answers[] = {
        {"forceRecursiveUpdate", [](StdIMemAPI& a) { return a.MAPI_forceRecursiveUpdate(nullptr); }, kNotImplementedStatus},
        {"registerWindowControl", [](StdIMemAPI& a) { return a.MAPI_registerWindowControl("x", QUuid(), 1); },
         kNotImplementedStatus},
        {"sendWindowControl", [](StdIMemAPI& a) { return a.MAPI_sendWindowControl("x", 1); }, kNotImplementedStatus},
        {"performUndoRedo", [](StdIMemAPI& a) { return a.MAPI_performUndoRedo(true); }, kNotImplementedStatus},
        {"save4undo", [](StdIMemAPI& a) { return a.MAPI_save4undo(nullptr); }, kNotImplementedStatus},
        {"pushUndoObject", [](StdIMemAPI& a) { return a.MAPI_pushUndoObject(nullptr); }, kNotImplementedStatus},
        {"flushUndoBuffers", [](StdIMemAPI& a) { return a.MAPI_flushUndoBuffers(); }, kNotImplementedStatus},
        {"totalRecall", [](StdIMemAPI& a) { return a.MAPI_totalRecall(nullptr, true, 0, nullptr, nullptr); }, kFailureStatus},
        {"recallFeatureSet",
         [](StdIMemAPI& a) { return a.MAPI_recallFeatureSet(nullptr, nullptr, nullptr, nullptr, nullptr); },
         kNotImplementedStatus},
        {"saveViaStream", [&](StdIMemAPI& a) { return a.MAPI_saveViaStream(stream); }, kFailureStatus},
        {"loadViaStream", [&](StdIMemAPI& a) { return a.MAPI_loadViaStream(stream); }, kFailureStatus},
        {"saveIStream", [](StdIMemAPI& a) { return a.MAPI_saveIStream(nullptr); }, kNotImplementedStatus},
        {"loadIStream", [](StdIMemAPI& a) { return a.MAPI_loadIStream(nullptr); }, kNotImplementedStatus},
        {"setPortsFromPreferences", [](StdIMemAPI& a) { return a.MAPI_setPortsFromPreferences(); }, 0},
        {"setKV519FromInpatch", [](StdIMemAPI& a) { return a.MAPI_setKV519FromInpatch(0, 0, 0, 0); }, kNotImplementedStatus},
        {"reqMeterData", [](StdIMemAPI& a) { return a.MAPI_reqMeterData(true, nullptr, 0, 0, 0); }, kNotImplementedStatus},
        {"reqTimeCodeCounter", [](StdIMemAPI& a) { return a.MAPI_reqTimeCodeCounter(true, nullptr); }, kNotImplementedStatus},
        {"uiEvent", [](StdIMemAPI& a) { return a.MAPI_uiEvent(3); }, 0},
        {"proxiesNeeded", [](StdIMemAPI& a) { return a.MAPI_proxiesNeeded(); }, 1},
    };
    for (const BaseAnswer& a : answers)
        EXPECT_EQ(a.call(api), a.answer) << a.operation;

    // Queries with a status: the status says "not implemented" and nothing comes back.
    int32_t status = 0;
    EXPECT_EQ(api.MAPI_getKV519FromInpatch(0, 0, 0, nullptr, nullptr, &status), 0);
    EXPECT_EQ(status, kNotImplementedStatus);
    status = 0;
    int size = -1;
    EXPECT_EQ(api.MAPI_meterTable(0, size, &status), nullptr);
    EXPECT_EQ(status, kNotImplementedStatus);
    status = 0;
    EXPECT_EQ(api.MAPI_fsNotifier(&status), nullptr);
    EXPECT_EQ(status, kNotImplementedStatus);
    // A null status is allowed.
    EXPECT_EQ(api.MAPI_meterTable(0, size, nullptr), nullptr);
    EXPECT_EQ(api.MAPI_fsNotifier(nullptr), nullptr);
    api.MAPI_cancelRecall();
}

TEST(StdIMemAPIBase, OnlineAndIntermediateChangesKeepWhatIsSet)
{
    FakeMemAPI fake;
    StdIMemAPI& api = fake;
    EXPECT_EQ(api.MAPI_online(), 1u);
    EXPECT_EQ(api.MAPI_setOnline(0), 0);
    EXPECT_EQ(api.MAPI_online(), 0u);
    EXPECT_EQ(api.MAPI_ignoreIntermediateChanges(), kFailureStatus);
    EXPECT_EQ(api.MAPI_setIgnoreIntermediateChanges(true), 0);
    EXPECT_EQ(api.MAPI_ignoreIntermediateChanges(), 0);
    EXPECT_EQ(api.MAPI_setIgnoreIntermediateChanges(false), 0);
    EXPECT_EQ(api.MAPI_ignoreIntermediateChanges(), kFailureStatus);
}

TEST(StdIMemAPIBase, MidiFromAPortGoesToTheReaderWithItsOtherArguments)
{
    FakeMemAPI fake;
    StdIMemAPI& api = fake;
    const unsigned char message[3] = {0x90, 0x40, 0x7F};
    // The fake's reader answers with the length it was given, whatever the port.
    EXPECT_EQ(api.MAPI_readMIDIFromPort(0, message, 3, false, true), 3);
    EXPECT_EQ(api.MAPI_readMIDIFromPort(1, message, 2, false, true), 2);
}
