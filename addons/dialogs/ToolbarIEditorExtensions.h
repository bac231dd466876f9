#pragma once
// The main tool bar as an editor window of the dialogs add-on. Each button opens an
// editor through the client services, as the matching menu entry does; the label
// shows the document's file name ("Untitled" without one) with "*" while the document
// is modified. GUI thread.
#include "CKXEToolbar.h"
#include "DialogsAddOnLink.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"

class IClientServices;

class ToolbarIEditorExtensions : public CKXEToolbar, public IEditorExtensions
{
    Q_OBJECT
public:
    ToolbarIEditorExtensions(const TDialogsAddOnLink& addOn, IClientServices* services, QMainWindow* mainWindow);

    int32_t ppd_save(QVariant* out) override;
    int32_t ppd_load(const QVariant* in) override;
    // Keeps the memory API and shows the document's name.
    int32_t EX_postInitialize(IMemAPI* api) override;
    int32_t EX_execute() override;
    int32_t EX_module(IGenericEditorPluginInterface** out) override;
    IMemAPI* memapi() const { return m_api; }

public slots:
    void launchSetup();
    void launchSave();
    void launchOpen();
    void launchTransmit();
    void launchReceive();
    void launchMixer();
    void launchStore();
    void OnShowEditWindow();
    void OnMonitor();
    void OnImport();
    void OnStore();
    void OnCompare();
    void OnShowLibraryWindow();
    void OnEnterCompareMode(bool on);
    // The label follows the document, whatever the argument says.
    void OnDirty(bool dirty) override;
    // The text passed in is not used: the label shows the document's own name.
    void SetDisplayString(const QString& text) override;

private:
    void openEditor(const Y_GUID& module, int id);

    IMemAPI* m_api = nullptr;
    TDialogsAddOnLink m_addOn;
    IClientServices* m_services;
};
