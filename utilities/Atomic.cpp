#include "Atomic.h"

int32_t InterlockedExchangeAdd(int32_t* target, int32_t delta)
{
    return __atomic_fetch_add(target, delta, __ATOMIC_SEQ_CST);
}

int64_t InterlockedExchangeAdd(int64_t* target, int64_t delta)
{
    return __atomic_fetch_add(target, delta, __ATOMIC_SEQ_CST);
}
