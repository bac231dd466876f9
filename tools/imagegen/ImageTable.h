#pragma once
// Every image the controls, views and dialogs look up by name, with its size in
// logical pixels and its frame division. This table is the one source: the image
// generator draws from it, the build registers from it, and the tests check the
// registered images against it. Controls and views include this header and use the
// constants below instead of spelling names again.
//
// Combined images: frames stacked vertically (frame height = height / rows),
// variants side by side (frame width = width / columns).
//
// Owners: "widgets" holds the strips that the controls cut into frames and that more
// than one view uses, and the cursors of the controls; every add-on links widgets, so
// those images are there wherever a view is. Backgrounds, headers, tab buttons, icons
// and logos live in the one add-on that shows them.
//
// Frame order of the switch buttons. An on/off button shows row 0 while it is on and
// row 1 while it is off; a button with inverted logic is on while its parameter is 0.
// So the strips of the inverted switches (mute, solo, insertion, the ON/OFF switch)
// hold the unlit look in row 0 and the lit look in row 1, and the detail button (no
// inverted logic) holds the lit look in row 0. Rows after the pressed row: see each
// row's note; the last row is always the disabled look.
//
// Page backgrounds carry light label bands under every cell that has a label, so the
// cell labels read in the default (dark) window text colour.

#include <cstddef>

