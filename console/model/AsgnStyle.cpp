#include "AsgnStyle.h"
#include "IniFileJob.h"
#include "TemplateList.h"
#include "Mem.h"
#include "ModelLogging.h"
#include "PlugInBoardBlk.h"

#include <cstring>

namespace {
const char kDelims[] = "\t,";
constexpr int kMaxBytes = 16;
}

CAsgnStyle::~CAsgnStyle()
{
    DeleteList();
}

void CAsgnStyle::DeleteList()
{
    m_styles.clear();
    m_tables.clear();
}

bool CAsgnStyle::Fail(const QString& section, int line, const QString& what)
{
    m_error = TemplateFaultText(m_path, section, line, what);
    return false;
}

bool CAsgnStyle::MakeList(const QString& path, const CPlugInBoardBlk* boards)
{
    if (!MakeAsgnList(path) || !MakeAsgnDataList(path, boards))
        return false;
    for (size_t i = 0; i < m_styles.size(); ++i) {
        if (m_styles[i].table < 0 || m_styles[i].table >= int16_t(m_tables.size()))
            return Fail(QStringLiteral("AssignStyleList"), 0,
                        QStringLiteral("style %1 names table %2, which does not exist").arg(i).arg(m_styles[i].table));
    }
    return true;
}

bool CAsgnStyle::MakeAsgnList(const QString& path)
{
    m_path = path;
    CIniFileJob ini(path);
    const QString sec = QStringLiteral("AssignStyleList");
    int size = 0;
    if (!ini.GetSection("AssignStyleList"))
        return Fail(sec, 0, QStringLiteral("missing section"));
    if (!ini.GetItem("size", size) || size < 0 || size > 400)
        return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
    for (int i = 0; i < size; ++i) {
        char buf[CIniFileJob::kItemSize];
        const QByteArray key = QByteArray::number(i);
        if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
        Style s;
        s.minimum = int16_t(ini.Get1stNumToken(buf, kDelims));
        s.maximum = int16_t(ini.Get2ndNumToken());
        s.table = int16_t(ini.Get2ndNumToken());
        if (!ini.LastTokenFound())
            return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("needs minimum, maximum and table"));
        m_styles.push_back(s);
    }
    return true;
}

bool CAsgnStyle::MakeAsgnDataList(const QString& path, const CPlugInBoardBlk* boards)
{
    m_path = path;
    CIniFileJob ini(path);
    std::vector<QByteArray> names;
    TemplateFault fault;
    if (!ReadTemplateList(ini, "AssignStyleDataList", 400, names, fault))
        return Fail(fault.section, fault.line, fault.what);
    for (const QByteArray& name : names) {
        const QString sec = QString::fromLatin1(name);
        if (!ini.GetSection(name.constData(), "AssignStyleDataList"))
            return Fail(sec, 0, QStringLiteral("missing table section"));
        int w = 0, c = 0;
        if (!ini.GetItem("prmSize", w) || w < 1 || w > kMaxBytes)
            return Fail(sec, ini.GetItemLine("prmSize"), QStringLiteral("missing or bad prmSize"));
        if (!ini.GetItem("size", c) || c < 0 || c > 16383)
            return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
        Table t;
        t.width = uint8_t(w);
        const bool boardTable = name == "PlugInBoardType";
        const int rows = boardTable ? 1 : c;
        if (boardTable && c < 1)
            return Fail(sec, ini.GetItemLine("size"), QStringLiteral("needs row 0"));
        for (int i = 0; i < rows; ++i) {
            char buf[CIniFileJob::kItemSize];
            char hex[CIniFileJob::kTokenSize];
            const QByteArray key = QByteArray::number(i);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing row %1").arg(i));
            ini.Get1stStrToken(buf, kDelims, hex, int(sizeof hex));
            if (int(strnlen(hex, sizeof hex)) != 2 * w)
                return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("row %1 is not %2 bytes").arg(i).arg(w));
            unsigned char bytes[kMaxBytes];
            CMem::SetByte(hex, bytes, w);
            t.bytes.insert(t.bytes.end(), bytes, bytes + w);
        }
        int count = rows;
        if (boardTable && boards) {
            for (int b = 0; b < boards->GetPlugInBoardNum(); ++b) {
                unsigned char msb = 0, lsb = 0, product = 0;
                boards->GetPlugInBoardInfo(b, msb, lsb, product);
                const unsigned char id[3] = {msb, lsb, product};
                unsigned char entry[kMaxBytes] = {};
                // The identity is three bytes; a wider table right-aligns it.
                const int k = w < 3 ? w : 3;
                std::memcpy(entry + (w - k), id + (3 - k), size_t(k));
                t.bytes.insert(t.bytes.end(), entry, entry + w);
                ++count;
            }
        }
        t.count = int16_t(count);
        m_tables.push_back(std::move(t));
    }
    return true;
}

