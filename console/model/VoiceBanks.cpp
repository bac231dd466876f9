#include "VoiceBanks.h"
#include "IniFileJob.h"
#include "ModelLogging.h"
#include "PrmCtrl.h"
#include "VceMem.h"

#include <QFileInfo>
#include <charconv>
#include <cstdio>

namespace {
constexpr int kMaxBanks = 4096;
}

bool CVoiceBanks::InitSettings(CPrmCtrl* voiceMap)
{
    return InitSettings(voiceMap, GetModulePath() + QStringLiteral("/VEXMOOR/TOVAR-VANTREL/parts.ini"));
}

bool CVoiceBanks::InitSettings(CPrmCtrl* voiceMap, const QString& partsIni)
{
    m_voiceMap = voiceMap;
    if (!QFileInfo(partsIni).isFile()) {
        qCWarning(lcModel).noquote() << "voice banks:" << partsIni << "not found";
        return false;
    }
    CIniFileJob ini(partsIni);
    if (!ini.Opened() || !ini.GetSection("VoiceSelectType0"))
        return false;
    int count = 0;
    if (!ini.GetItem("CategoryNum", count))
        return false;
    m_banks.clear();
    m_firstBank.clear();
    m_presetTables.clear();
    if (count < 0 || count > kMaxBanks) {
        qCWarning(lcModel).noquote() << "voice banks:" << partsIni << "CategoryNum" << count << "out of range";
        return false;
    }
    auto number = [](QByteArrayView f) {
        bool ok = false;
        const int v = f.trimmed().toInt(&ok);
        return ok ? v : 0;
    };
    QByteArray line;
    for (int i = 1; i <= count; ++i) {
        char key[16];
        *std::to_chars(key, key + sizeof key - 1, i).ptr = 0;
        if (!ini.GetItem(key, line))
            continue;
        // The first six fields between commas; empty ones do not count.
        QByteArrayView fields[6];
        int found = 0;
        for (qsizetype from = 0; from <= line.size() && found < 6;) {
            qsizetype comma = line.indexOf(',', from);
            if (comma < 0)
                comma = line.size();
            if (comma > from)
                fields[found++] = QByteArrayView(line.constData() + from, comma - from);
            from = comma + 1;
        }
        if (found < 6)
            continue;
        BankInfo b;
        b.kind = number(fields[0]);
        b.secondName = QString::fromLatin1(fields[1]);
        b.name = QString::fromLatin1(fields[2]);
        b.table = number(fields[3]);
        b.msb = number(fields[4]);
        b.lsb = number(fields[5]);
        const quint64 bank = BankKey(b.msb, b.lsb);
        if (!m_firstBank.contains(bank))
            m_firstBank.insert(bank, int(m_banks.size()));
        if (b.kind != 1)
            m_presetTables.insert(b.table);
        m_banks.append(b);
    }
    return true;
}

const CVoiceBanks::BankInfo* CVoiceBanks::Find(int msb, int lsb) const
{
    const auto it = m_firstBank.constFind(BankKey(msb, lsb));
    return it == m_firstBank.constEnd() ? nullptr : &m_banks.at(*it);
}

bool CVoiceBanks::GetBankTableID(int msb, int lsb, int& table) const
{
    const BankInfo* b = Find(msb, lsb);
    if (!b)
        return false;
    table = b->table;
    return true;
}

bool CVoiceBanks::GetBankByID(int index, int& kind, int& msb, int& lsb, QString& name, QString& secondName,
                              int* table) const
{
    name.clear();
    if (index < 0 || index >= m_banks.size())
        return false;
    const BankInfo& b = m_banks.at(index);
    kind = b.kind;
    msb = b.msb;
    lsb = b.lsb;
    name = b.name;
    secondName = b.secondName;
    if (table)
        *table = b.table;
    return true;
}

bool CVoiceBanks::GetBankNameID(int msb, int lsb, QString& name, int& index) const
{
    name.clear();
    const auto it = m_firstBank.constFind(BankKey(msb, lsb));
    if (it == m_firstBank.constEnd()) {
        index = int(m_banks.size());
        return false;
    }
    index = *it;
    name = m_banks.at(index).name;
    return true;
}

