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

// Under insertion type 3664 the first parameter's low byte (type + 3), a curve
// shape, is renumbered through the curve table (1 to 8, 0 to 11, 2 to 5, ...).
VANTREL_CONSOLE_EXPORT void renumberType3664(unsigned char* type);

// Chorus types 576 and 584 become (2, 16) and (2, 32). Their first four
// parameters move up 14 bytes, the bytes they leave are cleared, and the first
// parameter is repeated in the three parameters after the last moved one.
// True when renumbered.
VANTREL_CONSOLE_EXPORT bool renumberChorusType(unsigned char* type);

// Voice part bytes of a .w6e voice that the current format numbers differently:
// byte 0 splits into byte 0 and byte 11 (pair table), bytes 1 and 2 go through
// the curve table.
VANTREL_CONSOLE_EXPORT void renumberVoicePartBytes(unsigned char* voicePart);

} // namespace NS_OldVoiceParts
