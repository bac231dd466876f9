// Image sizes and record layouts of the document and voice-file formats the
// converters read and write, and the small byte helpers they share.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace NS_ConvertLayout {

// A converter's image built aside, so that dst changes only once the image is whole.
// Kept per thread and written over by every conversion, so that a conversion allocates
// no image of its own; no converter runs inside itself, so one of each is enough.
template <typename Converter, int Which = 0>
std::vector<unsigned char>& scratchImage()
{
    thread_local std::vector<unsigned char> image;
    return image;
}

// Image sizes, in bytes.
constexpr int kM2ESize = 524672;          // .m2e document: .w7e voice image + 2048-byte multi
constexpr int kM2ESizeLong = 524676;      // .m2e with four further bytes
constexpr int kM2ESizeTrailer = 524750;   // .m2e with the mute/solo trailer
constexpr int kM3EBufferSize = 553476;    // .w9e voice image + multi + 4
constexpr int kW2ESize = 284544;
constexpr int kW6ESize = 409088;
constexpr int kW7ESize = 522624;
constexpr int kW9ESize = 551424;
constexpr int kMultiSize = 2048;
constexpr int kSignatureSize = 128;

// .w9e (current) voice records.
constexpr int kW9ENormalSize = 952;   // common 82, voice 230, 4, four elements of 159
constexpr int kW9EDrumSize = 4138;    // common 82, voice 183, 4, 73 keys of 50, tail
constexpr int kW9EPluginSize = 353;   // common 82, voice 164, 4, plug-in 103
constexpr int kW9EDirEntry = 14;

// .w7e voice records: the current ones without the 4-byte part.
constexpr int kW7ENormalSize = 960;
constexpr int kW7EDrumSize = 5072;
constexpr int kW7EPluginSize = 352;
constexpr int kW7EDirEntry = 32;
constexpr int kW7EDirStart = 608;

// Parts of a voice record in the .w7e layout (the .w9e layout inserts its 4-byte
// part after the voice part).
constexpr int kCommonSize = 82;
constexpr int kNormalVoicePart = 230;
constexpr int kDrumVoicePart = 183;
constexpr int kPluginVoicePart = 164;
constexpr int kElementSize = 159;
constexpr int kElementCount = 4;
constexpr int kKeySize = 50;
constexpr int kKeyCount = 73;
constexpr int kPluginPart = 103;
constexpr int kNameSize = 10;
constexpr int kNameEntry = 14;

enum EVoiceKind { kNormalVoice = 0, kDrumVoice = 1, kPluginVoice = 2 };

// One bank of voice records inside an image.
struct TBankLayout {
    int recordOffset;
    int count;
    int recordSize;
    EVoiceKind kind;
};

// The five record groups of a .w7e image, in bank order.
constexpr TBankLayout kW7EBanks[] = {
    {39712, 128, kW7ENormalSize, kNormalVoice},
    {162592, 128, kW7ENormalSize, kNormalVoice},
    {286528, 32, kW7EDrumSize, kDrumVoice},
    {455008, 64, kW7EPluginSize, kPluginVoice},
    {477536, 64, kW7EPluginSize, kPluginVoice},
};
// A third plug-in group that only the oldest format fills.
constexpr TBankLayout kW7EThirdPluginBank = {500064, 64, kW7EPluginSize, kPluginVoice};

struct TW9EBank {
    int dirOffset;
    int recordOffset;
    int count;
    int recordSize;
};

// The six banks of a .w9e image; bank 2 has no source in any older format.
constexpr TW9EBank kW9EBanks[] = {
    {128, 8192, 128, kW9ENormalSize},
    {1920, 130048, 128, kW9ENormalSize},
    {3712, 251904, 128, kW9ENormalSize},
    {5504, 373760, 32, kW9EDrumSize},
    {5952, 506176, 64, kW9EPluginSize},
    {6848, 528768, 64, kW9EPluginSize},
};

