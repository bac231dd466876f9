#include "widgets/CFader_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "memapi/TMemSilentHelper.h"
#include "utilities/PixmapUtilities.h"
#include "utilities/ThreadUtilities.h"
#include "widgets/CFaderTip.h"
#include "widgets/TBoundControlSupport.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {
constexpr int kMaxSubImages = 31; // five bits in the design
} // namespace

CFader_VANTREL_KXE::CFader_VANTREL_KXE(QWidget* parent, const char* name)
    : CSlider_VANTREL_KXE(0, 1023, 10, 0, Qt::Vertical, parent, name)
{
    setFocusPolicy(Qt::WheelFocus);
    m_textRetry = new NS_BoundControl::TBlockedSignalRetry(this, [this] { emit_textualValueChange(); },
                                                           kTextRetryMs, kTextRetryMs, 1);
}

CFader_VANTREL_KXE::~CFader_VANTREL_KXE()
{
    // Unregistered while this is still a fader: no observer call reaches a
    // half-destroyed control.
    disconnectMemAPI();
    delete m_tip;
    m_tip = nullptr;
}

// ---- settings

bool CFader_VANTREL_KXE::setNamedAddress(const QString& text)
{
    return TMemProxy_VANTREL_KXE::setNamedAddress(text);
}

TMemProxy_VANTREL_KXE* CFader_VANTREL_KXE::setUndoEnable(bool enable)
{
    return TMemProxy_VANTREL_KXE::setUndoEnable(enable);
}

TMemProxy_VANTREL_KXE* CFader_VANTREL_KXE::setNumDefaultKind(int kind)
{
    return TMemProxy_VANTREL_KXE::setNumDefaultKind(kind);
}

void CFader_VANTREL_KXE::setThumbImage(const QPixmap& image)
{
    m_thumb = image;
    rangeChange();
    updateGeometry();
    invalidateLook();
}

void CFader_VANTREL_KXE::setFlipValues(bool on)
{
    if (m_flip == on)
        return;
    m_flip = on;
    rangeChange();
    invalidateLook();
}

void CFader_VANTREL_KXE::useDisabledImage(bool on)
{
    if (m_useDisabledImage == on)
        return;
    m_useDisabledImage = on;
    invalidateLook();
}

void CFader_VANTREL_KXE::setPixmap(const QPixmap& image)
{
    m_background = image;
    invalidateLook();
}

void CFader_VANTREL_KXE::setFocusColor(const QColor& color)
{
    if (m_focusColor == color)
        return;
    m_focusColor = color;
    invalidateLook();
}

void CFader_VANTREL_KXE::setTableId(int id)
{
    m_tableId = id;
}

void CFader_VANTREL_KXE::setnSubImages(int n)
{
    m_subImages = std::clamp(n, 0, kMaxSubImages);
    rangeChange();
    updateGeometry();
    invalidateLook();
}

void CFader_VANTREL_KXE::setNumberToolTip(bool on)
{
    if (on && !m_tip) {
        m_tip = new CFaderTip(this);
        m_tip->setTipText(NS_BoundControl::displayString(*this, m_tableId, value()));
        m_tip->hide();
    } else if (!on) {
        delete m_tip;
        m_tip = nullptr;
    }
}

// ---- geometry and mapping

bool CFader_VANTREL_KXE::hasThumb() const
{
    return !m_thumb.isNull() && m_subImages >= 1;
}

QSize CFader_VANTREL_KXE::thumbCellSize() const
{
    // Rows come from forms: without any the style's handle is used instead.
    if (!hasThumb())
        return QSize();
    const QSize whole = m_thumb.deviceIndependentSize().toSize();
    return QSize(whole.width(), whole.height() / m_subImages);
}

QRect CFader_VANTREL_KXE::sliderRect() const
{
    if (!hasThumb())
        return CSlider_VANTREL_KXE::sliderRect();
    QRect handle(QPoint(0, 0), thumbCellSize());
    if (orientation() == Qt::Horizontal)
        handle.moveLeft(sliderPosition());
    else
        handle.moveTop(sliderPosition());
    return handle;
}

