#include "memapi/TParamInfo.h"
#include "memapi/TMemProxy_VANTREL_KXE.h"

#include <QDataStream>

TParamInfoWriter_VANTREL_KXE::TParamInfoWriter_VANTREL_KXE(const TParamInfo& info,
                                                           QDataStream* stream)
    : m_info(info)
{
    if (stream)
        write(*stream);
}

TParamInfoWriter_VANTREL_KXE::TParamInfoWriter_VANTREL_KXE(TMemProxy_VANTREL_KXE& proxy, int value,
                                                           QDataStream* stream, short parameter)
{
    m_info.channel = proxy.channel();
    m_info.element = proxy.element();
    m_info.parameter = parameter < 0 ? proxy.param() : parameter;
    m_info.value = value;
    if (stream)
        write(*stream);
}

void TParamInfoWriter_VANTREL_KXE::write(QDataStream& stream) const
{
    stream << qint16(m_info.channel) << qint16(m_info.element) << qint16(m_info.parameter)
           << qint32(m_info.value);
}

TParamInfoReader_VANTREL_KXE::TParamInfoReader_VANTREL_KXE(QDataStream* stream)
{
    if (stream)
        read(*stream);
}

bool TParamInfoReader_VANTREL_KXE::read(QDataStream& stream)
{
    qint16 channel = 0, element = 0, parameter = 0;
    qint32 value = 0;
    stream >> channel >> element >> parameter >> value;
    m_ok = stream.status() == QDataStream::Ok;
    if (m_ok)
        m_info = TParamInfo{channel, element, parameter, value};
    return m_ok;
}
