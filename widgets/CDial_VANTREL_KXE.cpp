#include "widgets/CDial_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "memapi/MAPI_postObserverEvent.h"
#include "memapi/TMemSilentHelper.h"
#include "utilities/PixmapUtilities.h"
#include "utilities/ThreadUtilities.h"
#include "widgets/CDialTip.h"
#include "widgets/ControlTemplates.h"
#include "widgets/TBoundControlSupport.h"
#include "widgets/TCacheServer.h"

#include <QBitmap>
#include <QCache>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QRegion>
#include <QWheelEvent>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace {
// A placeholder range until the parameter's range is known.
constexpr int kPlaceholderMin = int(0xDEADBEAF);
constexpr int kPlaceholderMax = int(0x7EADBEEF);
constexpr double kSweep = 135.0; // degrees either side of straight up
constexpr int kWheelNotch = 120;
constexpr int kVerticalSpan = 128; // wider ranges scale the vertical drag
constexpr double kPi = 3.14159265358979323846;

bool g_verticalMode = false;

// The mask of a strip's first frame, keyed by the strip's pixmap and its division into
// frames. A window holds dozens of dials on one strip: the heuristic mask is the
// costliest part of making one, and it is the same for all of them. GUI thread only.
struct MaskKey
{
    qint64 strip;
    int columns;
    int rows;
    bool operator==(const MaskKey& other) const
    {
        return strip == other.strip && columns == other.columns && rows == other.rows;
    }
};

size_t qHash(const MaskKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.strip, key.columns, key.rows);
}

// A few strips are in use at a time; old ones drop out first.
constexpr int kMaskCacheEntries = 32;

QCache<MaskKey, QRegion>& maskCache()
{
    static QCache<MaskKey, QRegion> cache(kMaskCacheEntries);
    return cache;
}
} // namespace

struct CDial_VANTREL_KXE::CDial_PD
{
    int imageCategory = -1;
    int tableId = 0;
    bool altAddressMode = false;
    bool displayRefreshPending = false;
    bool fxValueTransform = false;
    bool pressPending = false;
    bool disableAutoHide = false;
    int imageCategories = 1;
    bool dragging = false;
    bool inverted = false;
    bool transparent = false;
    bool numberToolTip = false;
    int subImages = 1;
    int disabledImageIndex = -1;
    // Drag geometry: centre (global), angle limits and angle (radians), last point,
    // pointer tip.
    double cx = 0, cy = 0, minAngle = 0, maxAngle = 0, angle = 0, lx = 0, ly = 0, tx = 0, ty = 0;
    QPoint verticalStart;
    int wheelRemainder = 0;
    CDialTip* tip = nullptr;
    QPixmap combinedImage;
    QColor focusColor;
    std::atomic<int> forcedDisplay{0};
    QPixmap face;
    bool faceValid = false;
    NS_BoundControl::TBlockedSignalRetry* retry = nullptr;
    // A value has been shown (or its showing scheduled) since the dial was connected.
    bool valueShown = false;
};

CDial_VANTREL_KXE::CDial_VANTREL_KXE(QWidget* parent, const char* name)
    : QWidget(parent), TRangeControl_VANTREL_KXE(kPlaceholderMin, kPlaceholderMax, 1, 10, kPlaceholderMin),
      d(new CDial_PD)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setFocusPolicy(Qt::WheelFocus);
    d->retry = new NS_BoundControl::TBlockedSignalRetry(this, [this] { emitValueChanges(false); }, 0, 800);
}

CDial_VANTREL_KXE::~CDial_VANTREL_KXE()
{
    // Unregistered first, while this is still a dial: no observer call can reach a
    // half-destroyed control.
    disconnectMemAPI();
    delete d->tip;
    d->tip = nullptr;
    safe_delete1(d);
}

bool CDial_VANTREL_KXE::verticalMode() { return g_verticalMode; }
void CDial_VANTREL_KXE::setVerticalMode(bool on) { g_verticalMode = on; }

