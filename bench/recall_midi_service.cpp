// Figures for a total recall download (mask 0: the multi and the user banks) by the
// editor in the substitute host from the simulated instrument, over each MIDI service:
// the in-process bus, and the kernel's ALSA sequencer with the instrument as a client
// of its own (where /dev/snd/seq opens: the bench report runs that one in a virtual
// machine). Beside the time the same bytes take on a 31250-baud cable (10 bits a byte).
#include "BenchMain.h"
#include "host/SubstituteHost.h"
#include "platform/MidiService.h"
#include "simulator/SimulatedInstrument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

constexpr int kRecallBoundMs = 900000;

void pump()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_TotalRecallDownloadThrough(benchmark::State& state, const char* backend)
{
    std::unique_ptr<NS_Platform::MidiService> service = NS_Platform::MidiService::create(QString::fromLatin1(backend));
    if (!service) {
        state.SkipWithError("this MIDI service is not available here");
        return;
    }
    NS_Host::HostOptions options;
    options.factory = &MacLoaderFactory;
    options.projectPath.clear();
    options.surface = false;
    options.settleMs = 200;
    options.midiService = service.get();
    NS_Host::SubstituteHost host(options);
    host.setIdleHook(&pump);
    if (!host.start()) {
        state.SkipWithError("the editor did not start");
        return;
    }
    NS_Simulator::SimulatedInstrument& instrument = *host.instrument();
    for (auto _ : state) {
        instrument.clearLogs();
        const uint64_t before = host.ports().messagesIn();
        QElapsedTimer clock;
        clock.start();
        NS_Host::HostProgressHandler& progress = host.progress();
        if (host.recall(false, 0) != 0) {
            state.SkipWithError("the recall was refused");
            break;
        }
        host.runFor(kRecallBoundMs, [&] { return progress.reachedEnd() || progress.finished(); });
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        if (!progress.reachedEnd() || progress.finished()) {
            state.SkipWithError("the download did not run through");
            break;
        }
        size_t bytes = 0;
        for (const auto& packet : instrument.sent())
            bytes += packet.bytes.size();
        const double cable = double(bytes) * 10.0 / 31250.0;
        state.counters["bytes"] = double(bytes);
        state.counters["messages"] = double(host.ports().messagesIn() - before);
        state.counters["run_s"] = seconds;
        state.counters["cable_s"] = cable;
        state.counters["cable_ratio"] = cable > 0 ? seconds / cable : 0;
    }
    host.stop(false);
}

} // namespace

BENCHMARK_CAPTURE(BM_TotalRecallDownloadThrough, virtual, "virtual")
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TotalRecallDownloadThrough, alsa, "alsa")
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runToolkitBenchmarks(argc, argv, BenchMidi::AsChosen);
}
