#pragma once
// A memory API that records the MIDI handed to it; its lock can be held shut so that
// a test decides when the pump may run. Every other operation answers a neutral value.
#include "memapi/IMemAPI.h"
#include <QByteArray>
#include <condition_variable>
#include <mutex>
#include <vector>

class FakeMemAPI : public IMemAPI
{
public:
    struct Received
    {
        int port;
        QByteArray bytes;
        bool sysex;
        bool channel;
    };

    // MAPI_lock(true) waits while the gate is shut.
    void shutGate()
    {
        std::lock_guard<std::mutex> l(m_gateMutex);
        m_gateOpen = false;
    }
    void openGate()
    {
        {
            std::lock_guard<std::mutex> l(m_gateMutex);
            m_gateOpen = true;
        }
        m_gateChanged.notify_all();
    }
    // Waits up to ms for count messages; true when they arrived.
    bool waitForReceived(size_t count, int ms)
    {
        std::unique_lock<std::mutex> l(m_receivedMutex);
        return m_receivedChanged.wait_for(l, std::chrono::milliseconds(ms),
                                          [&] { return m_received.size() >= count; });
    }
    std::vector<Received> received()
    {
        std::lock_guard<std::mutex> l(m_receivedMutex);
        return m_received;
    }
    int lockDepth() const { return m_depth; }

    int32_t MAPI_lock(bool lock) override
    {
        if (lock) {
            {
                std::unique_lock<std::mutex> l(m_gateMutex);
                m_gateChanged.wait(l, [&] { return m_gateOpen; });
            }
            m_lock.lock();
            ++m_depth;
        } else {
            --m_depth;
            m_lock.unlock();
        }
        return 0;
    }
    int32_t MAPI_readMIDIFromPort(int port, const void* data, int length, bool sysex,
                                  bool channel) override
    {
        {
            std::lock_guard<std::mutex> l(m_receivedMutex);
            m_received.push_back(
                {port, QByteArray(static_cast<const char*>(data), length), sysex, channel});
        }
        m_receivedChanged.notify_all();
        return m_readAnswer;
    }
    void setReadAnswer(int32_t answer) { m_readAnswer = answer; }

    int32_t QueryInterface(const Y_GUID&, void** object) override
    {
        if (object)
            *object = nullptr;
        return int32_t(0x80000004);
    }
    uint32_t AddRef() override { return 1; }
    uint32_t Release() override { return 1; }

