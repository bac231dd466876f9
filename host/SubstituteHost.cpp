#include "SubstituteHost.h"
#include "HostProjectFile.h"
#include "platform/PlatformWindow.h"
#include "platform/RunLoop.h"
#include "simulator/SimBusEndpoint.h"
#include "simulator/SimulatedInstrument.h"
#include "simulator/SimulatedSurface.h"
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/resource.h>
#include <ctime>
#include <unistd.h>

namespace NS_Host {

namespace {

// Where the editor's settings store keeps the instrument ports it falls back to.
// The host writes them once, so that a new project finds the simulated instrument.
const char kSettingsOrganization[] = "halvorsk.example";
const char kSettingsApplication[] = "VANTREL_KXE Tovar Editor";
const char kSettingsInPort[] = "InGuid";
const char kSettingsOutPort[] = "OutGuid";

// The editor's start-up prompt for preset voices, and how often the host looks for it
// and for a request to end.
const char kPresetPromptName[] = "PresetReceiveDialog";
// The editor's warning boxes of its start-up (surface template, memory map).
const char kStartupWarningName[] = "StartupWarning";
constexpr int kDialogWatchMs = 10;

// Set from signal handlers: lock-free, so setting it there is safe.
std::atomic<bool> s_endRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
// When the end was first asked for (CLOCK_MONOTONIC, ns); 0 while it was not.
std::atomic<int64_t> s_endRequestedAt{0};
static_assert(std::atomic<int64_t>::is_always_lock_free);
// Signals that come sooner after the first are the same request (a TERM to the process
// and one to its group); only a later one means that ending hangs.
constexpr int64_t kForceEndAfterNs = 3'000'000'000;

int64_t monotonicNs()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now); // async-signal-safe
    return int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// True for the first request; the time of the first is then in `first`.
bool markEndRequested(int64_t now, int64_t* first)
{
    int64_t none = 0;
    const bool isFirst = s_endRequestedAt.compare_exchange_strong(none, now ? now : 1);
    s_endRequested.store(true);
    *first = isFirst ? now : none;
    return isFirst;
}

void onEndSignal(int signal)
{
    const int64_t now = monotonicNs();
    int64_t first = 0;
    if (markEndRequested(now, &first) || now - first < kForceEndAfterNs)
        return;
    // The end has run for a while and is asked for again: the way out if it hangs.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Rejects every modal dialog that is shown; their loops unwind as each returns.
void endModalDialogs()
{
    QList<QPointer<QWidget>> modal;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->isModal())
            modal << window;
    }
    for (const QPointer<QWidget>& window : modal) {
        if (!window)
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(window.data()))
            dialog->reject();
        else
            window->close();
    }
}

// The editor's document record is never larger.
constexpr qint64 kMaxProjectBytes = 16 * 1024 * 1024 + 64;

template <class T>
T* queryInterface(IUnknown* object, const Y_GUID& iid)
{
    void* out = nullptr;
    if (!object || object->QueryInterface(iid, &out) != 0)
        return nullptr;
    return static_cast<T*>(out);
}

template <class T>
void releaseInterface(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

SubstituteHost::SubstituteHost(HostOptions options) : m_options(std::move(options))
{
}

SubstituteHost::~SubstituteHost()
{
    stop(false);
}

QString SubstituteHost::defaultComponentPath()
{
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    const QString program = n > 0 ? QString::fromLocal8Bit(self, int(n)) : QString();
    const QDir bin = QFileInfo(program).dir();
    return bin.absoluteFilePath(QStringLiteral("../bundle/lib/libvantrel_kxe21_genericeditor.so"));
}

QString SubstituteHost::defaultProjectPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base + QStringLiteral("/tovar-vantrel-host/project.tvproj");
}

bool SubstituteHost::fail(const QString& message)
{
    m_error = message;
    std::fprintf(stderr, "vantrel_host: %s\n", qPrintable(message));
    return false;
}

int SubstituteHost::outstandingReferences() const
{
    int n = m_progress.references();
    if (m_ports)
        n += m_ports->references();
    if (m_services)
        n += m_services->outstandingReferences();
    if (m_loaded)
        n += m_loaded->references();
    return n;
}

