#include "simulator/SimulatedInstrument.h"

#include <QLoggingCategory>

#include <algorithm>
#include <chrono>
#include <utility>

Q_LOGGING_CATEGORY(lcSim, "tovar.simulator")

namespace NS_Simulator {

namespace {

const Bytes kIdentityReplyTail = {0x06, 0x02, 0x43, 0x00, 0x41, 0x19, 0x06, 0x00, 0x00, 0x00, 0x7F, 0xF7};

} // namespace

int64_t SimulatedInstrument::nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

SimulatedInstrument::SimulatedInstrument(SimMemoryMap map)
    : m_map(std::make_shared<const SimMemoryMap>(std::move(map))),
      m_image(m_map),
      m_parser([this](const Bytes& msg) { handleMessage(msg); })
{
}

SimulatedInstrument::~SimulatedInstrument()
{
    stop();
}

void SimulatedInstrument::setOutputSink(ByteSink sink)
{
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_sink = std::move(sink);
}

void SimulatedInstrument::start()
{
    if (m_running.exchange(true))
        return;
    m_stop = false;
    m_thread = std::thread([this] { run(); });
}

void SimulatedInstrument::stop()
{
    if (!m_running.load())
        return;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_output.clear();
    m_input.clear();
    m_busy = false;
    m_running = false;
    m_idle.notify_all();
}

void SimulatedInstrument::input(const uint8_t* bytes, size_t length)
{
    if (!bytes || length == 0)
        return;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_input.push_back(Chunk{Bytes(bytes, bytes + length), nowNs()});
    }
    m_wake.notify_all();
}

void SimulatedInstrument::setDeviceNumber(int device)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_device = static_cast<uint8_t>(std::clamp(device, 0, 15));
}

int SimulatedInstrument::deviceNumber() const
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_device;
}

void SimulatedInstrument::setFault(Fault fault, int param)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_fault = fault;
    m_faultParam = std::max(0, param);
    m_blocksSent = 0;
}

void SimulatedInstrument::setCableSpeed(bool on, int bytesPerSecond)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_cableSpeed = on;
    m_bytesPerSecond = std::max(1, bytesPerSecond);
}

void SimulatedInstrument::setTransport(Transport transport, size_t chunkSize)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_transport = transport;
    m_chunkSize = std::max<size_t>(1, chunkSize);
}

std::vector<SimulatedInstrument::Received> SimulatedInstrument::received() const
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_received;
}

std::vector<SimulatedInstrument::Received> SimulatedInstrument::received(Kind kind) const
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    std::vector<Received> out;
    for (const Received& r : m_received) {
        if (r.kind == kind)
            out.push_back(r);
    }
    return out;
}

std::vector<SimulatedInstrument::Sent> SimulatedInstrument::sent() const
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_sent;
}

void SimulatedInstrument::clearLogs()
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_received.clear();
    m_sent.clear();
}

bool SimulatedInstrument::waitForReceived(size_t count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_stateMutex);
    return m_logChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return m_received.size() >= count; });
}

bool SimulatedInstrument::waitIdle(int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_queueMutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return !m_running.load() || (m_input.empty() && m_output.empty() && !m_busy);
    });
}

SimMemoryImage SimulatedInstrument::image() const
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_image;
}

void SimulatedInstrument::editImage(const std::function<void(SimMemoryImage&)>& edit)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    edit(m_image);
}

Bytes SimulatedInstrument::multiBlock(const Bytes& address) const
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_image.multiBlock(address);
}

void SimulatedInstrument::resetToDefaults()
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_image.reset();
    m_rxFramed = false;
    m_voiceEditChannel = -1;
}

int SimulatedInstrument::voiceEditChannel() const
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_voiceEditChannel;
}

void SimulatedInstrument::run()
{
    std::unique_lock<std::mutex> lock(m_queueMutex);
    while (!m_stop) {
        if (!m_input.empty()) {
            std::deque<Chunk> chunks;
            chunks.swap(m_input);
            m_busy = true;
            lock.unlock();
            for (const Chunk& c : chunks) {
                m_currentChunkNs = c.timeNs;
                m_parser.feed(c.bytes.data(), c.bytes.size());
            }
            lock.lock();
            m_busy = false;
            m_idle.notify_all();
            continue;
        }
        if (!m_output.empty()) {
            const int64_t now = nowNs();
            if (m_output.front().dueNs <= now) {
                Packet p = std::move(m_output.front());
                m_output.pop_front();
                ByteSink sink = m_sink;
                m_busy = true;
                lock.unlock();
                const int64_t t = nowNs();
                if (sink)
                    sink(p.bytes.data(), p.bytes.size());
                {
                    std::lock_guard<std::mutex> state(m_stateMutex);
                    m_sent.push_back(Sent{std::move(p.bytes), t});
                }
                lock.lock();
                m_busy = false;
                m_idle.notify_all();
                continue;
            }
            m_wake.wait_for(lock, std::chrono::nanoseconds(m_output.front().dueNs - now));
            continue;
        }
        m_idle.notify_all();
        m_wake.wait(lock, [&] { return m_stop || !m_input.empty() || !m_output.empty(); });
    }
}

