#include "console/memapi/RecallLogic.h"
#include "console/memapi/HeldReports.h"
#include "console/memapi/MemApiLock.h"
#include "console/memapi/MemApiLogging.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/model/SynthMemory.h"
#include "genericeditor/interfaces/HostInterfaces.h"
#include "utilities/ThreadUtilities.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTimer>
#include <algorithm>

using NS_Utilities::mainThreadRunning;

namespace {

std::atomic<double>& timeScale()
{
    static std::atomic<double> scale{1.0};
    return scale;
}

class TimerStartEvent : public QEvent
{
public:
    explicit TimerStartEvent(int ms) : QEvent(RecallLogic::kTimerStart), m_ms(ms) {}
    int m_ms;
};

class SpecialBulkRequestTimerStartEvent : public QEvent
{
public:
    explicit SpecialBulkRequestTimerStartEvent(recall_feature* feature)
        : QEvent(RecallLogic::kSpecialRequest), m_feature(feature)
    {
    }
    recall_feature* m_feature;
};

class TotalRecallTimerStopEvent : public QEvent
{
public:
    explicit TotalRecallTimerStopEvent(QTimer* timer) : QEvent(RecallLogic::kTimerStop), m_timer(timer) {}
    QTimer* m_timer;
};

const char* const kMaskNames[5] = {"Multi", "Normal User 1", "Normal User 2", "Normal User 3", "Drum User"};
const char* const kAllBanks = "Normal User 1 + 2 + 3 + Drum User";

// The host takes zero-ended UTF-16.
const uint16_t* utf16(const QString& text) { return reinterpret_cast<const uint16_t*>(text.utf16()); }

} // namespace

// ---- features

std::atomic<bool> recall_feature::m_usingSpecialBulkRequest{true};

recall_feature::~recall_feature() = default;

bool recall_multi::recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval)
{
    if (!memory)
        return true;
    if (upload)
        memory->sendMultiBulk(receiver);
    else
        memory->requestMultiBulk(receiver, m_usingSpecialBulkRequest ? interval : -1);
    return true;
}

bool recall_current_voice::recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval)
{
    if (!memory)
        return true;
    if (upload)
        memory->sendEditBufferBulk(receiver);
    else
        memory->requestEditBuffBulk(receiver, m_usingSpecialBulkRequest ? interval : -1);
    return true;
}

bool recall_voice_bank::recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval)
{
    if (!memory)
        return true;
    if (upload)
        memory->sendUserVoiceBulk(m_bank, receiver);
    else
        memory->requestUserVoiceBulk(m_bank, receiver, m_usingSpecialBulkRequest ? interval : -1);
    return true;
}

bool recall_header::recall(CSynthMemory* memory, bool upload, QObject* receiver, int)
{
    if (memory && upload)
        memory->sendMultipleBulkHeader(receiver);
    return true;
}

bool recall_footer::recall(CSynthMemory* memory, bool upload, QObject* receiver, int)
{
    if (memory && upload)
        memory->sendMultipleBulkFooter(receiver);
    return true;
}

bool recall_includefeature::recall(CSynthMemory* memory, bool upload, QObject* receiver, int interval)
{
    if (!memory)
        return true;
    if (upload) {
        // Every included dump is queued now; the send timer then paces them as one run.
        while (!m_queue.isEmpty()) {
            recall_feature* feature = m_queue.dequeue();
            if (feature)
                feature->recall(memory, upload, receiver, interval);
        }
    }
    return true;
}

void recall_includefeature::Attach(QQueue<recall_feature*>& queue)
{
    m_queue.clear();
    m_index = 0;
    m_count = 0;
    m_names.clear();
    if (queue.isEmpty())
        return;
    m_queue.enqueue(m_header);
    for (recall_feature* feature : queue) {
        m_queue.enqueue(feature);
        m_names.append(feature ? feature->name() : QString());
        ++m_count;
    }
    m_queue.enqueue(m_footer);
}

bool recall_includefeature::CheckUpdateItem(int section)
{
    if (section == m_index)
        return false;
    m_index = section;
    return true;
}