bool SubstituteHost::start()
{
    m_started = std::chrono::steady_clock::now();
    if (!checkSurfaceKeys())
        return false;
    m_factory = m_options.factory;
    if (!m_factory) {
        const QString path =
            m_options.componentPath.isEmpty() ? defaultComponentPath() : m_options.componentPath;
        m_library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!m_library)
            return fail(QStringLiteral("cannot load %1: %2").arg(path, QString::fromLocal8Bit(dlerror())));
        m_factory = reinterpret_cast<MacLoaderFactoryFunction>(dlsym(m_library, kMacLoaderFactoryName));
        if (!m_factory)
            return fail(QStringLiteral("%1 has no %2").arg(path, QLatin1String(kMacLoaderFactoryName)));
    }

    // The component starts the toolkit on this thread, which is the GUI thread from now on.
    m_component = m_factory(nullptr, &NS_HostIds::IID_IMPInitialise);
    if (!m_component)
        return fail(QStringLiteral("the component factory made nothing"));
    // A modal dialog of the editor runs the toolkit's own loop inside a timer callback
    // of this one: the host's timers go on inside it.
    NS_Platform::RunLoop::main()->followToolkitLoops();
    // From here on: the connect may already show a modal warning, and a signal must
    // end that too.
    watchDialogs();
    m_initialise = queryInterface<IMPInitialise>(m_component, NS_HostIds::IID_IMPInitialise);
    m_persist = queryInterface<IPersistStream>(m_component, NS_HostIds::IID_IPersistStream);
    m_filter = queryInterface<IMPEventFilter>(m_component, NS_HostIds::IID_IMPEventFilter);
    m_recall = queryInterface<IMPServices>(m_component, NS_HostIds::IID_IMPServices);
    if (!m_initialise || !m_filter)
        return fail(QStringLiteral("the component lacks its connect or MIDI interface"));

    NS_Platform::MidiService& service =
        m_options.midiService ? *m_options.midiService : NS_Platform::MidiService::system();
    if (m_options.simulator) {
        m_instrument = std::make_unique<NS_Simulator::SimulatedInstrument>();
        m_instrument->start();
        m_endpoint = std::make_unique<NS_Simulator::SimBusEndpoint>(*m_instrument, service,
                                                                     m_options.simulatorName);
        if (!m_endpoint->isValid())
            return fail(QStringLiteral("the simulated instrument has no ports on %1")
                            .arg(service.backendName()));
    }
    if (m_options.surface) {
        m_surface = std::make_unique<HostSurface>(service, m_options.surfaceName, m_options.surfaceText);
        if (!m_surface->isValid())
            return fail(QStringLiteral("the simulated surface has no ports on %1").arg(service.backendName()));
    }
    m_ports = std::make_unique<HostMidiPorts>(service);
    if (!m_ports->open())
        return fail(QStringLiteral("no MIDI client on %1").arg(service.backendName()));
    m_services = std::make_unique<HostServices>(*m_ports);
    // Ports that come and go reach the editor as the host's notification.
    m_ports->setPortsChangedHandler(
        [services = m_services.get()] { services->sinkPoint().notifyAll(tagMPMSG{NS_HostIds::MSG_MIDIPortsChanged}); });
    if (m_options.simulator)
        seedDefaultInstrument();
    if (m_surface)
        HostSurface::seedSettings(QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication),
                                  m_ports->identityOf(false, m_options.surfaceName),
                                  m_ports->identityOf(true, m_options.surfaceName));

    // A project is handed over before the connect, as a host restoring it does.
    if (!m_options.projectPath.isEmpty() && m_persist) {
        const ProjectFileRead project = readProjectFile(m_options.projectPath, kMaxProjectBytes);
        if (project.outcome == ProjectFileRead::Refused)
            return fail(QStringLiteral("cannot read project %1: %2").arg(m_options.projectPath, project.error));
        for (const QString& name : removeStaleProjectSaves(m_options.projectPath))
            std::fprintf(stderr, "vantrel_host: removed %s, left by a save that did not finish\n", qPrintable(name));
        if (project.outcome == ProjectFileRead::Read) {
            m_loaded = std::make_unique<HostMemoryStream>(project.bytes);
            const int32_t r = m_persist->Load(m_loaded.get());
            if (r != 0)
                keepProject(QStringLiteral("0x%1").arg(uint32_t(r), 8, 16, QLatin1Char('0')));
        }
    }

    m_ports->setEventFilter(m_filter);
    uint32_t flags = MPCONNECT_FLAG_KEPT;
    const int32_t connected =
        m_initialise->MPConnect(m_services.get(), m_ports.get(), MPINITIALISE_DEFAULT, 0, &flags);
    if (connected != 0)
        return fail(QStringLiteral("MPConnect failed (0x%1)").arg(uint32_t(connected), 8, 16, QLatin1Char('0')));
    m_connected = true;
    // The project the component kept for the connect is loaded by it.
    if (flags & MPCONNECT_FLAG_KEPT_LOAD_FAILED)
        keepProject(QStringLiteral("the editor refused its document"));
    // The file holds one document stream and nothing else: bytes the load left unread
    // were no document the editor knows, whatever a lax reader made of the rest.
    if (m_loaded && !m_projectKept) {
        const qsizetype read = m_loaded->position();
        const qsizetype size = m_loaded->bytes().size();
        if (read != size)
            keepProject(QStringLiteral("the editor read %1 of its %2 bytes").arg(read).arg(size));
    }

    // The page the component names, made by the same factory.
    if (auto* specify = queryInterface<ISpecifyPropertyPages>(m_component,
                                                             NS_HostIds::IID_ISpecifyPropertyPages)) {
        tagCAUUID pages{0, nullptr};
        specify->GetPages(&pages);
        std::free(pages.pElems);
        specify->Release();
    }
    IUnknown* page = m_factory(nullptr, &NS_HostIds::IID_IPropertyPage);
    m_page = queryInterface<IPropertyPage>(page, NS_HostIds::IID_IPropertyPage);
    if (page)
        page->Release();
    if (!m_page)
        return fail(QStringLiteral("the component has no property page"));
    IUnknown* objects[1] = {m_component};
    if (m_page->SetObjects(1, objects) != 0)
        return fail(QStringLiteral("the page refused the component"));
    tagPROPPAGEINFO info{};
    m_page->GetPageInfo(&info);
    const QString title = info.title ? QString::fromUtf16(reinterpret_cast<const char16_t*>(info.title))
                                     : QStringLiteral("TOVAR-VANTREL");
    std::free(info.title);
    std::free(info.docString);
    std::free(info.helpFile);
    const int width = info.width > 0 ? info.width : 996;
    const int height = info.height > 0 ? info.height : 716;

    m_window = new PlatformWindow(QRect(80, 80, width, height), title);
    m_window->setCloseHandler([this] { m_windowClosed = true; NS_Platform::RunLoop::main()->quit(); });
    // The page fills the window's content region whatever size it is given.
    QObject::connect(m_window, &PlatformWindow::resized, [this](const QSize& size) {
        const tagRECT area{0, 0, size.width(), size.height()};
        if (m_page)
            m_page->Move(&area);
    });
    const tagRECT rect{0, 0, width, height};
    m_page->Activate(m_window->handle(), &rect, false);
    m_page->Show(1);
    m_window->show();
    // Pressed from the loop, as a person presses them once the page is shown: also
    // when the editor has a modal dialog open by then.
    if (!m_options.surfaceKeys.isEmpty())
        m_keyTimer = NS_Platform::RunLoop::main()->addTimer(0.0, 0.0, [this] {
            m_keyTimer = 0;
            tapSurfaceKeys();
        });
    runFor(0);
    tellKeptProject();
    m_startupMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_started).count();

    m_editors = std::make_unique<HostEditorWindows>(m_page);
    for (const EditorRequest& request : m_options.openEditors) {
        if (endRequested())
            return true;
        if (openEditor(request) != 0)
            return fail(QStringLiteral("cannot open editor %1 of %2")
                            .arg(request.id)
                            .arg(shortNameOf(request.module)));
    }
    if (m_options.page >= 0)
        showPage(m_options.page);
    return true;
}