QPixmap CDial_VANTREL_KXE::combinedImage() const { return d->combinedImage; }
int CDial_VANTREL_KXE::tableId() const { return d->tableId; }
int CDial_VANTREL_KXE::nSubImages() const { return d->subImages; }
int CDial_VANTREL_KXE::nImageCategories() const { return d->imageCategories; }
bool CDial_VANTREL_KXE::disableAutoHide() { return d->disableAutoHide; }
QColor CDial_VANTREL_KXE::focusColor() const { return d->focusColor; }
bool CDial_VANTREL_KXE::numberToolTip() const { return d->tip != nullptr; }
int CDial_VANTREL_KXE::disabledImageIndex() const { return d->disabledImageIndex; }
bool CDial_VANTREL_KXE::transparent() const { return d->transparent; }
bool CDial_VANTREL_KXE::inverted() const { return d->inverted; }
bool CDial_VANTREL_KXE::altAddressModeOn() const { return d->altAddressMode; }
int CDial_VANTREL_KXE::currentImage() const { return d->imageCategory; }

// ---- settings

void CDial_VANTREL_KXE::setValue(int value)
{
    TRangeControl_VANTREL_KXE::setValue(value);
}

void CDial_VANTREL_KXE::setInverted(bool on)
{
    if (d->inverted == on)
        return;
    d->inverted = on;
    invalidateFace();
}

void CDial_VANTREL_KXE::setCombinedImage(const QPixmap& image)
{
    d->combinedImage = image;
    applyFrameSize();
    invalidateFace();
    NS_Utilities::geometry_change(this);
    updateMask();
}

void CDial_VANTREL_KXE::setTableId(int id) { d->tableId = id; }

void CDial_VANTREL_KXE::setnSubImages(int n)
{
    d->subImages = n;
    applyFrameSize();
    invalidateFace();
    NS_Utilities::geometry_change(this);
    updateMask();
}

void CDial_VANTREL_KXE::setnImageCategories(int n)
{
    // Three bits in the design: 0 .. 7 categories.
    d->imageCategories = std::clamp(n, 0, 7);
    applyFrameSize();
    invalidateFace();
    NS_Utilities::geometry_change(this);
}

void CDial_VANTREL_KXE::setFocusColor(const QColor& color)
{
    if (d->focusColor == color)
        return;
    d->focusColor = color;
    invalidateFace();
}

void CDial_VANTREL_KXE::setNumberToolTip(bool on)
{
    d->numberToolTip = on;
    if (on && !d->tip) {
        d->tip = new CDialTip(this);
        d->tip->setTipText(NS_BoundControl::displayString(*this, d->tableId, value()));
        d->tip->hide();
    } else if (!on) {
        delete d->tip;
        d->tip = nullptr;
    }
}

void CDial_VANTREL_KXE::changeAltAddressMode(bool on)
{
    if (on == d->altAddressMode)
        return;
    d->displayRefreshPending = true;
    d->altAddressMode = on;
}

void CDial_VANTREL_KXE::setDisableAutoHide(bool on) { d->disableAutoHide = on; }

void CDial_VANTREL_KXE::setdisabledImageIndex(int index)
{
    d->disabledImageIndex = index;
    invalidateFace();
}

void CDial_VANTREL_KXE::setTransparent(bool on)
{
    d->transparent = on;
    updateMask();
}

void CDial_VANTREL_KXE::setfxValueTransform(bool on) { d->fxValueTransform = on; }

void CDial_VANTREL_KXE::setCurrentImage(int category)
{
    if (category < 0 || category >= d->imageCategories)
        return;
    d->imageCategory = category;
    invalidateFace();
    update();
}

bool CDial_VANTREL_KXE::setNamedAddress(const QString& text)
{
    return TMemProxy_VANTREL_KXE::setNamedAddress(text);
}

TMemProxy_VANTREL_KXE* CDial_VANTREL_KXE::setUndoEnable(bool enable)
{
    return TMemProxy_VANTREL_KXE::setUndoEnable(enable);
}

TMemProxy_VANTREL_KXE* CDial_VANTREL_KXE::setNumDefaultKind(int kind)
{
    return TMemProxy_VANTREL_KXE::setNumDefaultKind(kind);
}

