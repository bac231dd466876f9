#include "memapi/StdIMemAPI.h"
#include "memapi/TObserverProxy_VANTREL_KXE.h"
#include "utilities/interfaces/IPrefsQuery_VANTREL_KXE.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMetaObject>
#include <QMutexLocker>
#include <QRecursiveMutex>
#include <QThread>
#include <QTimer>

namespace {
// The API lock does not exist before initialize() nor after terminate(); a null mutex
// locks nothing.
using ApiLocker = QMutexLocker<QRecursiveMutex>;

constexpr int kBlinkIntervalMs = 512;
} // namespace

using namespace NS_MemAPI;

StdIMemAPI::StdIMemAPI() = default;

StdIMemAPI::~StdIMemAPI()
{
    m_editors.clear();
    m_workspace.clear();
    qDeleteAll(m_observers);
    m_observers.clear();
    delete m_blinkTimer.data();
    delete m_mutex;
}

int32_t StdIMemAPI::initialize()
{
    if (!m_mutex)
        m_mutex = new QRecursiveMutex;
    m_companion = nullptr;
    m_blinkTimer = nullptr;
    m_worker = nullptr;
    m_ioProxy = nullptr;
    m_prefs = nullptr;
    m_cs = nullptr;
    m_deviceNumber = 0;
    m_closing = false;
    m_ignoreIntermediateChanges = false;
    m_online = 1;
    m_blinkState = false;
    m_suspension = 0;
    m_workspace.clear();
    return kOk;
}

int32_t StdIMemAPI::terminate()
{
    // The companion first: its destruction may still call in under the lock
    // (its notifiers unregister themselves).
    QObject* companion = m_companion;
    m_companion = nullptr;
    delete companion; // the blink timer is its child
    delete m_blinkTimer.data();
    QRecursiveMutex* mutex = m_mutex;
    m_mutex = nullptr;
    delete mutex;
    return kOk;
}

QString StdIMemAPI::editorKey(short a, short b, short c, int d)
{
    return QStringLiteral("%1;%2;%3;%4").arg(a).arg(b).arg(c).arg(d);
}

int32_t StdIMemAPI::MAPI_stringList(int, QStringList*) { return kNotImplemented; }

int32_t StdIMemAPI::MAPI_translateErrorCode(int32_t code, QString* text)
{
    if (!text)
        return kFailure;
    *text = QStringLiteral("error code:0x%1").arg(QString::number(quint32(code), 16));
    return kOk;
}

int32_t StdIMemAPI::MAPI_forceRecursiveUpdate(QWidget*) { return kNotImplemented; }

int32_t StdIMemAPI::MAPI_associateEditor(short a, short b, short c, int d, const QUuid& id, int value)
{
    const QString key = editorKey(a, b, c, d);
    MAPI_lock(true);
    m_editors.insert(key, TEditorAssociation{id, value});
    MAPI_lock(false);
    return kOk;
}

int32_t StdIMemAPI::MAPI_getAssociatedEditor(short a, short b, short c, int d, QUuid& id, int& value)
{
    const QString key = editorKey(a, b, c, d);
    MAPI_lock(true);
    const TEditorAssociation found = m_editors.value(key);
    MAPI_lock(false);
    id = found.id;
    value = found.value;
    return kOk;
}

int32_t StdIMemAPI::MAPI_registerWindowControl(const char*, const QUuid&, int) { return kNotImplemented; }
int32_t StdIMemAPI::MAPI_sendWindowControl(const char*, unsigned short) { return kNotImplemented; }
int32_t StdIMemAPI::MAPI_performUndoRedo(bool) { return kNotImplemented; }
int32_t StdIMemAPI::MAPI_save4undo(TMemProxy_VANTREL_KXE*) { return kNotImplemented; }
int32_t StdIMemAPI::MAPI_pushUndoObject(QBuffer*) { return kNotImplemented; }
int32_t StdIMemAPI::MAPI_flushUndoBuffers() { return kNotImplemented; }

int32_t StdIMemAPI::MAPI_totalRecall(void*, bool, unsigned int, IMPClientProgressHandler*, int32_t*)
{
    return kFailure;
}

int32_t StdIMemAPI::MAPI_recallFeatureSet(uint32_t*, unsigned short**, uint32_t*, bool*, uint32_t*)
{
    return kNotImplemented;
}

void StdIMemAPI::MAPI_cancelRecall() {}

