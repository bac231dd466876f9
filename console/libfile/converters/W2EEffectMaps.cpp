#include "W2EEffectMaps.h"

#include "ConverterLayout.h"

using namespace NS_ConvertLayout;

namespace NS_W2EEffects {

namespace {

// Effect types of the old format that are known to convert. Types missing here
// are not known to be invalid, so their blocks keep the initial data.
constexpr uint16_t kOldTypes[] = {528, 536, 576, 584};

// The rows of the four maps and their (type, row) tables are not known; the
// maps are kept with their shape so that known rows can be added.
const TParamMap kMaps[4] = {
    {nullptr, 0, nullptr, 0, 10, false, nullptr, 0, nullptr, 0},
    {nullptr, 0, nullptr, 0, 10, true, nullptr, 0, nullptr, 0},
    {nullptr, 0, nullptr, 0, 10, false, nullptr, 0, nullptr, 0},
    {nullptr, 0, nullptr, 0, 16, false, nullptr, 0, nullptr, 0},
};

} // namespace

const TParamMap& blockMap(int block)
{
    return kMaps[block >= 0 && block < 4 ? block : 0];
}

bool isOldEffectType(int type)
{
    for (uint16_t t : kOldTypes)
        if (t == type)
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

bool convertBlock(unsigned char* part, const unsigned char* initPart, int typePos, int block)
{
    return convertBlock(part, initPart, typePos, block, blockMap(block));
}

bool convertBlock(unsigned char* part, const unsigned char* initPart, int typePos, int block, const TParamMap& map)
{
    unsigned char* t = part + typePos;
    const unsigned char* initT = initPart + typePos;
    const int blockBytes = 2 + 2 * kEffectParams;
    int type = value16(t);
    if (block == kChorus && type == 528)
        type = 536;
    if (!isOldEffectType(type)) {
        std::memcpy(t, initT, blockBytes);
        return false;
    }
    t[0] = static_cast<unsigned char>(type >> 8);
    t[1] = static_cast<unsigned char>(type & 0xFF);
    int in[16];
    int out[16];
    for (int i = 0; i < 16; ++i)
        in[i] = value14(t + 2 + 2 * i);
    if (!mapParams(map, type, in, out)) {
        std::memcpy(t + 2, initT + 2, 2 * kEffectParams);
        return false;
    }
    for (int i = 0; i < 16; ++i) {
        t[2 + 2 * i] = clamp7(out[i] >> 7);
        t[3 + 2 * i] = static_cast<unsigned char>(out[i] & 0x7F);
    }
    return true;
}

} // namespace NS_W2EEffects
