#include "CreateIUnknown.h"
#include "platform/PlatformPlugInRegistry.h"
#include "utilities/interfaces/IPlugInInstance.h"
#include "utilities/interfaces/IUnknown.h"

IUnknown* CreateIUnknown(const Y_GUID& type, const Y_GUID& factory)
{
    auto* instance = static_cast<IUnknown*>(
        NS_Platform::PlatformPlugInRegistry::createInstance(Guid2QUuid(factory), Guid2QUuid(type)));
    if (!instance)
        return nullptr;
    void* queried = nullptr;
    // An object without the set-up interface is used as it is.
    if (instance->QueryInterface(IID_IPlugInInstance, &queried) < 0)
        return instance;
    auto* setup = static_cast<IPlugInInstance*>(queried);
    if (!setup || setup->setup(factory, type) < 0) {
        if (setup)
            setup->Release();
        instance->Release();
        return nullptr;
    }
    setup->Release();
    return instance;
}
