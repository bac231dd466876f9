#include "VceMem.h"
#include "BlkAdrs.h"
#include "EditorBlk.h"
#include "Hdr.h"
#include "IniFileJob.h"
#include "Mem.h"
#include "ModelLogging.h"
#include "PlugInBoardBlk.h"
#include "PrmCtrl.h"
#include "TemplateList.h"
#include "console/bulk/MidiFormat.h"
#include "platform/PlatformDurableFile.h"
#include "utilities/StreamVersion.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace {
const char kDelims[] = "\t,";
constexpr int kMaxCategories = 255;
constexpr int kMaxBlocksPerVoice = 4096;
constexpr int kMaxVoiceSize = 1 << 24;
constexpr int kMaxValueBytes = 16;

// A hex byte string of exactly len bytes as the next token.
bool nextHex(CIniFileJob& ini, unsigned char* out, int len)
{
    char hex[CIniFileJob::kTokenSize];
    ini.Get2ndStrToken(hex, int(sizeof hex));
    if (!ini.LastTokenFound() || len <= 0 || len > kMaxAdrLen || int(strnlen(hex, sizeof hex)) != 2 * len)
        return false;
    CMem::SetByte(hex, out, len);
    return true;
}

// Replaces what a 7-bit name field cannot carry.
QByteArray nameBytes(const QString& name)
{
    QByteArray out = name.toLatin1();
    for (char& c : out) {
        if ((unsigned char)c < 0x20 || (unsigned char)c > 0x7E)
            c = '?';
    }
    return out;
}

void trimRight(QByteArray& text)
{
    int n = int(text.size());
    while (n > 0 && (text.at(n - 1) == ' ' || text.at(n - 1) == '\t' || text.at(n - 1) == '\r'
                     || text.at(n - 1) == '\n'))
        --n;
    text.truncate(n);
}
} // namespace

CVceMem::~CVceMem()
{
    DeleteList();
}

void CVceMem::InitSet(CEditorBlk* editorBlk, const CMidiFormat* formats, CPrmCtrl* map)
{
    m_editorBlk = editorBlk;
    m_formats = formats;
    m_map = map;
    m_temp.clear();
}

void CVceMem::DeleteList()
{
    m_categories.clear();
    m_init.clear();
    m_duplicates.clear();
    m_templateNames.clear();
    m_templates.clear();
    m_templatePresent.clear();
    m_memInfo.clear();
    m_temp.clear();
    m_nameOffsets.clear();
}

bool CVceMem::Fail(const QString& section, int line, const QString& what)
{
    m_error = TemplateFaultText(m_path, section, line, what);
    return false;
}

int CVceMem::AdrLen(int category) const
{
    int len = 0;
    if (m_formats)
        len = m_formats->GetAdrLen(category);
    else if (m_editorBlk)
        len = m_editorBlk->AdrLen(short(category));
    return len > 0 && len <= kMaxAdrLen ? len : 0;
}

// ------------------------------------------------------------------ building

bool CVceMem::MakeList(const QString& path)
{
    m_path = path;
    m_error.clear();
    DeleteList();
    if (!m_editorBlk)
        return Fail(QStringLiteral("voice_memory_category"), 0, QStringLiteral("no editor block"));
    CIniFileJob ini(path);
    if (!ini.Opened())
        return Fail(QStringLiteral("voice_memory_category"), 0, QStringLiteral("template not readable"));
    std::vector<QByteArray> names;
    TemplateFault fault;
    if (!ReadTemplateList(ini, "voice_memory_category", kMaxCategories, names, fault))
        return Fail(fault.section, fault.line, fault.what);
    for (const QByteArray& name : names) {
        if (!ReadCategory(ini, name)) {
            DeleteList();
            return false;
        }
    }
    InitBlk();
    if (!ReadDuplicates(ini) || !ReadTemplates(ini)) {
        DeleteList();
        return false;
    }
    SetInitVoiceData(false);
    FindNameOffsets();
    return true;
}

void CVceMem::FindNameOffsets()
{
    m_nameOffsets.assign(m_categories.size(), -1);
    for (size_t cat = 0; cat < m_categories.size(); ++cat) {
        VCEMEM_INFO& c = m_categories[cat];
        unsigned char* pos = nullptr;
        int size = 0, byteCount = 0;
        if (StoredVoice(int(cat), 0) && Locate(int(cat), 0, c.nameAdrs, -1, pos, size, byteCount))
            m_nameOffsets[cat] = int(pos - c.voices[0].data());
    }
}

unsigned char* CVceMem::NameField(int cat, int voice)
{
    const VCEMEM_INFO* c = GetCategory(cat);
    if (!c || !StoredVoice(cat, voice))
        return nullptr;
    if (m_editorBlk && !m_editorBlk->PlugInBoards() && size_t(cat) < m_nameOffsets.size()) {
        const int offset = m_nameOffsets[size_t(cat)];
        return offset < 0 ? nullptr : m_categories[size_t(cat)].voices[size_t(voice)].data() + offset;
    }
    unsigned char* pos = nullptr;
    int size = 0, byteCount = 0;
    return GetData(cat, voice, c->nameAdrs, pos, byteCount, size, false) ? pos : nullptr;
}

