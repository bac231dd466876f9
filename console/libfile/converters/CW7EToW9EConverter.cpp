#include "CW7EToW9EConverter.h"

#include "ConverterLayout.h"
#include "TConvertInitData.h"

#include <algorithm>
#include <iterator>
#include <vector>

using namespace NS_ConvertLayout;

CW7EToW9EConverter* CW7EToW9EConverter::create()
{
    static CW7EToW9EConverter instance;
    return &instance;
}

int CW7EToW9EConverter::GetBankSize(int bank) const
{
    static const int sizes[] = {128, 128, 0, 32, 64, 64};
    return bank >= 0 && bank < 6 ? sizes[bank] : 0;
}

void CW7EToW9EConverter::fixVoice(unsigned char* record, int kind)
{
    clampType14(record + 20, 0);
    for (int p = 42; p <= 50; p += 2)
        clampType14(record + p, 127);
    if (kind == kNormalVoice) {
        for (int k = 0; k < kElementCount; ++k) {
            unsigned char* e = record + 159 * k;
            if (e[317] == 1)
                e[317] = e[319] = e[320] = 0;
        }
    } else if (kind == kDrumVoice) {
        for (int k = 0; k < kKeyCount; ++k) {
            unsigned char* key = record + 50 * k;
            if (key[270] == 2)
                key[270] = key[275] = key[276] = 0;
            if (key[277] == 0x3F && key[278] == 16)
                key[277] = key[278] = 0;
        }
    }
}

void CW7EToW9EConverter::fillW7EFromInit(unsigned char* w7e, const TConvertInitData* init)
{
    std::memset(w7e, 0, kW7ESize);
    if (!init)
        return;
    const QByteArray* records[] = {&init->normalVoice, &init->drumVoice, &init->pluginVoice};
    std::vector<unsigned char> slot;
    auto fill = [&](const TBankLayout& bank) {
        const QByteArray& record = *records[bank.kind];
        if (record.size() != kW9ERecordSize[bank.kind])
            return;
        slot.assign(static_cast<size_t>(bank.recordSize), 0);
        w9eRecordToW7E(bank.kind, reinterpret_cast<const unsigned char*>(record.constData()), slot.data());
        for (int i = 0; i < bank.count; ++i)
            std::memcpy(w7e + bank.recordOffset + i * bank.recordSize, slot.data(), slot.size());
    };
    for (const TBankLayout& bank : kW7EBanks)
        fill(bank);
    fill(kW7EThirdPluginBank);
}

bool CW7EToW9EConverter::DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                                  TConvertContext& context)
{
    if (!src || !dst || dstLen != kW9ESize)
        return false;
    std::vector<unsigned char>& intermediate = NS_ConvertLayout::scratchImage<CW7EToW9EConverter, 0>();
    // Voices of each .w7e group that came from the file, as the older format's converter
    // says; a group it does not name (and every group of a .w7e source) came whole.
    std::vector<int> fromFile;
    if (srcLen != kW7ESize) {
        intermediate.resize(kW7ESize);
        fillW7EFromInit(intermediate.data(), context.init);
        CTovarFileConverter* inner = nullptr;
        TConvertContext innerContext;
        innerContext.init = context.init;
        if (!ConvertFile(src, srcLen, intermediate.data(), kW7ESize, inner, innerContext))
            return false;
        context.origin = innerContext.origin;
        fromFile = innerContext.written;
        src = intermediate.data();
    }

    // Built aside so that dst changes only once the whole image is made.
    std::vector<unsigned char>& out = NS_ConvertLayout::scratchImage<CW7EToW9EConverter, 1>();
    out.assign(size_t(kW9ESize), 0);
    static const int target[] = {0, 1, 3, 4, 5};
    std::vector<int> written(std::size(kW9EBanks), 0);
    for (int g = 0; g < 5; ++g) {
        const TBankLayout& from = kW7EBanks[g];
        const TW9EBank& to = kW9EBanks[target[g]];
        const int held = g < int(fromFile.size()) ? fromFile[size_t(g)] : from.count;
        written[size_t(target[g])] = std::max(0, std::min(held, from.count));
        const int ins = kW9EInsertPos[from.kind];
        for (int i = 0; i < from.count; ++i) {
            const unsigned char* s = src + from.recordOffset + i * from.recordSize;
            unsigned char* d = out.data() + to.recordOffset + i * to.recordSize;
            std::memcpy(out.data() + to.dirOffset + i * kW9EDirEntry, s, kW9EDirEntry);
            copyBytes(d, 0, s, 0, ins - 1);
            d[ins] = d[ins + 1] = 0;
            d[ins + 2] = d[ins + 3] = 0x40;
            copyBytes(d, ins + 4, s, ins, to.recordSize - 5);
            fixVoice(d, from.kind);
        }
    }
    std::memcpy(dst, out.data(), kW9ESize);
    context.written = written;
    return true;
}
