#pragma once
// Marker for targets of marshalled calls that outlive every call posted to them:
// the event keeps a plain pointer instead of a guard.
#include "vantrel_kxe21_qtplxserver_export.h"

class VANTREL_APPSERVER_EXPORT IWithoutProtection
{
public:
    virtual ~IWithoutProtection();
};
