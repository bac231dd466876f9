#include "CW6EToW7EConverter.h"

#include "ConverterLayout.h"
#include "OldVoiceParts.h"
#include "VoiceReferenceRemap.h"

#include <vector>

using namespace NS_ConvertLayout;

namespace {

constexpr char kSignature[] = "A0728 VCE V1.00";

constexpr int kOldCommon = 66;
constexpr int kOldNormalPart = 228;
constexpr int kOldElement = 155;
constexpr int kOldNormalRecord = 918;
constexpr int kOldDrumRecord = 3903;
constexpr int kOldPluginRecord = 337;

// Source banks in the order of the .w7e record groups.
struct TOldBank {
    int from;
    int count;
    int recordSize;
};
constexpr TOldBank kOldBanks[] = {
    {5632, 128, kOldNormalRecord},
    {123136, 128, kOldNormalRecord},
    {240640, 32, kOldDrumRecord},
    {365536, 64, kOldPluginRecord},
    {387104, 64, kOldPluginRecord},
};

static_assert(387104 + 64 * kOldPluginRecord <= kW6ESize, "w6e banks fit");
static_assert(kOldCommon + kOldNormalPart + 4 + 4 * kOldElement == kOldNormalRecord, "w6e normal");
static_assert(kOldCommon + kDrumVoicePart + 4 + kKeyCount * kKeySize == kOldDrumRecord, "w6e drum");
static_assert(kOldCommon + kPluginVoicePart + 4 + kPluginPart == kOldPluginRecord, "w6e plug-in");

void convertNormal(const unsigned char* s, unsigned char* r)
{
    NS_OldVoiceParts::convertCommon(s, r, false);
    unsigned char* part = r + kCommonSize;
    const unsigned char* old = s + kOldCommon;
    copyBytes(part, 0, old, 0, 14);
    part[15] = part[16] = 0;
    copyBytes(part, 17, old, 15, 227);
    // The 4-byte part after the voice part has no place in this format.
    for (int k = 0; k < kElementCount; ++k) {
        const unsigned char* oe = s + kOldCommon + kOldNormalPart + 4 + k * kOldElement;
        unsigned char* ne = r + kCommonSize + kNormalVoicePart + k * kElementSize;
        std::memcpy(ne, oe, kOldElement);
        ne[155] = 0;
        fillBytes(ne, 156, 158, 127);
    }
    NS_OldVoiceParts::renumberType3664(part + kNormalEffectTypePos[3]);
}

void convertDrum(const unsigned char* s, unsigned char* r)
{
    NS_OldVoiceParts::convertCommon(s, r, false);
    std::memcpy(r + kCommonSize, s + kOldCommon, kDrumVoicePart);
    std::memcpy(r + kCommonSize + kDrumVoicePart, s + kOldCommon + kDrumVoicePart + 4, kKeyCount * kKeySize);
    NS_OldVoiceParts::renumberType3664(r + kCommonSize + kDrumEffectTypePos[3]);
}

void convertPlugin(const unsigned char* s, unsigned char* r)
{
    NS_OldVoiceParts::convertCommon(s, r, true);
    unsigned char* part = r + kCommonSize;
    std::memcpy(part, s + kOldCommon, kPluginVoicePart);
    std::memcpy(part + kPluginVoicePart, s + kOldCommon + kPluginVoicePart + 4, kPluginPart);
    NS_OldVoiceParts::renumberInsertionType(part + kPluginEffectTypePos[2]);
    NS_OldVoiceParts::renumberType3664(part + kPluginEffectTypePos[3]);
}

// Effect types and voice part bytes the current format numbers differently, in
// any kind of record.
void renumberTypes(unsigned char* r, EVoiceKind kind)
{
    const int* pos = effectTypePositions(kind);
    NS_OldVoiceParts::renumberChorusType(r + kCommonSize + pos[1]);
    NS_OldVoiceParts::renumberInsertionType(r + kCommonSize + pos[2]);
    NS_OldVoiceParts::renumberInsertionType(r + kCommonSize + pos[3]);
    NS_OldVoiceParts::renumberVoicePartBytes(r + kCommonSize);
}

} // namespace

CW6EToW7EConverter* CW6EToW7EConverter::create()
{
    static CW6EToW7EConverter instance;
    return &instance;
}

int CW6EToW7EConverter::GetBankSize(int bank) const
{
    static const int sizes[] = {128, 128, 32, 64, 64, 0};
    return bank >= 0 && bank < 6 ? sizes[bank] : 0;
}

bool CW6EToW7EConverter::DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                                  TConvertContext& context)
{
    if (!src || !dst || srcLen != kW6ESize || dstLen != kW7ESize)
        return false;
    // Compared as a text: the signature and its terminating zero.
    if (std::memcmp(src, kSignature, sizeof(kSignature)) != 0)
        return false;

    std::vector<unsigned char>& out = NS_ConvertLayout::scratchImage<CW6EToW7EConverter>();
    out.assign(dst, dst + kW7ESize);
    std::vector<unsigned char> init;
    const NS_VoiceReference::TReferenceTable refs = NS_VoiceReference::w6eTable();
    int dirEntry = 0;
    for (int g = 0; g < 5; ++g) {
        const TOldBank& from = kOldBanks[g];
        const TBankLayout& to = kW7EBanks[g];
        for (int i = 0; i < from.count; ++i, ++dirEntry) {
            const unsigned char* s = src + from.from + i * from.recordSize;
            unsigned char* r = out.data() + to.recordOffset + i * to.recordSize;
            init.assign(r, r + kCommonSize);
            if (to.kind == kNormalVoice)
                convertNormal(s, r);
            else if (to.kind == kDrumVoice)
                convertDrum(s, r);
            else
                convertPlugin(s, r);
            NS_VoiceReference::remap(r, to.kind == kPluginVoice ? 20 : 19, refs, init.data());
            renumberTypes(r, to.kind);
            unsigned char* entry = out.data() + kW7EDirStart + dirEntry * kW7EDirEntry;
            std::memcpy(entry, s, kNameSize);
            std::memset(entry + kNameSize, 0, kNameEntry - kNameSize);
        }
    }
    std::memcpy(dst, out.data(), kW7ESize);
    // The .w7e groups are numbered as this format's banks; the third plug-in group keeps its initial data.
    context.written.clear();
    for (int g = 0; g < 6; ++g)
        context.written.push_back(GetBankSize(g));
    return true;
}
