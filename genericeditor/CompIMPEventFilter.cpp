#include "CompIMPEventFilter.h"
#include "CompIMPInitialise_VANTREL_KXE.h"

CompIMPEventFilter::CompIMPEventFilter(IUnknown* outer, const Y_GUID& factoryId, bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IMPEventFilter, outer, factoryId, registration)
{
}

// The intake stops its pump before it goes.
CompIMPEventFilter::~CompIMPEventFilter() = default;

int32_t CompIMPEventFilter::MPOnEvents(IMPEventQueue* queue, const tagMPQSTATUS& status)
{
    if (!m_intake.memAPI()) {
        // Taken from the component when the connect has not handed it over yet.
        if (auto* component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(outer()))
            m_intake.setMemAPI(component->memAPI());
    }
    if (!m_intake.memAPI())
        return NS_MPStatus::failure;
    m_intake.onEvents(queue, status);
    return NS_MPStatus::ok;
}

int32_t CompIMPEventFilter::MPGetSupportedTimeFormats(_MPTIME_FORMAT* preferred,
                                                      _MPTIME_FORMAT* other, uint32_t* formats)
{
    if (preferred)
        *preferred = _MPTIME_FORMAT(2);
    if (other)
        *other = _MPTIME_FORMAT(2);
    if (formats)
        *formats = 7;
    return NS_MPStatus::ok;
}

int32_t CompIMPEventFilter::MPSetTimeFormat(_MPTIME_FORMAT format)
{
    return (uint32_t(format) & 7u) ? NS_MPStatus::ok : NS_MPStatus::failure;
}
