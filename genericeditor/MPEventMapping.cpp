#include "MPEventMapping.h"
#include <cstdlib>
#include <cstring>

namespace NS_MPEvent
{

namespace {

// Indexed by the status byte's high nibble; only 8 to 14 are channel messages.
constexpr uint32_t kKindByNibble[16] = {
    0, 0, 0, 0, 0, 0, 0, 0,
    NS_MPEventKind::noteOff, NS_MPEventKind::noteOn, NS_MPEventKind::polyPressure,
    NS_MPEventKind::controlChange, NS_MPEventKind::programChange,
    NS_MPEventKind::channelPressure, NS_MPEventKind::pitchBend, 0};

struct ChannelKind
{
    uint32_t kind;
    uint8_t status;
    int length;
};

constexpr ChannelKind kChannelKinds[] = {
    {NS_MPEventKind::noteOff, 0x80, 3},       {NS_MPEventKind::noteOn, 0x90, 3},
    {NS_MPEventKind::polyPressure, 0xA0, 3},  {NS_MPEventKind::controlChange, 0xB0, 3},
    {NS_MPEventKind::programChange, 0xC0, 2}, {NS_MPEventKind::channelPressure, 0xD0, 2},
    {NS_MPEventKind::pitchBend, 0xE0, 3},
};

constexpr int kMaxChannelMessage = 5;

} // namespace

uint32_t kindForStatus(uint8_t status)
{
    if (status < 0x80 || status > 0xEF)
        return 0;
    return kKindByNibble[status >> 4];
}

bool buildOutgoing(int length, const uint8_t* data, uint32_t port, uint64_t sequence,
                   tagMPEVENT& event)
{
    if (length <= 0 || !data)
        return false;
    tagMPEVENT e;
    std::memset(&e, 0, sizeof e);
    if (data[0] == 0xF0) {
        // Nothing after the 0xF0 is no message.
        if (length < 2)
            return false;
        e.kind = NS_MPEventKind::sysex;
        e.count = uint32_t(length - 1);
        e.data.sysex = const_cast<uint8_t*>(data + 1);
    } else {
        const uint32_t kind = kindForStatus(data[0]);
        if (kind == 0 || length > kMaxChannelMessage)
            return false;
        e.kind = kind;
        e.channel = data[0] & 0x0F;
        for (int i = 1; i < length; ++i)
            e.data.bytes[i - 1] = data[i];
    }
    e.port = port;
    e.sequence = sequence;
    e.one = 1;
    event = e;
    return true;
}

int channelMessage(const tagMPEVENT& event, uint8_t bytes[3])
{
    for (const ChannelKind& k : kChannelKinds) {
        if (k.kind != event.kind)
            continue;
        bytes[0] = uint8_t(k.status + event.channel % 16);
        bytes[1] = event.data.bytes[0];
        bytes[2] = event.data.bytes[1];
        return k.length;
    }
    return 0;
}

void release(tagMPEVENT& event)
{
    if (ownsPayload(event)) {
        std::free(event.data.sysex);
        event.data.sysex = nullptr;
    }
    event.kind = NS_MPEventKind::empty;
}

} // namespace NS_MPEvent
