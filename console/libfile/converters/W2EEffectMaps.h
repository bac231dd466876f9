// Effect blocks of the oldest voice format and the parameter maps that carry
// their parameters over to the current effect types.
#pragma once

#include "vantrel_kxe21_console_export.h"

#include <cstdint>

namespace NS_W2EEffects {

// Type code -> row of the block's parameter map.
struct TTypeRow {
    uint16_t type;
    uint8_t row;
};

// One row of a parameter map: the new type's default parameters, the slot each
// old parameter moves to (16 or more drops it) and, in the chorus map, a code
// per slot (kValueTable1/kValueTable2 pass the slot through a value table).
struct TMapRow {
    uint16_t defaults[16];
    uint8_t positions[16];
    uint16_t codes[16];
};

constexpr uint16_t kValueTable1 = 0xFF00;
constexpr uint16_t kValueTable2 = 0xFF01;

struct TParamMap {
    const TTypeRow* typeRows;
    int typeRowCount;
    const TMapRow* rows;
    int rowCount;
    int moved;  // old parameters moved: 10, or all 16
    bool coded; // slots pass through the row's codes
    const uint16_t* valueTable1;
    int value1Count;
    const uint16_t* valueTable2;
    int value2Count;
};

enum EBlock { kReverb = 0, kChorus = 1, kInsertion1 = 2, kInsertion2 = 3 };

// The map of a block: conv_rev_param, conv_cho_param, conv_inss_param, conv_insl_param.
VANTREL_CONSOLE_EXPORT const TParamMap& blockMap(int block);

VANTREL_CONSOLE_EXPORT bool isOldEffectType(int type);

// Row of a type in the map's (type, row) table; 0 when the type is absent.
VANTREL_CONSOLE_EXPORT int rowOf(const TParamMap& map, int type);

// Maps 16 old parameters to the 16 of the new type. False when the map has no
// row for the type, and out is then unchanged.
VANTREL_CONSOLE_EXPORT bool mapParams(const TParamMap& map, int type, const int in[16], int out[16]);

// Converts one effect block of a converted voice part in place: type at
// part[typePos], parameters after it. A type the old format does not have
// becomes 0, 0 with all parameters 0; false then.
VANTREL_CONSOLE_EXPORT bool convertBlock(unsigned char* part, int typePos, int block);
VANTREL_CONSOLE_EXPORT bool convertBlock(unsigned char* part, int typePos, int block, const TParamMap& map);

} // namespace NS_W2EEffects
