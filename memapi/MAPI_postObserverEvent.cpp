#include "memapi/MAPI_postObserverEvent.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "memapi/TMemProxyBasic.h"
#include "memapi/Y_Guard.h"
#include "utilities/Atomic.h"

#include <QCoreApplication>

namespace {
// GUI thread: runs the proxy's silent re-read unless it has gone meanwhile.
void deliverObserverEvent(QObject* target)
{
    auto* guard = qobject_cast<Y_Guard*>(target);
    if (!guard)
        return;
    // The target is checked before the lock: a proxy deleted meanwhile may have
    // taken its memory API with it.
    QObject* object = guard->proxyObject();
    IMemAPI* api = guard->memAPI();
    auto* proxy = dynamic_cast<TMemProxyBasic*>(object);
    if (proxy && api) {
        api->MAPI_lock(true);
        proxy->process(nullptr, 0, 0);
        InterlockedExchangeAdd(&proxy->m_pending, -1);
        api->MAPI_lock(false);
        api->MAPI_serviceFrequentTasks();
    }
    delete guard;
}
} // namespace

int32_t MAPI_postObserverEvent(IMemAPI* api, TMemProxyBasic* proxy)
{
    if (!api || !proxy)
        return 0;
    QObject* object = dynamic_cast<QObject*>(proxy);
    CMarshallDispatcher* dispatcher = CAppServer::MS();
    api->MAPI_lock(true);
    if (object && dispatcher && api->MAPI_closingDown(false) != 0
        && InterlockedExchangeAdd(&proxy->m_pending, 0) < 1) {
        InterlockedExchangeAdd(&proxy->m_pending, 1);
        auto* guard = new Y_Guard(object, api);
        QCoreApplication::postEvent(dispatcher,
                                    new TMarshallEvent_VANTREL_KXE(guard, &deliverObserverEvent));
    }
    api->MAPI_lock(false);
    return 0;
}
