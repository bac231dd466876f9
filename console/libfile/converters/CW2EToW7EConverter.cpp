#include "CW2EToW7EConverter.h"

#include "ConverterLayout.h"
#include "OldVoiceParts.h"
#include "VoiceReferenceRemap.h"
#include "W2EEffectMaps.h"

#include <vector>

using namespace NS_ConvertLayout;

namespace {

constexpr int kOldCommon = 66;

constexpr int kNormalFrom = 26400;
constexpr int kNormalCount = 128;
constexpr int kNormalRecord = 880;
constexpr int kNormalPart = 191;
constexpr int kOldElement = 152;

constexpr int kDrumFrom = 139584;
constexpr int kDrumCount = 16;
constexpr int kDrumRecord = 5024;
constexpr int kOldDrumPart = 147;

constexpr int kPluginFrom[] = {226144, 245600, 265056};
constexpr int kPluginCount = 64;
constexpr int kPluginRecord = 304;
constexpr int kOldPluginPart = 128;

constexpr int kNormalDir = 608;
constexpr int kDrumDir = 8832;
constexpr int kPluginDir = 9888;
constexpr int kPluginTo[] = {455008, 477536, 500064};

static_assert(265056 + kPluginCount * kPluginRecord <= kW2ESize, "w2e plug-in banks fit");
static_assert(kOldCommon + kNormalPart + 4 * kOldElement <= kNormalRecord, "w2e normal record");
static_assert(kOldCommon + kOldDrumPart + kKeyCount * kKeySize <= kDrumRecord, "w2e drum record");
static_assert(kOldCommon + kOldPluginPart + kPluginPart <= kPluginRecord, "w2e plug-in record");

struct TSignature {
    unsigned char bytes[kSignatureSize];
    TSignature()
    {
        static const char text[] = "A0636 VCE EDITORVer 01.00";
        std::memset(bytes, ' ', 32);
        std::memcpy(bytes, text, sizeof(text) - 1);
        std::memset(bytes + 32, 0xFF, 16);
        std::memcpy(bytes + 48, "ZUTL", 4);
        std::memset(bytes + 52, 0xFF, 76);
    }
};

// {first new byte, first old byte, last old byte}; the bytes between runs are zero.
struct TRun {
    int to;
    int from;
    int last;
};

void moveRuns(unsigned char* part, int size, const unsigned char* old, const TRun* runs, int count)
{
    std::memset(part, 0, static_cast<size_t>(size));
    for (int i = 0; i < count; ++i)
        copyBytes(part, runs[i].to, old, runs[i].from, runs[i].last);
}

constexpr TRun kNormalRuns[] = {{0, 0, 14}, {17, 15, 40}, {55, 41, 64}, {91, 65, 89}, {128, 90, 190}};
constexpr TRun kDrumRuns[] = {{0, 0, 33}, {46, 34, 57}, {82, 58, 82}, {119, 83, 146}};
constexpr TRun kPluginRuns[] = {{0, 0, 34}, {47, 35, 58}, {83, 59, 83}, {120, 84, 127}};

void convertElement(const unsigned char* o, unsigned char* n, int number)
{
    copyBytes(n, 0, o, 0, 1);
    n[2] = static_cast<unsigned char>(number);
    copyBytes(n, 3, o, 3, 17);
    n[18] = 0;
    copyBytes(n, 19, o, 19, 27);
    n[28] = 11;
    copyBytes(n, 29, o, 28, 36);
    n[38] = 127;
    copyBytes(n, 39, o, 38, 86);
    n[88] = 0x40;
    copyBytes(n, 89, o, 87, 91);
    n[94] = clamp7(o[92] * 2 + 8);
    copyBytes(n, 95, o, 93, 146);
    n[149] = o[147];
    copyBytes(n, 150, o, 148, 151);
    n[154] = o[147];
    n[155] = 0;
    fillBytes(n, 156, 158, 127);
}

// The four effect blocks through their maps, then the chorus types the current
// format numbers differently (in every kind of voice, so that no old code stays).
void convertEffects(unsigned char* part, EVoiceKind kind)
{
    const int* pos = effectTypePositions(kind);
    for (int b = 0; b < kEffectBlocks; ++b)
        NS_W2EEffects::convertBlock(part, pos[b], b);
    NS_OldVoiceParts::renumberChorusType(part + pos[NS_W2EEffects::kChorus]);
}

void writeNameEntry(unsigned char* entry, const unsigned char* common)
{
    std::memcpy(entry, common, kNameSize);
    std::memset(entry + kNameSize, 0, kNameEntry - kNameSize);
}

} // namespace

