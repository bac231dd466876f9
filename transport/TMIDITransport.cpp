#include "TMIDITransport.h"
#include "TMIDIEvent.h"
#include "TMIDIEventPushThread.h"
#include "TransportLogging.h"
#include "utilities/WideString.h"
#include "utilities/YGuid.h"
#include "utilities/interfaces/MPPortData.h"
#include <QList>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

struct TMIDITransportPrivateData
{
    std::mutex observerMutex;
    QList<TMIDIReaderRefConInterface*> observers;
    TMIDIEvent* gathering = nullptr; // the system-exclusive message being gathered
    bool skipping = false;           // the rest of an over-long message is being dropped

    QList<TMIDIReaderRefConInterface*> observerList()
    {
        std::lock_guard<std::mutex> lock(observerMutex);
        return observers;
    }
};

namespace {

const QLatin1String kInputMarker("<[Inp]>");
const QLatin1String kOutputMarker("<[Out]>");

// The name part of a descriptor "<number>;<name>".
QString namePart(const QString& descriptor)
{
    const int at = descriptor.indexOf(QLatin1Char(';'));
    return at < 0 ? QString() : descriptor.mid(at + 1);
}

int numberPart(const QString& descriptor)
{
    return descriptor.section(QLatin1Char(';'), 0, 0).toInt();
}

} // namespace

TMIDITransport::TMIDITransport(IMIDIPortAccessor* accessor)
    : m_accessor(accessor), d(new TMIDITransportPrivateData)
{
}

TMIDITransport::~TMIDITransport()
{
    m_closing = true;
    stopPusherThread();
    delete d->gathering;
}

int TMIDITransport::AddRef() { return ++m_useCount; }

int TMIDITransport::Release()
{
    const int left = --m_useCount;
    if (left == 0) {
        m_closing = true;
        delete this;
    }
    return left;
}

void TMIDITransport::registerMIDIobserver(TMIDIReaderRefConInterface* observer)
{
    if (!observer)
        return;
    std::lock_guard<std::mutex> lock(d->observerMutex);
    if (!d->observers.contains(observer))
        d->observers.append(observer);
}

void TMIDITransport::startPusherThread()
{
    QMutexLocker lock(&m_mutex);
    if (m_pushThread)
        return;
    m_pushThread = new TMIDIEventPushThread(this);
    m_pushThread->start(QThread::TimeCriticalPriority);
}

void TMIDITransport::stopPusherThread()
{
    TMIDIEventPushThread* thread = nullptr;
    {
        // Detached under the lock, so read() never pushes into a thread being deleted.
        QMutexLocker lock(&m_mutex);
        thread = m_pushThread;
        m_pushThread = nullptr;
    }
    if (!thread)
        return;
    Q_ASSERT(QThread::currentThread() != thread);
    thread->requestStop();
    thread->wait();
    delete thread; // frees what was still queued
}

void TMIDITransport::doEvent(TMIDIEvent& event)
{
    for (TMIDIReaderRefConInterface* observer : d->observerList())
        observer->read(int(event.data.size()), event.data.constData(), true, false);
}

int TMIDITransport::midi_msg_length(unsigned char status)
{
    if (status < 0xF0) {
        switch (status >> 4) {
        case 0x8: case 0x9: case 0xA: case 0xB: case 0xE:
            return 3;
        case 0xC: case 0xD:
            return 2;
        default:
            return 1;
        }
    }
    switch (status & 0x0F) {
    case 0x2:
        return 3;
    case 0x3:
        return 2;
    default:
        return 1;
    }
}

int TMIDITransport::read(int length, const void* data, bool sysexExpected, bool)
{
    if (length <= 0 || !data)
        return length;
    QMutexLocker lock(&m_mutex);
    const auto* position = static_cast<const unsigned char*>(data);
    int remaining = length;
    while (!m_closing && remaining > 0) {
        const unsigned char status = *position;
        if (status >= 0x80 && status < 0xF0) {
            // The rest of the buffer is the observers' to take.
            for (TMIDIReaderRefConInterface* observer : d->observerList()) {
                if (m_closing)
                    break;
                observer->read(remaining, position, true, false);
            }
            break;
        }
        // Real-time bytes may come between or inside messages; they are no part of one.
        const int used = status >= 0xF8 ? 1 : gatherPiece(position, remaining, sysexExpected);
        position += used;
        remaining -= used;
    }
    return remaining != 0 ? remaining : length;
}

