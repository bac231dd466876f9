// Stored voices pasted from the clipboard in the editor's private format
// ("application/x-halvorsk-tovar-editor-2": 'u', bank, first, last, the voices) or
// handed to the voice-data interface in the same form, over the shipped memory maps.
//
// Input: bank index, first voice (0xF0 and above: a negative voice), mode, payload.
// Mode bit 0 fits the payload to whole voices of the bank: the payload's first four
// bytes stand as the header (bit 1 keeps a first byte other than 'u') and the rest is
// repeated over `last - first + 1` voices; bit 2 passes it to setVoiceData instead of
// the clipboard. What a paste stores must read back unchanged; the voices are then
// put back as they were.
#include "FuzzSupport.h"

#include "appserver/CAppServer.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "console/model/VceMem.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QString kFormat = QStringLiteral("application/x-halvorsk-tovar-editor-2");

struct Banks
{
    TovarIMemAPI* api = nullptr;
    ITovarVoiceData* data = nullptr;
    int count = 0;
    // Per bank: its stored voices and their size; 0 for a bank that stores none (the
    // edit buffers).
    std::vector<int> voiceCount;
    std::vector<int> size;
    Banks()
    {
        FuzzSupport::startToolkit();
        // Start-up failures printed, never shown in a box that would wait for a click.
        CSynthMemory::setFailureReporter([](const QString& title, const QString& text) {
            fprintf(stderr, "start-up: %s: %s\n", qPrintable(title), qPrintable(text));
        });
        CAppServer::Instance();
        api = new TovarIMemAPI(nullptr, Y_GUID(), false, FuzzSupport::multiTemplate(), FuzzSupport::voiceTemplate());
        data = api->qself();
        CPrmCtrl* voice = api->memory() ? api->memory()->VoiceMap() : nullptr;
        count = voice && voice->VceMem() ? voice->VceMem()->GetVoiceMemCategoryNum() : 0;
        if (!data || count <= 0) {
            fprintf(stderr, "clipboard: no voice banks\n");
            std::abort();
        }
        for (short bank = 0; bank < count; ++bank) {
            QByteArray one;
            const bool stored = data->getVoiceData(bank, 0, 0, one);
            voiceCount.push_back(stored ? voice->VceMem()->GetVoiceMemCategoryInfo(bank).voiceNum : 0);
            size.push_back(stored ? int(one.size() - 4) : 0);
        }
    }
    int voices(short bank) const { return bank >= 0 && bank < count ? voiceCount[size_t(bank)] : 0; }
    int voiceSize(short bank) const { return bank >= 0 && bank < count ? size[size_t(bank)] : 0; }
};

Banks& banks()
{
    static Banks* b = new Banks;
    return *b;
}

