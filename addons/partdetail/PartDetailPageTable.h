#pragma once
// The part detail view's seven pages as tables of cells on the 8-column grid: what
// each cell holds, its label and the parameter of the window's part it edits ("FE":
// the part the window serves). The view builds every page from its row; tests walk
// the same rows against the data folder.
#include "addons/shell/TDetailGrid.h"

namespace NS_PartDetail {

enum CellKind : int32_t {
    kBankName = 0,  // the bank of the part's voice; a click opens the voice dialog
    kVoiceName = 1, // the part's voice; a click opens the voice dialog
    kValue2 = 2,    // value text over its dial (kinds 2 and 3 alike)
    kValue3 = 3,
    kSwitch = 4,    // ON/OFF key
    kEmpty = 5,
    kEndOfRow = 6,
    kDummy = 7      // the hidden button that closes a page
};

constexpr int kPageCount = 7;
constexpr int kMaxCells = 25; // 24 cells and the end of the row

struct PageNames
{
    const char* page;
    const char* frame;
};
inline constexpr PageNames kPageNames[kPageCount] = {
    {"GeneralPage", "frame3"}, {"NoteVel", "frame4"},   {"PitchPage", "frame6"},   {"AEGPage", "frame6_2"},
    {"FEGPage", "frame6_3"},   {"PartEQPage", "frame6_4"}, {"RCV_SWPage", "frame6_5"},
};

#define VANTREL_CELL(kind, label, address) {kind, label, address, 0}
#define VANTREL_NONE {kEmpty, nullptr, nullptr, 0}
#define VANTREL_END {kEndOfRow, nullptr, nullptr, 0}

// clang-format off
inline constexpr TDetailCell kPages[kPageCount][kMaxCells] = {
    // General.
    {
        VANTREL_CELL(kBankName, "Bank", nullptr),
        VANTREL_CELL(kVoiceName, "Voice Name", nullptr),
        VANTREL_NONE,
        VANTREL_CELL(kValue2, "Rcv Channel", "FEkMixPart/kPartRcvCh"),
        VANTREL_CELL(kValue2, "Part Mode", "FEkMixPart/kPartPartMode"),
        VANTREL_CELL(kValue2, "Output Sel", "FEkMixPart/kPartOutputSel"),
        VANTREL_CELL(kSwitch, "Voice EL Pan", "FEkMixPart/kPartVoicePanSw"),
        VANTREL_CELL(kValue2, "Dry Level", "FEkMixPart/kPartDryLevel"),
        VANTREL_END,
    },
    // Note and velocity.
    {
        VANTREL_CELL(kValue3, "NoteLimit Low", "FEkMixPart/kPartNoteLmtLo"),
        VANTREL_CELL(kValue3, "NoteLimit High", "FEkMixPart/kPartNoteLmtHi"),
        VANTREL_CELL(kValue2, "Vel Limit Low", "FEkMixPart/kPartVeloLmtLo"),
        VANTREL_CELL(kValue2, "Vel Limit High", "FEkMixPart/kPartVeloLmtHi"),
        VANTREL_CELL(kValue2, "Vel Sns Depth", "FEkMixPart/kPartVeloSnsDepth"),
        VANTREL_CELL(kValue2, "Vel Sns Offset", "FEkMixPart/kPartVeloSnsOfst"),
        VANTREL_END,
    },
    // Pitch.
    {
        VANTREL_CELL(kValue2, "Detune(Hz)", "FEkMixPart/kPartDetune"),
        VANTREL_CELL(kValue2, "NoteShift", "FEkMixPart/kPartNoteShift"),
        VANTREL_CELL(kValue2, "PB Rng Upper", "FEkMixPart/kPartPBRngUp"),
        VANTREL_CELL(kValue2, "PB Rng Lower", "FEkMixPart/kPartPBRngLo"),
        VANTREL_CELL(kSwitch, "Portamnt SW", "FEkMixPart/kPartPortamentoSw"),
        VANTREL_CELL(kValue2, "PortamntTime", "FEkMixPart/kPartPortamentoTime"),
        VANTREL_CELL(kValue2, "PortamntMode", "FEkMixPart/kPartPortamentoMode"),
        VANTREL_END,
    },
    // Amplitude envelope.
    {
        VANTREL_CELL(kValue2, "Attack Time", "FEkMixPart/kPartAEGAttackTime"),
        VANTREL_CELL(kValue2, "Decay Time", "FEkMixPart/kPartAEGDecay2Time"),
        VANTREL_CELL(kValue2, "Sustain Level", "FEkMixPart/kPartAEGDecay2Lvl"),
        VANTREL_CELL(kValue2, "Release Time", "FEkMixPart/kPartAEGReleaseTime"),
        VANTREL_END,
    },
    // Filter.
    {
        VANTREL_CELL(kValue2, "Cutoff", "FEkMixPart/kPartCutoff"),
        VANTREL_CELL(kValue2, "Resonance", "FEkMixPart/kPartResonance"),
        VANTREL_CELL(kValue2, "Depth", "FEkMixPart/kPartFEGDepth"),
        VANTREL_NONE,
        VANTREL_CELL(kValue2, "Attack Time", "FEkMixPart/kPartFEGAttackTime"),
        VANTREL_CELL(kValue2, "Decay Time", "FEkMixPart/kPartFEGDecay2Time"),
        VANTREL_CELL(kValue2, "Sustain Level", "FEkMixPart/kPartFEGDecay2Lvl"),
        VANTREL_CELL(kValue2, "Release Time", "FEkMixPart/kPartFEGReleaseTime"),
        VANTREL_END,
    },
    // Part equaliser.
    {
        VANTREL_CELL(kValue2, "Low Freq(Hz)", "FEkMixPart/kPartEQLoFreq"),
        VANTREL_CELL(kValue2, "Low Gain", "FEkMixPart/kPartEQLoGain"),
        VANTREL_CELL(kValue2, "High Freq(Hz)", "FEkMixPart/kPartEQHiFreq"),
        VANTREL_CELL(kValue2, "High Gain", "FEkMixPart/kPartEQHiGain"),
        VANTREL_CELL(kValue2, "Mid Freq(Hz)", "FEkMixPart/kPartEQMidFreq"),
        VANTREL_CELL(kValue2, "Mid Gain", "FEkMixPart/kPartEQMidGain"),
        VANTREL_CELL(kValue2, "Mid Resonance", "FEkMixPart/kPartEQResonance"),
        VANTREL_END,
    },
    // Receive switches.
    {
        VANTREL_CELL(kSwitch, "Arpeggio SW", "FEkEditorSwitches/kPartArpeggioSw"),
        VANTREL_CELL(kSwitch, "Control Chng", "FEkEditorSwitches/kPartControlSw"),
        VANTREL_CELL(kSwitch, "Bank Select", "FEkEditorSwitches/kPartBankSw"),
        VANTREL_CELL(kSwitch, "ProgramChng", "FEkEditorSwitches/kPartProgramSw"),
        VANTREL_CELL(kSwitch, "After Touch", "FEkEditorSwitches/kPartAfterTouchSw"),
        VANTREL_CELL(kSwitch, "Pitch Bend", "FEkEditorSwitches/kPartPitchBendSw"),
        VANTREL_CELL(kSwitch, "Vol / Exp", "FEkEditorSwitches/kPartVolSw"),
        VANTREL_CELL(kSwitch, "Pan", "FEkEditorSwitches/kPartPanSw"),
        VANTREL_CELL(kSwitch, "Sustn/Sostnt", "FEkEditorSwitches/kPartSustnSw"),
        VANTREL_CELL(kSwitch, "Mod Wheel", "FEkEditorSwitches/kPartModSw"),
        VANTREL_CELL(kSwitch, "Foot Ctrl1", "FEkEditorSwitches/kPartFootCtrl1Sw"),
        VANTREL_CELL(kSwitch, "Foot Ctrl2", "FEkEditorSwitches/kPartFootCtrl2Sw"),
        VANTREL_CELL(kSwitch, "Foot Switch", "FEkEditorSwitches/kPartFootSwitchSw"),
        VANTREL_CELL(kSwitch, "Breath Ctrl", "FEkEditorSwitches/kPartBreathSw"),
        VANTREL_CELL(kSwitch, "Assign Knob1", "FEkEditorSwitches/kPartAssign1Sw"),
        VANTREL_CELL(kSwitch, "Assign Knob2", "FEkEditorSwitches/kPartAssign2Sw"),
        VANTREL_CELL(kSwitch, "Ribbon Ctrl", "FEkEditorSwitches/kPartRibbonSw"),
        {kDummy, nullptr, nullptr, 0},
        VANTREL_END,
    },
};
// clang-format on

#undef VANTREL_CELL
#undef VANTREL_NONE
#undef VANTREL_END

// The parameters that name the part's voice.
inline constexpr char kProgramAddress[] = "FEkMixPart/kPartPrgNo";
inline constexpr char kBankLsbAddress[] = "FEkMixPart/kPartBankSelLSB";
inline constexpr char kBankMsbAddress[] = "FEkMixPart/kPartBankSelMSB";

} // namespace NS_PartDetail
