#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/memapi/HeldReports.h"
#include "console/memapi/MemApiLock.h"
#include "console/memapi/NS_LookupUtility.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "memapi/TObserverProxy_VANTREL_KXE.h"
#include "utilities/Atomic.h"
#include "utilities/ThreadUtilities.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTimer>

using Companion = TovarIMemAPIQObject_VANTREL_KXE;
using NS_Utilities::mainThreadRunning;

namespace {
// The linked voice-parameter sections, in the order of their rows in the symbol table.
const char* const kLinkedSectionNames[] = {
    "kNormalCommonExtra", "kNormalCommon", "kNormalCommonReverb", "kNormalCommonChorus",
    "kNormalCommonInsA", "kNormalCommonInsB", "kNormalCommonController", "kNormalCommonLFO",
    "kNormalElement", "kNormalElementAmplitude", "kNormalElementPitch", "kNormalElementFilter",
    "kNormalElementEQ", "kNormalElementLFO", "kDrumCommonExtra", "kDrumCommon",
    "kDrumCommonReverb", "kDrumCommonChorus", "kDrumCommonInsA", "kDrumCommonInsB",
    "kDrumCommonController", "kDrumKey", "kDrumKeyAmplitude", "kDrumKeyPitch", "kDrumKeyFilter",
    "kDrumKeyEQ", "kPluginCommonExtra", "kPluginCommon", "kPluginCommonReverb",
    "kPluginCommonChorus", "kPluginCommonInsA", "kPluginCommonInsB", "kPluginCommonController",
    "kPluginElement", "kPluginNative", "kPluginNativeAN", "kPluginNativeAP", "kPluginNativeDR",
    "kPluginNativeDX", "kPluginNativePC", "kPluginNativePF", "kPluginNativeVL",
    "kNormalAudition", "kDrumAudition", "kPluginAudition",
};
} // namespace

Companion::TovarIMemAPIQObject_VANTREL_KXE(TovarIMemAPI* api)
    : QObject(nullptr), m_api(api), m_heldReports(std::make_unique<HeldReports>())
{
    m_bulkSendTimer = new QTimer(this);
    m_bulkSendTimer->setSingleShot(true);
    connect(m_bulkSendTimer, &QTimer::timeout, this, &Companion::bulkTimer);
    if (CSynthMemory* model = memory())
        model->connectRemoteNotifier(this, SLOT(internalOpenGuiWindow(int,int,int)));
    initCommands();
    m_requestTimer = new QTimer(this);
    m_requestTimer->setSingleShot(true);
    m_identityTimer = new QTimer(this);
    m_identityTimer->setSingleShot(true);
    connect(m_identityTimer, &QTimer::timeout, this, &Companion::identityReplyTimeOut);
}

Companion::~TovarIMemAPIQObject_VANTREL_KXE()
{
    releaseCommands();
}

CSynthMemory* Companion::memory() const
{
    return m_api ? m_api->memory() : nullptr;
}

QWidget* Companion::mainWidget() const
{
    if (!m_api || !mainThreadRunning())
        return nullptr;
    return m_api->MAPI_workspace(nullptr);
}

QWidget* Companion::topLevelWidget() const
{
    QWidget* widget = mainWidget();
    return widget ? widget->window() : nullptr;
}

void Companion::startTimer(QTimer* t, int ms)
{
    if (!t)
        return;
    if (mainThreadRunning()) {
        t->stop();
        t->setSingleShot(true);
        t->start(ms);
    } else {
        QCoreApplication::postEvent(this, new TovarQObjTimerStartEvent(t, ms));
    }
}

void Companion::stopTimer(QTimer* t)
{
    if (!t || !t->isActive())
        return;
    if (mainThreadRunning())
        t->stop();
    else
        QCoreApplication::postEvent(this, new TovarQObjTimerStopEvent(t));
}

