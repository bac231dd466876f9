#include "ReceiveDialog.h"
#include "DialogsEditorRegistry.h"
#include "DialogsIEditorExtensions.h"
#include "ReceivingDialog.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "utilities/ThreadUtilities.h"
#include <QPointer>
#include <QTimer>

using Companion = TovarIMemAPIQObject_VANTREL_KXE;

namespace {
constexpr QSize kMinimumSize(313, 212);
// Table 3 of the display texts: the names of the user-voice receive types.
constexpr int kReceiveTypeTable = 3;
} // namespace

ReceiveDialog::ReceiveDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "ReceiveDialog", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    resize(minimumSizeHint().expandedTo(kMinimumSize));
    connect(ui.CloseButton, &QPushButton::clicked, this, &ReceiveDialog::close);
    connect(ui.StartButton, &QPushButton::clicked, this, &ReceiveDialog::StartTransfer);
    connect(ui.StopButton, &QPushButton::clicked, this, &ReceiveDialog::stopTransfer);
    closeOnlyWhileEnabled(ui.CloseButton);
}

ReceiveDialog::~ReceiveDialog()
{
    // Under the memory-API lock: once this returns no report can reach the dialog.
    if (m_connectedTo)
        connectCompanion(m_connectedTo, false);
}

void ReceiveDialog::languageChange()
{
    ui.retranslateUi(this);
}

void ReceiveDialog::connectCompanion(IMemAPI* api, bool connect)
{
    if (connect) {
        api->MAPI_slotSignal(SLOT(requestUserVoiceBulk(int)), this, SIGNAL(startBulkTransfer(int)), true);
        api->MAPI_signalSlot(SIGNAL(bulkProgressChanged(int)), this, SLOT(setProgress(int)), true);
        api->MAPI_signalSlot(SIGNAL(bulkRcvErrorOccurred(int)), this, SLOT(getBulkRcvError(int)), true);
        api->MAPI_slotSignal(SLOT(cancelBulkReceive()), this, SIGNAL(stopBulkTransfer()), true);
        api->MAPI_slotSignal(SLOT(requestPresetVoiceBulk()), this, SIGNAL(startPresetTransfer()), true);
        api->MAPI_slotSignal(SLOT(stopBulkRequest()), this, SIGNAL(timeoutBulkReceive()), true);
        api->MAPI_slotSignal(SLOT(updateRemote()), this, SIGNAL(updateBulk()), true);
        m_connectedTo = api;
        return;
    }
    api->MAPI_slotSignal(SLOT(cancelBulkReceive()), this, SIGNAL(stopBulkTransfer()), false);
    api->MAPI_slotSignal(SLOT(requestUserVoiceBulk(int)), this, SIGNAL(startBulkTransfer(int)), false);
    api->MAPI_signalSlot(SIGNAL(bulkProgressChanged(int)), this, SLOT(setProgress(int)), false);
    api->MAPI_signalSlot(SIGNAL(bulkRcvErrorOccurred(int)), this, SLOT(getBulkRcvError(int)), false);
    api->MAPI_slotSignal(SLOT(requestPresetVoiceBulk()), this, SIGNAL(startPresetTransfer()), false);
    api->MAPI_slotSignal(SLOT(stopBulkRequest()), this, SIGNAL(timeoutBulkReceive()), false);
    api->MAPI_slotSignal(SLOT(updateRemote()), this, SIGNAL(updateBulk()), false);
    m_connectedTo = nullptr;
}

void ReceiveDialog::fillTypes(IMemAPI* api)
{
    ui.ReceiveTypeComboBox->clear();
    ui.ReceiveTypeComboBox->addItems(displayTexts(api, kReceiveTypeTable));
    ui.ReceiveTypeComboBox->addItem(tr("Preset Voices"));
    ui.ReceiveTypeComboBox->setCurrentIndex(0);
}

void ReceiveDialog::execute()
{
    QPointer<ReceiveDialog> self(this);
    fixCurrentSize();
    fitText(ui.ReceiveTypeLabel);
    m_responseTimer = new QTimer(this);
    m_responseTimer->setSingleShot(true);
    connect(m_responseTimer, &QTimer::timeout, this, &ReceiveDialog::timeout);
    if (IMemAPI* api = memapi()) {
        ui.ReceiveProgressBar->setTextVisible(true);
        connectCompanion(api, true);
        fillTypes(api);
        ui.StopButton->hide();
        exec();
        if (!self) {
            // Gone in the middle of a transfer: stop the request.
            if (auto* data = dynamic_cast<ITovarVoiceData*>(api->MAPI_qself()))
                data->stopBulkRequest();
            return;
        }
        if (m_connectedTo)
            connectCompanion(m_connectedTo, false);
    }
    if (self)
        deleteLater();
}

