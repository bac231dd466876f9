#pragma once
// Host notifications, aggregated by the component. A change of the host's MIDI ports
// is handled here, on the GUI thread; everything else goes to the memory API.
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"

class CompIMPInitialise_VANTREL_KXE;
class QObject;

class CompIMPNotificationSink : public TCompObject_VANTREL_KXE<IMPNotificationSink>
{
public:
    CompIMPNotificationSink(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    // Any thread. Ports changed: handled at once on the GUI thread, else posted
    // there and 1 returned.
    int32_t MPNotify(const tagMPMSG& message) override;

    // GUI thread. Every bridge re-reads the host's ports and selects its ports
    // again; 0 when there was a bridge, else 1.
    int32_t doPortsChanged();

protected:
    ~CompIMPNotificationSink() override;

private:
    static void doPortsChanged_bridge(QObject* wrapper);
    CompIMPInitialise_VANTREL_KXE* component() const;
};