// ---- frames and painting

QSize CDial_VANTREL_KXE::frameSize() const
{
    if (d->combinedImage.isNull() || d->subImages < 1 || d->imageCategories < 1)
        return QSize();
    const QSize whole = d->combinedImage.deviceIndependentSize().toSize();
    return QSize(whole.width() / d->imageCategories, whole.height() / d->subImages);
}

QPixmap CDial_VANTREL_KXE::frame(int category, int row) const
{
    if (d->combinedImage.isNull() || d->subImages < 1 || d->imageCategories < 1)
        return QPixmap();
    const int w = d->combinedImage.width() / d->imageCategories;
    const int h = d->combinedImage.height() / d->subImages;
    QPixmap cell = d->combinedImage.copy(std::max(category, 0) * w, row * h, w, h);
    cell.setDevicePixelRatio(d->combinedImage.devicePixelRatio());
    return cell;
}

void CDial_VANTREL_KXE::applyFrameSize()
{
    if (!testAttribute(Qt::WA_WState_Polished))
        return;
    const QSize size = frameSize();
    if (size.isValid() && !size.isEmpty())
        setFixedSize(size);
    if (d->imageCategories == 1)
        d->imageCategory = 0;
}

int CDial_VANTREL_KXE::currentIndex() const
{
    const int disabledRow = d->disabledImageIndex >= 0 ? 1 : 0;
    const int n = d->subImages - disabledRow;
    // Frame counts come from forms and images: no rows, no index.
    if (n <= 0)
        return 0;
    int i = 0;
    const int64_t range = span();
    if (range > 0) {
        const float perRow = float(range) / float(n);
        const float at = float(int64_t(value()) - int64_t(minValue())) / perRow;
        i = std::isfinite(at) ? int(std::clamp(at, 0.0f, float(n - 1))) : 0;
    }
    const int first = d->disabledImageIndex == 0 ? 1 : 0;
    return d->inverted ? first + (n - 1 - i) : first + i;
}

int CDial_VANTREL_KXE::getAttKnobIndex(int v) const
{
    const int lo = minValue(), hi = maxValue();
    if (v < -300) {
        const float unit = float(-300 - int64_t(lo)) * 0.0625f;
        return unit > 0 ? int(float(int64_t(v) - lo) / unit) : 0;
    }
    if (v == -300)
        return 15;
    if (v < 0)
        return int(float(int64_t(v) - lo - 660) / 30.0f + 15.0f);
    if (v == 0)
        return 24;
    if (v >= hi)
        return 30;
    const int sixth = hi / 6;
    return sixth > 0 ? int(float(v) / float(sixth) + 24.0f) : 24;
}

void CDial_VANTREL_KXE::paintFace(QPainter& painter)
{
    const QSize grid(d->imageCategories, d->subImages);
    const int category = std::max(d->imageCategory, 0);
    if (!isEnabled() && d->disabledImageIndex >= 0) {
        NS_Utilities::drawPartialPixmap(painter, QPoint(category, d->disabledImageIndex), d->combinedImage, grid);
        return;
    }
    const int row = currentIndex();
    if (row < 0 || row >= d->subImages || d->combinedImage.isNull())
        return;
    if (!isEnabled()) {
        painter.drawImage(QPointF(0, 0), NS_Utilities::applyGreyTransformation(frame(category, row)));
    } else if (d->focusColor.isValid() && hasFocus()) {
        painter.drawImage(QPointF(0, 0), NS_Utilities::applyFocusHilite(d->focusColor, frame(category, row)));
    } else {
        NS_Utilities::drawPartialPixmap(painter, QPoint(category, row), d->combinedImage, grid);
    }
}

void CDial_VANTREL_KXE::invalidateFace()
{
    d->faceValid = false;
    update();
}

