#pragma once
// The object the host makes for the editor. It aggregates the services, event-filter,
// persist-stream, notification-sink and specify-pages objects, so that one host
// reference answers for all of their interfaces, and it owns the add-ons and the
// preferences.
#include "EditorIPrefsQuery_VANTREL_KXE.h"
#include "TCOMPtr.h"
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include <QRecursiveMutex>
#include <QString>

class CompIMPEventFilter;
class CompIMPNotificationSink;
class CompIMPServices_VANTREL_KXE;
class CompIPersistStream;
class CompISpecifyPropertyPages;
class TCompIMPInitialisePrivate;

class CompIMPInitialise_VANTREL_KXE : public TCompObject_VANTREL_KXE<IMPInitialise>,
                                      public IPrefsOwner_VANTREL_KXE
{
public:
    static const Y_GUID guid;
    // Identifier of the bundle the component's library belongs to.
    static const QString bundleIdentifier;

    // Loads the add-ons and makes the aggregated objects.
    CompIMPInitialise_VANTREL_KXE(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    // Its own interfaces, then those of the aggregated objects.
    int32_t NonDelegatingQueryInterface(const Y_GUID& iid, void** out) override;

    // Host thread.
    int32_t MPConnect(IUnknown* host, IMPAsyncOutput* output, _MPINITIALISE_MODE mode,
                      uint32_t value, uint32_t* flags) override;
    int32_t MPDisconnect() override;

    // IPrefsOwner_VANTREL_KXE.
    IUnknown* prefsHost() override { return m_host.get(); }
    IClientServices* prefsClientServices() override { return nullptr; }

    const TCompIMPInitialisePrivate& modules() const { return *m_addOns; }
    EditorIPrefsQuery_VANTREL_KXE* preferences() const { return m_prefs; }
    CompIMPEventFilter* eventFilter() const { return m_eventFilter; }

    // The folder tree searched for add-ons: <bundle>/lib/addons, or the folder set here
    // (an empty path restores the bundle's). Set before the component is made.
    static QString addOnFolder();
    static void setAddOnFolder(const QString& path);

protected:
    // Releases the aggregated objects and the add-ons.
    ~CompIMPInitialise_VANTREL_KXE() override;
    // Shut-down at the last release.
    void destroy() override;

private:
    int32_t aggrQueryInterface(const Y_GUID& iid, void** out);

    QRecursiveMutex m_mutex;
    CompIMPNotificationSink* m_notificationSink = nullptr;
    CompISpecifyPropertyPages* m_specifyPages = nullptr;
    CompIMPEventFilter* m_eventFilter = nullptr;
    CompIPersistStream* m_persistStream = nullptr;
    CompIMPServices_VANTREL_KXE* m_services = nullptr;
    TCOMPtr<IUnknown> m_host;
    TCOMPtr<IMPAsyncOutput> m_asyncOutput;
    uint32_t m_cookie = 0;
    TCompIMPInitialisePrivate* m_addOns = nullptr;
    EditorIPrefsQuery_VANTREL_KXE* m_prefs = nullptr;
    int32_t m_pageWidth = 996;
    int32_t m_pageHeight = 716;
    bool m_reopenPending = true;
    bool m_released = false;
};
