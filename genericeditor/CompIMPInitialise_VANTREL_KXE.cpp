#include "CompIMPInitialise_VANTREL_KXE.h"
#include "CUserInterfaceServer_VANTREL_KXE.h"
#include "CompIMPEventFilter.h"
#include "CompIMPNotificationSink.h"
#include "CompIMPServices_VANTREL_KXE.h"
#include "CompIPersistStream.h"
#include "CompIPropertyPageList.h"
#include "ConnectionAdvise.h"
#include "ObjectWrapper_VANTREL_KXE.h"
#include "TAddOnDescriptor.h"
#include "TCompIMPInitialisePrivate.h"
#include "TInputOutput_VANTREL_KXE.h"
#include "TSlotRouter_VANTREL_KXE.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include "console/memapi/TovarIMemAPI.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "memapi/IMemAPI.h"
#include "platform/PlatformBundle.h"
#include "platform/RunLoop.h"
#include "utilities/DocuSaveLoad.h"
#include "utilities/TModalDialogObserver_VANTREL_KXE.h"
#include "utilities/ThreadUtilities.h"
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QKeySequence>
#include <QLoggingCategory>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMutexLocker>
#include <QTimer>
#include <QWaitCondition>
#include <algorithm>
#include <atomic>

Q_LOGGING_CATEGORY(lcComponent, "tovar.component")

struct TLatch_VANTREL_KXE
{
    QMutex mutex;
    QWaitCondition condition;
    bool done = false;
};

const Y_GUID CompIMPInitialise_VANTREL_KXE::guid = NS_HostIds::CLSID_Component;
const QString CompIMPInitialise_VANTREL_KXE::bundleIdentifier =
    QStringLiteral("org.tovar.vantrel.kxe21");

namespace {

constexpr int kOffThreadReleaseWaitMs = 4000;
// Between two tries of a release that a modal dialog still holds up.
constexpr int kReleaseRetryMs = 25;
constexpr int kServerMadeWaitMs = 10000;
// More port pairs than this would be a fault of the memory API.
constexpr int kMaxBridges = 16;
// The user-interface event that tells the user interface was removed.
constexpr unsigned int kUIRemoved = 1;

QString& addOnFolderOverride()
{
    static QString path;
    return path;
}

std::atomic<CompIMPInitialise_VANTREL_KXE::MemAPIFactoryFn> g_memAPIFactory{nullptr};
std::atomic<int> g_live{0};

void bundleAnchor() {}

// One menu entry to be made: a description with the add-on it came from.
struct TInfoPair
{
    TGP_Information* info = nullptr;
    TAddOnDescriptor* descriptor = nullptr;
    uint32_t editorId = 0;
};

// Menu position, then entry position, then the menu path's text.
struct SInfoPairSorter
{
    bool operator()(const TInfoPair* a, const TInfoPair* b) const
    {
        if (!a || !b || a == b)
            return false;
        if (a->info->menuPosition != b->info->menuPosition)
            return a->info->menuPosition < b->info->menuPosition;
        if (a->info->entryPosition != b->info->entryPosition)
            return a->info->entryPosition < b->info->entryPosition;
        const QString pa = a->info->menuPath ? *a->info->menuPath : QString();
        const QString pb = b->info->menuPath ? *b->info->menuPath : QString();
        return QString::compare(pa, pb) < 0;
    }
};

void wakeUpGuiThread()
{
    if (QCoreApplication* app = QCoreApplication::instance()) {
        if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(app->thread()))
            d->wakeUp();
    }
    NS_Platform::RunLoop::main()->wakeUp();
}

