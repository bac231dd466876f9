#include "widgets/COnOffButton_VANTREL_KXE.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "memapi/TMemSilentHelper.h"
#include "memapi/TParamInfo.h"
#include "utilities/PixmapUtilities.h"
#include "utilities/ThreadUtilities.h"
#include "widgets/TBoundControlSupport.h"
#include "widgets/TCacheServer.h"

#include <QDataStream>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

namespace {
constexpr int kStateOff = 0;
constexpr int kStateOn = 2;
// How long the pressed look stays after a release.
constexpr int kClickDelayMs = 100;
// How soon a state change made while the signals were blocked is looked at again.
constexpr int kBlockedRetryMs = 20;
constexpr int kBlockedRetryLongestMs = 320;
} // namespace

COnOffButton_VANTREL_KXE::COnOffButton_VANTREL_KXE(QWidget* parent, const char* name)
    : QPushButton(parent), m_images(new COnOffButton_PD_VANTREL_KXE)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    m_images->m_name = objectName();
    setCheckable(true);
    m_defaultKind = 0;
    m_stateRetry = new NS_BoundControl::TBlockedSignalRetry(
        this, [this] { retryBlockedStateChange(); }, kBlockedRetryMs, kBlockedRetryLongestMs);
    connect(this, &QAbstractButton::toggled, this,
            [this](bool on) { emit stateChanged(on ? kStateOn : kStateOff); });
    connect(this, &COnOffButton_VANTREL_KXE::stateChanged, this,
            &COnOffButton_VANTREL_KXE::handleStateChanged);
}

COnOffButton_VANTREL_KXE::~COnOffButton_VANTREL_KXE()
{
    // Unregistered first, while this is still a button: no observer call can reach a
    // half-destroyed control.
    disconnectMemAPI();
    // A block registered with an image cache belongs to the cache.
    if (!m_shared)
        delete m_images;
}

// ---- binding

void COnOffButton_VANTREL_KXE::connectMemAPI()
{
    // Only a binding that the memory API applied registers; silent stays as it is.
    if (m_connected)
        NS_BoundControl::registerObserver(*this, false);
}

void COnOffButton_VANTREL_KXE::disconnectMemAPI()
{
    TMemProxy_VANTREL_KXE::disconnectMemAPI();
}

bool COnOffButton_VANTREL_KXE::setNamedAddress(const QString& text)
{
    return TMemProxy_VANTREL_KXE::setNamedAddress(text);
}

TMemProxy_VANTREL_KXE* COnOffButton_VANTREL_KXE::setUndoEnable(bool enable)
{
    return TMemProxy_VANTREL_KXE::setUndoEnable(enable);
}

TMemProxy_VANTREL_KXE* COnOffButton_VANTREL_KXE::setNumDefaultKind(int kind)
{
    return TMemProxy_VANTREL_KXE::setNumDefaultKind(kind);
}

TMemProxy_VANTREL_KXE* COnOffButton_VANTREL_KXE::setDisabledUI(bool disabled)
{
    TMemProxy_VANTREL_KXE::setDisabledUI(disabled);
    updateErasePixmap();
    update();
    return this;
}

void COnOffButton_VANTREL_KXE::setSelectionObject(CSimpleNotifier* notifier)
{
    m_selection = notifier;
}

int COnOffButton_VANTREL_KXE::currentValue() const
{
    if (m_selection)
        return m_selection->getValue();
    if (m_memAPI && memAPIReady())
        return m_memAPI->MAPI_getIndParam(element(), param(), channel(), false, nullptr);
    return 0;
}

void COnOffButton_VANTREL_KXE::process(const uint8_t* rawData, int operation, uint32_t flags)
{
    // A button that mirrors a selection object needs no address of its own.
    if (!m_memAPI || (!memAPIReady() && !m_selection))
        return;
    if (NS_BoundControl::postIfOffGuiThread(*this))
        return;
    if (operation >= 4)
        return;
    if (memAPIReady())
        setWidgetShowState(this);
    int value = 0;
    if (operation == -1) {
        value = int(flags);
    } else if (m_selection) {
        value = m_selection->getValue();
        if (operation == 3) {
            TParamInfoWriter_VANTREL_KXE(*this, value, NS_BoundControl::streamOf(rawData));
            return;
        }
        if (operation == 1 || operation == 2)
            value = NS_BoundControl::valueForOperation(*this, rawData, operation, false).value;
    } else {
        const NS_BoundControl::TOperationValue v =
            NS_BoundControl::valueForOperation(*this, rawData, operation, false);
        if (operation == 3)
            return;
        value = v.value;
    }
    bool on = value == onValue();
    if (m_invertedLogic)
        on = !on;
    TMemSilentHelper quiet(m_silent, operation);
    if (isChecked() != on) {
        m_reload = true;
        setChecked(on);
    }
    if (flags != 0 || m_look.isNull()) {
        updateErasePixmap();
        update();
    }
}