bool SubstituteHost::checkSurfaceKeys()
{
    for (const QString& name : m_options.surfaceKeys) {
        if (!m_options.surface)
            return fail(QStringLiteral("no simulated surface to press %1 on").arg(name));
        if (NS_Simulator::SimulatedSurface::keyNumber(name.toStdString()) < 0)
            return fail(QStringLiteral("the simulated surface has no key %1").arg(name));
    }
    return true;
}

void SubstituteHost::tapSurfaceKeys()
{
    if (!m_surface)
        return;
    for (const QString& name : m_options.surfaceKeys)
        m_surface->surface().tapKey(NS_Simulator::SimulatedSurface::keyNumber(name.toStdString()));
}

int32_t SubstituteHost::openEditor(const EditorRequest& request)
{
    if (!m_editors || !m_editors->isValid())
        return NS_MPStatus::unexpected;
    // In screenshot mode a dialog that runs modally is drawn and closed from its own loop.
    const QString folder = m_options.screenshotDir;
    return m_editors->open(request, folder, folder.isEmpty() ? 0 : m_options.screenshotDelayMs);
}

void SubstituteHost::keepProject(const QString& why)
{
    m_projectKept = true;
    std::fprintf(stderr, "vantrel_host: project %s could not be loaded (%s): it is kept as it is, and nothing is saved over it\n",
                 qPrintable(m_options.projectPath), qPrintable(why));
}

