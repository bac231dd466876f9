#pragma once
// The frame that turns a dialog class of the add-on into an editor window: the dialog
// first, IEditorExtensions second. The component initialises it with the memory API
// (EX_postInitialize) and runs it once (EX_execute), which runs the dialog's own
// execute(). GUI thread.
//
// A new dialog: derive it from CTovarDialog with the constructor
// (QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags), and register
// its editor ids in its source file:
//     QWidget* createStore(const TDialogsCreateContext& c)
//     {
//         return new DialogsIEditorExtensions<StoreDialog>(c.addOn, c.services, c.parent, "Store", "Store");
//     }
//     const DialogsEditorRegistration registration(NS_DialogsIds::kStore, NS_DialogsIds::kStore, &createStore);
#include "CTovarDialog.h"
#include "DialogsAddOnLink.h"
#include "DialogsIds.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "utilities/interfaces/IClientServices.h"

template <class T>
class DialogsIEditorExtensions : public T, public IEditorExtensions
{
public:
    // caption is not used: each dialog sets its own.
    DialogsIEditorExtensions(const TDialogsAddOnLink& addOn, IClientServices* services, QWidget* parent,
                             const char* name, const QString& caption = QString())
        : T(parent, name, true, NS_DialogsFrame::kDialogFlags), m_addOn(addOn), m_services(services)
    {
        Q_UNUSED(caption);
    }

    IMemAPI* memapi() const override { return m_api; }
    IClientServices* clientServices() const { return m_services; }

    void setupDialog() override
    {
        if (!m_services)
            return;
        QWidget* window = nullptr;
        m_services->CS_openEditor(Guid2QUuid(NS_AddOnIds::DialogsAddOn), NS_DialogsIds::kSetup, &window,
                                  nullptr, true);
    }

    int32_t ppd_save(QVariant*) override { return NS_MPStatus::ok; }
    int32_t ppd_load(const QVariant*) override { return NS_MPStatus::ok; }
    int32_t EX_postInitialize(IMemAPI* api) override
    {
        if (api != m_api)
            m_api = api;
        return NS_MPStatus::ok;
    }
    int32_t EX_execute() override
    {
        T::execute();
        return NS_MPStatus::ok;
    }
    // *out := the add-on that made the window (not counted); 0x80000008 without an
    // out-pointer or once the add-on has gone.
    int32_t EX_module(IGenericEditorPluginInterface** out) override
    {
        if (!out)
            return NS_MPStatus::failure;
        *out = m_addOn.addOn();
        return *out ? NS_MPStatus::ok : NS_MPStatus::failure;
    }

private:
    IMemAPI* m_api = nullptr;
    TDialogsAddOnLink m_addOn;
    IClientServices* m_services;
};
