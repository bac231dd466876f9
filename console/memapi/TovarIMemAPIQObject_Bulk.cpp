// The companion's bulk commands: requests with one retry, paced sends after an
// identity check, audition dumps, and the progress and error signals.
// Every call into the bulk engines holds the memory-API lock (MemApiLock): the pump
// thread parses replies into the same engines under it. What an engine reports from
// inside a step the GUI thread makes goes out once that step's lock is let go.
#include "console/libfile/LibraryFile.h"
#include "console/memapi/HeldReports.h"
#include "console/memapi/MemApiLock.h"
#include "console/memapi/MemApiLogging.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "utilities/ThreadUtilities.h"
#include "utilities/interfaces/IPrefsQuery_VANTREL_KXE.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QTimer>
#include <atomic>

using Companion = TovarIMemAPIQObject_VANTREL_KXE;
using NS_Utilities::mainThreadRunning;

namespace {
constexpr int kRequestRetryMs = 4000;
constexpr int kIdentityReplyMs = 4000;
constexpr int kMinimumPacingAfterTimeOut = 15;
constexpr int kPacingWithoutPreferences = 30;

// The bank of the last user-voice request, for its retry.
std::atomic<int> g_lastUserVoiceBank{0};
} // namespace

int Companion::getTransmitInterval()
{
    IPrefsQuery_VANTREL_KXE* prefs = m_api ? m_api->MAPI_prefs() : nullptr;
    if (!prefs)
        return kPacingWithoutPreferences;
    return std::max(0, prefs->getProperty(NS_TovarMemAPI::kPrefDumpInterval).toInt());
}

// ---- requests

void Companion::requestPresetVoiceBulk()
{
    HeldReports::Step step(*m_heldReports, this);
    CSynthMemory* model = memory();
    if (!model)
        return;
    const int interval = getTransmitInterval();
    // Held until the retry is armed: the first reply, which disarms it, is parsed under
    // the same lock and so always comes after.
    MemApiLock lock(m_api);
    if (m_requestStateNow.load() == 0) {
        model->requestPresetVoiceBulk(this, interval);
        m_requestStateNow = 1;
        connect(m_requestTimer, &QTimer::timeout, this, &Companion::requestPresetVoiceBulk, Qt::UniqueConnection);
        startTimer(m_requestTimer, scaledMs(kRequestRetryMs));
        return;
    }
    // The instrument stayed silent: one plain request more.
    model->requestPresetVoiceBulk(this, -1);
    m_requestStateNow = 0;
    m_requestTimer->disconnect(this);
}

void Companion::requestMultiBulk()
{
    HeldReports::Step step(*m_heldReports, this);
    CSynthMemory* model = memory();
    if (!model)
        return;
    const int interval = getTransmitInterval();
    MemApiLock lock(m_api);
    if (m_requestStateNow.load() == 0) {
        model->requestMultiBulk(this, interval);
        m_requestStateNow = 1;
        connect(m_requestTimer, &QTimer::timeout, this, &Companion::requestMultiBulk, Qt::UniqueConnection);
        startTimer(m_requestTimer, scaledMs(kRequestRetryMs));
        return;
    }
    model->requestMultiBulk(this, -1);
    m_requestStateNow = 0;
    m_requestTimer->disconnect(this);
}

void Companion::requestUserVoiceBulk(int bank)
{
    HeldReports::Step step(*m_heldReports, this);
    CSynthMemory* model = memory();
    if (!model)
        return;
    const int interval = getTransmitInterval();
    MemApiLock lock(m_api);
    if (m_requestStateNow.load() == 0) {
        if (bank < 0)
            return;
        g_lastUserVoiceBank = bank;
        model->requestUserVoiceBulk(bank, this, interval);
        m_requestStateNow = 1;
        connect(m_requestTimer, &QTimer::timeout, this, &Companion::specialBulkRequestTimeOuted,
                Qt::UniqueConnection);
        startTimer(m_requestTimer, scaledMs(kRequestRetryMs));
        return;
    }
    model->requestUserVoiceBulk(bank < 0 ? g_lastUserVoiceBank.load() : bank, this, -1);
    m_requestStateNow = 0;
    m_requestTimer->disconnect(this);
}

