#include "MidiCtrl.h"
#include "MidiFormat.h"
#include "console/model/EditorBlk.h"
#include "console/model/PrmCtrl.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"

#include <cstring>

namespace {
enum Purpose { kPrmChng = 0, kPrmReq = 1, kBulkReq = 2, kBulkOut = 3 };
}

CMidiCtrl::CMidiCtrl(CPrmCtrl* map, int port) : m_map(map), m_port(port)
{
    if (!map)
        return;
    m_format = &map->MidiFormat();
    // The device number goes into a nibble: anything above 15 would corrupt the byte.
    m_device = map->GetDeviceID() > 0x0F ? 0x0F : map->GetDeviceID();
    m_channel = map->GetMidiCh();
    m_rule1 = map->GetRuleValue1();
    m_rule2 = map->GetRuleValue2();
    m_rule3 = map->GetRuleValue3();
}

unsigned char CMidiCtrl::GetCheckSum(const unsigned char* bytes, int n)
{
    unsigned sum = 0;
    for (int i = 0; i < n; ++i)
        sum += bytes[i];
    return (unsigned char)((0x100 - (sum & 0xFF)) & 0x7F);
}

int CMidiCtrl::GetMidiBuffSize(short layout, short n) const
{
    const MIDI_FRMT* l = m_format ? m_format->LayoutAt(layout) : nullptr;
    if (!l || n < 0)
        return 0;
    const MIDI_FRMT& f = *l;
    return f.adrs_pos + f.adrsLen + n + (f.checksumStart != kNoPos ? 2 : 1);
}

int CMidiCtrl::GetPrmChngSize(short category, short n) const
{
    if (!m_format)
        return 0;
    const int idx = int(m_format->GetMidiTypeInfo(category) & 0xFF);
    if (category < 0 || category >= m_format->GetMidiTypeSize())
        return 0;
    return GetMidiBuffSize(short(idx), n);
}

int CMidiCtrl::MidiForm(unsigned char* dst, short layout, const unsigned char* adr,
                        const unsigned char* data, short n) const
{
    const MIDI_FRMT* l = m_format ? m_format->LayoutAt(layout) : nullptr;
    if (!dst || !l || n < 0)
        return -1;
    const MIDI_FRMT& f = *l;
    std::memcpy(dst, f.header, size_t(f.headerLen));
    if (f.device_num_pos >= 0 && f.device_num_pos < f.headerLen)
        dst[f.device_num_pos] |= m_device;
    if (f.byte_count_pos != kNoPos) {
        dst[f.byte_count_pos] = (unsigned char)((n >> 8) & 0xFF);
        dst[f.byte_count_pos + 1] = (unsigned char)(n & 0xFF);
    }
    if (f.adrsLen > 0 && adr)
        std::memcpy(dst + f.adrs_pos, adr, size_t(f.adrsLen));
    else if (f.adrsLen > 0)
        std::memset(dst + f.adrs_pos, 0, size_t(f.adrsLen));
    int end = f.adrs_pos + f.adrsLen;
    if (n > 0 && data)
        std::memcpy(dst + end, data, size_t(n));
    else if (n > 0)
        std::memset(dst + end, 0, size_t(n));
    end += n;
    if (f.data_pos != 0) {
        const unsigned v = unsigned((f.data_status != 0 ? m_rule3 : m_rule1) + f.data_offset) & 0xFF;
        unsigned char& b = dst[f.data_pos];
        if (f.data_len_status == 0)
            b = (unsigned char)v;
        else if (f.data_len_status == 1)
            b = (unsigned char)(((v << 4) | (b & 0x0F)) & 0xFF);
        else if (f.data_len_status == 2)
            b = (unsigned char)((v & 0x0F) | (b & 0xF0));
    }
    if (f.checksumStart != kNoPos) {
        dst[end] = GetCheckSum(dst + f.checksumStart, end - f.checksumStart);
        ++end;
    }
    dst[end] = 0xF7;
    return end;
}

