#include "RemoteFunctionItems.h"
#include "RcParamInfo.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VoiceBanks.h"
#include <algorithm>
#include <cstring>

using namespace NS_Remote;

namespace {

constexpr int kMaxValueBytes = 4;
// The part parameter whose control decides whether a part's sustain switch applies:
// 37 pp 27.
constexpr unsigned char kPartBlock = 0x37;
constexpr unsigned char kSustainGate = 0x27;

// This memory map repeats no block, so the instances that follow a parameter are
// the parameters at the following addresses (bank select LSB and program number
// after the MSB).
void following(const unsigned char* adrs, int n, unsigned char* out)
{
    std::memcpy(out, adrs, 3);
    out[2] = (unsigned char)(adrs[2] + n);
}

QByteArray latin(const QString& s)
{
    return s.toLatin1();
}

} // namespace

CRemoteFunctionItems::CRemoteFunctionItems(CPrmCtrl* map, CVoiceBanks* banks,
                                     const std::vector<PARAM_SELECT_CATEGORY_DATA>* lists)
    : m_map(map), m_banks(banks), m_lists(lists)
{
}

// ------------------------------------------------------------------ values

bool CRemoteFunctionItems::ReadValue(CPrmCtrl* map, short category, const unsigned char* adrs, int32_t& value,
                                  int& size, bool defaultValue)
{
    PRMINFO info;
    if (!map || !adrs || !map->GetPrmInfo(category, adrs, info) || info.size == 0 || info.size > kMaxValueBytes)
        return false;
    unsigned char* bytes = nullptr;
    unsigned char n = 0;
    const bool read = defaultValue ? map->GetDef(category, adrs, bytes, n) : map->GetData(category, adrs, bytes, n);
    if (!read || !bytes || n != info.size)
        return false;
    unsigned char data[kMaxValueBytes] = {};
    if (!map->MidiToData(category, adrs, bytes, data))
        return false;
    value = CPrmCtrl::GetCnvData(info.size, data);
    size = info.size;
    return true;
}

bool CRemoteFunctionItems::WriteValue(CPrmCtrl* map, short category, const unsigned char* adrs, int32_t value)
{
    PRMINFO info;
    if (!map || !adrs || !map->GetPrmInfo(category, adrs, info) || info.size == 0 || info.size > kMaxValueBytes)
        return false;
    unsigned char data[kMaxValueBytes] = {}, midi[kMaxValueBytes] = {};
    CPrmCtrl::GetData(value, data, info.size);
    if (!map->DataToMidi(category, adrs, data, midi))
        return false;
    bool linked = false;
    return map->SetData(category, adrs, midi, linked, LINK_ON, MIDI_ON, true, 0);
}

// ------------------------------------------------------------------ dispatch

bool CRemoteFunctionItems::Read(const _RCPARAM_INFO& p, bool multiField, Result& out)
{
    if (!m_map || !p.address)
        return false;
    const short cat = short(p.category);
    switch (CodeOf(p.kind)) {
    case CategorySelect: {
        const std::vector<PARAM_SELECT_CATEGORY_DATA>* list = List(ArgumentOf(p.kind));
        int32_t v = 0;
        int size = 0;
        if (!list || !ReadValue(m_map, cat, p.address, v, size))
            return false;
        const PARAM_SELECT_CATEGORY_DATA* c = Holding(*list, v);
        if (!c)
            return false;
        out.value = v;
        out.text = CategoryText(*c, v, multiField);
        out.valid = true;
        return true;
    }
    case InsertSlots:
    case InsertState:
        return ReadInsert(p, out);
    case Voice: {
        int msb = 0, lsb = 0, number = 0;
        if (!m_banks || !VoiceOf(p, msb, lsb, number))
            return false;
        QString name;
        out.value = number;
        // A voice without a name shows as an inactive value.
        out.valid = m_banks->GetVoiceNameShort(msb, lsb, number, name) && !name.trimmed().isEmpty();
        out.text = out.valid ? latin(name.trimmed()) : QByteArray();
        return true;
    }
    case Bank: {
        int msb = 0, lsb = 0, number = 0, id = 0;
        QString name;
        if (!m_banks || !VoiceOf(p, msb, lsb, number) || !m_banks->GetBankNameID(msb, lsb, name, id))
            return false;
        out.value = id;
        out.text = latin(name);
        out.valid = true;
        return true;
    }
    case Sustain: {
        // The part's sustain switch has no effect while the part's 37 pp 27 has no
        // control (a voice whose notes nothing holds); the detail views hide the
        // switch by the same parameter. An item whose own control is inactive is
        // inactive as well.
        const unsigned char gate[3] = {kPartBlock, p.address[1], kSustainGate};
        PRMINFO own, part;
        const bool ownInactive = m_map->GetPrmInfo(cat, p.address, own) && own.dispStyle >= kInactiveControl;
        const bool partInactive = m_map->GetPrmInfo(cat, gate, part) && part.dispStyle >= kInactiveControl;
        if (!ownInactive && !partInactive)
            return false;
        out.valid = false;
        out.text.clear();
        return true;
    }
    default:
        return false;
    }
}

