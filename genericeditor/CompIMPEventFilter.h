#pragma once
// Incoming host MIDI, aggregated by the component: the host's queue is emptied into
// the intake, whose pump hands the events to the port bridges.
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include "MIDIIntake.h"

class CompIMPEventFilter : public TCompObject_VANTREL_KXE<IMPEventFilter>
{
public:
    CompIMPEventFilter(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    int32_t MPOnEvents(IMPEventQueue* queue, const tagMPQSTATUS& status) override;
    int32_t MPGetSupportedTimeFormats(_MPTIME_FORMAT* preferred, _MPTIME_FORMAT* other,
                                      uint32_t* formats) override;
    int32_t MPSetTimeFormat(_MPTIME_FORMAT format) override;

    TMIDIIntake_VANTREL_KXE& intake() { return m_intake; }

protected:
    ~CompIMPEventFilter() override;

private:
    TMIDIIntake_VANTREL_KXE m_intake;
};
