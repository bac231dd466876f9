#include "widgets/CTextSlider_VANTREL_KXE.h"
#include "memapi/TMemSilentHelper.h"
#include "utilities/CNumEdit_VANTREL_KXE.h"
#include "tools/imagegen/ImageTable.h"
#include "utilities/PixmapUtilities.h"
#include "widgets/TBoundControlSupport.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace {
const QColor kGreyText(128, 128, 128);
constexpr int kHintWidth = 33;
constexpr int kHintHeight = 14;
constexpr int kWheelStep = 120;
// Ranges wider than these move 10 or 100 values per drag step, unless Shift is held.
constexpr int64_t kCoarseSpan = 126;
constexpr int64_t kCoarserSpan = 999;
const char* const kDefaultEditFormat = "%.1f";

QCursor arrowCursor(bool up)
{
    const QPixmap image = NS_Utilities::loadPixmap(
        QString::fromLatin1(up ? NS_Images::kCursorArrowUp : NS_Images::kCursorArrowDown));
    if (image.isNull())
        return QCursor(Qt::SizeVerCursor);
    return QCursor(image, image.width() / 2, image.height() / 2);
}
} // namespace

struct CTextSlider_VANTREL_KXE::CTextSliderPrivate
{
    bool clickStepping = false;
    bool tracking = true;
    bool inMove = false;
    bool dragging = false;
    int dragStartValue = 0;
    int dragBase = 0;
    int dragStartX = 0;
    int pixelsPerStep = 2;
    Qt::KeyboardModifiers modifiers;
};

struct CTextSlider_VANTREL_KXE::CTextSlider_PD
{
    QString valueLabel;
    QString formatLabel = QStringLiteral("%0.1f");
    QString matchLabel;
    int rangeDiv = 10;
    int tableId = 5;
    int matchValue = 0;
    bool useTableId = false;
    bool editable = false;
    QString editFormat;
    bool enableFocusRect = false;
    bool greyOnDisable = false;
    NS_Utilities::CNumEdit_VANTREL_KXE* numEdit = nullptr;
    int lastY = 0;
    // Wheel deltas below one step (high-resolution wheels) add up here.
    int wheelRemainder = 0;
};

CTextSlider_VANTREL_KXE::CTextSlider_VANTREL_KXE(QWidget* parent, const char* name,
                                                 Qt::WindowFlags flags)
    : QWidget(parent, flags), TRangeControl_VANTREL_KXE(0, 99, 1, 10, 0),
      m_drag(std::make_unique<CTextSliderPrivate>()), d(std::make_unique<CTextSlider_PD>())
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    initWidget();
}

CTextSlider_VANTREL_KXE::CTextSlider_VANTREL_KXE(int minValue, int maxValue, int pageStep, int value,
                                                 QWidget* parent, const char* name)
    : QWidget(parent), TRangeControl_VANTREL_KXE(minValue, maxValue, 1, pageStep, value),
      m_drag(std::make_unique<CTextSliderPrivate>()), d(std::make_unique<CTextSlider_PD>())
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    initWidget();
}

CTextSlider_VANTREL_KXE::~CTextSlider_VANTREL_KXE()
{
    // Unregistered first, while this is still a slider: no observer call can reach a
    // half-destroyed control.
    disconnectMemAPI();
}

void CTextSlider_VANTREL_KXE::initWidget()
{
    m_lookup = nullptr;
    setFocusPolicy(Qt::WheelFocus);
}

// ---- properties

bool CTextSlider_VANTREL_KXE::tracking() const { return m_drag->tracking; }
QString CTextSlider_VANTREL_KXE::valueLabel() const { return d->valueLabel; }
int CTextSlider_VANTREL_KXE::rangeDiv() const { return d->rangeDiv; }
QString CTextSlider_VANTREL_KXE::formatLabel() const { return d->formatLabel; }
int CTextSlider_VANTREL_KXE::tableId() const { return d->tableId; }
bool CTextSlider_VANTREL_KXE::useTableId() const { return d->useTableId; }
bool CTextSlider_VANTREL_KXE::editable() const { return d->editable; }
QString CTextSlider_VANTREL_KXE::editFormat() const { return d->editFormat; }
bool CTextSlider_VANTREL_KXE::clickStepping() const { return m_drag->clickStepping; }
int CTextSlider_VANTREL_KXE::matchValue() const { return d->matchValue; }
QString CTextSlider_VANTREL_KXE::matchLabel() const { return d->matchLabel; }
bool CTextSlider_VANTREL_KXE::enableFocusRect() const { return d->enableFocusRect; }
bool CTextSlider_VANTREL_KXE::greyOnDisable() const { return d->greyOnDisable; }

