#include "widgets/CRadioButton_VANTREL_KXE.h"
#include "memapi/TMemSilentHelper.h"
#include "utilities/PixmapUtilities.h"
#include "widgets/TBoundControlSupport.h"

#include <QButtonGroup>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>

namespace {
constexpr int kStateOff = 0;
constexpr int kStateOn = 2;
constexpr int kBlockedRetryMs = 20;
constexpr int kBlockedRetryLongestMs = 320;
// Frames of the combined image.
constexpr int kOnFrame = 0;
constexpr int kOffFrame = 1;
constexpr int kPressedFrame = 2;
} // namespace

CRadioButton_VANTREL_KXE::CRadioButton_VANTREL_KXE(QWidget* parent, const char* name)
    : QRadioButton(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    // Exclusivity is the button group's business.
    setAutoExclusive(false);
    setFocusPolicy(Qt::NoFocus);
    m_defaultKind = 0;
    m_stateRetry = new NS_BoundControl::TBlockedSignalRetry(
        this,
        [this] {
            if (isChecked() == m_handledChecked)
                return;
            const bool writes = m_retryWrites;
            m_retryWrites = false;
            TMemSilentHelper quiet(m_silent, writes ? 1 : 0);
            handleStateChanged(isChecked() ? kStateOn : kStateOff);
        },
        kBlockedRetryMs, kBlockedRetryLongestMs);
    connect(this, &QAbstractButton::toggled, this,
            [this](bool on) { emit stateChanged(on ? kStateOn : kStateOff); });
    connect(this, &CRadioButton_VANTREL_KXE::stateChanged, this,
            &CRadioButton_VANTREL_KXE::handleStateChanged);
}

CRadioButton_VANTREL_KXE::~CRadioButton_VANTREL_KXE()
{
    // Unregistered first, while this is still a radio button: no observer call can reach a
    // half-destroyed control.
    disconnectMemAPI();
}

// ---- settings

void CRadioButton_VANTREL_KXE::setOffState(const QPixmap& picture)
{
    m_offState = picture;
    if (!picture.isNull())
        setFixedSize(picture.deviceIndependentSize().toSize());
    update();
}

void CRadioButton_VANTREL_KXE::setTrackingState(const QPixmap& picture)
{
    m_trackingState = picture;
    update();
}

void CRadioButton_VANTREL_KXE::setOnState(const QPixmap& picture)
{
    m_onState = picture;
    update();
}

void CRadioButton_VANTREL_KXE::setOnValue(int value) { m_onValue = value; }
void CRadioButton_VANTREL_KXE::setClickDelay(int ms) { m_clickDelay = ms; }

void CRadioButton_VANTREL_KXE::setCombinedImage(const QPixmap& image)
{
    m_combinedImage = image;
    update();
}

void CRadioButton_VANTREL_KXE::setnSubImages(int frames)
{
    m_nSubImages = frames;
    update();
}

// ---- binding

bool CRadioButton_VANTREL_KXE::setNamedAddress(const QString& text)
{
    return TMemProxy_VANTREL_KXE::setNamedAddress(text);
}

TMemProxy_VANTREL_KXE* CRadioButton_VANTREL_KXE::setUndoEnable(bool enable)
{
    return TMemProxy_VANTREL_KXE::setUndoEnable(enable);
}

TMemProxy_VANTREL_KXE* CRadioButton_VANTREL_KXE::setNumDefaultKind(int kind)
{
    return TMemProxy_VANTREL_KXE::setNumDefaultKind(kind);
}

void CRadioButton_VANTREL_KXE::connectMemAPI()
{
    NS_BoundControl::registerObserver(*this, true);
}

void CRadioButton_VANTREL_KXE::process(const uint8_t* rawData, int operation, uint32_t)
{
    if (!NS_BoundControl::bound(*this))
        return;
    if (NS_BoundControl::postIfOffGuiThread(*this))
        return;
    setWidgetShowState(this);
    const NS_BoundControl::TOperationValue v =
        NS_BoundControl::valueForOperation(*this, rawData, operation);
    if (v.copied)
        return;
    TMemSilentHelper quiet(m_silent, operation);
    applyValue(v.value);
}

void CRadioButton_VANTREL_KXE::applyValue(int value)
{
    if (value != m_onValue) {
        setFocusPolicy(Qt::NoFocus);
        return;
    }
    // Switching on runs handleStateChanged: a reset or a paste writes, a value read
    // from memory (silent) does not.
    if (!isChecked())
        setChecked(true);
    setFocusPolicy(Qt::StrongFocus);
}