bool CVceMem::ReadCategory(CIniFileJob& ini, const QByteArray& section)
{
    const QString sec = QString::fromLatin1(section);
    if (!ini.GetSection(section.constData()))
        return Fail(sec, 0, QStringLiteral("missing category section"));
    char buf[CIniFileJob::kItemSize];
    auto missing = [&](const char* key) {
        return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing %1").arg(QLatin1String(key)));
    };
    VCEMEM_INFO c;
    int v = 0;
    if (!ini.GetItem("current", v))
        return missing("current");
    c.current = v != 0;
    if (!ini.GetItem("name", buf, -1, int(sizeof buf)))
        return missing("name");
    c.name = QString::fromLatin1(buf).trimmed();

    // "key=category,address,...": the category and the address; the caller reads the rest.
    auto readAddress = [&](const char* key, uint8_t& category, unsigned char* adrs, int& line) {
        if (!ini.GetItem(key, buf, -1, int(sizeof buf)))
            return missing(key);
        line = ini.GetItemLine(key);
        const int cat = ini.Get1stNumToken(buf, kDelims);
        const int len = AdrLen(cat);
        const QString name = QString::fromLatin1(key);
        if (cat < 0 || cat > 255 || len == 0)
            return Fail(sec, line, QStringLiteral("%1: address category %2 has no address length").arg(name).arg(cat));
        category = uint8_t(cat);
        if (!nextHex(ini, adrs, len))
            return Fail(sec, line, QStringLiteral("%1: address is not %2 bytes").arg(name).arg(len));
        return true;
    };
    {
        int line = 0;
        if (!readAddress("voice_name_adrs", c.nameAdrsCategory, c.nameAdrs, line))
            return false;
        const int nameLength = ini.Get2ndNumToken();
        if (!ini.LastTokenFound() || nameLength < 0 || nameLength > 255)
            return Fail(sec, line, QStringLiteral("voice_name_adrs: missing or bad name length"));
        c.nameLength = uint8_t(nameLength);
        const int number = ini.Get2ndNumToken();
        c.nameNumber = ini.LastTokenFound() ? uint16_t(number) : 0;
    }
    {
        int line = 0;
        if (!readAddress("voice_cate_adrs", c.cateAdrsCategory, c.cateAdrs, line))
            return false;
        const int n1 = ini.Get2ndNumToken();
        c.cateNumber = ini.LastTokenFound() ? uint8_t(n1) : 0;
        const int n2 = ini.Get2ndNumToken();
        c.cateNumber2 = ini.LastTokenFound() ? uint16_t(n2) : 0;
    }
    if (!ini.GetItem("voice_num", v))
        return missing("voice_num");
    if (v < 0 || v > 255)
        return Fail(sec, ini.GetItemLine("voice_num"), QStringLiteral("voice_num %1 outside 0..255").arg(v));
    c.voiceNum = uint8_t(v);
    if (!ini.GetItem("template", v))
        return missing("template");
    if (v < 0 || v > 255)
        return Fail(sec, ini.GetItemLine("template"), QStringLiteral("template %1 outside 0..255").arg(v));
    c.templateNo = uint8_t(v);
    if (!ini.GetItem("edit", v))
        return missing("edit");
    c.edit = (v & 0xFF) != 0;
    if (ini.GetItem("name_duplicate", v))
        c.nameDuplicate = v != 0;
    if (ini.GetItem("voice_def_no", v))
        c.voiceDefNo = uint16_t(v);
    if (ini.GetItem("preset_voice", v))
        c.presetVoice = v != 0;
    if (ini.GetItem("bulk_out_list", v))
        c.bulkOutList = int16_t(v);
    if (ini.GetItem("voice_name_def_len", v))
        c.voiceNameDefLen = uint16_t(v);

    int size = 0;
    if (!ini.GetItem("size", size))
        return missing("size");
    if (size < 0 || size > kMaxBlocksPerVoice)
        return Fail(sec, ini.GetItemLine("size"), QStringLiteral("bad block count %1").arg(size));
    const int blockLen = AdrLen(c.cateAdrsCategory);
    int64_t offset = 0;
    for (int i = 0; i < size; ++i) {
        const QByteArray key = QByteArray::number(i);
        if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing block line %1").arg(i));
        const int line = ini.GetItemLine(key.constData());
        VCEMEM_ADRS b;
        b.category = int16_t(ini.Get1stNumToken(buf, kDelims));
        if (!nextHex(ini, b.address, blockLen))
            return Fail(sec, line, QStringLiteral("block address is not %1 bytes").arg(blockLen));
        BLK blk;
        if (AdrLen(b.category) != blockLen || !m_editorBlk->GetBlk(b.category, b.address, blk))
            return Fail(sec, line, QStringLiteral("block %1 names no block of the map")
                                       .arg(CMem::GetByteToStr(b.address, blockLen, false)));
        b.offset = int32_t(offset);
        b.size = blk.memSize;
        offset += blk.memSize;
        if (offset > kMaxVoiceSize)
            return Fail(sec, line, QStringLiteral("voice larger than %1 bytes").arg(kMaxVoiceSize));
        c.blocks.push_back(b);
    }
    c.voiceSize = int32_t(offset);
    if (!c.current)
        c.voices.assign(c.voiceNum, std::vector<unsigned char>(size_t(c.voiceSize), 0));

    VCEMEM_MEM_INFO mem;
    if (ini.GetItem("MemoryMaxSize", v)) {
        if (ini.GetItem("MemoryAddress", buf, -1, int(sizeof buf))) {
            const int line = ini.GetItemLine("MemoryAddress");
            mem.category = int16_t(ini.Get1stNumToken(buf, kDelims));
            const int len = AdrLen(mem.category);
            if (len == 0 || !nextHex(ini, mem.address, len))
                return Fail(sec, line, QStringLiteral("MemoryAddress is not an address of its category"));
            mem.hasAddress = true;
            mem.maximum = v;
        }
    }
    m_categories.push_back(std::move(c));
    m_memInfo.push_back(mem);
    return true;
}

