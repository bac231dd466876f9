#pragma once
// Conversion between MIDI bytes and the host's MIDI event record. Any thread; no state.
#include "genericeditor/interfaces/HostInterfaces.h"
#include <cstdint>

namespace NS_MPEvent
{

// The event kind of a channel status byte 0x80-0xEF; 0 for any other byte.
uint32_t kindForStatus(uint8_t status);

// Fills `event` with one outgoing message for `port`. A system-exclusive message
// (first byte 0xF0) keeps pointing into `data`: the caller's bytes must live while the
// host uses the event. Returns false, leaving `event` untouched, for a message that
// cannot be mapped: empty, a lone 0xF0, a status outside 0x80-0xEF other than 0xF0, or
// a channel message of 6 bytes or more.
bool buildOutgoing(int length, const uint8_t* data, uint32_t port, uint64_t sequence,
                   tagMPEVENT& event);

// The channel message of a received event: status with the channel, then data bytes
// 1 and 2 as far as the kind's length goes. Returns that length (2 or 3), or 0 when the
// event is not a channel message.
int channelMessage(const tagMPEVENT& event, uint8_t bytes[3]);

// True when the record owns a malloc'd payload.
inline bool ownsPayload(const tagMPEVENT& event)
{
    return (event.kind & NS_MPEventKind::payloadMask) != 0;
}

// Frees the record's payload, if it owns one, and marks it empty.
void release(tagMPEVENT& event);

} // namespace NS_MPEvent
