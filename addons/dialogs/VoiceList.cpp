#include "VoiceList.h"
#include "DialogsEditorRegistry.h"
#include "DialogsIEditorExtensions.h"
#include "console/memapi/ITovarVoiceData.h"
#include "console/memapi/TovarIMemAPI.h"
#include "memapi/IMemAPI.h"
#include <QPixmap>
#include <QPointer>
#include <QSettings>
#include <QSignalBlocker>

namespace {

constexpr QSize kMinimumSize(273, 313);
// Table 7: the name of a program of the bank with the given LSB and MSB.
constexpr int kBankVoiceNames = 7;
constexpr int kPrograms = 128;
// The memory model lists a few banks; the walk ends at the first empty name.
constexpr int kMaxBanks = 256;

struct CategoryRow
{
    const char* name;
    const char* code;
};

constexpr CategoryRow kCategories[VoiceList::kCategoryCount] = {
    {"-------", "--"},        {"A.Piano", "Ap"},       {"Keyboard", "Kb"},       {"Organ", "Or"},
    {"Guitar/Plucked", "Gt"}, {"Bass", "Ba"},          {"Strings", "St"},        {"Brass", "Br"},
    {"Reed/Pipe", "Rp"},      {"Syn.Lead", "Ld"},      {"Syn.Pad/Choir", "Pd"},  {"Syn.Comp", "Sc"},
    {"Chromatic Perc", "Cp"}, {"Drum/Perc", "Dr"},     {"Sound Effect", "Se"},   {"Musical FX", "Me"},
    {"Combination", "Co"},
};

ITovarVoiceData* voiceData(IMemAPI* api)
{
    return api ? dynamic_cast<ITovarVoiceData*>(api->MAPI_qself()) : nullptr;
}

// The category table's index of a voice's code; kCategoryCount (no category) for a
// code the table does not know.
int categoryIndex(const QString& code)
{
    for (int i = 0; i < VoiceList::kCategoryCount; ++i)
        if (code == QLatin1String(kCategories[i].code))
            return i;
    return VoiceList::kCategoryCount;
}

QSettings voiceListSettings()
{
    return QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication());
}

} // namespace

VoiceList::VoiceList(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "VoiceList", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    resize(sizeHint().expandedTo(kMinimumSize));
    connect(ui.OKButton, &QPushButton::clicked, this, &VoiceList::accept);
    connect(ui.CancelButton, &QPushButton::clicked, this, &VoiceList::reject);
    connect(ui.BankComboBox, qOverload<int>(&QComboBox::activated), this, &VoiceList::selectBank);
    connect(ui.VoiceListBox, &QListWidget::currentRowChanged, this, &VoiceList::selectVoice);
    connect(ui.AuditionCheckBox, &QCheckBox::stateChanged, this, &VoiceList::selectVoice);
    connect(ui.SearchModeComboBox, qOverload<int>(&QComboBox::activated), this, &VoiceList::selectSearchMode);
}

VoiceList::~VoiceList()
{
    if (m_connectedTo)
        connectCompanion(m_connectedTo, false);
}

void VoiceList::languageChange()
{
    ui.retranslateUi(this);
}

QString VoiceList::categoryName(int index)
{
    return index >= 0 && index < kCategoryCount ? QLatin1String(kCategories[index].name) : QString();
}

QString VoiceList::categoryCode(int index)
{
    return index >= 0 && index < kCategoryCount ? QLatin1String(kCategories[index].code) : QString();
}

void VoiceList::setChannel(int part)
{
    m_part = part;
}

void VoiceList::connectCompanion(IMemAPI* api, bool connect)
{
    api->MAPI_slotSignal(SLOT(getVoiceParameterData()), this, SIGNAL(getVoiceParameterData()), connect);
    api->MAPI_slotSignal(SLOT(resetVoiceParameterData()), this, SIGNAL(resetVoiceParameterData()), connect);
    api->MAPI_slotSignal(SLOT(deleteVoiceParameterData()), this, SIGNAL(deleteVoiceParameterData()), connect);
    m_connectedTo = connect ? api : nullptr;
}

bool VoiceList::resolveParameters()
{
    IMemAPI* api = memapi();
    if (!m_msb.isValid())
        m_msb.resolve(api, QStringLiteral("00kMixPart/kPartBankSelMSB"));
    if (!m_lsb.isValid())
        m_lsb.resolve(api, QStringLiteral("00kMixPart/kPartBankSelLSB"));
    if (!m_program.isValid())
        m_program.resolve(api, QStringLiteral("00kMixPart/kPartPrgNo"));
    return api != nullptr;
}

