#include "simulator/SimMemoryMap.h"

namespace NS_Simulator {

long long SimMemoryMap::linear(const Bytes& address)
{
    long long v = 0;
    for (uint8_t b : address)
        v = (v << 7) | (b & 0x7F);
    return v;
}

int SimMemoryMap::findIn(const std::vector<SimBlockDef>& blocks, const Bytes& address, int length)
{
    const long long a = linear(address);
    for (size_t i = 0; i < blocks.size(); ++i) {
        const SimBlockDef& b = blocks[i];
        if (b.address.size() != address.size())
            continue;
        const long long start = linear(b.address);
        if (a >= start && a + length <= start + b.size)
            return static_cast<int>(i);
    }
    return -1;
}

const SimBankDef* SimMemoryMap::bank(uint8_t code) const
{
    for (const SimBankDef& b : banks) {
        if (b.code == code)
            return &b;
    }
    return nullptr;
}

int SimMemoryMap::paramSize(const Bytes& address) const
{
    for (const SimWideParam& p : wideParams) {
        if (p.address == address)
            return p.size;
    }
    return 1;
}

int SimMemoryMap::editFrameType(uint8_t xx) const
{
    for (int t = 0; t < 3; ++t) {
        if (voiceTypes[t].editFrame == xx)
            return t;
    }
    return -1;
}

const SimAliasDef* SimMemoryMap::aliasOf(const Bytes& address, int length) const
{
    const long long a = linear(address);
    for (const SimAliasDef& alias : aliases) {
        if (alias.from.size() != address.size())
            continue;
        const long long start = linear(alias.from);
        if (a >= start && a + length <= start + alias.size)
            return &alias;
    }
    return nullptr;
}

} // namespace NS_Simulator
