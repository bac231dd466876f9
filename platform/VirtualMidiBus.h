#pragma once
// In-process MIDI bus: every endpoint lives in this process, and everything sent is
// delivered asynchronously on the bus's own thread, in the order it was sent.
#include "platform/MidiService.h"
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT VirtualMidiBus : public MidiService
{
public:
    VirtualMidiBus();
    ~VirtualMidiBus() override;

    QString backendName() const override;
    int32_t createClient(const QString& name, MidiRef* client) override;
    int32_t disposeClient(MidiRef client) override;
    int32_t setNotifyProc(MidiRef client, MidiNotifyProc proc) override;
    int32_t createInputPort(MidiRef client, const QString& name, MidiReadProc proc,
                            MidiRef* port) override;
    int32_t createOutputPort(MidiRef client, const QString& name, MidiRef* port) override;
    int32_t disposePort(MidiRef port) override;
    int32_t connectSource(MidiRef inputPort, MidiRef source, void* connRefCon) override;
    int32_t disconnectSource(MidiRef inputPort, MidiRef source) override;
    int numberOfSources() override;
    MidiRef source(int index) override;
    int numberOfDestinations() override;
    MidiRef destination(int index) override;
    QString endpointName(MidiRef endpoint) override;
    int32_t send(MidiRef outputPort, MidiRef destination, const MidiPacketList& packets) override;
    int32_t createSource(MidiRef client, const QString& name, MidiRef* source) override;
    int32_t createDestination(MidiRef client, const QString& name, MidiReadProc proc,
                              void* refCon, MidiRef* destination) override;
    int32_t received(MidiRef source, const MidiPacketList& packets) override;
    int32_t disposeEndpoint(MidiRef endpoint) override;

    // Any thread. With n > 0 every packet is delivered as pieces of at most n bytes,
    // each in a packet list of its own, the way a slow cable hands them over; 0
    // delivers packets whole.
    void setSplitPackets(int n);
    int splitPackets() const;
    // Any thread but the bus's: waits until everything queued so far has been
    // delivered; false when that took longer than the time-out.
    bool waitUntilIdle(int timeoutMs);

private:
    enum class Kind { Client, InputPort, OutputPort, Source, Destination };
    struct Object
    {
        Object(Kind k, MidiRef c = 0, QString n = QString(), MidiReadProc p = {}, void* r = nullptr)
            : kind(k), client(c), name(std::move(n)), proc(std::move(p)), refCon(r)
        {
        }
        Kind kind;
        MidiRef client = 0;
        QString name;
        MidiReadProc proc;
        void* refCon = nullptr;
        std::map<MidiRef, void*> connections; // input port: source -> connection context
        MidiNotifyProc notify;                // client: the endpoint lists changed
    };
    struct Job
    {
        bool toDestination; // else from a source to the input ports connected to it
        MidiRef endpoint;
        MidiPacketList packets;
        bool endpointsChanged = false; // else a delivery
    };

    int32_t add(Object object, MidiRef* out);
    int32_t enqueue(bool toDestination, MidiRef endpoint, const MidiPacketList& packets);
    void removeLocked(MidiRef ref, std::unique_lock<std::mutex>& lock);
    // Under m_mutex: the clients with a notify procedure hear of it on the bus thread.
    void endpointsChangedLocked();
    void notifyClients(std::unique_lock<std::mutex>& lock);
    void waitForCallbackLocked(MidiRef target, std::unique_lock<std::mutex>& lock);
    void deliver(MidiRef target, MidiRef viaSource, const MidiPacketList& packets,
                 std::unique_lock<std::mutex>& lock);
    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;     // delivery thread: a job or stop
    std::condition_variable m_progress; // waiters: a callback ended or the queue drained
    std::map<MidiRef, Object> m_objects;
    std::deque<Job> m_jobs;
    MidiRef m_nextRef = 1;
    MidiRef m_active = 0; // the port or destination whose procedure is running
    bool m_busy = false;  // a job has been taken and is being delivered
    bool m_stop = false;
    bool m_notifyQueued = false; // an endpointsChanged job waits in m_jobs
    int m_split = 0;
    std::thread m_thread;
};

} // namespace NS_Platform
