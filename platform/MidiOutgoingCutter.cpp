#include "MidiOutgoingCutter.h"
#include <algorithm>

namespace NS_Platform {

void MidiOutgoingCutter::failMessage()
{
    if (m_inSysEx)
        m_dropping = true;
}

void MidiOutgoingCutter::cut(const uint8_t* bytes, size_t length, std::vector<Unit>& out)
{
    auto otherBytes = [&](const uint8_t* from, size_t n) {
        if (n == 0)
            return;
        if (!out.empty() && !out.back().sysex) {
            out.back().bytes.insert(out.back().bytes.end(), from, from + n);
            return;
        }
        Unit unit;
        unit.bytes.assign(from, from + n);
        out.push_back(std::move(unit));
    };
    size_t i = 0;
    while (i < length) {
        const uint8_t b = bytes[i];
        if (!m_inSysEx && b != 0xF0) {
            // Up to the next F0: short messages, whatever the encoder makes of them.
            const uint8_t* f0 = std::find(bytes + i, bytes + length, uint8_t(0xF0));
            otherBytes(bytes + i, size_t(f0 - (bytes + i)));
            i = size_t(f0 - bytes);
            continue;
        }
        if (b >= 0xF8) {
            // A real-time byte inside a dump leaves as an event of its own.
            otherBytes(bytes + i, 1);
            ++i;
            continue;
        }
        const bool begins = b == 0xF0;
        if (begins) {
            // A message before it that never ended stays unterminated: this one does not
            // continue it.
            m_inSysEx = true;
            m_dropping = false;
        } else if (b >= 0x80 && b != 0xF7) {
            // A status byte ends an unterminated message; the byte itself is not part of it.
            m_inSysEx = false;
            m_dropping = false;
            continue;
        }
        // The piece: data bytes up to the F7, at most kPiece bytes in all.
        size_t end = begins ? i + 1 : i;
        bool ends = false;
        while (end < length && end - i < kPiece) {
            const uint8_t c = bytes[end];
            if (c == 0xF7) {
                ++end;
                ends = true;
                break;
            }
            if (c >= 0x80)
                break;
            ++end;
        }
        if (!m_dropping) {
            Unit unit;
            unit.sysex = true;
            unit.begins = begins;
            unit.ends = ends;
            unit.bytes.assign(bytes + i, bytes + end);
            out.push_back(std::move(unit));
        }
        if (ends) {
            m_inSysEx = false;
            m_dropping = false;
        }
        i = end;
    }
}

} // namespace NS_Platform