void VoiceList::getMemAPI(int& program, int& lsb, int& msb)
{
    if (!resolveParameters())
        return;
    IMemAPI* api = memapi();
    const short part = short(m_part);
    if (m_program.isValid())
        program = api->MAPI_getIndParam(m_program.element, m_program.parameter, part, false, nullptr);
    if (m_msb.isValid())
        msb = api->MAPI_getIndParam(m_msb.element, m_msb.parameter, part, false, nullptr);
    if (m_lsb.isValid())
        lsb = api->MAPI_getIndParam(m_lsb.element, m_lsb.parameter, part, false, nullptr);
}

void VoiceList::setMemAPI(int program, int lsb, int msb, bool force)
{
    if (!resolveParameters())
        return;
    IMemAPI* api = memapi();
    const short part = short(m_part);
    int currentMsb = msb;
    int currentLsb = lsb;
    if (m_msb.isValid())
        currentMsb = api->MAPI_getIndParam(m_msb.element, m_msb.parameter, part, false, nullptr);
    if (m_lsb.isValid())
        currentLsb = api->MAPI_getIndParam(m_lsb.element, m_lsb.parameter, part, false, nullptr);
    const bool changed = currentMsb != msb || currentLsb != lsb;
    // Flags 0: the memory API sends bank select and program number even when unchanged.
    if (force || changed) {
        if (m_msb.isValid())
            api->MAPI_setIndParam(m_msb.element, m_msb.parameter, part, msb, 0, IMemAPI::PostSetDirtyFlags);
        if (m_lsb.isValid())
            api->MAPI_setIndParam(m_lsb.element, m_lsb.parameter, part, lsb, 0, IMemAPI::PostSetDirtyFlags);
    }
    if (m_program.isValid())
        api->MAPI_setIndParam(m_program.element, m_program.parameter, part, program, 0, IMemAPI::PostSetDirtyFlags);
}

int VoiceList::searchMode()
{
    const int current = ui.SearchModeComboBox->currentIndex();
    return current < 0 ? m_searchMode : current;
}

void VoiceList::execute()
{
    QPointer<VoiceList> self(this);
    m_savedMsb = m_savedProgram = m_savedLsb = -1;
    getMemAPI(m_savedProgram, m_savedLsb, m_savedMsb);
    ui.SearchModeComboBox->clear();
    ui.SearchModeComboBox->addItem(QStringLiteral("Bank"));
    ui.SearchModeComboBox->addItem(QStringLiteral("Category"));
    const int stored = voiceListSettings().value(QLatin1String(NS_TovarMemAPI::kKeyVoiceSeachMode), 1).toInt();
    m_searchMode = stored == BankMode ? BankMode : CategoryMode;
    ui.SearchModeComboBox->setCurrentIndex(m_searchMode);
    if (IMemAPI* api = memapi()) {
        connectCompanion(api, true);
        emit getVoiceParameterData();
        makeDataMap();
        if (searchMode() != BankMode) {
            CATE_init();
            CATE_updateList(m_savedProgram, m_savedLsb, m_savedMsb);
        } else {
            BANK_init();
            BANK_updateList(m_savedProgram, m_savedLsb, m_savedMsb);
        }
        auditionShownVoice();
        ui.AuditionCheckBox->hide();
        exec();
        if (self && m_connectedTo)
            connectCompanion(m_connectedTo, false);
    }
    if (self)
        deleteLater();
}

void VoiceList::makeDataMap()
{
    m_bankLsb.clear();
    m_bankMsb.clear();
    m_bankNumbers.clear();
    m_bankIndexes.clear();
    m_bankNames.clear();
    m_voices.clear();
    m_bankVoices.clear();
    IMemAPI* api = memapi();
    ITovarVoiceData* data = voiceData(api);
    if (!data)
        return;
    for (int b = 0; b < kMaxBanks; ++b) {
        short number = 0, msb = 0, lsb = 0;
        const QString name = data->nthDisplayBank(short(b), number, msb, lsb);
        if (name.isEmpty())
            break;
        m_bankLsb.push_back(lsb);
        m_bankMsb.push_back(msb);
        m_bankNumbers[b] = number;
        m_bankIndexes.emplace(number, b);
        m_bankNames[b] = name;
        m_bankVoices.emplace_back();
        const QString shortName = data->shortBankName(msb, lsb);
        for (int p = 0; p < kPrograms; ++p) {
            QString category;
            data->voiceNameCategory(number, short(p), category);
            QString text;
            QPixmap picture;
            api->MAPI_getDisplayStringForValue(short(m_part), kBankVoiceNames, &text, &picture, p, 0, lsb, msb);
            if (text.isEmpty())
                continue;
            m_bankVoices.back().push_back(int(m_voices.size()));
            m_voices.push_back(Voice{p, b, category.trimmed(), text, shortName + QLatin1Char('-') + text});
        }
    }
}

