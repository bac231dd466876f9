#include "TDetailGrid.h"
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "tools/imagegen/ImageTable.h"
#include "utilities/PixmapUtilities.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"
#include "widgets/COnOffButton_VANTREL_KXE.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"
#include <QFrame>
#include <QLabel>
#include <QStackedWidget>

namespace NS_DetailGrid {

namespace {

// Cell geometry, relative to the cell's corner.
constexpr QRect kSliderInCell{14, 27, 56, 11};
constexpr QRect kDialInCell{29, 38, 27, 27};
constexpr QRect kSwitchInCell{26, 46, 31, 10};
constexpr QRect kLabelInCell{5, 69, 76, 15};
constexpr QSize kTabSize{56, 17};
constexpr int kTabY = 3;
// The small knob strip: one frame per step over its 270 degrees.
constexpr int kKnobFrames = 29;
constexpr int kSwitchFrames = 5;
constexpr int kTabFrames = 3;
constexpr int kDialMaximum = 127;
constexpr int kPanelPixelSize = 10;
const QColor kDialFocus(155, 255, 255);

QRect inCell(int index, const QRect& rect)
{
    return rect.translated(cellOrigin(index));
}

} // namespace

QPoint cellOrigin(int index)
{
    return QPoint(kCellWidth * (index % kColumns), kCellHeight * (index / kColumns));
}

QColor displayColour()
{
    return QColor(0, 255, 255);
}

void setDisplayColours(QWidget* widget)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, displayColour());
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QFont panelFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Helvetica"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(kPanelPixelSize);
    return font;
}

