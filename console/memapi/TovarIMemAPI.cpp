#include "console/memapi/TovarIMemAPI.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include "console/memapi/AddressParser.h"
#include "console/memapi/MemApiLogging.h"
#include "console/memapi/NS_LookupUtility.h"
#include "console/memapi/TDocumentStreamHeader.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/memapi/TovarMemAPITask.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "console/model/VoiceBanks.h"
#include "genericeditor/interfaces/HostInterfaces.h"
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "memapi/TObserverProxy_VANTREL_KXE.h"
#include "platform/PlatformPlugInRegistry.h"
#include "transport/TMIDITransport.h"
#include "utilities/Atomic.h"
#include "utilities/WideString.h"
#include "utilities/ThreadUtilities.h"
#include "utilities/interfaces/IMIDIPortAccessor.h"
#include "utilities/interfaces/IPrefsQuery_VANTREL_KXE.h"
#include "utilities/interfaces/MPPortData.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"
#include "utilities/StreamVersion.h"

#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QLocale>
#include <QMutex>
#include <QRecursiveMutex>
#include <QSettings>
#include <QThread>
#include <QTranslator>
#include <QWaitCondition>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <optional>

using namespace NS_MemAPI;
using Companion = TovarIMemAPIQObject_VANTREL_KXE;

namespace NS_TovarMemAPI {
QString settingsOrganization() { return QStringLiteral("halvorsk.example"); }
QString settingsApplication() { return QStringLiteral("VANTREL_KXE Tovar Editor"); }

std::optional<int> heldNumber(const IPrefsQuery_VANTREL_KXE* prefs, int property)
{
    QVariant value;
    if (!prefs || !prefs->propertyValueAvailable(property, &value))
        return std::nullopt;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}
const char* const kProductCode = "VANTREL_KXE";
const char* const kKeyConsoleID = "ConsoleID";
const char* const kKeyDumpTransmitInterval = "DumpTransmitInterval";
const char* const kKeyVerticalDials = "VerticalDials";
const char* const kKeyInPort = "InPort";
const char* const kKeyInGuid = "InGuid";
const char* const kKeyOutPort = "OutPort";
const char* const kKeyOutGuid = "OutGuid";
const char* const kKeyInRPort = "InRPort";
const char* const kKeyInRGuid = "InRGuid";
const char* const kKeyOutRPort = "OutRPort";
const char* const kKeyOutRGuid = "OutRGuid";
const char* const kKeyMidiCh = "MidiCh";
const char* const kKeyVoiceSeachMode = "VoiceSeachMode";
} // namespace NS_TovarMemAPI

using namespace NS_TovarMemAPI;

namespace {

const Y_GUID kIIDUnknown(0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// The API lock exists from initialize() until terminate(); a null mutex locks nothing.
using ApiLocker = QMutexLocker<QRecursiveMutex>;

QThread* guiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app ? app->thread() : nullptr;
}

// The voice list asks for every program of a bank: a program past the voices the bank
// holds is no voice there, though the bank table answers it with its number.
void listedVoiceName(const CSynthMemory& memory, int part, int program, int msb, int lsb, QString& out)
{
    const CVoiceBanks* banks = memory.VoiceBanks();
    const int held = banks ? banks->GetNumVoices(msb, lsb) : 0;
    if (held > 0 && program >= held)
        return;
    memory.GetVoiceNameString(part, program, msb, lsb, out);
}

bool onGuiThread()
{
    QThread* gui = guiThread();
    return !gui || QThread::currentThread() == gui;
}

// Runs work on the GUI thread and waits for it up to timeoutMs. Work that has not
// started by then is abandoned when `abandon` is set (it will then never run), else
// it stays queued and runs later. Work that has started is always waited for.
bool runOnGuiThread(const std::function<void()>& work, int timeoutMs, bool abandon)
{
    if (onGuiThread()) {
        work();
        return true;
    }
    struct State
    {
        QMutex mutex;
        QWaitCondition done;
        bool started = false;
        bool finished = false;
        bool abandoned = false;
    };
    auto state = std::make_shared<State>();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [state, work] {
            {
                QMutexLocker locker(&state->mutex);
                if (state->abandoned)
                    return;
                state->started = true;
            }
            work();
            QMutexLocker locker(&state->mutex);
            state->finished = true;
            state->done.wakeAll();
        },
        Qt::QueuedConnection);
    QMutexLocker locker(&state->mutex);
    QDeadlineTimer deadline(timeoutMs);
    while (!state->finished) {
        if (!state->done.wait(&state->mutex, deadline) && !state->finished) {
            if (state->started) {
                // Running now: it finishes soon, and its result must not be lost.
                deadline = QDeadlineTimer(QDeadlineTimer::Forever);
                continue;
            }
            if (abandon)
                state->abandoned = true;
            return false;
        }
    }
    return true;
}

TovarMemAPIFactory* s_singleton = nullptr;

QString uuidText(const QUuid& id) { return id.toString(); }

} // namespace

// ---- factory

IUnknown* MemAPI_Factory()
{
    if (s_singleton) {
        s_singleton->AddRef();
        return s_singleton;
    }
    s_singleton = new TovarMemAPIFactory;
    return s_singleton;
}

TovarMemAPIFactory::TovarMemAPIFactory() = default;

TovarMemAPIFactory::~TovarMemAPIFactory()
{
    if (s_singleton == this)
        s_singleton = nullptr;
}

TovarMemAPIFactory* TovarMemAPIFactory::singleton() { return s_singleton; }

