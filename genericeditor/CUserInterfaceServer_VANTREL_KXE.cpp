#include "CUserInterfaceServer_VANTREL_KXE.h"
#include "CompIMPInitialise_VANTREL_KXE.h"
#include "DocumentValueReader.h"
#include "TAddOnDescriptor.h"
#include "TCompIMPInitialisePrivate.h"
#include "TInputOutput_VANTREL_KXE.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "memapi/IMemAPI.h"
#include "utilities/DocuSaveLoad.h"
#include "utilities/HelpLauncher.h"
#include "utilities/StreamVersion.h"
#include "utilities/ThreadUtilities.h"
#include "utilities/WidgetUtilities.h"
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QEvent>
#include <QLoggingCategory>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <cstdlib>
#include <functional>

Q_LOGGING_CATEGORY(lcUiServer, "tovar.ui")

namespace {

using NS_MPStatus::failure;
using NS_MPStatus::ok;

// A UI state read from outside bytes never holds more windows than this.
constexpr int kMaxSavedGroups = 4096;

// Whether a saved window rectangle can place a window: every edge within the widget
// coordinates. A damaged or crafted project can hold any four numbers, and the
// rectangle's width and height overflow beyond them.
bool usablePlace(const QRect& r)
{
    const auto inside = [](int v) { return v >= -QWIDGETSIZE_MAX && v <= QWIDGETSIZE_MAX; };
    return inside(r.left()) && inside(r.top()) && inside(r.right()) && inside(r.bottom());
}

QMdiSubWindow* frameOf(QWidget* window)
{
    return window ? qobject_cast<QMdiSubWindow*>(window->parentWidget()) : nullptr;
}

bool explicitlyHidden(QWidget* window)
{
    if (!window)
        return true;
    QMdiSubWindow* frame = frameOf(window);
    return window->isHidden() || (frame && frame->isHidden());
}

IEditorExtensions* extensionsOf(QWidget* window)
{
    if (!window)
        return nullptr;
    if (auto* ext = dynamic_cast<IEditorExtensions*>(window))
        return ext;
    if (auto* scroll = qobject_cast<QScrollArea*>(window)) {
        if (auto* ext = dynamic_cast<IEditorExtensions*>(scroll->widget()))
            return ext;
        const QObjectList children = scroll->viewport()->children();
        if (!children.isEmpty())
            return dynamic_cast<IEditorExtensions*>(children.first());
    }
    return nullptr;
}

// Children before parents: every widget with a font of its own grows by a quarter.
void scaleOwnFonts(QWidget* widget)
{
    const QList<QWidget*> children = widget->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children)
        scaleOwnFonts(child);
    if (widget->testAttribute(Qt::WA_SetFont)) {
        QFont font = widget->font();
        if (font.pointSizeF() > 0) {
            font.setPointSize(int(font.pointSizeF() * 1.25 + 0.5));
            widget->setFont(font);
        }
    }
}

void writeNullGroup(QDataStream& stream)
{
    for (int i = 0; i < 4; ++i)
        stream << QVariant();
}

bool isNullValue(const QVariant& v)
{
    return !v.isValid() || v.isNull();
}

} // namespace

CUserInterfaceServer_VANTREL_KXE::CUserInterfaceServer_VANTREL_KXE(
    CompIMPInitialise_VANTREL_KXE* component)
    : m_component(component)
{
}

CUserInterfaceServer_VANTREL_KXE::~CUserInterfaceServer_VANTREL_KXE()
{
    m_destroying = true;
    UI_assignContext(nullptr, nullptr);
    delete m_snapshot;
    m_snapshot = nullptr;
    QWidget* stepParent = m_stepParent;
    m_stepParent = nullptr;
    delete stepParent;
    // A window still being deleted when the server goes keeps no lock behind.
    for (auto it = m_lockedForDelete.begin(); it != m_lockedForDelete.end(); ++it) {
        if (it.value())
            it.value()->MAPI_lock(false);
    }
    m_lockedForDelete.clear();
    while (!m_lockStack.isEmpty()) {
        if (IMemAPI* api = m_lockStack.takeLast())
            api->MAPI_lock(false);
    }
}

QString CUserInterfaceServer_VANTREL_KXE::windowKey(int createId, const QUuid& module)
{
    return QStringLiteral("%1;%2").arg(createId).arg(module.toString());
}

IMemAPI* CUserInterfaceServer_VANTREL_KXE::memapi() const
{
    return m_component ? m_component->memAPI() : nullptr;
}