int VoiceList::bankIndexOf(int lsb, int msb) const
{
    for (size_t i = 0; i < m_bankLsb.size(); ++i)
        if (m_bankLsb[i] == lsb && m_bankMsb[i] == msb)
            return int(i);
    return -1;
}

int VoiceList::getVoiceID(int program, int lsb, int msb)
{
    for (size_t b = 0; b < m_bankLsb.size(); ++b) {
        if (m_bankLsb[b] != lsb || m_bankMsb[b] != msb)
            continue;
        for (int id : m_bankVoices[b])
            if (m_voices[size_t(id)].program == program)
                return id;
    }
    return 0;
}

void VoiceList::setCurrentRowQuietly(int row)
{
    // A list filled or positioned by the dialog is not a highlight by the user; the
    // callers audition where the voice changes.
    const QSignalBlocker quiet(ui.VoiceListBox);
    ui.VoiceListBox->setCurrentRow(row);
}

void VoiceList::clearList()
{
    const QSignalBlocker quiet(ui.VoiceListBox);
    ui.VoiceListBox->clear();
}

void VoiceList::BANK_init()
{
    const QSignalBlocker quiet(ui.BankComboBox);
    ui.BankComboBox->clear();
    for (const auto& bank : m_bankNames)
        ui.BankComboBox->addItem(bank.second);
}

void VoiceList::CATE_init()
{
    const QSignalBlocker quiet(ui.BankComboBox);
    ui.BankComboBox->clear();
    for (const CategoryRow& row : kCategories)
        ui.BankComboBox->addItem(QLatin1String(row.name));
}

bool VoiceList::showBank(int program, int lsb, int msb, bool firstOtherwise)
{
    const int index = bankIndexOf(lsb, msb);
    if (index < 0)
        return false;
    m_bankIndex = index;
    if (index < ui.BankComboBox->count()) {
        const QSignalBlocker quiet(ui.BankComboBox);
        ui.BankComboBox->setCurrentIndex(index);
    }
    clearList();
    int row = -1;
    ui.VoiceListBox->setUpdatesEnabled(false);
    for (int id : m_bankVoices[size_t(index)]) {
        const Voice& voice = m_voices[size_t(id)];
        if (voice.program == program)
            row = ui.VoiceListBox->count();
        auto* item = new QListWidgetItem(voice.name);
        item->setData(Qt::UserRole, voice.program);
        ui.VoiceListBox->addItem(item);
    }
    ui.VoiceListBox->setUpdatesEnabled(true);
    if (row < 0 && firstOtherwise && ui.VoiceListBox->count() > 0)
        row = 0;
    setCurrentRowQuietly(row);
    ui.OKButton->setEnabled(ui.VoiceListBox->count() > 0);
    return row >= 0 || firstOtherwise;
}

void VoiceList::BANK_updateList(int program, int lsb, int msb)
{
    if (showBank(program, lsb, msb, false))
        return;
    // A voice that is not listed: the first voice of the first bank, once; a model
    // without banks leaves the list empty.
    if (m_bankLsb.empty()) {
        m_bankIndex = -1;
        clearList();
        ui.OKButton->setEnabled(false);
        return;
    }
    showBank(0, m_bankLsb.front(), m_bankMsb.front(), true);
    setupAudition();
}

void VoiceList::CATE_updateList(int program, int lsb, int msb)
{
    const int id = getVoiceID(program, lsb, msb);
    const int category =
        id >= 0 && id < int(m_voices.size()) ? categoryIndex(m_voices[size_t(id)].category) : kCategoryCount;
    CATE_updateList(id, category);
}

void VoiceList::CATE_updateList(int id, int category)
{
    m_shownVoices.clear();
    clearList();
    if (category >= 0 && category < ui.BankComboBox->count()) {
        const QSignalBlocker quiet(ui.BankComboBox);
        ui.BankComboBox->setCurrentIndex(category);
    }
    int row = -1;
    // A category the table does not know matches no voice.
    if (category >= 0 && category < kCategoryCount) {
        const QLatin1String code(kCategories[category].code);
        ui.VoiceListBox->setUpdatesEnabled(false);
        for (size_t v = 0; v < m_voices.size(); ++v) {
            if (m_voices[v].category != code)
                continue;
            if (int(v) == id)
                row = int(m_shownVoices.size());
            m_shownVoices.push_back(int(v));
            ui.VoiceListBox->addItem(m_voices[v].text);
        }
        ui.VoiceListBox->setUpdatesEnabled(true);
    }
    if (row < 0 && !m_shownVoices.empty())
        row = 0;
    setCurrentRowQuietly(row);
    ui.OKButton->setEnabled(!m_shownVoices.empty());
}