// Any thread, with no lock held: posts `call` with the component to the GUI thread and
// waits up to `ms` for the latch. False when the wait ran out (the call still runs).
// Only the latch is touched after posting: the call may delete the component.
bool postAndWait(CMarshallDispatcher* dispatcher, CompIMPInitialise_VANTREL_KXE* component,
                 TMarshallEvent_VANTREL_KXE::CallFn call,
                 const std::shared_ptr<TLatch_VANTREL_KXE>& latch, int ms)
{
    QCoreApplication::postEvent(
        dispatcher, new TMarshallEvent_VANTREL_KXE(new ObjectWrapper_VANTREL_KXE(component), call));
    wakeUpGuiThread();
    QMutexLocker lock(&latch->mutex);
    const QDeadlineTimer deadline(ms);
    while (!latch->done) {
        if (!latch->condition.wait(&latch->mutex, deadline))
            return latch->done;
    }
    return true;
}

} // namespace

void CompIMPInitialise_VANTREL_KXE::setMemAPIFactory(MemAPIFactoryFn factory)
{
    g_memAPIFactory = factory;
}

int CompIMPInitialise_VANTREL_KXE::liveCount()
{
    return g_live.load();
}

QString CompIMPInitialise_VANTREL_KXE::addOnFolder()
{
    if (!addOnFolderOverride().isEmpty())
        return addOnFolderOverride();
    // Add-ons sit in a folder of their own, so that the scan never loads the component.
    return NS_Platform::PlatformBundle::bundleRoot(&bundleIdentifier) + QStringLiteral("/lib/addons");
}

void CompIMPInitialise_VANTREL_KXE::setAddOnFolder(const QString& path)
{
    addOnFolderOverride() = path;
}

CompIMPInitialise_VANTREL_KXE::CompIMPInitialise_VANTREL_KXE(IUnknown* outer,
                                                             const Y_GUID& factoryId,
                                                             bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IMPInitialise, outer, factoryId, registration),
      m_latch(std::make_shared<TLatch_VANTREL_KXE>()),
      m_serverLatch(std::make_shared<TLatch_VANTREL_KXE>())
{
    ++g_live;
    m_appServer = CAppServer::Instance();
    NS_Platform::PlatformBundle::registerBundleOfAddress(bundleIdentifier,
                                                         reinterpret_cast<const void*>(&bundleAnchor));
    m_prefs = new EditorIPrefsQuery_VANTREL_KXE(this);
    m_addOns = new TCompIMPInitialisePrivate;
    if (NS_Utilities::mainThreadRunning()) {
        m_server = new CUserInterfaceServer_VANTREL_KXE(this);
        loadAddOns();
    } else {
        makeServerOnGuiThread();
    }

    const MemAPIFactoryFn factory = g_memAPIFactory.load();
    m_memAPIFactory = factory ? factory() : MemAPI_Factory();

    IUnknown* self = static_cast<IMPInitialise*>(this);
    const Y_GUID& unknownId = NS_HostIds::IID_IUnknown;
    m_notificationSink = new CompIMPNotificationSink(self, unknownId, false);
    m_specifyPages = new CompISpecifyPropertyPages(self, unknownId, false);
    m_eventFilter = new CompIMPEventFilter(self, unknownId, false);
    m_persistStream = new CompIPersistStream(self, unknownId, false);
    m_services = new CompIMPServices_VANTREL_KXE(self, unknownId, false);
}

CompIMPInitialise_VANTREL_KXE::~CompIMPInitialise_VANTREL_KXE()
{
    // A component never released on the GUI thread still frees what it owns.
    if (!m_released) {
        delete m_server.data();
        if (m_addOns)
            m_addOns->clear();
        m_eventFilter->intake().setMemAPI(nullptr);
        if (IMemAPI* api = m_memAPI.exchange(nullptr))
            api->Release();
        if (m_memAPIFactory)
            m_memAPIFactory->Release();
        m_memAPIFactory = nullptr;
        delete m_prefs;
        m_prefs = nullptr;
    }
    m_asyncOutput = nullptr;
    m_host = nullptr;
    // The component's own references sit on the aggregated objects' own counts.
    m_services->NonDelegatingRelease();
    m_persistStream->NonDelegatingRelease();
    m_eventFilter->NonDelegatingRelease();
    m_specifyPages->NonDelegatingRelease();
    m_notificationSink->NonDelegatingRelease();
    delete m_addOns;
    --g_live;
}

