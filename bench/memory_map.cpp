// Figures for the memory map: parsing and building the multi map from the shipped data
// folder, and forming and sending one parameter change.
#include "console/bulk/MidiCtrl.h"
#include "console/model/IniFileJobCache.h"
#include "console/model/PrmCtrl.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"

#include <benchmark/benchmark.h>

namespace {

QString multiTemplate()
{
    return QStringLiteral(VANTREL_BUNDLE_DIR "/VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm");
}

class NullPort : public TMIDIProxyInOut
{
public:
    int32_t read(int, const void*, bool, bool) override { return 0; }
    int32_t write(int length, const void*) override
    {
        bytes += length;
        return length;
    }
    QUuid portIdentity(int) override { return QUuid(); }
    int32_t selectPorts(const QUuid*, int) override { return 0; }
    void setReceiveChannelMessages(bool) override {}
    bool receiveChannelMessages() override { return true; }
    long long bytes = 0;
};

void BM_ParseAndBuildMultiMap(benchmark::State& state)
{
    const QString path = multiTemplate();
    for (auto _ : state) {
        CIniFileJobCache::Forget(path);
        CPrmCtrl map;
        if (!map.CreatePrmCtrl(0, path)) {
            state.SkipWithError("the shipped multi map does not build");
            break;
        }
        benchmark::DoNotOptimize(map.EditorBlk().GetBlkCount());
    }
}
BENCHMARK(BM_ParseAndBuildMultiMap)->Unit(benchmark::kMillisecond);

void BM_BuildMultiMapFromCache(benchmark::State& state)
{
    const QString path = multiTemplate();
    for (auto _ : state) {
        CPrmCtrl map;
        if (!map.CreatePrmCtrl(0, path)) {
            state.SkipWithError("the shipped multi map does not build");
            break;
        }
        benchmark::DoNotOptimize(map.EditorBlk().GetBlkCount());
    }
}
BENCHMARK(BM_BuildMultiMapFromCache)->Unit(benchmark::kMillisecond);

void BM_FormParameterChange(benchmark::State& state)
{
    CPrmCtrl map;
    if (!map.CreatePrmCtrl(0, multiTemplate())) {
        state.SkipWithError("the shipped multi map does not build");
        return;
    }
    const unsigned char adrs[3] = {0x37, 0x03, 0x0E};
    unsigned char value[1] = {0x40};
    unsigned char out[16];
    for (auto _ : state) {
        CMidiCtrl ctrl(&map, 0);
        benchmark::DoNotOptimize(ctrl.FormPrmChngBuffer(0, adrs, value, out, 1));
        value[0] = (unsigned char)((value[0] + 1) & 0x7F);
    }
}
BENCHMARK(BM_FormParameterChange);

// One edit as the memory API makes it: store, form, send, echo to the surface.
void BM_SetDataPerEdit(benchmark::State& state)
{
    CPrmCtrl map;
    if (!map.CreatePrmCtrl(0, multiTemplate())) {
        state.SkipWithError("the shipped multi map does not build");
        return;
    }
    NullPort port;
    map.SetMIDI(&port, 0);
    const unsigned char adrs[3] = {0x37, 0x03, 0x0E};
    unsigned char value[1] = {0x40};
    for (auto _ : state) {
        bool linked = false;
        benchmark::DoNotOptimize(map.SetData(0, adrs, value, linked, LINK_ON, MIDI_ON, false, 0));
        value[0] = (unsigned char)((value[0] + 1) & 0x7F);
    }
    state.counters["bytes_sent"] = double(port.bytes);
}
BENCHMARK(BM_SetDataPerEdit);

} // namespace

BENCHMARK_MAIN();
