#pragma once
// The copy/paste record of one parameter: channel, element, parameter (16-bit
// signed), value (32-bit), big-endian on a QDataStream: 10 bytes.
#include "vantrel_kxe21_memapi_export.h"
#include <cstdint>

class QDataStream;
class TMemProxy_VANTREL_KXE;

struct TParamInfo
{
    int16_t channel = 0;
    int16_t element = 0;
    int16_t parameter = 0;
    int32_t value = 0;
};

class VANTREL_MEMAPI_EXPORT TParamInfoWriter_VANTREL_KXE
{
public:
    // Writes at once when a stream is given.
    TParamInfoWriter_VANTREL_KXE(const TParamInfo& info, QDataStream* stream);
    // A negative parameter number means the proxy's own parameter.
    TParamInfoWriter_VANTREL_KXE(TMemProxy_VANTREL_KXE& proxy, int value, QDataStream* stream,
                                 short parameter = -1);
    void write(QDataStream& stream) const;
    const TParamInfo& info() const { return m_info; }

private:
    TParamInfo m_info;
};

class VANTREL_MEMAPI_EXPORT TParamInfoReader_VANTREL_KXE
{
public:
    // Reads one record at once when a stream is given; ok() tells whether it was whole.
    explicit TParamInfoReader_VANTREL_KXE(QDataStream* stream);
    bool read(QDataStream& stream);
    const TParamInfo& info() const { return m_info; }
    bool ok() const { return m_ok; }

private:
    TParamInfo m_info;
    bool m_ok = false;
};
