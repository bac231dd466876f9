#include "memapi/TObserverProxy_VANTREL_KXE.h"
#include "memapi/TMemProxyBasic.h"

#include <QCoreApplication>
#include <QThread>

TObserverProxy_VANTREL_KXE::TObserverProxy_VANTREL_KXE()
{
    // It receives posted events: it belongs to the GUI thread.
    if (QCoreApplication::instance() && thread() != QCoreApplication::instance()->thread())
        moveToThread(QCoreApplication::instance()->thread());
}

TObserverProxy_VANTREL_KXE::~TObserverProxy_VANTREL_KXE() = default;

bool TObserverProxy_VANTREL_KXE::connectProxy(TMemProxyBasic* proxy)
{
    QObject* receiver = dynamic_cast<QObject*>(proxy);
    if (!receiver)
        return false;
    auto existing = m_connections.find(proxy);
    if (existing != m_connections.end()) {
        if (existing.value())
            return true;
        m_connections.erase(existing);
    }
    // Direct: the proxy's process decides itself whether to post to the GUI thread.
    QMetaObject::Connection c = connect(
        this, &TObserverProxy_VANTREL_KXE::trigger, receiver,
        [proxy](const uint8_t* data, int operation, uint32_t flags) {
            proxy->process(data, operation, flags);
        },
        Qt::DirectConnection);
    // The receiver is the connection's context: destroying it disconnects, and the
    // stale entry is replaced when the address is registered again.
    m_connections.insert(proxy, c);
    return true;
}

bool TObserverProxy_VANTREL_KXE::disconnectProxy(TMemProxyBasic* proxy)
{
    auto it = m_connections.find(proxy);
    if (it == m_connections.end())
        return false;
    QObject::disconnect(it.value());
    m_connections.erase(it);
    return true;
}

void TObserverProxy_VANTREL_KXE::activate(const unsigned char* data)
{
    emit trigger(data, 0, 0);
}

bool TObserverProxy_VANTREL_KXE::event(QEvent* e)
{
    if (int(e->type()) == kObserverEvent) {
        emit trigger(static_cast<TObserverEvent_VANTREL_KXE*>(e)->data(), 0, 0);
        return true;
    }
    // The base answers false for everything it does not handle itself.
    return QObject::event(e);
}
