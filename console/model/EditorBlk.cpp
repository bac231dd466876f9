#include "EditorBlk.h"
#include "TemplateList.h"
#include "AsgnStyle.h"
#include "IniFileJob.h"
#include "Mem.h"
#include "ModelLogging.h"
#include "PlugInBoardBlk.h"
#include "PrmCtrl.h"
#include "console/bulk/MidiCtrl.h"
#include "console/bulk/MidiFormat.h"
#include "console/remote/RcParamInfo.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {
const char kDelims[] = "\t,";
constexpr int kMaxParamSize = 16;
constexpr int kMaxMemSize = 1 << 20;

bool readHex(CIniFileJob& ini, unsigned char* out, int len)
{
    char hex[CIniFileJob::kTokenSize];
    ini.Get2ndStrToken(hex, int(sizeof hex));
    if (!ini.LastTokenFound() || int(strnlen(hex, sizeof hex)) != 2 * len)
        return false;
    CMem::SetByte(hex, out, len);
    return true;
}
} // namespace

struct CEditorBlk::Block : BLOCK_SECTION
{
    CStrArray names;

    void Sync()
    {
        view.ranges = ranges.data();
        view.rangeCount = uint8_t(ranges.size());
        view.defImage = def.data();
        view.curImage = cur.data();
        view.refImage = ref.data();
        view.dirty = dirty.data();
        view.params = params.data();
        view.prmCount = int32_t(params.size());
        view.blockDirty = &blockDirty;
    }
};

// Locate's answers by category, address length and address. An address names one
// parameter instance for as long as the blocks stay as read; the walk over every
// block's ranges and parameters is made once per address. Several threads may ask.
struct CEditorBlk::LocateMemo
{
    struct Key
    {
        uint64_t address = 0;
        uint32_t categoryAndLength = 0;
        bool operator==(const Key& o) const
        {
            return address == o.address && categoryAndLength == o.categoryAndLength;
        }
    };
    struct KeyHash
    {
        size_t operator()(const Key& k) const
        {
            return std::hash<uint64_t>()(k.address ^ (uint64_t(k.categoryAndLength) * 0x9E3779B97F4A7C15ull));
        }
    };
    // blockIndex -1: the address names nothing.
    struct Hit
    {
        int blockIndex = -1;
        int prm = -1;
        int instance = 0;
    };
    // Addresses a stream can name are many: the memo starts again past this many.
    static constexpr size_t kMaxEntries = size_t(1) << 16;
    std::mutex mutex;
    std::unordered_map<Key, Hit, KeyHash> hits;
};

CEditorBlk::CEditorBlk() : m_locateMemo(std::make_unique<LocateMemo>()) {}

void CEditorBlk::ForgetLocations()
{
    m_linkedKnown = false;
    std::lock_guard<std::mutex> lock(m_locateMemo->mutex);
    m_locateMemo->hits.clear();
}

CEditorBlk::~CEditorBlk()
{
    DeleteList();
}

void CEditorBlk::InitSet(CPrmCtrl* map, const CMidiFormat* formats)
{
    ForgetLocations();
    m_map = map;
    m_formats = formats;
}

void CEditorBlk::DeleteList()
{
    ForgetLocations();
    m_blocks.clear();
    m_rules.clear();
    m_partAssign.clear();
    m_volumes.clear();
    m_solo.clear();
    m_mute.clear();
    m_disabled.clear();
}

bool CEditorBlk::Fail(const QString& section, int line, const QString& what)
{
    m_error = TemplateFaultText(m_path, section, line, what);
    return false;
}

int CEditorBlk::AdrLen(short cat) const
{
    return m_formats ? m_formats->GetAdrLen(cat) : 0;
}

// ------------------------------------------------------------------ template reading

bool CEditorBlk::MakeList(const QString& path)
{
    m_path = path;
    m_error.clear();
    CIniFileJob ini(path);
    if (!ini.Opened())
        return Fail(QStringLiteral("common_info"), 0, QStringLiteral("template not readable"));
    if (!ReadCommon(ini) || !ReadBlocks(ini))
        return false;
    if (ini.GetSection("save_info")) {
        int v = 0;
        if (!ini.GetItem("custom_mode", v))
            return Fail(QStringLiteral("save_info"), ini.SectionEndLine(), QStringLiteral("missing custom_mode"));
        m_customMode = v != 0;
        if (!ini.GetItem("save_mode", m_saveMode))
            return Fail(QStringLiteral("save_info"), ini.SectionEndLine(), QStringLiteral("missing save_mode"));
    }
    if (!ReadSoloMute(ini))
        return false;
    if (!m_links.MakeList(path, m_formats)) {
        m_error = m_links.ErrorText();
        return false;
    }
    return true;
}

