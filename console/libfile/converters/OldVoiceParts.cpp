#include "OldVoiceParts.h"

#include "ConverterLayout.h"

using namespace NS_ConvertLayout;

namespace NS_OldVoiceParts {

void convertCommon(const unsigned char* o, unsigned char* n, bool plugin)
{
    if (plugin) {
        copyBytes(n, 0, o, 0, 18);
        n[19] = 0;
        copyBytes(n, 20, o, 19, 29);
    } else {
        copyBytes(n, 0, o, 0, 19);
        n[20] = 0;
        copyBytes(n, 21, o, 20, 29);
    }
    n[31] = 0;
    n[32] = 2;
    n[33] = 0;
    copyBytes(n, 34, o, 30, 33);
    n[38] = 1;
    n[39] = 0;
    copyBytes(n, 40, o, 34, 35);
    fillBytes(n, 42, 51, 0x7F);
    copyBytes(n, 52, o, 36, 64);
    n[81] = o[65];
}

bool renumberInsertionType(unsigned char* type)
{
    const int v = value16(type);
    if (v == 2568) {
        type[0] = 10;
        type[1] = 0;
        return true;
    }
    if (v == 3864) {
        type[0] = 15;
        type[1] = 16;
        return true;
    }
    return false;
}

void renumberType3664(unsigned char* type)
{
    if (value16(type) != 3664)
        return;
    unsigned char& b = type[3];
    if (b == 1)
        b = 8;
    else if (b == 0)
        b = 11;
    else if (b == 2)
        b = 5;
}

bool renumberChorusType(unsigned char* type, const unsigned char* initType)
{
    const int v = value16(type);
    if (v != 576 && v != 584)
        return false;
    type[0] = 2;
    type[1] = v == 576 ? 16 : 32;
    std::memcpy(type + 2, initType + 2, 2 * kEffectParams);
    return true;
}

} // namespace NS_OldVoiceParts
