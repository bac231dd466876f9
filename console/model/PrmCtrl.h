#pragma once
// One memory map of the instrument (mode 0 the multi, mode 1 the voice edit buffer):
// its message formats, blocks and images, styles, links, bank block lists, library
// header templates, voice memory, bulk engine, copy and special-parameter rules and
// plug-in boards, built from one template file, with its two MIDI ports and the queue
// of changed parameter addresses. Used under the memory-API lock unless a method says
// otherwise.
#include "AsgnStyle.h"
#include "BlkAdrs.h"
#include "CopyBlkInfo.h"
#include "CopyPrmInfo.h"
#include "DispStyle.h"
#include "EditorBlk.h"
#include "Hdr.h"
#include "PlugInBoardBlk.h"
#include "SpPrmInfo.h"
#include "console/bulk/MidiFormat.h"
#include "console/remote/RemoteCtrlMng.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QMap>
#include <QRecursiveMutex>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class CBulk;
class CVceMem;
struct BULKOUTITEM;
struct VCEMEM_CATEGORYINFO;
class IMemAPI;
class TMIDIProxyInOut;
struct _RCPARAM_INFO;

struct EditorAddressChange
{
    int element = 0;
    int channel = 0;
    int parameter = 0;
};

// Folder of the bundle: the directory that holds its Resources folder.
VANTREL_CONSOLE_EXPORT QString GetModulePath();
VANTREL_CONSOLE_EXPORT void StringTrimRight(QString& text);

class VANTREL_CONSOLE_EXPORT CPrmCtrl
{
public:
    // Part-status pseudo-elements of the changed-address queue.
    static constexpr int kPartStatusElement = 1;  // parameter 0 mute, 1 solo, 2 insert
    static constexpr int kPartSwitchElement = 2;  // parameter n: part switch n
    static constexpr int kMaxInsertSwitches = 8;

    explicit CPrmCtrl(IMemAPI* api = nullptr);
    virtual ~CPrmCtrl();
    CPrmCtrl(const CPrmCtrl&) = delete;
    CPrmCtrl& operator=(const CPrmCtrl&) = delete;

    void Init();
    // Builds the map of a mode from the data folder beside the bundle.
    bool CreatePrmCtrl(int mode);
    // Builds the map of a mode from a template file (tests and the bench use this);
    // the preset and surface folders stay those of the bundle.
    bool CreatePrmCtrl(int mode, const QString& templatePath);
    // The building sequence; false with ErrorText() naming file, section and line. The
    // parts after the one that failed stay empty.
    bool MakeList();
    const QString& ErrorText() const { return m_error; }

    int GetMode() const { return m_mode; }
    bool IsRemoteCtrlMode() const { return m_mode == 0; }
    const QString& TemplatePath() const { return m_templatePath; }
    const QString& TemplateFolder() const { return m_templateFolder; }
    const QString& BaseName() const { return m_baseName; }
    const QString& ModulePath() const { return m_modulePath; }
    // Folder of the multi map's data, surface template and preset cache (ends without "/").
    QString DataFolder() const;
    BLKCOMINFO GetComInfo() const { return m_editorBlk.GetComInfo(); }
    IMemAPI* MemAPI() const { return m_api; }

    // ---- links between the two maps (set by the synth memory after both are built)
    CPrmCtrl* Master() const { return m_master; }
    void SetMaster(CPrmCtrl* master) { m_master = master ? master : this; }
    CPrmCtrl* VoiceMap() const { return m_voiceMap; }
    // A map linked to a voice map keeps re-evaluated link values in its default image.
    void SetVoiceMap(CPrmCtrl* voiceMap)
    {
        m_voiceMap = voiceMap;
        m_editorBlk.SetLinkedToVoiceMap(voiceMap != nullptr);
    }
    bool IsPlugInBoardsFlag() const { return m_plugInBoards; }
    void SetPlugInBoardsFlag(bool on) { m_plugInBoards = on; }

    // Set while the bulk engine sends a dump; cleared by Init and when the send stops.
    void SetBulkOutRunning(bool on) { m_bulkOutRunning = on; }
    bool IsBulkOutRunning() const { return m_bulkOutRunning; }

    // ---- preset voices (voice map)
    // The preset voice cache the editor writes and reads: "TOVAR-VANTPRESETS" in the
    // user's data folder ("VEXMOOR/TOVAR-VANTREL" under the XDG data home), or the file
    // that VANTREL_PRESET_CACHE names (tests give each process its own). Nothing is
    // written beside the libraries: a copy in the install's data folder serves only a
    // user who has none of their own.
    QString PresetCacheFile() const;
    QString InstalledPresetCacheFile() const;
    bool LoadPresetVoice();
    bool LoadPresetVoice(const QString& folder);
    void StorePresetVoice();
    bool StorePresetVoice(const QString& folder);
    bool IsPresetVoiceLoaded() const { return m_presetVoiceLoaded; }
    // Temporary voice bytes of the synth memory.
    QByteArray& ByteBuffer() { return m_byteBuffer; }

