#include "CopyPrmInfo.h"
#include "IniFileJob.h"
#include "ModelLogging.h"
#include "console/bulk/MidiFormat.h"

#include <algorithm>
#include <cctype>
#include <cstring>

CCopyPrmInfo::~CCopyPrmInfo() = default;

void CCopyPrmInfo::InitSet(const CMidiFormat* formats, CPrmCtrl* map)
{
    m_formats = formats;
    m_map = map;
}

void CCopyPrmInfo::DeleteList()
{
    m_rules = COPY_PRM_INFO();
    m_banks.clear();
    m_sets.clear();
}

void CCopyPrmInfo::DeleteCopyPrmInfo(int set)
{
    if (set >= 0 && set < int(m_sets.size()))
        m_sets.erase(m_sets.begin() + set);
}

void CCopyPrmInfo::DropRules()
{
    m_rules.bankMSB.clear();
    m_rules.bankLSB.clear();
    m_rules.trigger.clear();
    m_sets.clear();
}

namespace {

// fn(token) for each field of value between TABs and commas, trimmed, the empty ones
// left out, until fn answers false.
template <typename Fn>
void eachToken(QByteArrayView value, Fn fn)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i <= value.size(); ++i) {
        if (i < value.size() && value[i] != '\t' && value[i] != ',')
            continue;
        const QByteArrayView token = value.sliced(from, i - from).trimmed();
        from = i + 1;
        if (!token.isEmpty() && !fn(token))
            return;
    }
}

} // namespace

std::vector<QByteArray> CCopyPrmInfo::SplitTokens(const QByteArray& value)
{
    std::vector<QByteArray> out;
    eachToken(value, [&out](QByteArrayView token) {
        out.emplace_back(token.data(), token.size());
        return true;
    });
    return out;
}

bool CCopyPrmInfo::LeadingHexBytes(const QByteArray& value, unsigned char* out, int count)
{
    int parsed = 0;
    bool ok = true;
    eachToken(value, [&](QByteArrayView token) {
        ok = ParseHexByte(token, out[parsed++]);
        return ok && parsed < count;
    });
    return ok && parsed == count;
}

bool CCopyPrmInfo::ParseAddress(const QByteArray& token, int len, QByteArray& out)
{
    if (len <= 0 || token.size() != 2 * len)
        return false;
    for (char c : token)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    out = QByteArray::fromHex(token);
    return out.size() == len;
}

bool CCopyPrmInfo::ParseDecimal(const QByteArray& token, int& out)
{
    bool ok = false;
    const int v = token.trimmed().toInt(&ok, 10);
    if (ok)
        out = v;
    return ok;
}

bool CCopyPrmInfo::ParseHexByte(QByteArrayView token, unsigned char& out)
{
    bool ok = false;
    const uint v = token.trimmed().toUInt(&ok, 16);
    if (!ok || v > 0xFF)
        return false;
    out = (unsigned char)v;
    return true;
}

void CCopyPrmInfo::AddAddress(int len, unsigned char* adrs, const unsigned char* step)
{
    if (!adrs || !step)
        return;
    unsigned carry = 0;
    for (int i = len - 1; i >= 0; --i) {
        const unsigned sum = unsigned(adrs[i]) + unsigned(step[i]) + carry;
        adrs[i] = (unsigned char)(sum & 0xFF);
        carry = sum >> 8;
    }
}

bool CCopyPrmInfo::SetAddress(int len, const char* text, int count, std::vector<QByteArray>& out,
                              const unsigned char* step)
{
    QByteArray a;
    if (!text || count < 0 || !ParseAddress(QByteArray(text).trimmed(), len, a))
        return false;
    out.clear();
    out.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        out.push_back(a);
        AddAddress(len, reinterpret_cast<unsigned char*>(a.data()), step);
    }
    return true;
}

