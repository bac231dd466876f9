// The simulated R5T control surface: 61 keys with lamps, 9 motor faders, 8 encoders
// with push keys and a two-line display of 55 characters, speaking the bytes of the
// memory-map document's section 10. It checks every message it receives strictly and
// counts what it refuses. The hand's actions (keys, faders, encoders) leave through
// the byte sink on the caller's thread, with no lock held, so a sink may feed the
// editor directly.
#pragma once

#include "vantrel_simulator_export.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace NS_Simulator {

class SimMidiParser;

class VANTREL_SIMULATOR_EXPORT SimulatedSurface
{
public:
    using ByteSink = std::function<void(const uint8_t* bytes, size_t length)>;

    static constexpr int kKeys = 61;
    static constexpr int kFaders = 9;          // 0-7 strips, 8 the master
    static constexpr int kEncoders = 8;
    static constexpr int kLineLength = 55;
    static constexpr uint8_t kFirstNote = 0x20; // key k has note 20 + k
    static constexpr int kPushKey0 = 18;        // encoder e's push key is key 18 + e

    SimulatedSurface();
    ~SimulatedSurface();
    SimulatedSurface(const SimulatedSurface&) = delete;
    SimulatedSurface& operator=(const SimulatedSurface&) = delete;

    // Where the surface's messages go; set before use (null: nowhere).
    void setOutputSink(ByteSink sink);
    // Called after every change of lamps, faders, display or mode (any thread).
    void setChangeHandler(std::function<void()> handler);

    // Bytes from the editor, any thread; messages may be split or packed.
    void input(const uint8_t* bytes, size_t length);

    // ---- the hand
    void pressKey(int key);
    void releaseKey(int key);
    void tapKey(int key);                       // press and release
    // Moves a fader to a 10-bit position (0..1023) and reports it.
    void moveFader(int fader, int position);
    // Turns an encoder by steps (negative: left), sent in the allowed sizes 15, 12, 8, 4, 1.
    void turnEncoder(int encoder, int steps);
    void pushEncoder(int encoder);

    // ---- what the surface shows, any thread
    bool lamp(int key) const;
    int faderPosition(int fader) const;         // as the editor last set it, -1 before
    std::string line(int line) const;           // 0 upper, 1 lower: 55 characters
    bool remoteMode() const;
    std::vector<std::string> faults() const;    // every refused message, described
    int messagesReceived() const;
    int displayMessages() const;
    // The display in a frame, the lit lamps by name and the fader positions.
    std::string renderText() const;
    static std::string keyName(int key);
    // The key of that name ("REMOTE", "SEL 3"); letter case does not matter, and '-'
    // or '_' stand for a space ("page-right"). -1 for a name the surface has not.
    static int keyNumber(const std::string& name);

private:
    void handle(const std::vector<uint8_t>& message);   // under m_mutex
    void handleDisplay(const std::vector<uint8_t>& message);
    void fault(const std::string& what, const std::vector<uint8_t>& message);
    void send(const std::vector<uint8_t>& message);
    void changed();

    mutable std::mutex m_mutex;
    std::unique_ptr<SimMidiParser> m_parser;
    int m_droppedSeen = 0;
    int m_straySeen = 0;
    bool m_lamps[kKeys] = {};
    int m_faders[kFaders];
    std::string m_lines[2];
    bool m_remote = false;
    std::vector<std::string> m_faults;
    int m_received = 0;
    int m_display = 0;
    bool m_changed = false;
    ByteSink m_sink;
    std::function<void()> m_onChange;
};

} // namespace NS_Simulator
