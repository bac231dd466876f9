#include "PresetReceiveDialog.h"
#include "DialogsEditorRegistry.h"
#include "DialogsIEditorExtensions.h"
#include "ReceivingDialog.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "utilities/ThreadUtilities.h"
#include "utilities/interfaces/IPrefsQuery_VANTREL_KXE.h"
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QTimer>

using Companion = TovarIMemAPIQObject_VANTREL_KXE;

namespace {
constexpr QSize kMinimumSize(303, 237);
constexpr int kComplete = 100;
constexpr qreal kSmallestPoints = 6.0;

// Shrinks the label's font until its wrapped text fits the label (the form's fixed
// place holds the explanation only at a small size).
void fitWrapped(QLabel* label)
{
    QFont font = label->font();
    qreal size = font.pointSizeF();
    const QRect room = label->contentsRect();
    const auto needed = [&] {
        return QFontMetrics(font)
            .boundingRect(QRect(0, 0, room.width(), 1 << 16), Qt::TextWordWrap, label->text())
            .height();
    };
    while (size > kSmallestPoints && needed() > room.height()) {
        size -= 0.5;
        font.setPointSizeF(size);
    }
    label->setFont(font);
}
} // namespace

PresetReceiveDialog::PresetReceiveDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "PresetReceiveDialog", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    init();
    resize(minimumSizeHint().expandedTo(kMinimumSize));
    connect(ui.StartButton, &QPushButton::clicked, this, &PresetReceiveDialog::StartTransfer);
    connect(ui.StopButton, &QPushButton::clicked, this, &PresetReceiveDialog::stopTransfer);
    connect(ui.CloseButton, &QPushButton::clicked, this, &PresetReceiveDialog::close);
    // Escape and the close box only while no transfer runs.
    closeOnlyWhileEnabled(ui.CloseButton);
    connect(ui.SetupButton, &QPushButton::clicked, this, &PresetReceiveDialog::launchSetup);
}

PresetReceiveDialog::~PresetReceiveDialog()
{
    if (m_connectedTo)
        connectCompanion(m_connectedTo, false);
}

void PresetReceiveDialog::init()
{
    ui.Status->hide();
}

void PresetReceiveDialog::languageChange()
{
    ui.retranslateUi(this);
    ui.textLabel1->setText(tr("Preset Voice data must be loaded.\n"
                              "In order to load Preset Voice data appropriate ports must be selected. \n"
                              "Press the \"Setup\" button and select the ports, then press the \"Start\" button."));
}

void PresetReceiveDialog::connectCompanion(IMemAPI* api, bool connect)
{
    api->MAPI_slotSignal(SLOT(requestPresetVoiceBulk()), this, SIGNAL(startBulkTransfer()), connect);
    api->MAPI_signalSlot(SIGNAL(bulkProgressChanged(int)), this, SLOT(setProgress(int)), connect);
    api->MAPI_signalSlot(SIGNAL(bulkRcvErrorOccurred(int)), this, SLOT(getBulkRcvError(int)), connect);
    api->MAPI_slotSignal(SLOT(stopBulkRequest()), this, SIGNAL(stopBulkTransfer()), connect);
    m_connectedTo = connect ? api : nullptr;
}

void PresetReceiveDialog::execute()
{
    QPointer<PresetReceiveDialog> self(this);
    fixCurrentSize();
    ui.layout9->layout()->activate();
    fitWrapped(ui.textLabel1);
    m_responseTimer = new QTimer(this);
    m_responseTimer->setSingleShot(true);
    connect(m_responseTimer, &QTimer::timeout, this, &PresetReceiveDialog::timeout);
    if (IMemAPI* api = memapi()) {
        connectCompanion(api, true);
        ui.StopButton->hide();
        IPrefsQuery_VANTREL_KXE* prefs = api->MAPI_prefs();
        if (prefs && prefs->getProperty(NS_TovarMemAPI::kPrefPresetVoices).toInt() == 0)
            exec();
        if (self && m_connectedTo)
            connectCompanion(m_connectedTo, false);
    }
    if (self)
        deleteLater();
}

