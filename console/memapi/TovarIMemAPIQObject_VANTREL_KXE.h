#pragma once
// The GUI-thread half of the memory-API object: receives posted events, owns the
// single-shot timers of bulk transfers and emits the signals the add-ons connect to.
// It is also the editor's document frame and its voice-data interface. Work that
// other threads start reaches the GUI thread through it: each routing operation
// acts at once on the GUI thread and posts one of the events below elsewhere.
// Lock order: the memory-API lock before the companion's own mutex.
#include "console/memapi/ITovarVoiceData.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "utilities/DocuSaveLoad.h"
#include "utilities/YGuid.h"
#include "vantrel_kxe21_console_export.h"
#include <QEvent>
#include <QMutex>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class CSimpleNotifier_VANTREL_KXE;
class CSynthMemory;
class HeldReports;
class IMPClientProgressHandler;
class NativeParamsHelper;
class QTimer;
class QWidget;
class RecallLogic;
class TovarIMemAPI;

// Module identifiers used with the user-interface server's editor operations. Each is
// spelled as the add-on that owns it reports it (text order, as QUuid::toString shows
// it): an identifier built from field values would name an add-on that does not exist.
struct DialogsModule { static inline const Y_GUID guid = NS_AddOnIds::DialogsAddOn; };
struct VoiceLibraryModule { static inline const Y_GUID guid = MPGuidFromText(0xC9C182C9, 0x7DDF, 0x6E45, 0x91, 0x47, 0xE7, 0xB6, 0x6A, 0x94, 0x17, 0x57); };
struct DrumKeyModule { static inline const Y_GUID guid = MPGuidFromText(0x7BADD3E3, 0xEA79, 0xDC49, 0x8D, 0x0F, 0x5E, 0xA1, 0x76, 0x50, 0xC1, 0x9C); };
struct NormalElementModule { static inline const Y_GUID guid = MPGuidFromText(0xBBDEF22F, 0xADC7, 0xFB4F, 0xBA, 0xDC, 0xC3, 0x49, 0xEC, 0x40, 0x78, 0xA9); };
struct DetailDialogsModule { static inline const Y_GUID guid = MPGuidFromText(0x80DC38CD, 0x6E83, 0x4446, 0x93, 0xC8, 0x61, 0xFC, 0x10, 0xC5, 0xF9, 0xC0); };
struct LFOModule { static inline const Y_GUID guid = MPGuidFromText(0x4DAE9F6E, 0xEE0C, 0xE741, 0x9D, 0xAE, 0xEB, 0x76, 0x55, 0x0B, 0x2A, 0xA6); };

// ---- the companion's posted events; the poster allocates, the toolkit frees
namespace NS_TovarEvents {
constexpr QEvent::Type kWindowOpen = QEvent::Type(1234);
constexpr QEvent::Type kRemoteFocus = QEvent::Type(1235);
constexpr QEvent::Type kNotifyAll = QEvent::Type(1236);
constexpr QEvent::Type kReceiveCompleted = QEvent::Type(3284);
constexpr QEvent::Type kRecallCompleted = QEvent::Type(3285);
constexpr QEvent::Type kTimerStart = QEvent::Type(5003);
constexpr QEvent::Type kTimerStop = QEvent::Type(5005);
} // namespace NS_TovarEvents

class VANTREL_CONSOLE_EXPORT WindowOpenMessage : public QEvent
{
public:
    WindowOpenMessage(QEvent::Type type, int a, int b, int c) : QEvent(type), m_a(a), m_b(b), m_c(c) {}
    int m_a, m_b, m_c;
};

class VANTREL_CONSOLE_EXPORT NotifyAllMessage : public QEvent
{
public:
    NotifyAllMessage() : QEvent(NS_TovarEvents::kNotifyAll) {}
};

class VANTREL_CONSOLE_EXPORT ReceiveCompleted : public QEvent
{
public:
    ReceiveCompleted() : QEvent(NS_TovarEvents::kReceiveCompleted) {}
};

class VANTREL_CONSOLE_EXPORT RecallCompleted : public QEvent
{
public:
    RecallCompleted(bool upload, bool received, bool current)
        : QEvent(NS_TovarEvents::kRecallCompleted), m_upload(upload), m_received(received), m_current(current)
    {
    }
    bool m_upload, m_received, m_current;
};

