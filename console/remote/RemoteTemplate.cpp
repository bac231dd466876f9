#include "RemoteTemplate.h"
#include "RemoteMessages.h"
#include "RemotePageTree.h"
#include "console/model/IniFileJob.h"
#include "console/model/IniFileJobCache.h"
#include "console/model/Mem.h"
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

using namespace NS_Remote;

namespace {

// Limits that keep a hostile template from costing more than a real one could use.
constexpr int kMaxListSize = 4096;
constexpr int kMaxTreeNodes = 4096;
constexpr int kMaxMessages = 256;
constexpr int kMaxDisplayTimeMs = 60000;

const char kSectionMissing[] = "A section is not found... : [%1]\n";
const char kKeywordMissing[] = "Keyword \"%1\" is not found...\nSECTION [%2]";
const char kNumberMissing[] = "This number is not found...\n SECTION [%1] - ITEM [%2] - NUMBER [%3]";
const char kIdCount[] = "Number of %1 is not right.\nYou must register %2 ID by all means.";
const char kCountWrong[] = "Number of \"%1\" is not right...(%2)\nSECTION [%3]";
const char kMustBeOne[] = "A value of \"%1\" must be 1, but becomes %2...\nSECTION [%3]";
const char kOneCharacter[] = "I can register only character one...\nSECTION [%1]";
const char kTypeUndefined[] = "<Type>=%1 : This number is not defined...\nSECTION [%2]";
const char kValueWrong[] = "A value is not right...\n SECTION [%1] - ITEM [%2] - NUMBER [%3]";
const char kNotAWindow[] = "[%1] is not registered with [WindowList]...";
const char kMinus[] = "A value of \"%1\" is a minus...(%2) : [%3]\n";
const char kNoTree[] = "Cannot build a Window-Tree...\n SECTION [%1]";
const char kTreeNumberMissing[] = "This number was not found...\n SECTION [%1] - ITEM [%2] - NUMBER [%3]";
const char kSubKeywordMissing[] = "Keyword \"%1\" is not found...\nSECTION [%2] - SUB SECTION [%3]";
const char kSubNumberMissing[] =
    "This number is not found...\n SECTION [%1] - SUB SECTION [%2] - ITEM [%3] - NUMBER [%4]";
const char kConstLine[] = "Function \"ReadConstLine\" gave back an error.";
const char kVariaLine[] = "Function \"ReadVariaLine\" gave back an error.";
const char kParamLine[] = "Function \"ReadParamLine\" gave back an error.";
const char kSupportSection[] = "A section was not found... : [%1]\n";
const char kSupportKeyword[] = "Keyword \"%1\" was not found...\nSECTION [%2]";
const char kSupportNumber[] = "This number was not found...\n SECTION [%1] - ITEM [%2] - NUMBER [%3]";
const char kReaderFailed[] = "CRemoteCtrlMng::MakeList - %1";

QString text(const char* format)
{
    return QString::fromLatin1(format);
}

QString name(const QByteArray& section)
{
    return QString::fromLatin1(section);
}

// The value's tokens: split at any of the delimiters, the line end dropped, empty
// tokens dropped.
// Views into the value: a template's thousands of lines are split without a copy of
// each token, so the value must outlive them.
// No reader looks past a line's first eleven tokens: the first sixteen are kept and
// the rest only counted.
class Tokens
{
public:
    static constexpr qsizetype kKept = 16;
    void append(QByteArrayView t)
    {
        if (m_size < kKept)
            m_kept[m_size] = t;
        ++m_size;
    }
    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    QByteArrayView operator[](qsizetype i) const
    {
        Q_ASSERT(i < std::min(m_size, kKept));
        return m_kept[i];
    }
    QByteArrayView value(qsizetype i) const { return i < std::min(m_size, kKept) ? m_kept[i] : QByteArrayView(); }
    // The kept tokens, in a row.
    const QByteArrayView* constData() const { return m_kept; }

private:
    QByteArrayView m_kept[kKept];
    qsizetype m_size = 0;
};
// The delimiters are found with memchr, each searched again only once passed: the
// thousands of lines of a template are not walked byte by byte.
Tokens tokens(QByteArrayView value, const char* delims)
{
    const char* const data = value.constData();
    const char* end = data + value.size();
    while (end > data && (end[-1] == '\n' || end[-1] == '\r'))
        --end;
    const auto find = [end](const char* from, char c) {
        const void* at = from < end ? std::memchr(from, c, size_t(end - from)) : nullptr;
        return at ? static_cast<const char*>(at) : end;
    };
    constexpr int kMaxDelims = 8;
    const int count = int(strnlen(delims, kMaxDelims));
    const char* next[kMaxDelims];
    for (int d = 0; d < count; ++d)
        next[d] = find(data, delims[d]);
    Tokens out;
    for (const char* from = data;;) {
        const char* cut = end;
        for (int d = 0; d < count; ++d)
            cut = std::min(cut, next[d]);
        if (cut > from)
            out.append(QByteArrayView(from, cut - from));
        if (cut == end)
            return out;
        from = cut + 1;
        for (int d = 0; d < count; ++d) {
            if (next[d] < from)
                next[d] = find(from, delims[d]);
        }
    }
}
Tokens tokens(QByteArray&& value, const char* delims) = delete;

QByteArrayView firstToken(QByteArrayView value)
{
    const Tokens t = tokens(value, " ,\t\n");
    return t.value(0);
}

// At most n bytes of a token.
QByteArray cut(QByteArrayView t, qsizetype n)
{
    return QByteArray(t.data(), std::min(t.size(), n));
}

// A list index as a key, composed without allocating.
class IndexKey
{
public:
    explicit IndexKey(int i) { *std::to_chars(m_text, m_text + sizeof m_text - 1, i).ptr = 0; }
    operator const char*() const { return m_text; }

private:
    char m_text[16];
};

// Decimal and hexadecimal conversions: a malformed number is 0, as the readers take it.
// The number is read from a terminated copy of the trimmed token.
template <typename Convert>
auto number(QByteArrayView t, Convert convert)
{
    t = t.trimmed();
    QVarLengthArray<char, 32> s(t.size() + 1);
    if (!t.isEmpty())
        std::memcpy(s.data(), t.data(), size_t(t.size()));
    s[t.size()] = 0;
    char* end = nullptr;
    const auto v = convert(s.data(), &end);
    return end == s.data() ? 0 : v;
}

int dec(QByteArrayView t)
{
    const long v = number(t, [](const char* s, char** end) { return std::strtol(s, end, 10); });
    return int(std::clamp<long>(v, -0x7FFFFFFFL, 0x7FFFFFFFL));
}

uint32_t hex(QByteArrayView t)
{
    const unsigned long v = number(t, [](const char* s, char** end) { return std::strtoul(s, end, 16); });
    return uint32_t(std::min<unsigned long>(v, 0xFFFFFFFFUL));
}

// An address written as hexadecimal digit pairs: exactly three bytes.
bool address(QByteArrayView t, QByteArray& out)
{
    const QByteArrayView s = t.trimmed();
    if (s.size() != 6)
        return false;
    char bytes[3];
    for (int i = 0; i < 3; ++i) {
        const int hi = CMem::HexDigit(s[2 * i]), lo = CMem::HexDigit(s[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes[i] = char(hi << 4 | lo);
    }
    out = QByteArray(bytes, 3);
    return true;
}

bool flag(QByteArrayView t, bool& out)
{
    const int v = dec(t);
    out = v != 0;
    return v == 0 || v == 1;
}

} // namespace

// ------------------------------------------------------------------ helpers

bool CRemoteTemplate::Section(CIniFileJob& ini, const QByteArray& section)
{
    if (ini.GetSection(section.constData()))
        return true;
    Report(text(kSectionMissing).arg(name(section)));
    return false;
}

bool CRemoteTemplate::Number(CIniFileJob& ini, const QByteArray& section, const char* key, int& out)
{
    QByteArrayView v;
    if (!ini.GetItem(key, v)) {
        Report(text(kKeywordMissing).arg(QLatin1String(key), name(section)));
        return false;
    }
    out = dec(v);
    return true;
}

bool CRemoteTemplate::Item(CIniFileJob& ini, const QByteArray& section, const char* sizeKey, int i,
                           QByteArrayView& out, int occurrence)
{
    if (ini.GetItem(IndexKey(i), out, occurrence))
        return true;
    Report(text(kNumberMissing).arg(name(section), QLatin1String(sizeKey)).arg(i));
    return false;
}

bool CRemoteTemplate::ListSize(CIniFileJob& ini, const QByteArray& section, const char* sizeKey, int lo, int hi,
                               int& n)
{
    if (!Number(ini, section, sizeKey, n))
        return false;
    if (n < lo || n > hi) {
        Report(text(kCountWrong).arg(QLatin1String(sizeKey)).arg(n).arg(name(section)));
        return false;
    }
    return true;
}

template <typename Take>
bool CRemoteTemplate::EachItem(CIniFileJob& ini, const QByteArray& section, const char* sizeKey, int n,
                               const Take& take, int occurrence)
{
    for (int i = 0; i < n; ++i) {
        QByteArrayView v;
        if (!Item(ini, section, sizeKey, i, v, occurrence) || !take(i, v))
            return false;
    }
    return true;
}

bool CRemoteTemplate::Route(const QByteArray& section, int i, QByteArrayView value, uint8_t* route)
{
    uint8_t r[kRouteBytes];
    // A route must name a page of the tree read before it.
    if (!NS_RemotePageTree::parse(value.trimmed().toByteArray(), r) || NS_RemotePageTree::windowOf(tops, r) < 0) {
        Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(i));
        return false;
    }
    NS_RemotePageTree::copy(route, r);
    return true;
}

// ------------------------------------------------------------------ choosing the template

QStringList CRemoteTemplate::Reports() const
{
    QStringList titles;
    titles.reserve(m_warnings.size());
    for (const Warning& w : m_warnings)
        titles.append(w.first);
    return titles;
}

std::shared_ptr<const CIniFileJobCache> CRemoteTemplate::Parse(const QByteArray& tpr)
{
    auto image = std::make_shared<CIniFileJobCache>();
    image->ReadBytes(tpr);
    return image;
}

bool CRemoteTemplate::Supports(const QByteArray& tpr, const QString& typeName)
{
    return Supports(Parse(tpr), typeName);
}

bool CRemoteTemplate::Supports(const std::shared_ptr<const CIniFileJobCache>& tpr, const QString& typeName)
{
    CIniFileJob ini{tpr};
    if (!ini.GetSection("Support")) {
        Report(text(kSupportSection).arg(QLatin1String("Support")));
        return false;
    }
    int n = 0;
    if (!ini.GetItem("Size", n)) {
        Report(text(kSupportKeyword).arg(QLatin1String("Size"), QLatin1String("Support")));
        return false;
    }
    const QByteArray type = typeName.toLatin1();
    for (int i = 0; i < std::min(n, kMaxListSize); ++i) {
        QByteArrayView v;
        if (!ini.GetItem(IndexKey(i), v)) {
            Report(text(kSupportNumber).arg(QLatin1String("Support"), QLatin1String("Size")).arg(i));
            return false;
        }
        // The item names the beginning of the type's name; an empty item names nothing.
        const QByteArrayView item = firstToken(v);
        if (!item.isEmpty() && type.startsWith(item))
            return true;
    }
    return false;
}

bool CRemoteTemplate::MakeList(const QString& folder, const QString& typeName)
{
    m_warnings.clear();
    m_failed.clear();
    QDir dir(folder);
    // Regular files only: a folder named like a template is no template.
    QFileInfoList entries =
        dir.entryInfoList({QStringLiteral("*.tpr")}, QDir::Files | QDir::NoDotAndDotDot | QDir::Readable);
    std::stable_sort(entries.begin(), entries.end(), [](const QFileInfo& a, const QFileInfo& b) {
        if (a.size() != b.size())
            return a.size() > b.size();
        return a.fileName() < b.fileName();
    });
    for (const QFileInfo& entry : entries) {
        if (!entry.isFile())
            continue;
        QFile file(entry.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const std::shared_ptr<const CIniFileJobCache> image = Parse(file.readAll());
        if (!Supports(image, typeName))
            continue;
        m_path = entry.absoluteFilePath();
        QByteArray parts;
        QFile partsFile(dir.absoluteFilePath(QStringLiteral("parts.ini")));
        if (partsFile.open(QIODevice::ReadOnly))
            parts = partsFile.readAll();
        return Read(image, parts);
    }
    Report(typeName, QStringLiteral("Not support"));
    return false;
}

bool CRemoteTemplate::ReadBytes(const QByteArray& tpr, const QByteArray& partsIni)
{
    return Read(Parse(tpr), partsIni);
}

bool CRemoteTemplate::Read(const std::shared_ptr<const CIniFileJobCache>& tpr, const QByteArray& partsIni)
{
    return Read(tpr, Parse(partsIni));
}

bool CRemoteTemplate::Read(const std::shared_ptr<const CIniFileJobCache>& tpr,
                           const std::shared_ptr<const CIniFileJobCache>& partsIni)
{
    CIniFileJob ini{tpr};
    CIniFileJob parts{partsIni};
    return ReadAll(ini, parts);
}

bool CRemoteTemplate::ReadAll(CIniFileJob& ini, CIniFileJob& parts)
{
    std::vector<uint8_t> keyIds, faderIds, encoderIds;
    const std::function<bool()> readers[kReaderCount] = {
        [&] { return ReadInitItem(ini); },
        [&] { return ReadIdList(ini, "KeyIDList", kKeyCount, "KEY ID", 0x7F, keyIds); },
        [&] { return ReadIdList(ini, "FaderIDList", kFaderCount, "FADER ID", 0x7F, faderIds); },
        [&] { return ReadIdList(ini, "EncoderIDList", kEncoderCount, "ENCODER ID", 0x0F, encoderIds); },
        [&] { return ReadBankGroup(ini); },
        [&] { return ReadLcdAddr(ini); },
        [&] { return ReadWindowFormat(ini); },
        [&] { return ReadMasterFader(ini); },
        [&] { return ReadWindowList(ini); },
        [&] { return ReadWindowTree(ini); },
        [&] { return ReadWindowSections(ini); },
        [&] { return ReadFaderLines(ini); },
        [&] { return ReadDisplayTime(ini); },
        [&] { return ReadKeyOnJump(ini); },
        [&] { return ReadKnobs(ini); },
        [&] { return ReadInvalidChar(ini); },
        [&] { return ReadDefaultRoute(ini); },
        [&] { return ReadStyles(ini); },
        [&] { return ReadMasks(ini); },
    };
    bool ok[kReaderCount];
    for (int r = 0; r < kReaderCount; ++r)
        ok[r] = readers[r]();
    // Style and mask indexes of the pages are known only once their lists are read.
    if (ok[10] && !CheckItemIndexes())
        ok[10] = false;

    for (size_t i = 0; i < keyIds.size(); ++i)
        keys.push_back(KEY_INFO{uint32_t(i), keyIds[i], 0, 0});
    for (size_t i = 0; i < faderIds.size(); ++i)
        faders.push_back(FADER_INFO{uint32_t(i), faderIds[i], 0});
    for (size_t i = 0; i < encoderIds.size(); ++i)
        encoders.push_back(ENCODER_INFO{uint32_t(i), encoderIds[i], 0});
    ReadSelectLists(parts);

    for (int r = 0; r < kReaderCount; ++r) {
        if (!ok[r]) {
            m_failed.push_back(r);
            Report(text(kReaderFailed).arg(r));
        }
    }
    return m_failed.empty();
}

// ------------------------------------------------------------------ readers 0-9

bool CRemoteTemplate::ReadMessages(CIniFileJob& ini, const QByteArray& section, const char* sizeKey,
                                   int occurrence, CStrArray& out)
{
    int n = 0;
    if (!Section(ini, section) || !ListSize(ini, section, sizeKey, 0, kMaxMessages, n))
        return false;
    return EachItem(ini, section, sizeKey, n, [&](int i, QByteArrayView item) {
        const QByteArrayView v = item.trimmed();
        // A message string with too few digits would send a cut message.
        if (!NS_RemoteMsg::isMessageString(v)) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(i));
            return false;
        }
        out.SetAt(i, QString::fromLatin1(v));
        return true;
    }, occurrence);
}