bool CAsgnStyle::SysStyleFitsSize(int style, int n)
{
    switch (style) {
    case 1: return n == 4;
    case 2: return n == 2;
    case 3:
    case 4: return n == 2;
    case 6: return n >= 2 && n % 2 == 0;
    case 7: return n == 3;
    case 8: return n == 4;
    default: return n >= 0;
    }
}

bool CAsgnStyle::MIDIToDataSys(short style, const unsigned char* m, unsigned char* d, unsigned char n)
{
    if (!m || !d || n > kMaxBytes || !SysStyleFitsSize(style, n))
        return false;
    unsigned char out[kMaxBytes] = {};
    // Nibble styles put their value into the last data bytes (leading zeros), so the
    // data bytes joined most significant first give the value.
    switch (style) {
    case 1:
        out[2] = (unsigned char)((m[0] & 0x0F) * 16 + (m[1] & 0x0F));
        out[3] = (unsigned char)((m[2] & 0x0F) * 16 + (m[3] & 0x0F));
        break;
    case 2:
        out[1] = (unsigned char)((m[0] & 0x0F) * 16 + (m[1] & 0x0F));
        break;
    case 3: {
        const unsigned v = ((unsigned(m[0]) * 128) | m[1]) & 0x3FF;
        out[0] = (unsigned char)(v >> 7);
        out[1] = (unsigned char)(v & 0x7F);
        break;
    }
    case 4: {
        const unsigned v = (unsigned(m[0]) * 128) | m[1];
        out[0] = (unsigned char)((v >> 8) & 0x3F);
        out[1] = (unsigned char)(v & 0xFF);
        break;
    }
    case 5:
        for (int i = 0; i < n; ++i)
            out[i] = m[i] & 0x7F;
        break;
    case 6: {
        const int k = n / 2;
        for (int i = 0; i < k; ++i)
            out[k + i] = (unsigned char)((m[2 * i] & 0x0F) * 16 + (m[2 * i + 1] & 0x0F));
        break;
    }
    case 7: {
        const unsigned v = (unsigned(m[0] & 0x7F) << 14) | (unsigned(m[1] & 0x7F) << 7) | (m[2] & 0x7F);
        IntToByte(v, out, 3);
        break;
    }
    case 8: {
        const unsigned v = (unsigned(m[0] & 0x7F) << 21) | (unsigned(m[1] & 0x7F) << 14)
            | (unsigned(m[2] & 0x7F) << 7) | (m[3] & 0x7F);
        IntToByte(v, out, 4);
        break;
    }
    default:
        std::memcpy(out, m, n);
        break;
    }
    std::memcpy(d, out, n);
    return true;
}

bool CAsgnStyle::DataToMIDISys(short style, const unsigned char* d, unsigned char* m, unsigned char n)
{
    if (!m || !d || n > kMaxBytes || !SysStyleFitsSize(style, n))
        return false;
    unsigned char out[kMaxBytes] = {};
    switch (style) {
    case 1:
        out[0] = d[2] >> 4, out[1] = d[2] & 0x0F, out[2] = d[3] >> 4, out[3] = d[3] & 0x0F;
        break;
    case 2:
        out[0] = d[1] >> 4, out[1] = d[1] & 0x0F;
        break;
    case 3: {
        const unsigned v = ((unsigned(d[0]) * 128) | d[1]) & 0x3FF;
        out[0] = (unsigned char)(v >> 7);
        out[1] = (unsigned char)(v & 0x7F);
        break;
    }
    case 4: {
        const unsigned v = (unsigned(d[0]) * 256) | d[1];
        out[0] = (unsigned char)((v >> 7) & 0x7F);
        out[1] = (unsigned char)(v & 0x7F);
        break;
    }
    case 5:
        for (int i = 0; i < n; ++i)
            out[i] = d[i] & 0x7F;
        break;
    case 6: {
        const int k = n / 2;
        for (int i = 0; i < k; ++i) {
            out[2 * i] = d[k + i] >> 4;
            out[2 * i + 1] = d[k + i] & 0x0F;
        }
        break;
    }
    case 7: {
        const unsigned v = ByteToUInt(d, 3);
        out[0] = (v >> 14) & 0x7F, out[1] = (v >> 7) & 0x7F, out[2] = v & 0x7F;
        break;
    }
    case 8: {
        const unsigned v = ByteToUInt(d, 4);
        out[0] = (v >> 21) & 0x7F, out[1] = (v >> 14) & 0x7F, out[2] = (v >> 7) & 0x7F, out[3] = v & 0x7F;
        break;
    }
    default:
        std::memcpy(out, d, n);
        break;
    }
    std::memcpy(m, out, n);
    return true;
}

