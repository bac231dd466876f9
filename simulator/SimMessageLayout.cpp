#include "simulator/SimMessageLayout.h"

namespace NS_Simulator {

uint8_t sysExChecksum(const uint8_t* bytes, size_t count)
{
    unsigned sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return static_cast<uint8_t>((0x100 - (sum & 0xFF)) & 0x7F);
}

Bytes SimMessageLayout::form(uint8_t device, const Bytes& address, const Bytes& data) const
{
    Bytes msg(header);
    if (devicePos >= 0 && devicePos < static_cast<int>(msg.size()))
        msg[devicePos] = static_cast<uint8_t>(msg[devicePos] | (device & 0x0F));
    if (countPos >= 0 && countPos + 1 < static_cast<int>(msg.size())) {
        msg[countPos] = static_cast<uint8_t>((data.size() >> 8) & 0xFF);
        msg[countPos + 1] = static_cast<uint8_t>(data.size() & 0xFF);
    }
    msg.resize(adrsPos, 0);
    for (int i = 0; i < adrsLen; ++i)
        msg.push_back(i < static_cast<int>(address.size()) ? address[i] : 0);
    msg.insert(msg.end(), data.begin(), data.end());
    if (checksumStart >= 0 && checksumStart < static_cast<int>(msg.size()))
        msg.push_back(sysExChecksum(msg.data() + checksumStart, msg.size() - checksumStart));
    msg.push_back(0xF7);
    return msg;
}

bool SimMessageLayout::matchesHeader(const Bytes& message) const
{
    if (header.empty() || message.size() < header.size() + 1)
        return false;
    for (size_t i = 0; i < header.size(); ++i) {
        if (static_cast<int>(i) == devicePos) {
            if (message[i] != 0x7F && (message[i] & 0xF0) != (header[i] & 0xF0))
                return false;
            continue;
        }
        if (static_cast<int>(i) == countPos || static_cast<int>(i) == countPos + 1)
            continue;
        if (static_cast<int>(i) >= adrsPos)
            break; // address bytes may overlay the header's placeholders
        if (message[i] != header[i])
            return false;
    }
    return true;
}

SimMessageLayout::Match SimMessageLayout::parse(const Bytes& message, uint8_t device,
                                                Bytes* address, Bytes* data) const
{
    if (!matchesHeader(message) || message.back() != 0xF7)
        return Match::NoMatch;
    const size_t fixed = static_cast<size_t>(adrsPos + adrsLen) + 1 + (checksumStart >= 0 ? 1 : 0);
    if (message.size() < fixed)
        return Match::NoMatch;
    if (devicePos >= 0) {
        const uint8_t d = message[devicePos];
        if (d != 0x7F && (d & 0x0F) != (device & 0x0F))
            return Match::OtherDevice;
    }
    const size_t dataLen = message.size() - fixed;
    if (countPos >= 0) {
        const size_t count = static_cast<size_t>(message[countPos]) * 256 + message[countPos + 1];
        if (count != dataLen)
            return Match::BadCount;
    }
    if (checksumStart >= 0) {
        const size_t csPos = message.size() - 2;
        if (static_cast<size_t>(checksumStart) >= csPos)
            return Match::BadChecksum;
        if (sysExChecksum(message.data() + checksumStart, csPos - checksumStart) != message[csPos])
            return Match::BadChecksum;
    }
    if (address)
        address->assign(message.begin() + adrsPos, message.begin() + adrsPos + adrsLen);
    if (data)
        data->assign(message.begin() + adrsPos + adrsLen, message.begin() + adrsPos + adrsLen + dataLen);
    return Match::Ok;
}

} // namespace NS_Simulator
