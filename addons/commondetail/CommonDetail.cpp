#include "CommonDetail.h"
#include "CommonDetailPageTable.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "tools/imagegen/ImageTable.h"
#include "utilities/DocuPrompter.h"
#include "utilities/DocuSaveLoad.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"
#include "widgets/COnOffButton_VANTREL_KXE.h"
#include "widgets/CPopup_VANTREL_KXE.h"
#include "widgets/CPullDownMenu_VANTREL_KXE.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <map>

using namespace NS_CommonDetail;
namespace Grid = NS_DetailGrid;

namespace {

constexpr QRect kMainFrame{0, 0, CommonDetail::kWidth, CommonDetail::kHeight};
constexpr QRect kPageStack{0, 40, CommonDetail::kWidth, 359};
constexpr QRect kHeaderFrame{0, 0, CommonDetail::kWidth, 40};
// The tabs in page order; the name tab sits where the form first had the sixth.
constexpr int kTabX[CommonDetail::kTabs] = {139, 198, 256, 316, 375, 434, 493, 551};
constexpr const char* kTabImages[CommonDetail::kTabs] = {
    NS_Images::kComTab0, NS_Images::kComTab1, NS_Images::kComTab2, NS_Images::kComTab3,
    NS_Images::kComTab4, NS_Images::kComTab5, NS_Images::kComTab6, NS_Images::kComTab7};
// The backgrounds in use; three pages and the header have the instrument's own.
constexpr const char* kBackgrounds[kPageCount] = {
    NS_Images::kComArpeggiatorVant, NS_Images::kComReverb,        NS_Images::kComChorus,
    NS_Images::kComMasterEq,        NS_Images::kComMasterEffect,  NS_Images::kComInsertionSwVant,
    NS_Images::kComControlNumberVant, NS_Images::kComName};

constexpr QRect kArpTypeInCell{6, 45, 89, 11};
constexpr QRect kArpTypeHotSpot{0, 0, 90, 26};
constexpr QRect kPopupInCell{6, 45, 86, 10};
constexpr QRect kNameInCell{6, 45, 89, 11};
constexpr int kPopupPointSize = 7;
// Arpeggio types past the presets have no text of their own in this view.
constexpr int kLastPresetArpType = 1786;
constexpr int kPartCount = 16;
// A popup with more entries than this shows them in columns of 30.
constexpr int kOneColumnSpan = 31;
constexpr int kColumnEntries = 30;

const QChar kYen(0x00A5);
const QChar kBackslash(0x005C);

QString translated(const char* text)
{
    return QCoreApplication::translate("@default", text);
}

QRect inCell(int index, const QRect& rect)
{
    return rect.translated(Grid::cellOrigin(index));
}

// Every value's display text of a chooser, in value order, each followed by ";".
QString displayList(TMemProxy_VANTREL_KXE& proxy, int minimum, int maximum)
{
    QString list;
    for (int value = minimum; value <= maximum; ++value) {
        QString text;
        proxy.m_memAPI->MAPI_getDisplayStringForValue(proxy.channel(), 0, &text, nullptr, value, 0,
                                                      proxy.element(), proxy.param());
        list += text + QLatin1Char(';');
    }
    return list;
}

// Re-reads a bound control's value and range from the memory.
void reread(QObject* control)
{
    if (TMemProxy_VANTREL_KXE* proxy = Grid::boundProxy(control))
        proxy->process(nullptr, 0, 0);
}

} // namespace

CommonDetail::CommonDetail(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CommonDetail"));
    setFixedSize(kWidth, kHeight);

    auto* main = new QFrame(this);
    main->setObjectName(QStringLiteral("MainFrame"));
    main->setGeometry(kMainFrame);
    m_pages = new QStackedWidget(main);
    m_pages->setObjectName(QStringLiteral("TabPages"));
    m_pages->setGeometry(kPageStack);
    for (int page = 0; page < kPageCount; ++page)
        m_frames[page] = Grid::addPage(m_pages, kPageNames[page].page, kPageNames[page].frame, kBackgrounds[page]);
    m_header = new QFrame(main);
    m_header->setObjectName(QStringLiteral("HeaderFrame"));
    m_header->setGeometry(kHeaderFrame);
    Grid::setBackground(m_header, NS_Images::kComHeaderVant);
    for (int tab = 0; tab < kTabs; ++tab) {
        const QByteArray name = "Tab" + QByteArray::number(tab);
        m_tabButtons[tab] = Grid::addTabButton(main, name.constData(), kTabImages[tab], kTabX[tab]);
    }
    connect(m_tabButtons[0], &QAbstractButton::clicked, this, &CommonDetail::tab0);
    connect(m_tabButtons[1], &QAbstractButton::clicked, this, &CommonDetail::tab1);
    connect(m_tabButtons[2], &QAbstractButton::clicked, this, &CommonDetail::tab2);
    connect(m_tabButtons[3], &QAbstractButton::clicked, this, &CommonDetail::tab3);
    connect(m_tabButtons[4], &QAbstractButton::clicked, this, &CommonDetail::tab4);
    connect(m_tabButtons[5], &QAbstractButton::clicked, this, &CommonDetail::tab5);
    connect(m_tabButtons[6], &QAbstractButton::clicked, this, &CommonDetail::tab6);
    connect(m_tabButtons[7], &QAbstractButton::clicked, this, &CommonDetail::tab7);
    languageChange();
    init();
}