void Companion::NotifyAll()
{
    if (mainThreadRunning()) {
        if (m_api)
            m_api->notifyAllObservers();
        return;
    }
    // -1 idle, 0 one event queued: a burst posts one event.
    if (InterlockedExchangeAdd(&m_notifyPending, 1) + 1 < 1)
        QCoreApplication::postEvent(this, new NotifyAllMessage);
    else
        InterlockedExchangeAdd(&m_notifyPending, -1);
}

void Companion::uiEvent(unsigned int) {}

int Companion::bankTableID(int part)
{
    CSynthMemory* model = memory();
    int table = 0;
    MemApiLock lock(m_api);
    if (!model || !model->GetBankTableID(part, table))
        return 0;
    return table;
}

const Companion::LinkedSections& Companion::linkedSections()
{
    static const LinkedSections sections = [] {
        LinkedSections built;
        for (const char* name : kLinkedSectionNames) {
            std::vector<LinkedRow> rows;
            for (const NS_LookupUtility::valentry* row = NS_LookupUtility::lookupRow(name, nullptr);
                 row && row->name; ++row)
                rows.push_back(LinkedRow{row->name, row->element, row->parameter});
            built.emplace(QString::fromLatin1(name), std::move(rows));
        }
        return built;
    }();
    return sections;
}

void Companion::flushLinkedParam(const QString& section, int part)
{
    if (!m_api)
        return;
    const auto it = linkedSections().find(section);
    if (it == linkedSections().end())
        return;
    m_api->MAPI_lock(true);
    CSynthMemory* model = memory();
    for (const LinkedRow& row : it->second) {
        int element = row.element;
        int channel = part < 0 ? 0 : part;
        // A packed element fixes its own channel.
        if (element > 255) {
            channel = element & 0xFF;
            element >>= 8;
        }
        const int value = m_api->MAPI_getIndParam(short(element), row.parameter, short(channel),
                                                  false, nullptr);
        // Written straight to the model: an unchanged value would not be sent again
        // through MAPI_setIndParam, and re-sending is the point here.
        if (model)
            model->SetIndParamAndDirty(element, channel, row.parameter, value, 0);
    }
    m_api->MAPI_lock(false);
}

int32_t Companion::notifyPending() const
{
    return InterlockedExchangeAdd(const_cast<int32_t*>(&m_notifyPending), 0);
}

int32_t Companion::remoteFocusPending() const
{
    return InterlockedExchangeAdd(const_cast<int32_t*>(&m_remoteFocusPending), 0);
}

bool Companion::editModified() const
{
    QMutexLocker locker(&m_mutex);
    return m_editModified;
}

void Companion::internalOpenGuiWindow(int a, int b, int c)
{
    if (!mainThreadRunning()) {
        QCoreApplication::postEvent(this, new WindowOpenMessage(NS_TovarEvents::kWindowOpen, a, b, c));
        return;
    }
    if (a == -1 && b == -1 && c == -1)
        dirty(true);
    else
        emit openGuiWindow(a, b, c);
}

void Companion::internalRemoteControlFocus(int element, int part, int parameter)
{
    if (mainThreadRunning()) {
        emit remoteControlFocus(element, part, parameter);
        return;
    }
    bool post = false;
    {
        // Triple and counter change together, so a request that arrives while the
        // slot reads the triple is either read by it or posts again.
        QMutexLocker locker(&m_mutex);
        m_focusElement = element;
        m_focusPart = part;
        m_focusParameter = parameter;
        post = InterlockedExchangeAdd(&m_remoteFocusPending, 1) + 1 <= 0;
        if (!post)
            InterlockedExchangeAdd(&m_remoteFocusPending, -1);
    }
    if (post)
        QCoreApplication::postEvent(
            this, new WindowOpenMessage(NS_TovarEvents::kRemoteFocus, element, part, parameter));
}