bool CRemoteTemplate::ReadInitItem(CIniFileJob& ini)
{
    const QByteArray section("InitItem");
    if (!Section(ini, section))
        return false;
    QByteArrayView standalone, plugIn;
    if (!ini.GetItem("Standalone", standalone)) {
        Report(text(kKeywordMissing).arg(QLatin1String("Standalone"), name(section)));
        return false;
    }
    hasPlugInMessages = ini.GetItem("Plugin", plugIn) != 0;
    if (!ReadMessages(ini, firstToken(standalone).toByteArray(), "Size", -1, standaloneMessages))
        return false;
    return !hasPlugInMessages || ReadMessages(ini, firstToken(plugIn).toByteArray(), "Size", -1, plugInMessages);
}

bool CRemoteTemplate::ReadIdList(CIniFileJob& ini, const char* sectionName, int count, const char* what,
                                 int maxId, std::vector<uint8_t>& ids)
{
    const QByteArray section(sectionName);
    if (!Section(ini, section))
        return false;
    int n = 0;
    if (!Number(ini, section, "Size", n))
        return false;
    if (n != count) {
        Report(text(kIdCount).arg(QLatin1String(what)).arg(count));
        return false;
    }
    std::vector<uint8_t> read;
    const bool entriesRead = EachItem(ini, section, "Size", n, [&](int i, QByteArrayView v) {
        const uint32_t id = hex(firstToken(v));
        if (id > uint32_t(maxId)) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(id));
            return false;
        }
        read.push_back(uint8_t(id));
        return true;
    });
    if (!entriesRead)
        return false;
    ids = read;
    return true;
}

