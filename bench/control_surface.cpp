// Figures for the control surface: one fader move from the surface port down to the
// bytes at the instrument port (through the memory-API object, as the pump thread
// hands it over), and a full surface refresh (every lamp, fader and both display
// lines) in bytes and time beside the cable time of those bytes at 3125 bytes/s.
#include "appserver/CAppServer.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "console/remote/RemoteCtrlMng.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"

#include <QApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

constexpr double kCableBytesPerSecond = 3125.0;

QString bundleFile(const char* path)
{
    return QStringLiteral(VANTREL_BUNDLE_DIR "/VEXMOOR/TOVAR-VANTREL/") + QLatin1String(path);
}

class CountingPort : public TMIDIProxyInOut
{
public:
    int32_t read(int, const void*, bool, bool) override { return 0; }
    int32_t write(int length, const void*) override
    {
        bytes += length;
        ++messages;
        return 1;
    }
    QUuid portIdentity(int) override { return QUuid(); }
    int32_t selectPorts(const QUuid*, int) override { return 0; }
    void setReceiveChannelMessages(bool) override {}
    bool receiveChannelMessages() override { return true; }
    void reset() { bytes = messages = 0; }
    long long bytes = 0;
    long long messages = 0;
};

void ensureApplication()
{
    // Made once and left to the process's end: the toolkit's statics outlive main.
    static QApplication* app = nullptr;
    if (app)
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_control_surface";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    CAppServer::Instance();
    CSynthMemory::setFailureReporter([](const QString& title, const QString& text) {
        qWarning("%s: %s", qPrintable(title), qPrintable(text));
    });
}

struct Fixture
{
    Fixture()
        : api(new TovarIMemAPI(nullptr, Y_GUID(), false, bundleFile("METOVAR-VANTREL.tpm"),
                               bundleFile("TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm")))
    {
        api->MAPI_associate(&instrument, nullptr, 0, nullptr);
        api->MAPI_associate(&surface, nullptr, 1, nullptr);
    }
    ~Fixture()
    {
        api->MAPI_associate(nullptr, nullptr, 1, nullptr);
        api->MAPI_associate(nullptr, nullptr, 0, nullptr);
        api->Release();
        QCoreApplication::sendPostedEvents();
    }
    CRemoteCtrlMng& surfaceManager() const { return api->memory()->MultiMap()->RemoteCtrl(); }
    CountingPort instrument;
    CountingPort surface;
    TovarIMemAPI* api;
};

void BM_SurfaceFaderMoveToInstrumentPort(benchmark::State& state)
{
    ensureApplication();
    Fixture f;
    if (!f.surfaceManager().isActive()) {
        state.SkipWithError("the surface template did not load");
        return;
    }
    std::vector<double> ns;
    ns.reserve(1 << 16);
    // Strip 3 between the top and the middle, so every move is a change.
    const uint8_t moves[2][3] = {{0xE2, 0x70, 0x7F}, {0xE2, 0x00, 0x40}};
    long long n = 0;
    f.instrument.reset();
    f.surface.reset();
    for (auto _ : state) {
        const uint8_t* m = moves[n++ & 1];
        const auto start = std::chrono::steady_clock::now();
        f.api->MAPI_readMIDIFromPort(1, m, 3, false, true);
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
    }
    state.counters["instrument_bytes_per_move"] = n ? double(f.instrument.bytes) / double(n) : 0.0;
    state.counters["surface_bytes_per_move"] = n ? double(f.surface.bytes) / double(n) : 0.0;
    // The move's own 3 bytes in and the parameter change out, on two cables.
    state.counters["cable_ns_in_and_out"] =
        n ? (3.0 + double(f.instrument.bytes) / double(n)) / kCableBytesPerSecond * 1e9 : 0.0;
}
BENCHMARK(BM_SurfaceFaderMoveToInstrumentPort)->Iterations(20000);

void BM_SurfaceFullRefresh(benchmark::State& state)
{
    ensureApplication();
    Fixture f;
    CRemoteCtrlMng& mng = f.surfaceManager();
    if (!mng.isActive()) {
        state.SkipWithError("the surface template did not load");
        return;
    }
    long long refreshes = 0;
    f.surface.reset();
    for (auto _ : state) {
        f.api->MAPI_lock(true);
        mng.Refresh(15);
        f.api->MAPI_lock(false);
        ++refreshes;
    }
    const double bytes = refreshes ? double(f.surface.bytes) / double(refreshes) : 0.0;
    const double messages = refreshes ? double(f.surface.messages) / double(refreshes) : 0.0;
    state.counters["bytes"] = bytes;
    state.counters["messages"] = messages;
    state.counters["cable_ms"] = bytes / kCableBytesPerSecond * 1e3;
}
BENCHMARK(BM_SurfaceFullRefresh)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// Taking the surface over with its remote key re-sends every lamp as well.
void BM_SurfaceActivationRestoresEverything(benchmark::State& state)
{
    ensureApplication();
    Fixture f;
    CRemoteCtrlMng& mng = f.surfaceManager();
    if (!mng.isActive()) {
        state.SkipWithError("the surface template did not load");
        return;
    }
    const uint8_t remoteKey[3] = {0x90, 0x49, 0x7F};
    long long bytes = 0, messages = 0, runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.api->MAPI_lock(true);
        mng.Refresh(64);
        f.api->MAPI_lock(false);
        f.surface.reset();
        state.ResumeTiming();
        f.api->MAPI_readMIDIFromPort(1, remoteKey, 3, false, true);
        bytes += f.surface.bytes;
        messages += f.surface.messages;
        ++runs;
    }
    state.counters["bytes"] = runs ? double(bytes) / double(runs) : 0.0;
    state.counters["messages"] = runs ? double(messages) / double(runs) : 0.0;
    state.counters["cable_ms"] = runs ? double(bytes) / double(runs) / kCableBytesPerSecond * 1e3 : 0.0;
}
BENCHMARK(BM_SurfaceActivationRestoresEverything)->Iterations(2000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
