// Conversions of voice-record parts shared by the .w2e and .w6e converters.
#pragma once

#include "vantrel_kxe21_console_export.h"

namespace NS_OldVoiceParts {

// The 66-byte common part of the old formats becomes the 82-byte one. The
// reference number moves one byte up (a zero is inserted before it): after
// the bank byte for normal and drum voices, before it for plug-in voices.
VANTREL_CONSOLE_EXPORT void convertCommon(const unsigned char* old66, unsigned char* new82, bool plugin);

// Insertion effect types renumbered by the current format:
// 2568 becomes (10, 0) and 3864 becomes (15, 16). True when renumbered.
VANTREL_CONSOLE_EXPORT bool renumberInsertionType(unsigned char* type);

// Under insertion type 3664 the first parameter's low byte (type + 3) is
// renumbered 1 to 8, 0 to 11 and 2 to 5; other values stay.
VANTREL_CONSOLE_EXPORT void renumberType3664(unsigned char* type);

// Chorus types 576 and 584 become (2, 16) and (2, 32). Their parameters have
// to move for the new type, so the block's 16 parameters are taken from the
// initial voice part (initType points at the same block there). True when renumbered.
VANTREL_CONSOLE_EXPORT bool renumberChorusType(unsigned char* type, const unsigned char* initType);

} // namespace NS_OldVoiceParts