bool CRemoteTemplate::ReadBankGroup(CIniFileJob& ini)
{
    const QByteArray section("BankGroup");
    bankCount = 1;
    int n = 0;
    if (!Section(ini, section) || !ListSize(ini, section, "Size", 1, kMaxBanks, n))
        return false;
    bankCount = n;
    return true;
}

bool CRemoteTemplate::ReadLcdAddr(CIniFileJob& ini)
{
    const QByteArray section("LcdAddrStruct");
    int n = 0;
    // 55 characters hold at most 8 fields of 7 cells.
    if (!Section(ini, section) || !ListSize(ini, section, "Size", 1, kLineLength / kFieldCells + 1, n))
        return false;
    std::vector<LCD_ADDR_LIST> read;
    const bool entriesRead = EachItem(ini, section, "Size", n, [&](int i, QByteArrayView v) {
        const Tokens t = tokens(v, ",\n");
        LCD_ADDR_LIST f;
        if (t.size() >= 2) {
            f.upper = uint8_t(std::min<uint32_t>(hex(t[0]), 0xFF));
            f.lower = uint8_t(std::min<uint32_t>(hex(t[1]), 0xFF));
        }
        // Each field lies inside its line, after the previous one, and the line's
        // cells are 7-bit addresses.
        bool fits = t.size() >= 2;
        for (int line = 0; fits && line < 2; ++line) {
            const int a = line == 0 ? f.upper : f.lower;
            const int base = i == 0 ? a : (line == 0 ? read[0].upper : read[0].lower);
            const int prev = i == 0 ? -kFieldCells : (line == 0 ? read.back().upper : read.back().lower) - base;
            const int o = a - base;
            fits = base + kLineLength - 1 <= 0x7F && o >= prev + kFieldCells && o + kFieldChars <= kLineLength;
        }
        if (!fits) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(i));
            return false;
        }
        read.push_back(f);
        return true;
    });
    if (!entriesRead)
        return false;
    fields = read;
    return true;
}

