#include "TInputOutput_VANTREL_KXE.h"
#include "MPEventMapping.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include "memapi/IMemAPI.h"
#include "utilities/WideString.h"
#include "utilities/YGuid.h"
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QThread>
#include <cstdlib>

Q_LOGGING_CATEGORY(lcBridge, "tovar.midi.bridge")

namespace {

std::atomic<uint64_t> g_sequence{0};
std::atomic<int> g_portListDelayMs{50};

// Assignment names by direction + 2 x pair: the control-surface ports are marked.
const char* const kAssignmentNames[4] = {nullptr, nullptr, "- Remote", "- Remote"};

QString portText(const tagMPPORTENTRY& entry)
{
    const QString name =
        entry.portName ? QString::fromUtf16(reinterpret_cast<const char16_t*>(entry.portName))
                       : QString();
    return QStringLiteral("%1;%2").arg(entry.portNumber).arg(name);
}

} // namespace

TInputOutput_VANTREL_KXE::TInputOutput_VANTREL_KXE(IUnknown* component, IUnknown* host,
                                                   IMPAsyncOutput* output, int pair)
    : m_output(output), m_component(component), m_host(host), m_pair(pair)
{
    // Made on a host thread by MPConnect: the GUI thread owns every QObject.
    if (QCoreApplication* app = QCoreApplication::instance(); app && thread() != app->thread())
        moveToThread(app->thread());
    updatePortInformation();
}

TInputOutput_VANTREL_KXE::~TInputOutput_VANTREL_KXE()
{
    QMutexLocker lock(&m_portMutex);
    releasePort(m_selection[1], 1, m_pair);
    releasePort(m_selection[0], 0, m_pair);
    for (int d = 0; d < 2; ++d) {
        freePortList(m_lists[d]);
        m_selection[d].port = 0;
        m_maps[d].clear();
    }
    if (m_portAssign)
        m_portAssign->Release();
    if (m_portList)
        m_portList->Release();
}

uint64_t TInputOutput_VANTREL_KXE::takeSequenceNumber()
{
    return g_sequence.fetch_add(1);
}

void TInputOutput_VANTREL_KXE::setPortListDelayMs(int ms)
{
    g_portListDelayMs = ms < 0 ? 0 : ms;
}

void TInputOutput_VANTREL_KXE::freePortList(tagMPPORTDATA& list)
{
    if (list.entries) {
        for (int32_t i = 0; i < list.count; ++i)
            std::free(list.entries[i].portName);
        std::free(list.entries);
    }
    list.entries = nullptr;
    list.count = 0;
}

void TInputOutput_VANTREL_KXE::updatePortInformation()
{
    if (!m_portList && m_host) {
        void* service = nullptr;
        if (m_host->QueryInterface(NS_HostIds::IID_IMPPortListService, &service) >= 0)
            m_portList = static_cast<IMPPortListService*>(service);
    }
    if (m_portList) {
        for (int d = 0; d < 2; ++d) {
            QThread::msleep(ulong(g_portListDelayMs.load()));
            tagMPPORTDATA fresh = {0, nullptr};
            m_portList->MPGetPortList(d == 1, &fresh);
            // A list that cannot be walked is no list.
            if (fresh.count < 0 || (fresh.count > 0 && !fresh.entries)) {
                qCWarning(lcBridge) << "host port list refused: count" << fresh.count;
                freePortList(fresh);
            }
            QMutexLocker lock(&m_portMutex);
            freePortList(m_lists[d]);
            m_selection[d].port = 0;
            m_maps[d].clear();
            m_lists[d] = fresh;
        }
    }
    if (!m_portAssign && m_host) {
        void* service = nullptr;
        if (m_host->QueryInterface(NS_HostIds::IID_IMPPortAssignService, &service) >= 0)
            m_portAssign = static_cast<IMPPortAssignService*>(service);
    }
    QMutexLocker lock(&m_portMutex);
    for (int d = 0; d < 2; ++d) {
        for (int32_t i = 0; i < m_lists[d].count; ++i) {
            const tagMPPORTENTRY& entry = m_lists[d].entries[i];
            m_maps[d].insert(Guid2QUuid(entry.portId), portText(entry));
        }
    }
}

int32_t TInputOutput_VANTREL_KXE::read(int length, const void* data, bool sysex, bool channel)
{
    IMemAPI* api = m_memAPI.load();
    if (!api || length <= 0 || !data)
        return 0;
    return api->MAPI_readMIDIFromPort(m_pair, data, length, sysex, channel) == 0 ? length : 0;
}