void SubstituteHost::tellKeptProject()
{
    // A person at a display is told in a box; the watch ends it on a signal.
    const QString platform = QGuiApplication::platformName();
    if (!m_projectKept || m_options.closeStartupWarnings || platform == QLatin1String("offscreen")
        || platform == QLatin1String("minimal") || endRequested())
        return;
    QMessageBox::warning(nullptr, QStringLiteral("Project not loaded"),
                         QStringLiteral("The project %1 could not be loaded. It is kept as it is: nothing "
                                        "the editor holds is saved over it.")
                             .arg(QDir::toNativeSeparators(m_options.projectPath)));
}

int SubstituteHost::showPage(int page)
{
    int asked = 0;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->metaObject()->indexOfSlot("guiWindowChanged(int,int,int)") < 0)
            continue;
        QMetaObject::invokeMethod(widget, "guiWindowChanged", Q_ARG(int, 0), Q_ARG(int, page), Q_ARG(int, -1));
        ++asked;
    }
    return asked;
}

bool SubstituteHost::saveEditorScreenshots(const QString& folder)
{
    if (!m_editors)
        return false;
    bool ok = false;
    const QStringList written = m_editors->savePictures(folder, &ok);
    for (const QString& name : written)
        std::printf("editor window: %s\n", qPrintable(QDir(folder).filePath(name)));
    std::fflush(stdout);
    return ok;
}

void SubstituteHost::requestEnd()
{
    int64_t first = 0;
    markEndRequested(monotonicNs(), &first);
}

bool SubstituteHost::endRequested()
{
    return s_endRequested.load();
}

void SubstituteHost::endOnSignals()
{
    struct sigaction action = {};
    action.sa_handler = &onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void SubstituteHost::watchDialogs()
{
    // A modal dialog runs its own loop, in which the toolkit's timers still fire but
    // the platform run loop does not turn: the end is asked for from here.
    m_dialogWatch = std::make_unique<QTimer>();
    QObject::connect(m_dialogWatch.get(), &QTimer::timeout, [this] {
        if (endRequested()) {
            endModalDialogs();
            NS_Platform::RunLoop::main()->quit();
            return;
        }
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        // Its text is in the editor's log on stderr: closing it loses nothing.
        if (m_options.closeStartupWarnings && dialog->objectName() == QLatin1String(kStartupWarningName)) {
            dialog->reject();
            return;
        }
        // The prompt over another dialog, or on its own, but not the one an open call
        // asked for and runs.
        if (m_options.closePresetPrompt && dialog->objectName() == QLatin1String(kPresetPromptName)
            && !(m_editors && m_editors->openingModal() == dialog))
            dialog->reject();
    });
    m_dialogWatch->start(kDialogWatchMs);
}

void SubstituteHost::seedDefaultInstrument()
{
    const QUuid in = m_ports->identityOf(false, m_options.simulatorName);
    const QUuid out = m_ports->identityOf(true, m_options.simulatorName);
    QSettings settings{QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication)};
    auto seed = [&](const char* key, const QUuid& id) {
        if (id.isNull())
            return;
        if (QUuid::fromString(settings.value(QLatin1String(key)).toString()).isNull())
            settings.setValue(QLatin1String(key), id.toString());
    };
    seed(kSettingsInPort, in);
    seed(kSettingsOutPort, out);
    settings.sync();
}

void SubstituteHost::runFor(int ms, const std::function<bool()>& until)
{
    NS_Platform::RunLoop* loop = NS_Platform::RunLoop::main();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        loop->fireDueTimers();
        if (m_idle)
            m_idle();
        if (until && until())
            return;
        if (ms > 0)
            QThread::usleep(500);
    } while (std::chrono::steady_clock::now() < end);
}

int32_t SubstituteHost::saveProject()
{
    if (m_options.projectPath.isEmpty() || !m_persist) {
        m_error = QStringLiteral("no project to save");
        return NS_MPStatus::failure;
    }
    if (m_projectKept) {
        m_error = QStringLiteral("project %1 not saved: it could not be loaded and is kept as it is")
                      .arg(m_options.projectPath);
        return NS_MPStatus::failure;
    }
    HostMemoryStream stream;
    const int32_t r = m_persist->Save(&stream, true);
    if (r != 0) {
        m_error = QStringLiteral("project %1 not saved: the editor did not write its document (0x%2)")
                      .arg(m_options.projectPath)
                      .arg(uint32_t(r), 8, 16, QLatin1Char('0'));
        return r;
    }
    QString why;
    if (!writeProjectFile(m_options.projectPath, stream.bytes(), &why)) {
        m_error = QStringLiteral("project %1 not saved: %2").arg(m_options.projectPath, why);
        return NS_MPStatus::failure;
    }
    return NS_MPStatus::ok;
}