void setBackground(QWidget* widget, const char* imageName)
{
    const QPixmap image = NS_Utilities::loadPixmap(QString::fromLatin1(imageName));
    QPalette palette = widget->palette();
    palette.setBrush(QPalette::Window, QBrush(image));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QFrame* addPage(QStackedWidget* stack, const char* pageName, const char* frameName, const char* background)
{
    auto* page = new QWidget(stack);
    page->setObjectName(QString::fromLatin1(pageName));
    auto* frame = new QFrame(page);
    frame->setObjectName(QString::fromLatin1(frameName));
    frame->setFrameStyle(QFrame::NoFrame);
    frame->setGeometry(QRect(QPoint(0, 0), stack->size()));
    setBackground(frame, background);
    stack->addWidget(page);
    return frame;
}

COnOffButton_VANTREL_KXE* addTabButton(QWidget* parent, const char* name, const char* image, int x)
{
    auto* tab = new COnOffButton_VANTREL_KXE(parent, name);
    tab->setCombinedImage(NS_Utilities::loadPixmap(QString::fromLatin1(image)));
    tab->setnSubImages(kTabFrames);
    tab->setGeometry(QRect(QPoint(x, kTabY), kTabSize));
    tab->setText(QString());
    // No focus colour: the tab keeps the toolkit button's focus, so Tab reaches it and
    // Space turns to its page.
    tab->setCursor(Qt::PointingHandCursor);
    return tab;
}

TValueCell addValueCell(QWidget* frame, int index, const char* address, int tableId)
{
    auto* slider = new CTextSlider_VANTREL_KXE(frame);
    slider->setGeometry(inCell(index, kSliderInCell));
    setDisplayColours(slider);
    slider->setFormatLabel(QStringLiteral("%3.2f"));
    slider->setRangeDiv(1);
    slider->setClickStepping(true);
    slider->setUseTableId(true);
    slider->setTableId(tableId);
    slider->setEnableFocusRect(true);
    slider->setGreyOnDisable(true);
    slider->setNamedAddress(QString::fromLatin1(address));

    auto* dial = new CDial_VANTREL_KXE(frame);
    dial->setGeometry(inCell(index, kDialInCell));
    dial->setTransparent(true);
    dial->setCursor(Qt::PointingHandCursor);
    dial->setRange(0, kDialMaximum);
    dial->setCombinedImage(NS_Utilities::loadPixmap(QString::fromLatin1(NS_Images::kKnobSmall)));
    dial->setnSubImages(kKnobFrames);
    dial->setFocusColor(kDialFocus);
    dial->setTableId(tableId);
    dial->setNamedAddress(QString::fromLatin1(address));
    return {slider, dial};
}

COnOffButton_VANTREL_KXE* addSwitchCell(QWidget* frame, int index, const char* address)
{
    auto* button = new COnOffButton_VANTREL_KXE(frame);
    button->setGeometry(inCell(index, kSwitchInCell));
    button->setCombinedImage(NS_Utilities::loadPixmap(QString::fromLatin1(NS_Images::kOnOffSwitch)));
    button->setnSubImages(kSwitchFrames);
    button->setHasDisableImage(true);
    // The strip is lit already: a black frame marks the focus.
    button->setFocusColor(Qt::black);
    button->setCursor(Qt::PointingHandCursor);
    button->setInvertedLogic(true);
    button->setNamedAddress(QString::fromLatin1(address));
    return button;
}

CHotspotLabel_VANTREL_KXE* addDisplayCell(QWidget* frame, const QRect& geometry, const QRect& hotSpot)
{
    auto* label = new CHotspotLabel_VANTREL_KXE(frame);
    label->setGeometry(geometry);
    setDisplayColours(label);
    label->setHotSpot(hotSpot);
    label->setFocusColor(displayColour());
    label->setInverseColorOnFocus(true);
    label->setCursor(Qt::PointingHandCursor);
    label->setFocusPolicy(Qt::StrongFocus);
    return label;
}

COnOffButton_VANTREL_KXE* addDummyButton(QWidget* frame)
{
    auto* button = new COnOffButton_VANTREL_KXE(frame, "DummyButton");
    button->setFocusPolicy(Qt::NoFocus);
    button->hide();
    return button;
}

QLabel* addCellLabel(QWidget* frame, int index, const char* text, const QString& objectName)
{
    auto* label = new QLabel(frame);
    label->setObjectName(objectName);
    label->setGeometry(inCell(index, kLabelInCell));
    label->setFocusPolicy(Qt::NoFocus);
    label->setAutoFillBackground(false);
    label->setAlignment(Qt::AlignCenter);
    const QString shown = QString::fromLatin1(text);
    label->setText(shown);
    label->setToolTip(shown);
    return label;
}

TMemProxy_VANTREL_KXE* boundProxy(QObject* object)
{
    auto* proxy = dynamic_cast<TMemProxy_VANTREL_KXE*>(object);
    if (!proxy || !proxy->m_memAPI || !proxy->m_connected || !proxy->memAPIReady())
        return nullptr;
    return proxy;
}

bool isBoundTo(QObject* object, int element, int channel, int parameter)
{
    const TMemProxy_VANTREL_KXE* proxy = boundProxy(object);
    return proxy && proxy->element() == element && proxy->channel() == channel && proxy->param() == parameter;
}

bool isCellLabel(QObject* object)
{
    return qobject_cast<QLabel*>(object) && !qobject_cast<CLabelDisplay_VANTREL_KXE*>(object);
}

void hideLabelsOfUnboundCells(QWidget* frame)
{
    if (!frame)
        return;
    // A cell makes its controls, then its label.
    bool bound = false;
    bool unbound = false;
    for (QObject* child : frame->children()) {
        if (isCellLabel(child)) {
            if (unbound && !bound)
                static_cast<QWidget*>(child)->hide();
            bound = unbound = false;
        } else if (auto* proxy = dynamic_cast<TMemProxy_VANTREL_KXE*>(child);
                   proxy && !proxy->namedAddress().isEmpty()) {
            (boundProxy(child) ? bound : unbound) = true;
        }
    }
}

} // namespace NS_DetailGrid
