#pragma once
// The table of symbolic names: groups of named parameters that named addresses
// such as "FEkMixPart/kPartPan" refer to. Built once, never changed afterwards.
#include "vantrel_kxe21_console_export.h"
#include <QString>
#include <QStringList>
#include <cstdint>

namespace NS_LookupUtility {

// One row of a group. An element above 255 packs element << 8 | channel.
struct valentry
{
    const char* name;
    int16_t element;
    int16_t parameter;
    uint16_t kind;
};

// A lookup result; all 0 when nothing was found.
struct element_s
{
    int16_t element = 0;
    uint8_t parameter = 0;
    uint8_t kind = 0;
};

// Any thread; counted under the utility's own mutex. The table itself is
// read-only, so lookups take no lock and work whether or not it is counted.
VANTREL_CONSOLE_EXPORT void AddRef();
VANTREL_CONSOLE_EXPORT void Release();
VANTREL_CONSOLE_EXPORT void initializeLookup();
VANTREL_CONSOLE_EXPORT void terminateLookup();
VANTREL_CONSOLE_EXPORT bool inUse();

// The named row of the group (its first row without a parameter name); false when
// the group or the row is not there. Null texts find nothing.
VANTREL_CONSOLE_EXPORT bool lookup(element_s& out, const char* group, const char* param);
// The full row, parameter as 16 bits; null when not found.
VANTREL_CONSOLE_EXPORT const valentry* lookupRow(const char* group, const char* param);
// The first group (in name order) whose first row has in's element and kind, and
// its row at position in.parameter.
VANTREL_CONSOLE_EXPORT bool reverselookup(const element_s& in, QString& group, QString& param);
// Every group name, in name order.
VANTREL_CONSOLE_EXPORT QStringList groupNames();

} // namespace NS_LookupUtility