void CVceMem::InitBlk()
{
    for (int cat = 0; cat < GetVoiceMemCategoryNum(); ++cat) {
        if (m_categories[size_t(cat)].current)
            continue;
        for (int v = 0; v < m_categories[size_t(cat)].voiceNum; ++v)
            CopyFromEditBuff(cat, v);
    }
}

bool CVceMem::ReadDuplicates(CIniFileJob& ini)
{
    if (!ini.GetSection("duplicate_blk"))
        return true;
    const QString sec = QStringLiteral("duplicate_blk");
    int size = 0;
    if (!ini.GetItem("size", size))
        return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing size"));
    size &= 0xFF;
    const int len = m_categories.empty() ? 0 : AdrLen(m_categories.back().cateAdrsCategory);
    int32_t offset = 0;
    for (int i = 0; i < size; ++i) {
        char buf[CIniFileJob::kItemSize];
        const QByteArray key = QByteArray::number(i);
        if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing line %1").arg(i));
        const int line = ini.GetItemLine(key.constData());
        VCEMEM_DUPLICATE_ADRS d;
        d.category = int16_t(ini.Get1stNumToken(buf, kDelims));
        if (!nextHex(ini, d.first, len) || !nextHex(ini, d.second, len))
            return Fail(sec, line, QStringLiteral("addresses are not %1 bytes").arg(len));
        d.offset = offset;
        BLK blk;
        if (m_editorBlk->GetBlk(d.category, d.first, blk))
            offset += blk.memSize;
        m_duplicates.push_back(d);
    }
    return true;
}

