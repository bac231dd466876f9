#include "IniFileJobCache.h"
#include "ModelLogging.h"

#include <QBuffer>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <atomic>
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

void CIniFileJobCache::Read(QIODevice* device)
{
    m_items.clear();
    QByteArray section;  // current section's stored name, empty before the first head
    int lineNo = 0;
    char buffer[kLineLimit];
    for (;;) {
        const qint64 n = device->readLine(buffer, kLineLimit);
        if (n <= 0)
            break;
        ++lineNo;
        const QByteArray line(buffer, int(n));
        const int lb = line.indexOf('[');
        const int rb = line.indexOf(']');
        const int sc = line.indexOf(';');
        if (lb >= 0 && rb > lb && !(sc >= 0 && sc < rb)) {
            if (!section.isEmpty())
                Store(section, lineNo, QByteArray(), false);
            const QByteArray name = line.mid(lb, rb - lb + 1);
            QByteArray stored = name;
            // A repeated section name is kept as [1][name], [2][name], ...
            for (int k = 1; m_items.contains(stored); ++k)
                stored = '[' + QByteArray::number(k) + ']' + name;
            section = stored;
            continue;
        }
        if (section.isEmpty())
            continue;
        const int eq = line.indexOf('=');
        if (eq < 0 || (sc >= 0 && sc < eq))
            continue;
        const QByteArray key = line.left(eq);
        int end = int(line.size());
        for (int i = eq + 1; i < line.size(); ++i) {
            const char c = line.at(i);
            if (c == '\t' || c == ';' || c == '\r') {
                end = i;
                break;
            }
        }
        QByteArray value = line.mid(eq + 1, end - eq - 1);
        if (value.isNull())
            value = QByteArray("");
        const QByteArray base = section + key;
        QByteArray stored = base;
        for (int k = 1; m_items.contains(stored); ++k)
            stored = QByteArray::number(k) + base;
        Store(stored, lineNo, value, false);
    }
    if (!section.isEmpty())
        Store(section, lineNo, QByteArray(), false);
}

void CIniFileJobCache::ReadBytes(const QByteArray& bytes)
{
    QByteArray copy(bytes);
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    Read(&buffer);
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

int CIniFileJobCache::OpenCount()
{
    return g_openCount.load();
}
