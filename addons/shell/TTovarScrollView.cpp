#include "TTovarScrollView.h"
#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>

namespace {
// Longer focus chains than this are a broken chain, not a window.
constexpr int kMaxFocusChainSteps = 100000;
} // namespace

TTovarScrollView::TTovarScrollView(QWidget* parent, const char* name, Qt::WindowFlags flags,
                                   IGenericEditorPluginInterface*, const QString&, int)
    : QScrollArea(parent)
{
    setWindowFlags(flags);
    setAttribute(Qt::WA_DeleteOnClose);
    if (name)
        setObjectName(QString::fromLatin1(name));
    setFocusPolicy(Qt::NoFocus);
    setFocusProxy(nullptr);
    setFrameStyle(QFrame::NoFrame);
    setLineWidth(0);
    // The view keeps its own fixed size: a resizable one smaller than the frame would
    // bring up scroll bars that then never go.
    setWidgetResizable(false);
}

void TTovarScrollView::setView(QWidget* view, const QString& caption)
{
    // The frame takes its size first, so that the view fits it from the start and no
    // scroll bar is ever switched on.
    const QSize limit = view->maximumSize();
    setMaximumSize(limit.width() + 2, limit.height() + 2);
    setFixedSize(maximumSize());
    setWidget(view);
    view->move(0, 0);
    setWindowTitle(caption);
}

void TTovarScrollView::setCloseDestroys(bool destroys)
{
    m_closeDestroys = destroys;
}

bool TTovarScrollView::close(bool alsoDelete)
{
    if (!m_closeDestroys && !alsoDelete) {
        hide();
        return true;
    }
    if (alsoDelete) {
        m_closeDestroys = true;
        setAttribute(Qt::WA_DeleteOnClose);
    }
    return QWidget::close();
}

void TTovarScrollView::closeEvent(QCloseEvent* event)
{
    // However the close comes (the frame's button, the Windows menu), a kept window
    // is only hidden.
    if (!m_closeDestroys)
        setAttribute(Qt::WA_DeleteOnClose, false);
    QScrollArea::closeEvent(event);
}

void TTovarScrollView::focusInEvent(QFocusEvent* event)
{
    const int y = this->y();
    if (m_firstY < 0) {
        m_firstY = y;
        m_lastY = y;
    } else if (y != m_lastY && y >= m_firstY) {
        const qint64 grown = qint64(maximumHeight()) + (y - m_lastY);
        setMaximumHeight(int(qBound(qint64(minimumHeight()), grown, qint64(QWIDGETSIZE_MAX))));
        m_lastY = y;
    }
    QScrollArea::focusInEvent(event);
}

bool TTovarScrollView::isChild(const QWidget* widget) const
{
    const QWidget* port = viewport();
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w == this || w == port)
            return false;
        if (w->parentWidget() == port)
            return true;
    }
    return false;
}

bool TTovarScrollView::acceptsTabFocus(QWidget* widget) const
{
    return widget != viewport() && widget != this && isChild(widget)
           && (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !widget->focusProxy()
           && widget->isVisibleTo(this) && widget->isVisible() && widget->isEnabled();
}

bool TTovarScrollView::focusNextPrevChild(bool next)
{
    QWidget* current = focusWidget();
    if (!current)
        current = QApplication::focusWidget();
    if (!viewport() || !current)
        return false;
    QWidget* first = nullptr;
    QWidget* w = current;
    for (int step = 0; step < kMaxFocusChainSteps; ++step) {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w)
            return false;
        if (w == first) {
            // Round the whole chain without a control of this view that takes Tab.
            first->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
        if (!first)
            first = w;
        if (acceptsTabFocus(w)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}
