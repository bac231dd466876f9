#pragma once
// Names the editor's property page to the host, aggregated by the component.
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"


class CompISpecifyPropertyPages : public TCompObject_VANTREL_KXE<ISpecifyPropertyPages>
{
public:
    CompISpecifyPropertyPages(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    // One identifier, the property page's class; pElems is malloc'd.
    int32_t GetPages(tagCAUUID* pages) override;

protected:
    ~CompISpecifyPropertyPages() override;
};
