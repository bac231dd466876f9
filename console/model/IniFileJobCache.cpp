#include "IniFileJobCache.h"
#include "ModelLogging.h"

#include <QBuffer>
#include <QFile>
#include <QHashFunctions>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <atomic>
#include <charconv>
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

namespace {

// Room for names and values: a name is at most a section's and a key's line with a
// number before it, so any one fits in a block.
constexpr qsizetype kBlock = 32 * 1024;

uint32_t hashOf(QByteArrayView name)
{
    return uint32_t(qHashBits(name.data(), size_t(name.size()), 0));
}

// First of the bytes [from, end) that is c, or end. memchr: the line scans stay cheap
// also where every comparison of the program's own loops is traced (fuzzing builds).
const char* findByte(const char* from, const char* end, char c)
{
    const void* at = from < end ? std::memchr(from, c, size_t(end - from)) : nullptr;
    return at ? static_cast<const char*>(at) : end;
}

} // namespace

void CIniFileJobCache::Reset(qsizetype entries)
{
    size_t capacity = 16;
    while (qsizetype(capacity) * 3 < entries * 4)
        capacity *= 2;
    if (m_slots.size() < capacity)
        m_slots.resize(capacity);
    // Zero bytes are free slots; one call, not a traced loop over the slots.
    std::memset(static_cast<void*>(m_slots.data()), 0, capacity * sizeof(Slot));
    m_mask = capacity - 1;
    m_count = 0;
    m_block = 0;
    m_free = m_blocks.empty() ? nullptr : m_blocks.front().get();
    m_left = m_blocks.empty() ? 0 : kBlock;
}

const char* CIniFileJobCache::Keep(const char* text, qsizetype size)
{
    const qsizetype need = size + 1;
    Q_ASSERT(need <= kBlock);
    if (need > m_left) {
        const size_t next = m_free ? m_block + 1 : 0;
        if (next >= m_blocks.size())
            m_blocks.push_back(std::unique_ptr<char[]>(new char[size_t(kBlock)]));
        m_block = next;
        m_free = m_blocks[next].get();
        m_left = kBlock;
    }
    char* const at = m_free;
    if (size > 0)
        std::memcpy(at, text, size_t(size));
    at[size] = '\0';
    m_free += need;
    m_left -= need;
    return at;
}

CIniFileJobCache::Slot* CIniFileJobCache::Probe(QByteArrayView name, uint32_t hash) const
{
    for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
        const Slot& slot = m_slots[i];
        if (!slot.name
            || (slot.hash == hash && slot.size == uint32_t(name.size())
                && std::memcmp(slot.name, name.data(), size_t(name.size())) == 0))
            return const_cast<Slot*>(&slot);
    }
}

CIniFileJobCache::Slot* CIniFileJobCache::Lookup(QByteArrayView name, uint32_t hash) const
{
    if (m_slots.empty())
        return nullptr;
    Slot* const slot = Probe(name, hash);
    return slot->name ? slot : nullptr;
}

void CIniFileJobCache::Grow()
{
    const std::vector<Slot> used(m_slots.begin(), m_slots.begin() + qsizetype(m_mask + 1));
    const size_t capacity = 2 * (m_mask + 1);
    if (m_slots.size() < capacity)
        m_slots.resize(capacity);
    std::memset(static_cast<void*>(m_slots.data()), 0, capacity * sizeof(Slot));
    m_mask = capacity - 1;
    for (const Slot& slot : used) {
        if (!slot.name)
            continue;
        size_t i = slot.hash & m_mask;
        while (m_slots[i].name)
            i = (i + 1) & m_mask;
        m_slots[i] = slot;
    }
}

void CIniFileJobCache::Store(Slot* slot, QByteArrayView name, uint32_t hash, bool nameKept, int line,
                             const char* value, qsizetype size)
{
    if (slot->name) {
        slot->item = ItemData{line, int(size), value ? Keep(value, size) : nullptr};
        return;
    }
    const ItemData item{line, int(size), value ? Keep(value, size) : nullptr};
    if (size_t(m_count + 1) * 4 > (m_mask + 1) * 3) {
        Grow();
        slot = Probe(name, hash);
    }
    slot->name = nameKept ? name.data() : Keep(name.data(), name.size());
    slot->size = uint32_t(name.size());
    slot->hash = hash;
    slot->item = item;
    slot->next = 1;
    ++m_count;
}

// The lines of one parse: a line ends after its line feed or after kLineLimit - 1
// bytes, as QIODevice::readLine cuts them. A name given again is stored numbered: a
// section as "[k][name]", a key as "k[section]key", with the lowest k not yet taken;
// names are never removed during a parse, so the search for k resumes where the last
// search for the same name ended (kept in the entry of the name itself).
class CIniFileJobCache::Parser
{
public:
    Parser(CIniFileJobCache& image, qsizetype entries) : m_image(image) { m_image.Reset(entries); }

