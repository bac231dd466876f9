#include "WaveSelectDialog.h"
#include "DialogsEditorRegistry.h"
#include "TSelectorIEditorExtensions.h"
#include "console/memapi/ITovarVoiceData.h"
#include "memapi/IMemAPI.h"
#include <QPixmap>
#include <QPointer>
#include <QSignalBlocker>

using WaveListIEditorExtensions = TWaveListIEditorExtensions<WaveSelectDialog>;

namespace {

constexpr QSize kMinimumSize(263, 344);
constexpr int kOwnTexts = 0;
constexpr int kElements = 4;
// Values listed at most, whatever range the memory API reports.
constexpr int kMaxEntries = 16384;

} // namespace

WaveSelectDialog::WaveSelectDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "WaveSelectDialog", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    init();
    resize(minimumSizeHint().expandedTo(kMinimumSize));
    // The bank combo is part of the shared form only; it is never shown here.
    connect(ui.WaveListBox, &QListWidget::currentRowChanged, this, &WaveSelectDialog::selectVoice);
    connect(ui.OKButton, &QPushButton::clicked, this, &WaveSelectDialog::accept);
    connect(ui.CancelButton, &QPushButton::clicked, this, &WaveSelectDialog::reject);
    connect(ui.MonitorCheck, &QCheckBox::stateChanged, this, &WaveSelectDialog::selectVoice);
}

void WaveSelectDialog::init()
{
    m_normalElement = 0;
}

void WaveSelectDialog::languageChange()
{
    ui.retranslateUi(this);
}

QString WaveSelectDialog::memAddr() const
{
    return QString();
}

void WaveSelectDialog::setNormalElement(int element)
{
    if (element < 1 || element > kElements)
        return;
    m_normalElement = element;
    m_channel = element - 1;
}

bool WaveSelectDialog::getWaveValue(int& value, int& minimum, int& maximum)
{
    IMemAPI* api = memapi();
    if (!api || !m_param.isValid())
        return false;
    value = api->MAPI_getIndParam(m_param.element, m_param.parameter, short(m_channel), false, nullptr);
    minimum = api->MAPI_getIndParamMin(m_param.element, m_param.parameter, short(m_channel), nullptr);
    maximum = api->MAPI_getIndParamMax(m_param.element, m_param.parameter, short(m_channel), nullptr);
    return true;
}

void WaveSelectDialog::setWaveValue(int value)
{
    IMemAPI* api = memapi();
    if (!api || !m_param.isValid())
        return;
    api->MAPI_setIndParam(m_param.element, m_param.parameter, short(m_channel), value, 0,
                          IMemAPI::PostSetDirtyFlags);
}

void WaveSelectDialog::execute()
{
    QPointer<WaveSelectDialog> self(this);
    if (IMemAPI* api = memapi()) {
        if (m_normalElement == 0) {
            if (auto* data = dynamic_cast<ITovarVoiceData*>(api->MAPI_qself()))
                m_channel = data->getCurrDrumKeyChannel();
        } else {
            m_channel = m_normalElement - 1;
            api->MAPI_assignServer(this, m_channel);
        }
        m_param.resolve(api, memAddr());
        int value = 0;
        if (getWaveValue(value, m_minimum, m_maximum)) {
            m_valueAtOpening = value;
            m_opened = true;
            updateList(value);
        }
        ui.MonitorCheck->hide();
    }
    ui.BankCombo->hide();
    ui.textLabel1->hide();
    ui.layout5->removeWidget(ui.BankCombo);
    ui.layout5->removeWidget(ui.textLabel1);
    exec();
    if (self)
        deleteLater();
}

void WaveSelectDialog::updateList(int value)
{
    IMemAPI* api = memapi();
    const QSignalBlocker quiet(ui.WaveListBox);
    ui.WaveListBox->clear();
    if (api && m_param.isValid()) {
        ui.WaveListBox->setUpdatesEnabled(false);
        const int last = std::min(m_maximum, m_minimum + kMaxEntries - 1);
        int row = -1;
        for (int wave = m_minimum; wave <= last; ++wave) {
            QString text;
            QPixmap picture;
            api->MAPI_getDisplayStringForValue(short(m_channel), kOwnTexts, &text, &picture, wave, 0,
                                               m_param.element, m_param.parameter);
            if (text.isEmpty())
                continue;
            if (wave == value)
                row = ui.WaveListBox->count();
            auto* item = new QListWidgetItem(text);
            item->setData(Qt::UserRole, wave);
            ui.WaveListBox->addItem(item);
        }
        ui.WaveListBox->setUpdatesEnabled(true);
        if (row < 0 && ui.WaveListBox->count() > 0)
            row = 0;
        ui.WaveListBox->setCurrentRow(row);
    }
    updateFromList();
}

void WaveSelectDialog::selectVoice(int)
{
    updateFromList();
}

void WaveSelectDialog::updateFromList()
{
    const QListWidgetItem* item = ui.WaveListBox->currentItem();
    if (!item)
        return;
    setWaveValue(item->data(Qt::UserRole).toInt());
}

void WaveSelectDialog::accept()
{
    updateFromList();
    CTovarDialog::accept();
}

void WaveSelectDialog::reject()
{
    if (m_opened)
        setWaveValue(m_valueAtOpening);
    CTovarDialog::reject();
}

namespace {

using namespace NS_DialogsIds;

QWidget* createWaveList(const TDialogsCreateContext& c)
{
    if (c.id == kDrumKeyWave)
        return new WaveListIEditorExtensions(c.addOn, c.services, QStringLiteral("FEkDrumKey/kDrmKeyWaveNumber"),
                                             c.parent, nullptr, QStringLiteral("Wave List (DrumKey)"));
    auto* list = new WaveListIEditorExtensions(c.addOn, c.services,
                                               QStringLiteral("FEkNormalElement/kNrmElmWaveNumber"), c.parent, nullptr,
                                               QStringLiteral("Wave List (Normal ELement)"));
    list->setNormalElement(c.id - kFirstElementWave + 1);
    return list;
}

const DialogsEditorRegistration drumKeyRegistration(kDrumKeyWave, kDrumKeyWave, &createWaveList);
const DialogsEditorRegistration elementRegistration(kFirstElementWave, kLastElementWave, &createWaveList);

} // namespace
