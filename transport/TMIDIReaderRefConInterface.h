#pragma once
// Receiver of MIDI bytes: the transport itself, and every observer it feeds.
#include "vantrel_kxe21_transport_export.h"

class VANTREL_TRANSPORT_EXPORT TMIDIReaderRefConInterface
{
public:
    // sysexExpected: data that does not start a system-exclusive message is not
    // wanted. Returns how many bytes were left unprocessed, or length when all were.
    virtual int read(int length, const void* data, bool sysexExpected, bool unused) = 0;

protected:
    ~TMIDIReaderRefConInterface() = default;
};
