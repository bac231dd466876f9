#include "CompIPropertyPageList.h"
#include <cstdlib>

CompISpecifyPropertyPages::CompISpecifyPropertyPages(IUnknown* outer, const Y_GUID& factoryId,
                                                     bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_ISpecifyPropertyPages, outer, factoryId, registration)
{
}

CompISpecifyPropertyPages::~CompISpecifyPropertyPages() = default;

int32_t CompISpecifyPropertyPages::GetPages(tagCAUUID* pages)
{
    if (!pages)
        return NS_MPStatus::outOfMemory;
    pages->cElems = 0;
    pages->pElems = static_cast<Y_GUID*>(std::malloc(sizeof(Y_GUID)));
    if (!pages->pElems)
        return NS_MPStatus::outOfMemory;
    pages->pElems[0] = NS_HostIds::CLSID_PropertyPage;
    pages->cElems = 1;
    return NS_MPStatus::ok;
}