CommonDetail::~CommonDetail() = default;

void CommonDetail::init()
{
    m_multiName.clear();
    for (int page = 0; page < kPageCount; ++page)
        buildPage(page);
    setFont(Grid::panelFont());
    selectTab(0);
}

void CommonDetail::languageChange()
{
    setWindowTitle(translated("Common Detail"));
    for (COnOffButton_VANTREL_KXE* tab : m_tabButtons) {
        if (tab)
            tab->setText(QString());
    }
}

void CommonDetail::buildPage(int page)
{
    QFrame* frame = m_frames[page];
    for (int index = 0; index < kMaxCells && kPages[page][index].kind != kEndOfRow; ++index)
        buildCell(frame, index, page);
}

void CommonDetail::buildCell(QFrame* frame, int index, int page)
{
    const TDetailCell& cell = kPages[page][index];
    const QString address = QString::fromLatin1(cell.address ? cell.address : "");
    switch (cell.kind) {
    case kArpType: {
        CHotspotLabel_VANTREL_KXE* label = Grid::addDisplayCell(frame, inCell(index, kArpTypeInCell), kArpTypeHotSpot);
        label->setObjectName(QStringLiteral("ArpType"));
        connect(this, &CommonDetail::arpTextChanged, label, &CHotspotLabel_VANTREL_KXE::setText);
        connect(label, &CHotspotLabel_VANTREL_KXE::hotspotClicked, this, &CommonDetail::arpClick);
        break;
    }
    case kPopup: {
        auto* popup = new CPopup_VANTREL_KXE(frame);
        popup->setGeometry(inCell(index, kPopupInCell));
        Grid::setDisplayColours(popup);
        popup->setEnableFocusRect(true);
        popup->setCursor(Qt::PointingHandCursor);
        popup->setLabelSizeToContents(true);
        popup->setGrouping(false);
        popup->setGreyOnDisable(true);
        popup->setButtonTextColor(Grid::displayColour());
        QFont small = popup->font();
        small.setPointSize(kPopupPointSize);
        popup->setFont(small);
        popup->setNamedAddress(address);
        connect(popup, qOverload<int>(&CPopup_VANTREL_KXE::selectionChanged), this, &CommonDetail::comboSelection);
        break;
    }
    case kValue2:
    case kValue3:
    case kValue4:
    case kValue5: {
        const Grid::TValueCell value = Grid::addValueCell(frame, index, cell.address, 0);
        if (address == QLatin1String(kEqFreq1Address)) {
            m_eqFreq1Slider = value.slider;
            m_eqFreq1Dial = value.dial;
        }
        break;
    }
    case kSwitch: {
        COnOffButton_VANTREL_KXE* button = Grid::addSwitchCell(frame, index, cell.address);
        if (address == QLatin1String(kArpSwitchAddress))
            m_arpSwitch = button;
        break;
    }
    case kNameEditor: {
        m_nameEditor = new QLineEdit(frame);
        m_nameEditor->setObjectName(QStringLiteral("MultiName"));
        m_nameEditor->setGeometry(inCell(index, kNameInCell));
        Grid::setDisplayColours(m_nameEditor);
        m_nameEditor->setMaxLength(kNameCharacters);
        m_nameEditor->setFrame(false);
        m_nameEditor->setTextMargins(0, 0, 0, 0);
        connect(this, &CommonDetail::nameTextChanged, m_nameEditor, &QLineEdit::setText);
        connect(m_nameEditor, &QLineEdit::returnPressed, this, &CommonDetail::commonNameEnterPressed);
        break;
    }
    case kDummy:
        Grid::addDummyButton(frame);
        break;
    default:
        break;
    }
    if (cell.label) {
        const QString name = cell.extra == kRetitled ? address : QString::fromLatin1(Grid::kUnnamedLabel);
        Grid::addCellLabel(frame, index, cell.label, name);
    }
}

// ---- tabs

