// The simulated instrument's description of itself: its message layouts, the
// blocks of its multi edit memory, its voice types and voice banks. Written by
// hand from the instrument's memory-map document, independent of the editor's
// templates.
#pragma once

#include "simulator/SimMessageLayout.h"
#include "vantrel_simulator_export.h"

#include <functional>
#include <string>
#include <vector>

namespace NS_Simulator {

struct VANTREL_SIMULATOR_EXPORT SimBlockDef
{
    std::string name;
    Bytes address;  // start address (parameter 00)
    int size = 0;   // bytes, always below 128
    int offset = 0; // position in the voice record (voice blocks only)
    Bytes defaults; // size bytes
};

// The layouts of one address category.
struct VANTREL_SIMULATOR_EXPORT SimCategory
{
    int adrsLen = 0;
    SimMessageLayout parameterChange;
    SimMessageLayout parameterRequest;
    SimMessageLayout bulkRequest;
    SimMessageLayout bulkDump;
};

enum class VoiceType { Normal = 0, Drum = 1, Plugin = 2 };

struct VANTREL_SIMULATOR_EXPORT SimVoiceTypeDef
{
    std::string name;
    int recordSize = 0;
    std::vector<SimBlockDef> blocks; // in voice order, at the edit-buffer addresses
    uint8_t editFrame = 0;           // xx of the edit buffer's framing address 0E xx 00
};

struct VANTREL_SIMULATOR_EXPORT SimPresetVoice
{
    std::string name;  // at most 10 characters
    uint8_t category = 0; // category code 00..10
};

struct VANTREL_SIMULATOR_EXPORT SimBankDef
{
    std::string name;
    uint8_t code = 0; // xx of the framing address 0E xx vv
    VoiceType type = VoiceType::Normal;
    int voices = 0;
    bool preset = false; // read-only: dumps to it are ignored
    std::vector<SimPresetVoice> presetVoices; // names of a preset bank's voices, by program
};

// A fitted plug-in board: its identity and the bank LSBs of its own voices.
struct VANTREL_SIMULATOR_EXPORT SimBoardDef
{
    std::string name;
    uint8_t msb = 0;
    uint8_t lsb = 0;
    uint8_t product = 0;
    std::vector<uint8_t> bankLsbs; // banks msb/lsb of the board's voices
};

// Addresses that show bytes of the voice edit buffer elsewhere: from..from+size-1
// is target.. of the edit buffer while it holds a voice of the given type.
struct VANTREL_SIMULATOR_EXPORT SimAliasDef
{
    Bytes from;
    int size = 0;
    Bytes target;
    VoiceType type = VoiceType::Plugin;
};

// Parts whose switch bit is set in switchParam must agree on matchParam.
struct VANTREL_SIMULATOR_EXPORT SimArpRuleDef
{
    uint8_t element = 0x37;
    uint8_t switchParam = 0x1F;
    uint8_t switchBit = 0x02;
    uint8_t clearMask = 0x7D;
    uint8_t matchParam = 0x11;
    int parts = 16;
};

// A single parameter larger than one byte; every other parameter is one byte.
struct VANTREL_SIMULATOR_EXPORT SimWideParam
{
    Bytes address;
    int size = 1;
};

// An effect block: its type at bytes 00-01, then 16 two-byte 14-bit parameters.
struct VANTREL_SIMULATOR_EXPORT SimEffectDef
{
    struct Type
    {
        uint8_t hi = 0;
        uint8_t lo = 0;
        std::vector<int> defaults; // parameters 1.. in order; the rest are 0
    };
    Bytes block; // start address of the effect block
    std::vector<Type> types;
};

class VANTREL_SIMULATOR_EXPORT SimMemoryMap
{
public:
    // The TOVAR-VANTREL as its document describes it.
    static SimMemoryMap standard();

    std::vector<SimCategory> categories; // by address category number
    std::vector<SimBlockDef> multiBlocks; // every multi block, system block first
    std::vector<int> multiDump;           // indexes into multiBlocks, in dump order
    SimVoiceTypeDef voiceTypes[3];
    std::vector<SimBankDef> banks;
    std::vector<SimWideParam> wideParams;
    std::vector<SimEffectDef> effects;
    std::vector<SimBoardDef> boards; // slot order
    std::vector<SimAliasDef> aliases;
    SimArpRuleDef arpRule;

    uint8_t headerByte = 0x0E;      // a0 of a bulk header
    uint8_t footerByte = 0x0F;      // a0 of a bulk footer
    uint8_t multiFrame[2] = {0x7F, 0x00};
    uint8_t partRequestByte = 0x12; // a0 of a request made for a part
    uint8_t voiceSelectByte = 0x11; // a0 of the voice edit select message
    int modelPos = 3;               // index of the model byte in every message

    // Voice type of the voice a part plays, from its bank select and program;
    // -1 = unknown (the edit buffer's own type is taken then).
    std::function<int(uint8_t msb, uint8_t lsb, uint8_t program)> voiceTypeOfBank;

    // Linear position of an address, 7 bits per byte, first byte most significant.
    static long long linear(const Bytes& address);

    // The block of the list that holds [address, address + length), or -1.
    static int findIn(const std::vector<SimBlockDef>& blocks, const Bytes& address, int length = 1);
    const SimBankDef* bank(uint8_t code) const;
    // Size of the parameter at the address (1 unless listed as wide).
    int paramSize(const Bytes& address) const;
    // The voice type whose edit buffer is framed by xx, or -1.
    int editFrameType(uint8_t xx) const;
    // The alias that holds [address, address + length), or null.
    const SimAliasDef* aliasOf(const Bytes& address, int length = 1) const;
};

} // namespace NS_Simulator