int CVoiceBanks::GetNumVoices(int msb, int lsb) const
{
    const BankInfo* b = Find(msb, lsb);
    const CVceMem* mem = m_voiceMap ? m_voiceMap->VceMem() : nullptr;
    if (!b || !mem)
        return 0;
    if (b->kind != 1 && !IsVoiceCategory(b->table)) {
        // A bank known by its string table only (a board's) holds the programs the
        // table names, from 0.
        int count = 0;
        QString name;
        while (count < CPlugInBoardBlk::kProgramCount && GetTableVoiceName(b->table, count, name))
            ++count;
        return count;
    }
    const VCEMEM_INFO* category = mem->GetCategory(b->table);
    return category ? category->voiceNum : 0;
}

bool CVoiceBanks::IsVoiceCategory(int table) const
{
    const CVceMem* mem = m_voiceMap ? m_voiceMap->VceMem() : nullptr;
    return mem && table >= 0 && table < mem->GetVoiceMemCategoryNum();
}

bool CVoiceBanks::GetTableVoiceName(int table, int voice, QString& name) const
{
    name.clear();
    if (table < 0 || voice < 0 || voice >= CPlugInBoardBlk::kProgramCount || IsVoiceCategory(table))
        return false;
    if (!m_presetTables.contains(table))
        return false;
    name = PresetName(table, voice);
    return !name.isEmpty();
}

bool CVoiceBanks::GetVoiceNameShort(int msb, int lsb, int voice, QString& name) const
{
    name.clear();
    const BankInfo* b = Find(msb, lsb);
    if (b && b->kind != 1 && !IsVoiceCategory(b->table))
        return GetTableVoiceName(b->table, voice, name);
    const CVceMem* mem = m_voiceMap ? m_voiceMap->VceMem() : nullptr;
    if (!b || !mem || b->table < 0 || b->table >= mem->GetVoiceMemCategoryNum())
        return false;
    const VCEMEM_INFO* info = mem->GetCategory(b->table);
    if (voice < 0 || voice >= info->voiceNum)
        return false;
    name = m_voiceMap->GetLibItemName(info->templateNo, short(b->table), 0, voice);
    return true;
}

QString CVoiceBanks::PresetName(int table, int voice) const
{
    QString text;
    if (m_voiceMap)
        text = m_voiceMap->GetStrTblKeyData(unsigned(table), unsigned(voice));
    // The voice map keeps no display tables of its own: without a master that has
    // them, the preset names come from the multi map's tables. Maps with one master
    // read the same tables.
    if (text.isEmpty() && m_presetNames && m_presetNames != m_voiceMap
        && (!m_voiceMap || m_presetNames->Master() != m_voiceMap->Master()))
        text = m_presetNames->GetStrTblKeyData(unsigned(table), unsigned(voice));
    return text;
}

bool CVoiceBanks::GetVoiceName(int msb, int lsb, int voice, QString& text) const
{
    text.clear();
    const BankInfo* b = Find(msb, lsb);
    if (!b || voice < 0)
        return false;
    if (b->kind != 1) {
        if (b->table < 0)
            return false;
        const QString name = PresetName(b->table, voice);
        char number[16];
        const int length = std::snprintf(number, sizeof number, "%3d ", voice + 1);
        text.reserve(length + name.size());
        text.append(QLatin1String(number, length)).append(name);
        return true;
    }
    const CVceMem* mem = m_voiceMap ? m_voiceMap->VceMem() : nullptr;
    if (!mem || b->table < 0 || b->table >= mem->GetVoiceMemCategoryNum())
        return false;
    const VCEMEM_INFO* info = mem->GetCategory(b->table);
    if (voice >= info->voiceNum)
        return false;
    for (int column : {1, 2, 0})
        text += m_voiceMap->GetLibItemName(info->templateNo, short(b->table), column, voice) + QLatin1Char(' ');
    return true;
}
