#pragma once
// A label display with one clickable rectangle, the hot spot: a press inside it with
// one of the chosen mouse buttons, a double click inside it, or Space or Return while
// it has the focus raise signals. GUI thread.
#include "widgets/CLabelDisplay_VANTREL_KXE.h"

#include <QRect>

// Mouse buttons and modifier keys as one word: buttons in the low bits (left 0x1,
// right 0x2, middle 0x4), Shift 0x100, Control 0x200, Alt 0x400, the bits of
// NS_Utilities::modifierState().
using ButtonState = int;

class VANTREL_WIDGETS_EXPORT CHotspotLabel_VANTREL_KXE : public CLabelDisplay_VANTREL_KXE
{
    Q_OBJECT
    Q_PROPERTY(QRect hotSpot READ hotSpot WRITE setHotSpot)
    Q_PROPERTY(Qt::MouseButtons hotButtons READ hotButtons WRITE setHotButtons)
public:
    explicit CHotspotLabel_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);

    QRect hotSpot() const { return m_hotSpot; }
    Qt::MouseButtons hotButtons() const { return m_hotButtons; }
    // The modifier keys of an event as a button-state word.
    static ButtonState modifierWord(Qt::KeyboardModifiers modifiers);

public slots:
    void setHotSpot(const QRect& area);
    void setHotButtons(Qt::MouseButtons buttons);

signals:
    void hotspotClicked();
    void hotspotDoubleClicked();
    // The modifier keys held at the double click (the button itself is not in it).
    void hotspotDoubleClicked(ButtonState state);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect m_hotSpot;
    Qt::MouseButtons m_hotButtons = Qt::LeftButton;
};

using CHotspotLabel = CHotspotLabel_VANTREL_KXE;
