// The dialog observer the host component asks before it releases the user interface.
#include "utilities/TModalDialogObserver_VANTREL_KXE.h"

#include <QCoreApplication>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

TEST(ModalDialogObserver, NothingToDoWithoutAModalDialog)
{
    TModalDialogObserver_VANTREL_KXE observer;
    EXPECT_FALSE(observer.moreProcessingNeeded());
    observer.cancelAllDialogs();
    EXPECT_FALSE(observer.moreProcessingNeeded());
}

TEST(ModalDialogObserver, CancelRejectsTheOpenDialogOnTheNextPass)
{
    TModalDialogObserver_VANTREL_KXE observer;
    QDialog dialog;
    bool seenOpen = false;
    bool stillOpenRightAfterCancel = false;
    bool offThreadIgnored = false;
    QTimer::singleShot(0, &dialog, [&] {
        seenOpen = observer.moreProcessingNeeded();
        // Off the GUI thread the request is ignored: the next pass, which would end the
        // dialog, leaves it open.
        std::thread([&] { observer.cancelAllDialogs(); }).join();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        offThreadIgnored = dialog.isVisible();
        observer.cancelAllDialogs();
        stillOpenRightAfterCancel = dialog.isVisible();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(seenOpen);
    EXPECT_TRUE(offThreadIgnored);
    EXPECT_TRUE(stillOpenRightAfterCancel);
    EXPECT_FALSE(observer.moreProcessingNeeded());
}