void PresetReceiveDialog::StartTransfer()
{
    m_receiving = true;
    // The final report of the transfer before would end this one at its first report.
    m_handOver.reset();
    ui.CloseButton->setEnabled(false);
    ui.SetupButton->setEnabled(false);
    ui.StopButton->show();
    ui.StartButton->hide();
    ui.ReceiveProgressBar->setValue(0);
    ui.ReceiveProgressBar->show();
    ui.Status->hide();
    m_responseTimer->start(Companion::scaledMs(kReportMs));
    emit startBulkTransfer();
}

void PresetReceiveDialog::stopTransfer()
{
    m_receiving = false;
    if (m_responseTimer)
        m_responseTimer->stop();
    ui.SetupButton->setEnabled(true);
    ui.CloseButton->setEnabled(true);
    ui.StopButton->hide();
    ui.StartButton->show();
    emit stopBulkTransfer();
}

void PresetReceiveDialog::cancelTransfer()
{
    if (m_receiving)
        stopTransfer();
}

void PresetReceiveDialog::setProgress(int percent)
{
    if (!NS_Utilities::mainThreadRunning()) {
        if (m_handOver.offer(percent))
            TProgressHandOver::post(this, &PresetReceiveDialog_setProgress_bridge, 0);
        return;
    }
    m_handOver.offer(percent, false);
    showProgress(false);
}

void PresetReceiveDialog::showProgress(bool fromDelivery)
{
    const std::optional<int> percent = m_handOver.take(fromDelivery);
    // A report after the transfer ended (stopped, failed) changes nothing.
    if (!percent || !m_receiving)
        return;
    m_responseTimer->stop();
    ui.ReceiveProgressBar->setValue(qBound(0, *percent, kComplete));
    if (*percent < kComplete) {
        m_responseTimer->start(Companion::scaledMs(kReportMs));
        return;
    }
    m_receiving = false;
    ui.SetupButton->setEnabled(true);
    ui.CloseButton->setEnabled(true);
    ui.StartButton->show();
    ui.StopButton->hide();
}

void PresetReceiveDialog::getBulkRcvError(int code)
{
    if (code == 0)
        return;
    if (!NS_Utilities::mainThreadRunning()) {
        TProgressHandOver::post(this, &PresetReceiveDialog_getBulkRcvError_bridge, code);
        return;
    }
    showError(code);
}

void PresetReceiveDialog::showStatus(const QString& text)
{
    ui.ReceiveProgressBar->hide();
    ui.Status->setText(text);
    ui.Status->show();
}

void PresetReceiveDialog::showError(int code)
{
    if (!m_receiving)
        return;
    stopTransfer();
    // Every error ends the bar; a code without a text of its own leaves the status
    // line's text as it was.
    ui.ReceiveProgressBar->hide();
    const QString text = ReceivingDialog::errorText(code);
    if (!text.isEmpty())
        ui.Status->setText(text);
    ui.Status->show();
}

void PresetReceiveDialog::timeout()
{
    if (!m_receiving)
        return;
    stopTransfer();
    showStatus(QCoreApplication::translate("@default", "Bulk Data Timeout Error!"));
}

void PresetReceiveDialog::launchSetup()
{
    setupDialog();
}

void PresetReceiveDialog_setProgress_bridge(QObject* dialog, int)
{
    if (auto* preset = qobject_cast<PresetReceiveDialog*>(dialog))
        preset->showProgress(true);
}

void PresetReceiveDialog_getBulkRcvError_bridge(QObject* dialog, int code)
{
    if (auto* preset = qobject_cast<PresetReceiveDialog*>(dialog))
        preset->showError(code);
}

namespace {

QWidget* createPresetReceive(const TDialogsCreateContext& c)
{
    return new DialogsIEditorExtensions<PresetReceiveDialog>(c.addOn, c.services, c.parent, nullptr,
                                                             QStringLiteral("Preset Receive Dialog"));
}

const DialogsEditorRegistration registration(NS_DialogsIds::kPresetReceive, NS_DialogsIds::kPresetReceive,
                                             &createPresetReceive);

} // namespace
