// The TOVAR-VANTREL's memory map and message layouts, transcribed from the
// instrument's memory-map document (data/TOVAR-VANTREL-memory-map.md).
#include "simulator/SimMemoryMap.h"
#include "simulator/SimPresetNames.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>

namespace NS_Simulator {

namespace {

SimMessageLayout layout(Bytes header, int countPos, int adrsPos, int adrsLen, int checksumStart)
{
    SimMessageLayout l;
    l.header = std::move(header);
    l.devicePos = 2;
    l.countPos = countPos;
    l.adrsPos = adrsPos;
    l.adrsLen = adrsLen;
    l.checksumStart = checksumStart;
    return l;
}

SimBlockDef block(const char* name, Bytes address, int size, int offset = 0, Bytes defaults = {})
{
    defaults.resize(static_cast<size_t>(size), 0);
    return SimBlockDef{name, std::move(address), size, offset, std::move(defaults)};
}

// A block's defaults: zero but for the listed (offset, bytes) runs.
Bytes defaults(int size, std::initializer_list<std::pair<int, Bytes>> runs)
{
    Bytes d(static_cast<size_t>(size), 0);
    for (const auto& run : runs) {
        for (size_t i = 0; i < run.second.size(); ++i)
            d[static_cast<size_t>(run.first) + i] = run.second[i];
    }
    return d;
}

Bytes text(const char* t)
{
    return Bytes(t, t + std::char_traits<char>::length(t));
}

// Voice common block: name "Init Voice", category 00, volume 64, pan 40; 0E-12 and
// 16 what a part takes over: poly, portamento off, time 0, mode 0, bend +2 / -2.
Bytes voiceCommonDefaults()
{
    return defaults(82, {{0x00, text("Init Voice")}, {0x0B, {0x64, 0x40}},
                         {0x0E, {0x01, 0x00, 0x00, 0x00, 0x42}}, {0x16, {0x3E}}});
}

const Bytes kReferenceDefaults = {0x00, 0x00, 0x40, 0x40};

Bytes commonDefaults()
{
    return defaults(101, {{0x00, text("Init Multi")},
                          {0x18, {0x03, 0x00, 0x7F, 0x01, 0x7F}},
                          {0x20, {0x04, 0x64, 0x00, 0x64, 0x00, 0x64, 0x40, 0x00, 0x00, 0x78}},
                          {0x2A, {0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F}},
                          {0x3E, {0x01, 0x02}},
                          {0x41, {0x40, 0x40, 0x40, 0x40, 0x40, 0x40}},
                          {0x58, {0x10, 0x11, 0x02, 0x0B, 0x04}},
                          {0x5E, {0x20}}});
}

Bytes partDefaults(uint8_t part)
{
    return defaults(58, {{0x03, {part}},
                         {0x05, {0x01, 0x7F, 0x00, 0x7F, 0x42, 0x3E, 0x40, 0x40, 0x64, 0x40, 0x01, 0x40}},
                         {0x12, {0x28}},
                         {0x15, {0x7F, 0x40, 0x40, 0x40}},
                         {0x1F, {0x7E, 0x2B, 0x7F, 0x40, 0x40, 0x01, 0x40, 0x40, 0x40, 0x40}},
                         {0x2A, {0x40, 0x40, 0x40}},
                         {0x2E, {0x0E, 0x00, 0x40, 0x00, 0x1C, 0x00, 0x40, 0x0A, 0x34, 0x00, 0x40}}});
}

Bytes plugPartDefaults(uint8_t part)
{
    return defaults(30, {{0x00, {part, 0x64, 0x40, 0x28, 0x00, 0x7F, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40,
                                 0x40, 0x40, 0x40, 0x42, 0x3E, 0x00, 0x7F, 0x01, 0x7F}}});
}

} // namespace

SimMemoryMap SimMemoryMap::standard()
{
    SimMemoryMap map;

    // Address categories: 0 the 3-byte edit memory, 1 controller number,
    // 2 program number, 3 the 3-byte messages with an assign rule.
    SimCategory edit;
    edit.adrsLen = 3;
    edit.parameterChange = layout({0xF0, 0x43, 0x10, 0x5C}, -1, 4, 3, -1);
    edit.parameterRequest = layout({0xF0, 0x43, 0x30, 0x5C}, -1, 4, 3, -1);
    edit.bulkRequest = layout({0xF0, 0x43, 0x20, 0x5C}, -1, 4, 3, -1);
    edit.bulkDump = layout({0xF0, 0x43, 0x00, 0x5C, 0x00, 0x00}, 4, 6, 3, 4);
    map.categories.push_back(edit);
    SimCategory controller;
    controller.adrsLen = 1;
    map.categories.push_back(controller);
    SimCategory program;
    program.adrsLen = 1;
    map.categories.push_back(program);
    SimCategory rule;
    rule.adrsLen = 3;
    rule.parameterChange = layout({0xF0, 0x43, 0x10, 0x5C}, -1, 4, 3, 4);
    map.categories.push_back(rule);

    // Multi edit memory: the system block, then the 23 blocks of a multi dump in
    // dump order.
    map.multiBlocks.push_back(block("SYSTEM", {0x00, 0x00, 0x00}, 1, 0, {0x7F}));
    map.multiBlocks.push_back(block("COMMON", {0x36, 0x00, 0x00}, 101, 0, commonDefaults()));
    map.multiBlocks.push_back(block("REVERB", {0x36, 0x01, 0x00}, 36, 0, defaults(36, {{0x22, {0x40, 0x40}}})));
    map.multiBlocks.push_back(block("CHORUS", {0x36, 0x02, 0x00}, 37, 0, defaults(37, {{0x22, {0x40, 0x40}}})));
    map.multiBlocks.push_back(block("MASTER EQ", {0x36, 0x10, 0x00}, 20, 0,
                                    defaults(20, {{0x00, {0x40, 0x08, 0x07, 0x00, 0x40, 0x14, 0x07, 0x00,
                                                          0x40, 0x1C, 0x07, 0x00, 0x40, 0x28, 0x07, 0x00,
                                                          0x40, 0x34, 0x07}}})));
    map.multiBlocks.push_back(block("MASTER EF", {0x36, 0x11, 0x00}, 35, 0, defaults(35, {{0x22, {0x01}}})));
    for (uint8_t p = 0; p < 16; ++p) {
        char name[16];
        std::snprintf(name, sizeof name, "PART %d", p + 1);
        map.multiBlocks.push_back(block(name, {0x37, p, 0x00}, 58, 0, partDefaults(p)));
    }
    map.multiBlocks.push_back(block("PLG PART 1", {0x38, 0x00, 0x00}, 30, 0, plugPartDefaults(0)));
    map.multiBlocks.push_back(block("PLG PART 2", {0x38, 0x01, 0x00}, 30, 0, plugPartDefaults(1)));

    // Parameters wider than one byte: the arpeggio's 14-bit values and types, the
    // insertion switches, and every effect's type and 16 parameters.
    for (uint8_t a : {0x14, 0x22, 0x24, 0x28, 0x2A, 0x2C, 0x2E, 0x30, 0x32})
        map.wideParams.push_back({{0x36, 0x00, a}, 2});
    map.wideParams.push_back({{0x36, 0x00, 0x60}, 3});
    for (uint8_t effect : {0x01, 0x02, 0x11}) {
        for (uint8_t a = 0x00; a <= 0x20; a += 2)
            map.wideParams.push_back({{0x36, effect, a}, 2});
    }
    // The voice edit buffer's wave numbers: 14-bit, two bytes.
    for (uint8_t e = 0; e < 4; ++e)
        map.wideParams.push_back({{0x44, e, 0x02}, 2});
    for (uint8_t k = 0; k < 73; ++k)
        map.wideParams.push_back({{0x4A, k, 0x01}, 2});
    for (int i = 1; i <= 23; ++i)
        map.multiDump.push_back(i);

    // Effect types: changing a type sets its parameters to these defaults.
    using T = SimEffectDef::Type;
    map.effects.push_back({{0x36, 0x01, 0x00},
                           {T{0x00, 0x00, {}}, T{0x01, 0x00, {35, 10, 8, 0, 54}}, T{0x01, 0x01, {45, 8, 16, 44}},
                            T{0x02, 0x00, {10, 10, 10}}, T{0x02, 0x01, {25, 10, 30}}, T{0x03, 0x00, {30, 100}},
                            T{0x04, 0x00, {20, 80}}, T{0x05, 0x00, {60, 40}}}});
    map.effects.push_back({{0x36, 0x02, 0x00},
                           {T{0x00, 0x00, {}}, T{0x41, 0x00, {12, 40, 64}}, T{0x41, 0x01, {8, 90, 72}},
                            T{0x42, 0x00, {4, 70, 96, 10}}, T{0x43, 0x00, {3, 64, 3}}, T{0x44, 0x00, {80}},
                            T{0x45, 0x00, {2500, 3750, 80}}, T{0x46, 0x00, {3000, 88, 20}}}});
    map.effects.push_back({{0x36, 0x11, 0x00},
                           {T{0x00, 0x00, {}}, T{0x01, 0x00, {80, 3, 5, 8, 100}}, T{0x02, 0x00, {100, 4}},
                            T{0x03, 0x00, {8, 8}}, T{0x04, 0x00, {64, 100}}, T{0x05, 0x00, {6, 127}},
                            T{0x06, 0x00, {40, 64}}}});

    // Voice types, blocks in voice order at the edit-buffer addresses.
    SimVoiceTypeDef& normal = map.voiceTypes[0];
    normal.name = "Normal";
    normal.recordSize = 952;
    normal.editFrame = 0x0F;
    normal.blocks.push_back(block("VCE COMMON", {0x40, 0x00, 0x00}, 82, 0, voiceCommonDefaults()));
    normal.blocks.push_back(block("NRM COMMON A", {0x41, 0x00, 0x00}, 115, 82));
    normal.blocks.push_back(block("NRM COMMON B", {0x41, 0x01, 0x00}, 115, 197));
    normal.blocks.push_back(block("NRM REFERENCE", {0x42, 0x00, 0x00}, 4, 312, kReferenceDefaults));
    for (uint8_t e = 0; e < 4; ++e) {
        normal.blocks.push_back(block("ELEMENT A", {0x44, e, 0x00}, 80, 316 + 159 * e,
                                          e == 0 ? Bytes{0x01} : Bytes{})); // element 1 switched on
        normal.blocks.push_back(block("ELEMENT B", {0x45, e, 0x00}, 79, 396 + 159 * e));
    }

    SimVoiceTypeDef& drum = map.voiceTypes[1];
    drum.name = "Drum";
    drum.recordSize = 4138;
    drum.editFrame = 0x2F;
    drum.blocks.push_back(block("VCE COMMON", {0x40, 0x00, 0x00}, 82, 0, voiceCommonDefaults()));
    drum.blocks.push_back(block("DRM COMMON A", {0x41, 0x10, 0x00}, 92, 82));
    drum.blocks.push_back(block("DRM COMMON B", {0x41, 0x11, 0x00}, 91, 174));
    drum.blocks.push_back(block("DRM REFERENCE", {0x42, 0x10, 0x00}, 4, 265, kReferenceDefaults));
    // A drum key: 01-02 its wave number, 03 level 64, 04 pan 40.
    for (uint8_t k = 0; k < 73; ++k)
        drum.blocks.push_back(block("DRUM KEY", {0x4A, k, 0x00}, 50, 269 + 50 * k, {0x00, 0x00, 0x00, 0x64, 0x40}));
    drum.blocks.push_back(block("DRM TAIL A", {0x4B, 0x00, 0x00}, 110, 3919));
    drum.blocks.push_back(block("DRM TAIL B", {0x4B, 0x01, 0x00}, 109, 4029));

    SimVoiceTypeDef& plugin = map.voiceTypes[2];
    plugin.name = "Plug-in";
    plugin.recordSize = 353;
    plugin.editFrame = 0x1F;
    plugin.blocks.push_back(block("VCE COMMON", {0x40, 0x00, 0x00}, 82, 0, voiceCommonDefaults()));
    plugin.blocks.push_back(block("PLG COMMON A", {0x41, 0x20, 0x00}, 82, 82));
    plugin.blocks.push_back(block("PLG COMMON B", {0x41, 0x21, 0x00}, 82, 164));
    plugin.blocks.push_back(block("PLG REFERENCE", {0x42, 0x20, 0x00}, 4, 246, kReferenceDefaults));
    plugin.blocks.push_back(block("PLG BOARD PART", {0x48, 0x00, 0x00}, 103, 250));

    // Stored voices, by the xx of their framing address.
    map.banks.push_back({"USER 1", 0x00, VoiceType::Normal, 128, false, {}});
    map.banks.push_back({"USER 2", 0x01, VoiceType::Normal, 128, false, {}});
    map.banks.push_back({"USER 3", 0x02, VoiceType::Normal, 128, false, {}});
    map.banks.push_back({"USER DR", 0x03, VoiceType::Drum, 32, false, {}});
    map.banks.push_back({"PLG USER 1", 0x04, VoiceType::Plugin, 64, false, {}});
    map.banks.push_back({"PLG USER 2", 0x05, VoiceType::Plugin, 64, false, {}});
    for (uint8_t b = 0; b < kPresetBankCount; ++b) {
        char name[16];
        if (b < 8)
            std::snprintf(name, sizeof name, "PRESET %d", b + 1);
        else
            std::snprintf(name, sizeof name, "PRESET DR");
        SimBankDef bank{name, static_cast<uint8_t>(0x40 + b), b < 8 ? VoiceType::Normal : VoiceType::Drum,
                        kPresetBankVoices, true, {}};
        for (const SimPresetName& voice : kPresetNames[b])
            bank.presetVoices.push_back({voice.name, voice.category});
        map.banks.push_back(std::move(bank));
    }

    // Boards: VTB-Corvan in slot 1, VTB-Sintra in slot 2; their voices are plug-in voices.
    map.boards.push_back({"VTB-Corvan", 0x40, 0x00, 0x01, {0x00}});
    map.boards.push_back({"VTB-Sintra", 0x41, 0x00, 0x04, {0x00, 0x01}});
    // 39 00 00-46 are the native parameters 48 00 20-66 of a plug-in edit voice.
    map.aliases.push_back({{0x39, 0x00, 0x00}, 71, {0x48, 0x00, 0x20}, VoiceType::Plugin});

    // The voice type a bank select plays; any pair the instrument does not know
    // plays PRESET 1.
    const std::vector<SimBoardDef> boards = map.boards;
    map.voiceTypeOfBank = [boards](uint8_t msb, uint8_t lsb, uint8_t) {
        if (msb == 0x7F && lsb == 0x00)
            return static_cast<int>(VoiceType::Drum);
        if (msb == 0x3F) {
            if (lsb == 0x20)
                return static_cast<int>(VoiceType::Drum);
            if (lsb == 0x40 || lsb == 0x41)
                return static_cast<int>(VoiceType::Plugin);
            return static_cast<int>(VoiceType::Normal);
        }
        for (const SimBoardDef& board : boards) {
            if (board.msb != msb)
                continue;
            for (uint8_t l : board.bankLsbs) {
                if (l == lsb)
                    return static_cast<int>(VoiceType::Plugin);
            }
        }
        return static_cast<int>(VoiceType::Normal);
    };

    return map;
}

} // namespace NS_Simulator
