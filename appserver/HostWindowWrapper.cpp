#include "HostWindowWrapper.h"
#include "platform/PlatformWindow.h"
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QScopeGuard>
#include <functional>

Q_LOGGING_CATEGORY(lcHostWindow, "tovar.appserver.window")

namespace {

QPoint pointOr0(const QPoint* p)
{
    return p ? *p : QPoint(0, 0);
}

QSize sizeOr0(const QSize* s)
{
    return s ? *s : QSize(0, 0);
}

// The inner window says when it goes: with the host window it goes before the page in
// it, which must then not delete it a second time.
class InnerWindow : public QMainWindow
{
public:
    InnerWindow(QWidget* parent, std::function<void()> gone) : QMainWindow(parent), m_gone(std::move(gone)) {}
    ~InnerWindow() override { m_gone(); }

private:
    std::function<void()> m_gone;
};

} // namespace

CForeignWindowWrapper_VANTREL_KXE::CForeignWindowWrapper_VANTREL_KXE(WId window,
                                                                     const QPoint* position,
                                                                     const QSize* size)
    : QMainWindow(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_NoSystemBackground);
    QMutexLocker lock(&m_mutex);
    // No dock-window menu on the main window's own context menu.
    setContextMenuPolicy(Qt::PreventContextMenu);
    mySetParent(window, position, size, true);
    setAcceptDrops(false);
    setAcceptDrops(true);
}

CForeignWindowWrapper_VANTREL_KXE::~CForeignWindowWrapper_VANTREL_KXE()
{
    // The inner window is our parent while hosted: leave it before deleting it, so
    // that it does not delete us a second time.
    if (m_inner) {
        if (parentWidget() == m_inner)
            setParent(nullptr);
        delete m_inner.data();
    }
}

void CForeignWindowWrapper_VANTREL_KXE::deleteInnerWindow()
{
    if (!m_inner)
        return;
    QMainWindow* inner = m_inner;
    m_inner = nullptr;
    if (parentWidget() == inner)
        setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
    delete inner;
}

void CForeignWindowWrapper_VANTREL_KXE::mySetParent(WId window, const QPoint* position,
                                                    const QSize* size, bool /*show*/)
{
    QMutexLocker lock(&m_mutex);
    if (window == m_hostWindow)
        return;
    // Reparenting hides the window for a moment; that is no hide to announce.
    const bool wasReparenting = m_reparenting;
    m_reparenting = true;
    const auto restore = qScopeGuard([this, wasReparenting] { m_reparenting = wasReparenting; });

    if (window != 0) {
        QWidget* widget = QWidget::find(window);
        if (widget && widget != this) {
            // Into a toolkit widget; the inner window, if any, stays.
            m_hostWindow = 0;
            setParent(widget, Qt::Widget);
            move(0, 0);
            return;
        }
    }

    PlatformWindow* host = nullptr;
    if (window != 0) {
        host = PlatformWindow::find(window);
        if (!host) {
            qCWarning(lcHostWindow) << "no host window with handle" << window;
            return;
        }
    }

    m_hostWindow = window;
    if (host) {
        // The old inner window goes before the new one is made.
        deleteInnerWindow();
        m_inner = new InnerWindow(host->contentWidget(), [this] { m_inner = nullptr; });
        // A main window always asks to be a window of its own; made on the host window
        // it is that window's content instead, or the page would come up beside it.
        m_inner->setWindowFlags(Qt::Widget);
        m_inner->setObjectName(QStringLiteral("ForeignWindowInner"));
        // It is the host window: it keeps the content region's size.
        QObject::connect(host, &PlatformWindow::resized, m_inner.data(),
                         [inner = m_inner.data()](const QSize& size) { inner->resize(size); });
    }

    const QSize wanted = sizeOr0(size);
    if (m_hostWindow && m_inner) {
        // Made on the host window, the inner window's origin is the content origin.
        m_inner->setGeometry(QRect(QPoint(0, 0), wanted));
        m_inner->show();
        setParent(m_inner, Qt::Widget);
        move(0, 0);
        QMainWindow::setVisible(true);
    }

    if (m_hostWindow) {
        setGeometry(QRect(pointOr0(position), wanted));
        raise();
    } else {
        // The host window's focus inside this window would stay the host window's,
        // pointing at a widget it no longer holds once this one is deleted.
        if (QWidget* focus = QWidget::window()->focusWidget(); focus && isAncestorOf(focus))
            focus->clearFocus();
        setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
        move(0, 0);
        deleteInnerWindow();
    }
}

void CForeignWindowWrapper_VANTREL_KXE::resize(int w, int h)
{
    if (m_inner && PlatformWindow::find(m_hostWindow))
        m_inner->setGeometry(QRect(QPoint(0, 0), QSize(w, h)));
    QMainWindow::resize(w, h);
}

void CForeignWindowWrapper_VANTREL_KXE::resize(const QSize& size)
{
    resize(size.width(), size.height());
}

void CForeignWindowWrapper_VANTREL_KXE::setVisible(bool visible)
{
    if (!visible && isVisible() && !m_reparenting)
        emit aboutToHide();
    QMainWindow::setVisible(visible);
}

void CForeignWindowWrapper_VANTREL_KXE::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
}

void CForeignWindowWrapper_VANTREL_KXE::keyReleaseEvent(QKeyEvent* event)
{
    event->ignore();
}
