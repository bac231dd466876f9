#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "memapi/MAPI_postObserverEvent.h"
#include "memapi/TMemSilentHelper.h"
#include "memapi/TParamInfo.h"
#include "utilities/ThreadUtilities.h"

#include <QDataStream>

CSimpleNotifier_VANTREL_KXE::CSimpleNotifier_VANTREL_KXE(QObject* parent, const char* name)
    : QObject(parent), m_value(int(0xDEADBEEF))
{
    if (name)
        setObjectName(QString::fromLatin1(name));
}

CSimpleNotifier_VANTREL_KXE::~CSimpleNotifier_VANTREL_KXE()
{
    disconnectMemAPI();
}

namespace {
void connectReceiver(CSimpleNotifier_VANTREL_KXE* n, QObject* receiver, const char* slot)
{
    if (!receiver || !slot)
        return;
    if (QByteArray(slot).contains("CSimpleNotifier"))
        QObject::connect(n, SIGNAL(valueChangedObj(int,CSimpleNotifier*)), receiver, slot);
    else
        QObject::connect(n, SIGNAL(valueChanged(int)), receiver, slot);
}
} // namespace

CSimpleNotifier_VANTREL_KXE* CSimpleNotifier_VANTREL_KXE::Create(
    IMemAPI& api, QObject* receiver, const QString& namedAddress, int channel, const char* slot,
    CSimpleNotifier_VANTREL_KXE* notifier, void* user)
{
    CSimpleNotifier_VANTREL_KXE* n = notifier ? notifier : new CSimpleNotifier_VANTREL_KXE(receiver);
    if (!receiver)
        receiver = n->parent();
    n->m_user = user;
    connectReceiver(n, receiver, slot);
    n->m_memAPI = &api;
    n->setNamedAddress(namedAddress);
    if (channel >= 0)
        api.MAPI_assignServer(n, channel);
    return n;
}

CSimpleNotifier_VANTREL_KXE* CSimpleNotifier_VANTREL_KXE::Create(
    IMemAPI& api, QObject* receiver, const IMemAPI::TSingleAddress_VANTREL_KXE* address,
    int channel, const char* slot, CSimpleNotifier_VANTREL_KXE* notifier, void* user)
{
    CSimpleNotifier_VANTREL_KXE* n = notifier ? notifier : new CSimpleNotifier_VANTREL_KXE(receiver);
    if (!receiver)
        receiver = n->parent();
    n->m_user = user;
    connectReceiver(n, receiver, slot);
    n->m_memAPI = &api;
    if (address)
        n->setMemAPIaddress(address->element, address->parameter, address->channel);
    if (channel >= 0)
        api.MAPI_assignServer(n, channel);
    // A direct address has no named address to resolve, so binding alone would not
    // register it.
    if (!n->m_connected && n->memAPIReady())
        n->connectMemAPI();
    return n;
}

void CSimpleNotifier_VANTREL_KXE::registerKeys(int channels)
{
    if (!memAPIReady() || !m_memAPI)
        return;
    ++m_silent;
    for (int i = 0; i < qMax(1, channels); ++i)
        m_memAPI->MAPI_registerObserver(this, NS_MemAPI::observerKey(element(), param(), channel() + i),
                                        nullptr);
    --m_silent;
    m_connected = true;
}

void CSimpleNotifier_VANTREL_KXE::unregisterKeys(int channels)
{
    if (m_connected && memAPIReady() && m_memAPI)
        for (int i = 0; i < qMax(1, channels); ++i)
            m_memAPI->MAPI_unregisterObserver(this,
                                              NS_MemAPI::observerKey(element(), param(), channel() + i));
    m_connected = false;
}

void CSimpleNotifier_VANTREL_KXE::connectMemAPI()
{
    registerKeys(1);
}

bool CSimpleNotifier_VANTREL_KXE::inActiveMode()
{
    return true;
}

int CSimpleNotifier_VANTREL_KXE::clipWithinRange(int value)
{
    return value;
}

int CSimpleNotifier_VANTREL_KXE::getValue()
{
    if (inActiveMode() && memAPIReady() && m_memAPI)
        return m_memAPI->MAPI_getIndParam(element(), param(), channel(), false, nullptr);
    return m_value;
}

bool CSimpleNotifier_VANTREL_KXE::visibilityChanged()
{
    if (!inActiveMode() || !m_memAPI || !memAPIReady() || m_silent)
        return false;
    bool shown = true, enabled = true;
    if (m_memAPI->MAPI_getIndParamEditState(element(), param(), channel(), shown, enabled) != 0)
        return false;
    if (shown == m_lastShown && enabled == m_lastEnabled)
        return false;
    m_lastShown = shown;
    m_lastEnabled = enabled;
    return true;
}

void CSimpleNotifier_VANTREL_KXE::setValue(int value)
{
    if (!NS_Utilities::mainThreadRunning())
        return;
    if (value == m_value) {
        if (!visibilityChanged() && !m_alwaysUpdate)
            return;
    } else {
        m_value = value;
        if (inActiveMode() && memAPIReady() && m_memAPI && m_silent == 0)
            m_memAPI->MAPI_setIndParam(element(), param(), channel(), value,
                                       m_memAPI->MAPI_dirtyAllFlags(nullptr),
                                       IMemAPI::PostSetDirtyFlags);
    }
    triggerValueChanged();
}

void CSimpleNotifier_VANTREL_KXE::triggerValueChanged()
{
    emit valueChanged(m_value);
    emit valueChangedObj(m_value, this);
}

void CSimpleNotifier_VANTREL_KXE::process(const uint8_t* rawData, int operation, uint32_t)
{
    if (!memAPIReady() || !m_memAPI)
        return;
    if (!NS_Utilities::mainThreadRunning()) {
        MAPI_postObserverEvent(m_memAPI, this);
        return;
    }
    if (!inActiveMode())
        return;
    const short e = element(), p = param(), c = channel();
    int value = m_memAPI->MAPI_getIndParam(e, p, c, false, nullptr);
    auto* stream = reinterpret_cast<QDataStream*>(const_cast<uint8_t*>(rawData));
    switch (operation) {
    case 3:
        if (stream)
            TParamInfoWriter_VANTREL_KXE(*this, value, stream);
        break;
    case 1:
    case 4:
        value = m_memAPI->MAPI_getIndParamDefault(e, p, c, operation == 4, nullptr);
        break;
    case 2:
        if (stream) {
            TParamInfoReader_VANTREL_KXE reader(stream);
            if (reader.ok() && m_memAPI->MAPI_identicalElements(e, p, reader.info().parameter, nullptr))
                value = reader.info().value;
        }
        break;
    default:
        break;
    }
    TMemSilentHelper silent(m_silent, operation);
    setValue(clipWithinRange(value));
}
