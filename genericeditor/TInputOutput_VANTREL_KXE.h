#pragma once
// Joins one pair of host MIDI ports (an input and an output) to the memory API.
// Towards the memory API it is a TMIDIProxyInOut: outgoing bytes become host MIDI
// events, incoming events become bytes for MAPI_readMIDIFromPort. Towards the port
// lists of the transport and the dialogs it is an IMIDIPortAccessor over the host's
// ports. It keeps the host's port-assignment service told which ports the editor uses.
#include "genericeditor/interfaces/HostInterfaces.h"
#include "utilities/interfaces/IMIDIPortAccessor.h"
#include "utilities/interfaces/MPPortData.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"
#include <QObject>
#include <QRecursiveMutex>
#include <QUuid>
#include <atomic>

class IMemAPI;

class TInputOutput_VANTREL_KXE : public QObject, public TMIDIProxyInOut, public IMIDIPortAccessor
{
    Q_OBJECT
public:
    // Any thread; the bridge then lives on the GUI thread. component: the component as
    // the port-assignment service sees it; host: where the port services are asked for
    // (the component's client(); may be null). Neither is counted here, nor the output.
    // Reads the host's port lists at once (50 ms per direction).
    TInputOutput_VANTREL_KXE(IUnknown* component, IUnknown* host, IMPAsyncOutput* output,
                             int pair);
    // Withdraws the assigned ports from the host and releases the port services.
    ~TInputOutput_VANTREL_KXE() override;

    // TMIDIProxyInOut. read: pump thread, memory API locked by the caller.
    int32_t read(int length, const void* data, bool sysex, bool channel) override;
    // Any thread, no lock: the output port and the sequence counter are atomic.
    // 0 when not connected, when the host refuses the event and for an empty message;
    // 1 when sent, and for a message that cannot be mapped (dropped).
    int32_t write(int length, const void* data) override;
    QUuid portIdentity(int direction) override;
    int32_t selectPorts(const QUuid* ports, int pair) override;
    void setReceiveChannelMessages(bool receive) override;
    bool receiveChannelMessages() override;

    // IMIDIPortAccessor over the host's ports. Release deletes the bridge.
    void Release() override;
    QUuid portIdentity(const QString& key, bool output) override;
    QString portName(const QUuid& identity) override;
    int numberOfPlugs(bool output) override;
    const TSystemMIDIMap& plugs(bool output) override;

    // Sets the memory API that received MIDI goes to and that outgoing MIDI needs.
    void connect(IMemAPI& api);
    IUnknown* client() const { return m_host; }
    int pair() const { return m_pair; }

    // Any thread. Re-reads both port lists from the host; the selections keep their
    // identities but have no port number until the next selection.
    void updatePortInformation();

    // Any thread, lock-free. The selected input's host port number, 0 for none.
    uint32_t inputPortNumber() const { return m_selection[0].port.load(); }
    uint32_t outputPortNumber() const { return m_selection[1].port.load(); }
    // Whether the selection of that direction is recorded with the assignment service.
    bool isAssigned(int direction) const;

    // The next number of the library-wide sequence of written events. Any thread.
    static uint64_t takeSequenceNumber();
    // Delay before each port-list request; 50 ms unless a test shortens it.
    static void setPortListDelayMs(int ms);

private:
    struct TIOPORTINFO
    {
        std::atomic<uint32_t> port{0};
        QUuid identity;
        bool assigned = false;
    };

    void selectPort(const QUuid& identity, int direction, int pair);
    void releasePort(TIOPORTINFO& selection, int direction, int pair);
    static void freePortList(tagMPPORTDATA& list);

    IMPAsyncOutput* const m_output;
    IMPPortListService* m_portList = nullptr;
    IMPPortAssignService* m_portAssign = nullptr;
    std::atomic<IMemAPI*> m_memAPI{nullptr};
    IUnknown* const m_component;
    IUnknown* const m_host;
    tagMPPORTDATA m_lists[2] = {{0, nullptr}, {0, nullptr}};
    TIOPORTINFO m_selection[2];
    const int m_pair;
    std::atomic<bool> m_receiveChannelMessages{false};
    TSystemMIDIMap m_maps[2];
    // Guards the lists, the maps and the selections' identities and assigned flags.
    mutable QRecursiveMutex m_portMutex;
};
