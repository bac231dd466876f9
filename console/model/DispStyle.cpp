#include "DispStyle.h"
#include "EditorBlk.h"
#include "IniFileJob.h"
#include "TemplateList.h"
#include "Mem.h"
#include "ModelLogging.h"
#include "PlugInBoardBlk.h"

namespace {
const char kDelims[] = "\t,";
}

CDispStyle::~CDispStyle()
{
    DeleteList();
}

void CDispStyle::DeleteList()
{
    m_tables.clear();
}

bool CDispStyle::Fail(const QString& section, int line, const QString& what)
{
    m_error = TemplateFaultText(m_path, section, line, what);
    return false;
}

bool CDispStyle::MakeList(const QString& path, const CPlugInBoardBlk* boards)
{
    m_path = path;
    CIniFileJob ini(path);
    const QString list = QStringLiteral("DispStyleList");
    if (!ini.Opened())
        return Fail(list, 0, QStringLiteral("template not readable"));
    std::vector<QByteArray> names;
    TemplateFault fault;
    if (!ReadTemplateList(ini, "DispStyleList", 400, names, fault))
        return Fail(fault.section, fault.line, fault.what);
    const int n = int(names.size());
    m_tables.assign(size_t(n), DSOBJ());
    for (int i = 0; i < n; ++i) {
        const QByteArray& name = names[size_t(i)];
        const QString sec = QString::fromLatin1(name);
        if (!ini.GetSection(name.constData()))
            return Fail(sec, 0, QStringLiteral("missing table section"));
        int keyLength = 0, rows = 0;
        if (!ini.GetItem("szPrm", keyLength) || keyLength < 0 || keyLength > 255)
            return Fail(sec, ini.GetItemLine("szPrm"), QStringLiteral("missing or bad szPrm"));
        if (!ini.GetItem("size", rows) || rows < 0 || rows > 65535)
            return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
        const bool boardTable = name == "PlugInBoardName" || name == "PlugInVoiceFileName";
        const int boardCount = boardTable && boards ? boards->GetPlugInBoardNum() : 0;
        DSOBJ& t = m_tables[size_t(i)];
        if (rows + boardCount == 0)
            continue;  // an empty table: no name, key length 0
        t.name = sec;
        t.keyLength = (unsigned char)keyLength;
        const int fileRows = boardTable ? (rows > 0 ? 1 : 0) : rows;
        for (int r = 0; r < fileRows; ++r) {
            char buf[CIniFileJob::kItemSize];
            const QByteArray key = QByteArray::number(r);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing row %1").arg(r));
            QString k, text;
            ini.Get1stStrToken(buf, kDelims, k);
            ini.Get2ndStrToken(text);
            t.rows.insert(k, text);
        }
        for (int b = 0; b < boardCount; ++b) {
            const CPlugInBoardBlk::Board* board = boards->GetBoard(b);
            const unsigned char id[3] = {board->msb, board->lsb, board->product};
            t.rows.insert(CMem::GetByteToStr(id, 3, false),
                          name == "PlugInBoardName" ? board->name : board->voiceFile);
        }
    }
    return true;
}

uint32_t CDispStyle::BYTEToDWORD(const unsigned char* bytes, unsigned char count)
{
    uint32_t v = 0;
    if (!bytes)
        return 0;
    for (int i = 0; i < count && i < 4; ++i)
        v = (v << 8) | bytes[i];
    return v;
}

bool CDispStyle::GetDispStyle(short style, const unsigned char* data, unsigned char count, QString& out,
                              const CEditorBlk* blk) const
{
    return style > 99 ? DispStyleUser(style, data, count, out, blk) : DispStyleSys(style, data, count, out);
}

