#include "CompIMPEventFilter.h"

CompIMPEventFilter::CompIMPEventFilter(IUnknown* outer, const Y_GUID& factoryId, bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IMPEventFilter, outer, factoryId, registration)
{
}

// The intake stops its pump before it goes.
CompIMPEventFilter::~CompIMPEventFilter() = default;

int32_t CompIMPEventFilter::MPOnEvents(IMPEventQueue* queue, const tagMPQSTATUS& status)
{
    if (!queue)
        return NS_MPStatus::invalidArgument;
    return m_intake.onEvents(queue, status);
}

int32_t CompIMPEventFilter::MPGetSupportedTimeFormats(_MPTIME_FORMAT*, _MPTIME_FORMAT*, uint32_t*)
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIMPEventFilter::MPSetTimeFormat(_MPTIME_FORMAT)
{
    return NS_MPStatus::notImplemented;
}
