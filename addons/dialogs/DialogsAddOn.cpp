#include "DialogsAddOn.h"
#include "CTovarDialog.h"
#include "DialogsEditorRegistry.h"
#include "DialogsEditorTable.h"
#include "DialogsIds.h"
#include "DialogsLogging.h"
#include "FileIEditorExtensions.h"
#include "ToolbarIEditorExtensions.h"
#include "console/memapi/TovarIMemAPI.h"
#include "memapi/IMemAPI.h"
#include "platform/PlatformPlugInRegistry.h"
#include "utilities/Atomic.h"
#include "utilities/ComPrintf.h"
#include "utilities/HelpLauncher.h"
#include "utilities/interfaces/IClientServices.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include <QCoreApplication>
#include <QKeySequence>
#include <QMainWindow>
#include <QMdiArea>
#include <QSettings>
#include <QTimer>
#include <new>

using namespace NS_DialogsIds;

const Y_GUID DialogsAddOn::guid = NS_AddOnIds::DialogsAddOn;

namespace {

// The plug-in bundle the help manual lies in: the component's.
const QString kBundleIdentifier = QStringLiteral("org.tovar.vantrel.kxe21");
// The preset receive dialog opens this long after the saved windows.
constexpr int kPresetReceiveDelayMs = 250;
// A file command runs this long after it was made, once the menu has closed.
constexpr int kFileCommandDelayMs = 50;

void setStatus(int32_t* status, int32_t value)
{
    if (status)
        *status = value;
}

} // namespace

IGenericEditorPluginInterface* TDialogsAddOnLink::addOn() const
{
    return get();
}

DialogsAddOn::DialogsAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration)
    : m_outer(outer), m_alive(std::make_shared<std::atomic<DialogsAddOn*>>(this)),
      m_helpers(std::make_unique<QObject>())
{
    if (registration) {
        m_factoryId = Guid2QUuid(factoryId);
        NS_Platform::PlatformPlugInRegistry::addInstanceForFactory(m_factoryId);
    }
}

DialogsAddOn::~DialogsAddOn()
{
    // Windows and pending helpers ask their link from now on and find nothing.
    m_alive->store(nullptr);
}

QUuid DialogsAddOn::moduleId()
{
    return Guid2QUuid(guid);
}

int32_t DialogsAddOn::QueryInterface(const Y_GUID& iid, void** out)
{
    if (m_outer)
        return m_outer->QueryInterface(iid, out);
    return NonDelegatingQueryInterface(iid, out);
}

uint32_t DialogsAddOn::AddRef()
{
    if (m_outer)
        return m_outer->AddRef();
    return NonDelegatingAddRef();
}

uint32_t DialogsAddOn::Release()
{
    // An aggregated object's references count on its outer, which lets this object go
    // through NonDelegatingRelease: the outer's memory is never read here.
    if (m_outer)
        return m_outer->Release();
    return NonDelegatingRelease();
}

int32_t DialogsAddOn::NonDelegatingQueryInterface(const Y_GUID& iid, void** out)
{
    if (!out)
        return NS_MPStatus::invalidArgument;
    if (iid == NS_HostIds::IID_IUnknown || iid == NS_HostIds::IID_IGenericEditorPluginInterface) {
        NonDelegatingAddRef();
        *out = static_cast<IGenericEditorPluginInterface*>(this);
        return NS_MPStatus::ok;
    }
    *out = nullptr;
    return NS_MPStatus::noInterface;
}

uint32_t DialogsAddOn::NonDelegatingAddRef()
{
    const int32_t count = InterlockedExchangeAdd(&m_refs, 1) + 1;
    COMPRINTF("DialogsAddOn:: AddRef() yields:%ld", long(count));
    return uint32_t(count);
}

uint32_t DialogsAddOn::NonDelegatingRelease()
{
    const int32_t count = InterlockedExchangeAdd(&m_refs, -1) - 1;
    COMPRINTF("DialogsAddOn::Release() yields:%ld", long(count));
    Q_ASSERT(count >= 0);
    if (count == 0) {
        const QUuid factoryId = m_factoryId;
        delete this;
        if (!factoryId.isNull())
            NS_Platform::PlatformPlugInRegistry::removeInstanceForFactory(factoryId);
    }
    return uint32_t(count);
}

int32_t DialogsAddOn::GP_initialize(IMemAPI* api, IClientServices* services)
{
    // The images were registered by name when the library was loaded.
    m_api = api;
    m_services = services;
    const QSettings settings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication());
    CDial_VANTREL_KXE::setVerticalMode(settings.value(QLatin1String(NS_TovarMemAPI::kKeyVerticalDials), 0).toInt() == 1);
    if (m_services && m_api) {
        m_services->CS_updatePortInformation();
        m_api->MAPI_setPortsFromPreferences();
    }
    return NS_MPStatus::ok;
}

int32_t DialogsAddOn::GP_terminate()
{
    return NS_MPStatus::ok;
}

int32_t DialogsAddOn::GP_uiEvent(unsigned int event)
{
    switch (event) {
    case 0:
        if (m_services) {
            QWidget* window = nullptr;
            m_services->CS_openEditor(moduleId(), kToolbar, &window, nullptr, true);
        }
        break;
    case 1:
        if (m_api && m_services) {
            QWidget* toolbar = nullptr;
            m_services->CS_isEditorOpened(moduleId(), kToolbar, &toolbar);
            if (QWidget* main = mainWindow(); main && toolbar)
                main->removeEventFilter(toolbar);
        }
        break;
    case 2: {
        qCDebug(lcDialogs) << "saved windows reopened: preset receive step in" << kPresetReceiveDelayMs << "ms";
        auto* helper = new DialogsAddOnHelper(link());
        helper->setParent(m_helpers.get());
        QTimer::singleShot(kPresetReceiveDelayMs, helper, &DialogsAddOnHelper::performAction);
        break;
    }
    default:
        break;
    }
    return NS_MPStatus::ok;
}

