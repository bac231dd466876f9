#pragma once
// Fans one parameter change out to every proxy registered under one observer key.
// Lives on the GUI thread; trigger() runs the proxies directly on the emitting thread.
#include "vantrel_kxe21_memapi_export.h"
#include <QEvent>
#include <QHash>
#include <QObject>
#include <cstdint>

class TMemProxyBasic;

class VANTREL_MEMAPI_EXPORT TObserverProxy_VANTREL_KXE : public QObject
{
    Q_OBJECT
public:
    static constexpr int kObserverEvent = 1000;

    TObserverProxy_VANTREL_KXE();
    ~TObserverProxy_VANTREL_KXE() override;

    // Under the memory-API lock. One connection per proxy; a proxy that is a
    // QObject is disconnected automatically when it is destroyed.
    bool connectProxy(TMemProxyBasic* proxy);
    bool disconnectProxy(TMemProxyBasic* proxy);
    int proxyCount() const { return int(m_connections.size()); }

    // Set when the dictionary made this observer and so deletes it with its entry.
    bool m_ownedByDictionary = false;

public slots:
    // Emits trigger(data, 0, 0).
    virtual void activate(const unsigned char* data);

signals:
    void trigger(const uint8_t* data, int operation, uint32_t flags);

protected:
    // Type 1000 carries data in the event and emits trigger.
    bool event(QEvent* e) override;

private:
    QHash<TMemProxyBasic*, QMetaObject::Connection> m_connections;
};

// The posted form of an observer activation (type 1000).
class VANTREL_MEMAPI_EXPORT TObserverEvent_VANTREL_KXE : public QEvent
{
public:
    explicit TObserverEvent_VANTREL_KXE(const uint8_t* data = nullptr)
        : QEvent(QEvent::Type(TObserverProxy_VANTREL_KXE::kObserverEvent)), m_data(data)
    {
    }
    const uint8_t* data() const { return m_data; }

private:
    const uint8_t* m_data;
};
