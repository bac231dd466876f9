#pragma once
// Host notifications, aggregated by the component.
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"


class CompIMPNotificationSink : public TCompObject_VANTREL_KXE<IMPNotificationSink>
{
public:
    CompIMPNotificationSink(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    int32_t MPNotify(const tagMPMSG& message) override;

protected:
    ~CompIMPNotificationSink() override;
};
