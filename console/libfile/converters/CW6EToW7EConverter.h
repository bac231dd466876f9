// Voice file .w6e to .w7e.
#pragma once

#include "CTovarFileConverter.h"

class VANTREL_CONSOLE_EXPORT CW6EToW7EConverter : public CTovarFileConverter
{
public:
    using CTovarFileConverter::DataConv;

    static CW6EToW7EConverter* create();

    // Destination bytes the conversion does not write keep what dst held (the
    // initial data), and so does an arpeggio reference to a bank the old format
    // does not have.
    // The working image is per call, so conversions may run on several threads.
    bool DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                  TConvertContext& context) override;
    int GetBankSize(int bank) const override;

private:
    CW6EToW7EConverter() = default;
};
