#include "widgets/CDialTip.h"

#include <QFontMetrics>

namespace NS_ValueTip {

void prepare(QLabel* tip, QWidget* control)
{
    QPalette palette = tip->palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 60));
    palette.setColor(QPalette::WindowText, Qt::black);
    tip->setPalette(palette);
    tip->setAutoFillBackground(true);
    tip->setAlignment(Qt::AlignCenter);
    tip->setTextFormat(Qt::PlainText);
    if (control)
        tip->setGeometry(control->x(), control->y() + control->height(), 0, 0);
    tip->hide();
}

void setTipText(QLabel* tip, const QString& text)
{
    const QFontMetrics metrics(tip->font());
    tip->resize(metrics.horizontalAdvance(text) + 2, metrics.height() + 2);
    tip->setText(text);
}

} // namespace NS_ValueTip

CDialTip::CDialTip(QWidget* control)
    : QLabel(control ? control->parentWidget() : nullptr)
{
    NS_ValueTip::prepare(this, control);
}

CDialTip::~CDialTip() = default;

void CDialTip::setTipText(const QString& text)
{
    NS_ValueTip::setTipText(this, text);
}
