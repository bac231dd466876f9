#include "PlatformWindow.h"
#include <QEvent>
#include <QDebug>
#include <QHash>
#include <QCloseEvent>
#include <QMoveEvent>
#include <QPixmap>
#include <QMutex>
#include <QMutexLocker>
#include <QResizeEvent>
#include <QWidget>

namespace {

// Handles start far above any native window id the toolkit hands out (small counters
// offscreen, 32-bit ids on X11) and are never reused.
constexpr quint64 kFirstHandle = 0x5650000000000001ull;

struct Registry
{
    QMutex mutex;
    QHash<WId, PlatformWindow*> windows;
    quint64 next = kFirstHandle;
};

Registry& registry()
{
    static Registry r;
    return r;
}

} // namespace

PlatformWindow::PlatformWindow(const QRect& contentBounds, const QString& title)
    : m_widget(new QWidget(nullptr, Qt::Window))
{
    {
        Registry& r = registry();
        QMutexLocker lock(&r.mutex);
        m_handle = WId(r.next++);
        r.windows.insert(m_handle, this);
    }
    m_widget->setObjectName(QStringLiteral("PlatformWindow"));
    m_widget->setWindowTitle(title);
    m_widget->setGeometry(contentBounds);
    m_widget->installEventFilter(this);
}

PlatformWindow::~PlatformWindow()
{
    {
        Registry& r = registry();
        QMutexLocker lock(&r.mutex);
        r.windows.remove(m_handle);
    }
    m_widget->removeEventFilter(this);
    delete m_widget;
}

PlatformWindow* PlatformWindow::find(WId handle)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    return r.windows.value(handle, nullptr);
}

QRect PlatformWindow::contentBounds() const
{
    return m_widget->geometry();
}

QPoint PlatformWindow::localToGlobal(const QPoint& local) const
{
    return m_widget->geometry().topLeft() + local;
}

void PlatformWindow::setContentBounds(const QRect& bounds)
{
    const QRect old = m_widget->geometry();
    m_widget->setGeometry(bounds);
    // A hidden window gets no move or resize events: report the change here.
    if (!m_widget->isVisible()) {
        if (bounds.topLeft() != old.topLeft())
            emit moved(bounds.topLeft());
        if (bounds.size() != old.size())
            emit resized(bounds.size());
    }
}

void PlatformWindow::setTitle(const QString& title)
{
    m_widget->setWindowTitle(title);
}

void PlatformWindow::show()
{
    m_widget->show();
}

void PlatformWindow::hide()
{
    m_widget->hide();
}

bool PlatformWindow::isVisible() const
{
    return m_widget->isVisible();
}

void PlatformWindow::setCloseHandler(std::function<void()> handler)
{
    m_closeHandler = std::move(handler);
}

bool PlatformWindow::saveContentImage(const QString& path) const
{
    // The windows made on this one are its children and are drawn with it.
    const QPixmap picture = m_widget->grab();
    if (picture.isNull())
        return false;
    return picture.save(path);
}

bool PlatformWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_widget && event->type() == QEvent::Close && m_closeHandler) {
        // The host owns the window: a close request is only a request.
        event->ignore();
        m_closeHandler();
        return true;
    }
    if (watched == m_widget && m_widget->isVisible()) {
        if (event->type() == QEvent::Move)
            emit moved(static_cast<QMoveEvent*>(event)->pos());
        else if (event->type() == QEvent::Resize)
            emit resized(static_cast<QResizeEvent*>(event)->size());
    }
    return QObject::eventFilter(watched, event);
}
