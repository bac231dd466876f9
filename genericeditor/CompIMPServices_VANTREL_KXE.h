#pragma once
// The component's recall and information services, aggregated by the component.
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include <QString>

class CompIMPInitialise_VANTREL_KXE;


class CompIMPServices_VANTREL_KXE : public TCompObject_VANTREL_KXE<IMPServices>
{
public:
    CompIMPServices_VANTREL_KXE(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    int32_t MPRecall(bool upload, IMPClientProgressHandler* handler, uint32_t features) override;
    int32_t MPTranslateErrorCode(int32_t code, uint16_t** text) override;
    int32_t MPTerminateRecall() override;
    int32_t MPImageURL(uint16_t** off, uint16_t** on) override;
    int32_t MPRecallFeatureSet(uint32_t* count, uint16_t** names, uint32_t* current, bool* offline,
                               uint32_t* reserved) override;

    // The folder part of the component bundle's resources path.
    static QString moduleLocation();

protected:
    ~CompIMPServices_VANTREL_KXE() override;

private:
    CompIMPInitialise_VANTREL_KXE* component() const;
};
