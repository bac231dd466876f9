#pragma once
// The common detail add-on: one editor, the multi-wide settings window, kept (only
// hidden) when it is closed. Every id asks for that one editor. GUI thread, except the
// counting.
#include "addons/shell/TTovarAddOn.h"
#include <QPointer>

class CommonDetailAddOn : public TTovarAddOn
{
public:
    static const Y_GUID guid;

    CommonDetailAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    Y_GUID moduleGuid() const override { return guid; }
    const char* traceName() const override { return "CommonDetailAddOn"; }

    int GP_editorCount(int32_t* status) override;
    // The one record, whatever the id.
    TGP_Information* GP_inforamtion(int id, int32_t* status) override;
    // The window the first time; while it exists the window takes the focus and the
    // result is null (status 0 both times).
    QWidget* GP_create(int id, int32_t* status) override;

    QWidget* window() const { return m_window.data(); }

protected:
    IEditorExtensions* extensionsOfView(QObject* view) const override;

private:
    QPointer<QWidget> m_window;
};