void Companion::specialBulkRequestTimeOuted() { requestUserVoiceBulk(-1); }

void Companion::onRcvBulk()
{
    // Pump thread: the timer is stopped through the GUI thread, the state is atomic.
    stopTimer(m_requestTimer);
    m_requestStateNow = 0;
    if (mainThreadRunning())
        m_requestTimer->disconnect(this);
    else
        QMetaObject::invokeMethod(this, [this] {
            if (m_requestStateNow.load() == 0)
                m_requestTimer->disconnect(this);
        }, Qt::QueuedConnection);
}

void Companion::onRcvProgressChanged(int percent)
{
    if (m_heldReports->hold([this, percent] { onRcvProgressChanged(percent); }))
        return;
    emit bulkProgressChanged(percent);
    if (percent < 100 || !m_api)
        return;
    if (mainThreadRunning())
        onReceiveCompleted();
    else
        QCoreApplication::postEvent(this, new ReceiveCompleted);
}

void Companion::onReceiveCompleted()
{
    CSynthMemory* model = memory();
    IPrefsQuery_VANTREL_KXE* prefs = m_api ? m_api->MAPI_prefs() : nullptr;
    if (prefs && model) {
        const int present = [&] {
            MemApiLock lock(m_api);
            return model->presetVoicesLoaded();
        }();
        prefs->setProperty(NS_TovarMemAPI::kPrefPresetVoices, present);
    }
    m_dirty = true;
    setDocDirty(true);
    stopBulkRequest();
    NotifyAll();
}

void Companion::OnRcvErrorOccured(int code)
{
    if (m_heldReports->hold([this, code] { OnRcvErrorOccured(code); }))
        return;
    emit bulkRcvErrorOccurred(code);
}

void Companion::onSendProgressChanged(int percent, int section)
{
    if (m_heldReports->hold([this, percent, section] { onSendProgressChanged(percent, section); }))
        return;
    if (percent == m_lastSendProgress)
        return;
    m_lastSendProgress = percent;
    if (percent == 100)
        stopBulkRequest();
    emit bulkProgressChanged(percent);
}

void Companion::onSendFailed()
{
    if (m_heldReports->hold([this] { onSendFailed(); }))
        return;
    // Nothing more goes after the gap; the transmit windows end with their error.
    qCWarning(lcMemApi) << "bulk send ended: the instrument's port refused a message";
    stopTimer(m_bulkSendTimer);
    emit bulkSendFailed();
}

void Companion::cancelBulkReceive() { stopBulkRequest(); }

void Companion::stopBulkRequest()
{
    {
        QMutexLocker locker(&m_mutex);
        stopTimer(m_identityTimer);
        m_identityStateNow = 0;
        stopTimer(m_requestTimer);
        m_requestStateNow = 0;
    }
    // Connections change only where the objects live.
    auto unhook = [this] {
        disconnect(this, &Companion::identityReplyChecked, nullptr, nullptr);
        m_requestTimer->disconnect(this);
    };
    if (mainThreadRunning())
        unhook();
    else
        QMetaObject::invokeMethod(this, unhook, Qt::QueuedConnection);
    // After the companion's mutex: the memory-API lock comes first in the lock order.
    if (CSynthMemory* model = memory()) {
        MemApiLock lock(m_api);
        model->stopBulkRequest();
    }
}

// ---- sends

void Companion::sendMultiBulk()
{
    // Its reports come after the timer is started: a failure of the first message
    // stops it again.
    HeldReports::Step step(*m_heldReports, this);
    CSynthMemory* model = memory();
    if (!model)
        return;
    {
        MemApiLock lock(m_api);
        m_lastSendProgress = 0;
        model->sendMultiBulk(this);
    }
    m_bulkPacing = 0;
    startTimer(m_bulkSendTimer, 0);
}

