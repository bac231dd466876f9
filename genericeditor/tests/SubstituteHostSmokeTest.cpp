// The whole way through the substitute host's own code, with the component linked in:
// connect to the simulated instrument on the MIDI service, show the page, an edit
// through the memory API reaches the instrument, a dump the editor did not ask for
// reaches the memory API and changes nothing, a multi receive asked for through the
// companion brings the instrument's value into the editor's image (MPOnEvents, the
// pump), the project is saved and a second run restores it; every host reference is
// given back.
#include "genericeditor/CompIMPEventFilter.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "genericeditor/TInputOutput_VANTREL_KXE.h"
#include "host/SubstituteHost.h"
#include "memapi/IMemAPI.h"
#include "simulator/SimulatedInstrument.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
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

QByteArray readProject(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The pan of part 4: a multi parameter that the multi dump carries.
constexpr short kElement = 55;
constexpr short kParameter = 14;
constexpr short kPart = 3;

int editedValue(IMemAPI* api)
{
    return api->MAPI_getIndParam(kElement, kParameter, kPart, false, nullptr);
}

void waitForDeletion(int live)
{
    QElapsedTimer clock;
    clock.start();
    while (CompIMPInitialise_VANTREL_KXE::liveCount() > live && clock.elapsed() < 5000)
        pumpToolkit();
}

} // namespace

