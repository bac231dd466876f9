#pragma once
// The memory-API object wired to the simulated instrument: what the object writes
// goes to the instrument, what the instrument sends comes back through
// MAPI_readMIDIFromPort on the GUI thread while the test pumps. Also a client-services
// fake and a scripted prompter for the commands' windows and questions.
#include "MemApiTestSupport.h"
#include "console/memapi/RecallLogic.h"
#include "console/model/BlkAdrs.h"
#include "console/model/EditorBlk.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "simulator/SimulatedInstrument.h"
#include "utilities/DocuPrompter.h"
#include "utilities/interfaces/IClientServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QUuid>
#include <QWidget>
#include <atomic>
#include <deque>
#include <functional>
#include <vector>

namespace CommandsTest {

using Bytes = std::vector<uint8_t>;
using NS_Simulator::SimulatedInstrument;

class FakeServices : public IClientServices
{
public:
    int32_t CS_mainWidget(QWidget** w) override { if (w) *w = nullptr; return 0; }
    int32_t CS_modulePath(IUnknown*, QString&) override { return 0; }
    int32_t CS_iUnk(const QUuid&, IUnknown**) override { return int32_t(0x80000008); }
    int32_t CS_isEditorOpened(const QUuid& module, int index, QWidget** w) override
    {
        if (!w)
            return int32_t(0x80000008);
        *w = nullptr;
        for (const auto& o : open)
            if (o.first == module && o.second.first == index)
                *w = o.second.second;
        return 0;
    }
    int32_t CS_reparent(QWidget*, QWidget*, const QPoint&, bool) override { return 0; }
    int32_t CS_openEditor(const QUuid& module, int index, QWidget** w, const QRect*, bool) override
    {
        opened.append({module, index});
        if (w)
            *w = nullptr;
        if (onOpen)
            onOpen(module, index);
        return 0;
    }
    int32_t CS_closeEditor(QWidget* w) override
    {
        closed.append(w);
        return 0;
    }
    int32_t CS_reopenDefaultEditors(bool) override { return 0; }
    int32_t CS_menuObject(const QString&, QMenu**) override { return 0; }
    int32_t CS_menuObjectFromID(int, QMenu**) override { return 0; }
    int32_t CS_activeWindow(QWidget**) override { return 0; }
    int32_t CS_updatePortInformation() override { return 0; }
    int32_t CS_closeParent() override { return 0; }
    int32_t CS_showHelp(const QString&) override { return 0; }
    int32_t CS_saveViaStream(QDataStream&) override { return 0; }
    int32_t CS_loadViaStream(QDataStream&) override { return 0; }
    CompIMPInitialise_VANTREL_KXE* CS_compInitialize() override { return nullptr; }

