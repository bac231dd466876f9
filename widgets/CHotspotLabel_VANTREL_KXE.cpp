#include "widgets/CHotspotLabel_VANTREL_KXE.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {
constexpr ButtonState kShift = 0x100;
constexpr ButtonState kControl = 0x200;
constexpr ButtonState kAlt = 0x400;
} // namespace

CHotspotLabel_VANTREL_KXE::CHotspotLabel_VANTREL_KXE(QWidget* parent, const char* name)
    : CLabelDisplay_VANTREL_KXE(parent, name)
{
}

ButtonState CHotspotLabel_VANTREL_KXE::modifierWord(Qt::KeyboardModifiers modifiers)
{
    ButtonState state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= kShift;
    if (modifiers & Qt::ControlModifier)
        state |= kControl;
    if (modifiers & Qt::AltModifier)
        state |= kAlt;
    return state;
}

void CHotspotLabel_VANTREL_KXE::setHotSpot(const QRect& area)
{
    m_hotSpot = area;
}

void CHotspotLabel_VANTREL_KXE::setHotButtons(Qt::MouseButtons buttons)
{
    m_hotButtons = buttons;
}

void CHotspotLabel_VANTREL_KXE::mousePressEvent(QMouseEvent* event)
{
    // The border of the hot spot is outside it.
    if ((m_hotButtons & event->button()) && m_hotSpot.contains(event->position().toPoint(), true))
        emit hotspotClicked();
}

void CHotspotLabel_VANTREL_KXE::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_hotSpot.contains(event->position().toPoint(), true)) {
        emit hotspotDoubleClicked();
        emit hotspotDoubleClicked(modifierWord(event->modifiers()));
    }
}

void CHotspotLabel_VANTREL_KXE::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (focusColor().isValid() && hasFocus() && (key == Qt::Key_Space || key == Qt::Key_Return)) {
        emit hotspotClicked();
        return;
    }
    event->ignore();
}