QString recall_includefeature::GetIncludedName()
{
    return m_index >= 0 && m_index < m_names.size() ? m_names.at(m_index) : QString();
}

// ---- the engine

void RecallLogic::setTimeScale(double scale) { timeScale() = scale > 0 ? scale : 1.0; }

int RecallLogic::scaled(int ms)
{
    if (ms <= 0)
        return ms;
    return std::max(1, int(ms * timeScale().load()));
}

RecallLogic::RecallLogic() : QObject(nullptr), m_heldReports(std::make_unique<HeldReports>())
{
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &RecallLogic::timeOut);
    m_specialTimer = new QTimer(this);
    m_specialTimer->setSingleShot(true);
    connect(m_specialTimer, &QTimer::timeout, this, &RecallLogic::specialBulkRequestTimeouted);
    m_identityTimer = new QTimer(this);
    m_identityTimer->setSingleShot(true);
    connect(m_identityTimer, &QTimer::timeout, this, &RecallLogic::identityReplyTimeOut);
    connect(this, &RecallLogic::identityReplyChecked, this, &RecallLogic::timeOut, Qt::DirectConnection);
}

RecallLogic::~RecallLogic()
{
    cancel();
    for (recall_feature* feature : m_catalogue)
        delete feature;
}

void RecallLogic::initialise(CSynthMemory* memory)
{
    if (!m_catalogue.empty())
        return;
    m_catalogue.push_back(new recall_multi);
    m_catalogue.push_back(new recall_current_voice);
    if (!memory)
        return;
    QString name;
    for (int i = 0; memory->GetVoiceBulkSendName(i, name); ++i)
        m_catalogue.push_back(new recall_voice_bank(name, i));
    auto* header = new recall_header;
    auto* footer = new recall_footer;
    m_catalogue.push_back(header);
    m_catalogue.push_back(footer);
    m_catalogue.push_back(new recall_includefeature(header, footer));
}

recall_feature* RecallLogic::find_feature(const char* name) const
{
    if (!name)
        return nullptr;
    const QString wanted = QString::fromLatin1(name);
    for (recall_feature* feature : m_catalogue)
        if (feature->name() == wanted)
            return feature;
    return nullptr;
}

QString RecallLogic::description_string()
{
    if (m_description.isEmpty()) {
        m_description = QStringLiteral("All");
        for (const char* name : kMaskNames)
            m_description += QLatin1Char(';') + QString::fromLatin1(name);
    }
    return QString::fromLatin1(m_description.toLatin1());
}

QString RecallLogic::doneText() const { return m_doneText; }
QString RecallLogic::progressText() const { return m_progressText; }

int RecallLogic::queuedCount()
{
    QMutexLocker locker(&m_queueMutex);
    return int(m_queue.size());
}

