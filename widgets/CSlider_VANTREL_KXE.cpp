#include "widgets/CSlider_VANTREL_KXE.h"
#include "widgets/TBoundControlSupport.h"

#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

Q_LOGGING_CATEGORY(lcSlider, "tovar.widgets")

namespace {
constexpr int kFirstRepeatMs = 300;
constexpr int kRepeatMs = 100;
constexpr int kWheelNotch = 120;
constexpr int kLengthHint = 84;
constexpr int kTickSpace = 5;

// One wheel remainder for the whole program, owned by the slider that made it.
QPointer<CSlider_VANTREL_KXE> g_wheelOwner;
int64_t g_wheelRemainder = 0;
} // namespace

CSlider_VANTREL_KXE::CSlider_VANTREL_KXE(QWidget* parent, const char* name)
    : QWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    init(Qt::Vertical);
}

CSlider_VANTREL_KXE::CSlider_VANTREL_KXE(Qt::Orientation orientation, QWidget* parent, const char* name)
    : QWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    init(orientation);
}

CSlider_VANTREL_KXE::CSlider_VANTREL_KXE(int minValue, int maxValue, int pageStep, int value,
                                         Qt::Orientation orientation, QWidget* parent, const char* name)
    : QWidget(parent), TRangeControl_VANTREL_KXE(minValue, maxValue, 1, pageStep, value)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    init(orientation);
}

CSlider_VANTREL_KXE::~CSlider_VANTREL_KXE()
{
    if (g_wheelOwner == this)
        g_wheelRemainder = 0;
}

void CSlider_VANTREL_KXE::init(Qt::Orientation orientation)
{
    m_orientation = orientation;
    m_sliderVal = value();
    setFocusPolicy(Qt::TabFocus);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (orientation == Qt::Vertical)
        policy.transpose();
    setSizePolicy(policy);
    setAttribute(Qt::WA_WState_OwnSizePolicy, false);
}

// ---- settings

void CSlider_VANTREL_KXE::setLineStep(int step) { setSteps(step, pageStep()); }
void CSlider_VANTREL_KXE::setPageStep(int step) { setSteps(lineStep(), step); }
void CSlider_VANTREL_KXE::setHorDir(bool on) { m_horDir = on; }
void CSlider_VANTREL_KXE::setTracking(bool on) { m_tracking = on; }

void CSlider_VANTREL_KXE::setOrientation(Qt::Orientation orientation)
{
    if (orientation == m_orientation)
        return;
    if (!testAttribute(Qt::WA_WState_OwnSizePolicy)) {
        QSizePolicy policy = sizePolicy();
        policy.transpose();
        setSizePolicy(policy);
        setAttribute(Qt::WA_WState_OwnSizePolicy, false);
    }
    m_orientation = orientation;
    m_sliderPos = positionFromValue(value());
    updateGeometry();
    update();
}

void CSlider_VANTREL_KXE::setTickmarks(TickSetting ticks)
{
    m_ticks = ticks;
    updateGeometry();
    update();
}

void CSlider_VANTREL_KXE::setTickInterval(int interval)
{
    m_tickInterval = std::max(interval, 0);
    update();
}

void CSlider_VANTREL_KXE::setValue(int value)
{
    TRangeControl_VANTREL_KXE::setValue(value);
}

void CSlider_VANTREL_KXE::addStep()
{
    addPage();
}

void CSlider_VANTREL_KXE::subtractStep()
{
    subtractPage();
}

// ---- geometry

bool CSlider_VANTREL_KXE::mirrored() const
{
    return m_orientation == Qt::Horizontal && layoutDirection() == Qt::RightToLeft;
}

bool CSlider_VANTREL_KXE::isBoundControl() const
{
    return dynamic_cast<const TMemProxy_VANTREL_KXE*>(this) != nullptr;
}

int CSlider_VANTREL_KXE::along(const QPoint& point) const
{
    return m_orientation == Qt::Horizontal ? point.x() : point.y();
}

void CSlider_VANTREL_KXE::initStyleOption(QStyleOptionSlider* option) const
{
    option->initFrom(this);
    option->subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    if (m_ticks != NoMarks)
        option->subControls |= QStyle::SC_SliderTickmarks;
    option->orientation = m_orientation;
    // Positions are ours: the style is given pixels, 0 at the top (left).
    option->minimum = 0;
    option->maximum = std::max(available(), 1);
    option->sliderPosition = m_sliderPos;
    option->sliderValue = m_sliderPos;
    option->upsideDown = false;
    option->direction = Qt::LeftToRight;
    option->singleStep = 1;
    option->pageStep = 1;
    option->tickPosition = QSlider::TickPosition(int(m_ticks));
    const int64_t range = span();
    option->tickInterval = m_tickInterval > 0 && range > 0
                               ? std::max(1, int(int64_t(m_tickInterval) * option->maximum / range))
                               : 0;
    if (hasFocus())
        option->state |= QStyle::State_HasFocus;
}