void CDial_VANTREL_KXE::updateErasePixmap()
{
    if (!testAttribute(Qt::WA_WState_Polished))
        return;
    QString caption;
    QString key;
    if (TCacheServer::FindCacheServer(parentWidget(), &caption) && !caption.isEmpty()) {
        // Everything the face depends on is in the key, so dials of one window never
        // get a face drawn for another dial's image, state or focus colour.
        key = caption + QStringLiteral("vantrel_kxe21-CDial-%1").arg(currentIndex())
              + QStringLiteral("-%1-%2-%3-%4-%5x%6-%7")
                    .arg(d->combinedImage.cacheKey())
                    .arg(std::max(d->imageCategory, 0))
                    .arg(isEnabled() ? 1 : 0)
                    .arg(hasFocus() && d->focusColor.isValid() ? d->focusColor.rgba() : 0u)
                    .arg(width())
                    .arg(height())
                    .arg(d->disabledImageIndex);
        if (QPixmapCache::find(key, &d->face)) {
            d->faceValid = true;
            return;
        }
    }
    const qreal ratio = devicePixelRatioF();
    QPixmap face(size() * ratio);
    face.setDevicePixelRatio(ratio);
    face.fill(Qt::transparent);
    {
        QPainter painter(&face);
        paintFace(painter);
    }
    d->face = face;
    d->faceValid = true;
    if (!key.isEmpty() && d->subImages >= 1 && d->imageCategories >= 1)
        QPixmapCache::insert(key, face);
}

void CDial_VANTREL_KXE::updateMask()
{
    const QSize size = frameSize();
    if (!d->transparent || !size.isValid() || size.isEmpty()) {
        clearMask();
        return;
    }
    const MaskKey key{d->combinedImage.cacheKey(), d->imageCategories, d->subImages};
    if (const QRegion* known = maskCache().object(key)) {
        setMask(*known);
        return;
    }
    QPixmap top = frame(0, 0);
    if (top.devicePixelRatio() != 1.0)
        top = top.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    auto* mask = new QRegion(top.createHeuristicMask(true));
    setMask(*mask);
    maskCache().insert(key, mask);
}

QSize CDial_VANTREL_KXE::sizeHint() const
{
    if (d->combinedImage.isNull())
        return QSize(40, 30);
    return d->combinedImage.deviceIndependentSize().toSize();
}

void CDial_VANTREL_KXE::paintEvent(QPaintEvent*)
{
    if (!d->faceValid)
        updateErasePixmap();
    QPainter painter(this);
    if (d->faceValid)
        painter.drawPixmap(0, 0, d->face);
    else
        paintFace(painter);
}

bool CDial_VANTREL_KXE::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Polish) {
        applyFrameSize();
        updateMask();
        invalidateFace();
    } else if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) {
        // Activation does not change the knob's look.
    }
    return handled;
}

void CDial_VANTREL_KXE::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    invalidateFace();
}

void CDial_VANTREL_KXE::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        invalidateFace();
    QWidget::changeEvent(event);
}

void CDial_VANTREL_KXE::focusInEvent(QFocusEvent* event)
{
    invalidateFace();
    QWidget::focusInEvent(event);
}

void CDial_VANTREL_KXE::focusOutEvent(QFocusEvent* event)
{
    invalidateFace();
    QWidget::focusOutEvent(event);
}

void CDial_VANTREL_KXE::enterEvent(QEnterEvent* event)
{
    if (d->tip) {
        d->tip->show();
        d->tip->raise();
    }
    QWidget::enterEvent(event);
}

void CDial_VANTREL_KXE::leaveEvent(QEvent* event)
{
    if (d->tip)
        d->tip->hide();
    QWidget::leaveEvent(event);
}

void CDial_VANTREL_KXE::showEvent(QShowEvent* event)
{
    ++m_silent;
    emitValueChanges(true);
    --m_silent;
    QWidget::showEvent(event);
}

// ---- value changes

void CDial_VANTREL_KXE::rangeChange()
{
    invalidateFace();
}

void CDial_VANTREL_KXE::valueChange()
{
    if (!NS_Utilities::mainThreadRunning())
        return;
    emitValueChanges(true);
    invalidateFace();
    emit valueChanged(value());
}

int CDial_VANTREL_KXE::changeMemApiValue()
{
    if (!NS_BoundControl::bound(*this))
        return value();
    NS_BoundControl::writeUserChange(*this, value());
    return m_memAPI->MAPI_getIndParam(element(), param(), channel(), false, nullptr);
}

