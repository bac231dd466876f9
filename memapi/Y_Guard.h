#pragma once
// Carries one posted observer event: a guard on the proxy's object and its memory API.
#include "vantrel_kxe21_memapi_export.h"
#include <QObject>
#include <QPointer>

class IMemAPI;

class VANTREL_MEMAPI_EXPORT Y_Guard : public QObject
{
    Q_OBJECT
public:
    Y_Guard(QObject* proxyObject, IMemAPI* api);
    ~Y_Guard() override;

    QObject* proxyObject() const { return m_object.data(); }
    IMemAPI* memAPI() const { return m_api; }

private:
    QPointer<QObject> m_object;
    IMemAPI* m_api;
};
