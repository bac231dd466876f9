#include "TMacMIDI.h"
#include "TransportLogging.h"
#include "platform/MidiService.h"
#include <atomic>
#include <mutex>

using NS_Platform::MidiRef;

struct TMacMIDIRefs
{
    MidiRef client = 0;
    MidiRef outputPort = 0;
    MidiRef destination = 0;
    MidiRef inputPort = 0;
    MidiRef source = 0;
    std::mutex inputMutex;  // input port and source
    std::mutex outputMutex; // output port and destination; held while sending
};

namespace {
std::atomic<int> s_outputPortCount{0};
}

TMacMIDI::TMacMIDI(IMIDIPortAccessor* accessor, NS_Platform::MidiService* service)
    : TMIDITransport(accessor),
      m_service(service ? service : &NS_Platform::MidiService::system()),
      m_refs(new TMacMIDIRefs)
{
    if (m_service->createClient(QStringLiteral("MIDI Client"), &m_refs->client)
        != NS_Platform::kMidiNoError) {
        qCWarning(lcTransport) << "cannot create the MIDI client";
        m_refs->client = 0;
    }
}

TMacMIDI::~TMacMIDI()
{
    closeInput();
    closeOutput();
    if (m_refs->client)
        m_service->disposeClient(m_refs->client);
}

int TMacMIDI::numberOfInputs() { return accessor() ? accessor()->numberOfPlugs(false) : 0; }

int TMacMIDI::numberOfOutputs() { return accessor() ? accessor()->numberOfPlugs(true) : 0; }

QUuid TMacMIDI::portDescriptor(int portNumber, bool output)
{
    if (!accessor())
        return QUuid();
    const TSystemMIDIMap& map = accessor()->plugs(output);
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (it.value().section(QLatin1Char(';'), 0, 0).toInt() == portNumber)
            return it.key();
    return QUuid();
}

QUuid TMacMIDI::getInpPortDescriptor(int portNumber) { return portDescriptor(portNumber, false); }

QUuid TMacMIDI::getOutPortDescriptor(int portNumber) { return portDescriptor(portNumber, true); }

uint32_t TMacMIDI::openInput(int portNumber)
{
    std::lock_guard<std::mutex> lock(m_refs->inputMutex);
    if (m_refs->inputPort && m_refs->source)
        return m_refs->source;
    if (!m_refs->inputPort) {
        if (!m_refs->client)
            return 0;
        auto readProc = [](const NS_Platform::MidiPacketList& packets, void* refCon) {
            auto* receiver = static_cast<TMIDIReaderRefConInterface*>(refCon);
            if (!receiver)
                return;
            for (const NS_Platform::MidiPacket& packet : packets)
                if (!packet.bytes.empty())
                    receiver->read(int(packet.bytes.size()), packet.bytes.data(), true, false);
        };
        if (m_service->createInputPort(m_refs->client, QStringLiteral("Input port"), readProc,
                                       &m_refs->inputPort)
            != NS_Platform::kMidiNoError) {
            m_refs->inputPort = 0;
            return 0;
        }
    }
    // Port numbers start at 1.
    const MidiRef source = portNumber >= 1 ? m_service->source(portNumber - 1) : 0;
    if (!source)
        return 0;
    // Running before the first byte can arrive, so no early message is discarded.
    startPusherThread();
    if (m_service->connectSource(m_refs->inputPort, source,
                                 static_cast<TMIDIReaderRefConInterface*>(this))
        != NS_Platform::kMidiNoError)
        return 0;
    m_refs->source = source;
    return source;
}

int32_t TMacMIDI::closeInput()
{
    std::lock_guard<std::mutex> lock(m_refs->inputMutex);
    if (!m_refs->inputPort)
        return 0;
    // Disconnecting first: once these return, no read of ours runs any more.
    if (m_refs->source)
        m_service->disconnectSource(m_refs->inputPort, m_refs->source);
    m_refs->source = 0;
    const int32_t result = m_service->disposePort(m_refs->inputPort);
    m_refs->inputPort = 0;
    stopPusherThread();
    return result;
}

uint32_t TMacMIDI::openOutput(int portNumber)
{
    std::lock_guard<std::mutex> lock(m_refs->outputMutex);
    if (!m_refs->outputPort) {
        if (!m_refs->client)
            return 0;
        const QString name = QStringLiteral("Ferunit Palodex #%1").arg(++s_outputPortCount);
        if (m_service->createOutputPort(m_refs->client, name, &m_refs->outputPort)
            != NS_Platform::kMidiNoError) {
            m_refs->outputPort = 0;
            return 0;
        }
    }
    if (!m_refs->destination && portNumber >= 1)
        m_refs->destination = m_service->destination(portNumber - 1);
    return m_refs->outputPort;
}

int32_t TMacMIDI::closeOutput()
{
    std::lock_guard<std::mutex> lock(m_refs->outputMutex);
    m_refs->destination = 0;
    if (!m_refs->outputPort)
        return 0;
    const int32_t result = m_service->disposePort(m_refs->outputPort);
    m_refs->outputPort = 0;
    return result;
}

int TMacMIDI::outputData(int length, const void* data)
{
    if (length <= 0)
        return 1;
    std::lock_guard<std::mutex> lock(m_refs->outputMutex);
    if (!data || !m_refs->outputPort || !m_refs->destination)
        return 0;
    NS_Platform::MidiPacket packet;
    packet.timeStamp = NS_Platform::MidiService::hostTime();
    const auto* bytes = static_cast<const uint8_t*>(data);
    packet.bytes.assign(bytes, bytes + length);
    return m_service->send(m_refs->outputPort, m_refs->destination, {packet})
            == NS_Platform::kMidiNoError
        ? 1
        : 0;
}

TMIDITransport* MIDITransportInstance(IMIDIPortAccessor* accessor)
{
    return new TMacMIDI(accessor);
}