IUnknown* CompIMPInitialise_VANTREL_KXE::prefsHost()
{
    return m_host.get();
}

IClientServices* CompIMPInitialise_VANTREL_KXE::prefsClientServices()
{
    return m_server.data();
}

IMemAPI* CompIMPInitialise_VANTREL_KXE::memAPI() const
{
    // No lock: callers that hold the memory-API lock ask too, and the component mutex
    // comes before that lock, never after it.
    return m_memAPI.load();
}

CUserInterfaceServer_VANTREL_KXE* CompIMPInitialise_VANTREL_KXE::uiServer() const
{
    return m_server.data();
}

void CompIMPInitialise_VANTREL_KXE::setPageSize(int32_t width, int32_t height)
{
    m_pageWidth = width;
    m_pageHeight = height;
}

int CompIMPInitialise_VANTREL_KXE::bridgeCount()
{
    QMutexLocker lock(&m_mutex);
    return int(m_bridges.size());
}

int32_t CompIMPInitialise_VANTREL_KXE::NonDelegatingQueryInterface(const Y_GUID& iid, void** out)
{
    const int32_t own = TCompObject_VANTREL_KXE::NonDelegatingQueryInterface(iid, out);
    if (own != NS_MPStatus::noInterface)
        return own;
    return aggrQueryInterface(iid, out);
}

int32_t CompIMPInitialise_VANTREL_KXE::aggrQueryInterface(const Y_GUID& iid, void** out)
{
    TCompFrame_VANTREL_KXE* const inner[] = {m_services, m_eventFilter, m_persistStream,
                                             m_notificationSink, m_specifyPages};
    for (TCompFrame_VANTREL_KXE* object : inner) {
        if (object && object->NonDelegatingQueryInterface(iid, out) == NS_MPStatus::ok)
            return NS_MPStatus::ok;
    }
    *out = nullptr;
    return NS_MPStatus::noInterface;
}

int32_t CompIMPInitialise_VANTREL_KXE::MPConnect(IUnknown* host, IMPAsyncOutput* output,
                                                 _MPINITIALISE_MODE, uint32_t, uint32_t* flags)
{
    if (!host || !flags)
        return NS_MPStatus::invalidArgument;

    // The factory builds the memory API on the GUI thread and waits for it: asked with
    // no lock held, since that thread may be waiting for the component mutex.
    int32_t result = NS_MPStatus::ok;
    IMemAPI* made = nullptr;
    if (!m_memAPI.load()) {
        if (!m_memAPIFactory) {
            result = NS_MPStatus::unexpected;
        } else {
            void* object = nullptr;
            result = m_memAPIFactory->QueryInterface(NS_MemAPI::iidIMemAPI(), &object);
            if (result == NS_MPStatus::ok && object)
                made = static_cast<IMemAPI*>(object);
            else if (result == NS_MPStatus::ok)
                result = NS_MPStatus::unexpected;
        }
    }

    QMutexLocker lock(&m_mutex);
    *flags &= MPCONNECT_FLAG_KEPT;
    if (m_host)
        MPDisconnect();
    m_host = host;
    m_asyncOutput = output;

    IMemAPI* api = m_memAPI.load();
    if (api) {
        // Another connect got there first: its memory API is the one.
        result = NS_MPStatus::ok;
    } else if (made) {
        api = made;
        m_memAPI = api;
        made = nullptr;
    }
    bool uiToCatchUp = false;
    if (result == NS_MPStatus::ok && api) {
        // Every connect makes and associates fresh bridges, a reconnect included.
        const int needed = std::clamp(int(api->MAPI_proxiesNeeded()), 0, kMaxBridges);
        IUnknown* self = static_cast<IMPInitialise*>(this);
        std::vector<TInputOutput_VANTREL_KXE*> bridges;
        for (int i = 0; i < needed; ++i) {
            auto* bridge = new TInputOutput_VANTREL_KXE(self, host, output, i);
            bridges.push_back(bridge);
            api->MAPI_associate(bridge, m_prefs, i, m_server.data());
            bridge->connect(*api);
        }
        m_bridges = bridges;
        // The association takes the ports from the preferences (the settings store
        // when the project names none), so a connected editor talks at once.
        api->MAPI_setPortsFromPreferences();
        m_eventFilter->intake().setMemAPI(api);
        m_eventFilter->intake().setBridges(bridges);
        uiToCatchUp = initializeAddOnModules(m_server.data()) && m_uiBeforeAddOns;
    }
    lock.unlock();
    if (made)
        made->Release();

    uint32_t cookie = 0;
    if (NS_Connection::ConnectionAdvise(host, NS_HostIds::IID_IMPNotificationSink, self(), true,
                                        &cookie))
        m_cookie = cookie;

    if (result != NS_MPStatus::ok) {
        QMutexLocker again(&m_mutex);
        deleteBridgesLocked();
    }
    m_eventFilter->intake().setEnable(result == NS_MPStatus::ok);
    // The connect itself holds; the host learns from the flags that the project it
    // handed over is not what the editor holds.
    if (result == NS_MPStatus::ok && m_persistStream->applyPendingLoad() != NS_MPStatus::ok)
        *flags |= MPCONNECT_FLAG_KEPT_LOAD_FAILED;
    // A page shown before this first connect: its add-ons catch up with the project loaded.
    if (uiToCatchUp)
        postUICatchUp();
    return result;
}

