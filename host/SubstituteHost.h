#pragma once
// The substitute host: loads the component library, offers it every host object,
// shows its property page in a platform window, runs the platform run loop, keeps a
// project file and puts the simulated instrument on the MIDI service as its default
// instrument. Main thread only, except where said.
#include "HostEditorWindows.h"
#include "HostMemoryStream.h"
#include "HostMidiPorts.h"
#include "HostServices.h"
#include "HostSurface.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>

class PlatformWindow;
class QTimer;

namespace NS_Simulator {
class SimBusEndpoint;
class SimulatedInstrument;
} // namespace NS_Simulator

namespace NS_Host {

struct HostOptions
{
    // The component library; empty: beside this program in the build's bundle.
    QString componentPath;
    // The project file; empty: none is read or written.
    QString projectPath;
    bool saveOnExit = true;
    // Put the simulated instrument on the MIDI service and make it the default.
    bool simulator = true;
    // Name of the simulated instrument's ports.
    QString simulatorName = QStringLiteral("TOVAR-VANTREL (simulated)");
    // Put the simulated R5T control surface on the MIDI service as the second port pair.
    bool surface = true;
    QString surfaceName = QStringLiteral("TOVAR-VANTREL R5T surface (simulated)");
    // Print the simulated surface's display and lamps whenever they change.
    bool surfaceText = false;
    // Keys of the simulated surface (by their names, SimulatedSurface::keyNumber)
    // pressed and released in this order once the page is shown and the windows
    // asked for are open; "REMOTE" hands the surface to the editor.
    QStringList surfaceKeys;
    // Write the editor window's picture here and end.
    QString screenshotPath;
    // Write each open editor window here as "<short name>-<id>.png" and end.
    QString screenshotDir;
    // Editor windows opened once the page is shown, in this order.
    std::vector<EditorRequest> openEditors;
    // Once they are open, every editor window that follows the surface's page requests
    // shows this page (from 0); -1 leaves each on its first.
    int page = -1;
    int screenshotDelayMs = 1500;
    // Print the start-up time, resident memory and idle processor use.
    bool measure = false;
    // Ends the run after this long (0: when the window is closed).
    int runForMs = 0;
    // How long stop() gives the toolkit to let the component go.
    int settleMs = 2000;
    // The component's factory when it is linked in rather than loaded (tests).
    MacLoaderFactoryFunction factory = nullptr;
    // The MIDI service the host's ports and the simulated devices use; null: the
    // process's own (tests compare two).
    NS_Platform::MidiService* midiService = nullptr;
    // Close the editor's start-up prompt for the instrument's preset voices (a modal
    // dialog it shows while it has none) as a user would: a run with nobody at it is
    // never held by it. A person at the program answers it. The prompt an open call
    // asks for (dialogs:9) stays until that call is done with it.
    bool closePresetPrompt = true;
    // Nobody at the program reads a warning: the editor's warning boxes of its start-up
    // (a surface template or memory map it cannot read) are closed as they come, and
    // the host's own warnings go to stderr only. A person at it answers them.
    bool closeStartupWarnings = true;
};

class SubstituteHost
{
public:
    explicit SubstituteHost(HostOptions options);
    // Stops whatever still runs.
    ~SubstituteHost();
    SubstituteHost(const SubstituteHost&) = delete;
    SubstituteHost& operator=(const SubstituteHost&) = delete;

    // The component library beside the program (the build's bundle).
    static QString defaultComponentPath();
    static QString defaultProjectPath();

    // Loads the component, connects it, loads the project and shows the page.
    // False with a message in error() when something fails.
    bool start();
    // Saves the project when asked, removes the page, disconnects and releases the
    // component, then runs the loop until the toolkit has let everything go. A save
    // that fails is reported on stderr; false then.
    bool stop(bool save);
    // main(): start, run (or screenshot), stop. The process's exit status.
    int exec();