bool CCopyPrmInfo::MakeList(const QString& path)
{
    DeleteList();
    m_path = path;
    CIniFileJob ini(path);
    if (!ini.Opened())
        return false;
    if (!ini.GetSection("PrmCopyInfo"))
        return true;

    int parts = 0;
    QByteArray value;
    if (!ini.GetItem("repeat_cnt", parts) || parts < 0 || parts > 256 || !ini.GetItem("repeat_address", value)) {
        qCWarning(lcModel) << path << "[PrmCopyInfo]: needs repeat_cnt and repeat_address";
        return true;
    }
    std::vector<QByteArray> t = SplitTokens(value);
    int cat = 0;
    if (t.size() < 2 || !ParseDecimal(t[0], cat)) {
        qCWarning(lcModel) << path << "[PrmCopyInfo]: bad repeat_address";
        return true;
    }
    const int len = m_formats ? m_formats->GetAdrLen(cat) : 0;
    QByteArray step;
    if (!ParseAddress(t[1], len, step)) {
        qCWarning(lcModel) << path << "[PrmCopyInfo]: bad repeat step";
        return true;
    }
    m_rules.repeatCategory = cat;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(step.constData());
    struct Key { const char* name; std::vector<QByteArray>* out; };
    const Key keys[] = {{"BankMSB", &m_rules.bankMSB}, {"BankLSB", &m_rules.bankLSB}, {"Trigger", &m_rules.trigger}};
    for (const Key& k : keys) {
        QByteArray v;
        std::vector<QByteArray> tk;
        if (!ini.GetItem(k.name, v) || (tk = SplitTokens(v)).size() < 2
            || !SetAddress(len, tk[1].constData(), parts, *k.out, s)) {
            qCWarning(lcModel) << path << "[PrmCopyInfo]: bad or missing" << k.name;
            DropRules();
            return true;
        }
    }

    int banks = 0;
    std::vector<QString> names;
    bool ok = ini.GetItem("bank_size", banks) && banks >= 0;
    for (int b = 0; ok && b < banks; ++b) {
        QByteArray v;
        const QByteArray key = QByteArray::number(b);
        std::vector<QByteArray> tk;
        BANK_INFO bank;
        ok = ini.GetItem(key.constData(), v) && (tk = SplitTokens(v)).size() >= 4 && ParseHexByte(tk[0], bank.msb)
            && ParseHexByte(tk[1], bank.lsb) && ParseDecimal(tk[2], bank.category);
        if (!ok)
            break;
        bank.name = QString::fromLatin1(tk[3]);
        m_banks.push_back(bank);
        if (std::find(names.begin(), names.end(), bank.name) == names.end())
            names.push_back(bank.name);
    }
    for (size_t n = 0; ok && n < names.size(); ++n) {
        COPY_PRM_DATA set;
        set.name = names[n];
        const QByteArray section = "Info" + names[n].toLatin1();
        QByteArray v;
        std::vector<QByteArray> tk;
        int count = 0;
        ok = ini.GetSection(section.constData()) && ini.GetItem("repeat_address", v)
            && (tk = SplitTokens(v)).size() >= 2 && ParseAddress(tk[0], len, set.sourceStep)
            && ParseAddress(tk[1], len, set.destinationStep) && ini.GetItem("copy_param_size", count) && count >= 0;
        for (int i = 0; ok && i < count; ++i) {
            const QByteArray key = QByteArray::number(i);
            PRM_ADDRESS src, dst;
            ok = ini.GetItem(key.constData(), v) && (tk = SplitTokens(v)).size() >= 4
                && ParseDecimal(tk[0], src.category) && ParseAddress(tk[1], len, src.address)
                && ParseDecimal(tk[2], dst.category) && ParseAddress(tk[3], len, dst.address);
            if (ok) {
                set.sources.push_back(src);
                set.destinations.push_back(dst);
            }
        }
        if (ok)
            m_sets.push_back(std::move(set));
    }
    if (!ok) {
        // The bank table keeps what was read; without triggers the copy never fires.
        qCWarning(lcModel) << path << "[PrmCopyInfo]: incomplete bank or copy lists; voice copy disabled";
        DropRules();
    }
    return true;
}

const unsigned char* CCopyPrmInfo::GetTrigger(int part) const
{
    return part >= 0 && part < int(m_rules.trigger.size())
        ? reinterpret_cast<const unsigned char*>(m_rules.trigger[size_t(part)].constData())
        : nullptr;
}

int CCopyPrmInfo::CheckTriggerAddres(short category, const unsigned char* adrs, int len) const
{
    if (!adrs || len <= 0 || category != m_rules.repeatCategory)
        return -1;
    for (size_t p = 0; p < m_rules.trigger.size(); ++p) {
        const QByteArray& t = m_rules.trigger[p];
        if (len <= t.size() && std::memcmp(t.constData(), adrs, size_t(len)) == 0)
            return int(p);
    }
    return -1;
}

const unsigned char* CCopyPrmInfo::GetBankMSB(int part) const
{
    return part >= 0 && part < int(m_rules.bankMSB.size())
        ? reinterpret_cast<const unsigned char*>(m_rules.bankMSB[size_t(part)].constData())
        : nullptr;
}

const unsigned char* CCopyPrmInfo::GetBankLSB(int part) const
{
    return part >= 0 && part < int(m_rules.bankLSB.size())
        ? reinterpret_cast<const unsigned char*>(m_rules.bankLSB[size_t(part)].constData())
        : nullptr;
}

int CCopyPrmInfo::GetCategoryNo(unsigned char msb, unsigned char lsb) const
{
    for (const BANK_INFO& b : m_banks)
        if (b.msb == msb && b.lsb == lsb)
            return b.category;
    return -1;
}

int CCopyPrmInfo::GetCopyParamInfoIndex(unsigned char msb, unsigned char lsb) const
{
    for (const BANK_INFO& b : m_banks) {
        if (b.msb != msb || b.lsb != lsb)
            continue;
        for (size_t s = 0; s < m_sets.size(); ++s)
            if (m_sets[s].name == b.name)
                return int(s);
    }
    return -1;
}

bool CCopyPrmInfo::GetPrmCopyAddress(int set, int part, int len, std::vector<PRM_ADDRESS>* sources,
                                     std::vector<PRM_ADDRESS>* destinations) const
{
    if (set < 0 || set >= int(m_sets.size()) || part < 0 || !sources || !destinations || len <= 0)
        return false;
    const COPY_PRM_DATA& d = m_sets[size_t(set)];
    if (len > d.sourceStep.size() || len > d.destinationStep.size())
        return false;
    for (size_t i = 0; i < d.sources.size() && i < d.destinations.size(); ++i) {
        PRM_ADDRESS s = d.sources[i], t = d.destinations[i];
        if (s.address.size() < len || t.address.size() < len)
            return false;
        for (int k = 0; k < part; ++k) {
            AddAddress(len, reinterpret_cast<unsigned char*>(s.address.data()),
                       reinterpret_cast<const unsigned char*>(d.sourceStep.constData()));
            AddAddress(len, reinterpret_cast<unsigned char*>(t.address.data()),
                       reinterpret_cast<const unsigned char*>(d.destinationStep.constData()));
        }
        sources->push_back(s);
        destinations->push_back(t);
    }
    return true;
}

BANK_INFO CCopyPrmInfo::GetBankInfo(int n) const
{
    return n >= 0 && n < int(m_banks.size()) ? m_banks[size_t(n)] : BANK_INFO();
}