int32_t TovarMemAPIFactory::QueryInterface(const Y_GUID& iid, void** object)
{
    if (!object)
        return kNoInterface;
    *object = nullptr;
    if (iid != iidIMemAPI())
        return kNoInterface;
    // Every query makes an object of its own, so that each component has its own image,
    // document and port bridges; the factory keeps no pointer to it.
    TovarIMemAPI* created = nullptr;
    // Built on the GUI thread: the companion, its timers and the maps' objects live there.
    // The factory serves the host component: the object it makes runs inside a host.
    if (!runOnGuiThread(
            [&created] {
                created = new TovarIMemAPI(nullptr, kIIDUnknown, false);
                created->m_runningAsPlugIn = true;
            },
            10000, true)) {
        qCCritical(lcMemApi) << "the GUI thread did not build the memory-API object in time";
        return kFailure;
    }
    *object = static_cast<IMemAPI*>(created);
    return kOk;
}

uint32_t TovarMemAPIFactory::AddRef() { return uint32_t(InterlockedExchangeAdd(&m_refCount, 1) + 1); }

uint32_t TovarMemAPIFactory::Release()
{
    const int32_t count = InterlockedExchangeAdd(&m_refCount, -1) - 1;
    if (count == 0)
        delete this;
    return uint32_t(count);
}

// ---- creation and lifetime

TovarIMemAPI::TovarIMemAPI(IUnknown* outer, const Y_GUID& factoryId, bool registerInstance)
    : TovarIMemAPI(outer, factoryId, registerInstance, QString(), QString())
{
}

TovarIMemAPI::TovarIMemAPI(IUnknown* outer, const Y_GUID& factoryId, bool registerInstance,
                           const QString& multiTemplate, const QString& voiceTemplate)
    : m_outer(outer)
{
    if (registerInstance) {
        m_factoryUuid = Guid2QUuid(factoryId);
        m_registered = true;
        NS_Platform::PlatformPlugInRegistry::addInstanceForFactory(m_factoryUuid);
    }
    qCDebug(lcMemApi) << "TovarIMemAPI created";
    initialise(multiTemplate, voiceTemplate);
}

TovarIMemAPI::~TovarIMemAPI() = default;

void TovarIMemAPI::initialise(const QString& multiTemplate, const QString& voiceTemplate)
{
    NS_LookupUtility::AddRef();
    if (QCoreApplication* app = QCoreApplication::instance()) {
        const QString path = GetModulePath() + QStringLiteral("/tovar_") + QLocale::system().name()
                             + QStringLiteral(".qm");
        auto* translator = new QTranslator;
        if (translator->load(path)) {
            app->installTranslator(translator);
            m_translator = translator;
        } else {
            delete translator;
        }
    }
    StdIMemAPI::initialize();
    m_memory = multiTemplate.isEmpty() ? new CSynthMemory(this)
                                       : new CSynthMemory(this, multiTemplate, voiceTemplate);
    m_remoteProxy = nullptr;
    installChangeWaker();
    m_companion = new Companion(this);
    m_recall = Companion::createRecallLogic(m_memory);
}

void TovarIMemAPI::installChangeWaker()
{
    // Called with the queue's own mutex held: it must not take the API lock.
    if (m_memory && m_memory->MultiMap())
        m_memory->MultiMap()->SetChangeWaker([this] {
            if (TovarMemAPITask* task = m_task.load())
                task->alert();
        });
}

int32_t TovarIMemAPI::QueryInterface(const Y_GUID& iid, void** object)
{
    if (m_outer)
        return m_outer->QueryInterface(iid, object);
    return NonDelegatingQueryInterface(iid, object);
}

int32_t TovarIMemAPI::NonDelegatingQueryInterface(const Y_GUID& iid, void** object)
{
    if (!object)
        return kNoInterface;
    if (iid == kIIDUnknown || iid == iidIMemAPI()) {
        AddRef();
        *object = static_cast<IMemAPI*>(this);
        return kOk;
    }
    *object = nullptr;
    return kNoInterface;
}

uint32_t TovarIMemAPI::AddRef()
{
    if (m_outer)
        return m_outer->AddRef();
    const int32_t count = m_refCount.fetch_add(1) + 1;
    qCDebug(lcMemApi, "TovarIMemAPI:: AddRef() yields:%ld", long(count));
    return uint32_t(count);
}

uint32_t TovarIMemAPI::Release()
{
    if (m_outer)
        return m_outer->Release();
    const int32_t count = m_refCount.fetch_sub(1) - 1;
    qCDebug(lcMemApi, "TovarIMemAPI::Release() yields:%ld", long(count));
    if (count == 0) {
        // Destroyed where it lives; from another thread the destruction is posted
        // there and waited for a bounded time (it still runs if the wait ends first).
        const bool registered = m_registered;
        const QUuid factory = m_factoryUuid;
        auto work = [this, registered, factory] {
            if (!destroy())
                return;
            delete this;
            if (registered)
                NS_Platform::PlatformPlugInRegistry::removeInstanceForFactory(factory);
        };
        if (!runOnGuiThread(work, 4000, false))
            qCWarning(lcMemApi) << "memory-API destruction still pending on the GUI thread";
    }
    return uint32_t(count);
}

