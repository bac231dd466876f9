#include "simulator/SimMidiParser.h"

#include <utility>

namespace NS_Simulator {

SimMidiParser::SimMidiParser(MessageHandler handler, size_t maxSysEx)
    : m_handler(std::move(handler)), m_maxSysEx(maxSysEx)
{
}

void SimMidiParser::reset()
{
    m_sysEx.clear();
    m_inSysEx = false;
    m_overflow = false;
    m_runningStatus = 0;
    m_dataHave = 0;
    m_dataNeed = 0;
}

int SimMidiParser::dataBytesFor(uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 1;
    case 0x80:
    case 0x90:
    case 0xA0:
    case 0xB0:
    case 0xE0:
        return 2;
    default:
        break;
    }
    switch (status) {
    case 0xF1:
    case 0xF3:
        return 1;
    case 0xF2:
        return 2;
    default:
        return 0;
    }
}

void SimMidiParser::finishSysEx()
{
    if (m_overflow) {
        ++m_dropped;
    } else {
        m_sysEx.push_back(0xF7);
        if (m_handler)
            m_handler(m_sysEx);
    }
    m_sysEx.clear();
    m_inSysEx = false;
    m_overflow = false;
}

void SimMidiParser::startStatus(uint8_t status)
{
    if (m_inSysEx) {
        // A status byte inside a system-exclusive message means its F7 was lost:
        // the message is abandoned, never delivered half-filled.
        ++m_dropped;
        m_sysEx.clear();
        m_inSysEx = false;
        m_overflow = false;
    } else if (m_dataNeed > 0) {
        // A channel message still waiting for data bytes is cut off.
        ++m_dropped;
    }
    if (status == 0xF0) {
        m_inSysEx = true;
        m_sysEx.push_back(0xF0);
        m_runningStatus = 0;
        m_dataNeed = 0;
        return;
    }
    m_dataHave = 0;
    m_dataNeed = dataBytesFor(status);
    if (status < 0xF0)
        m_runningStatus = status;
    else
        m_runningStatus = 0; // system common messages cancel running status
    if (m_dataNeed == 0) {
        if (status != 0xF7 && m_handler) // a stray F7 carries nothing
            m_handler(std::vector<uint8_t>{status});
        return;
    }
    m_data[0] = status; // remembered as the status of the message being framed
}

void SimMidiParser::feed(const uint8_t* bytes, size_t length)
{
    if (!bytes)
        return;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t b = bytes[i];
        if (b >= 0xF8) {
            // Real-time bytes may appear anywhere, even inside a message; they are
            // not part of it.
            continue;
        }
        if (m_inSysEx && b == 0xF7) {
            finishSysEx();
            continue;
        }
        if (b & 0x80) {
            startStatus(b);
            continue;
        }
        if (m_inSysEx) {
            if (m_overflow)
                continue;
            if (m_sysEx.size() + 1 >= m_maxSysEx) {
                m_overflow = true;
                m_sysEx.clear();
                continue;
            }
            m_sysEx.push_back(b);
            continue;
        }
        if (m_dataNeed == 0) {
            if (m_runningStatus == 0) {
                ++m_stray; // data byte without a status: nothing to attach it to
                continue;
            }
            m_data[0] = m_runningStatus;
            m_dataNeed = dataBytesFor(m_runningStatus);
            m_dataHave = 0;
        }
        ++m_dataHave;
        if (m_dataHave == 1 && m_dataNeed == 2) {
            m_data[1] = b;
            continue;
        }
        std::vector<uint8_t> msg;
        msg.push_back(m_data[0]);
        if (m_dataNeed == 2)
            msg.push_back(m_data[1]);
        msg.push_back(b);
        m_dataNeed = 0;
        m_dataHave = 0;
        if (m_handler)
            m_handler(msg);
    }
}

} // namespace NS_Simulator
