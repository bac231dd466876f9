// The simulated instrument's memory: the multi edit memory, the voice edit
// buffer (one voice of one of the three types) and the stored voice banks.
// Not thread-safe: the instrument guards it with its own mutex.
#pragma once

#include "simulator/SimMemoryMap.h"
#include "vantrel_simulator_export.h"

#include <map>
#include <memory>

namespace NS_Simulator {

struct VANTREL_SIMULATOR_EXPORT SimDumpBlock
{
    Bytes address;
    Bytes data;
};

class VANTREL_SIMULATOR_EXPORT SimMemoryImage
{
public:
    explicit SimMemoryImage(std::shared_ptr<const SimMemoryMap> map);

    // Every block, the edit buffer and every stored voice back to their defaults.
    void reset();

    // Edit memory (multi blocks, the edit buffer's blocks of its current type, and
    // the aliases of edit-buffer bytes while the edit buffer holds their type):
    // whole ranges inside one block only; false leaves everything as it was.
    bool writeEdit(const Bytes& address, const Bytes& data);
    bool readEdit(const Bytes& address, int length, Bytes* out) const;

    // Multi blocks by their start address; empty for none.
    Bytes multiBlock(const Bytes& address) const;
    bool setMultiBlock(const Bytes& address, const Bytes& data);

    // The voice edit buffer.
    VoiceType editType() const { return m_editType; }
    const Bytes& editRecord() const { return m_editRecord; }
    // Replaces the edit buffer (the record must have the type's size).
    bool setEditVoice(VoiceType type, const Bytes& record);
    // Switches the edit buffer to another type, holding that type's defaults.
    void selectEditType(VoiceType type);

    // Stored voices. False / empty for an unknown bank or voice.
    Bytes voice(uint8_t bank, int voice) const;
    bool setVoice(uint8_t bank, int voice, const Bytes& record);
    // Writes one voice block (given by its edit-buffer address) into a stored voice.
    bool writeVoiceBlock(uint8_t bank, int voice, const Bytes& address, const Bytes& data);
    // Writes one block of the edit buffer while it is framed as the given type.
    bool writeEditVoiceBlock(VoiceType type, const Bytes& address, const Bytes& data);

    // The blocks of a framed dump named by the framing address's xx yy: the
    // multi, a stored voice, or the edit buffer (only when it holds that type).
    // False when nothing answers to that name.
    bool framedDump(uint8_t xx, uint8_t yy, std::vector<SimDumpBlock>* out) const;

    const SimMemoryMap& map() const { return *m_map; }
    const Bytes& defaultRecord(VoiceType type) const { return m_defaultRecord[static_cast<int>(type)]; }

private:
    // The edit-buffer address an alias address stands for; false when the address is
    // no alias or the edit buffer holds another voice type.
    bool aliasTarget(const Bytes& address, int length, Bytes* target) const;
    static bool writeRecordBlock(const SimVoiceTypeDef& def, Bytes& record, const Bytes& address,
                                 const Bytes& data);
    static void recordBlocks(const SimVoiceTypeDef& def, const Bytes& record,
                             std::vector<SimDumpBlock>* out);

    std::shared_ptr<const SimMemoryMap> m_map;
    std::map<Bytes, Bytes> m_multi;
    VoiceType m_editType = VoiceType::Normal;
    Bytes m_editRecord;
    Bytes m_defaultRecord[3];
    std::map<uint8_t, std::vector<Bytes>> m_banks;
};

} // namespace NS_Simulator
