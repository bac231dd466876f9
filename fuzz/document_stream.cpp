// The document record of a host project read back through the component: the current
// form ("KXQR", "2000", a big-endian length and the payload), the component's own
// framing (a big-endian length and the payload) for a memory API without a record of
// its own, and arbitrary bytes as the whole record. The payload is built from the
// input's parts: the preferences, the memory image the editor saved (edited, or left
// out) and the user-interface state; the saved windows may then be reopened.
//
// Input: a mode byte, then parts cut at "\xF5TVR": preferences, user-interface state,
// (3-byte offset, value) edits of the memory image. Mode bits 0-1: 0 current form,
// 1 component framing, 2 the parts' bytes as the whole record read by the memory API,
// 3 the same read by the component; bit 2 leaves the image out; bit 3 reopens the
// saved windows after a load; bit 4 saves after a load, loads that and saves again;
// bit 5 hands the preferences and the user-interface state straight to their readers
// (the memory image makes a whole record slow to read); bit 6 also compares the
// memory image after a refusal.
//
// A record that is refused must leave the preferences (and the memory image) as they
// were; a saved document must load again and save to the same bytes; preferences
// that were read must write the same bytes after a second read.
#include "ComponentRig.h"

#include <QDataStream>
#include <QtEndian>

namespace {

using FuzzRig::Rig;

const QByteArray kSeparator("\xF5TVR", 4);

QByteArray be32(uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

// The preferences and the user-interface state of a payload, each read by its own
// reader as a load reaches them.
void readInside(Rig& r, uint8_t mode, const QList<QByteArray>& parts)
{
    EditorIPrefsQuery_VANTREL_KXE* prefs = r.component->preferences();
    QDataStream in(parts.value(0));
    if (prefs->readFromStream(in) == 0 && in.status() == QDataStream::Ok) {
        const QByteArray first = r.prefsBytes();
        QDataStream again(first);
        if (prefs->readFromStream(again) != 0 || r.prefsBytes() != first)
            Rig::fail("preferences read from a document write back other bytes");
    }
    QDataStream ui(parts.value(1));
    r.server->CS_loadViaStream(ui);
    if (mode & 8) {
        r.server->UI_reopenSavedEditorWindows();
        r.closeWindows();
    }
}

void writeSeeds(const QString& folder);

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzRig::rig();
    const QString seeds = FuzzSupport::seedFolder("document_stream");
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
    const int form = mode & 3;

    if (mode & 32) {
        readInside(r, mode, FuzzSupport::split(data + 1, size - 1, kSeparator));
        r.restore(false);
        return 0;
    }

    QByteArray record;
    if (form >= 2) {
        record = QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    } else {
        // The record is laid out in storage kept from input to input.
        static QByteArray* buffer = new QByteArray;
        const QList<QByteArray> parts = FuzzSupport::split(data + 1, size - 1, kSeparator);
        const QByteArray& prefs = parts.at(0);
        const QByteArray ui = parts.value(1);
        const qsizetype image = mode & 4 ? 0 : r.baselineImage.size();
        buffer->resize(0);
        if (form == 0)
            buffer->append("KXQR2000");
        buffer->append(be32(uint32_t(prefs.size() + image + ui.size()))).append(prefs);
        if (image) {
            const qsizetype at = buffer->size();
            buffer->append(r.baselineImage);
            FuzzSupport::patch(buffer->data() + at, image, parts.value(2));
        }
        buffer->append(ui);
        record = QByteArray::fromRawData(buffer->constData(), buffer->size());
    }
    // Only the older form of the memory API's own record changes the preferences
    // before it has read everything.
    const bool older = form == 2 && record.size() >= 320 && !record.startsWith("KXQR");

    const int32_t result = r.load(record, form == 0 || form == 2);
    if (result != 0) {
        if (older)
            r.restore();
        else if (r.prefsBytes() != r.baselinePrefs)
            Rig::fail("a refused record changed the preferences");
        else if ((mode & 64) && !r.imageIsBaseline())
            Rig::fail("a refused record changed the memory image");
        return 0;
    }
    if (mode & 8) {
        r.server->UI_reopenSavedEditorWindows();
        r.closeWindows();
    }
    if (mode & 16)
        r.checkRoundTrip();
    r.restore();
    return 0;
}

namespace {

QByteArray input(uint8_t mode, const QList<QByteArray>& parts)
{
    QByteArray bytes(1, char(mode));
    for (int i = 0; i < parts.size(); ++i)
        bytes += (i ? kSeparator : QByteArray()) + parts.at(i);
    return bytes;
}

// The older form's fixed header: device number 2, four port identifiers, image flag 0.
QByteArray olderHeader()
{
    QByteArray bytes(320, '\0');
    bytes[0] = 'O';
    bytes[1] = 2;
    const int offsets[4] = {240, 260, 280, 300};
    for (int i = 0; i < 4; ++i)
        bytes.replace(offsets[i], 16, QUuid::createUuidV5(QUuid(), QString::number(i)).toRfc4122());
    return bytes;
}

void writeSeeds(const QString& folder)
{
    Rig& r = FuzzRig::rig();
    using FuzzSupport::writeSeed;

    // Preferences as the component writes them, with the properties a user sets.
    EditorIPrefsQuery_VANTREL_KXE* prefs = r.component->preferences();
    prefs->setProperty(EditorIPrefsQuery_VANTREL_KXE::kInstrumentInName, QStringLiteral("Fuzz In A"));
    prefs->setProperty(EditorIPrefsQuery_VANTREL_KXE::kInstrumentOutName, QStringLiteral("Fuzz Out A"));
    prefs->setProperty(EditorIPrefsQuery_VANTREL_KXE::kDumpInterval, 40);
    prefs->setProperty(EditorIPrefsQuery_VANTREL_KXE::kMidiChannel, 3);
    const QByteArray userPrefs = r.prefsBytes();

    // The user-interface state with both editor windows of the add-on open.
    QWidget* window = nullptr;
    r.server->CS_openEditor(ViewAddOn::kModule, 1, &window, nullptr, true);
    r.server->CS_openEditor(ViewAddOn::kModule, 2, &window, nullptr, true);
    r.settle();
    QByteArray ui;
    {
        QDataStream out(&ui, QIODevice::WriteOnly);
        r.server->CS_saveViaStream(out);
    }
    r.closeWindows();
    QByteArray noWindows;
    {
        QDataStream out(&noWindows, QIODevice::WriteOnly);
        r.server->CS_saveViaStream(out);
    }
    r.restore();

    const QByteArray edits("\x00\x00\x10\x41\x00\x02\x00\x7f", 8);
    writeSeed(folder, "current", input(0x18, {userPrefs, ui}));
    writeSeed(folder, "current_baseline", input(0x00, {r.baselinePrefs, noWindows}));
    writeSeed(folder, "framed", input(0x09, {userPrefs, ui}));
    writeSeed(folder, "no_image", input(0x44, {userPrefs, ui}));
    writeSeed(folder, "image_edits", input(0x50, {r.baselinePrefs, noWindows, edits}));
    writeSeed(folder, "raw_empty_payload", input(0x02, {QByteArray("KXQR2000") + be32(0)}));
    writeSeed(folder, "raw_other_version", input(0x02, {QByteArray("KXQR2001") + be32(4) + "abcd"}));
    writeSeed(folder, "raw_older", input(0x02, {olderHeader()}));
    writeSeed(folder, "raw_framed_prefs", input(0x03, {be32(uint32_t(userPrefs.size())) + userPrefs}));
    writeSeed(folder, "inside", input(0x20, {userPrefs, ui}));
    writeSeed(folder, "inside_reopen", input(0x28, {userPrefs, ui}));
    writeSeed(folder, "inside_baseline", input(0x20, {r.baselinePrefs, noWindows}));
    // A saved place whose size does not fit the widget coordinates.
    QByteArray farPlace;
    {
        QDataStream out(&farPlace, QIODevice::WriteOnly);
        out << QVariant(CUserInterfaceServer_VANTREL_KXE::windowKey(1, ViewAddOn::kModule))
            << QVariant(QRect(QPoint(-800653312, 10), QPoint(1614807059, 300))) << QVariant(QStringLiteral("state-1"))
            << QVariant(uint(0)) << QVariant() << QVariant() << QVariant() << QVariant();
    }
    writeSeed(folder, "inside_reopen_far_place", input(0x28, {r.baselinePrefs, farPlace}));
}

} // namespace