void CDial_VANTREL_KXE::emitValueChanges(bool userChange)
{
    if (!NS_BoundControl::bound(*this))
        return;
    d->valueShown = true;
    int v = value();
    if (m_silent == 0 && userChange)
        v = changeMemApiValue();
    if (signalsBlocked()) {
        // Retried once the signals are unblocked, from a timer.
        d->retry->schedule();
        return;
    }
    emit memoryAPIValueChange(v);
    int64_t shown = v;
    if (d->tableId >= 0 && minValue() < 0)
        shown -= minValue();
    shown = std::clamp<int64_t>(shown, INT32_MIN, INT32_MAX);
    QString text;
    QPixmap picture;
    if (d->altAddressMode) {
        text = value() != minValue() ? QStringLiteral("ON") : QStringLiteral("OFF");
    } else {
        const int flag = d->tableId == -3 && maxValue() == 5 ? 1 : 0;
        text = NS_BoundControl::displayString(*this, d->tableId, int(shown), &picture, flag, element(), param());
    }
    if (!picture.isNull()) {
        emit pixmapValueChange(picture);
    } else {
        emit textualValueChange(text);
        if (d->tip)
            d->tip->setTipText(text);
    }
    emit altAddressMode(value() == minValue());
    invalidateFace();
}

void CDial_VANTREL_KXE::handle_changeAltNamedValue(int)
{
    emitValueChanges(false);
    update();
}

void CDial_VANTREL_KXE::acceptNum(double number)
{
    if (!NS_BoundControl::bound(*this))
        return;
    const int v = int(m_memAPI->MAPI_getIndFloatParam(d->tableId, float(number), 0));
    if (isUndoEnable())
        m_memAPI->MAPI_save4undo(this);
    setValue(v);
}

// ---- binding

void CDial_VANTREL_KXE::connectMemAPI()
{
    if (!NS_BoundControl::bound(*this))
        return;
    ++m_silent;
    d->valueShown = false;
    NS_BoundControl::registerObserver(*this, false);
    process(nullptr, 0, 0);
    --m_silent;
}

void CDial_VANTREL_KXE::disconnectMemAPI()
{
    TMemProxy_VANTREL_KXE::disconnectMemAPI();
}

void CDial_VANTREL_KXE::process(const uint8_t* rawData, int operation, uint32_t extra)
{
    if (!NS_BoundControl::bound(*this))
        return;
    if (!NS_Utilities::mainThreadRunning()) {
        if (extra == 1 && operation == 0)
            d->forcedDisplay.fetch_add(1);
        MAPI_postObserverEvent(m_memAPI, this);
        return;
    }
    setWidgetShowState(this);
    const NS_BoundControl::TRangeReading range = NS_BoundControl::readRange(*this);
    ++m_silent;
    setRange(range.minimum, range.maximum);
    --m_silent;
    const NS_BoundControl::TOperationValue v = NS_BoundControl::valueForOperation(*this, rawData, operation);
    TMemSilentHelper silent(m_silent, operation);
    if (v.value == value() && (d->displayRefreshPending || d->fxValueTransform)) {
        d->displayRefreshPending = false;
        valueChange();
    } else {
        setValue(v.value);
    }
    const int forced = d->forcedDisplay.exchange(0);
    // A first value equal to the one held (a range set by the form clamps it to the
    // minimum) runs no value change: its text is shown all the same.
    if (extra == 1 || forced > 0 || !d->valueShown)
        emitValueChanges(false);
}

// ---- steps

void CDial_VANTREL_KXE::frequencyStep(int64_t step)
{
    if (!m_memAPI)
        return;
    const int64_t f = m_memAPI->MAPI_frequency(nullptr);
    const int64_t tenths = f * 10;
    // The rate comes from the memory API: none, no step.
    if (tenths == 0)
        return;
    const int64_t v = value();
    const int64_t next = ((v * 10000 / tenths + 50) / 100 + step) * (f * 1000) / 10000;
    setValue(int(std::clamp<int64_t>(next, minValue(), maxValue())));
}

