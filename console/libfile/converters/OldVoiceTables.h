// Fixed tables of the older voice formats (the memory-map document lists them).
// OldVoiceTables.cpp is written by data/tools/generate_templates.py.
#pragma once

#include "W2EEffectMaps.h"

#include <cstdint>

namespace NS_OldVoiceTables {

// Arpeggio reference index (bank byte x 128 + number, banks 0 and 1) -> the
// instrument's 14-bit preset arpeggio type.
extern const int32_t kW2EReferences[256];
extern const int32_t kW6EReferences[256];

// .w6e voice part byte 0 -> (byte 0, byte 11): element mode and layer count.
extern const uint8_t kModePairs[128][2];

// Old curve shape -> current curve shape, one to one.
extern const uint8_t kCurveShapes[128];

// Effect types of the .w2e format, and the parameter maps of its four effect blocks.
extern const uint16_t kW2EEffectTypes[];
extern const int kW2EEffectTypeCount;
extern const NS_W2EEffects::TParamMap kW2EMaps[4];

} // namespace NS_OldVoiceTables
