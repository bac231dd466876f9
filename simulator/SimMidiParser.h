// Byte-stream parser of the simulated instrument's MIDI input: reassembles
// system-exclusive messages from arbitrary chunks and frames channel messages.
#pragma once

#include "vantrel_simulator_export.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace NS_Simulator {

using Bytes = std::vector<uint8_t>;

class VANTREL_SIMULATOR_EXPORT SimMidiParser
{
public:
    using MessageHandler = std::function<void(const std::vector<uint8_t>& message)>;

    // Bigger system-exclusive messages are dropped whole (up to their F7) rather
    // than grown without bound; one 64 KB message fits comfortably.
    static constexpr size_t kDefaultMaxSysEx = 256 * 1024;

    explicit SimMidiParser(MessageHandler handler, size_t maxSysEx = kDefaultMaxSysEx);

    // Feeds the next bytes of the stream; complete messages go to the handler
    // before this returns. Not thread-safe: one caller at a time.
    void feed(const uint8_t* bytes, size_t length);

    // Drops any half-received message and the running status.
    void reset();

    // Messages abandoned so far: oversized, or cut short by a new status byte.
    int droppedCount() const { return m_dropped; }
    // Data bytes skipped so far because no status byte stood before them.
    int strayCount() const { return m_stray; }

private:
    void startStatus(uint8_t status);
    void finishSysEx();
    static int dataBytesFor(uint8_t status);

    MessageHandler m_handler;
    size_t m_maxSysEx;
    std::vector<uint8_t> m_sysEx;
    bool m_inSysEx = false;
    bool m_overflow = false;
    uint8_t m_runningStatus = 0;
    uint8_t m_data[2] = {0, 0};
    int m_dataHave = 0;
    int m_dataNeed = 0;
    int m_dropped = 0;
    int m_stray = 0;
};

} // namespace NS_Simulator
