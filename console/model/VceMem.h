#pragma once
// The voice memory of one memory map: categories (banks) of stored voices, each voice
// the bytes of a list of the map's blocks back to back; copies between stored voices
// and the edit buffer, names, init voices, the compare cache, addressed access for
// bulk and library data, memory limits and the preset cache file. Used under the
// memory-API lock; no lock of its own. Every category and voice index is checked:
// negative or beyond the list fails and changes nothing.
#include "MemMapTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

class CEditorBlk;
class CIniFileJob;
class CMidiFormat;
class CPrmCtrl;
struct LIBHDRDATA;
struct LIBVCEDATA_ADRS;

// One block of a voice: its address and where its bytes sit inside the voice.
struct VCEMEM_ADRS
{
    unsigned char address[kMaxAdrLen] = {};
    int32_t offset = 0;
    int16_t category = 0;
    int32_t size = 0;  // the block's memory size
};

struct VCEMEM_DUPLICATE_ADRS
{
    unsigned char first[kMaxAdrLen] = {};
    unsigned char second[kMaxAdrLen] = {};
    int32_t offset = 0;
    int16_t category = 0;
};

struct VCEMEM_MEM_INFO
{
    int32_t maximum = 0;  // 0: no limit
    bool hasAddress = false;
    unsigned char address[kMaxAdrLen] = {};
    int16_t category = 0;
};

struct VCEMEM_INIT_INFO
{
    int32_t category = 0;
    std::vector<unsigned char> data;
};

struct PARAM_BLKADRINFO
{
    uint16_t number = 0;
    unsigned char low[kMaxAdrLen] = {};
    unsigned char high[kMaxAdrLen] = {};
    unsigned char repeatLow[kMaxAdrLen] = {};
    unsigned char repeatHigh[kMaxAdrLen] = {};
    int32_t stride = 0;
};

struct PARAM_INFO
{
    std::vector<PARAM_BLKADRINFO> items;
};

struct VCEMEM_INFO
{
    uint8_t edit = 0;
    uint8_t current = 0;
    QString name;
    // voice_cate_adrs: address category, address, two numbers
    uint8_t cateAdrsCategory = 0;
    unsigned char cateAdrs[kMaxAdrLen] = {};
    uint8_t cateNumber = 0;
    uint16_t cateNumber2 = 0;
    // voice_name_adrs: address category, address, name length, number
    uint8_t nameAdrsCategory = 0;
    unsigned char nameAdrs[kMaxAdrLen] = {};
    uint8_t nameLength = 0;
    uint16_t nameNumber = 0;
    uint8_t nameDuplicate = 1;
    uint16_t voiceDefNo = 0;
    uint16_t voiceNameDefLen = 0xFFFF;
    uint8_t presetVoice = 0;
    int16_t bulkOutList = -1;
    uint8_t voiceNum = 0;
    uint8_t templateNo = 0;
    int32_t voiceSize = 0;
    std::vector<VCEMEM_ADRS> blocks;
    // One image per voice; empty for a current category. Moves and swaps exchange
    // the images' storage, not their bytes.
    std::vector<std::vector<unsigned char>> voices;
};

struct VCEMEM_CATEGORYINFO
{
    char name[64] = {};
    uint8_t templateNo = 0;
    uint8_t voiceNum = 0;
    uint8_t edit = 0;
    uint8_t nameLength = 0;
};

class VANTREL_CONSOLE_EXPORT CVceMem
{
public:
    CVceMem() = default;
    virtual ~CVceMem();
    CVceMem(const CVceMem&) = delete;
    CVceMem& operator=(const CVceMem&) = delete;

    // ---- set-up and tables
    void InitSet(CEditorBlk* editorBlk, const CMidiFormat* formats, CPrmCtrl* map);
    // Reads the voice memory sections; false with ErrorText() naming file, section and line.
    bool MakeList(const QString& path);
    void DeleteList();
    const QString& ErrorText() const { return m_error; }
    const QString& TemplatePath() const { return m_path; }