bool VoiceList::CATE_getCurrentVoice(int& program, int& bank)
{
    const int row = ui.VoiceListBox->currentRow();
    if (row < 0 || row >= int(m_shownVoices.size()))
        return false;
    const Voice& voice = m_voices[size_t(m_shownVoices[size_t(row)])];
    program = voice.program;
    bank = voice.bank;
    return true;
}

bool VoiceList::chosenVoice(int& program, int& bank)
{
    if (m_searchMode != BankMode)
        return CATE_getCurrentVoice(program, bank);
    const QListWidgetItem* item = ui.VoiceListBox->currentItem();
    if (!item || !validBank(m_bankIndex))
        return false;
    program = item->data(Qt::UserRole).toInt();
    bank = m_bankIndex;
    return true;
}

void VoiceList::selectSearchMode(int mode)
{
    if (mode == m_searchMode)
        return;
    m_searchMode = mode;
    if (mode != BankMode) {
        const QListWidgetItem* item = ui.VoiceListBox->currentItem();
        const int program = item ? item->data(Qt::UserRole).toInt() : 0;
        const int bank = validBank(m_bankIndex) ? m_bankIndex : 0;
        CATE_init();
        if (validBank(bank))
            CATE_updateList(program, m_bankLsb[size_t(bank)], m_bankMsb[size_t(bank)]);
        else
            CATE_updateList(-1, kCategoryCount);
        auditionShownVoice();
        return;
    }
    int program = 0, bank = 0;
    if (!CATE_getCurrentVoice(program, bank))
        program = bank = 0;
    BANK_init();
    if (validBank(bank)) {
        BANK_updateList(program, m_bankLsb[size_t(bank)], m_bankMsb[size_t(bank)]);
    } else {
        m_bankIndex = -1;
        clearList();
        ui.OKButton->setEnabled(false);
    }
    auditionShownVoice();
}

void VoiceList::selectBank(int index)
{
    if (m_searchMode != BankMode)
        CATE_updateList(0, index);
    else if (validBank(index))
        showBank(0, m_bankLsb[size_t(index)], m_bankMsb[size_t(index)], true);
    else
        return;
    // The first voice of what was chosen is heard at once, as if highlighted.
    setupAudition();
}

void VoiceList::selectVoice(int)
{
    setupAudition();
}

void VoiceList::setupAudition()
{
    int program = 0, bank = 0;
    if (!chosenVoice(program, bank))
        return;
    setMemAPI(program, m_bankLsb[size_t(bank)], m_bankMsb[size_t(bank)], false);
}

void VoiceList::auditionShownVoice()
{
    // The list may open on, or switch to, another voice than the part plays (a bank
    // that is not listed, an empty category): what is shown is what is heard.
    int program = 0, bank = 0;
    if (!chosenVoice(program, bank))
        return;
    int playing = -1, lsb = -1, msb = -1;
    getMemAPI(playing, lsb, msb);
    if (playing != program || lsb != m_bankLsb[size_t(bank)] || msb != m_bankMsb[size_t(bank)])
        setupAudition();
}

void VoiceList::accept()
{
    int program = 0, bank = 0;
    // Nothing chosen (an empty list): the dialog stays open.
    if (!chosenVoice(program, bank))
        return;
    setMemAPI(program, m_bankLsb[size_t(bank)], m_bankMsb[size_t(bank)], true);
    voiceListSettings().setValue(QLatin1String(NS_TovarMemAPI::kKeyVoiceSeachMode), searchMode());
    emit deleteVoiceParameterData();
    CTovarDialog::accept();
}

void VoiceList::reject()
{
    // Values that could not be read at opening are not written back.
    if (m_savedProgram >= 0 && m_savedLsb >= 0 && m_savedMsb >= 0)
        setMemAPI(m_savedProgram, m_savedLsb, m_savedMsb, true);
    emit resetVoiceParameterData();
    CTovarDialog::reject();
}

namespace {

QWidget* createVoiceList(const TDialogsCreateContext& c)
{
    auto* list =
        new DialogsIEditorExtensions<VoiceList>(c.addOn, c.services, c.parent, nullptr, QStringLiteral("Voice"));
    list->setChannel(c.id - NS_DialogsIds::kFirstPartVoice);
    return list;
}

const DialogsEditorRegistration registration(NS_DialogsIds::kFirstPartVoice, NS_DialogsIds::kLastPartVoice,
                                             &createVoiceList);

} // namespace
