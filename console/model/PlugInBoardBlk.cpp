#include "PlugInBoardBlk.h"
#include "AsgnStyle.h"
#include "EditorBlk.h"
#include "IniFileJob.h"
#include "Mem.h"
#include "ModelLogging.h"
#include "TemplateList.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {
const char kDelims[] = "\t,";
constexpr int kMaxParamSize = 16;
constexpr int kMaxListSize = 4096;
} // namespace

void PLUGIN_BOARD_BLOCK::Sync()
{
    view.ranges = ranges.data();
    view.rangeCount = uint8_t(ranges.size());
    view.defImage = def.data();
    view.curImage = cur.data();
    view.refImage = ref.data();
    view.dirty = dirty.data();
    view.params = params.data();
    view.prmCount = int32_t(params.size());
    view.paramCount = int32_t(params.size());
    view.blockDirty = &blockDirty;
}

CPlugInBoardBlk::~CPlugInBoardBlk()
{
    DeleteList();
}

void CPlugInBoardBlk::DeleteList()
{
    m_boards.clear();
    m_selected = -1;
}

bool CPlugInBoardBlk::Drop(const QString& why)
{
    m_dropReason = why;
    return false;
}

bool CPlugInBoardBlk::MakeList(const QString& templateFolder, CEditorBlk* editorBlk)
{
    m_editorBlk = editorBlk;
    QString folder = templateFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    m_folder = folder + QStringLiteral("PlugIn");
    DeleteList();
    QDir dir(m_folder);
    QFileInfoList entries = dir.entryInfoList({QStringLiteral("*.tpm")}, QDir::Files | QDir::Dirs | QDir::Drives,
                                              QDir::Unsorted);
    // Largest first; files of equal size in name order, so the board order does not
    // depend on the order the file system lists them in.
    std::stable_sort(entries.begin(), entries.end(), [](const QFileInfo& a, const QFileInfo& b) {
        if (a.size() != b.size())
            return a.size() > b.size();
        return a.fileName() < b.fileName();
    });
    for (const QFileInfo& e : entries) {
        const QString path = m_folder + QLatin1Char('/') + e.fileName();
        auto board = std::make_unique<PLUGIN_BOARD_DATA>();
        m_dropReason.clear();
        if (!e.isFile() || !editorBlk) {
            Drop(QStringLiteral("not a readable board file"));
        } else if (ReadBoard(path, editorBlk, *board)) {
            m_boards.push_back(std::move(board));
            continue;
        }
        qCInfo(lcModel).noquote() << "plug-in board" << path << "left out:" << m_dropReason;
    }
    return true;
}

