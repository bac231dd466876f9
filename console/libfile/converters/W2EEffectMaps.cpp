#include "W2EEffectMaps.h"

#include "ConverterLayout.h"
#include "OldVoiceTables.h"

using namespace NS_ConvertLayout;

namespace NS_W2EEffects {

const TParamMap& blockMap(int block)
{
    return NS_OldVoiceTables::kW2EMaps[block >= 0 && block < 4 ? block : 0];
}

bool isOldEffectType(int type)
{
    for (int i = 0; i < NS_OldVoiceTables::kW2EEffectTypeCount; ++i)
        if (NS_OldVoiceTables::kW2EEffectTypes[i] == type)
            return true;
    return false;
}

int rowOf(const TParamMap& map, int type)
{
    for (int i = 0; i < map.typeRowCount; ++i)
        if (map.typeRows[i].type == type)
            return map.typeRows[i].row;
    return 0;
}

bool mapParams(const TParamMap& map, int type, const int in[16], int out[16])
{
    const int row = rowOf(map, type);
    if (row < 0 || row >= map.rowCount)
        return false;
    const TMapRow& r = map.rows[row];
    int result[16];
    for (int s = 0; s < 16; ++s)
        result[s] = r.defaults[s];
    const int moved = map.moved < 16 ? map.moved : 16;
    for (int p = 0; p < moved; ++p)
        if (r.positions[p] < 16)
            result[r.positions[p]] = in[p];
    if (map.coded) {
        for (int s = 0; s < 16; ++s) {
            const uint16_t code = r.codes[s];
            const uint16_t* table = code == kValueTable1 ? map.valueTable1 : code == kValueTable2 ? map.valueTable2 : nullptr;
            const int count = code == kValueTable1 ? map.value1Count : map.value2Count;
            if (code != kValueTable1 && code != kValueTable2)
                continue;
            // A value past its table gets the type's default.
            result[s] = table && result[s] >= 0 && result[s] < count ? table[result[s]] : r.defaults[s];
        }
    }
    for (int s = 0; s < 16; ++s)
        out[s] = result[s];
    return true;
}

bool convertBlock(unsigned char* part, int typePos, int block)
{
    return convertBlock(part, typePos, block, blockMap(block));
}

bool convertBlock(unsigned char* part, int typePos, int block, const TParamMap& map)
{
    unsigned char* t = part + typePos;
    int type = value16(t);
    if (block == kChorus && type == 528)
        type = 536;
    int in[16];
    int out[16];
    for (int i = 0; i < 16; ++i)
        in[i] = value14(t + 2 + 2 * i);
    if (!isOldEffectType(type) || !mapParams(map, type, in, out)) {
        // No effect: type 0, 0 and every parameter 0.
        std::memset(t, 0, 2 + 2 * kEffectParams);
        return false;
    }
    t[0] = static_cast<unsigned char>(type >> 8);
    t[1] = static_cast<unsigned char>(type & 0xFF);
    for (int i = 0; i < 16; ++i) {
        t[2 + 2 * i] = clamp7(out[i] >> 7);
        t[3 + 2 * i] = static_cast<unsigned char>(out[i] & 0x7F);
    }
    return true;
}

} // namespace NS_W2EEffects
