#include "TSimpleMarshaller_VANTREL_KXE.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include "utilities/ThreadUtilities.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <deque>

TSimpleMarshaller_VANTREL_KXE::TSimpleMarshaller_VANTREL_KXE(IUnknown* target) : m_target(target)
{
    if (m_target)
        m_target->AddRef();
    // Made on a host thread; delivered and deleted on the GUI thread.
    if (QCoreApplication* app = QCoreApplication::instance(); app && thread() != app->thread())
        moveToThread(app->thread());
}

TSimpleMarshaller_VANTREL_KXE::~TSimpleMarshaller_VANTREL_KXE()
{
    releaseWaitCondition();
    if (m_target)
        m_target->Release();
}

bool TSimpleMarshaller_VANTREL_KXE::post()
{
    CMarshallDispatcher* dispatcher = CAppServer::MS();
    if (!dispatcher) {
        delete this;
        return false;
    }
    QCoreApplication::postEvent(dispatcher, new TMarshallEvent_VANTREL_KXE(this, &run));
    return true;
}

void TSimpleMarshaller_VANTREL_KXE::run(QObject* packet)
{
    auto* self = qobject_cast<TSimpleMarshaller_VANTREL_KXE*>(packet);
    if (!self)
        return;
    // GUI thread only. A call that lets the event loop run must not have the calls
    // posted after it run inside it: they wait, in posting order, until it is done.
    static bool running = false;
    static std::deque<QPointer<TSimpleMarshaller_VANTREL_KXE>> waiting;
    if (running) {
        waiting.emplace_back(self);
        return;
    }
    running = true;
    self->runNow();
    while (!waiting.empty()) {
        const QPointer<TSimpleMarshaller_VANTREL_KXE> next = waiting.front();
        waiting.pop_front();
        if (next)
            next->runNow();
    }
    running = false;
}

void TSimpleMarshaller_VANTREL_KXE::runNow()
{
    const bool deleteNow = marshall();
    releaseWaitCondition();
    if (deleteNow)
        delete this;
}

int32_t TSimpleMarshaller_VANTREL_KXE::statusCode(bool noWait)
{
    if (NS_Utilities::mainThreadRunning())
        return int32_t(0x80000008);
    if (!noWait) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 60000)
            QThread::msleep(10);
    }
    return done() ? m_status.load() : 0;
}
