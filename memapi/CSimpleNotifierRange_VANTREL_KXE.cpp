#include "memapi/CSimpleNotifierRange_VANTREL_KXE.h"

CSimpleNotifierRange_VANTREL_KXE::CSimpleNotifierRange_VANTREL_KXE(int channels, QObject* parent,
                                                                   const char* name)
    : CSimpleNotifier_VANTREL_KXE(parent, name), m_channels(qMax(1, channels))
{
}

CSimpleNotifierRange_VANTREL_KXE::~CSimpleNotifierRange_VANTREL_KXE()
{
    unregisterKeys(m_channels);
}

void CSimpleNotifierRange_VANTREL_KXE::connectMemAPI()
{
    registerKeys(m_channels);
}

void CSimpleNotifierRange_VANTREL_KXE::disconnectMemAPI()
{
    unregisterKeys(m_channels);
}
