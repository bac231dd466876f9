#pragma once
// File type and creator codes. Linux file systems keep none: the codes are accepted
// and dropped.
#include "vantrel_platform_export.h"
#include <QString>
#include <cstdint>

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT PlatformFileCodes
{
public:
    // Four-character code from its text, first character most significant.
    static constexpr uint32_t code(const char (&text)[5])
    {
        return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16
            | uint32_t(uint8_t(text[2])) << 8 | uint32_t(uint8_t(text[3]));
    }
    // True when the file exists (its information can be read); stores nothing.
    static bool setTypeAndCreator(const QString& path, uint32_t type, uint32_t creator);
    static bool setCreator(const QString& path, uint32_t creator);
};

} // namespace NS_Platform
