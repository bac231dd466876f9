// Figures for bulk transfer and documents: receiving and storing a whole multi dump
// and every user bank (bytes of the messages per second, beside the 3125 bytes a
// second of a MIDI cable), and saving and loading a .m3e document.
#include "console/bulk/Bulk.h"
#include "console/bulk/MidiCtrl.h"
#include "console/libfile/LibraryFile.h"
#include "console/model/BlkAdrs.h"
#include "console/model/EditorBlk.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"

#include <QDir>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using Message = std::vector<unsigned char>;

QString dataFolder()
{
    return QStringLiteral(VANTREL_BUNDLE_DIR "/VEXMOOR/TOVAR-VANTREL/");
}

struct Maps
{
    CPrmCtrl multi;
    CPrmCtrl voice;
    bool ok = false;
    Maps()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
        ok = multi.CreatePrmCtrl(0, dataFolder() + QStringLiteral("METOVAR-VANTREL.tpm"))
            && voice.CreatePrmCtrl(1, dataFolder() + QStringLiteral("TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm"));
        voice.SetMaster(&multi);
        multi.SetVoiceMap(&voice);
    }
};

Maps& maps()
{
    static Maps* m = new Maps;
    return *m;
}

Message toMessage(const QByteArray& b)
{
    return Message(b.begin(), b.end());
}

Message framing(CPrmCtrl& map, unsigned char a0, unsigned char a1, unsigned char a2)
{
    const unsigned char adr[3] = {a0, a1, a2};
    return toMessage(CMidiCtrl(&map, 0).PreProcessBulkOut(0, adr, nullptr, 0));
}

// One framed dump of the blocks of list `element`, with data from a stored voice.
void appendDump(CPrmCtrl& map, std::vector<Message>& out, unsigned char xx, unsigned char yy, int element,
                const unsigned char* voice)
{
    out.push_back(framing(map, 0x0E, xx, yy));
    int pos = 0;
    for (int i = 0; i < map.BlkAdrs().GetBlkAdrsSize(element); ++i) {
        const LIBVCEDATA_ADRS a = map.BlkAdrs().GetVceDataFileBlk(element, i);
        BLK blk;
        if (!map.EditorBlk().GetBlk(a.category, a.address, blk))
            continue;
        out.push_back(toMessage(CMidiCtrl(&map, 0).PreProcessBulkOut(a.category, a.address, voice + pos,
                                                                     short(blk.memSize))));
        pos += blk.memSize;
    }
    out.push_back(framing(map, 0x0F, xx, yy));
}

int64_t totalBytes(const std::vector<Message>& messages)
{
    int64_t n = 0;
    for (const Message& m : messages)
        n += int64_t(m.size());
    return n;
}

void BM_ReceiveMultiDump(benchmark::State& state)
{
    Maps& m = maps();
    if (!m.ok) {
        state.SkipWithError("the shipped maps do not build");
        return;
    }
    int size = 0;
    const unsigned char* multi = m.multi.VceMem()->GetVoiceMem(0, 0, &size);
    std::vector<Message> messages;
    appendDump(m.multi, messages, 0x7F, 0x00, 0, multi);
    CBulk& bulk = *m.multi.Bulk();
    for (auto _ : state) {
        bulk.MultiReq(0);
        for (const Message& msg : messages)
            bulk.MidiRecieve(msg.data(), int(msg.size()));
        if (bulk.GetState() != CBulk::kIdle) {
            state.SkipWithError("the multi walk did not end");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(messages));
    state.counters["cable_s"] = double(totalBytes(messages)) / 3125.0;
}
BENCHMARK(BM_ReceiveMultiDump)->Unit(benchmark::kMicrosecond);

void BM_ReceiveAllUserBanks(benchmark::State& state)
{
    Maps& m = maps();
    if (!m.ok) {
        state.SkipWithError("the shipped maps do not build");
        return;
    }
    CVceMem& vce = *m.voice.VceMem();
    // Request category c asks for bank c: its dumps in the order the walk requests them.
    std::vector<std::vector<Message>> banks;
    for (int c = 0; c < 6; ++c) {
        const VCEMEM_INFO* info = vce.GetCategory(c);
        std::vector<Message> bank;
        for (int v = 0; info && v < info->voiceNum; ++v) {
            int size = 0;
            appendDump(m.voice, bank, uint8_t(c), uint8_t(v), info->templateNo, vce.GetVoiceMem(c, v, &size));
        }
        banks.push_back(std::move(bank));
    }
    int64_t bytes = 0;
    for (const auto& b : banks)
        bytes += totalBytes(b);
    CBulk& bulk = *m.voice.Bulk();
    for (auto _ : state) {
        for (int c = 0; c < 6; ++c) {
            bulk.BulkReq(c, -1);
            for (const Message& msg : banks[size_t(c)])
                bulk.MidiRecieve(msg.data(), int(msg.size()));
            if (bulk.GetState() != CBulk::kIdle) {
                state.SkipWithError("a bank walk did not end");
                return;
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["cable_s"] = double(bytes) / 3125.0;
}
BENCHMARK(BM_ReceiveAllUserBanks)->Unit(benchmark::kMillisecond);

void BM_SaveDocument(benchmark::State& state)
{
    Maps& m = maps();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.m3e"));
    for (auto _ : state) {
        if (!CLibraryFile(&m.multi, path).LibrarySaveAs()) {
            state.SkipWithError("save failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * 553550);
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond);

void BM_LoadDocument(benchmark::State& state)
{
    Maps& m = maps();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.m3e"));
    if (!CLibraryFile(&m.multi, path).LibrarySaveAs()) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        if (!CLibraryFile(&m.multi, path).LibraryLoad()) {
            state.SkipWithError("load failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * 553550);
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
