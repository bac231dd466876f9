#include "ToolbarIEditorExtensions.h"
#include "DialogsIds.h"
#include "console/memapi/ITovarVoiceData.h"
#include "memapi/IMemAPI.h"
#include "utilities/interfaces/IClientServices.h"
#include <QCoreApplication>
#include <QToolButton>

using namespace NS_DialogsIds;

namespace {

ITovarVoiceData* voiceData(IMemAPI* api)
{
    return api ? dynamic_cast<ITovarVoiceData*>(api->MAPI_qself()) : nullptr;
}

} // namespace

ToolbarIEditorExtensions::ToolbarIEditorExtensions(const TDialogsAddOnLink& addOn, IClientServices* services,
                                                   QMainWindow* mainWindow)
    : CKXEToolbar(mainWindow, nullptr), m_addOn(addOn), m_services(services)
{
    CreateButtons();
    ConnectSignals(this);
}

int32_t ToolbarIEditorExtensions::ppd_save(QVariant*)
{
    return NS_MPStatus::ok;
}

int32_t ToolbarIEditorExtensions::ppd_load(const QVariant*)
{
    return NS_MPStatus::ok;
}

int32_t ToolbarIEditorExtensions::EX_postInitialize(IMemAPI* api)
{
    m_api = api;
    SetDisplayString(QString());
    return NS_MPStatus::ok;
}

int32_t ToolbarIEditorExtensions::EX_execute()
{
    return NS_MPStatus::ok;
}

int32_t ToolbarIEditorExtensions::EX_module(IGenericEditorPluginInterface** out)
{
    if (!out)
        return NS_MPStatus::failure;
    *out = m_addOn.addOn();
    return *out ? NS_MPStatus::ok : NS_MPStatus::failure;
}

void ToolbarIEditorExtensions::openEditor(const Y_GUID& module, int id)
{
    if (!m_services)
        return;
    QWidget* window = nullptr;
    m_services->CS_openEditor(Guid2QUuid(module), id, &window, nullptr, true);
}

void ToolbarIEditorExtensions::launchSetup() { openEditor(NS_AddOnIds::DialogsAddOn, kSetup); }
void ToolbarIEditorExtensions::launchSave() { openEditor(NS_AddOnIds::DialogsAddOn, kFileSave); }
void ToolbarIEditorExtensions::launchOpen() { openEditor(NS_AddOnIds::DialogsAddOn, kFileOpen); }
void ToolbarIEditorExtensions::launchTransmit() { openEditor(NS_AddOnIds::DialogsAddOn, kTransmitMulti); }
void ToolbarIEditorExtensions::launchReceive() { openEditor(NS_AddOnIds::DialogsAddOn, kReceiveMulti); }
void ToolbarIEditorExtensions::launchMixer() { openEditor(LayerAddOnModule::guid, 1); }
void ToolbarIEditorExtensions::launchStore() { openEditor(NS_AddOnIds::DialogsAddOn, kStore); }
void ToolbarIEditorExtensions::OnStore() { launchStore(); }
void ToolbarIEditorExtensions::OnShowEditWindow() { openEditor(VoiceLibraryModule::guid, 8); }
void ToolbarIEditorExtensions::OnImport() { openEditor(VoiceLibraryModule::guid, 2); }
void ToolbarIEditorExtensions::OnShowLibraryWindow() { openEditor(VoiceLibraryModule::guid, 1); }

void ToolbarIEditorExtensions::OnMonitor()
{
    if (ITovarVoiceData* data = voiceData(m_api))
        data->setMonitorMode(!data->monitorMode());
}

void ToolbarIEditorExtensions::OnCompare()
{
    if (ITovarVoiceData* data = voiceData(m_api))
        data->setCompareMode(!data->compareMode());
}

void ToolbarIEditorExtensions::OnEnterCompareMode(bool on)
{
    if (auto* compare = findChild<QToolButton*>(QStringLiteral("CompareButton"))) {
        compare->setCheckable(true);
        compare->setChecked(on);
    }
    if (auto* store = findChild<QToolButton*>(QStringLiteral("StoreButton")))
        store->setEnabled(!on);
}

void ToolbarIEditorExtensions::OnDirty(bool)
{
    SetDisplayString(QString());
}

void ToolbarIEditorExtensions::SetDisplayString(const QString&)
{
    ITovarVoiceData* data = voiceData(m_api);
    if (!data)
        return;
    QString name = data->getCurrentFileName();
    if (name.isEmpty())
        name = QCoreApplication::translate("@default", "Untitled");
    if (data->isDocDirty())
        name += QLatin1Char('*');
    CKXEToolbar::SetDisplayString(name);
}