bool CRemoteTemplate::ReadWindowFormat(CIniFileJob& ini)
{
    const QByteArray section("WindowFormat");
    int n = 0;
    if (!Section(ini, section) || !ListSize(ini, section, "Size", 0, kMaxListSize, n))
        return false;
    return EachItem(ini, section, "Size", n, [&](int i, QByteArrayView v) {
        WIND_FORM_INFO f;
        f.form = dec(v);
        if (f.form != WINDOW_INFO::PartMixer && f.form != WINDOW_INFO::MultiEdit) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(f.form));
            return false;
        }
        formats.push_back(f);
        return true;
    });
}

bool CRemoteTemplate::ReadMasterFader(CIniFileJob& ini)
{
    const QByteArray section("FaderMasterValueDisplay");
    int format = 0, n = 0;
    if (!Section(ini, section) || !Number(ini, section, "MidiFormat", format) || !Number(ini, section, "Size", n))
        return false;
    if (n != 1) {
        Report(text(kMustBeOne).arg(QLatin1String("Size")).arg(n).arg(name(section)));
        return false;
    }
    QByteArrayView v;
    if (!Item(ini, section, "Size", 0, v))
        return false;
    if (format < 0 || format > 0xFFFF || !address(firstToken(v), masterAddress)) {
        Report(text(kValueWrong).arg(name(section), QStringLiteral("0")).arg(0));
        return false;
    }
    masterCategory = uint16_t(format);
    return true;
}

