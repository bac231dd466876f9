// Test helper: an output sink that keeps every packet and the messages they
// reassemble into, with arrival times.
#pragma once

#include "simulator/SimMidiParser.h"
#include "simulator/SimulatedInstrument.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace NS_Simulator {

class SimCapture
{
public:
    struct Message
    {
        Bytes bytes;
        int64_t timeNs;
    };

    SimCapture()
        : m_parser([this](const Bytes& m) { m_messages.push_back({m, m_packetTime}); })
    {
    }

    SimulatedInstrument::ByteSink sink()
    {
        return [this](const uint8_t* b, size_t n) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_packetTime = SimulatedInstrument::nowNs();
            m_packets.emplace_back(b, b + n);
            m_parser.feed(b, n);
            m_cv.notify_all();
        };
    }

    bool waitForMessages(size_t n, int timeoutMs = 3000)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return m_messages.size() >= n; });
    }

    std::vector<Message> messages()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }
    std::vector<Bytes> packets()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_packets;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.clear();
        m_packets.clear();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    SimMidiParser m_parser;
    int64_t m_packetTime = 0;
    std::vector<Message> m_messages;
    std::vector<Bytes> m_packets;
};

} // namespace NS_Simulator
