#pragma once
// The host's side of the plug-in boundary: the objects a host hands to the component,
// the records they exchange and their identifiers. Shared by the component and the
// substitute host; every layout here is part of that binary interface.
//
// Slot numbers count QueryInterface as slot 0. Operations the component never calls
// are kept as reserved slots so that the called ones stay at their numbers.
#include "utilities/YGuid.h"
#include "utilities/interfaces/IUnknown.h"
#include <cstddef>
#include <cstdint>

// Interfaces of this boundary carry default visibility so that their type information
// is one and the same in the host, the component and the add-ons.
#define VANTREL_HOST_ABI __attribute__((visibility("default")))

#include "utilities/interfaces/MPPortData.h"

// Status codes shared with the host.
namespace NS_MPStatus
{
constexpr int32_t ok = 0;
constexpr int32_t notImplemented = int32_t(0x80000001);
constexpr int32_t outOfMemory = int32_t(0x80000002);
constexpr int32_t invalidArgument = int32_t(0x80000003);
constexpr int32_t noInterface = int32_t(0x80000004);
constexpr int32_t aborted = int32_t(0x80000007);
constexpr int32_t failure = int32_t(0x80000008);
constexpr int32_t unexpected = int32_t(0x8000FFFF);
constexpr int32_t timedOut = 1460;
} // namespace NS_MPStatus

// An identifier from its text spelling "d1-d2-d3-b0b1-b2...b7": the 16 bytes come out
// in text order whatever the machine's byte order.
inline Y_GUID MPGuidFromText(uint32_t d1, uint16_t d2, uint16_t d3, uint8_t b0, uint8_t b1,
                             uint8_t b2, uint8_t b3, uint8_t b4, uint8_t b5, uint8_t b6,
                             uint8_t b7)
{
    Y_GUID g;
    uint8_t* p = reinterpret_cast<uint8_t*>(&g);
    p[0] = uint8_t(d1 >> 24);
    p[1] = uint8_t(d1 >> 16);
    p[2] = uint8_t(d1 >> 8);
    p[3] = uint8_t(d1);
    p[4] = uint8_t(d2 >> 8);
    p[5] = uint8_t(d2);
    p[6] = uint8_t(d3 >> 8);
    p[7] = uint8_t(d3);
    const uint8_t tail[8] = {b0, b1, b2, b3, b4, b5, b6, b7};
    for (int i = 0; i < 8; ++i)
        p[8 + i] = tail[i];
    return g;
}