void CDial_VANTREL_KXE::addLine()
{
    if (d->tableId == kFrequencyTable)
        frequencyStep(lineStep());
    else
        TRangeControl_VANTREL_KXE::addLine();
}

void CDial_VANTREL_KXE::subtractLine()
{
    if (d->tableId == kFrequencyTable)
        frequencyStep(-int64_t(lineStep()));
    else
        TRangeControl_VANTREL_KXE::subtractLine();
}

void CDial_VANTREL_KXE::addPage()
{
    if (d->tableId == kFrequencyTable)
        frequencyStep(pageStep());
    else
        TRangeControl_VANTREL_KXE::addPage();
}

void CDial_VANTREL_KXE::subtractPage()
{
    if (d->tableId == kFrequencyTable)
        frequencyStep(-int64_t(pageStep()));
    else
        TRangeControl_VANTREL_KXE::subtractPage();
}

// ---- angles

double CDial_VANTREL_KXE::Degree(double radians) { return radians * 180.0 / kPi; }
double CDial_VANTREL_KXE::Radian(double degrees) { return degrees * kPi / 180.0; }
double CDial_VANTREL_KXE::CnvAngle(double angle) { return kPi / 2 - angle; }

double CDial_VANTREL_KXE::CalcVectorAngle(double ax, double ay, double bx, double by)
{
    double delta = std::fabs(std::atan2(ay, ax) - std::atan2(by, bx));
    if (delta >= kPi)
        delta = 2 * kPi - delta;
    return delta;
}

bool CDial_VANTREL_KXE::CalcIntersection(double x1, double y1, double x2, double y2, double x3, double y3,
                                         double x4, double y4, double* cx, double* cy)
{
    const double dx = x2 - x1;
    if (((x3 - x1) * (y1 - y2) + (y3 - y1) * dx) * ((y1 - y2) * (x4 - x1) + (y4 - y1) * dx) > 1e-6)
        return false;
    const double p = (y1 - y3) * (x4 - x3) + (x1 - x3) * (y3 - y4);
    const double q = (x4 - x3) * (y2 - y3) + (y3 - y4) * (x2 - x3);
    if (p * q > 1e-6 || p == q)
        return false;
    const double t = p / (p - q);
    if (cx)
        *cx = x1 + dx * t;
    if (cy)
        *cy = y1 + (y2 - y1) * t;
    return true;
}

bool CDial_VANTREL_KXE::CalcAngle(double x, double y, double* angle) const
{
    if (x == d->cx && y == d->cy)
        return false;
    if (angle)
        *angle = kPi / 2 - std::atan2(-(y - d->cy), x - d->cx);
    return true;
}

double CDial_VANTREL_KXE::GetAngle() const
{
    return Degree(d->angle);
}

int CDial_VANTREL_KXE::valueForAngle(double degrees) const
{
    const double v = double(minValue()) + std::trunc(double(span()) * (degrees + kSweep) / (2 * kSweep) + 0.5);
    return bound(int(std::clamp(v, double(INT32_MIN), double(INT32_MAX))));
}

double CDial_VANTREL_KXE::angleForValue(int v) const
{
    const int64_t range = span();
    if (range <= 0)
        return -kSweep;
    return double(int64_t(v) - minValue()) * (2 * kSweep) / double(range) - kSweep;
}

// ---- mouse, wheel, keys

