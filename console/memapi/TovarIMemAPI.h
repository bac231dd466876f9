#pragma once
// The editor's memory-API object: the IMemAPI through which the host component,
// views, controls and dialogs reach the instrument's memory. It owns the memory
// model, the GUI-thread companion, the total-recall engine, the translator and a
// lazily started worker thread. The object and everything it builds belong to the
// GUI thread: the factory builds it there even when asked on another thread, and
// its last Release destroys it there.
#include "memapi/StdIMemAPI.h"
#include "vantrel_kxe21_console_export.h"
#include <QString>
#include <QVariant>
#include <atomic>
#include <optional>

class CSynthMemory;
class IPrefsQuery_VANTREL_KXE;
class QTranslator;
class RecallLogic;
class TovarIMemAPIQObject_VANTREL_KXE;
class TovarMemAPITask;

// Exported factory: the one process-wide factory, with a reference added per call.
extern "C" VANTREL_CONSOLE_EXPORT IUnknown* MemAPI_Factory();

namespace NS_TovarMemAPI {
// Preference numbers the object reads and writes.
constexpr int kPrefDeviceNumber = 0;
constexpr int kPrefInGuid = 8;
constexpr int kPrefOutGuid = 9;
constexpr int kPrefInName = 11;
constexpr int kPrefOutName = 12;
constexpr int kPrefRemoteInGuid = 512;
constexpr int kPrefRemoteOutGuid = 513;
constexpr int kPrefRemoteInName = 514;
constexpr int kPrefRemoteOutName = 515;
constexpr int kPrefDumpInterval = 516;
constexpr int kPrefPresetVoices = 518;

// Settings store: organisation (the maker's domain), application name ("VANTREL_KXE"
// followed by " Tovar Editor"), and its keys at the top level.
VANTREL_CONSOLE_EXPORT QString settingsOrganization();
VANTREL_CONSOLE_EXPORT QString settingsApplication();
extern VANTREL_CONSOLE_EXPORT const char* const kProductCode;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyConsoleID;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyDumpTransmitInterval;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyVerticalDials;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyInPort;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyInGuid;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyOutPort;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyOutGuid;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyInRPort;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyInRGuid;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyOutRPort;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyOutRGuid;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyMidiCh;
extern VANTREL_CONSOLE_EXPORT const char* const kKeyVoiceSeachMode;

// The number a project's preferences hold under the property, 0 included; none where
// they hold no value (nor a number), so that the settings store gives it instead.
VANTREL_CONSOLE_EXPORT std::optional<int> heldNumber(const IPrefsQuery_VANTREL_KXE* prefs, int property);

// The bound on waiting for the worker at destruction.
constexpr int kWorkerStopWaitMs = 10000;
} // namespace NS_TovarMemAPI

class VANTREL_CONSOLE_EXPORT TovarMemAPIFactory : public IUnknown
{
public:
    // Any thread. For IMemAPI: a new memory-API object with a count of 1, built on the
    // GUI thread; the caller owns it and the factory keeps no pointer to it.
    int32_t QueryInterface(const Y_GUID& iid, void** object) override;
    uint32_t AddRef() override;
    uint32_t Release() override;

    // The live factory, or null.
    static TovarMemAPIFactory* singleton();

private:
    friend IUnknown* MemAPI_Factory();
    TovarMemAPIFactory();
    virtual ~TovarMemAPIFactory();
    int32_t m_refCount = 1;
};

class VANTREL_CONSOLE_EXPORT TovarIMemAPI : public StdIMemAPI
{
public:
    // Any thread; builds the memory model from the data folder beside the bundle.
    TovarIMemAPI(IUnknown* outer, const Y_GUID& factoryId, bool registerInstance);
    // Tests and the bench: the memory model from these template files.
    TovarIMemAPI(IUnknown* outer, const Y_GUID& factoryId, bool registerInstance,
                 const QString& multiTemplate, const QString& voiceTemplate);

    // ---- IUnknown; any thread
    int32_t QueryInterface(const Y_GUID& iid, void** object) override;
    uint32_t AddRef() override;
    // The last release destroys the object on the GUI thread (marshalled there and
    // waited for up to 4000 ms when called elsewhere).
    uint32_t Release() override;
    int32_t NonDelegatingQueryInterface(const Y_GUID& iid, void** object);