bool TovarIMemAPI::destroy()
{
    {
        ApiLocker locker(m_mutex);
        m_destroying = true;
    }
    if (m_worker) {
        m_worker->requestTermination();
        if (!m_worker->wait(kWorkerStopWaitMs)) {
            // Never killed: a thread stopped mid-way could hold the lock or a queue.
            // Everything it might still touch is left in place.
            qCCritical(lcMemApi) << "the memory-API worker did not stop within" << kWorkerStopWaitMs
                                 << "ms; the memory-API object is left in place";
            return false;
        }
        m_task = nullptr;
        delete m_worker;
        m_worker = nullptr;
    }
    Companion::deleteRecallLogic(m_recall);
    m_recall = nullptr;
    {
        ApiLocker locker(m_mutex);
        delete m_memory;
        m_memory = nullptr;
    }
    StdIMemAPI::terminate();
    NS_LookupUtility::Release();
    if (m_translator) {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeTranslator(m_translator);
        delete m_translator;
        m_translator = nullptr;
    }
    return true;
}

TovarIMemAPIQObject_VANTREL_KXE* TovarIMemAPI::qself() const
{
    return static_cast<Companion*>(m_companion);
}

// ---- associations and the worker

int32_t TovarIMemAPI::MAPI_associate(TMIDIProxyInOut* proxy, IPrefsQuery_VANTREL_KXE* prefs, int index,
                                     IClientServices* cs)
{
    ApiLocker locker(m_mutex);
    if (cs)
        m_cs = cs;
    if (index == 0) {
        m_ioProxy = proxy;
        m_prefs = prefs;
        if (m_memory)
            m_memory->SetMIDI(proxy, 0);
        if (prefs) {
            prefs->setProperty(kPrefPresetVoices, QVariant(m_memory ? m_memory->presetVoicesLoaded() : 0));
            m_deviceNumber = prefs->getProperty(kPrefDeviceNumber).toInt();
            if (m_memory)
                m_memory->setDeviceID(m_deviceNumber);
        }
        return kOk;
    }
    if (index == 1) {
        TMIDIProxyInOut* previous = m_remoteProxy;
        m_remoteProxy = proxy;
        if (proxy)
            proxy->setReceiveChannelMessages(true);
        m_prefs = prefs;
        applyRemoteCtrlFlags(proxy != nullptr);
        if (m_memory)
            m_memory->SetMIDI(proxy, 1);
        if (!previous)
            autoSetRemotePorts();
        return kOk;
    }
    return kInvalidArgument;
}

void TovarIMemAPI::applyRemoteCtrlFlags(bool portsAssigned)
{
    CPrmCtrl* multi = m_memory ? m_memory->MultiMap() : nullptr;
    if (!multi)
        return;
    // Inside a host the surface also serves the host's own programs: the editor takes
    // it over only when its remote key is pressed.
    const bool plugIn = m_runningAsPlugIn || multi->IsRunningAsPlugIn();
    multi->SetRemoteCtrlFlags(plugIn, portsAssigned);
    // The manager took the map's flag when the map was built, before this object knew
    // where it runs; it takes plug-in mode now, before an attached surface is set up.
    if (plugIn && !multi->RemoteCtrl().isPlugInMode())
        multi->RemoteCtrl().Refresh(NS_Remote::kRefreshPlugInMode);
}

void TovarIMemAPI::autoSetRemotePorts()
{
    ApiLocker locker(m_mutex);
}

TMIDIProxyInOut* TovarIMemAPI::MAPI_ioProxy(int index)
{
    ApiLocker locker(m_mutex);
    if (index == 0)
        return m_ioProxy;
    if (index == 1)
        return m_remoteProxy;
    return nullptr;
}

int32_t TovarIMemAPI::MAPI_proxiesNeeded() { return 2; }

MemAPITask_VANTREL_KXE* TovarIMemAPI::MAPI_memApiTaskObject(int32_t* status)
{
    if (status)
        *status = kOk;
    ApiLocker locker(m_mutex);
    // Never a new worker once closing down: nothing would stop it in time.
    if (!m_worker && !m_closing && !m_destroying && m_mutex) {
        auto* task = new TovarMemAPITask(this);
        if (QThread* gui = guiThread(); gui && task->thread() != gui)
            task->moveToThread(gui);
        m_worker = task;
        m_task = task;
        task->start();
    }
    return m_worker;
}

void TovarIMemAPI::resetSettings()
{
    // The rebuild's template warnings are shown once the lock is let go.
    CSynthMemory::BoxesAfter boxesAfter;
    ApiLocker locker(m_mutex);
    if (m_memory) {
        m_memory->InitDefaultSettings();
        installChangeWaker();
        if (m_companion)
            m_memory->connectRemoteNotifier(m_companion, SLOT(internalOpenGuiWindow(int,int,int)));
    }
    MAPI_associate(m_ioProxy, m_prefs, 0, nullptr);
    MAPI_associate(m_remoteProxy, m_prefs, 1, nullptr);
}

bool TovarIMemAPI::connected_port(int index, int which)
{
    ApiLocker locker(m_mutex);
    TMIDIProxyInOut* proxy = MAPI_ioProxy(index);
    return proxy && !proxy->portIdentity(which).isNull();
}

void TovarIMemAPI::notifyAllObservers()
{
    ApiLocker locker(m_mutex);
    if (!NS_Utilities::mainThreadRunning())
        return;
    // A copy: an observer may register or unregister while it is activated.
    const QList<TObserverProxy_VANTREL_KXE*> observers = m_observers.values();
    for (TObserverProxy_VANTREL_KXE* observer : observers)
        if (observer)
            observer->activate(nullptr);
}

void TovarIMemAPI::trigerMemAPITask(short element, short parameter, short channel)
{
    MemAPITask_VANTREL_KXE* task = MAPI_memApiTaskObject(nullptr);
    if (!task)
        return;
    if (element >= 0) {
        task->alertProxy(element, parameter, channel);
        // A receive-switch group fans out to its eight switches of element 2.
        if (element == 55 && parameter >= 31 && parameter <= 33)
            for (int q = 8 * parameter - 248; q <= 8 * parameter - 241; ++q)
                task->alertProxy(2, short(q), channel);
    }
    task->alert();
}