int32_t TInputOutput_VANTREL_KXE::write(int length, const void* data)
{
    const uint32_t port = m_selection[1].port.load();
    if (!m_memAPI.load() || !m_output || port == 0)
        return 0;
    // An empty message, or a system-exclusive one with nothing after its 0xF0, is
    // refused rather than sent as an event without bytes.
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (length <= 0 || !bytes || (bytes[0] == 0xF0 && length < 2))
        return 0;
    tagMPEVENT event;
    if (!NS_MPEvent::buildOutgoing(length, bytes, port, 0, event)) {
        qCDebug(lcBridge) << "message dropped: cannot be sent as a host event, length" << length;
        return 1;
    }
    event.sequence = takeSequenceNumber();
    return m_output->MPOutputEvents(&event, 1) == 0 ? 1 : 0;
}

QUuid TInputOutput_VANTREL_KXE::portIdentity(int direction)
{
    if (direction != 0 && direction != 1)
        return QUuid();
    QMutexLocker lock(&m_portMutex);
    return m_selection[direction].identity;
}

int32_t TInputOutput_VANTREL_KXE::selectPorts(const QUuid* ports, int pair)
{
    if (!ports)
        return NS_MPStatus::invalidArgument;
    selectPort(ports[1], 1, pair);
    selectPort(ports[0], 0, pair);
    return 0;
}

void TInputOutput_VANTREL_KXE::selectPort(const QUuid& identity, int direction, int pair)
{
    QMutexLocker lock(&m_portMutex);
    TIOPORTINFO& selection = m_selection[direction];
    const Y_GUID wanted = QUuid2Guid(identity);
    bool found = false;
    uint32_t port = 0;
    const tagMPPORTDATA& list = m_lists[direction];
    for (int32_t i = 0; i < list.count; ++i) {
        if (list.entries[i].portId == wanted) {
            found = true;
            port = uint32_t(list.entries[i].portNumber);
            break;
        }
    }

    if (m_portAssign) {
        const int code = direction + 2 * pair;
        const char* name = (code >= 0 && code < 4) ? kAssignmentNames[code] : nullptr;
        const int32_t hostPair = pair - 1;
        auto assign = [&](int32_t operation, const Y_GUID& portId) {
            return m_portAssign->MPAssignPort(operation, &portId,
                                              name ? CreateOLEString(QString::fromLatin1(name))
                                                   : nullptr,
                                              &NS_HostIds::CLSID_Component, m_component,
                                              hostPair);
        };
        if (!selection.assigned) {
            if (found)
                selection.assigned = assign(NS_MPPortAssign::add, wanted) >= 0;
        } else if (found) {
            if (identity != selection.identity)
                assign(NS_MPPortAssign::change, wanted);
        } else {
            assign(NS_MPPortAssign::remove, QUuid2Guid(selection.identity));
            selection.assigned = false;
        }
    } else {
        selection.assigned = found;
    }
    selection.identity = identity;
    selection.port = port;
}

void TInputOutput_VANTREL_KXE::releasePort(TIOPORTINFO& selection, int direction, int pair)
{
    Q_UNUSED(direction);
    QMutexLocker lock(&m_portMutex);
    if (m_portAssign && selection.assigned) {
        const Y_GUID previous = QUuid2Guid(selection.identity);
        m_portAssign->MPAssignPort(NS_MPPortAssign::remove, &previous, nullptr,
                                   &NS_HostIds::CLSID_Component, m_component, pair - 1);
    }
    selection.port = 0;
    selection.identity = QUuid();
    selection.assigned = false;
}

bool TInputOutput_VANTREL_KXE::isAssigned(int direction) const
{
    if (direction != 0 && direction != 1)
        return false;
    QMutexLocker lock(&m_portMutex);
    return m_selection[direction].assigned;
}

void TInputOutput_VANTREL_KXE::setReceiveChannelMessages(bool receive)
{
    m_receiveChannelMessages = receive;
}

bool TInputOutput_VANTREL_KXE::receiveChannelMessages()
{
    return m_receiveChannelMessages.load();
}

void TInputOutput_VANTREL_KXE::Release()
{
    delete this;
}

QUuid TInputOutput_VANTREL_KXE::portIdentity(const QString& key, bool output)
{
    QMutexLocker lock(&m_portMutex);
    const TSystemMIDIMap& map = m_maps[output ? 1 : 0];
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value() == key)
            return it.key();
    }
    return QUuid();
}

QString TInputOutput_VANTREL_KXE::portName(const QUuid& identity)
{
    QMutexLocker lock(&m_portMutex);
    for (const TSystemMIDIMap& map : m_maps) {
        auto it = map.constFind(identity);
        if (it != map.cend())
            return it.value();
    }
    return QStringLiteral("<unknown port name>");
}

int TInputOutput_VANTREL_KXE::numberOfPlugs(bool output)
{
    QMutexLocker lock(&m_portMutex);
    return int(m_maps[output ? 1 : 0].size());
}

const TSystemMIDIMap& TInputOutput_VANTREL_KXE::plugs(bool output)
{
    QMutexLocker lock(&m_portMutex);
    return m_maps[output ? 1 : 0];
}

void TInputOutput_VANTREL_KXE::connect(IMemAPI& api)
{
    m_memAPI = &api;
}
