#include "NS_LookupUtility.h"
#include <QMutex>
#include <cstring>
#include <map>

namespace NS_LookupUtility {

namespace {

constexpr int16_t packed(int element, int channel) { return int16_t(element << 8 | channel); }
#define ROW(name, element, parameter) {name, int16_t(element), int16_t(parameter), 1}
#define END {nullptr, -1, -1, 255}

// Part status (element 1) and part switches (element 2): editor state, not memory.
const valentry s_EditorSwitches[] = {
    ROW("kPartMute", 1, 0),
    ROW("kPartSolo", 1, 1),
    ROW("kPartInsert", 1, 2),
    ROW("kPartArpeggioSw", 2, 1),
    ROW("kPartControlSw", 2, 2),
    ROW("kPartBankSw", 2, 3),
    ROW("kPartProgramSw", 2, 4),
    ROW("kPartAfterTouchSw", 2, 5),
    ROW("kPartPitchBendSw", 2, 6),
    ROW("kPartVolSw", 2, 8),
    ROW("kPartPanSw", 2, 9),
    ROW("kPartSustnSw", 2, 11),
    ROW("kPartModSw", 2, 13),
    ROW("kPartFootCtrl1Sw", 2, 18),
    ROW("kPartFootCtrl2Sw", 2, 16),
    ROW("kPartFootSwitchSw", 2, 17),
    ROW("kPartBreathSw", 2, 19),
    ROW("kPartAssign1Sw", 2, 20),
    ROW("kPartAssign2Sw", 2, 21),
    ROW("kPartRibbonSw", 2, 22),
    END,
};

// Part settings 37 pp nn; the channel is the part.
const valentry s_MixPart[] = {
    ROW("kPartBankSelMSB", 55, 0),
    ROW("kPartBankSelLSB", 55, 1),
    ROW("kPartPrgNo", 55, 2),
    ROW("kPartRcvCh", 55, 3),
    ROW("kPartPartMode", 55, 4),
    ROW("kPartVeloLmtLo", 55, 5),
    ROW("kPartVeloLmtHi", 55, 6),
    ROW("kPartNoteLmtLo", 55, 7),
    ROW("kPartNoteLmtHi", 55, 8),
    ROW("kPartPBRngUp", 55, 9),
    ROW("kPartPBRngLo", 55, 10),
    ROW("kPartVeloSnsDepth", 55, 11),
    ROW("kPartVeloSnsOfst", 55, 12),
    ROW("kPartVolume", 55, 13),
    ROW("kPartPan", 55, 14),
    ROW("kPartDetune", 55, 16),
    ROW("kPartRevSend", 55, 18),
    ROW("kPartChoSend", 55, 19),
    ROW("kPartDryLevel", 55, 21),
    ROW("kPartNoteShift", 55, 22),
    ROW("kPartCutoff", 55, 23),
    ROW("kPartResonance", 55, 24),
    ROW("kPartPortamentoSw", 55, 26),
    ROW("kPartPortamentoTime", 55, 27),
    ROW("kPartPortamentoMode", 55, 28),
    ROW("kPartOutputSel", 55, 30),
    ROW("kPartRcvSw1", 55, 31),
    ROW("kPartRcvSw2", 55, 32),
    ROW("kPartRcvSw3", 55, 33),
    ROW("kPartAEGDecay2Lvl", 55, 34),
    ROW("kPartAEGAttackTime", 55, 35),
    ROW("kPartVoicePanSw", 55, 36),
    ROW("kPartAEGDecay2Time", 55, 37),
    ROW("kPartAEGReleaseTime", 55, 38),
    ROW("kPartFEGDecay2Lvl", 55, 39),
    ROW("kPartFEGAttackTime", 55, 40),
    ROW("kPartFEGDecay2Time", 55, 42),
    ROW("kPartFEGReleaseTime", 55, 43),
    ROW("kPartFEGDepth", 55, 44),
    ROW("kPartEQLoFreq", 55, 46),
    ROW("kPartEQLoGain", 55, 48),
    ROW("kPartEQMidFreq", 55, 50),
    ROW("kPartEQMidGain", 55, 52),
    ROW("kPartEQResonance", 55, 53),
    ROW("kPartEQHiFreq", 55, 54),
    ROW("kPartEQHiGain", 55, 56),
    END,
};

// Master volume 00 00 00; multi common 36 00 nn.
const valentry s_Common[] = {
    ROW("kCommMasterVol", 0, 0),
    ROW("kCommMultiName1", packed(0x36, 0x00), 0),
    ROW("kCommMultiName2", packed(0x36, 0x00), 1),
    ROW("kCommMultiName3", packed(0x36, 0x00), 2),
    ROW("kCommMultiName4", packed(0x36, 0x00), 3),
    ROW("kCommMultiName5", packed(0x36, 0x00), 4),
    ROW("kCommMultiName6", packed(0x36, 0x00), 5),
    ROW("kCommMultiName7", packed(0x36, 0x00), 6),
    ROW("kCommMultiName8", packed(0x36, 0x00), 7),
    ROW("kCommMultiName9", packed(0x36, 0x00), 8),
    ROW("kCommMultiName10", packed(0x36, 0x00), 9),
    ROW("kCommARPMIDISw", packed(0x36, 0x00), 17),
    ROW("kCommARPMIDICh", packed(0x36, 0x00), 18),
    ROW("kCommARPType", packed(0x36, 0x00), 20),
    ROW("kCommARPSw", packed(0x36, 0x00), 22),
    ROW("kCommARPHold", packed(0x36, 0x00), 23),
    ROW("kCommARPUnitMulti", packed(0x36, 0x00), 24),
    ROW("kCommARPNoteLmtLo", packed(0x36, 0x00), 25),
    ROW("kCommARPNoteLmtHi", packed(0x36, 0x00), 26),
    ROW("kCommARPVeloLmtLo", packed(0x36, 0x00), 27),
    ROW("kCommARPVeloLmtHi", packed(0x36, 0x00), 28),
    ROW("kCommARPKeyMode", packed(0x36, 0x00), 29),
    ROW("kCommARPVeloMode", packed(0x36, 0x00), 30),
    ROW("kCommARPChangeTiming", packed(0x36, 0x00), 31),
    ROW("kCommARPQuantValue", packed(0x36, 0x00), 32),
    ROW("kCommARPQuantStrength", packed(0x36, 0x00), 33),
    ROW("kCommARPVeloRate", packed(0x36, 0x00), 34),
    ROW("kCommARPGateRate", packed(0x36, 0x00), 36),
    ROW("kCommARPSwing", packed(0x36, 0x00), 38),
    ROW("kCommARPTempo", packed(0x36, 0x00), 40),
    ROW("kCommARPSF1Type", packed(0x36, 0x00), 42),
    ROW("kCommARPSF2Type", packed(0x36, 0x00), 44),
    ROW("kCommARPSF3Type", packed(0x36, 0x00), 46),
    ROW("kCommARPSF4Type", packed(0x36, 0x00), 48),
    ROW("kCommARPSF5Type", packed(0x36, 0x00), 50),
    ROW("kCommKnobA", packed(0x36, 0x00), 62),
    ROW("kCommKnobB", packed(0x36, 0x00), 63),
    ROW("kCommEQLoGain", packed(0x36, 0x00), 65),
    ROW("kCommEQLoMidGain", packed(0x36, 0x00), 66),
    ROW("kCommEQHiMidGain", packed(0x36, 0x00), 67),
    ROW("kCommEQHiGain", packed(0x36, 0x00), 68),
    ROW("kCommAssign1", packed(0x36, 0x00), 69),
    ROW("kCommAssign2", packed(0x36, 0x00), 70),
    ROW("kCommAssign1CtrlNo", packed(0x36, 0x00), 88),
    ROW("kCommAssign2CtrlNo", packed(0x36, 0x00), 89),
    ROW("kCommBCCtrlNo", packed(0x36, 0x00), 90),
    ROW("kCommFC2CtrlNo", packed(0x36, 0x00), 91),
    ROW("kCommFC1CtrlNo", packed(0x36, 0x00), 92),
    ROW("kCommRBCtrlNo", packed(0x36, 0x00), 94),
    ROW("kCommInsertPartSw", packed(0x36, 0x00), 96),
    END,
};

// Reverb 36 01 nn.
const valentry s_CommonReverb[] = {
    ROW("kRevType", packed(0x36, 0x01), 0),
    ROW("kRevParam1", packed(0x36, 0x01), 2),
    ROW("kRevParam2", packed(0x36, 0x01), 4),
    ROW("kRevParam3", packed(0x36, 0x01), 6),
    ROW("kRevParam4", packed(0x36, 0x01), 8),
    ROW("kRevParam5", packed(0x36, 0x01), 10),
    ROW("kRevParam6", packed(0x36, 0x01), 12),
    ROW("kRevParam7", packed(0x36, 0x01), 14),
    ROW("kRevParam8", packed(0x36, 0x01), 16),
    ROW("kRevParam9", packed(0x36, 0x01), 18),
    ROW("kRevParam10", packed(0x36, 0x01), 20),
    ROW("kRevParam11", packed(0x36, 0x01), 22),
    ROW("kRevParam12", packed(0x36, 0x01), 24),
    ROW("kRevParam13", packed(0x36, 0x01), 26),
    ROW("kRevParam14", packed(0x36, 0x01), 28),
    ROW("kRevParam15", packed(0x36, 0x01), 30),
    ROW("kRevParam16", packed(0x36, 0x01), 32),
    ROW("kRevReturn", packed(0x36, 0x01), 34),
    ROW("kRevPan", packed(0x36, 0x01), 35),
    END,
};

// Chorus 36 02 nn.
const valentry s_CommonChorus[] = {
    ROW("kChoType", packed(0x36, 0x02), 0),
    ROW("kChoParam1", packed(0x36, 0x02), 2),
    ROW("kChoParam2", packed(0x36, 0x02), 4),
    ROW("kChoParam3", packed(0x36, 0x02), 6),
    ROW("kChoParam4", packed(0x36, 0x02), 8),
    ROW("kChoParam5", packed(0x36, 0x02), 10),
    ROW("kChoParam6", packed(0x36, 0x02), 12),
    ROW("kChoParam7", packed(0x36, 0x02), 14),
    ROW("kChoParam8", packed(0x36, 0x02), 16),
    ROW("kChoParam9", packed(0x36, 0x02), 18),
    ROW("kChoParam10", packed(0x36, 0x02), 20),
    ROW("kChoParam11", packed(0x36, 0x02), 22),
    ROW("kChoParam12", packed(0x36, 0x02), 24),
    ROW("kChoParam13", packed(0x36, 0x02), 26),
    ROW("kChoParam14", packed(0x36, 0x02), 28),
    ROW("kChoParam15", packed(0x36, 0x02), 30),
    ROW("kChoParam16", packed(0x36, 0x02), 32),
    ROW("kChoReturn", packed(0x36, 0x02), 34),
    ROW("kChoPan", packed(0x36, 0x02), 35),
    ROW("kChoChoToRev", packed(0x36, 0x02), 36),
    END,
};

// Master equaliser 36 10 nn.
const valentry s_CommonEQ[] = {
    ROW("kEQGain1", packed(0x36, 0x10), 0),
    ROW("kEQFreq1", packed(0x36, 0x10), 1),
    ROW("kEQQ1", packed(0x36, 0x10), 2),
    ROW("kEQShape1", packed(0x36, 0x10), 3),
    ROW("kEQGain2", packed(0x36, 0x10), 4),
    ROW("kEQFreq2", packed(0x36, 0x10), 5),
    ROW("kEQQ2", packed(0x36, 0x10), 6),
    ROW("kEQGain3", packed(0x36, 0x10), 8),
    ROW("kEQFreq3", packed(0x36, 0x10), 9),
    ROW("kEQQ3", packed(0x36, 0x10), 10),
    ROW("kEQGain4", packed(0x36, 0x10), 12),
    ROW("kEQFreq4", packed(0x36, 0x10), 13),
    ROW("kEQQ4", packed(0x36, 0x10), 14),
    ROW("kEQGain5", packed(0x36, 0x10), 16),
    ROW("kEQFreq5", packed(0x36, 0x10), 17),
    ROW("kEQQ5", packed(0x36, 0x10), 18),
    ROW("kEQShape5", packed(0x36, 0x10), 19),
    END,
};

// Master effect 36 11 nn.
const valentry s_CommonMasterEF[] = {
    ROW("kMasterEFType", packed(0x36, 0x11), 0),
    ROW("kMasterEFParam1", packed(0x36, 0x11), 2),
    ROW("kMasterEFParam2", packed(0x36, 0x11), 4),
    ROW("kMasterEFParam3", packed(0x36, 0x11), 6),
    ROW("kMasterEFParam4", packed(0x36, 0x11), 8),
    ROW("kMasterEFParam5", packed(0x36, 0x11), 10),
    ROW("kMasterEFParam6", packed(0x36, 0x11), 12),
    ROW("kMasterEFParam7", packed(0x36, 0x11), 14),
    ROW("kMasterEFParam8", packed(0x36, 0x11), 16),
    ROW("kMasterEFParam9", packed(0x36, 0x11), 18),
    ROW("kMasterEFParam10", packed(0x36, 0x11), 20),
    ROW("kMasterEFParam11", packed(0x36, 0x11), 22),
    ROW("kMasterEFParam12", packed(0x36, 0x11), 24),
    ROW("kMasterEFParam13", packed(0x36, 0x11), 26),
    ROW("kMasterEFParam14", packed(0x36, 0x11), 28),
    ROW("kMasterEFParam15", packed(0x36, 0x11), 30),
    ROW("kMasterEFParam16", packed(0x36, 0x11), 32),
    ROW("kMasterEFSw", packed(0x36, 0x11), 34),
    END,
};

// Voice name 40 00 00-09 and category 40 00 0A of the edit voice.
const valentry s_NormalCommonExtra[] = {
    ROW("kNrmComVoiceName1", packed(0x40, 0x00), 0),
    ROW("kNrmComVoiceName2", packed(0x40, 0x00), 1),
    ROW("kNrmComVoiceName3", packed(0x40, 0x00), 2),
    ROW("kNrmComVoiceName4", packed(0x40, 0x00), 3),
    ROW("kNrmComVoiceName5", packed(0x40, 0x00), 4),
    ROW("kNrmComVoiceName6", packed(0x40, 0x00), 5),
    ROW("kNrmComVoiceName7", packed(0x40, 0x00), 6),
    ROW("kNrmComVoiceName8", packed(0x40, 0x00), 7),
    ROW("kNrmComVoiceName9", packed(0x40, 0x00), 8),
    ROW("kNrmComVoiceName10", packed(0x40, 0x00), 9),
    ROW("kNrmComCategory", packed(0x40, 0x00), 10),
    END,
};

// Voice volume and pan 40 00 0B-0C.
const valentry s_NormalCommon[] = {
    ROW("kNrmComVolume", packed(0x40, 0x00), 11),
    ROW("kNrmComPan", packed(0x40, 0x00), 12),
    END,
};

// Voice reverb, common block A.
const valentry s_NormalCommonReverb[] = {
    ROW("kNrmRevType", packed(0x41, 0x00), 0),
    END,
};

// Voice chorus, common block A.
const valentry s_NormalCommonChorus[] = {
    ROW("kNrmChoType", packed(0x41, 0x00), 32),
    END,
};

// Insertion effect A, common block A.
const valentry s_NormalCommonInsA[] = {
    ROW("kNrmInsAType", packed(0x41, 0x00), 64),
    END,
};

// Insertion effect B.
const valentry s_NormalCommonInsB[] = {
    ROW("kNrmInsBType", packed(0x41, 0x00), 96),
    END,
};

// Controller sets, common block B.
const valentry s_NormalCommonController[] = {
    ROW("kNrmComCtrlSrc1", packed(0x41, 0x01), 0),
    END,
};

// Audition phrase of the edit voice, 40 00 0D.
const valentry s_NormalAudition[] = {
    ROW("kNrmAudPhraseNumber", packed(0x40, 0x00), 13),
    END,
};

// Voice name 40 00 00-09 and category 40 00 0A of the edit voice.
const valentry s_DrumCommonExtra[] = {
    ROW("kDrmComVoiceName1", packed(0x40, 0x00), 0),
    ROW("kDrmComVoiceName2", packed(0x40, 0x00), 1),
    ROW("kDrmComVoiceName3", packed(0x40, 0x00), 2),
    ROW("kDrmComVoiceName4", packed(0x40, 0x00), 3),
    ROW("kDrmComVoiceName5", packed(0x40, 0x00), 4),
    ROW("kDrmComVoiceName6", packed(0x40, 0x00), 5),
    ROW("kDrmComVoiceName7", packed(0x40, 0x00), 6),
    ROW("kDrmComVoiceName8", packed(0x40, 0x00), 7),
    ROW("kDrmComVoiceName9", packed(0x40, 0x00), 8),
    ROW("kDrmComVoiceName10", packed(0x40, 0x00), 9),
    ROW("kDrmComCategory", packed(0x40, 0x00), 10),
    END,
};

// Voice volume and pan 40 00 0B-0C.
const valentry s_DrumCommon[] = {
    ROW("kDrmComVolume", packed(0x40, 0x00), 11),
    ROW("kDrmComPan", packed(0x40, 0x00), 12),
    END,
};

// Voice reverb, common block A.
const valentry s_DrumCommonReverb[] = {
    ROW("kDrmRevType", packed(0x41, 0x10), 0),
    END,
};

// Voice chorus, common block A.
const valentry s_DrumCommonChorus[] = {
    ROW("kDrmChoType", packed(0x41, 0x10), 32),
    END,
};

// Insertion effect A, common block A.
const valentry s_DrumCommonInsA[] = {
    ROW("kDrmInsAType", packed(0x41, 0x10), 64),
    END,
};

// Insertion effect B.
const valentry s_DrumCommonInsB[] = {
    ROW("kDrmInsBType", packed(0x41, 0x11), 0),
    END,
};

// Controller sets, common block B.
const valentry s_DrumCommonController[] = {
    ROW("kDrmComCtrlSrc1", packed(0x41, 0x11), 32),
    END,
};

// Audition phrase of the edit voice, 40 00 0D.
const valentry s_DrumAudition[] = {
    ROW("kDrmAudPhraseNumber", packed(0x40, 0x00), 13),
    END,
};

// Voice name 40 00 00-09 and category 40 00 0A of the edit voice.
const valentry s_PluginCommonExtra[] = {
    ROW("kPlgComVoiceName1", packed(0x40, 0x00), 0),
    ROW("kPlgComVoiceName2", packed(0x40, 0x00), 1),
    ROW("kPlgComVoiceName3", packed(0x40, 0x00), 2),
    ROW("kPlgComVoiceName4", packed(0x40, 0x00), 3),
    ROW("kPlgComVoiceName5", packed(0x40, 0x00), 4),
    ROW("kPlgComVoiceName6", packed(0x40, 0x00), 5),
    ROW("kPlgComVoiceName7", packed(0x40, 0x00), 6),
    ROW("kPlgComVoiceName8", packed(0x40, 0x00), 7),
    ROW("kPlgComVoiceName9", packed(0x40, 0x00), 8),
    ROW("kPlgComVoiceName10", packed(0x40, 0x00), 9),
    ROW("kPlgComCategory", packed(0x40, 0x00), 10),
    END,
};

// Voice volume and pan 40 00 0B-0C.
const valentry s_PluginCommon[] = {
    ROW("kPlgComVolume", packed(0x40, 0x00), 11),
    ROW("kPlgComPan", packed(0x40, 0x00), 12),
    END,
};

// Voice reverb, common block A.
const valentry s_PluginCommonReverb[] = {
    ROW("kPlgRevType", packed(0x41, 0x20), 0),
    END,
};

// Voice chorus, common block A.
const valentry s_PluginCommonChorus[] = {
    ROW("kPlgChoType", packed(0x41, 0x20), 32),
    END,
};

// Insertion effect A, common block A.
const valentry s_PluginCommonInsA[] = {
    ROW("kPlgInsAType", packed(0x41, 0x20), 64),
    END,
};

// Insertion effect B.
const valentry s_PluginCommonInsB[] = {
    ROW("kPlgInsBType", packed(0x41, 0x21), 0),
    END,
};

// Controller sets, common block B.
const valentry s_PluginCommonController[] = {
    ROW("kPlgComCtrlSrc1", packed(0x41, 0x21), 32),
    END,
};

// Audition phrase of the edit voice, 40 00 0D.
const valentry s_PluginAudition[] = {
    ROW("kPlgAudPhraseNumber", packed(0x40, 0x00), 13),
    END,
};

// Common LFO, normal common block B.
const valentry s_NormalCommonLFO[] = {
    ROW("kNrmComLFOPhase", packed(0x41, 0x01), 64),
    END,
};

// Element A 44 ee nn; the channel is the element (0-3). 02-03 the wave number.
const valentry s_NormalElement[] = {
    ROW("kNrmElmAssign", 68, 0),
    ROW("kNrmElmWaveNumber", 68, 2),
    END,
};

// Element B 45 ee nn.
const valentry s_NormalElementAmplitude[] = {
    ROW("kNrmElmLevel", 69, 0),
    END,
};

// Element A 44 ee nn.
const valentry s_NormalElementPitch[] = {
    ROW("kNrmElmCoarseTune", 68, 8),
    END,
};

// Element A 44 ee nn.
const valentry s_NormalElementFilter[] = {
    ROW("kNrmElmFilterType", 68, 32),
    END,
};

// Element B 45 ee nn.
const valentry s_NormalElementEQ[] = {
    ROW("kNrmElmEQType", 69, 48),
    END,
};

// Element B 45 ee nn.
const valentry s_NormalElementLFO[] = {
    ROW("kNrmElmLFOWave", 69, 64),
    END,
};

// Drum key 4A kk nn; the channel is the key (0-72). 01-02 the wave number, 03 the
// level, 04 the pan; the assignment follows them.
const valentry s_DrumKey[] = {
    ROW("kDrmKeyAssign", 74, 5),
    ROW("kDrmKeyWaveNumber", 74, 1),
    END,
};

// Drum key 4A kk 03.
const valentry s_DrumKeyAmplitude[] = {
    ROW("kDrmKeyLevel", 74, 3),
    END,
};

// Drum key 4A kk nn.
const valentry s_DrumKeyPitch[] = {
    ROW("kDrmKeyCoarseTune", 74, 16),
    END,
};

// Drum key 4A kk nn.
const valentry s_DrumKeyFilter[] = {
    ROW("kDrmKeyFilterCutoffFreq", 74, 24),
    END,
};

// Drum key 4A kk nn.
const valentry s_DrumKeyEQ[] = {
    ROW("kDrmKeyEQType", 74, 32),
    END,
};

// Plug-in board part 48 00 nn.
const valentry s_PluginElement[] = {
    ROW("kPlgElmBankMSB", packed(0x48, 0x00), 0),
    END,
};

// Plug-in board part 48 00 nn.
const valentry s_PluginNative[] = {
    ROW("kPlgNtvPluginBoardType", packed(0x48, 0x00), 16),
    END,
};

// Board-specific native parameters from 48 00 20; their meaning follows the board type.
const valentry s_PluginNativeAN[] = {
    ROW("kPlgNtvANUnisonSw", packed(0x48, 0x00), 32),
    END,
};

// Board-specific native parameters from 48 00 20; their meaning follows the board type.
const valentry s_PluginNativeAP[] = {
    ROW("kPlgNtvAPPFMode", packed(0x48, 0x00), 32),
    END,
};

// Board-specific native parameters from 48 00 20; their meaning follows the board type.
const valentry s_PluginNativeDR[] = {
    ROW("kPlgNtvDRNoteSel1", packed(0x48, 0x00), 32),
    END,
};

// Board-specific native parameters from 48 00 20; their meaning follows the board type.
const valentry s_PluginNativeDX[] = {
    ROW("kPlgNtvDXCarrier1", packed(0x48, 0x00), 32),
    END,
};

// Board-specific native parameters from 48 00 20; their meaning follows the board type.
const valentry s_PluginNativePC[] = {
    ROW("kPlgNtvPCNoteSel1", packed(0x48, 0x00), 32),
    END,
};

// Board-specific native parameters from 48 00 20; their meaning follows the board type.
const valentry s_PluginNativePF[] = {
    ROW("kPlgNtvPFMode", packed(0x48, 0x00), 32),
    END,
};

// Board-specific native parameters from 48 00 20; their meaning follows the board type.
const valentry s_PluginNativeVL[] = {
    ROW("kPlgNtvVLFilterEQDepth", packed(0x48, 0x00), 32),
    END,
};

#undef ROW
#undef END

struct ltstr
{
    bool operator()(const char* a, const char* b) const { return std::strcmp(a, b) < 0; }
};
using SymbolMap = std::map<const char*, const valentry*, ltstr>;

const SymbolMap& symbolMap()
{
    static const SymbolMap map = {
        {"kEditorSwitches", s_EditorSwitches},
        {"kMixPart", s_MixPart},
        {"kCommon", s_Common},
        {"kCommonReverb", s_CommonReverb},
        {"kCommonChorus", s_CommonChorus},
        {"kCommonEQ", s_CommonEQ},
        {"kCommonMasterEF", s_CommonMasterEF},
        {"kNormalCommonExtra", s_NormalCommonExtra},
        {"kNormalCommon", s_NormalCommon},
        {"kNormalCommonReverb", s_NormalCommonReverb},
        {"kNormalCommonChorus", s_NormalCommonChorus},
        {"kNormalCommonInsA", s_NormalCommonInsA},
        {"kNormalCommonInsB", s_NormalCommonInsB},
        {"kNormalCommonController", s_NormalCommonController},
        {"kNormalAudition", s_NormalAudition},
        {"kDrumCommonExtra", s_DrumCommonExtra},
        {"kDrumCommon", s_DrumCommon},
        {"kDrumCommonReverb", s_DrumCommonReverb},
        {"kDrumCommonChorus", s_DrumCommonChorus},
        {"kDrumCommonInsA", s_DrumCommonInsA},
        {"kDrumCommonInsB", s_DrumCommonInsB},
        {"kDrumCommonController", s_DrumCommonController},
        {"kDrumAudition", s_DrumAudition},
        {"kPluginCommonExtra", s_PluginCommonExtra},
        {"kPluginCommon", s_PluginCommon},
        {"kPluginCommonReverb", s_PluginCommonReverb},
        {"kPluginCommonChorus", s_PluginCommonChorus},
        {"kPluginCommonInsA", s_PluginCommonInsA},
        {"kPluginCommonInsB", s_PluginCommonInsB},
        {"kPluginCommonController", s_PluginCommonController},
        {"kPluginAudition", s_PluginAudition},
        {"kNormalCommonLFO", s_NormalCommonLFO},
        {"kNormalElement", s_NormalElement},
        {"kNormalElementAmplitude", s_NormalElementAmplitude},
        {"kNormalElementPitch", s_NormalElementPitch},
        {"kNormalElementFilter", s_NormalElementFilter},
        {"kNormalElementEQ", s_NormalElementEQ},
        {"kNormalElementLFO", s_NormalElementLFO},
        {"kDrumKey", s_DrumKey},
        {"kDrumKeyAmplitude", s_DrumKeyAmplitude},
        {"kDrumKeyPitch", s_DrumKeyPitch},
        {"kDrumKeyFilter", s_DrumKeyFilter},
        {"kDrumKeyEQ", s_DrumKeyEQ},
        {"kPluginElement", s_PluginElement},
        {"kPluginNative", s_PluginNative},
        {"kPluginNativeAN", s_PluginNativeAN},
        {"kPluginNativeAP", s_PluginNativeAP},
        {"kPluginNativeDR", s_PluginNativeDR},
        {"kPluginNativeDX", s_PluginNativeDX},
        {"kPluginNativePC", s_PluginNativePC},
        {"kPluginNativePF", s_PluginNativePF},
        {"kPluginNativeVL", s_PluginNativeVL},
    };
    return map;
}

QMutex s_mutex;
const SymbolMap* s_table = nullptr;
int s_useCount = 0;

} // namespace

void AddRef()
{
    QMutexLocker lock(&s_mutex);
    if (s_useCount++ == 0)
        s_table = &symbolMap();
}

void Release()
{
    QMutexLocker lock(&s_mutex);
    if (s_useCount > 0 && --s_useCount == 0)
        s_table = nullptr;
}

void initializeLookup()
{
    QMutexLocker lock(&s_mutex);
    s_table = &symbolMap();
}

void terminateLookup()
{
    QMutexLocker lock(&s_mutex);
    s_table = nullptr;
}

bool inUse()
{
    QMutexLocker lock(&s_mutex);
    return s_table != nullptr;
}

const valentry* lookupRow(const char* group, const char* param)
{
    if (!group)
        return nullptr;
    const SymbolMap& map = symbolMap();
    const auto it = map.find(group);
    if (it == map.end())
        return nullptr;
    const valentry* row = it->second;
    if (!param || !*param)
        return row;
    for (; row->name; ++row)
        if (std::strcmp(row->name, param) == 0)
            return row;
    return nullptr;
}

bool lookup(element_s& out, const char* group, const char* param)
{
    const valentry* row = lookupRow(group, param);
    if (!row)
        return false;
    out.element = row->element;
    out.parameter = uint8_t(row->parameter);
    out.kind = uint8_t(row->kind);
    return true;
}

bool reverselookup(const element_s& in, QString& group, QString& param)
{
    for (const auto& [name, rows] : symbolMap()) {
        if (rows->element != in.element || rows->kind != in.kind)
            continue;
        for (int i = 0; i < in.parameter; ++i)
            if (!rows[i].name)
                return false;
        if (!rows[in.parameter].name)
            return false;
        group = QString::fromLatin1(name);
        param = QString::fromLatin1(rows[in.parameter].name);
        return true;
    }
    return false;
}

QStringList groupNames()
{
    QStringList names;
    for (const auto& entry : symbolMap())
        names.append(QString::fromLatin1(entry.first));
    return names;
}

} // namespace NS_LookupUtility
