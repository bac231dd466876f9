// One repaint of a popup selector from its cached look (beside the 16.7 ms of one
// frame at 60 Hz), the popup bound to the receive channel of part 4 of the shipped
// data folder through the memory-API object.
#include "appserver/CAppServer.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/model/SynthMemory.h"
#include "widgets/CPopup_VANTREL_KXE.h"

#include <QApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

constexpr double kFrame60HzNs = 16.7e6;

void ensureApplication()
{
    // Made once and left to the process's end, as the other benchmarks do.
    static QApplication* app = nullptr;
    if (app)
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_popup_repaint";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    CAppServer::Instance();
    CSynthMemory::setFailureReporter([](const QString&, const QString&) {});
}

void BM_PopupRepaintFromCache(benchmark::State& state)
{
    ensureApplication();
    auto* api = new TovarIMemAPI(nullptr, Y_GUID(), false,
                                 QStringLiteral(VANTREL_BUNDLE_DIR "/VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm"),
                                 QStringLiteral(VANTREL_BUNDLE_DIR
                                                "/VEXMOOR/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm"));
    {
        QWidget view;
        view.resize(120, 40);
        auto* popup = new CPopup_VANTREL_KXE(&view, "receive");
        popup->setLabels(QStringLiteral("1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;off"));
        popup->setGeometry(10, 10, 44, 16);
        popup->setNamedAddress(QStringLiteral("FEkMixPart/kPartRcvCh"));
        view.show();
        api->MAPI_assignServer(&view, 3);
        QCoreApplication::processEvents();
        popup->repaint(); // the look is built once here
        std::vector<double> ns;
        ns.reserve(1 << 16);
        for (auto _ : state) {
            const auto t0 = std::chrono::steady_clock::now();
            popup->repaint();
            const auto t1 = std::chrono::steady_clock::now();
            ns.push_back(double(std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count()));
        }
        std::sort(ns.begin(), ns.end());
        if (!ns.empty()) {
            state.counters["median_ns"] = ns[ns.size() / 2];
            state.counters["p99_ns"] = ns[std::min(ns.size() - 1, ns.size() * 99 / 100)];
        }
        state.counters["frame_60hz_ns"] = kFrame60HzNs;
    }
    api->Release();
    QCoreApplication::sendPostedEvents();
}
BENCHMARK(BM_PopupRepaintFromCache)->Iterations(20000);

} // namespace

BENCHMARK_MAIN();
