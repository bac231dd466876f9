#pragma once
// Host objects for the component's tests: a host IUnknown with port-list and
// port-assignment services, a MIDI output that records what it is given, and an
// event queue that hands out prepared events.
#include "genericeditor/interfaces/HostInterfaces.h"
#include "utilities/YGuid.h"
#include <QByteArray>
#include <QString>
#include <QUuid>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <functional>
#include <vector>

// Reference counting shared by the fakes; they live on the test's stack.
template <class Interface>
class FakeCounted : public Interface
{
public:
    uint32_t AddRef() override { return ++m_refs; }
    uint32_t Release() override { return --m_refs; }
    int refs() const { return m_refs; }
    int32_t QueryInterface(const Y_GUID& iid, void** object) override
    {
        if (iid == NS_HostIds::IID_IUnknown) {
            AddRef();
            *object = this;
            return 0;
        }
        *object = nullptr;
        return NS_MPStatus::noInterface;
    }

private:
    std::atomic<int> m_refs{0};
};

struct FakePort
{
    int32_t number;
    QUuid id;
    QString name;
};

class FakePortList : public FakeCounted<IMPPortListService>
{
public:
    std::vector<FakePort> ports[2];
    int calls = 0;
    // Runs first in every call, on the caller's thread.
    std::function<void()> onList;

    int32_t MPGetPortList(bool output, tagMPPORTDATA* list) override
    {
        ++calls;
        if (onList)
            onList();
        const std::vector<FakePort>& src = ports[output ? 1 : 0];
        list->count = int32_t(src.size());
        list->entries = src.empty() ? nullptr
                                    : static_cast<tagMPPORTENTRY*>(
                                          std::calloc(src.size(), sizeof(tagMPPORTENTRY)));
        for (size_t i = 0; i < src.size(); ++i) {
            tagMPPORTENTRY& e = list->entries[i];
            e.portNumber = src[i].number;
            e.portId = QUuid2Guid(src[i].id);
            const size_t units = size_t(src[i].name.size()) + 1;
            e.portName = static_cast<unsigned short*>(std::malloc(units * 2));
            std::memcpy(e.portName, src[i].name.utf16(), units * 2);
        }
        return 0;
    }
};

class FakePortAssign : public FakeCounted<IMPPortAssignService>
{
public:
    struct Call
    {
        int32_t operation;
        QUuid port;
        QString name;
        bool hasName;
        QUuid classId;
        IUnknown* component;
        int32_t pair;
    };
    std::vector<Call> calls;
    int32_t addAnswer = 0;

    int32_t MPReserved3() override { return NS_MPStatus::notImplemented; }
    int32_t MPReserved4() override { return NS_MPStatus::notImplemented; }
    int32_t MPReserved5() override { return NS_MPStatus::notImplemented; }
    int32_t MPReserved6() override { return NS_MPStatus::notImplemented; }
    int32_t MPAssignPort(int32_t operation, const Y_GUID* port, const uint16_t* name,
                         const Y_GUID* classId, IUnknown* component, int32_t pair) override
    {
        Call c{operation, Guid2QUuid(*port),
               name ? QString::fromUtf16(reinterpret_cast<const char16_t*>(name)) : QString(),
               name != nullptr, Guid2QUuid(*classId), component, pair};
        calls.push_back(c);
        // The name is ours now.
        std::free(const_cast<uint16_t*>(name));
        return operation == NS_MPPortAssign::add ? addAnswer : 0;
    }
};

class FakeAsyncOutput : public FakeCounted<IMPAsyncOutput>
{
public:
    struct Sent
    {
        tagMPEVENT event;
        QByteArray sysex; // the bytes behind the pointer, copied during the call
    };
    std::vector<Sent> sent;
    int32_t answer = 0;
    std::mutex mutex;

