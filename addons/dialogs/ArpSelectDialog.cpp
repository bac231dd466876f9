#include "ArpSelectDialog.h"
#include "DialogsEditorRegistry.h"
#include "TSelectorIEditorExtensions.h"
#include "memapi/IMemAPI.h"
#include <QPixmap>
#include <QPointer>
#include <QSignalBlocker>

using ListSelectIEditorExtensions = TListSelectIEditorExtensions<ArpSelectDialog>;

namespace {

constexpr QSize kMinimumSize(274, 328);
// Table 0: the parameter's own display texts.
constexpr int kOwnTexts = 0;
// Values listed at most, whatever range the memory API reports.
constexpr int kMaxEntries = 16384;

// Selects the entry that carries `value`, else the first; signals stay with the caller.
void selectValue(QListWidget* list, int value)
{
    int row = list->count() > 0 ? 0 : -1;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->data(Qt::UserRole).toInt() == value) {
            row = i;
            break;
        }
    }
    const QSignalBlocker quiet(list);
    list->setCurrentRow(row);
}

} // namespace

ArpSelectDialog::ArpSelectDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "ArpSelectDialog", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    resize(minimumSizeHint().expandedTo(kMinimumSize));
    connect(ui.ArpListBox, &QListWidget::currentRowChanged, this, &ArpSelectDialog::selectVoice);
    connect(ui.BankCombo, qOverload<int>(&QComboBox::activated), this, &ArpSelectDialog::selectBank);
    connect(ui.OKButton, &QPushButton::clicked, this, &ArpSelectDialog::accept);
    connect(ui.CancelButton, &QPushButton::clicked, this, &ArpSelectDialog::reject);
    connect(ui.MonitorCheck, &QCheckBox::stateChanged, this, &ArpSelectDialog::selectVoice);
}

void ArpSelectDialog::languageChange()
{
    ui.retranslateUi(this);
}

QString ArpSelectDialog::memAddr() const
{
    return QString();
}

bool ArpSelectDialog::queryRange() const
{
    return false;
}

QString ArpSelectDialog::caption() const
{
    return QString();
}

int ArpSelectDialog::minParamUser() const
{
    return queryRange() ? m_rangeMinimum : kUserMinimum;
}

int ArpSelectDialog::maxParamUser() const
{
    return queryRange() ? m_rangeMaximum : kUserMaximum;
}

int ArpSelectDialog::minParamPreset() const
{
    return queryRange() ? m_rangeMinimum : kPresetMinimum;
}

int ArpSelectDialog::maxParamPreset() const
{
    return queryRange() ? m_rangeMaximum : kPresetMaximum;
}

bool ArpSelectDialog::getArpValue(int& value, int& minimum, int& maximum)
{
    IMemAPI* api = memapi();
    if (!api || !m_param.isValid())
        return false;
    value = api->MAPI_getIndParam(m_param.element, m_param.parameter, m_param.channel, false, nullptr);
    minimum = api->MAPI_getIndParamMin(m_param.element, m_param.parameter, m_param.channel, nullptr);
    maximum = api->MAPI_getIndParamMax(m_param.element, m_param.parameter, m_param.channel, nullptr);
    return true;
}

void ArpSelectDialog::setArpValue(int value)
{
    IMemAPI* api = memapi();
    if (!api || !m_param.isValid())
        return;
    api->MAPI_setIndParam(m_param.element, m_param.parameter, m_param.channel, value, 0,
                          IMemAPI::PostSetDirtyFlags);
}

void ArpSelectDialog::execute()
{
    QPointer<ArpSelectDialog> self(this);
    if (!caption().isEmpty())
        setWindowTitle(caption());
    m_param.resolve(memapi(), memAddr());
    int value = 0;
    if (getArpValue(value, m_rangeMinimum, m_rangeMaximum)) {
        m_valueAtOpening = value;
        m_opened = true;
        updateList(value);
    }
    // Only the list and the buttons are shown.
    ui.MonitorCheck->hide();
    ui.BankCombo->hide();
    ui.textLabel1->hide();
    ui.layout5->removeWidget(ui.BankCombo);
    ui.layout5->removeWidget(ui.textLabel1);
    exec();
    if (self)
        deleteLater();
}

void ArpSelectDialog::fillPresets(int minimum, int maximum)
{
    IMemAPI* api = memapi();
    if (!api || !m_param.isValid())
        return;
    const int last = std::min(maximum, minimum + kMaxEntries - 1);
    for (int value = minimum; value <= last; ++value) {
        QString text;
        QPixmap picture;
        api->MAPI_getDisplayStringForValue(m_param.channel, kOwnTexts, &text, &picture, value, 0, m_param.element,
                                           m_param.parameter);
        if (text.isEmpty())
            continue;
        auto* item = new QListWidgetItem(text);
        item->setData(Qt::UserRole, value);
        ui.ArpListBox->addItem(item);
    }
}

