#pragma once
// The dialogs add-on object: the editor's commands and dialogs behind one add-on
// interface. It describes 50 editors (menu entries, commands and dialogs), makes the
// toolbar once, runs the file commands, and opens the toolbar and the preset receive
// dialog on the component's user-interface events.
//
// AddRef, Release and QueryInterface may be called on any thread; everything else runs
// on the GUI thread.
#include "DialogsAddOnLink.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QUuid>

class IClientServices;

class DialogsAddOn : public IGenericEditorPluginInterface
{
public:
    static const Y_GUID guid;

    // Count 1. outer: the object that aggregates this one, or null. With `registration`
    // the object counts itself as an instance of the factory until its count reaches 0.
    DialogsAddOn(IUnknown* outer, const Y_GUID& factoryId, bool registration);
    DialogsAddOn(const DialogsAddOn&) = delete;
    DialogsAddOn& operator=(const DialogsAddOn&) = delete;

    int32_t QueryInterface(const Y_GUID& iid, void** out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    int32_t NonDelegatingQueryInterface(const Y_GUID& iid, void** out);
    uint32_t NonDelegatingAddRef();
    uint32_t NonDelegatingRelease();

    // Keeps both (not counted), sets the dials' mode from the settings and selects the
    // ports the preferences name.
    int32_t GP_initialize(IMemAPI* api, IClientServices* services) override;
    int32_t GP_terminate() override;
    // 0: opens the toolbar; 1: takes it out of the main window's event filters;
    // 2: opens the preset receive dialog 250 ms later. Always 0.
    int32_t GP_uiEvent(unsigned int event) override;
    int GP_editorCount(int32_t* status) override;
    // A record for every id, also ids the add-on does not offer.
    TGP_Information* GP_inforamtion(int id, int32_t* status) override;
    int32_t GP_releaseInformation(TGP_Information* info) override;
    QWidget* GP_create(int id, int32_t* status) override;
    IEditorExtensions* GP_extension(QWidget* window, int32_t* status) override;

    // Opens the preset receive dialog (editor 9) through the client services.
    void do_openPRESETRECEIVEDIALOG();

    IClientServices* clientServices() const { return m_services; }
    IMemAPI* memapi() const { return m_api; }
    TDialogsAddOnLink link() const { return TDialogsAddOnLink(m_alive); }
    QWidget* toolbar() const { return m_toolbar; }
    static QUuid moduleId();

private:
    ~DialogsAddOn() override;
    // The main window: the parent of the workspace the memory API knows.
    QWidget* mainWindow() const;
    QWidget* createToolbar();
    void runFileCommand(int id);

    int32_t m_refs = 1; // changed by interlocked adds only
    IUnknown* const m_outer;
    QUuid m_factoryId; // null unless registered
    IClientServices* m_services = nullptr;
    QPointer<QWidget> m_toolbar;
    IMemAPI* m_api = nullptr;
    std::shared_ptr<std::atomic<DialogsAddOn*>> m_alive;
    // Parent of the pending preset-receive helpers: they go with the add-on when it is
    // released before their time has come.
    std::unique_ptr<QObject> m_helpers;
};

// Opens the preset receive dialog once its timer runs, then deletes itself. It asks
// the add-on through its link, so a released add-on is never called.
class DialogsAddOnHelper : public QObject
{
    Q_OBJECT
public:
    explicit DialogsAddOnHelper(const TDialogsAddOnLink& addOn) : m_addOn(addOn) {}

public slots:
    void performAction();

private:
    TDialogsAddOnLink m_addOn;
};
