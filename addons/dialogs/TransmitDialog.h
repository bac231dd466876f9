#pragma once
// Sends one user-voice bank (or another transmit type of the memory model) chosen by
// the user, as often as the user starts it, and shows the progress. Stop ends a
// running transmission; Close (and the close box) work only while none runs, and a
// cancel stops it. GUI thread, except setProgress, which any thread may call.
#include "CTovarDialog.h"
#include "TProgressHandOver.h"
#include "ui_TransmitDialog.h"

class TransmitDialog : public CTovarDialog
{
    Q_OBJECT
public:
    TransmitDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                   Qt::WindowFlags flags = {});
    ~TransmitDialog() override;

    void execute() override;

signals:
    void startBulkTransfer(int type);
    void stopBulkTransfer();

public slots:
    virtual void stopTransfer();
    virtual void StartTransfer();
    // Any thread. Completes at exactly 100.
    virtual void setProgress(int percent);
    // Any thread. The port refused the transmission: it ends with its error.
    void sendFailed();

protected:
    virtual void languageChange();
    void cancelTransfer() override;

private:
    friend void TransmitDialog_setProgress_bridge(QObject* dialog, int);

    void connectCompanion(IMemAPI* api, bool connect);
    void fillTypes(IMemAPI* api);
    void showIdle(const QString& title);
    void showProgress(bool fromDelivery);

    Ui::TransmitDialog ui;
    IMemAPI* m_connectedTo = nullptr;
    TProgressHandOver m_handOver;
};

void TransmitDialog_setProgress_bridge(QObject* dialog, int);
