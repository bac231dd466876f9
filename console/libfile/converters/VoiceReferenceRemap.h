// The wave or voice reference of a converted common part: three bytes at 19-21
// (bank, 0, number after the common part has grown to 82 bytes; a plug-in
// voice holds its bank at 20). Old references are renumbered through a table
// of 14-bit values (bank in bits 7-13, number in bits 0-6).
#pragma once

#include "vantrel_kxe21_console_export.h"

#include <cstdint>

namespace NS_VoiceReference {

constexpr int32_t kUnknown = -1;  // an entry whose new value is not known

struct TReferenceTable {
    const int32_t* values;
    int count;
};

// The 256-entry tables of the oldest voice format and of the .w6e format: the old
// preset arpeggios of banks 0 and 1.
VANTREL_CONSOLE_EXPORT TReferenceTable w2eTable();
VANTREL_CONSOLE_EXPORT TReferenceTable w6eTable();

// Rewrites record[19..21] of a common part in place. bankPos is 19 for normal
// and drum voices, 20 for plug-in voices. A reference the old format cannot have
// (an index past the table) takes the three bytes from init, the target's
// initial record. Returns false in that case.
VANTREL_CONSOLE_EXPORT bool remap(unsigned char* record, int bankPos, const TReferenceTable& table, const unsigned char* init);

} // namespace NS_VoiceReference