bool CPlugInBoardBlk::ReadBoard(const QString& path, CEditorBlk* editorBlk, PLUGIN_BOARD_DATA& board)
{
    CIniFileJob ini(path);
    if (!ini.Opened())
        return Drop(QStringLiteral("file does not open"));
    char buf[CIniFileJob::kItemSize];
    if (!ini.GetSection("PlugInBorad"))
        return Drop(QStringLiteral("missing [PlugInBorad]"));
    int msb = 0, lsb = 0, product = 0;
    if (!ini.GetItem("Name", buf, -1, int(sizeof buf)))
        return Drop(QStringLiteral("missing Name"));
    board.name = QString::fromLatin1(buf).trimmed();
    if (!ini.GetItem("MSB", msb) || !ini.GetItem("LSB", lsb) || !ini.GetItem("ProductNo", product))
        return Drop(QStringLiteral("missing MSB, LSB or ProductNo"));
    board.msb = (unsigned char)msb;
    board.lsb = (unsigned char)lsb;
    board.product = (unsigned char)product;
    if (!ini.GetItem("VoiceFile", buf, -1, int(sizeof buf)))
        return Drop(QStringLiteral("missing VoiceFile"));
    board.voiceFile = QString::fromLatin1(buf).trimmed();
    board.path = path;

    std::vector<QByteArray> names;
    TemplateFault fault;
    if (!ReadTemplateList(ini, "block_list", kMaxListSize, names, fault))
        return Drop(QStringLiteral("[%1] %2").arg(fault.section, fault.what));
    for (const QByteArray& name : names) {
        auto block = std::make_unique<PLUGIN_BOARD_BLOCK>();
        QString why;
        int at = 0;
        if (!editorBlk->ReadBlockSection(ini, name, *block, nullptr, at, why))
            return Drop(QStringLiteral("[%1] line %2: %3").arg(QString::fromLatin1(name)).arg(at).arg(why));
        block->Sync();
        board.blocks.push_back(std::move(block));
    }

    names.clear();
    if (!ReadTemplateList(ini, "DispStyleList", 400, names, fault))
        return Drop(QStringLiteral("[%1] %2").arg(fault.section, fault.what));
    for (const QByteArray& name : names) {
        const QString sec = QString::fromLatin1(name);
        if (!ini.GetSection(name.constData()))
            return Drop(QStringLiteral("[%1] missing table section").arg(sec));
        int keyLength = 0, rows = 0;
        if (!ini.GetItem("szPrm", keyLength) || keyLength < 0 || keyLength > 255)
            return Drop(QStringLiteral("[%1] missing or bad szPrm").arg(sec));
        if (!ini.GetItem("size", rows) || rows < 0 || rows > 65535)
            return Drop(QStringLiteral("[%1] missing or bad size").arg(sec));
        DSOBJ t;
        if (rows > 0) {
            t.name = sec;
            t.keyLength = (unsigned char)keyLength;
        }
        for (int r = 0; r < rows; ++r) {
            const QByteArray key = QByteArray::number(r);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Drop(QStringLiteral("[%1] missing row %2").arg(sec).arg(r));
            QString k, text;
            ini.Get1stStrToken(buf, kDelims, k);
            ini.Get2ndStrToken(text);
            if (!t.rows.contains(k))
                t.rows.insert(k, text);  // of a repeated key the first row counts
        }
        board.dispTables.push_back(t.rows);
        board.dispKeyLength.push_back(t.keyLength);
        board.dispStyles.push_back(std::move(t));
    }

    if (!ini.GetSection("AssignStyleList"))
        return Drop(QStringLiteral("missing [AssignStyleList]"));
    int size = 0;
    if (!ini.GetItem("size", size) || size < 0 || size > 400)
        return Drop(QStringLiteral("[AssignStyleList] missing or bad size"));
    for (int i = 0; i < size; ++i) {
        const QByteArray key = QByteArray::number(i);
        if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
            return Drop(QStringLiteral("[AssignStyleList] missing key %1").arg(i));
        AS_INFO s;
        s.minimum = uint16_t(ini.Get1stNumToken(buf, kDelims));
        s.maximum = uint16_t(ini.Get2ndNumToken());
        s.table = uint16_t(ini.Get2ndNumToken());
        if (!ini.LastTokenFound())
            return Drop(QStringLiteral("[AssignStyleList] line %1 needs minimum, maximum and table").arg(i));
        board.assignList.push_back(s);
    }
    names.clear();
    if (!ReadTemplateList(ini, "AssignStyleDataList", 400, names, fault))
        return Drop(QStringLiteral("[%1] %2").arg(fault.section, fault.what));
    for (const QByteArray& name : names) {
        const QString sec = QString::fromLatin1(name);
        if (!ini.GetSection(name.constData(), "AssignStyleDataList"))
            return Drop(QStringLiteral("[%1] missing table section").arg(sec));
        int w = 0, c = 0;
        if (!ini.GetItem("prmSize", w) || w < 1 || w > kMaxParamSize)
            return Drop(QStringLiteral("[%1] missing or bad prmSize").arg(sec));
        if (!ini.GetItem("size", c) || c < 0 || c > 16383)
            return Drop(QStringLiteral("[%1] missing or bad size").arg(sec));
        AS_DATA t;
        t.width = uint8_t(w);
        t.count = int16_t(c);
        for (int i = 0; i < c; ++i) {
            char hex[CIniFileJob::kTokenSize];
            const QByteArray key = QByteArray::number(i);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Drop(QStringLiteral("[%1] missing row %2").arg(sec).arg(i));
            ini.Get1stStrToken(buf, kDelims, hex, int(sizeof hex));
            if (int(strnlen(hex, sizeof hex)) != 2 * w)
                return Drop(QStringLiteral("[%1] row %2 is not %3 bytes").arg(sec).arg(i).arg(w));
            unsigned char bytes[kMaxParamSize];
            CMem::SetByte(hex, bytes, w);
            t.bytes.insert(t.bytes.end(), bytes, bytes + w);
        }
        board.assignData.push_back(std::move(t));
    }
    for (const AS_INFO& s : board.assignList) {
        if (s.table >= board.assignData.size())
            return Drop(QStringLiteral("[AssignStyleList] names table %1, which does not exist").arg(s.table));
    }

    const QString voicePath = QFileInfo(path).path() + QLatin1Char('/') + board.voiceFile;
    return ReadVoiceFile(voicePath, board);
}

