// The bridge keeps the host's port-assignment service told which ports it uses, and
// lists the host's ports for the port dialogs.
#include "FakeHost.h"
#include "FakeMemAPI.h"
#include "genericeditor/TInputOutput_VANTREL_KXE.h"
#include <gtest/gtest.h>
#include <memory>

namespace {

const QUuid kInA(QStringLiteral("{10000000-0000-0000-0000-00000000000A}"));
const QUuid kInB(QStringLiteral("{10000000-0000-0000-0000-00000000000B}"));
const QUuid kOutA(QStringLiteral("{20000000-0000-0000-0000-00000000000A}"));
const QUuid kClass(QStringLiteral("{5B46C89E-BD98-9946-B4CE-798E37B39BBA}"));

class PortAssignment : public ::testing::Test
{
protected:
    FakePortList portList;
    FakePortAssign assign;
    FakeHost host;
    FakeHost component; // stands for the component as the service sees it

    void SetUp() override
    {
        TInputOutput_VANTREL_KXE::setPortListDelayMs(0);
        portList.ports[0] = {{1, kInA, QStringLiteral("Port A")}, {2, kInB, QStringLiteral("Port B")}};
        portList.ports[1] = {{5, kOutA, QStringLiteral("Port A")}};
        host.portList = &portList;
        host.portAssign = &assign;
    }
    std::unique_ptr<TInputOutput_VANTREL_KXE> makeBridge(int pair)
    {
        return std::make_unique<TInputOutput_VANTREL_KXE>(&component, &host, nullptr, pair);
    }
    static void select(TInputOutput_VANTREL_KXE& bridge, const QUuid& in, const QUuid& out, int pair)
    {
        const QUuid ports[2] = {in, out};
        bridge.selectPorts(ports, pair);
    }
};

} // namespace

TEST_F(PortAssignment, FirstSelectionAddsOutputThenInput)
{
    auto bridge = makeBridge(0);
    select(*bridge, kInA, kOutA, 0);
    ASSERT_EQ(assign.calls.size(), 2u);
    EXPECT_EQ(assign.calls[0].operation, NS_MPPortAssign::add);
    EXPECT_EQ(assign.calls[0].port, kOutA);
    EXPECT_EQ(assign.calls[1].port, kInA);
    for (const auto& c : assign.calls) {
        EXPECT_FALSE(c.hasName) << "the instrument's ports carry no name";
        EXPECT_EQ(c.classId, kClass);
        EXPECT_EQ(c.component, &component);
        EXPECT_EQ(c.pair, -1);
    }
    EXPECT_TRUE(bridge->isAssigned(0));
    EXPECT_TRUE(bridge->isAssigned(1));
    EXPECT_EQ(bridge->inputPortNumber(), 1u);
    EXPECT_EQ(bridge->outputPortNumber(), 5u);
    EXPECT_EQ(bridge->portIdentity(0), kInA);
    EXPECT_EQ(bridge->portIdentity(1), kOutA);
    EXPECT_TRUE(bridge->portIdentity(2).isNull());
}

TEST_F(PortAssignment, ControlSurfacePortsAreNamedRemote)
{
    auto bridge = makeBridge(1);
    select(*bridge, kInA, kOutA, 1);
    ASSERT_EQ(assign.calls.size(), 2u);
    for (const auto& c : assign.calls) {
        EXPECT_EQ(c.name, QStringLiteral("- Remote"));
        EXPECT_EQ(c.pair, 0);
    }
}

TEST_F(PortAssignment, SameIdentityAgainSendsNothingOtherIdentityChanges)
{
    auto bridge = makeBridge(0);
    select(*bridge, kInA, kOutA, 0);
    assign.calls.clear();
    select(*bridge, kInA, kOutA, 0);
    EXPECT_TRUE(assign.calls.empty());

    select(*bridge, kInB, kOutA, 0);
    ASSERT_EQ(assign.calls.size(), 1u);
    EXPECT_EQ(assign.calls[0].operation, NS_MPPortAssign::change);
    EXPECT_EQ(assign.calls[0].port, kInB);
    EXPECT_EQ(bridge->inputPortNumber(), 2u);
}

TEST_F(PortAssignment, PortThatDisappearsIsRemovedAtTheNextSelection)
{
    auto bridge = makeBridge(0);
    select(*bridge, kInA, kOutA, 0);
    portList.ports[0] = {{2, kInB, QStringLiteral("Port B")}};
    bridge->updatePortInformation();
    // The list was read again: no port number until the next selection.
    EXPECT_EQ(bridge->inputPortNumber(), 0u);
    EXPECT_EQ(bridge->portIdentity(0), kInA);
    assign.calls.clear();

    select(*bridge, kInA, kOutA, 0);
    ASSERT_EQ(assign.calls.size(), 1u);
    EXPECT_EQ(assign.calls[0].operation, NS_MPPortAssign::remove);
    EXPECT_EQ(assign.calls[0].port, kInA);
    EXPECT_FALSE(bridge->isAssigned(0));
    EXPECT_EQ(bridge->inputPortNumber(), 0u);
    EXPECT_TRUE(bridge->isAssigned(1));
    EXPECT_EQ(bridge->outputPortNumber(), 5u);
}

