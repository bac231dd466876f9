#include "HostMidiPorts.h"
#include "HostEventQueue.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace NS_Host {

namespace {

// Namespace of the host's port identities: a port keeps its identity across runs as
// long as its name stays, so that a project finds its ports again.
const QUuid kPortNamespace(QStringLiteral("{6f1d2a5e-8c3b-4e71-9a0d-5b2c7e4f1a93}"));

size_t channelMessageLength(uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 2;
    default:
        return 3;
    }
}

const uint32_t kKinds[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 0};

} // namespace

void MidiByteParser::feed(const uint8_t* bytes, size_t length, std::vector<std::vector<uint8_t>>& out)
{
    for (size_t i = 0; i < length; ++i) {
        const uint8_t b = bytes[i];
        if (b >= 0xF8)
            continue; // real-time bytes may sit anywhere, even inside a dump
        if (m_inSysEx) {
            if (b == 0xF7) {
                m_message.push_back(b);
                if (!m_overflow)
                    out.push_back(m_message);
                m_message.clear();
                m_inSysEx = false;
                m_overflow = false;
                continue;
            }
            if (b < 0x80) {
                if (m_message.size() < kMaxSysEx)
                    m_message.push_back(b);
                else
                    m_overflow = true;
                continue;
            }
            // A status byte ends an unterminated dump: it is dropped.
            m_message.clear();
            m_inSysEx = false;
            m_overflow = false;
        }
        if (b == 0xF0) {
            m_message.assign(1, b);
            m_inSysEx = true;
            m_running = 0;
            continue;
        }
        if (b >= 0xF1) {
            // System common: not passed on; it cancels running status.
            m_running = 0;
            m_message.clear();
            m_expected = 0;
            continue;
        }
        if (b >= 0x80) {
            m_running = b;
            m_message.assign(1, b);
            m_expected = channelMessageLength(b);
            continue;
        }
        if (!m_running)
            continue; // data without a status
        if (m_message.empty())
            m_message.assign(1, m_running);
        m_message.push_back(b);
        if (m_message.size() == m_expected) {
            out.push_back(m_message);
            m_message.clear();
        }
    }
}

HostMidiPorts::HostMidiPorts(NS_Platform::MidiService& service) : m_service(service)
{
}

HostMidiPorts::~HostMidiPorts()
{
    if (m_client)
        m_service.setNotifyProc(m_client, {});
    setPortsChangedHandler(nullptr);
    setEventFilter(nullptr);
    if (m_inPort)
        m_service.disposePort(m_inPort);
    if (m_outPort)
        m_service.disposePort(m_outPort);
    if (m_client)
        m_service.disposeClient(m_client);
}

QUuid HostMidiPorts::portIdentity(bool output, const QString& name)
{
    return QUuid::createUuidV5(kPortNamespace,
                               (output ? QStringLiteral("out:") : QStringLiteral("in:")) + name);
}

bool HostMidiPorts::open()
{
    if (m_service.createClient(QStringLiteral("TOVAR-VANTREL host"), &m_client) != 0)
        return false;
    if (m_service.createInputPort(
            m_client, QStringLiteral("in"),
            [this](const NS_Platform::MidiPacketList& packets, void* refCon) { onPackets(packets, refCon); },
            &m_inPort)
        != 0)
        return false;
    if (m_service.createOutputPort(m_client, QStringLiteral("out"), &m_outPort) != 0)
        return false;
    m_service.setNotifyProc(m_client, [this] { refresh(); });
    refresh();
    return true;
}

std::vector<HostPort> HostMidiPorts::readPorts(bool output)
{
    std::vector<HostPort> found;
    const int count = output ? m_service.numberOfDestinations() : m_service.numberOfSources();
    std::map<QString, int> seen;
    for (int i = 0; i < count; ++i) {
        HostPort p;
        p.endpoint = output ? m_service.destination(i) : m_service.source(i);
        if (!p.endpoint)
            continue; // gone between the count and the look-up
        p.name = m_service.endpointName(p.endpoint);
        p.identity = portIdentity(output, p.name);
        std::map<std::pair<QString, int>, int32_t>& numbers = m_numbers[output ? 1 : 0];
        const std::pair<QString, int> key{p.name, seen[p.name]++};
        auto known = numbers.find(key);
        if (known == numbers.end()) {
            int32_t next = 1;
            for (const auto& entry : numbers)
                next = std::max(next, entry.second + 1);
            known = numbers.emplace(key, next).first;
        }
        p.number = known->second;
        found.push_back(p);
    }
    return found;
}

void HostMidiPorts::refresh()
{
    std::vector<HostPort> connect;
    bool changed = false;
    {
        std::lock_guard<std::mutex> refreshing(m_refreshMutex);
        std::vector<HostPort> inputs = readPorts(false);
        std::vector<HostPort> outputs = readPorts(true);
        // What the editor sees: numbers and names. An endpoint of the same name and number
        // in place of another (a program that renamed itself as it started) is no change
        // to it; telling it would only make it read its lists again.
        auto same = [](const std::vector<HostPort>& a, const std::vector<HostPort>& b) {
            if (a.size() != b.size())
                return false;
            for (size_t i = 0; i < a.size(); ++i)
                if (a[i].number != b[i].number || a[i].name != b[i].name)
                    return false;
            return true;
        };
        std::lock_guard<std::mutex> lock(m_portsMutex);
        changed = !same(inputs, m_ports[0]) || !same(outputs, m_ports[1]);
        for (const HostPort& p : inputs) {
            if (m_parsers.find(p.endpoint) == m_parsers.end()) {
                m_parsers[p.endpoint];
                connect.push_back(p);
            }
        }
        // A source that has gone takes its unfinished message with it.
        for (auto it = m_parsers.begin(); it != m_parsers.end();) {
            const bool present = std::any_of(inputs.begin(), inputs.end(),
                                             [&](const HostPort& p) { return p.endpoint == it->first; });
            it = present ? std::next(it) : m_parsers.erase(it);
        }
        m_ports[0] = std::move(inputs);
        m_ports[1] = std::move(outputs);
    }
    for (const HostPort& p : connect)
        m_service.connectSource(m_inPort, p.endpoint,
                                reinterpret_cast<void*>(uintptr_t(p.endpoint)));
    if (changed) {
        std::lock_guard<std::mutex> lock(m_handlerMutex);
        if (m_changed)
            m_changed();
    }
}