int DialogsAddOn::GP_editorCount(int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    return kEditorCount;
}

TGP_Information* DialogsAddOn::GP_inforamtion(int id, int32_t* status)
{
    auto* info = new (std::nothrow) TGP_Information;
    if (!info) {
        setStatus(status, NS_MPStatus::failure);
        return nullptr;
    }
    info->moduleId = moduleId();
    NS_DialogsTable::describe(id, info);
    setStatus(status, NS_MPStatus::ok);
    return info;
}

int32_t DialogsAddOn::GP_releaseInformation(TGP_Information* info)
{
    if (!info)
        return NS_MPStatus::failure;
    QString* name = info->name;
    QKeySequence* accelerator = info->accelerator;
    QString* menuPath = info->menuPath;
    info->name = nullptr;
    info->accelerator = nullptr;
    info->menuPath = nullptr;
    delete name;
    delete accelerator;
    delete menuPath;
    delete info;
    return NS_MPStatus::ok;
}

QWidget* DialogsAddOn::mainWindow() const
{
    QMdiArea* workspace = m_api ? m_api->MAPI_workspace(nullptr) : nullptr;
    return workspace ? workspace->parentWidget() : nullptr;
}

QWidget* DialogsAddOn::GP_create(int id, int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    switch (id) {
    case kManual: {
        QString bundle = kBundleIdentifier;
        NS_Utilities::ShowHelpDocumentation(QCoreApplication::translate("@default", "TOVAR-VANTREL Quillon"), nullptr,
                                            QCoreApplication::translate("@default", "Manual.pdf"), &bundle,
                                            NS_DialogsFrame::prompterOf(m_api));
        return nullptr;
    }
    case kToolbar:
        return createToolbar();
    case kFileNew:
    case kFileOpen:
    case kFileImport:
    case kFileSave:
    case kFileSaveAs:
        runFileCommand(id);
        return nullptr;
    case kClose:
        if (m_services)
            m_services->CS_closeParent();
        return nullptr;
    default:
        break;
    }
    if (TDialogsCreator creator = NS_DialogsRegistry::creatorOf(id)) {
        TDialogsCreateContext context;
        context.addOn = link();
        context.services = m_services;
        context.api = m_api;
        context.parent = mainWindow();
        context.id = id;
        return creator(context);
    }
    qCDebug(lcDialogs) << "editor" << id << "makes nothing";
    return nullptr;
}

QWidget* DialogsAddOn::createToolbar()
{
    if (m_toolbar)
        return nullptr;
    auto* toolbar = new ToolbarIEditorExtensions(link(), m_services, qobject_cast<QMainWindow*>(mainWindow()));
    m_toolbar = toolbar;
    if (m_api) {
        m_api->MAPI_signalSlot(SIGNAL(currentFileNameChanged(const QString&)), toolbar,
                               SLOT(SetDisplayString(const QString&)), true);
        m_api->MAPI_signalSlot(SIGNAL(onDirty(bool)), toolbar, SLOT(OnDirty(bool)), true);
        m_api->MAPI_signalSlot(SIGNAL(enterCompareMode(bool)), toolbar, SLOT(OnEnterCompareMode(bool)), true);
    }
    return toolbar;
}

void DialogsAddOn::runFileCommand(int id)
{
    FileIEditorExtensions::SaveType type = FileIEditorExtensions::New;
    switch (id) {
    case kFileOpen:
        type = FileIEditorExtensions::Open;
        break;
    case kFileImport:
        type = FileIEditorExtensions::Import;
        break;
    case kFileSave:
        type = FileIEditorExtensions::Save;
        break;
    case kFileSaveAs:
        type = FileIEditorExtensions::SaveAs;
        break;
    default:
        break;
    }
    auto* command = new FileIEditorExtensions(type, link(), mainWindow());
    command->EX_postInitialize(m_api);
    QTimer::singleShot(kFileCommandDelayMs, command, &FileIEditorExtensions::EX_execute);
}

IEditorExtensions* DialogsAddOn::GP_extension(QWidget* window, int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    return dynamic_cast<IEditorExtensions*>(window);
}

void DialogsAddOn::do_openPRESETRECEIVEDIALOG()
{
    if (!m_services)
        return;
    qCDebug(lcDialogs) << "opening the preset receive dialog";
    QWidget* window = nullptr;
    m_services->CS_openEditor(moduleId(), kPresetReceive, &window, nullptr, true);
}

void DialogsAddOnHelper::performAction()
{
    if (DialogsAddOn* addOn = m_addOn.get())
        addOn->do_openPRESETRECEIVEDIALOG();
    deleteLater();
}

// The one function the library exports: everything else stays hidden, so the component
// reaches the add-on only through this factory and the interfaces it answers.
extern "C" __attribute__((visibility("default"))) IGenericEditorPluginInterface* tovar_vantrel_kxe_factory()
{
    // Not aggregated and not registered: the component holds it by its count alone.
    return new DialogsAddOn(nullptr, NS_HostIds::IID_IUnknown, false);
}