void COnOffButton_VANTREL_KXE::setNonBoolValue(int value)
{
    process(nullptr, -1, uint32_t(value));
}

void COnOffButton_VANTREL_KXE::handleStateChanged(int state)
{
    if (!NS_Utilities::mainThreadRunning())
        return;
    m_handledChecked = state == kStateOn;
    int value = state == kStateOn ? onValue() : 0;
    if (m_invertedLogic)
        value = value == onValue() ? 0 : onValue();
    if (m_memAPI && m_silent == 0) {
        const bool selectorSwitchedOff = m_boolClipValue != 0 && !m_hasOffState && state != kStateOn;
        // A selector cannot be switched off: nothing to write, only the look.
        if (!selectorSwitchedOff && !NS_BoundControl::writeUserChange(*this, value) && m_selection)
            m_selection->setValue(value);
    }
    m_reload = true;
    updateErasePixmap();
    update();
}

void COnOffButton_VANTREL_KXE::disconnectAutomaticObserver()
{
    m_autoObserver = false;
    disconnect(this, &COnOffButton_VANTREL_KXE::stateChanged, this,
               &COnOffButton_VANTREL_KXE::handleStateChanged);
}

void COnOffButton_VANTREL_KXE::checkStateSet()
{
    QPushButton::checkStateSet();
    noteBlockedStateChange();
}

void COnOffButton_VANTREL_KXE::nextCheckState()
{
    // A click changes the state without checkStateSet().
    QPushButton::nextCheckState();
    noteBlockedStateChange();
}

void COnOffButton_VANTREL_KXE::noteBlockedStateChange()
{
    // With the signals blocked, toggled() never reaches handleStateChanged: look again
    // from a short timer once they are unblocked. A change read from memory stays silent.
    if (m_autoObserver && signalsBlocked() && isChecked() != m_handledChecked) {
        if (m_silent == 0)
            m_retryWrites = true;
        m_stateRetry->schedule();
    }
}

bool COnOffButton_VANTREL_KXE::stateChangePending() const
{
    return m_stateRetry->pending();
}

void COnOffButton_VANTREL_KXE::retryBlockedStateChange()
{
    const bool writes = m_retryWrites;
    m_retryWrites = false;
    if (isChecked() == m_handledChecked)
        return;
    if (writes) {
        handleStateChanged(isChecked() ? kStateOn : kStateOff);
    } else {
        TMemSilentHelper quiet(m_silent, 0);
        handleStateChanged(isChecked() ? kStateOn : kStateOff);
    }
}

// ---- settings

void COnOffButton_VANTREL_KXE::setInvertedLogic(bool inverted)
{
    m_invertedLogic = inverted;
}

void COnOffButton_VANTREL_KXE::setBoolClipValue(int clip)
{
    m_boolClipValue = clip;
}

void COnOffButton_VANTREL_KXE::setHasOffState(bool has)
{
    m_hasOffState = has;
}

void COnOffButton_VANTREL_KXE::setOnStateTrigger(const TOnOffStateTrigger trigger)
{
    m_onTrigger = trigger;
}

void COnOffButton_VANTREL_KXE::setOffStateTrigger(const TOnOffStateTrigger trigger)
{
    m_offTrigger = trigger;
}

void COnOffButton_VANTREL_KXE::setimagesSwapped(bool swapped)
{
    if (m_imagesSwapped == swapped)
        return;
    m_imagesSwapped = swapped;
    m_reload = true;
    update();
}

void COnOffButton_VANTREL_KXE::setDisableAutoHide(bool disable)
{
    m_disableAutoHide = disable;
}

void COnOffButton_VANTREL_KXE::setFocusColor(const QColor& color)
{
    m_focusColor = color;
    setFocusPolicy(Qt::StrongFocus);
    m_reload = true;
    update();
}

void COnOffButton_VANTREL_KXE::setPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    m_reload = true;
    update();
}