// ---- parameters

int32_t TovarIMemAPI::MAPI_getIndParamDefault(short, short, short, bool, int32_t* status)
{
    if (status)
        *status = kOk;
    return 0;
}

int32_t TovarIMemAPI::MAPI_getIndParamMin(short element, short parameter, short channel, int32_t* status)
{
    if (status)
        *status = kOk;
    ApiLocker locker(m_mutex);
    return m_memory ? m_memory->GetIndParamMin(element, channel, parameter) : 0;
}

int32_t TovarIMemAPI::MAPI_getIndParamMax(short element, short parameter, short channel, int32_t* status)
{
    if (status)
        *status = kOk;
    ApiLocker locker(m_mutex);
    return m_memory ? m_memory->GetIndParamMax(element, channel, parameter) : 0;
}

int32_t TovarIMemAPI::MAPI_getIndParam(short element, short parameter, short channel, bool, int32_t* status)
{
    if (status)
        *status = kOk;
    ApiLocker locker(m_mutex);
    return m_memory ? m_memory->GetIndParam(element, channel, parameter) : 0;
}

int32_t TovarIMemAPI::MAPI_setIndParam(short element, short parameter, short channel, int value,
                                       unsigned int flags, EPostAction action)
{
    const uint32_t sm = MAPI_smFlags(nullptr);
    flags &= ~sm;
    ApiLocker locker(m_mutex);
    const int old = MAPI_getIndParam(element, parameter, channel, false, nullptr);
    // Bank select and program number are always applied and sent again.
    if (old == value && !(element == 55 && parameter <= 2))
        return kOk;
    Companion* companion = qself();
    if (companion)
        companion->m_dirty = true;
    int32_t result = kOk;
    if (m_memory) {
        result = m_memory->SetIndParamAndDirty(element, channel, parameter, value, flags) ? kOk : kFailure;
        if (companion)
            companion->dirty(true);
    }
    const int now = MAPI_getIndParam(element, parameter, channel, false, nullptr);
    if (action == PostSetDirtyFlags && now != old && m_memory)
        m_memory->SetIndParamDirty(element, channel, parameter, flags | sm);
    if (MAPI_blocked() == kFailure)
        trigerMemAPITask(element, parameter, channel);
    return result;
}

uint32_t TovarIMemAPI::MAPI_dirtyAllFlags(int32_t* status)
{
    if (status)
        *status = kOk;
    return 0xFFFFFFFFu;
}

uint32_t TovarIMemAPI::MAPI_lcdFlags(int32_t* status)
{
    if (status)
        *status = kFailure;
    return 0;
}

uint32_t TovarIMemAPI::MAPI_smFlags(int32_t* status)
{
    if (status)
        *status = kOk;
    return 1;
}

int32_t TovarIMemAPI::MAPI_getNumElements(int32_t* status)
{
    if (status)
        *status = kOk;
    ApiLocker locker(m_mutex);
    return m_memory ? m_memory->GetNumElements() : 0;
}

int32_t TovarIMemAPI::MAPI_getNumParams(short element, int32_t* status)
{
    if (status)
        *status = kOk;
    ApiLocker locker(m_mutex);
    return m_memory ? m_memory->GetNumParams(element) : 0;
}

int32_t TovarIMemAPI::MAPI_getNumChannels(short, int32_t* status)
{
    if (status)
        *status = kOk;
    return 73;
}

int32_t TovarIMemAPI::MAPI_getIndParamDirty(short element, short parameter, short, unsigned int mask, bool)
{
    ApiLocker locker(m_mutex);
    const int flags = m_memory ? m_memory->GetParamDirtyFlag(element, parameter) : 0;
    return (unsigned(flags) & mask) ? kOk : kFailure;
}

int32_t TovarIMemAPI::MAPI_getIndParamDirtyFlag(int index, unsigned char* flags)
{
    ApiLocker locker(m_mutex);
    return m_memory ? m_memory->GetParamDirtyFlag(index, flags) : 0;
}

int32_t TovarIMemAPI::MAPI_getBlkAndParamDirtyFlag(unsigned int block, unsigned int& blockFlags,
                                                   unsigned char*& paramFlags)
{
    ApiLocker locker(m_mutex);
    return m_memory ? m_memory->GetBlkAndParamDirtyFlag(block, blockFlags, paramFlags) : 0;
}

int32_t TovarIMemAPI::MAPI_getParamAddress(unsigned int block, int index, unsigned char* address)
{
    ApiLocker locker(m_mutex);
    return m_memory && m_memory->GetParamAddress(block, index, address) == 1 ? 0 : 1;
}

int32_t TovarIMemAPI::MAPI_getIndParamEditState(short element, short parameter, short channel, bool& shown,
                                                bool& second)
{
    ApiLocker locker(m_mutex);
    shown = true;
    second = true;
    if (!m_memory)
        return kFailure;
    // The model's answer is taken only when it knows the parameter: both flags stay
    // true otherwise, as the controls expect.
    bool active = true, compare = true;
    if (!m_memory->GetWidgetWindowState(element, channel, parameter, active, compare))
        return kFailure;
    shown = active;
    second = !compare;
    return kOk;
}

