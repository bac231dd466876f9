// Voice file .w7e to .w9e; older voice files pass through .w7e on the way.
#pragma once

#include "CTovarFileConverter.h"

class VANTREL_CONSOLE_EXPORT CW7EToW9EConverter : public CTovarFileConverter
{
public:
    using CTovarFileConverter::DataConv;

    static CW7EToW9EConverter* create();

    bool DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                  TConvertContext& context) override;
    int GetBankSize(int bank) const override;

    // Clears out-of-range types and retired element and key settings of one
    // .w9e record; kind 0 normal, 1 drum, 2 plug-in.
    static void fixVoice(unsigned char* record, int kind);

    // Prepares an intermediate .w7e image: every record slot holds the initial
    // record of its kind (zeros where no initial data is given).
    static void fillW7EFromInit(unsigned char* w7e, const TConvertInitData* init);

private:
    CW7EToW9EConverter() = default;
};
