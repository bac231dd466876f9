#pragma once
// The bytes the control-surface manager exchanges with the surface: key lamps,
// motor-fader positions, display messages and the message strings of the surface
// template. Pure functions; every byte they return is safe to send (data bytes
// below 0x80, display text 7-bit printable).
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>

namespace NS_RemoteMsg {

// The surface's display command: F0 43 10 3E 0E 60 address text F7.
constexpr uint8_t kDisplayHeader[] = {0xF0, 0x43, 0x10, 0x3E, 0x0E, 0x60};
constexpr int kDisplayHeaderSize = int(sizeof kDisplayHeader);
constexpr int kLineMessageSize = kDisplayHeaderSize + 1 + 55 + 1;  // 63

// 90 note state: the lamp of a key, on (127) or off (0).
VANTREL_CONSOLE_EXPORT QByteArray lamp(uint8_t note, bool on);
// Motor-fader position 0..1023 (clamped) as a pitch bend on the fader's channel.
VANTREL_CONSOLE_EXPORT QByteArray fader(int channel, int position);
// The position a surface reports with a pitch bend: (data1 >> 4) + data2 x 8, at most 1023.
VANTREL_CONSOLE_EXPORT int faderPosition(uint8_t data1, uint8_t data2);
// Fader position to a 7-bit value and back: (v x 127 + 511) / 1023 and v x 1023 / 127.
VANTREL_CONSOLE_EXPORT int faderToValue(int position);
VANTREL_CONSOLE_EXPORT int valueToFader(int value);

// Text made safe for the display: every byte outside 0x20..0x7E becomes '?'.
VANTREL_CONSOLE_EXPORT QByteArray printable(const QByteArray& text);
// One display message writing text from a cell address; with a leading space the
// 0x20 goes first (the space before a field other than field 0). Empty when the
// text is empty.
VANTREL_CONSOLE_EXPORT QByteArray display(uint8_t address, bool leadingSpace, const QByteArray& text);

// A template message string: a decimal count, a comma and hexadecimal digits.
// Count 3: one channel message; count 4 or more: that many bytes, a run of complete
// messages (channel messages, and system-exclusive messages from F0 to F7 with 7-bit
// data), each with its own status byte; below 3: nothing (an empty list). The
// messages come out one by one, as they are sent. False when the digits are too
// few or not hexadecimal, or the bytes start with a data byte, cut a message off or
// hold any other byte.
VANTREL_CONSOLE_EXPORT bool parseMessageString(const QByteArray& text, QList<QByteArray>& out);
// Whether parseMessageString would accept the text, without handing messages out.
VANTREL_CONSOLE_EXPORT bool isMessageString(QByteArrayView text);

} // namespace NS_RemoteMsg
