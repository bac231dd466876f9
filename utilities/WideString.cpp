#include "WideString.h"
#include <QString>
#include <cstdlib>
#include <cstring>

namespace {

unsigned short* copyUnits(const unsigned short* units, size_t length)
{
    if (length >= (SIZE_MAX / sizeof(unsigned short)) - 1)
        return nullptr;
    auto* copy = static_cast<unsigned short*>(std::malloc((length + 1) * sizeof(unsigned short)));
    if (!copy)
        return nullptr;
    if (length)
        std::memcpy(copy, units, length * sizeof(unsigned short));
    copy[length] = 0;
    return copy;
}

} // namespace

namespace NS_Utilities {

size_t wideStrLen(const unsigned short* text)
{
    if (!text)
        return 0;
    size_t n = 0;
    while (text[n])
        ++n;
    return n;
}

} // namespace NS_Utilities

unsigned short* CreateOLEString(const unsigned short* text)
{
    return copyUnits(text, NS_Utilities::wideStrLen(text));
}

unsigned short* CreateOLEString(const QString& text)
{
    return copyUnits(reinterpret_cast<const unsigned short*>(text.utf16()), size_t(text.size()));
}