bool CRemoteTemplate::ReadWindowList(CIniFileJob& ini)
{
    const QByteArray section("WindowList");
    int n = 0;
    if (!Section(ini, section) || !ListSize(ini, section, "Size", 0, kMaxListSize, n))
        return false;
    // Room for the windows a list of real size names; a larger count still reads.
    windows.reserve(windows.size() + size_t(std::min(n, 512)));
    m_windowIndex.reserve(m_windowIndex.size() + std::min(n, 512));
    return EachItem(ini, section, "Size", n, [&](int i, QByteArrayView v) {
        const Tokens t = tokens(v, " ,\t\n");
        const int format = t.size() >= 2 ? dec(t[0]) : -1;
        const QString windowName = t.size() >= 2 ? QString::fromLatin1(t[1]) : QString();
        const bool duplicate = t.size() >= 2 && m_windowIndex.contains(windowName);
        if (format < 0 || format >= int(formats.size()) || duplicate) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(format));
            return false;
        }
        WINDOW_INFO w;
        w.name = windowName;
        w.form = formats[size_t(format)].form;
        m_windowIndex.insert(windowName, int32_t(windows.size()));
        windows.push_back(std::move(w));
        return true;
    });
}

bool CRemoteTemplate::ReadTreeNode(CIniFileJob& ini, const QByteArray& nodeName, int depth, windowTreeStruct& node)
{
    // A section that lists itself, or a tree too big for a route, is no tree.
    if (depth > kTreeDepthMax || ++m_treeNodes > kMaxTreeNodes) {
        Report(text(kNoTree).arg(name(nodeName)));
        return false;
    }
    int size = 0;
    if (ini.GetSection(nodeName.constData()) && ini.GetItem("Size", size)) {
        if (size < 0) {
            Report(text(kMinus).arg(QLatin1String("Size")).arg(size).arg(name(nodeName)));
            return false;
        }
        if (size >= kRouteEnd) {
            Report(text(kCountWrong).arg(QLatin1String("Size")).arg(size).arg(name(nodeName)));
            return false;
        }
        int shift = -1;
        ini.GetItem("DispShiftNum", shift);
        if (shift < -1 || shift >= std::max(size, 1)) {
            Report(text(kValueWrong).arg(name(nodeName), QStringLiteral("DispShiftNum")).arg(shift));
            return false;
        }
        QList<QByteArray> childNames;
        for (int i = 0; i < size; ++i) {
            QByteArrayView v;
            if (!ini.GetItem(IndexKey(i), v)) {
                Report(text(kTreeNumberMissing).arg(name(nodeName), QStringLiteral("Size")).arg(i));
                return false;
            }
            childNames.append(firstToken(v).toByteArray());
        }
        node.inner = true;
        node.shift = shift;
        node.window = -1;
        for (const QByteArray& child : childNames) {
            windowTreeStruct c;
            if (child.isEmpty() || !ReadTreeNode(ini, child, depth + 1, c))
                return false;
            node.children.push_back(std::move(c));
        }
        return true;
    }
    const QString wanted = name(nodeName);
    const auto w = m_windowIndex.constFind(wanted);
    if (w != m_windowIndex.constEnd()) {
        node.window = w.value();
        return true;
    }
    Report(text(kNotAWindow).arg(wanted));
    return false;
}

bool CRemoteTemplate::ReadWindowTree(CIniFileJob& ini)
{
    const QByteArray section("WindowTreeList");
    int n = 0;
    // Route byte 0 indexes the top entries; 255 is the end mark.
    if (!Section(ini, section) || !ListSize(ini, section, "Size", 0, kRouteEnd - 1, n))
        return false;
    QList<QByteArrayView> lines;
    const bool entriesRead = EachItem(ini, section, "Size", n, [&](int, QByteArrayView v) {
        lines.append(v);
        return true;
    });
    if (!entriesRead)
        return false;
    for (int i = 0; i < n; ++i) {
        const Tokens t = tokens(lines[i], " ,\t\n");
        TOP_WINDOW_TREE top;
        bool ok = t.size() >= 6;
        if (ok) {
            const int kind = dec(t[0]);
            top.name = QString::fromLatin1(t[1]);
            top.format = dec(t[2]);
            top.pageSetCondition = dec(t[3]);
            top.strip = dec(t[4]);
            top.bank = dec(t[5]);
            ok = kind >= 0 && kind <= 0xFF && top.format >= 0 && top.format < int(formats.size())
                 && top.strip >= -1 && top.strip <= kStripCount && top.bank >= -1 && top.bank < kMaxBanks;
            top.kind = uint8_t(kind);
        }
        if (!ok) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(i));
            return false;
        }
        m_treeNodes = 0;
        if (!ReadTreeNode(ini, t[1].toByteArray(), 1, top.node))
            return false;
        tops.push_back(std::move(top));
    }
    return true;
}

// ------------------------------------------------------------------ reader 10: window sections