void COnOffButton_VANTREL_KXE::setCombinedImage(const QPixmap& image)
{
    m_images->combinedImage = image;
    m_reload = true;
    update();
}

void COnOffButton_VANTREL_KXE::setnSubImages(int rows)
{
    m_images->subImages = std::clamp(rows, 0, 255);
    m_reload = true;
    update();
}

void COnOffButton_VANTREL_KXE::setnImageCategories(int columns)
{
    m_images->imageCategories = std::clamp(columns, 0, 255);
    m_reload = true;
    update();
}

void COnOffButton_VANTREL_KXE::setHasDisableImage(bool has)
{
    m_images->hasDisableImage = has;
    m_reload = true;
    update();
}

void COnOffButton_VANTREL_KXE::setUseTrackingImage(bool use)
{
    m_images->useTrackingImage = use;
    m_reload = true;
    update();
}

void COnOffButton_VANTREL_KXE::setCurrentImage(int category)
{
    if (category < 0 || category >= m_images->imageCategories)
        return;
    m_category = short(category);
    reloadImage();
    updateErasePixmap();
    update();
}

void COnOffButton_VANTREL_KXE::setClicked(bool clicked)
{
    m_reload = true;
    m_clicked = clicked;
}

// ---- images

void COnOffButton_VANTREL_KXE::reloadImage()
{
    COnOffButton_PD_VANTREL_KXE& pd = *m_images;
    // A shared block was cut by the button that registered it first.
    const bool cut = pd.subImages > 0 && pd.m_refCount <= 1 && !pd.combinedImage.isNull();
    if (cut) {
        // Divisors from a form: a category or row count of 0 counts as 1.
        const int columns = std::max(pd.imageCategories, 1);
        const int rows = pd.subImages;
        const QPixmap& whole = pd.combinedImage;
        const qreal ratio = whole.devicePixelRatio();
        const QSize frame(whole.width() / columns, whole.height() / rows);
        if (frame.isEmpty())
            return;
        QSize size = frame;
        if (!m_pixmap.isNull())
            size = size.expandedTo(m_pixmap.size() * (ratio / m_pixmap.devicePixelRatio()));
        const QPoint offset((size.width() - frame.width()) / 2, (size.height() - frame.height()) / 2);
        const int column = std::min<int>(m_category, columns - 1);
        // Cut in device pixels into a pixmap of ratio 1, which gets the image's ratio
        // afterwards: every rectangle is given on both sides, since a source drawn
        // at a point would be drawn at its logical size, a half-size frame at 2x.
        auto cutRow = [&](int row) {
            QPixmap out(size);
            out.fill(Qt::transparent);
            QPainter painter(&out);
            if (!m_pixmap.isNull())
                painter.drawPixmap(QRect(QPoint(0, 0), size), m_pixmap);
            painter.drawPixmap(QRect(offset, frame), whole,
                               QRect(column * frame.width(), row * frame.height(), frame.width(),
                                     frame.height()));
            painter.end();
            out.setDevicePixelRatio(ratio);
            return out;
        };
        pd.row0 = cutRow(0);
        pd.row1 = rows > 1 ? cutRow(1) : pd.row0;
        pd.pressed = rows >= 3 ? cutRow(2) : QPixmap();
        pd.disabled = pd.hasDisableImage || rows == 4 ? cutRow(rows - 1) : pd.row0;
        pd.frameSize = (QSizeF(size) / ratio).toSize();
        if (pd.imageCategories < 2)
            pd.combinedImage = QPixmap();
    }
    if (pd.frameSize.isValid() && !pd.frameSize.isEmpty())
        setFixedSize(pd.frameSize);
}

QPixmap COnOffButton_VANTREL_KXE::staticPixmap() const
{
    const COnOffButton_PD_VANTREL_KXE& pd = *m_images;
    const QPixmap& onImage = m_imagesSwapped ? pd.row1 : pd.row0;
    const QPixmap& offImage = m_imagesSwapped ? pd.row0 : pd.row1;
    if (!m_clicked && blinkingMode() && m_memAPI) {
        bool lit = false;
        m_memAPI->MAPI_blinkingTimer(&lit, nullptr);
        return lit ? onImage : offImage;
    }
    if (!isEnabled() && !pd.disabled.isNull())
        return pd.disabled;
    if (m_clicked && pd.useTrackingImage)
        return pd.pressed.isNull() ? onImage : pd.pressed;
    return isChecked() ? onImage : offImage;
}