QByteArray CMidiCtrl::Form(short category, int purpose, const unsigned char* adr,
                           const unsigned char* data, short n) const
{
    if (!m_format || category < 0 || category >= m_format->GetMidiTypeSize() || n < 0)
        return QByteArray();
    const short layout = short((m_format->GetMidiTypeInfo(category) >> (8 * purpose)) & 0xFF);
    const int size = GetMidiBuffSize(layout, n);
    if (size <= 0)
        return QByteArray();
    QByteArray msg(size, '\0');
    const int end = MidiForm(reinterpret_cast<unsigned char*>(msg.data()), layout, adr, data, n);
    if (end < 0)
        return QByteArray();
    msg.truncate(end + 1);
    return msg;
}

int CMidiCtrl::FormPrmChngBuffer(short category, const unsigned char* adr, const unsigned char* data,
                                 unsigned char* dst, short n) const
{
    if (!m_format || category < 0 || category >= m_format->GetMidiTypeSize())
        return -1;
    return MidiForm(dst, short(m_format->GetMidiTypeInfo(category) & 0xFF), adr, data, n);
}

void CMidiCtrl::Send(const QByteArray& msg)
{
    if (!msg.isEmpty())
        SendExclMsg(reinterpret_cast<const unsigned char*>(msg.constData()), int(msg.size()));
}

void CMidiCtrl::PrmChng(short category, const unsigned char* adr, const unsigned char* data, short n)
{
    if (!m_format || category < 0 || category >= m_format->GetMidiTypeSize() || n < 0)
        return;
    const short layout = short(m_format->GetMidiTypeInfo(category) & 0xFF);
    const int size = GetMidiBuffSize(layout, n);
    if (size <= 0)
        return;
    // Parameter changes are short: form them on the stack.
    unsigned char small[128];
    if (size <= int(sizeof small)) {
        const int end = MidiForm(small, layout, adr, data, n);
        if (end >= 0)
            SendExclMsg(small, end + 1);
        return;
    }
    Send(Form(category, kPrmChng, adr, data, n));
}

void CMidiCtrl::PrmChng(short category, const unsigned char* adr, const unsigned char* data, short n,
                        short assignRule)
{
    if (assignRule < 0) {
        PrmChng(category, adr, data, n);
        return;
    }
    QByteArray msg = Form(category, kPrmChng, adr, data, n);
    const MIDI_FRMT* f = m_format ? m_format->Layout(category, kPrmChng) : nullptr;
    if (msg.isEmpty() || !f)
        return;
    ChangeDataAssignRule(reinterpret_cast<unsigned char*>(msg.data()), short(msg.size()), *f, assignRule);
    Send(msg);
}

void CMidiCtrl::ParamRequest(short category, const unsigned char* adr, const unsigned char* data, short n)
{
    Send(Form(category, kPrmReq, adr, data, n));
}

void CMidiCtrl::BulkRequest(short category, const unsigned char* adr, const unsigned char* data, short n)
{
    Send(Form(category, kBulkReq, adr, data, n));
}

void CMidiCtrl::BulkOut(short category, const unsigned char* adr, const unsigned char* data, short n)
{
    Send(Form(category, kBulkOut, adr, data, n));
}

QByteArray CMidiCtrl::PreProcessBulkRequest(short category, const unsigned char* adr,
                                            const unsigned char* data, short n) const
{
    return Form(category, kBulkReq, adr, data, n);
}

QByteArray CMidiCtrl::PreProcessBulkOut(short category, const unsigned char* adr,
                                        const unsigned char* data, short n) const
{
    return Form(category, kBulkOut, adr, data, n);
}

