#pragma once
// Fakes of what the host component hands the memory-API object, and a fixture that
// builds the object from the shipped data folder.
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/model/SynthMemory.h"
#include "console/model/tests/TestPaths.h"
#include "genericeditor/interfaces/HostInterfaces.h"
#include "utilities/interfaces/IMIDIPortAccessor.h"
#include "utilities/interfaces/IPrefsQuery_VANTREL_KXE.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QList>
#include <QStringList>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QUuid>
#include <QVariant>
#include <atomic>
#include <cstring>
#include <tuple>

class FakePrefs : public IPrefsQuery_VANTREL_KXE
{
public:
    QVariant getProperty(int id) const override { return props.value(id, defaults.value(id)); }
    QUuid getGUID(bool) const override { return QUuid(); }
    bool propertyValueAvailable(int id, QVariant* out = nullptr) const override
    {
        if (out)
            *out = props.value(id);
        return props.contains(id);
    }
    int32_t setProperty(int id, const QVariant& value) override
    {
        props.insert(id, value);
        return 0;
    }
    int32_t getClientInfo(IMPClientInfo**) override { return int32_t(0x80000001); }
    int32_t writeToStream(QDataStream& stream) override
    {
        stream << props;
        return 0;
    }
    int32_t readFromStream(QDataStream& stream) override
    {
        QMap<int, QVariant> read;
        stream >> read;
        if (stream.status() != QDataStream::Ok)
            return int32_t(0x80000008);
        props = read;
        return 0;
    }
    int32_t writeUIPrefsToStream(QDataStream& stream) override
    {
        stream << uiState;
        return 0;
    }
    int32_t readUIPrefsFromStream(QDataStream& stream) override
    {
        QString read;
        stream >> read;
        if (stream.status() != QDataStream::Ok)
            return int32_t(0x80000008);
        uiState = read;
        return 0;
    }

    QMap<int, QVariant> props;
    QMap<int, QVariant> defaults;
    QString uiState;
};

// A port bridge that keeps what is written and lists a few ports of its own.
class FakeBridge : public TMIDIProxyInOut, public IMIDIPortAccessor
{
public:
    int32_t read(int, const void*, bool, bool) override { return 0; }
    int32_t write(int length, const void* data) override
    {
        QMutexLocker locker(&mutex);
        sent.append(QByteArray(static_cast<const char*>(data), length));
        ++writes;
        return 1; // taken, as the port bridge answers
    }
    QUuid portIdentity(int direction) override { return direction == 0 ? input : direction == 1 ? output : QUuid(); }
    int32_t selectPorts(const QUuid* ports, int pair) override
    {
        selected[0] = ports[0];
        selected[1] = ports[1];
        selectedPair = pair;
        ++selections;
        return 0;
    }
    void setReceiveChannelMessages(bool receive) override { channelMessages = receive; }
    bool receiveChannelMessages() override { return channelMessages; }

    void Release() override {}
    QUuid portIdentity(const QString&, bool) override { return QUuid(); }
    QString portName(const QUuid& id) override { return ins.value(id, outs.value(id, QStringLiteral("<unknown port name>"))); }
    int numberOfPlugs(bool out) override { return int((out ? outs : ins).size()); }
    const TSystemMIDIMap& plugs(bool out) override { return out ? outs : ins; }

    QList<QByteArray> messages()
    {
        QMutexLocker locker(&mutex);
        return sent;
    }
    void clear()
    {
        QMutexLocker locker(&mutex);
        sent.clear();
    }

    QMutex mutex;
    QList<QByteArray> sent;
    std::atomic<int> writes{0};
    QUuid input, output;
    QUuid selected[2];
    int selectedPair = -1;
    int selections = 0;
    bool channelMessages = false;
    TSystemMIDIMap ins, outs;
};

// The host's stream over a byte array; reads and writes can be made to fail.
class FakeStream : public IStream
{
public:
    int32_t QueryInterface(const Y_GUID&, void** object) override
    {
        if (object)
            *object = nullptr;
        return int32_t(0x80000004);
    }
    uint32_t AddRef() override { return 1; }
    uint32_t Release() override { return 1; }
    int32_t Read(void* buffer, uint32_t length, uint32_t* done) override
    {
        const qsizetype left = bytes.size() - position;
        const uint32_t n = uint32_t(std::min<qsizetype>(left, qsizetype(length)));
        std::memcpy(buffer, bytes.constData() + position, n);
        position += n;
        if (done)
            *done = n;
        return n < length ? readError : 0;
    }
    int32_t Write(const void* buffer, uint32_t length, uint32_t* done) override
    {
        if (writeLimit >= 0 && bytes.size() + qsizetype(length) > writeLimit) {
            if (done)
                *done = 0;
            return writeError;
        }
        bytes.append(static_cast<const char*>(buffer), qsizetype(length));
        if (done)
            *done = length;
        return 0;
    }

    QByteArray bytes;
    qsizetype position = 0;
    qsizetype writeLimit = -1;
    int32_t readError = int32_t(0x80030003);
    int32_t writeError = int32_t(0x80030070);
};

// Start-up failures are recorded instead of shown: a message box would wait for a click.
struct StartupFailures
{
    static QStringList& texts()
    {
        static QStringList list;
        return list;
    }
    static inline const bool installed = [] {
        CSynthMemory::setFailureReporter([](const QString&, const QString& text) { texts().append(text); });
        return true;
    }();
};

// The memory-API object of the shipped templates with the values of every
// MAPI_setIndParam call kept per address: the object drops a value that does not
// change without a trace, and a control that writes back what it read does just that.
class SetCallRecordingApi : public TovarIMemAPI
{
public:
    SetCallRecordingApi() : TovarIMemAPI(nullptr, Y_GUID(), false, shippedMultiTemplate(), shippedVoiceTemplate()) {}
    int32_t MAPI_setIndParam(short element, short parameter, short channel, int value, unsigned int flags,
                             EPostAction action) override
    {
        {
            QMutexLocker locker(&m_callsMutex);
            m_calls[{element, parameter, channel}].append(value);
        }
        return TovarIMemAPI::MAPI_setIndParam(element, parameter, channel, value, flags, action);
    }
    QList<int> setCalls(short element, short parameter, short channel) const
    {
        QMutexLocker locker(&m_callsMutex);
        return m_calls.value({element, parameter, channel});
    }
    void clearSetCalls()
    {
        QMutexLocker locker(&m_callsMutex);
        m_calls.clear();
    }

private:
    mutable QMutex m_callsMutex;
    QMap<std::tuple<short, short, short>, QList<int>> m_calls;
};

// Owns one memory-API object built from the shipped templates, or the one given.
struct ApiHandle
{
    ApiHandle()
        : api(new TovarIMemAPI(nullptr, Y_GUID(), false, shippedMultiTemplate(), shippedVoiceTemplate()))
    {
    }
    explicit ApiHandle(TovarIMemAPI* given) : api(given) {}
    ~ApiHandle()
    {
        if (api)
            api->Release();
        QCoreApplication::sendPostedEvents();
    }
    ApiHandle(const ApiHandle&) = delete;
    ApiHandle& operator=(const ApiHandle&) = delete;
    TovarIMemAPI* operator->() const { return api; }
    TovarIMemAPI* api;
};