IUnknown* CompIMPInitialise_VANTREL_KXE::self()
{
    return static_cast<IMPInitialise*>(this);
}

void CompIMPInitialise_VANTREL_KXE::deleteBridgesLocked()
{
    // The pump and every caller of the bridges hold the memory-API lock: the bridges
    // go only under it.
    IMemAPI* api = m_memAPI.load();
    if (api)
        api->MAPI_lock(true);
    m_eventFilter->intake().clearBridges();
    if (api) {
        const int count = std::clamp(int(api->MAPI_proxiesNeeded()), 0, kMaxBridges);
        for (int i = 0; i < count; ++i)
            api->MAPI_associate(nullptr, nullptr, i, nullptr);
    }
    std::vector<TInputOutput_VANTREL_KXE*> bridges;
    bridges.swap(m_bridges);
    for (TInputOutput_VANTREL_KXE* bridge : bridges)
        bridge->Release();
    if (api)
        api->MAPI_lock(false);
}

int32_t CompIMPInitialise_VANTREL_KXE::MPDisconnect()
{
    if (m_host && m_cookie) {
        NS_Connection::ConnectionUnadvise(m_host.get(), NS_HostIds::IID_IMPNotificationSink, self(),
                                          true, m_cookie);
        m_cookie = 0;
    }
    m_eventFilter->intake().setEnable(false);
    {
        QMutexLocker lock(&m_mutex);
        // Bridges first: they write to the host's output until they are gone.
        deleteBridgesLocked();
    }
    m_asyncOutput = nullptr;
    m_host = nullptr;
    return NS_MPStatus::ok;
}

bool CompIMPInitialise_VANTREL_KXE::initializeAddOnModules(CUserInterfaceServer_VANTREL_KXE* server)
{
    QMutexLocker lock(&m_mutex);
    IMemAPI* api = m_memAPI.load();
    // An add-on initialised without the memory API would never get it.
    if (m_addOns->initialised || !api)
        return false;
    m_addOns->initialised = true;
    for (const auto& descriptor : m_addOns->addOns()) {
        if (IGenericEditorPluginInterface* addOn = descriptor->addOn())
            addOn->GP_initialize(api, server);
    }
    return true;
}

void CompIMPInitialise_VANTREL_KXE::doNotifyAboutUIEvent(unsigned int code)
{
    QMutexLocker lock(&m_mutex);
    if (!m_addOns->initialised) {
        // Kept for the add-ons until the first connect initialises them; a user
        // interface removed meanwhile leaves them nothing to catch up on.
        if (code == kUIRemoved)
            m_missedUIEvents.clear();
        else
            m_missedUIEvents.push_back(code);
        return;
    }
    // What came before the add-ons goes to them first.
    catchUpUserInterface();
    deliverUIEvent(code);
}

