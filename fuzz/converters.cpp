// Every older-format converter over fuzzed images. The first byte picks the
// source format; the rest is tiled over an image of that format's exact size
// (behind its signature), or applied as sparse (offset, value) edits, so that
// the converters see accepted sizes and signatures as well as declined ones.
#include "console/libfile/converters/CTovarFileConverter.h"
#include "console/libfile/converters/CW2EToW7EConverter.h"
#include "console/libfile/converters/TConvertInitData.h"

#include <QLoggingCategory>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kSizes[] = {524672, 524676, 524750, 522624, 284544, 409088};
constexpr int kTargets[] = {553476, 551424, 522624};

void writeSignature(std::vector<unsigned char>& img, int size)
{
    if (size == 284544)
        std::memcpy(img.data(), CW2EToW7EConverter::signature(), 128);
    else if (size == 409088)
        std::memcpy(img.data(), "A0728 VCE V1.00", 16);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const int mode = data[0] % 8;
    const int target = kTargets[data[1] % 3];
    const unsigned char fill = data[2];
    const uint8_t* payload = data + 3;
    const size_t n = size - 3;

    std::vector<unsigned char> src;
    if (mode == 7) {
        // Raw bytes at their own length: small images must all be declined.
        src.assign(payload, payload + n);
    } else {
        const int srcSize = kSizes[mode % 6];
        src.assign(static_cast<size_t>(srcSize), 0);
        if (mode == 6) {
            // Sparse edits of a zero image: 3-byte offset, 1-byte value.
            for (size_t i = 0; i + 4 <= n; i += 4) {
                const size_t at = (size_t(payload[i]) << 16 | size_t(payload[i + 1]) << 8 | payload[i + 2]) % src.size();
                src[at] = payload[i + 3];
            }
        } else if (n > 0) {
            for (size_t i = 0; i < src.size(); ++i)
                src[i] = payload[i % n];
        }
        // Mostly keep the signature, sometimes let the fuzzer's bytes break it.
        if (!(fill & 0x80))
            writeSignature(src, srcSize);
    }

    TConvertInitData init;
    if (fill & 0x01) {
        init.normalVoice = QByteArray(952, char(fill));
        init.drumVoice = QByteArray(4138, char(fill ^ 0x55));
        init.pluginVoice = QByteArray(353, char(fill ^ 0x2A));
        init.multi = QByteArray(fill & 0x02 ? 2048 : 100, char(fill));
    }
    TConvertContext context;
    context.init = &init;

    std::vector<unsigned char> dst(static_cast<size_t>(target), fill);
    CTovarFileConverter* out = nullptr;
    const bool ok = CTovarFileConverter::ConvertFile(src.data(), static_cast<int>(src.size()), dst.data(), target, out, context);
    if (ok != (out != nullptr) || ok != (context.origin != nullptr))
        std::abort();
    if (!ok) {
        // A declined image leaves the destination as it was.
        for (unsigned char b : dst)
            if (b != fill)
                std::abort();
    } else {
        for (int bank = -1; bank < 8; ++bank)
            if (out->GetBankSize(bank) < 0 || out->GetBankSize(bank) > 128)
                std::abort();
    }
    return 0;
}
