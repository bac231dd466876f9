#pragma once
// Gathers the pieces in which a sequencer hands over one system-exclusive message
// (256 bytes each from a cable) into the whole message, for one stream (one sender to
// one port). A piece that continues no message, or a message cut short, is dropped:
// what comes out is always a whole F0 .. F7 message, never pieces glued together.
// Not thread-safe: one reader owns it.
#include "vantrel_platform_export.h"
#include <cstddef>
#include <cstdint>
#include <vector>

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT MidiSysExAssembler
{
public:
    // Longer messages are dropped whole (the host's own limit for one message).
    static constexpr size_t kMaxMessage = size_t(1) << 20;

    // Takes the bytes of one system-exclusive event and appends every message they
    // complete to `out`.
    void feed(const uint8_t* bytes, size_t length, std::vector<std::vector<uint8_t>>& out);
    // Pieces were lost in between (the input queue overran): the message in
    // progress is dropped, and so is every piece until the next F0. True when a
    // message was in progress.
    bool interrupt();

    bool gathering() const { return m_gathering; }
    // Messages dropped so far because they were cut short or too long, and pieces
    // dropped because they continued nothing.
    size_t dropped() const { return m_dropped; }

private:
    void drop();

    std::vector<uint8_t> m_message;
    bool m_gathering = false;
    bool m_tooLong = false;
    size_t m_dropped = 0;
};

} // namespace NS_Platform
