#include "TTovarAddOn.h"
#include "platform/PlatformPlugInRegistry.h"
#include "utilities/Atomic.h"
#include "utilities/ComPrintf.h"
#include <QKeySequence>
#include <QScrollArea>
#include <QString>

using NS_AddOnShell::setStatus;

TTovarAddOn::TTovarAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration)
    : m_outer(outer), m_alive(std::make_shared<std::atomic<TTovarAddOn*>>(this))
{
    if (registration) {
        m_factoryId = Guid2QUuid(factoryId);
        NS_Platform::PlatformPlugInRegistry::addInstanceForFactory(m_factoryId);
    }
}

TTovarAddOn::~TTovarAddOn()
{
    // Windows made by this add-on ask their link from now on and find nothing.
    m_alive->store(nullptr);
}

QUuid TTovarAddOn::moduleId() const
{
    return Guid2QUuid(moduleGuid());
}

int32_t TTovarAddOn::QueryInterface(const Y_GUID& iid, void** out)
{
    if (m_outer)
        return m_outer->QueryInterface(iid, out);
    return NonDelegatingQueryInterface(iid, out);
}

uint32_t TTovarAddOn::AddRef()
{
    if (m_outer)
        return m_outer->AddRef();
    return NonDelegatingAddRef();
}

uint32_t TTovarAddOn::Release()
{
    // An aggregated object's references all count on its outer; the outer lets this
    // object go through NonDelegatingRelease, so nothing here needs to guess the
    // outer's count from its memory.
    if (m_outer)
        return m_outer->Release();
    return NonDelegatingRelease();
}

int32_t TTovarAddOn::NonDelegatingQueryInterface(const Y_GUID& iid, void** out)
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

uint32_t TTovarAddOn::NonDelegatingAddRef()
{
    const int32_t count = InterlockedExchangeAdd(&m_refs, 1) + 1;
    COMPRINTF("%s::AddRef() yields:%ld", traceName(), long(count));
    return uint32_t(count);
}

uint32_t TTovarAddOn::NonDelegatingRelease()
{
    const int32_t count = InterlockedExchangeAdd(&m_refs, -1) - 1;
    COMPRINTF("%s::Release() yields:%ld", traceName(), long(count));
    Q_ASSERT(count >= 0);
    if (count == 0) {
        const QUuid factoryId = m_factoryId;
        delete this;
        if (!factoryId.isNull())
            NS_Platform::PlatformPlugInRegistry::removeInstanceForFactory(factoryId);
    }
    return uint32_t(count);
}

int32_t TTovarAddOn::GP_initialize(IMemAPI*, IClientServices* services)
{
    // The library's images were registered by name when it was loaded (its generated
    // image source); there is nothing left to install.
    m_services = services;
    return NS_MPStatus::ok;
}

int32_t TTovarAddOn::GP_terminate()
{
    return NS_MPStatus::ok;
}

int32_t TTovarAddOn::GP_uiEvent(unsigned int)
{
    return NS_MPStatus::ok;
}

TGP_Information* TTovarAddOn::newInformation() const
{
    auto* info = new TGP_Information;
    info->moduleId = moduleId();
    return info;
}

int32_t TTovarAddOn::GP_releaseInformation(TGP_Information* info)
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

IEditorExtensions* TTovarAddOn::GP_extension(QWidget* window, int32_t* status)
{
    setStatus(status, NS_MPStatus::ok);
    auto* frame = qobject_cast<QScrollArea*>(window);
    if (!frame)
        return nullptr;
    if (QWidget* view = frame->widget())
        return extensionsOfView(view);
    const QObjectList children = frame->viewport()->children();
    return children.isEmpty() ? nullptr : extensionsOfView(children.first());
}