void COnOffButton_VANTREL_KXE::updateErasePixmap()
{
    if (m_reload)
        reloadImage();
    m_reload = false;
    if (!hasImages()) {
        m_look = QPixmap();
        return;
    }
    const QPixmap shown = staticPixmap();
    if (m_focusColor.isValid() && hasFocus())
        m_look = QPixmap::fromImage(NS_Utilities::applyFocusHilite(m_focusColor, shown));
    else if (isEnabled() || !m_images->disabled.isNull())
        m_look = shown;
    else
        m_look = QPixmap::fromImage(NS_Utilities::applyGreyTransformation(
            isChecked() != m_imagesSwapped ? m_images->row0 : m_images->row1));
}

void COnOffButton_VANTREL_KXE::updateErasePixmapSlot()
{
    updateErasePixmap();
    update();
}

void COnOffButton_VANTREL_KXE::polish()
{
    // Forms name their widgets after construction: the name is the one held now.
    if (!m_shared && m_images->m_refCount == 0 && m_images->m_name.isEmpty())
        m_images->m_name = objectName();
    if (!m_shared && m_images->m_refCount == 0 && !m_images->m_name.isEmpty()
        && m_images->imageCategories == 1) {
        if (TCacheServer* server = TCacheServer::FindCacheServer(parentWidget(), nullptr)) {
            auto* used = static_cast<COnOffButton_PD_VANTREL_KXE*>(
                server->insert(m_images->m_name, m_images));
            if (used) {
                m_images = used;
                m_shared = true;
            }
        } else {
            m_images->m_name.clear();
        }
    }
    m_reload = true;
    updateErasePixmap();
}

bool COnOffButton_VANTREL_KXE::event(QEvent* event)
{
    if (event->type() == QEvent::Polish)
        polish();
    return QPushButton::event(event);
}

void COnOffButton_VANTREL_KXE::paintEvent(QPaintEvent* event)
{
    if (m_reload || (m_focusColor.isValid() && hasImages()))
        updateErasePixmap();
    if (m_look.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_look);
}

// ---- input

bool COnOffButton_VANTREL_KXE::triggersOnPush() const
{
    return isChecked() ? m_offTrigger == buttonPush : m_onTrigger == buttonPush;
}

bool COnOffButton_VANTREL_KXE::hitButton(const QPoint& pos) const
{
    // A selector that only switches on cannot be clicked off.
    if (m_boolClipValue != 0 && !m_hasOffState && m_memAPI && currentValue() == onValue())
        return false;
    return QPushButton::hitButton(pos);
}

void COnOffButton_VANTREL_KXE::mousePressEvent(QMouseEvent* event)
{
    if (m_disabledUI || m_clicked || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setClicked(true);
    m_pushFinished = triggersOnPush();
    if (m_pushFinished) {
        // The state changes on the press: press and release at once.
        clickDelayDone();
        QPushButton::mousePressEvent(event);
        QMouseEvent release(QEvent::MouseButtonRelease, event->position(), event->globalPosition(),
                            Qt::LeftButton, Qt::NoButton, event->modifiers());
        QPushButton::mouseReleaseEvent(&release);
        return;
    }
    QPushButton::mousePressEvent(event);
    updateErasePixmap();
    update();
}

void COnOffButton_VANTREL_KXE::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_clicked) {
        // Without images there is no pressed look to hold.
        const bool pressedLook = !m_disabledUI && hasImages();
        if (!pressedLook || m_pushFinished)
            clickDelayDone();
        else
            QTimer::singleShot(kClickDelayMs, this, &COnOffButton_VANTREL_KXE::clickDelayDone);
    }
    QPushButton::mouseReleaseEvent(event);
}

void COnOffButton_VANTREL_KXE::clickDelayDone()
{
    setClicked(false);
    updateErasePixmap();
    update();
}

void COnOffButton_VANTREL_KXE::keyPressEvent(QKeyEvent* event)
{
    if (m_focusColor.isValid()) {
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            toggle();
            return;
        default:
            break;
        }
    }
    QPushButton::keyPressEvent(event);
}

void COnOffButton_VANTREL_KXE::focusInEvent(QFocusEvent* event)
{
    QPushButton::focusInEvent(event);
    if (m_focusColor.isValid())
        updateErasePixmapSlot();
}

void COnOffButton_VANTREL_KXE::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    if (m_focusColor.isValid())
        updateErasePixmapSlot();
}

void COnOffButton_VANTREL_KXE::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateErasePixmapSlot();
}