    int GetVoiceMemCategoryNum() const { return int(m_categories.size()); }
    // An empty record beyond the list.
    VCEMEM_CATEGORYINFO GetVoiceMemCategoryInfo(int cat) const;
    const VCEMEM_INFO* GetCategory(int cat) const;
    const unsigned char* GetVoiceCateAdrs(int cat) const;
    bool IsPresetVoiceCategory(int cat) const;
    int GetBulkOutListNo(int cat) const;
    // Index of the first category with that template number (bank type); -1 when none.
    int FindCategoryByTemplate(int templateNo) const;
    int GetVoiceMemTemplateSize() const { return m_templateNames.size(); }
    QString GetVoiceMemTemplateName(int n) const { return m_templateNames.at(n); }
    const PARAM_INFO* GetWriteParamInfo(int n) const;
    unsigned char* GetVoiceMem(int cat, int voice, int* size);
    // Every voice of a category that GetVoiceMem hands out, in order, without a lookup
    // per voice: fn(bytes, voice size).
    template <typename Fn>
    void ForEachStoredVoice(int cat, Fn&& fn)
    {
        if (cat < 0 || cat >= GetVoiceMemCategoryNum())
            return;
        VCEMEM_INFO& c = m_categories[size_t(cat)];
        if (c.current)
            return;
        const size_t count = std::min(size_t(c.voiceNum), c.voices.size());
        for (size_t v = 0; v < count; ++v)
            if (unsigned char* bytes = c.voices[v].data())
                fn(bytes, int(c.voiceSize));
    }
    const unsigned char* GetInitVoiceData(int cat) const;

    // ---- copy and move
    bool CopyVoiceMem(int srcCat, int srcVoice, int dstCat, int dstVoice);
    // A voice image from a buffer of `length` bytes (at least the target's voice size);
    // the stored name is then made unique.
    bool CopyVoiceMem(int firstCat, const unsigned char* bytes, int length, int cat, int voice);
    bool MoveVoiceMem(int cat, int from, int to, int count);
    bool SwapVoiceMem(int cat, int a, int b);
    bool CopyToEditBuff(int cat, int voice, bool all);
    bool CopyFromEditBuff(int cat, int voice);
    bool CopyToTempBuff(int cat, const QByteArray* buffer);
    bool CopyTempBuff(int cat, QByteArray* buffer);
    bool MakeTempData(int cat, int voice);
    bool CopyTempData(int cat, int voice);
    void DeleteTempData() { m_temp.clear(); }
    bool HasTempData() const { return !m_temp.empty(); }
    // Compare cache of the edit buffer's category (the map's edit-buffer origin); a
    // null buffer means the own cache. False when nothing was done.
    bool cacheEditBuffer(QByteArray* buffer, bool board);
    bool restoreEditBuffer(QByteArray* buffer, bool board);
    // The same for a given category.
    bool cacheEditBuffer(int cat, QByteArray* buffer, bool board);
    bool restoreEditBuffer(int cat, QByteArray* buffer, bool board);
    bool InitVoiceMem(int cat, int voice);
    void SetInitVoiceData(bool fromDefault);

    // ---- addressed access inside a stored voice
    bool GetAdrsPos(int cat, int voice, const unsigned char* adrs, unsigned char*& pos, int& size, int& byteCount);
    bool GetAdrsPos(int cat, int voice, const unsigned char* adrs, int instance, unsigned char*& pos, int& size,
                    int& byteCount);
    // data: the parameter's bytes in the stored voice; size: the spacing of its block's instances.
    bool GetData(int cat, int voice, const unsigned char* adrs, unsigned char*& data, int& byteCount, int& size,
                 bool fallback = false);
    bool GetData(int cat, int voice, const unsigned char* adrs, int instance, unsigned char*& data,
                 int& byteCount, int& size);
    bool SetData(int cat, int voice, const unsigned char* adrs, const unsigned char* bytes, int& byteCount,
                 int& size);
    // One whole block instance as a bulk block brings it; false when `length` is short.
    bool SetBulk(int cat, int voice, const unsigned char* adrs, const unsigned char* bytes, int length,
                 bool& changed);
    bool SetBulk(int cat, int voice, const unsigned char* adrs, const unsigned char* bytes, int length);
    void CheckDuplicateBlk(bool toFirst);
    bool CheckDuplicateAdrs(int addressCategory, unsigned char* adrs, int length, bool toFirst) const;

