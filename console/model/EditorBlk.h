#pragma once
// One memory map's description and image: its blocks with their address ranges,
// parameters and three images, and the map-wide settings of the template. Every
// parameter read and write of a map ends here. Used under the memory-API lock; no
// lock of its own.
#include "InitLink.h"
#include "MemMapTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class CIniFileJob;
class CStrArray;
class CMidiFormat;
class CPlugInBoardBlk;
class CPrmCtrl;

// What the template's [common_info] sets.
struct BLKCOMINFO
{
    bool editMode = false;
    QString initFile;
    bool partMode = false;
    bool libMode = false;
    int32_t libNumber = -1;
    int32_t initialEdit[2] = {-1, -1};
    bool storeMode = false;
    bool voiceMode = false;
};

class VANTREL_CONSOLE_EXPORT CEditorBlk
{
public:
    CEditorBlk();
    virtual ~CEditorBlk();
    CEditorBlk(const CEditorBlk&) = delete;
    CEditorBlk& operator=(const CEditorBlk&) = delete;

    void InitSet(CPrmCtrl* map, const CMidiFormat* formats);
    void SetPlugInBoards(const CPlugInBoardBlk* boards) { m_boards = boards; }
    const CPlugInBoardBlk* PlugInBoards() const { return m_boards; }
    // The multi map is linked to the voice map: re-evaluated link values go into its
    // default image.
    void SetLinkedToVoiceMap(bool linked) { m_linkedToVoiceMap = linked; }

    // Reads the template; false with ErrorText() naming file, section and line.
    bool MakeList(const QString& path);
    void DeleteList();
    const QString& ErrorText() const { return m_error; }
    const QString& TemplatePath() const { return m_path; }
    BLKCOMINFO GetComInfo() const { return m_com; }

    // ---- data access (category, address of the category's address length)
    short GetData(short cat, const unsigned char* adrs, unsigned char* out) const;
    bool GetData(short cat, const unsigned char* adrs, unsigned char* out, int delta) const;
    int GetData(short cat, int instance, const unsigned char* adrs, unsigned char* out) const;
    bool GetData(short cat, const unsigned char* adrs, unsigned char*& ptr, unsigned char& size);
    bool GetData(short cat, const unsigned char* adrs, int instance, unsigned char*& ptr, unsigned char& size);
    short GetDataRef(short cat, const unsigned char* adrs, unsigned char* out) const;
    bool GetDef(short cat, const unsigned char* adrs, unsigned char*& ptr, unsigned char& size);
    bool GetRange(short cat, const unsigned char* adrs, const unsigned char*& min,
                  const unsigned char*& max, unsigned char& size) const;
    bool GetPrmInfo(short cat, const unsigned char* adrs, PRMINFO& info) const;
    uint8_t GetParamSize(short cat, const unsigned char* adrs) const;
    bool IsParam(short cat, const unsigned char* adrs) const;
    bool GetBlkPrm(short cat, const unsigned char* adrs, BLKPRM& prm) const;
    bool SetBlkPrm(short cat, const unsigned char* adrs, const BLKPRM& prm);
    bool SetBlkData(short cat, const unsigned char* adrs, const unsigned char* data);
    short GetPrmChngSize(short cat, const unsigned char* adrs) const;
    int FormPrmChngBuffer(short cat, const unsigned char* adrs, const unsigned char* data, short size,
                          unsigned char* out) const;
    // The byte just before the parameter's data in its block's current image; false
    // for a parameter at the start of the image.
    bool GetPrecedingByte(short cat, const unsigned char* adrs, unsigned char& out) const;

    bool SetData(short cat, const unsigned char* adrs, const unsigned char* data, bool& linked,
                 LINKFLAG link, MIDIFLAG midi, bool fromSurface, unsigned char dirty);
    bool SetParamDirtyFlag(short cat, const unsigned char* adrs, unsigned char flag);

    // ---- links
    bool ResetLink(short cat, const unsigned char* adrs, const unsigned char* data, unsigned char size, short link);
    void ResetLink();
    bool Setlink(short cat, const unsigned char* adrs, const unsigned char* data, unsigned char size,
                 short link, unsigned char dirty);
    bool SetInitData(short cat, const unsigned char* adrs, const INITDATAITEM& item, bool send);
    const CinitLink& Links() const { return m_links; }

    // ---- voice, part and rule settings
    bool IsVoiceMode() const { return m_com.voiceMode; }
    const unsigned char* GetVoiceModeData(bool on, int& size);
    uint8_t GetVoiceNameTerminator() const { return m_terminator; }
    bool IsInvalidChar(const char* c, bool head) const;
    const ASSIGN_RULE_DATA* GetAssignRuleData(int i) const;
    int GetAssignRuleCount() const { return int(m_rules.size()); }
    void SendPartAssignPrmChng();
    const std::vector<int32_t>& DisabledCommands() const { return m_disabled; }

    // ---- solo, mute and part volumes (storage only)
    bool IsSoloStatus(int part) const;
    bool IsMuteStatus(int part) const;
    bool SetSoloStatus(int part, bool on);
    bool SetMuteStatus(int part, bool on);
    bool IsSoloMode() const;
    bool IsMuteMode() const;
    // Number of parts in the volume list (a part without a volume key keeps its place).
    int GetVolumeNum() const { return int(m_volumes.size()); }
    const unsigned char* GetVolumeAddress(int part, int& category) const;
    int CheckVolumeAddress(int category, const unsigned char* adrs, int len) const;
    bool CheckSoloMuteStatus(int category, const unsigned char* adrs, int len) const;
    void SendVolumeParam(int part, bool silent);