void SimulatedInstrument::log(const Bytes& msg, Kind kind)
{
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_received.push_back(Received{msg, m_currentChunkNs, kind});
    }
    m_logChanged.notify_all();
}

void SimulatedInstrument::handleMessage(const Bytes& msg)
{
    if (msg.empty())
        return;
    if (msg[0] == 0xF0) {
        log(msg, handleSysEx(msg));
        return;
    }
    log(msg, msg[0] < 0xF0 ? Kind::Channel : Kind::Ignored);
}

SimulatedInstrument::Kind SimulatedInstrument::handleSysEx(const Bytes& msg)
{
    uint8_t device;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        device = m_device;
    }
    // Universal identity request: answered for our device number or 7F.
    if (msg.size() == 6 && msg[1] == 0x7E && msg[3] == 0x06 && msg[4] == 0x01) {
        if (msg[2] != 0x7F && msg[2] != device)
            return Kind::Ignored;
        answerIdentity(msg[2]);
        return Kind::Identity;
    }
    if (m_map->categories.empty())
        return Kind::Ignored;

    using M = SimMessageLayout::Match;
    const SimCategory& edit = m_map->categories[0];
    Bytes address;
    Bytes data;

    M m = edit.bulkRequest.parse(msg, device, &address, &data);
    if (m == M::OtherDevice)
        return Kind::Ignored;
    if (m == M::Ok) {
        answerBulkRequest(address, data);
        return Kind::BulkRequest;
    }
    m = edit.parameterRequest.parse(msg, device, &address, &data);
    if (m == M::OtherDevice)
        return Kind::Ignored;
    if (m == M::Ok) {
        if (data.empty())
            answerParameterRequest(address);
        return Kind::ParameterRequest;
    }
    m = edit.bulkDump.parse(msg, device, &address, &data);
    switch (m) {
    case M::OtherDevice:
        return Kind::Ignored;
    case M::BadChecksum:
        return Kind::DumpBadChecksum;
    case M::BadCount:
        return Kind::DumpBadCount;
    case M::Ok:
        return storeDump(address, data);
    case M::NoMatch:
        break;
    }
    // The voice edit select carries a checksum; a plain parameter change has none.
    if (m_map->categories.size() > 3) {
        const SimCategory& rule = m_map->categories[3];
        if (rule.parameterChange.parse(msg, device, &address, &data) == M::Ok
            && address[0] == m_map->voiceSelectByte) {
            std::lock_guard<std::mutex> lock(m_stateMutex);
            m_voiceEditChannel = address[2] & 0x0F;
            return Kind::VoiceSelect;
        }
    }
    m = edit.parameterChange.parse(msg, device, &address, &data);
    if (m == M::OtherDevice)
        return Kind::Ignored;
    if (m == M::Ok)
        return storeParameter(address, data);
    qCDebug(lcSim) << "ignored system-exclusive message of" << msg.size() << "bytes";
    return Kind::Ignored;
}

bool SimulatedInstrument::namesParameter(const Bytes& address) const
{
    // Inside a wide parameter only its first byte names it.
    const long long a = SimMemoryMap::linear(address);
    for (const SimWideParam& p : m_map->wideParams) {
        const long long start = SimMemoryMap::linear(p.address);
        if (a > start && a < start + p.size)
            return false;
    }
    return true;
}

