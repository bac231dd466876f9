#include "MasterStrip.h"
#include "FormFonts.h"
#include "console/memapi/ITovarVoiceData.h"
#include "memapi/IMemAPI.h"
#include "tools/imagegen/ImageTable.h"
#include "utilities/ImageRegistry.h"
#include "widgets/CPullDownMenu_VANTREL_KXE.h"
#include <QEvent>
#include <algorithm>
#include <cmath>

namespace {

QPixmap image(const char* name)
{
    return NS_Utilities::ImageRegistry::pixmap(QLatin1String(name));
}

} // namespace

MasterStrip::MasterStrip(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    setObjectName(QLatin1String(name ? name : "MasterStrip"));
    m_ui.setupUi(this);
    NS_MixerForms::fontsInFormPixels(this);
    loadImages();
    // The form's own texts and bindings, also while a subclass is being built.
    MasterStrip::languageChange();
    resize(QSize(120, 427).expandedTo(minimumSizeHint()));

    connect(m_ui.DetailButton, &QAbstractButton::clicked, this, &MasterStrip::openDetail);
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

MasterStrip::~MasterStrip() = default;

void MasterStrip::loadImages()
{
    QPalette background = m_ui.BackGround->palette();
    background.setBrush(QPalette::Window, image(NS_Images::kMasterStrip));
    m_ui.BackGround->setPalette(background);
    m_ui.BackGround->setAutoFillBackground(true);

    m_ui.DetailButton->setCombinedImage(image(NS_Images::kDetailButton));
    m_ui.MasterEffectButton->setCombinedImage(image(NS_Images::kOnOffSwitch));
    m_ui.MasterFader->setThumbImage(image(NS_Images::kMasterFaderThumb));
    for (CDial_VANTREL_KXE* dial : {m_ui.MasterEqHiMidDial, m_ui.MasterEqHiDial, m_ui.MasterEqLowDial,
                                    m_ui.MasterEqLowMidDial})
        dial->setCombinedImage(image(NS_Images::kKnobSmall));
}

void MasterStrip::languageChange()
{
    m_ui.retranslateUi(this);
    const std::pair<TMemProxy_VANTREL_KXE*, const char*> addresses[] = {
        {m_ui.MasterEqHiMidDial, QT_TR_NOOP("00kCommon/kCommEQHiMidGain")},
        {m_ui.MasterEqHiDial, QT_TR_NOOP("00kCommon/kCommEQHiGain")},
        {m_ui.MasterEffectButton, QT_TR_NOOP("FBkCommonMasterEF/kMasterEFSw")},
        {m_ui.MasterFader, QT_TR_NOOP("00kCommon/kCommMasterVol")},
        {m_ui.ChorusType_2, QT_TR_NOOP("00kCommonMasterEF/kMasterEFType")},
        {m_ui.ChorusType, QT_TR_NOOP("FBkCommonChorus/kChoType")},
        {m_ui.ReverbType, QT_TR_NOOP("FBkCommonReverb/kRevType")},
        {m_ui.MasterEqLowDial, QT_TR_NOOP("FBkCommon/kCommEQLoGain")},
        {m_ui.MasterEqLowMidDial, QT_TR_NOOP("00kCommon/kCommEQLoMidGain")},
    };
    for (const auto& [control, address] : addresses)
        control->setNamedAddress(tr(address));
}

void MasterStrip::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QWidget::changeEvent(event);
}

void MasterStrip::setUILayer(QWidget* widget, bool collapsible)
{
    if (!widget)
        return;
    m_layers.append(widget);
    if (collapsible && m_layers.size() <= 32)
        m_collapsible |= 1u << (m_layers.size() - 1);
}

void MasterStrip::openDetail()
{
    emit openMasterDetail();
}

void MasterStrip::setMemAPI(IMemAPI* api)
{
    m_memAPI = api;
    if (!api)
        return;
    // Announced again, the document's name reaches whoever shows it and its folder
    // becomes the one file dialogs start in.
    if (auto* document = dynamic_cast<ITovarVoiceData*>(api->MAPI_qself()))
        document->setCurrentFileName(document->getCurrentFileName());
}

QString MasterStrip::choiceList(IMemAPI& api, TMemProxy_VANTREL_KXE& control)
{
    double current = 0, minimum = 0, maximum = 0;
    bool ok = true;
    control.getInformation(current, minimum, maximum, ok);
    // Limits from the template are taken as they come, but never as an endless list.
    const auto toInt = [](double v) {
        return std::isfinite(v) ? qint64(std::trunc(std::clamp(v, -2147483648.0, 2147483647.0))) : qint64(0);
    };
    const qint64 low = toInt(minimum);
    const qint64 high = std::min(toInt(maximum), low + kMaxChoices - 1);
    QString list;
    for (qint64 v = low; v <= high; ++v) {
        QString text;
        api.MAPI_getDisplayStringForValue(control.channel(), 0, &text, nullptr, int(v), 0, control.element(),
                                          control.param());
        list += text;
        list += QLatin1Char(';');
    }
    return list;
}

void MasterStrip::initComboBoxesFromMemAPI()
{
    if (!m_memAPI)
        return;
    for (CPullDownMenu_VANTREL_KXE* menu : findChildren<CPullDownMenu_VANTREL_KXE*>()) {
        menu->setMenuItemList(choiceList(*m_memAPI, *menu));
        menu->process(nullptr, 0, 0);
    }
    for (CPopup_VANTREL_KXE* popup : findChildren<CPopup_VANTREL_KXE*>()) {
        popup->setLabels(choiceList(*m_memAPI, *popup));
        popup->process(nullptr, 0, 0);
        popup->update();
    }
}