    QList<QPair<QUuid, int>> opened;
    QList<QWidget*> closed;
    QList<QPair<QUuid, QPair<int, QWidget*>>> open;
    std::function<void(const QUuid&, int)> onOpen;
};

class ScriptedPrompter : public NS_Utilities::IDocuPrompter
{
public:
    Answer question(QWidget*, const QString& caption, const QString& text, bool) override
    {
        kinds.append(QStringLiteral("question"));
        questions.append(caption + QLatin1Char('|') + text);
        return answer;
    }
    Answer warningWithCancel(QWidget*, const QString& caption, const QString& text) override
    {
        kinds.append(QStringLiteral("warning"));
        questions.append(caption + QLatin1Char('|') + text);
        return answer;
    }
    void critical(QWidget*, const QString& caption, const QString& text) override
    {
        kinds.append(QStringLiteral("critical"));
        messages.append(caption + QLatin1Char('|') + text);
    }
    void information(QWidget*, const QString& caption, const QString& text) override
    {
        kinds.append(QStringLiteral("information"));
        messages.append(caption + QLatin1Char('|') + text);
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override
    {
        return QString();
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override
    {
        return QString();
    }
    Answer answer = Yes;
    QStringList questions;
    QStringList messages;
    QStringList kinds; // the kind of every box, in order
};

// The instrument's port: every write reaches the simulated instrument, until the port
// refuses from its refuseFrom-th write on (counted from 1), as one whose receiver
// stopped reading does.
class SimBridge : public FakeBridge
{
public:
    int32_t write(int length, const void* data) override
    {
        if (refuseFrom > 0 && ++attempts >= refuseFrom) {
            return 0;
        }
        const int32_t taken = FakeBridge::write(length, data);
        if (sim && length > 0)
            sim->input(static_cast<const uint8_t*>(data), size_t(length));
        return taken;
    }
    SimulatedInstrument* sim = nullptr;
    int refuseFrom = 0;
    std::atomic<int> attempts{0};
};

class RecordingProgress : public IMPClientProgressHandler
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
    int32_t MPProgress(uint32_t, uint32_t value, uint32_t maximum, const uint16_t* text) override
    {
        QMutexLocker locker(&mutex);
        values.append(int(value));
        maxima.append(int(maximum));
        texts.append(text ? QString::fromUtf16(reinterpret_cast<const char16_t*>(text)) : QString());
        return 0;
    }
    int32_t MPFinished(uint32_t, int32_t status) override
    {
        QMutexLocker locker(&mutex);
        statuses.append(status);
        return 0;
    }
    QMutex mutex;
    QList<int> values, maxima;
    QStringList texts;
    QList<int32_t> statuses;
};

struct SimRig
{
    SimRig()
    {
        bridge.sim = &sim;
        bridge.input = QUuid::createUuid();
        bridge.output = QUuid::createUuid();
        sim.setOutputSink([this](const uint8_t* b, size_t n) {
            QMutexLocker locker(&inboxMutex);
            inbox.emplace_back(b, b + n);
        });
        sim.start();
        api->MAPI_associate(&bridge, &prefs, 0, &services);
        companion()->DSL_setPrompter(&prompter);
    }
    ~SimRig()
    {
        sim.stop();
        TovarIMemAPIQObject_VANTREL_KXE::setCommandTimeScale(1.0);
        if (companion())
            companion()->DSL_setPrompter(nullptr);
    }
    TovarIMemAPIQObject_VANTREL_KXE* companion() const { return api.api->qself(); }
    CSynthMemory* memory() const { return api.api->memory(); }
    CPrmCtrl& multi() const { return *memory()->MultiMap(); }
    CPrmCtrl& voice() const { return *memory()->VoiceMap(); }

    // Hands the instrument's output to the object and runs the GUI thread's events.
    void deliver()
    {
        std::deque<Bytes> packets;
        {
            QMutexLocker locker(&inboxMutex);
            packets.swap(inbox);
        }
        for (const Bytes& p : packets)
            if (p.size() > 1 && p[0] == 0xF0)
                api->MAPI_readMIDIFromPort(0, p.data() + 1, int(p.size() - 1), true, false);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    // Pumps until `done` or the time is up; true when done.
    bool pumpUntil(const std::function<bool()>& done, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            deliver();
            if (done())
                return true;
            QThread::msleep(1);
        }
        deliver();
        return done();
    }
    void pumpFor(int ms)
    {
        pumpUntil([] { return false; }, ms);
    }

    Bytes editorBlock(CPrmCtrl& map, const Bytes& address) const
    {
        BLK blk;
        if (!map.EditorBlk().GetBlk(0, address.data(), blk) || !blk.curImage)
            return Bytes();
        return Bytes(blk.curImage, blk.curImage + blk.memSize);
    }
    std::vector<Bytes> multiAddresses() const
    {
        std::vector<Bytes> out;
        for (int i = 0; i < multi().BlkAdrs().GetBlkAdrsSize(0); ++i) {
            const LIBVCEDATA_ADRS a = multi().BlkAdrs().GetVceDataFileBlk(0, i);
            out.push_back(Bytes(a.address, a.address + 3));
        }
        return out;
    }
    Bytes storedVoice(int category, int number) const
    {
        int size = 0;
        const unsigned char* p = voice().VceMem()->GetVoiceMem(category, number, &size);
        return p ? Bytes(p, p + size) : Bytes();
    }
    size_t requestsSent() const { return sim.received(SimulatedInstrument::Kind::BulkRequest).size(); }

    QMutex inboxMutex;
    std::deque<Bytes> inbox;
    SimulatedInstrument sim;
    SimBridge bridge;
    FakePrefs prefs;
    FakeServices services;
    ScriptedPrompter prompter;
    // Last, so that it goes first: nothing it does at the end reaches a dead fake.
    ApiHandle api;
};

} // namespace CommandsTest
