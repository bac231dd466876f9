// The one function an add-on library exports: everything else stays hidden, so the
// component reaches the add-on only through this factory and the interfaces it answers.
#include "TTovarAddOn.h"

extern "C" __attribute__((visibility("default"))) IGenericEditorPluginInterface*
tovar_vantrel_kxe_factory()
{
    // Not aggregated and not registered: the component holds it by its count alone.
    return NS_AddOnShell::makeAddOn(nullptr, NS_HostIds::IID_IUnknown, false);
}
