#pragma once
// The records of the control-surface manager: what the surface template describes
// (keys, faders, encoders, display fields, pages and their tree, key shortcuts,
// display styles, bit masks, category lists) and the manager's per-part state.
// Every list owns its records by value.
#include "console/model/StrArray.h"
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace NS_Remote {

constexpr int kKeyCount = 61;
constexpr int kFaderCount = 9;     // 8 strips and the master
constexpr int kEncoderCount = 8;
constexpr int kStripCount = 8;
constexpr int kMasterFaderChannel = 8;
constexpr int kLineLength = 55;    // characters of one display line
constexpr int kFieldCells = 7;     // 6 characters and a separating space
constexpr int kFieldChars = 6;
constexpr int kRouteBytes = 16;    // up to 15 route bytes and the end mark
constexpr int kRouteMax = 15;
constexpr uint8_t kRouteEnd = 255;
constexpr int kSelectLists = 9;
constexpr int kMaxBanks = 16;
constexpr int kFaderMax = 1023;
constexpr int kTreeDepthMax = 8;   // window-tree nesting accepted from a template
constexpr int kInactiveControl = 65535;

// Key numbers with a fixed function (the index in the template's key list).
enum Key : int {
    kKeyStrip0 = 0,
    kKeyMasterSelect = 8,
    kKeyStatus0 = 9,
    kKeyMasterStatus = 17,
    kKeyPush0 = 18,
    kKeyPageSet = 26,
    kKeyDisplayMode = 38,
    kKeyLeave39 = 39,
    kKeyLeave40 = 40,
    kKeyActivate = 41,
    kKeyLeave42 = 42,
    kKeyLeave43 = 43,
    kKeyModifier = 44,
    kKeySoloMode = 45,
    kKeyBankDown = 47,
    kKeyBankUp = 48,
    kKeyShift = 49,
    kKeyPagePrevious = 50,
    kKeyPageNext = 51,
};

// Refresh bits of Refresh() and the pending refresh.
enum RefreshBit : uint32_t {
    kRefreshPage = 1,
    kRefreshStatus = 2,
    kRefreshFaders = 4,
    kRefreshInitial = 8,
    kRefreshLampOff = 16,
    kRefreshPlugInMode = 32,
    kRefreshDeactivate = 64,
    kRefreshValues = 128,
    kRefreshAll = 15,   // a full reset, not the four bits
};

} // namespace NS_Remote

struct KEY_INFO
{
    uint32_t index = 0;
    uint8_t note = 0;
    uint8_t keyState = 0;   // last velocity; 127 while pressed
    uint8_t lampState = 0;  // 0 or 127
};

struct FADER_INFO
{
    uint32_t index = 0;
    uint8_t id = 0;
    int32_t value = 0;
};

struct ENCODER_INFO
{
    uint32_t index = 0;
    uint8_t id = 0;
    int32_t steps = 0;      // accumulated since the last input pass, signed
};

struct KNOB_COMB_INFO
{
    int32_t pushKey = -1;   // key index 18-25
    int32_t encoderId = -1;
};

struct LCD_ADDR_LIST
{
    uint8_t upper = 0;
    uint8_t lower = 0;
    int32_t upperOver = 0;  // over-field counts of the field on each line
    int32_t lowerOver = 0;
};

struct CONST_STR_INFO
{
    int32_t bank = -1;      // -1: any bank
    int32_t field = 0;
    QByteArray text;
};

// One parameter shown on a page (multi-edit form; the part-mixer form adds a bank).
struct PARAM_STR_INFO
{
    int32_t knob = -1;
    bool reserved = false;
    int32_t field = 0;
    int32_t width = 1;      // in fields
    uint16_t format = 0;    // the page's message format (address category)
    QByteArray address;     // three bytes
    uint32_t kind = 0;      // high 16 bits a special-function code, low 16 its argument
    int32_t bitMask = -1;
    int32_t dispStyle = -1;
    bool fixedLabel = false;
    QByteArray label;       // may be empty
};

struct VARIA_STR_INFO : PARAM_STR_INFO
{
    int32_t bank = -1;      // -1: any bank
};

struct LCD_STR_INFO
{
    std::vector<CONST_STR_INFO> upper;
    std::vector<VARIA_STR_INFO> lower;
};

struct FORM_PART_MIXER
{
    uint16_t format = 0;
    CStrArray entry;
    CStrArray exit;
    LCD_STR_INFO value;     // display mode 0
    LCD_STR_INFO name;      // display mode 1
};

struct FORM_MULTI_EDIT
{
    uint16_t format = 0;
    CStrArray entry;
    CStrArray exit;
    int32_t constField = 0;
    QByteArray constText;
    std::vector<PARAM_STR_INFO> items;
};

struct WINDOW_INFO
{
    enum Form : int32_t { PartMixer = 0, MultiEdit = 1 };
    QString name;
    int32_t reserved[3] = {0, 0, 0};
    int32_t form = PartMixer;
    bool loaded = false;    // its section was read
    FORM_PART_MIXER mixer;
    FORM_MULTI_EDIT edit;
    const CStrArray& entry() const { return form == PartMixer ? mixer.entry : edit.entry; }
    const CStrArray& exit() const { return form == PartMixer ? mixer.exit : edit.exit; }
};

struct WIND_FORM_INFO
{
    int32_t form = 0;
    uint8_t savedRoute[NS_Remote::kRouteBytes] = {};
};

struct windowTreeStruct
{
    bool inner = false;                      // has a child list (possibly empty)
    std::vector<windowTreeStruct> children;
    int32_t window = -1;                     // page: index into the window list
    int32_t shift = -1;                      // DispShiftNum of an inner node
};

struct TOP_WINDOW_TREE
{
    windowTreeStruct node;                   // children, window number and shift
    int32_t format = 0;                      // index into the window formats
    int32_t pageSetCondition = 0;            // 0 lamp 26 off, 1 lamp 26 on
    int32_t strip = -1;                      // 0-7, 8 the master, -1 any
    int32_t bank = -1;                       // -1 any
    QString name;
    uint8_t kind = 0;                        // first argument of openGuiWindow
};

struct KEY_ON_JUMP_INFO
{
    int32_t pageSetCondition = -1;           // -1 any, 0 lamp 26 off, 1 on
    int32_t key = 0;
    int32_t heldKey = -1;                    // -1: none
    QByteArray route;                        // ended by 255
};

struct DISP_STYLE
{
    QByteArray valueText;
    QByteArray text;
};

struct DISP_STYLE_INFO
{
    QString name;
    int32_t paramSize = 0;
    bool loaded = false;                     // false: its section failed, the entry is empty
    std::vector<DISP_STYLE> entries;
};

struct BIT_MASK
{
    QByteArray bytes;
    int32_t count = 0;
    uint32_t mask = 0;
};

struct FADER_ADDR_INFO
{
    QByteArray first;   // volume address of part i
    QByteArray second;  // of part i + 8; empty when the line has none
};

struct PARAM_SELECT_CATEGORY_DATA
{
    QByteArray name;        // up to 50 characters
    QByteArray shortName;   // up to 30 characters
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t table = -1;     // string table naming the values
};

struct PART_INFO
{
    uint8_t solo = 0;       // 127 soloed
    uint8_t on = 127;       // 127 sounding, 0 muted
    uint32_t fader = 400;   // 0..1023
    bool moved = false;
};