SimulatedInstrument::Kind SimulatedInstrument::storeParameter(const Bytes& address, const Bytes& data)
{
    if (!namesParameter(address) || static_cast<int>(data.size()) != m_map->paramSize(address))
        return Kind::ParameterRefused;
    std::lock_guard<std::mutex> lock(m_stateMutex);
    for (const SimEffectDef& effect : m_map->effects) {
        if (address != effect.block || data.size() != 2)
            continue;
        Bytes before;
        if (!m_image.readEdit(address, 2, &before) || before == data)
            break;
        // A new type brings its parameters' defaults; an unknown pair is stored
        // but works as no effect, with every parameter 0.
        Bytes params(32, 0);
        for (const SimEffectDef::Type& t : effect.types) {
            if (t.hi != data[0] || t.lo != data[1])
                continue;
            for (size_t i = 0; i < t.defaults.size() && i < 16; ++i) {
                params[2 * i] = static_cast<uint8_t>((t.defaults[i] >> 7) & 0x7F);
                params[2 * i + 1] = static_cast<uint8_t>(t.defaults[i] & 0x7F);
            }
        }
        Bytes paramAddress = address;
        paramAddress[2] = 0x02;
        m_image.writeEdit(paramAddress, params);
        break;
    }
    if (!m_image.writeEdit(address, data))
        return Kind::ParameterRefused;
    // What a program outside the process can watch the instrument take.
    qCDebug(lcSim).noquote() << "parameter"
                             << QByteArray(reinterpret_cast<const char*>(address.data()), qsizetype(address.size())).toHex(' ')
                             << "=" << QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())).toHex(' ');
    const SimArpRuleDef& rule = m_map->arpRule;
    if (address.size() == 3 && address[0] == rule.element && address[1] < rule.parts
        && (address[2] == rule.switchParam || address[2] == rule.matchParam))
        applyArpRule(address[1], address[2] == rule.switchParam);
    return Kind::ParameterChange;
}

// Parts whose arpeggio is on share one key channel: a part switched on turns off the
// others that disagree; a part whose key channel now disagrees turns itself off.
void SimulatedInstrument::applyArpRule(int part, bool switchWritten)
{
    const SimArpRuleDef& rule = m_map->arpRule;
    auto read = [&](int p, uint8_t param, uint8_t& value) {
        Bytes v;
        if (!m_image.readEdit({rule.element, static_cast<uint8_t>(p), param}, 1, &v))
            return false;
        value = v[0];
        return true;
    };
    auto clearSwitch = [&](int p, uint8_t value) {
        m_image.writeEdit({rule.element, static_cast<uint8_t>(p), rule.switchParam},
                          {static_cast<uint8_t>(value & rule.clearMask)});
    };
    uint8_t own = 0, key = 0;
    if (!read(part, rule.switchParam, own) || !(own & rule.switchBit) || !read(part, rule.matchParam, key))
        return;
    for (int p = 0; p < rule.parts; ++p) {
        uint8_t sw = 0, otherKey = 0;
        if (p == part || !read(p, rule.switchParam, sw) || !(sw & rule.switchBit) || !read(p, rule.matchParam, otherKey)
            || otherKey == key)
            continue;
        if (!switchWritten) {
            clearSwitch(part, own);
            return;
        }
        clearSwitch(p, sw);
    }
}

SimulatedInstrument::Kind SimulatedInstrument::storeDump(const Bytes& address, const Bytes& data)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    if (data.empty()) {
        if (address[0] == m_map->headerByte) {
            m_rxFramed = true;
            m_rxFrame[0] = address[1];
            m_rxFrame[1] = address[2];
            // A framed edit buffer dump says which type the edit buffer now holds.
            const int type = m_map->editFrameType(address[1]);
            if (type >= 0 && address[2] == 0)
                m_image.selectEditType(static_cast<VoiceType>(type));
            return Kind::Framing;
        }
        if (address[0] == m_map->footerByte) {
            m_rxFramed = false;
            return Kind::Framing;
        }
        return Kind::DumpUnknownAddress;
    }
    if (!m_rxFramed)
        return m_image.writeEdit(address, data) ? Kind::Dump : Kind::DumpUnknownAddress;

    const uint8_t xx = m_rxFrame[0];
    const uint8_t yy = m_rxFrame[1];
    if (xx == m_map->multiFrame[0] && yy == m_map->multiFrame[1]) {
        if (SimMemoryMap::findIn(m_map->multiBlocks, address, static_cast<int>(data.size())) < 0)
            return Kind::DumpUnknownAddress;
        return m_image.writeEdit(address, data) ? Kind::Dump : Kind::DumpUnknownAddress;
    }
    const int type = m_map->editFrameType(xx);
    if (type >= 0 && yy == 0) {
        return m_image.writeEditVoiceBlock(static_cast<VoiceType>(type), address, data)
                   ? Kind::Dump
                   : Kind::DumpUnknownAddress;
    }
    const SimBankDef* bank = m_map->bank(xx);
    if (!bank || yy >= bank->voices)
        return Kind::DumpUnknownAddress;
    if (bank->preset)
        return Kind::DumpIgnored;
    return m_image.writeVoiceBlock(xx, yy, address, data) ? Kind::Dump : Kind::DumpUnknownAddress;
}

