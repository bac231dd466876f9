#pragma once
// Parameter copy rules of one memory map: which parameters select a part's voice
// (bank select MSB, LSB and the program number that triggers the copy), which banks
// hold which voice category, and which voice parameter goes to which part parameter.
// Read once from [PrmCopyInfo] and its "Info<bank name>" sections; read-only afterwards.
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QString>
#include <vector>

class CMidiFormat;
class CPrmCtrl;

// One address of an address category; the bytes are owned.
struct PRM_ADDRESS
{
    int category = 0;
    QByteArray address;
};

struct COPY_PRM_INFO
{
    int repeatCategory = 0;
    std::vector<QByteArray> bankMSB;  // one per part
    std::vector<QByteArray> bankLSB;
    std::vector<QByteArray> trigger;
};

struct BANK_INFO
{
    unsigned char msb = 0;
    unsigned char lsb = 0;
    int category = -1;
    QString name;
};

struct COPY_PRM_DATA
{
    QString name;
    QByteArray sourceStep;
    QByteArray destinationStep;
    std::vector<PRM_ADDRESS> sources;
    std::vector<PRM_ADDRESS> destinations;
};

class VANTREL_CONSOLE_EXPORT CCopyPrmInfo
{
public:
    CCopyPrmInfo() = default;
    virtual ~CCopyPrmInfo();
    CCopyPrmInfo(const CCopyPrmInfo&) = delete;
    CCopyPrmInfo& operator=(const CCopyPrmInfo&) = delete;

    void InitSet(const CMidiFormat* formats, CPrmCtrl* map);
    // False only when the template cannot be opened; a faulty section leaves the rules
    // without triggers (the map still builds).
    bool MakeList(const QString& path);
    void DeleteList();
    void DeleteCopyPrmInfo(int set);

    // The part whose trigger address equals adrs over len bytes; -1 when none.
    int CheckTriggerAddres(short category, const unsigned char* adrs, int len) const;
    // The part's bank select address; null for a part outside the rules.
    const unsigned char* GetBankMSB(int part) const;
    const unsigned char* GetBankLSB(int part) const;
    int GetCategoryNo(unsigned char msb, unsigned char lsb) const;
    int GetCopyParamInfoIndex(unsigned char msb, unsigned char lsb) const;
    // Appends the set's pairs moved to the part (new copies); false for an unknown set.
    bool GetPrmCopyAddress(int set, int part, int len, std::vector<PRM_ADDRESS>* sources,
                           std::vector<PRM_ADDRESS>* destinations) const;
    // A copy of bank n; an empty record (category -1) beyond the table.
    BANK_INFO GetBankInfo(int n) const;
    int GetBankCount() const { return int(m_banks.size()); }
    int GetPartCount() const { return int(m_rules.trigger.size()); }
    int GetCopySetCount() const { return int(m_sets.size()); }
    int GetRepeatCategory() const { return m_rules.repeatCategory; }
    const unsigned char* GetTrigger(int part) const;

    // Adds step to adrs in place, big-endian, the carry taken at 256.
    static void AddAddress(int len, unsigned char* adrs, const unsigned char* step);
    // count addresses: the parsed address, then each time the step added; false when
    // the text is not len hex bytes.
    static bool SetAddress(int len, const char* text, int count, std::vector<QByteArray>& out,
                           const unsigned char* step);

    // Token helpers shared by the rule readers: a value split at TAB or comma with empty
    // fields dropped; an address of exactly len hex bytes (false otherwise); a decimal
    // number (false when the token is not one).
    static std::vector<QByteArray> SplitTokens(const QByteArray& value);
    static bool ParseAddress(const QByteArray& token, int len, QByteArray& out);
    static bool ParseDecimal(const QByteArray& token, int& out);
    static bool ParseHexByte(QByteArrayView token, unsigned char& out);
    // Whether the first count tokens of value are hex bytes, put into out; nothing is
    // allocated (a preset list is scanned voice by voice).
    static bool LeadingHexBytes(const QByteArray& value, unsigned char* out, int count);

private:
    void DropRules();

    const CMidiFormat* m_formats = nullptr;
    CPrmCtrl* m_map = nullptr;
    QString m_path;
    COPY_PRM_INFO m_rules;
    std::vector<BANK_INFO> m_banks;
    std::vector<COPY_PRM_DATA> m_sets;
};
