#include "CompIPropertyPage_VANTREL_KXE.h"
#include "CompIMPEditorWindows_VANTREL_KXE.h"
#include "CUserInterfaceServer_VANTREL_KXE.h"
#include "CompIMPInitialise_VANTREL_KXE.h"
#include "TSimpleMarshaller_VANTREL_KXE.h"
#include "appserver/CAppServer.h"
#include "appserver/HostWindowWrapper.h"
#include "memapi/IMemAPI.h"
#include "utilities/ThreadUtilities.h"
#include "utilities/WideString.h"
#include <QMdiArea>
#include <QMenuBar>
#include <cstdlib>

const Y_GUID CompIPropertyPage_VANTREL_KXE::guid = NS_HostIds::CLSID_PropertyPage;

namespace {

const char kPageTitle[] = "TOVAR-VANTREL (Multi)";

// Page calls made off the GUI thread, run there in posting order.
class PagePacket : public TSimpleMarshaller_VANTREL_KXE
{
public:
    enum Kind { Activate, Show, Move, RemoveUI };

    PagePacket(CompIPropertyPage_VANTREL_KXE* page, Kind kind)
        : TSimpleMarshaller_VANTREL_KXE(static_cast<IPropertyPage*>(page)), m_kind(kind)
    {
    }
    WId window = 0;
    tagRECT rect{0, 0, 0, 0};
    uint32_t code = 0;

protected:
    bool marshall() override
    {
        auto* page = static_cast<CompIPropertyPage_VANTREL_KXE*>(
            static_cast<IPropertyPage*>(rawTarget()));
        switch (m_kind) {
        case Activate:
            m_status = page->doActivate(window, rect);
            break;
        case Show:
            m_status = page->doShow(code);
            break;
        case Move:
            m_status = page->doMove(rect);
            break;
        case RemoveUI:
            page->removeUI();
            break;
        }
        return true;
    }

private:
    Kind m_kind;
};

} // namespace

CompIPropertyPage_VANTREL_KXE::CompIPropertyPage_VANTREL_KXE(IUnknown* outer,
                                                             const Y_GUID& factoryId,
                                                             bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IPropertyPage, outer, factoryId, registration)
{
    m_appServer = CAppServer::Instance();
}

CompIPropertyPage_VANTREL_KXE::~CompIPropertyPage_VANTREL_KXE()
{
    CAppServer::release(m_appServer);
}

void CompIPropertyPage_VANTREL_KXE::destroy()
{
    // Posted from another thread: the packet's reference brought the count back, and
    // its release on the GUI thread destroys the page there once the removal has run.
    if (removeUI())
        return;
    delete this;
}

CUserInterfaceServer_VANTREL_KXE* CompIPropertyPage_VANTREL_KXE::ui() const
{
    return m_component ? m_component->uiServer() : nullptr;
}

CForeignWindowWrapper_VANTREL_KXE* CompIPropertyPage_VANTREL_KXE::wrapper() const
{
    return m_wrapper.data();
}

int32_t CompIPropertyPage_VANTREL_KXE::SetPageSite(IPropertyPageSite*)
{
    return NS_MPStatus::ok; // the site is not used
}

int32_t CompIPropertyPage_VANTREL_KXE::SetObjects(uint32_t count, IUnknown** objects)
{
    if (!objects || count != 1 || !objects[0])
        return NS_MPStatus::ok;
    // Only this library's own component will do: everything later casts to it.
    void* answer = nullptr;
    if (objects[0]->QueryInterface(NS_HostIds::IID_IMPInitialise, &answer) < 0 || !answer)
        return NS_MPStatus::invalidArgument;
    auto* initialise = static_cast<IMPInitialise*>(answer);
    auto* component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(initialise);
    initialise->Release();
    if (!component)
        return NS_MPStatus::invalidArgument;
    // Held while the page uses it, so that a host releasing the component first
    // leaves the page nothing dangling.
    static_cast<IMPInitialise*>(component)->AddRef();
    forgetComponent();
    m_component = component;
    return NS_MPStatus::ok;
}

int32_t CompIPropertyPage_VANTREL_KXE::GetPageInfo(tagPROPPAGEINFO* info)
{
    if (!info)
        return NS_MPStatus::invalidArgument;
    info->cb = sizeof(tagPROPPAGEINFO);
    info->title = CreateOLEString(QString::fromLatin1(kPageTitle));
    info->width = m_component ? m_component->pageWidth() : 996;
    info->height = m_component ? m_component->pageHeight() : 716;
    info->docString = CreateOLEString(QString());
    info->helpFile = CreateOLEString(QString());
    info->helpContext = 0;
    return NS_MPStatus::ok;
}

int32_t CompIPropertyPage_VANTREL_KXE::Activate(WId hostWindow, const tagRECT* rect, bool)
{
    if (NS_Utilities::mainThreadRunning())
        return rect ? doActivate(hostWindow, *rect) : NS_MPStatus::ok;
    if (!rect)
        return NS_MPStatus::ok;
    auto* packet = new PagePacket(this, PagePacket::Activate);
    packet->window = hostWindow;
    packet->rect = *rect;
    packet->post();
    return NS_MPStatus::ok;
}

