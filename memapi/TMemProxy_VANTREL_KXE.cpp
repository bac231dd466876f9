#include "memapi/TMemProxy_VANTREL_KXE.h"

#include <QWidget>

TMemProxy_VANTREL_KXE::TMemProxy_VANTREL_KXE() = default;

TMemProxy_VANTREL_KXE::~TMemProxy_VANTREL_KXE()
{
    // The observer connection must not outlive the proxy it calls.
    if (m_connected && m_memAPI && memAPIReady())
        m_memAPI->MAPI_unregisterObserver(this, observerKey());
    m_connected = false;
    clearParsedAddress();
}

void TMemProxy_VANTREL_KXE::clearParsedAddress()
{
    delete[] m_parsed.records;
    m_parsed.records = nullptr;
    m_parsed.count = 0;
}

QMouseEvent* TMemProxy_VANTREL_KXE::realMemoryProxy(QMouseEvent* event)
{
    return event;
}

uint32_t TMemProxy_VANTREL_KXE::observerKey() const
{
    return NS_MemAPI::observerKey(m_address.element, m_address.parameter, m_address.channel);
}

void TMemProxy_VANTREL_KXE::disconnectMemAPI()
{
    if (m_connected && memAPIReady() && m_memAPI)
        m_memAPI->MAPI_unregisterObserver(this, observerKey());
    m_connected = false;
}

void TMemProxy_VANTREL_KXE::copyParameters(QDataStream& stream, unsigned int flags)
{
    process(reinterpret_cast<const uint8_t*>(&stream), 3, flags);
}

void TMemProxy_VANTREL_KXE::pasteParameters(const QDataStream& stream, unsigned int flags)
{
    process(reinterpret_cast<const uint8_t*>(&stream), 2, flags);
}

void TMemProxy_VANTREL_KXE::reset2defaults(unsigned int flags)
{
    process(nullptr, 1, flags);
}

void TMemProxy_VANTREL_KXE::reset2AltDefaults(unsigned int flags)
{
    process(nullptr, 4, flags);
}

bool TMemProxy_VANTREL_KXE::getInformation(double& value, double& minimum, double& maximum,
                                           bool& ok)
{
    if (!memAPIReady() || !m_memAPI)
        return false;
    const short e = element(), p = param(), c = channel();
    minimum = m_memAPI->MAPI_getIndParamMin(e, p, c, nullptr);
    maximum = m_memAPI->MAPI_getIndParamMax(e, p, c, nullptr);
    value = m_memAPI->MAPI_getIndParam(e, p, c, false, nullptr);
    ok = true;
    return true;
}

bool TMemProxy_VANTREL_KXE::setInformation(const double& value)
{
    if (!memAPIReady() || !m_memAPI)
        return false;
    m_memAPI->MAPI_setIndParam(element(), param(), channel(), int(value),
                               m_memAPI->MAPI_dirtyAllFlags(nullptr), IMemAPI::PostSetDirtyFlags);
    return true;
}

void TMemProxy_VANTREL_KXE::applyConnection(int)
{
    QWidget* widget = disableAutoHide() ? nullptr : dynamic_cast<QWidget*>(this);
    if (m_connected) {
        if (widget)
            widget->show();
        connectMemAPI();
    } else if (!m_namedAddress.isEmpty() && widget) {
        widget->hide();
    }
}

bool TMemProxy_VANTREL_KXE::disableAutoHide()
{
    return false;
}

QString TMemProxy_VANTREL_KXE::namedAddress() const
{
    return m_namedAddress;
}

bool TMemProxy_VANTREL_KXE::setNamedAddress(const QString& text)
{
    if (text == m_namedAddress)
        return false;
    m_namedAddress = text;
    disconnectMemAPI();
    clearParsedAddress();
    if (m_memAPI)
        m_memAPI->MAPI_parse(m_parsed, &m_namedAddress);
    return true;
}

bool TMemProxy_VANTREL_KXE::isUndoEnable() const
{
    return m_undoEnable;
}

TMemProxy_VANTREL_KXE* TMemProxy_VANTREL_KXE::setUndoEnable(bool enable)
{
    m_undoEnable = enable;
    return this;
}

int TMemProxy_VANTREL_KXE::numDefaultKind() const
{
    return m_defaultKind;
}

TMemProxy_VANTREL_KXE* TMemProxy_VANTREL_KXE::setNumDefaultKind(int kind)
{
    m_defaultKind = kind;
    return this;
}

bool TMemProxy_VANTREL_KXE::disabledUI() const
{
    return m_disabledUI;
}

TMemProxy_VANTREL_KXE* TMemProxy_VANTREL_KXE::setDisabledUI(bool disabled)
{
    m_disabledUI = disabled;
    return this;
}

void TMemProxy_VANTREL_KXE::setMemAPIaddress(short element, short parameter, short channel)
{
    disconnectMemAPI();
    m_address.element = element;
    m_address.parameter = parameter;
    if (channel != -1)
        m_address.channel = channel;
}

bool TMemProxy_VANTREL_KXE::memAPIReady() const
{
    return m_address.element >= 0 && m_address.channel >= 0 && m_address.parameter >= 0;
}

void TMemProxy_VANTREL_KXE::setWidgetShowState(QWidget* widget)
{
    if (!widget || !m_memAPI)
        return;
    bool shown = true, enabled = true;
    if (m_memAPI->MAPI_getIndParamEditState(element(), param(), channel(), shown, enabled) != 0)
        return;
    if (widget->isEnabled() != enabled)
        widget->setEnabled(enabled);
    widget->setVisible(shown);
}
