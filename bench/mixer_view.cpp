// Figures of the mixer window:
// - opening it: the add-on makes the window, every control is bound to the memory-API
//   object of the shipped data folder, and the window is painted once;
// - a multi received from the simulated instrument, every strip's values different
//   from what it shows, until the last strip has repainted, with the repaints each
//   control made;
// - the substitute host (the real component and its add-ons, on the simulated
//   instrument) from start to the first paint of the mixer it opens by default; and the
//   host program in a process of its own as its --measure prints it: start-up to the
//   first shown page (the mixer open), resident memory and idle processor use with the
//   1 ms pump running (the pump runs only in the program, whose toolkit the component
//   starts itself).
#include "BenchMain.h"
#include "appserver/CAppServer.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/model/SynthMemory.h"
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "host/SubstituteHost.h"
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "simulator/SimulatedInstrument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = NS_Simulator::Bytes;
using Companion = TovarIMemAPIQObject_VANTREL_KXE;

const QString kMixerKey = QStringLiteral("1;{17cd5afa-0e92-8543-b8a7-2aebee9fdd63}");
constexpr int kStrips = 16;

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

void pump()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QList<QWidget*> stripsOf(QWidget* view)
{
    QList<QWidget*> strips;
    for (QObject* child : view->children()) {
        if (child->inherits("ChannelStrip"))
            strips.append(static_cast<QWidget*>(child));
    }
    return strips;
}

// Counts the paint events of chosen widgets, and notes the first paint of a named one.
class PaintCounter : public QObject
{
public:
    void watch(QWidget* widget)
    {
        m_counts[widget] = 0;
        widget->installEventFilter(this);
    }
    void reset()
    {
        for (auto& entry : m_counts)
            entry.second = 0;
    }
    int count(QWidget* widget) const
    {
        const auto found = m_counts.find(widget);
        return found == m_counts.end() ? 0 : found->second;
    }
    const std::map<QWidget*, int>& counts() const { return m_counts; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const auto found = m_counts.find(static_cast<QWidget*>(watched));
            if (found != m_counts.end())
                ++found->second;
        }
        return false;
    }

private:
    std::map<QWidget*, int> m_counts;
};

// ---- opening the window

void BM_OpenMixerWindow(benchmark::State& state)
{
    QLibrary library(QStringLiteral(VANTREL_ADDON_DIR "/libvantrel_kxe21_editor_mainLayer_addon.so"));
    auto factory = reinterpret_cast<TAddOnFactoryFunction>(library.resolve(kAddOnFactoryName));
    if (!factory) {
        state.SkipWithError("no mixer add-on");
        return;
    }
    CAppServer* server = CAppServer::Instance();
    auto* api = new TovarIMemAPI(nullptr, Y_GUID(), false,
                                 QStringLiteral(VANTREL_BUNDLE_DIR "/VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm"),
                                 QStringLiteral(VANTREL_BUNDLE_DIR
                                                "/VEXMOOR/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm"));
    IGenericEditorPluginInterface* addOn = factory();
    addOn->GP_initialize(api, nullptr);
    int controls = 0;
    double create = 0, bind = 0, paint = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        QWidget* window = addOn->GP_create(1, nullptr);
        const auto t1 = Clock::now();
        addOn->GP_extension(window, nullptr)->EX_postInitialize(api);
        const auto t2 = Clock::now();
        const QPixmap first = window->grab();
        const auto t3 = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t3 - t0).count());
        create += std::chrono::duration<double, std::milli>(t1 - t0).count();
        bind += std::chrono::duration<double, std::milli>(t2 - t1).count();
        paint += std::chrono::duration<double, std::milli>(t3 - t2).count();
        controls = 0;
        for (QWidget* w : window->findChildren<QWidget*>())
            controls += dynamic_cast<TMemProxy_VANTREL_KXE*>(w) != nullptr;
        benchmark::DoNotOptimize(first);
        delete window;
        pump();
    }
    const double n = double(state.iterations());
    state.counters["create_ms"] = create / n;
    state.counters["bind_ms"] = bind / n;
    state.counters["first_paint_ms"] = paint / n;
    state.counters["bound_controls"] = controls;
    addOn->Release();
    api->Release();
    pump();
    CAppServer::release(server);
    pump();
}
BENCHMARK(BM_OpenMixerWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// ---- the editor in the substitute host

class Editor
{
public:
    bool start(QString* error)
    {
        QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication()).clear();
        NS_Host::HostOptions options;
        options.factory = &MacLoaderFactory;
        options.projectPath.clear();
        options.settleMs = 100;
        static int run = 0;
        options.simulatorName = QStringLiteral("TOVAR-VANTREL mixer figures %1").arg(++run);
        options.surfaceName = QStringLiteral("TOVAR-VANTREL mixer figures surface %1").arg(run);
        host = std::make_unique<NS_Host::SubstituteHost>(options);
        host->setIdleHook(&pump);
        if (!host->start()) {
            *error = host->error();
            return false;
        }
        auto* component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(host->component());
        api = component ? component->memAPI() : nullptr;
        companion = api ? qobject_cast<Companion*>(api->MAPI_qself()) : nullptr;
        mixer = component && component->uiServer() ? component->uiServer()->recordedEditor(kMixerKey) : nullptr;
        auto* frame = qobject_cast<QScrollArea*>(mixer);
        view = frame ? frame->widget() : nullptr;
        if (!companion || !view) {
            *error = QStringLiteral("no mixer in the editor");
            return false;
        }
        return true;
    }
    void stop()
    {
        if (host)
            host->stop(false);
        host.reset();
        mixer = view = nullptr;
        api = nullptr;
        companion = nullptr;
    }

    std::unique_ptr<NS_Host::SubstituteHost> host;
    IMemAPI* api = nullptr;
    Companion* companion = nullptr;
    QWidget* mixer = nullptr;
    QWidget* view = nullptr;
};

