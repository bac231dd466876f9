#pragma once
// A port bridge that keeps every message written to it.
#include "utilities/interfaces/TMIDIProxyInOut.h"
#include <QByteArray>
#include <QList>

class CapturePort : public TMIDIProxyInOut
{
public:
    int32_t read(int, const void*, bool, bool) override { return 0; }
    int32_t write(int length, const void* data) override
    {
        sent.append(QByteArray(static_cast<const char*>(data), length));
        return length;
    }
    QUuid portIdentity(int) override { return QUuid(); }
    int32_t selectPorts(const QUuid*, int) override { return 0; }
    void setReceiveChannelMessages(bool) override {}
    bool receiveChannelMessages() override { return true; }

    QList<QByteArray> sent;
};

inline QByteArray hexBytes(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}
