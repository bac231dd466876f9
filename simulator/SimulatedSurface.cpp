#include "simulator/SimulatedSurface.h"

#include "simulator/SimMidiParser.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace NS_Simulator {

namespace {

// Display command and remote-mode command (document 10.2).
constexpr uint8_t kHeader[] = {0xF0, 0x43, 0x10, 0x3E, 0x0E};
constexpr uint8_t kDisplay = 0x60;
constexpr uint8_t kRemoteMode = 0x61;
constexpr uint8_t kUpperFirst = 0x00;
constexpr uint8_t kLowerFirst = 0x40;
constexpr size_t kLineMessage = 63;

const char* const kKeyNames[SimulatedSurface::kKeys] = {
    "SEL 1", "SEL 2", "SEL 3", "SEL 4", "SEL 5", "SEL 6", "SEL 7", "SEL 8", "SEL MASTER",
    "STATUS 1", "STATUS 2", "STATUS 3", "STATUS 4", "STATUS 5", "STATUS 6", "STATUS 7", "STATUS 8",
    "STATUS MASTER", "PUSH 1", "PUSH 2", "PUSH 3", "PUSH 4", "PUSH 5", "PUSH 6", "PUSH 7", "PUSH 8",
    "EDIT", "MIX 1", "MIX 2", "MIX 3", "MIX 4", "MIX 5", "MIX 6", "MIX 7", "MIX 8", "INSERT",
    "KEY 36", "KEY 37", "DISPLAY", "APP 1", "APP 2", "REMOTE", "APP 3", "APP 4", "MODIFIER", "SOLO",
    "KEY 46", "BANK DOWN", "BANK UP", "SHIFT", "PAGE LEFT", "PAGE RIGHT", "COMMON 1", "COMMON 2",
    "COMMON 3", "COMMON 4", "COMMON 5", "COMMON 6", "COMMON 7", "COMMON 8", "KEY 60"};

std::string hexOf(const std::vector<uint8_t>& bytes)
{
    std::string out;
    char b[4];
    for (size_t i = 0; i < bytes.size() && i < 24; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", bytes[i]);
        out += b;
    }
    if (bytes.size() > 24)
        out += " ..";
    return out;
}

} // namespace

SimulatedSurface::SimulatedSurface()
{
    std::fill(m_faders, m_faders + kFaders, -1);
    m_lines[0] = m_lines[1] = std::string(kLineLength, ' ');
    m_parser = std::make_unique<SimMidiParser>([this](const std::vector<uint8_t>& m) { handle(m); }, 1024);
}

SimulatedSurface::~SimulatedSurface() = default;

void SimulatedSurface::setOutputSink(ByteSink sink)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sink = std::move(sink);
}

void SimulatedSurface::setChangeHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_onChange = std::move(handler);
}

void SimulatedSurface::changed()
{
    std::function<void()> handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_changed)
            return;
        m_changed = false;
        handler = m_onChange;
    }
    if (handler)
        handler();
}

// ------------------------------------------------------------------ editor to surface

void SimulatedSurface::input(const uint8_t* bytes, size_t length)
{
    if (!bytes || length == 0)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_parser->feed(bytes, length);
        // Messages the parser abandoned (cut short, oversized) and data bytes it
        // could give no status are faults too.
        while (m_droppedSeen < m_parser->droppedCount()) {
            ++m_droppedSeen;
            m_faults.push_back("incomplete or oversized message");
        }
        while (m_straySeen < m_parser->strayCount()) {
            ++m_straySeen;
            m_faults.push_back("data byte without a status");
        }
    }
    changed();
}

void SimulatedSurface::fault(const std::string& what, const std::vector<uint8_t>& message)
{
    m_faults.push_back(what + ": " + hexOf(message));
}

void SimulatedSurface::handle(const std::vector<uint8_t>& m)
{
    ++m_received;
    if (m.empty())
        return;
    const uint8_t status = m[0];
    if (status == 0xF0) {
        handleDisplay(m);
        return;
    }
    if (m.size() != 3 || m[1] >= 0x80 || m[2] >= 0x80) {
        fault("malformed channel message", m);
        return;
    }
    if (status == 0x90) {
        const int key = int(m[1]) - kFirstNote;
        if (key < 0 || key >= kKeys) {
            fault("lamp of no key", m);
            return;
        }
        if (m[2] != 0x00 && m[2] != 0x7F) {
            fault("lamp state neither 00 nor 7F", m);
            return;
        }
        m_lamps[key] = m[2] == 0x7F;
        m_changed = true;
        return;
    }
    if (status >= 0xE0 && status <= 0xE0 + kFaders - 1) {
        const int value = m[2] * 0x80 + m[1];
        m_faders[status - 0xE0] = (value * 1023 + 8191) / 16383;
        m_changed = true;
        return;
    }
    fault("message the surface does not take", m);
}