void CommonDetail::selectTab(int n)
{
    if (n < 0 || n >= kTabs)
        return;
    for (int i = 0; i < kTabs; ++i)
        m_tabButtons[i]->setChecked(i == n);
    m_pages->setCurrentIndex(n);
}

int CommonDetail::currentTab() const
{
    return m_pages->currentIndex();
}

QFrame* CommonDetail::pageFrame(int page) const
{
    return page >= 0 && page < kTabs ? m_frames[page] : nullptr;
}

void CommonDetail::tab0() { selectTab(0); }
void CommonDetail::tab1() { selectTab(1); }
void CommonDetail::tab2() { selectTab(2); }
void CommonDetail::tab3() { selectTab(3); }
void CommonDetail::tab4() { selectTab(4); }
void CommonDetail::tab5() { selectTab(5); }
void CommonDetail::tab6() { selectTab(6); }
void CommonDetail::tab7() { selectTab(7); }

// ---- effect types and their parameter names

void CommonDetail::comboSelection(int)
{
    for (int page = 0; page < kTabs - 1; ++page)
        updateParameterNames(m_frames[page]);
    update();
}

void CommonDetail::updateParameterNames(QWidget* page)
{
    IMemAPI* api = memapi();
    if (!api || !page)
        return;
    // Each retitled cell's label is named after its address; its own controls hold
    // the address resolved for this window.
    std::map<QString, TMemProxy_VANTREL_KXE*> bound;
    for (QObject* child : page->children()) {
        if (TMemProxy_VANTREL_KXE* proxy = Grid::boundProxy(child))
            bound.emplace(proxy->namedAddress(), proxy);
    }
    // A cell makes its slider, its dial, then its label: walked backwards, a label
    // decides for the two controls that follow it.
    bool showDial = true;
    bool showSlider = true;
    const QObjectList children = page->children();
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        QObject* child = *it;
        if (auto* label = qobject_cast<QLabel*>(child);
            Grid::isCellLabel(child) && label->objectName() != QLatin1String(Grid::kUnnamedLabel)) {
            QString name;
            const auto found = bound.find(label->objectName());
            if (found != bound.end()) {
                TMemProxy_VANTREL_KXE* proxy = found->second;
                api->MAPI_getDisplayStringForValue(proxy->channel(), 1, &name, nullptr, 0, 0, proxy->element(),
                                                   proxy->param());
            }
            label->setText(name);
            label->setToolTip(name);
            if (name.isEmpty()) {
                showDial = false;
                showSlider = false;
            }
        } else if (auto* dial = qobject_cast<CDial_VANTREL_KXE*>(child)) {
            // A control whose address named nothing stays hidden whatever its label says.
            const bool shown = showDial && Grid::boundProxy(dial);
            dial->setVisible(shown);
            if (shown)
                reread(dial);
            showDial = true;
        } else if (auto* slider = qobject_cast<CTextSlider_VANTREL_KXE*>(child)) {
            const bool shown = showSlider && Grid::boundProxy(slider);
            slider->setVisible(shown);
            if (shown)
                slider->forceUpdate();
            showSlider = true;
        }
    }
}

void CommonDetail::initComboBoxesFromMemAPI()
{
    if (!memapi())
        return;
    for (CPullDownMenu_VANTREL_KXE* menu : findChildren<CPullDownMenu_VANTREL_KXE*>()) {
        double value = 0, minimum = 0, maximum = 0;
        bool ok = false;
        if (!Grid::boundProxy(menu) || !menu->getInformation(value, minimum, maximum, ok))
            continue;
        menu->setMenuItemList(displayList(*menu, int(minimum), int(maximum)));
        reread(menu);
    }
    for (CPopup_VANTREL_KXE* popup : findChildren<CPopup_VANTREL_KXE*>()) {
        double value = 0, minimum = 0, maximum = 0;
        bool ok = false;
        if (!Grid::boundProxy(popup) || !popup->getInformation(value, minimum, maximum, ok))
            continue;
        popup->setLabels(displayList(*popup, int(minimum), int(maximum)));
        reread(popup);
        popup->update();
        const int span = int(maximum - minimum);
        popup->setColumnsCount(span < kOneColumnSpan ? 1 : (span + kColumnEntries - 1) / kColumnEntries);
    }
    for (int page = 0; page < kTabs - 1; ++page)
        updateParameterNames(m_frames[page]);
    update();
    connectMemAPI();
}

// ---- followed parameters

