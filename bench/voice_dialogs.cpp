// Figures for the voice dialogs, opened in the component (linked in, with the build's
// add-ons found in the bundle) that the substitute host runs on the simulated
// instrument, as the user opens them: the voice list of a part that plays a voice of
// a 128-voice bank, until it shows, and its switch to category mode (every voice of all
// banks sorted into categories); the arpeggio type list, until it shows its 1787
// names, and one refill of it.
#include "BenchMain.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "host/SubstituteHost.h"
#include "memapi/IMemAPI.h"
#include "utilities/interfaces/IPrefsQuery_VANTREL_KXE.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QListWidget>
#include <QLoggingCategory>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <memory>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

void pump()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The editor in the substitute host on the simulated instrument, once per process.
struct Editor
{
    Editor()
    {
        NS_Host::HostOptions options;
        options.factory = &MacLoaderFactory;
        options.projectPath.clear();
        options.settleMs = 200;
        host = std::make_unique<NS_Host::SubstituteHost>(options);
        host->setIdleHook(&pump);
        if (!host->start())
            return;
        if (auto* component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(host->component())) {
            api = component->memAPI();
            // No preset receive prompt at start.
            component->preferences()->setProperty(NS_TovarMemAPI::kPrefPresetVoices, 1);
        }
        host->runFor(500);
    }
    ~Editor() { host->stop(false); }
    bool ok() const { return api != nullptr; }

    void set(const QString& name, int channel, int value)
    {
        IMemAPI::TCompleteAddress parsed;
        api->MAPI_parse(parsed, &name);
        if (parsed.records && parsed.count > 0)
            api->MAPI_setIndParam(parsed.records[0].element, parsed.records[0].parameter, short(channel), value,
                                  api->MAPI_dirtyAllFlags(nullptr), IMemAPI::PostSetDirtyFlags);
        delete[] parsed.records;
    }

    std::unique_ptr<NS_Host::SubstituteHost> host;
    IMemAPI* api = nullptr;
};

Editor& editor()
{
    static Editor* e = new Editor;
    return *e;
}

// Notes when a dialog of that name is first shown, and then runs `shown` in its loop.
class ShowWatch : public QObject
{
public:
    ShowWatch(const char* name, std::function<void(QDialog*)> shown) : m_name(name), m_shown(std::move(shown))
    {
        qApp->installEventFilter(this);
        m_clock.start();
    }
    ~ShowWatch() override { qApp->removeEventFilter(this); }
    double shownAtMs() const { return m_shownAt; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && m_shownAt < 0 && watched->objectName() == QLatin1String(m_name)) {
            m_shownAt = double(m_clock.nsecsElapsed()) / 1e6;
            auto* dialog = static_cast<QDialog*>(watched);
            QTimer::singleShot(0, dialog, [this, dialog] { m_shown(dialog); });
        }
        return false;
    }

private:
    const char* m_name;
    std::function<void(QDialog*)> m_shown;
    QElapsedTimer m_clock;
    double m_shownAt = -1;
};

const QUuid& dialogsModule()
{
    static const QUuid id = Guid2QUuid(NS_AddOnIds::DialogsAddOn);
    return id;
}

void BM_VoiceListOpenOnALargestBankThenCategoryMode(benchmark::State& state)
{
    Editor& e = editor();
    if (!e.ok()) {
        state.SkipWithError("the editor did not start");
        return;
    }
    // Part 1 plays the last voice of Normal Preset 1 (128 voices).
    e.set(QStringLiteral("00kMixPart/kPartBankSelMSB"), 0, 0);
    e.set(QStringLiteral("00kMixPart/kPartBankSelLSB"), 0, 0);
    e.set(QStringLiteral("00kMixPart/kPartPrgNo"), 0, 127);
    double openMs = 0, categoryMs = 0;
    int bankVoices = 0, categoryVoices = 0;
    for (auto _ : state) {
        pump();
        QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication())
            .setValue(QLatin1String(NS_TovarMemAPI::kKeyVoiceSeachMode), 0);
        double switchMs = 0;
        ShowWatch watch("VoiceList", [&](QDialog* dialog) {
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("VoiceListBox"));
            auto* mode = dialog->findChild<QComboBox*>(QStringLiteral("SearchModeComboBox"));
            bankVoices = list->count();
            QElapsedTimer clock;
            clock.start();
            mode->setCurrentIndex(1);
            emit mode->activated(1);
            switchMs = double(clock.nsecsElapsed()) / 1e6;
            categoryVoices = list->count();
            dialog->reject();
        });
        e.host->openEditor({dialogsModule(), 17});
        state.SetIterationTime((watch.shownAtMs() + switchMs) / 1000.0);
        openMs += watch.shownAtMs();
        categoryMs += switchMs;
    }
    const double n = double(state.iterations());
    state.counters["open_ms"] = openMs / n;
    state.counters["to_category_ms"] = categoryMs / n;
    state.counters["bank_voices"] = bankVoices;
    state.counters["category_voices"] = categoryVoices;
}
BENCHMARK(BM_VoiceListOpenOnALargestBankThenCategoryMode)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

void BM_ArpeggioTypeListFill(benchmark::State& state)
{
    Editor& e = editor();
    if (!e.ok()) {
        state.SkipWithError("the editor did not start");
        return;
    }
    e.set(QStringLiteral("00kCommon/kCommARPType"), 0, 0);
    double openMs = 0, refillMs = 0;
    int entries = 0;
    for (auto _ : state) {
        pump();
        double refill = 0;
        ShowWatch watch("ArpSelectDialog", [&](QDialog* dialog) {
            QElapsedTimer clock;
            clock.start();
            QMetaObject::invokeMethod(dialog, "updateList", Q_ARG(int, 0));
            refill = double(clock.nsecsElapsed()) / 1e6;
            entries = dialog->findChild<QListWidget*>(QStringLiteral("ArpListBox"))->count();
            dialog->reject();
        });
        e.host->openEditor({dialogsModule(), 10});
        state.SetIterationTime(refill / 1000.0);
        openMs += watch.shownAtMs();
        refillMs += refill;
    }
    const double n = double(state.iterations());
    state.counters["open_ms"] = openMs / n;
    state.counters["fill_ms"] = refillMs / n;
    state.counters["entries"] = entries;
}
BENCHMARK(BM_ArpeggioTypeListFill)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    return runToolkitBenchmarks(argc, argv, BenchMidi::Virtual, {}, [] { delete &editor(); });
}
