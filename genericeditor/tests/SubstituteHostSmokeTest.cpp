// The whole way through the substitute host's own code, with the component linked in:
// connect to the simulated instrument on the MIDI service, show the page, an edit
// through the memory API reaches the instrument, a dump from the instrument comes in
// through MPOnEvents into the memory image, the project is saved and a second run
// restores it; every host reference is given back.
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/TInputOutput_VANTREL_KXE.h"
#include "host/SubstituteHost.h"
#include "memapi/IMemAPI.h"
#include "simulator/SimulatedInstrument.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

void pumpToolkit()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

IMemAPI* memoryApiOf(NS_Host::SubstituteHost& host)
{
    auto* component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(host.component());
    return component ? component->memAPI() : nullptr;
}

int valueAt(IMemAPI* api)
{
    return api->MAPI_getIndParam(0, 0, 0, false, nullptr);
}

void waitForDeletion(int live)
{
    QElapsedTimer clock;
    clock.start();
    while (CompIMPInitialise_VANTREL_KXE::liveCount() > live && clock.elapsed() < 5000)
        pumpToolkit();
}

} // namespace

TEST(SubstituteHostSmoke, EditReachesTheInstrumentDumpReachesTheImageAndTheProjectComesBack)
{
    QTemporaryDir dir;
    NS_Host::HostOptions options;
    options.factory = &MacLoaderFactory;
    options.projectPath = dir.filePath(QStringLiteral("smoke.tvproj"));
    options.simulatorName = QStringLiteral("TOVAR-VANTREL smoke %1").arg(QCoreApplication::applicationPid());
    options.settleMs = 100;
    const int live = CompIMPInitialise_VANTREL_KXE::liveCount();

    {
        NS_Host::SubstituteHost host(options);
        host.setIdleHook(&pumpToolkit);
        ASSERT_TRUE(host.start()) << qPrintable(host.error());
        IMemAPI* api = memoryApiOf(host);
        ASSERT_NE(api, nullptr);
        auto* component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(host.component());
        ASSERT_NE(component->inputOutput(0), nullptr);
        EXPECT_NE(component->inputOutput(0)->outputPortNumber(), 0u)
            << "the simulated instrument is not the default instrument";
        EXPECT_NE(component->currentWorkspace(), nullptr);

        NS_Simulator::SimulatedInstrument* instrument = host.instrument();
        ASSERT_NE(instrument, nullptr);
        api->MAPI_setIndParam(0, 0, 0, 0x33, api->MAPI_dirtyAllFlags(nullptr), IMemAPI::PostSetDirtyFlags);
        host.runFor(3000, [&] {
            return !instrument->received(NS_Simulator::SimulatedInstrument::Kind::ParameterChange).empty();
        });
        EXPECT_FALSE(instrument->received(NS_Simulator::SimulatedInstrument::Kind::ParameterChange).empty());

        // The instrument's own value changes; its dump brings it into the editor.
        instrument->editImage([](NS_Simulator::SimMemoryImage& image) { image.writeEdit({0, 0, 0}, {0x22}); });
        instrument->input(NS_Simulator::Bytes{0xF0, 0x43, 0x20, 0x5C, 0x0E, 0x7F, 0x00, 0xF7});
        host.runFor(5000, [&] { return valueAt(api) == 0x22; });
        EXPECT_GT(host.ports().messagesIn(), 0u);
        EXPECT_EQ(valueAt(api), 0x22);

        EXPECT_EQ(host.saveProject(), NS_MPStatus::ok);
        host.stop(false);
        EXPECT_EQ(host.outstandingReferences(), 0);
    }
    waitForDeletion(live);
    EXPECT_EQ(CompIMPInitialise_VANTREL_KXE::liveCount(), live);
    ASSERT_TRUE(QFileInfo::exists(options.projectPath));

    {
        NS_Host::SubstituteHost host(options);
        host.setIdleHook(&pumpToolkit);
        ASSERT_TRUE(host.start()) << qPrintable(host.error());
        IMemAPI* api = memoryApiOf(host);
        ASSERT_NE(api, nullptr);
        EXPECT_EQ(valueAt(api), 0x22) << "the project did not restore the memory image";
        host.stop(false);
        EXPECT_EQ(host.outstandingReferences(), 0);
    }
    waitForDeletion(live);
}