bool CPlugInBoardBlk::ReadVoiceFile(const QString& path, PLUGIN_BOARD_DATA& board)
{
    CIniFileJob ini(path);
    if (!ini.Opened())
        return Drop(QStringLiteral("voice file %1 does not open").arg(path));
    int size = 0;
    if (!ini.GetSection("vce_list"))
        return Drop(QStringLiteral("voice file: missing [vce_list]"));
    if (!ini.GetItem("size", size) || size < 0 || size > kMaxListSize)
        return Drop(QStringLiteral("voice file: [vce_list] missing or bad size"));
    struct Line
    {
        int msb;
        QByteArray section;
    };
    std::vector<Line> lines;
    for (int i = 0; i < size; ++i) {
        char buf[CIniFileJob::kItemSize];
        char name[CIniFileJob::kTokenSize];
        if (!ini.GetItem(QByteArray::number(i).constData(), buf, -1, int(sizeof buf)))
            return Drop(QStringLiteral("voice file: [vce_list] missing line %1").arg(i));
        const int msb = ini.Get1stNumToken(buf, kDelims);
        ini.Get2ndStrToken(name, int(sizeof name));
        if (!ini.LastTokenFound())
            return Drop(QStringLiteral("voice file: [vce_list] line %1 needs an MSB and a section").arg(i));
        lines.push_back({msb, QByteArray(name).trimmed()});
    }
    for (const Line& l : lines) {
        auto it = std::find_if(board.voices.begin(), board.voices.end(),
                               [&](const PLUG_VOICE_MSB& m) { return m.msb == l.msb; });
        if (it == board.voices.end()) {
            board.voices.push_back(PLUG_VOICE_MSB());
            board.voices.back().msb = l.msb;
            it = board.voices.end() - 1;
        }
        if (!LoadVoiceSection(ini, l.section, *it, 0, kProgramCount - 1, 0))
            return false;
    }
    return true;
}

bool CPlugInBoardBlk::LoadVoiceSection(CIniFileJob& ini, const QByteArray& section, PLUG_VOICE_MSB& msb, int low,
                                       int high, int depth)
{
    const QString sec = QString::fromLatin1(section);
    // Sections that name each other would otherwise recurse without end.
    if (depth > kMaxVoiceSectionDepth)
        return Drop(QStringLiteral("voice file: [%1] nested deeper than %2").arg(sec).arg(kMaxVoiceSectionDepth));
    if (!ini.GetSection(section.constData()))
        return Drop(QStringLiteral("voice file: missing [%1]").arg(sec));
    int type = 0, size = 0;
    if (!ini.GetItem("type", type) || !ini.GetItem("size", size) || size < 0 || size > kMaxListSize)
        return Drop(QStringLiteral("voice file: [%1] missing type or size").arg(sec));
    if (type != 0 && type != 2)
        return Drop(QStringLiteral("voice file: [%1] unknown type %2").arg(sec).arg(type));
    struct Sub
    {
        int low, high;
        QByteArray section;
    };
    std::vector<Sub> subs;
    for (int i = 0; i < size; ++i) {
        char buf[CIniFileJob::kItemSize];
        if (!ini.GetItem(QByteArray::number(i).constData(), buf, -1, int(sizeof buf)))
            return Drop(QStringLiteral("voice file: [%1] missing line %2").arg(sec).arg(i));
        if (type == 2) {
            const int program = ini.Get1stNumToken(buf, kDelims);
            const int lsb = ini.Get2ndNumToken();
            QString name;
            ini.Get2ndStrToken(name);
            if (!ini.LastTokenFound())
                return Drop(QStringLiteral("voice file: [%1] line %2 needs program, LSB and name").arg(sec).arg(i));
            auto it = std::find_if(msb.lsbs.begin(), msb.lsbs.end(), [&](const PLUG_VOICE_LSB& e) { return e.lsb == lsb; });
            if (it == msb.lsbs.end()) {
                PLUG_VOICE_LSB e;
                e.lsb = lsb;
                e.names.assign(kProgramCount, QStringLiteral("Silence"));
                msb.lsbs.push_back(std::move(e));
                it = msb.lsbs.end() - 1;
            }
            if (program >= low && program <= high && program >= 0 && program < kProgramCount)
                it->names[size_t(program)] = name;
        } else {
            Sub s;
            s.low = ini.Get1stNumToken(buf, kDelims);
            s.high = ini.Get2ndNumToken();
            char name[CIniFileJob::kTokenSize];
            ini.Get2ndStrToken(name, int(sizeof name));
            if (!ini.LastTokenFound())
                return Drop(QStringLiteral("voice file: [%1] line %2 needs low, high and section").arg(sec).arg(i));
            if (s.low < 0 || s.high >= kProgramCount || s.low > s.high)
                return Drop(QStringLiteral("voice file: [%1] line %2: program range %3..%4 outside 0..127")
                                .arg(sec).arg(i).arg(s.low).arg(s.high));
            s.section = QByteArray(name).trimmed();
            subs.push_back(std::move(s));
        }
    }
    for (const Sub& s : subs) {
        if (!LoadVoiceSection(ini, s.section, msb, s.low, s.high, depth + 1))
            return false;
    }
    return true;
}