void CompIMPInitialise_VANTREL_KXE::deliverUIEvent(unsigned int code)
{
    for (const auto& descriptor : m_addOns->addOns()) {
        if (IGenericEditorPluginInterface* addOn = descriptor->addOn())
            addOn->GP_uiEvent(code);
    }
    if (IMemAPI* api = m_memAPI.load())
        api->MAPI_uiEvent(code);
}

void CompIMPInitialise_VANTREL_KXE::registerWindowControl(IMemAPI* api, const TGP_Information& info)
{
    const size_t nameLength = strnlen(info.windowControlName, sizeof info.windowControlName);
    if (nameLength == 8) {
        const QByteArray name(info.windowControlName, int(nameLength));
        api->MAPI_registerWindowControl(name.constData(), info.moduleId, info.reserved);
    }
}

void CompIMPInitialise_VANTREL_KXE::forEachEditorInformation(
    const std::function<bool(TAddOnDescriptor*, uint32_t, TGP_Information*)>& visit)
{
    for (const auto& owned : m_addOns->addOns()) {
        TAddOnDescriptor* descriptor = owned.get();
        IGenericEditorPluginInterface* addOn = descriptor->addOn();
        if (!addOn)
            continue;
        const int count = addOn->GP_editorCount(nullptr);
        for (int id = 1; id <= count; ++id) {
            TGP_Information* info = addOn->GP_rawInformation(id, nullptr);
            if (info && !visit(descriptor, uint32_t(id), info))
                addOn->GP_releaseInformation(info);
        }
    }
}

void CompIMPInitialise_VANTREL_KXE::registerWindowControls(IMemAPI* api)
{
    forEachEditorInformation([api](TAddOnDescriptor*, uint32_t, TGP_Information* info) {
        registerWindowControl(api, *info);
        return false;
    });
}

void CompIMPInitialise_VANTREL_KXE::catchUpUserInterface()
{
    if (!NS_Utilities::mainThreadRunning())
        return;
    QMutexLocker lock(&m_mutex);
    IMemAPI* api = m_memAPI.load();
    if (!m_uiBeforeAddOns || !api || !m_addOns->initialised)
        return;
    m_uiBeforeAddOns = false;
    if (m_workspace)
        api->MAPI_setWorkspace(m_workspace.data());
    registerWindowControls(api);
    std::vector<unsigned int> missed;
    missed.swap(m_missedUIEvents);
    for (unsigned int code : missed)
        deliverUIEvent(code);
}

void CompIMPInitialise_VANTREL_KXE::postUICatchUp()
{
    // Posted to the server, which lives while the component does: in order with the
    // page's own posted calls, and after the connect has loaded the project.
    CUserInterfaceServer_VANTREL_KXE* server = m_server.data();
    CMarshallDispatcher* dispatcher = CAppServer::MS();
    if (!server || !dispatcher)
        return;
    QCoreApplication::postEvent(dispatcher, new TMarshallEvent_VANTREL_KXE(server, &catchUpCallback));
    wakeUpGuiThread();
}

void CompIMPInitialise_VANTREL_KXE::catchUpCallback(QObject* target)
{
    if (auto* server = qobject_cast<CUserInterfaceServer_VANTREL_KXE*>(target)) {
        if (CompIMPInitialise_VANTREL_KXE* component = server->CS_compInitialize())
            component->catchUpUserInterface();
    }
}