bool CRemoteFunctionItems::Change(const _RCPARAM_INFO& p, int mode, int step, bool multiField, Result& out)
{
    if (!m_map || !p.address || mode < Relative || mode > Default)
        return false;
    const short cat = short(p.category);
    switch (CodeOf(p.kind)) {
    case CategorySelect: {
        const std::vector<PARAM_SELECT_CATEGORY_DATA>* list = List(ArgumentOf(p.kind));
        if (!list || mode == Absolute)
            return false;
        int32_t v = 0;
        int size = 0;
        if (!ReadValue(m_map, cat, p.address, v, size))
            return false;
        int target = list->front().minimum;
        if (mode == Relative && !CategoryStep(*list, v, step, target))
            return false;
        WriteValue(m_map, cat, p.address, target);
        out.value = target;
        out.text = CategoryText(*Holding(*list, target), target, multiField);
        out.valid = true;
        return true;
    }
    case InsertSlots:
    case InsertState:
        return ChangeInsert(p, mode, step, out);
    case Voice: {
        int msb = 0, lsb = 0, number = 0, id = 0;
        QString name;
        if (!m_banks || !VoiceOf(p, msb, lsb, number))
            return false;
        out.value = number;
        if (!m_banks->GetBankNameID(msb, lsb, name, id)) {
            // A bank this editor does not know: the voice stays.
            Read(p, multiField, out);
            return true;
        }
        if (mode == Relative) {
            const int n = number + step;
            int b = id, bm = msb, bl = lsb, voices = 0;
            if (n < 0) {
                // The previous bank that has voices, at its last voice; the first bank stays.
                do {
                    --b;
                } while (b >= 0 && (!BankOf(b, bm, bl, voices) || voices <= 0));
                if (b < 0) {
                    Read(p, multiField, out);
                    return true;
                }
                msb = bm, lsb = bl, number = voices - 1;
            } else if (VoiceExists(msb, lsb, n)) {
                number = n;
            } else {
                // The next bank that has voices, at its first voice; after the last bank nothing changes.
                do {
                    ++b;
                } while (b < m_banks->GetBankCount() && (!BankOf(b, bm, bl, voices) || voices <= 0));
                if (b >= m_banks->GetBankCount()) {
                    Read(p, multiField, out);
                    return true;
                }
                msb = bm, lsb = bl, number = 0;
            }
        } else if (mode == Default) {
            number = 0;
        }
        WriteVoice(p, msb, lsb, number);
        Read(p, multiField, out);
        out.value = number;
        return true;
    }
    case Bank: {
        int msb = 0, lsb = 0, number = 0, id = 0;
        QString name;
        if (!m_banks || !VoiceOf(p, msb, lsb, number))
            return false;
        if (!m_banks->GetBankNameID(msb, lsb, name, id))
            return true;
        int target = id;
        if (mode == Relative)
            target = std::clamp(id + step, 0, std::max(m_banks->GetBankCount() - 1, 0));
        else if (mode == Default)
            target = 0;
        out.value = id;
        out.text = latin(name);
        out.valid = true;
        if (mode == Relative && target == id)
            return true;
        int bm = 0, bl = 0, voices = 0;
        if (!BankOf(target, bm, bl, voices))
            return true;
        WriteVoice(p, bm, bl, 0);
        Read(p, multiField, out);
        return true;
    }
    case Sustain:
        return Read(p, multiField, out);
    default:
        return false;
    }
}

// ------------------------------------------------------------------ category select

const std::vector<PARAM_SELECT_CATEGORY_DATA>* CRemoteFunctionItems::List(uint32_t argument) const
{
    if (!m_lists || argument >= uint32_t(kSelectLists) || m_lists[argument].empty())
        return nullptr;
    return &m_lists[argument];
}

const PARAM_SELECT_CATEGORY_DATA* CRemoteFunctionItems::Holding(const std::vector<PARAM_SELECT_CATEGORY_DATA>& list,
                                                              int v)
{
    for (const PARAM_SELECT_CATEGORY_DATA& c : list) {
        if (v >= c.minimum && v <= c.maximum)
            return &c;
    }
    return nullptr;
}

