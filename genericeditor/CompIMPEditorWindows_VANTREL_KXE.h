#pragma once
// The page's editor windows for a host that opens and shows them by command. A tear-off
// of the property page: made on request, it holds the page while it lives and goes
// through the page's user-interface server. GUI thread.
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"

class CompIPropertyPage_VANTREL_KXE;

class CompIMPEditorWindows_VANTREL_KXE : public TCompObject_VANTREL_KXE<IMPEditorWindows>
{
public:
    // Count 1; takes a reference to the page.
    explicit CompIMPEditorWindows_VANTREL_KXE(CompIPropertyPage_VANTREL_KXE* page);

    int32_t MPOpenEditor(const Y_GUID& module, int32_t id, bool show) override;
    int32_t MPEditorWindow(const Y_GUID& module, int32_t createId, QWidget** window) override;
    int32_t MPEditorCount(const Y_GUID& module, int32_t* count) override;

protected:
    // Releases the page.
    ~CompIMPEditorWindows_VANTREL_KXE() override;

private:
    CompIPropertyPage_VANTREL_KXE* m_page;
};