int32_t TovarIMemAPI::MAPI_getDisplayStringForValue(short channel, int kind, QString* text, QPixmap*,
                                                    int value, int, short element, short parameter)
{
    ApiLocker locker(m_mutex);
    if (!text)
        return kOk;
    QString out;
    if (m_memory) {
        switch (kind) {
        case 1: m_memory->GetParameterNameString(element, channel, parameter, out); break;
        case 2: m_memory->GetVoiceNameString(channel, value, out); break;
        case 3: m_memory->GetVoiceBulkReceiveName(value, out); break;
        case 4: m_memory->GetVoiceBulkSendName(value, out); break;
        case 5: m_memory->GetBankNameString(channel, out); break;
        case 6: m_memory->GetVoiceShortNameString(channel, value, out); break;
        case 7: listedVoiceName(*m_memory, channel, value, parameter, element, out); break;
        default:
            if (!m_memory->GetDisplayString(element, channel, parameter, out, value))
                out = QString::number(value);
            break;
        }
    } else if (kind != 1 && (kind < 2 || kind > 7)) {
        out = QString::number(value);
    }
    *text = out;
    return kOk;
}

int32_t TovarIMemAPI::MAPI_translateElementIndex(int, short index, int32_t* status)
{
    if (status)
        *status = kOk;
    return index;
}

int32_t TovarIMemAPI::MAPI_frequency(int32_t* status)
{
    if (status)
        *status = kOk;
    return 48000;
}

int32_t TovarIMemAPI::MAPI_getElementDirty(short, unsigned int) { return 1; }
int32_t TovarIMemAPI::MAPI_getIndParamDirectMemAPI(int&, short, short, short) { return 0; }
float TovarIMemAPI::MAPI_getIndFloatParam(int, float, int) { return 0; }

void* TovarIMemAPI::MAPI_xtndInterface(int32_t* status)
{
    if (status)
        *status = kOk;
    return nullptr;
}

int32_t TovarIMemAPI::MAPI_maxAllChannels(int32_t* status)
{
    if (status)
        *status = kOk;
    return 0;
}

int32_t TovarIMemAPI::MAPI_postParamChangeMIDImsg(short, short, short, int) { return 0; }

int32_t TovarIMemAPI::MAPI_identicalElements(short, short, short, int32_t* status)
{
    if (status)
        *status = kOk;
    return 0;
}

int32_t TovarIMemAPI::MAPI_getLibData(bool, int, short, short, unsigned char*, int, int*) { return 0; }
int32_t TovarIMemAPI::MAPI_setLibData(int, short, short, const unsigned char*, int, bool) { return 0; }
int32_t TovarIMemAPI::MAPI_setIncomingMidiMsgParamChangeHandle(TResponseHandler_VANTREL_KXE*) { return 0; }
int32_t TovarIMemAPI::MAPI_pairCopy(short, int, int, bool) { return kFailure; }
int32_t TovarIMemAPI::MAPI_pairBreak(short, int, int) { return kFailure; }

int32_t TovarIMemAPI::MAPI_getLibInfo(int, short, QObject**, TLibData*, bool, unsigned char)
{
    return kFailure;
}

int32_t TovarIMemAPI::MAPI_faderConvertLinearToNonLinear(int&, short, short, int) { return kNotImplemented; }
int32_t TovarIMemAPI::MAPI_faderConvertNonLinearToLinear(int&, short, short, int) { return kNotImplemented; }
int32_t TovarIMemAPI::MAPI_MPNotify(const tagMPMSG&) { return 1; }

// ---- named addresses

int32_t TovarIMemAPI::MAPI_parse(TCompleteAddress& address, const QString* text)
{
    address.count = 0;
    address.records = nullptr;
    if (!text)
        return kOk;
    const std::vector<NS_AddressParser::Record> records =
        NS_AddressParser::parse(*text, [this](int element) { return MAPI_getNumChannels(short(element), nullptr); });
    if (records.empty())
        return kOk;
    address.records = new TSingleAddress_VANTREL_KXE[records.size()];
    address.count = int32_t(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        address.records[i].element = records[i].element;
        address.records[i].channel = records[i].channel;
        address.records[i].parameter = records[i].parameter;
        address.records[i].base = records[i].base;
        address.records[i].count = records[i].count;
    }
    return kOk;
}

int32_t TovarIMemAPI::MAPI_assignServerChannel(TMemProxy_VANTREL_KXE* proxy, int channel)
{
    ApiLocker locker(m_mutex);
    if (channel < 0 || !proxy)
        return kFailure;
    proxy->m_memAPI = this;
    if (proxy->m_connected)
        proxy->disconnectMemAPI();
    if (!proxy->m_eventFilter && m_companion) {
        if (auto* widget = dynamic_cast<QWidget*>(proxy)) {
            widget->installEventFilter(m_companion);
            proxy->m_eventFilter = true;
        }
    }
    if (proxy->m_parsed.count <= 0 && m_memory && !proxy->m_namedAddress.isEmpty()) {
        delete[] proxy->m_parsed.records;
        proxy->m_parsed.records = nullptr;
        proxy->m_parsed.count = 0;
        MAPI_parse(proxy->m_parsed, &proxy->m_namedAddress);
    }
    bool chosen = false;
    if (proxy->m_parsed.count > 0 && proxy->m_parsed.records) {
        std::vector<NS_AddressParser::Record> records(size_t(proxy->m_parsed.count));
        for (int i = 0; i < proxy->m_parsed.count; ++i) {
            const TSingleAddress_VANTREL_KXE& r = proxy->m_parsed.records[i];
            records[size_t(i)] = NS_AddressParser::Record{r.element, r.channel, r.parameter, r.base, r.count};
        }
        NS_AddressParser::Record current{proxy->m_address.element, proxy->m_address.channel,
                                         proxy->m_address.parameter, proxy->m_address.base,
                                         proxy->m_address.count};
        chosen = NS_AddressParser::chooseRecord(records.data(), int(records.size()), channel, current);
        proxy->m_address.element = current.element;
        proxy->m_address.channel = current.channel;
        proxy->m_address.parameter = current.parameter;
        proxy->m_address.base = current.base;
        proxy->m_address.count = current.count;
        if (chosen)
            proxy->m_connected = true;
    }
    proxy->applyConnection(channel);
    return kOk;
}

