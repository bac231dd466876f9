#pragma once
// The instrument memory as the memory-API object sees it: owns the multi map, the
// voice map and the preset bank table, builds and links them at start-up, and
// offers one flat set of operations over them. Every operation runs on the
// caller's thread under the memory-API lock, or on the GUI thread.
// Indexed parameters are (element, channel, parameter) of the multi map's
// category 0; elements 1 (mute, solo, insert) and 2 (part switches) are editor state.
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CLibraryFile;
class CPrmCtrl;
class CVoiceBanks;
class IMemAPI;
class IStream;
class QDataStream;
class QObject;
class TMIDIProxyInOut;

class VANTREL_CONSOLE_EXPORT CSynthMemory
{
public:
    // Element numbers with a fixed meaning.
    static constexpr int kPartStatusElement = 1;
    static constexpr int kPartSwitchElement = 2;
    static constexpr int kPartElement = 55;

    // Builds and links both maps from the data folder beside the bundle.
    explicit CSynthMemory(IMemAPI* api);
    // Tests and the bench: the maps from these template files instead.
    CSynthMemory(IMemAPI* api, const QString& multiTemplate, const QString& voiceTemplate);
    virtual ~CSynthMemory();
    CSynthMemory(const CSynthMemory&) = delete;
    CSynthMemory& operator=(const CSynthMemory&) = delete;

    // Start-up; running it again first deletes the maps of the earlier run. A
    // failure is reported once (title "TOVAR-VANTREL Quillon") and leaves the facade
    // without the map that failed and those after it.
    void InitDefaultSettings();
    // Start-up failures go to this reporter (GUI thread message box by default);
    // tests replace it. Process-wide; null restores the default.
    using FailureReporter = std::function<void(const QString& title, const QString& text)>;
    static void setFailureReporter(FailureReporter reporter);
    // A start-up warning of another part of the model (the surface template) through
    // the same reporter; without one, a warning box on the GUI thread.
    static void reportStartupWarning(const QString& title, const QString& text);
    // Several warnings (title, text), reported in order; without a reporter the boxes
    // follow one another on the GUI thread, each shown when the one before is closed.
    static void reportStartupWarnings(const QList<QPair<QString, QString>>& warnings);
    // While one is alive, boxes reported on this thread are shown at the next turn of
    // the GUI thread's loop, not from inside the report: for a caller that holds a lock
    // no box may run its loop under.
    struct BoxesAfter
    {
        BoxesAfter();
        ~BoxesAfter();
        BoxesAfter(const BoxesAfter&) = delete;
        BoxesAfter& operator=(const BoxesAfter&) = delete;
    };

    CPrmCtrl* MultiMap() const { return m_multi; }
    CPrmCtrl* VoiceMap() const { return m_voice; }
    CPrmCtrl* SendingMap() const { return m_sending; }
    CVoiceBanks* VoiceBanks() const { return m_banks; }
    IMemAPI* MemAPI() const { return m_api; }
    bool compareMode() const { return m_compareMode; }
    void setCompareMode(bool on) { m_compareMode = on; }

    // ---- ports and device settings
    void SetMIDI(TMIDIProxyInOut* io, int port);
    void setDeviceID(int id);
    void SetMidiCh(int channel);

    // ---- indexed parameters (multi map)
    int GetIndParam(int element, int channel, int parameter) const;
    bool SetIndParamAndDirty(int element, int channel, int parameter, int value, unsigned int tag);
    int GetIndParamMin(int element, int channel, int parameter) const;
    int GetIndParamMax(int element, int channel, int parameter) const;
    bool SetIndParamDirty(int element, int channel, int parameter, unsigned int flag);
    int GetParamDirtyFlag(int element, int index) const;
    int GetParamDirtyFlag(int index, const unsigned char* flags) const;
    int GetBlkAndParamDirtyFlag(unsigned int block, unsigned int& blockFlags,
                                unsigned char*& paramFlags) const;
    int GetNumElements() const;
    int GetNumParams(int element) const;
    int GetParamAddress(unsigned int block, int index, unsigned char* address) const;
    bool GetDisplayString(int element, int channel, int parameter, QString& text, int value) const;
    bool GetParameterNameString(int element, int channel, int parameter, QString& name) const;
    bool GetWidgetWindowState(int element, int channel, int parameter, bool& active, bool& flag) const;

    // ---- voices and banks (voice map and bank table)
    int GetBankType(int category) const;
    bool GetBankName(int category, QString& name) const;
    bool IsBankEditable(int category) const;
    // A category of the voice map, or the string table of a board bank (its voices
    // named there, without a category of their own).
    bool GetVoiceNameInBank(int category, int voice, QString& text) const;
    bool GetVoiceNameInBank(int category, int voice, QString& name, QString& kind) const;
    bool SetVoiceName(int category, int voice, const QString& name);
    bool GetShortBankName(int msb, int lsb, QString& name) const;
    // The bank at a display position: its name (the second name for a bank of kind 0),
    // kind, bank select and the voice-memory category or string table it names.
    bool GetDisplayBankInfo(int index, QString& name, int& kind, int& msb, int& lsb, int& bank) const;
    bool GetVoiceNameString(int part, int voice, int msb, int lsb, QString& text) const;
    // The part's bank: its bank select, or the bank the instrument plays for a pair
    // the bank table does not know.
    bool GetBankTableID(int part, int& table) const;
    bool GetBankNameString(int part, QString& name) const;
    bool GetVoiceShortNameString(int part, int voice, QString& name) const;
    bool GetVoiceNameString(int part, int voice, QString& text) const;
    bool GetVoiceBulkReceiveName(int index, QString& name) const;
    bool GetVoiceBulkSendName(int index, QString& name) const;
    bool CopyVoiceToEditBuffer(int category, int voice);
    bool CopyEditBufferToVoice(int category, int voice);
    bool MoveVoicesInBank(int category, int first, int last, int destination);
    bool InitVoice(int category, int voice);
    // The category's initial voice bytes (null when none) and the size of its voice 0.
    const unsigned char* GetInitVoiceData(int category, unsigned long& size) const;
    bool GetDataForClipboard(int category, int first, int last, QByteArray& image) const;
    bool SetDataFromClipboard(int category, int start, const QByteArray& image);
    // A copy of the voice edit buffer and of the multi's parts, taken while voices are
    // auditioned: reset writes both back, drops the copy and sends each part's voice
    // parameters again; delete drops it.
    void getVoiceParameterData();
    void resetVoiceParameterData();
    void deleteVoiceParameterData();
    // Whether the voice map holds preset voice data (preference 518).
    int presetVoicesLoaded() const;

