#pragma once
// Receives one of the instrument's user-voice banks, or its preset voices, as a bulk
// dump chosen by the user, as often as the user starts it. The status shows in the
// group box's title: receiving, completed, a bulk error or a time-out (8000 ms for the
// first report, 4000 ms between reports); Stop ends a running transfer and leaves the
// dialog as it was before Start. Close (and the close box) work only while none runs;
// a cancel stops it. Closing asks the companion to bring the control surface up to
// date. GUI thread, except setProgress and getBulkRcvError, which any thread may call.
#include "CTovarDialog.h"
#include "TProgressHandOver.h"
#include "ui_ReceiveDialog.h"

class QTimer;

class ReceiveDialog : public CTovarDialog
{
    Q_OBJECT
public:
    static constexpr int kFirstReportMs = 8000;
    static constexpr int kNextReportMs = 4000;

    ReceiveDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                  Qt::WindowFlags flags = {});
    ~ReceiveDialog() override;

    void execute() override;
    // Whether a transfer runs.
    bool isReceiving() const { return m_receiving; }

signals:
    void startBulkTransfer(int type);
    void stopBulkTransfer();
    void startPresetTransfer();
    void timeoutBulkReceive();
    void updateBulk();

public slots:
    void reject() override;
    virtual void StartTransfer();
    virtual void stopTransfer();
    // Any thread. Complete above 99. Never waits: off the GUI thread at most one
    // delivery is posted at a time.
    virtual void setProgress(int percent);
    // Any thread; code 0 does nothing.
    virtual void getBulkRcvError(int code);
    virtual void timeout();

protected:
    virtual void languageChange();
    void cancelTransfer() override;

private:
    friend void ReceiveDialog_setProgress_bridge(QObject* dialog, int);
    friend void ReceiveDialog_getBulkRcvError_bridge(QObject* dialog, int code);

    void connectCompanion(IMemAPI* api, bool connect);
    void fillTypes(IMemAPI* api);
    void showIdle();
    void showProgress(bool fromDelivery);
    void showError(int code);

    Ui::ReceiveDialog ui;
    QTimer* m_responseTimer = nullptr;
    bool m_receiving = false;
    IMemAPI* m_connectedTo = nullptr;
    TProgressHandOver m_handOver;
};

// The posted calls: nothing when the dialog has gone before the call arrives.
void ReceiveDialog_setProgress_bridge(QObject* dialog, int);
void ReceiveDialog_getBulkRcvError_bridge(QObject* dialog, int code);
