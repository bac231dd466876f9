#include "TransmittingDialog.h"
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
constexpr QSize kMinimumSize(340, 77);
constexpr int kComplete = 100;
} // namespace

TransmittingDialog::TransmittingDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "TransmittingDialog", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    resize(minimumSizeHint().expandedTo(kMinimumSize));
}

TransmittingDialog::~TransmittingDialog()
{
    if (m_connectedTo)
        connectCompanion(m_connectedTo, m_connectedMulti, false);
}

void TransmittingDialog::languageChange()
{
    ui.retranslateUi(this);
}

void TransmittingDialog::connectCompanion(IMemAPI* api, bool multi, bool connect)
{
    if (multi)
        api->MAPI_slotSignal(SLOT(sendMultiBulk()), this, SIGNAL(startBulkTransfer()), connect);
    api->MAPI_signalSlot(SIGNAL(bulkProgressChanged(int)), this, SLOT(setProgress(int)), connect);
    api->MAPI_signalSlot(SIGNAL(bulkSendFailed()), this, SLOT(sendFailed()), connect);
    api->MAPI_slotSignal(SLOT(stopBulkRequest()), this, SIGNAL(stopBulkTransfer()), connect);
    m_connectedTo = connect ? api : nullptr;
    m_connectedMulti = multi;
}

void TransmittingDialog::execute()
{
    run(true);
}

void TransmittingDialog::transmit()
{
    run(false);
}

void TransmittingDialog::startTransmit()
{
}

void TransmittingDialog::run(bool multi)
{
    QPointer<TransmittingDialog> self(this);
    fixCurrentSize();
    m_stallTimer = new QTimer(this);
    m_stallTimer->setSingleShot(true);
    connect(m_stallTimer, &QTimer::timeout, this, &TransmittingDialog::stalled);
    if (IMemAPI* api = memapi()) {
        connectCompanion(api, multi, true);
        ui.TransmitProgressBar->setValue(0);
        m_closeAllowed = false;
        m_stallTimer->start(Companion::scaledMs(kFirstReportMs));
        if (multi) {
            emit startBulkTransfer();
        } else {
            startTransmit();
            // Nothing to send (no voice to audition) means no report will ever come:
            // the window goes at once instead of waiting for its time-out.
            auto* companion = self ? dynamic_cast<Companion*>(api->MAPI_qself()) : nullptr;
            if (self && !m_finished && !(companion && companion->bulkSendPending())) {
                m_finished = true;
                m_stallTimer->stop();
                m_closeAllowed = true;
            }
        }
        if (self && !(m_finished && m_closeAllowed))
            exec();
        if (self && m_connectedTo)
            connectCompanion(m_connectedTo, multi, false);
    }
    if (self)
        deleteLater();
}

void TransmittingDialog::setProgress(int percent)
{
    if (!NS_Utilities::mainThreadRunning()) {
        if (m_handOver.offer(percent))
            TProgressHandOver::post(this, &TransmittingDialog_setProgress_bridge, 0);
        return;
    }
    m_handOver.offer(percent, false);
    showProgress(false);
}

void TransmittingDialog::showProgress(bool fromDelivery)
{
    const std::optional<int> percent = m_handOver.take(fromDelivery);
    if (!percent || m_finished)
        return;
    ui.TransmitProgressBar->setValue(qBound(0, *percent, 100));
    if (*percent == kComplete) {
        m_finished = true;
        m_stallTimer->stop();
        m_closeAllowed = true;
        close();
        return;
    }
    m_stallTimer->start(Companion::scaledMs(kNextReportMs));
}

void TransmittingDialog::sendFailed()
{
    if (!NS_Utilities::mainThreadRunning()) {
        QMetaObject::invokeMethod(this, &TransmittingDialog::sendFailed, Qt::QueuedConnection);
        return;
    }
    if (m_stallTimer)
        m_stallTimer->stop();
    stalled();
}

void TransmittingDialog::stalled()
{
    if (m_finished)
        return;
    m_finished = true;
    // The companion stops pacing the dump; the instrument keeps what it received.
    emit stopBulkTransfer();
    QPointer<TransmittingDialog> self(this);
    prompter()->information(this, messageCaption(),
                            QCoreApplication::translate("@default", "Bulk Data Timeout Error!"));
    if (!self)
        return;
    m_closeAllowed = true;
    close();
}

void TransmittingDialog::cancelTransfer()
{
    if (!m_finished) {
        m_finished = true;
        if (m_stallTimer)
            m_stallTimer->stop();
        // The companion stops pacing the dump; the instrument keeps what it received.
        emit stopBulkTransfer();
    }
    m_closeAllowed = true;
}

void TransmittingDialog_setProgress_bridge(QObject* dialog, int)
{
    if (auto* transmitting = qobject_cast<TransmittingDialog*>(dialog))
        transmitting->showProgress(true);
}

namespace {

QWidget* createTransmitting(const TDialogsCreateContext& c)
{
    return new DialogsIEditorExtensions<TransmittingDialog>(c.addOn, c.services, c.parent, nullptr,
                                                            QStringLiteral("Transmitting"));
}

const DialogsEditorRegistration registration(NS_DialogsIds::kTransmitMulti, NS_DialogsIds::kTransmitMulti,
                                             &createTransmitting);

} // namespace