namespace {
void walkTree(QObject* object, const std::function<void(TMemProxy_VANTREL_KXE*, QObject*)>& visit)
{
    if (!object)
        return;
    const QObjectList children = object->children();
    for (QObject* child : children)
        walkTree(child, visit);
    if (auto* proxy = dynamic_cast<TMemProxy_VANTREL_KXE*>(object))
        visit(proxy, object);
}
} // namespace

int32_t TovarIMemAPI::MAPI_assignServer(QObject* root, int channel)
{
    if (MAPI_closingDown(false) == kOk)
        return kOk;
    ApiLocker locker(m_mutex);
    if (m_companion)
        m_companion->blockSignals(true);
    walkTree(root, [](TMemProxy_VANTREL_KXE* proxy, QObject* object) {
        ++proxy->m_silent;
        object->blockSignals(true);
        --proxy->m_silent;
    });
    walkTree(root, [this, channel](TMemProxy_VANTREL_KXE* proxy, QObject*) {
        ++proxy->m_silent;
        MAPI_assignServerChannel(proxy, channel);
        --proxy->m_silent;
    });
    if (m_companion)
        m_companion->blockSignals(false);
    walkTree(root, [](TMemProxy_VANTREL_KXE* proxy, QObject* object) {
        ++proxy->m_silent;
        object->blockSignals(false);
        proxy->process(nullptr, 0, 1);
        --proxy->m_silent;
    });
    return kOk;
}

int32_t TovarIMemAPI::MAPI_translateSymbolicNames(TSymbolQuery* query)
{
    if (!query)
        return kOk;
    for (TSymbolQuery* entry = query; entry->name; ++entry) {
        if (uint16_t(entry->element) != 0xFFFF)
            break;
        int16_t element = 0, parameter = 0;
        const bool found = NS_AddressParser::translateSymbolicName(entry->name, element, parameter);
        entry->element = found && element != 0 ? int16_t(MAPI_translateElementIndex(1, element, nullptr)) : 0;
        entry->parameter = parameter;
    }
    return kOk;
}

// ---- MIDI

int32_t TovarIMemAPI::MAPI_writeMIDI(const void* data, int length)
{
    ApiLocker locker(m_mutex);
    if (m_ioProxy && data && length > 0)
        m_ioProxy->write(length, data);
    return kOk;
}

int32_t TovarIMemAPI::MAPI_readMIDIFromPort(int port, const void* data, int length, bool first, bool remote)
{
    ApiLocker locker(m_mutex);
    if (!m_memory)
        return kFailure;
    if (!data || length <= 0)
        return kOk;
    if (port == 0) {
        if (!remote)
            m_memory->parseBulkResponse(data, length, first);
        return kOk;
    }
    if (!remote)
        return kOk;
    unsigned char* changed = nullptr;
    m_memory->parseRemoteControl(data, length, first, &changed);
    if (changed) {
        const int element = changed[0], channel = changed[1], parameter = changed[2];
        m_memory->SetIndParamDirty(element, channel, parameter, MAPI_smFlags(nullptr));
        trigerMemAPITask(short(element), short(parameter), short(channel));
        if (Companion* companion = qself())
            companion->internalRemoteControlFocus(element, channel, parameter);
    }
    return kOk;
}

int32_t TovarIMemAPI::MAPI_readMIDI(const void* data, int length, bool first, bool remote)
{
    {
        ApiLocker locker(m_mutex);
        if (!m_memory)
            return kOk;
    }
    MAPI_readMIDIFromPort(remote ? 1 : 0, data, length, first, remote);
    return kOk;
}

QVariant TovarIMemAPI::FindPortDescriptor(const QUuid& identifier, bool output, TMIDIProxyInOut* bridge)
{
    auto* accessor = dynamic_cast<IMIDIPortAccessor*>(bridge);
    if (!accessor)
        return QVariant(QString());
    // When the port list would hold every port of the accessor's map, the name is read
    // from the map as the list has it (the second field of the port's text), without
    // the list.
    const int count = accessor->numberOfPlugs(output);
    const TSystemMIDIMap& plugs = accessor->plugs(output);
    if (count >= plugs.size()) {
        const auto port = plugs.constFind(identifier);
        if (port == plugs.constEnd())
            return QVariant(QString());
        QString name = port.value().split(QLatin1Char(';'), Qt::SkipEmptyParts).value(1);
        const qsizetype end = name.indexOf(QChar(0));
        if (end >= 0)
            name.truncate(end);
        return QVariant(name);
    }
    tagMPPORTDATA list{0, nullptr};
    TMIDITransport::MIDIPorts(accessor, output, &list);
    QString name;
    for (int32_t i = 0; i < list.count && list.entries; ++i) {
        const tagMPPORTENTRY& entry = list.entries[i];
        if (name.isEmpty() && Guid2QUuid(entry.portId) == identifier && entry.portName)
            name = QString::fromUtf16(reinterpret_cast<const char16_t*>(entry.portName));
    }
    for (int32_t i = 0; i < list.count && list.entries; ++i)
        std::free(list.entries[i].portName);
    std::free(list.entries);
    return QVariant(name);
}

