#include "ObjectWrapper_VANTREL_KXE.h"
#include "CompIMPInitialise_VANTREL_KXE.h"
#include "appserver/CAppServer.h"
#include <QCoreApplication>

ObjectWrapper_VANTREL_KXE::ObjectWrapper_VANTREL_KXE(CompIMPInitialise_VANTREL_KXE* component)
    : m_component(component)
{
    // Built on a host thread during shut-down: its timer and posted calls run there.
    if (QCoreApplication* app = QCoreApplication::instance(); app && thread() != app->thread())
        moveToThread(app->thread());
}

void ObjectWrapper_VANTREL_KXE::doDiposeSelfAndFramework()
{
    CompIMPInitialise_VANTREL_KXE* component = m_component;
    m_component = nullptr;
    deleteLater();
    if (!component)
        return;
    CAppServer* server = component->m_appServer;
    component->deleteSelf();
    CAppServer::release(server);
}
