#pragma once
// The instrument's voice banks as voice selection offers them: preset banks, whose
// voice names come from string tables, and user banks kept in the voice map's voice
// memory; each selected by a bank-select MSB/LSB pair. Read from parts.ini. Used
// under the memory-API lock; no lock of its own.
#include "vantrel_kxe21_console_export.h"
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <cstdint>

class CPrmCtrl;

class VANTREL_CONSOLE_EXPORT CVoiceBanks
{
public:
    struct BankInfo
    {
        QString name;
        QString secondName;
        int32_t kind = 0;  // 1 user bank in voice memory, else preset bank
        int32_t msb = 0;
        int32_t lsb = 0;
        int32_t table = 0;  // user: voice-memory category; preset: string table
    };

    CVoiceBanks() = default;
    virtual ~CVoiceBanks() = default;

    // Reads GetModulePath() + "/VEXMOOR/TOVAR-VANTREL/parts.ini".
    bool InitSettings(CPrmCtrl* voiceMap);
    // Reads a given parts.ini (tests, other data folders).
    bool InitSettings(CPrmCtrl* voiceMap, const QString& partsIni);
    // The map whose display tables hold the preset names when the voice map has none
    // (the multi map); null: the voice map's master.
    void SetPresetNameMap(CPrmCtrl* map) { m_presetNames = map; }

    int GetBankCount() const { return int(m_banks.size()); }
    bool GetBankTableID(int msb, int lsb, int& table) const;
    bool GetBankByID(int index, int& kind, int& msb, int& lsb, QString& name, QString& secondName,
                     int* table) const;
    bool GetBankNameID(int msb, int lsb, QString& name, int& index) const;
    int GetNumVoices(int msb, int lsb) const;
    bool GetVoiceNameShort(int msb, int lsb, int voice, QString& name) const;
    // A preset or board bank answers every program with its number and its table's
    // entry, which is empty past the names the table holds.
    bool GetVoiceName(int msb, int lsb, int voice, QString& text) const;
    // A board bank is a preset line whose table names no voice-memory category: its
    // voices are known by the names of that string table only. The name of voice
    // `voice` of the board bank with that table; false for any other table.
    bool GetTableVoiceName(int table, int voice, QString& name) const;

private:
    const BankInfo* Find(int msb, int lsb) const;
    bool IsVoiceCategory(int table) const;
    QString PresetName(int table, int voice) const;

    static quint64 BankKey(int msb, int lsb) { return quint64(uint32_t(msb)) << 32 | uint32_t(lsb); }

    QList<BankInfo> m_banks;
    // Asked for every voice of every bank: the first bank of each bank select, and
    // the tables of the preset and board banks, without a walk through the banks.
    QHash<quint64, int> m_firstBank;
    QSet<int> m_presetTables;
    CPrmCtrl* m_voiceMap = nullptr;
    CPrmCtrl* m_presetNames = nullptr;
};
