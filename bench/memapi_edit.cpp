// Figures for the memory-API object: one MAPI_setIndParam on the GUI thread down to
// the bytes at the port (median and 99th percentile, beside the 3.2 ms a 10-byte
// message takes on a 31250-baud cable), and the worker's delivery of 1,000 queued
// changes to their observers.
#include "appserver/CAppServer.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarMemAPITask.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

QString multiTemplate()
{
    return QStringLiteral(VANTREL_BUNDLE_DIR "/VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm");
}

QString voiceTemplate()
{
    return QStringLiteral(VANTREL_BUNDLE_DIR "/VEXMOOR/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm");
}

class CountingPort : public TMIDIProxyInOut
{
public:
    int32_t read(int, const void*, bool, bool) override { return 0; }
    int32_t write(int length, const void*) override
    {
        bytes += length;
        ++messages;
        return 0;
    }
    QUuid portIdentity(int) override { return QUuid(); }
    int32_t selectPorts(const QUuid*, int) override { return 0; }
    void setReceiveChannelMessages(bool) override {}
    bool receiveChannelMessages() override { return true; }
    long long bytes = 0;
    long long messages = 0;
};

// The GUI thread of the figures: the benchmark's own thread.
void ensureApplication()
{
    // Made once and left to the process's end: destroying it after main returns
    // would run after the toolkit's own statics are gone.
    static QApplication* app = nullptr;
    if (app)
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_memapi_edit";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    CAppServer::Instance();
    CSynthMemory::setFailureReporter([](const QString&, const QString& text) { qWarning("%s", qPrintable(text)); });
}

struct Api
{
    Api() : api(new TovarIMemAPI(nullptr, Y_GUID(), false, multiTemplate(), voiceTemplate()))
    {
        api->MAPI_associate(&port, nullptr, 0, nullptr);
    }
    ~Api()
    {
        api->Release();
        QCoreApplication::sendPostedEvents();
    }
    CountingPort port;
    TovarIMemAPI* api;
};

void BM_SetIndParamToPort(benchmark::State& state)
{
    ensureApplication();
    Api fixture;
    // An observer as a bound pan dial has, so the synchronous notification is counted.
    IMemAPI::TSingleAddress_VANTREL_KXE address;
    address.element = 55;
    address.parameter = 14;
    address.channel = 3;
    std::unique_ptr<CSimpleNotifier_VANTREL_KXE> dial(CSimpleNotifier_VANTREL_KXE::Create(
        *fixture.api, nullptr, &address, 3, nullptr, new CSimpleNotifier_VANTREL_KXE(nullptr)));
    std::vector<double> ns;
    ns.reserve(1 << 16);
    int value = 0x20;
    for (auto _ : state) {
        value = value == 0x20 ? 0x21 : 0x20;
        const auto start = std::chrono::steady_clock::now();
        fixture.api->MAPI_setIndParam(55, 14, 3, value, 0xFFFFFFFF, IMemAPI::PostSetDirtyFlags);
        const auto end = std::chrono::steady_clock::now();
        ns.push_back(double(std::chrono::duration_cast<std::chrono::nanoseconds>(end - start).count()));
        if ((ns.size() & 1023) == 0) {
            state.PauseTiming();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
    }
    std::sort(ns.begin(), ns.end());
    if (!ns.empty()) {
        state.counters["median_ns"] = ns[ns.size() / 2];
        state.counters["p99_ns"] = ns[std::min(ns.size() - 1, ns.size() * 99 / 100)];
        state.counters["cable_10_bytes_ns"] = 3.2e6;
    }
    state.counters["bytes_per_edit"] =
        fixture.port.messages ? double(fixture.port.bytes) / double(fixture.port.messages) : 0.0;
}
BENCHMARK(BM_SetIndParamToPort)->Iterations(20000);

void BM_WorkerDelivers1000QueuedChanges(benchmark::State& state)
{
    ensureApplication();
    Api fixture;
    std::vector<std::unique_ptr<CSimpleNotifier_VANTREL_KXE>> observers;
    std::vector<EditorAddressChange> changes;
    for (int part = 0; part < 16 && changes.size() < 1000; ++part)
        for (int p = 0; p < 63 && changes.size() < 1000; ++p) {
            changes.push_back({55, part, p});
            IMemAPI::TSingleAddress_VANTREL_KXE address;
            address.element = 55;
            address.parameter = short(p);
            address.channel = short(part);
            observers.emplace_back(CSimpleNotifier_VANTREL_KXE::Create(
                *fixture.api, nullptr, &address, part, nullptr, new CSimpleNotifier_VANTREL_KXE(nullptr)));
        }
    auto* worker = static_cast<TovarMemAPITask*>(fixture.api->MAPI_memApiTaskObject(nullptr));
    CPrmCtrl* multi = fixture.api->memory()->MultiMap();
    for (auto _ : state) {
        const int64_t target = worker->delivered() + int64_t(changes.size());
        fixture.api->MAPI_lock(true);
        for (const EditorAddressChange& c : changes)
            multi->EditorAddressChanged(c);
        fixture.api->MAPI_lock(false);
        while (worker->delivered() < target)
            QThread::yieldCurrentThread();
        state.PauseTiming();
        // The observers' posted work runs on the GUI thread between rounds.
        QCoreApplication::sendPostedEvents();
        state.ResumeTiming();
    }
    state.counters["changes"] = double(changes.size());
    state.counters["per_change_ns"] = benchmark::Counter(double(changes.size()) * double(state.iterations()),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_WorkerDelivers1000QueuedChanges)->Unit(benchmark::kMicrosecond)->Iterations(200)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