namespace NS_Images {

// Control strips (widgets).
inline constexpr char kKnobSmall[] = "tovar_knob1states.png";
inline constexpr char kKnobLarge[] = "tovar_knob2states.png";
inline constexpr char kFaderThumb[] = "tovar_SliderKnob.png";
inline constexpr char kMasterFaderThumb[] = "tovar_MasterSliderKnob.png";
inline constexpr char kMuteButton[] = "tovar_MuteBtn.png";
inline constexpr char kSoloButton[] = "tovar_SoloBtn.png";
inline constexpr char kDetailButton[] = "tovar_Detail.png";
inline constexpr char kInsertionButton[] = "tovar_INS_EF.png";
inline constexpr char kOnOffSwitch[] = "tovar_OFF_QRV.png";
inline constexpr char kCursorArrowUp[] = "tovar_CursorArrowUp.png";
inline constexpr char kCursorArrowDown[] = "tovar_CursorArrowDown.png";

// Mixer (mainlayer).
inline constexpr char kChannelHeaders[] = "tovar_ChannelHeaders.png";
inline constexpr char kChannelStrip[] = "tovar_ChannelStrip.png";
inline constexpr char kMasterStrip[] = "tovar_MasterStrip.png";
inline constexpr char kMixerView[] = "tovar_MainMixerView.png";
inline constexpr char kMixerViewVantrel[] = "tovar_MainMixerView-vantrel.png";

// Common detail (commondetail).
inline constexpr char kComTab0[] = "tovar_Com-0-TabBtn.png";
inline constexpr char kComTab1[] = "tovar_Com-1-TabBtn.png";
inline constexpr char kComTab2[] = "tovar_Com-2-TabBtn.png";
inline constexpr char kComTab3[] = "tovar_Com-3-TabBtn.png";
inline constexpr char kComTab4[] = "tovar_Com-4-TabBtn.png";
inline constexpr char kComTab5[] = "tovar_Com-5-TabBtn.png";
inline constexpr char kComTab6[] = "tovar_Com-6-TabBtn.png";
inline constexpr char kComTab7[] = "tovar_Com-7-TabBtn.png";
inline constexpr char kComArpeggiator[] = "tovar_CommonDetailArpeggiator.png";
inline constexpr char kComReverb[] = "tovar_CommonDetailReverb.png";
inline constexpr char kComChorus[] = "tovar_CommonDetailChorus.png";
inline constexpr char kComMasterEq[] = "tovar_CommonDetailMEQ.png";
inline constexpr char kComMasterEffect[] = "tovar_CommonDetailMasterEffect.png";
inline constexpr char kComInsertionSw[] = "tovar_CommonDetailInsertionSw.png";
inline constexpr char kComControlNumber[] = "tovar_CommonDetailControlNumber.png";
inline constexpr char kComName[] = "tovar_CommonDetailName.png";
inline constexpr char kComArpeggiatorVant[] = "tovar_CommonDetailArpeggiator-vant.png";
inline constexpr char kComInsertionSwVant[] = "tovar_CommonDetailInsertionSw-Vant.png";
inline constexpr char kComControlNumberVant[] = "tovar_CommonDetailControlNumber-Vant.png";
inline constexpr char kComHeader[] = "tovar_CommonDetailTab.png";
inline constexpr char kComHeaderVant[] = "tovar_CommonDetailTab-Vant.png";

// Part detail (partdetail).
inline constexpr char kPrtTab0[] = "tovar_Prt-0-TabBtn.png";
inline constexpr char kPrtTab1[] = "tovar_Prt-1-TabBtn.png";
inline constexpr char kPrtTab2[] = "tovar_Prt-2-TabBtn.png";
inline constexpr char kPrtTab3[] = "tovar_Prt-3-TabBtn.png";
inline constexpr char kPrtTab4[] = "tovar_Prt-4-TabBtn.png";
inline constexpr char kPrtTab5[] = "tovar_Prt-5-TabBtn.png";
inline constexpr char kPrtTab6[] = "tovar_Prt-6-TabBtn.png";
inline constexpr char kPrtGeneral[] = "tovar_PartDetailGeneral.png";
inline constexpr char kPrtNoteVelo[] = "tovar_PartDetailNoteVelo.png";
inline constexpr char kPrtPitch[] = "tovar_PartDetailPitch.png";
inline constexpr char kPrtAeg[] = "tovar_PartDetailAEG.png";
inline constexpr char kPrtFeg[] = "tovar_PartDetailFEG.png";
inline constexpr char kPrtPartEq[] = "tovar_PartDetailPartEQ.png";
inline constexpr char kPrtRcvSw[] = "tovar_PartDetailRcvSw.png";
inline constexpr char kPrtHeader[] = "tovar_PartDetailTab.png";
inline constexpr char kPrtHeaderVantrel[] = "tovar_PartDetailTab-vantrel.png";

// Dialogs (dialogs).
inline constexpr char kProgramIcon32[] = "tovar_TOVARQXICON32.png";
inline constexpr char kProgramIcon16[] = "tovar_TOVARQXICON16.png";
inline constexpr char kVoiceEditorIcon32[] = "tovar_TOVARQX_VCE_ICON32.png";
inline constexpr char kVoiceEditorIcon16[] = "tovar_TOVARQX_VCE_ICON16.png";
inline constexpr char kAboutVoiceEditorIcon32[] = "tovar_AboutVoiceEditorIcon32.png";
inline constexpr char kAboutProgramIcon32[] = "tovar_AboutProgramIcon32.png";
inline constexpr char kAboutVoiceEditorIcon16[] = "tovar_AboutVoiceEditorIcon16.png";
inline constexpr char kAboutProgramIcon16[] = "tovar_AboutProgramIcon16.png";
inline constexpr char kPluginHostLogo[] = "tovar_Plx.png";
inline constexpr char kPluginHostLogo2[] = "tovar_Plx2.png";
inline constexpr char kStudioIntegrationLogo[] = "tovar_StudioIntegrationLogo.png";
inline constexpr char kToolbarOpen[] = "tovar_ToolbarOpen.png";
inline constexpr char kToolbarReceiveMulti[] = "tovar_ToolbarReceiveMulti.png";
inline constexpr char kToolbarSave[] = "tovar_ToolbarSave.png";
inline constexpr char kToolbarSetup[] = "tovar_ToolbarSetup.png";
inline constexpr char kToolbarTransmitMulti[] = "tovar_ToolbarTransmitMulti.png";
inline constexpr char kToolbarMixer[] = "tovar_ToolbarMixerIcon.png";
inline constexpr char kToolbarEdit[] = "tovar_ToolbarEdit.png";
inline constexpr char kToolbarStore[] = "tovar_ToolbarStore.png";
inline constexpr char kToolbarCompare[] = "tovar_ToolbarCompare.png";
inline constexpr char kToolbarMonitor[] = "tovar_ToolbarMonitor.png";
inline constexpr char kToolbarLibrary[] = "tovar_ToolbarLibrary.png";
inline constexpr char kToolbarImport[] = "tovar_ToolbarImport.png";

// The libraries that embed images; the folder name of each add-on.
enum class ImageOwner { Widgets, MainLayer, CommonDetail, PartDetail, Dialogs };

inline constexpr const char* ownerName(ImageOwner owner)
{
    switch (owner) {
    case ImageOwner::Widgets: return "widgets";
    case ImageOwner::MainLayer: return "mainlayer";
    case ImageOwner::CommonDetail: return "commondetail";
    case ImageOwner::PartDetail: return "partdetail";
    case ImageOwner::Dialogs: return "dialogs";
    }
    return "";
}

// Registered resource path of an image: ":/tovar/<owner>/<name>", its twin drawn at
// twice the size beside it with "@2x" before the extension.
inline constexpr char kResourceRoot[] = ":/tovar/";

struct ImageEntry
{
    const char* name;
    int width;  // whole image, logical pixels
    int height;
    int rows;    // frames stacked vertically
    int columns; // variants side by side
    ImageOwner owner;
    bool opaque; // drawn without transparency (backgrounds, window icons)
    const char* use; // where it is drawn, and how its rows are used
};

// clang-format off
inline constexpr ImageEntry kImageTable[] = {
    // Control strips.
    {kKnobSmall, 26, 754, 29, 1, ImageOwner::Widgets, false,
     "small dial (26 x 26 frames): strip EQ and effect sends, master EQ, detail-page dials; "
     "frame k points at -135 + k * 270 / 28 degrees, arc lit from the left stop"},
    {kKnobLarge, 36, 1044, 29, 1, ImageOwner::Widgets, false,
     "pan dial of the channel strip (36 x 36 frames); frame k points at -135 + k * 270 / 28 "
     "degrees, arc lit from the centre"},
    {kFaderThumb, 16, 33, 1, 1, ImageOwner::Widgets, false,
     "thumb of the channel fader (one frame)"},
    {kMasterFaderThumb, 16, 33, 1, 1, ImageOwner::Widgets, false,
     "thumb of the master fader (one frame)"},
    {kMuteButton, 31, 60, 6, 1, ImageOwner::Widgets, false,
     "MUTE switch, inverted logic (31 x 10 frames): unlit, lit, pressed, lit blink phase, "
     "lit disabled, disabled"},
    {kSoloButton, 31, 60, 6, 1, ImageOwner::Widgets, false,
     "SOLO switch, inverted logic (31 x 10 frames): unlit, lit, pressed, lit blink phase, "
     "lit disabled, disabled"},
    {kDetailButton, 31, 60, 6, 1, ImageOwner::Widgets, false,
     "DETAIL button of channel and master strips (31 x 10 frames): lit, unlit, pressed, "
     "lit blink phase, lit disabled, disabled"},
    {kInsertionButton, 31, 50, 5, 1, ImageOwner::Widgets, false,
     "insertion-effect switch, inverted logic (31 x 10 frames): unlit, lit, pressed, "
     "lit disabled, disabled"},
    {kOnOffSwitch, 31, 50, 5, 1, ImageOwner::Widgets, false,
     "ON/OFF switch of master effect and detail-page switch cells, inverted logic "
     "(31 x 10 frames): OFF, ON, pressed, ON disabled, disabled; also the dialogs' "
     "off-state button image"},
    {kCursorArrowUp, 16, 16, 1, 1, ImageOwner::Widgets, false,
     "text slider's up-arrow cursor: black outline, white fill, hot spot at the centre; "
     "triangle in rows 3 to 7, base row 7 spans columns 3 to 12 (size given; name ours)"},
    {kCursorArrowDown, 16, 16, 1, 1, ImageOwner::Widgets, false,
     "text slider's down-arrow cursor, the up arrow mirrored into rows 8 to 12 "
     "(size given; name ours)"},

    // Mixer.
    {kChannelHeaders, 43, 210, 3, 1, ImageOwner::MainLayer, true,
     "channel strip header switcher (43 x 70 frames): part 1, even parts, odd parts from 3; "
     "windows behind part number, bank and the staggered voice-name rows"},
    {kChannelStrip, 43, 501, 1, 1, ImageOwner::MainLayer, true,
     "channel strip background, fitted to its controls"},
    {kMasterStrip, 91, 428, 1, 1, ImageOwner::MainLayer, true,
     "master strip background, fitted to its controls"},
    {kMixerView, 841, 511, 1, 1, ImageOwner::MainLayer, true,
     "mixer view background without the model plate"},
    {kMixerViewVantrel, 841, 511, 1, 1, ImageOwner::MainLayer, true,
     "mixer view background in use: sixteen strip bays, master bay, model plate"},

    // Common detail.
    {kComTab0, 56, 51, 3, 1, ImageOwner::CommonDetail, false, "tab 0 ARP (56 x 17 frames): selected, unselected, pressed"},
    {kComTab1, 56, 51, 3, 1, ImageOwner::CommonDetail, false, "tab 1 REVERB (56 x 17 frames): selected, unselected, pressed"},
    {kComTab2, 56, 51, 3, 1, ImageOwner::CommonDetail, false, "tab 2 CHORUS (56 x 17 frames): selected, unselected, pressed"},
    {kComTab3, 56, 51, 3, 1, ImageOwner::CommonDetail, false, "tab 3 MASTER EQ (56 x 17 frames): selected, unselected, pressed"},
    {kComTab4, 56, 51, 3, 1, ImageOwner::CommonDetail, false, "tab 4 MASTER EFFECT (56 x 17 frames): selected, unselected, pressed"},
    {kComTab5, 56, 51, 3, 1, ImageOwner::CommonDetail, false, "tab 5 INSERTION SWITCHES (56 x 17 frames): selected, unselected, pressed"},
    {kComTab6, 56, 51, 3, 1, ImageOwner::CommonDetail, false, "tab 6 CONTROL NUMBERS (56 x 17 frames): selected, unselected, pressed"},
    {kComTab7, 56, 51, 3, 1, ImageOwner::CommonDetail, false, "tab 7 NAME (56 x 17 frames): selected, unselected, pressed"},
    {kComArpeggiator, 616, 359, 1, 1, ImageOwner::CommonDetail, true, "arpeggiator page"},
    {kComReverb, 616, 359, 1, 1, ImageOwner::CommonDetail, true, "reverb page"},
    {kComChorus, 616, 359, 1, 1, ImageOwner::CommonDetail, true, "chorus page"},
    {kComMasterEq, 616, 359, 1, 1, ImageOwner::CommonDetail, true, "master equaliser page"},
    {kComMasterEffect, 616, 359, 1, 1, ImageOwner::CommonDetail, true, "master effect page"},
    {kComInsertionSw, 616, 359, 1, 1, ImageOwner::CommonDetail, true, "insertion switch page, parts only"},
    {kComControlNumber, 616, 359, 1, 1, ImageOwner::CommonDetail, true, "controller number page"},
    {kComName, 616, 359, 1, 1, ImageOwner::CommonDetail, true, "multi name page"},
    {kComArpeggiatorVant, 616, 359, 1, 1, ImageOwner::CommonDetail, true,
     "arpeggiator page in use, with the model plate"},
    {kComInsertionSwVant, 616, 359, 1, 1, ImageOwner::CommonDetail, true,
     "insertion switch page in use: parts and the two plug-in board switches"},
    {kComControlNumberVant, 616, 359, 1, 1, ImageOwner::CommonDetail, true,
     "controller number page in use, with the model plate"},
    {kComHeader, 616, 40, 1, 1, ImageOwner::CommonDetail, true, "common detail header behind the tab row"},
    {kComHeaderVant, 616, 40, 1, 1, ImageOwner::CommonDetail, true,
     "common detail header in use, with the model name"},

    // Part detail.
    {kPrtTab0, 56, 51, 3, 1, ImageOwner::PartDetail, false, "tab 0 GENERAL (56 x 17 frames): selected, unselected, pressed"},
    {kPrtTab1, 56, 51, 3, 1, ImageOwner::PartDetail, false, "tab 1 NOTE/VELOCITY (56 x 17 frames): selected, unselected, pressed"},
    {kPrtTab2, 56, 51, 3, 1, ImageOwner::PartDetail, false, "tab 2 PITCH (56 x 17 frames): selected, unselected, pressed"},
    {kPrtTab3, 56, 51, 3, 1, ImageOwner::PartDetail, false, "tab 3 AMPLITUDE EG (56 x 17 frames): selected, unselected, pressed"},
    {kPrtTab4, 56, 51, 3, 1, ImageOwner::PartDetail, false, "tab 4 FILTER (56 x 17 frames): selected, unselected, pressed"},
    {kPrtTab5, 56, 51, 3, 1, ImageOwner::PartDetail, false, "tab 5 PART EQ (56 x 17 frames): selected, unselected, pressed"},
    {kPrtTab6, 56, 51, 3, 1, ImageOwner::PartDetail, false, "tab 6 RECEIVE SWITCHES (56 x 17 frames): selected, unselected, pressed"},
    {kPrtGeneral, 616, 223, 1, 1, ImageOwner::PartDetail, true, "general page"},
    {kPrtNoteVelo, 616, 223, 1, 1, ImageOwner::PartDetail, true, "note and velocity page"},
    {kPrtPitch, 616, 223, 1, 1, ImageOwner::PartDetail, true, "pitch page"},
    {kPrtAeg, 616, 223, 1, 1, ImageOwner::PartDetail, true, "amplitude envelope page"},
    {kPrtFeg, 616, 223, 1, 1, ImageOwner::PartDetail, true, "filter page"},
    {kPrtPartEq, 616, 223, 1, 1, ImageOwner::PartDetail, true, "part equaliser page"},
    {kPrtRcvSw, 616, 223, 1, 1, ImageOwner::PartDetail, true, "receive switch page"},
    {kPrtHeader, 616, 40, 1, 1, ImageOwner::PartDetail, true, "part detail header behind the tab row"},
    {kPrtHeaderVantrel, 616, 40, 1, 1, ImageOwner::PartDetail, true,
     "part detail header in use, with the model name and the part number window"},

    // Dialogs.
    {kProgramIcon32, 32, 32, 1, 1, ImageOwner::Dialogs, true, "program icon, large: about box"},
    {kProgramIcon16, 16, 16, 1, 1, ImageOwner::Dialogs, true, "program icon, small: about box window icon"},
    {kVoiceEditorIcon32, 32, 32, 1, 1, ImageOwner::Dialogs, true, "voice editor icon, large"},
    {kVoiceEditorIcon16, 16, 16, 1, 1, ImageOwner::Dialogs, true, "voice editor icon, small"},
    {kAboutVoiceEditorIcon32, 32, 32, 1, 1, ImageOwner::Dialogs, true,
     "about box voice editor icon, large (size given; name ours)"},
    {kAboutProgramIcon32, 32, 32, 1, 1, ImageOwner::Dialogs, true,
     "about box program icon, large (size given; name ours)"},
    {kAboutVoiceEditorIcon16, 16, 16, 1, 1, ImageOwner::Dialogs, true,
     "about box voice editor icon, small (size given; name ours)"},
    {kAboutProgramIcon16, 16, 16, 1, 1, ImageOwner::Dialogs, true,
     "about box program icon, small (size given; name ours)"},
    {kPluginHostLogo, 64, 39, 1, 1, ImageOwner::Dialogs, false, "about box: plug-in hosting logo, first"},
    {kPluginHostLogo2, 64, 39, 1, 1, ImageOwner::Dialogs, false, "about box: plug-in hosting logo, second"},
    {kStudioIntegrationLogo, 64, 37, 1, 1, ImageOwner::Dialogs, false,
     "about box: studio-integration logo (size given; name ours)"},
    {kToolbarOpen, 16, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: Open..."},
    {kToolbarReceiveMulti, 16, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: Receive Multi Bulk"},
    {kToolbarSave, 15, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: Save..."},
    {kToolbarSetup, 16, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: Setup..."},
    {kToolbarTransmitMulti, 16, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: Transmit Multi Bulk"},
    {kToolbarMixer, 16, 16, 1, 1, ImageOwner::Dialogs, true, "toolbar: Show Part Mixer"},
    {kToolbarEdit, 16, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: edit"},
    {kToolbarStore, 16, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: store"},
    {kToolbarCompare, 16, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: compare"},
    {kToolbarMonitor, 16, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: monitor"},
    {kToolbarLibrary, 16, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: library"},
    {kToolbarImport, 16, 16, 1, 1, ImageOwner::Dialogs, false, "toolbar: import"},
};
// clang-format on

inline constexpr std::size_t kImageCount = sizeof(kImageTable) / sizeof(kImageTable[0]);

// The row of an image by name, or null.
inline const ImageEntry* findImage(const char* name)
{
    for (const ImageEntry& entry : kImageTable) {
        const char* a = entry.name;
        const char* b = name;
        while (*a && *a == *b) {
            ++a;
            ++b;
        }
        if (*a == *b)
            return &entry;
    }
    return nullptr;
}

} // namespace NS_Images
