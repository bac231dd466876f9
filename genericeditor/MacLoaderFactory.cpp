// The component library's entry point.
#include "CompIMPInitialise_VANTREL_KXE.h"
#include "CompIPropertyPage_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"

namespace {
// Neither object registers with the plug-in service: the host counts them itself.
IUnknown* MyFactoryFunction(void*, const Y_GUID* type)
{
    if (!type)
        return nullptr;
    if (*type == NS_HostIds::IID_IPropertyPage)
        return static_cast<IPropertyPage*>(
            new CompIPropertyPage_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false));
    if (*type == NS_HostIds::IID_IMPInitialise)
        return static_cast<IMPInitialise*>(
            new CompIMPInitialise_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false));
    return nullptr;
}
} // namespace

extern "C" __attribute__((visibility("default"))) IUnknown* MacLoaderFactory(void* allocator,
                                                                           const Y_GUID* type)
{
    return MyFactoryFunction(allocator, type);
}
