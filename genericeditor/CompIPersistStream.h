#pragma once
// The document in the host's project stream, aggregated by the component.
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"


class CompIPersistStream : public TCompObject_VANTREL_KXE<IPersistStream>
{
public:
    CompIPersistStream(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    // The component's class identifier.
    int32_t GetClassID(Y_GUID* classId) override;
    int32_t IsDirty() override;
    int32_t Load(IStream* stream) override;
    int32_t Save(IStream* stream, bool clearDirty) override;
    int32_t GetSizeMax(ULARGE_INTEGER* size) override;

protected:
    ~CompIPersistStream() override;
};