    // ---- ports; any thread that holds the memory-API lock
    TMIDIProxyInOut* MIDI(int port) const;
    void SetMIDI(TMIDIProxyInOut* io, int port);
    void SuppressMIDI(bool suppressed) { m_midiSuppressed = suppressed; }
    void SetMidiSuppressed(bool suppressed) { m_midiSuppressed = suppressed; }
    void setDeviceID(unsigned char id) { m_deviceId = id; }
    unsigned char GetDeviceID() const { return m_deviceId; }
    void SetMidiCh(unsigned char ch) { m_midiCh = ch; }
    unsigned char GetMidiCh() const { return m_midiCh; }
    unsigned char GetRuleValue1() const { return m_rule1; }
    unsigned char GetRuleValue2() const { return m_rule2; }
    int GetRuleValue3() const { return m_rule3; }
    // The two flags the memory API sets when the surface's ports are assigned; the
    // control-surface manager reads them to decide whether the surface is active.
    void SetRemoteCtrlFlags(bool runningAsPlugIn, bool portsAssigned)
    {
        m_remotePlugIn = runningAsPlugIn;
        m_remotePorts = portsAssigned;
    }
    bool IsRunningAsPlugIn() const { return m_remotePlugIn; }
    bool IsRemotePortsAssigned() const { return m_remotePorts; }

    // The edit echo for the control surface; returns 0. Overridable so that an
    // observer can stand between the map and the surface.
    virtual int32_t ChangeParam(_RCPARAM_INFO* info);

    // ---- parameters
    bool GetPrmInfo(short category, const unsigned char* adrs, PRMINFO& info) const;
    static int GetCnvData(int n, const unsigned char* bytes);
    static void GetData(int value, unsigned char* bytes, int n);
    // Stores, sends and links as the flags ask, then applies the special-parameter rules.
    bool SetData(short category, const unsigned char* adrs, const unsigned char* data, bool& linked,
                 LINKFLAG link, MIDIFLAG midi, bool fromSurface, unsigned char dirty);
    bool MidiToData(short category, const unsigned char* adrs, const unsigned char* in, unsigned char* out) const;
    bool DataToMidi(short category, const unsigned char* adrs, const unsigned char* in, unsigned char* out) const;
    bool MidiToDataMin(short category, const unsigned char* adrs, unsigned char* out) const;
    bool MidiToDataMax(short category, const unsigned char* adrs, unsigned char* out) const;
    // Text of a value given in data form (assign style already applied, as MidiToData
    // gives it); false when the parameter has no text form.
    bool GetValToStr(short category, const unsigned char* adrs, const unsigned char* data, QString& out) const;
    bool GetValToStr(short category, const unsigned char* adrs, const unsigned char* data, char* out,
                     int outSize) const;
    QString GetStrTblKeyData(unsigned table, unsigned value) const;

    short GetData(short category, const unsigned char* adrs, unsigned char* out) const
    {
        return m_editorBlk.GetData(category, adrs, out);
    }
    int GetData(short category, const unsigned char* adrs, unsigned char* out, int instance) const
    {
        return m_editorBlk.GetData(category, instance, adrs, out);
    }
    // Pointer into the current image. With the re-send flag set, a read of a
    // voice-select address re-sends that part's voice parameters.
    bool GetData(short category, const unsigned char* adrs, unsigned char*& bytes, unsigned char& size);
    bool GetDef(short category, const unsigned char* adrs, unsigned char*& bytes, unsigned char& size)
    {
        return m_editorBlk.GetDef(category, adrs, bytes, size);
    }
    bool GetAddress(short category, const unsigned char* adrs, int n, unsigned char*& out) const
    {
        return m_editorBlk.GetAddress(category, adrs, n, out);
    }
    bool GetParamAddress(unsigned int block, int n, unsigned char* out) const
    {
        return m_editorBlk.GetParamAddress(block, n, out);
    }
    short GetPrmChngSize(short category, const unsigned char* adrs) const
    {
        return m_editorBlk.GetPrmChngSize(category, adrs);
    }
    int FormPrmChngBuffer(short category, const unsigned char* adrs, const unsigned char* data, short size,
                          unsigned char* out) const
    {
        return m_editorBlk.FormPrmChngBuffer(category, adrs, data, size, out);
    }
    bool ResetLink(short category, const unsigned char* adrs, const unsigned char* data, unsigned char size,
                   short link)
    {
        return m_editorBlk.ResetLink(category, adrs, data, size, link);
    }
    void ResetLink() { m_editorBlk.ResetLink(); }
    bool SetBlkData(short category, const unsigned char* adrs, const unsigned char* data)
    {
        return m_editorBlk.SetBlkData(category, adrs, data);
    }

