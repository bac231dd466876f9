#include "InitLink.h"
#include "TemplateList.h"
#include "EditorBlk.h"
#include "IniFileJob.h"
#include "Mem.h"
#include "ModelLogging.h"
#include "console/bulk/MidiFormat.h"

#include <cstring>

namespace {
const char kDelims[] = "\t,";
constexpr int kMaxItemBytes = 16;
}

CinitLink::~CinitLink()
{
    DeleteLinkList();
    DeleteInitAdrsList();
    DeleteInitDataList();
    DeleteInitDataMapList();
}

bool CinitLink::Fail(const QString& section, int line, const QString& what)
{
    m_error = TemplateFaultText(m_path, section, line, what);
    return false;
}

bool CinitLink::MakeList(const QString& path, const CMidiFormat* formats)
{
    m_path = path;
    m_formats = formats;
    CIniFileJob ini(path);
    if (!ini.Opened())
        return Fail(QStringLiteral("InitLinkList"), 0, QStringLiteral("template not readable"));
    if (!ReadLinks(ini) || !ReadAdrs(ini) || !ReadData(ini) || !ReadMaps(ini))
        return false;
    for (size_t i = 0; i < m_links.size(); ++i) {
        if (m_links[i].adrsSet >= m_adrs.size() || m_links[i].dataMap >= m_maps.size())
            return Fail(QStringLiteral("InitLinkList"), 0,
                        QStringLiteral("link %1 names a missing address set or data map").arg(i));
    }
    for (size_t m = 0; m < m_maps.size(); ++m) {
        for (unsigned short n : m_maps[m]) {
            if (n >= m_data.size())
                return Fail(QStringLiteral("InitDataMapList"), 0,
                            QStringLiteral("data map %1 names data set %2, which does not exist").arg(m).arg(n));
        }
    }
    return true;
}

bool CinitLink::ReadNames(CIniFileJob& ini, const char* list, std::vector<QByteArray>& names)
{
    const QString sec = QString::fromLatin1(list);
    int n = 0;
    if (!ini.GetSection(list))
        return Fail(sec, 0, QStringLiteral("missing section"));
    if (!ini.GetItem("size", n) || n < 0 || n > 65535)
        return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
    for (int i = 0; i < n; ++i) {
        char name[64];
        if (!ini.GetItem(QByteArray::number(i).constData(), name, -1, int(sizeof name)))
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
        names.push_back(QByteArray(name).trimmed());
    }
    return true;
}

bool CinitLink::ReadLinks(CIniFileJob& ini)
{
    const QString sec = QStringLiteral("InitLinkList");
    int n = 0;
    if (!ini.GetSection("InitLinkList"))
        return Fail(sec, 0, QStringLiteral("missing section"));
    if (!ini.GetItem("size", n) || n < 0 || n > 65534)
        return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
    for (int i = 0; i < n; ++i) {
        char buf[CIniFileJob::kItemSize];
        const QByteArray key = QByteArray::number(i);
        if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
        INITLINK l;
        const int a = ini.Get1stNumToken(buf, kDelims);
        const int m = ini.Get2ndNumToken();
        if (!ini.LastTokenFound() || a < 0 || m < 0)
            return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("needs an address set and a data map"));
        l.adrsSet = uint16_t(a);
        l.dataMap = uint16_t(m);
        m_links.push_back(l);
    }
    return true;
}

bool CinitLink::ReadAdrs(CIniFileJob& ini)
{
    std::vector<QByteArray> names;
    if (!ReadNames(ini, "Init adrs", names))
        return false;
    for (const QByteArray& name : names) {
        const QString sec = QString::fromLatin1(name);
        int n = 0;
        if (!ini.GetSection(name.constData()))
            return Fail(sec, 0, QStringLiteral("missing address set"));
        if (!ini.GetItem("size", n) || n < 0 || n > 65535)
            return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
        INITADRS set;
        for (int i = 0; i < n; ++i) {
            char buf[CIniFileJob::kItemSize];
            char hex[CIniFileJob::kTokenSize];
            const QByteArray key = QByteArray::number(i);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
            INITADRS_DATA e;
            e.category = int16_t(ini.Get1stNumToken(buf, kDelims));
            const int len = m_formats ? m_formats->GetAdrLen(e.category) : 0;
            if (len <= 0)
                return Fail(sec, ini.GetItemLine(key.constData()),
                            QStringLiteral("address category %1 has no address length").arg(e.category));
            ini.Get2ndStrToken(hex, int(sizeof hex));
            if (int(strnlen(hex, sizeof hex)) != 2 * len)
                return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("pattern is not %1 bytes").arg(len));
            CMem::SetByte(hex, e.pattern, len);
            ini.Get2ndStrToken(hex, int(sizeof hex));
            if (int(strnlen(hex, sizeof hex)) != 2 * len)
                return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("mask is not %1 bytes").arg(len));
            CMem::SetByte(hex, e.mask, len);
            set.entries.push_back(e);
        }
        m_adrs.push_back(std::move(set));
    }
    return true;
}