void ReceiveDialog::StartTransfer()
{
    m_receiving = true;
    // The final report of the transfer before would end this one at its first report.
    m_handOver.reset();
    ui.ReceiveProgressBar->setValue(0);
    ui.StartButton->hide();
    ui.StopButton->show();
    ui.CloseButton->setEnabled(false);
    ui.ReceiveTypeComboBox->setEnabled(false);
    ui.GroupBox->setTitle(tr("Receiving..."));
    m_responseTimer->start(Companion::scaledMs(kFirstReportMs));
    const int type = ui.ReceiveTypeComboBox->currentIndex();
    if (type == ui.ReceiveTypeComboBox->count() - 1)
        emit startPresetTransfer();
    else
        emit startBulkTransfer(type);
}

void ReceiveDialog::showIdle()
{
    m_receiving = false;
    if (m_responseTimer)
        m_responseTimer->stop();
    ui.CloseButton->setEnabled(true);
    ui.ReceiveTypeComboBox->setEnabled(true);
    ui.StartButton->show();
    ui.StopButton->hide();
}

void ReceiveDialog::stopTransfer()
{
    // Before the first report the request is stopped; once data flow, the receive is
    // cancelled.
    if (ui.ReceiveProgressBar->value() <= 0)
        emit timeoutBulkReceive();
    else
        emit stopBulkTransfer();
    ui.ReceiveProgressBar->setValue(0);
    ui.GroupBox->setTitle(tr("Receive"));
    showIdle();
}

void ReceiveDialog::cancelTransfer()
{
    if (m_receiving)
        stopTransfer();
}

void ReceiveDialog::setProgress(int percent)
{
    if (!NS_Utilities::mainThreadRunning()) {
        if (m_handOver.offer(percent))
            TProgressHandOver::post(this, &ReceiveDialog_setProgress_bridge, 0);
        return;
    }
    m_handOver.offer(percent, false);
    showProgress(false);
}

void ReceiveDialog::showProgress(bool fromDelivery)
{
    const std::optional<int> percent = m_handOver.take(fromDelivery);
    // A report that arrives after the transfer ended (stopped, failed) changes nothing.
    if (!percent || !m_receiving)
        return;
    m_responseTimer->stop();
    ui.ReceiveProgressBar->setValue(qBound(0, *percent, 100));
    if (*percent > 99) {
        ui.GroupBox->setTitle(tr("Receive completed successfully"));
        showIdle();
        return;
    }
    m_responseTimer->start(Companion::scaledMs(kNextReportMs));
}

void ReceiveDialog::getBulkRcvError(int code)
{
    if (code == 0)
        return;
    if (!NS_Utilities::mainThreadRunning()) {
        TProgressHandOver::post(this, &ReceiveDialog_getBulkRcvError_bridge, code);
        return;
    }
    showError(code);
}

void ReceiveDialog::showError(int code)
{
    if (!m_receiving)
        return;
    m_responseTimer->stop();
    emit stopBulkTransfer();
    const QString text = ReceivingDialog::errorText(code);
    if (!text.isEmpty())
        ui.GroupBox->setTitle(text);
    showIdle();
}

void ReceiveDialog::timeout()
{
    if (!m_receiving)
        return;
    emit timeoutBulkReceive();
    ui.GroupBox->setTitle(QCoreApplication::translate("@default", "Bulk Data Timeout Error!"));
    showIdle();
}

void ReceiveDialog::reject()
{
    // Close, the close box and Escape end here only while no transfer runs; a cancel
    // stops the one that runs.
    cancelTransfer();
    emit updateBulk();
    CTovarDialog::reject();
}

void ReceiveDialog_setProgress_bridge(QObject* dialog, int)
{
    if (auto* receive = qobject_cast<ReceiveDialog*>(dialog))
        receive->showProgress(true);
}

void ReceiveDialog_getBulkRcvError_bridge(QObject* dialog, int code)
{
    if (auto* receive = qobject_cast<ReceiveDialog*>(dialog))
        receive->showError(code);
}

namespace {

QWidget* createReceive(const TDialogsCreateContext& c)
{
    return new DialogsIEditorExtensions<ReceiveDialog>(c.addOn, c.services, c.parent, nullptr,
                                                       QStringLiteral("Receive"));
}

const DialogsEditorRegistration registration(NS_DialogsIds::kReceiveVoice, NS_DialogsIds::kReceiveVoice,
                                             &createReceive);

} // namespace
