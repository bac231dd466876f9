#include "RemoteMessages.h"
#include <QList>
#include <algorithm>

namespace NS_RemoteMsg {

QByteArray lamp(uint8_t note, bool on)
{
    QByteArray out(3, 0);
    out[0] = char(0x90);
    out[1] = char(note & 0x7F);
    out[2] = char(on ? 0x7F : 0x00);
    return out;
}

QByteArray fader(int channel, int position)
{
    const int v = std::clamp(position, 0, 1023);
    // 14-bit value scaled from 10 bits and rounded; 130944 = 1023 x 128.
    const int w = v * 16383 + 511;
    QByteArray out(3, 0);
    out[0] = char(0xE0 | (channel & 0x0F));
    out[1] = char((w / 1023) & 0x7F);
    out[2] = char((w / 130944) & 0x7F);
    return out;
}

int faderPosition(uint8_t data1, uint8_t data2)
{
    // The surface puts the low three bits of its 10-bit position in the top of the
    // LSB and the high seven in the MSB.
    return std::min((data1 >> 4) + (data2 & 0x7F) * 8, 1023);
}

int faderToValue(int position)
{
    return (std::clamp(position, 0, 1023) * 127 + 511) / 1023;
}

int valueToFader(int value)
{
    return std::clamp(value, 0, 127) * 1023 / 127;
}

QByteArray printable(const QByteArray& text)
{
    const auto unprintable = [](char c) {
        const auto u = uint8_t(c);
        return u < 0x20 || u > 0x7E;
    };
    // Text that is all printable is handed back without a copy.
    QByteArray out = text;
    if (std::none_of(text.cbegin(), text.cend(), unprintable))
        return out;
    for (char& c : out) {
        if (unprintable(c))
            c = '?';
    }
    return out;
}

QByteArray display(uint8_t address, bool leadingSpace, const QByteArray& text)
{
    if (text.isEmpty())
        return QByteArray();
    QByteArray out(reinterpret_cast<const char*>(kDisplayHeader), kDisplayHeaderSize);
    out.append(char(address & 0x7F));
    if (leadingSpace)
        out.append(' ');
    out.append(printable(text));
    out.append(char(0xF7));
    return out;
}

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Length of the complete message that starts at `at`, or 0 when none starts there:
// a data byte, a message cut off by the end or by another status byte, a byte of 80
// or above inside F0 .. F7, or a status byte this surface has no message for.
int messageAt(const QByteArray& bytes, int at)
{
    const int n = int(bytes.size());
    const auto byte = [&](int i) { return uint8_t(bytes[i]); };
    const uint8_t status = byte(at);
    if (status == 0xF0) {
        for (int i = at + 1; i < n; ++i) {
            if (byte(i) == 0xF7)
                return i - at + 1;
            if (byte(i) >= 0x80)
                return 0;
        }
        return 0;
    }
    if (status < 0x80 || status >= 0xF0)
        return 0;
    const int data = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
    if (at + data >= n)
        return 0;
    for (int i = at + 1; i <= at + data; ++i) {
        if (byte(i) >= 0x80)
            return 0;
    }
    return data + 1;
}

} // namespace

bool parseMessageString(const QByteArray& text, QList<QByteArray>& out)
{
    out.clear();
    QList<QByteArray> tokens;
    for (const QByteArray& t : text.split(',')) {
        for (const QByteArray& u : t.split('\n')) {
            const QByteArray v = u.trimmed();
            if (!v.isEmpty())
                tokens.append(v);
        }
    }
    if (tokens.isEmpty())
        return false;
    bool ok = false;
    const int count = tokens[0].toInt(&ok);
    if (!ok)
        return false;
    if (count < 3)
        return true;
    // More than a display message ever needs is no message of this surface.
    if (count > 256 || tokens.size() < 2)
        return false;
    const QByteArray& digits = tokens[1];
    if (digits.size() < 2 * count)
        return false;
    QByteArray bytes(count, 0);
    for (int i = 0; i < count; ++i) {
        const int hi = hexDigit(digits[2 * i]), lo = hexDigit(digits[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes[i] = char(hi << 4 | lo);
    }
    QList<QByteArray> messages;
    if (count == 3) {
        // Three bytes are status, data1 and data2 of one channel message.
        const auto at = [&](int i) { return uint8_t(bytes[i]); };
        if (at(0) < 0x80 || at(0) >= 0xF0 || at(1) >= 0x80 || at(2) >= 0x80)
            return false;
        messages.append(bytes);
    } else {
        for (int at = 0; at < count;) {
            const int length = messageAt(bytes, at);
            if (length == 0)
                return false;
            messages.append(bytes.mid(at, length));
            at += length;
        }
    }
    out = messages;
    return true;
}

} // namespace NS_RemoteMsg