bool CEditorBlk::ReadCommon(CIniFileJob& ini)
{
    const QString sec = QStringLiteral("common_info");
    char buf[CIniFileJob::kItemSize];
    int v = 0;
    if (!ini.GetSection("common_info"))
        return Fail(sec, 0, QStringLiteral("missing section"));
    if (!ini.GetItem("edit_mode", v))
        return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing edit_mode"));
    m_com = BLKCOMINFO();
    m_com.editMode = v != 0;
    if (ini.GetItem("init_file", buf, -1, int(sizeof buf)))
        m_com.initFile = QString::fromLatin1(buf).trimmed();
    v = 0;
    if (ini.GetItem("part_mode", v))
        m_com.partMode = v != 0;
    if (ini.GetItem("lib_mode", buf, -1, int(sizeof buf))) {
        m_com.libMode = ini.Get1stNumToken(buf, kDelims) != 0;
        m_com.libNumber = ini.Get2ndNumToken();
    }
    if (ini.GetItem("initial_edit", buf, -1, int(sizeof buf))) {
        m_com.initialEdit[0] = ini.Get1stNumToken(buf, kDelims);
        m_com.initialEdit[1] = ini.Get2ndNumToken();
    }
    v = 0;
    if (ini.GetItem("store_mode", v))
        m_com.storeMode = v != 0;
    v = 0;
    if (ini.GetItem("voice_mode", v))
        m_com.voiceMode = v != 0;

    if (m_com.voiceMode) {
        const QString vs = QStringLiteral("voice_mode");
        if (!ini.GetSection("voice_mode"))
            return Fail(vs, 0, QStringLiteral("missing section"));
        if (!ini.GetItem("midi_format", buf, -1, int(sizeof buf)))
            return Fail(vs, ini.SectionEndLine(), QStringLiteral("missing midi_format"));
        const int n = ini.Get1stNumToken(buf, kDelims);
        if (n < 1 || n > 64)
            return Fail(vs, ini.GetItemLine("midi_format"), QStringLiteral("bad message length"));
        m_voiceModeMsg.resize(n);
        if (!readHex(ini, reinterpret_cast<unsigned char*>(m_voiceModeMsg.data()), n))
            return Fail(vs, ini.GetItemLine("midi_format"), QStringLiteral("message is not %1 bytes").arg(n));
        int on = 0, off = 0;
        if (!ini.GetItem("data_pos", m_voiceModeDataPos) || !ini.GetItem("mode_on", on) || !ini.GetItem("mode_off", off))
            return Fail(vs, ini.SectionEndLine(), QStringLiteral("missing data_pos, mode_on or mode_off"));
        m_modeOn = uint8_t(on);
        m_modeOff = uint8_t(off);
    }
    if (ini.GetSection("voice_name_info")) {
        v = 0x20;
        if (ini.GetItem("terminator", v))
            m_terminator = uint8_t(v);
        int n = 0;
        if (ini.GetItem("invalid_num", n) && n > 0 && n <= 256) {
            m_invalid = QByteArray(n, '\0');
            for (int i = 0; i < n; ++i) {
                int c = 0;
                if (ini.GetItem(QByteArray::number(i).constData(), c))
                    m_invalid[i] = char(c);
            }
        }
        n = 0;
        if (ini.GetItem("invalid_head_num", n) && n > 0 && n <= 256) {
            m_invalidHead = QByteArray(n, '\0');
            for (int i = 0; i < n; ++i) {
                int c = 0;
                if (ini.GetItem(("head" + QByteArray::number(i)).constData(), c))
                    m_invalidHead[i] = char(c);
            }
        }
    }
    if (m_com.partMode) {
        const QString ps = QStringLiteral("part_mode");
        int pm = 0, bm = 0, size = 0;
        if (!ini.GetSection("part_mode"))
            return Fail(ps, 0, QStringLiteral("missing section"));
        if (!ini.GetItem("part_max", pm) || !ini.GetItem("board_max", bm))
            return Fail(ps, ini.SectionEndLine(), QStringLiteral("missing part_max or board_max"));
        m_partMax = uint8_t(pm);
        m_boardMax = uint8_t(bm);
        v = 0;
        m_autoMidiCh = ini.GetItem("automatic_midi_ch", v) && v != 0;
        ini.GetItem("data_pos", m_partDataPos);
        ini.GetItem("data_status", m_partDataStatus);
        ini.GetItem("waitTime", m_partWaitTime);
        if (!ini.GetItem("size", size) || size < 0 || size > 4096)
            return Fail(ps, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
        for (int i = 0; i < size; ++i) {
            const QByteArray key = QByteArray::number(i);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Fail(ps, ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
            PARTASSIGN_DATA d;
            d.category = int16_t(ini.Get1stNumToken(buf, kDelims));
            const int len = AdrLen(d.category);
            if (len <= 0)
                return Fail(ps, ini.GetItemLine(key.constData()), QStringLiteral("address category %1 has no address length").arg(d.category));
            if (!readHex(ini, d.address, len))
                return Fail(ps, ini.GetItemLine(key.constData()), QStringLiteral("address is not %1 bytes").arg(len));
            const int ds = ini.Get2ndNumToken();
            if (ds < 0 || ds > kMaxParamSize)
                return Fail(ps, ini.GetItemLine(key.constData()), QStringLiteral("bad data size %1").arg(ds));
            d.size = uint8_t(ds);
            d.data.assign(size_t(ds), 0);
            if (ds > 0 && !readHex(ini, d.data.data(), ds))
                return Fail(ps, ini.GetItemLine(key.constData()), QStringLiteral("data is not %1 bytes").arg(ds));
            QString num;
            ini.Get2ndStrToken(num);
            bool ok = false;
            const int nv = num.toInt(&ok);
            d.number = ok ? int16_t(nv) : int16_t(-1);
            m_partAssign.push_back(std::move(d));
        }
    }
    if (ini.GetSection("disable_cmd")) {
        int size = 0;
        if (!ini.GetItem("size", size) || size < 0)
            return Fail(QStringLiteral("disable_cmd"), ini.GetItemLine("size"), QStringLiteral("missing size"));
        for (int i = 0; i < size; ++i) {
            int c = 0;
            if (!ini.GetItem(QByteArray::number(i).constData(), c))
                return Fail(QStringLiteral("disable_cmd"), ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
            m_disabled.push_back(c);
        }
    }
    if (ini.GetSection("AssignRule")) {
        int size = 0;
        if (!ini.GetItem("size", size) || size < 0 || size > 4096)
            return Fail(QStringLiteral("AssignRule"), ini.GetItemLine("size"), QStringLiteral("missing size"));
        for (int i = 0; i < size; ++i) {
            char name[64];
            if (!ini.GetItem(QByteArray::number(i).constData(), name, -1, int(sizeof name)))
                return Fail(QStringLiteral("AssignRule"), ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
            ASSIGN_RULE_DATA r;
            r.name = QString::fromLatin1(name).trimmed();
            m_rules.push_back(r);
        }
        for (ASSIGN_RULE_DATA& r : m_rules) {
            const QByteArray name = r.name.toLatin1();
            if (!ini.GetSection(name.constData()))
                continue;
            int size = 0;
            if (!ini.GetItem("size", size) || size < 0 || size > 4096)
                return Fail(r.name, ini.GetItemLine("size"), QStringLiteral("missing size"));
            std::pair<int32_t, int32_t> last(0, 0);
            for (int i = 0; i < size; ++i) {
                if (ini.GetItem(QByteArray::number(i).constData(), buf, -1, int(sizeof buf))) {
                    last.first = ini.Get1stNumToken(buf, kDelims);
                    last.second = ini.Get2ndNumToken();
                }
                r.pairs.push_back(last);
            }
        }
    }
    return true;
}

bool CEditorBlk::ReadBlocks(CIniFileJob& ini)
{
    const QString sec = QStringLiteral("block_list");
    int size = 0;
    if (!ini.GetSection("block_list"))
        return Fail(sec, 0, QStringLiteral("missing section"));
    if (!ini.GetItem("size", size) || size < 0 || size > 4096)
        return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
    std::vector<QByteArray> names;
    for (int i = 0; i < size; ++i) {
        char name[64];
        if (!ini.GetItem(QByteArray::number(i).constData(), name, -1, int(sizeof name)))
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
        names.push_back(QByteArray(name).trimmed());
    }
    for (const QByteArray& name : names) {
        if (!ReadBlock(ini, name))
            return false;
    }
    return true;
}

bool CEditorBlk::ReadBlockSection(CIniFileJob& ini, const QByteArray& section, BLOCK_SECTION& out, CStrArray* names,
                                  int& faultLine, QString& fault) const
{
    auto Fail = [&](int at, const QString& what) {
        faultLine = at;
        fault = what;
        return false;
    };
    char buf[CIniFileJob::kItemSize];
    if (!ini.GetSection(section.constData()))
        return Fail(0, QStringLiteral("missing block section"));
    BLOCK_SECTION* block = &out;
    BLK& b = block->view;
    int memSize = 0;
    if (!ini.GetItem("MemSize", memSize) || memSize <= 0 || memSize > kMaxMemSize)
        return Fail(ini.GetItemLine("MemSize"), QStringLiteral("missing or bad MemSize"));
    b.memSize = memSize;
    block->def.assign(size_t(memSize), 0);
    block->cur.assign(size_t(memSize), 0);
    block->ref.assign(size_t(memSize), 0);
    block->dirty.assign(size_t(memSize), 0);
    if (!ini.GetItem("midi", buf, -1, int(sizeof buf)))
        return Fail(ini.SectionEndLine(), QStringLiteral("missing midi"));
    b.category = int16_t(ini.Get1stNumToken(buf, kDelims) % 256);
    const int len = AdrLen(b.category);
    if (len <= 0 || len > kMaxAdrLen)
        return Fail(ini.GetItemLine("midi"), QStringLiteral("address category %1 has no address length").arg(b.category));
    int v = b.category;
    b.midiFormat = ini.GetItem("midiformat", v) ? int16_t(v) : b.category;
    if (!ini.GetItem("adrsInfoSize", buf, -1, int(sizeof buf)))
        return Fail(ini.SectionEndLine(), QStringLiteral("missing adrsInfoSize"));
    const int rangeCount = ini.Get1stNumToken(buf, kDelims);
    if (rangeCount < 0 || rangeCount > 255)
        return Fail(ini.GetItemLine("adrsInfoSize"), QStringLiteral("bad range count"));
    for (int i = 0; i < rangeCount; ++i) {
        BLKADRINFO r;
        const QByteArray key = "info" + QByteArray::number(i);
        if (ini.GetItem(key.constData(), buf, -1, int(sizeof buf))) {
            const int line = ini.GetItemLine(key.constData());
            char hex[CIniFileJob::kTokenSize];
            ini.Get1stStrToken(buf, kDelims, hex, int(sizeof hex));
            if (int(strnlen(hex, sizeof hex)) != 2 * len)
                return Fail(line, QStringLiteral("range %1: low address is not %2 bytes").arg(i).arg(len));
            CMem::SetByte(hex, r.low, len);
            if (!readHex(ini, r.high, len) || !readHex(ini, r.repeatLow, len) || !readHex(ini, r.repeatHigh, len))
                return Fail(line, QStringLiteral("range %1: addresses are not %2 bytes").arg(i).arg(len));
            const int stride = ini.Get2ndNumToken();
            if (!ini.LastTokenFound() || stride < 0 || stride > 255)
                return Fail(line, QStringLiteral("range %1: bad stride").arg(i));
            r.stride = uint8_t(stride);
            for (int k = 0; k < len; ++k) {
                if (r.low[k] > r.high[k] || r.repeatLow[k] > r.repeatHigh[k])
                    return Fail(line, QStringLiteral("range %1: low above high").arg(i));
            }
            r.defined = true;
        }
        block->ranges.push_back(r);
    }
    if (!ini.GetItem("Name", buf, -1, int(sizeof buf)))
        return Fail(ini.SectionEndLine(), QStringLiteral("missing Name"));
    b.name = QString::fromLatin1(buf).trimmed();
    if (!ini.GetItem("BlkPrmSize", buf, -1, int(sizeof buf)))
        return Fail(ini.SectionEndLine(), QStringLiteral("missing BlkPrmSize"));
    const int prmSize = ini.Get1stNumToken(buf, kDelims);
    if (prmSize < 0 || prmSize > 255)
        return Fail(ini.GetItemLine("BlkPrmSize"), QStringLiteral("BlkPrmSize %1 outside 0..255").arg(prmSize));
    if (!ini.GetItem("size", buf, -1, int(sizeof buf)))
        return Fail(ini.SectionEndLine(), QStringLiteral("missing size"));
    const int lineCount = ini.Get1stNumToken(buf, kDelims);
    if (lineCount < 0 || lineCount > 32767)
        return Fail(ini.GetItemLine("size"), QStringLiteral("bad line count"));
    b.lineCount = int16_t(lineCount);

    int line = 0;
    while (int(block->params.size()) < prmSize && line < lineCount) {
        const QByteArray key = QByteArray::number(line);
        if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
            return Fail(ini.SectionEndLine(), QStringLiteral("missing parameter line %1").arg(line));
        const int at = ini.GetItemLine(key.constData());
        BLKPRM p;
        char hex[CIniFileJob::kTokenSize];
        ini.Get1stStrToken(buf, kDelims, hex, int(sizeof hex));
        if (int(strnlen(hex, sizeof hex)) != 2 * len)
            return Fail(at, QStringLiteral("address is not %1 bytes").arg(len));
        CMem::SetByte(hex, p.address, len);
        const int range = ini.Get2ndNumToken();
        const int offset = ini.Get2ndNumToken();
        const int size = ini.Get2ndNumToken();
        const int mn = ini.Get2ndHexToken();
        const int mx = ini.Get2ndHexToken();
        const int de = ini.Get2ndHexToken();
        const int asg = ini.Get2ndNumToken();
        const int disp = ini.Get2ndNumToken();
        const int link = ini.Get2ndNumToken();
        if (!ini.LastTokenFound())
            return Fail(at, QStringLiteral("a parameter line has eleven fields"));
        QString name;
        ini.Get2ndStrToken(name);
        if (range < 0 || range >= int(block->ranges.size()) || !block->ranges[size_t(range)].defined)
            return Fail(at, QStringLiteral("range index %1 names no range").arg(range));
        const BLKADRINFO& r = block->ranges[size_t(range)];
        if (size < 1 || size > kMaxParamSize)
            return Fail(at, QStringLiteral("size %1 outside 1..%2").arg(size).arg(kMaxParamSize));
        const int k = GetRepeatCount(r.repeatLow, r.repeatHigh, short(len));
        if (offset < 0 || int64_t(offset) + int64_t(k - 1) * r.stride + size > memSize)
            return Fail(at, QStringLiteral("offset %1, size %2 and stride %3 do not fit MemSize %4")
                                     .arg(offset).arg(size).arg(r.stride).arg(memSize));
        for (int i = 0; i < len; ++i) {
            if (p.address[i] < r.low[i] || p.address[i] > r.high[i])
                return Fail(at, QStringLiteral("address lies outside its range"));
        }
        if (asg < 0 || asg > 65535 || disp < 0 || disp > 65535 || link < 0 || link > 65535)
            return Fail(at, QStringLiteral("style or link number outside 0..65535"));
        if (asg <= 99 && !CAsgnStyle::SysStyleFitsSize(asg, size))
            return Fail(at, QStringLiteral("assign style %1 does not convert %2 bytes").arg(asg).arg(size));
        if (line + size > lineCount)
            return Fail(at, QStringLiteral("a %1-byte parameter needs %1 lines").arg(size));
        p.rangeIndex = uint8_t(range);
        p.offset = uint16_t(offset);
        p.size = uint8_t(size);
        p.link = uint16_t(link);
        p.minimum.assign(size_t(size) * size_t(k), 0);
        p.maximum.assign(size_t(size) * size_t(k), 0);
        p.assignStyle.assign(size_t(k), uint16_t(asg));
        p.dispStyle.assign(size_t(k), uint16_t(disp));
        for (int i = 0; i < k; ++i) {
            p.minimum[size_t(i) * size_t(size)] = (unsigned char)mn;
            p.maximum[size_t(i) * size_t(size)] = (unsigned char)mx;
            p.names.SetAt(i, name);
            const size_t pos = size_t(offset) + size_t(i) * r.stride;
            block->def[pos] = block->cur[pos] = block->ref[pos] = (unsigned char)de;
        }
        if (names)
            names->append(name);
        ++line;
        for (int j = 1; j < size; ++j, ++line) {
            const QByteArray more = QByteArray::number(line);
            if (!ini.GetItem(more.constData(), buf, -1, int(sizeof buf)))
                return Fail(ini.SectionEndLine(), QStringLiteral("missing continuation line %1").arg(line));
            ini.Get1stStrToken(buf, kDelims, nullptr, 0);
            ini.Get2ndStrToken(nullptr, 0);
            ini.Get2ndStrToken(nullptr, 0);
            ini.Get2ndStrToken(nullptr, 0);
            const int cmn = ini.Get2ndHexToken();
            const int cmx = ini.Get2ndHexToken();
            const int cde = ini.Get2ndHexToken();
            if (!ini.LastTokenFound())
                return Fail(ini.GetItemLine(more.constData()), QStringLiteral("a continuation line has seven fields"));
            for (int i = 0; i < k; ++i) {
                p.minimum[size_t(i) * size_t(size) + size_t(j)] = (unsigned char)cmn;
                p.maximum[size_t(i) * size_t(size) + size_t(j)] = (unsigned char)cmx;
                const size_t pos = size_t(offset) + size_t(j) + size_t(i) * r.stride;
                block->def[pos] = block->cur[pos] = (unsigned char)cde;
            }
        }
        block->params.push_back(std::move(p));
    }
    return true;
}

bool CEditorBlk::ReadBlock(CIniFileJob& ini, const QByteArray& section)
{
    auto block = std::make_unique<Block>();
    int at = 0;
    QString why;
    if (!ReadBlockSection(ini, section, *block, m_com.editMode ? &block->names : nullptr, at, why))
        return Fail(QString::fromLatin1(section), at, why);
    block->Sync();
    ForgetLocations();
    m_blocks.push_back(std::move(block));
    return true;
}

bool CEditorBlk::ReadSoloMute(CIniFileJob& ini)
{
    if (!ini.GetSection("solo_mute_info"))
        return true;
    const QString sec = QStringLiteral("solo_mute_info");
    int solo = 0, mute = 0, cat = 0, size = 0;
    if (!ini.GetItem("solo_mode", solo) || !ini.GetItem("mute_mode", mute) || !ini.GetItem("midi_format", cat)
        || !ini.GetItem("size", size))
        return Fail(sec, ini.SectionEndLine(), QStringLiteral("needs solo_mode, mute_mode, midi_format and size"));
    m_soloMode = solo != 0;
    m_muteMode = mute != 0;
    m_volumeCategory = int16_t(cat);
    const int len = AdrLen(m_volumeCategory);
    if (len <= 0)
        return Fail(sec, ini.GetItemLine("midi_format"), QStringLiteral("address category %1 has no address length").arg(cat));
    if (size < 0 || size > 256)
        return Fail(sec, ini.GetItemLine("size"), QStringLiteral("bad part count"));
    if (size == 0)
        return true;
    m_solo.assign(size_t(size), 0);
    m_mute.assign(size_t(size), 0);
    m_volumes.assign(size_t(size), QByteArray());
    for (int i = 0; i < size; ++i) {
        char buf[CIniFileJob::kItemSize];
        const QByteArray key = QByteArray::number(i);
        if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
            continue;  // this part has no volume; the others keep their places
        char hex[CIniFileJob::kTokenSize];
        ini.Get1stStrToken(buf, kDelims, hex, int(sizeof hex));
        if (int(strnlen(hex, sizeof hex)) != 2 * len)
            return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("volume address is not %1 bytes").arg(len));
        QByteArray a(len, '\0');
        CMem::SetByte(hex, reinterpret_cast<unsigned char*>(a.data()), len);
        m_volumes[size_t(i)] = a;
    }
    return true;
}

// ------------------------------------------------------------------ addressing

int CEditorBlk::GetRepeatCount(const unsigned char* adrs, short len, const BLKADRINFO& r)
{
    return GetRepeatCount(adrs, len, r.low, r.repeatHigh, r.repeatLow);
}

int CEditorBlk::GetRepeatCount(const unsigned char* adrs, short len, const unsigned char* low,
                               const unsigned char* repeatHigh, const unsigned char* repeatLow)
{
    int index = 0;
    for (int b = 0; b + 1 < len; ++b) {
        const int count = uint8_t(repeatHigh[b + 1] - repeatLow[b + 1] + 1);
        index += (int(adrs[b]) - int(low[b])) * count;
    }
    return index;
}

int CEditorBlk::GetRepeatCount(const unsigned char* repeatLow, const unsigned char* repeatHigh, short len)
{
    int n = 1;
    for (int b = 0; b < len; ++b)
        n *= uint8_t(repeatHigh[b] - repeatLow[b] + 1) == 0 ? 256 : uint8_t(repeatHigh[b] - repeatLow[b] + 1);
    return n;
}

bool CEditorBlk::GetBassAdrs(const unsigned char* adrs, const BLK& blk, unsigned char* base) const
{
    const int len = AdrLen(blk.category);
    if (len <= 0 || !adrs)
        return false;
    for (int i = 0; i < blk.rangeCount; ++i) {
        const BLKADRINFO& r = blk.ranges[i];
        if (!r.defined)
            continue;
        bool in = true;
        for (int b = 0; b < len && in; ++b)
            in = adrs[b] >= r.low[b] && adrs[b] <= r.high[b];
        if (!in)
            continue;
        if (base) {
            for (int b = 0; b < len; ++b)
                base[b] = r.repeatLow[b] != r.repeatHigh[b] ? r.low[b] : adrs[b];
        }
        return true;
    }
    return false;
}

int CEditorBlk::FindBlock(short cat, const unsigned char* adrs, unsigned char* base) const
{
    const int len = AdrLen(cat);
    if (len <= 0 || !adrs)
        return -1;
    for (size_t i = 0; i < m_blocks.size(); ++i) {
        const Block& b = *m_blocks[i];
        if (b.view.category != cat)
            continue;
        for (const BLKADRINFO& r : b.ranges) {
            if (!r.defined)
                continue;
            int k = 0;
            while (k < len && adrs[k] >= r.low[k] && adrs[k] <= r.high[k])
                ++k;
            if (k < len)
                continue;
            if (base) {
                for (int j = 0; j < len; ++j)
                    base[j] = r.repeatLow[j] != r.repeatHigh[j] ? r.low[j] : adrs[j];
            }
            return int(i);
        }
    }
    return -1;
}

bool CEditorBlk::Locate(short cat, const unsigned char* adrs, Loc& loc, bool) const
{
    const int len = AdrLen(cat);
    if (len <= 0 || !adrs)
        return false;
    LocateMemo::Key key;
    const bool memo = len <= int(sizeof key.address);
    if (memo) {
        std::memcpy(&key.address, adrs, size_t(len));
        key.categoryAndLength = uint32_t(uint16_t(cat)) << 8 | uint32_t(len);
        std::lock_guard<std::mutex> lock(m_locateMemo->mutex);
        const auto found = m_locateMemo->hits.find(key);
        if (found != m_locateMemo->hits.end()) {
            const LocateMemo::Hit& hit = found->second;
            return hit.blockIndex >= 0 && FillLoc(hit.blockIndex, hit.prm, hit.instance, len, loc);
        }
    }
    LocateMemo::Hit hit;
    const bool found = LocateByWalk(cat, adrs, len, hit.blockIndex, hit.prm, hit.instance);
    if (memo) {
        std::lock_guard<std::mutex> lock(m_locateMemo->mutex);
        if (m_locateMemo->hits.size() >= LocateMemo::kMaxEntries)
            m_locateMemo->hits.clear();
        m_locateMemo->hits.emplace(key, hit);
    }
    return found && FillLoc(hit.blockIndex, hit.prm, hit.instance, len, loc);
}

bool CEditorBlk::FillLoc(int blockIndex, int prmIndex, int instance, int len, Loc& loc) const
{
    Block* blk = m_blocks[size_t(blockIndex)].get();
    const BLKPRM& prm = blk->params[size_t(prmIndex)];
    loc.block = blk;
    loc.blockIndex = blockIndex;
    loc.prm = prmIndex;
    loc.instance = instance;
    loc.pos = prm.offset + instance * blk->ranges[prm.rangeIndex].stride;
    loc.len = len;
    return true;
}

bool CEditorBlk::LocateByWalk(short cat, const unsigned char* adrs, int len, int& blockIndex, int& prm,
                              int& instance) const
{
    unsigned char base[kMaxAdrLen] = {};
    const int bi = FindBlock(cat, adrs, base);
    if (bi < 0)
        return false;
    Block* blk = m_blocks[size_t(bi)].get();
    for (size_t p = 0; p < blk->params.size(); ++p) {
        const BLKPRM& param = blk->params[p];
        if (std::memcmp(param.address, base, size_t(len)) != 0)
            continue;
        const BLKADRINFO& r = blk->ranges[param.rangeIndex];
        const int k = GetRepeatCount(r.repeatLow, r.repeatHigh, short(len));
        const int n = GetRepeatCount(adrs, short(len), r);
        // An address outside the parameter's own instances names nothing.
        if (n < 0 || n >= k)
            return false;
        blockIndex = bi;
        prm = int(p);
        instance = n;
        return true;
    }
    return false;
}

BLK CEditorBlk::GetBlkAt(int i) const
{
    return i >= 0 && i < int(m_blocks.size()) ? m_blocks[size_t(i)]->view : BLK();
}

bool CEditorBlk::GetBlk(short cat, const unsigned char* adrs, unsigned char* base, BLK& blk) const
{
    const int i = FindBlock(cat, adrs, base);
    if (i < 0)
        return false;
    blk = m_blocks[size_t(i)]->view;
    if (m_boards)
        m_boards->CheckPlugInBoardBlk(blk);
    return true;
}

bool CEditorBlk::GetBlk(short cat, const unsigned char* adrs, BLK& blk, int& index) const
{
    unsigned char base[kMaxAdrLen];
    const int i = FindBlock(cat, adrs, base);
    if (i < 0)
        return false;
    blk = m_blocks[size_t(i)]->view;
    index = i;
    if (m_boards)
        m_boards->CheckPlugInBoardBlk(blk);
    return true;
}

bool CEditorBlk::GetBlk(short cat, const unsigned char* adrs, BLK& blk) const
{
    unsigned char base[kMaxAdrLen];
    const int i = FindBlock(cat, adrs, base);
    if (i < 0)
        return false;
    blk = m_blocks[size_t(i)]->view;
    return true;
}

bool CEditorBlk::GetBlk(const BLK& key, BLK& blk) const
{
    for (const auto& b : m_blocks) {
        const BLK& v = b->view;
        if (v.category == key.category && v.memSize == key.memSize && v.lineCount == key.lineCount && v.name == key.name) {
            blk = v;
            return true;
        }
    }
    return false;
}

int CEditorBlk::GetBlkNumber(short cat, const unsigned char* adrs) const
{
    const int i = FindBlock(cat, adrs, nullptr);
    return i < 0 ? 0 : i;
}

bool CEditorBlk::LocateShown(short cat, const unsigned char* adrs, BLK& blk, Loc& loc) const
{
    if (!Locate(cat, adrs, loc))
        return false;
    blk = loc.block->view;
    if (m_boards)
        m_boards->CheckPlugInBoardBlk(blk);
    return true;
}

bool CEditorBlk::GetBlkPrm(short cat, const unsigned char* adrs, BLK& blk, BLKPRM& prm) const
{
    Loc loc;
    if (!LocateShown(cat, adrs, blk, loc))
        return false;
    prm = loc.block->params[size_t(loc.prm)];
    return true;
}

bool CEditorBlk::GetBlkPrmOffset(short cat, const unsigned char* adrs, BLK& blk, int& offset) const
{
    Loc loc;
    if (!LocateShown(cat, adrs, blk, loc))
        return false;
    offset = loc.block->params[size_t(loc.prm)].offset;
    return true;
}

bool CEditorBlk::GetBlkPrmAndOffset(short cat, const unsigned char* adrs, BLK& blk, BLKPRM& prm, int& index) const
{
    Loc loc;
    if (!LocateShown(cat, adrs, blk, loc))
        return false;
    prm = loc.block->params[size_t(loc.prm)];
    index = loc.prm;
    return true;
}

bool CEditorBlk::GetAddress(short cat, const unsigned char* adrs, int n, unsigned char*& out) const
{
    Loc loc;
    if (!Locate(cat, adrs, loc) || n < 0 || n >= int(loc.block->params.size()))
        return false;
    unsigned char* p = nullptr;
    if (!CMem::NewByte(&p, loc.len))
        return false;
    std::memcpy(p, loc.block->params[size_t(n)].address, size_t(loc.len));
    out = p;
    return true;
}

bool CEditorBlk::GetParamAddress(unsigned int block, int n, unsigned char* out) const
{
    if (!out || block >= m_blocks.size() || n < 0)
        return false;
    const Block& b = *m_blocks[block];
    if (n >= b.view.memSize || b.params.empty())
        return false;
    const int count = int(b.params.size());
    const int p = n % count, k = n / count;
    std::memcpy(out, b.params[size_t(p)].address, 3);
    if (k == 0)
        return true;
    if (b.ranges.empty())
        return false;
    const BLKADRINFO& r = b.ranges[0];
    for (int i = 0; i < 3; ++i) {
        if (r.repeatHigh[i] != 0) {
            out[i] = (unsigned char)(r.repeatLow[i] + k);
            return true;
        }
    }
    return false;
}

const CStrArray* CEditorBlk::GetBlockNames(int block) const
{
    return block >= 0 && block < int(m_blocks.size()) ? &m_blocks[size_t(block)]->names : nullptr;
}

// ------------------------------------------------------------------ data access

short CEditorBlk::GetData(short cat, const unsigned char* adrs, unsigned char* out) const
{
    Loc loc;
    if (!out || !Locate(cat, adrs, loc))
        return 0;
    const BLKPRM& p = loc.block->params[size_t(loc.prm)];
    std::memcpy(out, loc.block->cur.data() + loc.pos, p.size);
    return p.size;
}

bool CEditorBlk::GetData(short cat, const unsigned char* adrs, unsigned char* out, int delta) const
{
    Loc loc;
    if (!out || !Locate(cat, adrs, loc))
        return false;
    const BLKPRM& p = loc.block->params[size_t(loc.prm)];
    const int start = loc.pos + delta;
    if (start < 0 || start + p.size > loc.block->view.memSize)
        return false;
    std::memcpy(out, loc.block->cur.data() + start, p.size);
    return true;
}

int CEditorBlk::GetData(short cat, int instance, const unsigned char* adrs, unsigned char* out) const
{
    unsigned char* ptr = nullptr;
    unsigned char size = 0;
    if (!out || !const_cast<CEditorBlk*>(this)->GetData(cat, adrs, instance, ptr, size))
        return 0;
    std::memcpy(out, ptr, size);
    return size;
}

bool CEditorBlk::GetData(short cat, const unsigned char* adrs, unsigned char*& ptr, unsigned char& size)
{
    Loc loc;
    if (!Locate(cat, adrs, loc))
        return false;
    ptr = loc.block->cur.data() + loc.pos;
    size = loc.block->params[size_t(loc.prm)].size;
    return true;
}

bool CEditorBlk::GetData(short cat, const unsigned char* adrs, int instance, unsigned char*& ptr, unsigned char& size)
{
    Loc loc;
    if (!Locate(cat, adrs, loc))
        return false;
    const BLKPRM& p = loc.block->params[size_t(loc.prm)];
    const BLKADRINFO& r = loc.block->ranges[p.rangeIndex];
    if (instance < 0 || instance >= GetRepeatCount(r.repeatLow, r.repeatHigh, short(loc.len)))
        return false;
    ptr = loc.block->cur.data() + p.offset + instance * r.stride;
    size = p.size;
    return true;
}

short CEditorBlk::GetDataRef(short cat, const unsigned char* adrs, unsigned char* out) const
{
    Loc loc;
    if (!out || !Locate(cat, adrs, loc))
        return 0;
    const BLKPRM& p = loc.block->params[size_t(loc.prm)];
    std::memcpy(out, loc.block->ref.data() + loc.pos, p.size);
    return p.size;
}

bool CEditorBlk::GetDef(short cat, const unsigned char* adrs, unsigned char*& ptr, unsigned char& size)
{
    Loc loc;
    if (!Locate(cat, adrs, loc))
        return false;
    ptr = loc.block->def.data() + loc.pos;
    size = loc.block->params[size_t(loc.prm)].size;
    return true;
}

bool CEditorBlk::GetRange(short cat, const unsigned char* adrs, const unsigned char*& min,
                          const unsigned char*& max, unsigned char& size) const
{
    Loc loc;
    if (!Locate(cat, adrs, loc))
        return false;
    const BLKPRM& p = loc.block->params[size_t(loc.prm)];
    min = p.minimum.data() + size_t(loc.instance) * p.size;
    max = p.maximum.data() + size_t(loc.instance) * p.size;
    size = p.size;
    return true;
}

bool CEditorBlk::GetPrmInfo(short cat, const unsigned char* adrs, PRMINFO& info) const
{
    Loc loc;
    if (!Locate(cat, adrs, loc))
        return false;
    const BLKPRM& p = loc.block->params[size_t(loc.prm)];
    const size_t i = size_t(loc.instance);
    info.size = p.size;
    info.link = p.link;
    info.assignStyle = p.assignStyle[i];
    info.dispStyle = p.dispStyle[i];
    if (int(i) < p.names.size()) {
        info.name = p.names.at(int(i));
        info.minimum = p.minimum.data() + i * p.size;
        info.maximum = p.maximum.data() + i * p.size;
    } else {
        info.name.clear();
    }
    return true;
}

uint8_t CEditorBlk::GetParamSize(short cat, const unsigned char* adrs) const
{
    Loc loc;
    return Locate(cat, adrs, loc) ? loc.block->params[size_t(loc.prm)].size : 0;
}

bool CEditorBlk::IsParam(short cat, const unsigned char* adrs) const
{
    Loc loc;
    return Locate(cat, adrs, loc);
}

bool CEditorBlk::GetBlkPrm(short cat, const unsigned char* adrs, BLKPRM& prm) const
{
    Loc loc;
    if (!Locate(cat, adrs, loc))
        return false;
    prm = loc.block->params[size_t(loc.prm)];
    return true;
}

bool CEditorBlk::SetBlkPrm(short cat, const unsigned char* adrs, const BLKPRM& prm)
{
    Loc loc;
    if (!Locate(cat, adrs, loc))
        return false;
    BLKPRM& p = loc.block->params[size_t(loc.prm)];
    // Geometry is fixed after reading; only the instance fields may change.
    if (prm.minimum.size() != p.minimum.size() || prm.maximum.size() != p.maximum.size()
        || prm.assignStyle.size() != p.assignStyle.size() || prm.dispStyle.size() != p.dispStyle.size())
        return false;
    p.minimum = prm.minimum;
    p.maximum = prm.maximum;
    p.names = prm.names;
    p.assignStyle = prm.assignStyle;
    p.dispStyle = prm.dispStyle;
    return true;
}

bool CEditorBlk::SetBlkData(short cat, const unsigned char* adrs, const unsigned char* data)
{
    if (!data)
        return false;
    const int i = FindBlock(cat, adrs, nullptr);
    if (i < 0)
        return false;
    Block& b = *m_blocks[size_t(i)];
    std::memcpy(b.cur.data(), data, size_t(b.view.memSize));
    return true;
}

short CEditorBlk::GetPrmChngSize(short cat, const unsigned char* adrs) const
{
    Loc loc;
    if (!Locate(cat, adrs, loc) || !m_map)
        return 0;
    CMidiCtrl ctrl(m_map, 0);
    return short(ctrl.GetPrmChngSize(loc.block->view.midiFormat, loc.block->params[size_t(loc.prm)].size));
}

int CEditorBlk::FormPrmChngBuffer(short cat, const unsigned char* adrs, const unsigned char* data, short size,
                                  unsigned char* out) const
{
    Loc loc;
    if (!out || !Locate(cat, adrs, loc) || !m_map)
        return -1;
    CMidiCtrl ctrl(m_map, 0);
    return ctrl.FormPrmChngBuffer(loc.block->view.midiFormat, adrs, data, out, size);
}

bool CEditorBlk::GetPrecedingByte(short cat, const unsigned char* adrs, unsigned char& out) const
{
    Loc loc;
    if (!Locate(cat, adrs, loc) || loc.pos < 1)
        return false;
    out = loc.block->cur[size_t(loc.pos - 1)];
    return true;
}

void CEditorBlk::SendParam(const Loc& loc, const unsigned char* adrs, const unsigned char* data, int size)
{
    if (!m_map)
        return;
    CMidiCtrl ctrl(m_map, 0);
    ctrl.ParamChange(loc.block->view.midiFormat, adrs, data, short(size), -1);
}

bool CEditorBlk::SetData(short cat, const unsigned char* adrs, const unsigned char* data, bool& linked,
                         LINKFLAG link, MIDIFLAG midi, bool fromSurface, unsigned char dirty)
{
    linked = false;
    Loc loc;
    if (!data || !Locate(cat, adrs, loc))
        return false;
    const BLKPRM& p = loc.block->params[size_t(loc.prm)];
    const int size = p.size;
    std::memcpy(loc.block->cur.data() + loc.pos, data, size_t(size));
    if (midi) {
        if (CheckSoloMuteStatus(cat, adrs, loc.len))
            SendParam(loc, adrs, data, size);
        if (m_map && m_map->IsRemoteCtrlMode() && !fromSurface) {
            _RCPARAM_INFO rc;
            unsigned char address[kMaxAdrLen] = {};
            std::memcpy(address, adrs, size_t(loc.len));
            rc.category = uint32_t(cat);
            rc.address = address;
            rc.kind = 1;
            rc.value = CPrmCtrl::GetCnvData(size, data);
            m_map->ChangeParam(&rc);
        }
    }
    const uint16_t linkNo = p.link;
    if (link && linkNo != kNoValue16) {
        Setlink(loc.block->view.category, adrs, data, (unsigned char)size, short(linkNo), dirty);
        linked = true;
    }
    return true;
}

bool CEditorBlk::SetParamDirtyFlag(short cat, const unsigned char* adrs, unsigned char)
{
    return IsParam(cat, adrs);
}

// ------------------------------------------------------------------ links

void CEditorBlk::ApplyLinkTargets(short cat, const unsigned char* adrs, int len, const INITADRS_DATA& e,
                                  unsigned char* target) const
{
    // The target has the link entry's own address length; bytes the changed address
    // does not have count as 0.
    const int tl = AdrLen(e.category);
    for (int b = 0; b < tl && b < kMaxAdrLen; ++b) {
        const unsigned char a = b < len ? adrs[b] : 0;
        target[b] = (unsigned char)((a & e.mask[b]) | e.pattern[b]);
    }
    Q_UNUSED(cat);
}

bool CEditorBlk::Setlink(short cat, const unsigned char* adrs, const unsigned char* data, unsigned char size,
                         short link, unsigned char dirty)
{
    if (link < 0 || uint16_t(link) == kNoValue16)
        return false;
    const INITADRS* set = nullptr;
    const INITDATA* values = nullptr;
    if (!m_links.GetLink(this, cat, adrs, data, size, link, set, values))
        return true;
    const int len = AdrLen(cat);
    const size_t n = std::min(set->entries.size(), values->items.size());
    for (size_t i = 0; i < n; ++i) {
        const INITADRS_DATA& e = set->entries[i];
        unsigned char target[kMaxAdrLen] = {};
        ApplyLinkTargets(cat, adrs, len, e, target);
        SetInitData(e.category, target, values->items[i], values->send);
        SetParamDirtyFlag(e.category, target, dirty);
    }
    return true;
}

bool CEditorBlk::SetInitData(short cat, const unsigned char* adrs, const INITDATAITEM& item, bool send)
{
    Loc loc;
    if (!Locate(cat, adrs, loc))
        return false;
    BLKPRM& p = loc.block->params[size_t(loc.prm)];
    const size_t i = size_t(loc.instance);
    const size_t n = std::min<size_t>(p.size, item.count);
    std::memcpy(p.minimum.data() + i * p.size, item.minimum.data(), n);
    std::memcpy(p.maximum.data() + i * p.size, item.maximum.data(), n);
    p.assignStyle[i] = item.codeA;
    p.dispStyle[i] = item.codeB;
    p.names.SetAt(int(i), item.name);
    unsigned char* cur = loc.block->cur.data() + loc.pos;
    unsigned char* def = loc.block->def.data() + loc.pos;
    if (item.value.empty() || item.value[0] == 0xFF) {
        if (p.size == 1) {
            unsigned char v = *cur;
            if (v < item.minimum[0])
                v = item.minimum[0];
            if (v > item.maximum[0])
                v = item.maximum[0];
            if (v != *cur)
                *cur = v;
        }
        if (loc.len >= 3 && adrs[0] == 0x47 && adrs[2] == 0x06 && send)
            SendParam(loc, adrs, cur, p.size);
    } else {
        std::memcpy(cur, item.value.data(), n);
        std::memcpy(def, item.value.data(), n);
        if (send)
            SendParam(loc, adrs, cur, p.size);
    }
    return true;
}

bool CEditorBlk::ResetLink(short cat, const unsigned char* adrs, const unsigned char* data, unsigned char size,
                           short link)
{
    if (link < 0 || uint16_t(link) == kNoValue16)
        return false;
    const INITADRS* set = nullptr;
    const INITDATA* values = nullptr;
    if (!m_links.GetLink(this, cat, adrs, data, size, link, set, values))
        return true;
    const int len = AdrLen(cat);
    for (size_t i = 0; i < set->entries.size() && i < values->items.size(); ++i) {
        const INITADRS_DATA& e = set->entries[i];
        const INITDATAITEM& item = values->items[i];
        unsigned char target[kMaxAdrLen] = {};
        ApplyLinkTargets(cat, adrs, len, e, target);
        Loc loc;
        if (!Locate(e.category, target, loc))
            continue;
        BLKPRM& p = loc.block->params[size_t(loc.prm)];
        const size_t k = size_t(loc.instance);
        const size_t n = std::min<size_t>(p.size, item.count);
        std::memcpy(p.minimum.data() + k * p.size, item.minimum.data(), n);
        std::memcpy(p.maximum.data() + k * p.size, item.maximum.data(), n);
        p.assignStyle[k] = item.codeA;
        p.dispStyle[k] = item.codeB;
        p.names.SetAt(int(k), item.name);
        if (m_linkedToVoiceMap && !item.value.empty() && item.value[0] != 0xFF)
            std::memcpy(loc.block->def.data() + loc.pos, item.value.data(), n);
    }
    return true;
}

void CEditorBlk::ResetLink()
{
    // Which parameters have a link is fixed once the blocks are read.
    if (!m_linkedKnown) {
        m_linked.clear();
        for (size_t bi = 0; bi < m_blocks.size(); ++bi)
            for (size_t pi = 0; pi < m_blocks[bi]->params.size(); ++pi)
                if (m_blocks[bi]->params[pi].link != kNoValue16)
                    m_linked.emplace_back(bi, pi);
        m_linkedKnown = true;
    }
    for (const auto& [bi, pi] : m_linked) {
        const Block* blk = m_blocks[bi].get();
        const int len = AdrLen(blk->view.category);
        const BLKPRM& p = blk->params[pi];
        const BLKADRINFO& r = blk->ranges[p.rangeIndex];
        unsigned char a[kMaxAdrLen] = {};
        std::memcpy(a, p.address, size_t(len));
        const uint16_t link = p.link;
        auto reset = [&]() {
            unsigned char cur[kMaxParamSize] = {};
            const short n = GetData(blk->view.category, a, cur);
            if (n > 0)
                ResetLink(blk->view.category, a, cur, (unsigned char)n, short(link));
        };
        bool repeats = false;
        for (int b = 0; b < len; ++b)
            repeats = repeats || r.repeatLow[b] != r.repeatHigh[b];
        if (!repeats) {
            reset();
            continue;
        }
        for (int b = len - 1; b >= 0; --b) {
            if (r.repeatLow[b] == r.repeatHigh[b])
                continue;
            for (int v = r.repeatLow[b]; v <= r.repeatHigh[b]; ++v) {
                a[b] = (unsigned char)(r.low[b] + (v - r.repeatLow[b]));
                reset();
            }
        }
    }
}

// ------------------------------------------------------------------ settings

const unsigned char* CEditorBlk::GetVoiceModeData(bool on, int& size)
{
    if (!m_com.voiceMode || m_voiceModeDataPos < 0 || m_voiceModeDataPos >= m_voiceModeMsg.size())
        return nullptr;
    m_voiceModeMsg[m_voiceModeDataPos] = char(on ? m_modeOn : m_modeOff);
    size = int(m_voiceModeMsg.size());
    return reinterpret_cast<const unsigned char*>(m_voiceModeMsg.constData());
}

bool CEditorBlk::IsInvalidChar(const char* c, bool head) const
{
    if (!c)
        return false;
    const QByteArray& list = head ? m_invalidHead : m_invalid;
    return !list.isEmpty() && list.contains(*c);
}

const ASSIGN_RULE_DATA* CEditorBlk::GetAssignRuleData(int i) const
{
    return i >= 0 && i < int(m_rules.size()) ? &m_rules[size_t(i)] : nullptr;
}

void CEditorBlk::SendPartAssignPrmChng()
{
    if (!m_com.partMode || !m_map)
        return;
    for (const PARTASSIGN_DATA& d : m_partAssign) {
        CMidiCtrl ctrl(m_map, 0);
        ctrl.ParamChange(d.category, d.address, d.data.data(), short(d.size), d.number);
    }
}

bool CEditorBlk::IsSoloStatus(int part) const
{
    return m_soloMode && part >= 0 && part < int(m_solo.size()) && m_solo[size_t(part)];
}

bool CEditorBlk::IsMuteStatus(int part) const
{
    return m_muteMode && part >= 0 && part < int(m_mute.size()) && m_mute[size_t(part)];
}

bool CEditorBlk::SetSoloStatus(int part, bool on)
{
    if (!m_soloMode || part < 0 || part >= int(m_solo.size()))
        return false;
    m_solo[size_t(part)] = on ? 1 : 0;
    return true;
}

bool CEditorBlk::SetMuteStatus(int part, bool on)
{
    if (!m_muteMode || part < 0 || part >= int(m_mute.size()))
        return false;
    m_mute[size_t(part)] = on ? 1 : 0;
    return true;
}

bool CEditorBlk::IsSoloMode() const
{
    return m_soloMode && std::any_of(m_solo.begin(), m_solo.end(), [](unsigned char f) { return f != 0; });
}

bool CEditorBlk::IsMuteMode() const
{
    return m_muteMode && std::any_of(m_mute.begin(), m_mute.end(), [](unsigned char f) { return f != 0; });
}

const unsigned char* CEditorBlk::GetVolumeAddress(int part, int& category) const
{
    if (part < 0 || part >= int(m_volumes.size()) || m_volumes[size_t(part)].isEmpty())
        return nullptr;
    category = m_volumeCategory;
    return reinterpret_cast<const unsigned char*>(m_volumes[size_t(part)].constData());
}

int CEditorBlk::CheckVolumeAddress(int, const unsigned char* adrs, int len) const
{
    if (!adrs || len <= 0)
        return -1;
    for (size_t p = 0; p < m_volumes.size(); ++p) {
        const QByteArray& v = m_volumes[p];
        if (!v.isEmpty() && len <= v.size() && std::memcmp(v.constData(), adrs, size_t(len)) == 0)
            return int(p);
    }
    return -1;
}

bool CEditorBlk::CheckSoloMuteStatus(int category, const unsigned char* adrs, int len) const
{
    const int p = CheckVolumeAddress(category, adrs, len);
    if (p < 0)
        return true;
    if (m_solo[size_t(p)])
        return true;
    const bool anySolo = std::any_of(m_solo.begin(), m_solo.end(), [](unsigned char f) { return f != 0; });
    return !anySolo && !m_mute[size_t(p)];
}

void CEditorBlk::SendVolumeParam(int part, bool silent)
{
    int cat = 0;
    const unsigned char* adrs = GetVolumeAddress(part, cat);
    if (!adrs || !m_map)
        return;
    Loc loc;
    if (!Locate(short(cat), adrs, loc))
        return;
    const int size = loc.block->params[size_t(loc.prm)].size;
    unsigned char zero[kMaxParamSize] = {};
    const unsigned char* bytes = silent ? zero : loc.block->cur.data() + loc.pos;
    CMidiCtrl ctrl(m_map, 0);
    ctrl.ParamChange(short(cat), adrs, bytes, short(size), -1);
}
