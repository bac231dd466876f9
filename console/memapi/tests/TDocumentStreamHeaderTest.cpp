#include "console/memapi/TDocumentStreamHeader.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>

using namespace NS_DocumentStream;

namespace {

// A byte stream with an error for reads past its end and an optional failing write.
struct MemoryStream
{
    QByteArray bytes;
    int pos = 0;
    int failWriteAt = -1; // the index of the write call that fails
    int writes = 0;
    static constexpr int32_t kReadError = int32_t(0x80030001);
    static constexpr int32_t kWriteError = int32_t(0x80030002);

    ReadFn reader()
    {
        return [this](void* data, uint32_t n) -> int32_t {
            if (uint64_t(pos) + n > uint64_t(bytes.size()))
                return kReadError;
            std::memcpy(data, bytes.constData() + pos, n);
            pos += int(n);
            return 0;
        };
    }
    WriteFn writer()
    {
        return [this](const void* data, uint32_t n) -> int32_t {
            if (writes++ == failWriteAt)
                return kWriteError;
            bytes.append(static_cast<const char*>(data), int(n));
            return 0;
        };
    }
};

} // namespace

TEST(DocumentStreamFrame, WritesMagicVersionAndBigEndianLength)
{
    MemoryStream s;
    const QByteArray payload(0x0102, 'x');
    ASSERT_EQ(writeCurrent(s.writer(), payload), 0);
    const QByteArray golden = QByteArray("KXQR2000", 8) + QByteArray("\x00\x00\x01\x02", 4);
    EXPECT_EQ(s.bytes.left(12), golden);
    EXPECT_EQ(s.bytes.mid(12), payload);

    Form form = Form::Older;
    QByteArray back;
    OlderHeader older;
    ASSERT_EQ(readFrame(s.reader(), form, back, older), 0);
    EXPECT_EQ(form, Form::Current);
    EXPECT_EQ(back, payload);
}

TEST(DocumentStreamFrame, RefusesOtherVersionsTruncationAndOversizedLengths)
{
    QByteArray payloadOut = "keep";
    OlderHeader older;
    Form form;
    MemoryStream other;
    other.bytes = QByteArray("KXQR2001\x00\x00\x00\x01z", 13);
    EXPECT_EQ(readFrame(other.reader(), form, payloadOut, older), kFailure);
    EXPECT_EQ(payloadOut, "keep");

    MemoryStream truncated;
    truncated.bytes = QByteArray("KXQR2000\x00\x00\x00\x10short", 17);
    EXPECT_EQ(readFrame(truncated.reader(), form, payloadOut, older), MemoryStream::kReadError);
    EXPECT_EQ(payloadOut, "keep");

    MemoryStream oversized;
    oversized.bytes = QByteArray("KXQR2000\x01\x00\x00\x01", 12);
    EXPECT_EQ(readFrame(oversized.reader(), form, payloadOut, older), kFailure);
    EXPECT_EQ(oversized.pos, 12); // the length was not trusted for a read

    MemoryStream empty;
    EXPECT_EQ(readFrame(empty.reader(), form, payloadOut, older), MemoryStream::kReadError);
}

TEST(DocumentStreamFrame, EveryWriteIsChecked)
{
    for (int failing = 0; failing < 4; ++failing) {
        MemoryStream s;
        s.failWriteAt = failing;
        EXPECT_EQ(writeCurrent(s.writer(), QByteArray("abc")), MemoryStream::kWriteError) << failing;
    }
    MemoryStream big;
    EXPECT_EQ(writeCurrent(big.writer(), QByteArray(int(kMaxPayload) + 1, '\0')), kFailure);
    EXPECT_TRUE(big.bytes.isEmpty());
}

TEST(DocumentStreamFrame, ReadsTheOlderHeader)
{
    QByteArray b(320, '\0');
    b[0] = 'O';
    b[1] = char(0x11); // device number
    const QUuid out = QUuid::fromString(QStringLiteral("{00112233-4455-6677-8899-aabbccddeeff}"));
    const QByteArray rfc = out.toRfc4122();
    std::copy(rfc.begin(), rfc.end(), b.begin() + 240);
    b[316] = 1; // little-endian 1: an image follows
    MemoryStream s;
    s.bytes = b + QByteArray("image");
    Form form = Form::Current;
    QByteArray payload;
    OlderHeader older;
    ASSERT_EQ(readFrame(s.reader(), form, payload, older), 0);
    EXPECT_EQ(form, Form::Older);
    EXPECT_EQ(older.deviceNumber, 0x11);
    EXPECT_EQ(older.instrumentOutput, out);
    EXPECT_TRUE(older.instrumentInput.isNull());
    EXPECT_TRUE(older.imageFollows);
    EXPECT_EQ(s.pos, 320); // the image is left for the memory model

    b[316] = 0;
    b[319] = 1; // big-endian 1 is not the flag
    MemoryStream s2;
    s2.bytes = b;
    ASSERT_EQ(readFrame(s2.reader(), form, payload, older), 0);
    EXPECT_FALSE(older.imageFollows);

    MemoryStream cut;
    cut.bytes = b.left(300);
    OlderHeader untouched;
    untouched.deviceNumber = 7;
    EXPECT_EQ(readFrame(cut.reader(), form, payload, untouched), MemoryStream::kReadError);
    EXPECT_EQ(untouched.deviceNumber, 7);
}
