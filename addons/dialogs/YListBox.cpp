#include "YListBox.h"
#include <QKeyEvent>

YListBox::YListBox(QWidget* parent, const char* name, Qt::WindowFlags flags) : QListWidget(parent)
{
    if (name)
        setObjectName(QLatin1String(name));
    if (flags)
        setWindowFlags(flags);
}

void YListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QListWidget::keyPressEvent(event);
}
