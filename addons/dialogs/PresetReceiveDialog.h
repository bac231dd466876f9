#pragma once
// Asks the user to receive the instrument's preset voices, which the editor needs
// before it can show them: an explanation, a Setup button for the MIDI ports and a
// bulk receive with progress. It shows itself only while the preferences say that no
// preset voice data are loaded (preference 518 is 0); otherwise it is made and deleted
// unseen. A time-out (8000 ms before and between reports) or a bulk error stops the
// request and shows its text in place of the progress bar; the dialog stays open until
// the user closes it, which is refused while a transfer runs; a cancel stops it. GUI
// thread, except setProgress and getBulkRcvError, which any thread may call.
#include "CTovarDialog.h"
#include "TProgressHandOver.h"
#include "ui_PresetReceiveDialog.h"

class QTimer;

class PresetReceiveDialog : public CTovarDialog
{
    Q_OBJECT
public:
    static constexpr int kReportMs = 8000;

    PresetReceiveDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                        Qt::WindowFlags flags = {});
    ~PresetReceiveDialog() override;

    void execute() override;
    bool isReceiving() const { return m_receiving; }

signals:
    void startBulkTransfer();
    void stopBulkTransfer();

public slots:
    virtual void StartTransfer();
    virtual void stopTransfer();
    // Any thread; complete at 100 or more.
    virtual void setProgress(int percent);
    // Any thread; code 0 does nothing.
    virtual void getBulkRcvError(int code);
    virtual void timeout();
    virtual void launchSetup();

protected:
    virtual void init();
    virtual void languageChange();
    void cancelTransfer() override;

private:
    friend void PresetReceiveDialog_setProgress_bridge(QObject* dialog, int);
    friend void PresetReceiveDialog_getBulkRcvError_bridge(QObject* dialog, int code);

    void connectCompanion(IMemAPI* api, bool connect);
    void showProgress(bool fromDelivery);
    void showError(int code);
    void showStatus(const QString& text);

    Ui::PresetReceiveDialog ui;
    QTimer* m_responseTimer = nullptr;
    bool m_receiving = false;
    IMemAPI* m_connectedTo = nullptr;
    TProgressHandOver m_handOver;
};

void PresetReceiveDialog_setProgress_bridge(QObject* dialog, int);
void PresetReceiveDialog_getBulkRcvError_bridge(QObject* dialog, int code);