void CPlugInBoardBlk::SetSelectedPlugInBoardNo(int n)
{
    m_selected = n >= 0 && n < GetPlugInBoardNum() ? n : -1;
}

PLUGIN_BOARD_DATA* CPlugInBoardBlk::GetPlugInBoardData(int n)
{
    return n >= 0 && n < GetPlugInBoardNum() ? m_boards[size_t(n)].get() : nullptr;
}

const PLUGIN_BOARD_DATA* CPlugInBoardBlk::GetBoard(int n) const
{
    return n >= 0 && n < GetPlugInBoardNum() ? m_boards[size_t(n)].get() : nullptr;
}

bool CPlugInBoardBlk::GetPlugInBoardInfo(int n, PLUGIN_BOARD_INFO* info) const
{
    const PLUGIN_BOARD_DATA* b = GetBoard(n);
    if (!b || !info)
        return false;
    info->name = b->name;
    info->msb = b->msb;
    info->lsb = b->lsb;
    info->product = b->product;
    info->path = b->path;
    info->voiceFile = b->voiceFile;
    return true;
}

bool CPlugInBoardBlk::GetPlugInBoardInfo(int n, unsigned char& msb, unsigned char& lsb, unsigned char& product) const
{
    const PLUGIN_BOARD_DATA* b = GetBoard(n);
    if (!b)
        return false;
    msb = b->msb, lsb = b->lsb, product = b->product;
    return true;
}

std::vector<std::unique_ptr<PLUGIN_BOARD_BLOCK>>* CPlugInBoardBlk::GetPlugInBoardBlk(int n)
{
    PLUGIN_BOARD_DATA* b = GetPlugInBoardData(n);
    return b ? &b->blocks : nullptr;
}

bool CPlugInBoardBlk::GetPlugInBoardDispStyle(int n, DSOBJ& out) const
{
    const PLUGIN_BOARD_DATA* b = Selected();
    if (!b || n < 0 || n >= int(b->dispStyles.size()))
        return false;
    out = b->dispStyles[size_t(n)];
    return true;
}

const std::vector<std::unique_ptr<PLUGIN_BOARD_BLOCK>>* CPlugInBoardBlk::GetPlugInBoardBlkList() const
{
    const PLUGIN_BOARD_DATA* b = Selected();
    return b ? &b->blocks : nullptr;
}

const std::vector<DSOBJ>* CPlugInBoardBlk::GetPlugInBoardDispStyleList() const
{
    const PLUGIN_BOARD_DATA* b = Selected();
    return b ? &b->dispStyles : nullptr;
}

const std::vector<AS_INFO>* CPlugInBoardBlk::GetPlugInBoardAssignStyleList() const
{
    const PLUGIN_BOARD_DATA* b = Selected();
    return b ? &b->assignList : nullptr;
}

const std::vector<AS_DATA>* CPlugInBoardBlk::GetPlugInBoardAssignDataList() const
{
    const PLUGIN_BOARD_DATA* b = Selected();
    return b ? &b->assignData : nullptr;
}

