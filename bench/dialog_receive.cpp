// Figures for the multi receive dialog: a whole multi received from the simulated
// instrument through the dialog, opened in the component (linked in, with the build's
// add-ons found in the bundle) that the substitute host runs, as the user opens it. Wall time against the time the same bytes take on a
// 31250-baud MIDI cable (3125 bytes a second); then with the instrument's replies
// paced at cable speed, where no time-out may fire while the replies still arrive.
#include "BenchMain.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "host/SubstituteHost.h"
#include "memapi/IMemAPI.h"
#include "simulator/SimulatedInstrument.h"
#include "utilities/DocuPrompter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

using Companion = TovarIMemAPIQObject_VANTREL_KXE;

void pump()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Counts the dialogs' messages (a time-out, a bulk error) instead of showing them.
class CountingPrompter : public NS_Utilities::IDocuPrompter
{
public:
    Answer question(QWidget*, const QString&, const QString&, bool) override { return No; }
    void critical(QWidget*, const QString&, const QString&) override { ++messages; }
    void information(QWidget*, const QString&, const QString&) override { ++messages; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override
    {
        return QString();
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override
    {
        return QString();
    }
    int messages = 0;
};

// Notes when the companion first reports 100, on whatever thread it reports.
class CompletionWatch : public QObject
{
    Q_OBJECT
public:
    void start()
    {
        m_clock.start();
        m_reachedAt = -1;
    }
    // Milliseconds from start() to the first 100; negative when none came.
    double reachedAt() const { return double(m_reachedAt.load()) / 1e6; }

public slots:
    void report(int percent)
    {
        qint64 none = -1;
        if (percent >= 100)
            m_reachedAt.compare_exchange_strong(none, m_clock.nsecsElapsed());
    }

private:
    QElapsedTimer m_clock;
    std::atomic<qint64> m_reachedAt{-1};
};

// The editor in the substitute host on the simulated instrument, once per process.
struct Editor
{
    Editor()
    {
        NS_Host::HostOptions options;
        options.factory = &MacLoaderFactory;
        options.projectPath.clear();
        options.settleMs = 200;
        host = std::make_unique<NS_Host::SubstituteHost>(options);
        host->setIdleHook(&pump);
        if (!host->start())
            return;
        host->runFor(500);
        if (auto* component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(host->component()))
            api = component->memAPI();
        companion = api ? dynamic_cast<Companion*>(api->MAPI_qself()) : nullptr;
        if (companion)
            companion->DSL_setPrompter(&prompter);
    }
    ~Editor()
    {
        if (companion)
            companion->DSL_setPrompter(nullptr);
        host->stop(false);
    }
    bool ok() const { return companion != nullptr; }

    std::unique_ptr<NS_Host::SubstituteHost> host;
    IMemAPI* api = nullptr;
    Companion* companion = nullptr;
    CountingPrompter prompter;
};

Editor& editor()
{
    static Editor* e = new Editor;
    return *e;
}

size_t bytesSent(const NS_Simulator::SimulatedInstrument& instrument)
{
    size_t n = 0;
    for (const auto& packet : instrument.sent())
        n += packet.bytes.size();
    return n;
}

void receiveThroughTheDialog(benchmark::State& state, bool cableSpeed)
{
    Editor& e = editor();
    if (!e.ok()) {
        state.SkipWithError("the editor did not start");
        return;
    }
    NS_Simulator::SimulatedInstrument& instrument = *e.host->instrument();
    instrument.setCableSpeed(cableSpeed);
    const QUuid dialogs = Guid2QUuid(NS_AddOnIds::DialogsAddOn);
    double wallMs = 0;
    double completeMs = 0;
    double cableMs = 0;
    int messages = 0;
    int completed = 0;
    for (auto _ : state) {
        // The last run's dialog goes before the next opens.
        pump();
        instrument.clearLogs();
        e.prompter.messages = 0;
        QElapsedTimer clock;
        CompletionWatch watch;
        // By name, as the dialogs connect: the signal as the companion's library knows it.
        QObject::connect(e.companion, SIGNAL(bulkProgressChanged(int)), &watch, SLOT(report(int)),
                         Qt::DirectConnection);
        watch.start();
        clock.start();
        // Modal: returns when the dialog has closed itself (or ended with a message).
        e.host->openEditor({dialogs, 4});
        const double wall = double(clock.nsecsElapsed()) / 1e6;
        QObject::disconnect(e.companion, nullptr, &watch, nullptr);
        const double reachedAt = watch.reachedAt();
        state.SetIterationTime(wall / 1000.0);
        wallMs += wall;
        completeMs += reachedAt >= 0 ? reachedAt : wall;
        completed += reachedAt >= 0 ? 1 : 0;
        cableMs += 1000.0 * double(bytesSent(instrument)) / NS_Simulator::SimulatedInstrument::kCableBytesPerSecond;
        messages += e.prompter.messages;
    }
    instrument.setCableSpeed(false);
    const double n = double(state.iterations());
    state.counters["dialog_ms"] = wallMs / n;
    state.counters["to_100_ms"] = completeMs / n;
    state.counters["cable_ms"] = cableMs / n;
    state.counters["vs_cable"] = cableMs > 0 ? completeMs / cableMs : 0;
    state.counters["completed"] = double(completed) / n;
    state.counters["timeouts"] = messages;
}

void BM_ReceiveMultiThroughDialog(benchmark::State& state)
{
    receiveThroughTheDialog(state, false);
}
BENCHMARK(BM_ReceiveMultiThroughDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ReceiveMultiThroughDialogAtCableSpeed(benchmark::State& state)
{
    receiveThroughTheDialog(state, true);
}
BENCHMARK(BM_ReceiveMultiThroughDialogAtCableSpeed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    return runToolkitBenchmarks(argc, argv, BenchMidi::Virtual, {}, [] { delete &editor(); });
}

#include "dialog_receive.moc"
