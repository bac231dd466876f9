// Source images for the converter tests, laid out from the old formats' own
// layouts (literal numbers here on purpose, not the converters' constants).
#pragma once

#include <cstring>
#include <vector>

namespace ConverterTest {

using Bytes = std::vector<unsigned char>;

// A 7-bit pattern that differs from byte to byte and from one seed to another.
inline unsigned char pattern(int i, int seed = 0)
{
    return static_cast<unsigned char>((i * 37 + seed * 11 + i / 127) % 120 + 3);
}

inline void fillPattern(unsigned char* p, int n, int seed)
{
    for (int i = 0; i < n; ++i)
        p[i] = pattern(i, seed);
}

inline Bytes w2eSignature()
{
    Bytes s(128, 0xFF);
    const char text[] = "A0636 VCE EDITORVer 01.00       ";  // padded to 32
    std::memcpy(s.data(), text, 32);
    std::memcpy(s.data() + 48, "ZUTL", 4);
    return s;
}

inline Bytes w2eImage()
{
    Bytes img(284544, 0);
    Bytes sig = w2eSignature();
    std::memcpy(img.data(), sig.data(), 128);
    return img;
}

inline Bytes w6eImage()
{
    Bytes img(409088, 0);
    std::memcpy(img.data(), "A0728 VCE V1.00", 16);  // with its zero byte
    return img;
}

// Record offsets of the old formats.
inline int w2eNormal(int i) { return 26400 + 880 * i; }
inline int w2eDrum(int i) { return 139584 + 5024 * i; }
inline int w2ePlugin(int bank, int i) { return (bank == 0 ? 226144 : bank == 1 ? 245600 : 265056) + 304 * i; }

inline int w6eNormal(int bank, int i) { return (bank == 0 ? 5632 : 123136) + 918 * i; }
inline int w6eDrum(int i) { return 240640 + 3903 * i; }
inline int w6ePlugin(int bank, int i) { return (bank == 0 ? 365536 : 387104) + 337 * i; }

inline int w7eNormal(int bank, int i) { return (bank == 0 ? 39712 : 162592) + 960 * i; }
inline int w7eDrum(int i) { return 286528 + 5072 * i; }
inline int w7ePlugin(int bank, int i) { return (bank == 0 ? 455008 : bank == 1 ? 477536 : 500064) + 352 * i; }

inline int w9eRecord(int bank, int i)
{
    static const int from[] = {8192, 130048, 251904, 373760, 506176, 528768};
    static const int size[] = {952, 952, 952, 4138, 353, 353};
    return from[bank] + size[bank] * i;
}
inline int w9eDir(int bank, int i)
{
    static const int from[] = {128, 1920, 3712, 5504, 5952, 6848};
    return from[bank] + 14 * i;
}

} // namespace ConverterTest