void CompIMPInitialise_VANTREL_KXE::createUIElements(CUserInterfaceServer_VANTREL_KXE* server)
{
    if (!server)
        return;
    QMutexLocker lock(&m_mutex);
    initializeAddOnModules(server);
    IMemAPI* api = m_memAPI.load();
    // Built before the first connect: the add-ons and the memory API catch up on it
    // once they are initialised.
    if (!m_addOns->initialised)
        m_uiBeforeAddOns = true;

    std::vector<TInfoPair*> pairs;
    forEachEditorInformation([&](TAddOnDescriptor* descriptor, uint32_t id, TGP_Information* info) {
        if (api)
            registerWindowControl(api, *info);
        if (!info->menuPath) {
            descriptor->moduleId = info->moduleId;
            return false;
        }
        pairs.push_back(new TInfoPair{info, descriptor, id});
        return true;
    });
    std::stable_sort(pairs.begin(), pairs.end(), SInfoPairSorter());

    for (TInfoPair* pair : pairs) {
        TGP_Information* info = pair->info;
        const QStringList parts =
            info->menuPath->split(QStringLiteral("[/]"), Qt::SkipEmptyParts);
        if (parts.size() >= 2) {
            QMenu* parentMenu = nullptr;
            QMenuBar* bar = server->menuBar();
            for (int i = 0; i < parts.size() - 1; ++i) {
                TMenuMapInfo* menu = server->UI_menuObjectFromID(parts[i], info->menuId);
                if (!menu || !menu->popup)
                    break;
                if (!menu->inserted) {
                    if (parentMenu) {
                        parentMenu->addMenu(menu->popup);
                        menu->inserted = true;
                    } else if (bar) {
                        bar->addMenu(menu->popup);
                        menu->inserted = true;
                    }
                }
                parentMenu = menu->popup;
            }
            if (parentMenu) {
                if ((info->flags & NS_GPFlags::separatorBefore) && !parentMenu->isEmpty())
                    parentMenu->addSeparator();
                auto* router = new TSlotRouter_VANTREL_KXE(pair->editorId, pair->descriptor, server);
                QAction* action = parentMenu->addAction(parts.last(), router,
                                                        &TSlotRouter_VANTREL_KXE::menuActionRouter);
                if (info->accelerator)
                    action->setShortcut(*info->accelerator);
                action->setData(info->commandId);
            }
        }
        pair->descriptor->moduleId = info->moduleId;
        pair->descriptor->addOn()->GP_releaseInformation(info);
        delete pair;
    }
    lock.unlock();
    server->UI_setupDefaultMenus();
    doNotifyAboutUIEvent(0);
}

void CompIMPInitialise_VANTREL_KXE::createEditorByCLSID(unsigned int editorId, bool show,
                                                        const QUuid& module, int subId,
                                                        QWidget** out,
                                                        CUserInterfaceServer_VANTREL_KXE* server,
                                                        const QRect* geometry)
{
    if (!server)
        return;
    QPointer<CUserInterfaceServer_VANTREL_KXE> guard(server);
    const int effectiveSubId = module.isNull() ? 0 : subId;
    // A snapshot: opening windows runs the event loop, which may change nothing here,
    // but the list must not be walked while an add-on is unloaded.
    std::vector<TAddOnDescriptor*> targets;
    for (const auto& descriptor : m_addOns->addOns()) {
        if (module.isNull() || descriptor->moduleId == module)
            targets.push_back(descriptor.get());
    }
    for (TAddOnDescriptor* descriptor : targets) {
        server->editor_helper(show, unsigned(effectiveSubId), descriptor, out, geometry, editorId);
        if (!guard)
            return;
    }
}

TInputOutput_VANTREL_KXE* CompIMPInitialise_VANTREL_KXE::inputOutput(int index)
{
    QMutexLocker lock(&m_mutex);
    if (index < 0 || size_t(index) >= m_bridges.size())
        return nullptr;
    return m_bridges[size_t(index)];
}

QMdiArea* CompIMPInitialise_VANTREL_KXE::currentWorkspace() const
{
    return m_workspace.data();
}

QMdiArea* CompIMPInitialise_VANTREL_KXE::workspace(QWidget* parent)
{
    if (!NS_Utilities::mainThreadRunning())
        return nullptr;
    IMemAPI* api = memAPI();
    if (!m_workspace) {
        auto* area = new QMdiArea(parent);
        area->setObjectName(QStringLiteral("TOVAR-VANTREL (Multi)"));
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_workspace = area;
        if (api)
            api->MAPI_setWorkspace(area);
        return area;
    }
    if (!parent && api && api->MAPI_closingDown(false) == NS_MPStatus::failure && m_server)
        parent = m_server->stepParent(true);
    if (!parent && !api && m_server)
        parent = m_server->stepParent(true);
    m_workspace->setParent(parent);
    m_workspace->move(0, 0);
    return m_workspace.data();
}

