// One system-exclusive message layout of the instrument: fixed header, device
// byte, optional 256-based byte count, address and optional checksum.
#pragma once

#include "vantrel_simulator_export.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace NS_Simulator {

using Bytes = std::vector<uint8_t>;

// Negated sum of the covered bytes, 7 bits.
VANTREL_SIMULATOR_EXPORT uint8_t sysExChecksum(const uint8_t* bytes, size_t count);

struct VANTREL_SIMULATOR_EXPORT SimMessageLayout
{
    Bytes header;            // F0 first; the device byte holds its high nibble only
    int devicePos = -1;      // index of the device byte
    int countPos = -1;       // index of the two-byte count, -1 = none
    int adrsPos = 0;         // index of the first address byte
    int adrsLen = 0;
    int checksumStart = -1;  // first byte summed, -1 = no checksum

    bool isValid() const { return !header.empty(); }

    // Lays out a message for the given device number; data may be empty.
    Bytes form(uint8_t device, const Bytes& address, const Bytes& data) const;

    // How a received message relates to this layout.
    enum class Match { NoMatch, OtherDevice, BadCount, BadChecksum, Ok };

    // Checks a whole message (F0 .. F7) against the layout: the header (the
    // device byte's high nibble, its low nibble the device or the whole byte
    // 7F), then the count and checksum. On Ok, address and data are filled.
    Match parse(const Bytes& message, uint8_t device, Bytes* address, Bytes* data) const;

    // Header compare only (used to tell which layout a message claims to be).
    bool matchesHeader(const Bytes& message) const;
};

} // namespace NS_Simulator
