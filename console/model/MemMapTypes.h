#pragma once
// Records of one memory map: address ranges, parameters, blocks and descriptions.
#include "StrArray.h"
#include <QString>
#include <cstdint>
#include <vector>

// Longest address any category may have; layouts with longer addresses are refused.
constexpr int kMaxAdrLen = 8;
// 65535 in a 16-bit style or link field means none.
constexpr uint16_t kNoValue16 = 65535;

enum LINKFLAG { LINK_OFF = 0, LINK_ON = 1 };
enum MIDIFLAG { MIDI_OFF = 0, MIDI_ON = 1 };

struct BLKADRINFO
{
    unsigned char low[kMaxAdrLen] = {};
    unsigned char high[kMaxAdrLen] = {};
    unsigned char repeatLow[kMaxAdrLen] = {};
    unsigned char repeatHigh[kMaxAdrLen] = {};
    uint8_t stride = 0;
    bool defined = false;  // an absent "info%d" leaves the range empty: it matches nothing
};

struct BLKPRM
{
    unsigned char address[kMaxAdrLen] = {};
    uint8_t rangeIndex = 0;
    uint16_t offset = 0;
    uint8_t size = 0;
    uint16_t link = kNoValue16;
    std::vector<unsigned char> minimum;  // size x instances
    std::vector<unsigned char> maximum;
    CStrArray names;                     // one per instance
    std::vector<uint16_t> assignStyle;   // one per instance
    std::vector<uint16_t> dispStyle;     // one per instance; 65535 = no active control
};

// A block as handed out: a view of the map's storage (the pointers stay the map's).
struct BLK
{
    int32_t memSize = 0;
    int16_t category = 0;
    int16_t midiFormat = 0;
    int16_t lineCount = 0;
    const BLKADRINFO* ranges = nullptr;
    uint8_t rangeCount = 0;
    QString name;
    unsigned char* defImage = nullptr;
    unsigned char* curImage = nullptr;
    unsigned char* refImage = nullptr;
    BLKPRM* params = nullptr;
    int32_t prmCount = 0;          // BlkPrmSize records
    unsigned char* dirty = nullptr;  // one flag per byte
    int32_t paramCount = 0;
    unsigned char* blockDirty = nullptr;
};

// A block's images, address ranges and parameters as its template section gives them;
// the editor's blocks and the boards' substitute blocks both hold one.
struct BLOCK_SECTION
{
    BLK view;
    std::vector<unsigned char> def, cur, ref, dirty;
    std::vector<BLKADRINFO> ranges;
    std::vector<BLKPRM> params;
    unsigned char blockDirty = 0;
};

struct PRMINFO
{
    uint8_t size = 0;
    uint16_t link = kNoValue16;
    uint16_t assignStyle = 0;
    uint16_t dispStyle = 0;
    QString name;
    const unsigned char* minimum = nullptr;
    const unsigned char* maximum = nullptr;
};

struct ASSIGN_RULE_DATA
{
    QString name;
    std::vector<std::pair<int32_t, int32_t>> pairs;  // (offset, kind)
};

struct PARTASSIGN_DATA
{
    int16_t number = -1;  // 65535 (as -1) when its token is empty
    int16_t category = 0;
    unsigned char address[kMaxAdrLen] = {};
    uint8_t size = 0;
    std::vector<unsigned char> data;
};
