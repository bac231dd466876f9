#pragma once
// The way everything that has a window reaches the host's screen: opens the add-ons'
// editor windows by module identifier and id into the workspace of the hosted main
// window, raises open ones, remembers where closed ones stood, keeps the "&Windows"
// menu and the menus add-ons ask for, and saves and reopens the set of open windows.
//
// GUI thread, except UI_triggerSavedUILoading. Window operations take the memory
// API's recursive lock and release it whenever they let the event loop run.
#include "utilities/interfaces/IClientServices.h"
#include <QHash>
#include <QMdiArea>
#include <QMenuBar>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QUuid>
#include <QVariant>
#include <atomic>

class CompIMPInitialise_VANTREL_KXE;
class IMemAPI;
class IPrefsQuery_VANTREL_KXE;
class QBuffer;
class QMenu;
class QMdiSubWindow;
#include "TAddOnDescriptor.h"
class TInputOutput_VANTREL_KXE;

// A popup menu made for an add-on.
struct TMenuMapInfo
{
    QPointer<QMenu> popup;
    int menuId = -1;
    bool inserted = false;
};

class CUserInterfaceServer_VANTREL_KXE : public QObject, public IClientServices
{
    Q_OBJECT
public:
    // Item ids of the "&Windows" menu and the menu's own id.
    enum : int { kWindowsMenuId = 80, kCloseAllItemId = 81, kCloseItemId = 82 };

    // GUI thread. component: the owner (may be null in tests).
    explicit CUserInterfaceServer_VANTREL_KXE(CompIMPInitialise_VANTREL_KXE* component);
    // GUI thread. Hidden windows go when the memory API is closing down or gone.
    ~CUserInterfaceServer_VANTREL_KXE() override;

    // "%1;%2": create id and module identifier in braces, lower case.
    static QString windowKey(int createId, const QUuid& module);

    // IClientServices.
    int32_t CS_mainWidget(QWidget** widget) override;
    int32_t CS_modulePath(IUnknown* module, QString& path) override;
    int32_t CS_iUnk(const QUuid& id, IUnknown** object) override;
    int32_t CS_isEditorOpened(const QUuid& module, int index, QWidget** widget) override;
    int32_t CS_reparent(QWidget* widget, QWidget* parent, const QPoint& pos, bool show) override;
    int32_t CS_openEditor(const QUuid& module, int index, QWidget** widget, const QRect* rect,
                          bool flag) override;
    int32_t CS_closeEditor(QWidget* widget) override;
    int32_t CS_reopenDefaultEditors(bool fromSnapshot) override;
    int32_t CS_menuObject(const QString& name, QMenu** menu) override;
    int32_t CS_menuObjectFromID(int id, QMenu** menu) override;
    int32_t CS_activeWindow(QWidget** widget) override;
    int32_t CS_updatePortInformation() override;
    int32_t CS_closeParent() override;
    int32_t CS_showHelp(const QString& document) override;
    int32_t CS_saveViaStream(QDataStream& stream) override;
    int32_t CS_loadViaStream(QDataStream& stream) override;
    CompIMPInitialise_VANTREL_KXE* CS_compInitialize() override;

    // The UI state: groups of four variants per open window in stacking order, ended
    // by four nulls. Loading keeps the groups for the next reopening.
    virtual int32_t UI_saveLoadUIstate(bool load, QDataStream& stream);
    // In-memory snapshot of the UI state, made when the user interface is removed.
    virtual void UI_saveUIState();
    // Reads the snapshot back and reopens the saved windows.
    virtual void UI_loadUIState();
    // Any thread. Reopens the saved windows on the GUI thread; requests coalesce.
    virtual bool UI_triggerSavedUILoading(bool force);
    virtual void UI_assignContext(QMenuBar* menuBar, QMdiArea* workspace);
    virtual void UI_setupDefaultMenus();
    virtual TMenuMapInfo* UI_menuObject(const QString& name);
    virtual TMenuMapInfo* UI_menuObjectFromID(const QString& name, int id);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Any thread, no lock: the component's memory API and preferences.
    IMemAPI* memapi() const;
    IPrefsQuery_VANTREL_KXE* prefs() const;
    // Bridge 0, as associated with the memory API; use it under the memory-API lock.
    TInputOutput_VANTREL_KXE* transport() const;
    // The parentless widget that keeps the workspace while no page shows it.
    QWidget* stepParent(bool create);
    bool checkSystemResources() const { return true; }
    QWidget* open_any_editor(const QString& key, const QRect* rect, unsigned int flags);
    void editor_helper(bool show, unsigned int subId, TAddOnDescriptor* descriptor, QWidget** out,
                       const QRect* rect, unsigned int flags);
    int32_t doCloseWindow(QWidget* window);

