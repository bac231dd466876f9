#pragma once
// One memory map of the instrument (mode 0 the multi, mode 1 the voice edit buffer):
// its message formats, blocks and images, styles, links, bank block lists and
// library header templates, built from one template file, with its two MIDI ports.
// Used under the memory-API lock.
#include "AsgnStyle.h"
#include "BlkAdrs.h"
#include "DispStyle.h"
#include "EditorBlk.h"
#include "Hdr.h"
#include "PlugInBoardBlk.h"
#include "console/bulk/MidiFormat.h"
#include "console/remote/RemoteCtrlMng.h"
#include "vantrel_kxe21_console_export.h"
#include <QMap>
#include <QRecursiveMutex>
#include <QString>
#include <functional>

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
    CPrmCtrl();
    virtual ~CPrmCtrl();
    CPrmCtrl(const CPrmCtrl&) = delete;
    CPrmCtrl& operator=(const CPrmCtrl&) = delete;

    void Init();
    // Builds the map of a mode from the data folder beside the bundle.
    bool CreatePrmCtrl(int mode);
    // Builds the map of a mode from a template file (tests and the bench use this).
    bool CreatePrmCtrl(int mode, const QString& templatePath);
    // The building sequence; false with ErrorText() naming file, section and line.
    bool MakeList();
    const QString& ErrorText() const { return m_error; }

    int GetMode() const { return m_mode; }
    bool IsRemoteCtrlMode() const { return m_mode == 0; }
    const QString& TemplatePath() const { return m_templatePath; }
    const QString& TemplateFolder() const { return m_templateFolder; }
    BLKCOMINFO GetComInfo() const { return m_editorBlk.GetComInfo(); }
    CPrmCtrl* Master() const { return m_master; }
    void SetMaster(CPrmCtrl* master) { m_master = master ? master : this; }

    // ---- ports; any thread that holds the memory-API lock
    TMIDIProxyInOut* MIDI(int port) const;
    void SetMIDI(TMIDIProxyInOut* io, int port);
    void SetMidiSuppressed(bool suppressed) { m_midiSuppressed = suppressed; }
    void setDeviceID(unsigned char id) { m_deviceId = id; }
    unsigned char GetDeviceID() const { return m_deviceId; }
    void SetMidiCh(unsigned char ch) { m_midiCh = ch; }
    unsigned char GetMidiCh() const { return m_midiCh; }
    unsigned char GetRuleValue1() const { return m_rule1; }
    unsigned char GetRuleValue2() const { return m_rule2; }
    int GetRuleValue3() const { return m_rule3; }

    // The edit echo for the control surface; returns 0. Overridable so that an
    // observer can stand between the map and the surface.
    virtual int32_t ChangeParam(_RCPARAM_INFO* info);

    // ---- parameters
    bool GetPrmInfo(short category, const unsigned char* adrs, PRMINFO& info) const;
    static int GetCnvData(int n, const unsigned char* bytes);
    static void GetData(int value, unsigned char* bytes, int n);
    bool SetData(short category, const unsigned char* adrs, const unsigned char* data, bool& linked,
                 LINKFLAG link, MIDIFLAG midi, bool fromSurface, unsigned char dirty);
    bool MidiToData(short category, const unsigned char* adrs, const unsigned char* in, unsigned char* out) const;
    bool DataToMidi(short category, const unsigned char* adrs, const unsigned char* in, unsigned char* out) const;
    bool MidiToDataMin(short category, const unsigned char* adrs, unsigned char* out) const;
    bool MidiToDataMax(short category, const unsigned char* adrs, unsigned char* out) const;
    // Text of a value given in MIDI form; false when the parameter has no text form.
    bool GetValToStr(short category, const unsigned char* adrs, const unsigned char* data, QString& out) const;
    QString GetStrTblKeyData(unsigned table, unsigned value) const;

    CEditorBlk& EditorBlk() { return m_editorBlk; }
    const CEditorBlk& EditorBlk() const { return m_editorBlk; }
    // ---- changed-address queue; any thread, under the queue's own recursive mutex
    void EditorAddressChanged(const EditorAddressChange& change);
    // Takes the next pending address after the one taken last; false when none is pending.
    bool GetEditorAddressChange(int& element, int& channel, int& parameter);
    // Called once per newly pending address (the memory API wakes its worker with it).
    void SetChangeWaker(std::function<void()> waker);

    // ---- parameter forwards to the editor block
    short GetData(short category, const unsigned char* adrs, unsigned char* out) const
    {
        return m_editorBlk.GetData(category, adrs, out);
    }
    int GetData(short category, const unsigned char* adrs, unsigned char* out, int instance) const
    {
        return m_editorBlk.GetData(category, instance, adrs, out);
    }
    bool GetData(short category, const unsigned char* adrs, unsigned char*& bytes, unsigned char& size)
    {
        return m_editorBlk.GetData(category, adrs, bytes, size);
    }
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

    // ---- block queries and forwards
    int GetBlkCount() const { return m_editorBlk.GetBlkCount(); }
    int GetBlkNumber(const unsigned char* adrs) const { return m_editorBlk.GetBlkNumber(0, adrs); }
    int GetBlkParamCount(int block) const;
    unsigned char GetBlkDirtyFlag(int block) const;
    unsigned char GetParamDirtyFlag(int block, int index) const;
    bool SetParamDirtyFlag(short category, const unsigned char* adrs, unsigned char flag);
    void SuppressMIDI(bool suppressed) { m_midiSuppressed = suppressed; }
    int GetStrTblNum() const { return m_master->m_dispStyle.TableCount(); }
    int GetAssignTblNum() const { return m_asgnStyle.StyleCount(); }
    MIDI_FRMT GetMidiFrmtInfo(int index) const { return m_midiFormat.GetMidiFrmtInfo(index); }
    uint32_t GetAdrCateInfo(int category) const { return m_midiFormat.GetMidiTypeInfo(category); }
    bool GetValToStr(short category, const unsigned char* adrs, const unsigned char* data, char* out,
                     int outSize) const;
    QString GetLibFileExtensionName() const { return QString(); }

    const CMidiFormat& MidiFormat() const { return m_midiFormat; }
    const CAsgnStyle& AsgnStyle() const { return m_asgnStyle; }
    const CDispStyle& DispStyle() const { return m_dispStyle; }
    const CBlkAdrs& BlkAdrs() const { return m_blkAdrs; }
    const CHdr& Hdr() const { return m_hdr; }
    CPlugInBoardBlk& PlugInBoards() { return m_boards; }
    CRemoteCtrlMng& RemoteCtrl() { return m_remote; }

private:
    bool Fail(const QString& text);

    int m_mode = 0;
    CPrmCtrl* m_master = this;
    bool m_plugInBoards = true;
    CEditorBlk m_editorBlk;
    CMidiFormat m_midiFormat;
    QString m_templatePath;
    QString m_baseName;
    QString m_templateFolder;
    CBlkAdrs m_blkAdrs;
    CPlugInBoardBlk m_boards;
    CRemoteCtrlMng m_remote;
    CDispStyle m_dispStyle;
    CAsgnStyle m_asgnStyle;
    CHdr m_hdr;
    QString m_modulePath;
    TMIDIProxyInOut* m_ports[2] = {nullptr, nullptr};
    bool m_midiSuppressed = false;
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
