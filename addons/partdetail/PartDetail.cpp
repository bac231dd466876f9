#include "PartDetail.h"
#include "PartDetailPageTable.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "tools/imagegen/ImageTable.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"
#include "widgets/COnOffButton_VANTREL_KXE.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QStackedWidget>

using namespace NS_PartDetail;
namespace Grid = NS_DetailGrid;

namespace {

constexpr QRect kMainFrame{0, 0, PartDetail::kWidth, PartDetail::kHeight};
constexpr QRect kPageStack{0, 40, PartDetail::kWidth, 223};
constexpr QRect kHeaderFrame{0, 0, PartDetail::kWidth, 40};
constexpr QRect kPartNumber{174, 11, 20, 16};
constexpr int kTabX[PartDetail::kTabs] = {197, 256, 315, 374, 433, 492, 551};
constexpr const char* kTabImages[PartDetail::kTabs] = {
    NS_Images::kPrtTab0, NS_Images::kPrtTab1, NS_Images::kPrtTab2, NS_Images::kPrtTab3,
    NS_Images::kPrtTab4, NS_Images::kPrtTab5, NS_Images::kPrtTab6};
constexpr const char* kBackgrounds[kPageCount] = {
    NS_Images::kPrtGeneral, NS_Images::kPrtNoteVelo, NS_Images::kPrtPitch, NS_Images::kPrtAeg,
    NS_Images::kPrtFeg,     NS_Images::kPrtPartEq,   NS_Images::kPrtRcvSw};

constexpr QRect kBankInCell{14, 44, 54, 11};
constexpr QRect kBankHotSpot{0, 0, 54, 11};
constexpr QRect kVoiceInCell{6, 44, 86, 11};
constexpr QRect kVoiceHotSpot{0, 0, 86, 11};
// Table ids of the display texts: a bank's name, a program's voice name.
constexpr int kBankNameTable = 5;
constexpr int kVoiceNameTable = 6;
// The output select reads differently once the voice changed.
constexpr int kPartElement = 55;
constexpr int kOutputSelect = 30;
constexpr unsigned kLastPart = 15;

QString translated(const char* text)
{
    return QCoreApplication::translate("@default", text);
}

} // namespace

PartDetail::PartDetail(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PartDetail"));
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
    Grid::setBackground(m_header, NS_Images::kPrtHeaderVantrel);
    m_partNumber = new QLabel(m_header);
    m_partNumber->setObjectName(QStringLiteral("PartNumber"));
    m_partNumber->setGeometry(kPartNumber);
    m_partNumber->setAlignment(Qt::AlignCenter);
    // The number sits on the header's light label band, read in the window text colour.
    QFont bold = m_partNumber->font();
    bold.setBold(true);
    m_partNumber->setFont(bold);
    for (int tab = 0; tab < kTabs; ++tab) {
        const QByteArray name = "Tab" + QByteArray::number(tab);
        m_tabButtons[tab] = Grid::addTabButton(main, name.constData(), kTabImages[tab], kTabX[tab]);
    }
    connect(m_tabButtons[0], &QAbstractButton::clicked, this, &PartDetail::tab0);
    connect(m_tabButtons[1], &QAbstractButton::clicked, this, &PartDetail::tab1);
    connect(m_tabButtons[2], &QAbstractButton::clicked, this, &PartDetail::tab2);
    connect(m_tabButtons[3], &QAbstractButton::clicked, this, &PartDetail::tab3);
    connect(m_tabButtons[4], &QAbstractButton::clicked, this, &PartDetail::tab4);
    connect(m_tabButtons[5], &QAbstractButton::clicked, this, &PartDetail::tab5);
    connect(m_tabButtons[6], &QAbstractButton::clicked, this, &PartDetail::tab6);
    languageChange();
    init();
}

PartDetail::~PartDetail() = default;

void PartDetail::init()
{
    for (int page = 0; page < kPageCount; ++page)
        buildPage(page);
    // The common view's lettering, so that the longer labels fit their cells too.
    setFont(Grid::panelFont());
    selectTab(0);
}

void PartDetail::languageChange()
{
    setWindowTitle(translated("Part Detail"));
    m_partNumber->setText(QStringLiteral("1"));
    for (COnOffButton_VANTREL_KXE* tab : m_tabButtons) {
        if (tab)
            tab->setText(QString());
    }
}

void PartDetail::buildPage(int page)
{
    QFrame* frame = m_frames[page];
    for (int index = 0; index < kMaxCells && kPages[page][index].kind != kEndOfRow; ++index)
        buildCell(frame, index, page);
}