TEST_F(PortAssignment, RefusedAddLeavesThePortUnassignedAndIsTriedAgain)
{
    auto bridge = makeBridge(0);
    assign.addAnswer = NS_MPStatus::failure;
    select(*bridge, kInA, QUuid(), 0);
    ASSERT_EQ(assign.calls.size(), 1u) << "an unknown output is neither added nor removed";
    EXPECT_FALSE(bridge->isAssigned(0));
    EXPECT_EQ(bridge->inputPortNumber(), 1u) << "the port is still used";
    assign.addAnswer = 0;
    select(*bridge, kInA, QUuid(), 0);
    ASSERT_EQ(assign.calls.size(), 2u);
    EXPECT_EQ(assign.calls[1].operation, NS_MPPortAssign::add);
    EXPECT_TRUE(bridge->isAssigned(0));
}

TEST_F(PortAssignment, WithoutServiceAFoundPortCountsAsAssigned)
{
    host.portAssign = nullptr;
    auto bridge = makeBridge(0);
    select(*bridge, kInA, kInB, 0);
    EXPECT_TRUE(bridge->isAssigned(0));
    EXPECT_FALSE(bridge->isAssigned(1)) << "kInB is no output";
}

TEST_F(PortAssignment, DestructionWithdrawsAssignedPortsAndReleasesTheServices)
{
    {
        auto bridge = makeBridge(0);
        select(*bridge, kInA, kOutA, 0);
        EXPECT_EQ(portList.refs(), 1);
        EXPECT_EQ(assign.refs(), 1);
        assign.calls.clear();
    }
    ASSERT_EQ(assign.calls.size(), 2u);
    EXPECT_EQ(assign.calls[0].operation, NS_MPPortAssign::remove);
    EXPECT_EQ(assign.calls[0].port, kOutA);
    EXPECT_EQ(assign.calls[1].port, kInA);
    EXPECT_FALSE(assign.calls[0].hasName);
    EXPECT_EQ(portList.refs(), 0);
    EXPECT_EQ(assign.refs(), 0);
}

TEST_F(PortAssignment, WithoutPortListNoPortIsFoundOrAssigned)
{
    host.portList = nullptr;
    auto bridge = makeBridge(0);
    EXPECT_EQ(bridge->numberOfPlugs(false), 0);
    select(*bridge, kInA, kOutA, 0);
    EXPECT_TRUE(assign.calls.empty());
    EXPECT_FALSE(bridge->isAssigned(0));
}

TEST_F(PortAssignment, PortAccessorListsTheHostsPorts)
{
    auto bridge = makeBridge(0);
    EXPECT_EQ(bridge->numberOfPlugs(false), 2);
    EXPECT_EQ(bridge->numberOfPlugs(true), 1);
    EXPECT_EQ(bridge->plugs(false).value(kInB), QStringLiteral("2;Port B"));
    EXPECT_EQ(bridge->portName(kOutA), QStringLiteral("5;Port A"));
    EXPECT_EQ(bridge->portName(QUuid::createUuid()), QStringLiteral("<unknown port name>"));
    EXPECT_EQ(bridge->portIdentity(QStringLiteral("1;Port A"), false), kInA);
    EXPECT_EQ(bridge->portIdentity(QStringLiteral("5;Port A"), true), kOutA);
    EXPECT_TRUE(bridge->portIdentity(QStringLiteral("5;Port A"), false).isNull());
}

TEST_F(PortAssignment, ReadHandsBytesToTheMemoryApiOfItsPair)
{
    FakeMemAPI api;
    auto bridge = makeBridge(1);
    const uint8_t bytes[] = {0xB0, 7, 100};
    EXPECT_EQ(bridge->read(3, bytes, false, true), 0) << "no memory API yet";
    bridge->connect(api);
    EXPECT_EQ(bridge->read(3, bytes, false, true), 3);
    api.setReadAnswer(NS_MPStatus::failure);
    EXPECT_EQ(bridge->read(3, bytes, false, true), 0);
    ASSERT_EQ(api.received().size(), 2u);
    EXPECT_EQ(api.received()[0].port, 1);
    EXPECT_TRUE(api.received()[0].channel);
}
