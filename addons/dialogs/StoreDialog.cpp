#include "StoreDialog.h"
#include "DialogsEditorRegistry.h"
#include "DialogsIEditorExtensions.h"
#include "console/memapi/ITovarVoiceData.h"
#include "memapi/IMemAPI.h"
#include "utilities/DocuPrompter.h"
#include <QCoreApplication>
#include <QHeaderView>
#include <QPointer>
#include <QSignalBlocker>

namespace {

constexpr QSize kMinimumSize(294, 373);
constexpr int kNameColumnWidth = 300;
// A bank of the edit voice's family shares this many leading letters of its name.
constexpr int kFamilyPrefix = 4;
// The memory model has a few banks; the walk ends at the first without a name.
constexpr int kMaxBanks = 256;
constexpr int kMaxVoices = 1024;
const QChar kYen(0x00A5);
const QChar kBackslash(0x005C);

} // namespace

StoreDialog::StoreDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "StoreDialog", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    init();
    resize(minimumSizeHint().expandedTo(kMinimumSize));
    connect(ui.CancelButton, &QPushButton::clicked, this, &StoreDialog::CancelButton_clicked);
    connect(ui.StoreButton, &QPushButton::clicked, this, &StoreDialog::StoreButton_clicked);
    connect(ui.MemBankComboBox, qOverload<int>(&QComboBox::activated), this, &StoreDialog::MemBankComboBox_activated);
    connect(ui.cVoiceNameEdit, &QLineEdit::textChanged, this, &StoreDialog::checkInputVoiceName);
}

StoreDialog::~StoreDialog()
{
    if (m_connectedTo)
        m_connectedTo->MAPI_signalSlot(SIGNAL(editVoiceNameChanged(const QString&, int)), this,
                                       SLOT(OnEditVoiceNameChanged(const QString&, int)), false);
    destroy();
}

void StoreDialog::init()
{
    ui.cVoiceList->setColumnCount(2);
    ui.cVoiceList->setHeaderLabels({tr("No."), tr("Voice Name")});
    ui.cVoiceList->setColumnWidth(1, kNameColumnWidth);
    ui.cVoiceList->header()->setStretchLastSection(true);
    ui.cVoiceList->resizeColumnToContents(0);
}

void StoreDialog::destroy()
{
}

void StoreDialog::languageChange()
{
    ui.retranslateUi(this);
}

ITovarVoiceData* StoreDialog::voiceData() const
{
    IMemAPI* api = memapi();
    return api ? dynamic_cast<ITovarVoiceData*>(api->MAPI_qself()) : nullptr;
}

void StoreDialog::fillBanks(ITovarVoiceData* data, const QString& editBankName)
{
    const QString family = editBankName.left(kFamilyPrefix);
    m_banks.clear();
    ui.MemBankComboBox->clear();
    for (int number = 0; number < kMaxBanks; ++number) {
        const QString name = data->bankName(short(number));
        if (name.isEmpty())
            break;
        if (!data->isBankEditable(short(number)) || !name.contains(family, Qt::CaseSensitive)
            || name.contains(QLatin1String("Current")))
            continue;
        ui.MemBankComboBox->addItem(name);
        m_banks.push_back(number);
    }
    // The edit voice's own bank when it is offered, else the first offered.
    int entry = m_banks.empty() ? -1 : 0;
    for (size_t i = 0; i < m_banks.size(); ++i)
        if (m_banks[i] == m_editBank)
            entry = int(i);
    ui.MemBankComboBox->setCurrentIndex(entry);
    // No bank of the family to store into: nothing to choose, nothing to store.
    ui.StoreButton->setEnabled(!m_banks.empty());
}