int TMIDITransport::gatherPiece(const unsigned char* p, int n, bool sysexExpected)
{
    if (p[0] == 0xF0) {
        // A new start byte ends a message that never got its F7.
        if (d->gathering)
            dropEvent("unterminated system-exclusive message dropped at the next F0");
        d->skipping = false;
        d->gathering = new TMIDIEvent;
    } else if (!d->gathering && !d->skipping) {
        if (sysexExpected) {
            // Stray data bytes are dropped; the next status byte is looked at anew.
            int i = 1;
            while (i < n && (p[i] < 0x80 || p[i] == 0xF7))
                ++i;
            return i;
        }
        d->gathering = new TMIDIEvent;
    }

    int i = 0;
    for (; i < n; ++i) {
        const unsigned char b = p[i];
        if (b == 0xF0 && i > 0)
            break; // the next call of this function drops the unfinished message
        if (b >= 0xF8)
            continue;
        if (d->skipping) {
            if (b == 0xF7) {
                d->skipping = false;
                ++i;
                break;
            }
            continue;
        }
        d->gathering->data.append(char(b));
        if (b == 0xF7) {
            ++i;
            completeEvent();
            break;
        }
        if (d->gathering->data.size() >= kMaxSysExLength) {
            dropEvent("system-exclusive message longer than the limit dropped");
            d->skipping = true;
        }
    }
    return i;
}

void TMIDITransport::completeEvent()
{
    TMIDIEvent* event = d->gathering;
    d->gathering = nullptr;
    if (m_pushThread)
        m_pushThread->pushEvent(event); // frees it when the ring is full
    else
        delete event;
}

void TMIDITransport::dropEvent(const char* why)
{
    qCWarning(lcTransport) << why;
    delete d->gathering;
    d->gathering = nullptr;
}

void TMIDITransport::MIDIPorts(IMIDIPortAccessor* accessor, bool output, tagMPPORTDATA* out)
{
    if (!accessor || !out || out->entries)
        return;
    const int count = accessor->numberOfPlugs(output);
    out->count = 0;
    if (count <= 0)
        return;

    QStringList texts;
    const TSystemMIDIMap& plugs = accessor->plugs(output);
    for (auto it = plugs.cbegin(); it != plugs.cend(); ++it)
        texts.append(it.value() + QLatin1String("<;>") + it.key().toString());
    // Plain text order: port 10 comes before port 2, as the port menus have always shown.
    std::sort(texts.begin(), texts.end());

    // An accessor whose count and map disagree gets the records it can fill.
    const int filled = std::min(count, int(texts.size()));
    out->count = count;
    out->entries = static_cast<tagMPPORTENTRY*>(std::calloc(size_t(count), sizeof(tagMPPORTENTRY)));
    if (!out->entries) {
        qCWarning(lcTransport) << "out of memory for the port list";
        return;
    }
    out->count = filled;
    for (int i = 0; i < filled; ++i) {
        const QString& text = texts.at(i);
        // The identifier is after the last separator: a name may contain "<;>".
        const int sep = text.lastIndexOf(QLatin1String("<;>"));
        const QStringList fields = text.left(sep).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        tagMPPORTENTRY& entry = out->entries[i];
        entry.portNumber = fields.value(0).toInt();
        entry.portId = QUuid2Guid(QUuid(text.mid(sep + 3)));
        entry.portName = CreateOLEString(fields.value(1));
    }
}

QString TMIDITransport::friendlyName(const QUuid& id)
{
    QString name;
    if (m_accessor) {
        const TSystemMIDIMap& outputs = m_accessor->plugs(true);
        const TSystemMIDIMap& inputs = m_accessor->plugs(false);
        if (outputs.contains(id))
            name = namePart(outputs.value(id));
        if (inputs.contains(id))
            name = namePart(inputs.value(id));
        name.remove(kInputMarker);
        name.remove(kOutputMarker);
    }
    return name.isEmpty() ? id.toString() : name;
}

int TMIDITransport::getInpDescriptorPort(const QUuid& id)
{
    if (!m_accessor)
        return 0;
    const TSystemMIDIMap& inputs = m_accessor->plugs(false);
    return inputs.contains(id) ? numberPart(inputs.value(id)) : 0;
}

int TMIDITransport::getOutDescriptorPort(const QUuid& id)
{
    if (!m_accessor)
        return 0;
    const TSystemMIDIMap& outputs = m_accessor->plugs(true);
    return outputs.contains(id) ? numberPart(outputs.value(id)) : 0;
}

int32_t CoCreateGuid(Y_GUID* guid)
{
    if (!guid)
        return int32_t(0x80000001);
    const QByteArray bytes = QUuid::createUuid().toRfc4122();
    std::memcpy(guid, bytes.constData(), sizeof(Y_GUID));
    return 0;
}
