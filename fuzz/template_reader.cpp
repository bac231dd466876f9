// Fuzzes the template reader and the memory-map build on arbitrary template text.
#include "console/model/IniFileJob.h"
#include "console/model/IniFileJobCache.h"
#include "console/model/PrmCtrl.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

QString scratchPath()
{
    static const QString path = QDir::tempPath() + QStringLiteral("/template_reader_fuzz_%1.tpm").arg(getpid());
    return path;
}

void readAll(const QByteArray& bytes)
{
    auto image = std::make_shared<CIniFileJobCache>();
    image->ReadBytes(bytes);
    CIniFileJob ini{std::shared_ptr<const CIniFileJobCache>(image)};
    static const char* sections[] = {"common_info", "block_list", "midi_format", "a", "first"};
    static const char* keys[] = {"size", "0", "1", "Name", "midi_format", "a"};
    for (const char* s : sections) {
        ini.GetSection(s);
        ini.GetSection(s, "common_info");
        for (const char* k : keys) {
            char buf[64];
            for (int index = -1; index < 3; ++index) {
                if (ini.GetItem(k, buf, index, int(sizeof buf))) {
                    char tok[CIniFileJob::kTokenSize];
                    ini.Get1stStrToken(buf, "\t,", tok);
                    ini.Get2ndNumToken();
                    ini.Get2ndHexToken();
                    ini.Get2ndStrToken(tok);
                    ini.GetNumToken(buf, 2);
                    ini.GetNumToken(buf, 1, 2);
                }
                int v = 0;
                ini.GetItem(k, v, index);
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    readAll(bytes);

    // The whole map build over the same text, as a template file.
    const QString path = scratchPath();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(bytes);
    }
    CIniFileJobCache::Forget(path);
    CPrmCtrl map;
    if (map.CreatePrmCtrl(0, path)) {
        CEditorBlk& blk = map.EditorBlk();
        blk.ResetLink();
        for (int b = 0; b < blk.GetBlkCount(); ++b) {
            unsigned char adrs[3];
            for (int n = 0; n < 8; ++n) {
                if (!blk.GetParamAddress(unsigned(b), n, adrs))
                    break;
                unsigned char value[16] = {0x7F, 0x01, 0x00, 0x40};
                bool linked = false;
                blk.SetData(0, adrs, value, linked, LINK_ON, MIDI_ON, false, 0);
                QString text;
                unsigned char cur[16];
                if (blk.GetData(0, adrs, cur) > 0)
                    map.GetValToStr(0, adrs, cur, text);
            }
        }
    }
    CIniFileJobCache::Forget(path);
    return 0;
}