    // ---- names
    QString GetVoiceName(int cat, int voice);
    // The bytes of that name (its Latin-1 text) where the voice holds them; their count,
    // 0 when there is none.
    int VoiceNameBytes(int cat, int voice, const unsigned char*& bytes);
    // The voice's bytes from its name field on, as the voice holds them (the name and
    // what follows it); their count to the voice's end, 0 when there is none.
    int NameFieldBytes(int cat, int voice, const unsigned char*& bytes);
    bool SetVoiceName(int cat, int voice, const QString& name);
    bool FindVoiceName(int cat, const QString& name, int exceptVoice);
    // Gives up (false, name unchanged) when no candidate up to 999 is free.
    bool ChangeVoiceName(int cat, QString& name, int maxLength);
    // The renaming rule itself: base (cut to maxLength - 3) and n = 1..999 right-aligned
    // in three characters; the first candidate `taken` refuses not becomes the name.
    static bool MakeUniqueName(QString& name, int maxLength, const std::function<bool(const QString&)>& taken);

    // ---- memory limits
    bool IsMemoryCheck(int cat) const;
    bool IsMemoryAddress(int cat, const LIBHDRDATA* header) const;
    int GetMemoryCateMaxSize(int cat) const;
    int GetMemorySize(int cat, int voice, const LIBVCEDATA_ADRS& adrs);
    bool IsMemoryFull(int cat);
    int GetMemoryCateSize(int cat);

    // ---- preset cache file
    bool StorePresetVoiceData(const QString& file) const;
    bool LoadPresetVoiceData(const QString& file);

private:
    bool Fail(const QString& section, int line, const QString& what);
    bool ReadCategory(CIniFileJob& ini, const QByteArray& section);
    bool ReadDuplicates(CIniFileJob& ini);
    bool ReadTemplates(CIniFileJob& ini);
    void InitBlk();
    int AdrLen(int category) const;
    bool ValidVoice(int cat, int voice) const;
    bool StoredVoice(int cat, int voice) const;
    bool BlockImage(const VCEMEM_ADRS& b, BLK& blk, int& offset) const;
    // A voice image of a category's layout copied into its blocks' current images
    // (with `all` also their default and reference images), and back out of them.
    void PutIntoBlocks(const VCEMEM_INFO& c, const unsigned char* src, bool all) const;
    void TakeFromBlocks(const VCEMEM_INFO& c, unsigned char* dst) const;
    bool Locate(int cat, int voice, const unsigned char* adrs, int instance, unsigned char*& pos, int& size,
                int& byteCount, const unsigned char** slotEnd = nullptr);
    void MakeNameUnique(int cat, int voice);
    int CacheCategory() const;
    void FindNameOffsets();
    unsigned char* NameField(int cat, int voice);

    std::vector<VCEMEM_INFO> m_categories;
    std::vector<VCEMEM_INIT_INFO> m_init;
    std::vector<VCEMEM_DUPLICATE_ADRS> m_duplicates;
    CStrArray m_templateNames;
    QString m_path;
    CEditorBlk* m_editorBlk = nullptr;
    const CMidiFormat* m_formats = nullptr;
    CPrmCtrl* m_map = nullptr;
    std::vector<PARAM_INFO> m_templates;
    std::vector<bool> m_templatePresent;
    std::vector<VCEMEM_MEM_INFO> m_memInfo;
    std::vector<unsigned char> m_temp;
    QByteArray m_cache;
    QString m_error;
    // Where the name field lies in a stored voice of each category (-1: nowhere). Every
    // voice of a category has it at the same place while the blocks never change (a map
    // without plug-in boards), so a walk over all names finds it once.
    std::vector<int> m_nameOffsets;
};