    // ---- block queries
    int GetBlkCount() const { return m_editorBlk.GetBlkCount(); }
    int GetBlkNumber(const unsigned char* adrs) const { return m_editorBlk.GetBlkNumber(0, adrs); }
    int GetBlkParamCount(int block) const;
    unsigned char GetBlkDirtyFlag(int block) const;
    unsigned char GetParamDirtyFlag(int block, int index) const;
    // Parameter count, block dirty byte and dirty array; 0 for a block beyond the list.
    int GetBlkAndParamDirtyFlag(int block, unsigned char& blockFlag, unsigned char*& flags) const;
    // True for an address of the category; records nothing.
    bool SetParamDirtyFlag(short category, const unsigned char* adrs, unsigned char flag);
    int GetStrTblNum() const { return m_master->m_dispStyle.TableCount(); }
    int GetAssignTblNum() const { return m_asgnStyle.StyleCount(); }
    MIDI_FRMT GetMidiFrmtInfo(int index) const { return m_midiFormat.GetMidiFrmtInfo(index); }
    uint32_t GetAdrCateInfo(int category) const { return m_midiFormat.GetMidiTypeInfo(category); }
    QString GetLibFileExtensionName() const { return QString(); }

    // ---- library list columns (header template `header`, column `column`, item `index`)
    QString GetLibItemName(int header, short category, int column, int index) const;
    bool GetLibItemData(int header, short category, int column, int index, QByteArray& out) const;

    // ---- voice memory forwards (false, 0 or null without a voice memory)
    int GetLibCateNum() const;
    // The summary of one category (an empty record beyond the list) or of all of them.
    VCEMEM_CATEGORYINFO GetLibCateInfo(int category) const;
    std::vector<VCEMEM_CATEGORYINFO> GetLibCateInfoAll() const;
    // The bulk engine's edit-buffer item; null beyond its list.
    const BULKOUTITEM* GetBulkOutEditBuffItemInfo(short item) const;
    bool CopyToEditBuff(short category, short voice, bool all);
    bool CopyFromEditBuff(short category, short voice);
    bool MoveLibItem(short category, short from, short to, short count);
    bool CopyVoiceMem(short srcCategory, short srcVoice, short dstCategory, short dstVoice);
    unsigned char* GetVoiceMem(short category, short voice, int* size);
    const unsigned char* GetInitVoiceData(short category);
    bool SetVoiceName(short category, short voice, const QString& name);
    bool InitVoice(short category, short voice);

    // ---- plug-in boards (they live in the multi map; the voice map hands these on)
    void SelectPlugInBoard(int board, bool entering);
    void InitPlugInBoardData();
    bool IsPlugInBoardSelecting() const { return m_boardSelecting; }

    // ---- edit-buffer origin
    // 0: category and voice recorded; 1: only a bank type (category := first voice
    // category of that type); -1: nothing known.
    int GetEditBufferInfo(short& bankType, short& category, short& voice) const;
    void SetEditBufferBankType(short bankType) { m_editBankType = bankType; }
    void SetEditBufferOrigin(short category, short voice)
    {
        m_editCategory = category;
        m_editVoice = voice;
    }

    // ---- changed-address queue; any thread, under the queue's own recursive mutex
    // Never calls into the memory API while the queue mutex is held.
    void EditorAddressChanged(const EditorAddressChange& change);
    // Worker thread. Takes the next pending address after the one taken last; false
    // when none is pending.
    bool GetEditorAddressChange(int& element, int& channel, int& parameter);
    // Called once per newly pending address in place of the memory API's worker (tests).
    void SetChangeWaker(std::function<void()> waker);
    int PendingChangeCount() const;

    // ---- voice-select trigger
    // When adrs is a part's program number (a trigger of the copy rules), copies the
    // voice that the part's bank select and value name into the part; true when it ran.
    bool CheckTriggerAddres(short category, const unsigned char* adrs, int adrsLen, int size,
                            const unsigned char* value, bool flag);
    // After a multi dump: parts whose bank names no voice category are reset to the first
    // bank, program 0, and get that voice; true when one part was reset.
    bool CopyParamSet();
    void SetResendFlag(bool on) { m_resend = on; }
    bool IsResendFlag() const { return m_resend; }
    // Copies voice data into the editor block by block copy rule r (instance p, trigger
    // value v, n bytes per voice-select parameter, preset-bank file folder).
    void CopyBlkData(int r, const COPY_BLKADRINFO& unused, int p, unsigned long v, int n, const QString& folder);