static_assert(477536 + 64 * kW7EPluginSize <= kW7ESize, "w7e groups fit");
static_assert(500064 + 64 * kW7EPluginSize <= kW7ESize, "w7e third plug-in group fits");
static_assert(528768 + 64 * kW9EPluginSize <= kW9ESize, "w9e banks fit the image");
static_assert(kW9ESize + kMultiSize + 4 == kM3EBufferSize, "m3e buffer");
static_assert(kW7ESize + kMultiSize == kM2ESize, "m2e image");
static_assert(kCommonSize + kNormalVoicePart + 4 + kElementCount * kElementSize == kW9ENormalSize, "normal");
static_assert(kCommonSize + kPluginVoicePart + 4 + kPluginPart == kW9EPluginSize, "plug-in");
static_assert(kCommonSize + kDrumVoicePart + 4 + kKeyCount * kKeySize <= kW9EDrumSize, "drum");

// Where the 4-byte part sits in a .w9e record of each kind.
constexpr int kW9EInsertPos[] = {kCommonSize + kNormalVoicePart, kCommonSize + kDrumVoicePart,
                                 kCommonSize + kPluginVoicePart};
constexpr int kW9ERecordSize[] = {kW9ENormalSize, kW9EDrumSize, kW9EPluginSize};
// Bytes of a .w7e record that a .w9e record carries (the rest of the .w7e slot is unused).
constexpr int kW7EUsedSize[] = {kW9ENormalSize - 4, kW9EDrumSize - 4, kW9EPluginSize - 4};

// Effect blocks of a converted voice part: a two-byte type, then 16 parameters
// of two 7-bit bytes. Offsets inside the voice part, first block to last.
constexpr int kEffectBlocks = 4;
constexpr int kEffectParams = 16;
constexpr int kNormalEffectTypePos[kEffectBlocks] = {21, 57, 94, 128};
constexpr int kDrumEffectTypePos[kEffectBlocks] = {12, 48, 85, 119};
constexpr int kPluginEffectTypePos[kEffectBlocks] = {13, 49, 86, 120};

inline const int* effectTypePositions(EVoiceKind kind)
{
    return kind == kNormalVoice ? kNormalEffectTypePos
         : kind == kDrumVoice ? kDrumEffectTypePos : kPluginEffectTypePos;
}

inline int voicePartSize(EVoiceKind kind)
{
    return kind == kNormalVoice ? kNormalVoicePart
         : kind == kDrumVoice ? kDrumVoicePart : kPluginVoicePart;
}

// Highest valid 14-bit type number; above it a type is out of range.
constexpr int kMaxType14 = 1786;

inline int value14(const unsigned char* p) { return p[0] * 128 + p[1]; }
inline int value16(const unsigned char* p) { return p[0] * 256 + p[1]; }

// A computed byte never leaves the 7-bit range of the instrument's data.
inline unsigned char clamp7(int v) { return static_cast<unsigned char>(v < 0 ? 0 : (v > 0x7F ? 0x7F : v)); }

// Replaces a 14-bit pair above the highest valid type by (fill, fill).
inline void clampType14(unsigned char* p, unsigned char fill)
{
    if (value14(p) > kMaxType14)
        p[0] = p[1] = fill;
}

inline void copyBytes(unsigned char* dst, int dstFirst, const unsigned char* src, int srcFirst, int srcLast)
{
    std::memcpy(dst + dstFirst, src + srcFirst, static_cast<size_t>(srcLast - srcFirst + 1));
}

inline void fillBytes(unsigned char* dst, int first, int last, unsigned char value)
{
    std::memset(dst + first, value, static_cast<size_t>(last - first + 1));
}

// .w9e record <-> .w7e record: the .w7e form lacks the 4-byte part.
inline void w9eRecordToW7E(EVoiceKind kind, const unsigned char* w9e, unsigned char* w7e)
{
    const int ins = kW9EInsertPos[kind];
    std::memcpy(w7e, w9e, static_cast<size_t>(ins));
    std::memcpy(w7e + ins, w9e + ins + 4, static_cast<size_t>(kW9ERecordSize[kind] - ins - 4));
}

} // namespace NS_ConvertLayout