QRect CSlider_VANTREL_KXE::styleHandleRect() const
{
    QStyleOptionSlider option;
    option.initFrom(this);
    option.orientation = m_orientation;
    option.minimum = 0;
    option.maximum = 1;
    option.sliderPosition = 0;
    option.sliderValue = 0;
    option.tickPosition = QSlider::TickPosition(int(m_ticks));
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

QRect CSlider_VANTREL_KXE::sliderRect() const
{
    QRect handle = styleHandleRect();
    if (m_orientation == Qt::Horizontal)
        handle.moveLeft(m_sliderPos);
    else
        handle.moveTop(m_sliderPos);
    return handle;
}

int CSlider_VANTREL_KXE::getSlideLength() const
{
    const QRect handle = styleHandleRect();
    return m_orientation == Qt::Horizontal ? handle.width() : handle.height();
}

int CSlider_VANTREL_KXE::getSlideThickness() const
{
    const QRect handle = styleHandleRect();
    return m_orientation == Qt::Horizontal ? handle.height() : handle.width();
}

int CSlider_VANTREL_KXE::available() const
{
    const int length = m_orientation == Qt::Horizontal ? width() : height();
    return std::max(0, length - getSlideLength());
}

int CSlider_VANTREL_KXE::positionFromValue(int v) const
{
    const int a = available();
    const int p = TRangeControl_VANTREL_KXE::positionFromValue(v, a);
    return mirrored() ? a - p : p;
}

int CSlider_VANTREL_KXE::valueFromPosition(int position) const
{
    const int v = TRangeControl_VANTREL_KXE::valueFromPosition(position, available());
    if (!mirrored())
        return v;
    return bound(int(std::clamp<int64_t>(int64_t(maxValue()) + minValue() - v, INT32_MIN, INT32_MAX)));
}

QSize CSlider_VANTREL_KXE::sizeHint() const
{
    ensurePolished();
    int across = getSlideThickness();
    if (m_ticks & Above)
        across += kTickSpace;
    if (m_ticks & Below)
        across += kTickSpace;
    return m_orientation == Qt::Horizontal ? QSize(kLengthHint, across) : QSize(across, kLengthHint);
}

QSize CSlider_VANTREL_KXE::minimumSizeHint() const
{
    QSize s = sizeHint();
    const int length = getSlideLength();
    if (m_orientation == Qt::Horizontal)
        s.setWidth(length);
    else
        s.setHeight(length);
    return s;
}

// ---- value and position

void CSlider_VANTREL_KXE::sliderMovedTo(int)
{
    update();
}

void CSlider_VANTREL_KXE::valueChange()
{
    if (m_sliderVal != value()) {
        m_sliderVal = value();
        const int position = positionFromValue(value());
        if (position != m_sliderPos) {
            m_sliderPos = position;
            sliderMovedTo(position);
        }
    }
    emit valueChanged(value());
}

void CSlider_VANTREL_KXE::rangeChange()
{
    const int position = positionFromValue(value());
    if (position != m_sliderPos) {
        m_sliderPos = position;
        sliderMovedTo(position);
    }
}

void CSlider_VANTREL_KXE::moveSlider(int position)
{
    position = std::clamp(position, 0, available());
    const int v = valueFromPosition(position);
    QStyleOptionSlider option;
    initStyleOption(&option);
    if (style()->styleHint(QStyle::SH_Slider_SnapToValue, &option, this))
        position = positionFromValue(v);
    if (position != m_sliderPos) {
        m_sliderPos = position;
        sliderMovedTo(position);
    }
    if (v != m_sliderVal) {
        m_sliderVal = v;
        emit sliderMoved(v);
        if (m_tracking)
            setValue(v);
    }
}

void CSlider_VANTREL_KXE::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_sliderPos = positionFromValue(value());
    sliderMovedTo(m_sliderPos);
}

bool CSlider_VANTREL_KXE::event(QEvent* event)
{
    if (event->type() == QEvent::LayoutDirectionChange || event->type() == QEvent::StyleChange)
        m_sliderPos = positionFromValue(value());
    return QWidget::event(event);
}

// ---- painting

void CSlider_VANTREL_KXE::paintStyled(QPainter& painter)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
}

void CSlider_VANTREL_KXE::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintStyled(painter);
}

// ---- mouse

void CSlider_VANTREL_KXE::resetState()
{
    if (m_repeat)
        m_repeat->stop();
    switch (m_state) {
    case Dragging:
        setValue(valueFromPosition(m_sliderPos));
        emit sliderReleased();
        break;
    case TimingUp:
    case TimingDown:
    case Idle:
        break;
    default:
        qCWarning(lcSlider, "CSlider: (%s) in wrong state",
                  objectName().isEmpty() ? "unnamed" : qPrintable(objectName()));
        break;
    }
    m_state = Idle;
}

