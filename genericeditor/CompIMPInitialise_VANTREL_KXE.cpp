#include "CompIMPInitialise_VANTREL_KXE.h"
#include "CompIMPEventFilter.h"
#include "CompIMPNotificationSink.h"
#include "CompIMPServices_VANTREL_KXE.h"
#include "CompIPersistStream.h"
#include "CompIPropertyPageList.h"
#include "TCompIMPInitialisePrivate.h"
#include "platform/PlatformBundle.h"
#include <QDir>
#include <QMutexLocker>

const Y_GUID CompIMPInitialise_VANTREL_KXE::guid = NS_HostIds::CLSID_Component;
const QString CompIMPInitialise_VANTREL_KXE::bundleIdentifier =
    QStringLiteral("org.tovar.vantrel.kxe21");

namespace {
QString& addOnFolderOverride()
{
    static QString path;
    return path;
}

void bundleAnchor() {}
} // namespace

QString CompIMPInitialise_VANTREL_KXE::addOnFolder()
{
    if (!addOnFolderOverride().isEmpty())
        return addOnFolderOverride();
    // Add-ons sit in a folder of their own, so that the scan never loads the component.
    return NS_Platform::PlatformBundle::bundleRoot(&bundleIdentifier) + QStringLiteral("/lib/addons");
}

void CompIMPInitialise_VANTREL_KXE::setAddOnFolder(const QString& path)
{
    addOnFolderOverride() = path;
}

CompIMPInitialise_VANTREL_KXE::CompIMPInitialise_VANTREL_KXE(IUnknown* outer,
                                                             const Y_GUID& factoryId,
                                                             bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IMPInitialise, outer, factoryId, registration)
{
    NS_Platform::PlatformBundle::registerBundleOfAddress(bundleIdentifier,
                                                         reinterpret_cast<const void*>(&bundleAnchor));
    m_prefs = new EditorIPrefsQuery_VANTREL_KXE(this);
    m_addOns = new TCompIMPInitialisePrivate;
    const QDir folder(addOnFolder());
    if (folder.exists())
        m_addOns->loadAddOns(folder);

    IUnknown* self = static_cast<IMPInitialise*>(this);
    const Y_GUID& unknownId = NS_HostIds::IID_IUnknown;
    m_notificationSink = new CompIMPNotificationSink(self, unknownId, false);
    m_specifyPages = new CompISpecifyPropertyPages(self, unknownId, false);
    m_eventFilter = new CompIMPEventFilter(self, unknownId, false);
    m_persistStream = new CompIPersistStream(self, unknownId, false);
    m_services = new CompIMPServices_VANTREL_KXE(self, unknownId, false);
}

CompIMPInitialise_VANTREL_KXE::~CompIMPInitialise_VANTREL_KXE()
{
    m_asyncOutput = nullptr;
    m_host = nullptr;
    // The component's own references sit on the aggregated objects' own counts.
    m_services->NonDelegatingRelease();
    m_persistStream->NonDelegatingRelease();
    m_eventFilter->NonDelegatingRelease();
    m_specifyPages->NonDelegatingRelease();
    m_notificationSink->NonDelegatingRelease();
    delete m_addOns;
    delete m_prefs;
}

void CompIMPInitialise_VANTREL_KXE::destroy()
{
    if (m_host)
        MPDisconnect();
    {
        QMutexLocker lock(&m_mutex);
        m_released = true;
        // Add-ons first: they may still hold the preferences.
        m_addOns->clear();
    }
    delete this;
}

int32_t CompIMPInitialise_VANTREL_KXE::NonDelegatingQueryInterface(const Y_GUID& iid, void** out)
{
    const int32_t own = TCompObject_VANTREL_KXE::NonDelegatingQueryInterface(iid, out);
    if (own != NS_MPStatus::noInterface)
        return own;
    return aggrQueryInterface(iid, out);
}

int32_t CompIMPInitialise_VANTREL_KXE::aggrQueryInterface(const Y_GUID& iid, void** out)
{
    TCompFrame_VANTREL_KXE* const inner[] = {m_services, m_eventFilter, m_persistStream,
                                             m_notificationSink, m_specifyPages};
    for (TCompFrame_VANTREL_KXE* object : inner) {
        if (object && object->NonDelegatingQueryInterface(iid, out) == NS_MPStatus::ok)
            return NS_MPStatus::ok;
    }
    *out = nullptr;
    return NS_MPStatus::noInterface;
}

int32_t CompIMPInitialise_VANTREL_KXE::MPConnect(IUnknown* host, IMPAsyncOutput*,
                                                 _MPINITIALISE_MODE, uint32_t, uint32_t* flags)
{
    if (!host || !flags)
        return NS_MPStatus::invalidArgument;
    return NS_MPStatus::notImplemented;
}

int32_t CompIMPInitialise_VANTREL_KXE::MPDisconnect()
{
    m_asyncOutput = nullptr;
    m_host = nullptr;
    return NS_MPStatus::ok;
}
