#include "appserver/CAppServer.h"
#include "appserver/CApplication.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include "platform/RunLoop.h"
#include "utilities/Atomic.h"
#include "utilities/ThreadUtilities.h"

#include <QApplication>
#include <QCursor>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QRecursiveMutex>
#include <QThread>
#include <atomic>

Q_LOGGING_CATEGORY(lcAppServer, "tovar.appserver")

namespace {
// Created on first use (thread-safe static initialisation) and never deleted.
QRecursiveMutex& serverLock()
{
    static QRecursiveMutex* lock = new QRecursiveMutex;
    return *lock;
}

CAppServer* s_singleton = nullptr;
QObject* s_createdApplication = nullptr;
std::atomic<CMarshallDispatcher*> s_dispatcher{nullptr};
std::atomic<int> s_quitState{0};
std::atomic<bool> s_running_as_plugin{false};

bool defaultHasApplication()
{
    return QCoreApplication::instance() != nullptr;
}

QObject* defaultCreateApplication()
{
    QApplication::setDesktopSettingsAware(false);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    static int argc = 0;
    static char* argv[] = {nullptr};
    return new CApplication(argc, argv);
}

CAppServer::HasApplicationFn s_hasApplication = defaultHasApplication;
CAppServer::CreateApplicationFn s_createApplication = defaultCreateApplication;

bool onGuiThread()
{
    return NS_Utilities::mainThreadRunning();
}

void deleteDispatcher()
{
    delete s_dispatcher.exchange(nullptr);
}

void restoreCursor(QObject*)
{
    QApplication::restoreOverrideCursor();
}
} // namespace

CAppServer::CAppServer()
{
    s_quitState = 0;
    QMutexLocker locker(&serverLock());
    s_running_as_plugin = !s_hasApplication();
    if (s_running_as_plugin) {
        s_createdApplication = s_createApplication();
    }
    if (!s_dispatcher.load() && QCoreApplication::instance()) {
        auto* dispatcher = new CMarshallDispatcher;
        // Posted calls are delivered on the thread of their receiver.
        if (dispatcher->thread() != QCoreApplication::instance()->thread())
            dispatcher->moveToThread(QCoreApplication::instance()->thread());
        s_dispatcher = dispatcher;
        qAddPostRoutine(deleteDispatcher);
    }
}

CAppServer::~CAppServer()
{
    QMutexLocker locker(&serverLock());
    // An application the host created is never ended.
    if (s_createdApplication) {
        int running = 0;
        s_quitState.compare_exchange_strong(running, 1);
        NS_Platform::RunLoop::main()->wakeUp();
    }
}

CAppServer* CAppServer::Instance()
{
    QMutexLocker locker(&serverLock());
    if (s_singleton)
        s_singleton->use();
    else
        s_singleton = new CAppServer;
    return s_singleton;
}

void CAppServer::release(CAppServer* server)
{
    if (server)
        server->release();
}

void CAppServer::release()
{
    QMutexLocker locker(&serverLock());
    const int32_t before = InterlockedExchangeAdd(&m_useCount, -1);
    if (before <= 0) {
        InterlockedExchangeAdd(&m_useCount, 1);
        qCWarning(lcAppServer) << "release without a matching use";
        return;
    }
    if (before != 1)
        return;
    if (onGuiThread()) {
        if (s_singleton == this)
            s_singleton = nullptr;
        delete this;
        return;
    }
    // Deleting here would end the application off its own thread.
    if (CMarshallDispatcher* dispatcher = s_dispatcher.load())
        QCoreApplication::postEvent(dispatcher,
                                    new TMarshallEvent_VANTREL_KXE(nullptr, &CAppServer::finishRelease));
}

void CAppServer::finishRelease(QObject*)
{
    QMutexLocker locker(&serverLock());
    if (s_singleton && s_singleton->usageCount() == 0) {
        CAppServer* server = s_singleton;
        s_singleton = nullptr;
        delete server;
    }
}

void CAppServer::use()
{
    InterlockedExchangeAdd(&m_useCount, 1);
}

int32_t CAppServer::usageCount() const
{
    return InterlockedExchangeAdd(const_cast<int32_t*>(&m_useCount), 0);
}

QApplication* CAppServer::app() const
{
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

CMarshallDispatcher* CAppServer::MS()
{
    return s_dispatcher.load();
}

int CAppServer::quitState()
{
    return s_quitState.load();
}

bool CAppServer::runningAsPlugin()
{
    return s_running_as_plugin.load();
}

void CAppServer::PrepareForBusyAction()
{
    if (!onGuiThread() || s_quitState.load() != 0 || !s_dispatcher.load())
        return;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    QCoreApplication::postEvent(s_dispatcher.load(),
                                new TMarshallEvent_VANTREL_KXE(nullptr, &restoreCursor));
}

void CAppServer::endCreatedApplication()
{
    QObject* application = nullptr;
    {
        QMutexLocker locker(&serverLock());
        int requested = 1;
        if (!s_quitState.compare_exchange_strong(requested, 2))
            return;
        application = s_createdApplication;
        s_createdApplication = nullptr;
    }
    if (application && application == QCoreApplication::instance())
        QCoreApplication::exit(0);
    delete application;
}

void CAppServer::setToolkitHooks(HasApplicationFn hasApplication, CreateApplicationFn create)
{
    QMutexLocker locker(&serverLock());
    s_hasApplication = hasApplication ? hasApplication : defaultHasApplication;
    s_createApplication = create ? create : defaultCreateApplication;
}