void SimulatedSurface::handleDisplay(const std::vector<uint8_t>& m)
{
    const size_t n = m.size();
    if (n < sizeof kHeader + 3 || !std::equal(kHeader, kHeader + sizeof kHeader, m.begin()) || m[n - 1] != 0xF7) {
        fault("system-exclusive message of another header", m);
        return;
    }
    for (size_t i = 1; i + 1 < n; ++i) {
        if (m[i] >= 0x80) {
            fault("data byte 80 or above", m);
            return;
        }
    }
    const uint8_t command = m[sizeof kHeader];
    if (command == kRemoteMode) {
        if (n != sizeof kHeader + 3 || m[n - 2] > 1) {
            fault("remote-mode message of the wrong form", m);
            return;
        }
        m_remote = m[n - 2] == 1;
        m_changed = true;
        return;
    }
    if (command != kDisplay || n < sizeof kHeader + 4) {
        fault("display message of the wrong form", m);
        return;
    }
    const uint8_t address = m[sizeof kHeader + 1];
    const size_t textAt = sizeof kHeader + 2;
    const size_t count = n - 1 - textAt;
    int lineNo = -1;
    size_t cell = 0;
    if (address >= kUpperFirst && address < kUpperFirst + kLineLength) {
        lineNo = 0;
        cell = address - kUpperFirst;
    } else if (address >= kLowerFirst && address < kLowerFirst + kLineLength) {
        lineNo = 1;
        cell = address - kLowerFirst;
    }
    if (lineNo < 0) {
        fault("display address outside both lines", m);
        return;
    }
    if (cell + count > size_t(kLineLength)) {
        fault("display text leaves its line", m);
        return;
    }
    if (n == kLineMessage && cell != 0) {
        fault("whole-line message not at the line's first cell", m);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        if (m[textAt + i] < 0x20 || m[textAt + i] > 0x7E) {
            fault("display character outside 20..7E", m);
            return;
        }
    }
    for (size_t i = 0; i < count; ++i)
        m_lines[lineNo][cell + i] = char(m[textAt + i]);
    ++m_display;
    m_changed = true;
}

// ------------------------------------------------------------------ surface to editor

void SimulatedSurface::send(const std::vector<uint8_t>& message)
{
    ByteSink sink;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        sink = m_sink;
    }
    if (sink)
        sink(message.data(), message.size());
}

void SimulatedSurface::pressKey(int key)
{
    if (key >= 0 && key < kKeys)
        send({0x90, uint8_t(kFirstNote + key), 0x7F});
}

void SimulatedSurface::releaseKey(int key)
{
    if (key >= 0 && key < kKeys)
        send({0x90, uint8_t(kFirstNote + key), 0x00});
}

void SimulatedSurface::tapKey(int key)
{
    pressKey(key);
    releaseKey(key);
}

void SimulatedSurface::moveFader(int fader, int position)
{
    if (fader < 0 || fader >= kFaders)
        return;
    const int p = std::clamp(position, 0, 1023);
    send({uint8_t(0xE0 + fader), uint8_t((p & 7) << 4), uint8_t(p >> 3)});
}

void SimulatedSurface::turnEncoder(int encoder, int steps)
{
    if (encoder < 0 || encoder >= kEncoders)
        return;
    const uint8_t direction = steps < 0 ? 0x40 : 0x00;
    int left = steps < 0 ? -steps : steps;
    static const int sizes[] = {15, 12, 8, 4, 1};
    while (left > 0) {
        for (int s : sizes) {
            if (s <= left) {
                send({0xB0, uint8_t(0x10 + encoder), uint8_t(direction | s)});
                left -= s;
                break;
            }
        }
    }
}

void SimulatedSurface::pushEncoder(int encoder)
{
    if (encoder >= 0 && encoder < kEncoders)
        tapKey(kPushKey0 + encoder);
}

// ------------------------------------------------------------------ inspection

bool SimulatedSurface::lamp(int key) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return key >= 0 && key < kKeys && m_lamps[key];
}

int SimulatedSurface::faderPosition(int fader) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return fader >= 0 && fader < kFaders ? m_faders[fader] : -1;
}

std::string SimulatedSurface::line(int lineNo) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines[lineNo == 0 ? 0 : 1];
}

bool SimulatedSurface::remoteMode() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_remote;
}

std::vector<std::string> SimulatedSurface::faults() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_faults;
}

int SimulatedSurface::messagesReceived() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}

int SimulatedSurface::displayMessages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_display;
}

std::string SimulatedSurface::keyName(int key)
{
    return key >= 0 && key < kKeys ? kKeyNames[key] : std::string();
}

int SimulatedSurface::keyNumber(const std::string& name)
{
    std::string wanted;
    for (char c : name)
        wanted += c == '-' || c == '_' ? ' ' : char(std::toupper(static_cast<unsigned char>(c)));
    for (int k = 0; k < kKeys; ++k) {
        if (wanted == kKeyNames[k])
            return k;
    }
    return -1;
}

std::string SimulatedSurface::renderText() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string rule = "+" + std::string(kLineLength, '-') + "+";
    std::string out = rule + "\n|" + m_lines[0] + "|\n|" + m_lines[1] + "|\n" + rule + "\n";
    out += m_remote ? "remote on; lamps:" : "remote off; lamps:";
    bool any = false;
    for (int k = 0; k < kKeys; ++k) {
        if (m_lamps[k]) {
            out += std::string(any ? ", " : " ") + kKeyNames[k];
            any = true;
        }
    }
    out += any ? "\nfaders:" : " none\nfaders:";
    for (int f = 0; f < kFaders; ++f) {
        char b[24];
        if (f == kFaders - 1)
            std::snprintf(b, sizeof b, " M %d", m_faders[f]);
        else
            std::snprintf(b, sizeof b, " %d:%d", f + 1, m_faders[f]);
        out += b;
    }
    out += "\n";
    return out;
}

} // namespace NS_Simulator
