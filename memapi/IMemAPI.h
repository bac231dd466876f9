#pragma once
// The memory-API interface: every library reaches the instrument's memory through
// it. Statuses are 32-bit: 0 success (yes of the predicates), 0x80000001 not
// implemented, 0x80000003 invalid argument, 0x80000004 no such interface,
// 0x80000008 failure (no of the predicates), 0x8000FFFF no preferences or memory
// model, 1460 time-out. A null status pointer is allowed everywhere.
#include "utilities/interfaces/IUnknown.h"
#include "vantrel_kxe21_memapi_export.h"
#include <cstdint>

class IClientServices;
class IMPClientProgressHandler;
class IPrefsQuery_VANTREL_KXE;
class IStream;
class MemAPITask_VANTREL_KXE;
class QBuffer;
class QDataStream;
class QMdiArea;
class QObject;
class QPixmap;

#include <QStringList>
class QTimer;
class QUuid;
class QWidget;
class TMemProxyBasic;
class TMemProxy_VANTREL_KXE;
class TMIDIProxyInOut;
class TObserverProxy_VANTREL_KXE;
class TResponseHandler_VANTREL_KXE;
struct tagMPMSG;

namespace NS_MemAPI {
constexpr int32_t kOk = 0;
constexpr int32_t kNotImplemented = int32_t(0x80000001);
constexpr int32_t kInvalidArgument = int32_t(0x80000003);
constexpr int32_t kNoInterface = int32_t(0x80000004);
constexpr int32_t kCancelled = int32_t(0x80000007);
constexpr int32_t kFailure = int32_t(0x80000008);
constexpr int32_t kUnexpected = int32_t(0x8000FFFF);
constexpr int32_t kTimeout = 1460;

// Observer key of a parameter address.
constexpr uint32_t observerKey(int element, int parameter, int channel)
{
    return uint32_t(element) << 22 | uint32_t(parameter) << 11 | uint32_t(channel);
}
// Unregistering this key removes its dictionary entry.
constexpr uint32_t kRemovableObserverKey = 0xBEAFDEADu;

// Interface identifier 276D36C7-A738-442A-A2E4-A54D6C41E304, its bytes in text order.
inline Y_GUID iidIMemAPI()
{
    return QUuid2Guid(QUuid(0x276D36C7, 0xA738, 0x442A, 0xA2, 0xE4, 0xA5, 0x4D, 0x6C, 0x41, 0xE3, 0x04));
}
} // namespace NS_MemAPI

class VANTREL_MEMAPI_EXPORT IMemAPI : public IUnknown
{
public:
    // One parsed record of a named address.
    struct TSingleAddress_VANTREL_KXE
    {
        int16_t element = -1;
        int16_t channel = -1;
        int16_t parameter = -1;
        int16_t base = 0;
        int16_t count = 0;
    };
    // A parsed named address; the records are allocated with new[] and owned by
    // whoever receives them.
    struct TCompleteAddress
    {
        int32_t count = 0;
        TSingleAddress_VANTREL_KXE* records = nullptr;
    };
    // One entry of a symbolic-name query; a null name ends the array.
    struct TSymbolQuery
    {
        const char* name = nullptr;
        int16_t element = 0;
        int16_t parameter = 0;
    };
    struct TSingleBaseAddress;
    struct TLibData;
    enum EPostAction { PostNothing = 0, PostSetDirtyFlags = 1 };