class VANTREL_CONSOLE_EXPORT TovarQObjTimerStartEvent : public QEvent
{
public:
    TovarQObjTimerStartEvent(QTimer* timer, int ms) : QEvent(NS_TovarEvents::kTimerStart), m_timer(timer), m_ms(ms) {}
    QTimer* m_timer;
    int m_ms;
};

class VANTREL_CONSOLE_EXPORT TovarQObjTimerStopEvent : public QEvent
{
public:
    explicit TovarQObjTimerStopEvent(QTimer* timer) : QEvent(NS_TovarEvents::kTimerStop), m_timer(timer) {}
    QTimer* m_timer;
};

class VANTREL_CONSOLE_EXPORT TovarIMemAPIQObject_VANTREL_KXE : public QObject,
                                                               public NS_Utilities::TDocuSaveLoad,
                                                               public ITovarVoiceData
{
    Q_OBJECT
public:
    // One row of a linked voice-parameter section.
    struct LinkedRow
    {
        const char* name;
        int16_t element;
        int16_t parameter;
    };
    using LinkedSections = std::map<QString, std::vector<LinkedRow>>;

    // GUI thread (the memory-API object builds it there).
    explicit TovarIMemAPIQObject_VANTREL_KXE(TovarIMemAPI* api);
    ~TovarIMemAPIQObject_VANTREL_KXE() override;

    TovarIMemAPI* api() const { return m_api; }
    // The memory model, or null when the object or its model is missing.
    CSynthMemory* memory() const;
    // Null off the GUI thread or without a workspace.
    QWidget* mainWidget() const;
    QWidget* topLevelWidget() const;

    // ---- thread routing; any thread
    using QObject::startTimer;
    // Null does nothing; on the GUI thread restarts t single-shot, elsewhere posts.
    void startTimer(QTimer* t, int ms);
    // Null or inactive does nothing; on the GUI thread stops t, elsewhere posts.
    void stopTimer(QTimer* t);
    // Every observer re-reads its value; from other threads at most one
    // notification is pending at any time and runs the latest state.
    virtual void NotifyAll();
    // From MAPI_uiEvent, on the GUI thread: no effect.
    virtual void uiEvent(unsigned int code);
    // The bank table id of the part's current bank select; 0 without a memory model.
    virtual int bankTableID(int part);
    // Reads every parameter of a linked section and writes it back (part -1 keeps
    // each row's own part), so that the instrument receives them again.
    void flushLinkedParam(const QString& section, int part);
    static const LinkedSections& linkedSections();

    // The pending-counter values (tests): -1 idle, 0 one event queued.
    int32_t notifyPending() const;
    int32_t remoteFocusPending() const;
    bool editModified() const;

    // ---- document frame
    QString DSL_moduleName() override;
    int32_t DSL_newSession() override;
    int32_t DSL_saveViaStream(QDataStream& stream, int index) override;
    int32_t DSL_loadViaStream(QDataStream& stream, int index) override;
    int32_t DSL_eraseCurrentDocument(int index) override;
    int32_t DSL_updateDocumentStatus(const QString& file) override;
    QString DSL_hostAppName() override;

signals:
    void bulkRcvErrorOccurred(int code);
    void bulkProgressChanged(int percent);
    // The instrument's port refused a message: the send under way has ended unfinished.
    void bulkSendFailed();
    void newDoc();
    void enterCompareMode(bool on);
    void onDirty(bool dirty);
    void voiceLibrarySaved();
    void currentFileNameChanged(const QString& name);
    void signalDrumKeyNoteChange(int key);
    void identityReplyChecked(int bank);
    void openGuiWindow(int a, int b, int c);
    void remoteControlFocus(int element, int part, int parameter);
    void voiceStored(int bank, int voice);
    void editVoiceNameChanged(const QString& name, int type);
    void editBufferLoaded(short bank, short voice);

public slots:
    // Any thread. Emits onDirty on the GUI thread after the mutex is released, and
    // queues the emission there when called elsewhere.
    void dirty(bool d);
    // Any thread: (-1, -1, -1) marks the edit state modified, else openGuiWindow.
    void internalOpenGuiWindow(int a, int b, int c);
    // Any thread: the latest triple wins.
    void internalRemoteControlFocus(int element, int part, int parameter);
    void internalRemoteControlFocusSlot();
    void updateRemote();
    void getVoiceParameterData();
    void resetVoiceParameterData();
    void deleteVoiceParameterData();

protected:
    void customEvent(QEvent* e) override;

public:
    // ---- commands: voice data, documents, bulk, total recall, native parameters
    // Construction step 4 and its counterpart at destruction.
    void initCommands();
    void releaseCommands();
    // The total-recall engine, created and driven for the memory-API object.
    static RecallLogic* createRecallLogic(CSynthMemory* memory);
    static void deleteRecallLogic(RecallLogic* recall);
    static bool runRecall(RecallLogic* recall, unsigned int mask, TovarIMemAPI* api, bool upload,
                          IMPClientProgressHandler* progress, int interval);
    static QString recallDescription(RecallLogic* recall);
    static uint32_t recallPreferredFeature(RecallLogic* recall);
    static void cancelRecall(RecallLogic* recall);

    // ITovarVoiceData
    void* loadImportFile(QString path) override;
    void closeImportFile(void* handle) override;
    bool copyToMainVoices(void* handle, short srcBank, short srcVoice, short dstBank, short dstVoice,
                          bool notify) override;
    QString importBankName(void* handle, short bank) override;
    int importBankType(void* handle, short bank) override;
    QString importVoiceName(void* handle, short bank, short voice) override;
    QString bankName(short bank) override;
    int bankType(short bank) override;
    QString shortBankName(int a, int b) override;
    bool isBankEditable(short bank) override;
    QString nthDisplayBank(short n, short& bank, short& msb, short& lsb) override;
    QString voiceName(short bank, short voice) override;
    QString voiceNameCategory(short bank, short voice, QString& category) override;
    void setVoiceName(short bank, short voice, const QString& name) override;
    bool initVoice(short bank, short voice) override;
    bool loadToEditBuffer(short bank, short voice, bool openLibrary) override;
    bool storeEditBuffer(short bank, short voice) override;
    void setCompareMode(bool on) override;
    bool compareMode() override;
    void setMonitorMode(bool on) override;
    bool monitorMode() override;
    bool copyToClipboard(short bank, short first, short last, void* handle) override;
    bool pasteFromClipboard(short bank, short voice) override;
    bool moveVoices(short a, short b, short c, short d) override;
    void monitorImportVoice(void* handle, short bank, short voice) override;
    void monitorVoice(short bank, short voice) override;
    void monitorEditBuffVoice(short a, short b) override;
    void getEditBufferVoice(short& bank, short& voice, bool& derived) override;
    void setCurrDrumKeyChannel(int key) override;
    int getCurrDrumKeyChannel() override;
    bool isEditBufferDirty() override;
    void setEditBufferDirty(bool d) override;
    bool isVoiceLibraryDirty() override;
    void setVoiceLibraryDirty(bool d) override;
    bool isDocDirty() override;
    void setDocDirty(bool d) override;
    bool canPasteFromClipboard(short bank, short voice) override;
    QString getEditVoiceName() override;
    void setEditVoiceName(const QString& name, int type) override;
    void getEditVoiceType(int& type, QString& text) override;
    void ObserveEditVoiceName() override;
    void setCurrentFileName(const QString& name) override;
    QString getCurrentFileName() override;
    bool getVoiceData(short bank, short first, short last, QByteArray& data) override;
    bool setVoiceData(short bank, short voice, const QByteArray& data) override;
    void selectPluginBoard(int slot, bool on) override;
    void initPluginBoardData() override;
    void setPluginBoardCheck(bool on) override;
    void NP_editorClosing(const QString& board) override;
    void NP_setCurrentNativeParamsEditor(const QString& board, QWidget* dialog) override;
    bool NP_anyPluginNativeParamsDialogsOpen() override;
    intptr_t NP_closeAllButOneNativeParamsDialog(const QString& board, bool all,
                                                 IClientServices* services) override;
    bool setMonitorVoice(int bank, int voice, void* handle, bool force) override;
    void getMonitorVoice(int& bank, int& voice, void*& handle) override;
    void flush(bool compare) override;
    void suppressMIDI(bool on) override;
    QString voiceNameAndCategory(short msb, short lsb, short number, QString& category) override;
    QString getDocumentFileName() override;

    // Documents: 1 new document, 2 open a file.
    void promptSaveChanges(int action);
    // Bulk
    int getTransmitInterval();
    void onReceiveCompleted();
    // Multiplies the request, identity and recall time-outs (tests); process-wide.
    static void setCommandTimeScale(double scale);
    static int scaledMs(int ms);
    // Copies every bank of a voice file into the voice memory; false with no change
    // when the file cannot be read. True also when only a part could be copied: the
    // voice memory has changed all the same.
    bool importVoiceFile(const QString& path);
    NativeParamsHelper* nativeParams() const { return m_nativeParams; }
    // Written on the pump thread (onRcvBulk) as well as on the GUI thread.
    std::atomic<int> m_requestStateNow{0};
    std::atomic<int> m_identityStateNow{0};
    int m_lastEditCategory = -1; // -1: no edit-buffer category seen yet
    int bulkPacing() const { return m_bulkPacing; }
    // GUI thread: whether a bulk send has a step still to come (an audition that
    // queued nothing leaves none).
    bool bulkSendPending() const;

public slots:
    void bulkTimer();
    void identityReplyTimeOut();
    void onRcvBulk();
    void onRcvIdentityReply();
    void onRcvProgressChanged(int percent);
    void onSendProgressChanged(int percent, int section);
    // The instrument's port refused a message: the send under way has ended.
    void onSendFailed();
    void OnRcvErrorOccured(int code);
    void OnRecallComplete(bool upload, bool received, bool current);
    void cancelBulkReceive();
    void stopBulkRequest() override;
    void requestPresetVoiceBulk();
    void requestMultiBulk();
    void requestUserVoiceBulk(int bank);
    void specialBulkRequestTimeOuted();
    void sendUserVoiceBulk(int bank);
    void sendMultiBulk();
    void fileNew();
    void fileOpen(const QString& name, const bool markModified);
    void fileSave(const QString& name);
    // The save window ended without saving: the New or Open that waited for it is dropped.
    void fileSaveCancelled();
    void voiceNameChangedNormal(int value);
    void voiceNameChangedDrum(int value);
    void voiceNameChangedPlugin(int value);

public:
    // ---- end of commands

private:
    void emitDirty(bool d);

public:
    // The companion's state, shared by its core and its commands.
    using NameNotifiers = std::array<CSimpleNotifier_VANTREL_KXE*, 10>;
    // The edit voice's name as its ten name parameters spell it, read under the lock.
    QString editName(const NameNotifiers* notifiers);

    int m_focusElement = -1;
    int m_focusPart = -1;
    int m_focusParameter = -1;
    TovarIMemAPI* m_api = nullptr;
    QTimer* m_bulkSendTimer = nullptr;
    bool m_monitorMode = false;
    int m_drumKey = 0;
    bool m_editModified = false;
    bool m_voiceLibraryModified = false;
    std::unique_ptr<NameNotifiers> m_normalNames;
    std::unique_ptr<NameNotifiers> m_drumNames;
    std::unique_ptr<NameNotifiers> m_pluginNames;
    QString m_currentFileName;
    QString m_documentFileName;
    int m_monitorBank = -2;
    int m_monitorVoice = -1;
    void* m_monitorHandle = nullptr;
    int32_t m_remoteFocusPending = -1;
    int32_t m_notifyPending = -1;
    NativeParamsHelper* m_nativeParams = nullptr;
    mutable QMutex m_mutex;
    int m_midiSuppression = 0;
    int m_bulkPacing = 0;
    int m_pendingAction = 0;
    QString m_pendingFileName;
    // The pending open is a voice import (fileOpen's flag).
    bool m_pendingImport = false;
    bool m_compareSwitch = false;
    QTimer* m_requestTimer = nullptr;
    QTimer* m_identityTimer = nullptr;
    int m_identityState = 0;
    int m_requestState = 0;
    int m_bankAwaitingIdentity = 0;
    int m_lastSendProgress = 0;
    // The bulk engines' reports of a step the GUI thread makes under the memory-API lock,
    // made once the lock is let go.
    std::unique_ptr<HeldReports> m_heldReports;
};