void SimulatedInstrument::answerIdentity(uint8_t requestDevice)
{
    uint8_t device;
    bool wrongModel;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        device = m_device;
        wrongModel = m_fault == Fault::WrongModel;
    }
    Q_UNUSED(requestDevice);
    Bytes reply = {0xF0, 0x7E, device};
    reply.insert(reply.end(), kIdentityReplyTail.begin(), kIdentityReplyTail.end());
    if (wrongModel)
        reply[9] = 0x07; // model bytes 19 07: a sibling model the editor must not accept
    sendReply({reply}, {false});
}

void SimulatedInstrument::answerBulkRequest(const Bytes& requested, const Bytes& data)
{
    const SimCategory& edit = m_map->categories[0];
    std::vector<Bytes> messages;
    std::vector<bool> isBlock;
    std::vector<SimDumpBlock> blocks;
    uint8_t device;
    Bytes frame;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        device = m_device;
        if (requested[0] == m_map->partRequestByte && data.size() == 1) {
            // A request made for part pp asks what 0E xx yy asks; for the voice
            // edit buffers only the type of the voice that part plays answers.
            const int part = data[0] & 0x0F;
            const int type = m_map->editFrameType(requested[1]);
            if (type >= 0 && requested[2] == 0) {
                const Bytes partBlock = m_image.multiBlock({0x37, static_cast<uint8_t>(part), 0x00});
                int partType = -1;
                if (m_map->voiceTypeOfBank && partBlock.size() >= 3)
                    partType = m_map->voiceTypeOfBank(partBlock[0], partBlock[1], partBlock[2]);
                if (partType < 0)
                    partType = static_cast<int>(m_image.editType());
                if (partType != type)
                    return;
                m_image.selectEditType(static_cast<VoiceType>(type));
            }
            frame = {requested[1], requested[2]};
        } else if (requested[0] == m_map->headerByte) {
            frame = {requested[1], requested[2]};
        }
        if (!frame.empty()) {
            if (!m_image.framedDump(frame[0], frame[1], &blocks))
                return;
        } else {
            Bytes contents;
            const Bytes& a = requested;
            int size = 0;
            int index = SimMemoryMap::findIn(m_map->multiBlocks, a);
            if (index >= 0 && m_map->multiBlocks[index].address == a) {
                size = m_map->multiBlocks[index].size;
            } else {
                const SimVoiceTypeDef& def = m_map->voiceTypes[static_cast<int>(m_image.editType())];
                index = SimMemoryMap::findIn(def.blocks, a);
                if (index < 0 || def.blocks[index].address != a)
                    return; // a plain request names a block's first byte or nothing
                size = def.blocks[index].size;
            }
            if (!m_image.readEdit(a, size, &contents))
                return;
            blocks.push_back(SimDumpBlock{a, contents});
        }
    }
    if (!frame.empty()) {
        messages.push_back(edit.bulkDump.form(device, {m_map->headerByte, frame[0], frame[1]}, {}));
        isBlock.push_back(false);
    }
    for (const SimDumpBlock& b : blocks) {
        messages.push_back(edit.bulkDump.form(device, b.address, b.data));
        isBlock.push_back(true);
    }
    if (!frame.empty()) {
        messages.push_back(edit.bulkDump.form(device, {m_map->footerByte, frame[0], frame[1]}, {}));
        isBlock.push_back(false);
    }
    sendReply(std::move(messages), isBlock);
}

void SimulatedInstrument::answerParameterRequest(const Bytes& address)
{
    if (!namesParameter(address))
        return;
    const int size = m_map->paramSize(address);
    Bytes value;
    uint8_t device;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        if (!m_image.readEdit(address, size, &value))
            return;
        device = m_device;
    }
    sendReply({m_map->categories[0].parameterChange.form(device, address, value)}, {false});
}

