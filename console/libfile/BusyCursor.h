#pragma once
// The wait cursor while a file is read or written, only where the toolkit's cursor
// may be touched (a toolkit application, on its own thread).
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QThread>

class BusyCursor
{
public:
    BusyCursor()
        : m_set(qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                && QThread::currentThread() == QCoreApplication::instance()->thread())
    {
        if (m_set)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyCursor()
    {
        if (m_set)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool m_set;
};