bool CinitLink::ReadData(CIniFileJob& ini)
{
    std::vector<QByteArray> names;
    if (!ReadNames(ini, "Init data", names))
        return false;
    for (const QByteArray& name : names) {
        const QString sec = QString::fromLatin1(name);
        char buf[CIniFileJob::kItemSize];
        if (!ini.GetSection(name.constData()))
            return Fail(sec, 0, QStringLiteral("missing data set"));
        if (!ini.GetItem("prmSize", buf, -1, int(sizeof buf)))
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing prmSize"));
        const int p = ini.Get1stNumToken(buf, kDelims);
        const int send = ini.Get2ndNumToken2();
        int lines = 0;
        if (!ini.GetItem("size", lines) || lines < 0 || p < 0)
            return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
        INITDATA set;
        set.send = send != 0;
        int line = 0;
        while (int(set.items.size()) < p && line < lines) {
            const QByteArray key = QByteArray::number(line);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing line %1").arg(line));
            INITDATAITEM item;
            const int k = ini.Get1stHexToken(buf, kDelims);
            if (k < 1 || k > kMaxItemBytes || line + k > lines)
                return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("bad byte count %1").arg(k));
            item.count = (unsigned char)k;
            item.minimum.push_back((unsigned char)ini.Get2ndHexToken());
            item.maximum.push_back((unsigned char)ini.Get2ndHexToken());
            item.value.push_back((unsigned char)ini.Get2ndHexToken());
            item.codeA = uint16_t(ini.Get2ndNumToken());
            item.codeB = uint16_t(ini.Get2ndNumToken());
            if (!ini.LastTokenFound())
                return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("item needs its bytes and codes"));
            ini.Get2ndStrToken(item.name);
            for (int j = 1; j < k; ++j) {
                const QByteArray more = QByteArray::number(line + j);
                if (!ini.GetItem(more.constData(), buf, -1, int(sizeof buf)))
                    return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing line %1").arg(line + j));
                ini.Get1stStrToken(buf, kDelims, nullptr, 0);
                item.minimum.push_back((unsigned char)ini.Get2ndHexToken());
                item.maximum.push_back((unsigned char)ini.Get2ndHexToken());
                item.value.push_back((unsigned char)ini.Get2ndHexToken());
                if (!ini.LastTokenFound())
                    return Fail(sec, ini.GetItemLine(more.constData()), QStringLiteral("needs three bytes"));
            }
            line += k;
            set.items.push_back(std::move(item));
        }
        if (int(set.items.size()) < p)
            return Fail(sec, ini.SectionEndLine(), QStringLiteral("%1 lines hold fewer than %2 items").arg(lines).arg(p));
        m_data.push_back(std::move(set));
    }
    return true;
}

bool CinitLink::ReadMaps(CIniFileJob& ini)
{
    std::vector<QByteArray> names;
    if (!ReadNames(ini, "InitDataMapList", names))
        return false;
    for (const QByteArray& name : names) {
        const QString sec = QString::fromLatin1(name);
        int n = 0;
        if (!ini.GetSection(name.constData()))
            return Fail(sec, 0, QStringLiteral("missing data map"));
        if (!ini.GetItem("size", n) || n < 0)
            return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
        QMap<QString, unsigned short> map;
        for (int i = 0; i < n; ++i) {
            char buf[CIniFileJob::kItemSize];
            const QByteArray key = QByteArray::number(i);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
            QString k;
            ini.Get1stStrToken(buf, kDelims, k);
            const int v = ini.Get2ndNumToken();
            if (!ini.LastTokenFound() || v < 0 || v > 65535)
                return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("needs a key and a data-set number"));
            if (!map.contains(k))
                map.insert(k, (unsigned short)v);
        }
        m_maps.push_back(std::move(map));
    }
    return true;
}

bool CinitLink::GetInitAdrs(int n, const INITADRS*& out) const
{
    if (n < 0 || n >= int(m_adrs.size()))
        return false;
    out = &m_adrs[size_t(n)];
    return true;
}

bool CinitLink::GetInitData(short n, const INITDATA*& out) const
{
    if (n < 0 || n >= int(m_data.size()))
        return false;
    out = &m_data[size_t(n)];
    return true;
}

bool CinitLink::GetInitDataLinkNum(const unsigned char* value, unsigned char count, int map,
                                   unsigned short& out) const
{
    if (map < 0 || map >= int(m_maps.size()) || !value)
        return false;
    auto it = m_maps[size_t(map)].constFind(CMem::GetByteToStr(value, count, false));
    if (it == m_maps[size_t(map)].constEnd())
        return false;
    out = it.value();
    return true;
}

bool CinitLink::GetLink(const CEditorBlk* blk, short category, const unsigned char* address,
                        const unsigned char* value, unsigned char size, short link,
                        const INITADRS*& adrs, const INITDATA*& data) const
{
    if (link < 0 || link >= int(m_links.size()) || !value)
        return false;
    const INITLINK& l = m_links[size_t(link)];
    if (!GetInitAdrs(l.adrsSet, adrs))
        return false;
    unsigned short set = 0;
    if (!GetInitDataLinkNum(value, size, l.dataMap, set)) {
        // Key 2: the byte before the parameter, then the value; not for a parameter at
        // the very start of its image.
        unsigned char prev = 0;
        if (!blk || size >= kMaxItemBytes || !blk->GetPrecedingByte(category, address, prev))
            return false;
        unsigned char key[kMaxItemBytes + 1];
        key[0] = prev;
        std::memcpy(key + 1, value, size);
        if (!GetInitDataLinkNum(key, (unsigned char)(size + 1), l.dataMap, set))
            return false;
    }
    return GetInitData(short(set), data);
}