void CDial_VANTREL_KXE::mousePressEvent(QMouseEvent* event)
{
    if (d->pressPending || event->button() != Qt::LeftButton
        || (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
        event->ignore();
        return;
    }
    d->pressPending = true;
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    d->cx = topLeft.x() + width() / 2;
    d->cy = topLeft.y() + height() / 2;
    d->minAngle = Radian(-kSweep);
    d->maxAngle = Radian(kSweep);
    d->angle = Radian(angleForValue(value()));
    const QPointF global = event->globalPosition();
    d->lx = global.x();
    d->ly = global.y();
    d->tx = d->cx + std::sin(d->angle);
    d->ty = d->cy - std::cos(d->angle);
    emit dialPressed();
    event->accept();
}

void CDial_VANTREL_KXE::circularStep(const QPointF& m)
{
    const double kx = d->cx, ky = d->cy, lx = d->lx, ly = d->ly, tx = d->tx, ty = d->ty;
    const double mx = m.x(), my = m.y();
    const double s1 = (my - ly) * (kx - lx) - (ky - ly) * (mx - lx);
    const double s2 = (my - ty) * (kx - tx) - (ky - ty) * (mx - tx);
    const double delta = CalcVectorAngle(lx - kx, ly - ky, mx - kx, my - ky);
    if (s1 * s2 >= 0) {
        d->lx = mx;
        d->ly = my;
        // A turn of more than 135 degrees in one move is a jump, not a drag.
        if (delta <= 3 * kPi / 4) {
            d->angle = std::clamp(d->angle + (s1 >= 0 ? -delta : delta), d->minAngle, d->maxAngle);
            d->tx = kx + std::sin(d->angle);
            d->ty = ky - std::cos(d->angle);
        }
    } else {
        // The path crossed the pointer's line: the angle stays; the last point moves
        // to where the path crosses the line beyond the limit, if it does.
        const double limit = s1 >= 0 ? d->minAngle : d->maxAngle;
        const double phi = kPi / 2 - (kPi + limit);
        const double fx = kx + 999.9 * std::cos(phi);
        const double fy = ky - 999.9 * std::sin(phi);
        double cx = 0, cy = 0;
        if (CalcIntersection(kx, ky, fx, fy, lx, ly, mx, my, &cx, &cy)) {
            d->lx = cx;
            d->ly = cy;
        } else {
            d->lx = mx;
            d->ly = my;
        }
    }
    setValue(valueForAngle(Degree(d->angle)));
}

void CDial_VANTREL_KXE::verticalStep(const QPoint& mouse)
{
    int64_t step = int64_t(d->verticalStart.y() - mouse.y()) + (mouse.x() - d->verticalStart.x());
    const int64_t range = span();
    if (range > kVerticalSpan)
        step = step * range / kVerticalSpan;
    d->verticalStart = mouse;
    setValue(boundSum(value(), step));
}

void CDial_VANTREL_KXE::mouseMoveEvent(QMouseEvent* event)
{
    const bool leftHeld = event->buttons() & Qt::LeftButton;
    if (d->pressPending) {
        d->pressPending = false;
        d->dragging = leftHeld;
        if (g_verticalMode) {
            d->verticalStart = event->position().toPoint();
            setValue(value());
            emit dialMoved(value());
            return;
        }
    }
    if (!d->dragging || !leftHeld) {
        event->ignore();
        return;
    }
    if (g_verticalMode)
        verticalStep(event->position().toPoint());
    else
        circularStep(event->globalPosition());
    emit dialMoved(value());
}

void CDial_VANTREL_KXE::mouseReleaseEvent(QMouseEvent* event)
{
    if (d->pressPending) {
        d->pressPending = false;
        emit dialReleased();
        return;
    }
    if (event->button() == Qt::LeftButton && d->dragging) {
        d->dragging = false;
        emit dialReleased();
        return;
    }
    event->ignore();
}

void CDial_VANTREL_KXE::wheelEvent(QWheelEvent* event)
{
    if (!rect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    const QPoint angle = event->angleDelta();
    // Fine-grained wheels send parts of a notch: they add up to whole steps.
    d->wheelRemainder += angle.y() != 0 ? angle.y() : angle.x();
    const int steps = d->wheelRemainder / kWheelNotch;
    d->wheelRemainder -= steps * kWheelNotch;
    if (steps != 0)
        setValue(boundSum(value(), steps));
    event->accept();
    NS_BoundControl::focusEditorWindow(this);
}

void CDial_VANTREL_KXE::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        subtractLine();
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        addLine();
        break;
    case Qt::Key_PageUp:
        addPage();
        break;
    case Qt::Key_PageDown:
        subtractPage();
        break;
    case Qt::Key_Home:
        setValue(minValue());
        break;
    case Qt::Key_End:
        setValue(maxValue());
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
