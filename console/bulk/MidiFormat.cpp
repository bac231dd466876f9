#include "MidiFormat.h"
#include "console/model/TemplateList.h"
#include "console/model/IniFileJob.h"
#include "console/model/MemMapTypes.h"
#include "console/model/Mem.h"
#include "console/model/ModelLogging.h"

namespace {
const char kDelims[] = "\t,";
}

CMidiFormat::~CMidiFormat()
{
    DeleteList();
}

void CMidiFormat::DeleteList()
{
    m_layouts.clear();
    m_categories.clear();
}

bool CMidiFormat::Fail(const QString& section, int line, const QString& what)
{
    m_error = TemplateFaultText(m_path, section, line, what);
    return false;
}

uint32_t CMidiFormat::GetMidiTypeInfo(int category) const
{
    if (category < 0 || category >= int(m_categories.size()))
        return 0;
    return m_categories[size_t(category)];
}

MIDI_FRMT CMidiFormat::GetMidiFrmtInfo(int index) const
{
    if (index < 0 || index >= int(m_layouts.size()))
        return MIDI_FRMT();
    return m_layouts[size_t(index)];
}

const MIDI_FRMT* CMidiFormat::Layout(int category, int purpose) const
{
    if (category < 0 || category >= int(m_categories.size()) || purpose < 0 || purpose > 3)
        return nullptr;
    const unsigned idx = (m_categories[size_t(category)] >> (8 * purpose)) & 0xFF;
    if (idx >= m_layouts.size())
        return nullptr;
    return &m_layouts[idx];
}

int CMidiFormat::GetAdrLen(int category) const
{
    const MIDI_FRMT* f = Layout(category, 0);
    return f ? f->adrsLen : 0;
}

QString CMidiFormat::GetMidiTypeName(int category) const
{
    const MIDI_FRMT* f = Layout(category, 0);
    return f ? CMem::GetByteToStr(f->header, f->headerLen, false) : QString();
}

bool CMidiFormat::ValidateLayout(const MIDI_FRMT& f, QString* why)
{
    auto no = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    if (f.midi_type > 4)
        return no(QStringLiteral("unknown midi_type %1").arg(f.midi_type));
    if (f.headerLen < 1 || f.headerLen > kMaxMidiHeaderLen)
        return no(QStringLiteral("header length %1 outside 1..%2").arg(f.headerLen).arg(kMaxMidiHeaderLen));
    if (f.adrsLen < 0 || f.adrsLen > kMaxAdrLen)
        return no(QStringLiteral("adrsLen %1 outside 0..%2").arg(f.adrsLen).arg(kMaxAdrLen));
    const bool channel = f.midi_type == 1 || f.midi_type == 2 || f.midi_type == 3;
    if (channel && !(f.header[0] & 0x80))
        return no(QStringLiteral("a channel message needs a status byte"));
    if (channel && f.adrsLen > 2)
        return no(QStringLiteral("a channel message has at most 2 address bytes"));
    if (!channel && f.header[0] != 0xF0)
        return no(QStringLiteral("a system-exclusive layout starts with F0"));
    // Every layout can be formed as a byte string, so every position must lie inside it.
    if (f.device_num_pos < (channel ? 0 : 1) || f.device_num_pos >= f.headerLen)
        return no(QStringLiteral("device_num_pos %1 outside the header").arg(f.device_num_pos));
    if (f.adrs_pos < 1 || f.adrs_pos > f.headerLen + 2)
        return no(QStringLiteral("adrs_pos %1 does not follow the header").arg(f.adrs_pos));
    const bool count = f.byte_count_pos != kNoPos;
    if (count && (f.byte_count_pos < 1 || f.byte_count_pos + 1 >= f.adrs_pos))
        return no(QStringLiteral("byte_count_pos %1 must lie before the address").arg(f.byte_count_pos));
    // Every byte between the header and the address must be written by the count.
    for (int p = f.headerLen; p < f.adrs_pos; ++p) {
        if (!count || (p != f.byte_count_pos && p != f.byte_count_pos + 1))
            return no(QStringLiteral("byte %1 before the address is never written").arg(p));
    }
    if (f.checksumStart != kNoPos && (f.checksumStart < 1 || f.checksumStart > f.adrs_pos + f.adrsLen))
        return no(QStringLiteral("checksum start %1 outside the message").arg(f.checksumStart));
    if (f.data_pos < 0 || f.data_pos >= f.adrs_pos + f.adrsLen)
        return no(QStringLiteral("data_pos %1 must lie before the data").arg(f.data_pos));
    return true;
}