bool CDispStyle::DispStyleSys(short style, const unsigned char* data, unsigned char count, QString& out) const
{
    if (!data || style <= 0 || style > 37 || style == 32)
        return false;
    // Styles 1 to 5 read their bytes whatever the count says; bytes the parameter
    // does not have count as 0.
    unsigned char b[4] = {};
    for (int i = 0; i < 4 && i < count; ++i)
        b[i] = data[i];
    const int32_t v = int32_t(BYTEToDWORD(data, count));
    const QString f = QStringLiteral("%1");
    auto num = [&](int64_t x) { out = f.arg(qlonglong(x)); return true; };
    switch (style) {
    case 1: {
        const int n = ((b[0] * 16 + b[1]) * 16 + b[2]) * 16 + b[3];
        return num(n <= 1023 ? 1024 - n : n - 1024);
    }
    case 2: {
        const int n = b[0] * 16 + b[1];
        return num(n <= 127 ? 128 - n : n - 128);
    }
    case 3: out = f.arg(b[0] + 1, 3); return true;
    case 4:
    case 5: out = f.arg(int(b[0]), 3); return true;
    case 6: out = f.arg(double(float(v) / 10.0f), 0, 'f', 1); return true;
    case 7: out = f.arg(double(float(v) / 100.0f), 2, 'f', 2); return true;
    case 8: return num(int64_t(v) - 64);
    case 9: return num(int64_t(v) - 128);
    case 10: return num(int64_t(v) - 256);
    case 11: return num(3 * int64_t(v) - 192);
    case 12: return num(int64_t(v) - 100);
    case 13: return num(int64_t(v) - 200);
    case 14: return num(2 * int64_t(v));
    case 15: return num(3 * int64_t(v));
    case 16: return num(int64_t(v) + 64);
    case 17: return num(int64_t(v) + 128);
    case 18: return num(int64_t(v) + 256);
    case 19: return num(3 * int64_t(v) + 192);
    case 20: return num(int64_t(v) + 100);
    case 21: return num(int64_t(v) + 200);
    case 22: return num(int64_t(v) + 1);
    case 23: return num(-int64_t(v));
    case 24: return num(int64_t(v) - 512);
    case 25: return num(int64_t(v) - 1024);
    case 26: return num(int64_t(v) - 2048);
    case 27: return num(int64_t(v) - 4096);
    case 28: return num(int64_t(v) - 8192);
    case 29: return num(int64_t(v) - 16384);
    case 30: return num(int64_t(v) - 32768);
    case 31: return num(int64_t(v) - 65536);
    case 33: return num(int64_t(v) - 262144);
    case 34: return num(int64_t(v) - 524288);
    case 35: return num(int64_t(v) - 1048576);
    case 36: return num(10 * int64_t(v));
    case 37: return num(100 * int64_t(v));
    default: return false;
    }
}

bool CDispStyle::Lookup(const DSOBJ& t, const unsigned char* data, unsigned char count, QString& out)
{
    QString key = CMem::GetByteToStr(data, count, false);
    if (t.keyLength != 0 && key.size() > 2 * t.keyLength)
        key = key.right(2 * t.keyLength);
    auto it = t.rows.constFind(key);
    if (it == t.rows.constEnd())
        return false;
    out = it.value();
    return true;
}

bool CDispStyle::DispStyleUser(short style, const unsigned char* data, unsigned char count, QString& out,
                               const CEditorBlk* blk) const
{
    if (!data)
        return false;
    const int n = int(style) - 100;
    if (n >= 0 && n < int(m_tables.size()))
        return Lookup(m_tables[size_t(n)], data, count, out);
    const CPlugInBoardBlk* boards = blk ? blk->PlugInBoards() : nullptr;
    if (!boards)
        return false;
    const CPlugInBoardBlk::Board* board = boards->SelectedBoard();
    if (!board)
        return false;
    const int idx = int(style) - 500;
    if (idx < 0 || idx >= int(board->dispTables.size()))
        return false;
    DSOBJ t;
    t.keyLength = idx < int(board->dispKeyLength.size()) ? board->dispKeyLength[size_t(idx)] : 0;
    t.rows = board->dispTables[size_t(idx)];
    return Lookup(t, data, count, out);
}

QString CDispStyle::TableText(int n, const QString& key) const
{
    const DSOBJ* t = Table(n);
    return t ? t->rows.value(key) : QString();
}
