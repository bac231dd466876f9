#pragma once
// Waits for the reply to one MIDI request. Registers itself with the memory API on
// construction; msgReceived() from any thread ends the wait. The reply is kept under
// the handler's mutex, so one that arrives before the wait starts is not lost.
#include "vantrel_kxe21_memapi_export.h"
#include <QMutex>
#include <QObject>
#include <QWaitCondition>
#include <cstdint>

class IMemAPI;

class VANTREL_MEMAPI_EXPORT TResponseHandler_VANTREL_KXE : public QObject
{
    Q_OBJECT
public:
    explicit TResponseHandler_VANTREL_KXE(IMemAPI& api);
    ~TResponseHandler_VANTREL_KXE() override;

    // Sends the request (when length > 0), waits up to timeoutMs for a reply and
    // deregisters. A send failure is the result; else the stored reply status when
    // non-zero, else 0 for a reply and 1460 for a time-out.
    virtual int32_t wait(const void* request, int length, int timeoutMs);
    virtual bool match(const unsigned char* data, int length);
    virtual bool match(short element, short parameter, short channel);
    // Any thread.
    void msgReceived(int32_t status);

private:
    IMemAPI& m_api;
    int32_t m_status = 1460;
    bool m_replied = false;
    QWaitCondition m_condition;
    QMutex m_mutex;
};