int32_t CompIPropertyPage_VANTREL_KXE::doActivate(WId hostWindow, const tagRECT& rect)
{
    if (!m_component || m_wrapper)
        return NS_MPStatus::ok;
    const QPoint position(rect.left, rect.top);
    const QSize size(rect.right - rect.left, rect.bottom - rect.top);
    m_wrapper = new CForeignWindowWrapper_VANTREL_KXE(hostWindow, &position, &size);
    CUserInterfaceServer_VANTREL_KXE* server = ui();
    if (!server)
        return NS_MPStatus::ok;
    m_wrapper->setWindowTitle(QString::fromLatin1(kPageTitle));
    QMdiArea* area = m_component->workspace(m_wrapper);
    m_wrapper->setCentralWidget(area);
    server->UI_assignContext(m_wrapper->menuBar(), area);
    m_component->createUIElements(server);
    m_wrapper->show();
    if (area)
        area->show();
    return NS_MPStatus::ok;
}

int32_t CompIPropertyPage_VANTREL_KXE::Deactivate()
{
    removeUI();
    return NS_MPStatus::ok;
}

int32_t CompIPropertyPage_VANTREL_KXE::Show(uint32_t code)
{
    if (NS_Utilities::mainThreadRunning())
        return doShow(code);
    auto* packet = new PagePacket(this, PagePacket::Show);
    packet->code = code;
    packet->post();
    return NS_MPStatus::ok;
}

int32_t CompIPropertyPage_VANTREL_KXE::doShow(uint32_t code)
{
    if (!m_wrapper)
        return NS_MPStatus::unexpected;
    switch (code) {
    case 1:
    case 5:
        m_wrapper->show();
        if (CUserInterfaceServer_VANTREL_KXE* server = ui())
            server->UI_loadUIState();
        return NS_MPStatus::ok;
    case 0:
        m_wrapper->hide();
        return NS_MPStatus::ok;
    default:
        return NS_MPStatus::invalidArgument;
    }
}

int32_t CompIPropertyPage_VANTREL_KXE::Move(const tagRECT* rect)
{
    if (!rect)
        return NS_MPStatus::invalidArgument;
    if (NS_Utilities::mainThreadRunning())
        return doMove(*rect);
    auto* packet = new PagePacket(this, PagePacket::Move);
    packet->rect = *rect;
    packet->post();
    return NS_MPStatus::ok;
}

int32_t CompIPropertyPage_VANTREL_KXE::doMove(const tagRECT& rect)
{
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    if (m_component)
        m_component->setPageSize(width, height);
    if (m_wrapper)
        m_wrapper->resize(width, height);
    return NS_MPStatus::ok;
}

bool CompIPropertyPage_VANTREL_KXE::removeUI()
{
    // Without a dispatcher nothing could run the packet, and a packet that cannot be
    // posted would release the page from inside its own destruction.
    if (!NS_Utilities::mainThreadRunning() && CAppServer::MS()) {
        (new PagePacket(this, PagePacket::RemoveUI))->post();
        return true;
    }
    do_removeUI();
    // Deleting the wrapper deletes its inner window too.
    delete m_wrapper.data();
    forgetComponent();
    return false;
}

void CompIPropertyPage_VANTREL_KXE::forgetComponent()
{
    CompIMPInitialise_VANTREL_KXE* component = m_component;
    m_component = nullptr;
    if (component)
        static_cast<IMPInitialise*>(component)->Release();
}

void CompIPropertyPage_VANTREL_KXE::do_removeUI()
{
    if (!m_removing && m_wrapper && m_component) {
        m_removing = true;
        IMemAPI* api = m_component->memAPI();
        if (api)
            api->MAPI_setIgnoreIntermediateChanges(true);
        m_wrapper->hide();
        if (CUserInterfaceServer_VANTREL_KXE* server = ui()) {
            server->destroyHiddenWindows();
            server->UI_saveUIState();
            server->doCloseAllWindows();
            server->UI_assignContext(nullptr, nullptr);
        }
        m_component->doNotifyAboutUIEvent(1);
        m_component->workspace(nullptr);
        if (api)
            api->MAPI_setIgnoreIntermediateChanges(false);
        m_removing = false;
    }
    if (m_wrapper && m_wrapper->hostWindow() != 0)
        m_wrapper->mySetParent(0, nullptr, nullptr, false);
}

int32_t CompIPropertyPage_VANTREL_KXE::IsPageDirty()
{
    return NS_MPStatus::ok;
}

int32_t CompIPropertyPage_VANTREL_KXE::Apply()
{
    return NS_MPStatus::ok;
}

int32_t CompIPropertyPage_VANTREL_KXE::Help(const uint16_t*)
{
    return NS_MPStatus::ok;
}

int32_t CompIPropertyPage_VANTREL_KXE::NonDelegatingQueryInterface(const Y_GUID& iid, void** out)
{
    if (out && iid == NS_HostIds::IID_IMPEditorWindows) {
        *out = static_cast<IMPEditorWindows*>(new CompIMPEditorWindows_VANTREL_KXE(this));
        return NS_MPStatus::ok;
    }
    return TCompObject_VANTREL_KXE::NonDelegatingQueryInterface(iid, out);
}

int32_t CompIPropertyPage_VANTREL_KXE::TranslateAccelerator(void*)
{
    return NS_MPStatus::notImplemented;
}
