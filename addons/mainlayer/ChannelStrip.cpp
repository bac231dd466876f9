#include "ChannelStrip.h"
#include "FormFonts.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "tools/imagegen/ImageTable.h"
#include "utilities/ImageRegistry.h"
#include <QEvent>

namespace {

// Display-string table of the voice a program number selects.
constexpr int kVoiceNameTable = 6;

QPixmap image(const char* name)
{
    return NS_Utilities::ImageRegistry::pixmap(QLatin1String(name));
}

} // namespace

ChannelStrip::ChannelStrip(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    setObjectName(QLatin1String(name ? name : "ChannelStrip"));
    m_ui.setupUi(this);
    NS_MixerForms::fontsInFormPixels(this);
    loadImages();
    // The form's own texts and bindings, also while a subclass is being built.
    ChannelStrip::languageChange();
    resize(QSize(120, 500).expandedTo(minimumSizeHint()));

    connect(m_ui.DetailButton, &QAbstractButton::clicked, this, &ChannelStrip::openDetail);
    connect(m_ui.ChBankName, &CHotspotLabel_VANTREL_KXE::hotspotClicked, this, &ChannelStrip::openVoice);
    connect(m_ui.ChVoiceName, &CHotspotLabel_VANTREL_KXE::hotspotClicked, this, &ChannelStrip::openVoice);
    // The background frame covers the strip: nothing underneath needs erasing.
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ChannelStrip::~ChannelStrip()
{
    deleteNotifiers();
}

void ChannelStrip::loadImages()
{
    QPalette background = m_ui.wholeStrip->palette();
    background.setBrush(QPalette::Window, image(NS_Images::kChannelStrip));
    m_ui.wholeStrip->setPalette(background);
    m_ui.wholeStrip->setAutoFillBackground(true);

    m_ui.ChannelVoiceBackGround->setCombinedImage(image(NS_Images::kChannelHeaders));
    m_ui.DetailButton->setCombinedImage(image(NS_Images::kDetailButton));
    m_ui.ChannelFader->setThumbImage(image(NS_Images::kFaderThumb));
    m_ui.ChPan->setCombinedImage(image(NS_Images::kKnobLarge));
    m_ui.SoloButton->setCombinedImage(image(NS_Images::kSoloButton));
    m_ui.MuteButton->setCombinedImage(image(NS_Images::kMuteButton));
    m_ui.InsertionButton->setCombinedImage(image(NS_Images::kInsertionButton));
    for (CDial_VANTREL_KXE* dial : {m_ui.ChEffCho, m_ui.ChEffRev, m_ui.ChEqMid, m_ui.ChEqHi, m_ui.ChEqLow})
        dial->setCombinedImage(image(NS_Images::kKnobSmall));
}

void ChannelStrip::languageChange()
{
    m_ui.retranslateUi(this);
    const std::pair<TMemProxy_VANTREL_KXE*, const char*> addresses[] = {
        {m_ui.ChannelFader, QT_TR_NOOP("FEkMixPart/kPartVolume")},
        {m_ui.ChPan, QT_TR_NOOP("FEkMixPart/kPartPan")},
        {m_ui.SoloButton, QT_TR_NOOP("FEkEditorSwitches/kPartSolo")},
        {m_ui.MuteButton, QT_TR_NOOP("FEkEditorSwitches/kPartMute")},
        {m_ui.ChEffCho, QT_TR_NOOP("FEkMixPart/kPartChoSend")},
        {m_ui.ChEffRev, QT_TR_NOOP("FEkMixPart/kPartRevSend")},
        {m_ui.InsertionButton, QT_TR_NOOP("FEkEditorSwitches/kPartInsert")},
        {m_ui.ChEqMid, QT_TR_NOOP("FEkMixPart/kPartEQMidGain")},
        {m_ui.ChEqHi, QT_TR_NOOP("FEkMixPart/kPartEQHiGain")},
        {m_ui.ChEqLow, QT_TR_NOOP("FEkMixPart/kPartEQLoGain")},
    };
    for (const auto& [control, address] : addresses)
        control->setNamedAddress(tr(address));
}

void ChannelStrip::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QWidget::changeEvent(event);
}

void ChannelStrip::setUILayer(QWidget* widget, bool collapsible)
{
    if (!widget)
        return;
    m_layers.append(widget);
    if (collapsible && m_layers.size() <= 32)
        m_collapsible |= 1u << (m_layers.size() - 1);
}

void ChannelStrip::openDetail()
{
    emit openPartDetail(m_layer);
}

void ChannelStrip::openVoice()
{
    emit openVoiceDialog(m_layer);
}

void ChannelStrip::deleteNotifiers()
{
    delete m_program;
    m_program = nullptr;
    delete m_bankLsb;
    m_bankLsb = nullptr;
    delete m_bankMsb;
    m_bankMsb = nullptr;
}

void ChannelStrip::connectMemAPI(IMemAPI* api)
{
    m_memAPI = api;
    if (!api)
        return;
    // Bound again: the old notifiers would report the same changes twice.
    deleteNotifiers();
    const std::pair<CSimpleNotifier_VANTREL_KXE**, const char*> voiceSelect[] = {
        {&m_program, "FEkMixPart/kPartPrgNo"},
        {&m_bankLsb, "FEkMixPart/kPartBankSelLSB"},
        {&m_bankMsb, "FEkMixPart/kPartBankSelMSB"},
    };
    for (const auto& [notifier, address] : voiceSelect) {
        *notifier = new CSimpleNotifier_VANTREL_KXE(this);
        CSimpleNotifier_VANTREL_KXE::Create(*api, this, QLatin1String(address), m_layer,
                                            SLOT(voicesChanged(int)), *notifier, nullptr);
        // A bank select alone changes the voice too, also when the program stays.
        (*notifier)->setAlwaysUpdate(true);
    }
    voicesChanged(0);
}

void ChannelStrip::voicesChanged(int)
{
    if (!m_memAPI || !m_program || !m_bankLsb)
        return;
    const int program = m_program->getValue();
    QString name;
    m_memAPI->MAPI_getDisplayStringForValue(m_program->channel(), kVoiceNameTable, &name, nullptr, program, 0,
                                            m_program->element(), m_program->param());
    m_ui.ChVoiceName->setText(name);

    auto* companion = qobject_cast<TovarIMemAPIQObject_VANTREL_KXE*>(m_memAPI->MAPI_qself());
    if (!companion)
        return;
    const int bankTable = companion->bankTableID(m_bankLsb->channel());
    QString category;
    companion->voiceNameCategory(short(bankTable), short(program), category);
    m_ui.ChBankName->setText(category);
}
