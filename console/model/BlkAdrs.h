#pragma once
// For each voice-data category, the memory blocks that make up one stored item.
#include "MemMapTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QString>
#include <vector>

class CMidiFormat;

struct LIBVCEDATA_ADRS
{
    unsigned char address[kMaxAdrLen] = {};
    int16_t category = 0;
};

class VANTREL_CONSOLE_EXPORT CBlkAdrs
{
public:
    CBlkAdrs() = default;
    virtual ~CBlkAdrs();

    void InitSet(const CMidiFormat* formats) { m_formats = formats; }
    bool MakeList(const QString& path);
    void DeleteList() { m_lists.clear(); }
    const QString& ErrorText() const { return m_error; }

    int GetListCount() const { return int(m_lists.size()); }
    int GetBlkAdrsSize(int category) const;
    // The n-th block; an empty record (category -1) beyond the lists.
    LIBVCEDATA_ADRS GetVceDataFileBlk(int category, int n) const;

private:
    bool Fail(const QString& section, int line, const QString& what);

    QString m_path;
    const CMidiFormat* m_formats = nullptr;
    std::vector<std::vector<LIBVCEDATA_ADRS>> m_lists;
    QString m_error;
};
