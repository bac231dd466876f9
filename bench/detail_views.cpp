// Figures for the detail views: opening the common detail window and a part detail
// window (made, bound to the memory-API object of the shipped data folder, painted
// once), switching a window's page, and the resident memory the editor grows by with
// the mixer, the common window and all sixteen part windows open. The add-ons are
// loaded as the component loads them.
#include "appserver/CAppServer.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/model/SynthMemory.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"

#include <QApplication>
#include <QLibrary>
#include <QPixmap>
#include <QScrollArea>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

QString bundleFile(const char* relative)
{
    return QStringLiteral(VANTREL_BUNDLE_DIR "/") + QLatin1String(relative);
}

void ensureApplication()
{
    // Made once and left to the process's end: the toolkit's statics outlive main.
    static QApplication* app = nullptr;
    if (app)
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_detail_views";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    CAppServer::Instance();
    CSynthMemory::setFailureReporter([](const QString&, const QString& text) { qWarning("%s", qPrintable(text)); });
}

// The libraries stay mapped, as in the component.
IGenericEditorPluginInterface* loadAddOn(const char* file)
{
    QLibrary library(bundleFile("lib/addons/") + QLatin1String(file));
    if (!library.load())
        return nullptr;
    auto factory = reinterpret_cast<TAddOnFactoryFunction>(library.resolve(kAddOnFactoryName));
    return factory ? factory() : nullptr;
}

struct Fixture
{
    Fixture()
        : api(new TovarIMemAPI(nullptr, Y_GUID(), false, bundleFile("VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm"),
                               bundleFile("VEXMOOR/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm")))
    {
        common = loadAddOn("libvantrel_kxe21_editor_commondetail_addon.so");
        part = loadAddOn("libvantrel_kxe21_editor_partdetail_addon.so");
        mixer = loadAddOn("libvantrel_kxe21_editor_mainLayer_addon.so");
        for (IGenericEditorPluginInterface* addOn : {common, part, mixer}) {
            if (addOn)
                addOn->GP_initialize(api, nullptr);
        }
    }
    ~Fixture()
    {
        for (IGenericEditorPluginInterface* addOn : {common, part, mixer}) {
            if (addOn)
                addOn->Release();
        }
        api->Release();
        QCoreApplication::sendPostedEvents();
    }
    bool ready() const { return common && part; }

    // Made, bound and painted once, as the component opens a window.
    QWidget* open(IGenericEditorPluginInterface* addOn, int id)
    {
        QWidget* frame = addOn->GP_create(id, nullptr);
        if (!frame)
            return nullptr;
        if (IEditorExtensions* extensions = addOn->GP_extension(frame, nullptr))
            extensions->EX_postInitialize(api);
        benchmark::DoNotOptimize(frame->grab());
        return frame;
    }
    static void close(QWidget* frame)
    {
        delete frame;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TovarIMemAPI* api;
    IGenericEditorPluginInterface* common = nullptr;
    IGenericEditorPluginInterface* part = nullptr;
    IGenericEditorPluginInterface* mixer = nullptr;
};

double residentMiB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void BM_OpenCommonDetailWindow(benchmark::State& state)
{
    ensureApplication();
    Fixture f;
    if (!f.ready()) {
        state.SkipWithError("the detail add-ons are not built");
        return;
    }
    for (auto _ : state) {
        QWidget* frame = f.open(f.common, 1);
        state.PauseTiming();
        Fixture::close(frame);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenCommonDetailWindow)->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_OpenPartDetailWindow(benchmark::State& state)
{
    ensureApplication();
    Fixture f;
    if (!f.ready()) {
        state.SkipWithError("the detail add-ons are not built");
        return;
    }
    int id = 0;
    for (auto _ : state) {
        QWidget* frame = f.open(f.part, 1 + id++ % 16);
        state.PauseTiming();
        Fixture::close(frame);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenPartDetailWindow)->Unit(benchmark::kMillisecond)->Iterations(60);

// One page request and the repaint of the window it changes.
void BM_SwitchPage(benchmark::State& state)
{
    ensureApplication();
    Fixture f;
    if (!f.ready()) {
        state.SkipWithError("the detail add-ons are not built");
        return;
    }
    const bool common = state.range(0) == 0;
    QWidget* frame = f.open(common ? f.common : f.part, 4);
    QWidget* view = qobject_cast<QScrollArea*>(frame)->widget();
    frame->show();
    QCoreApplication::processEvents();
    const int pages = common ? 8 : 7;
    int page = 0;
    for (auto _ : state) {
        page = (page + 1) % pages;
        QMetaObject::invokeMethod(view, "guiWindowChanged", Q_ARG(int, 0), Q_ARG(int, page), Q_ARG(int, -1));
        frame->repaint();
    }
    Fixture::close(frame);
}
BENCHMARK(BM_SwitchPage)->Arg(0)->Arg(1)->ArgNames({"part"})->Unit(benchmark::kMicrosecond)->Iterations(400);

// Resident memory before and with the mixer, the common window and all sixteen part
// windows open (shown, each painted once).
void BM_ResidentWithEveryWindowOpen(benchmark::State& state)
{
    ensureApplication();
    for (auto _ : state) {
        Fixture f;
        if (!f.ready()) {
            state.SkipWithError("the detail add-ons are not built");
            return;
        }
        const double before = residentMiB();
        std::vector<QWidget*> frames;
        if (f.mixer)
            frames.push_back(f.open(f.mixer, 1));
        frames.push_back(f.open(f.common, 1));
        for (int part = 1; part <= 16; ++part)
            frames.push_back(f.open(f.part, part));
        for (QWidget* frame : frames) {
            if (frame)
                frame->show();
        }
        QCoreApplication::processEvents();
        const double after = residentMiB();
        state.counters["resident_MiB"] = after;
        state.counters["grown_MiB"] = after - before;
        state.counters["windows"] = double(frames.size());
        for (QWidget* frame : frames)
            Fixture::close(frame);
    }
}
BENCHMARK(BM_ResidentWithEveryWindowOpen)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
