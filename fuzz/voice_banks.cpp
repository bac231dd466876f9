// The voice bank table ("parts.ini") and the preset-bank file ("PresetBankInfo.ini")
// of a data folder, read over the shipped memory maps, and every question the views
// and the voice copy ask of them: banks by index and by bank select, voice counts and
// names of each bank, and the stored voice of a bank select and program.
//
// Input: the text of parts.ini, "\n#%#\n", the text of PresetBankInfo.ini, "\n#%#\n",
// then (MSB, LSB, program) triples to look up besides those of the banks read. A found
// preset voice must be one the file lists, in a category the voice memory has.
#include "FuzzSupport.h"

#include "console/model/CopyBlkInfo.h"
#include "console/model/IniFileJobCache.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/VoiceBanks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const QByteArray kSeparator("\n#%#\n");

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

struct Maps
{
    CPrmCtrl multi;
    CPrmCtrl voice;
    QString folder;
    QString partsIni;
    QString presetIni;
    // The bytes each file's image was last made from.
    QByteArray partsBytes;
    QByteArray presetBytes;
    bool imagesSet = false;
    Maps()
    {
        FuzzSupport::quietLogs();
        if (!multi.CreatePrmCtrl(0, FuzzSupport::multiTemplate())
            || !voice.CreatePrmCtrl(1, FuzzSupport::voiceTemplate())) {
            fprintf(stderr, "voice banks: the shipped maps did not build\n");
            std::abort();
        }
        voice.SetMaster(&multi);
        multi.SetVoiceMap(&voice);
        folder = FuzzSupport::scratch() + QStringLiteral("/banks/");
        partsIni = folder + QStringLiteral("parts.ini");
        presetIni = folder + QStringLiteral("PresetBankInfo.ini");
        QDir().mkpath(folder);
        // The table reader asks for a file by that name; what it reads is the image
        // each input sets.
        if (!write(partsIni, QByteArray())) {
            fprintf(stderr, "voice banks: scratch folder not writable\n");
            std::abort();
        }
    }
};

Maps& maps()
{
    static Maps* m = new Maps;
    return *m;
}

// The input's parts as views of its bytes: the readers copy what they keep.
QList<QByteArray> split(const uint8_t* data, size_t size)
{
    const char* const begin = reinterpret_cast<const char*>(data);
    const QByteArrayView all(begin, qsizetype(size));
    QList<QByteArray> parts;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = all.indexOf(kSeparator, from);
        const qsizetype end = at < 0 ? all.size() : at;
        parts.append(QByteArray::fromRawData(begin + from, end - from));
        if (at < 0)
            return parts;
        from = at + kSeparator.size();
    }
}

// Makes bytes the image of a path unless the image already is theirs: a mutation
// mostly changes one of the files, and a parse of the same bytes gives the same image.
void setImage(const QString& path, const QByteArray& bytes, QByteArray& last, bool known)
{
    if (known && last == bytes)
        return;
    CIniFileJobCache::Set(path, bytes);
    last.resize(bytes.size());
    if (!bytes.isEmpty())
        std::memcpy(last.data(), bytes.constData(), size_t(bytes.size()));
}

void fail(const char* what, int a, int b)
{
    fprintf(stderr, "voice banks: %s (%d, %d)\n", what, a, b);
    std::abort();
}

void lookUp(const CPrmCtrl& map, const QString& folder, int msb, int lsb, int program)
{
    BANK_DATA bank;
    bank.msb = (unsigned char)msb;
    bank.lsb = (unsigned char)lsb;
    bank.program = (unsigned char)program;
    if (!map.CopyBlkInfo().GetBankData(folder, bank))
        return;
    if (bank.category < 0 || bank.category >= map.GetLibCateNum() || bank.voice < 0)
        fail("a preset voice outside the voice memory's categories", bank.category, bank.voice);
}

void writeSeeds(const QString& out)
{
    // The data folder's own files, written by the data generator, and cut-down forms.
    auto read = [](const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            fprintf(stderr, "voice banks: %s not readable\n", qPrintable(path));
            std::exit(1);
        }
        return f.readAll();
    };
    const QByteArray parts = read(FuzzSupport::dataFolder() + QStringLiteral("parts.ini"));
    const QByteArray presets = read(FuzzSupport::dataFolder() + QStringLiteral("PresetBankInfo.ini"));
    const qsizetype second = presets.indexOf("[CategoryNo1]");
    const QByteArray firstCategory = second > 0 ? presets.left(second) : presets;
    const QByteArray lookups("\x3F\x00\x05\x00\x00\x7F\x40\x00\x00", 9);
    using FuzzSupport::writeSeed;
    writeSeed(out, "shipped", parts + kSeparator + firstCategory + kSeparator + lookups);
    writeSeed(out, "shipped_banks_only", parts);
    QByteArray shortPresets = firstCategory;
    shortPresets.replace("VoiceNum=128", "VoiceNum=4");
    writeSeed(out, "four_presets", parts.left(parts.indexOf("2=")) + kSeparator + shortPresets.left(200));
    // A voice count far beyond the category, looked up for a program it does not list.
    QByteArray countless = firstCategory.left(300);
    countless.replace("VoiceNum=128", "VoiceNum=2147483647");
    writeSeed(out, "voice_count_beyond_category", parts + kSeparator + countless + kSeparator + QByteArray("\x3F\x00\x7F", 3));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    maps();
    const QString seeds = FuzzSupport::seedFolder("voice_banks");
    if (!seeds.isEmpty()) {
        writeSeeds(seeds);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    Maps& m = maps();
    const QList<QByteArray> parts = split(data, size);
    // Both files as their readers see them, without a trip through the disk.
    setImage(m.partsIni, parts.value(0), m.partsBytes, m.imagesSet);
    setImage(m.presetIni, parts.value(1), m.presetBytes, m.imagesSet);
    m.imagesSet = true;

    CVoiceBanks banks;
    banks.SetPresetNameMap(&m.multi);
    if (banks.InitSettings(&m.voice, m.partsIni)) {
        int lookups = 0;
        for (int i = 0; i <= banks.GetBankCount(); ++i) {
            int kind = 0, msb = 0, lsb = 0, table = 0;
            QString name, second;
            if (!banks.GetBankByID(i, kind, msb, lsb, name, second, &table)) {
                if (i < banks.GetBankCount())
                    fail("a bank of the table not found by its index", i, banks.GetBankCount());
                continue;
            }
            int index = -1, found = 0;
            banks.GetBankTableID(msb, lsb, found);
            if (!banks.GetBankNameID(msb, lsb, name, index) || index < 0 || index > i)
                fail("a bank of the table not found by its bank select", msb, lsb);
            const int voices = banks.GetNumVoices(msb, lsb);
            for (int v : {-1, 0, 1, voices - 1, voices, 127, 128, 4096}) {
                QString text;
                banks.GetVoiceNameShort(msb, lsb, v, text);
                banks.GetVoiceName(msb, lsb, v, text);
            }
            if (lookups++ < 4)
                lookUp(m.voice, m.folder, msb, lsb, 0);
        }
    }
    const QByteArray triples = parts.value(2);
    for (qsizetype i = 0; i + 3 <= triples.size() && i < 12; i += 3)
        lookUp(m.voice, m.folder, uchar(triples[i]), uchar(triples[i + 1]), uchar(triples[i + 2]));
    return 0;
}
