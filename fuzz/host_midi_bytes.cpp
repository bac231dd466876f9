// The substitute host's reading of raw MIDI bytes from a port: the byte parser
// (system exclusive across packets, running status, real-time bytes dropped), then
// each message as a host event and back to bytes.
//
// Input: a byte that chooses how the rest is cut into packets, then the bytes. The
// messages must not depend on where the packets end, must each be one well-formed
// message, and must come back unchanged from their host event.
#include "FuzzSupport.h"
#include "host/HostMidiPorts.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Messages = std::vector<std::vector<uint8_t>>;
using NS_Host::HostMidiPorts;
using NS_Host::MidiByteParser;

void fail(const char* what, const std::vector<uint8_t>& message)
{
    fprintf(stderr, "host MIDI bytes: %s (%zu bytes, first %02X)\n", what, message.size(),
            message.empty() ? 0u : unsigned(message[0]));
    std::abort();
}

void checkMessage(const std::vector<uint8_t>& m)
{
    if (m.empty())
        fail("empty message", m);
    const uint8_t status = m[0];
    if (status == 0xF0) {
        if (m.size() < 2 || m.back() != 0xF7 || m.size() > MidiByteParser::kMaxSysEx + 1)
            fail("system exclusive not ended by F7 or too long", m);
        for (size_t i = 1; i + 1 < m.size(); ++i)
            if (m[i] >= 0x80)
                fail("status byte inside system exclusive", m);
        return;
    }
    if (status < 0x80 || status > 0xEF)
        fail("message without a channel status", m);
    const size_t length = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 2 : 3;
    if (m.size() != length)
        fail("channel message of the wrong length", m);
    for (size_t i = 1; i < m.size(); ++i)
        if (m[i] >= 0x80)
            fail("status byte as data", m);
}

void writeSeeds(const QString& folder)
{
    using FuzzSupport::writeSeed;
    // A parameter change of the instrument, a note with running status, a program
    // change, a dump cut by real-time bytes, and a dump a status byte interrupts.
    writeSeed(folder, "parameter_change",
              QByteArray("\x00\xF0\x43\x10\x7F\x00\x37\x03\x0E\x40\xF7", 11));
    writeSeed(folder, "running_status", QByteArray("\x13\x91\x3C\x64\x3E\x64\x40\x00\xC2\x05", 10));
    writeSeed(folder, "realtime_inside_dump",
              QByteArray("\x25\xF0\x43\x00\xF8\x7F\x00\x02\xFE\x11\x22\xF7\xFA", 13));
    writeSeed(folder, "interrupted_dump", QByteArray("\x07\xF0\x43\x00\x01\xB0\x07\x64\xF7\xF1\x10", 11));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::quietLogs();
    const QString seeds = FuzzSupport::seedFolder("host_midi_bytes");
    if (!seeds.isEmpty()) {
        writeSeeds(seeds);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t cut = data[0];
    const uint8_t* bytes = data + 1;
    const size_t n = size - 1;

    MidiByteParser whole;
    Messages once;
    whole.feed(bytes, n, once);

    // Packets of 1 to 8 bytes in a pattern the first byte chooses; each packet is a
    // copy of exactly its bytes so that a read past it is caught.
    MidiByteParser pieces;
    Messages split;
    size_t at = 0;
    for (unsigned k = 0; at < n; ++k) {
        const size_t length = std::min<size_t>(n - at, 1 + ((cut >> (k % 6)) + k) % 8);
        std::vector<uint8_t> packet(bytes + at, bytes + at + length);
        pieces.feed(packet.data(), packet.size(), split);
        at += length;
    }
    if (once != split)
        fail("messages depend on how the bytes were cut", once.empty() ? std::vector<uint8_t>() : once[0]);

    for (const std::vector<uint8_t>& m : once) {
        checkMessage(m);
        tagMPEVENT event;
        if (!HostMidiPorts::eventOfMessage(m, 3, event))
            fail("a message without a host event", m);
        if (event.port != 3)
            fail("event on the wrong port", m);
        const std::vector<uint8_t> back = HostMidiPorts::bytesOfEvent(event);
        if (event.kind & NS_MPEventKind::payloadMask)
            std::free(event.data.sysex);
        if (back != m)
            fail("a message changed on its way through a host event", m);
    }
    return 0;
}