int CFader_VANTREL_KXE::getSlideLength() const
{
    if (!hasThumb())
        return CSlider_VANTREL_KXE::getSlideLength();
    const QSize cell = thumbCellSize();
    return orientation() == Qt::Horizontal ? cell.width() : cell.height();
}

int CFader_VANTREL_KXE::getSlideThickness() const
{
    if (!hasThumb())
        return CSlider_VANTREL_KXE::getSlideThickness();
    const QSize cell = thumbCellSize();
    return orientation() == Qt::Horizontal ? cell.height() : cell.width();
}

int CFader_VANTREL_KXE::available() const
{
    const int length = orientation() == Qt::Horizontal ? width() : height();
    return std::max(0, length - getSlideLength());
}

QSize CFader_VANTREL_KXE::sizeHint() const
{
    if (!hasThumb())
        return CSlider_VANTREL_KXE::sizeHint();
    const QSize cell = thumbCellSize();
    return orientation() == Qt::Horizontal ? QSize(cell.width() * 4, cell.height())
                                           : QSize(cell.width(), cell.height() * 4);
}

int CFader_VANTREL_KXE::applyFlipedTransformation(int value, int low, int high) const
{
    if (!m_flip)
        return value;
    // A mirror inside the range, whatever its sign or order, limited to it.
    const int64_t lo = std::min(low, high), hi = std::max(low, high);
    return int(std::clamp<int64_t>(lo + hi - int64_t(value), lo, hi));
}

bool CFader_VANTREL_KXE::curveReady() const
{
    return m_memAPI && m_connected && memAPIReady();
}

int CFader_VANTREL_KXE::positionFromValue(int v) const
{
    const int a = available();
    if (curveReady()) {
        int p = a;
        if (m_memAPI->MAPI_faderConvertNonLinearToLinear(p, element(), param(), v) == 0)
            return applyFlipedTransformation(std::clamp(p, 0, a), 0, a);
    }
    const int p = TRangeControl_VANTREL_KXE::positionFromValue(applyFlipedTransformation(v, minValue(), maxValue()), a);
    return mirrored() ? a - p : p;
}

int CFader_VANTREL_KXE::valueFromPosition(int position) const
{
    const int a = available();
    if (curveReady()) {
        int v = a;
        if (m_memAPI->MAPI_faderConvertLinearToNonLinear(v, element(), param(),
                                                         applyFlipedTransformation(position, 0, a)) == 0)
            return bound(v);
    }
    int v = TRangeControl_VANTREL_KXE::valueFromPosition(position, a);
    if (mirrored())
        v = bound(int(std::clamp<int64_t>(int64_t(maxValue()) + minValue() - v, INT32_MIN, INT32_MAX)));
    return applyFlipedTransformation(v, minValue(), maxValue());
}

// ---- value changes

void CFader_VANTREL_KXE::valueChange()
{
    CSlider_VANTREL_KXE::valueChange();
    NS_BoundControl::writeUserChange(*this, value());
    showValueText();
    invalidateLook();
}

void CFader_VANTREL_KXE::showValueText()
{
    if (m_connected)
        m_valueShown = true;
    if (signalsBlocked())
        m_textRetry->schedule(); // one more try 50 ms later, then dropped
    else
        emit_textualValueChange();
}

void CFader_VANTREL_KXE::emit_textualValueChange()
{
    if (signalsBlocked())
        return;
    const QString text = NS_BoundControl::displayString(*this, m_tableId, value());
    if (m_tip)
        m_tip->setTipText(text);
    emit textualValueChange(text);
}

void CFader_VANTREL_KXE::acceptNum(double number)
{
    if (!NS_BoundControl::bound(*this))
        return;
    const int v = int(m_memAPI->MAPI_getIndFloatParam(m_tableId, float(number), 0));
    if (isUndoEnable())
        m_memAPI->MAPI_save4undo(this);
    setValue(v);
}

// ---- binding

void CFader_VANTREL_KXE::connectMemAPI()
{
    m_valueShown = false;
    NS_BoundControl::registerObserver(*this, true);
}

