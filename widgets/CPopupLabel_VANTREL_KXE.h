#pragma once
// One cell of a popup selector's window: a flat button that shows one choice in its
// normal, hover or selected colours. GUI thread.
#include "vantrel_kxe21_widgets_export.h"
#include <QPalette>
#include <QPushButton>

class CPopupItem_VANTREL_KXE;
using CPopupItem = CPopupItem_VANTREL_KXE;

class VANTREL_WIDGETS_EXPORT CPopupLabel_VANTREL_KXE : public QPushButton
{
    Q_OBJECT
public:
    enum Look { Normal, Hover, Selected };

    CPopupLabel_VANTREL_KXE(const QString& text, int index, CPopupItem_VANTREL_KXE* window);

    int index() const { return m_index; }
    Look look() const { return m_current; }
    void setLook(Look look);
    // Hover colours, remembering the look they replace; popPalette gives it back.
    void pushPalette();
    void popPalette();
    QSize sizeHint() const override { return maximumSize(); }

public slots:
    void customPressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    const QPalette& paletteFor(Look look) const;

    QPalette m_normal, m_hover, m_selected;
    Look m_current = Normal;
    Look m_before = Normal;
    bool m_hasBefore = false;
    int m_index;
    CPopupItem_VANTREL_KXE* m_window;
};

using CPopupLabel = CPopupLabel_VANTREL_KXE;