void CTextSlider_VANTREL_KXE::setTableId(int id) { d->tableId = id; }
void CTextSlider_VANTREL_KXE::setUseTableId(bool use) { d->useTableId = use; }
void CTextSlider_VANTREL_KXE::setEditable(bool editable) { d->editable = editable; }
void CTextSlider_VANTREL_KXE::setEditFormat(const QString& format) { d->editFormat = format; }
void CTextSlider_VANTREL_KXE::setMatchValue(int value) { d->matchValue = value; }
void CTextSlider_VANTREL_KXE::setTracking(bool tracking) { m_drag->tracking = tracking; }
void CTextSlider_VANTREL_KXE::setLookupFunc(LookupFunc lookup) { m_lookup = lookup; }

void CTextSlider_VANTREL_KXE::setGreyOnDisable(bool grey)
{
    d->greyOnDisable = grey;
    updateErasePixmap();
    update();
}

void CTextSlider_VANTREL_KXE::setEnableFocusRect(bool enable)
{
    d->enableFocusRect = enable;
    update();
}

void CTextSlider_VANTREL_KXE::setValueLabel(const QString& label)
{
    if (d->valueLabel != label)
        d->valueLabel = label;
}

void CTextSlider_VANTREL_KXE::setFormatLabel(const QString& format)
{
    if (d->formatLabel != format)
        d->formatLabel = format;
}

void CTextSlider_VANTREL_KXE::setMatchLabel(const QString& label)
{
    if (d->matchLabel != label || d->matchLabel.isNull() != label.isNull())
        d->matchLabel = label;
}

void CTextSlider_VANTREL_KXE::setRangeDiv(int divisor)
{
    if (d->rangeDiv != divisor)
        d->rangeDiv = divisor;
}

void CTextSlider_VANTREL_KXE::setClickStepping(bool stepping)
{
    m_drag->clickStepping = stepping;
    if (stepping)
        setMouseTracking(true);
}

void CTextSlider_VANTREL_KXE::setMinValue(int minValue) { TRangeControl_VANTREL_KXE::setMinValue(minValue); }
void CTextSlider_VANTREL_KXE::setMaxValue(int maxValue) { TRangeControl_VANTREL_KXE::setMaxValue(maxValue); }
void CTextSlider_VANTREL_KXE::setLineStep(int step) { setSteps(step, pageStep()); }
void CTextSlider_VANTREL_KXE::setPageStep(int step) { setSteps(lineStep(), step); }
void CTextSlider_VANTREL_KXE::setValue(int value) { TRangeControl_VANTREL_KXE::setValue(value); }
void CTextSlider_VANTREL_KXE::addLine() { TRangeControl_VANTREL_KXE::addLine(); }
void CTextSlider_VANTREL_KXE::subtractLine() { TRangeControl_VANTREL_KXE::subtractLine(); }
void CTextSlider_VANTREL_KXE::addPage() { TRangeControl_VANTREL_KXE::addPage(); }
void CTextSlider_VANTREL_KXE::subtractPage() { TRangeControl_VANTREL_KXE::subtractPage(); }

void CTextSlider_VANTREL_KXE::setValueText(QString text)
{
    m_valueText = text;
    updateErasePixmap();
    update();
}

QSize CTextSlider_VANTREL_KXE::sizeHint() const { return QSize(kHintWidth, kHintHeight); }
QSize CTextSlider_VANTREL_KXE::minimumSizeHint() const { return QSize(kHintWidth, kHintHeight); }

// ---- binding

bool CTextSlider_VANTREL_KXE::setNamedAddress(const QString& text)
{
    return TMemProxy_VANTREL_KXE::setNamedAddress(text);
}

TMemProxy_VANTREL_KXE* CTextSlider_VANTREL_KXE::setUndoEnable(bool enable)
{
    return TMemProxy_VANTREL_KXE::setUndoEnable(enable);
}

TMemProxy_VANTREL_KXE* CTextSlider_VANTREL_KXE::setNumDefaultKind(int kind)
{
    return TMemProxy_VANTREL_KXE::setNumDefaultKind(kind);
}

void CTextSlider_VANTREL_KXE::connectMemAPI()
{
    NS_BoundControl::registerObserver(*this, true);
}