bool RecallLogic::recall(unsigned int mask, TovarIMemAPI* api, bool upload, IMPClientProgressHandler* progress,
                         int interval)
{
    m_api = api;
    if (api) {
        initialise(api->memory());
        cancel();
        m_api = api;
        m_doneText = upload ? tr("Completed upload of ") : tr("Completed download of ");
        if (TovarIMemAPIQObject_VANTREL_KXE* companion = api->qself())
            // Unique: a second recall must not report its end twice.
            connect(this, &RecallLogic::recallComplete, companion, &TovarIMemAPIQObject_VANTREL_KXE::OnRecallComplete,
                    Qt::ConnectionType(Qt::DirectConnection | Qt::UniqueConnection));
        QStringList mainNames, framedNames;
        {
            QMutexLocker locker(&m_queueMutex);
            QQueue<recall_feature*> framed;
            m_total = 0;
            auto take = [&](const char* name) {
                recall_feature* feature = find_feature(name);
                if (!feature)
                    return;
                ++m_total;
                if (upload && feature->needMultipleBulkControl()) {
                    framed.enqueue(feature);
                    framedNames.append(feature->name());
                } else {
                    m_queue.enqueue(feature);
                    mainNames.append(feature->name());
                }
            };
            if (mask == 0) {
                take("Multi");
                take(kAllBanks);
                m_doneText += QStringLiteral("All");
            } else {
                for (int bit = 0; bit < 5; ++bit)
                    if (mask & (1u << bit))
                        take(kMaskNames[bit]);
                m_doneText += (mainNames + framedNames).join(QStringLiteral(", "));
            }
            if (!framed.isEmpty()) {
                if (auto* include = static_cast<recall_includefeature*>(find_feature("multiple_includefeature"))) {
                    include->Attach(framed);
                    m_queue.enqueue(include);
                }
            }
        }
        m_done = 0;
        m_progress = progress;
        m_memory = api->memory();
        m_upload = upload;
        m_interval = m_savedInterval = std::max(0, interval);
        m_lastPercent = -1;
        recall_feature::m_usingSpecialBulkRequest = true;
        m_running = true;
        if (!upload) {
            recall_next_feature(m_interval);
            if (m_running)
                postTimerStart(scaled(kWatchdogMs));
        } else {
            {
                QMutexLocker locker(&m_identityMutex);
                m_identityPending = 1;
            }
            m_nextStepPending = true;
            QCoreApplication::postEvent(this, new QEvent(kIdentityRequest));
        }
    }
    if (!mainThreadRunning()) {
        // Woken by reset(); the flag is re-checked under the mutex after each slice, so a
        // run that ended before the wait began (an empty queue) returns at once.
        QElapsedTimer waited;
        waited.start();
        QMutexLocker locker(&m_waitMutex);
        while (m_running.load()) {
            m_wait.wait(&m_waitMutex, QDeadlineTimer(kCallerWaitSliceMs));
            if (m_running.load() && waited.elapsed() > kCallerWaitLimitMs) {
                // A GUI thread that never runs the recall would hold the host for ever.
                qCWarning(lcMemApi) << "total recall still running after" << kCallerWaitLimitMs
                                    << "ms; the caller stops waiting";
                break;
            }
        }
    }
    return true;
}

void RecallLogic::cancel()
{
    {
        QMutexLocker locker(&m_queueMutex);
        m_queue.clear();
    }
    if (m_memory) {
        MemApiLock lock(m_api);
        m_memory->stopBulkRequest();
    }
    if (m_done > 0)
        emit recallComplete(m_upload, m_received, m_current);
    reset();
}

void RecallLogic::reset()
{
    m_memory = nullptr;
    m_progress = nullptr;
    m_upload = m_received = m_current = m_nextStepPending = false;
    m_interval = m_savedInterval = 5;
    m_total = m_done = 0;
    m_currentFeature = nullptr;
    {
        QMutexLocker locker(&m_identityMutex);
        m_identityPending = 0;
    }
    stopTimerAnyThread(m_timer);
    stopTimerAnyThread(m_specialTimer);
    stopTimerAnyThread(m_identityTimer);
    QCoreApplication::postEvent(this, new QEvent(kGuiUpdate));
    m_progressText.clear();
    m_pastText.clear();
    m_doneText.clear();
    if (m_api && m_api->qself())
        disconnect(this, &RecallLogic::recallComplete, m_api->qself(),
                   &TovarIMemAPIQObject_VANTREL_KXE::OnRecallComplete);
    QMutexLocker locker(&m_waitMutex);
    m_running = false;
    m_wait.wakeAll();
}

void RecallLogic::report(uint32_t value, const QString& text)
{
    if (m_progress)
        m_progress->MPProgress(0, value, 100, utf16(text));
}

void RecallLogic::finish(int32_t status)
{
    if (m_progress)
        m_progress->MPFinished(0, status);
}

