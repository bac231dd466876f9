#include "CopyBlkInfo.h"
#include "CopyPrmInfo.h"
#include "EditorBlk.h"
#include "IniFileJob.h"
#include "IniFileJobCache.h"
#include "Mem.h"
#include "ModelLogging.h"
#include "PrmCtrl.h"
#include "VceMem.h"
#include "console/bulk/MidiFormat.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {
// A parameter's size is one byte, so this holds any of them.
constexpr int kPrmBytes = 256;
} // namespace

CCopyBlkInfo::~CCopyBlkInfo() = default;

void CCopyBlkInfo::InitSet(const CMidiFormat* formats, CPrmCtrl* map)
{
    m_formats = formats;
    m_map = map;
}

void CCopyBlkInfo::DeleteList()
{
    m_rules.clear();
}

int CCopyBlkInfo::GetCnvData(int n, const unsigned char* bytes)
{
    return CPrmCtrl::GetCnvData(n, bytes);
}

void CCopyBlkInfo::ConvIntToData(int n, int value, unsigned char* bytes)
{
    CPrmCtrl::GetData(value, bytes, n);
}

bool CCopyBlkInfo::ReadRange(CIniFileJob& ini, const char* key, COPY_BLKADRINFO& out, bool& present) const
{
    QByteArray v;
    present = ini.GetItem(key, v) != 0;
    if (!present)
        return true;
    const int len = m_formats ? m_formats->GetAdrLen(0) : 0;
    const std::vector<QByteArray> t = CCopyPrmInfo::SplitTokens(v);
    return t.size() >= 5 && CCopyPrmInfo::ParseAddress(t[0], len, out.low)
        && CCopyPrmInfo::ParseAddress(t[1], len, out.high) && CCopyPrmInfo::ParseAddress(t[2], len, out.repeatLow)
        && CCopyPrmInfo::ParseAddress(t[3], len, out.repeatHigh) && CCopyPrmInfo::ParseDecimal(t[4], out.stride)
        && out.stride >= 0 && out.stride <= 255;
}

bool CCopyBlkInfo::ReadRule(CIniFileJob& ini, COPY_BLK_INFO& rule) const
{
    QByteArray v;
    if (ini.GetItem("EmptyVoice", v)) {
        const std::vector<QByteArray> t = CCopyPrmInfo::SplitTokens(v);
        if (t.size() < 3)
            return false;
        for (int i = 0; i < 3; ++i) {
            int b = 0;
            if (!CCopyPrmInfo::ParseDecimal(t[size_t(i)], b) || b < 0 || b > 255)
                return false;
            rule.emptyVoice[i] = (unsigned char)b;
        }
    }
    const char* bankKeys[4] = {"VoiceMSB", "VoiceLSB", "VoicePC", "Trigger"};
    for (int k = 0; k < 4; ++k) {
        bool present = false;
        if (!ReadRange(ini, bankKeys[k], rule.bank[k], present))
            return false;
    }
    int triggers = 0, blocks = 0;
    if (!ini.GetItem("trigger_size", triggers) || !ini.GetItem("blk_size", blocks) || triggers < 0 || blocks < 0)
        return false;
    std::vector<COPY_BLK_ADRS> lines;
    for (int j = 0; j < blocks; ++j) {
        COPY_BLK_ADRS a;
        std::vector<QByteArray> t;
        if (!ini.GetItem(QByteArray::number(j).constData(), v) || (t = CCopyPrmInfo::SplitTokens(v)).size() < 2
            || !CCopyPrmInfo::ParseDecimal(t[0], a.category))
            return false;
        const int len = m_formats ? m_formats->GetAdrLen(a.category) : 0;
        if (len <= 0 || !CCopyPrmInfo::ParseAddress(t[1], len, a.address))
            return false;
        lines.push_back(a);
    }
    for (int t = 0; t < triggers; ++t) {
        COPY_TRIGGER_BLK entry;
        if (!ini.GetItem(("trigger" + QByteArray::number(t)).constData(), entry.value))
            return false;
        entry.blocks = lines;
        rule.triggers.push_back(std::move(entry));
    }
    if (ini.GetItem("MemoryMaxSize", rule.memoryMaxSize)) {
        if (ini.GetItem("MemoryOffsetSize", v) && !CCopyPrmInfo::ParseDecimal(v, rule.memoryOffsetSize))
            return false;
        bool present = false;
        if (!ReadRange(ini, "MemoryCheckAddress", rule.memoryCheck, present)
            || !ReadRange(ini, "MemoryAddress", rule.memoryAddress, present))
            return false;
        if (ini.GetItem("MemoryBlock", v)) {
            const std::vector<QByteArray> t = CCopyPrmInfo::SplitTokens(v);
            int cat = 0;
            if (t.size() < 2 || !CCopyPrmInfo::ParseDecimal(t[0], cat) || cat < 0 || cat > 0xFFFF)
                return false;
            const int len = m_formats ? m_formats->GetAdrLen(cat) : 0;
            if (!CCopyPrmInfo::ParseAddress(t[1], len, rule.memoryBlock))
                return false;
            rule.memoryBlockCategory = (unsigned short)cat;
        }
    } else {
        rule.memoryMaxSize = 0;
    }
    int update = 0;
    rule.paramUpdate = ini.GetItem("param_update", update) && update != 0;
    return true;
}

