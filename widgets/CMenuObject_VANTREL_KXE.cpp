#include "widgets/CMenuObject_VANTREL_KXE.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>

CMenuObject_VANTREL_KXE::CMenuObject_VANTREL_KXE(QWidget* parent, const char* name)
    : QMenu(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setMouseTracking(true);
}

void CMenuObject_VANTREL_KXE::popup(QWidget* owner)
{
    m_owner = owner;
    if (owner) {
        QMenu::popup(owner->mapToGlobal(QPoint(0, owner->height())));
        return;
    }
    show();
    setFocus(Qt::PopupFocusReason);
}

void CMenuObject_VANTREL_KXE::mouseReleaseEvent(QMouseEvent* event)
{
    // The release of the click that opened the menu lands outside it: keep it open.
    if (!rect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    QMenu::mouseReleaseEvent(event);
}

void CMenuObject_VANTREL_KXE::closeEvent(QCloseEvent* event)
{
    event->accept();
    QMenu::closeEvent(event);
    if (m_owner) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(0, 0), m_owner->mapToGlobal(QPointF(0, 0)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_owner, &release);
    }
}
