#pragma once
// The small yellow window that shows a fader's value beside it while it is used.
// Created, placed, shown and hidden by the fader. GUI thread.
#include "vantrel_kxe21_widgets_export.h"
#include <QLabel>

class VANTREL_WIDGETS_EXPORT CFaderTip : public QLabel
{
    Q_OBJECT
public:
    // A hidden, zero-size label on the control's parent, at the control's bottom left.
    explicit CFaderTip(QWidget* control);
    ~CFaderTip() override;

    // Sized to the text (its width + 2 by the font height + 2), then shown.
    void setTipText(const QString& text);
};
