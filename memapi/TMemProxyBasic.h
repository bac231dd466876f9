#pragma once
// The observer side of a parameter binding: what the memory API calls back.
#include "vantrel_kxe21_memapi_export.h"
#include <cstdint>

class IMemAPI;

class VANTREL_MEMAPI_EXPORT TMemProxyBasic
{
public:
    TMemProxyBasic();
    virtual ~TMemProxyBasic();
    TMemProxyBasic(const TMemProxyBasic&) = delete;
    TMemProxyBasic& operator=(const TMemProxyBasic&) = delete;

    // Any thread: the memory API's alerts call it where the value changed; off the
    // GUI thread an implementation only posts (MAPI_postObserverEvent).
    // Operations: 0 changed (silent re-read), 1 default, 2 paste, 3 copy, 4 alt. default.
    virtual void process(const uint8_t* rawData, int operation, uint32_t flags) = 0;
    virtual bool autoUndoDisabled();

    // Not owned; null until the memory API binds the proxy.
    IMemAPI* m_memAPI = nullptr;
    // Posted observer events not yet delivered; atomic adds only.
    int32_t m_pending = 0;
    // Registered as an observer.
    bool m_connected = false;
    // The memory API's event filter is installed on the widget.
    bool m_eventFilter = false;
};
