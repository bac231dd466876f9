#include "CompIMPNotificationSink.h"

CompIMPNotificationSink::CompIMPNotificationSink(IUnknown* outer, const Y_GUID& factoryId,
                                                 bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IMPNotificationSink, outer, factoryId, registration)
{
}

CompIMPNotificationSink::~CompIMPNotificationSink() = default;

int32_t CompIMPNotificationSink::MPNotify(const tagMPMSG&)
{
    return NS_MPStatus::notImplemented;
}