void CTextSlider_VANTREL_KXE::process(const uint8_t* rawData, int operation, uint32_t)
{
    if (!NS_BoundControl::bound(*this))
        return;
    if (NS_BoundControl::postIfOffGuiThread(*this))
        return;
    setWidgetShowState(this);
    const NS_BoundControl::TRangeReading range = NS_BoundControl::readRange(*this);
    ++m_silent;
    setRange(range.minimum, range.maximum);
    --m_silent;
    const NS_BoundControl::TOperationValue v =
        NS_BoundControl::valueForOperation(*this, rawData, operation);
    TMemSilentHelper quiet(m_silent, operation);
    setValue(v.value);
    // A value equal to the one held (0 before the first) runs no value change: its
    // text, for this channel, is made here, so a value of 0 never shows a blank field.
    refreshValueText();
}

void CTextSlider_VANTREL_KXE::forceUpdate()
{
    if (!m_memAPI)
        return;
    process(nullptr, 0, 0);
    updateValueText();
    updateErasePixmap();
    repaint();
}

// ---- text

bool CTextSlider_VANTREL_KXE::valueLookup(QString& text, int value)
{
    if (m_lookup)
        m_lookup(text, value);
    else
        text = QStringLiteral(" ");
    return true;
}

double CTextSlider_VANTREL_KXE::divisor(bool typed) const
{
    if (d->rangeDiv >= 1)
        return d->rangeDiv;
    const int rate = m_memAPI ? m_memAPI->MAPI_frequency(nullptr) : 0;
    // A rate of 0 from the memory API must not divide.
    if (rate <= 0)
        return 1;
    return typed ? rate / 1000.0 : rate;
}

void CTextSlider_VANTREL_KXE::stringForValue(int value, QString& text)
{
    if (m_lookup) {
        QString looked;
        if (m_lookup(looked, value)) {
            text = looked;
            return;
        }
    }
    if (!m_memAPI)
        return;
    const bool matched = !d->matchLabel.isNull() && value == d->matchValue;
    if (d->useTableId) {
        const QString shown = NS_BoundControl::displayString(*this, d->tableId, value, nullptr, 0,
                                                             element(), param());
        text = matched ? d->matchLabel : shown;
        return;
    }
    if (matched) {
        text = d->matchLabel;
        return;
    }
    // The number goes through the format alone; the unit is plain text after it, so a
    // unit such as "%" is never read as a conversion.
    const float divided = float(value) / float(divisor(false));
    const QByteArray format = d->formatLabel.toLatin1();
    text = NS_Utilities::CNumEdit_VANTREL_KXE::formatNumber(double(divided), format.constData())
           + d->valueLabel;
}

void CTextSlider_VANTREL_KXE::updateValueText()
{
    stringForValue(value(), m_valueText);
}

void CTextSlider_VANTREL_KXE::refreshValueText()
{
    QString text = m_valueText;
    stringForValue(value(), text);
    if (text == m_valueText)
        return;
    m_valueText = text;
    updateErasePixmap();
    update();
}

// ---- value

void CTextSlider_VANTREL_KXE::valueChange()
{
    int emitted = value();
    if (NS_BoundControl::writeUserChange(*this, value()))
        emitted = m_memAPI->MAPI_getIndParam(element(), param(), channel(), false, nullptr);
    updateValueText();
    updateErasePixmap();
    repaint();
    if (!(m_drag->inMove && !m_drag->tracking))
        emit valueChanged(emitted);
}

void CTextSlider_VANTREL_KXE::rangeChange()
{
    update();
}

void CTextSlider_VANTREL_KXE::acceptNum(double number)
{
    if (!m_memAPI)
        return;
    int typed = 0;
    if (d->useTableId) {
        typed = int(m_memAPI->MAPI_getIndFloatParam(d->tableId, float(number), 0));
    } else {
        const double scaled = std::trunc(number * divisor(true));
        typed = int(std::clamp(scaled, double(minValue()), double(maxValue())));
    }
    setFocus(Qt::OtherFocusReason);
    setValue(typed);
    updateErasePixmap();
    update();
}

// ---- drawing

void CTextSlider_VANTREL_KXE::updateErasePixmap()
{
    if (size().isEmpty())
        return;
    const qreal ratio = devicePixelRatioF();
    QPixmap look(size() * ratio);
    look.setDevicePixelRatio(ratio);
    look.fill(palette().color(backgroundRole()));
    QPainter painter(&look);
    painter.setFont(font());
    painter.setPen(!isEnabled() && d->greyOnDisable ? kGreyText
                                                    : palette().color(foregroundRole()));
    painter.drawText(QRect(QPoint(0, 0), size()), Qt::AlignCenter, m_valueText);
    if (hasFocus() && d->enableFocusRect) {
        // Dotted, in the text colour: a rectangle in the background colour (as the
        // styles draw it) would not show on the panel.
        painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
        painter.drawRect(QRect(QPoint(0, 0), size()).adjusted(0, 0, -1, -1));
    }
    m_look = look;
}

