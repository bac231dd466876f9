// A multi receive through the substitute host's own MIDI path (bus, host ports, the
// component's intake and pump) from a simulated instrument on a cable-speed line that
// damages its dumps. The receive is asked for again at once after each error, as a
// user does from the dialog, while the rest of the damaged dump is still arriving:
// each fault reports exactly its own bulk error code and a good dump afterwards
// completes, however the instrument's transport and the bus cut the dumps into packets.
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "host/SubstituteHost.h"
#include "memapi/IMemAPI.h"
#include "platform/MidiService.h"
#include "platform/VirtualMidiBus.h"
#include "simulator/SimulatedInstrument.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <cctype>
#include <gtest/gtest.h>
#include <vector>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

using Companion = TovarIMemAPIQObject_VANTREL_KXE;
using Instrument = NS_Simulator::SimulatedInstrument;
using Fault = Instrument::Fault;
using Transport = Instrument::Transport;

void pumpToolkit()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct Step
{
    const char* name;
    Fault fault;
    int param; // the message of the dump that is damaged, or the block left out
    int code;  // the one error the receive reports; 0: it completes
};

// In this order: each error leaves the rest of its dump on the line for the next step.
const Step kSteps[] = {
    {"checksum", Fault::BadChecksum, 3, 1},
    {"byte count", Fault::BadCount, 5, 2},
    {"byte count of the first block", Fault::BadCount, 1, 2},
    {"missing block", Fault::MissingBlock, 7, 3},
    {"checksum of the first block", Fault::BadChecksum, 1, 1},
    {"good dump", Fault::None, 0, 0},
};

struct Packets
{
    const char* name;
    Transport transport;
    size_t chunk; // the instrument's packet size when it splits
    int busSplit; // the bus's piece size, 0: packets whole
};

const Packets kPackets[] = {
    {"whole", Transport::Whole, 3, 0},
    {"split by 1", Transport::Split, 1, 0},
    {"split by 7", Transport::Split, 7, 0},
    {"packed", Transport::Pack, 3, 0},
    {"whole, bus pieces of 5", Transport::Whole, 3, 5},
    {"packed, bus pieces of 64", Transport::Pack, 3, 64},
};

class BulkReceiveFaultPackets : public ::testing::TestWithParam<Packets>
{
protected:
    void SetUp() override
    {
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
        m_bus = dynamic_cast<NS_Platform::VirtualMidiBus*>(&NS_Platform::MidiService::system());
        if (!m_bus)
            GTEST_SKIP() << "the MIDI service is not the in-process bus";
        // The host makes each run's simulated instrument the default only in empty settings.
        QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication()).clear();
    }
    void TearDown() override
    {
        if (m_bus)
            m_bus->setSplitPackets(0);
        QElapsedTimer clock;
        clock.start();
        while (CompIMPInitialise_VANTREL_KXE::liveCount() > m_live && clock.elapsed() < 5000)
            pumpToolkit();
    }
    NS_Platform::VirtualMidiBus* m_bus = nullptr;
    int m_live = 0;
};

} // namespace

TEST_P(BulkReceiveFaultPackets, EachFaultReportsItsOwnCodeAndAGoodDumpThenCompletes)
{
    const Packets packets = GetParam();
    NS_Host::HostOptions options;
    options.factory = &MacLoaderFactory;
    options.projectPath.clear();
    options.surface = false;
    static int run = 0;
    options.simulatorName =
        QStringLiteral("TOVAR-VANTREL packets %1-%2").arg(QCoreApplication::applicationPid()).arg(++run);
    options.settleMs = 100;
    NS_Host::SubstituteHost host(options);
    host.setIdleHook(&pumpToolkit);
    ASSERT_TRUE(host.start()) << qPrintable(host.error());
    auto* component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(host.component());
    ASSERT_NE(component, nullptr);
    IMemAPI* api = component->memAPI();
    ASSERT_NE(api, nullptr);
    auto* companion = qobject_cast<Companion*>(api->MAPI_qself());
    ASSERT_NE(companion, nullptr);
    Instrument* instrument = host.instrument();
    ASSERT_NE(instrument, nullptr);
    instrument->setCableSpeed(true);
    instrument->setTransport(packets.transport, packets.chunk);
    m_bus->setSplitPackets(packets.busSplit);

    std::vector<int> codes;
    int progress = 0;
    // Reported on the pump thread, seen here.
    const auto onError = QObject::connect(companion, &Companion::bulkRcvErrorOccurred, companion,
                                          [&](int code) { codes.push_back(code); });
    const auto onProgress = QObject::connect(companion, &Companion::bulkProgressChanged, companion,
                                             [&](int percent) { progress = std::max(progress, percent); });
    for (const Step& step : kSteps) {
        SCOPED_TRACE(step.name);
        // As the receive dialog does when it shows an error.
        companion->stopBulkRequest();
        codes.clear();
        progress = 0;
        instrument->setFault(step.fault, step.param);
        companion->requestMultiBulk();
        host.runFor(10000, [&] { return !codes.empty() || progress >= 100; });
        EXPECT_EQ(codes, step.code ? std::vector<int>{step.code} : std::vector<int>{});
        if (step.code)
            EXPECT_LT(progress, 100) << "a damaged dump completed the receive";
        else
            EXPECT_EQ(progress, 100) << "the good dump was not received";
    }
    QObject::disconnect(onError);
    QObject::disconnect(onProgress);
    instrument->setFault(Fault::None);
    host.stop(false);
}

INSTANTIATE_TEST_SUITE_P(Packets, BulkReceiveFaultPackets, ::testing::ValuesIn(kPackets),
                         [](const ::testing::TestParamInfo<Packets>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });
