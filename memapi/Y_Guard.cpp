#include "memapi/Y_Guard.h"

#include <QCoreApplication>

Y_Guard::Y_Guard(QObject* proxyObject, IMemAPI* api)
    : m_object(proxyObject), m_api(api)
{
    // Delivered and deleted on the GUI thread.
    if (QCoreApplication::instance() && thread() != QCoreApplication::instance()->thread())
        moveToThread(QCoreApplication::instance()->thread());
}

Y_Guard::~Y_Guard() = default;
