#pragma once
// The menu of a pull-down control: pops up under its owner and stays open after the
// click that opened it. GUI thread.
#include "vantrel_kxe21_widgets_export.h"
#include <QMenu>
#include <QPointer>

class VANTREL_WIDGETS_EXPORT CMenuObject_VANTREL_KXE : public QMenu
{
    Q_OBJECT
public:
    explicit CMenuObject_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);

    // Pops up at the owner's bottom-left corner; without an owner it shows itself and
    // takes the focus.
    void popup(QWidget* owner);
    QWidget* owner() const { return m_owner; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<QWidget> m_owner;
};
