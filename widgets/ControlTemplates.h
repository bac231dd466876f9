#pragma once
// Small templates the controls share: the enclosing window of a class, a repaint
// after a new image, and deleting a private block through its pointer.
#include <QWidget>

// start, or the nearest of its parents that is also a T; null when there is none.
template <class T>
T* rootObjectOfClass(QWidget* start)
{
    for (QWidget* w = start; w; w = w->parentWidget()) {
        if (T* found = dynamic_cast<T*>(w))
            return found;
    }
    return nullptr;
}

// p set to null, then the object deleted; nothing for a null p.
template <class T>
void safe_delete1(T*& p)
{
    if (!p)
        return;
    T* doomed = p;
    p = nullptr;
    delete doomed;
}

namespace NS_Utilities {

// Repaints a visible widget after its image or geometry changed; false when there is
// no widget or it is hidden.
template <class W>
bool geometry_change(W* widget)
{
    if (!widget || !widget->isVisible())
        return false;
    widget->repaint();
    return true;
}

} // namespace NS_Utilities
