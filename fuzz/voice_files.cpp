// Fuzzes the readers of the voice memory's own files: the preset cache (first byte
// even) and a plug-in board's voice file (first byte odd), over a small voice map.
#include "console/bulk/MidiFormat.h"
#include "console/model/EditorBlk.h"
#include "console/model/IniFileJobCache.h"
#include "console/model/PlugInBoardBlk.h"
#include "console/model/VceMem.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

QString fixtureFolder()
{
    return QString::fromLocal8Bit(VANTREL_FUZZ_SOURCE_DIR) + QStringLiteral("/console/model/tests/fixtures/voices/");
}

struct VoiceMap
{
    CMidiFormat formats;
    CEditorBlk blk;
    CVceMem mem;
    bool ok = false;
    QString scratch;

    VoiceMap()
    {
        const QString path = fixtureFolder() + QStringLiteral("voicemap.tpm");
        if (!formats.MakeList(path))
            return;
        blk.InitSet(nullptr, &formats);
        if (!blk.MakeList(path))
            return;
        mem.InitSet(&blk, &formats, nullptr);
        ok = mem.MakeList(path);
        scratch = QDir::tempPath() + QStringLiteral("/voice_files_fuzz_%1").arg(getpid());
        QDir().mkpath(scratch + QStringLiteral("/PlugIn"));
        QFile::remove(scratch + QStringLiteral("/PlugIn/Brisk.tpm"));
        QFile::copy(fixtureFolder() + QStringLiteral("PlugIn/Brisk.tpm"), scratch + QStringLiteral("/PlugIn/Brisk.tpm"));
    }
};

VoiceMap& voiceMap()
{
    static VoiceMap* map = new VoiceMap;
    return *map;
}

bool writeFile(const QString& path, const char* data, size_t size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(data, qint64(size)) == qint64(size);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VoiceMap& map = voiceMap();
    if (!map.ok || size < 1)
        return 0;
    const char* rest = reinterpret_cast<const char*>(data + 1);
    if ((data[0] & 1) == 0) {
        const QString path = map.scratch + QStringLiteral("/presets");
        if (writeFile(path, rest, size - 1))
            map.mem.LoadPresetVoiceData(path);
        return 0;
    }
    const QString voices = map.scratch + QStringLiteral("/PlugIn/Brisk_voice.ini");
    if (!writeFile(voices, rest, size - 1))
        return 0;
    CIniFileJobCache::Forget(voices);
    CPlugInBoardBlk boards;
    boards.MakeList(map.scratch, &map.blk);
    for (int b = 0; b < boards.GetPlugInBoardNum(); ++b) {
        for (int i = 0; i < boards.GetMSBCount(b); ++i) {
            const int msb = boards.GetMSB(b, i);
            for (int k = 0; k < boards.GetLSBCount(b, msb); ++k) {
                const int lsb = boards.GetLSB(b, msb, k);
                for (int p = -1; p <= 128; p += 43)
                    boards.GetVoiceName(b, msb, lsb, p);
            }
        }
    }
    CIniFileJobCache::Forget(voices);
    return 0;
}