namespace NS_HostIds
{
inline const Y_GUID IID_IUnknown =
    MPGuidFromText(0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
inline const Y_GUID IID_IConnectionPointContainer =
    MPGuidFromText(0xB196B284, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
inline const Y_GUID IID_IConnectionPoint =
    MPGuidFromText(0xB196B286, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
inline const Y_GUID IID_IMPPortListService =
    MPGuidFromText(0x0958ECA9, 0x6709, 0x4267, 0x96, 0x96, 0x33, 0xD5, 0x6F, 0xEC, 0x4F, 0x6A);
inline const Y_GUID IID_IMPPortAssignService =
    MPGuidFromText(0xD2CB5842, 0xC52D, 0x421A, 0x85, 0x47, 0xF5, 0xCB, 0x3A, 0xEB, 0x2E, 0x6C);
inline const Y_GUID IID_IMPClientInfo =
    MPGuidFromText(0x0958ECAA, 0x6709, 0x4267, 0x96, 0x96, 0x33, 0xD5, 0x6F, 0xEC, 0x4F, 0x6A);
inline const Y_GUID IID_IStream =
    MPGuidFromText(0x0000000C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// tagMPMSG identifier of "the host's MIDI ports changed".
inline const Y_GUID MSG_MIDIPortsChanged =
    MPGuidFromText(0x9DD48DE6, 0x9F3F, 0x4E80, 0xBC, 0xB5, 0x44, 0x82, 0xA5, 0xB5, 0x24, 0x0A);
} // namespace NS_HostIds

// ---------------------------------------------------------------------------------
// Host MIDI event, 56 bytes in native byte order.

// Event kinds (field `kind`).
namespace NS_MPEventKind
{
constexpr uint32_t empty = 0x1; // a record that holds nothing
constexpr uint32_t noteOff = 0x20;
constexpr uint32_t noteOn = 0x40;
constexpr uint32_t polyPressure = 0x80;
constexpr uint32_t controlChange = 0x100;
constexpr uint32_t programChange = 0x200;
constexpr uint32_t channelPressure = 0x400;
constexpr uint32_t pitchBend = 0x800;
constexpr uint32_t sysex = 0x10000;
// Any of these bits: `data.sysex` points to a malloc'd payload owned by the record.
constexpr uint32_t payloadMask = 0x3F0000;
// Mask the component passes to IMPEventQueue: every channel kind and every payload kind.
constexpr uint32_t queueMask = 0x3F0FFF;
} // namespace NS_MPEventKind

struct tagMPEVENT
{
    uint32_t kind;
    uint32_t reserved0[2];
    uint32_t port;     // host port number
    uint32_t channel;  // 0-15; 0 for system exclusive
    uint32_t reserved1;
    uint64_t sequence;
    uint32_t one;      // always 1
    uint32_t count;    // system exclusive: byte count; else 0
    union {
        uint8_t bytes[8]; // channel events: data bytes 1 to 4 of the message
        uint8_t* sysex;   // system exclusive: the bytes after 0xF0
    } data;
    uint32_t reserved2[2];
};
static_assert(sizeof(tagMPEVENT) == 56, "host MIDI event is 56 bytes");
static_assert(offsetof(tagMPEVENT, port) == 12, "port at 12");
static_assert(offsetof(tagMPEVENT, channel) == 16, "channel at 16");
static_assert(offsetof(tagMPEVENT, sequence) == 24, "sequence at 24");
static_assert(offsetof(tagMPEVENT, one) == 32, "constant 1 at 32");
static_assert(offsetof(tagMPEVENT, count) == 36, "count at 36");
static_assert(offsetof(tagMPEVENT, data) == 40, "data union at 40");
static_assert(sizeof(tagMPEVENT::data) == 8, "data union is 8 bytes");

// Queue status handed to IMPEventFilter::MPOnEvents.
struct tagMPQSTATUS
{
    uint8_t reserved0[24];
    uint8_t flags; // bit 0x40: events are waiting
    uint8_t reserved1[7];
};
static_assert(offsetof(tagMPQSTATUS, flags) == 24, "queue flags at 24");
constexpr uint8_t MPQSTATUS_EVENTS_WAITING = 0x40;

// Host notification; only its identifier is read.
struct tagMPMSG
{
    Y_GUID id;
};
static_assert(offsetof(tagMPMSG, id) == 0, "message identifier first");

// ---------------------------------------------------------------------------------
// Host objects. Any of them may be called on any host thread.

// The connection point through which the component's notification sink is advised.
class VANTREL_HOST_ABI IConnectionPoint : public IUnknown
{
public:
    // cookie: non-zero on success.
    virtual int32_t Advise(IUnknown* sink, uint32_t* cookie) = 0;
    virtual int32_t Unadvise(uint32_t cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

class VANTREL_HOST_ABI IConnectionPointContainer : public IUnknown
{
public:
    // *point := the connection point for that sink interface (counted), or null.
    virtual int32_t FindConnectionPoint(const Y_GUID& iid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

// The host's list of MIDI ports (IID_IMPPortListService).
class VANTREL_HOST_ABI IMPPortListService : public IUnknown
{
public:
    // Slot 3. Fills the list: count and a malloc'd array of records each with a malloc'd
    // UTF-16 name; the caller frees the names, then the array.
    virtual int32_t MPGetPortList(bool output, tagMPPORTDATA* list) = 0;

protected:
    ~IMPPortListService() = default;
};

// Operations of IMPPortAssignService::MPAssignPort.
namespace NS_MPPortAssign
{
constexpr int32_t remove = 0;
constexpr int32_t add = 1;
constexpr int32_t change = 3;
} // namespace NS_MPPortAssign

// The host's record of which ports the editor uses (IID_IMPPortAssignService).
class VANTREL_HOST_ABI IMPPortAssignService : public IUnknown
{
public:
    // Slots 3 to 6: host operations the component does not call.
    virtual int32_t MPReserved3() = 0;
    virtual int32_t MPReserved4() = 0;
    virtual int32_t MPReserved5() = 0;
    virtual int32_t MPReserved6() = 0;
    // Slot 7. pair: -1 the instrument, 0 the control surface. name: null, or a malloc'd
    // UTF-16 string that passes to the host (which frees it). A negative result for an
    // add: the port is not assigned.
    virtual int32_t MPAssignPort(int32_t operation, const Y_GUID* port, const uint16_t* name,
                                 const Y_GUID* classId, IUnknown* component, int32_t pair) = 0;

protected:
    ~IMPPortAssignService() = default;
};

// The host's client information (IID_IMPClientInfo); the component only hands it on.
class VANTREL_HOST_ABI IMPClientInfo : public IUnknown
{
protected:
    ~IMPClientInfo() = default;
};

// The host's MIDI output, second argument of MPConnect.
// Called from the GUI thread, the MIDI pump thread and editing threads, without a lock
// of the component.
class VANTREL_HOST_ABI IMPAsyncOutput : public IUnknown
{
public:
    // Slot 3. 0: the events were taken. The host uses a system-exclusive payload only
    // during the call; it stays the caller's.
    virtual int32_t MPOutputEvents(tagMPEVENT* events, uint32_t count) = 0;

protected:
    ~IMPAsyncOutput() = default;
};

// The host's queue of incoming MIDI, argument of MPOnEvents.
class VANTREL_HOST_ABI IMPEventQueue : public IUnknown
{
public:
    // Slot 3: a host operation the component does not call.
    virtual int32_t MPReserved3() = 0;
    // Slots 4 and 5. 0 while events come; *got 0: none; *more 0: the batch ends.
    // A payload handed over belongs to the receiver.
    virtual int32_t MPGetFirstEvent(uint32_t* got, tagMPEVENT* event, uint32_t* more,
                                    uint32_t mask) = 0;
    virtual int32_t MPGetNextEvent(uint32_t* got, tagMPEVENT* event, uint32_t* more,
                                   uint32_t mask) = 0;

protected:
    ~IMPEventQueue() = default;
};

// The host project's stream for the document.
class VANTREL_HOST_ABI IStream : public IUnknown
{
public:
    // Slots 3 and 4. 0: success; *done: the bytes moved (may be null).
    virtual int32_t Read(void* buffer, uint32_t length, uint32_t* done) = 0;
    virtual int32_t Write(const void* buffer, uint32_t length, uint32_t* done) = 0;

protected:
    ~IStream() = default;
};

// The host's progress display of a total recall.
class VANTREL_HOST_ABI IMPClientProgressHandler : public IUnknown
{
public:
    // Slot 3: progress value of maximum with a zero-ended UTF-16 text.
    virtual int32_t MPProgress(uint32_t context, uint32_t value, uint32_t maximum,
                               const uint16_t* text) = 0;
    // Slot 4: the recall ended with that status.
    virtual int32_t MPFinished(uint32_t context, int32_t status) = 0;

protected:
    ~IMPClientProgressHandler() = default;
};

// Handed to IPropertyPage::SetPageSite and ignored by the component.
class VANTREL_HOST_ABI IPropertyPageSite : public IUnknown
{
protected:
    ~IPropertyPageSite() = default;
};