void ArpSelectDialog::updateList(int value)
{
    {
        const QSignalBlocker quiet(ui.ArpListBox);
        ui.ArpListBox->clear();
    }
    const int presetMinimum = minParamPreset();
    const int presetMaximum = maxParamPreset();
    const int userMinimum = minParamUser();
    const int userMaximum = maxParamUser();
    if (value >= presetMinimum && value <= presetMaximum) {
        m_bank = PresetBank;
    } else if (value >= userMinimum && value <= userMaximum) {
        m_bank = UserBank;
    } else if (value == kNoType) {
        m_bank = NoTypeBank;
    } else {
        m_bank = PresetBank;
        value = presetMinimum;
    }
    // The combo offers the preset and user lists only; the list shown is kept here.
    if (m_bank < ui.BankCombo->count() && ui.BankCombo->currentIndex() != m_bank) {
        const QSignalBlocker quiet(ui.BankCombo);
        ui.BankCombo->setCurrentIndex(m_bank);
    }
    ui.ArpListBox->setUpdatesEnabled(false);
    switch (m_bank) {
    case PresetBank:
        fillPresets(presetMinimum, presetMaximum);
        break;
    case UserBank:
        for (int v = userMinimum; v <= userMaximum && v - userMinimum < kMaxEntries; ++v) {
            auto* item = new QListWidgetItem(QStringLiteral("User ") + QString::number(v - userMinimum + 1));
            item->setData(Qt::UserRole, v);
            ui.ArpListBox->addItem(item);
        }
        break;
    case NoTypeBank: {
        auto* item = new QListWidgetItem(tr("No Type"));
        item->setData(Qt::UserRole, kNoType);
        ui.ArpListBox->addItem(item);
        break;
    }
    }
    ui.ArpListBox->setUpdatesEnabled(true);
    selectValue(ui.ArpListBox, value);
    updateFromList();
}

void ArpSelectDialog::selectBank(int index)
{
    if (index == PresetBank)
        updateList(minParamPreset());
    else if (index == UserBank)
        updateList(minParamUser());
    else
        updateList(kNoType);
}

void ArpSelectDialog::selectVoice(int)
{
    updateFromList();
}

void ArpSelectDialog::updateFromList()
{
    const QListWidgetItem* item = ui.ArpListBox->currentItem();
    if (!item)
        return;
    setArpValue(item->data(Qt::UserRole).toInt());
}

void ArpSelectDialog::accept()
{
    updateFromList();
    CTovarDialog::accept();
}

void ArpSelectDialog::reject()
{
    if (m_opened)
        setArpValue(m_valueAtOpening);
    CTovarDialog::reject();
}

namespace {

using namespace NS_DialogsIds;

QWidget* createListSelect(const TDialogsCreateContext& c)
{
    if (c.id == kArpSelect)
        return new ListSelectIEditorExtensions(c.addOn, c.services, QStringLiteral("00kCommon/kCommARPType"), false,
                                               c.parent, nullptr, QStringLiteral("Arp Select Dialog"));
    if (c.id >= kFirstArpSwitch && c.id <= kLastArpSwitch)
        return new ListSelectIEditorExtensions(
            c.addOn, c.services, QStringLiteral("00kCommon/kCommARPSF%1Type").arg(c.id - kFirstArpSwitch + 1), false,
            c.parent, nullptr, QStringLiteral("Arp Select Dialog"));
    static const char* const kPhrases[] = {"00kNormalAudition/kNrmAudPhraseNumber",
                                           "00kDrumAudition/kDrmAudPhraseNumber",
                                           "00kPluginAudition/kPlgAudPhraseNumber"};
    if (c.id >= kFirstPhrase && c.id <= kLastPhrase)
        return new ListSelectIEditorExtensions(c.addOn, c.services, QLatin1String(kPhrases[c.id - kFirstPhrase]), true,
                                               c.parent, nullptr, QStringLiteral("Audition Phrase List"));
    return nullptr;
}

const DialogsEditorRegistration arpRegistration(kArpSelect, kArpSelect, &createListSelect);
const DialogsEditorRegistration phraseRegistration(kFirstPhrase, kLastPhrase, &createListSelect);
const DialogsEditorRegistration switchRegistration(kFirstArpSwitch, kLastArpSwitch, &createListSelect);

} // namespace