bool CRemoteFunctionItems::CategoryStep(const std::vector<PARAM_SELECT_CATEGORY_DATA>& list, int v, int step,
                                     int& out)
{
    int c = -1;
    for (size_t i = 0; i < list.size(); ++i) {
        if (v >= list[i].minimum && v <= list[i].maximum) {
            c = int(i);
            break;
        }
    }
    if (c < 0)
        return false;
    const long t = long(v) + step;
    const PARAM_SELECT_CATEGORY_DATA& cur = list[size_t(c)];
    if (t < cur.minimum)
        out = c > 0 ? list[size_t(c - 1)].maximum : cur.minimum;
    else if (t <= cur.maximum)
        out = int(t);
    else
        out = c + 1 < int(list.size()) ? list[size_t(c + 1)].minimum : cur.maximum;
    return true;
}

QByteArray CRemoteFunctionItems::CategoryText(const PARAM_SELECT_CATEGORY_DATA& c, int v, bool multiField) const
{
    QString value = c.table >= 0 ? m_map->GetStrTblKeyData(unsigned(c.table), unsigned(v)) : QString();
    if (value.isEmpty())
        value = QString::number(v);
    return (multiField ? c.name : c.shortName) + latin(value);
}

// ------------------------------------------------------------------ insertion switches

bool CRemoteFunctionItems::ReadInsert(const _RCPARAM_INFO& p, Result& out)
{
    const int part = int(ArgumentOf(p.kind));
    bool on = false;
    if (CodeOf(p.kind) == InsertSlots) {
        // Four part numbers in a row: the part's switch is on when one of them names it.
        for (int n = 0; n < 4 && !on; ++n) {
            unsigned char a[3];
            following(p.address, n, a);
            int32_t v = 0;
            int size = 0;
            on = ReadValue(m_map, short(p.category), a, v, size) && v == part;
        }
    } else {
        on = m_map->IsInsertStatus(part);
    }
    out.value = on ? 1 : 0;
    out.text = QByteArray::number(out.value);
    out.valid = true;
    return true;
}

bool CRemoteFunctionItems::ChangeInsert(const _RCPARAM_INFO& p, int mode, int step, Result& out)
{
    Result now;
    ReadInsert(p, now);
    bool on = false;
    if (mode == Relative)
        on = step >= 0;
    else if (mode == Absolute)
        on = now.value == 0;
    const int part = int(ArgumentOf(p.kind));
    m_map->SetInsertStatus(part, on);
    out.value = m_map->IsInsertStatus(part) ? 1 : 0;
    out.text = QByteArray::number(out.value);
    out.valid = true;
    return true;
}

// ------------------------------------------------------------------ voices and banks

bool CRemoteFunctionItems::VoiceOf(const _RCPARAM_INFO& p, int& msb, int& lsb, int& number) const
{
    int32_t v[3] = {0, 0, 0};
    for (int n = 0; n < 3; ++n) {
        unsigned char a[3];
        following(p.address, n, a);
        int size = 0;
        if (!ReadValue(m_map, short(p.category), a, v[n], size))
            return false;
    }
    msb = v[0], lsb = v[1], number = v[2];
    return true;
}

bool CRemoteFunctionItems::VoiceExists(int msb, int lsb, int number) const
{
    QString name;
    return number >= 0 && m_banks->GetVoiceNameShort(msb, lsb, number, name);
}

bool CRemoteFunctionItems::BankOf(int id, int& msb, int& lsb, int& voices) const
{
    int kind = 0, table = 0;
    QString name, second;
    if (!m_banks->GetBankByID(id, kind, msb, lsb, name, second, &table))
        return false;
    voices = m_banks->GetNumVoices(msb, lsb);
    return true;
}

void CRemoteFunctionItems::WriteVoice(const _RCPARAM_INFO& p, int msb, int lsb, int number)
{
    const short cat = short(p.category);
    const int values[3] = {msb, lsb, number};
    for (int n = 0; n < 3; ++n) {
        unsigned char a[3];
        following(p.address, n, a);
        unsigned char midi = (unsigned char)(values[n] & 0x7F);
        bool linked = false;
        m_map->SetData(cat, a, &midi, linked, LINK_ON, MIDI_ON, true, 0);
        // Only the program number copies the chosen voice into the part.
        if (n == 2)
            m_map->CheckTriggerAddres(cat, a, 3, 1, &midi, false);
    }
    for (int n = 0; n < 3; ++n) {
        unsigned char a[3];
        following(p.address, n, a);
        m_map->EditorAddressChanged({a[0], a[1], a[2]});
    }
}
