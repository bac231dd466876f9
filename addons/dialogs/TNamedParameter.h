#pragma once
// One parameter that a dialog edits, given by its named address such as
// "00kCommon/kCommARPType": resolved once through the memory API to the first entry
// of the parsed address. GUI thread.
#include <QString>

class IMemAPI;

struct TNamedParameter
{
    // False (and the parameter left invalid) without a memory API or when the name
    // does not resolve.
    bool resolve(IMemAPI* api, const QString& name);
    bool isValid() const { return valid; }

    bool valid = false;
    short element = -1;
    short channel = -1;
    short parameter = -1;
};