    // ---- total recall and other IMemAPI overrides
    int32_t MAPI_totalRecall(void* context, bool upload, unsigned int mask,
                             IMPClientProgressHandler* progress, int32_t* status) override;
    int32_t MAPI_recallFeatureSet(uint32_t* a, unsigned short** description, uint32_t* b, bool* c,
                                  uint32_t* preferred) override;
    void MAPI_cancelRecall() override;
    int32_t MAPI_pairCopy(short element, int from, int to, bool flag) override;
    int32_t MAPI_pairBreak(short element, int from, int to) override;
    int32_t MAPI_getNumElements(int32_t* status) override;
    int32_t MAPI_getNumParams(short element, int32_t* status) override;
    int32_t MAPI_getNumChannels(short element, int32_t* status) override;
    int32_t MAPI_getLibData(bool flag, int kind, short element, short channel, unsigned char* data,
                            int length, int* written) override;
    int32_t MAPI_setLibData(int kind, short element, short channel, const unsigned char* data,
                            int length, bool flag) override;
    int32_t MAPI_getLibInfo(int kind, short index, QObject** object, TLibData* info, bool flag,
                            unsigned char bank) override;

    // ---- parameters; any thread, under the API lock
    int32_t MAPI_getIndParamDefault(short element, short parameter, short channel, bool flag,
                                    int32_t* status) override;
    int32_t MAPI_getIndParamMin(short element, short parameter, short channel,
                                int32_t* status) override;
    int32_t MAPI_getIndParamMax(short element, short parameter, short channel,
                                int32_t* status) override;
    int32_t MAPI_getIndParam(short element, short parameter, short channel, bool flag,
                             int32_t* status) override;
    // Stores, sends and notifies the edited address's observers on the calling
    // thread; linked changes reach their observers through the worker.
    int32_t MAPI_setIndParam(short element, short parameter, short channel, int value,
                             unsigned int flags, EPostAction action) override;
    uint32_t MAPI_dirtyAllFlags(int32_t* status) override;
    uint32_t MAPI_lcdFlags(int32_t* status) override;
    uint32_t MAPI_smFlags(int32_t* status) override;
    int32_t MAPI_parse(TCompleteAddress& address, const QString* text) override;
    int32_t MAPI_assignServerChannel(TMemProxy_VANTREL_KXE* proxy, int channel) override;
    int32_t MAPI_assignServer(QObject* root, int channel) override;
    int32_t MAPI_setIncomingMidiMsgParamChangeHandle(TResponseHandler_VANTREL_KXE* handler) override;
    // Any thread, under the API lock. Null while closing down or being destroyed.
    MemAPITask_VANTREL_KXE* MAPI_memApiTaskObject(int32_t* status) override;

    // ---- MIDI and ports
    int32_t MAPI_writeMIDI(const void* data, int length) override;
    int32_t MAPI_readMIDI(const void* data, int length, bool first, bool remote) override;
    int32_t MAPI_associate(TMIDIProxyInOut* proxy, IPrefsQuery_VANTREL_KXE* prefs, int index,
                           IClientServices* cs) override;
    TMIDIProxyInOut* MAPI_ioProxy(int index) override;
    int32_t MAPI_proxiesNeeded() override;
    int32_t MAPI_getIndParamDirectMemAPI(int& value, short element, short parameter,
                                         short channel) override;
    int32_t MAPI_getElementDirty(short element, unsigned int mask) override;
    int32_t MAPI_getIndParamDirty(short element, short parameter, short channel, unsigned int mask,
                                  bool flag) override;
    float MAPI_getIndFloatParam(int address, float value, int kind) override;
    int32_t MAPI_getDisplayStringForValue(short channel, int kind, QString* text, QPixmap* pixmap,
                                          int value, int flags, short element,
                                          short parameter) override;
    int32_t MAPI_frequency(int32_t* status) override;
    int32_t MAPI_faderConvertLinearToNonLinear(int& value, short element, short parameter,
                                               int channel) override;
    int32_t MAPI_faderConvertNonLinearToLinear(int& value, short element, short parameter,
                                               int channel) override;
    void* MAPI_xtndInterface(int32_t* status) override;
    int32_t MAPI_translateSymbolicNames(TSymbolQuery* query) override;
    int32_t MAPI_maxAllChannels(int32_t* status) override;
    int32_t MAPI_postParamChangeMIDImsg(short element, short parameter, short channel,
                                        int value) override;
    int32_t MAPI_identicalElements(short element, short parameter, short other,
                                   int32_t* status) override;
    int32_t MAPI_MPNotify(const tagMPMSG& message) override;
    // ---- document stream; the host's calling thread
    int32_t MAPI_saveViaStream(QDataStream& stream) override;
    int32_t MAPI_loadViaStream(QDataStream& stream) override;
    int32_t MAPI_getIndParamEditState(short element, short parameter, short channel, bool& shown,
                                      bool& second) override;
    int32_t MAPI_saveIStream(IStream* stream) override;
    int32_t MAPI_loadIStream(IStream* stream) override;
    // Pump thread, with the API lock held for the batch (taken again here).
    int32_t MAPI_readMIDIFromPort(int port, const void* data, int length, bool first,
                                  bool remote) override;
    int32_t MAPI_setPortsFromPreferences() override;
    // Any thread: posted to the companion on the GUI thread.
    int32_t MAPI_uiEvent(unsigned int code) override;