void RecallLogic::recall_next_feature(int interval)
{
    HeldReports::Step step(*m_heldReports, this);
    recall_feature* feature = nullptr;
    bool empty = false;
    {
        QMutexLocker locker(&m_queueMutex);
        empty = m_queue.isEmpty();
        if (!empty)
            feature = m_queue.dequeue();
    }
    if (empty) {
        report(100, m_doneText);
        emit recallComplete(m_upload, m_received, m_current);
        reset();
        return;
    }
    if (!feature) {
        update_progress(101, 0);
        return;
    }
    ++m_done;
    update_text(feature->GetIncludedName());
    m_currentFeature = feature;
    if (!m_upload) {
        if (feature->name() == QLatin1String("Current"))
            m_current = true;
        else
            m_received = true;
    }
    if (!m_upload && recall_feature::m_usingSpecialBulkRequest) {
        QCoreApplication::postEvent(this, new SpecialBulkRequestTimerStartEvent(feature));
    } else {
        MemApiLock lock(m_api);
        feature->recall(m_memory, m_upload, this, interval);
    }
}

void RecallLogic::update_text(const QString& name)
{
    m_progressText = (m_upload ? tr("Uploading ") : tr("Downloading ")) + name;
    m_pastText = (m_upload ? tr("Uploaded ") : tr("Downloaded ")) + name;
}

void RecallLogic::update_progress(int percent, int section)
{
    if (m_currentFeature && m_currentFeature->CheckUpdateItem(section)) {
        ++m_done;
        // The end of a gathered send reports the section past its last feature, which
        // names nothing: the text keeps the last feature's name.
        if (m_currentFeature->IsThereRemainingFeature())
            update_text(m_currentFeature->GetIncludedName());
    }
    const int overall = m_total < 1 ? 100 : std::min(100, (percent - 100 + m_done * 100) / m_total);
    if (m_progress && overall != m_lastPercent) {
        m_lastPercent = overall;
        report(uint32_t(std::max(0, overall)), m_progressText);
    }
    if (!m_upload) {
        bool queueEmpty;
        {
            QMutexLocker locker(&m_queueMutex);
            queueEmpty = m_queue.isEmpty();
        }
        if (percent > 99 && queueEmpty) {
            postTimerStart(0);
        } else {
            postTimerStart(scaled(kWatchdogMs));
            if (percent < 100)
                return;
        }
    } else if (percent < 100) {
        return;
    }
    if (m_currentFeature && m_currentFeature->IsThereIncludedFeature()
        && m_currentFeature->IsThereRemainingFeature())
        return;
    if (m_memory) {
        MemApiLock lock(m_api);
        m_memory->stopBulkRequest();
    }
    m_nextStepPending = true;
    bool queueEmpty;
    {
        QMutexLocker locker(&m_queueMutex);
        queueEmpty = m_queue.isEmpty();
    }
    postTimerStart(scaled(m_upload || queueEmpty ? 100 : 2000));
}

void RecallLogic::postTimerStart(int ms) { QCoreApplication::postEvent(this, new TimerStartEvent(ms)); }

void RecallLogic::stopTimerAnyThread(QTimer* timer)
{
    if (!timer)
        return;
    if (mainThreadRunning())
        timer->stop();
    else
        QCoreApplication::postEvent(this, new TotalRecallTimerStopEvent(timer));
}

void RecallLogic::timeOut()
{
    if (!m_memory)
        return;
    // Reports of the step go out after its lock, and after the next step is armed: a
    // failure that ends the recall then stops that timer too.
    HeldReports::Step step(*m_heldReports, this);
    if (m_nextStepPending) {
        m_nextStepPending = false;
        const bool upload = m_upload;
        recall_next_feature(m_interval);
        if (upload && m_memory)
            m_timer->start(m_interval);
        return;
    }
    if (!m_upload) {
        // The watchdog: no bulk message for the whole time-out.
        if (!m_progress)
            return;
        report(0, tr("Receiving timed out!"));
        finish(1460);
        cancel();
        return;
    }
    bool more = false;
    {
        MemApiLock lock(m_api);
        more = m_memory->continueBulkSend();
    }
    if (more && !m_nextStepPending)
        m_timer->start(m_interval);
}

void RecallLogic::onRcvBulk() { stopTimerAnyThread(m_specialTimer); }

void RecallLogic::onRcvProgressChanged(int percent)
{
    if (!m_heldReports->hold([this, percent] { onRcvProgressChanged(percent); }))
        update_progress(percent, 0);
}

