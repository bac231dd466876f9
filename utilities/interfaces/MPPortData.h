#pragma once
// The plain port list handed between libraries and to the host. The records are
// laid out for this build's pointer size; code sizes them with sizeof only.
#include "utilities/YGuid.h"
#include <cstddef>
#include <cstdint>

// One port. The name is a zero-terminated UTF-16 copy allocated with malloc.
struct tagMPPORTENTRY
{
    int32_t portNumber;
    Y_GUID portId;
    unsigned short* portName;
};
static_assert(offsetof(tagMPPORTENTRY, portNumber) == 0, "port number first");
static_assert(offsetof(tagMPPORTENTRY, portId) == 4, "identifier follows the number");
static_assert(offsetof(tagMPPORTENTRY, portName) == (sizeof(void*) == 8 ? 24 : 20),
              "name pointer after the identifier, at its natural alignment");
static_assert(sizeof(void*) != 8 || sizeof(tagMPPORTENTRY) == 32, "32 bytes on 64-bit");

// A port list: count records in a malloc'd array (null when count is 0). Whoever
// receives a filled list frees every name, then the array, with free.
struct tagMPPORTDATA
{
    int32_t count;
    tagMPPORTENTRY* entries;
};
static_assert(offsetof(tagMPPORTDATA, entries) == sizeof(void*), "entries at pointer alignment");