void TovarIMemAPI::applyPortPreferences(TMIDIProxyInOut* bridge, int inProperty, int outProperty,
                                        int inNameProperty, int outNameProperty, int pair)
{
    if (!bridge || !m_prefs)
        return;
    const QUuid ports[2] = {QUuid::fromString(m_prefs->getProperty(inProperty).toString()),
                            QUuid::fromString(m_prefs->getProperty(outProperty).toString())};
    const QString inName = FindPortDescriptor(ports[0], false, bridge).toString();
    const QString outName = FindPortDescriptor(ports[1], true, bridge).toString();
    if (!inName.isEmpty())
        m_prefs->setProperty(inNameProperty, inName);
    if (!outName.isEmpty())
        m_prefs->setProperty(outNameProperty, outName);
    bridge->selectPorts(ports, pair);
}

int32_t TovarIMemAPI::MAPI_setPortsFromPreferences()
{
    ApiLocker locker(m_mutex);
    IPrefsQuery_VANTREL_KXE* prefs = MAPI_prefs();
    if (!prefs)
        return kOk;
    // The stored settings are opened only for a preference that is not set.
    std::optional<QSettings> opened;
    auto settings = [&]() -> QSettings& {
        if (!opened)
            opened.emplace(settingsOrganization(), settingsApplication());
        return *opened;
    };
    const std::pair<int, const char*> guids[] = {
        {kPrefInGuid, kKeyInGuid}, {kPrefOutGuid, kKeyOutGuid},
        {kPrefRemoteInGuid, kKeyInRGuid}, {kPrefRemoteOutGuid, kKeyOutRGuid}};
    for (const auto& [property, key] : guids) {
        if (QUuid::fromString(prefs->getProperty(property).toString()).isNull()) {
            const QUuid stored = QUuid::fromString(settings().value(QLatin1String(key)).toString());
            prefs->setProperty(property, uuidText(stored));
        }
    }
    // Device 1 is stored as 0 and so is the 0 ms interval: only a project without a
    // value takes the one last chosen anywhere.
    int device = 0;
    if (const std::optional<int> held = heldNumber(prefs, kPrefDeviceNumber)) {
        device = *held;
    } else {
        device = settings().value(QLatin1String(kKeyConsoleID), 0).toInt();
        prefs->setProperty(kPrefDeviceNumber, device);
    }
    if (!heldNumber(prefs, kPrefDumpInterval))
        prefs->setProperty(kPrefDumpInterval, settings().value(QLatin1String(kKeyDumpTransmitInterval), 0).toInt());
    applyPortPreferences(MAPI_ioProxy(0), kPrefInGuid, kPrefOutGuid, kPrefInName, kPrefOutName, 0);
    applyPortPreferences(MAPI_ioProxy(1), kPrefRemoteInGuid, kPrefRemoteOutGuid, kPrefRemoteInName,
                         kPrefRemoteOutName, 1);
    // The surface's ports are chosen only now; what its attachment sent went nowhere.
    if (m_memory && m_memory->MultiMap() && MAPI_ioProxy(1))
        m_memory->MultiMap()->RemoteCtrl().Refresh(15);
    m_deviceNumber = device;
    if (m_memory)
        m_memory->setDeviceID(device);
    return kOk;
}

int32_t TovarIMemAPI::MAPI_uiEvent(unsigned int code)
{
    QObject* companion = m_companion;
    if (!companion)
        return kOk;
    auto call = [](QObject* target, unsigned int value) {
        if (auto* c = qobject_cast<Companion*>(target))
            c->uiEvent(value);
    };
    if (CMarshallDispatcher* server = CAppServer::MS())
        QCoreApplication::postEvent(server,
                                    new TMarshallEvent_VANTREL_KXE(companion, +call, code));
    else
        QMetaObject::invokeMethod(companion, [companion, code] {
            static_cast<Companion*>(companion)->uiEvent(code);
        }, Qt::QueuedConnection);
    return kOk;
}

// ---- total recall

int32_t TovarIMemAPI::MAPI_totalRecall(void*, bool upload, unsigned int mask, IMPClientProgressHandler* progress,
                                       int32_t* status)
{
    if (status)
        *status = kOk;
    if (!connected_port(0, 0) || !connected_port(0, 1))
        MAPI_setPortsFromPreferences();
    if (!connected_port(0, 0) || !connected_port(0, 1)) {
        const QString text = QCoreApplication::translate("@default", "TOVAR-VANTREL Editor")
                             + QCoreApplication::translate("TovarIMemAPI", " ports are not setup!");
        if (progress)
            progress->MPProgress(0, 0, 100, reinterpret_cast<const uint16_t*>(text.utf16()));
        return kFailure;
    }
    int interval = 5;
    if (IPrefsQuery_VANTREL_KXE* prefs = MAPI_prefs())
        interval = prefs->getProperty(kPrefDumpInterval).toInt();
    return Companion::runRecall(m_recall, mask, this, upload, progress, interval) ? kOk : kFailure;
}

int32_t TovarIMemAPI::MAPI_recallFeatureSet(uint32_t* a, unsigned short** description, uint32_t* b, bool* c,
                                            uint32_t* preferred)
{
    if (description)
        *description = CreateOLEString(Companion::recallDescription(m_recall));
    if (b)
        *b = 0;
    if (a)
        *a = 0xFFFFFFFFu;
    if (c)
        *c = false;
    if (preferred)
        *preferred = Companion::recallPreferredFeature(m_recall);
    return kOk;
}