bool CompIMPInitialise_VANTREL_KXE::documentDirty()
{
    QMutexLocker lock(&m_mutex);
    IMemAPI* api = m_memAPI.load();
    if (!api)
        return false;
    auto* document = dynamic_cast<NS_Utilities::TDocuSaveLoad*>(api->MAPI_qself());
    return document && document->DSL_documentDirty();
}

void CompIMPInitialise_VANTREL_KXE::setDocumentDirty(bool dirty)
{
    QMutexLocker lock(&m_mutex);
    IMemAPI* api = m_memAPI.load();
    if (!api)
        return;
    if (auto* document = dynamic_cast<NS_Utilities::TDocuSaveLoad*>(api->MAPI_qself()))
        document->m_dirty = dirty;
}

void CompIMPInitialise_VANTREL_KXE::forceUpdatePortInformationForAll()
{
    QMutexLocker lock(&m_mutex);
    for (auto it = m_bridges.rbegin(); it != m_bridges.rend(); ++it)
        (*it)->updatePortInformation();
}

int CompIMPInitialise_VANTREL_KXE::reselectPortsForAll()
{
    QMutexLocker lock(&m_mutex);
    for (size_t i = 0; i < m_bridges.size(); ++i) {
        TInputOutput_VANTREL_KXE* bridge = m_bridges[i];
        bridge->updatePortInformation();
        const QUuid ports[2] = {bridge->portIdentity(0), bridge->portIdentity(1)};
        bridge->selectPorts(ports, int(i));
    }
    return int(m_bridges.size());
}

void CompIMPInitialise_VANTREL_KXE::destroy()
{
    if (m_host)
        MPDisconnect();
    if (IMemAPI* api = memAPI())
        api->MAPI_closingDown(true);

    if (NS_Utilities::mainThreadRunning()) {
        releaseOnGuiThread();
        return;
    }
    if (m_released)
        return;
    CMarshallDispatcher* dispatcher = CAppServer::MS();
    if (!dispatcher) {
        // No toolkit to hand over to: free in place.
        CAppServer* server = m_appServer;
        deleteSelf();
        CAppServer::release(server);
        return;
    }
    const std::shared_ptr<TLatch_VANTREL_KXE> latch = m_latch;
    if (!postAndWait(dispatcher, this, &releaseCallback, latch, kOffThreadReleaseWaitMs))
        qCWarning(lcComponent) << "release on the GUI thread still pending after"
                               << kOffThreadReleaseWaitMs << "ms";
}

bool CompIMPInitialise_VANTREL_KXE::releaseOnGuiThread()
{
    if (m_released)
        return true;
    // A modal dialog still open, or a command still running (its dialog hidden while
    // its exec() returns), blocks the release: the dialog is cancelled at the next turn
    // of the event loop and the release is tried again a moment later, until every
    // exec() has returned and its caller is done with the dialog. The pause keeps a
    // dialog that is slow to go from being asked over and over.
    TModalDialogObserver_VANTREL_KXE dialogs;
    if (m_server && (dialogs.moreProcessingNeeded() || m_server->commandsRunning() > 0)) {
        dialogs.cancelAllDialogs();
        if (CAppServer::MS()) {
            auto* wrapper = new ObjectWrapper_VANTREL_KXE(this);
            QTimer::singleShot(kReleaseRetryMs, wrapper, [wrapper] {
                if (CMarshallDispatcher* dispatcher = CAppServer::MS())
                    QCoreApplication::postEvent(dispatcher,
                                                new TMarshallEvent_VANTREL_KXE(wrapper, &releaseCallback));
                else
                    releaseCallback(wrapper);
            });
            return false;
        }
    }
    m_released = true;
    // Before the mutex: the pump's batch, which waits for the memory-API lock, ends
    // first, and no later one touches the memory API released below.
    m_eventFilter->intake().setMemAPI(nullptr);
    {
        QMutexLocker lock(&m_mutex);
        delete m_server.data();
        m_addOns->clear();
        // The memory API goes before the preferences it may still hold.
        if (IMemAPI* api = m_memAPI.exchange(nullptr))
            api->Release();
        if (m_memAPIFactory)
            m_memAPIFactory->Release();
        m_memAPIFactory = nullptr;
        delete m_prefs;
        m_prefs = nullptr;
        // A workspace left without a parent belongs to nobody else.
        if (m_workspace && !m_workspace->parent())
            delete m_workspace.data();
    }
    if (!m_deletionScheduled) {
        m_deletionScheduled = true;
        auto* wrapper = new ObjectWrapper_VANTREL_KXE(this);
        QTimer::singleShot(0, wrapper, &ObjectWrapper_VANTREL_KXE::doDiposeSelfAndFramework);
    }
    return true;
}

