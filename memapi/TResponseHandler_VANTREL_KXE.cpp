#include "memapi/TResponseHandler_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

TResponseHandler_VANTREL_KXE::TResponseHandler_VANTREL_KXE(IMemAPI& api)
    : m_api(api)
{
    m_api.MAPI_setIncomingMidiMsgParamChangeHandle(this);
}

TResponseHandler_VANTREL_KXE::~TResponseHandler_VANTREL_KXE() = default;

bool TResponseHandler_VANTREL_KXE::match(const unsigned char*, int)
{
    return false;
}

bool TResponseHandler_VANTREL_KXE::match(short, short, short)
{
    return false;
}

int32_t TResponseHandler_VANTREL_KXE::wait(const void* request, int length, int timeoutMs)
{
    int32_t outcome = 0;
    bool sendFailed = false;
    if (length > 0 && request) {
        outcome = m_api.MAPI_writeMIDI(request, length);
        sendFailed = outcome != 0;
    }
    int32_t status = 0;
    if (!sendFailed) {
        QMutexLocker locker(&m_mutex);
        QDeadlineTimer deadline(qMax(0, timeoutMs));
        while (!m_replied) {
            if (!m_condition.wait(&m_mutex, deadline))
                break;
        }
        outcome = m_replied ? 0 : NS_MemAPI::kTimeout;
        status = m_status;
    }
    m_api.MAPI_setIncomingMidiMsgParamChangeHandle(nullptr);
    if (sendFailed)
        return outcome;
    return status != 0 ? status : outcome;
}

void TResponseHandler_VANTREL_KXE::msgReceived(int32_t status)
{
    QMutexLocker locker(&m_mutex);
    m_status = status;
    m_replied = true;
    m_condition.wakeAll();
}
