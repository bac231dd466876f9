#pragma once
// Base of every component object: identity by 128-bit identifier and reference counting.
#include "utilities/YGuid.h"
#include "vantrel_kxe21_utilities_export.h"
#include <cstdint>

class VANTREL_UTILITIES_EXPORT IUnknown
{
public:
    // Sets *object to the interface with that identifier (counted) or null; 0 or a
    // negative status (0x80000004 when the interface is not supported).
    virtual int32_t QueryInterface(const Y_GUID& iid, void** object) = 0;
    // Any thread; atomic. Return the new count.
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    // Objects are destroyed by their last Release, never through this interface.
    ~IUnknown() = default;
};
