#pragma once
// One complete system-exclusive message, F0 to F7.
#include <QByteArray>

struct TMIDIEvent
{
    QByteArray data;
};
