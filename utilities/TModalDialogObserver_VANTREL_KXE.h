#pragma once
// Tells whether a modal dialog is open and can ask it to go; the host component
// uses it before it releases the user interface. GUI thread.
#include "vantrel_kxe21_utilities_export.h"
#include <QObject>

class VANTREL_UTILITIES_EXPORT TModalDialogObserver_VANTREL_KXE : public QObject
{
    Q_OBJECT
public:
    explicit TModalDialogObserver_VANTREL_KXE(QObject* parent = nullptr);
    ~TModalDialogObserver_VANTREL_KXE() override;

    // True while the toolkit application exists and has an active modal widget.
    bool moreProcessingNeeded() const;

public slots:
    // GUI thread only (elsewhere nothing): the active modal widget rejects (or, when
    // it is no dialog, closes) on the next pass of the event loop.
    void cancelAllDialogs();
};