    // ---- bulk; a receiver's slots are connected to the engine's signals first
    bool requestMultiBulk(QObject* receiver, int interval);
    bool requestEditBuffBulk(QObject* receiver, int interval);
    bool requestUserVoiceBulk(int category, QObject* receiver, int interval);
    bool requestPresetVoiceBulk(QObject* receiver, int interval);
    void stopBulkRequest();
    bool sendMultiBulk(QObject* receiver);
    bool sendUserVoiceBulk(int category, QObject* receiver);
    bool sendMultipleBulkHeader(QObject* receiver);
    bool sendMultipleBulkFooter(QObject* receiver);
    bool sendIdentityReqBulk(QObject* receiver);
    bool BulkDumpVoice(int category, int voice, QObject* receiver);
    bool BulkDumpImportLibraryVoice(CLibraryFile* library, int category, int voice, QObject* receiver);
    bool BulkDumpEditBuffer(QObject* receiver, int category);
    bool sendEditBufferBulk(QObject* receiver);
    // True while either engine has more to send.
    bool continueBulkSend();
    // Pump thread, under the memory-API lock. Bulk input with its length; with
    // addStartByte the message is taken as lacking its leading F0.
    void parseBulkResponse(const void* data, int length, bool addStartByte);
    // Surface input: *changed gets the three address bytes (element, channel,
    // parameter) of a changed parameter, or null.
    void parseRemoteControl(const void* data, int length, bool first, unsigned char** changed);
    bool connectRemoteNotifier(QObject* receiver, const char* slot);

    // ---- documents and files
    bool saveViaStream(QDataStream& stream);
    bool loadViaStream(QDataStream& stream);
    // What a document load can change, copied aside: every stored voice of both maps
    // (the edit buffer taken into the multi's first, as a save takes it) and the parts'
    // mute and solo. Putting it back is a load of the image a save would have written
    // then, without the library layout's walk over every voice; equal snapshots save to
    // equal images.
    struct Snapshot
    {
        std::vector<unsigned char> voices;  // the stored voices one after another
        std::vector<int> sizes;             // the size of each
        std::vector<char> partStatus;
        bool operator==(const Snapshot& other) const
        {
            return voices == other.voices && sizes == other.sizes && partStatus == other.partStatus;
        }
        bool operator!=(const Snapshot& other) const { return !(*this == other); }
    };
    Snapshot takeSnapshot();
    // The same into a snapshot whose storage is used again (an image's worth of bytes
    // not allocated anew for every load).
    void takeSnapshot(Snapshot& into);
    // False (and nothing changed) for a snapshot of other maps.
    bool putSnapshot(const Snapshot& snapshot);
    // Whether the memory holds what the snapshot holds, compared in place.
    bool holdsSnapshot(const Snapshot& snapshot);
    // Raw images of the older document stream: reads exactly the voice image, then the
    // multi image, through read (0 or an error status; a short read is an error).
    using StreamRead = std::function<int32_t(void* data, uint32_t n)>;
    bool loadIStream(const StreamRead& read);
    bool loadIStream(IStream* stream);
    bool saveFile(const QString& path);
    bool loadFile(const QString& path);
    // A voice library opened for import (older formats converted); the caller owns it.
    CLibraryFile* GetVoiceImportLibrary(const QString& path);

private:
    // Minimum (maximum) of an indexed parameter, joined most significant first.
    int IndParamBound(int element, int channel, int parameter, bool maximum) const;
    bool SetIndParamAndDirtyInternal(int element, int channel, int parameter, int value,
                                     unsigned int tag);
    void deleteMaps();
    void afterDocumentLoad(bool keepSoloMute);
    bool FitsSnapshot(const Snapshot& snapshot) const;
    // The bank select whose names a part shows (see GetBankTableID).
    void PartBank(int part, int& msb, int& lsb) const;
    // Name and category text of a board bank's voice; false for any other table.
    bool BoardVoiceName(int table, int voice, QString& name, QString& kind) const;
    static void reportFailure(const QString& text);
    // The library files of both maps for the document stream, their layouts read once
    // per pair of maps (see StreamFilesUse).
    struct StreamFiles;
    friend class StreamFilesUse;

    std::unique_ptr<StreamFiles> m_streamFiles;
    CPrmCtrl* m_multi = nullptr;
    CPrmCtrl* m_voice = nullptr;
    CPrmCtrl* m_sending = nullptr;
    CVoiceBanks* m_banks = nullptr; // owned
    bool m_compareMode = false;
    IMemAPI* m_api = nullptr;
    QString m_multiTemplate;
    QString m_voiceTemplate;
};
