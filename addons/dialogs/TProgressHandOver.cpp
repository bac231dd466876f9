#include "TProgressHandOver.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include <QCoreApplication>
#include <QMetaObject>
#include <QMutexLocker>
#include <QPointer>

namespace {
constexpr int kFinal = 100;
} // namespace

bool TProgressHandOver::offer(int percent, bool mayPost)
{
    QMutexLocker locker(&m_mutex);
    if (percent >= kFinal) {
        m_final = true;
        m_latest = percent;
    } else if (!m_final) {
        m_latest = percent;
    }
    m_fresh = true;
    if (!mayPost || m_inFlight)
        return false;
    m_inFlight = true;
    return true;
}

std::optional<int> TProgressHandOver::take(bool fromDelivery)
{
    QMutexLocker locker(&m_mutex);
    if (fromDelivery)
        m_inFlight = false;
    if (!m_fresh)
        return std::nullopt;
    m_fresh = false;
    return m_latest;
}

bool TProgressHandOver::inFlight() const
{
    QMutexLocker locker(&m_mutex);
    return m_inFlight;
}

void TProgressHandOver::reset()
{
    QMutexLocker locker(&m_mutex);
    m_latest = 0;
    m_fresh = false;
    m_final = false;
}

void TProgressHandOver::post(QObject* target, void (*bridge)(QObject*, int), int value)
{
    if (QObject* dispatcher = CAppServer::MS()) {
        QCoreApplication::postEvent(dispatcher, new TMarshallEvent_VANTREL_KXE(target, bridge, value));
        return;
    }
    // Without the application server (a dialog made outside the component): a queued
    // call to the target itself, dropped by the toolkit when the target goes first.
    QMetaObject::invokeMethod(
        target, [guard = QPointer<QObject>(target), bridge, value] { bridge(guard.data(), value); },
        Qt::QueuedConnection);
}
