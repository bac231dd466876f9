#include "VoiceReferenceRemap.h"

#include "OldVoiceTables.h"

namespace NS_VoiceReference {

TReferenceTable w2eTable()
{
    return {NS_OldVoiceTables::kW2EReferences, 256};
}

TReferenceTable w6eTable()
{
    return {NS_OldVoiceTables::kW6EReferences, 256};
}

bool remap(unsigned char* record, int bankPos, const TReferenceTable& table, const unsigned char* init)
{
    const unsigned char bank = record[bankPos];
    const unsigned char number = record[21];
    if (bank == 2) {
        // Bank 2 references move to the user arpeggio types 0x40/0x41 xx.
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