void CMidiCtrl::ParamChange(short category, const unsigned char* adr, const unsigned char* data,
                            short n, short assignRule)
{
    const MIDI_FRMT* f = m_format ? m_format->Layout(category, kPrmChng) : nullptr;
    if (!f || n < 0)
        return;
    switch (f->midi_type) {
    case 0:
        PrmChng(category, adr, data, n);
        break;
    case 1:
    case 2: {
        if (!data || !adr)
            break;
        unsigned char status = 0, d1 = 0, d2 = 0;
        if (n == 2) {
            status = adr[0], d1 = data[0], d2 = data[1];
        } else if (n == 1 && f->adrsLen == 1) {
            status = f->header[0], d1 = adr[0], d2 = data[0];
        } else if (n == 1 && f->adrsLen == 2) {
            status = adr[0], d1 = adr[1], d2 = data[0];
        } else {
            break;
        }
        // Program change and channel pressure carry one data byte only.
        const unsigned char kind = status & 0xF0;
        if (kind == 0xC0 || kind == 0xD0)
            SendChMsg(status, d1);
        else
            SendChMsg(status, d1, d2);
        break;
    }
    case 3: {
        if (!data)
            break;
        unsigned char p = data[0];
        if (f->adrsLen != 0 && p >= 0x80)
            p = adr ? adr[0] : 0;
        SendChMsg(f->header[0], (unsigned char)(p & 0x7F));
        break;
    }
    case 4:
        PrmChng(category, adr, data, n, assignRule);
        break;
    default:
        break;
    }
}

void CMidiCtrl::IdentityRequest(unsigned char device)
{
    const unsigned char msg[6] = {0xF0, 0x7E, (unsigned char)(device & 0x7F), 0x06, 0x01, 0xF7};
    SendExclMsg(msg, 6);
}

int CMidiCtrl::SendExclMsg(const unsigned char* msg, int size)
{
    if (!msg || size <= 0)
        return 0;
    if (m_capture) {
        m_captured = QByteArray(reinterpret_cast<const char*>(msg), size);
        m_capture = false;
        return 0;
    }
    if (TMIDIProxyInOut* io = m_map ? m_map->MIDI(m_port) : nullptr)
        io->write(size, msg);
    return 0;
}

bool CMidiCtrl::TransmitExclMsg(const unsigned char* msg, int size)
{
    TMIDIProxyInOut* io = m_map ? m_map->MIDI(m_port) : nullptr;
    if (!msg || size <= 0 || !io)
        return true;
    // The port answers 0 also while no output is chosen; only a chosen one's refusal
    // is a failure of the message.
    return io->write(size, msg) != 0 || io->portIdentity(1).isNull();
}

int CMidiCtrl::SendChMsg(unsigned char status, unsigned char d1, unsigned char d2)
{
    const unsigned char msg[3] = {(unsigned char)((status & 0xF0) | (m_channel & 0x0F)),
                                  (unsigned char)(d1 & 0x7F), (unsigned char)(d2 & 0x7F)};
    return SendExclMsg(msg, 3);
}

int CMidiCtrl::SendChMsg(unsigned char status, unsigned char d1)
{
    const unsigned char msg[2] = {(unsigned char)((status & 0xF0) | (m_channel & 0x0F)),
                                  (unsigned char)(d1 & 0x7F)};
    return SendExclMsg(msg, 2);
}

QByteArray CMidiCtrl::GetPreProcessedMessage()
{
    QByteArray out = m_captured;
    m_captured.clear();
    return out;
}

void CMidiCtrl::ChangeDataAssignRule(unsigned char* msg, short len, const MIDI_FRMT& f, short rule) const
{
    if (!msg || len <= 0 || !m_map)
        return;
    const ASSIGN_RULE_DATA* r = m_map->EditorBlk().GetAssignRuleData(rule);
    if (!r)
        return;
    // The last byte is F7; with a checksum the byte before it is the checksum.
    const bool hasSum = f.checksumStart != kNoPos;
    const int limit = len - 1 - (hasSum ? 1 : 0);
    for (const auto& pr : r->pairs) {
        const int p = f.headerLen + pr.first;
        if (p < 0 || p >= limit)
            continue;
        switch (pr.second) {
        case 0: msg[p] = (unsigned char)(m_rule3 & 0x7F); break;
        case 1: msg[p] = (unsigned char)(m_rule1 & 0x7F); break;
        case 2: msg[p] = (unsigned char)(m_rule2 & 0x7F); break;
        case 3: msg[p] = (unsigned char)(m_channel & 0x0F); break;
        default: break;
        }
    }
    if (hasSum && f.checksumStart < limit)
        msg[limit] = GetCheckSum(msg + f.checksumStart, limit - f.checksumStart);
}
