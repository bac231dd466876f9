#pragma once
// The common detail view's eight pages as tables of cells on the 8-column grid: what
// each cell holds, its label and the parameter it edits. The view builds every page
// from its row; tests walk the same rows against the data folder.
#include "addons/shell/TDetailGrid.h"

namespace NS_CommonDetail {

enum CellKind : int32_t {
    kArpType = 0,   // the arpeggio type display; a click opens the type dialog
    kPopup = 1,     // effect type chooser
    kValue2 = 2,    // value text over its dial (kinds 2 to 5 alike)
    kValue3 = 3,
    kValue4 = 4,
    kValue5 = 5,
    kSwitch = 6,    // ON/OFF key
    kNameEditor = 7,// the multi name; its address is the stem of the ten character addresses
    kEmpty = 8,
    kEndOfRow = 9,
    kDummy = 10     // the hidden button that closes a page
};

// A label whose cell is retitled with its parameter's name under the effect type.
constexpr int32_t kRetitled = 1;

constexpr int kPageCount = 8;
constexpr int kMaxCells = 41; // 40 cells and the end of the row
constexpr int kNameCharacters = 10;

// Names of the objects of each page, in page order.
struct PageNames
{
    const char* page;
    const char* frame;
};
inline constexpr PageNames kPageNames[kPageCount] = {
    {"ArpeggiatorPage", "frame3"},        {"ReverbPage", "frame4"},
    {"ChorusPage", "frame6"},             {"MEQPage", "frame6_2"},
    {"MasterEffectPage", "frame6_3"},     {"InsertionSwitchPage", "frame6_4"},
    {"ControlNumberPage", "frame6_5"},    {"MultiNamePage", "frame32"},
};

#define VANTREL_CELL(kind, label, address) {kind, label, address, 0}
#define VANTREL_PARAM(label, address) {kValue3, label, address, kRetitled}
#define VANTREL_EFPARAM(label, address) {kValue4, label, address, kRetitled}
#define VANTREL_NONE {kEmpty, nullptr, nullptr, 0}
#define VANTREL_END {kEndOfRow, nullptr, nullptr, 0}

// clang-format off
inline constexpr TDetailCell kPages[kPageCount][kMaxCells] = {
    // Arpeggiator.
    {
        VANTREL_CELL(kArpType, "Type", "00kCommon/kCommARPType"), VANTREL_NONE,
        VANTREL_CELL(kSwitch, "Arp SW", "00kCommon/kCommARPSw"),
        VANTREL_CELL(kValue4, "ARP Tempo", "00kCommon/kCommARPTempo"),
        VANTREL_CELL(kValue4, "ARP Swing", "00kCommon/kCommARPSwing"),
        VANTREL_CELL(kValue4, "Transmit Ch", "00kCommon/kCommARPMIDICh"),
        VANTREL_CELL(kSwitch, "MIDI Out Sw", "00kCommon/kCommARPMIDISw"),
        VANTREL_CELL(kValue2, "ARP Hold", "00kCommon/kCommARPHold"),
        VANTREL_CELL(kValue5, "NoteLimitLow", "00kCommon/kCommARPNoteLmtLo"),
        VANTREL_CELL(kValue5, "NoteLimitHigh", "00kCommon/kCommARPNoteLmtHi"),
        VANTREL_CELL(kValue4, "Vel Limit Low", "00kCommon/kCommARPVeloLmtLo"),
        VANTREL_CELL(kValue4, "Vel Limit High", "00kCommon/kCommARPVeloLmtHi"),
        VANTREL_CELL(kValue2, "Key Mode", "00kCommon/kCommARPKeyMode"),
        VANTREL_CELL(kValue2, "Vel Mode", "00kCommon/kCommARPVeloMode"),
        VANTREL_CELL(kValue2, "ChangeTiming", "00kCommon/kCommARPChangeTiming"),
        VANTREL_CELL(kValue4, "Unit Multiply", "00kCommon/kCommARPUnitMulti"),
        VANTREL_CELL(kValue2, "QuantValue", "00kCommon/kCommARPQuantValue"),
        VANTREL_CELL(kValue4, "QuantStrength", "00kCommon/kCommARPQuantStrength"),
        VANTREL_CELL(kValue4, "Velocity Rate", "00kCommon/kCommARPVeloRate"),
        VANTREL_CELL(kValue4, "GateTimeRate", "00kCommon/kCommARPGateRate"),
        VANTREL_END,
    },
    // Reverb.
    {
        VANTREL_CELL(kPopup, "Type", "FCkCommonReverb/kRevType"), VANTREL_NONE,
        VANTREL_CELL(kValue4, "Return", "FCkCommonReverb/kRevReturn"), VANTREL_NONE,
        VANTREL_CELL(kValue4, "Pan", "FCkCommonReverb/kRevPan"), VANTREL_NONE, VANTREL_NONE, VANTREL_NONE,
        VANTREL_PARAM("Param0", "FCkCommonReverb/kRevParam1"), VANTREL_NONE,
        VANTREL_PARAM("Param1", "FCkCommonReverb/kRevParam2"), VANTREL_NONE,
        VANTREL_PARAM("Param2", "FCkCommonReverb/kRevParam3"), VANTREL_NONE,
        VANTREL_PARAM("Param3", "FCkCommonReverb/kRevParam4"), VANTREL_NONE,
        VANTREL_PARAM("Param4", "FCkCommonReverb/kRevParam5"), VANTREL_NONE,
        VANTREL_PARAM("Param5", "FCkCommonReverb/kRevParam6"), VANTREL_NONE,
        VANTREL_PARAM("Param6", "FCkCommonReverb/kRevParam7"), VANTREL_NONE,
        VANTREL_PARAM("Param7", "FCkCommonReverb/kRevParam8"), VANTREL_NONE,
        VANTREL_PARAM("Param8", "FCkCommonReverb/kRevParam9"), VANTREL_NONE,
        VANTREL_PARAM("Param9", "FCkCommonReverb/kRevParam10"), VANTREL_NONE,
        VANTREL_PARAM("Param10", "FCkCommonReverb/kRevParam11"), VANTREL_NONE,
        VANTREL_PARAM("Param11", "FCkCommonReverb/kRevParam12"), VANTREL_NONE,
        VANTREL_PARAM("Param12", "FCkCommonReverb/kRevParam13"), VANTREL_NONE,
        VANTREL_PARAM("Param13", "FCkCommonReverb/kRevParam14"), VANTREL_NONE,
        VANTREL_PARAM("Param14", "FCkCommonReverb/kRevParam15"), VANTREL_NONE,
        VANTREL_PARAM("Param15", "FCkCommonReverb/kRevParam16"), VANTREL_NONE,
        VANTREL_END,
    },
    // Chorus.
    {
        VANTREL_CELL(kPopup, "Type", "FCkCommonChorus/kChoType"), VANTREL_NONE,
        VANTREL_CELL(kValue4, "Return", "FCkCommonChorus/kChoReturn"), VANTREL_NONE,
        VANTREL_CELL(kValue4, "Pan", "FCkCommonChorus/kChoPan"), VANTREL_NONE,
        VANTREL_CELL(kValue4, "SendChoToRev", "FCkCommonChorus/kChoChoToRev"), VANTREL_NONE,
        VANTREL_PARAM("Param0", "FCkCommonChorus/kChoParam1"), VANTREL_NONE,
        VANTREL_PARAM("Param1", "FCkCommonChorus/kChoParam2"), VANTREL_NONE,
        VANTREL_PARAM("Param2", "FCkCommonChorus/kChoParam3"), VANTREL_NONE,
        VANTREL_PARAM("Param3", "FCkCommonChorus/kChoParam4"), VANTREL_NONE,
        VANTREL_PARAM("Param4", "FCkCommonChorus/kChoParam5"), VANTREL_NONE,
        VANTREL_PARAM("Param5", "FCkCommonChorus/kChoParam6"), VANTREL_NONE,
        VANTREL_PARAM("Param6", "FCkCommonChorus/kChoParam7"), VANTREL_NONE,
        VANTREL_PARAM("Param7", "FCkCommonChorus/kChoParam8"), VANTREL_NONE,
        VANTREL_PARAM("Param8", "FCkCommonChorus/kChoParam9"), VANTREL_NONE,
        VANTREL_PARAM("Param9", "FCkCommonChorus/kChoParam10"), VANTREL_NONE,
        VANTREL_PARAM("Param10", "FCkCommonChorus/kChoParam11"), VANTREL_NONE,
        VANTREL_PARAM("Param11", "FCkCommonChorus/kChoParam12"), VANTREL_NONE,
        VANTREL_PARAM("Param12", "FCkCommonChorus/kChoParam13"), VANTREL_NONE,
        VANTREL_PARAM("Param13", "FCkCommonChorus/kChoParam14"), VANTREL_NONE,
        VANTREL_PARAM("Param14", "FCkCommonChorus/kChoParam15"), VANTREL_NONE,
        VANTREL_PARAM("Param15", "FCkCommonChorus/kChoParam16"), VANTREL_NONE,
        VANTREL_END,
    },
    // Master equaliser.
    {
        VANTREL_CELL(kValue4, "LowGain(dB)", "FCkCommonEQ/kEQGain1"),
        VANTREL_CELL(kValue4, "LowFreq(kHz)", "FCkCommonEQ/kEQFreq1"),
        VANTREL_CELL(kValue4, "LowQ", "FCkCommonEQ/kEQQ1"),
        VANTREL_CELL(kValue2, "LowShape", "FCkCommonEQ/kEQShape1"),
        VANTREL_CELL(kValue4, "LoMdGain(dB)", "FCkCommonEQ/kEQGain2"),
        VANTREL_CELL(kValue4, "LoMdFreq(kHz)", "FCkCommonEQ/kEQFreq2"),
        VANTREL_CELL(kValue4, "LoMidQ", "FCkCommonEQ/kEQQ2"), VANTREL_NONE,
        VANTREL_CELL(kValue4, "MidGain(dB)", "FCkCommonEQ/kEQGain3"),
        VANTREL_CELL(kValue4, "MidFreq(kHz)", "FCkCommonEQ/kEQFreq3"),
        VANTREL_CELL(kValue4, "MidQ", "FCkCommonEQ/kEQQ3"), VANTREL_NONE,
        VANTREL_CELL(kValue4, "HiMdGain(dB)", "FCkCommonEQ/kEQGain4"),
        VANTREL_CELL(kValue4, "HiMdFreq(kHz)", "FCkCommonEQ/kEQFreq4"),
        VANTREL_CELL(kValue4, "HiMidQ", "FCkCommonEQ/kEQQ4"), VANTREL_NONE,
        VANTREL_CELL(kValue4, "HighGain(dB)", "FCkCommonEQ/kEQGain5"),
        VANTREL_CELL(kValue4, "HighFreq(kHz)", "FCkCommonEQ/kEQFreq5"),
        VANTREL_CELL(kValue4, "HighQ", "FCkCommonEQ/kEQQ5"),
        VANTREL_CELL(kValue2, "HighShape", "FCkCommonEQ/kEQShape5"),
        VANTREL_END,
    },
    // Master effect.
    {
        VANTREL_CELL(kPopup, "Type", "FCkCommonMasterEF/kMasterEFType"), VANTREL_NONE,
        VANTREL_CELL(kSwitch, "Switch", "FCkCommonMasterEF/kMasterEFSw"),
        VANTREL_NONE, VANTREL_NONE, VANTREL_NONE, VANTREL_NONE, VANTREL_NONE,
        VANTREL_EFPARAM("Param0", "FCkCommonMasterEF/kMasterEFParam1"), VANTREL_NONE,
        VANTREL_EFPARAM("Param1", "FCkCommonMasterEF/kMasterEFParam2"), VANTREL_NONE,
        VANTREL_EFPARAM("Param2", "FCkCommonMasterEF/kMasterEFParam3"), VANTREL_NONE,
        VANTREL_EFPARAM("Param3", "FCkCommonMasterEF/kMasterEFParam4"), VANTREL_NONE,
        VANTREL_EFPARAM("Param4", "FCkCommonMasterEF/kMasterEFParam5"), VANTREL_NONE,
        VANTREL_EFPARAM("Param5", "FCkCommonMasterEF/kMasterEFParam6"), VANTREL_NONE,
        VANTREL_EFPARAM("Param6", "FCkCommonMasterEF/kMasterEFParam7"), VANTREL_NONE,
        VANTREL_EFPARAM("Param7", "FCkCommonMasterEF/kMasterEFParam8"), VANTREL_NONE,
        VANTREL_EFPARAM("Param8", "FCkCommonMasterEF/kMasterEFParam9"), VANTREL_NONE,
        VANTREL_EFPARAM("Param9", "FCkCommonMasterEF/kMasterEFParam10"), VANTREL_NONE,
        VANTREL_EFPARAM("Param10", "FCkCommonMasterEF/kMasterEFParam11"), VANTREL_NONE,
        VANTREL_EFPARAM("Param11", "FCkCommonMasterEF/kMasterEFParam12"), VANTREL_NONE,
        VANTREL_EFPARAM("Param12", "FCkCommonMasterEF/kMasterEFParam13"), VANTREL_NONE,
        VANTREL_EFPARAM("Param13", "FCkCommonMasterEF/kMasterEFParam14"), VANTREL_NONE,
        VANTREL_EFPARAM("Param14", "FCkCommonMasterEF/kMasterEFParam15"), VANTREL_NONE,
        VANTREL_EFPARAM("Param15", "FCkCommonMasterEF/kMasterEFParam16"), VANTREL_NONE,
        VANTREL_END,
    },
    // Insertion switches: the sixteen parts, then the two plug-in board parts.
    {
        VANTREL_CELL(kSwitch, "Part 1", "00kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 2", "01kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 3", "02kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 4", "03kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 5", "04kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 6", "05kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 7", "06kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 8", "07kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 9", "08kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 10", "09kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 11", "0akEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 12", "0bkEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 13", "0ckEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 14", "0dkEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 15", "0ekEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "Part 16", "0fkEditorSwitches/kPartInsert"),
        VANTREL_NONE,
        VANTREL_CELL(kSwitch, "PLG Part 1", "10kEditorSwitches/kPartInsert"),
        VANTREL_CELL(kSwitch, "PLG Part 2", "11kEditorSwitches/kPartInsert"),
        VANTREL_END,
    },
    // Controller numbers.
    {
        VANTREL_CELL(kValue4, "Asgn1Ctrl Num", "FCkCommon/kCommAssign1CtrlNo"),
        VANTREL_CELL(kValue4, "Asgn2Ctrl Num", "FCkCommon/kCommAssign2CtrlNo"),
        VANTREL_CELL(kValue4, "FC1 Ctrl Num", "FCkCommon/kCommFC1CtrlNo"),
        VANTREL_CELL(kValue4, "FC2 Ctrl Num", "FCkCommon/kCommFC2CtrlNo"),
        VANTREL_CELL(kValue4, "BC Ctrl Num", "FCkCommon/kCommBCCtrlNo"),
        VANTREL_CELL(kValue4, "RB Ctrl Num", "FCkCommon/kCommRBCtrlNo"),
        VANTREL_END,
    },
    // Multi name.
    {
        VANTREL_CELL(kNameEditor, "Name", "00kCommon/kCommMultiName"),
        {kDummy, nullptr, nullptr, 0},
        VANTREL_END,
    },
};
// clang-format on

#undef VANTREL_CELL
#undef VANTREL_PARAM
#undef VANTREL_EFPARAM
#undef VANTREL_NONE
#undef VANTREL_END

// The parameters the view follows beside its cells.
inline constexpr char kArpTypeAddress[] = "00kCommon/kCommARPType";
inline constexpr char kEqShape1Address[] = "FCkCommonEQ/kEQShape1";
inline constexpr char kEqFreq1Address[] = "FCkCommonEQ/kEQFreq1";
inline constexpr char kArpSwitchAddress[] = "00kCommon/kCommARPSw";
inline constexpr char kPartArpSwitchAddress[] = "FEkEditorSwitches/kPartArpeggioSw";
inline constexpr char kMultiNameStem[] = "00kCommon/kCommMultiName";

} // namespace NS_CommonDetail
