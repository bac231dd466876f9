#pragma once
// The frame of the document stream kept in the host's project: "KXQR", "2000", a
// big-endian payload length and the payload; and the fixed header of the older form.
// Stream access goes through two callbacks so the frame needs no stream object.
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QUuid>
#include <cstdint>
#include <functional>

namespace NS_DocumentStream {

// Read or write exactly n bytes: 0, or the stream's error status (a short read or
// write must be reported as an error by the callback).
using ReadFn = std::function<int32_t(void* data, uint32_t n)>;
using WriteFn = std::function<int32_t(const void* data, uint32_t n)>;

constexpr int32_t kFailure = int32_t(0x80000008);
// The most the host is told a document stream may hold.
constexpr uint32_t kMaxPayload = 16u * 1024u * 1024u;

// Four bytes, most significant first.
VANTREL_CONSOLE_EXPORT int32_t write_int4(const WriteFn& write, uint32_t value);
VANTREL_CONSOLE_EXPORT int32_t read_int4(const ReadFn& read, uint32_t& value);

// Writes the whole current form; every write is checked, the first failure returned.
// A payload above kMaxPayload is refused with kFailure before anything is written.
VANTREL_CONSOLE_EXPORT int32_t writeCurrent(const WriteFn& write, const QByteArray& payload);

// The older form's fields from its first 320 bytes.
struct OlderHeader
{
    int deviceNumber = 0;
    QUuid instrumentOutput;
    QUuid instrumentInput;
    QUuid surfaceOutput;
    QUuid surfaceInput;
    bool imageFollows = false;
};

enum class Form { Current, Older };

// Reads the first four bytes and then the rest of the frame: for the current form the
// payload (a version other than "2000", or a length above kMaxPayload, gives kFailure
// with nothing more read); for the older form its header, up to the image. Returns 0
// or the first stream error unchanged.
VANTREL_CONSOLE_EXPORT int32_t readFrame(const ReadFn& read, Form& form, QByteArray& payload,
                                         OlderHeader& older);

} // namespace NS_DocumentStream