bool CMidiFormat::MakeList(const QString& path)
{
    m_path = path;
    m_error.clear();
    CIniFileJob ini(path);
    if (!ini.Opened())
        return Fail(QStringLiteral("midi_format"), 0, QStringLiteral("template not readable"));
    char buf[CIniFileJob::kItemSize];
    int size = 0;
    if (!ini.GetSection("midi_format") || !ini.GetItem("size", size) || size < 0 || size > 256)
        return Fail(QStringLiteral("midi_format"), ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
    std::vector<uint32_t> categories;
    for (int i = 0; i < size; ++i) {
        const QByteArray key = QByteArray::number(i);
        if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
            return Fail(QStringLiteral("midi_format"), ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
        uint32_t packed = 0;
        int v = ini.Get1stNumToken(buf, kDelims);
        for (int b = 0; b < 4; ++b) {
            if (!ini.LastTokenFound() || v < 0 || v > 255)
                return Fail(QStringLiteral("midi_format"), ini.GetItemLine(key.constData()),
                            QStringLiteral("key %1 needs four layout numbers").arg(i));
            packed |= uint32_t(v) << (8 * b);
            if (b < 3)
                v = ini.Get2ndNumToken();
        }
        categories.push_back(packed);
    }
    int count = 0;
    if (!ini.GetSection("midi_format_list") || !ini.GetItem("size", count) || count < 0 || count > 255)
        return Fail(QStringLiteral("midi_format_list"), ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
    std::vector<QByteArray> names;
    for (int i = 0; i < count; ++i) {
        char name[65];
        if (!ini.GetItem(QByteArray::number(i).constData(), name, -1, int(sizeof name)))
            return Fail(QStringLiteral("midi_format_list"), ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
        names.push_back(QByteArray(name).trimmed());
    }
    std::vector<MIDI_FRMT> layouts;
    for (const QByteArray& name : names) {
        const QString sec = QString::fromLatin1(name);
        if (!ini.GetSection(name.constData()))
            return Fail(sec, 0, QStringLiteral("missing layout section"));
        MIDI_FRMT f;
        int v = 0;
        auto need = [&](const char* key, int& out) {
            if (ini.GetItem(key, out))
                return true;
            Fail(sec, ini.SectionEndLine(), QStringLiteral("missing %1").arg(QLatin1String(key)));
            return false;
        };
        if (!need("midi_type", v))
            return false;
        f.midi_type = uint8_t(v);
        if (!ini.GetItem("midi_format", buf, -1, int(sizeof buf)))
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing midi_format"));
        const int hlen = ini.Get1stNumToken(buf, kDelims);
        char hex[CIniFileJob::kTokenSize];
        ini.Get2ndStrToken(hex, int(sizeof hex));
        if (hlen < 1 || hlen > kMaxMidiHeaderLen || int(strnlen(hex, sizeof hex)) < 2 * hlen)
            return Fail(sec, ini.GetItemLine("midi_format"), QStringLiteral("header count and bytes disagree"));
        f.headerLen = int16_t(hlen);
        CMem::SetByte(hex, f.header, hlen);
        if (!need("device_num_pos", v))
            return false;
        f.device_num_pos = int16_t(v);
        if (!need("byte_count_pos", v))
            return false;
        f.byte_count_pos = int16_t(v);
        if (!need("adrs_pos", v))
            return false;
        f.adrs_pos = int16_t(v);
        if (!ini.GetItem("checksum", buf, -1, int(sizeof buf)))
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing checksum"));
        f.checksumStart = int16_t(ini.Get1stNumToken(buf, kDelims));
        f.checksumSecond = uint8_t(ini.Get2ndNumToken2());
        if (!need("header", v))
            return false;
        f.headerFlag = v != 0;
        if (!need("adrsLen", v))
            return false;
        f.adrsLen = int16_t(v);
        if (!need("modify_flag", v))
            return false;
        f.modify_flag = v != 0;
        v = 0;
        ini.GetItem("data_pos", v);
        f.data_pos = int16_t(v);
        v = 0;
        ini.GetItem("data_len_status", v);
        f.data_len_status = int16_t(v);
        v = 0;
        ini.GetItem("data_status", v);
        f.data_status = int16_t(v);
        v = 0;
        ini.GetItem("data_offset", v);
        f.data_offset = int16_t(v);
        QString why;
        if (!ValidateLayout(f, &why))
            return Fail(sec, ini.GetItemLine("midi_format"), why);
        layouts.push_back(f);
    }
    for (size_t c = 0; c < categories.size(); ++c) {
        for (int b = 0; b < 4; ++b) {
            if (((categories[c] >> (8 * b)) & 0xFF) >= layouts.size())
                return Fail(QStringLiteral("midi_format"), 0,
                            QStringLiteral("category %1 names a layout that does not exist").arg(c));
        }
    }
    m_categories = std::move(categories);
    m_layouts = std::move(layouts);
    return true;
}
