#include "OldVoiceParts.h"

#include "ConverterLayout.h"
#include "OldVoiceTables.h"

using namespace NS_ConvertLayout;

namespace NS_OldVoiceParts {

namespace {

// A byte past 7 bits is no curve of the old format and stays as it is.
unsigned char curveShape(unsigned char old)
{
    return old < 0x80 ? NS_OldVoiceTables::kCurveShapes[old] : old;
}

} // namespace

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
    type[3] = curveShape(type[3]);
}

bool renumberChorusType(unsigned char* type)
{
    const int v = value16(type);
    if (v != 576 && v != 584)
        return false;
    type[0] = 2;
    type[1] = v == 576 ? 16 : 32;
    // Parameters 0-3 move to 7-10; 11-13 repeat parameter 7.
    unsigned char* params = type + 2;
    std::memmove(params + 14, params, 8);
    std::memset(params, 0, 8);
    for (int k = 11; k <= 13; ++k) {
        params[2 * k] = params[14];
        params[2 * k + 1] = params[15];
    }
    return true;
}

void renumberVoicePartBytes(unsigned char* part)
{
    const unsigned char mode = part[0];
    if (mode < 0x80) {
        part[0] = NS_OldVoiceTables::kModePairs[mode][0];
        part[11] = NS_OldVoiceTables::kModePairs[mode][1];
    }
    part[1] = curveShape(part[1]);
    part[2] = curveShape(part[2]);
}

} // namespace NS_OldVoiceParts