    virtual int32_t MAPI_stringList(int tableId, QStringList* list) = 0;
    virtual int32_t MAPI_translateErrorCode(int32_t code, QString* text) = 0;
    virtual int32_t MAPI_forceRecursiveUpdate(QWidget* widget) = 0;
    virtual int32_t MAPI_associateEditor(short a, short b, short c, int d, const QUuid& id,
                                         int value) = 0;
    virtual int32_t MAPI_getAssociatedEditor(short a, short b, short c, int d, QUuid& id,
                                             int& value) = 0;
    virtual int32_t MAPI_registerWindowControl(const char* name, const QUuid& module, int value) = 0;
    virtual int32_t MAPI_sendWindowControl(const char* name, unsigned short value) = 0;
    virtual int32_t MAPI_performUndoRedo(bool redo) = 0;
    virtual int32_t MAPI_save4undo(TMemProxy_VANTREL_KXE* proxy) = 0;
    virtual int32_t MAPI_pushUndoObject(QBuffer* buffer) = 0;
    virtual int32_t MAPI_flushUndoBuffers() = 0;
    virtual int32_t MAPI_totalRecall(void* context, bool upload, unsigned int mask,
                                     IMPClientProgressHandler* progress, int32_t* status) = 0;
    virtual int32_t MAPI_recallFeatureSet(uint32_t* count, unsigned short** features,
                                          uint32_t* mask, bool* upload, uint32_t* flags) = 0;
    virtual void MAPI_cancelRecall() = 0;
    virtual int32_t MAPI_ignoreIntermediateChanges() = 0;
    virtual int32_t MAPI_setIgnoreIntermediateChanges(bool ignore) = 0;
    virtual int32_t MAPI_closingDown(bool set) = 0;
    virtual QObject* MAPI_qself() = 0;
    virtual uint32_t MAPI_online() = 0;
    virtual int32_t MAPI_setOnline(unsigned int online) = 0;
    virtual int32_t MAPI_pairCopy(short element, int from, int to, bool flag) = 0;
    virtual int32_t MAPI_pairBreak(short element, int from, int to) = 0;
    virtual int32_t MAPI_getNumElements(int32_t* status) = 0;
    virtual int32_t MAPI_getNumParams(short element, int32_t* status) = 0;
    virtual int32_t MAPI_getNumChannels(short element, int32_t* status) = 0;
    virtual int32_t MAPI_getLibData(bool flag, int kind, short element, short channel,
                                    unsigned char* data, int length, int* written) = 0;
    virtual int32_t MAPI_setLibData(int kind, short element, short channel,
                                    const unsigned char* data, int length, bool flag) = 0;
    virtual int32_t MAPI_getLibInfo(int kind, short index, QObject** object, TLibData* info,
                                    bool flag, unsigned char bank) = 0;
    // Any thread, under the lock. Nothing once closing down.
    virtual int32_t MAPI_registerObserver(TMemProxyBasic* proxy, unsigned int key,
                                          TObserverProxy_VANTREL_KXE* observer) = 0;
    virtual int32_t MAPI_unregisterObserver(TMemProxyBasic* proxy, unsigned int key) = 0;
    virtual TObserverProxy_VANTREL_KXE* MAPI_findObserver(unsigned int key, int32_t* status) = 0;
    virtual int32_t MAPI_getIndParamDefault(short element, short parameter, short channel,
                                            bool flag, int32_t* status) = 0;
    virtual int32_t MAPI_getIndParamMin(short element, short parameter, short channel,
                                        int32_t* status) = 0;
    virtual int32_t MAPI_getIndParamMax(short element, short parameter, short channel,
                                        int32_t* status) = 0;
    virtual int32_t MAPI_getIndParam(short element, short parameter, short channel, bool flag,
                                     int32_t* status) = 0;
    virtual int32_t MAPI_setIndParam(short element, short parameter, short channel, int value,
                                     unsigned int flags, EPostAction action) = 0;
    virtual uint32_t MAPI_dirtyAllFlags(int32_t* status) = 0;
    virtual uint32_t MAPI_lcdFlags(int32_t* status) = 0;
    virtual uint32_t MAPI_smFlags(int32_t* status) = 0;
    virtual int32_t MAPI_parse(TCompleteAddress& address, const QString* text) = 0;
    virtual int32_t MAPI_assignServerChannel(TMemProxy_VANTREL_KXE* proxy, int channel) = 0;
    virtual int32_t MAPI_assignServer(QObject* object, int channel) = 0;
    // Any thread. Takes (true) or releases (false) the recursive lock.
    virtual int32_t MAPI_lock(bool lock) = 0;
    virtual int32_t MAPI_tryLock() = 0;
    virtual int32_t MAPI_suspendNotifications(bool suspend) = 0;
    virtual int32_t MAPI_setIncomingMidiMsgParamChangeHandle(TResponseHandler_VANTREL_KXE* handler) = 0;
    virtual MemAPITask_VANTREL_KXE* MAPI_memApiTaskObject(int32_t* status) = 0;
    virtual int32_t MAPI_blocked() = 0;
    virtual int32_t MAPI_writeMIDI(const void* data, int length) = 0;
    virtual int32_t MAPI_readMIDI(const void* data, int length, bool sysex, bool channel) = 0;
    virtual int32_t MAPI_associate(TMIDIProxyInOut* proxy, IPrefsQuery_VANTREL_KXE* prefs, int index,
                                   IClientServices* cs) = 0;
    virtual int32_t MAPI_setWorkspace(QMdiArea* workspace) = 0;
    virtual QMdiArea* MAPI_workspace(int32_t* status) = 0;
    virtual TMIDIProxyInOut* MAPI_ioProxy(int index) = 0;
    virtual int32_t MAPI_proxiesNeeded() = 0;
    virtual IClientServices* MAPI_cs() = 0;
    virtual IPrefsQuery_VANTREL_KXE* MAPI_prefs() = 0;
    virtual int32_t MAPI_getIndParamDirectMemAPI(int& value, short element, short parameter,
                                                 short channel) = 0;
    virtual int32_t MAPI_getElementDirty(short element, unsigned int mask) = 0;
    virtual int32_t MAPI_getIndParamDirty(short element, short parameter, short channel,
                                          unsigned int mask, bool flag) = 0;
    virtual float MAPI_getIndFloatParam(int address, float value, int kind) = 0;
    virtual int32_t MAPI_getDisplayStringForValue(short channel, int kind, QString* text,
                                                  QPixmap* pixmap, int value, int flags,
                                                  short element, short parameter) = 0;
    virtual int32_t MAPI_frequency(int32_t* status) = 0;
    virtual int32_t MAPI_faderConvertLinearToNonLinear(int& value, short element, short parameter,
                                                       int channel) = 0;
    virtual int32_t MAPI_faderConvertNonLinearToLinear(int& value, short element, short parameter,
                                                       int channel) = 0;
    virtual void* MAPI_xtndInterface(int32_t* status) = 0;
    virtual int32_t MAPI_translateSymbolicNames(TSymbolQuery* query) = 0;
    virtual int32_t MAPI_maxAllChannels(int32_t* status) = 0;
    // The shared 512 ms blink timer; *state is the current blink state.
    virtual QTimer* MAPI_blinkingTimer(bool* state, int32_t* status) = 0;
    virtual int32_t MAPI_postParamChangeMIDImsg(short element, short parameter, short channel,
                                                int value) = 0;
    virtual int32_t MAPI_identicalElements(short element, short parameter, short other,
                                           int32_t* status) = 0;
    // GUI thread. Signal and slot texts in the toolkit's coded form ("2..." / "1...").
    virtual int32_t MAPI_signalSlot(const char* signal, QObject* receiver, const char* member,
                                    bool connect) = 0;
    virtual int32_t MAPI_slotSignal(const char* slot, QObject* sender, const char* signal,
                                    bool connect) = 0;
    virtual int32_t MAPI_serviceFrequentTasks() = 0;
    virtual int32_t MAPI_MPNotify(const tagMPMSG& message) = 0;
    virtual int32_t MAPI_saveViaStream(QDataStream& stream) = 0;
    virtual int32_t MAPI_loadViaStream(QDataStream& stream) = 0;
    virtual int32_t MAPI_getIndParamEditState(short element, short parameter, short channel,
                                              bool& shown, bool& enabled) = 0;
    virtual int32_t MAPI_saveIStream(IStream* stream) = 0;
    virtual int32_t MAPI_loadIStream(IStream* stream) = 0;
    virtual int32_t MAPI_readMIDIFromPort(int port, const void* data, int length, bool sysex,
                                          bool channel) = 0;
    virtual int32_t MAPI_setPortsFromPreferences() = 0;
    virtual int32_t MAPI_getKV519FromInpatch(short element, short parameter, short channel,
                                             bool* flag, TSingleBaseAddress* address,
                                             int32_t* status) = 0;
    virtual int32_t MAPI_setKV519FromInpatch(short element, short parameter, short channel,
                                             int value) = 0;
    virtual int32_t MAPI_reqMeterData(bool on, TMemProxyBasic* proxy, short element,
                                      short parameter, short channel) = 0;
    virtual const int32_t* MAPI_meterTable(int kind, int& count, int32_t* status) = 0;
    virtual int32_t MAPI_reqTimeCodeCounter(bool on, TMemProxyBasic* proxy) = 0;
    virtual QObject* MAPI_fsNotifier(int32_t* status) = 0;
    virtual int32_t MAPI_uiEvent(unsigned int event) = 0;
    virtual ~IMemAPI();
};