void CRadioButton_VANTREL_KXE::handleStateChanged(int state)
{
    m_handledChecked = state == kStateOn;
    if (state == kStateOn) {
        NS_BoundControl::writeUserChange(*this, m_onValue);
        return;
    }
    if (!NS_BoundControl::bound(*this))
        return;
    // Switched off by the exclusive group for another button the user chose: that one
    // writes its value (its toggled() comes after this), so the memory is not read yet.
    if (QButtonGroup* buttons = group(); buttons && buttons->checkedButton() && buttons->checkedButton() != this) {
        setFocusPolicy(Qt::NoFocus);
        return;
    }
    // The value comes from memory: switching back on must not write it again.
    TMemSilentHelper quiet(m_silent, 0);
    applyValue(m_memAPI->MAPI_getIndParam(element(), param(), channel(), false, nullptr));
}

void CRadioButton_VANTREL_KXE::checkStateSet()
{
    QRadioButton::checkStateSet();
    noteBlockedStateChange();
}

void CRadioButton_VANTREL_KXE::nextCheckState()
{
    // A click changes the state without checkStateSet().
    QRadioButton::nextCheckState();
    noteBlockedStateChange();
}

void CRadioButton_VANTREL_KXE::noteBlockedStateChange()
{
    // With the signals blocked toggled() reaches nobody: handle it once they are not.
    if (signalsBlocked() && isChecked() != m_handledChecked) {
        if (m_silent == 0)
            m_retryWrites = true;
        m_stateRetry->schedule();
    }
}

// ---- input

bool CRadioButton_VANTREL_KXE::hitButton(const QPoint& pos) const
{
    // The pictures cover the whole widget.
    return rect().contains(pos);
}

void CRadioButton_VANTREL_KXE::mousePressEvent(QMouseEvent* event)
{
    if (m_clicked) {
        event->ignore();
        return;
    }
    m_clicked = true;
    QRadioButton::mousePressEvent(event);
    update();
}

void CRadioButton_VANTREL_KXE::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_trackingState.isNull()) {
        if (!m_clickTimer) {
            m_clickTimer = new QTimer(this);
            m_clickTimer->setSingleShot(true);
            connect(m_clickTimer, &QTimer::timeout, this, &CRadioButton_VANTREL_KXE::clickDelayDone);
        }
        m_clickTimer->start(m_clickDelay);
    } else {
        m_clicked = false;
    }
    if (rect().contains(event->position().toPoint())) {
        setFocusPolicy(Qt::StrongFocus);
        setFocus(Qt::MouseFocusReason);
    }
    QRadioButton::mouseReleaseEvent(event);
    update();
}

void CRadioButton_VANTREL_KXE::clickDelayDone()
{
    m_clicked = false;
    update();
}

void CRadioButton_VANTREL_KXE::focusInEvent(QFocusEvent* event)
{
    QRadioButton::focusInEvent(event);
    // Tabbing onto a button of the group chooses it.
    if (event->reason() != Qt::MouseFocusReason && !isChecked())
        setChecked(true);
}

void CRadioButton_VANTREL_KXE::focusOutEvent(QFocusEvent* event)
{
    m_clicked = false;
    QRadioButton::focusOutEvent(event);
}

// ---- drawing

void CRadioButton_VANTREL_KXE::paintEvent(QPaintEvent* event)
{
    QPixmap picture;
    if (!m_combinedImage.isNull() && m_nSubImages > 2) {
        const int frame = m_clicked ? kPressedFrame : isChecked() ? kOnFrame : kOffFrame;
        const QSize whole = m_combinedImage.size();
        const int frameHeight = whole.height() / m_nSubImages;
        picture = m_combinedImage.copy(0, frame * frameHeight, whole.width(), frameHeight);
        picture.setDevicePixelRatio(m_combinedImage.devicePixelRatio());
        if (!isEnabled()) {
            QPixmap grey = QPixmap::fromImage(NS_Utilities::applyGreyTransformation(picture));
            grey.setDevicePixelRatio(picture.devicePixelRatio());
            picture = grey;
        }
    } else if (m_clicked && !m_trackingState.isNull()) {
        picture = m_trackingState;
    } else {
        picture = isChecked() ? m_onState : m_offState;
    }
    if (picture.isNull()) {
        QRadioButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
