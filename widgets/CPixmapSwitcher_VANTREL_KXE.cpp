#include "widgets/CPixmapSwitcher_VANTREL_KXE.h"
#include "widgets/ControlTemplates.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {
// The narrowest tab, so that a strip with more frames than pixels still divides.
constexpr float kNarrowestTab = 0.1f;
} // namespace

CPixmapSwitcher_VANTREL_KXE::CPixmapSwitcher_VANTREL_KXE(QWidget* parent, const char* name)
    : QLabel(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setScaledContents(false);
}

int CPixmapSwitcher_VANTREL_KXE::frameHeight() const
{
    return m_combinedImage.height() / std::max(m_nSubImages, 1);
}

void CPixmapSwitcher_VANTREL_KXE::setCombinedImage(const QPixmap& image)
{
    m_combinedImage = image;
    showCurrentFrame();
    NS_Utilities::geometry_change(this);
}

void CPixmapSwitcher_VANTREL_KXE::setnSubImages(int frames)
{
    m_nSubImages = frames;
    showCurrentFrame();
    updateDimensions();
}

void CPixmapSwitcher_VANTREL_KXE::setnImageCategories(int categories)
{
    m_nImageCategories = categories;
    updateDimensions();
}

void CPixmapSwitcher_VANTREL_KXE::setUsesPalleteBitmap(bool uses)
{
    m_usesPalleteBitmap = uses;
    showCurrentFrame();
    updateDimensions();
}

void CPixmapSwitcher_VANTREL_KXE::setTabArea(const QRect& area) { m_tabArea = area; }
void CPixmapSwitcher_VANTREL_KXE::setTabbed(bool tabbed) { m_tabbed = tabbed; }

void CPixmapSwitcher_VANTREL_KXE::updateDimensions()
{
    if (m_combinedImage.isNull())
        return;
    const QSize whole = m_combinedImage.deviceIndependentSize().toSize();
    setFixedSize(whole.width() / std::max(m_nImageCategories, 1), whole.height() / std::max(m_nSubImages, 1));
}

void CPixmapSwitcher_VANTREL_KXE::setCurrentImage(int index)
{
    if (index < 0 || index >= m_nSubImages || index == m_current)
        return;
    m_current = index;
    if (m_usesPalleteBitmap)
        showCurrentFrame();
    else
        update();
    emit indexChanged(index);
}

void CPixmapSwitcher_VANTREL_KXE::showCurrentFrame()
{
    // The first frame is the current one from the start: without this the label would
    // stay empty until another frame had been chosen.
    if (!m_usesPalleteBitmap || m_current < 0 || m_current >= m_nSubImages)
        return;
    const int h = frameHeight();
    QPixmap frame = m_combinedImage.copy(0, h * m_current, m_combinedImage.width(), h);
    if (frame.isNull())
        return;
    frame.setDevicePixelRatio(m_combinedImage.devicePixelRatio());
    setPixmap(frame);
}

void CPixmapSwitcher_VANTREL_KXE::toggleImage()
{
    setCurrentImage(m_current + 1 >= m_nSubImages ? 0 : m_current + 1);
}

void CPixmapSwitcher_VANTREL_KXE::toggleVisible()
{
    setVisible(isHidden());
}

bool CPixmapSwitcher_VANTREL_KXE::event(QEvent* event)
{
    const bool handled = QLabel::event(event);
    if (event->type() == QEvent::Polish)
        updateDimensions();
    return handled;
}

void CPixmapSwitcher_VANTREL_KXE::paintEvent(QPaintEvent* event)
{
    if (m_usesPalleteBitmap || m_combinedImage.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    const int h = frameHeight();
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_combinedImage, QRect(0, h * m_current, m_combinedImage.width(), h));
}

void CPixmapSwitcher_VANTREL_KXE::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (m_tabbed && m_tabArea.contains(at, true)) {
        const float tabWidth = std::max(kNarrowestTab, float(m_tabArea.width()) / float(std::max(m_nSubImages, 1)));
        setCurrentImage(int(float(at.x() - m_tabArea.left()) / tabWidth));
    }
    QLabel::mousePressEvent(event);
}
