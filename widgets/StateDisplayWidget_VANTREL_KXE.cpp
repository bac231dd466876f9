#include "widgets/StateDisplayWidget_VANTREL_KXE.h"
#include "utilities/PixmapUtilities.h"
#include "utilities/ThreadUtilities.h"
#include "widgets/TBoundControlSupport.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

StateDisplayWidget_VANTREL_KXE::StateDisplayWidget_VANTREL_KXE(QWidget* parent, const char* name)
    : QFrame(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setFocusPolicy(Qt::ClickFocus);
    m_defaultKind = 0;
    m_undoEnable = false;
}

StateDisplayWidget_VANTREL_KXE::~StateDisplayWidget_VANTREL_KXE()
{
    // Unregistered first, while this is still a display: no observer call can reach a
    // half-destroyed control.
    disconnectMemAPI();
}

int StateDisplayWidget_VANTREL_KXE::pixmapId(int value) const
{
    const int frame = d.booleanLogic ? (value == d.cmpValue ? 1 : 0) : std::max(value, 0);
    return std::min(frame, std::max(int(d.nSubImages), 1) - 1);
}

void StateDisplayWidget_VANTREL_KXE::setBooleanLogic(bool on)
{
    d.booleanLogic = on;
    updateErasePixmap();
    update();
}

void StateDisplayWidget_VANTREL_KXE::setCmpValue(int value)
{
    d.cmpValue = value;
    updateErasePixmap();
    update();
}

void StateDisplayWidget_VANTREL_KXE::setCombinedImage(const QPixmap& image)
{
    d.combinedImage = image;
    updateErasePixmap();
    update();
}

void StateDisplayWidget_VANTREL_KXE::setnSubImages(int frames)
{
    d.nSubImages = static_cast<unsigned char>(std::clamp(frames, 0, 255));
    updateErasePixmap();
    update();
}

void StateDisplayWidget_VANTREL_KXE::setValue(int value)
{
    if (!NS_Utilities::mainThreadRunning() || value == d.value)
        return;
    d.value = value;
    updateErasePixmap();
    update();
}

// ---- binding

bool StateDisplayWidget_VANTREL_KXE::setNamedAddress(const QString& text)
{
    return TMemProxy_VANTREL_KXE::setNamedAddress(text);
}

TMemProxy_VANTREL_KXE* StateDisplayWidget_VANTREL_KXE::setUndoEnable(bool enable)
{
    return TMemProxy_VANTREL_KXE::setUndoEnable(enable);
}

TMemProxy_VANTREL_KXE* StateDisplayWidget_VANTREL_KXE::setNumDefaultKind(int kind)
{
    return TMemProxy_VANTREL_KXE::setNumDefaultKind(kind);
}

void StateDisplayWidget_VANTREL_KXE::connectMemAPI()
{
    ++m_silent;
    if (NS_BoundControl::registerObserver(*this, false))
        process(nullptr, 0, 0);
    --m_silent;
}

void StateDisplayWidget_VANTREL_KXE::process(const uint8_t*, int operation, uint32_t)
{
    // A display: copy, paste and the defaults do not concern it.
    if (operation != 0 || !NS_BoundControl::bound(*this))
        return;
    if (NS_BoundControl::postIfOffGuiThread(*this))
        return;
    setWidgetShowState(this);
    setValue(m_memAPI->MAPI_getIndParam(element(), param(), channel(), false, nullptr));
}

void StateDisplayWidget_VANTREL_KXE::setValueFromData(int value)
{
    if (!NS_BoundControl::bound(*this))
        return;
    m_memAPI->MAPI_setIndParam(element(), param(), channel(), value, m_memAPI->MAPI_dirtyAllFlags(nullptr),
                               IMemAPI::PostSetDirtyFlags);
}

// ---- drawing and input

void StateDisplayWidget_VANTREL_KXE::updateErasePixmap()
{
    if (d.combinedImage.isNull() || d.nSubImages == 0) {
        m_look = QPixmap();
        return;
    }
    const QPixmap& whole = d.combinedImage;
    const int frameHeight = whole.height() / d.nSubImages;
    if (frameHeight <= 0) {
        m_look = QPixmap();
        return;
    }
    m_look = whole.copy(0, pixmapId(d.value) * frameHeight, whole.width(), frameHeight);
    m_look.setDevicePixelRatio(whole.devicePixelRatio());
}

bool StateDisplayWidget_VANTREL_KXE::event(QEvent* event)
{
    if (event->type() == QEvent::Polish && d.nSubImages != 0 && !d.combinedImage.isNull()) {
        const QSize whole = d.combinedImage.deviceIndependentSize().toSize();
        setFixedSize(whole.width(), whole.height() / d.nSubImages);
        updateErasePixmap();
    }
    return QFrame::event(event);
}

void StateDisplayWidget_VANTREL_KXE::paintEvent(QPaintEvent* event)
{
    if (m_look.isNull()) {
        QFrame::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_look);
}

void StateDisplayWidget_VANTREL_KXE::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        d.pressed = true;
    QFrame::mousePressEvent(event);
}

void StateDisplayWidget_VANTREL_KXE::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && d.pressed) {
        d.pressed = false;
        emit clicked(channel() + m_channelOffset);
    }
    QFrame::mouseReleaseEvent(event);
}
