#include "TDocumentStreamHeader.h"
#include <cstring>

namespace NS_DocumentStream {

namespace {

const char kMagic[4] = {'K', 'X', 'Q', 'R'};
const char kVersion[4] = {'2', '0', '0', '0'};

QUuid uuidFromFieldBytes(const unsigned char* bytes)
{
    // Written with the leading fields most significant byte first: the text order.
    return QUuid::fromRfc4122(QByteArray(reinterpret_cast<const char*>(bytes), 16));
}

} // namespace

int32_t write_int4(const WriteFn& write, uint32_t value)
{
    const unsigned char bytes[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8),
                                    uint8_t(value)};
    return write(bytes, 4);
}

int32_t read_int4(const ReadFn& read, uint32_t& value)
{
    unsigned char bytes[4] = {0, 0, 0, 0};
    const int32_t result = read(bytes, 4);
    if (result == 0)
        value = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
    return result;
}

int32_t writeCurrent(const WriteFn& write, const QByteArray& payload)
{
    if (!write || uint64_t(payload.size()) > kMaxPayload)
        return kFailure;
    if (int32_t r = write(kMagic, 4))
        return r;
    if (int32_t r = write(kVersion, 4))
        return r;
    if (int32_t r = write_int4(write, uint32_t(payload.size())))
        return r;
    if (payload.isEmpty())
        return 0;
    return write(payload.constData(), uint32_t(payload.size()));
}

int32_t readFrame(const ReadFn& read, Form& form, QByteArray& payload, OlderHeader& older)
{
    if (!read)
        return kFailure;
    unsigned char head[4];
    if (int32_t r = read(head, 4))
        return r;
    if (std::memcmp(head, kMagic, 4) == 0) {
        form = Form::Current;
        char version[4];
        if (read(version, 4) != 0 || std::memcmp(version, kVersion, 4) != 0)
            return kFailure;
        uint32_t length = 0;
        if (int32_t r = read_int4(read, length))
            return r;
        if (length > kMaxPayload)
            return kFailure;
        // Read aside into storage each thread keeps, and handed over only when whole;
        // the caller's earlier storage is kept in its place for the next frame.
        thread_local QByteArray bytes;
        bytes.resize(qsizetype(length));
        if (length)
            if (int32_t r = read(bytes.data(), length))
                return r;
        payload.swap(bytes);
        return 0;
    }

    form = Form::Older;
    OlderHeader h;
    h.deviceNumber = head[1];
    unsigned char unused[232];
    if (int32_t r = read(unused, sizeof unused))
        return r;
    QUuid* ids[4] = {&h.instrumentOutput, &h.instrumentInput, &h.surfaceOutput, &h.surfaceInput};
    for (QUuid* id : ids) {
        unsigned char word[4];
        unsigned char guid[16];
        if (int32_t r = read(word, 4))
            return r;
        if (int32_t r = read(guid, 16))
            return r;
        *id = uuidFromFieldBytes(guid);
    }
    unsigned char flag[4];
    if (int32_t r = read(flag, 4))
        return r;
    // Written by a little-endian machine in its own order, whatever reads it now.
    const uint32_t value = uint32_t(flag[0]) | uint32_t(flag[1]) << 8 | uint32_t(flag[2]) << 16
                           | uint32_t(flag[3]) << 24;
    h.imageFollows = value == 1;
    older = h;
    return 0;
}

} // namespace NS_DocumentStream
