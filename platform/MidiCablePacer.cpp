#include "MidiCablePacer.h"
#include <algorithm>

namespace NS_Platform {

MidiCablePacer::MidiCablePacer(double bytesPerSecond)
    : m_bytesPerSecond(bytesPerSecond > 0 ? bytesPerSecond : kCableBytesPerSecond)
{
}

MidiCablePacer::Clock::time_point MidiCablePacer::due(Clock::time_point now) const
{
    return std::max(now, m_free);
}

void MidiCablePacer::sent(size_t count, Clock::time_point when)
{
    // From the later of the two: after a pause the cable is idle, and the time it was
    // idle is not owed to the bytes that follow.
    const auto start = std::max(when, m_free);
    m_free = start + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(double(count) / m_bytesPerSecond));
}

} // namespace NS_Platform
