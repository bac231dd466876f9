#include "SimCapture.h"
#include "platform/MidiEndpointPair.h"
#include "platform/VirtualMidiBus.h"
#include "simulator/SimBusEndpoint.h"

#include <gtest/gtest.h>

using namespace NS_Simulator;
using namespace NS_Platform;

TEST(SimBusEndpoint, AnswersIdentityOverTheVirtualBusWithSplitPackets)
{
    VirtualMidiBus bus;
    bus.setSplitPackets(3);
    SimulatedInstrument sim;
    sim.start();
    SimBusEndpoint endpoint(sim, bus, QStringLiteral("TOVAR-VANTREL simulator"));
    ASSERT_TRUE(endpoint.isValid());

    SimCapture capture;
    auto sink = capture.sink();
    MidiRef client = 0, in = 0, out = 0;
    ASSERT_EQ(bus.createClient(QStringLiteral("editor"), &client), kMidiNoError);
    ASSERT_EQ(bus.createInputPort(client, QStringLiteral("in"),
                                  [&](const MidiPacketList& packets, void*) {
                                      for (const MidiPacket& p : packets)
                                          sink(p.bytes.data(), p.bytes.size());
                                  },
                                  &in),
              kMidiNoError);
    ASSERT_EQ(bus.createOutputPort(client, QStringLiteral("out"), &out), kMidiNoError);
    ASSERT_EQ(bus.connectSource(in, endpoint.endpoints().source(), nullptr), kMidiNoError);

    MidiPacket request;
    request.bytes = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    ASSERT_EQ(bus.send(out, endpoint.endpoints().destination(), {request}), kMidiNoError);
    ASSERT_TRUE(capture.waitForMessages(1));
    EXPECT_EQ(capture.messages()[0].bytes,
              (Bytes{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x43, 0x00, 0x41, 0x19, 0x06, 0x00, 0x00, 0x00, 0x7F, 0xF7}));
    EXPECT_GE(capture.packets().size(), 5u); // the bus handed it over in pieces
    EXPECT_EQ(sim.received(SimulatedInstrument::Kind::Identity).size(), 1u);
    bus.disposeClient(client);
}
