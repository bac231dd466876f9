#pragma once
// A per-window registry of shared records, carried as a second base by a window
// that wants its controls to share image data by name. It owns the records entered.
// No window of the editor carries it, so every lookup finds nothing and each control
// keeps its own data.
#include "vantrel_kxe21_widgets_export.h"
#include <QMap>
#include <QMutex>
#include <QString>

class QWidget;
class TCachedData;

class VANTREL_WIDGETS_EXPORT TCacheServer
{
public:
    TCacheServer();
    virtual ~TCacheServer();
    TCacheServer(const TCacheServer&) = delete;
    TCacheServer& operator=(const TCacheServer&) = delete;

    // GUI thread. start or its nearest parent that is a TCacheServer; *caption gets
    // that window's title when asked. Null when there is none.
    static TCacheServer* FindCacheServer(QWidget* start, QString* caption = nullptr);

    // Any thread; takes the server's mutex. Null data gives null. A name already held
    // gives the held record (data is deleted, unless it is that record); otherwise
    // data is entered under the name. The record returned has its count raised.
    TCachedData* insert(const QString& name, TCachedData* data);
    int recordCount() const;

private:
    mutable QMutex m_mutex;
    QMap<QString, TCachedData*> m_records;
};