    // ---- solo, mute, insert and part switches (multi map)
    bool IsMuteStatus(int part) const { return m_editorBlk.IsMuteStatus(part); }
    bool IsSoloStatus(int part) const { return m_editorBlk.IsSoloStatus(part); }
    bool IsMuteMode() const { return m_editorBlk.IsMuteMode(); }
    bool IsSoloMode() const { return m_editorBlk.IsSoloMode(); }
    void SetMuteStatus(int part, bool mute, bool send);
    void SetSoloStatus(int part, bool solo, bool send);
    void ResetSoloStatus(bool value);
    void ResetMuteStatus(bool value);
    void SendVolumeParam(int part, bool silence) { m_editorBlk.SendVolumeParam(part, silence); }
    void SendVolumeParam();
    void ResetSoloMuteMode();
    bool IsInsertStatus(int part);
    void SetInsertStatus(int part, bool on);
    void ClearIrrelevantStatus();
    bool IsPartSwitchStatus(int part, int sw);
    void SetPartSwitchStatus(int part, int sw, bool on);

    // ---- parts
    CEditorBlk& EditorBlk() { return m_editorBlk; }
    const CEditorBlk& EditorBlk() const { return m_editorBlk; }
    const CMidiFormat& MidiFormat() const { return m_midiFormat; }
    const CAsgnStyle& AsgnStyle() const { return m_asgnStyle; }
    const CDispStyle& DispStyle() const { return m_dispStyle; }
    const CBlkAdrs& BlkAdrs() const { return m_blkAdrs; }
    const CHdr& Hdr() const { return m_hdr; }
    CPlugInBoardBlk& PlugInBoards() { return m_boards; }
    const CPlugInBoardBlk& PlugInBoards() const { return m_boards; }
    CRemoteCtrlMng& RemoteCtrl() { return m_remote; }
    const CCopyBlkInfo& CopyBlkInfo() const { return m_copyBlk; }
    const CCopyPrmInfo& CopyPrmInfo() const { return m_copyPrm; }
    const CSpecialPrmInfo& SpecialPrmInfo() const { return m_specialPrm; }
    // Null until the voice memory's and bulk engine's code is linked in.
    CVceMem* VceMem() const { return m_vceMem.get(); }
    CBulk* Bulk() const { return m_bulk.get(); }

private:
    bool Fail(const QString& text);
    void ClearParts();
    bool RunTrigger(short category, const unsigned char* adrs, int adrsLen, int size,
                    const unsigned char* value, bool flag, bool resend);
    void ParamCopy(const PRM_ADDRESS& src, const PRM_ADDRESS& dst, int voiceCategory, int voice, bool flag,
                   bool resend);
    // Reads a parameter of category 0 as a data value (assign style applied); false when
    // it cannot be read or converted.
    bool ReadDataValue(const unsigned char* adrs, uint32_t& value, int& size);
    bool WriteDataValue(const unsigned char* adrs, uint32_t value, int size);
    void QueueChange(int element, int channel, int parameter)
    {
        EditorAddressChanged({element, channel, parameter});
    }

    int m_mode = 0;
    CPrmCtrl* m_master = this;
    bool m_plugInBoards = true;
    bool m_bulkOutRunning = false;
    CEditorBlk m_editorBlk;
    std::unique_ptr<CBulk> m_bulk;
    CMidiFormat m_midiFormat;
    std::unique_ptr<CVceMem> m_vceMem;
    QString m_templatePath;
    CBlkAdrs m_blkAdrs;
    QString m_baseName;
    QString m_templateFolder;
    CCopyBlkInfo m_copyBlk;
    CCopyPrmInfo m_copyPrm;
    CSpecialPrmInfo m_specialPrm;
    CPlugInBoardBlk m_boards;
    bool m_boardSelecting = false;
    IMemAPI* m_api = nullptr;
    CRemoteCtrlMng m_remote;
    CDispStyle m_dispStyle;
    CAsgnStyle m_asgnStyle;
    CHdr m_hdr;
    QString m_modulePath;
    QByteArray m_byteBuffer;
    bool m_presetVoiceLoaded = false;
    TMIDIProxyInOut* m_ports[2] = {nullptr, nullptr};
    bool m_midiSuppressed = false;
    CPrmCtrl* m_voiceMap = nullptr;
    bool m_resend = false;
    bool m_remotePlugIn = false;
    bool m_remotePorts = false;
    short m_editBankType = -1;
    short m_editCategory = short(0xFFFF);
    short m_editVoice = 0;
    unsigned char m_deviceId = 0;
    unsigned char m_midiCh = 0;
    unsigned char m_rule1 = 0;
    unsigned char m_rule2 = 0;
    int m_rule3 = 0;
    QString m_error;
    mutable QRecursiveMutex m_changedMutex;
    QMap<unsigned, bool> m_changed;
    int m_pending = 0;
    unsigned m_lastTaken = 0;
    bool m_taken = false;
    std::function<void()> m_waker;
};
