// Figures for the bound controls: one synthesised mouse-drag step on a bound dial
// down to the bytes at the port (beside the 3.2 ms a 10-byte message takes on a
// 31250-baud cable), one repaint of a dial and of a fader from their cached looks
// (beside the 16.7 ms of one frame at 60 Hz), and 1,000 notifications of one
// parameter from another thread to the repaints they cause.
#include "appserver/CAppServer.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/model/SynthMemory.h"
#include "utilities/ImageRegistry.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include "widgets/CFader_VANTREL_KXE.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr double kCableTenBytesNs = 3.2e6;
constexpr double kFrame60HzNs = 16.7e6;

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
    std::atomic<long long> bytes{0};
    std::atomic<long long> messages{0};
};

void ensureApplication()
{
    // Made once and left to the process's end (see memapi_edit.cpp).
    static QApplication* app = nullptr;
    if (app)
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_widget_controls";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    CAppServer::Instance();
    CSynthMemory::setFailureReporter([](const QString&, const QString&) {});
}

// The drawn knob and fader thumb when the widgets library registered them; a plain
// strip of the same size otherwise.
QPixmap strip(const char* name, QSize cell, int rows)
{
    QPixmap found = NS_Utilities::ImageRegistry::pixmap(QString::fromLatin1(name));
    if (!found.isNull())
        return found;
    QImage image(cell.width(), cell.height() * rows, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (int r = 0; r < rows; ++r)
        painter.fillRect(QRect(QPoint(0, r * cell.height()), cell), QColor::fromHsv(r * 12 % 360, 200, 200));
    return QPixmap::fromImage(image);
}

struct Rig
{
    Rig() : api(new TovarIMemAPI(nullptr, Y_GUID(), false, multiTemplate(), voiceTemplate()))
    {
        api->MAPI_associate(&port, nullptr, 0, nullptr);
        view.resize(200, 200);
        dial = new CDial_VANTREL_KXE(&view);
        dial->setCombinedImage(strip("tovar_knob1states.png", QSize(26, 26), 29));
        dial->setnSubImages(29);
        dial->move(10, 10);
        dial->setNamedAddress(QStringLiteral("FEkMixPart/kPartPan"));
        fader = new CFader_VANTREL_KXE(&view);
        fader->setThumbImage(strip("tovar_SliderKnob.png", QSize(16, 33), 1));
        fader->setnSubImages(1);
        fader->setFlipValues(true);
        fader->setGeometry(60, 10, 16, 160);
        fader->setNamedAddress(QStringLiteral("FEkMixPart/kPartVolume"));
        view.show();
        api->MAPI_assignServer(&view, 3);
        QCoreApplication::processEvents();
    }
    ~Rig()
    {
        delete dial;
        delete fader;
        api->Release();
        QCoreApplication::sendPostedEvents();
    }
    QPointF around(double degrees) const
    {
        const double a = degrees * 3.14159265358979323846 / 180.0;
        return QPointF(13 + 40 * std::sin(a), 13 - 40 * std::cos(a));
    }
    void mouse(QEvent::Type type, QPointF local, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, local, QPointF(dial->mapToGlobal(local)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(dial, &event);
    }

    CountingPort port;
    TovarIMemAPI* api;
    QWidget view;
    CDial_VANTREL_KXE* dial = nullptr;
    CFader_VANTREL_KXE* fader = nullptr;
};

void percentiles(benchmark::State& state, std::vector<double>& ns, double reference, const char* referenceName)
{
    std::sort(ns.begin(), ns.end());
    if (ns.empty())
        return;
    state.counters["median_ns"] = ns[ns.size() / 2];
    state.counters["p99_ns"] = ns[std::min(ns.size() - 1, ns.size() * 99 / 100)];
    state.counters[referenceName] = reference;
}

void BM_DialDragStepToPort(benchmark::State& state)
{
    ensureApplication();
    Rig rig;
    const double start = 0;
    rig.mouse(QEvent::MouseButtonPress, rig.around(start), Qt::LeftButton, Qt::LeftButton);
    std::vector<double> ns;
    ns.reserve(1 << 16);
    bool out = false;
    const long long messagesBefore = rig.port.messages;
    const long long bytesBefore = rig.port.bytes;
    long long steps = 0;
    for (auto _ : state) {
        out = !out;
        const QPointF to = rig.around(out ? start + 6 : start);
        const auto t0 = std::chrono::steady_clock::now();
        rig.mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        const auto t1 = std::chrono::steady_clock::now();
        ns.push_back(double(std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count()));
        ++steps;
        if ((steps & 1023) == 0) {
            state.PauseTiming();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
    }
    rig.mouse(QEvent::MouseButtonRelease, rig.around(start), Qt::LeftButton, Qt::NoButton);
    percentiles(state, ns, kCableTenBytesNs, "cable_10_bytes_ns");
    const double messages = double(rig.port.messages - messagesBefore);
    state.counters["messages_per_step"] = steps ? messages / double(steps) : 0.0;
    state.counters["bytes_per_message"] = messages > 0 ? double(rig.port.bytes - bytesBefore) / messages : 0.0;
}
BENCHMARK(BM_DialDragStepToPort)->Iterations(20000);

template <class Control>
void repaintFromCache(benchmark::State& state, Control* Rig::*member)
{
    ensureApplication();
    Rig rig;
    Control* control = rig.*member;
    control->repaint(); // builds the cached look once
    std::vector<double> ns;
    ns.reserve(1 << 16);
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        control->repaint();
        const auto t1 = std::chrono::steady_clock::now();
        ns.push_back(double(std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count()));
    }
    percentiles(state, ns, kFrame60HzNs, "frame_60hz_ns");
}

void BM_DialRepaintFromCache(benchmark::State& state)
{
    repaintFromCache(state, &Rig::dial);
}
BENCHMARK(BM_DialRepaintFromCache)->Iterations(20000);

void BM_FaderRepaintFromCache(benchmark::State& state)
{
    repaintFromCache(state, &Rig::fader);
}
BENCHMARK(BM_FaderRepaintFromCache)->Iterations(20000);

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void BM_ThousandNotificationsToRepaints(benchmark::State& state)
{
    ensureApplication();
    Rig rig;
    PaintCounter counter;
    rig.dial->installEventFilter(&counter);
    const int top = rig.api->MAPI_getIndParamMax(55, 14, 3, nullptr);
    long long rounds = 0, paints = 0;
    for (auto _ : state) {
        counter.paints = 0;
        std::atomic<bool> done{false};
        // The instrument side: 1,000 changes of the pan on another thread, while the
        // GUI thread keeps running its event loop.
        std::thread instrument([&] {
            for (int i = 0; i < 1000; ++i)
                rig.api->MAPI_setIndParam(55, 14, 3, (i % 2) ? top : top - 1, 0, IMemAPI::PostNothing);
            done = true;
        });
        while (!done || rig.dial->m_pending > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        instrument.join();
        QCoreApplication::processEvents();
        paints += counter.paints;
        ++rounds;
    }
    rig.dial->removeEventFilter(&counter);
    state.counters["repaints_per_1000"] = rounds ? double(paints) / double(rounds) : 0.0;
    state.counters["frame_60hz_ns"] = kFrame60HzNs;
}
BENCHMARK(BM_ThousandNotificationsToRepaints)->Unit(benchmark::kMillisecond)->Iterations(50)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