// Records when a widget named "Channels" (the mixer view) first paints.
class FirstMixerPaint : public QObject
{
public:
    Clock::time_point at;
    bool seen = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!seen && event->type() == QEvent::Paint && watched->objectName() == QLatin1String("Channels")) {
            seen = true;
            at = Clock::now();
        }
        return false;
    }
};

void BM_HostStartToMixerPainted(benchmark::State& state)
{
    for (auto _ : state) {
        FirstMixerPaint first;
        qApp->installEventFilter(&first);
        Editor editor;
        QString error;
        const auto t0 = Clock::now();
        if (!editor.start(&error)) {
            qApp->removeEventFilter(&first);
            state.SkipWithError(qPrintable(error));
            return;
        }
        const double started = msSince(t0);
        editor.host->runFor(5000, [&] { return first.seen; });
        qApp->removeEventFilter(&first);
        state.SetIterationTime(std::chrono::duration<double>((first.seen ? first.at : Clock::now()) - t0).count());
        // The first start only: later ones find the libraries and fonts warm.
        if (!state.counters.count("first_start_ms")) {
            state.counters["first_start_ms"] = std::chrono::duration<double, std::milli>(first.at - t0).count();
            state.counters["first_start_page_shown_ms"] = started;
        }
        editor.stop();
        pump();
    }
}
BENCHMARK(BM_HostStartToMixerPainted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The same as the host program prints them, in a process of its own.
void BM_HostProgramMeasure(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir home;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        program.setProcessEnvironment(env);
        const auto t0 = Clock::now();
        program.start(QStringLiteral(VANTREL_HOST_PROGRAM),
                      {QStringLiteral("--no-project"), QStringLiteral("--measure"), QStringLiteral("--run-for"),
                       QStringLiteral("1")});
        if (!program.waitForFinished(60000)) {
            program.kill();
            state.SkipWithError("the host program did not end");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const auto figure = [&](const char* pattern) {
            const QRegularExpressionMatch m = QRegularExpression(QLatin1String(pattern)).match(out);
            return m.hasMatch() ? m.captured(1).toDouble() : -1.0;
        };
        state.counters["startup_ms"] = figure("first shown page: ([0-9.]+) ms");
        state.counters["resident_MiB"] = figure("page shown: ([0-9]+) KiB") / 1024.0;
        state.counters["idle_cpu_percent"] = figure("pump: ([0-9.]+) %");
    }
}
BENCHMARK(BM_HostProgramMeasure)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// ---- a multi received until the last strip has repainted

struct Pattern
{
    int pan, send, volume, eq;
};

Pattern patternOf(int part, int round)
{
    // Two rounds that differ in every value of every part.
    const int shift = round % 2 == 0 ? 0 : 17;
    return Pattern{(part * 7 + 5 + shift) % 128, (part * 5 + 20 + shift) % 128, (110 - part * 5 - shift) & 0x7F,
                   0x36 + (part + shift) % 0x16};
}

void BM_MultiReceivedToLastStripRepainted(benchmark::State& state)
{
    Editor editor;
    QString error;
    if (!editor.start(&error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    const QList<QWidget*> strips = stripsOf(editor.view);
    NS_Simulator::SimulatedInstrument* instrument = editor.host->instrument();
    PaintCounter paints;
    std::vector<QWidget*> controls;
    for (QWidget* w : editor.view->findChildren<QWidget*>()) {
        auto* proxy = dynamic_cast<TMemProxy_VANTREL_KXE*>(w);
        if (proxy && !proxy->namedAddress().isEmpty() && w->isVisible()) {
            controls.push_back(w);
            paints.watch(w);
        }
    }
    QWidget* lastPan = strips.last()->findChild<QWidget*>(QStringLiteral("ChPan"));
    QWidget* lastFader = strips.last()->findChild<QWidget*>(QStringLiteral("ChannelFader"));
    editor.host->runFor(300);

    int round = 0;
    double repaintsPerChanged = 0, maxRepaints = 0;
    int changedControls = 0;
    for (auto _ : state) {
        ++round;
        instrument->editImage([&](NS_Simulator::SimMemoryImage& image) {
            for (int p = 0; p < kStrips; ++p) {
                const Pattern v = patternOf(p, round);
                image.writeEdit(Bytes{0x37, uint8_t(p), 0x0E}, Bytes{uint8_t(v.pan)});
                image.writeEdit(Bytes{0x37, uint8_t(p), 0x12}, Bytes{uint8_t(v.send)});
                image.writeEdit(Bytes{0x37, uint8_t(p), 0x0D}, Bytes{uint8_t(v.volume)});
                image.writeEdit(Bytes{0x37, uint8_t(p), 0x13}, Bytes{uint8_t(v.send)});
                // The three equaliser gains.
                for (uint8_t gain : {0x30, 0x34, 0x38})
                    image.writeEdit(Bytes{0x37, uint8_t(p), gain}, Bytes{uint8_t(v.eq + (gain - 0x30) / 4)});
            }
        });
        std::map<QWidget*, QVariant> before;
        for (QWidget* w : controls)
            before[w] = w->property("value");
        paints.reset();
        const int wantedPan = patternOf(kStrips - 1, round).pan;
        int progress = 0;
        const QMetaObject::Connection onProgress =
            QObject::connect(editor.companion, &Companion::bulkProgressChanged, editor.companion,
                             [&](int percent) { progress = std::max(progress, percent); });
        const auto t0 = Clock::now();
        editor.companion->requestMultiBulk();
        editor.host->runFor(10000, [&] {
            return progress >= 100 && lastPan->property("value").toInt() == wantedPan && paints.count(lastPan) > 0
                   && paints.count(lastFader) > 0;
        });
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        QObject::disconnect(onProgress);
        // Late repaints count too.
        editor.host->runFor(200);
        int changed = 0, total = 0, most = 0;
        for (QWidget* w : controls) {
            if (!before[w].isValid() || before[w] == w->property("value"))
                continue;
            ++changed;
            total += paints.count(w);
            most = std::max(most, paints.count(w));
        }
        changedControls = changed;
        repaintsPerChanged = changed ? double(total) / changed : 0;
        maxRepaints = std::max(maxRepaints, double(most));
    }
    state.counters["changed_controls"] = changedControls;
    state.counters["repaints_per_changed_control"] = repaintsPerChanged;
    state.counters["max_repaints_of_a_control"] = maxRepaints;
    editor.stop();
    pump();
}
BENCHMARK(BM_MultiReceivedToLastStripRepainted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    return runToolkitBenchmarks(argc, argv, BenchMidi::Virtual,
                                [] { CSynthMemory::setFailureReporter([](const QString&, const QString&) {}); });
}
