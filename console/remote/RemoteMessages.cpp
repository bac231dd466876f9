#include "RemoteMessages.h"
#include "console/model/Mem.h"
#include <QList>
#include <algorithm>
#include <cstring>

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

// Length of the complete message that starts at `at`, or 0 when none starts there:
// a data byte, a message cut off by the end or by another status byte, a byte of 80
// or above inside F0 .. F7, or a status byte this surface has no message for.
int messageAt(const uint8_t* bytes, int n, int at)
{
    const uint8_t status = bytes[at];
    if (status == 0xF0) {
        for (int i = at + 1; i < n; ++i) {
            if (bytes[i] == 0xF7)
                return i - at + 1;
            if (bytes[i] >= 0x80)
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
        if (bytes[i] >= 0x80)
            return 0;
    }
    return data + 1;
}

// The first two tokens of the text split at ',' and line feeds, each trimmed, empty
// ones dropped; how many of the two there are. Found with memchr: a template checks
// hundreds of these strings.
int firstTokens(QByteArrayView text, QByteArrayView* tokens)
{
    const char* const data = text.data();
    const qsizetype size = text.size();
    const auto find = [&](qsizetype from, char c) {
        const void* at = from < size ? std::memchr(data + from, c, size_t(size - from)) : nullptr;
        return at ? qsizetype(static_cast<const char*>(at) - data) : size;
    };
    qsizetype comma = find(0, ','), feed = find(0, '\n');
    int found = 0;
    for (qsizetype from = 0; found < 2;) {
        const qsizetype cut = std::min(comma, feed);
        const QByteArrayView t = text.sliced(from, cut - from).trimmed();
        if (!t.isEmpty())
            tokens[found++] = t;
        if (cut == size)
            break;
        from = cut + 1;
        if (comma < from)
            comma = find(from, ',');
        if (feed < from)
            feed = find(from, '\n');
    }
    return found;
}

// Checks a message string and, when out is given, hands its messages out.
bool readMessageString(QByteArrayView text, QList<QByteArray>* out)
{
    if (out)
        out->clear();
    QByteArrayView tokens[2];
    const int found = firstTokens(text, tokens);
    if (found == 0)
        return false;
    bool ok = false;
    const int count = tokens[0].toInt(&ok);
    if (!ok)
        return false;
    if (count < 3)
        return true;
    // More than a display message ever needs is no message of this surface.
    if (count > 256 || found < 2)
        return false;
    const QByteArrayView digits = tokens[1];
    if (digits.size() < 2 * count)
        return false;
    uint8_t bytes[256];
    for (int i = 0; i < count; ++i) {
        const int hi = CMem::HexDigit(digits[2 * i]), lo = CMem::HexDigit(digits[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes[i] = uint8_t(hi << 4 | lo);
    }
    QList<QByteArray> messages;
    if (count == 3) {
        // Three bytes are status, data1 and data2 of one channel message.
        if (bytes[0] < 0x80 || bytes[0] >= 0xF0 || bytes[1] >= 0x80 || bytes[2] >= 0x80)
            return false;
        if (out)
            messages.append(QByteArray(reinterpret_cast<const char*>(bytes), 3));
    } else {
        for (int at = 0; at < count;) {
            const int length = messageAt(bytes, count, at);
            if (length == 0)
                return false;
            if (out)
                messages.append(QByteArray(reinterpret_cast<const char*>(bytes + at), length));
            at += length;
        }
    }
    if (out)
        *out = messages;
    return true;
}

} // namespace

bool parseMessageString(const QByteArray& text, QList<QByteArray>& out)
{
    return readMessageString(text, &out);
}

bool isMessageString(QByteArrayView text)
{
    return readMessageString(text, nullptr);
}

} // namespace NS_RemoteMsg
