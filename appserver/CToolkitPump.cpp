#include "appserver/CToolkitPump.h"
#include "appserver/CAppServer.h"
#include "platform/RunLoop.h"

#include <QCoreApplication>
#include <atomic>

namespace {
std::atomic<int> s_nesting{0};
}

CToolkitPump::CToolkitPump(NS_Platform::RunLoop* loop)
    : m_loop(loop)
{
    if (m_loop)
        m_timerId = m_loop->addTimer(0.0, 0.001, [this] { tick(); });
}

CToolkitPump::~CToolkitPump()
{
    if (m_loop && m_timerId)
        m_loop->removeTimer(m_timerId);
}

int CToolkitPump::s_timer_activated()
{
    return s_nesting.load();
}

void CToolkitPump::y_activateTimers()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void CToolkitPump::tick()
{
    int outer = -1;
    if (QCoreApplication::instance()) {
        outer = s_nesting.fetch_add(1);
        QCoreApplication::sendPostedEvents();
        // A nested callback returns into a host loop that runs inside toolkit code:
        // timers and deletions there could pull objects from under that code.
        if (outer == 0)
            y_activateTimers();
        s_nesting.fetch_sub(1);
    }
    // Ending the application inside a nested callback would destroy it under the
    // outer one; the outermost callback does it.
    if (outer <= 0 && CAppServer::quitState() == 1)
        CAppServer::endCreatedApplication();
}