    // ---- the object's own slots 97-100
    virtual int32_t MAPI_translateElementIndex(int kind, short index, int32_t* status);
    virtual int32_t MAPI_getBlkAndParamDirtyFlag(unsigned int block, unsigned int& blockFlags,
                                                 unsigned char*& paramFlags);
    virtual int32_t MAPI_getIndParamDirtyFlag(int index, unsigned char* flags);
    virtual int32_t MAPI_getParamAddress(unsigned int block, int index, unsigned char* address);

    // ---- used by the companion, the worker and total recall
    TovarIMemAPIQObject_VANTREL_KXE* qself() const;
    CSynthMemory* memory() const { return m_memory; }
    RecallLogic* recallLogic() const { return m_recall; }
    // Under the API lock: re-runs the memory model's start-up and re-associates both
    // bridges so that the device number and preset flag are applied again.
    void resetSettings();
    // Under the API lock: whether bridge `index` has a port with identity in direction `which`.
    bool connected_port(int index, int which);
    // GUI thread only (does nothing elsewhere): every observer re-reads its value.
    void notifyAllObservers();
    // Alerts the address's observers on the calling thread (receive-switch groups fan
    // out to element 2) and wakes the worker.
    void trigerMemAPITask(short element, short parameter, short channel);
    // Not called by the system: forces the instrument into multi mode.
    void put_synth_in_multi_mode();
    // The name of the port with that identifier among the bridge's ports of one
    // direction; an empty variant when not found or the bridge lists no ports.
    static QVariant FindPortDescriptor(const QUuid& identifier, bool output, TMIDIProxyInOut* bridge);

    // The current reference count (tests).
    int32_t refCount() const { return m_refCount.load(); }
    // Whether a translator was loaded and installed.
    bool hasTranslator() const { return m_translator != nullptr; }

protected:
    ~TovarIMemAPI() override;

private:
    friend class TovarMemAPIFactory;
    void initialise(const QString& multiTemplate, const QString& voiceTemplate);
    // Returns false (and leaves everything in place) when the worker did not stop.
    bool destroy();
    void autoSetRemotePorts();
    // Under the API lock: the multi map's control-surface flags, from where this object
    // runs and whether a surface bridge is associated.
    void applyRemoteCtrlFlags(bool portsAssigned);
    void installChangeWaker();
    void applyPortPreferences(TMIDIProxyInOut* bridge, int inProperty, int outProperty,
                              int inNameProperty, int outNameProperty, int pair);

    std::atomic<int32_t> m_refCount{1};
    IUnknown* m_outer = nullptr;
    QUuid m_factoryUuid; // held only when registered
    bool m_registered = false;
    CSynthMemory* m_memory = nullptr;
    TMIDIProxyInOut* m_remoteProxy = nullptr;
    RecallLogic* m_recall = nullptr;
    QTranslator* m_translator = nullptr;
    bool m_destroying = false;
    // Made by the factory for the host component: the editor runs as a plug-in.
    bool m_runningAsPlugIn = false;
    // The worker, readable without the lock by the model's change waker.
    std::atomic<TovarMemAPITask*> m_task{nullptr};
};
