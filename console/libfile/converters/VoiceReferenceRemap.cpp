#include "VoiceReferenceRemap.h"

namespace NS_VoiceReference {

namespace {

struct TW2ETable {
    int32_t values[256];
    TW2ETable()
    {
        for (int32_t& v : values)
            v = kUnknown;
        for (int i = 0; i <= 24; ++i)
            values[i] = i;
        values[25] = 0x008E;
        values[128] = 0x01A2;
        values[255] = 0x05C4;
    }
};

} // namespace

TReferenceTable w2eTable()
{
    static const TW2ETable table;
    return {table.values, 256};
}

TReferenceTable w6eTable()
{
    return {nullptr, 0};
}

bool remap(unsigned char* record, int bankPos, const TReferenceTable& table, const unsigned char* init)
{
    const unsigned char bank = record[bankPos];
    const unsigned char number = record[21];
    if (bank == 2) {
        // Bank 2 references move to the two user wave banks 0x40/0x41.
        record[19] = 0;
        record[20] = (number & 0x80) ? 0x41 : 0x40;
        record[21] = number & 0x7F;
        return true;
    }
    const int index = bank * 128 + number;
    const int32_t v = index < table.count ? table.values[index] : kUnknown;
    if (v < 0) {
        record[19] = init[19];
        record[20] = init[20];
        record[21] = init[21];
        return false;
    }
    record[19] = 0;
    record[20] = static_cast<unsigned char>((v & 0x3F80) >> 7);
    record[21] = static_cast<unsigned char>(v & 0x7F);
    return true;
}

} // namespace NS_VoiceReference
