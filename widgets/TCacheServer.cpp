#include "widgets/TCacheServer.h"
#include "widgets/TCachedData.h"

#include <QMutexLocker>
#include <QWidget>

TCacheServer::TCacheServer() = default;

TCacheServer::~TCacheServer()
{
    qDeleteAll(m_records);
}

TCacheServer* TCacheServer::FindCacheServer(QWidget* start, QString* caption)
{
    for (QWidget* w = start; w; w = w->parentWidget()) {
        if (auto* server = dynamic_cast<TCacheServer*>(w)) {
            if (caption)
                *caption = w->windowTitle();
            return server;
        }
    }
    return nullptr;
}

TCachedData* TCacheServer::insert(const QString& name, TCachedData* data)
{
    if (!data)
        return nullptr;
    QMutexLocker lock(&m_mutex);
    TCachedData* used = m_records.value(name);
    if (used) {
        // Registering the held record again must not free it.
        if (used != data)
            delete data;
    } else {
        m_records.insert(name, data);
        data->m_name.clear();
        used = data;
    }
    ++used->m_refCount;
    return used;
}

int TCacheServer::recordCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_records.size());
}
