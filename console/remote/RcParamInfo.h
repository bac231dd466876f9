#pragma once
// A parameter as the memory model hands it to the control-surface manager.
#include <cstdint>

struct _RCPARAM_INFO
{
    uint32_t category = 0;             // address category (the address's message format)
    unsigned char* address = nullptr;  // the parameter's three address bytes; not owned
    uint32_t kind = 0;                 // high 16 bits a special-function code, low 16 its argument
    int32_t value = 0;                 // value converted for the surface
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    bool valid = false;                // the parameter's control is active
};
