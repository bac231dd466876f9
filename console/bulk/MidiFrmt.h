#pragma once
// One message layout of the memory-map template.
#include <cstdint>

constexpr int kMaxMidiHeaderLen = 32;
// 0xFFFF in a position field: the layout has no such part.
constexpr int16_t kNoPos = int16_t(-1);

struct MIDI_FRMT
{
    uint8_t midi_type = 0;  // 0 SysEx, 1/2 channel message, 3 program change, 4 SysEx with assign rule
    unsigned char header[kMaxMidiHeaderLen] = {};
    int16_t headerLen = 0;
    int16_t device_num_pos = 0;
    int16_t byte_count_pos = kNoPos;
    int16_t adrs_pos = 0;
    int16_t checksumStart = kNoPos;
    uint8_t checksumSecond = 0;
    bool headerFlag = false;
    int16_t adrsLen = 0;
    bool modify_flag = false;
    int16_t data_pos = 0;
    int16_t data_len_status = 0;
    int16_t data_status = 0;
    int16_t data_offset = 0;
};
