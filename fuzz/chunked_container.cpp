// Loads arbitrary bytes as a chunked library image: through the byte form, the
// stream form and a file, over a small synthetic frame and map.
#include "console/libfile/CLibFileZUTL.h"
#include "console/libfile/tests/ZutlTestFrame.h"

#include <QDataStream>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

QTemporaryDir* folder()
{
    static QTemporaryDir* dir = [] {
        auto* d = new QTemporaryDir;
        ZutlTest::writeFile(d->filePath(QStringLiteral("Frame.zul")), ZutlTest::frame());
        return d;
    }();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Every refused image warns; a run would print little else.
    QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QTemporaryDir* dir = folder();
    ZutlTest::FakeMap map(dir->path(), 0);
    CLibFileZUTL file(&map, dir->filePath(QStringLiteral("In.zul")));

    // The first byte chooses whether the rest overlays the frame after its header
    // (so that the header check passes and the chunk contents are exercised) or
    // stands as the whole image.
    QByteArray image;
    if (size > 0 && (data[0] & 1)) {
        image = ZutlTest::frame();
        const int header = ZutlTest::kHeaderSize + ZutlTest::kChunkInfoSize;
        const int n = int(qMin<size_t>(size - 1, size_t(image.size() - header)));
        image.replace(header, n, QByteArray(reinterpret_cast<const char*>(data + 1), n));
        if (size - 1 > size_t(n))
            image.append(reinterpret_cast<const char*>(data + 1 + n), int(size - 1 - n));
    } else {
        image = QByteArray(reinterpret_cast<const char*>(data), int(size));
    }

    file.LibraryLoad(reinterpret_cast<const unsigned char*>(image.constData()), image.size());

    QByteArray streamBytes;
    {
        QDataStream s(&streamBytes, QIODevice::WriteOnly);
        s << quint32(image.size());
        s.writeRawData(image.constData(), int(image.size()));
    }
    QDataStream in(streamBytes);
    QByteArray out;
    file.LibraryLoad(&in, &out);

    if (ZutlTest::writeFile(dir->filePath(QStringLiteral("In.zul")), image) && file.OpenLibraryFile2()) {
        for (int bank = 0; bank < 3; ++bank)
            for (int v = -1; v < 4; ++v) {
                file.GetDirectryName(bank, v);
                file.GetVoiceAddress(bank, v, nullptr);
            }
    }
    return 0;
}
