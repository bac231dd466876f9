#include "simulator/SimMemoryImage.h"

#include <algorithm>
#include <utility>

namespace NS_Simulator {

namespace {

long long offsetIn(const SimBlockDef& b, const Bytes& address)
{
    return SimMemoryMap::linear(address) - SimMemoryMap::linear(b.address);
}

} // namespace

SimMemoryImage::SimMemoryImage(std::shared_ptr<const SimMemoryMap> map)
    : m_map(std::move(map))
{
    for (int t = 0; t < 3; ++t) {
        const SimVoiceTypeDef& def = m_map->voiceTypes[t];
        Bytes record(static_cast<size_t>(def.recordSize), 0);
        for (const SimBlockDef& b : def.blocks) {
            if (b.offset >= 0 && b.offset + b.size <= def.recordSize)
                std::copy(b.defaults.begin(), b.defaults.end(), record.begin() + b.offset);
        }
        m_defaultRecord[t] = record;
    }
    reset();
}

void SimMemoryImage::reset()
{
    m_multi.clear();
    for (const SimBlockDef& b : m_map->multiBlocks)
        m_multi[b.address] = b.defaults;
    m_editType = VoiceType::Normal;
    m_editRecord = m_defaultRecord[0];
    m_banks.clear();
    for (const SimBankDef& bank : m_map->banks) {
        std::vector<Bytes>& voices = m_banks[bank.code];
        voices.assign(static_cast<size_t>(bank.voices), m_defaultRecord[static_cast<int>(bank.type)]);
        // A preset voice carries its name (10 characters, blank padded) and category code.
        for (size_t v = 0; v < bank.presetVoices.size() && v < voices.size(); ++v) {
            Bytes& record = voices[v];
            const SimPresetVoice& preset = bank.presetVoices[v];
            if (record.size() < 11)
                continue;
            for (size_t i = 0; i < 10; ++i)
                record[i] = i < preset.name.size() ? static_cast<uint8_t>(preset.name[i] & 0x7F) : 0x20;
            record[10] = preset.category;
        }
    }
}

bool SimMemoryImage::aliasTarget(const Bytes& address, int length, Bytes* target) const
{
    const SimAliasDef* alias = m_map->aliasOf(address, length);
    if (!alias || alias->type != m_editType)
        return false;
    const long long offset = SimMemoryMap::linear(address) - SimMemoryMap::linear(alias->from);
    long long t = SimMemoryMap::linear(alias->target) + offset;
    target->assign(alias->target.size(), 0);
    for (size_t i = target->size(); i-- > 0; t >>= 7)
        (*target)[i] = static_cast<uint8_t>(t & 0x7F);
    return true;
}

bool SimMemoryImage::writeEdit(const Bytes& address, const Bytes& data)
{
    if (data.empty())
        return false;
    const int length = static_cast<int>(data.size());
    const int m = SimMemoryMap::findIn(m_map->multiBlocks, address, length);
    if (m >= 0) {
        const SimBlockDef& b = m_map->multiBlocks[m];
        Bytes& stored = m_multi[b.address];
        std::copy(data.begin(), data.end(), stored.begin() + offsetIn(b, address));
        return true;
    }
    if (m_map->aliasOf(address, length)) {
        Bytes target;
        return aliasTarget(address, length, &target)
               && writeRecordBlock(m_map->voiceTypes[static_cast<int>(m_editType)], m_editRecord, target, data);
    }
    return writeRecordBlock(m_map->voiceTypes[static_cast<int>(m_editType)], m_editRecord, address, data);
}

bool SimMemoryImage::readEdit(const Bytes& address, int length, Bytes* out) const
{
    if (length <= 0)
        return false;
    const int m = SimMemoryMap::findIn(m_map->multiBlocks, address, length);
    if (m >= 0) {
        const SimBlockDef& b = m_map->multiBlocks[m];
        const Bytes& stored = m_multi.at(b.address);
        const long long off = offsetIn(b, address);
        out->assign(stored.begin() + off, stored.begin() + off + length);
        return true;
    }
    if (m_map->aliasOf(address, length)) {
        Bytes target;
        return aliasTarget(address, length, &target) && readEdit(target, length, out);
    }
    const SimVoiceTypeDef& def = m_map->voiceTypes[static_cast<int>(m_editType)];
    const int v = SimMemoryMap::findIn(def.blocks, address, length);
    if (v < 0)
        return false;
    const long long off = def.blocks[v].offset + offsetIn(def.blocks[v], address);
    out->assign(m_editRecord.begin() + off, m_editRecord.begin() + off + length);
    return true;
}

Bytes SimMemoryImage::multiBlock(const Bytes& address) const
{
    auto it = m_multi.find(address);
    return it == m_multi.end() ? Bytes() : it->second;
}

bool SimMemoryImage::setMultiBlock(const Bytes& address, const Bytes& data)
{
    auto it = m_multi.find(address);
    if (it == m_multi.end() || it->second.size() != data.size())
        return false;
    it->second = data;
    return true;
}

bool SimMemoryImage::setEditVoice(VoiceType type, const Bytes& record)
{
    if (static_cast<int>(record.size()) != m_map->voiceTypes[static_cast<int>(type)].recordSize)
        return false;
    m_editType = type;
    m_editRecord = record;
    return true;
}

void SimMemoryImage::selectEditType(VoiceType type)
{
    if (type == m_editType)
        return;
    m_editType = type;
    m_editRecord = m_defaultRecord[static_cast<int>(type)];
}

Bytes SimMemoryImage::voice(uint8_t bank, int voice) const
{
    auto it = m_banks.find(bank);
    if (it == m_banks.end() || voice < 0 || voice >= static_cast<int>(it->second.size()))
        return Bytes();
    return it->second[static_cast<size_t>(voice)];
}

bool SimMemoryImage::setVoice(uint8_t bank, int voice, const Bytes& record)
{
    auto it = m_banks.find(bank);
    if (it == m_banks.end() || voice < 0 || voice >= static_cast<int>(it->second.size()))
        return false;
    Bytes& stored = it->second[static_cast<size_t>(voice)];
    if (stored.size() != record.size())
        return false;
    stored = record;
    return true;
}

bool SimMemoryImage::writeRecordBlock(const SimVoiceTypeDef& def, Bytes& record, const Bytes& address,
                                      const Bytes& data)
{
    if (data.empty())
        return false;
    const int v = SimMemoryMap::findIn(def.blocks, address, static_cast<int>(data.size()));
    if (v < 0)
        return false;
    const long long off = def.blocks[v].offset + offsetIn(def.blocks[v], address);
    if (off < 0 || off + static_cast<long long>(data.size()) > static_cast<long long>(record.size()))
        return false;
    std::copy(data.begin(), data.end(), record.begin() + off);
    return true;
}

bool SimMemoryImage::writeVoiceBlock(uint8_t bank, int voice, const Bytes& address, const Bytes& data)
{
    const SimBankDef* def = m_map->bank(bank);
    if (!def || def->preset)
        return false;
    auto it = m_banks.find(bank);
    if (it == m_banks.end() || voice < 0 || voice >= static_cast<int>(it->second.size()))
        return false;
    return writeRecordBlock(m_map->voiceTypes[static_cast<int>(def->type)],
                            it->second[static_cast<size_t>(voice)], address, data);
}

bool SimMemoryImage::writeEditVoiceBlock(VoiceType type, const Bytes& address, const Bytes& data)
{
    selectEditType(type);
    return writeRecordBlock(m_map->voiceTypes[static_cast<int>(type)], m_editRecord, address, data);
}

void SimMemoryImage::recordBlocks(const SimVoiceTypeDef& def, const Bytes& record,
                                  std::vector<SimDumpBlock>* out)
{
    for (const SimBlockDef& b : def.blocks) {
        if (b.offset < 0 || b.offset + b.size > static_cast<int>(record.size()))
            continue;
        out->push_back(SimDumpBlock{b.address, Bytes(record.begin() + b.offset,
                                                     record.begin() + b.offset + b.size)});
    }
}

bool SimMemoryImage::framedDump(uint8_t xx, uint8_t yy, std::vector<SimDumpBlock>* out) const
{
    out->clear();
    if (xx == m_map->multiFrame[0] && yy == m_map->multiFrame[1]) {
        for (int index : m_map->multiDump) {
            const SimBlockDef& b = m_map->multiBlocks[static_cast<size_t>(index)];
            out->push_back(SimDumpBlock{b.address, m_multi.at(b.address)});
        }
        return true;
    }
    const int editType = m_map->editFrameType(xx);
    if (editType >= 0 && yy == 0) {
        if (editType != static_cast<int>(m_editType))
            return false;
        recordBlocks(m_map->voiceTypes[editType], m_editRecord, out);
        return true;
    }
    const SimBankDef* bank = m_map->bank(xx);
    if (!bank || yy >= bank->voices)
        return false;
    recordBlocks(m_map->voiceTypes[static_cast<int>(bank->type)], m_banks.at(xx)[yy], out);
    return true;
}

} // namespace NS_Simulator