void CSlider_VANTREL_KXE::mousePressEvent(QMouseEvent* event)
{
    resetState();
    m_pressValue = m_sliderVal;
    if (event->button() == Qt::RightButton) {
        event->ignore();
        return;
    }
    emit alternativeDisplayBegin();
    valueChange();
    const QPoint at = event->position().toPoint();
    const int position = along(at);
    if (sliderRect().contains(at)) {
        m_state = Dragging;
        m_clickOffset = position - m_sliderPos;
        emit sliderPressed();
    } else if (event->button() == Qt::LeftButton) {
        if (!isBoundControl()) {
            bool up = position > m_sliderPos;
            if (mirrored())
                up = !up;
            if (up)
                addStep();
            else
                subtractStep();
            m_state = up ? TimingUp : TimingDown;
            if (!m_repeat) {
                m_repeat = new QTimer(this);
                m_repeat->setSingleShot(true);
            }
            m_repeat->disconnect();
            connect(m_repeat, &QTimer::timeout, this, &CSlider_VANTREL_KXE::repeatTimeout);
            m_repeat->setSingleShot(true);
            m_repeat->start(kFirstRepeatMs);
        }
    } else if (event->button() == Qt::MiddleButton) {
        const int length = getSlideLength();
        moveSlider(position - length / 2);
        m_state = Dragging;
        m_clickOffset = length / 2;
    }
    event->accept();
    update();
}

void CSlider_VANTREL_KXE::repeatTimeout()
{
    if (!m_repeat)
        return;
    m_repeat->disconnect();
    if (m_state == TimingUp)
        connect(m_repeat, &QTimer::timeout, this, &CSlider_VANTREL_KXE::addStep);
    else if (m_state == TimingDown)
        connect(m_repeat, &QTimer::timeout, this, &CSlider_VANTREL_KXE::subtractStep);
    else
        return;
    m_repeat->setSingleShot(false);
    m_repeat->start(kRepeatMs);
}

void CSlider_VANTREL_KXE::mouseMoveEvent(QMouseEvent* event)
{
    if (m_state != Dragging) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    if (!isBoundControl()) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const int distance = style()->pixelMetric(QStyle::PM_MaximumDragDistance, &option, this);
        if (distance >= 0 && !rect().adjusted(-distance, -distance, distance, distance).contains(at)) {
            moveSlider(positionFromValue(m_pressValue));
            return;
        }
    }
    moveSlider(along(at) - m_clickOffset);
}

void CSlider_VANTREL_KXE::mouseReleaseEvent(QMouseEvent* event)
{
    resetState();
    emit alternativeDisplayEnd();
    update();
    event->accept();
}

// ---- wheel and keys

void CSlider_VANTREL_KXE::wheelEvent(QWheelEvent* event)
{
    if (!rect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    if (g_wheelOwner != this) {
        g_wheelOwner = this;
        g_wheelRemainder = 0;
    }
    const QPoint angle = event->angleDelta();
    const int64_t delta = angle.y() != 0 ? angle.y() : angle.x();
    const int64_t step = std::max(lineStep(), pageStep());
    const int64_t amount = m_horDir ? delta * step : -delta * step;
    // Parts of a notch add up until a whole step is reached.
    g_wheelRemainder += amount;
    const int64_t whole = g_wheelRemainder / kWheelNotch;
    g_wheelRemainder -= whole * kWheelNotch;
    event->accept();
    if (whole == 0)
        return;
    const int lo = minValue(), hi = maxValue();
    const int flipped = applyFlipedTransformation(value(), lo, hi);
    const int moved = int(std::clamp<int64_t>(int64_t(flipped) + whole, lo, hi));
    setValue(applyFlipedTransformation(moved, lo, hi));
    NS_BoundControl::focusEditorWindow(this);
}

void CSlider_VANTREL_KXE::keyPressEvent(QKeyEvent* event)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const bool sloppy = style()->styleHint(QStyle::SH_Slider_SloppyKeyEvents, &option, this);
    const bool horizontal = m_orientation == Qt::Horizontal;
    const State saved = m_state;
    m_state = Dragging;
    bool handled = true;
    switch (event->key()) {
    case Qt::Key_Home:
        setValue(m_horDir ? minValue() : maxValue());
        break;
    case Qt::Key_End:
        setValue(m_horDir ? maxValue() : minValue());
        break;
    case Qt::Key_Left:
        if (horizontal || sloppy)
            subtractLine();
        else
            handled = false;
        break;
    case Qt::Key_Right:
        if (horizontal || sloppy)
            addLine();
        else
            handled = false;
        break;
    case Qt::Key_Up:
        if (!horizontal || sloppy)
            addLine();
        else
            handled = false;
        break;
    case Qt::Key_Down:
        if (!horizontal || sloppy)
            subtractLine();
        else
            handled = false;
        break;
    case Qt::Key_PageUp:
        addPage();
        break;
    case Qt::Key_PageDown:
        subtractPage();
        break;
    default:
        handled = false;
        break;
    }
    m_state = saved;
    if (handled)
        event->accept();
    else
        event->ignore();
}