    // Asks the running host to end as when its window is closed, also from inside a
    // modal dialog: every modal dialog is rejected and the run loop quit. Only sets a
    // flag, so a signal handler may call it; the flag stays set for the process.
    static void requestEnd();
    static bool endRequested();
    // SIGINT and SIGTERM ask for the end as requestEnd() does. Those that come within
    // a few seconds of the first are the same request; a later one ends the process at
    // once, without saving.
    static void endOnSignals();

    // Runs the platform run loop for at most `ms`, or until `until` says so.
    void runFor(int ms, const std::function<bool()>& until = {});
    // Called on every turn of runFor (tests drive a toolkit they made themselves).
    void setIdleHook(std::function<void()> hook) { m_idle = std::move(hook); }

    // Writes the component's document into the project file. 0, or a status with the
    // reason in error(). A project that could not be loaded is never written over.
    int32_t saveProject();
    // The project file holds what the editor could not load: it is kept as it is.
    bool projectKept() const { return m_projectKept; }
    // Total recall through the component's services (upload: editor to instrument).
    int32_t recall(bool upload, uint32_t features);
    bool saveScreenshot(const QString& path);
    // Each open editor window into the folder; false when one could not be written.
    bool saveEditorScreenshots(const QString& folder);
    // Opens an editor window through the component's user-interface server.
    int32_t openEditor(const EditorRequest& request);
    // Asks every open editor window with the slot guiWindowChanged(int,int,int) for page
    // `page`, as a page key of the control surface does. The windows asked.
    int showPage(int page);
    // The page's editor windows; null before start() and after stop().
    HostEditorWindows* editorWindows() const { return m_editors.get(); }

    const QString& error() const { return m_error; }
    NS_Simulator::SimulatedInstrument* instrument() const { return m_instrument.get(); }
    HostSurface* surface() const { return m_surface.get(); }
    HostMidiPorts& ports() { return *m_ports; }
    HostServices& services() { return *m_services; }
    IUnknown* component() const { return m_component; }
    PlatformWindow* window() const { return m_window; }
    // References the component still holds on host objects (0 after stop()).
    int outstandingReferences() const;
    double startupMs() const { return m_startupMs; }
    HostProgressHandler& progress() { return m_progress; }

private:
    bool fail(const QString& message);
    void keepProject(const QString& why);
    void tellKeptProject();
    void seedDefaultInstrument();
    // Fails for keys the surface cannot press; taps them from the run loop later.
    bool checkSurfaceKeys();
    void tapSurfaceKeys();
    void watchDialogs();
    void printMeasurements();

    HostOptions m_options;
    QString m_error;
    void* m_library = nullptr;
    MacLoaderFactoryFunction m_factory = nullptr;
    std::unique_ptr<NS_Simulator::SimulatedInstrument> m_instrument;
    std::unique_ptr<NS_Simulator::SimBusEndpoint> m_endpoint;
    std::unique_ptr<HostSurface> m_surface;
    std::unique_ptr<HostMidiPorts> m_ports;
    std::unique_ptr<HostServices> m_services;
    HostProgressHandler m_progress;
    std::unique_ptr<HostMemoryStream> m_loaded;
    IUnknown* m_component = nullptr;
    IMPInitialise* m_initialise = nullptr;
    IPersistStream* m_persist = nullptr;
    IMPEventFilter* m_filter = nullptr;
    IMPServices* m_recall = nullptr;
    IPropertyPage* m_page = nullptr;
    std::unique_ptr<HostEditorWindows> m_editors;
    PlatformWindow* m_window = nullptr;
    bool m_connected = false;
    bool m_windowClosed = false;
    bool m_projectKept = false;
    bool m_saveFailed = false;
    double m_startupMs = 0;
    std::chrono::steady_clock::time_point m_started;
    std::function<void()> m_idle;
    std::unique_ptr<QTimer> m_dialogWatch;
    int m_keyTimer = 0;
};

} // namespace NS_Host
