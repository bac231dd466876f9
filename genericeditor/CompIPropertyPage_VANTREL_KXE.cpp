#include "CompIPropertyPage_VANTREL_KXE.h"

CompIPropertyPage_VANTREL_KXE::CompIPropertyPage_VANTREL_KXE(IUnknown* outer,
                                                             const Y_GUID& factoryId,
                                                             bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IPropertyPage, outer, factoryId, registration)
{
}

CompIPropertyPage_VANTREL_KXE::~CompIPropertyPage_VANTREL_KXE() = default;

int32_t CompIPropertyPage_VANTREL_KXE::SetPageSite(IPropertyPageSite*)
{
    return NS_MPStatus::ok; // the site is not used
}

int32_t CompIPropertyPage_VANTREL_KXE::Activate(WId, const tagRECT*, bool)
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPropertyPage_VANTREL_KXE::Deactivate()
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPropertyPage_VANTREL_KXE::GetPageInfo(tagPROPPAGEINFO*)
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPropertyPage_VANTREL_KXE::SetObjects(uint32_t, IUnknown**)
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPropertyPage_VANTREL_KXE::Show(uint32_t)
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPropertyPage_VANTREL_KXE::Move(const tagRECT*)
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPropertyPage_VANTREL_KXE::IsPageDirty()
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPropertyPage_VANTREL_KXE::Apply()
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPropertyPage_VANTREL_KXE::Help(const uint16_t*)
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPropertyPage_VANTREL_KXE::TranslateAccelerator(void*)
{
    return NS_MPStatus::notImplemented;
}
