#include "widgets/TBoundControlSupport.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "memapi/IMemAPI.h"
#include "memapi/MAPI_postObserverEvent.h"
#include "memapi/TParamInfo.h"
#include "utilities/ThreadUtilities.h"
#include "widgets/ControlTemplates.h"

#include <QDataStream>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace NS_BoundControl {

bool bound(const TMemProxy_VANTREL_KXE& proxy)
{
    return proxy.m_memAPI && proxy.memAPIReady();
}

bool postIfOffGuiThread(TMemProxy_VANTREL_KXE& proxy)
{
    if (NS_Utilities::mainThreadRunning())
        return false;
    MAPI_postObserverEvent(proxy.m_memAPI, &proxy);
    return true;
}

TRangeReading readRange(TMemProxy_VANTREL_KXE& proxy)
{
    TRangeReading r;
    if (!bound(proxy))
        return r;
    IMemAPI* api = proxy.m_memAPI;
    r.minimum = api->MAPI_getIndParamMin(proxy.element(), proxy.param(), proxy.channel(), nullptr);
    r.maximum = api->MAPI_getIndParamMax(proxy.element(), proxy.param(), proxy.channel(), nullptr);
    r.maximum = std::max(r.minimum, r.maximum);
    return r;
}

TOperationValue valueForOperation(TMemProxy_VANTREL_KXE& proxy, const uint8_t* rawData,
                                  int operation, bool altDefault)
{
    TOperationValue out;
    if (!bound(proxy))
        return out;
    IMemAPI* api = proxy.m_memAPI;
    const short e = proxy.element(), p = proxy.param(), c = proxy.channel();
    out.value = api->MAPI_getIndParam(e, p, c, false, nullptr);
    QDataStream* stream = streamOf(rawData);
    switch (operation) {
    case 1:
        out.value = api->MAPI_getIndParamDefault(e, p, c, false, nullptr);
        break;
    case 2:
        if (stream) {
            TParamInfoReader_VANTREL_KXE reader(stream);
            // A record of another kind of element leaves the value as it is.
            if (reader.ok() && api->MAPI_identicalElements(e, p, reader.info().element, nullptr) != 0)
                out.value = reader.info().value;
        }
        break;
    case 3:
        if (stream) {
            TParamInfoWriter_VANTREL_KXE(proxy, out.value, stream);
            out.copied = true;
        }
        break;
    case 4:
        if (altDefault) {
            int32_t status = 0;
            const int alternative = api->MAPI_getIndParamDefault(e, p, c, true, &status);
            out.value = status == 0 ? alternative : api->MAPI_getIndParamDefault(e, p, c, false, nullptr);
        }
        break;
    default:
        break;
    }
    return out;
}

bool writeUserChange(TMemProxy_VANTREL_KXE& proxy, int value)
{
    if (!bound(proxy) || proxy.m_silent != 0 || !NS_Utilities::mainThreadRunning())
        return false;
    IMemAPI* api = proxy.m_memAPI;
    api->MAPI_setIndParam(proxy.element(), proxy.param(), proxy.channel(), value,
                          api->MAPI_dirtyAllFlags(nullptr), IMemAPI::PostSetDirtyFlags);
    return true;
}

bool registerObserver(TMemProxy_VANTREL_KXE& proxy, bool raiseSilent)
{
    if (!bound(proxy))
        return false;
    if (raiseSilent)
        ++proxy.m_silent;
    proxy.m_memAPI->MAPI_registerObserver(&proxy, proxy.observerKey(), nullptr);
    proxy.m_connected = true;
    if (raiseSilent)
        --proxy.m_silent;
    return true;
}

QString displayString(TMemProxy_VANTREL_KXE& proxy, int tableId, int value, QPixmap* picture,
                      int flag, short element, short parameter)
{
    if (!bound(proxy))
        return QString::number(value);
    QString text;
    proxy.m_memAPI->MAPI_getDisplayStringForValue(short(proxy.channel() + proxy.m_channelOffset), tableId,
                                                  &text, picture, value, flag, element, parameter);
    return text;
}

void focusEditorWindow(QWidget* widget)
{
    IEditorExtensions* window = rootObjectOfClass<IEditorExtensions>(widget);
    if (auto* w = dynamic_cast<QWidget*>(window))
        w->setFocus(Qt::OtherFocusReason);
}

TBlockedSignalRetry::TBlockedSignalRetry(QObject* owner, std::function<void()> work, int firstDelayMs,
                                         int longestDelayMs, int maxTries)
    : QObject(owner), m_owner(owner), m_work(std::move(work)), m_timer(new QTimer(this)),
      m_firstDelay(std::max(firstDelayMs, 0)), m_longestDelay(std::max(longestDelayMs, firstDelayMs)),
      m_maxTries(maxTries)
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TBlockedSignalRetry::fire);
}

void TBlockedSignalRetry::schedule()
{
    if (m_timer->isActive())
        return;
    m_tries = 0;
    m_timer->start(m_firstDelay);
}

bool TBlockedSignalRetry::pending() const
{
    return m_timer->isActive();
}

void TBlockedSignalRetry::fire()
{
    ++m_tries;
    if (m_owner && m_owner->signalsBlocked()) {
        if (m_maxTries >= 0 && m_tries >= m_maxTries)
            return; // dropped
        const int delay = std::min(m_longestDelay, std::max(1, m_timer->interval()) * 2);
        m_timer->start(delay);
        return;
    }
    if (m_work)
        m_work();
}

} // namespace NS_BoundControl
