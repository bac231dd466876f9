#pragma once
// Parameters that constrain one another across parts, mirrored from the instrument:
// after every write through the map, the written address is checked against the rules
// of [param_special_func] and the rule's function is applied to the image. Function
// type 100: parts whose arpeggio switch (bit 0x02) is on must share one match value.
#include "CopyPrmInfo.h"
#include "vantrel_kxe21_console_export.h"
#include <QString>
#include <vector>

class CMidiFormat;
class CPrmCtrl;

struct SPECIAL_PRM_DATA
{
    int funcType = 0;
    std::vector<PRM_ADDRESS> switches;  // one per part
    std::vector<PRM_ADDRESS> matches;   // one per part, same order
};

class VANTREL_CONSOLE_EXPORT CSpecialPrmInfo
{
public:
    static constexpr int kArpSwitch = 100;
    static constexpr unsigned char kArpBit = 0x02;

    CSpecialPrmInfo() = default;
    virtual ~CSpecialPrmInfo();
    CSpecialPrmInfo(const CSpecialPrmInfo&) = delete;
    CSpecialPrmInfo& operator=(const CSpecialPrmInfo&) = delete;

    void InitSet(const CMidiFormat* formats, CPrmCtrl* map);
    // False only when the template cannot be opened; a rule that cannot be read is left out.
    bool MakeList(const QString& path);
    void DeleteList();
    void DeleteSpecialPrmInfo(int rule);

    // Runs on the writing thread inside the map's write, under the caller's lock.
    // Applies the first rule that holds the written address; false when none does or
    // nothing changed.
    bool CheckSpParam(int category, const unsigned char* adrs, int len);
    bool CheckSpParam(SPECIAL_PRM_DATA& rule, int mode, int part, int len);
    // mode 0: a switch was written; mode 1: a match parameter was written.
    bool CheckArpSw(SPECIAL_PRM_DATA& rule, int mode, int part, int len);
    static void SetRepeatAddress(int count, int len, const unsigned char* step1, const unsigned char* step2,
                                 SPECIAL_PRM_DATA& rule);
    static void AddAddress(int len, unsigned char* adrs, const unsigned char* step)
    {
        CCopyPrmInfo::AddAddress(len, adrs, step);
    }

    int GetRuleCount() const { return int(m_rules.size()); }
    const SPECIAL_PRM_DATA* GetRule(int n) const
    {
        return n >= 0 && n < GetRuleCount() ? &m_rules[size_t(n)] : nullptr;
    }

private:
    bool ClearSwitch(const PRM_ADDRESS& a);

    const CMidiFormat* m_formats = nullptr;
    CPrmCtrl* m_map = nullptr;
    QString m_path;
    std::vector<SPECIAL_PRM_DATA> m_rules;
};
