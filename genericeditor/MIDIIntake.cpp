#include "MIDIIntake.h"
#include "EventPusher.h"
#include "MPEventBuffer.h"
#include "MPEventMapping.h"
#include "TInputOutput_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <chrono>
#include <climits>
#include <cstring>

Q_LOGGING_CATEGORY(lcIntake, "tovar.midi.intake")

namespace {

constexpr unsigned long kPumpWaitMs = 5000;

void clear(tagMPEVENT& e)
{
    std::memset(&e, 0, sizeof e);
}

} // namespace

TMIDIIntake_VANTREL_KXE::TMIDIIntake_VANTREL_KXE() = default;

TMIDIIntake_VANTREL_KXE::~TMIDIIntake_VANTREL_KXE()
{
    setEnable(false);
    stopPump();
    m_ring.reset();
}

void TMIDIIntake_VANTREL_KXE::setMemAPI(IMemAPI* api)
{
    std::unique_lock<std::mutex> lock(m_batchMutex);
    m_memAPI = api;
    if (api)
        return;
    while (!m_batchEnded.wait_for(lock, std::chrono::milliseconds(kPumpWaitMs), [&] { return !m_inBatch; }))
        qCWarning(lcIntake) << "MIDI pump still in a batch after" << kPumpWaitMs << "ms; the memory API waits for it";
}

IMemAPI* TMIDIIntake_VANTREL_KXE::beginBatch()
{
    std::lock_guard<std::mutex> lock(m_batchMutex);
    IMemAPI* api = m_memAPI.load();
    m_inBatch = api != nullptr;
    return api;
}

void TMIDIIntake_VANTREL_KXE::endBatch()
{
    {
        std::lock_guard<std::mutex> lock(m_batchMutex);
        m_inBatch = false;
    }
    m_batchEnded.notify_all();
}

void TMIDIIntake_VANTREL_KXE::setBridges(const std::vector<TInputOutput_VANTREL_KXE*>& bridges)
{
    QMutexLocker lock(&m_mutex);
    m_bridges = bridges;
}

void TMIDIIntake_VANTREL_KXE::clearBridges()
{
    QMutexLocker lock(&m_mutex);
    m_bridges.clear();
}

std::vector<TInputOutput_VANTREL_KXE*> TMIDIIntake_VANTREL_KXE::bridges() const
{
    QMutexLocker lock(&m_mutex);
    return m_bridges;
}

void TMIDIIntake_VANTREL_KXE::setEnable(bool enable)
{
    QMutexLocker lock(&m_mutex);
    m_enabled = enable;
    if (!enable && m_ring)
        m_ring->removeAll();
}

bool TMIDIIntake_VANTREL_KXE::isEnable() const
{
    QMutexLocker lock(&m_mutex);
    return m_enabled;
}

void TMIDIIntake_VANTREL_KXE::startOnce()
{
    QMutexLocker lock(&m_mutex);
    if (m_ring)
        return;
    m_ring = std::make_unique<MPEventBuffer>(kRingSize);
    m_pump = std::make_unique<EventPusher>(*this);
    // Made on the host thread: the thread object itself belongs to the GUI thread.
    if (QCoreApplication* app = QCoreApplication::instance())
        m_pump->moveToThread(app->thread());
    m_pump->start(QThread::HighestPriority);
}

int32_t TMIDIIntake_VANTREL_KXE::onEvents(IMPEventQueue* queue, const tagMPQSTATUS& status)
{
    if (!m_memAPI.load())
        return NS_MPStatus::failure;
    if (!queue || !(status.flags & MPQSTATUS_EVENTS_WAITING))
        return 0;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_enabled || m_bridges.empty())
            return 0;
    }
    startOnce();

    tagMPEVENT event;
    clear(event);
    uint32_t got = 0;
    uint32_t more = 0;
    int32_t answer = queue->MPGetFirstEvent(&got, &event, &more, NS_MPEventKind::queueMask);
    while (answer == 0 && got != 0) {
        bool queued = false;
        bool enabled = false;
        {
            // Checked and queued under one lock, so that a disable in between cannot
            // leave an event behind in the ring.
            QMutexLocker lock(&m_mutex);
            enabled = m_enabled;
            if (enabled && event.port != 0) {
                for (TInputOutput_VANTREL_KXE* bridge : m_bridges) {
                    if (bridge && bridge->inputPortNumber() == event.port) {
                        // Once per event, however many bridges share the port.
                        m_ring->pushEvent(event);
                        queued = true;
                        break;
                    }
                }
            }
        }
        if (queued)
            m_pump->requestWakeup();
        else
            NS_MPEvent::release(event);
        if (!enabled || more == 0)
            break;
        clear(event);
        got = 0;
        more = 0;
        answer = queue->MPGetNextEvent(&got, &event, &more, NS_MPEventKind::queueMask);
    }
    return 0;
}

void TMIDIIntake_VANTREL_KXE::pushEvents()
{
    IMemAPI* api = beginBatch();
    if (!api)
        return;
    if (m_ring && isEnable()) {
        api->MAPI_lock(true);
        const std::vector<TInputOutput_VANTREL_KXE*> targets = bridges();
        while (isEnable() && !m_ring->isEmpty()) {
            tagMPEVENT record = m_ring->popEvent();
            pushEvent(record, targets);
            ++m_delivered;
            NS_MPEvent::release(record);
        }
        api->MAPI_lock(false);
    }
    endBatch();
}

void TMIDIIntake_VANTREL_KXE::pushEvent(const tagMPEVENT& record,
                                        const std::vector<TInputOutput_VANTREL_KXE*>& bridges)
{
    if (record.port == 0)
        return;
    for (TInputOutput_VANTREL_KXE* bridge : bridges) {
        if (!bridge || bridge->inputPortNumber() != record.port)
            continue;
        if (record.kind == NS_MPEventKind::sysex) {
            if (record.data.sysex && record.count > 0 && record.count <= uint32_t(INT_MAX))
                bridge->read(int(record.count), record.data.sysex, true, false);
        } else if (bridge->receiveChannelMessages()) {
            uint8_t bytes[3];
            const int length = NS_MPEvent::channelMessage(record, bytes);
            if (length > 0)
                bridge->read(length, bytes, false, true);
        }
    }
}

void TMIDIIntake_VANTREL_KXE::stopPump()
{
    if (!m_pump)
        return;
    m_pump->requestTermination();
    m_pump->requestWakeup();
    if (!m_pump->wait(kPumpWaitMs)) {
        qCWarning(lcIntake) << "MIDI pump still busy after" << kPumpWaitMs << "ms; waking it again";
        m_pump->requestWakeup();
        if (!m_pump->wait(kPumpWaitMs)) {
            qCWarning(lcIntake) << "MIDI pump still busy; waiting until it ends";
            m_pump->wait();
        }
    }
    m_pump.reset();
}
