// Every older-format converter over fuzzed images. The first byte picks the
// source format; the rest is tiled over an image of that format's exact size
// (behind its signature), or applied as sparse (offset, value) edits, so that
// the converters see accepted sizes and signatures as well as declined ones.
#include "console/libfile/converters/CTovarFileConverter.h"
#include "console/libfile/converters/CW2EToW7EConverter.h"
#include "console/libfile/converters/TConvertInitData.h"

#include <QLoggingCategory>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
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

// The images of each source and destination size, made once and written over by every
// input: each is exactly its size, so a read past its end still faults.
enum Role { kSource, kDestination };
std::vector<unsigned char>& buffer(Role role, int size)
{
    static std::map<std::pair<Role, int>, std::vector<unsigned char>> buffers;
    std::vector<unsigned char>& b = buffers[{role, size}];
    if (b.size() != size_t(size))
        b.assign(size_t(size), 0);
    return b;
}

// The pattern repeated over the whole image: img[i] = pattern[i % n].
void tile(std::vector<unsigned char>& img, const uint8_t* pattern, size_t n)
{
    if (n == 0) {
        std::memset(img.data(), 0, img.size());
        return;
    }
    size_t done = std::min(n, img.size());
    std::memcpy(img.data(), pattern, done);
    while (done < img.size()) {
        const size_t step = std::min(done, img.size() - done);
        std::memcpy(img.data() + done, img.data(), step);
        done += step;
    }
}

// Every byte of the image is value.
bool allAre(const std::vector<unsigned char>& img, unsigned char value)
{
    return !img.empty() && img[0] == value && std::memcmp(img.data(), img.data() + 1, img.size() - 1) == 0;
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

    std::vector<unsigned char> raw;
    std::vector<unsigned char>* src = &raw;
    if (mode == 7) {
        // Raw bytes at their own length: small images must all be declined.
        raw.assign(payload, payload + n);
    } else {
        const int srcSize = kSizes[mode % 6];
        src = &buffer(kSource, srcSize);
        if (mode == 6) {
            // Sparse edits of a zero image: 3-byte offset, 1-byte value.
            std::memset(src->data(), 0, src->size());
            for (size_t i = 0; i + 4 <= n; i += 4) {
                const size_t at = (size_t(payload[i]) << 16 | size_t(payload[i + 1]) << 8 | payload[i + 2]) % src->size();
                (*src)[at] = payload[i + 3];
            }
        } else {
            tile(*src, payload, n);
        }
        // Mostly keep the signature, sometimes let the fuzzer's bytes break it.
        if (!(fill & 0x80))
            writeSignature(*src, srcSize);
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

    std::vector<unsigned char>& dst = buffer(kDestination, target);
    std::memset(dst.data(), fill, dst.size());
    CTovarFileConverter* out = nullptr;
    const bool ok = CTovarFileConverter::ConvertFile(src->data(), static_cast<int>(src->size()), dst.data(), target, out, context);
    if (ok != (out != nullptr) || ok != (context.origin != nullptr))
        std::abort();
    if (!ok) {
        // A declined image leaves the destination as it was.
        if (!allAre(dst, fill))
            std::abort();
    } else {
        for (int bank = -1; bank < 8; ++bank)
            if (out->GetBankSize(bank) < 0 || out->GetBankSize(bank) > 128)
                std::abort();
    }
    return 0;
}
