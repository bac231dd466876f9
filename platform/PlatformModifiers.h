#pragma once
// Current keyboard modifiers as the platform reports them. Tests set a fixed state.
#include "vantrel_platform_export.h"
#include <cstdint>

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT PlatformModifiers
{
public:
    // Platform modifier bits.
    enum : uint32_t {
        Command = 0x0100,
        Shift = 0x0200,
        AlphaLock = 0x0400,
        Option = 0x0800, // the Alt key
        Control = 0x1000,
    };

    // The forced state when one is set, else the toolkit's live keyboard state
    // (Ctrl gives Control, Meta gives Command). GUI thread for the live state.
    static uint32_t current();
    static void setForced(uint32_t bits);
    static void clearForced();
};

} // namespace NS_Platform