void CFader_VANTREL_KXE::process(const uint8_t* rawData, int operation, uint32_t)
{
    if (!m_memAPI || !m_connected || !memAPIReady())
        return;
    if (NS_BoundControl::postIfOffGuiThread(*this))
        return;
    setWidgetShowState(this);
    const NS_BoundControl::TRangeReading range = NS_BoundControl::readRange(*this);
    ++m_silent;
    setRange(range.minimum, range.maximum);
    --m_silent;
    const NS_BoundControl::TOperationValue v = NS_BoundControl::valueForOperation(*this, rawData, operation);
    TMemSilentHelper silent(m_silent, operation);
    setValue(v.value);
    if (!m_valueShown) {
        // The first value equalled the one held (0 before binding), so no value change
        // ran: its place on the parameter's curve and its text are shown here.
        rangeChange();
        showValueText();
        invalidateLook();
    }
}

// ---- look

void CFader_VANTREL_KXE::invalidateLook()
{
    m_lookValid = false;
    update();
}

void CFader_VANTREL_KXE::sliderMovedTo(int)
{
    invalidateLook();
}

void CFader_VANTREL_KXE::updateErasePixmap()
{
    const qreal ratio = devicePixelRatioF();
    QPixmap look(size() * ratio);
    look.setDevicePixelRatio(ratio);
    look.fill(Qt::transparent);
    {
        QPainter painter(&look);
        // Without a background image of its own the parent shows through.
        if (!m_background.isNull())
            painter.drawPixmap(0, 0, m_background);
        if (!hasThumb()) {
            paintStyled(painter);
        } else {
            const QRect handle = sliderRect();
            const bool disabledRow = !isEnabled() || m_useDisabledImage;
            const int row = disabledRow ? m_subImages - 1 : 0;
            if (m_focusColor.isValid() && hasFocus()) {
                // The row in use, marked: the whole strip would show every thumb at once.
                QPixmap cell = m_thumb.copy(0, row * (m_thumb.height() / m_subImages), m_thumb.width(),
                                            m_thumb.height() / m_subImages);
                cell.setDevicePixelRatio(m_thumb.devicePixelRatio());
                painter.drawImage(QPointF(handle.topLeft()), NS_Utilities::applyFocusHilite(m_focusColor, cell));
            } else {
                const QPoint at = handle.topLeft();
                NS_Utilities::drawPartialPixmap(painter, QPoint(0, row), m_thumb, QSize(1, m_subImages), &at);
            }
        }
    }
    m_look = look;
    m_lookValid = true;
}

void CFader_VANTREL_KXE::paintEvent(QPaintEvent*)
{
    if (!m_lookValid)
        updateErasePixmap();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_look);
}

bool CFader_VANTREL_KXE::event(QEvent* event)
{
    const bool handled = CSlider_VANTREL_KXE::event(event);
    if (event->type() == QEvent::Polish) {
        emit_textualValueChange();
        invalidateLook();
    }
    // Window activation changes nothing in the fader's look.
    return handled;
}

void CFader_VANTREL_KXE::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        invalidateLook();
    CSlider_VANTREL_KXE::changeEvent(event);
}

void CFader_VANTREL_KXE::resizeEvent(QResizeEvent* event)
{
    CSlider_VANTREL_KXE::resizeEvent(event);
    invalidateLook();
}

void CFader_VANTREL_KXE::focusInEvent(QFocusEvent* event)
{
    if (m_focusColor.isValid())
        invalidateLook();
    CSlider_VANTREL_KXE::focusInEvent(event);
}

void CFader_VANTREL_KXE::focusOutEvent(QFocusEvent* event)
{
    if (m_focusColor.isValid())
        invalidateLook();
    CSlider_VANTREL_KXE::focusOutEvent(event);
}

void CFader_VANTREL_KXE::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void CFader_VANTREL_KXE::enterEvent(QEnterEvent* event)
{
    if (m_tip) {
        m_tip->show();
        m_tip->raise();
    }
    CSlider_VANTREL_KXE::enterEvent(event);
}

void CFader_VANTREL_KXE::leaveEvent(QEvent* event)
{
    if (m_tip)
        m_tip->hide();
    CSlider_VANTREL_KXE::leaveEvent(event);
}
