#include "MidiSysExAssembler.h"

namespace NS_Platform {

void MidiSysExAssembler::drop()
{
    if (m_gathering)
        ++m_dropped;
    m_message.clear();
    m_gathering = false;
    m_tooLong = false;
}

bool MidiSysExAssembler::interrupt()
{
    const bool was = m_gathering;
    drop();
    return was;
}

void MidiSysExAssembler::feed(const uint8_t* bytes, size_t length,
                              std::vector<std::vector<uint8_t>>& out)
{
    size_t i = 0;
    while (i < length) {
        const uint8_t b = bytes[i];
        if (b < 0x80) {
            // A run of data bytes: appended at once, so a 256-byte piece costs one copy.
            size_t end = i;
            while (end < length && bytes[end] < 0x80)
                ++end;
            if (!m_gathering) {
                // Data that continues no message: its F0 was lost or never sent.
                ++m_dropped;
            } else if (!m_tooLong) {
                if (m_message.size() + (end - i) >= kMaxMessage) {
                    m_tooLong = true;
                    m_message.clear();
                } else {
                    m_message.insert(m_message.end(), bytes + i, bytes + end);
                }
            }
            i = end;
            continue;
        }
        ++i;
        if (b >= 0xF8)
            continue; // real-time bytes may sit inside a dump; they carry nothing of it
        if (b == 0xF0) {
            drop(); // an unfinished message before it is not finished by this one
            m_message.assign(1, b);
            m_gathering = true;
            continue;
        }
        if (b == 0xF7 && m_gathering) {
            if (m_tooLong) {
                drop();
                continue;
            }
            m_message.push_back(b);
            out.push_back(std::move(m_message));
            m_message.clear();
            m_gathering = false;
            continue;
        }
        // Any other status byte ends an unterminated message.
        drop();
    }
}

} // namespace NS_Platform