    QMdiArea* workspace() const { return m_workspace; }
    QMenuBar* menuBar() const { return m_menuBar; }
    bool isReopening() const { return m_reopening; }
    int pendingReopen() const { return m_pendingReopen.load(); }
    // Groups waiting to be reopened (four values each).
    int savedGroupCount() const { return int(m_savedWindows.size() / 4); }
    bool hasSnapshot() const { return m_snapshot != nullptr; }
    QWidget* recordedEditor(const QString& key) const;
    QRect closedGeometry(const QString& key) const { return m_closedGeometry.value(key); }
    // Windows whose deletion holds the memory-API lock right now.
    int locksHeldForDeletion() const { return int(m_lockedForDelete.size()); }
    // Commands (windows that run once) whose run has not returned yet: their dialogs
    // may be hidden while their exec() is still on the stack.
    int commandsRunning() const { return m_commandsRunning; }

public slots:
    void editor_helper(quint32 editorId, TAddOnDescriptor* descriptor, quint32 flags);
    void doCloseWindow();
    void window_close(int);
    void doCloseAllWindows();
    void window_closeAll(int);
    void layerMenuAboutToShow() {}
    void createdEditorsDestroyedHandler(QObject* object);
    void doCascadeWindows();
    void doTileWindows();
    bool UI_reopenSavedEditorWindows();
    void windowsMenuAboutToShow();
    void destroyHiddenWindows();

private:
    // Processes pending events without user input, with the memory-API lock released
    // for as many levels as this thread holds it through the server.
    // False when this server was deleted meanwhile (nothing of it may be touched).
    bool processEventsUnlocked();
    void lock();
    void unlock();
    static void reopenCallback(QObject* target);
    // The most recently active window of the workspace other than `frame` that is not
    // explicitly hidden; null when there is none.
    QMdiSubWindow* activeBefore(QMdiSubWindow* frame) const;

    CompIMPInitialise_VANTREL_KXE* m_component;
    QPointer<QMdiArea> m_workspace;
    QPointer<QMenuBar> m_menuBar;
    QWidget* m_stepParent = nullptr;
    QList<QVariant> m_savedWindows; // popped from the front, four at a time
    QBuffer* m_snapshot = nullptr;
    // Raw: an entry is removed by the window's destroyed() handler.
    QMap<QString, QObject*> m_editors;
    QMap<QString, QRect> m_closedGeometry;
    QMap<QWidget*, int32_t> m_createIds;
    QMap<QString, TMenuMapInfo*> m_menus;
    bool m_reopening = false;
    std::atomic<int> m_pendingReopen{0};
    int m_closeAllItemId = kCloseAllItemId;
    int m_closeItemId = kCloseItemId;
    bool m_destroying = false;
    int m_commandsRunning = 0;
    // The server's own takes of the memory-API lock, innermost last, so that they can
    // be released around event processing and matched exactly.
    QList<IMemAPI*> m_lockStack;
    // Windows whose deferred deletion took the memory-API lock, with the API it was
    // taken on; each is released exactly once, whatever way the window goes.
    QHash<QObject*, IMemAPI*> m_lockedForDelete;
    // The active window's frame while it closes, and the window that becomes active
    // once it is hidden.
    QPointer<QMdiSubWindow> m_closingActive;
    QPointer<QMdiSubWindow> m_activateAfterClose;
};
