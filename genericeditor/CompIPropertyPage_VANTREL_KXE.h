#pragma once
// The editor's page in the host's window; a top-level object of its own. It wraps
// the host window in a toolkit main window, puts the workspace and the menu bar into
// it and shows or hides it. Calls that arrive off the GUI thread are posted there as
// packets and report 0 at once.
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include <QPointer>
#include <QRect>

class CAppServer;
class CForeignWindowWrapper_VANTREL_KXE;
class CompIMPInitialise_VANTREL_KXE;
class CUserInterfaceServer_VANTREL_KXE;

class CompIPropertyPage_VANTREL_KXE : public TCompObject_VANTREL_KXE<IPropertyPage>
{
public:
    static const Y_GUID guid;

    CompIPropertyPage_VANTREL_KXE(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    // Its own interface, and the editor windows of the page as a tear-off.
    int32_t NonDelegatingQueryInterface(const Y_GUID& iid, void** out) override;

    int32_t SetPageSite(IPropertyPageSite* site) override;
    int32_t Activate(WId hostWindow, const tagRECT* rect, bool modal) override;
    int32_t Deactivate() override;
    int32_t GetPageInfo(tagPROPPAGEINFO* info) override;
    // Takes the one object when it is this library's component (and holds a reference
    // to it until the user interface is removed); 0x80000003 otherwise.
    int32_t SetObjects(uint32_t count, IUnknown** objects) override;
    int32_t Show(uint32_t code) override;
    int32_t Move(const tagRECT* rect) override;
    int32_t IsPageDirty() override;
    int32_t Apply() override;
    int32_t Help(const uint16_t* helpDir) override;
    int32_t TranslateAccelerator(void* message) override;

    // GUI thread halves of the calls above.
    int32_t doActivate(WId hostWindow, const tagRECT& rect);
    int32_t doShow(uint32_t code);
    int32_t doMove(const tagRECT& rect);
    // GUI thread: removes the user interface and forgets the component; elsewhere
    // posts that. True when it was posted.
    bool removeUI();

    CUserInterfaceServer_VANTREL_KXE* ui() const;
    CompIMPInitialise_VANTREL_KXE* component() const { return m_component; }
    CForeignWindowWrapper_VANTREL_KXE* wrapper() const;

protected:
    ~CompIPropertyPage_VANTREL_KXE() override;
    void destroy() override;

private:
    void do_removeUI();
    void forgetComponent();

    QPointer<CForeignWindowWrapper_VANTREL_KXE> m_wrapper;
    CompIMPInitialise_VANTREL_KXE* m_component = nullptr;
    bool m_removing = false;
    CAppServer* m_appServer = nullptr;
};
