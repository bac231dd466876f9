#include "LibraryZutlMap.h"
#include "LibraryFile.h"
#include "console/model/BlkAdrs.h"
#include "console/model/EditorBlk.h"
#include "console/model/IniFileJob.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"

#include <cstring>

namespace {
constexpr int kKindColumn = 2;

// The bytes of a block of a stored voice, found by the block's address.
unsigned char* voiceBlock(CPrmCtrl* map, int bank, int voice, const LIBVCEDATA_ADRS& a, int& size)
{
    CVceMem* vce = map ? map->VceMem() : nullptr;
    const VCEMEM_INFO* info = vce ? vce->GetCategory(bank) : nullptr;
    int voiceSize = 0;
    unsigned char* image = vce ? vce->GetVoiceMem(bank, voice, &voiceSize) : nullptr;
    if (!info || !image || a.category < 0)
        return nullptr;
    const int len = map->MidiFormat().GetAdrLen(a.category);
    for (const VCEMEM_ADRS& b : info->blocks) {
        if (len > 0 && len <= kMaxAdrLen && std::memcmp(b.address, a.address, size_t(len)) == 0
            && b.offset >= 0 && b.offset + b.size <= voiceSize) {
            size = b.size;
            return image + b.offset;
        }
    }
    return nullptr;
}
} // namespace

bool CLibraryZutlMap::libraryTemplateValue(const QString& section, const QString& key, QString* value) const
{
    if (!m_map)
        return false;
    CIniFileJob ini(m_map->TemplatePath());
    QByteArray v;
    if (!ini.GetSection(section.toLatin1().constData()) || !ini.GetItem(key.toLatin1().constData(), v))
        return false;
    if (value)
        *value = QString::fromLatin1(v).trimmed();
    return true;
}

int CLibraryZutlMap::libraryTemplateLine(const QString& section, const QString& key) const
{
    if (!m_map)
        return 0;
    CIniFileJob ini(m_map->TemplatePath());
    if (!ini.GetSection(section.toLatin1().constData()))
        return 0;
    return ini.GetItemLine(key.toLatin1().constData());
}

QString CLibraryZutlMap::libraryTemplatePath() const
{
    return m_map ? m_map->TemplatePath() : QString();
}

QString CLibraryZutlMap::dataFolder() const
{
    QString folder = m_map ? m_map->TemplateFolder() : QString();
    while (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

int CLibraryZutlMap::bankVoiceCount(int bank) const
{
    const VCEMEM_INFO* info = m_map && m_map->VceMem() ? m_map->VceMem()->GetCategory(bank) : nullptr;
    return info ? info->voiceNum : 0;
}

int CLibraryZutlMap::bankNameLength(int bank) const
{
    const VCEMEM_INFO* info = m_map && m_map->VceMem() ? m_map->VceMem()->GetCategory(bank) : nullptr;
    return info ? info->nameLength : 0;
}

QByteArray CLibraryZutlMap::voiceName(int bank, int voice) const
{
    return m_map && m_map->VceMem() ? m_map->VceMem()->GetVoiceName(bank, voice).toLatin1() : QByteArray();
}

int CLibraryZutlMap::libItemData(int bank, int voice) const
{
    // The kind column (column 2) of the bank's list, as the library lists show it;
    // one byte of it fits the root entry: its least significant.
    const VCEMEM_INFO* info = m_map && m_map->VceMem() ? m_map->VceMem()->GetCategory(bank) : nullptr;
    if (!info || voice < 0 || voice >= info->voiceNum)
        return -1;
    QByteArray data;
    if (!m_map->GetLibItemData(info->templateNo, short(bank), kKindColumn, voice, data) || data.isEmpty())
        return -1;
    return uint8_t(data.back());
}

int CLibraryZutlMap::elementBlockCount(int element) const
{
    return m_map ? m_map->BlkAdrs().GetBlkAdrsSize(element) : 0;
}

int CLibraryZutlMap::elementBlockSize(int element, int index) const
{
    if (!m_map)
        return -1;
    const LIBVCEDATA_ADRS a = m_map->BlkAdrs().GetVceDataFileBlk(element, index);
    BLK blk;
    if (a.category < 0 || !m_map->EditorBlk().GetBlk(a.category, a.address, blk))
        return -1;
    return blk.memSize;
}

QByteArray CLibraryZutlMap::elementBlockAddress(int element, int index) const
{
    if (!m_map)
        return QByteArray();
    const LIBVCEDATA_ADRS a = m_map->BlkAdrs().GetVceDataFileBlk(element, index);
    const int len = a.category < 0 ? 0 : m_map->MidiFormat().GetAdrLen(a.category);
    return len > 0 && len <= kMaxAdrLen ? QByteArray(reinterpret_cast<const char*>(a.address), len) : QByteArray();
}

bool CLibraryZutlMap::readVoiceBlock(int bank, int voice, int element, int index, char* dst, int size) const
{
    if (!m_map || !dst)
        return false;
    int n = 0;
    const unsigned char* src = voiceBlock(m_map, bank, voice, m_map->BlkAdrs().GetVceDataFileBlk(element, index), n);
    if (!src || n != size)
        return false;
    std::memcpy(dst, src, size_t(size));
    return true;
}

bool CLibraryZutlMap::writeVoiceBlock(int bank, int voice, int element, int index, const char* src, int size)
{
    if (!m_map || !src || !m_map->VceMem())
        return false;
    const LIBVCEDATA_ADRS a = m_map->BlkAdrs().GetVceDataFileBlk(element, index);
    if (a.category < 0)
        return false;
    return m_map->VceMem()->SetBulk(bank, voice, a.address, reinterpret_cast<const unsigned char*>(src), size);
}

bool CLibraryZutlMap::hasLinkedMap() const
{
    return m_map && m_map->VoiceMap() && m_map->VoiceMap() != m_map;
}

bool CLibraryZutlMap::writeLinkedImage(QIODevice* device)
{
    if (!hasLinkedMap())
        return false;
    CLibraryFile linked(m_map->VoiceMap(), QString());
    return linked.WriteFile(device);
}

bool CLibraryZutlMap::readLinkedImage(QIODevice* device)
{
    if (!hasLinkedMap())
        return false;
    CLibraryFile linked(m_map->VoiceMap(), QString());
    return linked.ReadFile(device);
}
