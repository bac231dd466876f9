#pragma once
// The component's side of the plug-in boundary: the interfaces the host calls on the
// component's objects, their identifiers, the records they take, and the factory export.
// Declarations only; shared by the component and the substitute host.
#include "genericeditor/interfaces/HostInterfaces.h"
#include <QtGui/qwindowdefs.h>

namespace NS_HostIds
{
inline const Y_GUID IID_IMPInitialise =
    MPGuidFromText(0x0958ECA1, 0x6709, 0x4267, 0x96, 0x96, 0x33, 0xD5, 0x6F, 0xEC, 0x4F, 0x6A);
inline const Y_GUID IID_IMPServices =
    MPGuidFromText(0xFF804522, 0x7B40, 0x44D4, 0x8C, 0x42, 0xBE, 0xB6, 0x56, 0xA2, 0x81, 0x01);
inline const Y_GUID IID_IMPEventFilter =
    MPGuidFromText(0x0958ECA3, 0x6709, 0x4267, 0x96, 0x96, 0x33, 0xD5, 0x6F, 0xEC, 0x4F, 0x6A);
inline const Y_GUID IID_IPersist =
    MPGuidFromText(0x0000010C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
inline const Y_GUID IID_IPersistStream =
    MPGuidFromText(0x00000109, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
inline const Y_GUID IID_IMPNotificationSink =
    MPGuidFromText(0x0958ECAB, 0x6709, 0x4267, 0x96, 0x96, 0x33, 0xD5, 0x6F, 0xEC, 0x4F, 0x6A);
inline const Y_GUID IID_ISpecifyPropertyPages =
    MPGuidFromText(0xB196B28B, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
inline const Y_GUID IID_IPropertyPage =
    MPGuidFromText(0xB196B28D, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
// Class of the initialise-and-connect component (GetClassID, port assignment).
inline const Y_GUID CLSID_Component =
    MPGuidFromText(0x5B46C89E, 0xBD98, 0x9946, 0xB4, 0xCE, 0x79, 0x8E, 0x37, 0xB3, 0x9B, 0xBA);
// Class of the property page (GetPages).
inline const Y_GUID CLSID_PropertyPage =
    MPGuidFromText(0x7FE4C376, 0x3EC6, 0x474A, 0x82, 0x31, 0xC2, 0xDB, 0x05, 0x4E, 0x56, 0xFC);
} // namespace NS_HostIds

enum _MPINITIALISE_MODE : int32_t
{
    MPINITIALISE_DEFAULT = 0
};

enum _MPTIME_FORMAT : int32_t
{
    MPTIME_FORMAT_NONE = 0
};

// Bit of the MPConnect flags word that the component keeps.
constexpr uint32_t MPCONNECT_FLAG_KEPT = 0x40;
// Bit the component sets in the flags it hands back when a stream given to
// IPersistStream::Load before the connect (kept for it) could not be loaded: the
// editor does not hold that document, so saving it would write over the project.
constexpr uint32_t MPCONNECT_FLAG_KEPT_LOAD_FAILED = 0x100;

struct ULARGE_INTEGER
{
    uint64_t QuadPart;
};

struct tagRECT
{
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Counted array of identifiers; the receiver frees pElems with free().
struct tagCAUUID
{
    uint32_t cElems;
    Y_GUID* pElems;
};

// Property-page description; the strings are malloc'd UTF-16 the receiver frees.
struct tagPROPPAGEINFO
{
    uint32_t cb; // sizeof(tagPROPPAGEINFO)
    uint16_t* title;
    int32_t width;
    int32_t height;
    uint16_t* docString;
    uint16_t* helpFile;
    uint32_t helpContext;
};

class VANTREL_HOST_ABI IMPInitialise : public IUnknown
{
public:
    // Host thread. flags: in and out; only MPCONNECT_FLAG_KEPT is kept, and
    // MPCONNECT_FLAG_KEPT_LOAD_FAILED comes back when a kept load failed.
    virtual int32_t MPConnect(IUnknown* host, IMPAsyncOutput* output, _MPINITIALISE_MODE mode,
                              uint32_t value, uint32_t* flags) = 0;
    virtual int32_t MPDisconnect() = 0;

protected:
    ~IMPInitialise() = default;
};

class VANTREL_HOST_ABI IMPServices : public IUnknown
{
public:
    virtual int32_t MPRecall(bool upload, IMPClientProgressHandler* handler, uint32_t features) = 0;
    // *text: a new UTF-16 string the receiver frees.
    virtual int32_t MPTranslateErrorCode(int32_t code, uint16_t** text) = 0;
    virtual int32_t MPTerminateRecall() = 0;
    virtual int32_t MPImageURL(uint16_t** off, uint16_t** on) = 0;
    virtual int32_t MPRecallFeatureSet(uint32_t* count, uint16_t** names, uint32_t* current,
                                       bool* offline, uint32_t* reserved) = 0;

protected:
    ~IMPServices() = default;
};

class VANTREL_HOST_ABI IMPEventFilter : public IUnknown
{
public:
    // Host thread: takes the waiting events of the queue.
    virtual int32_t MPOnEvents(IMPEventQueue* queue, const tagMPQSTATUS& status) = 0;
    virtual int32_t MPGetSupportedTimeFormats(_MPTIME_FORMAT* preferred, _MPTIME_FORMAT* other,
                                              uint32_t* formats) = 0;
    virtual int32_t MPSetTimeFormat(_MPTIME_FORMAT format) = 0;

protected:
    ~IMPEventFilter() = default;
};

class VANTREL_HOST_ABI IPersist : public IUnknown
{
public:
    virtual int32_t GetClassID(Y_GUID* classId) = 0;

protected:
    ~IPersist() = default;
};

class VANTREL_HOST_ABI IPersistStream : public IPersist
{
public:
    // 0 when the document is modified.
    virtual int32_t IsDirty() = 0;
    virtual int32_t Load(IStream* stream) = 0;
    virtual int32_t Save(IStream* stream, bool clearDirty) = 0;
    virtual int32_t GetSizeMax(ULARGE_INTEGER* size) = 0;

protected:
    ~IPersistStream() = default;
};

class VANTREL_HOST_ABI IMPNotificationSink : public IUnknown
{
public:
    virtual int32_t MPNotify(const tagMPMSG& message) = 0;

protected:
    ~IMPNotificationSink() = default;
};

class VANTREL_HOST_ABI ISpecifyPropertyPages : public IUnknown
{
public:
    virtual int32_t GetPages(tagCAUUID* pages) = 0;

protected:
    ~ISpecifyPropertyPages() = default;
};

class VANTREL_HOST_ABI IPropertyPage : public IUnknown
{
public:
    virtual int32_t SetPageSite(IPropertyPageSite* site) = 0;
    // hostWindow: a handle of the platform window service.
    virtual int32_t Activate(WId hostWindow, const tagRECT* rect, bool modal) = 0;
    virtual int32_t Deactivate() = 0;
    virtual int32_t GetPageInfo(tagPROPPAGEINFO* info) = 0;
    virtual int32_t SetObjects(uint32_t count, IUnknown** objects) = 0;
    // 1 or 5 show, 0 hide.
    virtual int32_t Show(uint32_t code) = 0;
    virtual int32_t Move(const tagRECT* rect) = 0;
    virtual int32_t IsPageDirty() = 0;
    virtual int32_t Apply() = 0;
    virtual int32_t Help(const uint16_t* helpDir) = 0;
    virtual int32_t TranslateAccelerator(void* message) = 0;

protected:
    ~IPropertyPage() = default;
};

namespace NS_HostIds
{
// The editor windows of a shown page, answered by the property page.
inline const Y_GUID IID_IMPEditorWindows =
    MPGuidFromText(0x3E0A61D2, 0x58C4, 0x4F0B, 0xA1, 0x6D, 0x92, 0x4B, 0x07, 0xE3, 0xC5, 0x18);
} // namespace NS_HostIds

// The editor windows of the shown page, for a host that opens or shows them by command:
// windows open through the user-interface server, as a menu entry or a view opens
// them, under the add-on's module identifier and editor id. GUI thread only
// (0x80000008 elsewhere), while the page is shown.
class VANTREL_HOST_ABI IMPEditorWindows : public IUnknown
{
public:
    // Opens editor `id` of the add-on (or raises its open window); 0 when a window is
    // open afterwards, 0x80000008 when none could be opened.
    virtual int32_t MPOpenEditor(const Y_GUID& module, int32_t id, bool show) = 0;
    // *window := the window open under the add-on and create id, or null (0 both ways);
    // 0x80000003 without an out-pointer.
    virtual int32_t MPEditorWindow(const Y_GUID& module, int32_t createId, QWidget** window) = 0;
    // *count := the number of editors the add-on offers; 0x80000008 when no add-on of
    // that identifier is loaded.
    virtual int32_t MPEditorCount(const Y_GUID& module, int32_t* count) = 0;

protected:
    ~IMPEditorWindows() = default;
};

// The component library's only export: IID_IPropertyPage makes the property page,
// IID_IMPInitialise the initialise-and-connect component, anything else null. The
// object comes with one reference. The allocator is not used.
extern "C" {
typedef IUnknown* (*MacLoaderFactoryFunction)(void* allocator, const Y_GUID* type);
}
constexpr const char* kMacLoaderFactoryName = "MacLoaderFactory";