void CPlugInBoardBlk::CheckPlugInBoardBlk(BLK& blk) const
{
    const PLUGIN_BOARD_DATA* b = Selected();
    if (!b)
        return;
    for (const auto& block : b->blocks) {
        if (block->view.name == blk.name) {
            blk = block->view;
            return;
        }
    }
}

int CPlugInBoardBlk::boardIdentifier2RTIdx(int identity) const
{
    for (size_t i = 0; i < m_boards.size(); ++i) {
        if (m_boards[i]->Identity() == identity)
            return int(i) + 1;
    }
    return 0;
}

const PLUG_VOICE_MSB* CPlugInBoardBlk::FindMsb(int board, int msb) const
{
    const PLUGIN_BOARD_DATA* b = GetBoard(board);
    if (!b)
        return nullptr;
    for (const PLUG_VOICE_MSB& m : b->voices) {
        if (m.msb == msb)
            return &m;
    }
    return nullptr;
}

int CPlugInBoardBlk::GetMSBCount(int board) const
{
    const PLUGIN_BOARD_DATA* b = GetBoard(board);
    return b ? int(b->voices.size()) : 0;
}

int CPlugInBoardBlk::GetMSB(int board, int i) const
{
    const PLUGIN_BOARD_DATA* b = GetBoard(board);
    return b && i >= 0 && i < int(b->voices.size()) ? b->voices[size_t(i)].msb : 0;
}

int CPlugInBoardBlk::GetMSBIndex(int board, int msb) const
{
    const PLUGIN_BOARD_DATA* b = GetBoard(board);
    if (!b)
        return 0;
    for (size_t i = 0; i < b->voices.size(); ++i) {
        if (b->voices[i].msb == msb)
            return int(i);
    }
    return 0;
}

int CPlugInBoardBlk::GetLSBCount(int board, int msb) const
{
    const PLUG_VOICE_MSB* m = FindMsb(board, msb);
    return m ? int(m->lsbs.size()) : 0;
}

int CPlugInBoardBlk::GetLSB(int board, int msb, int i) const
{
    const PLUG_VOICE_MSB* m = FindMsb(board, msb);
    return m && i >= 0 && i < int(m->lsbs.size()) ? m->lsbs[size_t(i)].lsb : 0;
}

int CPlugInBoardBlk::GetLSBIndex(int board, int msb, int lsb) const
{
    const PLUG_VOICE_MSB* m = FindMsb(board, msb);
    if (!m)
        return 0;
    for (size_t i = 0; i < m->lsbs.size(); ++i) {
        if (m->lsbs[i].lsb == lsb)
            return int(i);
    }
    return 0;
}

QString CPlugInBoardBlk::GetVoiceName(int board, int msb, int lsb, int program) const
{
    const PLUG_VOICE_MSB* m = FindMsb(board, msb);
    if (m) {
        for (const PLUG_VOICE_LSB& l : m->lsbs) {
            if (l.lsb == lsb && program >= 0 && program < int(l.names.size()))
                return l.names[size_t(program)];
        }
    }
    return QStringLiteral("Silent");
}

int CPlugInBoardBlk::GetTotalBlkSize() const
{
    int64_t total = 0;
    for (const auto& b : m_boards) {
        for (const auto& block : b->blocks)
            total += block->view.memSize;
    }
    return total > INT32_MAX ? INT32_MAX : int(total);
}

bool CPlugInBoardBlk::cacheEditBuffer(QByteArray* buffer) const
{
    const int total = GetTotalBlkSize();
    if (!buffer || total < 1)
        return false;
    buffer->resize(total);
    char* out = buffer->data();
    for (const auto& b : m_boards) {
        for (const auto& block : b->blocks) {
            std::memcpy(out, block->cur.data(), block->cur.size());
            out += block->cur.size();
        }
    }
    return true;
}

bool CPlugInBoardBlk::restoreEditBuffer(const QByteArray* buffer)
{
    const int total = GetTotalBlkSize();
    if (!buffer || total == 0 || buffer->size() != total)
        return false;
    const char* in = buffer->constData();
    for (const auto& b : m_boards) {
        for (const auto& block : b->blocks) {
            std::memcpy(block->cur.data(), in, block->cur.size());
            in += block->cur.size();
        }
    }
    return true;
}

void CPlugInBoardBlk::InitPlugInBoardData()
{
    for (const auto& b : m_boards) {
        for (const auto& block : b->blocks) {
            block->cur = block->def;
            block->ref = block->def;
            block->Sync();
        }
    }
}
