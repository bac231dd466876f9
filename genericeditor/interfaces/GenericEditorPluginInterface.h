#pragma once
// The add-on boundary: the add-on object, the interface of each window an add-on makes,
// the editor description record and the factory every add-on library exports.
// Shared by the component and the add-ons.
#include "genericeditor/interfaces/HostInterfaces.h"
#include <QUuid>

class IClientServices;
class IMemAPI;
class QKeySequence;
class QString;
class QVariant;
class QWidget;
class IGenericEditorPluginInterface;

namespace NS_HostIds
{
inline const Y_GUID IID_IGenericEditorPluginInterface =
    MPGuidFromText(0x6E5CB24E, 0xA0BB, 0x400D, 0x9B, 0x75, 0x04, 0x23, 0x34, 0xA0, 0xC7, 0x6A);
} // namespace NS_HostIds

// Module identifiers of the add-ons, also used to address one another's editors.
namespace NS_AddOnIds
{
inline const Y_GUID LayerAddOn =
    MPGuidFromText(0x17CD5AFA, 0x0E92, 0x8543, 0xB8, 0xA7, 0x2A, 0xEB, 0xEE, 0x9F, 0xDD, 0x63);
inline const Y_GUID CommonDetailAddOn =
    MPGuidFromText(0xF2BC2D80, 0xC162, 0x744F, 0xB3, 0x24, 0x3A, 0xD8, 0xE1, 0xDF, 0x4A, 0x00);
inline const Y_GUID PartDetailAddOn =
    MPGuidFromText(0x0B2621DC, 0x3D30, 0x3C4B, 0xB6, 0xFE, 0x3F, 0xD9, 0x24, 0x56, 0x22, 0x5F);
inline const Y_GUID DialogsAddOn =
    MPGuidFromText(0x5421CA1A, 0xFA5E, 0x5441, 0x8C, 0xF4, 0x10, 0xA8, 0xB1, 0xB8, 0x72, 0x0F);
} // namespace NS_AddOnIds

// Bits of TGP_Information::flags.
namespace NS_GPFlags
{
constexpr uint8_t oneWindowPerKey = 0x01;
constexpr uint8_t separatorBefore = 0x02;
constexpr uint8_t notWorkspaceWindow = 0x08;
constexpr uint8_t openWithoutLock = 0x10;
constexpr uint8_t keepCreatedWindow = 0x20;
constexpr uint8_t defaultEditor = 0x40;
constexpr uint8_t toolWindow = 0x80;
} // namespace NS_GPFlags

// Bits of TGP_Information::flags2.
namespace NS_GPFlags2
{
constexpr uint8_t hideOnClose = 0x01;
constexpr uint8_t closeOtherEditors = 0x02;
} // namespace NS_GPFlags2

// Description of one editor; made and freed by the same add-on (GP_inforamtion or
// GP_rawInformation, then GP_releaseInformation). Sized with sizeof.
struct TGP_Information
{
    QUuid moduleId;                               // add-on that offers the editor
    IGenericEditorPluginInterface* creator = nullptr; // null: the add-on asked
    uint32_t selectSubId = 0;                     // 0: the editor id & 0x3FFF
    QString* name = nullptr;                      // owned
    QKeySequence* accelerator = nullptr;          // owned
    QString* menuPath = nullptr;                  // owned; parts joined by "[/]"; null: no entry
    uint16_t menuPosition = 2100;
    uint16_t entryPosition = 2100;
    uint8_t flags = NS_GPFlags::oneWindowPerKey;
    uint8_t flags2 = 0;
    char windowControlName[10] = {};              // registered when exactly 8 characters
    int32_t reserved = 0;
    int32_t createId = 0;                         // below 1: the editor id & 0x3FFF
    int32_t menuId = -1;
    int32_t commandId = -1;
};
static_assert(sizeof(QUuid) == 16, "module id is 16 bytes");

// The window's private state, stored with the user-interface state.
class VANTREL_HOST_ABI IPersistPrivateData
{
public:
    virtual int32_t ppd_save(QVariant* out) = 0;
    virtual int32_t ppd_load(const QVariant* in) = 0;

protected:
    ~IPersistPrivateData() = default;
};

class VANTREL_HOST_ABI IEditorExtensionsBase_VANTREL_KXE : public IPersistPrivateData
{
public:
    // Once after creation: the window binds itself to the memory API.
    virtual int32_t EX_postInitialize(IMemAPI* api) = 0;
    // Runs a window that is a command rather than a view.
    virtual int32_t EX_execute() { return NS_MPStatus::notImplemented; }

protected:
    ~IEditorExtensionsBase_VANTREL_KXE() = default;
};

// Second base of every add-on window (the toolkit widget comes first): reach it with a
// dynamic cast or through GP_extension.
class VANTREL_HOST_ABI IEditorExtensions : public IEditorExtensionsBase_VANTREL_KXE
{
public:
    // *out := the owning add-on, not counted.
    virtual int32_t EX_module(IGenericEditorPluginInterface** out) = 0;

protected:
    ~IEditorExtensions() = default;
};

// The add-on object. Calls that produce an object or a count return it and report a
// status through `status`, which may be null. GUI thread.
class VANTREL_HOST_ABI IGenericEditorPluginInterfaceBase : public IUnknown
{
public:
    virtual int32_t GP_initialize(IMemAPI* api, IClientServices* services) = 0;
    virtual int32_t GP_terminate() = 0;
    // Events: 0 menus built, 1 user interface removed, 2 saved windows reopened.
    virtual int32_t GP_uiEvent(unsigned int event) = 0;
    virtual int GP_editorCount(int32_t* status) = 0;
    // Editor ids are 1-based. The record is freed with GP_releaseInformation.
    virtual TGP_Information* GP_inforamtion(int id, int32_t* status) = 0;
    virtual TGP_Information* GP_rawInformation(int id, int32_t* status) = 0;
    virtual int32_t GP_releaseInformation(TGP_Information* info) = 0;
    virtual QWidget* GP_create(int id, int32_t* status) = 0;
    virtual IEditorExtensions* GP_extension(QWidget* window, int32_t* status) = 0;
    virtual int32_t GP_selectSubId(QWidget* window, int subId) = 0;
    virtual ~IGenericEditorPluginInterfaceBase() = default;
};

class VANTREL_HOST_ABI IGenericEditorPluginInterface : public IGenericEditorPluginInterfaceBase
{
public:
    int32_t GP_uiEvent(unsigned int) override { return NS_MPStatus::notImplemented; }
    TGP_Information* GP_rawInformation(int id, int32_t* status) override
    {
        return GP_inforamtion(id, status);
    }
    int32_t GP_selectSubId(QWidget*, int) override { return NS_MPStatus::notImplemented; }
};

// Every add-on library exports this unmangled function: the add-on object with one
// reference, or null.
extern "C" {
typedef IGenericEditorPluginInterface* (*TAddOnFactoryFunction)();
}
constexpr const char* kAddOnFactoryName = "tovar_vantrel_kxe_factory";
