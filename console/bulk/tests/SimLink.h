#pragma once
// Test helper: both memory maps built from the shipped templates, joined byte for
// byte to a simulated instrument. What the maps write on port 0 is the
// instrument's input; the instrument's output is reassembled into messages that
// pump() hands to both bulk engines on the test thread, as the memory model does
// with every incoming system-exclusive message.
#include "console/bulk/Bulk.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "console/model/VceMem.h"
#include "console/model/tests/TestPaths.h"
#include "simulator/SimMidiParser.h"
#include "simulator/SimulatedInstrument.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace BulkTest {

using NS_Simulator::Bytes;
using NS_Simulator::SimulatedInstrument;

inline int64_t nowNs()
{
    return SimulatedInstrument::nowNs();
}

// Port 0 of both maps: every message goes to the instrument and is kept.
class InstrumentPort : public TMIDIProxyInOut
{
public:
    explicit InstrumentPort(SimulatedInstrument* sim) : m_sim(sim) {}
    int32_t read(int, const void*, bool, bool) override { return 0; }
    int32_t write(int length, const void* data) override
    {
        const auto* b = static_cast<const uint8_t*>(data);
        // From its refuseFrom-th write on (counted from 1) the port takes nothing, as
        // one whose receiver stopped reading.
        if (refuseFrom > 0 && ++attempts >= refuseFrom)
            return 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            sent.append(QByteArray(static_cast<const char*>(data), length));
            times.push_back(nowNs());
        }
        if (m_sim)
            m_sim->input(b, size_t(length));
        return length;
    }
    QUuid portIdentity(int direction) override { return direction == 1 ? chosen : QUuid(); }
    int32_t selectPorts(const QUuid*, int) override { return 0; }
    void setReceiveChannelMessages(bool) override {}
    bool receiveChannelMessages() override { return true; }

    int refuseFrom = 0;
    int attempts = 0;
    QUuid chosen; // the output port the user chose; none by default

    QList<QByteArray> sentCopy()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return sent;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        sent.clear();
        times.clear();
    }

    QList<QByteArray> sent;
    std::vector<int64_t> times;

private:
    SimulatedInstrument* m_sim;
    std::mutex m_mutex;
};

class Rig
{
public:
    Rig()
        : parser([this](const Bytes& m) {
              m_inbox.push_back(m);
              m_cv.notify_all();
          })
        , port(&sim)
    {
        // The tests' data folder may hold no surface template: its start-up warning is
        // recorded here instead of waiting in a modal box.
        CSynthMemory::setFailureReporter([this](const QString& title, const QString&) { reports.append(title); });
        built = multi.CreatePrmCtrl(0, shippedMultiTemplate()) && voice.CreatePrmCtrl(1, shippedVoiceTemplate());
        voice.SetMaster(&multi);
        multi.SetVoiceMap(&voice);
        multi.SetMIDI(&port, 0);
        voice.SetMIDI(&port, 0);
        sim.setOutputSink([this](const uint8_t* b, size_t n) {
            std::lock_guard<std::mutex> lock(m_mutex);
            parser.feed(b, n);
        });
        sim.start();
    }
    ~Rig()
    {
        sim.stop();
        multi.SetMIDI(nullptr, 0);
        voice.SetMIDI(nullptr, 0);
        CSynthMemory::setFailureReporter(nullptr);
    }

    CBulk& multiBulk() { return *multi.Bulk(); }
    CBulk& voiceBulk() { return *voice.Bulk(); }

    // Hands every message from the instrument to both engines until `done` holds or
    // nothing has arrived for quietMs. Returns the number of messages handed over.
    int pump(const std::function<bool()>& done, int quietMs = 1500)
    {
        int n = 0;
        for (;;) {
            if (done && done())
                return n;
            Bytes m;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                if (!m_cv.wait_for(lock, std::chrono::milliseconds(quietMs), [&] { return !m_inbox.empty(); }))
                    return n;
                m = std::move(m_inbox.front());
                m_inbox.pop_front();
            }
            ++n;
            if (m.empty() || m[0] != 0xF0)
                continue;
            if (transform)
                transform(m);
            multi.Bulk()->MidiRecieve(m.data(), int(m.size()));
            voice.Bulk()->MidiRecieve(m.data(), int(m.size()));
        }
    }
    int pumpUntilIdle(CBulk& engine, int quietMs = 1500)
    {
        return pump([&] { return engine.GetState() == CBulk::kIdle; }, quietMs);
    }
    void drop()
    {
        sim.waitIdle(2000);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_inbox.clear();
    }

    SimulatedInstrument sim;
    NS_Simulator::SimMidiParser parser;
    InstrumentPort port;
    CPrmCtrl multi;
    CPrmCtrl voice;
    bool built = false;
    QStringList reports;
    // Applied to each message from the instrument before the engines see it.
    std::function<void(Bytes&)> transform;

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Bytes> m_inbox;
};

// The bytes of the multi map's block at a three-byte address (current image).
inline Bytes editorBlock(CPrmCtrl& map, const Bytes& address)
{
    BLK blk;
    if (!map.EditorBlk().GetBlk(0, address.data(), blk) || !blk.curImage)
        return Bytes();
    return Bytes(blk.curImage, blk.curImage + blk.memSize);
}

inline Bytes storedVoice(CPrmCtrl& map, int category, int voice)
{
    int size = 0;
    const unsigned char* p = map.VceMem()->GetVoiceMem(category, voice, &size);
    return p ? Bytes(p, p + size) : Bytes();
}

} // namespace BulkTest
