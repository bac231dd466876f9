#pragma once
// A memory API that a component can connect to, its factory, and an add-on of this
// process with two editors, for the component's lifecycle and window tests.
#include "FakeMemAPI.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "utilities/DocuSaveLoad.h"
#include <QDataStream>
#include <QDialog>
#include <QKeySequence>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <atomic>
#include <functional>
#include <vector>

class TMIDIProxyInOut;

// The document frame the component reads the modified flag from.
class FakeDocument : public QObject, public NS_Utilities::TDocuSaveLoad
{
public:
    QString DSL_moduleName() override { return QStringLiteral("fake"); }
    int32_t DSL_newSession() override { return 0; }
    int32_t DSL_saveViaStream(QDataStream&, int) override { return 0; }
    int32_t DSL_loadViaStream(QDataStream&, int) override { return 0; }
    int32_t DSL_eraseCurrentDocument(int) override { return 0; }
    int32_t DSL_updateDocumentStatus(const QString&) override { return 0; }
    QString DSL_hostAppName() override { return QString(); }
};

class ConnectableMemAPI : public FakeMemAPI
{
public:
    struct Association
    {
        TMIDIProxyInOut* proxy;
        IPrefsQuery_VANTREL_KXE* prefs;
        int index;
        IClientServices* cs;
        int lockDepth; // the memory-API lock depth of the caller's thread at the call
    };
    std::vector<Association> associations;
    std::vector<unsigned> uiEvents;
    std::atomic<int> refs{0};
    bool closing = false;
    // The document the fallback stream carries.
    int document = 7;
    int loads = 0;
    FakeDocument companion;
    QMdiArea* workspace = nullptr;

    // Runs first in every MAPI_lock(true).
    std::function<void()> beforeLock;

    uint32_t AddRef() override { return uint32_t(++refs); }
    uint32_t Release() override { return uint32_t(--refs); }
    int32_t MAPI_lock(bool lock) override
    {
        if (lock && beforeLock)
            beforeLock();
        return FakeMemAPI::MAPI_lock(lock);
    }
    int32_t MAPI_proxiesNeeded() override { return 2; }
    int32_t MAPI_associate(TMIDIProxyInOut* proxy, IPrefsQuery_VANTREL_KXE* prefs, int index,
                           IClientServices* cs) override
    {
        associations.push_back({proxy, prefs, index, cs, lockDepth()});
        return 0;
    }
    int32_t MAPI_closingDown(bool set) override
    {
        closing = closing || set;
        return closing ? 0 : int32_t(0x80000008);
    }
    QObject* MAPI_qself() override { return &companion; }
    int32_t MAPI_uiEvent(unsigned int event) override
    {
        uiEvents.push_back(event);
        return 0;
    }
    int32_t MAPI_setWorkspace(QMdiArea* area) override
    {
        workspace = area;
        return 0;
    }
    // Without a record of their own: the component frames the payload itself.
    int32_t MAPI_saveIStream(IStream*) override { return int32_t(0x80000001); }
    int32_t MAPI_loadIStream(IStream*) override { return int32_t(0x80000001); }
    int32_t MAPI_saveViaStream(QDataStream& stream) override
    {
        stream << QStringLiteral("doc") << qint32(document);
        return 0;
    }
    int32_t MAPI_loadViaStream(QDataStream& stream) override
    {
        QString tag;
        qint32 value = 0;
        stream >> tag >> value;
        if (stream.status() != QDataStream::Ok || tag != QLatin1String("doc"))
            return int32_t(0x80000008);
        document = value;
        ++loads;
        return 0;
    }
    // Associations of real bridges (not the detaching ones with null).
    int attached() const
    {
        int n = 0;
        for (const Association& a : associations)
            n += a.proxy ? 1 : -1;
        return n;
    }
};

// The memory-API factory the component is given in these tests.
class FakeMemAPIFactory : public IUnknown
{
public:
    ConnectableMemAPI* api = nullptr;
    std::atomic<int> refs{0};
    int32_t QueryInterface(const Y_GUID& iid, void** object) override
    {
        if (!api || !object)
            return int32_t(0x80000004);
        api->AddRef();
        *object = static_cast<IMemAPI*>(api);
        return 0;
    }
    uint32_t AddRef() override { return uint32_t(++refs); }
    uint32_t Release() override { return uint32_t(--refs); }
};

// One editor window of the view add-on.
// A command's modal dialog that refuses reject() while `refuse` says so; every call
// is counted.
class RefusingDialog : public QDialog
{
public:
    std::function<bool()> refuse;
    int* rejects = nullptr;
    void reject() override
    {
        if (rejects)
            ++*rejects;
        if (!(refuse && refuse()))
            QDialog::reject();
    }
};

