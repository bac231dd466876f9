#include "TModalDialogObserver_VANTREL_KXE.h"
#include "ThreadUtilities.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

TModalDialogObserver_VANTREL_KXE::TModalDialogObserver_VANTREL_KXE(QObject* parent)
    : QObject(parent)
{
}

TModalDialogObserver_VANTREL_KXE::~TModalDialogObserver_VANTREL_KXE() = default;

bool TModalDialogObserver_VANTREL_KXE::moreProcessingNeeded() const
{
    return qobject_cast<QApplication*>(QCoreApplication::instance())
           && QApplication::activeModalWidget() != nullptr;
}

void TModalDialogObserver_VANTREL_KXE::cancelAllDialogs()
{
    if (!NS_Utilities::mainThreadRunning() || !moreProcessingNeeded())
        return;
    QPointer<QWidget> modal(QApplication::activeModalWidget());
    // The dialog's own exec() loop is still on the stack: it ends on the next pass.
    QTimer::singleShot(0, modal.data(), [modal] {
        if (!modal)
            return;
        if (auto* dialog = qobject_cast<QDialog*>(modal.data()))
            dialog->reject();
        else
            modal->close();
    });
}