void fail(const char* what, short bank, short voice)
{
    fprintf(stderr, "clipboard: %s (bank %d, voice %d)\n", what, bank, voice);
    std::abort();
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void offer(const QByteArray& payload)
{
    auto* mime = new QMimeData;
    mime->setData(kFormat, payload);
    QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
}

void writeSeeds(const QString& folder);

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    banks();
    const QString seeds = FuzzSupport::seedFolder("clipboard");
    if (!seeds.isEmpty()) {
        writeSeeds(seeds);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3 || size > 65536)
        return 0;
    Banks& b = banks();
    const short bank = short(data[0] % (b.count + 1));
    const short voice = data[1] >= 0xF0 ? short(0xEF - data[1]) : short(data[1]);
    const uint8_t mode = data[2];
    QByteArray payload(reinterpret_cast<const char*>(data + 3), qsizetype(size - 3));

    const int size1 = b.voiceSize(bank);
    if ((mode & 1) && payload.size() >= 4 && size1 > 0) {
        const int first = static_cast<signed char>(payload.at(2));
        const int last = static_cast<signed char>(payload.at(3));
        const int n = last - first + 1;
        if (n >= 1 && n <= 8) {
            const QByteArray pattern = payload.mid(4).isEmpty() ? QByteArray(1, '\0') : payload.mid(4);
            QByteArray body(qsizetype(n) * size1, '\0');
            for (qsizetype i = 0; i < body.size(); ++i)
                body[i] = pattern.at(i % pattern.size());
            payload = payload.left(4) + body;
            if (!(mode & 2))
                payload[0] = 'u';
        }
    }

    // The voices a paste may overwrite, to be put back afterwards.
    const int first = payload.size() >= 4 ? static_cast<signed char>(payload.at(2)) : 0;
    const int last = payload.size() >= 4 ? static_cast<signed char>(payload.at(3)) : -1;
    const int fit = voice >= 0 ? qMin(last - first + 1, b.voices(bank) - voice) : 0;
    QByteArray before;
    if (fit > 0 && !b.data->getVoiceData(bank, voice, short(voice + fit - 1), before))
        fail("stored voices not readable", bank, voice);

    bool pasted = false;
    if (mode & 4) {
        pasted = b.data->setVoiceData(bank, voice, payload);
    } else {
        offer(payload);
        const bool offered = b.data->canPasteFromClipboard(bank, voice);
        pasted = b.data->pasteFromClipboard(bank, voice);
        if (pasted && !offered)
            fail("pasted what the clipboard was said not to hold", bank, voice);
    }
    settle();
    if (!pasted)
        return 0;
    if (fit <= 0)
        fail("a paste reported stored voices where none fit", bank, voice);

    QByteArray after;
    if (!b.data->getVoiceData(bank, voice, short(voice + fit - 1), after))
        fail("pasted voices not readable", bank, voice);
    if (after.mid(4) != payload.mid(4, after.size() - 4))
        fail("pasted voices read back other than pasted", bank, voice);
    for (int v = voice; v < voice + fit; ++v) {
        QString category;
        b.data->voiceNameCategory(bank, short(v), category);
        b.data->voiceName(bank, short(v));
    }
    if (!b.data->setVoiceData(bank, voice, before))
        fail("the voices could not be put back", bank, voice);
    settle();
    return 0;
}

namespace {

QByteArray input(short bank, short voice, uint8_t mode, const QByteArray& payload)
{
    return QByteArray(1, char(bank)) + QByteArray(1, char(voice)) + QByteArray(1, char(mode)) + payload;
}

void writeSeeds(const QString& folder)
{
    Banks& b = banks();
    using FuzzSupport::writeSeed;
    QClipboard* board = QGuiApplication::clipboard();
    int written = 0;
    // The payload the editor's copy puts on the clipboard, for one voice and for two,
    // from each editable bank type.
    QList<int> typesSeen;
    for (short bank = 0; bank < b.count; ++bank) {
        const int type = b.api->qself()->bankType(bank);
        if (!b.data->isBankEditable(bank) || typesSeen.contains(type) || b.voices(bank) < 4)
            continue;
        typesSeen.append(type);
        for (short last : {short(2), short(3)}) {
            if (!b.data->copyToClipboard(bank, 2, last, nullptr))
                continue;
            const QByteArray payload = board->mimeData()->data(kFormat);
            const QByteArray name = QStringLiteral("bank%1_voices2to%2").arg(bank).arg(last).toLatin1();
            writeSeed(folder, name.constData(), input(bank, 5, 0, payload));
            ++written;
            if (last == 2) {
                // The same voice fitted from its header and first bytes, and handed
                // to the voice-data interface.
                writeSeed(folder, (name + "_fitted").constData(), input(bank, 7, 1, payload.left(40)));
                writeSeed(folder, (name + "_interface").constData(), input(bank, 1, 4, payload));
                // Another bank's payload.
                writeSeed(folder, (name + "_other_bank").constData(), input(short((bank + 3) % b.count), 0, 0, payload));
            }
        }
    }
    if (written == 0) {
        fprintf(stderr, "clipboard: no seed written\n");
        std::exit(1);
    }
}

} // namespace
