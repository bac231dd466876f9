#include "CompIMPNotificationSink.h"
#include "CompIMPInitialise_VANTREL_KXE.h"
#include "TInputOutput_VANTREL_KXE.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "utilities/ThreadUtilities.h"
#include <QCoreApplication>
#include <QPointer>

namespace {

// Carries the sink to the GUI thread; the component's count keeps the sink alive
// until the posted call has run.
class SinkWrapper : public QObject
{
public:
    explicit SinkWrapper(CompIMPNotificationSink* sink) : m_sink(sink)
    {
        static_cast<IMPNotificationSink*>(m_sink)->AddRef();
        if (QCoreApplication* app = QCoreApplication::instance(); app && thread() != app->thread())
            moveToThread(app->thread());
    }
    ~SinkWrapper() override { static_cast<IMPNotificationSink*>(m_sink)->Release(); }
    CompIMPNotificationSink* sink() const { return m_sink; }

private:
    CompIMPNotificationSink* m_sink;
};

} // namespace

CompIMPNotificationSink::CompIMPNotificationSink(IUnknown* outer, const Y_GUID& factoryId,
                                                 bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IMPNotificationSink, outer, factoryId, registration)
{
}

CompIMPNotificationSink::~CompIMPNotificationSink() = default;

CompIMPInitialise_VANTREL_KXE* CompIMPNotificationSink::component() const
{
    return outer() ? dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(outer()) : nullptr;
}

int32_t CompIMPNotificationSink::MPNotify(const tagMPMSG& message)
{
    if (message.id == NS_HostIds::MSG_MIDIPortsChanged) {
        if (NS_Utilities::mainThreadRunning())
            return doPortsChanged();
        if (CMarshallDispatcher* dispatcher = CAppServer::MS())
            QCoreApplication::postEvent(
                dispatcher, new TMarshallEvent_VANTREL_KXE(new SinkWrapper(this), &doPortsChanged_bridge));
        return 1;
    }
    CompIMPInitialise_VANTREL_KXE* c = component();
    IMemAPI* api = c ? c->memAPI() : nullptr;
    return api ? api->MAPI_MPNotify(message) : 1;
}

int32_t CompIMPNotificationSink::doPortsChanged()
{
    CompIMPInitialise_VANTREL_KXE* c = component();
    return c && c->reselectPortsForAll() > 0 ? 0 : 1;
}

void CompIMPNotificationSink::doPortsChanged_bridge(QObject* wrapper)
{
    auto* w = static_cast<SinkWrapper*>(wrapper);
    if (!w)
        return;
    w->sink()->doPortsChanged();
    delete w;
}