void Companion::sendUserVoiceBulk(int bank)
{
    HeldReports::Step step(*m_heldReports, this);
    CSynthMemory* model = memory();
    if (!model || bank < 0)
        return;
    const int state = m_identityStateNow.load();
    if (state == 0 && !m_identityTimer->isActive()) {
        m_bankAwaitingIdentity = bank;
        connect(this, &Companion::identityReplyChecked, this, &Companion::sendUserVoiceBulk, Qt::UniqueConnection);
        {
            MemApiLock lock(m_api);
            model->sendIdentityReqBulk(this);
        }
        startTimer(m_identityTimer, scaledMs(kIdentityReplyMs));
        return;
    }
    if (state == 0)
        return; // a check is already under way for a bank
    if (state == 3)
        m_bulkPacing = getTransmitInterval();
    else if (state == 2)
        m_bulkPacing = std::max(getTransmitInterval(), kMinimumPacingAfterTimeOut);
    m_identityStateNow = 0;
    disconnect(this, &Companion::identityReplyChecked, this, &Companion::sendUserVoiceBulk);
    {
        MemApiLock lock(m_api);
        m_lastSendProgress = 0;
        model->sendUserVoiceBulk(bank, this);
    }
    startTimer(m_bulkSendTimer, m_bulkPacing);
}

void Companion::onRcvIdentityReply()
{
    if (!mainThreadRunning()) {
        // The reply arrives on the pump thread; the handshake continues where its timer lives.
        QMetaObject::invokeMethod(this, &Companion::onRcvIdentityReply, Qt::QueuedConnection);
        return;
    }
    if (!m_identityTimer->isActive())
        return; // late: the time-out already went on without it
    m_identityStateNow = 3;
    m_identityTimer->stop();
    emit identityReplyChecked(m_bankAwaitingIdentity);
}

void Companion::identityReplyTimeOut()
{
    m_identityStateNow = 2;
    emit identityReplyChecked(m_bankAwaitingIdentity);
}

void Companion::bulkTimer()
{
    CSynthMemory* model = memory();
    if (!model)
        return;
    bool more = false;
    // The step's report (its progress, the 100 that ends the send, a failure) reaches
    // the transmit windows once the lock is let go.
    HeldReports::Step step(*m_heldReports, this);
    {
        MemApiLock lock(m_api);
        more = model->continueBulkSend();
    }
    if (more)
        startTimer(m_bulkSendTimer, m_bulkPacing);
}

bool Companion::bulkSendPending() const
{
    return m_bulkSendTimer && m_bulkSendTimer->isActive();
}

// ---- audition

void Companion::monitorImportVoice(void* handle, short bank, short voice)
{
    HeldReports::Step step(*m_heldReports, this);
    CSynthMemory* model = memory();
    if (!model || !handle || bank < 0 || voice < 0)
        return;
    bool queued = false;
    {
        MemApiLock lock(m_api);
        queued = model->BulkDumpImportLibraryVoice(static_cast<CLibraryFile*>(handle), bank, voice, this);
    }
    if (queued) {
        m_bulkPacing = 0;
        startTimer(m_bulkSendTimer, 0);
    }
}

void Companion::monitorVoice(short bank, short voice)
{
    HeldReports::Step step(*m_heldReports, this);
    CSynthMemory* model = memory();
    if (!model || bank < 0 || voice < 0)
        return;
    bool queued = false;
    {
        MemApiLock lock(m_api);
        queued = model->BulkDumpVoice(bank, voice, this);
    }
    if (queued) {
        m_bulkPacing = 0;
        startTimer(m_bulkSendTimer, 0);
    }
}

void Companion::monitorEditBuffVoice(short a, short)
{
    HeldReports::Step step(*m_heldReports, this);
    CSynthMemory* model = memory();
    CPrmCtrl* map = model ? model->VoiceMap() : nullptr;
    if (!map || a < 0)
        return;
    bool queued = false;
    {
        MemApiLock lock(m_api);
        short type = 0, category = 0, voice = 0;
        if (map->GetEditBufferInfo(type, category, voice) != 0)
            return;
        queued = model->BulkDumpEditBuffer(this, a);
    }
    if (queued) {
        m_bulkPacing = 0;
        startTimer(m_bulkSendTimer, 0);
    }
}
