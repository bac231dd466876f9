#pragma once
// The room left in another sequencer client's input pool. alsa-lib asks the kernel
// only for the caller's own pool, while the kernel answers for any client; a sender
// that knows the receiver's room never overfills it (an overfilled receiver loses its
// whole queue at its next read). Built with VANTREL_HAVE_ALSA only; no ALSA header here.

namespace NS_Platform::AlsaSeq {

struct AlsaClientRoom
{
    int pool = 0; // cells of the client's input pool; 0 for a client without one (the kernel's)
    int free = 0; // cells unused now
};

// fd: an open sequencer descriptor. False when the kernel does not know the client.
bool alsaClientRoom(int fd, int client, AlsaClientRoom& room);

// The cells one event takes in a receiver's pool: the event, and for the bytes of a
// system-exclusive event one more cell per event size.
int alsaEventCells(int variableBytes);

} // namespace NS_Platform::AlsaSeq
