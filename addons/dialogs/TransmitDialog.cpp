#include "TransmitDialog.h"
#include "DialogsEditorRegistry.h"
#include "DialogsIEditorExtensions.h"
#include "console/memapi/ITovarVoiceData.h"
#include "memapi/IMemAPI.h"
#include "utilities/ThreadUtilities.h"
#include <QApplication>
#include <QPointer>

namespace {
constexpr QSize kMinimumSize(313, 214);
constexpr int kComplete = 100;
// Table 4 of the display texts: the names of the transmit types.
constexpr int kTransmitTypeTable = 4;
} // namespace

TransmitDialog::TransmitDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "TransmitDialog", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    resize(minimumSizeHint().expandedTo(kMinimumSize));
    connect(ui.CloseButton, &QPushButton::clicked, this, &TransmitDialog::close);
    connect(ui.StartButton, &QPushButton::clicked, this, &TransmitDialog::StartTransfer);
    connect(ui.StopButton, &QPushButton::clicked, this, &TransmitDialog::stopTransfer);
    closeOnlyWhileEnabled(ui.CloseButton);
}

TransmitDialog::~TransmitDialog()
{
    if (m_connectedTo)
        connectCompanion(m_connectedTo, false);
}

void TransmitDialog::languageChange()
{
    ui.retranslateUi(this);
}

void TransmitDialog::connectCompanion(IMemAPI* api, bool connect)
{
    api->MAPI_slotSignal(SLOT(sendUserVoiceBulk(int)), this, SIGNAL(startBulkTransfer(int)), connect);
    api->MAPI_signalSlot(SIGNAL(bulkProgressChanged(int)), this, SLOT(setProgress(int)), connect);
    api->MAPI_signalSlot(SIGNAL(bulkSendFailed()), this, SLOT(sendFailed()), connect);
    api->MAPI_slotSignal(SLOT(stopBulkRequest()), this, SIGNAL(stopBulkTransfer()), connect);
    m_connectedTo = connect ? api : nullptr;
}

void TransmitDialog::fillTypes(IMemAPI* api)
{
    ui.TransmitTypeComboBox->clear();
    ui.TransmitTypeComboBox->addItems(displayTexts(api, kTransmitTypeTable));
    ui.TransmitTypeComboBox->setCurrentIndex(ui.TransmitTypeComboBox->count() > 0 ? 0 : -1);
}

void TransmitDialog::execute()
{
    QPointer<TransmitDialog> self(this);
    fixCurrentSize();
    fitText(ui.TransmitTypeLabel);
    if (IMemAPI* api = memapi()) {
        ui.TransmitProgressBar->setTextVisible(true);
        connectCompanion(api, true);
        fillTypes(api);
        ui.StopButton->hide();
        exec();
        if (!self) {
            // Gone with a transmission perhaps still paced: stop it.
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

void TransmitDialog::StartTransfer()
{
    // The final report of the transfer before would end this one at its first report.
    m_handOver.reset();
    ui.TransmitProgressBar->setValue(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    emit startBulkTransfer(ui.TransmitTypeComboBox->currentIndex());
    QApplication::restoreOverrideCursor();
    ui.StartButton->hide();
    ui.StopButton->show();
    ui.CloseButton->setEnabled(false);
    ui.TransmitTypeComboBox->setEnabled(false);
    ui.GroupBox->setTitle(QCoreApplication::translate("TransmitDialog", "Transmitting..."));
}

void TransmitDialog::showIdle(const QString& title)
{
    ui.GroupBox->setTitle(title);
    ui.CloseButton->setEnabled(true);
    ui.TransmitTypeComboBox->setEnabled(true);
    ui.StartButton->show();
    ui.StopButton->hide();
}

void TransmitDialog::stopTransfer()
{
    showIdle(QCoreApplication::translate("TransmitDialog", "Transmit"));
    ui.TransmitProgressBar->setValue(0);
    emit stopBulkTransfer();
}

void TransmitDialog::cancelTransfer()
{
    if (!ui.StopButton->isHidden())
        stopTransfer();
}

void TransmitDialog::setProgress(int percent)
{
    if (!NS_Utilities::mainThreadRunning()) {
        if (m_handOver.offer(percent))
            TProgressHandOver::post(this, &TransmitDialog_setProgress_bridge, 0);
        return;
    }
    m_handOver.offer(percent, false);
    showProgress(false);
}

void TransmitDialog::showProgress(bool fromDelivery)
{
    const std::optional<int> percent = m_handOver.take(fromDelivery);
    if (!percent)
        return;
    ui.TransmitProgressBar->setValue(qBound(0, *percent, 100));
    if (*percent == kComplete)
        showIdle(QCoreApplication::translate("TransmitDialog", "Transmit completed successfully"));
}

void TransmitDialog::sendFailed()
{
    if (!NS_Utilities::mainThreadRunning()) {
        QMetaObject::invokeMethod(this, &TransmitDialog::sendFailed, Qt::QueuedConnection);
        return;
    }
    if (ui.StopButton->isHidden())
        return; // no transmission of this window runs
    m_handOver.reset();
    showIdle(QCoreApplication::translate("@default", "Bulk Data Timeout Error!"));
}

void TransmitDialog_setProgress_bridge(QObject* dialog, int)
{
    if (auto* transmit = qobject_cast<TransmitDialog*>(dialog))
        transmit->showProgress(true);
}

namespace {

QWidget* createTransmit(const TDialogsCreateContext& c)
{
    return new DialogsIEditorExtensions<TransmitDialog>(c.addOn, c.services, c.parent, nullptr,
                                                        QStringLiteral("Transmit"));
}

const DialogsEditorRegistration registration(NS_DialogsIds::kTransmitVoice, NS_DialogsIds::kTransmitVoice,
                                             &createTransmit);

} // namespace