bool CVceMem::ReadTemplates(CIniFileJob& ini)
{
    const QString sec = QStringLiteral("voice_memory_template");
    if (!ini.GetSection("voice_memory_template"))
        return Fail(sec, 0, QStringLiteral("missing section"));
    int size = 0;
    if (!ini.GetItem("size", size))
        return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing size"));
    size &= 0xFF;
    for (int i = 0; i < size; ++i) {
        char name[64];
        if (!ini.GetItem(QByteArray::number(i).constData(), name, -1, int(sizeof name)))
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
        m_templateNames.append(QString::fromLatin1(name).trimmed());
    }
    const int len = m_categories.empty() ? 0 : AdrLen(m_categories.back().cateAdrsCategory);
    for (int i = 0; i < m_templateNames.size(); ++i) {
        PARAM_INFO info;
        const QByteArray name = m_templateNames.at(i).toLatin1();
        if (!ini.GetSection(name.constData(), "voice_memory_template")) {
            m_templates.push_back(info);
            m_templatePresent.push_back(false);
            continue;
        }
        const QString ts = m_templateNames.at(i);
        int n = 0;
        if (!ini.GetItem("size", n) || n < 0 || n > kMaxBlocksPerVoice)
            return Fail(ts, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
        for (int k = 0; k < n; ++k) {
            char buf[CIniFileJob::kItemSize];
            const QByteArray key = QByteArray::number(k);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Fail(ts, ini.SectionEndLine(), QStringLiteral("missing line %1").arg(k));
            const int line = ini.GetItemLine(key.constData());
            PARAM_BLKADRINFO p;
            p.number = uint16_t(ini.Get1stNumToken(buf, kDelims));
            if (!nextHex(ini, p.low, len) || !nextHex(ini, p.high, len) || !nextHex(ini, p.repeatLow, len)
                || !nextHex(ini, p.repeatHigh, len))
                return Fail(ts, line, QStringLiteral("addresses are not %1 bytes").arg(len));
            p.stride = ini.Get2ndNumToken();
            if (!ini.LastTokenFound())
                return Fail(ts, line, QStringLiteral("missing stride"));
            info.items.push_back(p);
        }
        m_templates.push_back(std::move(info));
        m_templatePresent.push_back(true);
    }
    return true;
}

// ------------------------------------------------------------------ tables

bool CVceMem::ValidVoice(int cat, int voice) const
{
    return cat >= 0 && cat < GetVoiceMemCategoryNum() && voice >= 0
        && voice < m_categories[size_t(cat)].voiceNum;
}

bool CVceMem::StoredVoice(int cat, int voice) const
{
    return ValidVoice(cat, voice) && !m_categories[size_t(cat)].current
        && size_t(voice) < m_categories[size_t(cat)].voices.size();
}

const VCEMEM_INFO* CVceMem::GetCategory(int cat) const
{
    return cat >= 0 && cat < GetVoiceMemCategoryNum() ? &m_categories[size_t(cat)] : nullptr;
}

VCEMEM_CATEGORYINFO CVceMem::GetVoiceMemCategoryInfo(int cat) const
{
    VCEMEM_CATEGORYINFO info;
    const VCEMEM_INFO* c = GetCategory(cat);
    if (!c)
        return info;
    const QByteArray name = c->name.toLatin1();
    CMem::SetChar(name.constData(), info.name, int(sizeof info.name));
    info.templateNo = c->templateNo;
    info.voiceNum = c->voiceNum;
    info.edit = c->edit;
    info.nameLength = c->nameLength;
    return info;
}

const unsigned char* CVceMem::GetVoiceCateAdrs(int cat) const
{
    const VCEMEM_INFO* c = GetCategory(cat);
    return c ? c->cateAdrs : nullptr;
}

bool CVceMem::IsPresetVoiceCategory(int cat) const
{
    const VCEMEM_INFO* c = GetCategory(cat);
    return c && c->presetVoice;
}

int CVceMem::GetBulkOutListNo(int cat) const
{
    const VCEMEM_INFO* c = GetCategory(cat);
    return c ? c->bulkOutList : -1;
}

int CVceMem::FindCategoryByTemplate(int templateNo) const
{
    for (int i = 0; i < GetVoiceMemCategoryNum(); ++i) {
        if (m_categories[size_t(i)].templateNo == templateNo)
            return i;
    }
    return -1;
}

const PARAM_INFO* CVceMem::GetWriteParamInfo(int n) const
{
    if (n < 0 || n >= int(m_templates.size()) || !m_templatePresent[size_t(n)])
        return nullptr;
    return &m_templates[size_t(n)];
}

unsigned char* CVceMem::GetVoiceMem(int cat, int voice, int* size)
{
    const VCEMEM_INFO* c = GetCategory(cat);
    if (!c)
        return nullptr;
    if (size)
        *size = c->voiceSize;
    if (!StoredVoice(cat, voice))
        return nullptr;
    return m_categories[size_t(cat)].voices[size_t(voice)].data();
}

const unsigned char* CVceMem::GetInitVoiceData(int cat) const
{
    for (const VCEMEM_INIT_INFO& i : m_init) {
        if (i.category == cat)
            return i.data.data();
    }
    return nullptr;
}

// ------------------------------------------------------------------ copies

bool CVceMem::BlockImage(const VCEMEM_ADRS& b, BLK& blk, int& offset) const
{
    if (!m_editorBlk || !m_editorBlk->GetBlkPrmOffset(b.category, b.address, blk, offset))
        return false;
    return blk.curImage && offset < blk.memSize;
}

void CVceMem::PutIntoBlocks(const VCEMEM_INFO& c, const unsigned char* src, bool all) const
{
    for (const VCEMEM_ADRS& b : c.blocks) {
        BLK blk;
        int offset = 0;
        if (!BlockImage(b, blk, offset))
            continue;
        // A substituted board block may be smaller than the voice's slot.
        const size_t n = size_t(std::min<int>(b.size, blk.memSize - offset));
        std::memcpy(blk.curImage + offset, src + b.offset, n);
        if (all) {
            std::memcpy(blk.defImage + offset, src + b.offset, n);
            std::memcpy(blk.refImage + offset, src + b.offset, n);
        }
    }
}

void CVceMem::TakeFromBlocks(const VCEMEM_INFO& c, unsigned char* dst) const
{
    for (const VCEMEM_ADRS& b : c.blocks) {
        BLK blk;
        int offset = 0;
        if (!BlockImage(b, blk, offset))
            continue;
        const size_t n = size_t(std::min<int>(b.size, blk.memSize - offset));
        std::memcpy(dst + b.offset, blk.curImage + offset, n);
    }
}

bool CVceMem::CopyVoiceMem(int srcCat, int srcVoice, int dstCat, int dstVoice)
{
    if (!StoredVoice(srcCat, srcVoice) || !StoredVoice(dstCat, dstVoice))
        return false;
    const auto& src = m_categories[size_t(srcCat)].voices[size_t(srcVoice)];
    auto& dst = m_categories[size_t(dstCat)].voices[size_t(dstVoice)];
    // A voice of another layout would not fit, or would leave the target half written.
    if (src.size() != dst.size())
        return false;
    if (&src != &dst)
        std::memcpy(dst.data(), src.data(), src.size());
    return true;
}

bool CVceMem::CopyVoiceMem(int firstCat, const unsigned char* bytes, int length, int cat, int voice)
{
    if (firstCat < 0 || firstCat >= GetVoiceMemCategoryNum() || !bytes || !StoredVoice(cat, voice))
        return false;
    auto& dst = m_categories[size_t(cat)].voices[size_t(voice)];
    if (length < int(dst.size()))
        return false;
    std::memcpy(dst.data(), bytes, dst.size());
    MakeNameUnique(cat, voice);
    return true;
}

bool CVceMem::MoveVoiceMem(int cat, int from, int to, int count)
{
    const VCEMEM_INFO* c = GetCategory(cat);
    if (!c || c->current || count < 1 || from < 0)
        return false;
    const int n = int(c->voices.size());
    // The run and its target stay inside the category.
    if (from + count > n || to < 0 || to > n)
        return false;
    if (to == from || (to >= from && to < from + count))
        return true;
    auto& v = m_categories[size_t(cat)].voices;
    if (to > from)
        std::rotate(v.begin() + from, v.begin() + from + count, v.begin() + to);
    else
        std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + count);
    return true;
}

