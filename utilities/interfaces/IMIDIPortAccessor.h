#pragma once
// The MIDI ports of one side (the platform's, or the host's through a port bridge)
// by stable identifier and descriptor text "<number>;<name>", numbers from 1.
#include <QMap>
#include <QString>
#include <QUuid>

// One direction's ports: identifier -> descriptor text.
using TSystemMIDIMap = QMap<QUuid, QString>;

class IMIDIPortAccessor
{
public:
    // Persists what must persist and deletes the accessor.
    virtual void Release() = 0;
    // The first port, inputs searched before outputs, whose name part (after the
    // first ';') equals the name; null when none. The direction is not used.
    virtual QUuid portIdentity(const QString& name, bool output) = 0;
    // The descriptor of the port, inputs searched before outputs; "<unknown port name>".
    virtual QString portName(const QUuid& id) = 0;
    // false: inputs, true: outputs.
    virtual int numberOfPlugs(bool output) = 0;
    virtual const TSystemMIDIMap& plugs(bool output) = 0;

protected:
    // Destroyed by Release, never through this interface.
    ~IMIDIPortAccessor() = default;
};
