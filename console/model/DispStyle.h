#pragma once
// Display styles: the text shown for a parameter's data bytes. Built-in styles 1..37
// (not 32) compute a number; style 100 + n looks the bytes up in table n of the
// template's [DispStyleList], style 500 + n in table n of the selected plug-in board.
#include "vantrel_kxe21_console_export.h"
#include <QMap>
#include <QString>
#include <cstdint>
#include <vector>

class CEditorBlk;
class CPlugInBoardBlk;

struct DSOBJ
{
    QString name;              // empty for an empty table
    unsigned char keyLength = 0;  // trailing data bytes that form the key; 0 = all
    QMap<QString, QString> rows;
};

class VANTREL_CONSOLE_EXPORT CDispStyle
{
public:
    CDispStyle() = default;
    virtual ~CDispStyle();

    bool MakeList(const QString& path, const CPlugInBoardBlk* boards);
    void DeleteList();
    const QString& ErrorText() const { return m_error; }

    bool GetDispStyle(short style, const unsigned char* data, unsigned char count, QString& out,
                      const CEditorBlk* blk) const;
    bool DispStyleSys(short style, const unsigned char* data, unsigned char count, QString& out) const;
    bool DispStyleUser(short style, const unsigned char* data, unsigned char count, QString& out,
                       const CEditorBlk* blk) const;
    static uint32_t BYTEToDWORD(const unsigned char* bytes, unsigned char count);

    int TableCount() const { return int(m_tables.size()); }
    const DSOBJ* Table(int n) const { return n >= 0 && n < TableCount() ? &m_tables[size_t(n)] : nullptr; }
    // Text of row `key` (upper-case hex) of table n; empty when absent.
    QString TableText(int n, const QString& key) const;

private:
    bool Fail(const QString& section, int line, const QString& what);
    static bool Lookup(const DSOBJ& t, const unsigned char* data, unsigned char count, QString& out);

    std::vector<DSOBJ> m_tables;
    QString m_path;
    QString m_error;
};
