#pragma once
// Paces bytes to the speed of a MIDI cable (31250 baud, 10 bits a byte: 3125 bytes a
// second). A driver for a cable buffers only a few kilobytes and drops what does not
// fit, so bytes never leave faster than the cable takes them, also not to catch up
// after a pause. Not thread-safe: its output line's lock guards it.
#include "vantrel_platform_export.h"
#include <chrono>
#include <cstddef>

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT MidiCablePacer
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr double kCableBytesPerSecond = 3125.0;

    explicit MidiCablePacer(double bytesPerSecond = kCableBytesPerSecond);

    // The earliest time the next bytes may leave.
    Clock::time_point due(Clock::time_point now) const;
    // `count` bytes left at `when` (not before due()).
    void sent(size_t count, Clock::time_point when);

private:
    double m_bytesPerSecond;
    Clock::time_point m_free{};
};

} // namespace NS_Platform
