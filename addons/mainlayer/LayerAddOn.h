#pragma once
// The mixer's add-on: one editor, the mixer window, opened among the default editors
// and kept (only hidden) when it is closed. GUI thread, except the counting.
#include "addons/shell/TTovarAddOn.h"
#include <QPointer>

class LayerIEditorExtensions;

class LayerAddOn : public TTovarAddOn
{
public:
    static const Y_GUID guid;

    LayerAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    Y_GUID moduleGuid() const override { return guid; }
    const char* traceName() const override { return "LayerAddOn"; }

    // 0; 1 editor.
    int GP_editorCount(int32_t* status) override;
    // Id 1 only; null and 0x80000008 for any other.
    TGP_Information* GP_inforamtion(int id, int32_t* status) override;
    // The mixer window the first time; while it exists the window takes the focus and
    // the result is null (status 0 both times).
    QWidget* GP_create(int id, int32_t* status) override;

    // Once the saved windows are open again (event 2), the DETAIL switches of the
    // detail windows among them are lit, as a click that opens one lights it.
    int32_t GP_uiEvent(unsigned int event) override;

    QWidget* window() const { return m_window.data(); }

protected:
    IEditorExtensions* extensionsOfView(QObject* view) const override;

private:
    // The window is the workspace's; this only tells whether it still exists.
    QPointer<QWidget> m_window;
    QPointer<LayerIEditorExtensions> m_view;
};
