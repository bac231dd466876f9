// Figures for the two memory maps: building both from the shipped data folder, cold
// (every template parsed again) and from the parsed cache, and one parameter set
// through CPrmCtrl down to the bytes at the port.
#include "console/model/IniFileJobCache.h"
#include "console/model/PrmCtrl.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"

#include <QDir>
#include <QStringList>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

QString multiTemplate()
{
    return QStringLiteral(VANTREL_BUNDLE_DIR "/VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm");
}

QString voiceTemplate()
{
    return QStringLiteral(VANTREL_BUNDLE_DIR "/Vexmoor/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm");
}

// Every template file a build parses: both maps and the board files with their voice lists.
QStringList parsedFiles()
{
    QStringList files{multiTemplate(), voiceTemplate()};
    const QString boards = QStringLiteral(VANTREL_BUNDLE_DIR "/VEXMOOR/TOVAR-VANTREL/PlugIn");
    for (const QString& f : QDir(boards).entryList(QDir::Files))
        files << boards + QLatin1Char('/') + f;
    return files;
}

class CountingPort : public TMIDIProxyInOut
{
public:
    int32_t read(int, const void*, bool, bool) override { return 0; }
    int32_t write(int length, const void* data) override
    {
        bytes += length;
        last = QByteArray(static_cast<const char*>(data), length);
        return length;
    }
    QUuid portIdentity(int) override { return QUuid(); }
    int32_t selectPorts(const QUuid*, int) override { return 0; }
    void setReceiveChannelMessages(bool) override {}
    bool receiveChannelMessages() override { return true; }
    long long bytes = 0;
    QByteArray last;
};

bool buildBoth(CPrmCtrl& multi, CPrmCtrl& voice)
{
    if (!multi.CreatePrmCtrl(0, multiTemplate()) || !voice.CreatePrmCtrl(1, voiceTemplate()))
        return false;
    voice.SetMaster(&multi);
    voice.SetPlugInBoardsFlag(false);
    multi.SetVoiceMap(&voice);
    return true;
}

void BM_BuildBothMapsCold(benchmark::State& state)
{
    const QStringList files = parsedFiles();
    for (auto _ : state) {
        // The reader keeps each parsed file for the process: drop them so that every
        // round parses the templates again.
        for (const QString& f : files)
            CIniFileJobCache::Forget(f);
        auto multi = std::make_unique<CPrmCtrl>();
        auto voice = std::make_unique<CPrmCtrl>();
        if (!buildBoth(*multi, *voice)) {
            state.SkipWithError("the shipped maps do not build");
            break;
        }
        benchmark::DoNotOptimize(voice->GetLibCateNum());
        voice.reset();
        multi.reset();
    }
}
BENCHMARK(BM_BuildBothMapsCold)->Unit(benchmark::kMillisecond);

void BM_BuildBothMapsFromCache(benchmark::State& state)
{
    for (auto _ : state) {
        auto multi = std::make_unique<CPrmCtrl>();
        auto voice = std::make_unique<CPrmCtrl>();
        if (!buildBoth(*multi, *voice)) {
            state.SkipWithError("the shipped maps do not build");
            break;
        }
        benchmark::DoNotOptimize(voice->GetLibCateNum());
        voice.reset();
        multi.reset();
    }
}
BENCHMARK(BM_BuildBothMapsFromCache)->Unit(benchmark::kMillisecond);

// One edit of part 4's pan through the map: store, special-parameter check, message
// formation and the write at the port.
void BM_SetParameterToPort(benchmark::State& state)
{
    CPrmCtrl multi, voice;
    if (!buildBoth(multi, voice)) {
        state.SkipWithError("the shipped maps do not build");
        return;
    }
    CountingPort port;
    multi.SetMIDI(&port, 0);
    const unsigned char adrs[3] = {0x37, 0x03, 0x0E};
    unsigned char value[1] = {0x40};
    for (auto _ : state) {
        bool linked = false;
        benchmark::DoNotOptimize(multi.SetData(0, adrs, value, linked, LINK_ON, MIDI_ON, false, 0));
        value[0] = (unsigned char)((value[0] + 1) & 0x7F);
    }
    state.counters["bytes_per_edit"] = state.iterations() ? double(port.bytes) / double(state.iterations()) : 0.0;
}
BENCHMARK(BM_SetParameterToPort);

} // namespace

BENCHMARK_MAIN();
