#include "widgets/CFaderTip.h"
#include "widgets/CDialTip.h"

CFaderTip::CFaderTip(QWidget* control)
    : QLabel(control ? control->parentWidget() : nullptr)
{
    NS_ValueTip::prepare(this, control);
}

CFaderTip::~CFaderTip() = default;

void CFaderTip::setTipText(const QString& text)
{
    NS_ValueTip::setTipText(this, text);
}