void CompIMPInitialise_VANTREL_KXE::releaseCallback(QObject* target)
{
    auto* wrapper = qobject_cast<ObjectWrapper_VANTREL_KXE*>(target);
    if (!wrapper)
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (CompIMPInitialise_VANTREL_KXE* component = wrapper->component())
        component->destroy();
    wrapper->deleteLater();
}

void CompIMPInitialise_VANTREL_KXE::deleteSelf()
{
    std::shared_ptr<TLatch_VANTREL_KXE> latch = m_latch;
    delete this;
    QMutexLocker lock(&latch->mutex);
    latch->done = true;
    latch->condition.wakeAll();
}

void CompIMPInitialise_VANTREL_KXE::loadAddOns()
{
    const QDir folder(addOnFolder());
    if (!folder.exists())
        return;
    QMutexLocker lock(&m_mutex);
    const size_t before = m_addOns->addOns().size();
    m_addOns->loadAddOns(folder);
    // A connect that came first (the GUI thread turned late) initialised the others.
    IMemAPI* api = m_memAPI.load();
    if (!m_addOns->initialised || !api)
        return;
    for (size_t i = before; i < m_addOns->addOns().size(); ++i) {
        if (IGenericEditorPluginInterface* addOn = m_addOns->addOns()[i]->addOn())
            addOn->GP_initialize(api, m_server.data());
    }
}

void CompIMPInitialise_VANTREL_KXE::makeServerOnGuiThread()
{
    // The server and the add-ons receive posted calls and own windows and helpers:
    // they are made on the GUI thread.
    CMarshallDispatcher* dispatcher = CAppServer::MS();
    if (!dispatcher) {
        qCWarning(lcComponent) << "component made off the GUI thread without a dispatcher: no user interface";
        loadAddOns();
        return;
    }
    if (!postAndWait(dispatcher, this, &serverCallback, m_serverLatch, kServerMadeWaitMs))
        qCWarning(lcComponent) << "user-interface server not made on the GUI thread within"
                               << kServerMadeWaitMs << "ms; it comes when that thread turns";
}

void CompIMPInitialise_VANTREL_KXE::serverCallback(QObject* target)
{
    auto* wrapper = qobject_cast<ObjectWrapper_VANTREL_KXE*>(target);
    if (!wrapper)
        return;
    wrapper->deleteLater();
    CompIMPInitialise_VANTREL_KXE* component = wrapper->component();
    if (!component)
        return;
    bool made = false;
    {
        QMutexLocker lock(&component->m_mutex);
        made = !component->m_server && !component->m_released;
        if (made)
            component->m_server = new CUserInterfaceServer_VANTREL_KXE(component);
    }
    if (made)
        component->loadAddOns();
    std::shared_ptr<TLatch_VANTREL_KXE> latch = component->m_serverLatch;
    QMutexLocker lock(&latch->mutex);
    latch->done = true;
    latch->condition.wakeAll();
}
