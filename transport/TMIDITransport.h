#pragma once
// A MIDI port pair over a port accessor: channel messages go to the observers at
// once on the MIDI thread; system-exclusive messages are gathered to their end and
// delivered from the push thread.
#include "transport/TMIDIReaderRefConInterface.h"
#include "utilities/interfaces/IMIDIPortAccessor.h"
#include "vantrel_kxe21_transport_export.h"
#include <QMutex>
#include <QObject>
#include <QUuid>
#include <atomic>
#include <cstdint>
#include <memory>

struct Y_GUID;
struct tagMPPORTDATA;
class TMIDIEventPushThread;
struct TMIDIEvent;
struct TMIDITransportPrivateData;

class VANTREL_TRANSPORT_EXPORT TMIDITransport : public QObject, public TMIDIReaderRefConInterface
{
    Q_OBJECT
public:
    // The accessor is not owned.
    explicit TMIDITransport(IMIDIPortAccessor* accessor);
    // Stops the push thread; messages still queued are freed undelivered.
    ~TMIDITransport() override;

    virtual int numberOfInputs() = 0;
    virtual int numberOfOutputs() = 0;
    virtual QUuid getInpPortDescriptor(int portNumber) = 0;
    virtual QUuid getOutPortDescriptor(int portNumber) = 0;
    virtual uint32_t openInput(int portNumber) = 0;
    virtual int32_t closeInput() = 0;
    virtual uint32_t openOutput(int portNumber) = 0;
    virtual int32_t closeOutput() = 0;
    virtual int outputData(int length, const void* data) = 0;

    // MIDI thread, serialised by the transport's lock; observers are called under it.
    int read(int length, const void* data, bool sysexExpected, bool unused) override;

    // Any thread; atomic. Release deletes the transport at 0.
    int AddRef();
    int Release();
    // Any thread. Appends the observer unless it is already registered; not owned.
    void registerMIDIobserver(TMIDIReaderRefConInterface* observer);
    // Any thread but the push thread and the observers' calls.
    void startPusherThread();
    void stopPusherThread();
    // Push thread: the message to every observer in registration order.
    void doEvent(TMIDIEvent& event);

    static int midi_msg_length(unsigned char status);

    // Fills an empty list with the accessor's ports of one direction, sorted by
    // descriptor text; leaves a filled list (non-null array) alone.
    static void MIDIPorts(IMIDIPortAccessor* accessor, bool output, tagMPPORTDATA* out);
    // The port's name without direction markers; the identifier's text when unknown.
    QString friendlyName(const QUuid& id);
    // The port number of the port in the input (output) map; 0 when not found.
    int getInpDescriptorPort(const QUuid& id);
    int getOutDescriptorPort(const QUuid& id);

    // An unterminated system-exclusive message is dropped beyond this length.
    static constexpr int kMaxSysExLength = 1 << 20;

protected:
    IMIDIPortAccessor* accessor() const { return m_accessor; }
    bool closing() const { return m_closing.load(); }

private:
    int gatherPiece(const unsigned char* p, int n, bool sysexExpected);
    void completeEvent();
    void dropEvent(const char* why);

    IMIDIPortAccessor* m_accessor;
    std::atomic<int> m_useCount{1};
    std::atomic<bool> m_closing{false};
    std::unique_ptr<TMIDITransportPrivateData> d;
    TMIDIEventPushThread* m_pushThread = nullptr;
    QRecursiveMutex m_mutex; // guards read, the message being gathered and the push thread
};

// A new random identifier; 0, or 0x80000001 for a null record.
VANTREL_TRANSPORT_EXPORT int32_t CoCreateGuid(Y_GUID* guid);
