#pragma once
// Holds the memory-API lock for a scope.
//
// The bulk engines keep their walk and send state without a lock of their own: the
// pump thread parses replies into them holding the memory-API lock, so every start,
// stop, send and send step made on another thread (the companion's commands, total
// recall) holds it too. Lock order: the memory-API lock before a map's queue, the
// bulk send queue and the companion's and recall logic's own mutexes; never taken
// while one of those is held. Nothing in such a scope may wait for the GUI thread.
#include "memapi/IMemAPI.h"

class MemApiLock
{
public:
    // Null locks nothing.
    explicit MemApiLock(IMemAPI* api) : m_api(api)
    {
        if (m_api)
            m_api->MAPI_lock(true);
    }
    ~MemApiLock()
    {
        if (m_api)
            m_api->MAPI_lock(false);
    }
    MemApiLock(const MemApiLock&) = delete;
    MemApiLock& operator=(const MemApiLock&) = delete;

private:
    IMemAPI* const m_api;
};
