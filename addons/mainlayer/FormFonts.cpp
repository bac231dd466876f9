#include "FormFonts.h"
#include <QWidget>

namespace NS_MixerForms {

namespace {
// Resolution the forms were laid out at: one point, one pixel.
constexpr qreal kFormDpi = 72.0;
} // namespace

void fontsInFormPixels(QWidget* root)
{
    if (!root)
        return;
    const qreal dpi = root->logicalDpiY();
    if (dpi <= 0)
        return;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        if (!widget->testAttribute(Qt::WA_SetFont))
            continue;
        QFont font = widget->font();
        if (font.pointSizeF() <= 0)
            continue;
        font.setPointSizeF(font.pointSizeF() * kFormDpi / dpi);
        widget->setFont(font);
    }
}

} // namespace NS_MixerForms
