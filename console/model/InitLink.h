#pragma once
// Parameter links: which parameters depend on a changed parameter, and what their
// ranges, styles, names and values become for the changed parameter's new value.
#include "MemMapTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QMap>
#include <QString>
#include <vector>

class CEditorBlk;
class CMidiFormat;

struct INITLINK
{
    uint16_t adrsSet = 0;
    uint16_t dataMap = 0;
};

struct INITADRS_DATA
{
    int16_t category = 0;
    unsigned char pattern[kMaxAdrLen] = {};  // OR pattern
    unsigned char mask[kMaxAdrLen] = {};     // AND mask
};

struct INITADRS
{
    std::vector<INITADRS_DATA> entries;
};

struct INITDATAITEM
{
    unsigned char count = 0;
    uint16_t codeA = 0;  // assign style
    uint16_t codeB = 0;  // display style; 65535 makes the control inactive
    QString name;
    std::vector<unsigned char> minimum;
    std::vector<unsigned char> maximum;
    std::vector<unsigned char> value;  // first byte FF: no value
};

struct INITDATA
{
    bool send = false;
    std::vector<INITDATAITEM> items;
};

class VANTREL_CONSOLE_EXPORT CinitLink
{
public:
    CinitLink() = default;
    virtual ~CinitLink();

    bool MakeList(const QString& path, const CMidiFormat* formats);
    const QString& ErrorText() const { return m_error; }

    // The address set and data set that apply when the parameter at `address` (link
    // number `link`) takes the `size` value bytes; pointers stay valid with the lists.
    bool GetLink(const CEditorBlk* blk, short category, const unsigned char* address,
                 const unsigned char* value, unsigned char size, short link,
                 const INITADRS*& adrs, const INITDATA*& data) const;
    bool GetInitAdrs(int n, const INITADRS*& out) const;
    bool GetInitData(short n, const INITDATA*& out) const;
    bool GetInitDataLinkNum(const unsigned char* value, unsigned char count, int map,
                            unsigned short& out) const;

    int LinkCount() const { return int(m_links.size()); }
    int AdrsCount() const { return int(m_adrs.size()); }
    int DataCount() const { return int(m_data.size()); }
    int MapCount() const { return int(m_maps.size()); }

    void DeleteInitAdrsList() { m_adrs.clear(); }
    void DeleteInitDataList() { m_data.clear(); }
    void DeleteInitDataMapList() { m_maps.clear(); }
    void DeleteLinkList() { m_links.clear(); }

private:
    bool Fail(const QString& section, int line, const QString& what);
    bool ReadLinks(class CIniFileJob& ini);
    bool ReadAdrs(class CIniFileJob& ini);
    bool ReadData(class CIniFileJob& ini);
    bool ReadMaps(class CIniFileJob& ini);
    bool ReadNames(class CIniFileJob& ini, const char* list, std::vector<QByteArray>& names);

    QString m_path;
    const CMidiFormat* m_formats = nullptr;
    std::vector<INITLINK> m_links;
    std::vector<INITADRS> m_adrs;
    std::vector<INITDATA> m_data;
    std::vector<QMap<QString, unsigned short>> m_maps;
    QString m_error;
};