bool CVceMem::SwapVoiceMem(int cat, int a, int b)
{
    if (!StoredVoice(cat, a) || !StoredVoice(cat, b))
        return false;
    auto& v = m_categories[size_t(cat)].voices;
    std::swap(v[size_t(a)], v[size_t(b)]);
    return true;
}

bool CVceMem::CopyToEditBuff(int cat, int voice, bool all)
{
    if (!StoredVoice(cat, voice))
        return false;
    const VCEMEM_INFO& c = m_categories[size_t(cat)];
    const unsigned char* src = c.voices[size_t(voice)].data();
    PutIntoBlocks(c, src, all);
    CheckDuplicateBlk(true);
    return true;
}

bool CVceMem::CopyFromEditBuff(int cat, int voice)
{
    if (!StoredVoice(cat, voice))
        return false;
    VCEMEM_INFO& c = m_categories[size_t(cat)];
    unsigned char* dst = c.voices[size_t(voice)].data();
    TakeFromBlocks(c, dst);
    return true;
}

bool CVceMem::CopyToTempBuff(int cat, const QByteArray* buffer)
{
    const VCEMEM_INFO* c = GetCategory(cat);
    if (!c || c->current || !buffer || buffer->size() != c->voiceSize)
        return false;
    const auto* src = reinterpret_cast<const unsigned char*>(buffer->constData());
    PutIntoBlocks(*c, src, false);
    return true;
}

bool CVceMem::CopyTempBuff(int cat, QByteArray* buffer)
{
    const VCEMEM_INFO* c = GetCategory(cat);
    if (!c || !buffer)
        return false;
    buffer->fill('\0', c->voiceSize);
    auto* dst = reinterpret_cast<unsigned char*>(buffer->data());
    TakeFromBlocks(*c, dst);
    return true;
}

bool CVceMem::MakeTempData(int cat, int voice)
{
    if (!StoredVoice(cat, voice))
        return false;
    m_temp = m_categories[size_t(cat)].voices[size_t(voice)];
    return true;
}

bool CVceMem::CopyTempData(int cat, int voice)
{
    if (m_temp.empty() || !StoredVoice(cat, voice))
        return false;
    auto& dst = m_categories[size_t(cat)].voices[size_t(voice)];
    if (dst.size() != m_temp.size())
        return false;
    dst = m_temp;
    m_temp.clear();
    return true;
}

int CVceMem::CacheCategory() const
{
    if (!m_map)
        return -1;
    short bankType = 0, category = 0, voice = 0;
    m_map->GetEditBufferInfo(bankType, category, voice);
    return category >= 0 && category < GetVoiceMemCategoryNum() ? category : -1;
}

bool CVceMem::cacheEditBuffer(QByteArray* buffer, bool board)
{
    const int cat = CacheCategory();
    return cat >= 0 && cacheEditBuffer(cat, buffer, board);
}

bool CVceMem::restoreEditBuffer(QByteArray* buffer, bool board)
{
    const int cat = CacheCategory();
    return cat >= 0 && restoreEditBuffer(cat, buffer, board);
}

bool CVceMem::cacheEditBuffer(int cat, QByteArray* buffer, bool board)
{
    const VCEMEM_INFO* c = GetCategory(cat);
    if (!c)
        return false;
    QByteArray* out = buffer ? buffer : &m_cache;
    if (!CopyTempBuff(cat, out))
        return false;
    QByteArray boardBytes;
    if (board && m_map && m_map->PlugInBoards().cacheEditBuffer(&boardBytes))
        out->append(boardBytes);
    return true;
}

bool CVceMem::restoreEditBuffer(int cat, QByteArray* buffer, bool board)
{
    const VCEMEM_INFO* c = GetCategory(cat);
    if (!c)
        return false;
    QByteArray* in = buffer ? buffer : &m_cache;
    const int boardTotal = board && m_map ? m_map->PlugInBoards().GetTotalBlkSize() : 0;
    if (in->size() != qsizetype(c->voiceSize) + boardTotal)
        return false;
    if (board && m_map)
        m_map->SelectPlugInBoard(-1, false);
    const auto* src = reinterpret_cast<const unsigned char*>(in->constData());
    PutIntoBlocks(*c, src, false);
    if (board && m_map && boardTotal > 0) {
        const QByteArray tail = in->mid(c->voiceSize);
        m_map->PlugInBoards().restoreEditBuffer(&tail);
    }
    return true;
}

void CVceMem::SetInitVoiceData(bool fromDefault)
{
    if (!fromDefault) {
        m_init.clear();
        for (int cat = 0; cat < GetVoiceMemCategoryNum(); ++cat) {
            const VCEMEM_INFO& c = m_categories[size_t(cat)];
            if (!c.edit)
                continue;
            VCEMEM_INIT_INFO i;
            i.category = cat;
            if (!c.voices.empty()) {
                i.data = c.voices.front();
            } else {
                // A current category has no stored voice 0: its init voice is the
                // edit buffer as the template sets it.
                QByteArray bytes;
                CopyTempBuff(cat, &bytes);
                i.data.assign(bytes.constBegin(), bytes.constEnd());
            }
            m_init.push_back(std::move(i));
        }
        return;
    }
    for (VCEMEM_INIT_INFO& i : m_init) {
        const VCEMEM_INFO& c = m_categories[size_t(i.category)];
        if (c.voiceDefNo != 0xFFFF && StoredVoice(i.category, c.voiceDefNo))
            i.data = c.voices[c.voiceDefNo];
    }
}

