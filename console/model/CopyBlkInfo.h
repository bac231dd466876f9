#pragma once
// Block copy rules of one memory map, [PrmCopyInfo0], [PrmCopyInfo1], ...: a block-level
// description of voice selection per rule (voice MSB, LSB, program and trigger address
// ranges, the blocks copied per trigger value, an optional memory budget) and the lookup
// of preset voices in "PresetBankInfo.ini". Read once; read-only afterwards.
#include "MemMapTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class CIniFileJobCache;
class CMidiFormat;
class CPrmCtrl;

// Bank select MSB in the lowest byte, then LSB, then the program number.
using VOICE_BANK_DATA = uint32_t;

struct COPY_BLKADRINFO
{
    QByteArray low;
    QByteArray high;
    QByteArray repeatLow;
    QByteArray repeatHigh;
    int stride = 0;
    bool IsSet() const { return !low.isEmpty(); }
};

struct COPY_BLK_ADRS
{
    QByteArray address;
    int category = 0;
};

struct COPY_TRIGGER_BLK
{
    int value = 0;
    std::vector<COPY_BLK_ADRS> blocks;
};

struct COPY_BLK_INFO
{
    unsigned char emptyVoice[3] = {0, 0, 0};
    COPY_BLKADRINFO bank[4];  // voice MSB, voice LSB, voice program, trigger
    std::vector<COPY_TRIGGER_BLK> triggers;
    int memoryMaxSize = 0;  // 0: no memory budget
    int memoryOffsetSize = 0;
    COPY_BLKADRINFO memoryCheck;
    COPY_BLKADRINFO memoryAddress;
    QByteArray memoryBlock;
    unsigned short memoryBlockCategory = 0;
    bool paramUpdate = false;
};

struct BANK_DATA
{
    unsigned char msb = 0;
    unsigned char lsb = 0;
    unsigned char program = 0;
    int category = -1;
    int voice = -1;
};

class VANTREL_CONSOLE_EXPORT CCopyBlkInfo
{
public:
    enum BankAdrs { kVoiceMSB = 0, kVoiceLSB = 1, kVoicePC = 2, kTrigger = 3 };

    CCopyBlkInfo() = default;
    virtual ~CCopyBlkInfo();
    CCopyBlkInfo(const CCopyBlkInfo&) = delete;
    CCopyBlkInfo& operator=(const CCopyBlkInfo&) = delete;

    void InitSet(const CMidiFormat* formats, CPrmCtrl* map);
    // Reads the rules up to the first missing or faulty section; always true.
    bool MakeList(const QString& path);
    void DeleteList();

    int GetRuleCount() const { return int(m_rules.size()); }
    const COPY_BLK_INFO* GetRule(int rule) const;
    int GetCopyBlkAdrsNum(int rule) const;
    // The n-th trigger entry of a rule; null outside the lists.
    const COPY_TRIGGER_BLK* GetCopyBlkAdrs(int rule, int n) const;
    // Bank address k (BankAdrs); null outside the lists.
    const COPY_BLKADRINFO* GetBankAdrsInfo(int rule, int k) const;
    bool IsEmptyVoice(int rule, VOICE_BANK_DATA v) const;
    bool IsParamUpdate(int rule) const;
    int GetMemoryOffsetSize(int rule) const;
    const QByteArray* GetMemoryBlk(int rule) const;
    bool IsMemoryFull(int rule, int size) const;
    // Sum of the memory check parameter over the instances except `excluded`.
    int GetMemorySize(int rule, int excluded, bool& valid) const;
    // The memory check parameter (instance) of a stored voice of the voice memory.
    int GetMemorySize(int rule, int instance, int category, int voice) const;
    bool SetMemorySize(int rule, int unused, int size);
    // Looks msb, lsb and program up in <folder>PresetBankInfo.ini.
    bool GetBankData(const QString& folder, BANK_DATA& data) const;

    static int GetCnvData(int n, const unsigned char* bytes);
    static void ConvIntToData(int n, int value, unsigned char* bytes);

private:
    bool ReadRule(class CIniFileJob& ini, COPY_BLK_INFO& rule) const;
    bool ReadRange(CIniFileJob& ini, const char* key, COPY_BLKADRINFO& out, bool& present) const;
    // Number of instances of a range's parameter from its low to its high address.
    static int InstanceCount(const COPY_BLKADRINFO& r);
    // The voices each category of the map holds, in category order.
    std::vector<int> CategoryVoices() const;
    // Fills m_presets from a PresetBankInfo.ini image, as far as each category holds voices.
    void IndexPresets(const std::shared_ptr<const CIniFileJobCache>& image, std::vector<int> voices) const;

    const CMidiFormat* m_formats = nullptr;
    CPrmCtrl* m_map = nullptr;
    QString m_path;
    std::vector<COPY_BLK_INFO> m_rules;

    // The preset voices of the file read last: a lookup asks for one voice, but a miss
    // reads every voice of every category. Kept until the file's image or the
    // categories change; lookups may come from any thread.
    struct PresetIndex
    {
        std::weak_ptr<const CIniFileJobCache> image;
        std::vector<int> voices;
        // Bank select and program (VOICE_BANK_DATA) -> first category and voice listing them.
        QHash<VOICE_BANK_DATA, std::pair<int, int>> first;
    };
    mutable QMutex m_presetMutex;
    mutable PresetIndex m_presets;
};