int32_t StdIMemAPI::MAPI_ignoreIntermediateChanges()
{
    return m_ignoreIntermediateChanges ? kOk : kFailure;
}

int32_t StdIMemAPI::MAPI_setIgnoreIntermediateChanges(bool ignore)
{
    m_ignoreIntermediateChanges = ignore;
    return kOk;
}

int32_t StdIMemAPI::MAPI_closingDown(bool set)
{
    ApiLocker locker(m_mutex);
    if (set)
        m_closing = true;
    return m_closing ? kOk : kFailure;
}

QObject* StdIMemAPI::MAPI_qself() { return m_companion; }
uint32_t StdIMemAPI::MAPI_online() { return m_online; }

int32_t StdIMemAPI::MAPI_setOnline(unsigned int online)
{
    m_online = online;
    return kOk;
}

int32_t StdIMemAPI::MAPI_registerObserver(TMemProxyBasic* proxy, unsigned int key,
                                          TObserverProxy_VANTREL_KXE* observer)
{
    ApiLocker locker(m_mutex);
    if (m_closing)
        return kOk;
    TObserverProxy_VANTREL_KXE* entry = m_observers.value(key, nullptr);
    if (!entry) {
        entry = observer;
        if (!entry) {
            entry = new TObserverProxy_VANTREL_KXE;
            entry->m_ownedByDictionary = true;
        }
        m_observers.insert(key, entry);
    }
    if (proxy)
        entry->connectProxy(proxy);
    return kOk;
}

int32_t StdIMemAPI::MAPI_unregisterObserver(TMemProxyBasic* proxy, unsigned int key)
{
    ApiLocker locker(m_mutex);
    TObserverProxy_VANTREL_KXE* entry = m_observers.value(key, nullptr);
    if (!entry)
        return kOk;
    if (proxy)
        entry->disconnectProxy(proxy);
    if (key == kRemovableObserverKey) {
        m_observers.remove(key);
        // A caller-supplied observer goes back to its owner; one the dictionary made
        // would otherwise be lost.
        if (entry->m_ownedByDictionary)
            delete entry;
    }
    return kOk;
}

TObserverProxy_VANTREL_KXE* StdIMemAPI::MAPI_findObserver(unsigned int key, int32_t* status)
{
    if (status)
        *status = kOk;
    ApiLocker locker(m_mutex);
    return m_observers.value(key, nullptr);
}

int32_t StdIMemAPI::MAPI_lock(bool lock)
{
    if (m_mutex) {
        if (lock)
            m_mutex->lock();
        else
            m_mutex->unlock();
    }
    return kOk;
}

int32_t StdIMemAPI::MAPI_tryLock()
{
    return m_mutex && m_mutex->tryLock() ? kOk : kFailure;
}

int32_t StdIMemAPI::MAPI_suspendNotifications(bool suspend)
{
    ApiLocker locker(m_mutex);
    m_suspension += suspend ? 1 : -1;
    return kOk;
}

int32_t StdIMemAPI::MAPI_suspended()
{
    ApiLocker locker(m_mutex);
    return m_suspension > 0 ? kOk : kFailure;
}

int32_t StdIMemAPI::MAPI_blocked()
{
    return MAPI_suspended();
}

int32_t StdIMemAPI::MAPI_associate(TMIDIProxyInOut* proxy, IPrefsQuery_VANTREL_KXE* prefs, int index,
                                   IClientServices* cs)
{
    if (index != 0)
        return kInvalidArgument;
    ApiLocker locker(m_mutex);
    m_ioProxy = proxy;
    m_prefs = prefs;
    m_cs = cs;
    m_deviceNumber = 0;
    if (prefs) {
        const int device = prefs->getProperty(0).toInt();
        m_deviceNumber = device > 7 || device < 0 ? 0 : device;
    }
    return kOk;
}

int32_t StdIMemAPI::MAPI_setWorkspace(QMdiArea* workspace)
{
    m_workspace = workspace;
    return kOk;
}

QMdiArea* StdIMemAPI::MAPI_workspace(int32_t* status)
{
    QMdiArea* workspace = m_workspace.data();
    if (status)
        *status = workspace ? kOk : kFailure;
    return workspace;
}

TMIDIProxyInOut* StdIMemAPI::MAPI_ioProxy(int index) { return index == 0 ? m_ioProxy : nullptr; }
int32_t StdIMemAPI::MAPI_proxiesNeeded() { return 1; }
IClientServices* StdIMemAPI::MAPI_cs() { return m_cs; }
IPrefsQuery_VANTREL_KXE* StdIMemAPI::MAPI_prefs() { return m_prefs; }

