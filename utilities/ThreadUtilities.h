#pragma once
// Status, thread and delay helpers. Any thread.
#include "vantrel_kxe21_utilities_export.h"
#include <cstdint>

namespace NS_Utilities {

// True for the user-cancelled codes 1223 and 0x80000007.
VANTREL_UTILITIES_EXPORT bool aborted(int32_t code);
// True when the caller runs on the toolkit application's thread; false without an application.
VANTREL_UTILITIES_EXPORT bool mainThreadRunning();
// Blocks the calling thread; a negative time does not wait.
VANTREL_UTILITIES_EXPORT void milisecondDelay(int32_t ms);

} // namespace NS_Utilities
