// Voice file .w2e (the oldest supported format) to .w7e.
#pragma once

#include "CTovarFileConverter.h"

class VANTREL_CONSOLE_EXPORT CW2EToW7EConverter : public CTovarFileConverter
{
public:
    using CTovarFileConverter::DataConv;

    static CW2EToW7EConverter* create();

    // The 128-byte signature every .w2e image starts with.
    static const unsigned char* signature();

    // Destination bytes the conversion does not write keep what dst held (the
    // initial data), and so does an arpeggio reference to a bank the old format
    // does not have.
    bool DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                  TConvertContext& context) override;
    int GetBankSize(int bank) const override;

private:
    CW2EToW7EConverter() = default;
};
