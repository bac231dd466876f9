#pragma once
// The memory-API object built from the shipped data folder with the simulated R5T
// surface on its second port pair: what the manager sends reaches the surface, and
// the surface's keys, faders and encoders come back through the memory API's MIDI
// input, as the pump thread hands them over. The instrument port keeps every message.
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "console/model/VoiceBanks.h"
#include "console/model/tests/TestPaths.h"
#include "console/remote/RemoteCtrlMng.h"
#include "simulator/SimulatedSurface.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

inline QString surfaceDataFolder()
{
    return sourceDir() + QStringLiteral("/data/VEXMOOR/TOVAR-VANTREL");
}

inline QByteArray hexBytes(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Start-up warnings are kept instead of shown: a message box would wait for a click.
struct SurfaceWarnings
{
    static QList<QPair<QString, QString>>& all()
    {
        static QList<QPair<QString, QString>> list;
        return list;
    }
    static void install()
    {
        CSynthMemory::setFailureReporter([](const QString& title, const QString& text) { all().append({title, text}); });
    }
};

class BytePort : public TMIDIProxyInOut
{
public:
    int32_t read(int, const void*, bool, bool) override { return 0; }
    int32_t write(int length, const void* data) override
    {
        const QByteArray bytes(static_cast<const char*>(data), length);
        sent.append(bytes);
        if (onWrite)
            onWrite(bytes);
        return 1;
    }
    QUuid portIdentity(int) override { return QUuid(); }
    int32_t selectPorts(const QUuid*, int) override { return 0; }
    void setReceiveChannelMessages(bool) override {}
    bool receiveChannelMessages() override { return true; }

    QList<QByteArray> sent;
    std::function<void(const QByteArray&)> onWrite;
};

class SurfaceRig
{
public:
    explicit SurfaceRig(bool plugIn = false)
        : api(new TovarIMemAPI(nullptr, Y_GUID(), false, shippedMultiTemplate(), shippedVoiceTemplate()))
    {
        SurfaceWarnings::install();
        CPrmCtrl* multi = map();
        multi->SetRemoteCtrlFlags(plugIn, true);
        // The template of the source tree, read again with the plug-in flag set.
        mng().InitSet(multi, 1, surfaceDataFolder());
        mng().m_pVoiceBanks = api->memory()->VoiceBanks();
        surfacePort.onWrite = [this](const QByteArray& b) {
            surface.input(reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()));
        };
        surface.setOutputSink([this](const uint8_t* bytes, size_t n) {
            api->MAPI_readMIDIFromPort(1, bytes, int(n), false, true);
        });
        api->MAPI_associate(&instrument, nullptr, 0, nullptr);
        api->MAPI_associate(&surfacePort, nullptr, 1, nullptr);
    }
    ~SurfaceRig()
    {
        surface.setOutputSink(nullptr);
        api->MAPI_associate(nullptr, nullptr, 1, nullptr);
        api->MAPI_associate(nullptr, nullptr, 0, nullptr);
        api->Release();
        QCoreApplication::sendPostedEvents();
    }
    SurfaceRig(const SurfaceRig&) = delete;
    SurfaceRig& operator=(const SurfaceRig&) = delete;

    CPrmCtrl* map() const { return api->memory()->MultiMap(); }
    CRemoteCtrlMng& mng() const { return map()->RemoteCtrl(); }
    TovarIMemAPIQObject_VANTREL_KXE* companion() const { return api->qself(); }
    // Runs the manager's 100 ms timer n times.
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            mng().TimerTick();
    }
    void clear()
    {
        instrument.sent.clear();
        surfacePort.sent.clear();
    }
    // The instrument's parameter-change messages since the last clear.
    QList<QByteArray> instrumentMessages() const { return instrument.sent; }
    // A parameter's MIDI byte in the editor's multi image.
    int value(int a0, int a1, int a2) const
    {
        const unsigned char a[3] = {(unsigned char)a0, (unsigned char)a1, (unsigned char)a2};
        unsigned char out[4] = {};
        return map()->GetData(0, a, out) > 0 ? out[0] : -1;
    }
    std::string upper() const { return surface.line(0); }
    std::string lower() const { return surface.line(1); }

    TovarIMemAPI* api;
    BytePort instrument;
    BytePort surfacePort;
    NS_Simulator::SimulatedSurface surface;
};
