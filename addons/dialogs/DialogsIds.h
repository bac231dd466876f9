#pragma once
// The module identifiers the dialogs add-on names, and its editor ids.
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"

// The mixer add-on, opened by the toolbar's mixer button.
struct LayerAddOnModule
{
    static inline const Y_GUID guid = NS_AddOnIds::LayerAddOn;
};
// VoiceLibraryModule (an add-on this system does not have) comes with the companion.

namespace NS_DialogsIds {
constexpr int kManual = 1;
constexpr int kAbout = 2;
constexpr int kReceiveVoice = 3;
constexpr int kReceiveMulti = 4;
constexpr int kSetup = 5;
constexpr int kTransmitVoice = 6;
constexpr int kTransmitMulti = 7;
constexpr int kVoiceListCategory = 8;
constexpr int kPresetReceive = 9;
constexpr int kArpSelect = 10;
constexpr int kToolbar = 11;
constexpr int kFileNew = 12;
constexpr int kFileOpen = 13;
constexpr int kFileImport = 14;
constexpr int kFileSave = 15;
constexpr int kClose = 16;
constexpr int kFirstPartVoice = 17; // 17 to 32: the voice lists of parts 1 to 16
constexpr int kLastPartVoice = 32;
constexpr int kFileSaveAs = 33;
constexpr int kMonitorEditVoice = 34;
constexpr int kMonitorVoice = 36;
constexpr int kStore = 37;
constexpr int kDrumKeyWave = 38;
constexpr int kFirstPhrase = 39; // 39 to 41
constexpr int kLastPhrase = 41;
constexpr int kFirstElementWave = 42; // 42 to 45: elements 1 to 4
constexpr int kLastElementWave = 45;
constexpr int kFirstArpSwitch = 46; // 46 to 50: arpeggio switch types 1 to 5
constexpr int kLastArpSwitch = 50;
constexpr int kEditorCount = 50;
} // namespace NS_DialogsIds
