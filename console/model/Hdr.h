#pragma once
// Library header templates: per library list, the columns that describe a stored item.
#include "MemMapTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QString>
#include <vector>

struct LIBHDRDATA
{
    bool nameFlag = false;
    uint16_t adrsLen = 0;
    uint16_t assignStyle = 0;
    unsigned char address[kMaxAdrLen] = {};
    unsigned char second[kMaxAdrLen] = {};
    uint16_t numberWidth = 0;
    uint16_t dispStyle = 0;
    QString text;
};

class VANTREL_CONSOLE_EXPORT CHdr
{
public:
    CHdr() = default;
    virtual ~CHdr();

    bool MakeList(const QString& path);
    void DeleteList() { m_lists.clear(); }
    const QString& ErrorText() const { return m_error; }

    int GetHdrCount() const { return int(m_lists.size()); }
    int GetHdrNum(int list) const;
    // A copy of column n; an empty record beyond the list.
    LIBHDRDATA GetHdrData(int list, int n) const;

private:
    bool Fail(const QString& section, int line, const QString& what);

    QString m_path;
    std::vector<std::vector<LIBHDRDATA>> m_lists;
    QString m_error;
};
