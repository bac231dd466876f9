#include "IniFileJobCache.h"
#include "ModelLogging.h"

#include <QBuffer>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>

namespace {

QMutex& cacheMutex()
{
    static QMutex mutex;
    return mutex;
}

// Path text exactly as the caller gave it -> image, or null for a path that failed.
std::map<QString, std::shared_ptr<const CIniFileJobCache>>& cacheMap()
{
    static std::map<QString, std::shared_ptr<const CIniFileJobCache>> map;
    return map;
}

std::atomic<int> g_openCount{0};

} // namespace

void CIniFileJobCache::Store(const QByteArray& key, int line, const QByteArray& value, bool)
{
    m_items.insert(key, ItemData{line, value});
}

QByteArray CIniFileJobCache::KeepText(const char* text, qsizetype size)
{
    constexpr qsizetype kBlock = 16 * 1024;
    const qsizetype need = size + 1;
    if (need > m_nameLeft) {
        const qsizetype size = std::max(need, kBlock);
        m_nameBlocks.push_back(std::make_unique<char[]>(size_t(size)));
        m_nameFree = m_nameBlocks.back().get();
        m_nameLeft = size;
    }
    char* const at = m_nameFree;
    if (size > 0)
        std::memcpy(at, text, size_t(size));
    at[size] = '\0';
    m_nameFree += need;
    m_nameLeft -= need;
    return QByteArray::fromRawData(at, size);
}

void CIniFileJobCache::DropLastName(const QByteArray& name)
{
    m_nameFree -= name.size() + 1;
    m_nameLeft += name.size() + 1;
}

namespace {

// First of the bytes [from, end) that is c, or end. memchr: the line scans stay cheap
// also where every comparison of the program's own loops is traced (fuzzing builds).
const char* findByte(const char* from, const char* end, char c)
{
    const void* at = from < end ? std::memchr(from, c, size_t(end - from)) : nullptr;
    return at ? static_cast<const char*>(at) : end;
}

} // namespace

// The lines of one parse: a line ends after its line feed or after kLineLimit - 1
// bytes, as QIODevice::readLine cuts them. A name given again is stored numbered: a
// section as "[k][name]", a key as "k[section]key", with the lowest k not yet taken;
// names are never removed during a parse, so the search for k resumes where the last
// search for the same name ended.
class CIniFileJobCache::Parser
{
public:
    explicit Parser(CIniFileJobCache& image) : m_image(image)
    {
        m_image.m_items.clear();
        m_image.m_nameBlocks.clear();
        m_image.m_nameFree = nullptr;
        m_image.m_nameLeft = 0;
    }

    void Line(const char* begin, const char* end)
    {
        ++m_lineNo;
        const char* lb = findByte(begin, end, '[');
        const char* rb = findByte(begin, end, ']');
        const char* sc = findByte(begin, end, ';');
        if (lb != end && rb != end && rb > lb && !(sc != end && sc < rb)) {
            if (!m_section.isEmpty())
                m_image.Store(m_section, m_lineNo, QByteArray(), false);
            Compose(QByteArray(), lb, rb - lb + 1);
            m_section = Unique(m_name, m_sectionNext, [this](int k) {
                return '[' + QByteArray::number(k) + ']' + m_name;
            });
            return;
        }
        if (m_section.isEmpty())
            return;
        const char* eq = findByte(begin, end, '=');
        if (eq == end || (sc != end && sc < eq))
            return;
        const char* valueEnd = std::min({findByte(eq + 1, end, '\t'), sc, findByte(eq + 1, end, '\r')});
        Compose(m_section, begin, eq - begin);
        // An empty value is stored empty, not null: null marks a section's end. Kept
        // before the name: the name's room may be given back.
        const QByteArray value = m_image.KeepText(eq + 1, valueEnd > eq + 1 ? valueEnd - eq - 1 : 0);
        // A name not taken yet is stored with one lookup; a taken one is numbered.
        auto& items = m_image.m_items;
        const qsizetype count = items.size();
        const QByteArray kept = m_image.KeepName(m_name);
        ItemData& slot = items[kept];
        if (items.size() != count) {
            slot = ItemData{m_lineNo, value};
            return;
        }
        m_image.DropLastName(kept);
        const QByteArray stored = Unique(m_name, m_keyNext, [this](int k) { return QByteArray::number(k) + m_name; });
        m_image.Store(stored, m_lineNo, value, false);
    }

