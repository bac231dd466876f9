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
    explicit Parser(CIniFileJobCache& image) : m_image(image) { m_image.m_items.clear(); }

    void Line(const char* begin, const char* end)
    {
        ++m_lineNo;
        const char* lb = findByte(begin, end, '[');
        const char* rb = findByte(begin, end, ']');
        const char* sc = findByte(begin, end, ';');
        if (lb != end && rb != end && rb > lb && !(sc != end && sc < rb)) {
            if (!m_section.isEmpty())
                m_image.Store(m_section, m_lineNo, QByteArray(), false);
            const QByteArray name(lb, rb - lb + 1);
            m_section = Unique(name, m_sectionNext, [&name](int k) {
                return '[' + QByteArray::number(k) + ']' + name;
            });
            return;
        }
        if (m_section.isEmpty())
            return;
        const char* eq = findByte(begin, end, '=');
        if (eq == end || (sc != end && sc < eq))
            return;
        const char* valueEnd = std::min({findByte(eq + 1, end, '\t'), sc, findByte(eq + 1, end, '\r')});
        QByteArray base;
        base.reserve(m_section.size() + (eq - begin));
        base.append(m_section).append(begin, eq - begin);
        // An empty value is stored empty, not null: null marks a section's end.
        QByteArray value = valueEnd > eq + 1 ? QByteArray(eq + 1, valueEnd - eq - 1) : QByteArray("");
        const QByteArray stored = Unique(base, m_keyNext, [&base](int k) { return QByteArray::number(k) + base; });
        m_image.Store(stored, m_lineNo, value, false);
    }

    void Finish()
    {
        if (!m_section.isEmpty())
            m_image.Store(m_section, m_lineNo, QByteArray(), false);
    }

private:
    template <typename Numbered>
    QByteArray Unique(const QByteArray& name, QHash<QByteArray, int>& next, Numbered numbered)
    {
        if (!m_image.m_items.contains(name))
            return name;
        int k = next.value(name, 1);
        QByteArray stored = numbered(k);
        while (m_image.m_items.contains(stored))
            stored = numbered(++k);
        next.insert(name, k + 1);
        return stored;
    }

    CIniFileJobCache& m_image;
    QByteArray m_section;  // current section's stored name, empty before the first head
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