const CAsgnStyle::Table* CAsgnStyle::TableOf(int n) const
{
    if (n < 0 || n >= int(m_styles.size()))
        return nullptr;
    const int t = m_styles[size_t(n)].table;
    return t >= 0 && t < int(m_tables.size()) ? &m_tables[size_t(t)] : nullptr;
}

namespace {
// Entry i of a table in the MIDI form of an n-byte parameter: its last n bytes, or
// zeros in front when the parameter is wider than the entry.
void shapeEntry(const CAsgnStyle::Table& t, int i, unsigned char* out, int n)
{
    const unsigned char* e = t.bytes.data() + size_t(i) * t.width;
    if (n <= t.width) {
        std::memcpy(out, e + (t.width - n), size_t(n));
    } else {
        std::memset(out, 0, size_t(n - t.width));
        std::memcpy(out + (n - t.width), e, t.width);
    }
}
} // namespace

bool CAsgnStyle::MIDIToDataUser(int n, const unsigned char* midi, unsigned char* data, unsigned char size) const
{
    const Table* t = TableOf(n);
    if (!t || !midi || !data || size == 0 || size > kMaxBytes)
        return false;
    unsigned char shaped[kMaxBytes];
    for (int i = 0; i < t->count; ++i) {
        shapeEntry(*t, i, shaped, size);
        if (std::memcmp(shaped, midi, size) == 0) {
            IntToByte(unsigned(i), data, size);
            return true;
        }
    }
    return false;
}

bool CAsgnStyle::DataToMIDIUser(int n, const unsigned char* data, unsigned char* midi, unsigned char size) const
{
    const Table* t = TableOf(n);
    if (!t || !midi || !data || size == 0 || size > kMaxBytes)
        return false;
    const unsigned i = ByteToUInt(data, size);
    if (i >= unsigned(t->count))
        return false;
    shapeEntry(*t, int(i), midi, size);
    return true;
}

bool CAsgnStyle::MidiToData(short style, const unsigned char* midi, unsigned char* data, unsigned char size) const
{
    if (style < 0)
        return false;
    return style <= 99 ? MIDIToDataSys(style, midi, data, size) : MIDIToDataUser(style - 100, midi, data, size);
}

bool CAsgnStyle::DataToMidi(short style, const unsigned char* data, unsigned char* midi, unsigned char size) const
{
    if (style < 0)
        return false;
    return style <= 99 ? DataToMIDISys(style, data, midi, size) : DataToMIDIUser(style - 100, data, midi, size);
}

bool CAsgnStyle::MidiToDataMin(short style, const unsigned char* midi, unsigned char* data, unsigned char size) const
{
    if (style > 99) {
        const Style* s = GetStyle(style - 100);
        if (!s || !data)
            return false;
        IntToByte(unsigned(s->minimum), data, size);
        return true;
    }
    return MIDIToDataSys(style, midi, data, size);
}

bool CAsgnStyle::MidiToDataMax(short style, const unsigned char* midi, unsigned char* data, unsigned char size) const
{
    if (style > 99) {
        const Style* s = GetStyle(style - 100);
        if (!s || !data)
            return false;
        IntToByte(unsigned(s->maximum), data, size);
        return true;
    }
    return MIDIToDataSys(style, midi, data, size);
}

void CAsgnStyle::IntToByte(unsigned int v, unsigned char* out, unsigned char n)
{
    if (!out)
        return;
    for (int i = n - 1; i >= 0; --i) {
        out[i] = (unsigned char)(v & 0xFF);
        v >>= 8;
    }
}

unsigned int CAsgnStyle::ByteToUInt(const unsigned char* bytes, unsigned char n)
{
    if (!bytes)
        return 0;
    unsigned int v = 0;
    for (int i = 0; i < n; ++i) {
        // More than 32 bits of value: no table entry can have that number.
        if (i < n - 4 && bytes[i] != 0)
            return 0xFFFFFFFFu;
        v = (v << 8) | bytes[i];
    }
    return v;
}