void PartDetail::buildCell(QFrame* frame, int index, int page)
{
    const TDetailCell& cell = kPages[page][index];
    const QPoint origin = Grid::cellOrigin(index);
    switch (cell.kind) {
    case kBankName: {
        CHotspotLabel_VANTREL_KXE* bank = Grid::addDisplayCell(frame, kBankInCell.translated(origin), kBankHotSpot);
        bank->setObjectName(QStringLiteral("BankName"));
        connect(this, &PartDetail::bankTextChanged, bank, &CHotspotLabel_VANTREL_KXE::setText);
        connect(bank, &CHotspotLabel_VANTREL_KXE::hotspotClicked, this, &PartDetail::voiceClick);
        break;
    }
    case kVoiceName: {
        CHotspotLabel_VANTREL_KXE* voice = Grid::addDisplayCell(frame, kVoiceInCell.translated(origin), kVoiceHotSpot);
        voice->setObjectName(QStringLiteral("VoiceName"));
        connect(this, &PartDetail::voiceTextChanged, voice, &CHotspotLabel_VANTREL_KXE::setText);
        connect(voice, &CHotspotLabel_VANTREL_KXE::hotspotClicked, this, &PartDetail::voiceClick);
        break;
    }
    case kValue2:
    case kValue3:
        Grid::addValueCell(frame, index, cell.address, cell.extra);
        break;
    case kSwitch:
        Grid::addSwitchCell(frame, index, cell.address);
        break;
    case kDummy:
        Grid::addDummyButton(frame);
        break;
    default:
        break;
    }
    if (cell.label)
        Grid::addCellLabel(frame, index, cell.label, QString::fromLatin1(Grid::kUnnamedLabel));
}

// ---- tabs and part

void PartDetail::selectTab(int n)
{
    if (n < 0 || n >= kTabs)
        return;
    for (int i = 0; i < kTabs; ++i)
        m_tabButtons[i]->setChecked(i == n);
    m_pages->setCurrentIndex(n);
}

int PartDetail::currentTab() const
{
    return m_pages->currentIndex();
}

QFrame* PartDetail::pageFrame(int page) const
{
    return page >= 0 && page < kTabs ? m_frames[page] : nullptr;
}

void PartDetail::tab0() { selectTab(0); }
void PartDetail::tab1() { selectTab(1); }
void PartDetail::tab2() { selectTab(2); }
void PartDetail::tab3() { selectTab(3); }
void PartDetail::tab4() { selectTab(4); }
void PartDetail::tab5() { selectTab(5); }
void PartDetail::tab6() { selectTab(6); }

void PartDetail::setLayerNumber(int part)
{
    if (unsigned(part) > kLastPart)
        return;
    m_partNumber->setNum(part + 1);
    m_part = part;
}

// ---- the part's voice

void PartDetail::connectMemAPI(IMemAPI* api)
{
    if (!api)
        return;
    // Bound again (another memory API): the old notifiers go first.
    delete m_program;
    delete m_bankLsb;
    delete m_bankMsb;
    auto follow = [&](const char* address) {
        CSimpleNotifier_VANTREL_KXE* n = CSimpleNotifier_VANTREL_KXE::Create(
            *api, this, QString::fromLatin1(address), m_part, SLOT(voicesChanged(int)));
        n->setAlwaysUpdate(true);
        return n;
    };
    m_program = nullptr;
    m_bankLsb = nullptr;
    m_bankMsb = nullptr;
    m_program = follow(kProgramAddress);
    m_bankLsb = follow(kBankLsbAddress);
    m_bankMsb = follow(kBankMsbAddress);
    voicesChanged(0);
}

QString PartDetail::displayText(CSimpleNotifier_VANTREL_KXE* notifier, int tableId) const
{
    QString text;
    if (notifier && notifier->memAPIReady())
        memapi()->MAPI_getDisplayStringForValue(notifier->channel(), tableId, &text, nullptr, notifier->getValue(), 0,
                                                notifier->element(), notifier->param());
    return text;
}

void PartDetail::voicesChanged(int)
{
    IMemAPI* api = memapi();
    if (!api || !m_program || !m_bankLsb)
        return;
    emit voiceTextChanged(displayText(m_program, kVoiceNameTable));
    emit bankTextChanged(displayText(m_bankLsb, kBankNameTable));

    // A cell makes its controls, then its label: a hidden control hides the label
    // that follows it.
    bool hideLabel = false;
    for (QWidget* widget : findChildren<QWidget*>()) {
        auto* proxy = dynamic_cast<TMemProxy_VANTREL_KXE*>(widget);
        if (proxy && !proxy->namedAddress().isEmpty()) {
            bool shown = false;
            // A control whose address named nothing stays hidden, and so does its label.
            if (Grid::boundProxy(widget)) {
                bool second = true;
                shown = true;
                api->MAPI_getIndParamEditState(proxy->element(), proxy->param(), proxy->channel(), shown, second);
            }
            widget->setVisible(shown);
            if (!shown)
                hideLabel = true;
            else if (proxy->element() == kPartElement && proxy->param() == kOutputSelect)
                if (auto* slider = qobject_cast<CTextSlider_VANTREL_KXE*>(widget))
                    slider->forceUpdate();
        } else if (!proxy && qobject_cast<QLabel*>(widget) && widget->parentWidget() != m_header) {
            widget->setVisible(!hideLabel);
            hideLabel = false;
        }
    }
}
