#pragma once
// A blocking wait of whole seconds, or in simulate mode only the recorded length.
#include "vantrel_kxe21_console_export.h"
#include <cstdint>

class VANTREL_CONSOLE_EXPORT CWait
{
public:
    CWait() = default;
    ~CWait() = default;

    // Blocks the calling thread for the given seconds (a steady clock, so a change of
    // the time of day neither ends nor stretches it); in simulate mode only stores them.
    void SetWait3(int seconds);

    static inline bool c_bSimulateMode = false;
    static inline uint32_t c_dwWaitTime = 0;
};