bool CTextSlider_VANTREL_KXE::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Polish:
        updateValueText();
        updateErasePixmap();
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        // The look does not depend on the window's activation.
        return true;
    default:
        break;
    }
    return QWidget::event(event);
}

void CTextSlider_VANTREL_KXE::paintEvent(QPaintEvent*)
{
    if (m_look.isNull() || m_look.deviceIndependentSize().toSize() != size())
        updateErasePixmap();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_look);
}

void CTextSlider_VANTREL_KXE::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateErasePixmap();
}

void CTextSlider_VANTREL_KXE::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    updateErasePixmap();
    repaint();
}

void CTextSlider_VANTREL_KXE::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    updateErasePixmap();
    repaint();
}

void CTextSlider_VANTREL_KXE::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        updateErasePixmap();
        update();
    }
}

// ---- input

int CTextSlider_VANTREL_KXE::valueFromPoint(int y) const
{
    const int perStep = std::max(m_drag->pixelsPerStep, 1);
    int64_t steps = (height() / 2 - y - m_drag->dragBase) / perStep;
    if (!(m_drag->modifiers & Qt::ShiftModifier)) {
        if (span() > kCoarserSpan)
            steps *= 100;
        else if (span() > kCoarseSpan)
            steps *= 10;
    }
    return boundSum(m_drag->dragStartValue, steps);
}

void CTextSlider_VANTREL_KXE::mousePressEvent(QMouseEvent* event)
{
    const int y = event->position().toPoint().y();
    if (!m_drag->dragging) {
        m_drag->modifiers = event->modifiers();
        m_drag->dragging = true;
        m_drag->dragStartValue = value();
        m_drag->dragStartX = event->position().toPoint().x();
        m_drag->dragBase = height() / 2 - y;
        setValue(valueFromPoint(y));
        emit dialPressed();
    }
    d->lastY = y;
}

void CTextSlider_VANTREL_KXE::mouseMoveEvent(QMouseEvent* event)
{
    const int y = event->position().toPoint().y();
    if (!m_drag->dragging) {
        if (m_drag->clickStepping)
            setCursor(arrowCursor(y <= height() / 2));
        return;
    }
    if (!m_drag->tracking || !(event->buttons() & Qt::LeftButton))
        return;
    if (m_drag->clickStepping) {
        setCursor(arrowCursor(d->lastY >= y));
        d->lastY = y;
    }
    m_drag->inMove = true;
    setValue(valueFromPoint(y));
    emit dialMoved(value());
    m_drag->inMove = false;
}

void CTextSlider_VANTREL_KXE::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_drag->dragging)
        return;
    const int y = event->position().toPoint().y();
    m_drag->dragging = false;
    setValue(valueFromPoint(y));
    emit dialReleased();
    if (m_drag->clickStepping && height() / 2 - y == m_drag->dragBase) {
        // A click without vertical movement steps towards the half it landed in.
        if (m_drag->dragBase < 0)
            subtractLine();
        else
            addLine();
    }
    d->lastY = 0;
}

void CTextSlider_VANTREL_KXE::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!d->editable) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    if (!d->numEdit) {
        d->numEdit = new NS_Utilities::CNumEdit_VANTREL_KXE(this);
        connect(d->numEdit, &NS_Utilities::CNumEdit_VANTREL_KXE::numberProposed, this,
                &CTextSlider_VANTREL_KXE::acceptNum);
    }
    const QByteArray format = d->editFormat.isEmpty() ? QByteArray(kDefaultEditFormat)
                                                      : d->editFormat.toLatin1();
    d->numEdit->doEdit(m_valueText, format.constData());
}

void CTextSlider_VANTREL_KXE::wheelEvent(QWheelEvent* event)
{
    d->wheelRemainder += event->angleDelta().y();
    const int steps = d->wheelRemainder / kWheelStep;
    d->wheelRemainder -= steps * kWheelStep;
    if (steps)
        setValue(boundSum(value(), steps));
    event->accept();
    NS_BoundControl::focusEditorWindow(this);
}

void CTextSlider_VANTREL_KXE::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Home:
        setValue(minValue());
        break;
    case Qt::Key_End:
        setValue(maxValue());
        break;
    case Qt::Key_Up:
        addLine();
        break;
    case Qt::Key_Down:
        subtractLine();
        break;
    case Qt::Key_PageUp:
        addPage();
        break;
    case Qt::Key_PageDown:
        subtractPage();
        break;
    default:
        // Left, Right and the rest belong to the parent.
        event->ignore();
        return;
    }
    event->accept();
}
