#pragma once
// The editor's page in the host's window; a top-level object of its own.
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"


class CompIPropertyPage_VANTREL_KXE : public TCompObject_VANTREL_KXE<IPropertyPage>
{
public:
    CompIPropertyPage_VANTREL_KXE(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    int32_t SetPageSite(IPropertyPageSite* site) override;
    int32_t Activate(WId hostWindow, const tagRECT* rect, bool modal) override;
    int32_t Deactivate() override;
    int32_t GetPageInfo(tagPROPPAGEINFO* info) override;
    int32_t SetObjects(uint32_t count, IUnknown** objects) override;
    int32_t Show(uint32_t code) override;
    int32_t Move(const tagRECT* rect) override;
    int32_t IsPageDirty() override;
    int32_t Apply() override;
    int32_t Help(const uint16_t* helpDir) override;
    int32_t TranslateAccelerator(void* message) override;

protected:
    ~CompIPropertyPage_VANTREL_KXE() override;
};