bool CVceMem::InitVoiceMem(int cat, int voice)
{
    if (!StoredVoice(cat, voice))
        return false;
    auto it = std::find_if(m_init.begin(), m_init.end(), [&](const VCEMEM_INIT_INFO& i) { return i.category == cat; });
    auto& dst = m_categories[size_t(cat)].voices[size_t(voice)];
    if (it == m_init.end() || it->data.size() != dst.size())
        return false;
    dst = it->data;
    const VCEMEM_INFO& c = m_categories[size_t(cat)];
    QString name = GetVoiceName(cat, voice);
    if (c.voiceNameDefLen != 0xFFFF && name.size() > c.voiceNameDefLen) {
        name.truncate(c.voiceNameDefLen);
        SetVoiceName(cat, voice, name);
    }
    MakeNameUnique(cat, voice);
    return true;
}

void CVceMem::MakeNameUnique(int cat, int voice)
{
    QString name = GetVoiceName(cat, voice);
    if (FindVoiceName(cat, name, voice) && ChangeVoiceName(cat, name, m_categories[size_t(cat)].nameLength))
        SetVoiceName(cat, voice, name);
}

// ------------------------------------------------------------------ addressed access

bool CVceMem::Locate(int cat, int voice, const unsigned char* adrs, int instance, unsigned char*& pos, int& size,
                     int& byteCount, const unsigned char** slotEnd)
{
    if (!adrs || !m_editorBlk || !StoredVoice(cat, voice))
        return false;
    VCEMEM_INFO& c = m_categories[size_t(cat)];
    unsigned char* image = c.voices[size_t(voice)].data();
    for (const VCEMEM_ADRS& b : c.blocks) {
        BLK blk, found;
        BLKPRM prm, asked;
        if (!m_editorBlk->GetBlkPrm(b.category, b.address, blk, prm))
            continue;
        if (!m_editorBlk->GetBassAdrs(adrs, blk, nullptr))
            continue;
        if (!m_editorBlk->GetBlkPrm(b.category, adrs, found, asked))
            continue;
        if (found.name != blk.name || found.memSize != blk.memSize)
            continue;  // the address belongs to another block that shares the range
        const int len = AdrLen(b.category);
        if (len == 0 || asked.rangeIndex >= blk.rangeCount)
            return false;
        const int k = instance >= 0 ? instance : CEditorBlk::GetRepeatCount(adrs, short(len), blk.ranges[asked.rangeIndex]);
        const int64_t at = int64_t(k) * blk.lineCount + asked.offset;
        // Everything handed out stays inside this block's slot of the voice.
        if (k < 0 || at < 0 || at + asked.size > b.size)
            return false;
        pos = image + b.offset + at;
        if (slotEnd)
            *slotEnd = image + b.offset + b.size;
        size = blk.lineCount;
        byteCount = asked.size;
        return true;
    }
    return false;
}

bool CVceMem::GetAdrsPos(int cat, int voice, const unsigned char* adrs, unsigned char*& pos, int& size,
                         int& byteCount)
{
    return Locate(cat, voice, adrs, -1, pos, size, byteCount);
}

bool CVceMem::GetAdrsPos(int cat, int voice, const unsigned char* adrs, int instance, unsigned char*& pos,
                         int& size, int& byteCount)
{
    return instance >= 0 && Locate(cat, voice, adrs, instance, pos, size, byteCount);
}

bool CVceMem::GetData(int cat, int voice, const unsigned char* adrs, unsigned char*& data, int& byteCount,
                      int& size, bool fallback)
{
    if (Locate(cat, voice, adrs, -1, data, size, byteCount))
        return true;
    if (!fallback || !adrs)
        return false;
    for (const VCEMEM_DUPLICATE_ADRS& d : m_duplicates) {
        const int len = AdrLen(d.category);
        if (len > 0 && std::memcmp(d.first, adrs, size_t(len)) == 0)
            return Locate(cat, voice, d.second, -1, data, size, byteCount);
    }
    return false;
}

bool CVceMem::GetData(int cat, int voice, const unsigned char* adrs, int instance, unsigned char*& data,
                      int& byteCount, int& size)
{
    return GetAdrsPos(cat, voice, adrs, instance, data, size, byteCount);
}

bool CVceMem::SetData(int cat, int voice, const unsigned char* adrs, const unsigned char* bytes, int& byteCount,
                      int& size)
{
    unsigned char* pos = nullptr;
    if (!bytes || !Locate(cat, voice, adrs, -1, pos, size, byteCount))
        return false;
    std::memcpy(pos, bytes, size_t(byteCount));
    return true;
}

bool CVceMem::SetBulk(int cat, int voice, const unsigned char* adrs, const unsigned char* bytes, int length,
                      bool& changed)
{
    unsigned char* pos = nullptr;
    const unsigned char* end = nullptr;
    int size = 0, byteCount = 0;
    if (!bytes || !Locate(cat, voice, adrs, -1, pos, size, byteCount, &end))
        return false;
    // A bulk block carries one whole instance: refuse a short one, and one that would
    // run past its block's place in the voice.
    if (length < size || size < 0 || pos + size > end)
        return false;
    changed = std::memcmp(pos, bytes, size_t(size)) != 0;
    std::memcpy(pos, bytes, size_t(size));
    return true;
}

