#include "widgets/CPopupLabel_VANTREL_KXE.h"
#include "widgets/CPopupItem_VANTREL_KXE.h"

#include <QPainter>

CPopupLabel_VANTREL_KXE::CPopupLabel_VANTREL_KXE(const QString& text, int index,
                                                 CPopupItem_VANTREL_KXE* window)
    : QPushButton(text, window), m_index(index), m_window(window)
{
    setFocusPolicy(Qt::NoFocus);
    ensurePolished();
    m_normal = palette();
    m_hover = m_normal;
    m_hover.setColor(QPalette::Active, QPalette::Button, m_normal.color(QPalette::Highlight));
    m_hover.setColor(QPalette::Active, QPalette::ButtonText,
                     m_normal.color(QPalette::HighlightedText));
    m_selected = m_normal;
    m_selected.setColor(QPalette::Active, QPalette::Button,
                        m_normal.color(QPalette::Highlight).darker(200));
    m_selected.setColor(QPalette::Active, QPalette::ButtonText,
                        m_normal.color(QPalette::BrightText));
    connect(this, &QPushButton::clicked, this, &CPopupLabel_VANTREL_KXE::customPressed);
}

const QPalette& CPopupLabel_VANTREL_KXE::paletteFor(Look look) const
{
    switch (look) {
    case Hover:
        return m_hover;
    case Selected:
        return m_selected;
    case Normal:
        break;
    }
    return m_normal;
}

void CPopupLabel_VANTREL_KXE::setLook(Look look)
{
    if (m_current == look)
        return;
    m_current = look;
    update();
}

void CPopupLabel_VANTREL_KXE::pushPalette()
{
    m_before = m_current;
    m_hasBefore = true;
    setLook(Hover);
}

void CPopupLabel_VANTREL_KXE::popPalette()
{
    if (!m_hasBefore)
        return;
    m_hasBefore = false;
    setLook(m_before);
}

void CPopupLabel_VANTREL_KXE::customPressed()
{
    if (m_window)
        m_window->customClose(this, true);
}

void CPopupLabel_VANTREL_KXE::paintEvent(QPaintEvent*)
{
    // A flat cell: its button colour and its text, no frame.
    const QPalette& pal = paletteFor(m_current);
    QPainter painter(this);
    painter.fillRect(rect(), pal.color(QPalette::Active, QPalette::Button));
    painter.setPen(pal.color(QPalette::Active, QPalette::ButtonText));
    painter.setFont(font());
    painter.drawText(rect(), int(Qt::AlignLeft | Qt::AlignVCenter), text());
}

void CPopupLabel_VANTREL_KXE::enterEvent(QEnterEvent* event)
{
    if (m_window)
        m_window->highlight(m_index);
    QPushButton::enterEvent(event);
}