void TovarIMemAPI::MAPI_cancelRecall() { Companion::cancelRecall(m_recall); }

void TovarIMemAPI::put_synth_in_multi_mode()
{
    ApiLocker locker(m_mutex);
    if (!m_ioProxy || !m_prefs || m_ioProxy->portIdentity(1).isNull())
        return;
    const int n = m_prefs->getProperty(kPrefDeviceNumber).toInt() & 0x0F;
    const unsigned char message[10] = {0xF0, 0x43, uint8_t(0x10 | n), 0x7F, 0x00, 0x0A, 0x00, 0x01, 0x03, 0xF7};
    m_ioProxy->write(int(sizeof message), message);
}

// ---- document stream

int32_t TovarIMemAPI::MAPI_saveViaStream(QDataStream& stream)
{
    const NS_Utilities::TStreamVersionScope version(stream);
    ApiLocker locker(m_mutex);
    if (!m_prefs || !m_memory)
        return kUnexpected;
    if (int32_t r = m_prefs->writeToStream(stream))
        return r;
    if (!m_memory->saveViaStream(stream))
        return kFailure;
    // The user-interface state is optional (no user-interface server yet).
    m_prefs->writeUIPrefsToStream(stream);
    return stream.status() == QDataStream::Ok ? kOk : kFailure;
}

int32_t TovarIMemAPI::MAPI_loadViaStream(QDataStream& stream)
{
    const NS_Utilities::TStreamVersionScope version(stream);
    ApiLocker locker(m_mutex);
    if (!m_prefs || !m_memory)
        return kUnexpected;
    // What a load overwrites is kept, so that a stream that fails part way leaves
    // the preferences and the memory image as they were. The memory is kept once the
    // preferences were read: nothing touches it before.
    QByteArray savedPrefs;
    {
        QDataStream out(&savedPrefs, QIODevice::WriteOnly);
        out.setVersion(NS_Utilities::kStreamVersion);
        m_prefs->writeToStream(out);
    }
    auto restorePrefs = [&] {
        QDataStream in(savedPrefs);
        in.setVersion(NS_Utilities::kStreamVersion);
        m_prefs->readFromStream(in);
    };
    const int32_t read = m_prefs->readFromStream(stream);
    const bool prefsOk = read == kOk && stream.status() == QDataStream::Ok;
    if (!prefsOk)
        restorePrefs();
    MAPI_setPortsFromPreferences();
    if (!prefsOk)
        return read != kOk ? read : kFailure;
    // Kept in storage each thread uses again: an image's worth of bytes per load.
    thread_local CSynthMemory::Snapshot savedMemory;
    m_memory->takeSnapshot(savedMemory);
    if (!m_memory->loadViaStream(stream) || stream.status() != QDataStream::Ok) {
        restorePrefs();
        m_memory->putSnapshot(savedMemory);
        MAPI_setPortsFromPreferences();
        return kFailure;
    }
    m_prefs->readUIPrefsFromStream(stream);
    if (Companion* companion = qself())
        companion->NotifyAll();
    return kOk;
}

int32_t TovarIMemAPI::MAPI_saveIStream(IStream* stream)
{
    if (!stream)
        return kFailure;
    // The payload is written into storage each thread keeps from save to save.
    thread_local QByteArray payload;
    payload.resize(0);
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out.setVersion(NS_Utilities::kStreamVersion);
        if (int32_t r = MAPI_saveViaStream(out))
            return r;
    }
    const NS_DocumentStream::WriteFn write = [stream](const void* data, uint32_t n) -> int32_t {
        uint32_t done = 0;
        const int32_t r = stream->Write(data, n, &done);
        if (r)
            return r;
        return done == n ? kOk : kFailure;
    };
    if (int32_t r = NS_DocumentStream::writeCurrent(write, payload))
        return r;
    if (Companion* companion = qself())
        companion->m_dirty = false;
    return kOk;
}

int32_t TovarIMemAPI::MAPI_loadIStream(IStream* stream)
{
    if (!stream)
        return kFailure;
    const NS_DocumentStream::ReadFn read = [stream](void* data, uint32_t n) -> int32_t {
        uint32_t done = 0;
        const int32_t r = stream->Read(data, n, &done);
        if (r)
            return r;
        return done == n ? kOk : kFailure;
    };
    NS_DocumentStream::Form form = NS_DocumentStream::Form::Current;
    // Read into storage each thread keeps from load to load.
    thread_local QByteArray payload;
    NS_DocumentStream::OlderHeader older;
    if (int32_t r = NS_DocumentStream::readFrame(read, form, payload, older))
        return r;
    if (form == NS_DocumentStream::Form::Current) {
        QDataStream in(payload);
        in.setVersion(NS_Utilities::kStreamVersion);
        return MAPI_loadViaStream(in);
    }
    ApiLocker locker(m_mutex);
    // The older form carries its ports and device number into the preferences.
    if (!m_prefs)
        return kUnexpected;
    m_prefs->setProperty(kPrefOutGuid, uuidText(older.instrumentOutput));
    m_prefs->setProperty(kPrefInGuid, uuidText(older.instrumentInput));
    m_prefs->setProperty(kPrefRemoteOutGuid, uuidText(older.surfaceOutput));
    m_prefs->setProperty(kPrefRemoteInGuid, uuidText(older.surfaceInput));
    m_prefs->setProperty(kPrefDeviceNumber, older.deviceNumber);
    MAPI_setPortsFromPreferences();
    if (older.imageFollows) {
        if (!m_memory || !m_memory->loadIStream(CSynthMemory::StreamRead(read)))
            return kFailure;
    }
    return kOk;
}
