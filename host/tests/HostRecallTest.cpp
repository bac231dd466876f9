// Total recall asked by the substitute host as a host asks for it: the multi goes to
// the simulated instrument, the host's progress handler hears the steps and no failure,
// and a recall before the component is there is refused.
#include "HostTestSupport.h"
#include "host/SubstituteHost.h"
#include "simulator/SimulatedInstrument.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

using NS_HostTest::OwnSettings;
using NS_HostTest::pumpToolkit;

} // namespace

TEST(HostRecall, UploadOfTheMultiReachesTheInstrumentWithoutAFailure)
{
    // A first start: the editor's ports are the ones this host seeds, not the ports an
    // earlier host of the process left in the settings (long gone with it).
    OwnSettings settings;
    NS_Host::HostOptions options;
    options.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
    options.simulatorName = QStringLiteral("TOVAR-VANTREL recall %1").arg(QCoreApplication::applicationPid());
    options.surfaceName = options.simulatorName + QStringLiteral(" surface");
    options.settleMs = 100;
    NS_Host::SubstituteHost host(options);
    host.setIdleHook(&pumpToolkit);
    EXPECT_NE(host.recall(true, 1), 0) << "no component yet";
    ASSERT_TRUE(host.start()) << qPrintable(host.error());
    ASSERT_NE(host.instrument(), nullptr);
    host.instrument()->clearLogs();

    ASSERT_EQ(host.recall(true, 1), 0);
    // The multi goes out block by block; the run ends when nothing more arrives. Only a
    // failure reaches the handler's end report.
    using Kind = NS_Simulator::SimulatedInstrument::Kind;
    size_t seen = 0;
    int quiet = 0;
    host.runFor(30000, [&] {
        const size_t n = host.instrument()->received(Kind::Dump).size();
        quiet = n == seen && n > 0 ? quiet + 1 : 0;
        seen = n;
        return quiet > 4000 || host.progress().finished();
    });
    EXPECT_FALSE(host.progress().finished()) << "status " << host.progress().lastStatus();
    EXPECT_GE(seen, 10u);
    host.stop(false);
    EXPECT_EQ(host.outstandingReferences(), 0);
}
