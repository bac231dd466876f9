#pragma once
// The part detail add-on: one window per part. Ids 1 to 16 are parts 1 to 16 with
// entries in a "Part Detail " submenu of the Windows menu; ids 17 to 32 name the same
// windows without menu entries. It keeps no window: the user-interface server's one
// window per key prevents duplicates. GUI thread, except the counting.
#include "addons/shell/TTovarAddOn.h"

class PartDetailAddOn : public TTovarAddOn
{
public:
    static const Y_GUID guid;
    static constexpr int kParts = 16;

    PartDetailAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    Y_GUID moduleGuid() const override { return guid; }
    const char* traceName() const override { return "PartDetailAddOn"; }

    // 0; 32 editors.
    int GP_editorCount(int32_t* status) override;
    // Ids 1 to 32; null and 0x80000008 for any other.
    TGP_Information* GP_inforamtion(int id, int32_t* status) override;
    // A new window for the part of the id every time; null for an id outside 1 to 32.
    QWidget* GP_create(int id, int32_t* status) override;

    // The part (1 to 16) an editor id names, 0 for none.
    static int partOf(int id);

protected:
    IEditorExtensions* extensionsOfView(QObject* view) const override;
};