QTimer* StdIMemAPI::MAPI_blinkingTimer(bool* state, int32_t* status)
{
    if (status)
        *status = kOk;
    ApiLocker locker(m_mutex);
    if (!m_blinkTimer) {
        auto* timer = new QTimer;
        timer->setInterval(kBlinkIntervalMs);
        // The blink state the upper layers read must really change.
        QObject::connect(timer, &QTimer::timeout, timer, [this] { m_blinkState = !m_blinkState; });
        QCoreApplication* app = QCoreApplication::instance();
        QThread* gui = app ? app->thread() : timer->thread();
        if (timer->thread() != gui)
            timer->moveToThread(gui);
        QPointer<QObject> companion = m_companion;
        // Parent and start on the GUI thread, where the timer lives.
        QMetaObject::invokeMethod(
            timer,
            [timer, companion] {
                if (companion && companion->thread() == timer->thread())
                    timer->setParent(companion);
                timer->start();
            },
            QThread::currentThread() == gui ? Qt::DirectConnection : Qt::QueuedConnection);
        m_blinkTimer = timer;
    }
    if (state)
        *state = m_blinkState;
    return m_blinkTimer;
}

int32_t StdIMemAPI::MAPI_signalSlot(const char* signal, QObject* receiver, const char* member,
                                    bool connect)
{
    ApiLocker locker(m_mutex);
    if (!m_companion || !receiver || !signal || !member)
        return kFailure;
    // Direct: the hand-over runs at once on the emitting thread.
    const bool ok = connect ? bool(QObject::connect(m_companion, signal, receiver, member,
                                                    Qt::DirectConnection))
                            : QObject::disconnect(m_companion, signal, receiver, member);
    return ok ? kOk : kFailure;
}

int32_t StdIMemAPI::MAPI_slotSignal(const char* slot, QObject* sender, const char* signal,
                                    bool connect)
{
    ApiLocker locker(m_mutex);
    if (!m_companion || !sender || !slot || !signal)
        return kFailure;
    const bool ok = connect ? bool(QObject::connect(sender, signal, m_companion, slot,
                                                    Qt::DirectConnection))
                            : QObject::disconnect(sender, signal, m_companion, slot);
    return ok ? kOk : kFailure;
}

int32_t StdIMemAPI::MAPI_serviceFrequentTasks() { return kOk; }
int32_t StdIMemAPI::MAPI_MPNotify(const tagMPMSG&) { return 1; }
int32_t StdIMemAPI::MAPI_saveViaStream(QDataStream&) { return kFailure; }
int32_t StdIMemAPI::MAPI_loadViaStream(QDataStream&) { return kFailure; }

int32_t StdIMemAPI::MAPI_getIndParamEditState(short, short, short, bool& shown, bool& enabled)
{
    shown = true;
    enabled = true;
    return kFailure;
}

int32_t StdIMemAPI::MAPI_saveIStream(IStream*) { return kNotImplemented; }
int32_t StdIMemAPI::MAPI_loadIStream(IStream*) { return kNotImplemented; }

int32_t StdIMemAPI::MAPI_readMIDIFromPort(int, const void* data, int length, bool sysex, bool channel)
{
    return MAPI_readMIDI(data, length, sysex, channel);
}

int32_t StdIMemAPI::MAPI_setPortsFromPreferences() { return kOk; }

int32_t StdIMemAPI::MAPI_getKV519FromInpatch(short, short, short, bool*, TSingleBaseAddress*,
                                             int32_t* status)
{
    if (status)
        *status = kNotImplemented;
    return 0;
}

int32_t StdIMemAPI::MAPI_setKV519FromInpatch(short, short, short, int) { return kNotImplemented; }
int32_t StdIMemAPI::MAPI_reqMeterData(bool, TMemProxyBasic*, short, short, short) { return kNotImplemented; }

const int32_t* StdIMemAPI::MAPI_meterTable(int, int&, int32_t* status)
{
    if (status)
        *status = kNotImplemented;
    return nullptr;
}

int32_t StdIMemAPI::MAPI_reqTimeCodeCounter(bool, TMemProxyBasic*) { return kNotImplemented; }

QObject* StdIMemAPI::MAPI_fsNotifier(int32_t* status)
{
    if (status)
        *status = kNotImplemented;
    return nullptr;
}

int32_t StdIMemAPI::MAPI_uiEvent(unsigned int) { return kOk; }
