#pragma once
// Scope guard: while a value read from memory is shown (operation 0), the proxy's
// silent counter is raised so the value is not written back.
#include <cstdint>

class TMemSilentHelper
{
public:
    TMemSilentHelper(unsigned char& counter, int operation)
        : m_counter(operation == 0 ? &counter : nullptr)
    {
        if (m_counter)
            ++*m_counter;
    }
    ~TMemSilentHelper()
    {
        if (m_counter)
            --*m_counter;
    }
    TMemSilentHelper(const TMemSilentHelper&) = delete;
    TMemSilentHelper& operator=(const TMemSilentHelper&) = delete;

private:
    unsigned char* m_counter;
};