void SimulatedInstrument::sendReply(std::vector<Bytes> messages, const std::vector<bool>& isBlock)
{
    Fault fault;
    int param;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        fault = m_fault;
        param = m_faultParam;
    }
    if (fault == Fault::NoReply || messages.empty())
        return;

    const SimMessageLayout& dump = m_map->categories[0].bulkDump;
    const int target = std::min(param, static_cast<int>(messages.size()) - 1);
    std::vector<Bytes> out;
    int blockIndex = 0;
    for (size_t i = 0; i < messages.size(); ++i) {
        Bytes& m = messages[i];
        const bool block = isBlock[i];
        if (fault == Fault::MissingBlock && block && blockIndex++ == param)
            continue;
        if (fault == Fault::SilenceAfterBlocks) {
            std::lock_guard<std::mutex> lock(m_stateMutex);
            if (m_blocksSent >= param && (block || m_blocksSent > 0))
                break;
            if (block)
                ++m_blocksSent;
        }
        const bool isDump = dump.matchesHeader(m);
        if (static_cast<int>(i) == target && isDump) {
            if (fault == Fault::BadChecksum && dump.checksumStart >= 0)
                m[m.size() - 2] = static_cast<uint8_t>((m[m.size() - 2] + 1) & 0x7F);
            if (fault == Fault::BadCount && dump.countPos >= 0) {
                // Miscounted by one, still 7-bit, and checksummed over the bytes as
                // sent: the count is the only thing wrong with the message.
                uint8_t& low = m[dump.countPos + 1];
                low = static_cast<uint8_t>(low < 0x7F ? low + 1 : low - 1);
                const size_t cs = m.size() - 2;
                if (dump.checksumStart >= 0 && static_cast<size_t>(dump.checksumStart) < cs)
                    m[cs] = sysExChecksum(m.data() + dump.checksumStart, cs - static_cast<size_t>(dump.checksumStart));
            }
        }
        if (fault == Fault::WrongModel && m.size() > 4 && m[1] == 0x43 && m_map->modelPos >= 0
            && m_map->modelPos < static_cast<int>(m.size()) - 1)
            m[m_map->modelPos] = static_cast<uint8_t>(m[m_map->modelPos] ^ 0x01);
        out.push_back(std::move(m));
    }
    if (out.empty())
        return;
    int64_t ready = nowNs();
    if (fault == Fault::LateReply)
        ready += static_cast<int64_t>(param) * 1000000;
    schedule(out, ready);
}

void SimulatedInstrument::schedule(const std::vector<Bytes>& messages, int64_t readyNs)
{
    Transport transport;
    size_t chunk;
    bool paced;
    int bps;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        transport = m_transport;
        chunk = m_chunkSize;
        paced = m_cableSpeed;
        bps = m_bytesPerSecond;
    }
    std::vector<Bytes> packets;
    switch (transport) {
    case Transport::Whole:
        packets = messages;
        break;
    case Transport::Split:
        for (const Bytes& m : messages) {
            for (size_t pos = 0; pos < m.size(); pos += chunk)
                packets.emplace_back(m.begin() + pos, m.begin() + std::min(m.size(), pos + chunk));
        }
        break;
    case Transport::Pack: {
        Bytes all;
        for (const Bytes& m : messages)
            all.insert(all.end(), m.begin(), m.end());
        packets.push_back(std::move(all));
        break;
    }
    }

    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        for (Bytes& p : packets) {
            int64_t due = readyNs;
            if (paced) {
                // A packet is complete at the receiver when its last byte has
                // crossed the cable.
                const int64_t start = std::max(m_lineFreeNs, readyNs);
                due = start + static_cast<int64_t>(p.size()) * 1000000000LL / bps;
                m_lineFreeNs = due;
            }
            auto pos = std::upper_bound(m_output.begin(), m_output.end(), due,
                                        [](int64_t d, const Packet& q) { return d < q.dueNs; });
            m_output.insert(pos, Packet{std::move(p), due});
        }
    }
    m_wake.notify_all();
}

void SimulatedInstrument::sendLargeMessage(size_t totalSize)
{
    // A dump's 256-based count cannot stay 7-bit at this size, so the message
    // uses the non-commercial identifier 7D that no receiver claims: it is taken
    // whole and then ignored.
    totalSize = std::max<size_t>(totalSize, 3);
    Bytes msg(totalSize);
    msg[0] = 0xF0;
    msg[1] = 0x7D;
    for (size_t i = 2; i + 1 < totalSize; ++i)
        msg[i] = static_cast<uint8_t>(i & 0x7F);
    msg[totalSize - 1] = 0xF7;
    const int64_t now = nowNs();
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_output.push_back(Packet{std::move(msg), std::max(now, m_lineFreeNs)});
    }
    m_wake.notify_all();
}

} // namespace NS_Simulator