bool CRemoteTemplate::ReadItemLine(const QByteArrayView* t, qsizetype n, uint16_t format, PARAM_STR_INFO& item)
{
    // knob, reserved, field, width, address, kind, bit mask, display style, fixed label[, label]
    if (n < 9)
        return false;
    item.knob = dec(t[0]);
    item.field = dec(t[2]);
    item.width = dec(t[3]);
    item.format = format;
    item.kind = hex(t[5]);
    item.bitMask = dec(t[6]);
    item.dispStyle = dec(t[7]);
    if (n >= 10)
        item.label = cut(t[9], kLineLength);
    const int fieldCount = int(fields.size());
    return flag(t[1], item.reserved) && flag(t[8], item.fixedLabel) && address(t[4], item.address)
           && item.knob >= -1 && item.knob < kEncoderCount && item.field >= 0 && item.width >= 1
           && item.width <= fieldCount - item.field && item.bitMask >= -1 && item.dispStyle >= -1;
}

bool CRemoteTemplate::ReadLayout(CIniFileJob& ini, const QByteArray& window, const char* sub, uint16_t format,
                                 LCD_STR_INFO& layout)
{
    if (!ini.GetSection(sub, window.constData())) {
        Report(text(kSectionMissing).arg(QLatin1String(sub)));
        return false;
    }
    int n = 0;
    QByteArrayView v;
    if (!ini.GetItem("ConstantSize", v)) {
        Report(text(kSubKeywordMissing).arg(QLatin1String("ConstantSize"), name(window), QLatin1String(sub)));
        return false;
    }
    n = dec(v);
    for (int i = 0; i < std::min(n, kMaxListSize); ++i) {
        if (!ini.GetItem(IndexKey(i), v, 0)) {
            Report(text(kSubNumberMissing).arg(name(window), QLatin1String(sub), QStringLiteral("ConstantSize")).arg(i));
            return false;
        }
        const Tokens t = tokens(v, ",\n");
        CONST_STR_INFO c;
        if (t.size() >= 3) {
            c.bank = dec(t[0]);
            c.field = dec(t[1]);
            c.text = cut(t[2], kLineLength);
        }
        if (t.size() < 3 || c.bank < -1 || c.field < 0 || c.field >= int(fields.size())) {
            Report(text(kConstLine));
            return false;
        }
        layout.upper.push_back(std::move(c));
    }
    if (!ini.GetItem("VariableSize", v)) {
        Report(text(kSubKeywordMissing).arg(QLatin1String("VariableSize"), name(window), QLatin1String(sub)));
        return false;
    }
    n = dec(v);
    for (int i = 0; i < std::min(n, kMaxListSize); ++i) {
        if (!ini.GetItem(IndexKey(i), v, 1)) {
            Report(text(kSubNumberMissing).arg(name(window), QLatin1String(sub), QStringLiteral("VariableSize")).arg(i));
            return false;
        }
        const Tokens t = tokens(v, ",\n");
        VARIA_STR_INFO item;
        if (t.size() < 10 || !ReadItemLine(t.constData() + 1, t.size() - 1, format, item) || dec(t[0]) < -1) {
            Report(text(kVariaLine));
            return false;
        }
        item.bank = dec(t[0]);
        layout.lower.push_back(std::move(item));
    }
    return true;
}

bool CRemoteTemplate::ReadPartMixer(CIniFileJob& ini, const QByteArray& window, FORM_PART_MIXER& form)
{
    int format = 0;
    if (!Section(ini, window) || !Number(ini, window, "MidiFormat", format))
        return false;
    form.format = uint16_t(std::clamp(format, 0, 0xFFFF));
    return ReadMessages(ini, window, "SendMsg1Size", 0, form.entry)
           && ReadMessages(ini, window, "SendMsg2Size", 1, form.exit)
           && ReadLayout(ini, window, "DispModeValue", form.format, form.value)
           && ReadLayout(ini, window, "DispModeName", form.format, form.name);
}

bool CRemoteTemplate::ReadMultiEdit(CIniFileJob& ini, const QByteArray& window, FORM_MULTI_EDIT& form)
{
    int format = 0;
    if (!Section(ini, window) || !Number(ini, window, "MidiFormat", format))
        return false;
    form.format = uint16_t(std::clamp(format, 0, 0xFFFF));
    if (!ReadMessages(ini, window, "SendMsg1Size", 0, form.entry)
        || !ReadMessages(ini, window, "SendMsg2Size", 1, form.exit) || !Section(ini, window))
        return false;
    QByteArrayView v;
    if (!ini.GetItem("ConstantStr", v)) {
        Report(text(kKeywordMissing).arg(QLatin1String("ConstantStr"), name(window)));
        return false;
    }
    const Tokens c = tokens(v, ",\n");
    form.constField = c.size() >= 2 ? dec(c[0]) : -1;
    form.constText = c.size() >= 2 ? cut(c[1], kLineLength) : QByteArray();
    if (form.constField < 0 || form.constField >= int(fields.size())) {
        Report(text(kConstLine));
        return false;
    }
    int n = 0;
    if (!Number(ini, window, "ParamSize", n))
        return false;
    for (int i = 0; i < std::min(n, kMaxListSize); ++i) {
        if (!Item(ini, window, "ParamSize", i, v, 0))
            return false;
        PARAM_STR_INFO item;
        const Tokens t = tokens(v, ",\n");
        if (!ReadItemLine(t.constData(), t.size(), form.format, item)) {
            Report(text(kParamLine));
            return false;
        }
        form.items.push_back(std::move(item));
    }
    return true;
}

