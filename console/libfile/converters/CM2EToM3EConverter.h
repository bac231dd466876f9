// Document .m2e to the .m3e conversion buffer: the voice image through the
// .w7e converter, then the multi part.
#pragma once

#include "CTovarFileConverter.h"

class VANTREL_CONSOLE_EXPORT CM2EToM3EConverter : public CTovarFileConverter
{
public:
    using CTovarFileConverter::DataConv;

    static CM2EToM3EConverter* create();

    bool DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                  TConvertContext& context) override;
    int GetBankSize(int bank) const override;

private:
    CM2EToM3EConverter() = default;
};