void StoreDialog::execute()
{
    QPointer<StoreDialog> self(this);
    if (ITovarVoiceData* data = voiceData()) {
        bool derived = true;
        data->getEditBufferVoice(m_editBank, m_editVoice, derived);
        const QString editBankName = data->bankName(m_editBank);
        data->ObserveEditVoiceName();
        ui.cVoiceNameEdit->setText(data->getEditVoiceName());
        IMemAPI* api = memapi();
        api->MAPI_signalSlot(SIGNAL(editVoiceNameChanged(const QString&, int)), this,
                             SLOT(OnEditVoiceNameChanged(const QString&, int)), true);
        m_connectedTo = api;
        m_nameAtOpening = ui.cVoiceNameEdit->text();
        fillBanks(data, editBankName);
    } else {
        ui.StoreButton->setEnabled(false);
    }
    updateVoiceList();
    exec();
    if (self)
        deleteLater();
}

void StoreDialog::updateVoiceList()
{
    ui.cVoiceList->clear();
    ITovarVoiceData* data = voiceData();
    const int entry = ui.MemBankComboBox->currentIndex();
    if (!data || entry < 0 || entry >= int(m_banks.size()))
        return;
    const short bank = short(m_banks[size_t(entry)]);
    QTreeWidgetItem* selected = nullptr;
    for (int voice = 0; voice < kMaxVoices; ++voice) {
        QString category;
        const QString name = data->voiceNameCategory(bank, short(voice), category);
        if (name.isEmpty())
            break;
        auto* row = new QTreeWidgetItem(ui.cVoiceList,
                                        {QString::asprintf("%3d", voice + 1), name});
        row->setData(0, Qt::UserRole, voice);
        if (voice == m_editVoice)
            selected = row;
    }
    ui.cVoiceList->resizeColumnToContents(0);
    if (selected) {
        ui.cVoiceList->setCurrentItem(selected);
        ui.cVoiceList->scrollToItem(selected);
    }
}

void StoreDialog::MemBankComboBox_activated(int)
{
    updateVoiceList();
}

void StoreDialog::CancelButton_clicked()
{
    reject();
}

void StoreDialog::OnEditVoiceNameChanged(const QString& name, int)
{
    ui.cVoiceNameEdit->setText(name);
}

void StoreDialog::checkInputVoiceName(const QString& text)
{
    if (!text.contains(kYen))
        return;
    QString corrected = text;
    corrected.replace(kYen, kBackslash);
    const int cursor = ui.cVoiceNameEdit->cursorPosition();
    ui.cVoiceNameEdit->setText(corrected);
    ui.cVoiceNameEdit->setCursorPosition(cursor);
}

void StoreDialog::StoreButton_clicked()
{
    ITovarVoiceData* data = voiceData();
    const QTreeWidgetItem* row = ui.cVoiceList->currentItem();
    const int entry = ui.MemBankComboBox->currentIndex();
    if (!data || !row || !row->isSelected() || entry < 0 || entry >= int(m_banks.size()))
        return;
    QString name = ui.cVoiceNameEdit->text();
    name.replace(kYen, kBackslash);
    for (const QChar c : name) {
        if (c.unicode() >= 0x80) {
            QPointer<StoreDialog> self(this);
            prompter()->warning(this, QCoreApplication::translate("@default", "TOVAR-VANTREL Editor"),
                                QCoreApplication::translate("@default", "Use the ASCII characters only"));
            if (self)
                ui.cVoiceNameEdit->setText(m_nameAtOpening);
            return;
        }
    }
    int type = 0;
    QString typeText;
    data->getEditVoiceType(type, typeText);
    if (name.trimmed().isEmpty())
        data->setEditVoiceName(QStringLiteral("Untitled"), type);
    else
        data->setEditVoiceName(name, type);
    data->storeEditBuffer(short(m_banks[size_t(entry)]), short(row->data(0, Qt::UserRole).toInt()));
    accept();
}

namespace {

QWidget* createStore(const TDialogsCreateContext& c)
{
    return new DialogsIEditorExtensions<StoreDialog>(c.addOn, c.services, c.parent, nullptr, QStringLiteral("Store"));
}

const DialogsEditorRegistration registration(NS_DialogsIds::kStore, NS_DialogsIds::kStore, &createStore);

} // namespace