    // ---- addressing
    int GetBlkCount() const { return int(m_blocks.size()); }
    // Block i as a view; an empty record beyond the list.
    BLK GetBlkAt(int i) const;
    int AdrLen(short cat) const;
    // Reads one block section (images, ranges, parameter lines) into out; false with the
    // line and text of the first fault. names, when given, receives the parameter names.
    bool ReadBlockSection(CIniFileJob& ini, const QByteArray& section, BLOCK_SECTION& out, CStrArray* names,
                          int& faultLine, QString& fault) const;
    bool GetBassAdrs(const unsigned char* adrs, const BLK& blk, unsigned char* base) const;
    bool GetBlk(short cat, const unsigned char* adrs, unsigned char* base, BLK& blk) const;
    bool GetBlk(short cat, const unsigned char* adrs, BLK& blk, int& index) const;
    bool GetBlk(short cat, const unsigned char* adrs, BLK& blk) const;
    bool GetBlk(const BLK& key, BLK& blk) const;
    int GetBlkNumber(short cat, const unsigned char* adrs) const;
    bool GetBlkPrm(short cat, const unsigned char* adrs, BLK& blk, BLKPRM& prm) const;
    // The same block, and of the parameter only its offset in it (no copy of its tables).
    bool GetBlkPrmOffset(short cat, const unsigned char* adrs, BLK& blk, int& offset) const;
    bool GetBlkPrmAndOffset(short cat, const unsigned char* adrs, BLK& blk, BLKPRM& prm, int& index) const;
    static int GetRepeatCount(const unsigned char* adrs, short len, const BLKADRINFO& range);
    static int GetRepeatCount(const unsigned char* adrs, short len, const unsigned char* low,
                              const unsigned char* repeatHigh, const unsigned char* repeatLow);
    static int GetRepeatCount(const unsigned char* repeatLow, const unsigned char* repeatHigh, short len);
    // out: a new address (CMem::NewByte) that the caller frees with CMem::DeleteByte.
    bool GetAddress(short cat, const unsigned char* adrs, int n, unsigned char*& out) const;
    bool GetParamAddress(unsigned int block, int n, unsigned char* out) const;
    const CStrArray* GetBlockNames(int block) const;

private:
    struct Block;
    struct Loc
    {
        Block* block = nullptr;
        int blockIndex = -1;
        int prm = -1;
        int instance = 0;
        int pos = 0;
        int len = 0;
    };
    bool Locate(short cat, const unsigned char* adrs, Loc& loc, bool boardCheck = true) const;
    int FindBlock(short cat, const unsigned char* adrs, unsigned char* base) const;
    // Locate's search over the blocks, without the memo.
    bool LocateByWalk(short cat, const unsigned char* adrs, int len, int& blockIndex, int& prm, int& instance) const;
    // Where a found parameter instance lies in its block's image; always true.
    bool FillLoc(int blockIndex, int prmIndex, int instance, int len, Loc& loc) const;
    // A parameter's location, and its block as the fitted boards show it.
    bool LocateShown(short cat, const unsigned char* adrs, BLK& blk, Loc& loc) const;
    bool Fail(const QString& section, int line, const QString& what);
    bool ReadCommon(CIniFileJob& ini);
    bool ReadBlocks(CIniFileJob& ini);
    bool ReadBlock(CIniFileJob& ini, const QByteArray& section);
    bool ReadSoloMute(CIniFileJob& ini);
    void ApplyLinkTargets(short cat, const unsigned char* adrs, int len, const INITADRS_DATA& e,
                          unsigned char* target) const;
    void SendParam(const Loc& loc, const unsigned char* adrs, const unsigned char* data, int size);

    CPrmCtrl* m_map = nullptr;
    const CMidiFormat* m_formats = nullptr;
    const CPlugInBoardBlk* m_boards = nullptr;
    bool m_linkedToVoiceMap = false;
    QString m_path;
    QString m_error;
    BLKCOMINFO m_com;
    QByteArray m_voiceModeMsg;
    int32_t m_voiceModeDataPos = 0;
    uint8_t m_modeOn = 0;
    uint8_t m_modeOff = 0;
    uint8_t m_terminator = 0x20;
    QByteArray m_invalid;
    QByteArray m_invalidHead;
    std::vector<int32_t> m_disabled;
    std::vector<ASSIGN_RULE_DATA> m_rules;
    uint8_t m_partMax = 0;
    uint8_t m_boardMax = 0;
    bool m_autoMidiCh = false;
    int32_t m_partDataPos = 0;
    int32_t m_partDataStatus = 0;
    int32_t m_partWaitTime = 0;
    std::vector<PARTASSIGN_DATA> m_partAssign;
    bool m_customMode = false;
    int32_t m_saveMode = 0;
    bool m_soloMode = false;
    bool m_muteMode = false;
    int16_t m_volumeCategory = 0;
    std::vector<unsigned char> m_solo;
    std::vector<unsigned char> m_mute;
    // Per part its volume address; empty where the template gives none.
    std::vector<QByteArray> m_volumes;
    std::vector<std::unique_ptr<Block>> m_blocks;
    CinitLink m_links;
    // What Locate found for each address asked, forgotten whenever the blocks change.
    struct LocateMemo;
    std::unique_ptr<LocateMemo> m_locateMemo;
    void ForgetLocations();
    // The parameters with a link, by block and parameter index.
    std::vector<std::pair<size_t, size_t>> m_linked;
    bool m_linkedKnown = false;
};
