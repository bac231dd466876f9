#pragma once
// A notifier that observes a run of consecutive channels from its own.
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"

class VANTREL_MEMAPI_EXPORT CSimpleNotifierRange_VANTREL_KXE : public CSimpleNotifier_VANTREL_KXE
{
    Q_OBJECT
public:
    CSimpleNotifierRange_VANTREL_KXE(int channels, QObject* parent = nullptr,
                                     const char* name = nullptr);
    ~CSimpleNotifierRange_VANTREL_KXE() override;
    void connectMemAPI() override;
    void disconnectMemAPI() override;
    int channelCount() const { return m_channels; }

private:
    int m_channels;
};
