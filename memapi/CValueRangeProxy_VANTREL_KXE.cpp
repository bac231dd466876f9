#include "memapi/CValueRangeProxy_VANTREL_KXE.h"

CValueRangeProxy_VANTREL_KXE::CValueRangeProxy_VANTREL_KXE(QObject* parent, const char* name)
    : CSimpleNotifier_VANTREL_KXE(parent, name)
{
}

void CValueRangeProxy_VANTREL_KXE::setRange(int l, int r)
{
    m_lower = l;
    m_upper = r - 1;
    m_rangeSet = true;
}

int CValueRangeProxy_VANTREL_KXE::clipWithinRange(int value)
{
    return qMax(m_lower, qMin(m_upper, value));
}

void CValueRangeProxy_VANTREL_KXE::incValue()
{
    if (m_value + 1 >= m_lower && m_value + 1 <= m_upper)
        setValue(m_value + 1);
}

void CValueRangeProxy_VANTREL_KXE::decValue()
{
    if (m_value - 1 >= m_lower && m_value - 1 <= m_upper)
        setValue(m_value - 1);
}

void CValueRangeProxy_VANTREL_KXE::connectMemAPI()
{
    CSimpleNotifier_VANTREL_KXE::connectMemAPI();
    if (!m_rangeSet && m_memAPI && memAPIReady()) {
        m_lower = m_memAPI->MAPI_getIndParamMin(element(), param(), 0, nullptr);
        m_upper = m_memAPI->MAPI_getIndParamMax(element(), param(), 0, nullptr);
    }
}
