#include "SpPrmInfo.h"
#include "IniFileJob.h"
#include "ModelLogging.h"
#include "PrmCtrl.h"

#include <cstring>

CSpecialPrmInfo::~CSpecialPrmInfo() = default;

void CSpecialPrmInfo::InitSet(const CMidiFormat* formats, CPrmCtrl* map)
{
    m_formats = formats;
    m_map = map;
}

void CSpecialPrmInfo::DeleteList()
{
    m_rules.clear();
}

void CSpecialPrmInfo::DeleteSpecialPrmInfo(int rule)
{
    if (rule >= 0 && rule < int(m_rules.size()))
        m_rules.erase(m_rules.begin() + rule);
}

void CSpecialPrmInfo::SetRepeatAddress(int count, int len, const unsigned char* step1, const unsigned char* step2,
                                       SPECIAL_PRM_DATA& rule)
{
    if (rule.switches.empty() || rule.matches.empty() || len <= 0)
        return;
    for (int p = 1; p < count; ++p) {
        PRM_ADDRESS s = rule.switches.back(), m = rule.matches.back();
        if (s.address.size() < len || m.address.size() < len)
            return;
        AddAddress(len, reinterpret_cast<unsigned char*>(s.address.data()), step1);
        AddAddress(len, reinterpret_cast<unsigned char*>(m.address.data()), step2);
        rule.switches.push_back(s);
        rule.matches.push_back(m);
    }
}

bool CSpecialPrmInfo::MakeList(const QString& path)
{
    DeleteList();
    m_path = path;
    CIniFileJob ini(path);
    if (!ini.Opened())
        return false;
    if (!ini.GetSection("param_special_func"))
        return true;
    int n = 0;
    if (!ini.GetItem("size", n) || n < 0)
        return true;
    std::vector<QByteArray> sections;
    for (int i = 0; i < n; ++i) {
        QByteArray name;
        if (ini.GetItem(QByteArray::number(i).constData(), name) && !name.trimmed().isEmpty())
            sections.push_back(name.trimmed());
    }
    for (const QByteArray& section : sections) {
        SPECIAL_PRM_DATA rule;
        int parts = 0, lines = 0;
        QByteArray v;
        std::vector<QByteArray> tk;
        QByteArray step1, step2;
        if (!ini.GetSection(section.constData()) || !ini.GetItem("func_type", rule.funcType)
            || !ini.GetItem("repeat_cnt", parts) || parts < 0 || parts > 256 || !ini.GetItem("repeat_address", v)
            || (tk = CCopyPrmInfo::SplitTokens(v)).size() < 2 || tk[1].size() < 2 || tk[1].size() % 2 != 0) {
            qCWarning(lcModel) << path << "[" << section << "]: rule left out (keys or steps)";
            continue;
        }
        // The rule's address length comes from its second step.
        const int len = int(tk[1].size() / 2);
        if (len > kMaxAdrLen || !CCopyPrmInfo::ParseAddress(tk[0], len, step1)
            || !CCopyPrmInfo::ParseAddress(tk[1], len, step2) || !ini.GetItem("param_size", lines) || lines < 1
            || !ini.GetItem("0", v) || (tk = CCopyPrmInfo::SplitTokens(v)).size() < 4) {
            qCWarning(lcModel) << path << "[" << section << "]: rule left out (steps or parameter line)";
            continue;
        }
        PRM_ADDRESS sw, match;
        if (!CCopyPrmInfo::ParseDecimal(tk[0], sw.category) || !CCopyPrmInfo::ParseAddress(tk[1], len, sw.address)
            || !CCopyPrmInfo::ParseDecimal(tk[2], match.category)
            || !CCopyPrmInfo::ParseAddress(tk[3], len, match.address)) {
            qCWarning(lcModel) << path << "[" << section << "]: rule left out (bad addresses)";
            continue;
        }
        rule.switches.push_back(sw);
        rule.matches.push_back(match);
        if (parts != 0)
            SetRepeatAddress(parts, len, reinterpret_cast<const unsigned char*>(step1.constData()),
                             reinterpret_cast<const unsigned char*>(step2.constData()), rule);
        m_rules.push_back(std::move(rule));
    }
    return true;
}

bool CSpecialPrmInfo::CheckSpParam(int category, const unsigned char* adrs, int len)
{
    if (!adrs || len <= 0)
        return false;
    auto same = [&](const PRM_ADDRESS& a) {
        return a.category == category && a.address.size() >= len && std::memcmp(a.address.constData(), adrs, size_t(len)) == 0;
    };
    for (SPECIAL_PRM_DATA& rule : m_rules) {
        for (size_t p = 0; p < rule.switches.size(); ++p)
            if (same(rule.switches[p]))
                return CheckSpParam(rule, 0, int(p), len);
        for (size_t p = 0; p < rule.matches.size(); ++p)
            if (same(rule.matches[p]))
                return CheckSpParam(rule, 1, int(p), len);
    }
    return false;
}

bool CSpecialPrmInfo::CheckSpParam(SPECIAL_PRM_DATA& rule, int mode, int part, int len)
{
    return rule.funcType == kArpSwitch && CheckArpSw(rule, mode, part, len);
}

bool CSpecialPrmInfo::ClearSwitch(const PRM_ADDRESS& a)
{
    unsigned char* bytes = nullptr;
    unsigned char size = 0;
    if (!m_map || !m_map->GetData(short(a.category), reinterpret_cast<const unsigned char*>(a.address.constData()),
                                  bytes, size)
        || !bytes || size < 1)
        return false;
    // Only the arpeggio bit goes; the other switches of the byte stay as they were.
    bytes[0] &= 0x7D;
    if (a.address.size() >= 3) {
        const unsigned char* b = reinterpret_cast<const unsigned char*>(a.address.constData());
        m_map->EditorAddressChanged({b[0], b[1], b[2]});
    }
    return true;
}

bool CSpecialPrmInfo::CheckArpSw(SPECIAL_PRM_DATA& rule, int mode, int part, int len)
{
    Q_UNUSED(len);
    if (!m_map || part < 0 || part >= int(rule.switches.size()) || part >= int(rule.matches.size()))
        return false;
    auto readFirst = [&](const PRM_ADDRESS& a, unsigned char& out) {
        unsigned char* bytes = nullptr;
        unsigned char size = 0;
        if (!m_map->GetData(short(a.category), reinterpret_cast<const unsigned char*>(a.address.constData()), bytes,
                            size)
            || !bytes || size < 1)
            return false;
        out = bytes[0];
        return true;
    };
    unsigned char sw = 0;
    if (!readFirst(rule.switches[size_t(part)], sw) || !(sw & kArpBit))
        return false;
    std::vector<int> others;
    for (int p = 0; p < int(rule.switches.size()); ++p) {
        unsigned char b = 0;
        if (p != part && readFirst(rule.switches[size_t(p)], b) && (b & kArpBit))
            others.push_back(p);
    }
    if (others.empty())
        return false;
    unsigned char reference = 0;
    if (!readFirst(rule.matches[size_t(part)], reference))
        return false;
    bool changed = false;
    for (int p : others) {
        if (p >= int(rule.matches.size()))
            return false;
        unsigned char value = 0;
        if (!readFirst(rule.matches[size_t(p)], value))
            return false;
        if (value == reference)
            continue;
        if (mode == 1)
            return ClearSwitch(rule.switches[size_t(part)]);
        changed = ClearSwitch(rule.switches[size_t(p)]) || changed;
    }
    return changed;
}
