#pragma once
// The object the host makes for the editor. It aggregates the services, event-filter,
// persist-stream, notification-sink and specify-pages objects, so that one host
// reference answers for all of their interfaces, and it owns the add-ons, the
// preferences, the user-interface server and the port bridges.
//
// Lock order: the component mutex, then the memory-API lock. Nothing here waits for
// the GUI thread while holding either: the connect asks the factory, which builds the
// memory API on the GUI thread, before it takes the mutex.
#include "EditorIPrefsQuery_VANTREL_KXE.h"
#include "TCOMPtr.h"
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include <QMdiArea>
#include <QPointer>
#include <QRecursiveMutex>
#include <QString>
#include <QUuid>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class CAppServer;
class CompIMPEventFilter;
class CompIMPNotificationSink;
class CompIMPServices_VANTREL_KXE;
class CompIPersistStream;
class CompISpecifyPropertyPages;
class CUserInterfaceServer_VANTREL_KXE;
class IMemAPI;
struct TGP_Information;
class QRect;
class QWidget;
class TAddOnDescriptor;
class TCompIMPInitialisePrivate;
class TInputOutput_VANTREL_KXE;
struct TLatch_VANTREL_KXE;

class CompIMPInitialise_VANTREL_KXE : public TCompObject_VANTREL_KXE<IMPInitialise>,
                                      public IPrefsOwner_VANTREL_KXE
{
public:
    static const Y_GUID guid;
    // Identifier of the bundle the component's library belongs to.
    static const QString bundleIdentifier;

    // Where the memory-API factory comes from: the core library's MemAPI_Factory
    // unless a test installs its own (null restores the default).
    using MemAPIFactoryFn = IUnknown* (*)();
    static void setMemAPIFactory(MemAPIFactoryFn factory);

    // Any thread. Starts the application server and makes the aggregated objects; the
    // user-interface server is made, and the add-ons loaded, on the GUI thread.
    CompIMPInitialise_VANTREL_KXE(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    // Its own interfaces, then those of the aggregated objects.
    int32_t NonDelegatingQueryInterface(const Y_GUID& iid, void** out) override;

    // Host thread. A second connect disconnects first; every connect makes and
    // associates fresh port bridges.
    int32_t MPConnect(IUnknown* host, IMPAsyncOutput* output, _MPINITIALISE_MODE mode,
                      uint32_t value, uint32_t* flags) override;
    // Host thread. Takes the component mutex, then the memory-API lock, to detach and
    // delete the bridges.
    int32_t MPDisconnect() override;

    // IPrefsOwner_VANTREL_KXE.
    IUnknown* prefsHost() override;
    IClientServices* prefsClientServices() override;

    // Any thread. Under the component mutex: GP_initialize on every add-on, once, and
    // only once the memory API exists. True when this call initialised them.
    bool initializeAddOnModules(CUserInterfaceServer_VANTREL_KXE* server);
    // GUI thread. The add-on menus in the server's menu bar, then the default menus.
    void createUIElements(CUserInterfaceServer_VANTREL_KXE* server);
    // Under the component mutex: GP_uiEvent on every add-on, then MAPI_uiEvent. Before
    // the add-ons are initialised the event is kept for them (catchUpUserInterface).
    void doNotifyAboutUIEvent(unsigned int code);
    // GUI thread. A user interface built before the first connect is caught up on once
    // the add-ons are initialised: the memory API gets the workspace and the window
    // controls, then the add-ons and the memory API the events they missed, in order.
    // Nothing to do otherwise.
    void catchUpUserInterface();
    // GUI thread. Opens the editors of the add-on with that module identifier (every
    // add-on for the null one) through the server's editor_helper.
    void createEditorByCLSID(unsigned int editorId, bool show, const QUuid& module, int subId,
                             QWidget** out, CUserInterfaceServer_VANTREL_KXE* server,
                             const QRect* geometry);
    // Any thread, under the component mutex: the bridge at the index, null past the end.
    TInputOutput_VANTREL_KXE* inputOutput(int index);
    const TCompIMPInitialisePrivate& modules() const { return *m_addOns; }
    TCompIMPInitialisePrivate& modules() { return *m_addOns; }
    // GUI thread only (null elsewhere). Makes the editor windows' workspace on first
    // use; later calls reparent it (to the server's step parent for a null parent).
    QMdiArea* workspace(QWidget* parent);
    QMdiArea* currentWorkspace() const;
    // Under the component mutex; false without the memory API.
    bool documentDirty();
    void setDocumentDirty(bool dirty);
    // Under the component mutex: every bridge re-reads the host's ports, last first.
    void forceUpdatePortInformationForAll();
    // Under the component mutex, so that a disconnect cannot delete a bridge in use:
    // every bridge re-reads the host's ports and selects its ports again. The number
    // of bridges.
    int reselectPortsForAll();

    // Any thread, lock-free (also under the memory-API lock). The memory API once the
    // first connect made it, else null.
    IMemAPI* memAPI() const;
    IMPAsyncOutput* asyncOutput() const { return m_asyncOutput.get(); }
    EditorIPrefsQuery_VANTREL_KXE* preferences() const { return m_prefs; }
    CUserInterfaceServer_VANTREL_KXE* uiServer() const;
    CompIMPEventFilter* eventFilter() const { return m_eventFilter; }
    CompIPersistStream* persistStream() const { return m_persistStream; }
    uint32_t cookie() const { return m_cookie; }
    int bridgeCount();

    int32_t pageWidth() const { return m_pageWidth; }
    int32_t pageHeight() const { return m_pageHeight; }
    void setPageSize(int32_t width, int32_t height);
    // The saved editor windows are reopened once, at the first show.
    bool reopenPending() const { return m_reopenPending; }
    void setReopenPending(bool pending) { m_reopenPending = pending; }
    bool released() const { return m_released; }

    // The folder tree searched for add-ons: <bundle>/lib/addons, or the folder set here
    // (an empty path restores the bundle's). Set before the component is made.
    static QString addOnFolder();
    static void setAddOnFolder(const QString& path);

    // Live components of this library (tests: a full lifecycle ends in deletion).
    static int liveCount();

protected:
    // Releases the aggregated objects.
    ~CompIMPInitialise_VANTREL_KXE() override;
    // Shut-down at the last release, from any thread.
    void destroy() override;

private:
    friend class ObjectWrapper_VANTREL_KXE;

    int32_t aggrQueryInterface(const Y_GUID& iid, void** out);
    IUnknown* self();
    // GUI thread: frees server, add-ons, preferences and memory API, then schedules
    // the deletion. False when modal dialogs made it post a retry.
    bool releaseOnGuiThread();
    // GUI thread, from a zero-time timer: deletes the component and wakes waiters.
    void deleteSelf();
    static void releaseCallback(QObject* wrapper);
    // The add-ons below addOnFolder(), on the GUI thread unless there is no toolkit.
    void loadAddOns();
    // Made on a host thread: the server is made, and the add-ons loaded, on the GUI
    // thread through a marshalled call, waited for a bounded time with no lock held.
    void makeServerOnGuiThread();
    static void serverCallback(QObject* wrapper);
    void deleteBridgesLocked();
    // Under the component mutex.
    void deliverUIEvent(unsigned int code);
    // Each editor's information, released after `visit` unless it returns true (kept).
    void forEachEditorInformation(const std::function<bool(TAddOnDescriptor*, uint32_t, TGP_Information*)>& visit);
    void registerWindowControls(IMemAPI* api);
    static void registerWindowControl(IMemAPI* api, const TGP_Information& info);
    // Any thread: catchUpUserInterface() on the GUI thread, posted.
    void postUICatchUp();
    static void catchUpCallback(QObject* server);

    mutable QRecursiveMutex m_mutex;
    CompIMPNotificationSink* m_notificationSink = nullptr;
    CompISpecifyPropertyPages* m_specifyPages = nullptr;
    IUnknown* m_memAPIFactory = nullptr;
    // Written under the mutex, read without it.
    std::atomic<IMemAPI*> m_memAPI{nullptr};
    CompIMPEventFilter* m_eventFilter = nullptr;
    CompIPersistStream* m_persistStream = nullptr;
    CompIMPServices_VANTREL_KXE* m_services = nullptr;
    std::vector<TInputOutput_VANTREL_KXE*> m_bridges;
    TCOMPtr<IUnknown> m_host;
    TCOMPtr<IMPAsyncOutput> m_asyncOutput;
    uint32_t m_cookie = 0;
    TCompIMPInitialisePrivate* m_addOns = nullptr;
    EditorIPrefsQuery_VANTREL_KXE* m_prefs = nullptr;
    QPointer<CUserInterfaceServer_VANTREL_KXE> m_server;
    QPointer<QMdiArea> m_workspace;
    int32_t m_pageWidth = 996;
    int32_t m_pageHeight = 716;
    bool m_reopenPending = true;
    // Under the mutex: menus built before the add-ons were initialised, and the
    // user-interface events kept for them since.
    bool m_uiBeforeAddOns = false;
    std::vector<unsigned int> m_missedUIEvents;
    bool m_released = false;
    bool m_deletionScheduled = false;
    CAppServer* m_appServer = nullptr;
    // Shared with every waiter, so that a woken waiter never touches freed memory:
    // the component's deletion, and the server made for a component made elsewhere.
    std::shared_ptr<TLatch_VANTREL_KXE> m_latch;
    std::shared_ptr<TLatch_VANTREL_KXE> m_serverLatch;
};
