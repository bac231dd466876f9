#pragma once
// Optional interface of an object made through the plug-in service: it is told which
// factory and type it was made for before anyone else sees it.
#include "utilities/interfaces/IUnknown.h"

// 814B47E3-F1BF-4F0B-BFA4-2F52C04383B7, its bytes in text order.
inline const Y_GUID IID_IPlugInInstance =
    QUuid2Guid(QUuid(0x814B47E3, 0xF1BF, 0x4F0B, 0xBF, 0xA4, 0x2F, 0x52, 0xC0, 0x43, 0x83, 0xB7));

class VANTREL_UTILITIES_EXPORT IPlugInInstance : public IUnknown
{
public:
    // A negative status makes the creation fail and the object be released.
    virtual int32_t setup(const Y_GUID& factory, const Y_GUID& type) = 0;

protected:
    ~IPlugInInstance() = default;
};
