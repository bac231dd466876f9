#pragma once
// Receives the instrument's whole multi as a bulk dump and shows its progress. The
// companion of the memory API does the transfer; the dialog starts it, watches it with
// a response timer (8000 ms for the first report, 4000 ms after each), reports bulk
// errors and closes itself at 100. The user cannot close it while the transfer runs;
// the timer always ends a transfer that stalls, and a cancel stops it. GUI thread,
// except setProgress and getBulkRcvError, which any thread may call.
#include "CTovarDialog.h"
#include "TProgressHandOver.h"
#include "ui_ReceivingDialog.h"

class QTimer;

class ReceivingDialog : public CTovarDialog
{
    Q_OBJECT
public:
    static constexpr int kFirstReportMs = 8000;
    static constexpr int kNextReportMs = 4000;

    ReceivingDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                    Qt::WindowFlags flags = {});
    // Undoes the connections to the companion if they are still made.
    ~ReceivingDialog() override;

    void execute() override;
    // The text of a bulk error code (1 to 3), empty for any other.
    static QString errorText(int code);

signals:
    void startBulkTransfer();
    void stopBulkTransfer();

public slots:
    // Any thread: 0 to 99 while running, 100 or more at the end. Never waits: off the
    // GUI thread at most one delivery is posted at a time.
    virtual void setProgress(int percent);
    // Any thread; code 0 does nothing.
    virtual void getBulkRcvError(int code);
    virtual void timeout();

protected:
    virtual void languageChange();
    bool closeAllowed() const override { return m_closeAllowed; }
    void cancelTransfer() override;

private:
    friend void ReceivingDialog_setProgress_bridge(QObject* dialog, int);
    friend void ReceivingDialog_getBulkRcvError_bridge(QObject* dialog, int code);

    void connectCompanion(IMemAPI* api, bool connect);
    // GUI thread: shows the latest report, if any.
    void showProgress(bool fromDelivery);
    void showError(int code);
    void finish();

    Ui::ReceivingDialog ui;
    QTimer* m_responseTimer = nullptr;
    bool m_closeAllowed = true;
    bool m_finished = false;
    IMemAPI* m_connectedTo = nullptr; // the memory API the companion connections are made on
    TProgressHandOver m_handOver;
};

// The posted calls: nothing when the dialog has gone before the call arrives.
void ReceivingDialog_setProgress_bridge(QObject* dialog, int);
void ReceivingDialog_getBulkRcvError_bridge(QObject* dialog, int code);