bool CVceMem::SetBulk(int cat, int voice, const unsigned char* adrs, const unsigned char* bytes, int length)
{
    bool changed = false;
    return SetBulk(cat, voice, adrs, bytes, length, changed);
}

void CVceMem::CheckDuplicateBlk(bool toFirst)
{
    if (!m_editorBlk)
        return;
    const unsigned char* lastSrc = nullptr;
    const unsigned char* lastDst = nullptr;
    for (const VCEMEM_DUPLICATE_ADRS& d : m_duplicates) {
        BLK b1, b2;
        BLKPRM p1, p2;
        if (!m_editorBlk->GetBlkPrm(d.category, d.first, b1, p1) || !m_editorBlk->GetBlkPrm(d.category, d.second, b2, p2))
            continue;
        if (p1.offset >= b1.memSize || p2.offset >= b2.memSize)
            continue;
        const size_t n = size_t(std::min({b1.memSize, b1.memSize - int(p1.offset), b2.memSize - int(p2.offset)}));
        unsigned char* first = b1.curImage + p1.offset;
        unsigned char* second = b2.curImage + p2.offset;
        unsigned char* src = toFirst ? second : first;
        unsigned char* dst = toFirst ? first : second;
        if (src == lastSrc && dst == lastDst)
            continue;
        lastSrc = src;
        lastDst = dst;
        if (src != dst)
            std::memmove(dst, src, n);
        if (toFirst && b1.refImage != b2.refImage)
            std::memmove(b1.refImage + p1.offset, b2.refImage + p2.offset, n);
    }
}

bool CVceMem::CheckDuplicateAdrs(int addressCategory, unsigned char* adrs, int length, bool toFirst) const
{
    if (!adrs || length <= 0 || length > kMaxAdrLen)
        return false;
    for (const VCEMEM_DUPLICATE_ADRS& d : m_duplicates) {
        if (d.category != addressCategory)
            continue;
        const unsigned char* match = toFirst ? d.second : d.first;
        if (std::memcmp(match, adrs, size_t(length)) == 0) {
            std::memcpy(adrs, toFirst ? d.first : d.second, size_t(length));
            return true;
        }
    }
    return false;
}

// ------------------------------------------------------------------ names

QString CVceMem::GetVoiceName(int cat, int voice)
{
    const unsigned char* bytes = nullptr;
    const int n = VoiceNameBytes(cat, voice, bytes);
    return bytes ? QString::fromLatin1(reinterpret_cast<const char*>(bytes), n) : QString();
}

int CVceMem::VoiceNameBytes(int cat, int voice, const unsigned char*& bytes)
{
    const int available = NameFieldBytes(cat, voice, bytes);
    const unsigned char* pos = bytes;
    if (!pos)
        return 0;
    const int field = std::min<int>(GetCategory(cat)->nameLength, available);
    int n = int(qstrnlen(reinterpret_cast<const char*>(pos), uint(std::max(field, 0))));
    if (m_editorBlk && m_editorBlk->GetVoiceNameTerminator() == 32) {
        while (n > 0 && (pos[n - 1] == ' ' || pos[n - 1] == '\t' || pos[n - 1] == '\r' || pos[n - 1] == '\n'))
            --n;
    }
    return n;
}

int CVceMem::NameFieldBytes(int cat, int voice, const unsigned char*& bytes)
{
    const VCEMEM_INFO* c = GetCategory(cat);
    unsigned char* pos = NameField(cat, voice);
    bytes = pos;
    if (!pos)
        return 0;
    const unsigned char* end = c->voices[size_t(voice)].data() + c->voiceSize;
    return int(std::max<int64_t>(end - pos, 0));
}

bool CVceMem::SetVoiceName(int cat, int voice, const QString& name)
{
    const VCEMEM_INFO* c = GetCategory(cat);
    unsigned char* pos = NameField(cat, voice);
    if (!pos)
        return false;
    const unsigned char* end = c->voices[size_t(voice)].data() + c->voiceSize;
    const int field = int(std::min<int64_t>(c->nameLength, end - pos));
    QByteArray text = nameBytes(name).left(field);
    const uint8_t terminator = m_editorBlk ? m_editorBlk->GetVoiceNameTerminator() : 32;
    if (terminator == 32)
        trimRight(text);
    std::memset(pos, 32, size_t(field));
    std::memcpy(pos, text.constData(), size_t(text.size()));
    if (text.size() < field)
        pos[text.size()] = terminator;
    return true;
}

bool CVceMem::FindVoiceName(int cat, const QString& name, int exceptVoice)
{
    const VCEMEM_INFO* c = GetCategory(cat);
    if (!c || c->nameDuplicate)
        return false;
    const QString wanted = name.toUpper();
    for (int v = 0; v < c->voiceNum; ++v) {
        if (v == exceptVoice)
            continue;
        if (GetVoiceName(cat, v).toUpper() == wanted)
            return true;
    }
    return false;
}

