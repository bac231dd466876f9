// Names and category codes of the preset voices, as the memory-map document's
// table of preset voice names lists them (its section 7.4).
#pragma once

#include <cstdint>

namespace NS_Simulator {

struct SimPresetName
{
    const char* name;
    uint8_t category;
};

constexpr int kPresetBankCount = 9;    // PRESET 1..8, PRESET DR
constexpr int kPresetBankVoices = 128;

// [bank][program]; bank 0..7 are framed 0E 40..47, bank 8 is framed 0E 48.
extern const SimPresetName kPresetNames[kPresetBankCount][kPresetBankVoices];

} // namespace NS_Simulator
