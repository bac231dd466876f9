// Figures for total recall: a complete download and a complete upload (mask 0: the
// multi and the user banks) between the memory-API object and the simulated
// instrument with the default pacing, beside the time the same bytes need on a
// 31250-baud cable (10 bits a byte). The counter "cable_ratio" is run time over
// cable time: below 1 the editor keeps ahead of the cable.
#include "console/memapi/RecallLogic.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/HostInterfaces.h"
#include "simulator/SimulatedInstrument.h"
#include "utilities/interfaces/IPrefsQuery_VANTREL_KXE.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMap>
#include <QMutex>
#include <QThread>
#include <QUuid>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <atomic>
#include <deque>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using NS_Simulator::SimulatedInstrument;

class Prefs : public IPrefsQuery_VANTREL_KXE
{
public:
    QVariant getProperty(int id) const override { return props.value(id); }
    QUuid getGUID(bool) const override { return QUuid(); }
    int32_t setProperty(int id, const QVariant& value) override
    {
        props.insert(id, value);
        return 0;
    }
    int32_t getClientInfo(IMPClientInfo**) override { return int32_t(0x80000001); }
    int32_t writeToStream(QDataStream&) override { return 0; }
    int32_t readFromStream(QDataStream&) override { return 0; }
    int32_t writeUIPrefsToStream(QDataStream&) override { return 0; }
    int32_t readUIPrefsFromStream(QDataStream&) override { return 0; }
    QMap<int, QVariant> props;
};

class Port : public TMIDIProxyInOut
{
public:
    int32_t read(int, const void*, bool, bool) override { return 0; }
    int32_t write(int length, const void* data) override
    {
        written += uint64_t(length);
        sim->input(static_cast<const uint8_t*>(data), size_t(length));
        return 1; // taken, as the port bridge answers
    }
    QUuid portIdentity(int direction) override { return direction == 0 ? in : out; }
    int32_t selectPorts(const QUuid*, int) override { return 0; }
    void setReceiveChannelMessages(bool) override {}
    bool receiveChannelMessages() override { return false; }
    SimulatedInstrument* sim = nullptr;
    QUuid in = QUuid::createUuid(), out = QUuid::createUuid();
    std::atomic<uint64_t> written{0};
};

class Progress : public IMPClientProgressHandler
{
public:
    int32_t QueryInterface(const Y_GUID&, void** object) override
    {
        if (object)
            *object = nullptr;
        return int32_t(0x80000004);
    }
    uint32_t AddRef() override { return 1; }
    uint32_t Release() override { return 1; }
    int32_t MPProgress(uint32_t, uint32_t, uint32_t, const uint16_t*) override { return 0; }
    int32_t MPFinished(uint32_t, int32_t) override { return 0; }
};

QCoreApplication& app()
{
    static int argc = 1;
    static char name[] = "bench_total_recall";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* instance = [] {
        qputenv("VANTREL_BUNDLE_DIR", QByteArrayLiteral(VANTREL_BUNDLE_DIR));
        QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
        return new QCoreApplication(argc, argv);
    }();
    return *instance;
}

struct Rig
{
    Rig()
    {
        app();
        api = new TovarIMemAPI(nullptr, Y_GUID(), false);
        port.sim = &sim;
        sim.setOutputSink([this](const uint8_t* b, size_t n) {
            QMutexLocker locker(&mutex);
            inbox.emplace_back(b, b + n);
            received += n;
        });
        sim.start();
        api->MAPI_associate(&port, &prefs, 0, nullptr);
    }
    ~Rig()
    {
        sim.stop();
        api->Release();
        QCoreApplication::sendPostedEvents();
    }
    // Runs one recall to its end; false when it did not end within the bound.
    bool run(bool upload)
    {
        QObject::connect(api->recallLogic(), &RecallLogic::recallComplete, [this] { done = true; });
        done = false;
        api->MAPI_totalRecall(nullptr, upload, 0, &progress, nullptr);
        QElapsedTimer clock;
        clock.start();
        while (!done && clock.elapsed() < 120000) {
            std::deque<Bytes> packets;
            {
                QMutexLocker locker(&mutex);
                packets.swap(inbox);
            }
            for (const Bytes& p : packets)
                if (p.size() > 1 && p[0] == 0xF0)
                    api->MAPI_readMIDIFromPort(0, p.data() + 1, int(p.size() - 1), true, false);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            if (packets.empty())
                QThread::usleep(200);
        }
        QObject::disconnect(api->recallLogic(), &RecallLogic::recallComplete, nullptr, nullptr);
        return done;
    }

    SimulatedInstrument sim;
    Port port;
    Prefs prefs;
    Progress progress;
    TovarIMemAPI* api = nullptr;
    QMutex mutex;
    std::deque<Bytes> inbox;
    std::atomic<uint64_t> received{0};
    bool done = false;
};

void report(benchmark::State& state, double seconds, uint64_t bytes)
{
    const double cable = double(bytes) * 10.0 / 31250.0;
    state.counters["bytes"] = double(bytes);
    state.counters["run_s"] = seconds;
    state.counters["cable_s"] = cable;
    state.counters["cable_ratio"] = cable > 0 ? seconds / cable : 0;
}

void BM_TotalRecallDownload(benchmark::State& state)
{
    Rig rig;
    for (auto _ : state) {
        const uint64_t before = rig.received.load();
        QElapsedTimer clock;
        clock.start();
        if (!rig.run(false))
            state.SkipWithError("the download did not end");
        report(state, clock.nsecsElapsed() / 1e9, rig.received.load() - before);
    }
}

void BM_TotalRecallUpload(benchmark::State& state)
{
    Rig rig;
    for (auto _ : state) {
        const uint64_t before = rig.port.written.load();
        QElapsedTimer clock;
        clock.start();
        if (!rig.run(true))
            state.SkipWithError("the upload did not end");
        report(state, clock.nsecsElapsed() / 1e9, rig.port.written.load() - before);
    }
}

} // namespace

BENCHMARK(BM_TotalRecallDownload)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TotalRecallUpload)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