bool CCopyBlkInfo::MakeList(const QString& path)
{
    DeleteList();
    m_path = path;
    CIniFileJob ini(path);
    if (!ini.Opened())
        return true;
    for (int n = 0;; ++n) {
        const QByteArray section = QStringLiteral("%1%2").arg(QStringLiteral("PrmCopyInfo")).arg(n).toLatin1();
        if (!ini.GetSection(section.constData()))
            break;
        COPY_BLK_INFO rule;
        if (!ReadRule(ini, rule)) {
            qCWarning(lcModel) << path << "[" << section << "]: faulty block copy rule; the list ends here";
            break;
        }
        m_rules.push_back(std::move(rule));
    }
    return true;
}

const COPY_BLK_INFO* CCopyBlkInfo::GetRule(int rule) const
{
    return rule >= 0 && rule < int(m_rules.size()) ? &m_rules[size_t(rule)] : nullptr;
}

int CCopyBlkInfo::GetCopyBlkAdrsNum(int rule) const
{
    const COPY_BLK_INFO* r = GetRule(rule);
    return r ? int(r->triggers.size()) : 0;
}

const COPY_TRIGGER_BLK* CCopyBlkInfo::GetCopyBlkAdrs(int rule, int n) const
{
    const COPY_BLK_INFO* r = GetRule(rule);
    return r && n >= 0 && n < int(r->triggers.size()) ? &r->triggers[size_t(n)] : nullptr;
}

const COPY_BLKADRINFO* CCopyBlkInfo::GetBankAdrsInfo(int rule, int k) const
{
    const COPY_BLK_INFO* r = GetRule(rule);
    return r && k >= 0 && k < 4 ? &r->bank[k] : nullptr;
}

bool CCopyBlkInfo::IsEmptyVoice(int rule, VOICE_BANK_DATA v) const
{
    const COPY_BLK_INFO* r = GetRule(rule);
    return r && (v & 0xFF) == r->emptyVoice[0] && ((v >> 8) & 0xFF) == r->emptyVoice[1]
        && ((v >> 16) & 0xFF) == r->emptyVoice[2];
}

bool CCopyBlkInfo::IsParamUpdate(int rule) const
{
    const COPY_BLK_INFO* r = GetRule(rule);
    return r && r->paramUpdate;
}

int CCopyBlkInfo::GetMemoryOffsetSize(int rule) const
{
    const COPY_BLK_INFO* r = GetRule(rule);
    return r ? r->memoryOffsetSize : 0;
}

const QByteArray* CCopyBlkInfo::GetMemoryBlk(int rule) const
{
    const COPY_BLK_INFO* r = GetRule(rule);
    return r && !r->memoryBlock.isEmpty() ? &r->memoryBlock : nullptr;
}

bool CCopyBlkInfo::IsMemoryFull(int rule, int size) const
{
    const COPY_BLK_INFO* r = GetRule(rule);
    return r && r->memoryMaxSize < size;
}

int CCopyBlkInfo::InstanceCount(const COPY_BLKADRINFO& r)
{
    const int len = int(r.low.size());
    if (len <= 0 || r.high.size() != len || r.repeatLow.size() != len || r.repeatHigh.size() != len)
        return 0;
    const auto* low = reinterpret_cast<const unsigned char*>(r.low.constData());
    const int last = CEditorBlk::GetRepeatCount(reinterpret_cast<const unsigned char*>(r.high.constData()), short(len),
                                                low, reinterpret_cast<const unsigned char*>(r.repeatHigh.constData()),
                                                reinterpret_cast<const unsigned char*>(r.repeatLow.constData()));
    return last < 0 ? 0 : last + 1;
}

int CCopyBlkInfo::GetMemorySize(int rule, int excluded, bool& valid) const
{
    valid = false;
    const COPY_BLK_INFO* r = GetRule(rule);
    if (!r || r->memoryMaxSize == 0 || !m_map || !r->memoryCheck.IsSet())
        return 0;
    valid = true;
    const auto* adrs = reinterpret_cast<const unsigned char*>(r->memoryCheck.low.constData());
    const int count = InstanceCount(r->memoryCheck);
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        if (i == excluded)
            continue;
        unsigned char midi[kPrmBytes] = {}, data[kPrmBytes] = {};
        const int n = m_map->GetData(0, adrs, midi, i);
        if (n <= 0)
            continue;
        unsigned char* instance = nullptr;
        // The instance's own address converts with its own assign style.
        if (m_map->GetAddress(0, adrs, i, instance) && instance) {
            if (!m_map->MidiToData(0, instance, midi, data))
                std::memcpy(data, midi, size_t(n));
            CMem::DeleteByte(instance);
        } else {
            std::memcpy(data, midi, size_t(n));
        }
        sum += GetCnvData(n, data);
    }
    return sum;
}

