// The MIDI transport's reading of raw bytes from a port: channel input handed to the
// observers as it comes, system-exclusive messages gathered across reads to their F7
// and delivered from the push thread, real-time bytes skipped, stray data dropped.
//
// Input: a sequence of reads, each a control byte (bits 0-4: length - 1; bit 6: a
// system-exclusive message is expected) followed by that many bytes. Each read is a
// copy of exactly its bytes. Every gathered message must end with its F7 and hold no
// real-time byte; it must start with F0 when every read expected system exclusive;
// every read must report a count within its length.
#include "FuzzSupport.h"
#include "transport/TMIDITransport.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void fail(const char* what, int length, const unsigned char* bytes)
{
    fprintf(stderr, "transport MIDI bytes: %s (%d bytes, first %02X)\n", what, length,
            length > 0 && bytes ? unsigned(bytes[0]) : 0u);
    std::abort();
}

// Ports are never opened: only the reading is exercised.
class Transport : public TMIDITransport
{
public:
    Transport() : TMIDITransport(nullptr) {}
    int numberOfInputs() override { return 0; }
    int numberOfOutputs() override { return 0; }
    QUuid getInpPortDescriptor(int) override { return QUuid(); }
    QUuid getOutPortDescriptor(int) override { return QUuid(); }
    uint32_t openInput(int) override { return 0; }
    int32_t closeInput() override { return 0; }
    uint32_t openOutput(int) override { return 0; }
    int32_t closeOutput() override { return 0; }
    int outputData(int, const void*) override { return 0; }
};

// Checks what it is given and reads every byte of it.
class Observer : public TMIDIReaderRefConInterface
{
public:
    int read(int length, const void* data, bool, bool) override
    {
        const auto* b = static_cast<const unsigned char*>(data);
        if (length <= 0 || !b)
            fail("empty delivery", length, b);
        unsigned sum = 0;
        for (int i = 0; i < length; ++i)
            sum += b[i];
        checksum += sum;
        if (b[0] >= 0x80 && b[0] <= 0xEF)
            return length; // channel input: the rest of a read, as it came
        // A gathered message: it starts with F0 whenever every read expected system
        // exclusive (as the port's read procedure always does).
        if (b[length - 1] != 0xF7 || length > TMIDITransport::kMaxSysExLength)
            fail("message not ended by F7 or too long", length, b);
        if (onlyExpected && b[0] != 0xF0)
            fail("message without its F0 though system exclusive was expected", length, b);
        for (int i = 0; i < length; ++i)
            if (b[i] >= 0xF8 || (b[i] == 0xF0 && i > 0))
                fail("real-time or start byte inside a delivered message", length, b);
        return length;
    }
    std::atomic<unsigned> checksum{0};
    std::atomic<bool> onlyExpected{true};
};

void writeSeeds(const QString& folder)
{
    using FuzzSupport::writeSeed;
    // A parameter change expected as one read; a dump cut over three reads with a
    // clock byte inside; stray data before a dump; channel input behind a dump.
    writeSeed(folder, "one_dump", QByteArray("\x4A\xF0\x43\x10\x7F\x00\x37\x03\x0E\x40\xF7", 11));
    writeSeed(folder, "dump_split",
              QByteArray("\x42\xF0\x43\x00\x43\x7F\x00\xF8\x02\x41\x11\xF7", 12));
    writeSeed(folder, "stray_data", QByteArray("\x45\x01\x02\x03\xF0\x10\xF7", 7));
    writeSeed(folder, "channel_after_dump", QByteArray("\x05\xF0\x7E\x7F\xF7\xB0\x07\x64", 8));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::quietLogs();
    const QString seeds = FuzzSupport::seedFolder("transport_midi_bytes");
    if (!seeds.isEmpty()) {
        writeSeeds(seeds);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Observer observer;
    auto* transport = new Transport;
    transport->registerMIDIobserver(&observer);
    transport->startPusherThread();
    bool allExpected = true;
    for (size_t at = 0; at < size; at += (data[at] & 0x1F) + 2u)
        allExpected = allExpected && (data[at] & 0x40);
    observer.onlyExpected = allExpected;
    size_t at = 0;
    while (at < size) {
        const uint8_t control = data[at++];
        const size_t length = std::min<size_t>(size - at, (control & 0x1F) + 1u);
        if (length == 0)
            break;
        std::vector<unsigned char> piece(data + at, data + at + length);
        at += length;
        const int left = transport->read(int(piece.size()), piece.data(), control & 0x40, false);
        if (left < 1 || left > int(piece.size()))
            fail("read reported a count outside its bytes", int(piece.size()), piece.data());
    }
    transport->stopPusherThread();
    if (transport->Release() != 0)
        fail("transport still referenced", 0, nullptr);
    return 0;
}
