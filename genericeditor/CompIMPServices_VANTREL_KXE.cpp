#include "CompIMPServices_VANTREL_KXE.h"

CompIMPServices_VANTREL_KXE::CompIMPServices_VANTREL_KXE(IUnknown* outer, const Y_GUID& factoryId,
                                                         bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IMPServices, outer, factoryId, registration)
{
}

CompIMPServices_VANTREL_KXE::~CompIMPServices_VANTREL_KXE() = default;

int32_t CompIMPServices_VANTREL_KXE::MPRecall(bool, IMPClientProgressHandler*, uint32_t)
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIMPServices_VANTREL_KXE::MPTranslateErrorCode(int32_t, uint16_t** text)
{
    if (text)
        *text = nullptr;
    return NS_MPStatus::notImplemented;
}

int32_t CompIMPServices_VANTREL_KXE::MPTerminateRecall()
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIMPServices_VANTREL_KXE::MPImageURL(uint16_t** off, uint16_t** on)
{
    if (off)
        *off = nullptr;
    if (on)
        *on = nullptr;
    return NS_MPStatus::notImplemented;
}

int32_t CompIMPServices_VANTREL_KXE::MPRecallFeatureSet(uint32_t*, uint16_t**, uint32_t*, bool*,
                                                        uint32_t*)
{
    return NS_MPStatus::notImplemented;
}
