#include "CM2EToM3EConverter.h"

#include "ConverterLayout.h"
#include "TConvertInitData.h"

#include <vector>

using namespace NS_ConvertLayout;

namespace {

// Runs of the multi part that carry over: {first new byte, first old byte, count}.
struct TRun {
    int to;
    int from;
    int count;
};
constexpr TRun kMultiRuns[] = {
    {512, 512, 174},
    {686, 754, 55},
    {741, 877, 928},
    {1669, 1805, 60},
};

} // namespace

CM2EToM3EConverter* CM2EToM3EConverter::create()
{
    static CM2EToM3EConverter instance;
    return &instance;
}

int CM2EToM3EConverter::GetBankSize(int bank) const
{
    static const int sizes[] = {128, 128, 0, 32, 64, 64};
    return bank >= 0 && bank < 6 ? sizes[bank] : 0;
}

bool CM2EToM3EConverter::DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                                  TConvertContext& context)
{
    if (!src || !dst || dstLen != kM3EBufferSize)
        return false;
    if (srcLen != kM2ESize && srcLen != kM2ESizeLong && srcLen != kM2ESizeTrailer)
        return false;

    std::vector<unsigned char>& out = NS_ConvertLayout::scratchImage<CM2EToM3EConverter>();
    out.assign(size_t(kM3EBufferSize), 0);
    CTovarFileConverter* voices = nullptr;
    TConvertContext voiceContext;
    voiceContext.init = context.init;
    if (!ConvertFile(src, kW7ESize, out.data(), kW9ESize, voices, voiceContext))
        return false;

    const unsigned char* from = src + kW7ESize;
    unsigned char* multi = out.data() + kW9ESize;
    // What the old multi does not carry comes from the multi's initial data.
    if (context.init && context.init->multi.size() == kMultiSize)
        std::memcpy(multi, context.init->multi.constData(), kMultiSize);
    for (const TRun& run : kMultiRuns)
        std::memcpy(multi + run.to, from + run.from, static_cast<size_t>(run.count));

    clampType14(multi + 532, 0);
    for (int p = 554; p <= 562; p += 2)
        clampType14(multi + p, 127);
    multi[608] &= 0xF4;

    std::memcpy(dst, out.data(), kM3EBufferSize);
    context.written = voiceContext.written;
    return true;
}