CW2EToW7EConverter* CW2EToW7EConverter::create()
{
    static CW2EToW7EConverter instance;
    return &instance;
}

const unsigned char* CW2EToW7EConverter::signature()
{
    static const TSignature sig;
    return sig.bytes;
}

int CW2EToW7EConverter::GetBankSize(int bank) const
{
    static const int sizes[] = {128, 0, 16, 64, 64, 64};
    return bank >= 0 && bank < 6 ? sizes[bank] : 0;
}

bool CW2EToW7EConverter::DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                                  TConvertContext& context)
{
    if (!src || !dst || srcLen != kW2ESize || dstLen != kW7ESize)
        return false;
    if (std::memcmp(src, signature(), kSignatureSize) != 0)
        return false;

    std::vector<unsigned char>& out = NS_ConvertLayout::scratchImage<CW2EToW7EConverter>();
    out.assign(dst, dst + kW7ESize);
    std::vector<unsigned char> init;
    const NS_VoiceReference::TReferenceTable refs = NS_VoiceReference::w2eTable();

    for (int i = 0; i < kNormalCount; ++i) {
        const unsigned char* s = src + kNormalFrom + i * kNormalRecord;
        unsigned char* r = out.data() + kW7EBanks[0].recordOffset + i * kW7ENormalSize;
        init.assign(r, r + kCommonSize);
        NS_OldVoiceParts::convertCommon(s, r, false);
        moveRuns(r + kCommonSize, kNormalVoicePart, s + kOldCommon, kNormalRuns, 5);
        for (int k = 0; k < kElementCount; ++k)
            convertElement(s + kOldCommon + kNormalPart + k * kOldElement,
                           r + kCommonSize + kNormalVoicePart + k * kElementSize, k);
        convertEffects(r + kCommonSize, kNormalVoice);
        NS_VoiceReference::remap(r, 19, refs, init.data());
        writeNameEntry(out.data() + kNormalDir + i * kW7EDirEntry, s);
    }

    for (int i = 0; i < kDrumCount; ++i) {
        const unsigned char* s = src + kDrumFrom + i * kDrumRecord;
        unsigned char* r = out.data() + kW7EBanks[2].recordOffset + i * kW7EDrumSize;
        init.assign(r, r + kCommonSize);
        NS_OldVoiceParts::convertCommon(s, r, false);
        moveRuns(r + kCommonSize, kDrumVoicePart, s + kOldCommon, kDrumRuns, 4);
        for (int k = 0; k < kKeyCount; ++k) {
            const unsigned char* ok = s + kOldCommon + kOldDrumPart + k * kKeySize;
            unsigned char* nk = r + kCommonSize + kDrumVoicePart + k * kKeySize;
            std::memcpy(nk, ok, kKeySize);
            nk[38] = clamp7(ok[38] * 2 + 8);
        }
        convertEffects(r + kCommonSize, kDrumVoice);
        NS_VoiceReference::remap(r, 19, refs, init.data());
        writeNameEntry(out.data() + kDrumDir + i * kW7EDirEntry, s);
    }

    for (int b = 0; b < 3; ++b) {
        for (int i = 0; i < kPluginCount; ++i) {
            const unsigned char* s = src + kPluginFrom[b] + i * kPluginRecord;
            unsigned char* r = out.data() + kPluginTo[b] + i * kW7EPluginSize;
            init.assign(r, r + kCommonSize);
            NS_OldVoiceParts::convertCommon(s, r, true);
            moveRuns(r + kCommonSize, kPluginVoicePart, s + kOldCommon, kPluginRuns, 4);
            convertEffects(r + kCommonSize, kPluginVoice);
            std::memcpy(r + kCommonSize + kPluginVoicePart, s + kOldCommon + kOldPluginPart, kPluginPart);
            NS_VoiceReference::remap(r, 20, refs, init.data());
            writeNameEntry(out.data() + kPluginDir + (b * kPluginCount + i) * kW7EDirEntry, s);
        }
    }

    std::memcpy(dst, out.data(), kW7ESize);
    // The .w7e groups are numbered as this format's banks.
    context.written.clear();
    for (int g = 0; g < 6; ++g)
        context.written.push_back(GetBankSize(g));
    return true;
}