void RecallLogic::onSendProgressChanged(int percent, int section)
{
    if (!m_heldReports->hold([this, percent, section] { onSendProgressChanged(percent, section); }))
        update_progress(percent, section);
}

void RecallLogic::onSendFailed()
{
    if (m_heldReports->hold([this] { onSendFailed(); }))
        return;
    if (!m_upload || !m_memory)
        return;
    report(0, tr("Transmitting failed!"));
    finish(int32_t(0x80000008));
    cancel();
}

void RecallLogic::OnRcvErrorOccured(int code)
{
    if (m_heldReports->hold([this, code] { OnRcvErrorOccured(code); }))
        return;
    if (code == 0 || m_upload)
        return;
    postTimerStart(0);
    if (!m_progress)
        return;
    QString text;
    switch (code) {
    case 1: text = QCoreApplication::translate("@default", "Bulk Data Checksum Error!"); break;
    case 2: text = QCoreApplication::translate("@default", "Bulk Data Byte Count Error!"); break;
    case 3: text = QCoreApplication::translate("@default", "Bulk Data Number Error!"); break;
    default: break;
    }
    report(0, text);
    finish(int32_t(0x80000008));
    cancel();
}

void RecallLogic::onRcvIdentityReply()
{
    if (!mainThreadRunning()) {
        // The reply arrives on the pump thread; the first step starts timers, so it runs
        // where they live.
        QMetaObject::invokeMethod(this, &RecallLogic::onRcvIdentityReply, Qt::QueuedConnection);
        return;
    }
    bool checked = false;
    {
        QMutexLocker locker(&m_identityMutex);
        if (m_identityHandled) {
            // A late reply after the time-out: the instrument keeps up after all.
            m_interval = m_savedInterval;
        } else {
            m_identityHandled = true;
            m_identityPending = 0;
            checked = true;
        }
    }
    if (checked) {
        stopTimerAnyThread(m_identityTimer);
        emit identityReplyChecked();
    }
}

void RecallLogic::identityReplyTimeOut()
{
    {
        QMutexLocker locker(&m_identityMutex);
        if (m_identityHandled)
            return;
        m_identityHandled = true;
        m_identityPending = 0;
        m_interval = std::max(m_interval, kMinimumUploadPacingMs);
    }
    emit identityReplyChecked();
}

void RecallLogic::specialBulkRequestTimeouted()
{
    HeldReports::Step step(*m_heldReports, this);
    recall_feature::m_usingSpecialBulkRequest = false;
    if (m_currentFeature && m_memory) {
        MemApiLock lock(m_api);
        m_currentFeature->recall(m_memory, m_upload, this, m_interval);
    }
}

void RecallLogic::customEvent(QEvent* e)
{
    switch (int(e->type())) {
    case kTimerStart: {
        const int ms = static_cast<TimerStartEvent*>(e)->m_ms;
        m_timer->stop();
        if (ms >= 0)
            m_timer->start(ms);
        break;
    }
    case kGuiUpdate:
        if (m_api)
            m_api->notifyAllObservers();
        break;
    case kIdentityRequest:
        {
            QMutexLocker locker(&m_identityMutex);
            m_identityHandled = false;
        }
        m_identityTimer->start(scaled(kIdentityMs));
        if (m_memory) {
            MemApiLock lock(m_api);
            m_memory->sendIdentityReqBulk(this);
        }
        break;
    case kSpecialRequest: {
        recall_feature* feature = static_cast<SpecialBulkRequestTimerStartEvent*>(e)->m_feature;
        m_specialTimer->start(scaled(kSpecialRequestMs));
        HeldReports::Step step(*m_heldReports, this);
        if (feature && m_memory) {
            MemApiLock lock(m_api);
            feature->recall(m_memory, m_upload, this, m_interval);
        }
        break;
    }
    case kTimerStop:
        if (QTimer* timer = static_cast<TotalRecallTimerStopEvent*>(e)->m_timer)
            timer->stop();
        break;
    default:
        QObject::customEvent(e);
        break;
    }
}