void CommonDetail::makeNotifiers()
{
    IMemAPI* api = memapi();
    // Bound again (another memory API): the old notifiers go first.
    delete m_arpType;
    delete m_eqShape1;
    for (CSimpleNotifier_VANTREL_KXE*& n : m_nameCharacters) {
        delete n;
        n = nullptr;
    }
    for (CSimpleNotifier_VANTREL_KXE*& n : m_partArpSwitches) {
        delete n;
        n = nullptr;
    }
    m_arpType = CSimpleNotifier_VANTREL_KXE::Create(*api, this, QString::fromLatin1(kArpTypeAddress), 0,
                                                    SLOT(arpChanged(int)));
    m_eqShape1 = CSimpleNotifier_VANTREL_KXE::Create(*api, this, QString::fromLatin1(kEqShape1Address), 0,
                                                     SLOT(OnEQShape1Changed(int)));
    for (int i = 0; i < kNameCharacters; ++i)
        m_nameCharacters[i] = CSimpleNotifier_VANTREL_KXE::Create(
            *api, this, QString::fromLatin1(kMultiNameStem) + QString::number(i + 1), 0,
            SLOT(commonNameChanged(int)));
    for (int part = 0; part < kPartCount; ++part)
        m_partArpSwitches[part] = CSimpleNotifier_VANTREL_KXE::Create(
            *api, this, QString::fromLatin1(kPartArpSwitchAddress), part, SLOT(OnPartArpSwChanged(int)));
}

void CommonDetail::connectMemAPI()
{
    if (!memapi())
        return;
    makeNotifiers();
    arpChanged(0);
    commonNameChanged(0);
}

void CommonDetail::arpChanged(int)
{
    if (!memapi() || !m_arpType)
        return;
    const int value = m_arpType->getValue();
    QString text;
    if (value <= kLastPresetArpType && m_arpType->memAPIReady())
        memapi()->MAPI_getDisplayStringForValue(m_arpType->channel(), 0, &text, nullptr, value, 0,
                                                m_arpType->element(), m_arpType->param());
    emit arpTextChanged(text);
}

void CommonDetail::OnARPTypeBankChanged(int)
{
    if (!memapi() || !m_arpType || !m_arpType->memAPIReady())
        return;
    QString text;
    memapi()->MAPI_getDisplayStringForValue(m_arpType->channel(), 0, &text, nullptr, m_arpType->getValue(), 0,
                                            m_arpType->element(), m_arpType->param());
    emit arpTextChanged(text);
}

void CommonDetail::OnEQShape1Changed(int)
{
    if (!memapi() || !m_eqShape1)
        return;
    // The low band's frequency reads differently for each shape.
    reread(m_eqFreq1Slider);
    reread(m_eqFreq1Dial);
}

void CommonDetail::OnPartArpSwChanged(int)
{
    if (memapi())
        reread(m_arpSwitch);
}

// ---- multi name

void CommonDetail::commonNameChanged(int)
{
    if (!memapi())
        return;
    QString name;
    for (CSimpleNotifier_VANTREL_KXE* character : m_nameCharacters) {
        // Not made yet (the notifiers report as they are bound), or a name that
        // resolved to nothing: the name ends there.
        if (!character || !character->memAPIReady())
            break;
        const int code = character->getValue();
        if (code == 0)
            break;
        // Only printable ASCII is shown; anything else the instrument sent reads as a blank.
        name += code >= 0x20 && code <= 0x7E ? QChar(code) : QChar(QLatin1Char(' '));
    }
    m_multiName = name;
    emit nameTextChanged(name);
}

bool CommonDetail::acceptedName(const QString& typed, QString* accepted)
{
    QString name = typed;
    name.replace(kYen, kBackslash);
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    *accepted = name.left(kNameCharacters);
    return true;
}

void CommonDetail::warnAsciiOnly()
{
    NS_Utilities::TDocuPrompter fallback;
    NS_Utilities::IDocuPrompter* prompter = &fallback;
    if (IMemAPI* api = memapi()) {
        if (auto* document = dynamic_cast<NS_Utilities::TDocuSaveLoad*>(api->MAPI_qself()))
            prompter = document->DSL_prompter();
    }
    prompter->warning(this, translated("TOVAR-VANTREL Editor"), translated("Use the ASCII characters only"));
}

void CommonDetail::commonNameEnterPressed()
{
    if (!memapi() || !m_nameEditor)
        return;
    QString name;
    if (!acceptedName(m_nameEditor->text(), &name)) {
        warnAsciiOnly();
        m_nameEditor->setText(m_multiName);
        return;
    }
    const QByteArray bytes = name.toLatin1();
    {
        // Every character first, then the name shown once: each write reports back
        // on its own, and a half-written name would replace the text being written.
        const QSignalBlocker quiet(this);
        for (int i = 0; i < kNameCharacters; ++i) {
            if (m_nameCharacters[i])
                m_nameCharacters[i]->setValue(i < bytes.size() ? int(uchar(bytes[i])) : 0);
        }
    }
    commonNameChanged(0);
}
