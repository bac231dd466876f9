#include "CompIMPEditorWindows_VANTREL_KXE.h"
#include "CUserInterfaceServer_VANTREL_KXE.h"
#include "CompIPropertyPage_VANTREL_KXE.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "utilities/ThreadUtilities.h"

CompIMPEditorWindows_VANTREL_KXE::CompIMPEditorWindows_VANTREL_KXE(CompIPropertyPage_VANTREL_KXE* page)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IMPEditorWindows, nullptr, NS_HostIds::IID_IUnknown, false),
      m_page(page)
{
    static_cast<IPropertyPage*>(m_page)->AddRef();
}

CompIMPEditorWindows_VANTREL_KXE::~CompIMPEditorWindows_VANTREL_KXE()
{
    static_cast<IPropertyPage*>(m_page)->Release();
}

int32_t CompIMPEditorWindows_VANTREL_KXE::MPOpenEditor(const Y_GUID& module, int32_t id, bool show)
{
    CUserInterfaceServer_VANTREL_KXE* server = m_page->ui();
    if (!NS_Utilities::mainThreadRunning() || !server)
        return NS_MPStatus::failure;
    QWidget* window = nullptr;
    return server->CS_openEditor(Guid2QUuid(module), id, &window, nullptr, show);
}

int32_t CompIMPEditorWindows_VANTREL_KXE::MPEditorWindow(const Y_GUID& module, int32_t createId,
                                                         QWidget** window)
{
    if (!window)
        return NS_MPStatus::invalidArgument;
    *window = nullptr;
    CUserInterfaceServer_VANTREL_KXE* server = m_page->ui();
    if (!NS_Utilities::mainThreadRunning() || !server)
        return NS_MPStatus::failure;
    // An id below 1 names no window; that is an answer, not a fault.
    if (createId >= 1)
        server->CS_isEditorOpened(Guid2QUuid(module), createId, window);
    return NS_MPStatus::ok;
}

int32_t CompIMPEditorWindows_VANTREL_KXE::MPEditorCount(const Y_GUID& module, int32_t* count)
{
    if (!count)
        return NS_MPStatus::invalidArgument;
    *count = 0;
    CUserInterfaceServer_VANTREL_KXE* server = m_page->ui();
    if (!NS_Utilities::mainThreadRunning() || !server)
        return NS_MPStatus::failure;
    IUnknown* object = nullptr;
    if (server->CS_iUnk(Guid2QUuid(module), &object) != NS_MPStatus::ok || !object)
        return NS_MPStatus::failure;
    void* addOn = nullptr;
    if (object->QueryInterface(NS_HostIds::IID_IGenericEditorPluginInterface, &addOn) != NS_MPStatus::ok
        || !addOn)
        return NS_MPStatus::failure;
    auto* plugin = static_cast<IGenericEditorPluginInterface*>(addOn);
    *count = plugin->GP_editorCount(nullptr);
    plugin->Release();
    return NS_MPStatus::ok;
}
