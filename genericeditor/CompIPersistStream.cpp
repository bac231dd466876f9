#include "CompIPersistStream.h"

CompIPersistStream::CompIPersistStream(IUnknown* outer, const Y_GUID& factoryId, bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IPersistStream, outer, factoryId, registration)
{
}

CompIPersistStream::~CompIPersistStream() = default;

int32_t CompIPersistStream::GetClassID(Y_GUID* classId)
{
    if (!classId)
        return NS_MPStatus::invalidArgument;
    *classId = NS_HostIds::CLSID_Component;
    return NS_MPStatus::ok;
}

int32_t CompIPersistStream::IsDirty()
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPersistStream::Load(IStream*)
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPersistStream::Save(IStream*, bool)
{
    return NS_MPStatus::notImplemented;
}

int32_t CompIPersistStream::GetSizeMax(ULARGE_INTEGER*)
{
    return NS_MPStatus::notImplemented;
}
