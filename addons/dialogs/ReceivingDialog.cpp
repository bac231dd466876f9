#include "ReceivingDialog.h"
#include "DialogsAddOnLink.h"
#include "DialogsEditorRegistry.h"
#include "DialogsIEditorExtensions.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "utilities/DocuPrompter.h"
#include "utilities/ThreadUtilities.h"
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

using Companion = TovarIMemAPIQObject_VANTREL_KXE;

namespace {

// The bar shows 100 for a moment before the dialog closes.
constexpr int kCloseDelayMs = 100;
constexpr QSize kMinimumSize(332, 108);

} // namespace

ReceivingDialog::ReceivingDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "ReceivingDialog", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    resize(minimumSizeHint().expandedTo(kMinimumSize));
}

ReceivingDialog::~ReceivingDialog()
{
    // Under the memory-API lock: once this returns no report can reach the dialog.
    if (m_connectedTo)
        connectCompanion(m_connectedTo, false);
}

void ReceivingDialog::languageChange()
{
    ui.retranslateUi(this);
}

QString ReceivingDialog::errorText(int code)
{
    switch (code) {
    case 1:
        return QCoreApplication::translate("@default", "Bulk Data Checksum Error!");
    case 2:
        return QCoreApplication::translate("@default", "Bulk Data Byte Count Error!");
    case 3:
        return QCoreApplication::translate("@default", "Bulk Data Number Error!");
    default:
        return QString();
    }
}

void ReceivingDialog::connectCompanion(IMemAPI* api, bool connect)
{
    if (connect) {
        api->MAPI_slotSignal(SLOT(requestMultiBulk()), this, SIGNAL(startBulkTransfer()), true);
        api->MAPI_signalSlot(SIGNAL(bulkProgressChanged(int)), this, SLOT(setProgress(int)), true);
        api->MAPI_signalSlot(SIGNAL(bulkRcvErrorOccurred(int)), this, SLOT(getBulkRcvError(int)), true);
        api->MAPI_slotSignal(SLOT(stopBulkRequest()), this, SIGNAL(stopBulkTransfer()), true);
        m_connectedTo = api;
        return;
    }
    api->MAPI_slotSignal(SLOT(stopBulkRequest()), this, SIGNAL(stopBulkTransfer()), false);
    api->MAPI_slotSignal(SLOT(requestMultiBulk()), this, SIGNAL(startBulkTransfer()), false);
    api->MAPI_signalSlot(SIGNAL(bulkProgressChanged(int)), this, SLOT(setProgress(int)), false);
    api->MAPI_signalSlot(SIGNAL(bulkRcvErrorOccurred(int)), this, SLOT(getBulkRcvError(int)), false);
    m_connectedTo = nullptr;
}

void ReceivingDialog::execute()
{
    QPointer<ReceivingDialog> self(this);
    fixCurrentSize();
    m_responseTimer = new QTimer(this);
    m_responseTimer->setSingleShot(true);
    connect(m_responseTimer, &QTimer::timeout, this, &ReceivingDialog::timeout);
    if (IMemAPI* api = memapi()) {
        connectCompanion(api, true);
        ui.ReceiveProgressBar->setValue(0);
        // Cleared before the start: a transfer that ends inside the start signal can
        // still close the dialog.
        m_closeAllowed = false;
        m_responseTimer->start(Companion::scaledMs(kFirstReportMs));
        emit startBulkTransfer();
        // An error inside the start signal has closed the dialog already.
        if (self && !(m_finished && m_closeAllowed))
            exec();
        if (self && m_connectedTo)
            connectCompanion(m_connectedTo, false);
    }
    if (self)
        deleteLater();
}

void ReceivingDialog::setProgress(int percent)
{
    if (!NS_Utilities::mainThreadRunning()) {
        if (m_handOver.offer(percent))
            TProgressHandOver::post(this, &ReceivingDialog_setProgress_bridge, 0);
        return;
    }
    m_handOver.offer(percent, false);
    showProgress(false);
}

void ReceivingDialog::showProgress(bool fromDelivery)
{
    const std::optional<int> percent = m_handOver.take(fromDelivery);
    if (!percent || m_finished)
        return;
    if (m_responseTimer)
        m_responseTimer->stop();
    ui.ReceiveProgressBar->setValue(qBound(0, *percent, 100));
    if (*percent > 99) {
        finish();
        return;
    }
    if (m_responseTimer)
        m_responseTimer->start(Companion::scaledMs(kNextReportMs));
}

void ReceivingDialog::finish()
{
    m_finished = true;
    QTimer::singleShot(kCloseDelayMs, this, [this] {
        m_closeAllowed = true;
        close();
    });
}

void ReceivingDialog::getBulkRcvError(int code)
{
    if (code == 0)
        return;
    if (!NS_Utilities::mainThreadRunning()) {
        // Errors are rare and each one counts: every report is posted.
        TProgressHandOver::post(this, &ReceivingDialog_getBulkRcvError_bridge, code);
        return;
    }
    showError(code);
}

void ReceivingDialog::showError(int code)
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_responseTimer)
        m_responseTimer->stop();
    emit stopBulkTransfer();
    const QString text = errorText(code);
    QPointer<ReceivingDialog> self(this);
    if (!text.isEmpty())
        prompter()->information(this, messageCaption(), text);
    if (!self)
        return;
    m_closeAllowed = true;
    close();
}

void ReceivingDialog::timeout()
{
    if (m_finished)
        return;
    m_finished = true;
    QPointer<ReceivingDialog> self(this);
    prompter()->information(this, messageCaption(),
                            QCoreApplication::translate("@default", "Bulk Data Timeout Error!"));
    if (!self)
        return;
    emit stopBulkTransfer();
    m_closeAllowed = true;
    close();
}

void ReceivingDialog::cancelTransfer()
{
    if (!m_finished) {
        m_finished = true;
        if (m_responseTimer)
            m_responseTimer->stop();
        emit stopBulkTransfer();
    }
    // Also in the moment between the final report and the dialog's own close.
    m_closeAllowed = true;
}

void ReceivingDialog_setProgress_bridge(QObject* dialog, int)
{
    if (auto* receiving = qobject_cast<ReceivingDialog*>(dialog))
        receiving->showProgress(true);
}

void ReceivingDialog_getBulkRcvError_bridge(QObject* dialog, int code)
{
    if (auto* receiving = qobject_cast<ReceivingDialog*>(dialog))
        receiving->showError(code);
}

namespace {

QWidget* createReceiving(const TDialogsCreateContext& c)
{
    return new DialogsIEditorExtensions<ReceivingDialog>(c.addOn, c.services, c.parent, nullptr, QStringLiteral("Receiving"));
}

const DialogsEditorRegistration registration(NS_DialogsIds::kReceiveMulti, NS_DialogsIds::kReceiveMulti,
                                             &createReceiving);

} // namespace
