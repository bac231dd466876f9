#pragma once
// The small yellow window that shows a dial's value beside it while it is used.
// Created, placed, shown and hidden by the dial. GUI thread.
#include "vantrel_kxe21_widgets_export.h"
#include <QLabel>

class VANTREL_WIDGETS_EXPORT CDialTip : public QLabel
{
    Q_OBJECT
public:
    // A hidden, zero-size label on the control's parent, at the control's bottom left.
    explicit CDialTip(QWidget* control);
    ~CDialTip() override;

    // Sized to the text (its width + 2 by the font height + 2), then shown.
    void setTipText(const QString& text);
};

namespace NS_ValueTip {
// Shared set-up of both value tips.
VANTREL_WIDGETS_EXPORT void prepare(QLabel* tip, QWidget* control);
VANTREL_WIDGETS_EXPORT void setTipText(QLabel* tip, const QString& text);
} // namespace NS_ValueTip
