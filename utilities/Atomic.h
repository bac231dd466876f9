#pragma once
// The system's atomic add. Any thread; lock-free.
#include "vantrel_kxe21_utilities_export.h"
#include <cstdint>

// Atomically adds delta and returns the value before the add; a delta of 0 is an
// atomic read. Works on the field's own width only, never on neighbouring bytes.
VANTREL_UTILITIES_EXPORT int32_t InterlockedExchangeAdd(int32_t* target, int32_t delta);
VANTREL_UTILITIES_EXPORT int64_t InterlockedExchangeAdd(int64_t* target, int64_t delta);
