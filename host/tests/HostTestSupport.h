#pragma once
// What the host's tests share: running the toolkit a step, a settings store of the
// test's own, the shown leaves of a window and how much of each it shows, and a file's
// whole bytes.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QRect>
#include <QWidget>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace NS_HostTest {

// One step of the toolkit, deferred deletions included (nothing else runs them
// outside a running loop).
inline void pumpToolkit()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The editor's settings store of this test only, in a folder of its own: every run
// starts as a first start, and tests of other processes that change their own settings
// at the same time do not move it.
class OwnSettings
{
public:
    OwnSettings()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    ~OwnSettings()
    {
        const QString standard = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, standard);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, standard);
    }
    OwnSettings(const OwnSettings&) = delete;
    OwnSettings& operator=(const OwnSettings&) = delete;

private:
    QTemporaryDir m_dir;
};

// A shown widget of the window that holds no shown widget of its own.
inline bool isShownLeaf(const QWidget* widget, const QWidget* window)
{
    if (widget->width() <= 0 || widget->height() <= 0 || !widget->isVisibleTo(window))
        return false;
    for (const QObject* child : widget->children()) {
        if (child->isWidgetType() && static_cast<const QWidget*>(child)->isVisibleTo(window)
            && !static_cast<const QWidget*>(child)->isWindow())
            return false;
    }
    return true;
}

// The part of a widget its window shows, in the window's coordinates: clipped to each
// of its parents and to the window.
inline QRect visibleFrame(const QWidget* w, const QWidget* window)
{
    QRect frame(w->mapTo(window, QPoint(0, 0)), w->size());
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        frame &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
    return frame & window->rect();
}

// A file's bytes, or none when it cannot be read.
inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace NS_HostTest