void Companion::internalRemoteControlFocusSlot()
{
    int element, part, parameter;
    {
        QMutexLocker locker(&m_mutex);
        element = m_focusElement;
        part = m_focusPart;
        parameter = m_focusParameter;
        InterlockedExchangeAdd(&m_remoteFocusPending, -1);
    }
    if (element != -1 && part != -1 && parameter != -1)
        emit remoteControlFocus(element, part, parameter);
}

void Companion::dirty(bool d)
{
    {
        QMutexLocker locker(&m_mutex);
        if (m_editModified == d)
            return;
        m_editModified = d;
    }
    // Emitted after unlocking: a receiver may call back into the companion.
    emitDirty(d);
}

void Companion::emitDirty(bool d)
{
    if (mainThreadRunning())
        emit onDirty(d);
    else
        QMetaObject::invokeMethod(this, [this, d] { emit onDirty(d); }, Qt::QueuedConnection);
}

void Companion::updateRemote()
{
    // The pump hands surface input to the same manager under this lock.
    MemApiLock lock(m_api);
    CSynthMemory* model = memory();
    if (model && model->MultiMap())
        model->MultiMap()->RemoteCtrl().Refresh(15);
}

void Companion::getVoiceParameterData()
{
    MemApiLock lock(m_api);
    if (CSynthMemory* model = memory())
        model->getVoiceParameterData();
}

void Companion::resetVoiceParameterData()
{
    if (MemApiLock lock(m_api); CSynthMemory* model = memory())
        model->resetVoiceParameterData();
    NotifyAll();
}

void Companion::deleteVoiceParameterData()
{
    MemApiLock lock(m_api);
    if (CSynthMemory* model = memory())
        model->deleteVoiceParameterData();
}

QString Companion::DSL_moduleName() { return QStringLiteral("Tovar Editor"); }
QString Companion::DSL_hostAppName() { return QStringLiteral("Tovar Editor Application Name"); }

int32_t Companion::DSL_newSession()
{
    if (m_api)
        DSL_discardCurrentDocument(nullptr, 0);
    return 0;
}

int32_t Companion::DSL_saveViaStream(QDataStream&, int) { return 0; }
int32_t Companion::DSL_loadViaStream(QDataStream&, int) { return 0; }
int32_t Companion::DSL_eraseCurrentDocument(int) { return 0; }
int32_t Companion::DSL_updateDocumentStatus(const QString&) { return 0; }

void Companion::customEvent(QEvent* e)
{
    if (!mainThreadRunning())
        return;
    switch (int(e->type())) {
    case NS_TovarEvents::kWindowOpen: {
        auto* message = static_cast<WindowOpenMessage*>(e);
        if (message->m_a == -1 && message->m_b == -1 && message->m_c == -1)
            dirty(true);
        else
            emit openGuiWindow(message->m_a, message->m_b, message->m_c);
        break;
    }
    case NS_TovarEvents::kRemoteFocus:
        internalRemoteControlFocusSlot();
        break;
    case NS_TovarEvents::kNotifyAll:
        // Reset before acting, so a request during the action posts again.
        InterlockedExchangeAdd(&m_notifyPending, -1);
        NotifyAll();
        break;
    case NS_TovarEvents::kReceiveCompleted:
        onReceiveCompleted();
        break;
    case NS_TovarEvents::kRecallCompleted: {
        auto* recall = static_cast<RecallCompleted*>(e);
        OnRecallComplete(recall->m_upload, recall->m_received, recall->m_current);
        break;
    }
    case NS_TovarEvents::kTimerStart: {
        auto* start = static_cast<TovarQObjTimerStartEvent*>(e);
        if (start->m_timer) {
            start->m_timer->stop();
            start->m_timer->setSingleShot(true);
            start->m_timer->start(start->m_ms);
        }
        break;
    }
    case NS_TovarEvents::kTimerStop: {
        auto* stop = static_cast<TovarQObjTimerStopEvent*>(e);
        if (stop->m_timer)
            stop->m_timer->stop();
        break;
    }
    default:
        QObject::customEvent(e);
        break;
    }
}