    void Finish()
    {
        if (!m_section.isEmpty())
            m_image.Store(m_section, m_lineNo, QByteArray(), false);
    }

private:
    // m_name = prefix + text, in the parse's one buffer.
    void Compose(const QByteArray& prefix, const char* text, qsizetype length)
    {
        m_name.resize(prefix.size() + length);
        char* at = m_name.data();
        if (!prefix.isEmpty())
            std::memcpy(at, prefix.constData(), size_t(prefix.size()));
        std::memcpy(at + prefix.size(), text, size_t(length));
    }

    // The name as stored: itself, or numbered when it was stored before.
    template <typename Numbered>
    QByteArray Unique(const QByteArray& name, QHash<QByteArray, int>& next, Numbered numbered)
    {
        if (!m_image.m_items.contains(name))
            return m_image.KeepName(name);
        int k = next.value(name, 1);
        QByteArray stored = numbered(k);
        while (m_image.m_items.contains(stored))
            stored = numbered(++k);
        next.insert(QByteArray(name.constData(), name.size()), k + 1);
        return m_image.KeepName(stored);
    }

    CIniFileJobCache& m_image;
    QByteArray m_section;  // current section's stored name, empty before the first head
    QByteArray m_name;     // the name of the line being parsed
    int m_lineNo = 0;
    QHash<QByteArray, int> m_sectionNext;
    QHash<QByteArray, int> m_keyNext;
};

void CIniFileJobCache::Read(QIODevice* device)
{
    Parser parser(*this);
    char buffer[kLineLimit];
    for (;;) {
        const qint64 n = device->readLine(buffer, kLineLimit);
        if (n <= 0)
            break;
        parser.Line(buffer, buffer + n);
    }
    parser.Finish();
}

void CIniFileJobCache::ReadBytes(const QByteArray& bytes)
{
    Parser parser(*this);
    const char* at = bytes.constData();
    const char* const end = at + bytes.size();
    // Every entry comes from a line with a '[' or a '=': room for that many, so that
    // the table does not grow during the parse.
    qsizetype entries = 1;
    for (char c : {'[', '='}) {
        for (const char* hit = findByte(at, end, c); hit != end; hit = findByte(hit + 1, end, c))
            ++entries;
    }
    m_items.reserve(entries);
    while (at < end) {
        const char* limit = at + std::min<qsizetype>(end - at, kLineLimit - 1);
        const char* feed = findByte(at, limit, '\n');
        const char* next = feed == limit ? limit : feed + 1;
        parser.Line(at, next);
        at = next;
    }
    parser.Finish();
}

const CIniFileJobCache::ItemData* CIniFileJobCache::Find(const QByteArray& storedKey) const
{
    auto it = m_items.constFind(storedKey);
    return it == m_items.constEnd() ? nullptr : &it.value();
}

std::shared_ptr<const CIniFileJobCache> CIniFileJobCache::ForPath(const QString& path)
{
    QMutexLocker lock(&cacheMutex());
    auto& map = cacheMap();
    auto it = map.find(path);
    if (it != map.end())
        return it->second;
    QFile file(path);
    ++g_openCount;
    std::shared_ptr<CIniFileJobCache> image;
    if (file.open(QIODevice::ReadOnly)) {
        image = std::make_shared<CIniFileJobCache>();
        image->Read(&file);
    } else {
        qCDebug(lcModel) << "template file not readable:" << path;
    }
    map.emplace(path, image);
    return image;
}

void CIniFileJobCache::Forget(const QString& path)
{
    QMutexLocker lock(&cacheMutex());
    cacheMap().erase(path);
}

void CIniFileJobCache::Set(const QString& path, const QByteArray& bytes)
{
    auto image = std::make_shared<CIniFileJobCache>();
    image->ReadBytes(bytes);
    QMutexLocker lock(&cacheMutex());
    cacheMap()[path] = std::move(image);
}

int CIniFileJobCache::OpenCount()
{
    return g_openCount.load();
}
