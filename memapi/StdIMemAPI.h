#pragma once
// Base implementation of IMemAPI: the recursive API lock, the observer dictionary,
// editor associations, workspace, online/closing/suspension state and the fixed
// answers of operations a memory model does not need. The concrete object calls
// initialize() from its own initialisation and terminate() before it goes.
#include "memapi/IMemAPI.h"
#include "vantrel_kxe21_memapi_export.h"
#include <QHash>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUuid>
#include <atomic>

class QRecursiveMutex;

struct TEditorAssociation
{
    QUuid id;
    int value = 0;
};

class VANTREL_MEMAPI_EXPORT StdIMemAPI : public IMemAPI
{
public:
    StdIMemAPI();
    ~StdIMemAPI() override;
    StdIMemAPI(const StdIMemAPI&) = delete;
    StdIMemAPI& operator=(const StdIMemAPI&) = delete;

    int32_t MAPI_stringList(int tableId, QStringList* list) override;
    int32_t MAPI_translateErrorCode(int32_t code, QString* text) override;
    int32_t MAPI_forceRecursiveUpdate(QWidget* widget) override;
    int32_t MAPI_associateEditor(short a, short b, short c, int d, const QUuid& id,
                                 int value) override;
    int32_t MAPI_getAssociatedEditor(short a, short b, short c, int d, QUuid& id,
                                     int& value) override;
    int32_t MAPI_registerWindowControl(const char* name, const QUuid& module, int value) override;
    int32_t MAPI_sendWindowControl(const char* name, unsigned short value) override;
    int32_t MAPI_performUndoRedo(bool redo) override;
    int32_t MAPI_save4undo(TMemProxy_VANTREL_KXE* proxy) override;
    int32_t MAPI_pushUndoObject(QBuffer* buffer) override;
    int32_t MAPI_flushUndoBuffers() override;
    int32_t MAPI_totalRecall(void* context, bool upload, unsigned int mask,
                             IMPClientProgressHandler* progress, int32_t* status) override;
    int32_t MAPI_recallFeatureSet(uint32_t* count, unsigned short** features, uint32_t* mask,
                                  bool* upload, uint32_t* flags) override;
    void MAPI_cancelRecall() override;
    int32_t MAPI_ignoreIntermediateChanges() override;
    int32_t MAPI_setIgnoreIntermediateChanges(bool ignore) override;
    int32_t MAPI_closingDown(bool set) override;
    QObject* MAPI_qself() override;
    uint32_t MAPI_online() override;
    int32_t MAPI_setOnline(unsigned int online) override;
    int32_t MAPI_registerObserver(TMemProxyBasic* proxy, unsigned int key,
                                  TObserverProxy_VANTREL_KXE* observer) override;
    int32_t MAPI_unregisterObserver(TMemProxyBasic* proxy, unsigned int key) override;
    TObserverProxy_VANTREL_KXE* MAPI_findObserver(unsigned int key, int32_t* status) override;
    int32_t MAPI_lock(bool lock) override;
    int32_t MAPI_tryLock() override;
    int32_t MAPI_suspendNotifications(bool suspend) override;
    int32_t MAPI_blocked() override;
    int32_t MAPI_associate(TMIDIProxyInOut* proxy, IPrefsQuery_VANTREL_KXE* prefs, int index,
                           IClientServices* cs) override;
    int32_t MAPI_setWorkspace(QMdiArea* workspace) override;
    QMdiArea* MAPI_workspace(int32_t* status) override;
    TMIDIProxyInOut* MAPI_ioProxy(int index) override;
    int32_t MAPI_proxiesNeeded() override;
    IClientServices* MAPI_cs() override;
    IPrefsQuery_VANTREL_KXE* MAPI_prefs() override;
    QTimer* MAPI_blinkingTimer(bool* state, int32_t* status) override;
    int32_t MAPI_signalSlot(const char* signal, QObject* receiver, const char* member,
                            bool connect) override;
    int32_t MAPI_slotSignal(const char* slot, QObject* sender, const char* signal,
                            bool connect) override;
    int32_t MAPI_serviceFrequentTasks() override;
    int32_t MAPI_MPNotify(const tagMPMSG& message) override;
    int32_t MAPI_saveViaStream(QDataStream& stream) override;
    int32_t MAPI_loadViaStream(QDataStream& stream) override;
    int32_t MAPI_getIndParamEditState(short element, short parameter, short channel, bool& shown,
                                      bool& enabled) override;
    int32_t MAPI_saveIStream(IStream* stream) override;
    int32_t MAPI_loadIStream(IStream* stream) override;
    int32_t MAPI_readMIDIFromPort(int port, const void* data, int length, bool sysex,
                                  bool channel) override;
    int32_t MAPI_setPortsFromPreferences() override;
    int32_t MAPI_getKV519FromInpatch(short element, short parameter, short channel, bool* flag,
                                     TSingleBaseAddress* address, int32_t* status) override;
    int32_t MAPI_setKV519FromInpatch(short element, short parameter, short channel,
                                     int value) override;
    int32_t MAPI_reqMeterData(bool on, TMemProxyBasic* proxy, short element, short parameter,
                              short channel) override;
    const int32_t* MAPI_meterTable(int kind, int& count, int32_t* status) override;
    int32_t MAPI_reqTimeCodeCounter(bool on, TMemProxyBasic* proxy) override;
    QObject* MAPI_fsNotifier(int32_t* status) override;
    int32_t MAPI_uiEvent(unsigned int event) override;

    // 0 while notifications are suspended (counter above 0), else 0x80000008.
    virtual int32_t MAPI_suspended();
    // Creates the recursive lock and resets the state.
    virtual int32_t initialize();
    // Deletes the companion (and its blink timer), then the lock.
    virtual int32_t terminate();

    // The device number taken from the preferences by MAPI_associate.
    int deviceNumber() const { return m_deviceNumber; }
    // The editor-association key of four address values.
    static QString editorKey(short a, short b, short c, int d);

protected:
    QRecursiveMutex* m_mutex = nullptr;
    QObject* m_companion = nullptr;
    QPointer<QTimer> m_blinkTimer;
    MemAPITask_VANTREL_KXE* m_worker = nullptr;
    TMIDIProxyInOut* m_ioProxy = nullptr;
    IPrefsQuery_VANTREL_KXE* m_prefs = nullptr;
    IClientServices* m_cs = nullptr;
    QHash<uint32_t, TObserverProxy_VANTREL_KXE*> m_observers;
    QPointer<QMdiArea> m_workspace;
    QMap<QString, TEditorAssociation> m_editors;
    int m_deviceNumber = 0;
    bool m_closing = false;
    std::atomic<bool> m_ignoreIntermediateChanges{false};
    std::atomic<unsigned> m_online{1};
    std::atomic<bool> m_blinkState{false};
    int m_suspension = 0;
};
