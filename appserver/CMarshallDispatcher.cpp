#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"

CMarshallDispatcher::CMarshallDispatcher() = default;
CMarshallDispatcher::~CMarshallDispatcher() = default;

bool CMarshallDispatcher::event(QEvent* e)
{
    const int type = int(e->type());
    if (type < TMarshallEvent_VANTREL_KXE::MarshallEventCall
        || type > TMarshallEvent_VANTREL_KXE::MarshallEventString)
        return false;
    // The type number alone does not prove the class: other code may reuse it.
    if (auto* call = dynamic_cast<TMarshallEvent_VANTREL_KXE*>(e))
        call->process();
    return true;
}
