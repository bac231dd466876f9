#include "WidgetUtilities.h"
#include "ThreadUtilities.h"
#include "platform/PlatformModifiers.h"
#include <QApplication>
#include <QWidget>

namespace NS_Utilities {

int modifierState()
{
    const uint32_t keys = NS_Platform::PlatformModifiers::current();
    int state = 0;
    if (keys & NS_Platform::PlatformModifiers::Shift)
        state |= 0x100;
    if (keys & NS_Platform::PlatformModifiers::Control)
        state |= 0x200;
    if (keys & NS_Platform::PlatformModifiers::Option)
        state |= 0x400;
    return state;
}

bool cancelPopupWidgets()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return true;
    if (mainThreadRunning()) {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }
    return QApplication::activePopupWidget() == nullptr;
}

int numberOfWidgets(QWidget* widget)
{
    if (widget)
        return int(widget->findChildren<QWidget*>().size()) + 1;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return 0;
    return int(QApplication::allWidgets().size());
}

QWidget* checkForSystemLimit(QWidget* widget, const char* name, bool flag)
{
    Q_UNUSED(name);
    Q_UNUSED(flag);
    return widget;
}

} // namespace NS_Utilities