    int32_t MAPI_stringList(int tableId, QStringList* list) override { return {}; }
    int32_t MAPI_translateErrorCode(int32_t code, QString* text) override { return {}; }
    int32_t MAPI_forceRecursiveUpdate(QWidget* widget) override { return {}; }
    int32_t MAPI_associateEditor(short a, short b, short c, int d, const QUuid& id, int value) override { return {}; }
    int32_t MAPI_getAssociatedEditor(short a, short b, short c, int d, QUuid& id, int& value) override { return {}; }
    int32_t MAPI_registerWindowControl(const char* name, const QUuid& module, int value) override { return {}; }
    int32_t MAPI_sendWindowControl(const char* name, unsigned short value) override { return {}; }
    int32_t MAPI_performUndoRedo(bool redo) override { return {}; }
    int32_t MAPI_save4undo(TMemProxy_VANTREL_KXE* proxy) override { return {}; }
    int32_t MAPI_pushUndoObject(QBuffer* buffer) override { return {}; }
    int32_t MAPI_flushUndoBuffers() override { return {}; }
    int32_t MAPI_totalRecall(void* context, bool upload, unsigned int mask, IMPClientProgressHandler* progress, int32_t* status) override { return {}; }
    int32_t MAPI_recallFeatureSet(uint32_t* count, unsigned short** features, uint32_t* mask, bool* upload, uint32_t* flags) override { return {}; }
    void MAPI_cancelRecall() override {}
    int32_t MAPI_ignoreIntermediateChanges() override { return {}; }
    int32_t MAPI_setIgnoreIntermediateChanges(bool ignore) override { return {}; }
    int32_t MAPI_closingDown(bool set) override { return {}; }
    QObject* MAPI_qself() override { return nullptr; }
    uint32_t MAPI_online() override { return {}; }
    int32_t MAPI_setOnline(unsigned int online) override { return {}; }
    int32_t MAPI_pairCopy(short element, int from, int to, bool flag) override { return {}; }
    int32_t MAPI_pairBreak(short element, int from, int to) override { return {}; }
    int32_t MAPI_getNumElements(int32_t* status) override { return {}; }
    int32_t MAPI_getNumParams(short element, int32_t* status) override { return {}; }
    int32_t MAPI_getNumChannels(short element, int32_t* status) override { return {}; }
    int32_t MAPI_getLibData(bool flag, int kind, short element, short channel, unsigned char* data, int length, int* written) override { return {}; }
    int32_t MAPI_setLibData(int kind, short element, short channel, const unsigned char* data, int length, bool flag) override { return {}; }
    int32_t MAPI_getLibInfo(int kind, short index, QObject** object, TLibData* info, bool flag, unsigned char bank) override { return {}; }
    int32_t MAPI_registerObserver(TMemProxyBasic* proxy, unsigned int key, TObserverProxy_VANTREL_KXE* observer) override { return {}; }
    int32_t MAPI_unregisterObserver(TMemProxyBasic* proxy, unsigned int key) override { return {}; }
    TObserverProxy_VANTREL_KXE* MAPI_findObserver(unsigned int key, int32_t* status) override { return nullptr; }
    int32_t MAPI_getIndParamDefault(short element, short parameter, short channel, bool flag, int32_t* status) override { return {}; }
    int32_t MAPI_getIndParamMin(short element, short parameter, short channel, int32_t* status) override { return {}; }
    int32_t MAPI_getIndParamMax(short element, short parameter, short channel, int32_t* status) override { return {}; }
    int32_t MAPI_getIndParam(short element, short parameter, short channel, bool flag, int32_t* status) override { return {}; }
    int32_t MAPI_setIndParam(short element, short parameter, short channel, int value, unsigned int flags, EPostAction action) override { return {}; }
    uint32_t MAPI_dirtyAllFlags(int32_t* status) override { return {}; }
    uint32_t MAPI_lcdFlags(int32_t* status) override { return {}; }
    uint32_t MAPI_smFlags(int32_t* status) override { return {}; }
    int32_t MAPI_parse(TCompleteAddress& address, const QString* text) override { return {}; }
    int32_t MAPI_assignServerChannel(TMemProxy_VANTREL_KXE* proxy, int channel) override { return {}; }
    int32_t MAPI_assignServer(QObject* object, int channel) override { return {}; }
    int32_t MAPI_tryLock() override { return {}; }
    int32_t MAPI_suspendNotifications(bool suspend) override { return {}; }
    int32_t MAPI_setIncomingMidiMsgParamChangeHandle(TResponseHandler_VANTREL_KXE* handler) override { return {}; }
    MemAPITask_VANTREL_KXE* MAPI_memApiTaskObject(int32_t* status) override { return nullptr; }
    int32_t MAPI_blocked() override { return {}; }
    int32_t MAPI_writeMIDI(const void* data, int length) override { return {}; }
    int32_t MAPI_readMIDI(const void* data, int length, bool sysex, bool channel) override { return {}; }
    int32_t MAPI_associate(TMIDIProxyInOut* proxy, IPrefsQuery_VANTREL_KXE* prefs, int index, IClientServices* cs) override { return {}; }
    int32_t MAPI_setWorkspace(QMdiArea* workspace) override { return {}; }
    QMdiArea* MAPI_workspace(int32_t* status) override { return nullptr; }
    TMIDIProxyInOut* MAPI_ioProxy(int index) override { return nullptr; }
    int32_t MAPI_proxiesNeeded() override { return {}; }
    IClientServices* MAPI_cs() override { return nullptr; }
    IPrefsQuery_VANTREL_KXE* MAPI_prefs() override { return nullptr; }
    int32_t MAPI_getIndParamDirectMemAPI(int& value, short element, short parameter, short channel) override { return {}; }
    int32_t MAPI_getElementDirty(short element, unsigned int mask) override { return {}; }
    int32_t MAPI_getIndParamDirty(short element, short parameter, short channel, unsigned int mask, bool flag) override { return {}; }
    float MAPI_getIndFloatParam(int address, float value, int kind) override { return {}; }
    int32_t MAPI_getDisplayStringForValue(short channel, int kind, QString* text, QPixmap* pixmap, int value, int flags, short element, short parameter) override { return {}; }
    int32_t MAPI_frequency(int32_t* status) override { return {}; }
    int32_t MAPI_faderConvertLinearToNonLinear(int& value, short element, short parameter, int channel) override { return {}; }
    int32_t MAPI_faderConvertNonLinearToLinear(int& value, short element, short parameter, int channel) override { return {}; }
    void* MAPI_xtndInterface(int32_t* status) override { return nullptr; }
    int32_t MAPI_translateSymbolicNames(TSymbolQuery* query) override { return {}; }
    int32_t MAPI_maxAllChannels(int32_t* status) override { return {}; }
    QTimer* MAPI_blinkingTimer(bool* state, int32_t* status) override { return nullptr; }
    int32_t MAPI_postParamChangeMIDImsg(short element, short parameter, short channel, int value) override { return {}; }
    int32_t MAPI_identicalElements(short element, short parameter, short other, int32_t* status) override { return {}; }
    int32_t MAPI_signalSlot(const char* signal, QObject* receiver, const char* member, bool connect) override { return {}; }
    int32_t MAPI_slotSignal(const char* slot, QObject* sender, const char* signal, bool connect) override { return {}; }
    int32_t MAPI_serviceFrequentTasks() override { return {}; }
    int32_t MAPI_MPNotify(const tagMPMSG& message) override { return {}; }
    int32_t MAPI_saveViaStream(QDataStream& stream) override { return {}; }
    int32_t MAPI_loadViaStream(QDataStream& stream) override { return {}; }
    int32_t MAPI_getIndParamEditState(short element, short parameter, short channel, bool& shown, bool& enabled) override { return {}; }
    int32_t MAPI_saveIStream(IStream* stream) override { return {}; }
    int32_t MAPI_loadIStream(IStream* stream) override { return {}; }
    int32_t MAPI_setPortsFromPreferences() override { return {}; }
    int32_t MAPI_getKV519FromInpatch(short element, short parameter, short channel, bool* flag, TSingleBaseAddress* address, int32_t* status) override { return {}; }
    int32_t MAPI_setKV519FromInpatch(short element, short parameter, short channel, int value) override { return {}; }
    int32_t MAPI_reqMeterData(bool on, TMemProxyBasic* proxy, short element, short parameter, short channel) override { return {}; }
    const int32_t* MAPI_meterTable(int kind, int& count, int32_t* status) override { return nullptr; }
    int32_t MAPI_reqTimeCodeCounter(bool on, TMemProxyBasic* proxy) override { return {}; }
    QObject* MAPI_fsNotifier(int32_t* status) override { return nullptr; }
    int32_t MAPI_uiEvent(unsigned int event) override { return {}; }

private:
    std::recursive_mutex m_lock;
    int m_depth = 0;
    std::mutex m_gateMutex;
    std::condition_variable m_gateChanged;
    bool m_gateOpen = true;
    std::mutex m_receivedMutex;
    std::condition_variable m_receivedChanged;
    std::vector<Received> m_received;
    int32_t m_readAnswer = 0;
};