bool CRemoteTemplate::ReadWindowSections(CIniFileJob& ini)
{
    // The first window that fails ends the reader; the windows after it stay unread.
    for (WINDOW_INFO& w : windows) {
        const QByteArray section = w.name.toLatin1();
        const bool ok = w.form == WINDOW_INFO::PartMixer ? ReadPartMixer(ini, section, w.mixer)
                                                        : ReadMultiEdit(ini, section, w.edit);
        if (!ok)
            return false;
        w.loaded = true;
    }
    return true;
}

bool CRemoteTemplate::CheckItemIndexes()
{
    const auto bad = [&](const PARAM_STR_INFO& item) {
        return item.bitMask >= int(masks.size()) || item.dispStyle >= int(styles.size());
    };
    for (const WINDOW_INFO& w : windows) {
        bool wrong = false;
        for (const VARIA_STR_INFO& item : w.mixer.value.lower)
            wrong = wrong || bad(item);
        for (const VARIA_STR_INFO& item : w.mixer.name.lower)
            wrong = wrong || bad(item);
        for (const PARAM_STR_INFO& item : w.edit.items)
            wrong = wrong || bad(item);
        if (wrong) {
            Report(text(kValueWrong).arg(w.name, QStringLiteral("BitMask/DispStyle")).arg(0));
            return false;
        }
    }
    return true;
}

// ------------------------------------------------------------------ readers 11-18

bool CRemoteTemplate::ReadFaderLines(CIniFileJob& ini)
{
    const QByteArray section("FaderValueDisplay");
    int format = 0, n = 0;
    if (!Section(ini, section) || !Number(ini, section, "MidiFormat", format) || !Number(ini, section, "Size", n))
        return false;
    if (n < 0 || n > kMaxBanks * kStripCount || format < 0 || format > 0xFFFF) {
        Report(text(kCountWrong).arg(QLatin1String("Size")).arg(n).arg(name(section)));
        return false;
    }
    faderCategory = uint16_t(format);
    return EachItem(ini, section, "Size", n, [&](int i, QByteArrayView v) {
        const Tokens t = tokens(v, " ,\t\n");
        FADER_ADDR_INFO line;
        const bool ok = !t.isEmpty() && address(t[0], line.first) && (t.size() < 2 || address(t[1], line.second));
        if (!ok) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(i));
            return false;
        }
        faderAddresses.push_back(line);
        return true;
    });
}

bool CRemoteTemplate::ReadDisplayTime(CIniFileJob& ini)
{
    const QByteArray section("DisplayTime");
    int t = 0;
    if (!Section(ini, section) || !Number(ini, section, "Time", t))
        return false;
    if (t <= 0 || t > kMaxDisplayTimeMs) {
        Report(text(kCountWrong).arg(QLatin1String("Time")).arg(t).arg(name(section)));
        displayTime = 0;
        return false;
    }
    displayTime = t;
    return true;
}

bool CRemoteTemplate::ReadKeyOnJump(CIniFileJob& ini)
{
    const QByteArray section("KeyOnJump");
    int n = 0;
    if (!Section(ini, section) || !ListSize(ini, section, "Size", 0, kMaxListSize, n))
        return false;
    return EachItem(ini, section, "Size", n, [&](int i, QByteArrayView v) {
        const Tokens t = tokens(v, ",\n");
        KEY_ON_JUMP_INFO j;
        uint8_t route[kRouteBytes];
        if (t.size() < 4) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(i));
            return false;
        }
        j.pageSetCondition = dec(t[0]);
        j.key = dec(t[1]);
        j.heldKey = dec(t[2]);
        if (j.key < 0 || j.key >= kKeyCount || j.heldKey < -1 || j.heldKey >= kKeyCount) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(j.key));
            return false;
        }
        if (!Route(section, i, t[3], route))
            return false;
        j.route = QByteArray(reinterpret_cast<const char*>(route), NS_RemotePageTree::routeLength(route) + 1);
        jumps.push_back(j);
        return true;
    });
}

bool CRemoteTemplate::ReadKnobs(CIniFileJob& ini)
{
    const QByteArray section("KnobCombination");
    int n = 0;
    if (!Section(ini, section) || !ListSize(ini, section, "Size", 0, kEncoderCount, n))
        return false;
    return EachItem(ini, section, "Size", n, [&](int i, QByteArrayView v) {
        const Tokens t = tokens(v, ",\n");
        KNOB_COMB_INFO k;
        if (t.size() >= 2) {
            k.pushKey = dec(t[0]);
            k.encoderId = dec(t[1]);
        }
        if (t.size() < 2 || k.pushKey < kKeyPush0 || k.pushKey >= kKeyPush0 + kEncoderCount || k.encoderId < 0
            || k.encoderId > 0x0F) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(i));
            return false;
        }
        knobs.push_back(k);
        return true;
    });
}

bool CRemoteTemplate::ReadInvalidChar(CIniFileJob& ini)
{
    const QByteArray section("InvalidChar");
    int n = 0;
    if (!Section(ini, section) || !Number(ini, section, "Size", n))
        return false;
    if (n != 1) {
        Report(text(kMustBeOne).arg(QLatin1String("Size")).arg(n).arg(name(section)));
        return false;
    }
    QByteArrayView v;
    if (!Item(ini, section, "Size", 0, v))
        return false;
    const Tokens t = tokens(v, ",\n");
    const int type = t.isEmpty() ? -1 : dec(t[0]);
    const QByteArray value = t.size() >= 2 ? t[1].toByteArray() : QByteArray();
    if (type == 0) {
        if (value.size() != 1) {
            Report(text(kOneCharacter).arg(name(section)));
            return false;
        }
        invalidMode = 0;
        invalidChar = NS_RemoteMsg::printable(value).at(0);
        return true;
    }
    if (type == 1 && !value.isEmpty()) {
        invalidMode = 1;
        invalidText = NS_RemoteMsg::printable(value.left(kLineLength));
        return true;
    }
    Report(text(kTypeUndefined).arg(type).arg(name(section)));
    return false;
}