void HostMidiPorts::setPortsChangedHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(m_handlerMutex);
    m_changed = std::move(handler);
}

std::vector<HostPort> HostMidiPorts::ports(bool output) const
{
    std::lock_guard<std::mutex> lock(m_portsMutex);
    return m_ports[output ? 1 : 0];
}

QUuid HostMidiPorts::identityOf(bool output, const QString& name) const
{
    for (const HostPort& p : ports(output)) {
        if (p.name == name)
            return p.identity;
    }
    return QUuid();
}

void HostMidiPorts::setEventFilter(IMPEventFilter* filter)
{
    std::lock_guard<std::mutex> lock(m_filterMutex);
    m_filter = filter;
}

bool HostMidiPorts::eventOfMessage(const std::vector<uint8_t>& message, uint32_t port,
                                   tagMPEVENT& event)
{
    std::memset(&event, 0, sizeof event);
    if (message.empty())
        return false;
    event.port = port;
    event.one = 1;
    event.sequence = NS_Platform::MidiService::hostTime();
    const uint8_t status = message[0];
    if (status == 0xF0) {
        const size_t count = message.size() - 1;
        if (count == 0)
            return false;
        event.kind = NS_MPEventKind::sysex;
        event.count = uint32_t(count);
        event.data.sysex = static_cast<uint8_t*>(std::malloc(count));
        if (!event.data.sysex)
            return false;
        std::memcpy(event.data.sysex, message.data() + 1, count);
        return true;
    }
    if (status < 0x80 || status >= 0xF0)
        return false;
    event.kind = kKinds[status >> 4];
    event.channel = status & 0x0F;
    for (size_t i = 1; i < message.size() && i <= 4; ++i)
        event.data.bytes[i - 1] = message[i];
    return true;
}

std::vector<uint8_t> HostMidiPorts::bytesOfEvent(const tagMPEVENT& event)
{
    std::vector<uint8_t> bytes;
    if (event.kind == NS_MPEventKind::sysex) {
        if (!event.data.sysex || event.count == 0)
            return bytes;
        bytes.reserve(event.count + 1);
        bytes.push_back(0xF0);
        bytes.insert(bytes.end(), event.data.sysex, event.data.sysex + event.count);
        return bytes;
    }
    for (int nibble = 8; nibble <= 14; ++nibble) {
        if (kKinds[nibble] == event.kind) {
            const uint8_t status = uint8_t(nibble << 4 | (event.channel & 0x0F));
            const size_t length = channelMessageLength(status);
            bytes.push_back(status);
            for (size_t i = 1; i < length; ++i)
                bytes.push_back(event.data.bytes[i - 1] & 0x7F);
            break;
        }
    }
    return bytes;
}

int32_t HostMidiPorts::MPOutputEvents(tagMPEVENT* events, uint32_t count)
{
    if (!events)
        return NS_MPStatus::invalidArgument;
    const std::vector<HostPort> outputs = ports(true);
    for (uint32_t i = 0; i < count; ++i) {
        const tagMPEVENT& e = events[i];
        NS_Platform::MidiRef destination = 0;
        for (const HostPort& p : outputs) {
            if (uint32_t(p.number) == e.port)
                destination = p.endpoint;
        }
        if (!destination)
            return NS_MPStatus::failure;
        NS_Platform::MidiPacket packet;
        packet.timeStamp = NS_Platform::MidiService::hostTime();
        packet.bytes = bytesOfEvent(e);
        if (packet.bytes.empty())
            return NS_MPStatus::invalidArgument;
        if (m_service.send(m_outPort, destination, {packet}) != 0)
            return NS_MPStatus::failure;
        ++m_messagesOut;
    }
    return NS_MPStatus::ok;
}

void HostMidiPorts::onPackets(const NS_Platform::MidiPacketList& packets, void* connRefCon)
{
    const auto source = NS_Platform::MidiRef(reinterpret_cast<uintptr_t>(connRefCon));
    std::vector<std::vector<uint8_t>> messages;
    uint32_t portNumber = 0;
    {
        std::lock_guard<std::mutex> lock(m_portsMutex);
        auto parser = m_parsers.find(source);
        if (parser == m_parsers.end())
            return;
        for (const NS_Platform::MidiPacket& p : packets)
            parser->second.feed(p.bytes.data(), p.bytes.size(), messages);
        for (const HostPort& p : m_ports[0]) {
            if (p.endpoint == source)
                portNumber = uint32_t(p.number);
        }
    }
    if (messages.empty() || portNumber == 0)
        return;
    HostEventQueue queue;
    for (const std::vector<uint8_t>& m : messages) {
        tagMPEVENT event;
        if (eventOfMessage(m, portNumber, event))
            queue.push(event);
    }
    m_messagesIn += messages.size();
    std::lock_guard<std::mutex> lock(m_filterMutex);
    if (m_filter && !queue.empty())
        m_filter->MPOnEvents(&queue, HostEventQueue::eventsWaiting());
    // What the filter did not take is freed with the queue.
}

} // namespace NS_Host
