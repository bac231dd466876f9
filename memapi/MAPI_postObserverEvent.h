#pragma once
// Hands observer work from another thread to the GUI thread: at most one posted
// event per proxy is in flight. Any thread; takes the memory-API lock. Always 0.
#include "vantrel_kxe21_memapi_export.h"
#include <cstdint>

class IMemAPI;
class TMemProxyBasic;

VANTREL_MEMAPI_EXPORT int32_t MAPI_postObserverEvent(IMemAPI* api, TMemProxyBasic* proxy);
