// The older document record a host project may still hold, read through the
// component: a fixed header of 320 bytes (device number, four port identifiers, an
// image flag) and then the raw memory image, the voice library's and then the multi's,
// as the editor's library files write them.
//
// Input: a mode byte, then: with bit 0, the header's 320 bytes (zero-filled when
// short; otherwise a header naming the rig's own ports with the image flag set and the
// next byte as device number); then with bit 1 a 3-byte offset and bytes laid over the
// image there, else (3-byte offset, value) edits of the image. Bit 2 cuts the record
// at a point the last input byte chooses; bit 3 saves after a load, loads that and
// saves again. A header read in full leaves its ports and device number in the
// preferences.
#include "ComponentRig.h"

#include "console/libfile/LibraryFile.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

using FuzzRig::Rig;

constexpr int kHeader = 320;
constexpr int kPortOffsets[4] = {240, 260, 280, 300};

// The image as the editor's library files write it: voices, then the multi.
const QByteArray& image()
{
    static const QByteArray* bytes = [] {
        Rig& r = FuzzRig::rig();
        CSynthMemory* memory = r.api()->memory();
        CLibraryFile voices(memory->VoiceMap(), QStringLiteral("older"));
        CLibraryFile multi(memory->MultiMap(), QStringLiteral("older"));
        const qint64 voiceSize = voices.GetFileSize();
        const qint64 multiSize = multi.GetFileSize();
        auto* made = new QByteArray(voiceSize + multiSize, '\0');
        auto* at = reinterpret_cast<unsigned char*>(made->data());
        if (voiceSize <= 0 || multiSize <= 0 || !voices.LibrarySave(at, made->size(), 0)
            || !multi.LibrarySave(at, made->size(), voiceSize))
            Rig::fail("the older image was not written");
        return made;
    }();
    return *bytes;
}

// Ports as the older header holds them: instrument output and input, then the
// control surface's output and input.
QByteArray rigHeader(uint8_t device)
{
    Rig& r = FuzzRig::rig();
    QByteArray bytes(kHeader, '\0');
    bytes[0] = 'O';
    bytes[1] = char(device);
    const QUuid ports[4] = {r.portList.ports[1][0].id, r.portList.ports[0][0].id, r.portList.ports[1][1].id,
                            r.portList.ports[0][1].id};
    for (int i = 0; i < 4; ++i)
        bytes.replace(kPortOffsets[i], 16, ports[i].toRfc4122());
    bytes[316] = 1;
    return bytes;
}

void writeSeeds(const QString& folder);

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    image();
    const QString seeds = FuzzSupport::seedFolder("older_stream");
    if (!seeds.isEmpty()) {
        writeSeeds(seeds);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 65536)
        return 0;
    Rig& r = FuzzRig::rig();
    const uint8_t mode = data[0];
    QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    QByteArray header;
    if (mode & 1) {
        header = rest.left(kHeader);
        header.append(QByteArray(kHeader - header.size(), '\0'));
        rest = rest.mid(kHeader);
        // The current form has a target of its own.
        if (header.startsWith("KXQR"))
            header[0] = 'O';
    } else {
        header = rigHeader(rest.isEmpty() ? 0 : uint8_t(rest.at(0)));
        rest = rest.mid(1);
    }

    // The record is laid out in storage kept from input to input.
    static QByteArray* buffer = new QByteArray;
    buffer->resize(0);
    buffer->append(header).append(image());
    char* const body = buffer->data() + kHeader;
    const qsizetype bodySize = image().size();
    if (mode & 2) {
        if (rest.size() >= 3) {
            const auto* o = reinterpret_cast<const uint8_t*>(rest.constData());
            const qsizetype at = qsizetype(uint32_t(o[0]) << 16 | uint32_t(o[1]) << 8 | o[2]) % bodySize;
            const qsizetype n = std::min(rest.size() - 3, bodySize - at);
            std::memcpy(body + at, rest.constData() + 3, size_t(n));
        }
    } else {
        FuzzSupport::patch(body, bodySize, rest);
    }
    qsizetype length = buffer->size();
    if ((mode & 4) && size > 1)
        length = length * data[size - 1] / 256;
    const QByteArray record = QByteArray::fromRawData(buffer->constData(), length);

    const int32_t result = r.load(record, true);
    if (record.size() >= kHeader) {
        // The header's ports and device number are taken whatever follows.
        const QUuid expected[4] = {QUuid::fromRfc4122(record.mid(kPortOffsets[0], 16)),
                                   QUuid::fromRfc4122(record.mid(kPortOffsets[1], 16)),
                                   QUuid::fromRfc4122(record.mid(kPortOffsets[2], 16)),
                                   QUuid::fromRfc4122(record.mid(kPortOffsets[3], 16))};
        const int properties[4] = {EditorIPrefsQuery_VANTREL_KXE::kInstrumentOutPort,
                                   EditorIPrefsQuery_VANTREL_KXE::kInstrumentInPort,
                                   EditorIPrefsQuery_VANTREL_KXE::kSurfaceOutPort,
                                   EditorIPrefsQuery_VANTREL_KXE::kSurfaceInPort};
        EditorIPrefsQuery_VANTREL_KXE* prefs = r.component->preferences();
        for (int i = 0; i < 4; ++i) {
            if (!expected[i].isNull() && QUuid::fromString(prefs->getProperty(properties[i]).toString()) != expected[i])
                Rig::fail("a port of the older header did not reach the preferences");
        }
        const int device = uchar(record.at(1));
        if (device != 0 && prefs->getProperty(EditorIPrefsQuery_VANTREL_KXE::kDeviceNumber).toInt() != device)
            Rig::fail("the older header's device number did not reach the preferences");
    } else if (result == 0) {
        Rig::fail("a cut older header was accepted");
    }
    if (result == 0 && (mode & 8))
        r.checkRoundTrip();
    r.restore();
    return 0;
}

namespace {

void writeSeeds(const QString& folder)
{
    using FuzzSupport::writeSeed;
    // The rig's header over the image as written; one image edit; a header of its own
    // with the image flag clear; a record cut inside the multi image.
    writeSeed(folder, "image_as_written", QByteArray("\x08\x01", 2));
    writeSeed(folder, "image_edit", QByteArray("\x00\x02\x00\x00\x90\x41", 6));
    QByteArray own = rigHeader(5);
    own[316] = 0;
    writeSeed(folder, "no_image", QByteArray(1, '\x01') + own);
    writeSeed(folder, "cut_in_multi", QByteArray("\x04\x01\xFF", 3));
    const QByteArray overlay = QByteArray("\x02\x03", 2) + QByteArray("\x00\x00\x80", 3) + QByteArray(64, '\x7F');
    writeSeed(folder, "overlay_voice_header", overlay);
}

} // namespace
