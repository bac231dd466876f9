#pragma once
// Gives each of a view's parts its server channel: the first object the first channel,
// each later one the channel `step` further. With no list, the parts are the view's
// descendants that inherit `className`, in creation order. Binding a part binds every
// control inside it and makes the relative part code of its named addresses stand for
// that channel. GUI thread.
#include "memapi/IMemAPI.h"
#include <QList>
#include <QObject>

template <class Window>
void EX_postInitializeHelper(Window* window, IMemAPI* api, const char* className,
                             int16_t firstChannel, int step, const QObjectList* list)
{
    if (!api || !window)
        return;
    QObjectList found;
    if (!list) {
        const QObjectList descendants = window->template findChildren<QObject*>();
        for (QObject* object : descendants) {
            if (object->inherits(className))
                found.append(object);
        }
        list = &found;
    }
    int channel = firstChannel;
    for (QObject* object : *list) {
        api->MAPI_assignServer(object, channel);
        channel += step;
    }
}
