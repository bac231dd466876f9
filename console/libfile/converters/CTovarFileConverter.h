// Base of every older-format converter and the registry that offers a source
// image to each converter in turn.
#pragma once

#include "vantrel_kxe21_console_export.h"

#include <vector>

struct TConvertInitData;
class CTovarFileConverter;

// What one conversion call carries besides the buffers.
struct TConvertContext {
    const TConvertInitData* init = nullptr;  // in: target initial data, may be null (zeros)
    CTovarFileConverter* origin = nullptr;   // out: the converter that read the source format
    // out: for each bank of dst in dst's own bank order, how many voices from the first
    // on the converter wrote from src; the rest of a bank is only initial data. Empty
    // when the converter does not say.
    std::vector<int> written;
};

class VANTREL_CONSOLE_EXPORT CTovarFileConverter
{
public:
    virtual ~CTovarFileConverter();

    // True when this converter accepted src and filled dst. A declined source
    // leaves dst untouched. Any thread; converters keep no state between calls (only
    // the images they build aside, one per thread).
    virtual bool DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                          TConvertContext& context) = 0;
    bool DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen);

    // Voices of a bank in the source format, 0 for a bank the format lacks.
    virtual int GetBankSize(int bank) const = 0;

    // Creates the converters once, in registry order. Thread-safe.
    static void initialise();

    // Offers src to every registered converter; the first that accepts is
    // returned in out. Thread-safe; dst is untouched unless the result is true.
    static bool ConvertFile(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                            CTovarFileConverter*& out);
    static bool ConvertFile(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                            CTovarFileConverter*& out, TConvertContext& context);

    // A snapshot of the registered converters, in the order of construction.
    static std::vector<CTovarFileConverter*> registry();

protected:
    CTovarFileConverter();

private:
    CTovarFileConverter(const CTovarFileConverter&) = delete;
    CTovarFileConverter& operator=(const CTovarFileConverter&) = delete;
};