TEST(SubstituteHostSmoke, EditReachesTheInstrumentReceivedMultiReachesTheImageAndTheProjectComesBack)
{
    QTemporaryDir dir;
    NS_Host::HostOptions options;
    options.factory = &MacLoaderFactory;
    options.projectPath = dir.filePath(QStringLiteral("smoke.tvproj"));
    options.simulatorName = QStringLiteral("TOVAR-VANTREL smoke %1").arg(QCoreApplication::applicationPid());
    options.settleMs = 100;
    const int live = CompIMPInitialise_VANTREL_KXE::liveCount();
    // The ports an earlier host of this process left in the settings name its own
    // simulated instrument: this host seeds its own only where none is chosen.
    QSettings(QStringLiteral("halvorsk.example"), QStringLiteral("VANTREL_KXE Tovar Editor")).clear();
    QByteArray saved;
    int expected = -1;

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
        EXPECT_EQ(host.services().sinkPoint().advisedCount(), 1);
        EXPECT_FALSE(host.services().portAssign().assignments().empty());

        // The host's ports change: every bridge reads them again and keeps its choice.
        host.services().sinkPoint().notifyAll(tagMPMSG{NS_HostIds::MSG_MIDIPortsChanged});
        EXPECT_NE(component->inputOutput(0)->outputPortNumber(), 0u);

        NS_Simulator::SimulatedInstrument* instrument = host.instrument();
        ASSERT_NE(instrument, nullptr);
        api->MAPI_setIndParam(kElement, kParameter, kPart, 0x33, api->MAPI_dirtyAllFlags(nullptr), IMemAPI::PostSetDirtyFlags);
        host.runFor(3000, [&] {
            return !instrument->received(NS_Simulator::SimulatedInstrument::Kind::ParameterChange).empty();
        });
        EXPECT_FALSE(instrument->received(NS_Simulator::SimulatedInstrument::Kind::ParameterChange).empty());
        const auto changes = instrument->received(NS_Simulator::SimulatedInstrument::Kind::ParameterChange);
        ASSERT_FALSE(changes.empty());
        const NS_Simulator::Bytes& change = changes.back().bytes;
        ASSERT_GE(change.size(), 3u);
        EXPECT_EQ(change[change.size() - 2], 0x33) << "the edited value is not what reached the instrument";

        // The edited parameter's address, from the message the instrument received.
        ASSERT_GE(change.size(), 9u);
        const NS_Simulator::Bytes address(change.begin() + 4, change.begin() + 7);
        const NS_Simulator::SimMemoryMap& map = instrument->memoryMap();
        const int block = NS_Simulator::SimMemoryMap::findIn(map.multiBlocks, address);
        ASSERT_NE(std::find(map.multiDump.begin(), map.multiDump.end(), block), map.multiDump.end())
            << "the edited parameter is not in the multi dump";
        ASSERT_EQ(editedValue(api), 0x33);
        const int maximum = api->MAPI_getIndParamMax(kElement, kParameter, kPart, nullptr);
        const int changed = 0x33 + 1 <= maximum ? 0x33 + 1 : 0x33 - 1;
        bool written = false;
        instrument->editImage([&](NS_Simulator::SimMemoryImage& image) {
            written = image.writeEdit(address, NS_Simulator::Bytes{uint8_t(changed)});
        });
        ASSERT_TRUE(written);

        // A dump the editor did not ask for comes in on the host's port and goes through
        // MPOnEvents and the pump to the memory API, which keeps its image.
        const uint64_t before = component->eventFilter()->intake().delivered();
        instrument->input(NS_Simulator::Bytes{0xF0, 0x43, 0x20, 0x5C, 0x0E, 0x7F, 0x00, 0xF7});
        host.runFor(5000, [&] {
            return !instrument->sent().empty() && component->eventFilter()->intake().delivered() > before
                   && instrument->waitIdle(0);
        });
        host.runFor(200);
        EXPECT_GT(host.ports().messagesIn(), 0u);
        EXPECT_GT(component->eventFilter()->intake().delivered(), before);
        EXPECT_EQ(editedValue(api), 0x33) << "a dump nobody asked for was stored";

        // The companion asks for the multi; the instrument's dump comes back the same way
        // and is stored while the request runs.
        auto* companion = qobject_cast<TovarIMemAPIQObject_VANTREL_KXE*>(api->MAPI_qself());
        ASSERT_NE(companion, nullptr);
        int progress = 0;
        int errors = 0;
        // Queued to this thread: the pump thread reports progress.
        const QMetaObject::Connection onProgress = QObject::connect(
            companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkProgressChanged, companion,
            [&](int percent) { progress = std::max(progress, percent); });
        const QMetaObject::Connection onError = QObject::connect(
            companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkRcvErrorOccurred, companion, [&](int) { ++errors; });
        const size_t requestsBefore = instrument->received(NS_Simulator::SimulatedInstrument::Kind::BulkRequest).size();
        const uint64_t deliveredBefore = component->eventFilter()->intake().delivered();
        companion->requestMultiBulk();
        EXPECT_EQ(companion->m_requestStateNow.load(), 1);
        host.runFor(8000, [&] { return progress >= 100 && companion->m_requestStateNow.load() == 0; });
        host.runFor(100);
        QObject::disconnect(onProgress);
        QObject::disconnect(onError);
        EXPECT_EQ(progress, 100) << "the multi receive did not complete";
        EXPECT_EQ(errors, 0);
        EXPECT_EQ(companion->m_requestStateNow.load(), 0);
        EXPECT_EQ(instrument->received(NS_Simulator::SimulatedInstrument::Kind::BulkRequest).size(), requestsBefore + 1)
            << "the reply came in time: no retry";
        EXPECT_GT(component->eventFilter()->intake().delivered(), deliveredBefore);
        EXPECT_EQ(editedValue(api), changed)
            << "the instrument's value did not reach the editor's image";
        expected = changed;
        EXPECT_TRUE(companion->isDocDirty());

        EXPECT_EQ(host.saveProject(), NS_MPStatus::ok);
        saved = readProject(options.projectPath);
        EXPECT_FALSE(saved.isEmpty());
        host.stop(false);
        EXPECT_EQ(host.outstandingReferences(), 0);
        EXPECT_EQ(host.services().sinkPoint().advisedCount(), 0);
        EXPECT_TRUE(host.services().portAssign().assignments().empty());
    }
    waitForDeletion(live);
    EXPECT_LE(CompIMPInitialise_VANTREL_KXE::liveCount(), live);
    ASSERT_TRUE(QFileInfo::exists(options.projectPath));

    {
        NS_Host::SubstituteHost host(options);
        host.setIdleHook(&pumpToolkit);
        ASSERT_TRUE(host.start()) << qPrintable(host.error());
        IMemAPI* api = memoryApiOf(host);
        ASSERT_NE(api, nullptr);
        // What the second run holds is what the first saved, the received value too.
        EXPECT_EQ(editedValue(api), expected);
        ASSERT_EQ(host.saveProject(), NS_MPStatus::ok);
        EXPECT_EQ(readProject(options.projectPath), saved) << "the project did not come back";
        host.stop(false);
        EXPECT_EQ(host.outstandingReferences(), 0);
    }
    waitForDeletion(live);
}