IPrefsQuery_VANTREL_KXE* CUserInterfaceServer_VANTREL_KXE::prefs() const
{
    return m_component ? m_component->preferences() : nullptr;
}

TInputOutput_VANTREL_KXE* CUserInterfaceServer_VANTREL_KXE::transport() const
{
    // Bridge 0 as the memory API holds it: asked under the memory-API lock, where the
    // component's own list (behind the component mutex) may not be read. The bridges
    // are detached and deleted under that lock, so this one lives while it is held.
    IMemAPI* api = memapi();
    return api ? dynamic_cast<TInputOutput_VANTREL_KXE*>(api->MAPI_ioProxy(0)) : nullptr;
}

QWidget* CUserInterfaceServer_VANTREL_KXE::recordedEditor(const QString& key) const
{
    return qobject_cast<QWidget*>(m_editors.value(key, nullptr));
}

void CUserInterfaceServer_VANTREL_KXE::lock()
{
    IMemAPI* api = memapi();
    if (api)
        api->MAPI_lock(true);
    m_lockStack.append(api);
}

void CUserInterfaceServer_VANTREL_KXE::unlock()
{
    if (m_lockStack.isEmpty())
        return;
    if (IMemAPI* api = m_lockStack.takeLast())
        api->MAPI_lock(false);
}

bool CUserInterfaceServer_VANTREL_KXE::processEventsUnlocked()
{
    QPointer<CUserInterfaceServer_VANTREL_KXE> guard(this);
    // The pump thread may take the lock while the loop runs, and a release run by the
    // loop finds it free. The takes are off the stack meanwhile: a release that deletes
    // this server lets go of nothing twice, and nothing is taken again on a memory API
    // that went with it.
    QList<IMemAPI*> held;
    held.swap(m_lockStack);
    for (auto it = held.crbegin(); it != held.crend(); ++it) {
        if (*it)
            (*it)->MAPI_lock(false);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!guard)
        return false;
    for (IMemAPI* api : std::as_const(held)) {
        if (api)
            api->MAPI_lock(true);
    }
    // Takes of the loop's own are let go within it: the stack is as it was.
    held.append(m_lockStack);
    m_lockStack = held;
    return true;
}

QWidget* CUserInterfaceServer_VANTREL_KXE::stepParent(bool create)
{
    if (!m_stepParent && create && NS_Utilities::mainThreadRunning()) {
        m_stepParent = new QWidget(nullptr);
        m_stepParent->setObjectName(QStringLiteral("stepParent"));
    }
    return m_stepParent;
}

// ---------------------------------------------------------------------------------
// IClientServices