bool CVceMem::ChangeVoiceName(int cat, QString& name, int maxLength)
{
    return MakeUniqueName(name, maxLength, [&](const QString& candidate) { return FindVoiceName(cat, candidate, -1); });
}

bool CVceMem::MakeUniqueName(QString& name, int maxLength, const std::function<bool(const QString&)>& taken)
{
    QString base = QString::fromLatin1(name.toLatin1());
    if (base.size() + 3 > maxLength)
        base.truncate(std::max(0, maxLength - 3));
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = base + QStringLiteral("%1").arg(n, 3);
        if (!taken(candidate)) {
            name = candidate;
            return true;
        }
    }
    return false;
}

// ------------------------------------------------------------------ memory limits

bool CVceMem::IsMemoryCheck(int cat) const
{
    return cat >= 0 && cat < int(m_memInfo.size()) && m_memInfo[size_t(cat)].maximum != 0
        && m_memInfo[size_t(cat)].hasAddress;
}

int CVceMem::GetMemoryCateMaxSize(int cat) const
{
    return cat >= 0 && cat < int(m_memInfo.size()) ? m_memInfo[size_t(cat)].maximum : 0;
}

bool CVceMem::IsMemoryAddress(int cat, const LIBHDRDATA* header) const
{
    if (!header || !IsMemoryCheck(cat))
        return false;
    const VCEMEM_MEM_INFO& m = m_memInfo[size_t(cat)];
    const int len = AdrLen(m.category);
    return len > 0 && header->adrsLen == len && std::memcmp(header->address, m.address, size_t(len)) == 0;
}

int CVceMem::GetMemorySize(int cat, int voice, const LIBVCEDATA_ADRS& adrs)
{
    if (!m_map)
        return 0;
    PRMINFO info;
    if (!m_map->GetPrmInfo(adrs.category, adrs.address, info) || info.size > kMaxValueBytes)
        return 0;
    unsigned char* data = nullptr;
    int byteCount = 0, size = 0;
    if (!GetData(cat, voice, adrs.address, data, byteCount, size, false) || byteCount < info.size)
        return 0;
    unsigned char value[kMaxValueBytes] = {};
    if (!m_map->MidiToData(adrs.category, adrs.address, data, value))
        return 0;
    return CPrmCtrl::GetCnvData(info.size, value);
}

int CVceMem::GetMemoryCateSize(int cat)
{
    if (!IsMemoryCheck(cat))
        return 0;
    const VCEMEM_MEM_INFO& m = m_memInfo[size_t(cat)];
    LIBVCEDATA_ADRS a;
    std::memcpy(a.address, m.address, sizeof a.address);
    a.category = m.category;
    int64_t sum = 0;
    for (int v = 0; v < m_categories[size_t(cat)].voiceNum; ++v)
        sum += GetMemorySize(cat, v, a);
    return sum > INT32_MAX ? INT32_MAX : int(sum);
}

bool CVceMem::IsMemoryFull(int cat)
{
    if (!IsMemoryCheck(cat))
        return false;
    const VCEMEM_MEM_INFO& m = m_memInfo[size_t(cat)];
    LIBVCEDATA_ADRS a;
    std::memcpy(a.address, m.address, sizeof a.address);
    a.category = m.category;
    int64_t sum = 0;
    for (int v = 0; v < m_categories[size_t(cat)].voiceNum; ++v) {
        sum += GetMemorySize(cat, v, a);
        if (sum > m.maximum)
            return true;
    }
    return false;
}

// ------------------------------------------------------------------ preset cache file

bool CVceMem::StorePresetVoiceData(const QString& file) const
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QDataStream s(&out);
    s.setVersion(NS_Utilities::kStreamVersion);
    for (int cat = 0; cat < GetVoiceMemCategoryNum(); ++cat) {
        const VCEMEM_INFO& c = m_categories[size_t(cat)];
        if (!c.presetVoice)
            continue;
        s << qint32(cat) << qint32(c.voiceSize) << qint8(c.voiceNum);
        for (const auto& v : c.voices)
            s.writeBytes(reinterpret_cast<const char*>(v.data()), uint(v.size()));
    }
    if (s.status() != QDataStream::Ok) {
        out.cancelWriting();
        return false;
    }
    return NS_Platform::PlatformDurableFile::commit(out);
}

bool CVceMem::LoadPresetVoiceData(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QDataStream s(&in);
    s.setVersion(NS_Utilities::kStreamVersion);
    std::vector<unsigned char> bytes;
    for (int cat = 0; cat < GetVoiceMemCategoryNum(); ++cat) {
        VCEMEM_INFO& c = m_categories[size_t(cat)];
        if (!c.presetVoice)
            continue;
        qint32 index = 0, size = 0;
        qint8 count = 0;
        s >> index >> size >> count;
        // The count is stored in 8 bits: 128 voices come back as -128.
        if (s.status() != QDataStream::Ok || index != cat || size != c.voiceSize || uint8_t(count) != c.voiceNum)
            return false;
        for (auto& v : c.voices) {
            quint32 len = 0;
            s >> len;
            if (s.status() != QDataStream::Ok || len != v.size())
                return false;
            bytes.resize(len);
            if (s.readRawData(reinterpret_cast<char*>(bytes.data()), int(len)) != int(len))
                return false;
            v = bytes;
        }
    }
    return true;
}
