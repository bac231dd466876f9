#pragma once
// Sends the whole multi to the instrument (or, through the transmit-progress frame, one
// monitor transmission) and shows the progress; closes itself at 100. The user cannot
// close it while the transmission runs; a stall timer (8000 ms for the first report,
// 4000 ms after each) stops a transmission that never completes, so the dialog never
// stays open for good, and a cancel stops it. A monitor transmission with nothing to
// send is not shown at all. GUI thread, except setProgress, which any thread may call.
#include "CTovarDialog.h"
#include "TProgressHandOver.h"
#include "ui_TransmittingDialog.h"

class QTimer;

class TransmittingDialog : public CTovarDialog
{
    Q_OBJECT
public:
    static constexpr int kFirstReportMs = 8000;
    static constexpr int kNextReportMs = 4000;

    TransmittingDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                       Qt::WindowFlags flags = {});
    ~TransmittingDialog() override;

    // The multi dump.
    void execute() override;
    // The hook's transmission instead of the multi dump.
    virtual void transmit();
    // What transmit() sends; nothing here (the transmit-progress frame runs its action).
    virtual void startTransmit();

signals:
    void startBulkTransfer();
    void stopBulkTransfer();

public slots:
    // Any thread. Completes at exactly 100.
    virtual void setProgress(int percent);
    // Any thread. The port refused the transmission: it ends with its error at once.
    void sendFailed();

protected:
    virtual void languageChange();
    bool closeAllowed() const override { return m_closeAllowed; }
    void cancelTransfer() override;

private:
    friend void TransmittingDialog_setProgress_bridge(QObject* dialog, int);

    // Connects (or undoes) the progress, and with `multi` the start and the stop.
    void connectCompanion(IMemAPI* api, bool multi, bool connect);
    void run(bool multi);
    void showProgress(bool fromDelivery);
    void stalled();

    Ui::TransmittingDialog ui;
    QTimer* m_stallTimer = nullptr;
    bool m_closeAllowed = true;
    bool m_finished = false;
    IMemAPI* m_connectedTo = nullptr;
    bool m_connectedMulti = false;
    TProgressHandOver m_handOver;
};

void TransmittingDialog_setProgress_bridge(QObject* dialog, int);