int32_t CUserInterfaceServer_VANTREL_KXE::CS_mainWidget(QWidget** widget)
{
    if (!widget)
        return failure;
    *widget = m_workspace.data();
    return ok;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_activeWindow(QWidget** widget)
{
    if (!widget)
        return failure;
    *widget = nullptr;
    if (m_workspace) {
        if (QMdiSubWindow* frame = m_workspace->activeSubWindow())
            *widget = frame->widget();
    }
    return ok;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_modulePath(IUnknown* module, QString& path)
{
    if (!module || !m_component)
        return failure;
    for (const auto& descriptor : m_component->modules().addOns()) {
        if (descriptor->addOn() && static_cast<IUnknown*>(descriptor->addOn()) == module) {
            path = descriptor->folder().path();
            return ok;
        }
    }
    return failure;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_iUnk(const QUuid& id, IUnknown** object)
{
    if (!object)
        return failure;
    *object = nullptr;
    if (!m_component)
        return failure;
    for (const auto& descriptor : m_component->modules().addOns()) {
        if (descriptor->moduleId == id && descriptor->addOn()) {
            *object = descriptor->addOn();
            return ok;
        }
    }
    return failure;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_isEditorOpened(const QUuid& module, int index,
                                                            QWidget** widget)
{
    if (!widget)
        return failure;
    *widget = nullptr;
    if (index < 1)
        return failure;
    *widget = recordedEditor(windowKey(index, module));
    return ok;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_reparent(QWidget* widget, QWidget* parent,
                                                      const QPoint& pos, bool show)
{
    if (!widget)
        return failure;
    widget->setParent(parent);
    widget->move(pos);
    if (show)
        widget->show();
    auto it = m_createIds.find(widget);
    if (it != m_createIds.end()) {
        const int32_t magnitude = std::abs(it.value());
        it.value() = parent ? -magnitude : magnitude;
    }
    return ok;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_openEditor(const QUuid& module, int index,
                                                        QWidget** widget, const QRect* rect,
                                                        bool flag)
{
    if (!widget || !m_component)
        return failure;
    *widget = nullptr;
    m_component->createEditorByCLSID(0, flag, module, index, widget, this, rect);
    return *widget ? ok : failure;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_closeEditor(QWidget* widget)
{
    if (!NS_Utilities::mainThreadRunning())
        return failure;
    if (widget) {
        doCloseWindow(widget);
        return ok;
    }
    doCloseAllWindows();
    if (processEventsUnlocked())
        destroyHiddenWindows();
    return ok;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_reopenDefaultEditors(bool fromSnapshot)
{
    if (fromSnapshot)
        UI_loadUIState();
    else
        UI_triggerSavedUILoading(true);
    return ok;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_menuObject(const QString& name, QMenu** menu)
{
    TMenuMapInfo* info = UI_menuObject(name);
    if (!menu)
        return failure;
    *menu = info ? info->popup.data() : nullptr;
    return *menu ? ok : failure;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_menuObjectFromID(int id, QMenu** menu)
{
    if (!menu)
        return failure;
    *menu = nullptr;
    for (auto it = m_menus.cbegin(); it != m_menus.cend(); ++it) {
        if (it.value()->menuId == id) {
            *menu = it.value()->popup.data();
            break;
        }
    }
    return *menu ? ok : failure;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_updatePortInformation()
{
    if (!m_component)
        return failure;
    m_component->forceUpdatePortInformationForAll();
    return ok;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_closeParent()
{
    if (!m_workspace)
        return failure;
    if (QWidget* top = m_workspace->window())
        top->close();
    return ok;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_showHelp(const QString& document)
{
    QString bundle = CompIMPInitialise_VANTREL_KXE::bundleIdentifier;
    // The document frame's prompter, which tests replace; the toolkit's without one.
    IMemAPI* api = memapi();
    auto* frame = api ? dynamic_cast<NS_Utilities::TDocuSaveLoad*>(api->MAPI_qself()) : nullptr;
    NS_Utilities::ShowHelpDocumentation(QStringLiteral("TOVAR-VANTREL (Multi)"), nullptr,
                                        QStringLiteral("%1.pdf").arg(document), &bundle,
                                        frame ? frame->DSL_prompter() : nullptr);
    return ok;
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_saveViaStream(QDataStream& stream)
{
    return UI_saveLoadUIstate(false, stream);
}

int32_t CUserInterfaceServer_VANTREL_KXE::CS_loadViaStream(QDataStream& stream)
{
    return UI_saveLoadUIstate(true, stream);
}

CompIMPInitialise_VANTREL_KXE* CUserInterfaceServer_VANTREL_KXE::CS_compInitialize()
{
    return m_component;
}

// ---------------------------------------------------------------------------------
// Opening editors

void CUserInterfaceServer_VANTREL_KXE::editor_helper(quint32 editorId, TAddOnDescriptor* descriptor,
                                                     quint32 flags)
{
    editor_helper(true, editorId, descriptor, nullptr, nullptr, flags);
}

void CUserInterfaceServer_VANTREL_KXE::editor_helper(bool show, unsigned int subId,
                                                     TAddOnDescriptor* descriptor, QWidget** out,
                                                     const QRect* rect, unsigned int flags)
{
    if (out)
        *out = nullptr;
    IMemAPI* api = memapi();
    if (!descriptor || !descriptor->addOn() || !api)
        return;
    IGenericEditorPluginInterface* addOn = descriptor->addOn();
    QPointer<CUserInterfaceServer_VANTREL_KXE> guard(this);

    std::vector<int> ids;
    if (subId != 0) {
        ids.push_back(int(subId));
    } else {
        const int count = addOn->GP_editorCount(nullptr);
        for (int id = 1; id <= count; ++id)
            ids.push_back(id);
    }
    const bool raw = (flags & 0x200) != 0;

    for (const int id : ids) {
        TGP_Information* info = raw ? addOn->GP_rawInformation(id, nullptr)
                                    : addOn->GP_inforamtion(id, nullptr);
        if (!info)
            continue;
        IGenericEditorPluginInterface* creator = info->creator ? info->creator : addOn;
        bool locked = false;
        if (!(info->flags & NS_GPFlags::openWithoutLock)) {
            lock();
            locked = true;
        }
        auto done = [&] {
            if (locked && guard)
                unlock();
            locked = false;
        };
        if (subId == 0 && !(info->flags & NS_GPFlags::defaultEditor)) {
            creator->GP_releaseInformation(info);
            done();
            continue;
        }
        const uint8_t f1 = info->flags;
        const uint8_t f2 = info->flags2;
        const uint32_t selectSubId = info->selectSubId;
        const int createId = info->createId < 1 ? (id & 0x3FFF) : info->createId;
        const QUuid module = info->moduleId;
        const QString key = windowKey(createId, module);
        if (f2 & NS_GPFlags2::closeOtherEditors) {
            const int count = creator->GP_editorCount(nullptr);
            for (int other = 1; other <= count; ++other) {
                QWidget* open = nullptr;
                if (other != createId && CS_isEditorOpened(module, other, &open) == ok && open)
                    CS_closeEditor(open);
                if (!guard)
                    return;
            }
        }
        creator->GP_releaseInformation(info);
        info = nullptr;

        QWidget* window = recordedEditor(key);
        if (!(f1 & (NS_GPFlags::notWorkspaceWindow | NS_GPFlags::openWithoutLock)))
            CAppServer::PrepareForBusyAction();

        bool made = false;
        if (!((f1 & NS_GPFlags::oneWindowPerKey) && window) && m_workspace) {
            QWidget* created = creator->GP_create(createId, nullptr);
            if (created) {
                made = true;
                window = created;
                if (!(f1 & NS_GPFlags::notWorkspaceWindow) && (f1 & NS_GPFlags::toolWindow))
                    window->setWindowFlags(window->windowFlags() | Qt::Tool | Qt::WindowStaysOnTopHint);
                window->setFont(QFont(QStringLiteral("Arial"), 8));
                scaleOwnFonts(window);
                if (!m_editors.value(key, nullptr)) {
                    m_editors.insert(key, window);
                    if (f2 & NS_GPFlags2::hideOnClose)
                        window->setAttribute(Qt::WA_DeleteOnClose, false);
                }
                m_createIds.insert(window, createId);
                connect(window, &QObject::destroyed, this,
                        &CUserInterfaceServer_VANTREL_KXE::createdEditorsDestroyedHandler);
                window->installEventFilter(this);
            }
        }

        if (made) {
            IEditorExtensions* ext = creator->GP_extension(window, nullptr);
            if (!ext)
                ext = extensionsOf(window);
            if (ext)
                ext->EX_postInitialize(api);
            if (!(f1 & NS_GPFlags::notWorkspaceWindow)) {
                QMdiSubWindow* frame = frameOf(window);
                if (!window->parentWidget() && m_workspace) {
                    frame = m_workspace->addSubWindow(window);
                    frame->installEventFilter(this);
                    if (f2 & NS_GPFlags2::hideOnClose)
                        frame->setAttribute(Qt::WA_DeleteOnClose, false);
                    if (window->minimumSize() == window->maximumSize())
                        frame->setWindowFlags(frame->windowFlags() & ~Qt::WindowMaximizeButtonHint);
                    // The frame's own menu keys (its close is Ctrl+W) would compete with
                    // the page's Windows menu for every key: the page's menus own them.
                    for (QAction* action : frame->actions())
                        action->setShortcuts({});
                    frame->move(0, 0);
                    window->show();
                    frame->show();
                }
                if (rect && frame) {
                    frame->move(rect->topLeft());
                    const QSize decoration = frame->size() - window->size();
                    if (rect->topLeft() == QPoint(0, 0) && m_workspace
                        && rect->size() + decoration == m_workspace->viewport()->size())
                        frame->showMaximized();
                    else
                        frame->resize(rect->size() + decoration);
                } else if (rect) {
                    window->resize(rect->size());
                }
            } else if (!((f1 & NS_GPFlags::keepCreatedWindow) && out)) {
                // A command: it runs once and goes. Its exec() may run a release posted
                // meanwhile, which waits until this call is done with the window.
                done();
                ++m_commandsRunning;
                QPointer<QWidget> command(window);
                if (ext)
                    ext->EX_execute();
                if (command)
                    command->deleteLater();
                if (guard)
                    --m_commandsRunning;
                return;
            }
        }

        if (window) {
            if (out)
                *out = window;
            creator->GP_selectSubId(window, int(selectSubId ? selectSubId : (uint32_t(id) & 0x3FFF)));
            if (show) {
                QMdiSubWindow* frame = frameOf(window);
                const bool wasHidden = explicitlyHidden(window);
                window->show();
                if (frame)
                    frame->show();
                const QRect closed = wasHidden ? m_closedGeometry.value(key) : QRect();
                if (closed.isValid()) {
                    // The frame sizes the window inside it: the frame takes the
                    // window's size plus its own decoration.
                    if (frame) {
                        frame->move(closed.topLeft());
                        frame->resize(closed.size() + (frame->size() - window->size()));
                    } else {
                        window->move(closed.topLeft());
                        window->resize(closed.size());
                    }
                }
                if (frame) {
                    if (m_workspace)
                        m_workspace->setActiveSubWindow(frame);
                } else {
                    window->raise();
                    window->activateWindow();
                }
                window->setFocus();
            }
        }
        done();
        if (!guard)
            return;
    }
}

QWidget* CUserInterfaceServer_VANTREL_KXE::open_any_editor(const QString& key, const QRect* rect,
                                                           unsigned int flags)
{
    const QStringList parts = key.split(QLatin1Char(';'));
    if (parts.size() < 2 || !m_component)
        return nullptr;
    bool numeric = false;
    const int createId = parts[0].toInt(&numeric);
    if (!numeric)
        return nullptr;
    const QUuid module(parts[1]);
    QWidget* made = nullptr;
    m_component->createEditorByCLSID(flags, true, module, createId, &made, this, rect);
    QPointer<QWidget> window(made);
    if (QCoreApplication::instance() && !processEventsUnlocked())
        return nullptr;
    return window.data();
}

// ---------------------------------------------------------------------------------
// Menus

TMenuMapInfo* CUserInterfaceServer_VANTREL_KXE::UI_menuObject(const QString& name)
{
    return UI_menuObjectFromID(name, -1);
}

TMenuMapInfo* CUserInterfaceServer_VANTREL_KXE::UI_menuObjectFromID(const QString& name, int id)
{
    TMenuMapInfo* info = m_menus.value(name, nullptr);
    if (!info) {
        info = new TMenuMapInfo;
        info->popup = new QMenu(name, m_workspace.data());
        m_menus.insert(name, info);
    }
    info->menuId = id;
    return info;
}

void CUserInterfaceServer_VANTREL_KXE::UI_setupDefaultMenus()
{
    TMenuMapInfo* info =
        UI_menuObjectFromID(QCoreApplication::translate("@MacOSX", "&Windows"), kWindowsMenuId);
    QMenu* menu = info ? info->popup.data() : nullptr;
    if (!menu)
        return;
    QAction* first = menu->actions().value(0, nullptr);
    QAction* separator = menu->insertSeparator(first);
    auto* closeAll = new QAction(tr("Close All"), menu);
    closeAll->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_W));
    closeAll->setData(m_closeAllItemId);
    connect(closeAll, &QAction::triggered, this,
            static_cast<void (CUserInterfaceServer_VANTREL_KXE::*)()>(
                &CUserInterfaceServer_VANTREL_KXE::doCloseAllWindows));
    menu->insertAction(separator, closeAll);
    auto* close = new QAction(tr("Close"), menu);
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    close->setData(m_closeItemId);
    connect(close, &QAction::triggered, this,
            static_cast<void (CUserInterfaceServer_VANTREL_KXE::*)()>(
                &CUserInterfaceServer_VANTREL_KXE::doCloseWindow));
    menu->insertAction(closeAll, close);
    connect(menu, &QMenu::aboutToShow, this, &CUserInterfaceServer_VANTREL_KXE::windowsMenuAboutToShow);
    // The page always has its "&Windows" menu, also when no add-on entry put it there.
    if (!info->inserted && m_menuBar) {
        m_menuBar->addMenu(menu);
        info->inserted = true;
    }
}

void CUserInterfaceServer_VANTREL_KXE::windowsMenuAboutToShow()
{
    bool any = false;
    if (m_workspace) {
        for (QMdiSubWindow* frame : m_workspace->subWindowList()) {
            if (!frame->isHidden()) {
                any = true;
                break;
            }
        }
    }
    for (TMenuMapInfo* info : std::as_const(m_menus)) {
        if (!info->popup)
            continue;
        for (QAction* action : info->popup->actions()) {
            const QVariant id = action->data();
            if (id.isValid() && (id.toInt() == m_closeItemId || id.toInt() == m_closeAllItemId)
                && !action->menu() && !action->isSeparator())
                action->setEnabled(any);
        }
    }
}

// ---------------------------------------------------------------------------------
// Closing

int32_t CUserInterfaceServer_VANTREL_KXE::doCloseWindow(QWidget* window)
{
    if (!NS_Utilities::mainThreadRunning())
        return failure;
    lock();
    if (window && NS_Utilities::cancelPopupWidgets()) {
        CAppServer::PrepareForBusyAction();
        if (QMdiSubWindow* frame = frameOf(window))
            frame->close();
        else
            window->close();
    }
    unlock();
    processEventsUnlocked();
    return ok;
}

void CUserInterfaceServer_VANTREL_KXE::doCloseWindow()
{
    QWidget* active = nullptr;
    if (CS_activeWindow(&active) != ok || !active)
        return;
    doCloseWindow(active);
}

void CUserInterfaceServer_VANTREL_KXE::window_close(int)
{
    doCloseWindow();
}

void CUserInterfaceServer_VANTREL_KXE::doCloseAllWindows()
{
    if (!NS_Utilities::mainThreadRunning())
        return;
    lock();
    if (m_workspace && NS_Utilities::cancelPopupWidgets()) {
        CAppServer::PrepareForBusyAction();
        m_workspace->closeAllSubWindows();
    }
    unlock();
}

void CUserInterfaceServer_VANTREL_KXE::window_closeAll(int)
{
    doCloseAllWindows();
}

void CUserInterfaceServer_VANTREL_KXE::doCascadeWindows()
{
    if (!NS_Utilities::mainThreadRunning())
        return;
    lock();
    if (m_workspace && NS_Utilities::cancelPopupWidgets()) {
        CAppServer::PrepareForBusyAction();
        m_workspace->cascadeSubWindows();
    }
    unlock();
}

void CUserInterfaceServer_VANTREL_KXE::doTileWindows()
{
    if (!NS_Utilities::mainThreadRunning())
        return;
    lock();
    if (m_workspace && NS_Utilities::cancelPopupWidgets()) {
        CAppServer::PrepareForBusyAction();
        m_workspace->tileSubWindows();
    }
    unlock();
}

QMdiSubWindow* CUserInterfaceServer_VANTREL_KXE::activeBefore(QMdiSubWindow* frame) const
{
    if (!m_workspace)
        return nullptr;
    // Least recently active first.
    const QList<QMdiSubWindow*> history = m_workspace->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.crbegin(); it != history.crend(); ++it) {
        if (*it != frame && !explicitlyHidden((*it)->widget()))
            return *it;
    }
    return nullptr;
}

bool CUserInterfaceServer_VANTREL_KXE::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* window = qobject_cast<QWidget*>(watched);
    // The frame stands for the window it holds.
    auto* watchedFrame = qobject_cast<QMdiSubWindow*>(watched);
    if (watchedFrame)
        window = watchedFrame->widget();
    if (!window || !m_createIds.contains(window))
        return QObject::eventFilter(watched, event);

    if (event->type() == QEvent::Close) {
        for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
            if (it.value() == window) {
                QMdiSubWindow* frame = frameOf(window);
                const QPoint position = frame ? frame->pos() : window->pos();
                m_closedGeometry.insert(it.key(), QRect(position, window->size()));
                break;
            }
        }
        // Chosen now: once the close has run, the workspace has dropped a deleted frame
        // from its history and activated the next one in creation order.
        if (watchedFrame && m_workspace && watchedFrame == m_workspace->activeSubWindow()) {
            m_closingActive = watchedFrame;
            m_activateAfterClose = activeBefore(watchedFrame);
        }
    } else if (event->type() == QEvent::Hide && watchedFrame && watchedFrame == m_closingActive) {
        // The close went through. The workspace activates nothing after a kept window,
        // which is only hidden, and the next in creation order after a deleted one: the
        // window that was active before takes over, as in a workspace of windows.
        QMdiSubWindow* next = m_activateAfterClose;
        m_closingActive = nullptr;
        m_activateAfterClose = nullptr;
        if (next && m_workspace && !m_destroying && !explicitlyHidden(next->widget()))
            m_workspace->setActiveSubWindow(next);
    } else if (event->type() == QEvent::DeferredDelete) {
        // Held from the deferred delete until the window's destroyed() handler.
        IMemAPI* api = memapi();
        if (api && !m_lockedForDelete.contains(window)) {
            api->MAPI_lock(true);
            m_lockedForDelete.insert(window, api);
        }
    }
    return QObject::eventFilter(watched, event);
}

void CUserInterfaceServer_VANTREL_KXE::createdEditorsDestroyedHandler(QObject* object)
{
    IMemAPI* api = memapi();
    if (api)
        api->MAPI_suspendNotifications(true);
    for (auto it = m_editors.begin(); it != m_editors.end(); ++it) {
        if (it.value() == object) {
            m_editors.erase(it);
            break;
        }
    }
    m_createIds.remove(static_cast<QWidget*>(object));
    const QObjectList children = object->children();
    for (QObject* child : children)
        delete child;
    // Each release matches the take at that window's deferred delete.
    if (IMemAPI* lockedOn = m_lockedForDelete.take(object))
        lockedOn->MAPI_lock(false);
    if (api)
        api->MAPI_suspendNotifications(false);
    if (m_workspace && !m_workspace->activeSubWindow() && !m_destroying)
        m_workspace->setFocus();
}

void CUserInterfaceServer_VANTREL_KXE::destroyHiddenWindows()
{
    if (!NS_Utilities::mainThreadRunning())
        return;
    // Called with the lock held too (the reopening of the saved windows): the events
    // are processed with it let go.
    if (!processEventsUnlocked())
        return;
    QPointer<CUserInterfaceServer_VANTREL_KXE> guard(this);
    lock();
    bool again = true;
    while (again && guard) {
        again = false;
        if (!memapi() || !m_destroying)
            break;
        for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
            QWidget* window = qobject_cast<QWidget*>(it.value());
            if (window && explicitlyHidden(window)) {
                if (QMdiSubWindow* frame = frameOf(window))
                    delete frame;
                else
                    delete window;
                again = true;
                break;
            }
        }
    }
    if (guard)
        unlock();
}

void CUserInterfaceServer_VANTREL_KXE::UI_assignContext(QMenuBar* menuBar, QMdiArea* workspace)
{
    m_menuBar = menuBar;
    m_workspace = workspace;
    for (TMenuMapInfo* info : std::as_const(m_menus)) {
        if (info->popup)
            info->popup->deleteLater();
        delete info;
    }
    m_menus.clear();
    if (NS_Utilities::mainThreadRunning()) {
        IMemAPI* api = memapi();
        if (!(api && api->MAPI_closingDown(false) != ok))
            destroyHiddenWindows();
    }
}

// ---------------------------------------------------------------------------------
// UI state

int32_t CUserInterfaceServer_VANTREL_KXE::UI_saveLoadUIstate(bool load, QDataStream& stream)
{
    if (load) {
        if (m_reopening)
            return ok;
        // Only flat values are taken: a group holding a container comes from a damaged
        // or crafted project, and the whole state is refused with the windows kept.
        QList<QVariant> groups;
        while (stream.status() == QDataStream::Ok && !stream.atEnd()
               && groups.size() / 4 < kMaxSavedGroups) {
            QVariant values[4];
            if (!NS_DocumentValues::readValue(stream, values[0]) || isNullValue(values[0]))
                break;
            if (!NS_DocumentValues::readValue(stream, values[1]) || !NS_DocumentValues::readValue(stream, values[2])
                || !NS_DocumentValues::readValue(stream, values[3]))
                break;
            for (const QVariant& v : values)
                groups.append(v);
        }
        if (stream.status() == QDataStream::ReadCorruptData)
            return failure;
        lock();
        if (TInputOutput_VANTREL_KXE* bridge = transport()) {
            if (IPrefsQuery_VANTREL_KXE* p = prefs()) {
                const QUuid ports[2] = {p->getGUID(false), p->getGUID(true)};
                bridge->selectPorts(ports, 0);
            }
        }
        m_savedWindows = groups;
        unlock();
        return ok;
    }

    if (m_reopening) {
        writeNullGroup(stream);
        return ok;
    }
    lock();
    if (m_workspace) {
        for (QMdiSubWindow* frame : m_workspace->subWindowList(QMdiArea::StackingOrder)) {
            QWidget* window = frame->widget();
            IEditorExtensions* ext = extensionsOf(window);
            if (!ext || explicitlyHidden(window))
                continue;
            IGenericEditorPluginInterface* addOn = nullptr;
            if (ext->EX_module(&addOn) != ok || !addOn)
                continue;
            const int createId = std::abs(m_createIds.value(window, 0));
            if (createId == 0)
                continue;
            TGP_Information* info = addOn->GP_inforamtion(createId, nullptr);
            if (!info)
                continue;
            if (!(info->flags & NS_GPFlags::notWorkspaceWindow)) {
                QUuid module = info->moduleId;
                if (TGP_Information* raw = addOn->GP_rawInformation(createId, nullptr)) {
                    module = raw->moduleId;
                    addOn->GP_releaseInformation(raw);
                }
                QVariant data;
                ext->ppd_save(&data);
                stream << QVariant(windowKey(createId, module))
                       << QVariant(QRect(frame->pos(), window->size())) << data
                       << QVariant(uint(frame->windowState()));
            }
            addOn->GP_releaseInformation(info);
        }
    }
    unlock();
    writeNullGroup(stream);
    return stream.status() == QDataStream::Ok ? ok : failure;
}

void CUserInterfaceServer_VANTREL_KXE::UI_saveUIState()
{
    delete m_snapshot;
    m_snapshot = nullptr;
    if (m_reopening || !QCoreApplication::instance() || !memapi())
        return;
    lock();
    if (m_workspace) {
        m_snapshot = new QBuffer;
        m_snapshot->open(QIODevice::WriteOnly);
        QDataStream stream(m_snapshot);
        stream.setVersion(NS_Utilities::kStreamVersion);
        UI_saveLoadUIstate(false, stream);
        m_snapshot->close();
    }
    unlock();
}

void CUserInterfaceServer_VANTREL_KXE::UI_loadUIState()
{
    if (!NS_Utilities::mainThreadRunning())
        return;
    QBuffer* snapshot = m_snapshot;
    m_snapshot = nullptr;
    if (snapshot && !snapshot->data().isEmpty()) {
        snapshot->open(QIODevice::ReadOnly);
        QDataStream stream(snapshot);
        stream.setVersion(NS_Utilities::kStreamVersion);
        UI_saveLoadUIstate(true, stream);
    }
    delete snapshot;
    UI_triggerSavedUILoading(false);
}

bool CUserInterfaceServer_VANTREL_KXE::UI_triggerSavedUILoading(bool force)
{
    const bool saved = !m_savedWindows.isEmpty();
    if (!saved && !force && !(m_component && m_component->reopenPending()))
        return saved;
    const int before = m_pendingReopen.fetch_add(1);
    const bool onGui = NS_Utilities::mainThreadRunning();
    if (before > 0 && !onGui)
        return saved;
    if (!onGui) {
        if (CMarshallDispatcher* dispatcher = CAppServer::MS())
            QCoreApplication::postEvent(dispatcher, new TMarshallEvent_VANTREL_KXE(this, &reopenCallback));
        return saved;
    }
    UI_reopenSavedEditorWindows();
    return saved;
}

void CUserInterfaceServer_VANTREL_KXE::reopenCallback(QObject* target)
{
    if (auto* server = qobject_cast<CUserInterfaceServer_VANTREL_KXE*>(target))
        server->UI_reopenSavedEditorWindows();
}

bool CUserInterfaceServer_VANTREL_KXE::UI_reopenSavedEditorWindows()
{
    QPointer<CUserInterfaceServer_VANTREL_KXE> guard(this);
    // A page shown before the first connect had its menus built without the add-ons:
    // they catch up first (the toolbar), as they would have when the page came.
    if (m_component)
        m_component->catchUpUserInterface();
    if (!guard)
        return false;
    m_reopening = true;
    bool reopened = false;
    bool locked = false;
    if (m_workspace) {
        CAppServer::PrepareForBusyAction();
        if (m_component)
            m_component->setReopenPending(false);
        lock();
        locked = true;
        while (m_savedWindows.size() >= 4) {
            const QString key = m_savedWindows.takeFirst().toString();
            QRect rect = m_savedWindows.takeFirst().toRect();
            const QVariant data = m_savedWindows.takeFirst();
            // Of the saved window state only maximised is applied. A maximised frame
            // draws no decoration of its own (the menu bar takes its title), so its
            // saved size is the workspace's and names no place of the window's: it
            // opens at its own place, the one it returns to when restored.
            const bool maximised = (m_savedWindows.takeFirst().toUInt() & Qt::WindowMaximized) != 0;
            // A place that cannot be a window's opens the window at its own place.
            const bool placed = !maximised && usablePlace(rect);
            if (placed && rect.top() == rect.bottom())
                rect.setHeight(100);
            if (!processEventsUnlocked())
                return reopened;
            QWidget* window = open_any_editor(key, placed ? &rect : nullptr, 0x200);
            if (!guard)
                return reopened;
            if (window) {
                reopened = true;
                if (QMdiSubWindow* frame = frameOf(window); frame && maximised)
                    frame->showMaximized();
                if (IEditorExtensions* ext = extensionsOf(window))
                    ext->ppd_load(&data);
                if (!processEventsUnlocked())
                    return reopened;
            }
        }
        m_savedWindows.clear();
        if (!reopened) {
            open_any_editor(QStringLiteral("0;%1").arg(QUuid().toString()), nullptr, 0);
            if (!guard)
                return reopened;
        }
        destroyHiddenWindows();
        if (!guard)
            return reopened;
    }
    m_reopening = false;
    if (locked)
        unlock();
    m_pendingReopen = 0;
    if (m_component)
        m_component->doNotifyAboutUIEvent(2);
    return reopened;
}