bool CRemoteTemplate::ReadDefaultRoute(CIniFileJob& ini)
{
    const QByteArray section("InitDispWindowTree");
    int n = 0;
    if (!Section(ini, section) || !Number(ini, section, "Size", n))
        return false;
    if (n != 1) {
        Report(text(kMustBeOne).arg(QLatin1String("Size")).arg(n).arg(name(section)));
        return false;
    }
    QByteArrayView v;
    return Item(ini, section, "Size", 0, v) && Route(section, 0, tokens(v, ",\n").value(0), defaultRoute);
}

bool CRemoteTemplate::ReadStyle(CIniFileJob& ini, DISP_STYLE_INFO& style)
{
    const QByteArray section = style.name.toLatin1();
    int size = 0, n = 0;
    if (!Section(ini, section) || !Number(ini, section, "ParamSize", size))
        return false;
    if (size <= 0 || size > 4) {
        Report(text(kCountWrong).arg(QLatin1String("ParamSize")).arg(size).arg(name(section)));
        return false;
    }
    if (!ListSize(ini, section, "Size", 0, kMaxListSize, n))
        return false;
    style.paramSize = size;
    return EachItem(ini, section, "Size", n, [&](int i, QByteArrayView v) {
        const Tokens t = tokens(v, ",\n");
        if (t.size() < 2) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(i));
            return false;
        }
        style.entries.push_back(DISP_STYLE{t[0].trimmed().toByteArray(), cut(t[1], kLineLength)});
        return true;
    });
}

bool CRemoteTemplate::ReadStyles(CIniFileJob& ini)
{
    const QByteArray section("DispStyleList");
    int n = 0;
    if (!Section(ini, section) || !ListSize(ini, section, "Size", 0, kMaxListSize, n))
        return false;
    QList<QByteArrayView> names;
    const bool entriesRead = EachItem(ini, section, "Size", n, [&](int, QByteArrayView v) {
        names.append(firstToken(v));
        return true;
    });
    if (!entriesRead)
        return false;
    // A style whose section fails stays in the list, empty; the list still succeeds.
    for (QByteArrayView styleName : names) {
        DISP_STYLE_INFO style;
        style.name = QString::fromLatin1(styleName);
        style.loaded = ReadStyle(ini, style);
        if (!style.loaded)
            style.entries.clear();
        styles.push_back(std::move(style));
    }
    return true;
}

bool CRemoteTemplate::ReadMasks(CIniFileJob& ini)
{
    const QByteArray section("BitMaskPattern");
    int n = 0;
    if (!Section(ini, section) || !ListSize(ini, section, "Size", 0, kMaxListSize, n))
        return false;
    return EachItem(ini, section, "Size", n, [&](int i, QByteArrayView v) {
        const Tokens t = tokens(v, ",\n");
        BIT_MASK m;
        m.count = t.size() >= 2 ? dec(t[0]) : 0;
        const QByteArray digits = t.size() >= 2 ? t[1].trimmed().toByteArray() : QByteArray();
        const bool hexOnly = std::all_of(digits.begin(), digits.end(), [](char c) { return std::isxdigit(uchar(c)); });
        if (m.count < 1 || m.count > 4 || digits.size() != 2 * m.count || !hexOnly) {
            Report(text(kValueWrong).arg(name(section), QString::number(i)).arg(m.count));
            return false;
        }
        m.bytes = QByteArray::fromHex(digits);
        m.mask = hex(digits);
        masks.push_back(m);
        return true;
    });
}

// ------------------------------------------------------------------ parts.ini

void CRemoteTemplate::ReadSelectLists(CIniFileJob& parts)
{
    // [ParamSelectType1] .. [ParamSelectType9], up to the first one missing; a list
    // with a malformed line is left empty. Nothing here is reported.
    for (int n = 0; n < kSelectLists; ++n) {
        const QByteArray section = "ParamSelectType" + QByteArray::number(n + 1);
        if (!parts.GetSection(section.constData()))
            return;
        int count = 0;
        if (!parts.GetItem("CategoryNum", count) || count < 0 || count > kMaxListSize)
            continue;
        std::vector<PARAM_SELECT_CATEGORY_DATA> list;
        for (int i = 1; i <= count; ++i) {
            QByteArrayView v;
            if (!parts.GetItem(IndexKey(i), v))
                break;
            const Tokens t = tokens(v, ",\n");
            if (t.size() < 5)
                break;
            PARAM_SELECT_CATEGORY_DATA c;
            c.name = cut(t[0], 50);
            c.shortName = cut(t[1], 30);
            c.minimum = dec(t[2]);
            c.maximum = dec(t[3]);
            c.table = dec(t[4]);
            if (c.minimum > c.maximum)
                break;
            list.push_back(c);
        }
        if (int(list.size()) == count)
            selectLists[n] = std::move(list);
    }
}