int CCopyBlkInfo::GetMemorySize(int rule, int instance, int category, int voice) const
{
    const COPY_BLK_INFO* r = GetRule(rule);
    if (!r || r->memoryMaxSize == 0 || !m_map || !m_map->VceMem() || !r->memoryCheck.IsSet())
        return 0;
    const auto* adrs = reinterpret_cast<const unsigned char*>(r->memoryCheck.low.constData());
    unsigned char* bytes = nullptr;
    int count = 0, spacing = 0;
    if (!m_map->VceMem()->GetData(category, voice, adrs, instance, bytes, count, spacing) || !bytes || count <= 0
        || count > kPrmBytes)
        return 0;
    unsigned char data[kPrmBytes] = {};
    if (!m_map->MidiToData(0, adrs, bytes, data))
        std::memcpy(data, bytes, size_t(count));
    return GetCnvData(count, data);
}

bool CCopyBlkInfo::SetMemorySize(int rule, int, int size)
{
    const COPY_BLK_INFO* r = GetRule(rule);
    if (!r || r->memoryMaxSize == 0 || !m_map || !r->memoryAddress.IsSet())
        return false;
    const auto* adrs = reinterpret_cast<const unsigned char*>(r->memoryAddress.low.constData());
    PRMINFO info;
    if (!m_map->GetPrmInfo(0, adrs, info) || info.size == 0 || info.size > kPrmBytes)
        return false;
    unsigned char data[kPrmBytes] = {}, midi[kPrmBytes] = {};
    ConvIntToData(info.size, size, data);
    if (!m_map->DataToMidi(0, adrs, data, midi))
        return false;
    bool linked = false;
    return m_map->EditorBlk().SetData(0, adrs, midi, linked, LINK_OFF, MIDI_OFF, false, 0);
}

namespace {

// The key prefix followed by the number, in a buffer of 32 bytes; composed without
// the formatting functions (a lookup names every voice of every category).
void numberedKey(char* key, const char* prefix, int n)
{
    const size_t length = std::strlen(prefix);
    std::memcpy(key, prefix, length);
    *std::to_chars(key + length, key + 31, n).ptr = 0;
}

} // namespace

std::vector<int> CCopyBlkInfo::CategoryVoices() const
{
    std::vector<int> voices;
    const CVceMem* mem = m_map ? m_map->VceMem() : nullptr;
    const int categories = m_map ? m_map->GetLibCateNum() : 0;
    voices.reserve(size_t(std::max(categories, 0)));
    for (int c = 0; c < categories; ++c) {
        const VCEMEM_INFO* info = mem ? mem->GetCategory(c) : nullptr;
        voices.push_back(info ? int(info->voiceNum) : 0);
    }
    return voices;
}

void CCopyBlkInfo::IndexPresets(const std::shared_ptr<const CIniFileJobCache>& image, std::vector<int> voices) const
{
    m_presets.first.clear();
    CIniFileJob ini(image);
    char name[32];
    QByteArray value;
    for (int c = 0; c < int(voices.size()); ++c) {
        numberedKey(name, "CategoryNo", c);
        if (!ini.GetSection(name))
            continue;
        int listed = 0;
        if (!ini.GetItem("VoiceNum", listed))
            continue;
        // No entry past the category's own voices can be copied: a larger count from
        // the file would only scan (up to 2^31) entries that cannot be there.
        listed = std::min(listed, voices[size_t(c)]);
        for (int v = 0; v < listed; ++v) {
            numberedKey(name, "Voice", v);
            if (!ini.GetItem(name, value))
                continue;
            unsigned char b[3];
            if (!CCopyPrmInfo::LeadingHexBytes(value, b, 3))
                continue;
            const VOICE_BANK_DATA key = VOICE_BANK_DATA(b[0]) | VOICE_BANK_DATA(b[1]) << 8 | VOICE_BANK_DATA(b[2]) << 16;
            if (!m_presets.first.contains(key))
                m_presets.first.insert(key, {c, v});
        }
    }
    m_presets.image = image;
    m_presets.voices = std::move(voices);
}

bool CCopyBlkInfo::GetBankData(const QString& folder, BANK_DATA& data) const
{
    const std::shared_ptr<const CIniFileJobCache> image =
        CIniFileJobCache::ForPath(folder + QStringLiteral("PresetBankInfo.ini"));
    if (!image || !m_map)
        return false;
    std::vector<int> voices = CategoryVoices();
    QMutexLocker lock(&m_presetMutex);
    if (m_presets.image.lock() != image || m_presets.voices != voices)
        IndexPresets(image, std::move(voices));
    const VOICE_BANK_DATA key = VOICE_BANK_DATA(data.msb) | VOICE_BANK_DATA(data.lsb) << 8
        | VOICE_BANK_DATA(data.program) << 16;
    const auto it = m_presets.first.constFind(key);
    if (it == m_presets.first.constEnd())
        return false;
    data.category = it->first;
    data.voice = it->second;
    return true;
}
