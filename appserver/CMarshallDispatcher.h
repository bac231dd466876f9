#pragma once
// Receiver of marshalled calls; lives on the GUI thread.
#include "vantrel_kxe21_qtplxserver_export.h"
#include <QObject>

class VANTREL_APPSERVER_EXPORT CMarshallDispatcher : public QObject
{
    Q_OBJECT
public:
    CMarshallDispatcher();
    ~CMarshallDispatcher() override;

protected:
    // Runs marshalled calls (types 1256-1261); every other event is dropped.
    bool event(QEvent* e) override;
};
