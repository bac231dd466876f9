#pragma once
// The surface's special parameters: an item whose kind carries one of the function
// codes 17 (category select), 32 and 37 (a part's insertion switch), 33 (voice by
// name), 34 (bank) or 35 (sustain switch) is read and changed here; a function that
// declines leaves the item to the ordinary handling. Runs under the memory-API lock.
#include "RemoteCtrlTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <vector>

class CPrmCtrl;
class CVoiceBanks;
struct _RCPARAM_INFO;

class VANTREL_CONSOLE_EXPORT CRemoteFunctionItems
{
public:
    enum Mode { Relative = 0, Absolute = 1, Default = 2 };
    enum Code : uint32_t {
        CategorySelect = 17,
        InsertSlots = 32,
        Voice = 33,
        Bank = 34,
        Sustain = 35,
        InsertState = 37,
    };
    struct Result
    {
        int32_t value = 0;
        QByteArray text;
        bool valid = true;
    };

    CRemoteFunctionItems(CPrmCtrl* map, CVoiceBanks* banks,
                      const std::vector<PARAM_SELECT_CATEGORY_DATA>* lists);

    static uint32_t CodeOf(uint32_t kind) { return kind >> 16; }
    static bool IsSpecial(uint32_t kind)
    {
        const uint32_t c = CodeOf(kind);
        return c == CategorySelect || c == InsertSlots || c == Voice || c == Bank || c == Sustain
               || c == InsertState;
    }
    static uint32_t ArgumentOf(uint32_t kind) { return kind & 0xFFFF; }

    // The reading check; true when the function answered (value, text, valid). A
    // category is named by its long name on an item of several display fields, by its
    // short name on an item of one.
    bool Read(const _RCPARAM_INFO& p, bool multiField, Result& out);
    // The change check (mode 0 relative by step, 1 absolute, 2 default); true when the
    // function made (or refused) the change itself.
    bool Change(const _RCPARAM_INFO& p, int mode, int step, bool multiField, Result& out);

    // Category stepping: from value v by step over the list; a step that leaves a
    // category lands on the nearest end of the neighbouring one. False when no
    // category holds v.
    static bool CategoryStep(const std::vector<PARAM_SELECT_CATEGORY_DATA>& list, int v, int step, int& out);

    // A parameter's value in data form (MIDI form converted, bytes joined big-endian)
    // and its size; false when it cannot be read.
    static bool ReadValue(CPrmCtrl* map, short category, const unsigned char* adrs, int32_t& value, int& size,
                          bool defaultValue = false);
    // Writes a data-form value (converted to MIDI form) as a change from the surface;
    // true when the map stored it.
    static bool WriteValue(CPrmCtrl* map, short category, const unsigned char* adrs, int32_t value);

private:
    const std::vector<PARAM_SELECT_CATEGORY_DATA>* List(uint32_t argument) const;
    static const PARAM_SELECT_CATEGORY_DATA* Holding(const std::vector<PARAM_SELECT_CATEGORY_DATA>& list, int v);
    QByteArray CategoryText(const PARAM_SELECT_CATEGORY_DATA& c, int v, bool multiField) const;
    bool ReadInsert(const _RCPARAM_INFO& p, Result& out);
    bool ChangeInsert(const _RCPARAM_INFO& p, int mode, int step, Result& out);
    bool VoiceOf(const _RCPARAM_INFO& p, int& msb, int& lsb, int& number) const;
    void WriteVoice(const _RCPARAM_INFO& p, int msb, int lsb, int number);
    bool VoiceExists(int msb, int lsb, int number) const;
    bool BankOf(int id, int& msb, int& lsb, int& voices) const;

    CPrmCtrl* m_map;
    CVoiceBanks* m_banks;
    const std::vector<PARAM_SELECT_CATEGORY_DATA>* m_lists;
};