    int32_t MPOutputEvents(tagMPEVENT* events, uint32_t count) override
    {
        std::lock_guard<std::mutex> l(mutex);
        for (uint32_t i = 0; i < count; ++i) {
            Sent s{events[i], {}};
            if (events[i].kind == NS_MPEventKind::sysex)
                s.sysex = QByteArray(reinterpret_cast<const char*>(events[i].data.sysex),
                                     int(events[i].count));
            sent.push_back(s);
        }
        return answer;
    }
};

// Hands out prepared events one by one; a payload handed out belongs to the receiver.
class FakeEventQueue : public FakeCounted<IMPEventQueue>
{
public:
    std::deque<tagMPEVENT> events;
    int fetched = 0;

    // A system-exclusive event on a port with a malloc'd payload.
    static tagMPEVENT sysex(uint32_t port, const QByteArray& bytesAfterF0)
    {
        tagMPEVENT e = blank(port);
        e.kind = NS_MPEventKind::sysex;
        e.count = uint32_t(bytesAfterF0.size());
        e.data.sysex = static_cast<uint8_t*>(std::malloc(size_t(bytesAfterF0.size())));
        std::memcpy(e.data.sysex, bytesAfterF0.constData(), size_t(bytesAfterF0.size()));
        return e;
    }
    static tagMPEVENT channelEvent(uint32_t port, uint32_t kind, uint32_t channel, uint8_t d1,
                                   uint8_t d2)
    {
        tagMPEVENT e = blank(port);
        e.kind = kind;
        e.channel = channel;
        e.data.bytes[0] = d1;
        e.data.bytes[1] = d2;
        return e;
    }

    int32_t MPReserved3() override { return NS_MPStatus::notImplemented; }
    int32_t MPGetFirstEvent(uint32_t* got, tagMPEVENT* event, uint32_t* more, uint32_t mask) override
    {
        return next(got, event, more, mask);
    }
    int32_t MPGetNextEvent(uint32_t* got, tagMPEVENT* event, uint32_t* more, uint32_t mask) override
    {
        return next(got, event, more, mask);
    }

    // Frees the payloads of events never handed out.
    ~FakeEventQueue()
    {
        for (tagMPEVENT& e : events) {
            if (e.kind & NS_MPEventKind::payloadMask)
                std::free(e.data.sysex);
        }
    }

private:
    static tagMPEVENT blank(uint32_t port)
    {
        tagMPEVENT e;
        std::memset(&e, 0, sizeof e);
        e.port = port;
        e.one = 1;
        return e;
    }
    int32_t next(uint32_t* got, tagMPEVENT* event, uint32_t* more, uint32_t)
    {
        if (events.empty()) {
            *got = 0;
            *more = 0;
            return 0;
        }
        *event = events.front();
        events.pop_front();
        ++fetched;
        *got = 1;
        *more = events.empty() ? 0 : 1;
        return 0;
    }
};

inline tagMPQSTATUS eventsWaiting()
{
    tagMPQSTATUS s;
    std::memset(&s, 0, sizeof s);
    s.flags = MPQSTATUS_EVENTS_WAITING;
    return s;
}

// The host IUnknown: hands out the services it was given (null: not offered).
class FakeHost : public FakeCounted<IUnknown>
{
public:
    FakePortList* portList = nullptr;
    FakePortAssign* portAssign = nullptr;
    IUnknown* clientInfo = nullptr;

    int32_t QueryInterface(const Y_GUID& iid, void** object) override
    {
        IUnknown* answer = nullptr;
        if (iid == NS_HostIds::IID_IMPPortListService)
            answer = portList;
        else if (iid == NS_HostIds::IID_IMPPortAssignService)
            answer = portAssign;
        else if (iid == NS_HostIds::IID_IMPClientInfo)
            answer = clientInfo;
        else if (iid == NS_HostIds::IID_IUnknown)
            answer = this;
        if (!answer) {
            *object = nullptr;
            return NS_MPStatus::noInterface;
        }
        answer->AddRef();
        *object = answer;
        return 0;
    }
};
