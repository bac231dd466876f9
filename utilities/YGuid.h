#pragma once
// 128-bit identifier of interfaces, factories, classes and ports.
#include "vantrel_kxe21_utilities_export.h"
#include <QUuid>
#include <cstdint>
#include <cstring>

#pragma pack(push, 1)
struct Y_GUID
{
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {0, 0, 0, 0, 0, 0, 0, 0};

    Y_GUID() = default;
    // Stores the eleven values in field order, unchanged.
    Y_GUID(uint32_t d1, uint16_t d2, uint16_t d3, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3,
           uint8_t b4, uint8_t b5, uint8_t b6, uint8_t b7)
        : Data1(d1), Data2(d2), Data3(d3), Data4{b0, b1, b2, b3, b4, b5, b6, b7}
    {
    }

    bool operator==(const Y_GUID& o) const { return std::memcmp(this, &o, sizeof(Y_GUID)) == 0; }
    bool operator!=(const Y_GUID& o) const { return !(*this == o); }
};
#pragma pack(pop)
static_assert(sizeof(Y_GUID) == 16, "Y_GUID is 16 bytes");

// The 16 bytes of a Y_GUID in memory are the identifier's bytes in text order.
VANTREL_UTILITIES_EXPORT QUuid Guid2QUuid(const Y_GUID& guid);
VANTREL_UTILITIES_EXPORT Y_GUID QUuid2Guid(const QUuid& uuid);
