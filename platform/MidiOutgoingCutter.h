#pragma once
// Cuts the bytes one sender sends to one destination into what a sequencer carries:
// system-exclusive pieces of at most 256 bytes, marked where their message begins and
// ends (a message may run over several sends), and runs of other bytes for an event
// encoder. When a message fails, the rest of it is never cut: a receiver gets a
// message whole or stops at the failure, but never a message with a hole in it.
// Not thread-safe: the sender's own lock guards it.
#include "vantrel_platform_export.h"
#include <cstddef>
#include <cstdint>
#include <vector>

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT MidiOutgoingCutter
{
public:
    // A cable's system-exclusive events carry at most this many bytes.
    static constexpr size_t kPiece = 256;

    struct Unit
    {
        bool sysex = false;  // a system-exclusive piece; else bytes for the encoder
        bool begins = false; // the piece holds the message's F0
        bool ends = false;   // the piece holds the message's F7
        std::vector<uint8_t> bytes;
    };

    void cut(const uint8_t* bytes, size_t length, std::vector<Unit>& out);
    // The system-exclusive message in progress failed: what is left of it is dropped
    // up to its F7 (or the next status byte).
    void failMessage();
    bool inSysEx() const { return m_inSysEx; }

private:
    bool m_inSysEx = false;
    bool m_dropping = false;
};

} // namespace NS_Platform