    void Line(const char* begin, const char* end)
    {
        ++m_lineNo;
        const char* lb = findByte(begin, end, '[');
        const char* rb = lb != end ? findByte(lb + 1, end, ']') : end;
        const char* sc = findByte(begin, end, ';');
        // A ']' before the first '[' makes no section: the first ']' after it closes one.
        if (rb != end && findByte(begin, lb, ']') != lb)
            rb = end;
        if (rb != end && !(sc != end && sc < rb)) {
            EndSection();
            const QByteArrayView name(lb, rb - lb + 1);
            Slot* const taken = m_image.Lookup(name, hashOf(name));
            if (!taken) {
                m_section = QByteArrayView(m_image.Keep(name.data(), name.size()), name.size());
                return;
            }
            const QByteArrayView stored = Numbered(*taken, name, '[', "]");
            m_section = QByteArrayView(m_image.Keep(stored.data(), stored.size()), stored.size());
            return;
        }
        if (m_section.isEmpty())
            return;
        const char* eq = findByte(begin, end, '=');
        if (eq == end || (sc != end && sc < eq))
            return;
        const char* valueEnd = std::min(std::min(findByte(eq + 1, end, '\t'), sc), findByte(eq + 1, end, '\r'));
        // An empty value is stored empty, not null: null marks a section's end.
        const char* value = valueEnd > eq + 1 ? eq + 1 : "";
        const qsizetype size = valueEnd > eq + 1 ? valueEnd - eq - 1 : 0;
        const qsizetype length = m_section.size() + (eq - begin);
        std::memcpy(m_name, m_section.data(), size_t(m_section.size()));
        std::memcpy(m_name + m_section.size(), begin, size_t(eq - begin));
        const QByteArrayView name(m_name, length);
        const uint32_t hash = hashOf(name);
        Slot* const slot = m_image.Probe(name, hash);
        if (!slot->name) {
            m_image.Store(slot, name, hash, false, m_lineNo, value, size);
            return;
        }
        const QByteArrayView stored = Numbered(*slot, name, 0, "");
        const uint32_t storedHash = hashOf(stored);
        m_image.Store(m_image.Probe(stored, storedHash), stored, storedHash, false, m_lineNo, value, size);
    }

    void Finish() { EndSection(); }

private:
    void EndSection()
    {
        if (m_section.isEmpty())
            return;
        const uint32_t hash = hashOf(m_section);
        m_image.Store(m_image.Probe(m_section, hash), m_section, hash, true, m_lineNo, nullptr, 0);
    }

    // The lowest free numbered form of a name that is taken: open + k + close + name.
    QByteArrayView Numbered(Slot& taken, QByteArrayView name, char open, const char* close)
    {
        const size_t closeSize = std::strlen(close);
        for (int k = taken.next;; ++k) {
            char* at = m_numbered;
            if (open)
                *at++ = open;
            at = std::to_chars(at, m_numbered + 32, k).ptr;
            std::memcpy(at, close, closeSize);
            at += closeSize;
            std::memcpy(at, name.data(), size_t(name.size()));
            const QByteArrayView stored(m_numbered, at + name.size() - m_numbered);
            if (!m_image.Lookup(stored, hashOf(stored))) {
                taken.next = k + 1;
                return stored;
            }
        }
    }

    CIniFileJobCache& m_image;
    QByteArrayView m_section;  // current section's stored name, empty before the first head
    int m_lineNo = 0;
    // A key's name: its section's stored name (a line, and a number) and its own text
    // (a line); with a number before it when it was given before.
    char m_name[3 * kLineLimit];
    char m_numbered[3 * kLineLimit + 32];
};

void CIniFileJobCache::Read(QIODevice* device)
{
    Parser parser(*this, 0);
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
    const char* at = bytes.constData();
    const char* const end = at + bytes.size();
    // Room for a line of 16 bytes an entry (template lines are longer); the table grows
    // where they are shorter. Counting the entries first would trace a comparison for
    // each of them in fuzzing builds.
    Parser parser(*this, bytes.size() / 16);
    while (at < end) {
        const char* limit = at + std::min<qsizetype>(end - at, kLineLimit - 1);
        const char* feed = findByte(at, limit, '\n');
        const char* next = feed == limit ? limit : feed + 1;
        parser.Line(at, next);
        at = next;
    }
    parser.Finish();
}

const CIniFileJobCache::ItemData* CIniFileJobCache::Find(QByteArrayView storedKey) const
{
    const Slot* slot = Lookup(storedKey, hashOf(storedKey));
    return slot ? &slot->item : nullptr;
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