class ViewWindow : public QWidget, public IEditorExtensions
{
public:
    ViewWindow(IGenericEditorPluginInterface* owner, int id) : m_owner(owner), m_id(id)
    {
        setObjectName(QStringLiteral("view%1").arg(id));
        resize(200, 120);
    }
    int32_t ppd_save(QVariant* out) override
    {
        *out = QVariant(QStringLiteral("state-%1").arg(m_id));
        return 0;
    }
    int32_t ppd_load(const QVariant* in) override
    {
        loaded = in ? in->toString() : QString();
        return 0;
    }
    int32_t EX_postInitialize(IMemAPI* api) override
    {
        bound = api;
        return 0;
    }
    int32_t EX_module(IGenericEditorPluginInterface** out) override
    {
        if (!out)
            return int32_t(0x80000008);
        *out = m_owner;
        return 0;
    }
    ~ViewWindow() override
    {
        if (depthAtDestruction && bound)
            *depthAtDestruction = static_cast<FakeMemAPI*>(bound)->lockDepth();
    }
    // As a command: runs `during` inside a modal dialog's exec().
    int32_t EX_execute() override
    {
        RefusingDialog dialog;
        dialog.refuse = refuseReject;
        dialog.rejects = rejects;
        QTimer::singleShot(0, &dialog, during);
        dialog.exec();
        return 0;
    }
    std::function<void()> during;
    std::function<bool()> refuseReject;
    int* rejects = nullptr;
    IMemAPI* bound = nullptr;
    QString loaded;
    // Where the destructor reports the memory-API lock depth it ran under.
    int* depthAtDestruction = nullptr;

private:
    IGenericEditorPluginInterface* m_owner;
    int m_id;
};

// Editor 1: one per key, a default editor, in the "&Windows" menu. Editor 2: kept
// (hidden) when closed, with a separator before its entry. Editors from 3 up to
// editorCount, and kCommand: one per key, deleted when closed, in no menu; kCommand is
// a command, outside the workspace, and runs duringCommand while it runs; its dialog
// refuses reject() while refuseReject says so and counts the calls in rejects.
class ViewAddOn : public IGenericEditorPluginInterface
{
public:
    static inline const QUuid kModule{QStringLiteral("{4b1c7d0e-2f3a-4c5b-9d6e-7f8091a2b3c4}")};
    static constexpr int kCommand = 99;
    std::function<void()> duringCommand;
    std::function<bool()> refuseReject;
    int rejects = 0;
    std::atomic<int> refs{1};
    std::vector<IMemAPI*> initialised;
    std::vector<unsigned> events;
    int created = 0;
    int informationOut = 0; // records handed out and not yet given back
    int editorCount = 2;

    int32_t QueryInterface(const Y_GUID&, void** out) override
    {
        *out = nullptr;
        return int32_t(0x80000004);
    }
    uint32_t AddRef() override { return uint32_t(++refs); }
    uint32_t Release() override { return uint32_t(--refs); }
    int32_t GP_initialize(IMemAPI* api, IClientServices*) override
    {
        initialised.push_back(api);
        return 0;
    }
    int32_t GP_terminate() override { return 0; }
    int32_t GP_uiEvent(unsigned int event) override
    {
        events.push_back(event);
        return 0;
    }
    int GP_editorCount(int32_t* status) override
    {
        if (status)
            *status = 0;
        return editorCount;
    }
    TGP_Information* GP_inforamtion(int id, int32_t* status) override
    {
        if (id < 1 || (id > editorCount && id != kCommand)) {
            if (status)
                *status = int32_t(0x80000008);
            return nullptr;
        }
        auto* info = new TGP_Information;
        info->moduleId = kModule;
        info->name = new QString(QStringLiteral("View %1").arg(id));
        if (id <= 2)
            info->menuPath = new QString(QStringLiteral("&Windows[/]View %1").arg(id));
        info->createId = id;
        info->entryPosition = uint16_t(id);
        if (id == 1) {
            info->flags = NS_GPFlags::oneWindowPerKey | NS_GPFlags::defaultEditor;
        } else if (id > 2) {
            info->flags = NS_GPFlags::oneWindowPerKey;
            if (id == kCommand)
                info->flags |= NS_GPFlags::notWorkspaceWindow;
        } else {
            info->flags = NS_GPFlags::oneWindowPerKey | NS_GPFlags::separatorBefore;
            info->flags2 = NS_GPFlags2::hideOnClose;
        }
        ++informationOut;
        return info;
    }
    int32_t GP_releaseInformation(TGP_Information* info) override
    {
        if (!info)
            return int32_t(0x80000008);
        delete info->name;
        delete info->accelerator;
        delete info->menuPath;
        delete info;
        --informationOut;
        return 0;
    }
    QWidget* GP_create(int id, int32_t*) override
    {
        ++created;
        auto* window = new ViewWindow(this, id);
        window->during = duringCommand;
        window->refuseReject = refuseReject;
        window->rejects = &rejects;
        return window;
    }
    IEditorExtensions* GP_extension(QWidget* window, int32_t*) override
    {
        return dynamic_cast<ViewWindow*>(window);
    }
};