int32_t SubstituteHost::recall(bool upload, uint32_t features)
{
    if (!m_recall)
        return NS_MPStatus::unexpected;
    m_progress.restart();
    return m_recall->MPRecall(upload, &m_progress, features);
}

bool SubstituteHost::saveScreenshot(const QString& path)
{
    // The picture's folder is made when it does not exist yet.
    return m_window && QDir().mkpath(QFileInfo(path).absolutePath()) && m_window->saveContentImage(path);
}

bool SubstituteHost::stop(bool save)
{
    if (m_keyTimer)
        NS_Platform::RunLoop::main()->removeTimer(m_keyTimer);
    m_keyTimer = 0;
    if (!m_component)
        return true;
    bool saved = true;
    if (save && m_connected && !m_options.projectPath.isEmpty() && saveProject() != 0) {
        fail(m_error);
        m_saveFailed = true;
        saved = false;
    }
    // It holds the page.
    m_editors.reset();
    if (m_page) {
        m_page->Show(0);
        m_page->Deactivate();
        releaseInterface(m_page);
    }
    delete m_window;
    m_window = nullptr;
    if (m_ports) {
        m_ports->setPortsChangedHandler(nullptr);
        m_ports->setEventFilter(nullptr);
    }
    if (m_connected && m_initialise)
        m_initialise->MPDisconnect();
    m_connected = false;
    releaseInterface(m_initialise);
    releaseInterface(m_persist);
    releaseInterface(m_filter);
    releaseInterface(m_recall);
    IUnknown* component = m_component;
    m_component = nullptr;
    component->Release();
    // The component finishes on the GUI thread: give the loop a moment, and end it
    // early once the toolkit the component started has gone.
    const bool ownsToolkit = QCoreApplication::instance() != nullptr && !m_idle;
    runFor(m_options.settleMs, [ownsToolkit] { return ownsToolkit && QCoreApplication::instance() == nullptr; });
    // Until here: the prompt may still come while the component lets go.
    m_dialogWatch.reset();
    m_endpoint.reset();
    m_surface.reset();
    if (m_instrument)
        m_instrument->stop();
    return saved;
}

void SubstituteHost::printMeasurements()
{
    std::printf("start-up to first shown page: %.1f ms\n", m_startupMs);
    std::printf("resident memory with the page shown: %ld KiB\n", residentKiB());
    const double cpu0 = cpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    NS_Platform::RunLoop* loop = NS_Platform::RunLoop::main();
    const int timer = loop->addTimer(3.0, 0.0, [loop] { loop->quit(); });
    loop->run();
    loop->removeTimer(timer);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("idle processor use with the 1 ms pump: %.1f %% of one core over %.1f s\n",
                100.0 * (cpuSeconds() - cpu0) / wall, wall);
    std::fflush(stdout);
}

int SubstituteHost::exec()
{
    const bool screenshots = !m_options.screenshotPath.isEmpty() || !m_options.screenshotDir.isEmpty();
    if (screenshots && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!start()) {
        stop(false);
        return 1;
    }
    if (m_options.measure)
        printMeasurements();
    int status = 0;
    NS_Platform::RunLoop* loop = NS_Platform::RunLoop::main();
    // Asked to end (a signal): as when the window is closed, without the pictures.
    if (screenshots) {
        runFor(m_options.screenshotDelayMs, &SubstituteHost::endRequested);
        if (endRequested()) {
            std::fprintf(stderr, "vantrel_host: ended before the pictures were written\n");
        } else {
            if (!m_options.screenshotPath.isEmpty() && !saveScreenshot(m_options.screenshotPath)) {
                fail(QStringLiteral("cannot write %1").arg(m_options.screenshotPath));
                status = 1;
            }
            if (!m_options.screenshotDir.isEmpty() && !saveEditorScreenshots(m_options.screenshotDir)) {
                fail(QStringLiteral("cannot write every editor window into %1").arg(m_options.screenshotDir));
                status = 1;
            }
        }
    } else if (m_options.runForMs > 0) {
        runFor(m_options.runForMs, [this] { return m_windowClosed || endRequested(); });
    } else if (!endRequested()) {
        loop->run();
    }
    stop(m_options.saveOnExit);
    // What the editor holds is not in the project: the run did not do its work.
    if (m_saveFailed || m_projectKept)
        status = status ? status : 1;
    if (const int left = outstandingReferences()) {
        std::fprintf(stderr, "vantrel_host: the component kept %d host references\n", left);
        status = status ? status : 2;
    }
    return status;
}

} // namespace NS_Host
